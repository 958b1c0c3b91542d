#pragma once
// Unit NUV_statis: distributions, special functions and normality tests.
//
// Every function here is a plain function of doubles and 32-bit integers holding no state.
// Apart from HyperGeoDistriDensity and FisherTransform, none raises: outside its domain a
// function answers 0 (or the value its comment gives).

#include <cstdint>
#include <functional>

#include "nuv/analysis/statis_errors.hpp"
#include "nuv/platform/types.hpp"
#include "nuv/scalar/TVector.hpp"

#include "nuv/analysis/TCrossValidator.hpp"

namespace nuv {

/// Significance levels of the Kolmogorov-Smirnov tables: 0.20, 0.15, 0.10, 0.05, 0.01.
enum TSignifLevel : std::uint8_t { Dot20, Dot15, Dot10, Dot05, Dot01 };

inline namespace NUV_statis {

// ---- special functions ---------------------------------------------------------------

/// ln Γ(x) by a six-term Lanczos series (absolute error about 2e-10); 0 for x <= 0.
double LnGamma(double x);
/// Regularised lower incomplete gamma function P(a, x) (note the argument order); 0 when
/// x <= 0 or a <= 0, NaN for a NaN argument, 0 for a = +inf, 1 for x = +inf.
double IncompleteGamma(double x, double a);
/// Error function, P(1/2, x²) with the sign of x.
double Erf(double x);
/// Fast approximation of the error function (absolute error about 1.2e-7).
double ErfApprox(double x);
/// ln B(a, b); 0 unless a >= 0 and b >= 0.
double LnBeta(double a, double b);
/// Regularised incomplete beta function I_x(a, b): 0 for x < 0, 1 for x > 1, 0 when a or b
/// is not positive, NaN for a NaN argument.
double IncompleteBeta(double x, double a, double b);
/// Binomial coefficient C(n, k); 0 when n < 0, k < 0 or n < k; saturates at 2147483647.
Integer BinomCoeff(Integer n, Integer k);
/// ln C(n, k); -1 when n < 0, k < 0 or n < k.
double LnBinomCoeff(Integer n, Integer k);

// ---- distributions -------------------------------------------------------------------

/// Standard normal density.
double nDistriDensity(double x);
/// Standard normal distribution function Φ(x).
double nDistriIntegral(double x);
/// Standard normal quantile (relative tolerance 1e-8 on Φ); 0 unless 0 < p < 1.
double nDistriQuantile(double p);
/// Weibull density with the given shape and scale; 0 unless x > 0 and scale > 0.
double WeibullDensity(double x, double shape, double scale);
/// Probability of k successes in a sample of nsample drawn without replacement from npop
/// items of which Round(p·npop) are successes. Raises ENUVStatisError, in this order:
/// "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0" (also for NaN),
/// "HyperGeoDistriDensity: npop must be greater than 0",
/// "HyperGeoDistriDensity: nsample must not be greater than npop",
/// "HyperGeoDistriDensity: nsample must not be less than 1".
double HyperGeoDistriDensity(double p, Integer npop, Integer nsample, Integer k);
/// Fisher z-transformation artanh(r); raises ENUVStatisError
/// "FisherTransform: argument out of range" when r <= -1 or r >= 1.
double FisherTransform(double r);
/// Inverse Fisher transformation tanh(z).
double FisherTransformInv(double z);
/// Half-width of the normal confidence interval of a mean: z(1 - alpha/2)·stddev/√n;
/// 0 for n < 1.
double ConfidenceInterval(double alpha, double stddev, Integer n);
/// Fisher ratio (MeanA - MeanB)² / max(StdDevA² + StdDevB², 1e-6).
double CalcFishQ(double MeanA, double MeanB, double StdDevA, double StdDevB);

/// Student t distribution function with df degrees of freedom; 0 for df < 1.
double tDistriIntegral(double t, Integer df);
/// Student t quantile: the t with tDistriIntegral(t, df) = p; 0 unless 0 < p < 1 and
/// df >= 1. Bounded bisection on the tail probability, so it never fails or loops.
double tDistriQuantile(double p, Integer df);
/// Fisher F distribution function; 0 for F <= 0, df1 < 1 or df2 < 1; 1 for F = +inf.
double FDistriIntegral(double F, Integer df1, Integer df2);
/// Student t density; 0 for df <= 0.
double tDistriDensity(double x, double df);
/// Chi-square density with df degrees of freedom; 0 for x < 0 or df <= 0. At x = 0 the
/// limit: 0 for df > 2, 1/2 for df = 2, +inf for df < 2.
double Chi2DistriDensity(double x, double df);
/// Fisher F density; 0 for x < 0 or df1, df2 <= 0. At x = 0 the limit: 0 for df1 > 2, 1 for
/// df1 = 2, +inf for df1 < 2.
double FDistriDensity(double x, double df1, double df2);

// ---- Kolmogorov-Smirnov and Lilliefors normality tests -------------------------------

/// Kolmogorov-Smirnov statistic D of Data against the standard normal distribution. Unless
/// DataSorted says they already are (then they are used as they stand), the caller's Data are
/// sorted ascending in place, firing their OnChange and OnSortExchange (Data refuses every
/// resize meanwhile). -1 for a null Data.
double PerformKSNormalityTest(TVector* Data, bool DataSorted);
/// Lilliefors statistic D: sorts Data in place as PerformKSNormalityTest does, then
/// standardises them in place with TVector::Standardize (no event; a sample of one or two
/// values keeps deviation 1) and compares them with the standard normal distribution. -1 for
/// a null Data.
double PerformLillieforsTest(TVector* Data, bool DataSorted);
/// Dallal-Wilkinson p-value of the Lilliefors statistic D; -1 for n <= 5 or a NaN D.
double LillieforsPValue(Integer n, double D);
/// Critical value of the Lilliefors statistic at level alpha; -1 for n < 1.
double LillieforsQuantile(Integer n, double alpha);
/// P(D_n >= D) of the one-sample Kolmogorov-Smirnov statistic (Marsaglia-Tsang-Wang):
/// -1 for n < 1 or a NaN D, 1 for D <= 0. The exact matrix method is used while its matrix
/// order 2·Trunc(n·D) + 1 stays within 1001 (about 5 s at the cap); beyond that, and for
/// n·D² > 7.24 or n·D² > 3.76 with n > 99, the asymptotic form
/// min(1, 2·exp(-(2.000071 + 0.331/√n + 1.409/n)·n·D²)).
double KSPValue(Integer n, double D);
/// The D whose KSPValue matches the level to within 1e-4, refined from the tabulated
/// critical value (at most 1000 steps); -1 for n < 1 or a level outside Dot20..Dot01.
double KSQuantile(Integer n, TSignifLevel level);
/// Tabulated Kolmogorov-Smirnov critical value for n = 1..20, c(level)/√n above; -1 for
/// n < 1 or a level outside Dot20..Dot01.
double KolmogSmir1SampleTestStat(Integer n, TSignifLevel level);

}  // namespace NUV_statis
}  // namespace nuv

