// Mean and standard deviation of boxes.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_stats.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer MeanArray(const TDoubleArray& A, Integer lo, Integer hi, double& Mean) {
  return detail::MeanArray(A, {lo}, {hi}, Mean);
}
Integer MeanArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  double& Mean) {
  return detail::MeanArray(A, {lo1, lo2}, {hi1, hi2}, Mean);
}
Integer MeanArray(const TDouble3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, double& Mean) {
  return detail::MeanArray(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, Mean);
}
Integer MeanArray(const TDouble4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& Mean) {
  return detail::MeanArray(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, Mean);
}
Integer MeanArray(const TIntArray& A, Integer lo, Integer hi, double& Mean) {
  return detail::MeanArray(A, {lo}, {hi}, Mean);
}
Integer MeanArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  double& Mean) {
  return detail::MeanArray(A, {lo1, lo2}, {hi1, hi2}, Mean);
}
Integer MeanArray(const TInt3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, double& Mean) {
  return detail::MeanArray(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, Mean);
}
Integer MeanArray(const TInt4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& Mean) {
  return detail::MeanArray(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, Mean);
}

Integer StdDevArray(const TDoubleArray& A, Integer lo, Integer hi, double& StdDev) {
  return detail::StdDevArray(A, {lo}, {hi}, StdDev);
}
Integer StdDevArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2}, {hi1, hi2}, StdDev);
}
Integer StdDevArray(const TDouble3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                    Integer hi2, Integer hi3, double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, StdDev);
}
Integer StdDevArray(const TDouble4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                    Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, StdDev);
}
Integer StdDevArray(const TIntArray& A, Integer lo, Integer hi, double& StdDev) {
  return detail::StdDevArray(A, {lo}, {hi}, StdDev);
}
Integer StdDevArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2}, {hi1, hi2}, StdDev);
}
Integer StdDevArray(const TInt3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                    Integer hi2, Integer hi3, double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2, lo3}, {hi1, hi2, hi3}, StdDev);
}
Integer StdDevArray(const TInt4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                    Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& StdDev) {
  return detail::StdDevArray(A, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4}, StdDev);
}

}  // namespace NUV_openarrays
}  // namespace nuv
