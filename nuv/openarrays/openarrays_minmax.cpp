// Minimum and maximum of whole arrays and of boxes.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_minmax.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer MaxArray(const TIntArray& A, Integer& Index) {
  return detail::ExtremeOf<true>(A, &Index);
}
Integer MaxArray(const TIntArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}
double MaxArray(const TDoubleArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}
double MaxArray(const TDouble2DArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}
Integer MaxArray(const TInt2DArray& A, Integer& Index1, Integer& Index2) {
  Integer ix[2] = {Index1, Index2};
  const Integer result = detail::ExtremeOf<true>(A, ix);
  Index1 = ix[0];
  Index2 = ix[1];
  return result;
}
Integer MaxArray(const TInt2DArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}
double MaxArray(const TDouble3DArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}
double MaxArray(const TDouble4DArray& A) {
  return detail::ExtremeOf<true>(A, nullptr);
}

Integer MinArray(const TIntArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
Integer MinArray(const TInt2DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
Integer MinArray(const TInt3DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
Integer MinArray(const TInt4DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
double MinArray(const TDoubleArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
double MinArray(const TDouble2DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
double MinArray(const TDouble3DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}
double MinArray(const TDouble4DArray& A) {
  return detail::ExtremeOf<false>(A, nullptr);
}

Integer MinMaxArray(const TDoubleArray& A, double& Min, double& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TDouble2DArray& A, double& Min, double& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TDouble3DArray& A, double& Min, double& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TDouble4DArray& A, double& Min, double& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(std::span<const double> A, double& Min, double& Max) {
  return detail::MinMaxOpen(A, Min, Max);
}
Integer MinMaxArray(const TIntArray& A, Integer& Min, Integer& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TInt2DArray& A, Integer& Min, Integer& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TInt3DArray& A, Integer& Min, Integer& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(const TInt4DArray& A, Integer& Min, Integer& Max) {
  return detail::MinMaxArray(A, Min, Max);
}
Integer MinMaxArray(std::span<const Integer> A, Integer& Min, Integer& Max) {
  return detail::MinMaxOpen(A, Min, Max);
}

Integer MinMaxArray(const TDoubleArray& A, Integer lo, Integer hi, double& Min, double& Max,
                    Integer& IxMin, Integer& IxMax) {
  return detail::MinMaxRange(A, {lo}, {hi}, Min, Max, &IxMin, &IxMax);
}
Integer MinMaxArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& Min, double& Max, Integer& IxMin1, Integer& IxMin2, Integer& IxMax1,
                    Integer& IxMax2) {
  Integer ixMin[2];
  Integer ixMax[2];
  const Integer status = detail::MinMaxRange(A, {lo1, lo2}, {hi1, hi2}, Min, Max, ixMin, ixMax);
  IxMin1 = ixMin[0];
  IxMin2 = ixMin[1];
  IxMax1 = ixMax[0];
  IxMax2 = ixMax[1];
  return status;
}
Integer MinMaxArray(const TIntArray& A, Integer lo, Integer hi, Integer& Min, Integer& Max,
                    Integer& IxMin, Integer& IxMax) {
  return detail::MinMaxRange(A, {lo}, {hi}, Min, Max, &IxMin, &IxMax);
}
Integer MinMaxArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    Integer& Min, Integer& Max, Integer& IxMin1, Integer& IxMin2, Integer& IxMax1,
                    Integer& IxMax2) {
  Integer ixMin[2];
  Integer ixMax[2];
  const Integer status = detail::MinMaxRange(A, {lo1, lo2}, {hi1, hi2}, Min, Max, ixMin, ixMax);
  IxMin1 = ixMin[0];
  IxMin2 = ixMin[1];
  IxMax1 = ixMax[0];
  IxMax2 = ixMax[1];
  return status;
}

}  // namespace NUV_openarrays
}  // namespace nuv
