#pragma once
// TIntVector: a component holding a vector of 32-bit signed integers, indices 1..NrOfElem.

#include <string>

#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {

class TVector;

/// Vector of 32-bit integers, the twin of TVector. Integer results (Sum, DotProduct,
/// Correlate, Add, Subtract, SMult) wrap around in 32-bit two's complement.
class TIntVector : public detail::TVectorCore<Integer> {
 public:
  /// One element of value 0, IsEmpty true.
  explicit TIntVector(TComponent* AOwner);

  /// Writer of NrOfElem: calls Resize(NE) only when NE > 0 and NE differs from the count.
  /// While a call of this library uses the vector (its handlers, or those of the other
  /// containers the call reads or writes, are running), Resize to another count returns
  /// false and changes nothing, and so does this writer. Freeing the vector from such a handler is
  /// undefined.
  void SetIntVecSize(Integer NE);

  /// Square root of the sum of the squares of the elements.
  double CalcVecLeng() const;
  /// Same as CalcVecLeng (the read-only Leng property).
  double Leng() const { return CalcVecLeng(); }

  /// First index of the valid range whose element equals value; 0 when none does.
  Integer FindExact(Integer LowElem, Integer HighElem, Integer value) const;

  /// Counts the elements FirstElem..LastElem (indices outside the vector read 0) into
  /// |LastBin - FirstBin| div BinWidth + 1 bins (BinWidth <= 0 taken as 1). Values below
  /// FirstBin are Underflow, values at or above LastBin + BinWidth or beyond the last bin are
  /// Overflow; MaxCnt is the largest bin count. Histo is resized and cleared first. More than
  /// 500 bins raise ENUVVectorError `Component "<Name>.Histogram": invalid number of bins`;
  /// a nil Histo, or a resize of Histo refused because a call uses it, gives false with
  /// nothing changed. Handlers fired by Histo's resize and clearing may change values but no
  /// size.
  bool Histogram(Integer FirstElem, Integer LastElem, Integer FirstBin, Integer LastBin,
                 Integer BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                 Integer& MaxCnt);

  /// Writes the header "FirstElem LastElem" and one decimal integer per line (CR LF line
  /// ends), the bounds put in order and clamped into 1..NrOfElem. False when the file cannot
  /// be created or a write fails.
  bool StoreOnFile(Integer FirstElem, Integer LastElem, const std::string& FileName) const;

  /// Copies count, IsEmpty, elements and both event handlers of a TIntVector; fires no event.
  /// While a call uses this vector (see Resize) it changes nothing. Any other source raises
  /// EConvertError "Cannot assign a <class> to a TIntVector".
  void Assign(TPersistent* Source) override;

 protected:
  /// Assigns this vector to a TIntVector Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;

 private:
  // TVector::Histogram counts straight into the bins, without an event per count.
  friend class TVector;
};

}  // namespace nuv