// ---- variance analysis, runs tests, percentile and density estimate; random generator ---

#include <span>

#include "nuv/analysis/TRandGen.hpp"
#include "nuv/base/bitfield.hpp"
#include "nuv/scalar/TIntVector.hpp"

namespace nuv {
inline namespace NUV_statis {

/// One-way analysis of variance of Data with the group identifier of observation i in
/// Groups(i) (identifiers numbered in order of first appearance; beyond the end of Groups they
/// read 0). Returns the p-value, or -1 for fewer than two groups (also for a null vector), -2
/// for as many groups as observations or more (the outputs are then not written), -3 when
/// neither groups nor observations vary (F = 0). Groups constant within but differing between
/// give F = uc_MaxReal and 0. The sums of squares are formed about the group and grand means.
double Anova1F(const TVector* Data, const TIntVector* Groups, double& SSbetween, double& SSwithin,
               double& SStotal, Integer& DFbetween, Integer& DFwithin, Integer& DFtotal, double& F);
/// Wald-Wolfowitz runs test on bits 0..Size(): p is the probability of at most the observed
/// number of runs (exact for at most 25 ones and 25 zeros, else normal); true when p < 0.05.
/// All-equal bits give p = 0 and true. A null or empty field gives p = -1 and false.
bool RunsTest(const TBitFld* Bits, double& p);
/// RunsTest on the signs of Data about its median (values equal to it count as below);
/// p = -1 and false for a null vector.
bool RunsTestSerial(const TVector* Data, double& p);
/// Probability of at most runs runs among N1 and N2 items arranged at random; 0 for runs < 2
/// or a negative count. Computed in floating point, so any counts are fine.
double ExactRunsTest(Integer N1, Integer N2, Integer runs);
/// Percentile of data[first..last] (0-based): the element that sorting the stretch would
/// place at first + Round(percentile/100 * (last - first + 1)), capped at last. Reorders
/// the stretch in place. Status 0; -1 for an index outside data, -3 for last < first, -2 for a
/// percentile outside 0..100 or NaN (the later test wins); result 0 unless the status is 0.
Integer PercentileOfArray(std::span<double> data, double percentile, Integer first, Integer last,
                          double& result);

/// Progress of EstimateProbDensity: (sender, step, percent); the sender is null. An empty
/// function is no progress report.
using TProgressProc = std::function<void(TObject* Sender, double Step, double Percent)>;

/// Gaussian kernel estimate of the density of Data at NumPoints + 1 equidistant abscissae from
/// LowX to HighX (NumPoints clamped to 10..10000), written to Density(1..NumPoints + 1).
/// Sorts Data ascending in place (its events fire). The width of point i is the mean of the
/// gaps collected by two scans from x(i)'s neighbours: downwards from x(i + 1), adding
/// x(j) - x(j - 1) for j >= 2, and upwards from x(i - 1), adding x(j + 1) - x(j) for
/// j <= n - 1, each while |x(j) - x(i)| < |Radius|; so the gaps next to x(i) count twice.
/// |Radius| over the gap count when those gaps are all 0, |Radius| when there is none. The
/// width times WidthScale (<= 0 or NaN: 1) is the kernel's; a product that is not positive
/// is replaced by WidthScale. IxMin and IxMax receive the 1-based positions of
/// the first smallest and first largest density (0 when none). Progress is called after each
/// data point and each abscissa, percent reaching 100 at the last. Null vectors do nothing.
/// While the call runs (Progress and the vectors' events), Data and Density refuse every
/// resize.
void EstimateProbDensity(TVector* Data, TVector* Density, double LowX, double HighX,
                         double WidthScale, double Radius, Integer NumPoints, Integer& IxMin,
                         Integer& IxMax, const TProgressProc& Progress);

}  // namespace NUV_statis
}  // namespace nuv

