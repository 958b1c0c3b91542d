// Filling with a value, a diagonal, or random numbers.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_fill.hpp"

namespace nuv {
namespace detail {

std::mutex& RandomFillMutex() {
  static std::mutex m;
  return m;
}

}  // namespace detail

inline namespace NUV_openarrays {

Integer FillArray(TDoubleArray& A, double Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TDouble2DArray& A, double Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TDouble3DArray& A, double Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TDouble4DArray& A, double Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TIntArray& A, Integer Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TInt2DArray& A, Integer Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TInt3DArray& A, Integer Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TInt4DArray& A, Integer Value) {
  return detail::FillArray(A, Value);
}
Integer FillArray(TBoolArray& A, bool Value) {
  return detail::FillArray(A, static_cast<std::uint8_t>(Value ? 1 : 0));
}
Integer FillArray(TBool2DArray& A, bool Value) {
  return detail::FillArray(A, static_cast<std::uint8_t>(Value ? 1 : 0));
}

Integer FillArray(TDoubleArray& A, double Value, Integer lo, Integer hi) {
  return detail::FillArrayRange(A, Value, {lo}, {hi});
}
Integer FillArray(TDouble2DArray& A, double Value, Integer lo1, Integer lo2, Integer hi1,
                  Integer hi2) {
  return detail::FillArrayRange(A, Value, {lo1, lo2}, {hi1, hi2});
}
Integer FillArray(TDouble3DArray& A, double Value, Integer lo1, Integer lo2, Integer lo3,
                  Integer hi1, Integer hi2, Integer hi3) {
  return detail::FillArrayRange(A, Value, {lo1, lo2, lo3}, {hi1, hi2, hi3});
}
Integer FillArray(TDouble4DArray& A, double Value, Integer lo1, Integer lo2, Integer lo3,
                  Integer lo4, Integer hi1, Integer hi2, Integer hi3, Integer hi4) {
  return detail::FillArrayRange(A, Value, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4});
}
Integer FillArray(TIntArray& A, Integer Value, Integer lo, Integer hi) {
  return detail::FillArrayRange(A, Value, {lo}, {hi});
}
Integer FillArray(TInt2DArray& A, Integer Value, Integer lo1, Integer lo2, Integer hi1,
                  Integer hi2) {
  return detail::FillArrayRange(A, Value, {lo1, lo2}, {hi1, hi2});
}
Integer FillArray(TInt3DArray& A, Integer Value, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3) {
  return detail::FillArrayRange(A, Value, {lo1, lo2, lo3}, {hi1, hi2, hi3});
}
Integer FillArray(TInt4DArray& A, Integer Value, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4) {
  return detail::FillArrayRange(A, Value, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4});
}

Integer FillDiagArray(TDouble2DArray& A, double Value) {
  return detail::FillDiagArray(A, Value);
}
Integer FillDiagArray(TDouble3DArray& A, double Value) {
  return detail::FillDiagArray(A, Value);
}
Integer FillDiagArray(TDouble4DArray& A, double Value) {
  return detail::FillDiagArray(A, Value);
}
Integer FillDiagArray(TInt2DArray& A, Integer Value) {
  return detail::FillDiagArray(A, Value);
}
Integer FillDiagArray(TInt3DArray& A, Integer Value) {
  return detail::FillDiagArray(A, Value);
}
Integer FillDiagArray(TInt4DArray& A, Integer Value) {
  return detail::FillDiagArray(A, Value);
}

Integer FillRandomNormal(TDoubleArray& A, double M, double S) {
  return detail::FillRandomNormal(A, M, S);
}
Integer FillRandomNormal(TDouble2DArray& A, double M, double S) {
  return detail::FillRandomNormal(A, M, S);
}
Integer FillRandomNormal(TDouble3DArray& A, double M, double S) {
  return detail::FillRandomNormal(A, M, S);
}
Integer FillRandomNormal(TDouble4DArray& A, double M, double S) {
  return detail::FillRandomNormal(A, M, S);
}

Integer FillRandomUniform(TDoubleArray& A, double L, double H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TDouble2DArray& A, double L, double H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TDouble3DArray& A, double L, double H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TDouble4DArray& A, double L, double H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TIntArray& A, Integer L, Integer H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TInt2DArray& A, Integer L, Integer H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TInt3DArray& A, Integer L, Integer H) {
  return detail::FillRandomUniform(A, L, H);
}
Integer FillRandomUniform(TInt4DArray& A, Integer L, Integer H) {
  return detail::FillRandomUniform(A, L, H);
}

}  // namespace NUV_openarrays
}  // namespace nuv
