// Counting cells in a value interval, flipping, absolute values, counting true cells.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_count.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer CountValues(const TDoubleArray& A, Integer lo1, Integer hi1, double LowVal,
                    double HighVal) {
  return detail::CountValues(A, {lo1}, {hi1}, LowVal, HighVal);
}
Integer CountValues(const TDouble2DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    double LowVal, double HighVal) {
  return detail::CountValues(A, {lo1, lo2}, {hi1, hi2}, LowVal, HighVal);
}
Integer CountValues(const TDouble3DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, double LowVal, double HighVal) {
  return detail::CountValues(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, LowVal, HighVal);
}
Integer CountValues(const TDouble4DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer lo4, Integer hi4, double LowVal,
                    double HighVal) {
  return detail::CountValues(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, LowVal, HighVal);
}
Integer CountValues(const TIntArray& A, Integer lo1, Integer hi1, Integer LowVal, Integer HighVal) {
  return detail::CountValues(A, {lo1}, {hi1}, LowVal, HighVal);
}
Integer CountValues(const TInt2DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer LowVal, Integer HighVal) {
  return detail::CountValues(A, {lo1, lo2}, {hi1, hi2}, LowVal, HighVal);
}
Integer CountValues(const TInt3DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer LowVal, Integer HighVal) {
  return detail::CountValues(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, LowVal, HighVal);
}
Integer CountValues(const TInt4DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer lo4, Integer hi4, Integer LowVal,
                    Integer HighVal) {
  return detail::CountValues(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, LowVal, HighVal);
}

Integer FlipDimArray(TDoubleArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TDouble2DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TDouble3DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TDouble4DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TIntArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TInt2DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TInt3DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}
Integer FlipDimArray(TInt4DArray& A, Integer Dim) {
  return detail::FlipDimArray(A, Dim);
}

Integer AbsValArray(TDoubleArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TDouble2DArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TDouble3DArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TDouble4DArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TIntArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TInt2DArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TInt3DArray& A) {
  return detail::AbsValArray(A);
}
Integer AbsValArray(TInt4DArray& A) {
  return detail::AbsValArray(A);
}

Integer CountTrueCellsOfArray(const TBool2DArray& A) {
  return detail::CountTrueCells(A);
}
Integer CountTrueCellsOfArray(const TBoolArray& A) {
  return detail::CountTrueCells(A);
}

}  // namespace NUV_openarrays
}  // namespace nuv
