// Element-wise and scalar arithmetic.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_arith.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer MultiplyArraysElemw(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::ElementWise<detail::MulOp>(A, B, C);
}
Integer MultiplyArraysElemw(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::ElementWise<detail::MulOp>(A, B, C);
}
Integer MultiplyArraysElemw(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::ElementWise<detail::MulOp>(A, B, C);
}
Integer MultiplyArraysElemw(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::ElementWise<detail::MulOp>(A, B, C);
}

Integer AddArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}
Integer AddArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C) {
  return detail::ElementWise<detail::AddOp>(A, B, C);
}

Integer SubtractArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}
Integer SubtractArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C) {
  return detail::ElementWise<detail::SubOp>(A, B, C);
}

Integer MultiplyArrayByScalar(const TDoubleArray& A, double s, TDoubleArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TDouble2DArray& A, double s, TDouble2DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TDouble3DArray& A, double s, TDouble3DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TDouble4DArray& A, double s, TDouble4DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TIntArray& A, Integer s, TIntArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TInt2DArray& A, Integer s, TInt2DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TInt3DArray& A, Integer s, TInt3DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}
Integer MultiplyArrayByScalar(const TInt4DArray& A, Integer s, TInt4DArray& C) {
  return detail::ScalarInto<detail::MulOp>(A, s, C);
}

Integer MultiplyArrayByScalar(TDoubleArray& A, double s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TDouble2DArray& A, double s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TDouble3DArray& A, double s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TDouble4DArray& A, double s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TIntArray& A, Integer s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TInt2DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TInt3DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}
Integer MultiplyArrayByScalar(TInt4DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::MulOp>(A, s);
}

Integer AddScalarToArray(const TDoubleArray& A, double s, TDoubleArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TDouble2DArray& A, double s, TDouble2DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TDouble3DArray& A, double s, TDouble3DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TDouble4DArray& A, double s, TDouble4DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TIntArray& A, Integer s, TIntArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TInt2DArray& A, Integer s, TInt2DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TInt3DArray& A, Integer s, TInt3DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}
Integer AddScalarToArray(const TInt4DArray& A, Integer s, TInt4DArray& C) {
  return detail::ScalarInto<detail::AddOp>(A, s, C);
}

Integer IncArray(TDoubleArray& A, double s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TDouble2DArray& A, double s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TDouble3DArray& A, double s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TDouble4DArray& A, double s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TIntArray& A, Integer s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TInt2DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TInt3DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}
Integer IncArray(TInt4DArray& A, Integer s) {
  return detail::ScalarInPlace<detail::AddOp>(A, s);
}

}  // namespace NUV_openarrays
}  // namespace nuv
