#pragma once
// TCurveFit: a store of (x, y) pairs with the running sums every pair updates, and the plain
// statistics that come straight from those sums.

#include <cstdint>
#include <memory>
#include <string>

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/types.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

/// Which transformed sum met an invalid value: an x <= 0 or a y <= 0 under a logarithm, an x
/// or a y of zero under a reciprocal.
enum TCurveFitError : std::uint8_t { cfeXLE0, cfeYLE0, cfeXEQ0, cfeYEQ0 };

/// A set of TCurveFitError: bit k stands for the value of ordinal k.
using TCurveFitErrors = std::uint8_t;

namespace detail {
struct TCurveFitAccess;
}  // namespace detail

/// Collects pairs (x, y); pair ix (1-based) is row ix of an internal two-column matrix whose
/// capacity grows in steps of 1000 rows. While a fit of this store runs user code (its progress
/// hook MathFeedBackProc), every change of the number of pairs (EnterStatValue,
/// RemoveStatValue, Init, ImportASC) is refused and changes nothing; freeing the store from
/// there is undefined.
class TCurveFit : public TComponent, public detail::TUseCounted {
 public:
  /// Empty store with a capacity of 1000 pairs, natural spline ends with derivatives 0,
  /// smoothing factor 0.5. Raises ENUVMatrixError `Component "": not enough memory on heap`
  /// when the store cannot be allocated.
  explicit TCurveFit(TComponent* AOwner);
  ~TCurveFit() override;

  /// Empties the store (capacity kept, every cell 0), the sums and the error record; the
  /// bounds return to +-largest double and the cached spline and pair counts become stale.
  /// Refused (no change) while a fit uses the store.
  void Init();
  /// Adds the pair (x, y) and returns the new count. Raises ENUVMatrixError
  /// `Component "": not enough memory on heap` when the store cannot grow (also at 2^31 - 1
  /// pairs); the component is then unchanged. Refused while a fit uses the store: nothing
  /// changes and the count is returned as it stands.
  Integer EnterStatValue(double x, double y);
  /// Takes pair ix (1 .. NumData) out of the sums and moves the later pairs up one place; the
  /// bounds and the error record stay. Out of range: no change besides marking the caches
  /// stale. Refused (no change at all) while a fit uses the store.
  void RemoveStatValue(Integer ix);
  /// Exchanges the roles of x and y in the pairs, the sums and the bounds.
  void FlipXY();

  /// x of pair ix; 0 outside 1 .. NumData.
  double GetDataX(Integer ix) const noexcept;
  /// y of pair ix; 0 outside 1 .. NumData.
  double GetDataY(Integer ix) const noexcept;
  double DataX(Integer ix) const noexcept { return GetDataX(ix); }
  double DataY(Integer ix) const noexcept { return GetDataY(ix); }

  /// Number of stored pairs.
  Integer NumData() const noexcept { return FNumData; }
  /// Smallest x entered since the last Init (largest double when none).
  double MinX() const noexcept { return FMinX; }
  /// Largest x entered since the last Init (minus the largest double when none).
  double MaxX() const noexcept { return FMaxX; }
  /// Smallest and largest y entered since the last Init (+-largest double when none).
  double MinY() const noexcept { return FMinY; }
  double MaxY() const noexcept { return FMaxY; }

  /// Spline end conditions (natural ends, else the end derivatives); each writer marks the
  /// cached spline stale.
  bool SplineNatural1() const noexcept { return FNatural1; }
  void SetSplineNatural1(bool Value) noexcept;
  bool SplineNaturalN() const noexcept { return FNaturalN; }
  void SetSplineNaturalN(bool Value) noexcept;
  double SplineDerivY1() const noexcept { return FY1Dash; }
  void SetSplineDerivY1(double Value) noexcept;
  double SplineDerivYN() const noexcept { return FYNDash; }
  void SetSplineDerivYN(double Value) noexcept;
  /// Smoothing factor of the smoothed spline; the writer marks that spline stale.
  double SplineSmoothingFactor() const noexcept { return FPSplineSmooth; }
  void SetSplineSmoothingFactor(double Value) noexcept;

