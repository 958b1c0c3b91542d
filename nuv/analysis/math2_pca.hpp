#pragma once
// NUV_math2: covariance-type matrices, Jacobi eigen-decomposition of a symmetric matrix into a
// process-wide result store, and principal components.

#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// Covariance-type matrix of the data columns LowCol..HighCol over the rows LowRow..HighRow
/// (rows are observations) into the top left c by c cells of Result, c = HighCol - LowCol + 1;
/// columns (0, 0) mean all columns. Mode 0 sums of products, 1 covariance, 2 correlation
/// (diagonal exactly 1.0), 3 squared correlation, 4 sums of squared column differences; every
/// mode divides by n - 1, n the number of rows; other modes give zeros. Variances and cross
/// sums are formed from deviations from the column means, corrected by the product of their
/// sums over n, so data far from zero keeps its spread; correlations are clamped to -1..1 and a
/// column's correlation with itself is 1. A column of extreme magnitude is summed in a
/// power-of-two unit (its own in modes 0 to 3, one for all columns in mode 4): correlations are
/// the same in any unit, the other cells scale exactly, ∞ only where a cell itself overflows. In
/// modes 2 and 3 a pair with a constant column (whose variance is then exactly 0) is 0 (off the
/// mode-2 diagonal). While the call runs, Data and Result refuse every resize (their handlers and
/// MathFeedBackProc included). Both triangles are written through SetVal. Adds 1 to ProcStat per
/// row of the mean pass (modes 1..4) and n per cell of the lower triangle. False, nothing written,
/// for a nil matrix, bounds outside Data (the low bound above the high one included), fewer than
/// two rows, or a Result with fewer than c columns or rows; false after AbortMathProc.
bool CalcCovar(TMatrix* Data, TMatrix* Result, Integer LowCol, Integer HighCol, Integer LowRow,
               Integer HighRow, Integer Mode);

/// Eigenvalues and eigenvectors of the symmetric matrix M (n = NrOfColumns) by cyclic Jacobi
/// rotations, stored process-wide for GetEigenResult. M's cells above the diagonal are
/// destroyed. False, store unchanged, for a nil or non-square M or n > 10000; false after
/// AbortMathProc or without convergence in 100 sweeps (the store then holds the last state).
/// M refuses every resize while the sweeps run.
/// Raises ENUVMath2Error "CalcEigVec: not enough memory" when the store cannot be allocated.
bool CalcEigVec(TMatrix* M);

/// j = 0: eigenvalue ix; j >= 1: component j of eigenvector ix. 0 without a store, for ix
/// outside 1..n or j outside 0..n.
double GetEigenResult(Integer ix, Integer j);

/// n of the last successful allocation of the store; 0 after RemoveEigenMatrix.
Integer GetEigenSize();

/// Frees the eigen store.
void RemoveEigenMatrix();

/// Principal components of the data columns LowCol..HighCol ((0, 0): all columns) over the
/// rows LowRow..HighRow: CalcCovar in Mode into a temporary matrix, CalcEigVec of it, the
/// eigenvalues divided by the sum of their magnitudes when ScaleEV (and that sum is not 0),
/// then sorted by decreasing positive eigenvalue with their eigenvectors. Data of extreme
/// magnitude are decomposed in one power-of-two unit: eigenvectors and scaled eigenvalues are
/// those of any unit, unscaled ones scale exactly. False when the covariance or the
/// decomposition fails.
bool CalcPrincComp(TMatrix* Data, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer Mode, bool ScaleEV);
/// CalcPrincComp with scaled eigenvalues.
bool CalcPrincComp(TMatrix* Data, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer Mode);

}  // namespace NUV_math2

namespace detail {
/// Frees the eigen store at the unit's finalisation.
void FinalEigenStore() noexcept;
}  // namespace detail

}  // namespace nuv
