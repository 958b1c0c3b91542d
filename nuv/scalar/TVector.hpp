#pragma once
// TVector: a component holding a vector of doubles, indices 1..NrOfElem.

#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {

class TVector : public detail::TVectorCore<double> {
 public:
  /// One element of value 0, IsEmpty true.
  explicit TVector(TComponent* AOwner);

  /// Writer of NrOfElem: calls Resize(NE) only when NE > 0 and NE differs from the count.
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
  /// Any other source raises EConvertError "Cannot assign a <class> to a TVector".
  void Assign(TPersistent* Source) override;

 protected:
  /// Assigns this vector to a TVector Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;
};

}  // namespace nuv
