#pragma once
// Cache-blocked kernels over column-major buffers for the matrix unit. Each cell receives its
// products in ascending order of the summation index, one rounded product and one rounded
// addition at a time, so the results are those of the plain triple loop bit for bit.

#include <cstddef>
#include <vector>

namespace nuv::detail {

/// C := op(X)·op(Y), C r by q, inner dimension c; op(X)[j, i] = X[j·xRow + i·xCol] and
/// op(Y)[i, k] = Y[i·yIn + k·yCol]. C is column-major with r rows. Every cell is the sum
/// 0 + t1 + t2 + ... of its products in ascending i.
void GemmStrided(int r, int q, int c, const double* X, std::size_t xRow, std::size_t xCol,
                 const double* Y, std::size_t yIn, std::size_t yCol, double* C);

/// Outcome of CroutLU.
struct TCroutResult {
  bool Aborted = false;  ///< AbortMathProc was found set at a progress step
  bool Floored = false;  ///< a pivot below 1e-100 was replaced by 1e-100
  int Parity = 1;        ///< +1 or -1, the parity of the row exchanges
};

/// Crout LU decomposition with implicit partial pivoting, in place on the n by n column-major
/// buffer a: for each column the candidate with the largest Scale[i]·|a[i, j]| is the pivot (a
/// later row wins a tie; the search starts at row j), rows are exchanged over all columns,
/// pivots below 1e-100 in magnitude become 1e-100, and the column below the pivot is divided
/// by it. Scale holds 1/(largest |a[i, ·]|) per row and is updated with the exchanges. Piv[j]
/// receives the row exchanged with row j (0-based). With Progress, one ProcStat step and one
/// abort test come before each column. Each cell receives the same operations in the same
/// order as the textbook column-by-column Crout loop.
TCroutResult CroutLU(double* a, int n, std::vector<double>& Scale, std::vector<int>& Piv,
                     bool Progress);

/// Inverse from the factors of CroutLU: column k of Inv (n by n, column-major) solves
/// A·x = e_k by forward substitution with the recorded exchanges, starting at the first
/// non-zero element, and back substitution with the sums in ascending order. With Progress,
/// one ProcStat step and one abort test per column; false when aborted.
bool CroutInverse(const double* lu, int n, const std::vector<int>& Piv, double* Inv, bool Progress);

}  // namespace nuv::detail
