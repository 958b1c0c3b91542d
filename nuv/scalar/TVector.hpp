#pragma once
// TVector: a component holding a vector of doubles, indices 1..NrOfElem.

#include <cstdint>
#include <string>

#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {

/// Integration rule for the whole sample intervals of TVector::Integrate.
enum TIntegMethod : std::uint8_t { imSimple, imTrapezoidal, imSimpson };

/// Vector of doubles. The operations shared with TIntVector (element access, arithmetic,
/// searches, sorting, copies, statistics, streams, text loading) come from TVectorCore.
class TVector : public detail::TVectorCore<double> {
 public:
  /// One element of value 0, IsEmpty true.
  explicit TVector(TComponent* AOwner);

  /// Writer of NrOfElem: calls Resize(NE) only when NE > 0 and NE differs from the count.
  /// While a call of this library uses the vector (its handlers, or those of the other
  /// containers the call reads or writes, are running), Resize to another count returns
  /// false and changes nothing, and so does this writer. Freeing the vector from such a handler is
  /// undefined.
  void SetVecSize(Integer NE);

  /// Euclidean length, the elements' squares summed from element 1 upwards; computed with
  /// scaling when that sum would overflow or underflow.
  double CalcVecLeng() const;
  /// Same as CalcVecLeng (the Leng property).
  double Leng() const { return CalcVecLeng(); }
  /// Scales the vector to length x and fires OnChange. Raises ENUVVectorError
  /// "vector has zero length" (no component prefix, nothing changed) when all elements are 0.
  void SetVecLeng(double x);

  /// Copies count, IsEmpty, elements and both event handlers of a TVector; fires no event.
  /// While a call uses this vector (see Resize) it changes nothing. Any other source raises
  /// EConvertError "Cannot assign a <class> to a TVector".
  void Assign(TPersistent* Source) override;

  // ---- fills and standardisations ----

  /// Every element := RangeLow + (RangeHigh - RangeLow) * u, one process-wide uniform u per
  /// element in index order; clears IsEmpty, fires OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every element := Mean + StdDev * GRandom(); clears IsEmpty, fires OnChange.
  void FillRandomGauss(double Mean, double StdDev);
  /// Subtracts the mean of the whole vector from every element and returns it. The deviations
  /// are taken about the exact mean (not its rounding), so they sum to 0. No event.
  double MeanCenter();
  /// mean and stddev of the whole vector (MeanVar); when stddev > 0 every element becomes
  /// (x - mean) / stddev, formed about the exact mean and in a safe scale, so z-scores are the
  /// same for data in any unit. No event.
  void Standardize(double& mean, double& stddev);
  /// Median := Percentile(50), QuantDiff := |Median - Percentile(RefQuant)|; when
  /// QuantDiff > 0 every element becomes (x - Median) / QuantDiff. No event.
  void QNormalize(double RefQuant, double& Median, double& QuantDiff);

  /// Counts the elements FirstElem..LastElem (indices outside the vector read 0) into
  /// round(|LastBin - FirstBin| / BinWidth) + 1 bins of width BinWidth starting at FirstBin,
  /// resizing and clearing Histo first. Values below FirstBin are Underflow; values at or
  /// above LastBin + BinWidth, beyond the last bin, or NaN are Overflow; MaxCnt is the largest
  /// bin count. False and nothing changed for more than 500 bins, BinWidth <= 0, non-finite
  /// bounds or width, a nil Histo, or a resize of Histo refused because a call uses it.
  /// Handlers fired by Histo's resize and clearing may change values but no size.
  bool Histogram(Integer FirstElem, Integer LastElem, double FirstBin, double LastBin,
                 double BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                 Integer& MaxCnt);

  /// Integral of the samples y(1..NrOfElem) at unit spacing between BoundLow and BoundHigh
  /// (clamped into 1..NrOfElem, either order). Whole intervals use Method, the partial end
  /// intervals trapezoids on interpolated values. An unknown method gives 0; a NaN bound NaN.
  double Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const;

  // ---- text files ----

  /// Writes the header "FirstElem LastElem" and one value per line (CR LF line ends), the
  /// bounds put in order and clamped into 1..NrOfElem. Precision >= 0: fixed with that many
  /// decimals; -1: exponent form with 4 decimals; -2: exponent form with 17 decimals (exact
  /// round trip); below -2 taken as 2, above 20 as 20. False when the file cannot be created
  /// or a write fails.
  bool StoreOnFile(Integer FirstElem, Integer LastElem, Integer Precision,
                   const std::string& FileName) const;
  using TVectorCore<double>::LoadFromFile;
  /// With AutoDetect false the two-argument LoadFromFile. With AutoDetect true the file is a
  /// list of values without header: the lines holding a decimal digit are counted, the vector
  /// is resized to that count when AdjustVectorSize, and elements 1..NrOfElem are read in turn
  /// (a token that is not a number leaves its element unchanged). Fires OnChange per element,
  /// on resizing and once at the end. False when the file cannot be opened or read, or when
  /// the resize is refused because a call uses the vector (then nothing changes).
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize, bool AutoDetect);

 protected:
  /// Assigns this vector to a TVector Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;
};

}  // namespace nuv
