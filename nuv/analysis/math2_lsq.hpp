#pragma once
// NUV_math2: Moore-Penrose pseudo-inverse and Mahalanobis distance.

#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// Pseudo-inverse of A (n columns, m rows) into P, resized to m columns by n rows. A is not
/// changed. Singular values not above threshold are dropped (always those equal to 0); a
/// threshold of exactly 0 means max(n, m)·wmax·1.2e-16. False when the decomposition fails (no
/// convergence, AbortMathProc); P then has no meaning. False, nothing changed, for a null A.
bool PseudoInverse(TMatrix* A, TMatrix& P, double threshold);

/// sqrt((x - y)ᵀ·M·(x - y)), M the inverse covariance matrix. Raises ENUVVectorError
/// "MahalanobisDistance: dimensions of vectors do not match", "...: inverse covariance matrix
/// is not quadratric", "...: dimension of vectors and inverse covariance matrix do not match",
/// and, when the quadratic form is negative, "...: the inverse covariance matrix must be
/// symmetric and positive definite". NaN for a null argument.
double MahalanobisDistance(TVector* x, TVector* y, TMatrix* M);

}  // namespace NUV_math2
}  // namespace nuv
