#pragma once
// The singular value decomposition shared by the matrix and the analysis units. Internal.

#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv::detail {

/// Golub–Reinsch decomposition A = U·diag(W)·Vᵀ of A (m = NrOfRows, n = NrOfColumns).
/// A is overwritten by U; V (sized n by n by the caller) receives V; W (n elements, sized by the
/// caller) receives the singular values, each >= 0, unsorted. Cells are read and written as
/// through GetVal/SetVal: writes outside the containers' sizes are dropped and, when A, V or W
/// has an OnChange handler, every write fires it. Steps ProcStat 4·n times and stops with false
/// when AbortMathProc is set. False also when a singular value did not converge within 30 sweeps
/// or when A, V or W is null. The containers hold whatever was reached.
bool SingValDecompCore(TMatrix* A, TMatrix* V, TVector* W);

}  // namespace nuv::detail
