#pragma once
// Least squares through the singular value decomposition, shared by the NUV_math2 routines
// and the curve fit. Internal.

#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv::detail {

/// Least-squares (minimum-norm when A is rank deficient or has fewer rows than columns)
/// solution of A·x = b: A has n columns (unknowns) and m rows (equations) and is overwritten by
/// U; b holds m values; x (sized n by the caller) receives the solution; StdErr, when given
/// (sized n), the standard errors of the coefficients. Singular values below 1e-14 times the
/// largest are dropped and set NearSingular, as does a matrix without any non-zero singular
/// value. False when the decomposition fails (no convergence, AbortMathProc) or an argument is
/// null. (StdErr stands for the "stderr" argument, a macro name in C++.)
bool SolveBySingValDecomp(TMatrix* A, TVector* b, TVector* x, TVector* StdErr, bool& NearSingular);
/// The same, handing back V (n by n, singular vector k in column k) and the singular values W
/// with the dropped ones set to 0, from which the full covariance of x can be formed.
bool SolveBySingValDecomp(TMatrix* A, TVector* b, TVector* x, TVector* StdErr, bool& NearSingular,
                          TMatrix& V, TVector& W);

/// Back substitution x := V·diag(1/W)·Uᵀ·b, with 1/w taken as 0 where w = 0; StdErr(r), when
/// given, := sqrt(Σₖ V(k, r)²/w(k)²) over the non-zero w(k). x and StdErr are written through
/// SetVal and not resized. True (false only for a null U, V, W, b or x).
bool SingValBackSubst(TMatrix* U, TMatrix* V, TVector* W, TVector* b, TVector* x, TVector* StdErr);

}  // namespace nuv::detail
