// Trace, transposition and discretisation of two-dimensional arrays.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_matrix.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer TraceOfArray(const TDouble2DArray& A, double& Trace) {
  return detail::TraceOfArray(A, Trace);
}
Integer TraceOfArray(const TInt2DArray& A, Integer& Trace) {
  return detail::TraceOfArray(A, Trace);
}

Integer TransposeArray(TDouble2DArray& A) {
  return detail::TransposeArray(A);
}
Integer TransposeArray(TInt2DArray& A) {
  return detail::TransposeArray(A);
}
Integer TransposeArray(TBool2DArray& A) {
  return detail::TransposeArray(A);
}

Integer DiscretizeArray(TDouble2DArray& A, Integer N, double LoLim, double HiLim, double LoVal,
                        double HiVal) {
  return detail::DiscretizeArray(A, N, LoLim, HiLim, LoVal, HiVal);
}

}  // namespace NUV_openarrays
}  // namespace nuv