  /// Mean of x, of y, of x - y; 0 without pairs.
  double MeanX() const noexcept;
  double MeanY() const noexcept;
  double MeanDiff() const noexcept;
  /// Sample standard deviation of x, of y, of x - y over the stored pairs (two passes:
  /// deviations from the mean, corrected by the square of their sum over n, so values far from
  /// zero keep their spread); 0 for fewer than 3 pairs.
  double StdDevX() const noexcept;
  double StdDevY() const noexcept;
  double StdDevDiff() const noexcept;
  /// Pearson's r over the stored pairs in the same two-pass form, clamped to -1..1; 0 for fewer
  /// than 3 pairs or when x or y does not vary.
  double CorrCoeff() const noexcept;
  /// The count, the three means (with pairs), and from 3 pairs on the three deviations and r;
  /// every other output is 0.
  void CalcStatistics(Integer& NumData, double& MeanX, double& MeanY, double& StdevX,
                      double& StdevY, double& MeanDiff, double& StdevDiff, double& rxy) const;

  // ---- fits and ASC files ----
  /// Line y = k·x + d by least squares on mean-centred data; FitQual is r², formed from the
  /// centred terms only. Outputs are 0 when it raises ENUVMath2Error
  /// "CalcLinFit: not enough data points" (fewer than 2 pairs) or
  /// "CalcLinFit: slope is infinite" (all x equal).
  void CalcLinFit(double& k, double& d, double& FitQual) const;
  /// Parabola y = k0 + k1·x + k2·x² by least squares on mean-centred data; a singular system
  /// gives zero coefficients. Raises ENUVMath2Error "CalcParabolFit: not enough data points"
  /// for fewer than 3 pairs (outputs 0).
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const;
  /// Polynomial y = kArray[0] + sum kArray[j]·x^j (j = 1..nOrder) by least squares through a
  /// singular value decomposition, solved in centred and scaled x and y and converted back, so
  /// an offset of x changes the coefficients no more than the problem's own conditioning does;
  /// Alpha[j] is the two-sided significance level of kArray[j] (0 without residual degrees of
  /// freedom). False, nothing written, when nOrder is negative or not below NumData; otherwise
  /// the solver's result (false when stopped through AbortMathProc). kArray grows to
  /// nOrder + 1 elements when it is shorter; Alpha gets exactly nOrder + 1. NearSingular
  /// reports dropped singular values.
  bool CalcPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& Alpha, double& FitQual,
                   bool& NearSingular) const;
  bool CalcPolyFit(Integer nOrder, TDoubleArray& kArray, double& FitQual, bool& NearSingular) const;
  /// As CalcPolyFit in powers of (x - XShift), solved on centred and scaled x for accuracy.
  /// XShift 0 on entry becomes the mean of x; any other value is used as given (the solve is
  /// still centred on the mean; Alpha[0] tests kArray[0] less the mean of y).
  bool CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                           double& XShift, double& FitQual, bool& NearSingular) const;
  bool CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, double& XShift, double& FitQual,
                           bool& NearSingular) const;
  /// Circle of radius r about (dx, dy) by the algebraic fit of the running sums, formed about the
  /// means of the stored pairs so that an offset costs no digits. Outputs are 0 when it raises
  /// ENUVMath2Error "CalcCircleFit: not enough data points" (fewer than 3 pairs) or
  /// "CalcCircleFit: radius is infinite" (collinear points).
  void CalcCircleFit(double& r, double& dx, double& dy) const;

  /// Writes the pairs as an ASC text file (two columns "x" and "y", numbers by strff with 1 and
  /// Precision). Line 1 is Comment with line feeds and carriage returns as blanks, or a note
  /// naming the file when
  /// that is empty. Returns "" on success, the error message when the file cannot be created
  /// (nothing written); a failing write raises EInOutError.
  std::string ExportAsASC(const std::string& FileName, const std::string& Comment,
                          Integer Precision) const;
  /// Replaces the pairs by those of an ASC text file. 0 on success; a non-zero code of
  /// ReadHeaderOfASC; -5 a row attribute, -6 a value is not a number (or is missing); -7 the
  /// header sets the unsupported fourth flag; -8 a fit uses the store (nothing read). Any
  /// failure leaves the pairs, sums and bounds as they were. A header with other than 2 columns
  /// raises ENUVMath2Error "TCurveFit.ImportASC: number of columns must be 2 (is actually <n>)."
  /// (no change).
  Integer ImportASC(const std::string& FileName);

  // ---- rank and distribution statistics ----
  /// Spearman's rank correlation with tie correction (ranks of equal values averaged); 0 for
  /// fewer than 3 pairs or when all x or all y are equal.
  double SpearmanRankCorr() { return GetSpearman(); }
  double GetSpearman();
  /// Kendall's tau-b; p receives its two-sided significance from the normal approximation.
  /// Both 0 when every pair is tied (also with fewer than 3 pairs).
  double KendallsTau(double& p);
  /// Goodman and Kruskal's gamma (C - D)/(C + D) from the concordant and discordant pairs; 0
  /// when there are none.
  double KruskalGamma() { return GetKruskalGamma(); }
  double GetKruskalGamma();
  /// Quartiles of x (of y) over the stored pairs, interpolated at (n + 1)·p; false and all 0
  /// without pairs.
  bool QuartilesX(double& q1, double& q2, double& q3) const;
  bool QuartilesY(double& q1, double& q2, double& q3) const;
  /// Sample skewness and excess kurtosis of x or y; 0 for fewer than four pairs.
  double SkewnessX() const;
  double SkewnessY() const;
  double KurtosisX() const;
  double KurtosisY() const;
  /// Circular mean of x (of y) read as angles in degrees, in [0, 360); NaN without pairs.
  double MeanAngleX() const { return GetMeanXDegrees(); }
  double MeanAngleY() const { return GetMeanYDegrees(); }
  double GetMeanXDegrees() const { return CalcMeanDegrees(1); }
  double GetMeanYDegrees() const { return CalcMeanDegrees(2); }
  /// Analysis of variance of a regression whose pairs are (observed, fitted) with NumVars
  /// regressors. SSE = sum (x - y)^2, SSR = sum (y - m)^2 and SST = sum (x - m)^2, formed from the
  /// stored pairs, m the mean of x with IncludeConst (SST then corrected as a variance), else 0.
  /// The mean squares divide by dfres and dfreg as they are, so 0 degrees of freedom give an
  /// infinite or NaN mean square (and no pairs with IncludeConst a NaN mean); F is 0 when
  /// MSR = 0, 1e10 when MSE = 0 and MSR is not, else MSR/MSE.
  void CalcAnovaReg(Integer NumVars, bool IncludeConst, Integer& dfreg, Integer& dfres,
                    Integer& dftotal, double& SSE, double& SSR, double& SST, double& MSE,
                    double& MSR, double& F) const;

 private:
  /// Counts concordant, discordant and singly tied pairs into the cache.
  void BasicRankCounts() noexcept;
  /// Circular mean of column Nc (1 = x, 2 = y) in degrees.
  double CalcMeanDegrees(Integer Nc) const;

 private:
  friend struct detail::TCurveFitAccess;

  /// Adds (Sign = +1) or subtracts (Sign = -1) what the pair contributes to every sum; only
  /// adding updates the bounds and the error record.
  void AdjustSums(double x, double y, int Sign) noexcept;

  Extended sumx = 0, sumy = 0;
  Extended sumxq = 0, sumyq = 0;
  Extended sumDiff = 0, SumDiffq = 0;
  Extended sumxy = 0;
  Extended sumx2y = 0, sumxy2 = 0;
  Extended sumx3 = 0, sumy3 = 0;
  Extended sumx4 = 0, sumy4 = 0;
  Extended sum1byy = 0;
  Extended sum1byxy = 0;
  Extended sum1byyq = 0;
  Extended sumxbyy = 0, sumybyx = 0;
  Extended sum1byx = 0, sum1byxq = 0;
  Extended sumlnx = 0;
  Extended sumlnxlny = 0;
  Extended sumlnxq = 0;
  Extended sumylny = 0, sumylnx = 0, sumxlnx = 0;
  Extended sumlnxbyy = 0, sumlnybyx = 0;
  Extended sumlny = 0, sumlnyq = 0;
  Extended sumxlny = 0, sumxqlny = 0, sumyqlnx = 0;
  Integer FNumData = 0;
  double FMinX = 0.0, FMaxX = 0.0, FMinY = 0.0, FMaxY = 0.0;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0.0, FYNDash = 0.0;
  TQuotedStrState FVNState = qsBeforeName;
  std::string FVNName;
  TCurveFitErrors FErrIndic = 0;
  std::unique_ptr<TVector> Spl2Deriv, SplSortedX, SplSortedY;
  std::unique_ptr<TMatrix> FData;
  bool FSplineValid = false;
  double FPSplineSmooth = 0.5;
  double FPSplineFQ = 0.0;
  bool FPenSplineValid = false;
  bool FKendallValid = false;
  // 64-bit: n(n - 1)/2 pairs exceed the 32-bit range from n = 65537 on.
  Int64 FKendallConcord = 0, FKendallDiscord = 0, FKendallTies1 = 0, FKendallTies2 = 0;
};

}  // namespace nuv