// ---- outlier tests and the signed-rank quantile ------------------------------------------

namespace nuv {

/// Significance levels of the outlier tables: 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2,
/// 0.5.
enum TSignifLevelEx : std::uint8_t {
  Dot001,
  Dot002,
  Dot005,
  Dot010,
  Dot020,
  Dot050,
  Dot100,
  Dot200,
  Dot500
};

inline namespace NUV_statis {

/// The numeric value of each TSignifLevelEx, indexed by its ordinal.
inline constexpr double NumericSigLevel[9] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5};

/// One-sided critical value of Dixon's ratio for n = 3..100 observations; -1 for any other n
/// or a level outside Dot001..Dot500.
double DeanDixonCriticalValues(Integer n, TSignifLevelEx level);
/// Dean-Dixon (Q) test on the elements of data (left unchanged): Q receives the larger of the
/// ratios at the low and the high end (the low end on a tie; a zero denominator gives 0).
/// Returns the 1-based position of the first element equal to the suspect when Q exceeds the
/// critical value, else 0 (also for a level outside Dot001..Dot500). Raises ENUVStatisError
/// "DeanDixonTest: number of data points is too low" for fewer than 3 values (or a null data),
/// "DeanDixonTest: number of data points is too high" for more than 100.
Integer DeanDixonTest(const TVector* data, TSignifLevelEx level, double& Q);
/// Critical value of Grubbs' statistic for n values at level alpha (two-sided or one-sided);
/// -1 unless 0 < alpha < 1 and n > 2.
double GrubbsCriticalValues(Integer n, double alpha, bool TwoSided);
/// Two-sided Grubbs test: G receives max |x(i) - mean| / s (0 for constant data); returns the
/// 1-based position of the first element with that deviation when G exceeds the critical
/// value, else 0. Raises ENUVStatisError "GrubbsTest: invalid level of significance" unless
/// 0 < alpha < 1 (also NaN), "GrubbsTest: number of data points is too low" for fewer than 4
/// values (or a null data).
Integer GrubbsTest(const TVector* data, double alpha, double& G);
/// Critical value of Wilcoxon's signed-rank statistic for n pairs at level alpha (two-sided or
/// one-sided), smoothed through the tabulated levels for n <= 100 and from the normal
/// approximation above; -1 unless 8 <= n <= 1000000 and 0.000499999 <= alpha <= 0.20000001, or
/// when the value does not fit a 32-bit integer (n above about 92000).
Integer WilcoxonSRQuantile(Integer n, double alpha, bool TwoSided);

}  // namespace NUV_statis
}  // namespace nuv
