// Linear algebra of TMatrix: products, cell-wise arithmetic, transposition, norms, LU and
// Cholesky decompositions, determinant, inverse, balancing and row differences.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/dense_kernels.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/matrix/detail/svd.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
namespace {

constexpr double kTinyPivot = 1e-100;
// Balancing stops after a sweep whose largest factor is below this.
constexpr double kBalanceLimit = 1.05;

// Number of visible cells of a Cols by Rows matrix.
std::size_t VisibleCells(Integer Cols, Integer Rows) {
  if (Cols <= 0 || Rows <= 0) return 0;
  return static_cast<std::size_t>(Cols) * static_cast<std::size_t>(Rows);
}

// A zero-filled work array of Count doubles, or null when it cannot be had.
std::unique_ptr<std::vector<double>> WorkArray(std::uint64_t Count) {
  if (Count >
      static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(double)) {
    return nullptr;
  }
  try {
    return std::make_unique<std::vector<double>>(static_cast<std::size_t>(Count), 0.0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

}  // namespace

// ---- products ----

bool TMatrix::ProductCommon(TMatrix* MatB, TMatrix* MatRes, int Kind) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  const Integer c = FNCol;
  const Integer r = FNRow;
  const Integer bc = MatB->FNCol;
  const Integer br = MatB->FNRow;
  Integer resCols = 0;
  Integer resRows = 0;
  Integer inner = 0;
  switch (Kind) {
    case 0:
      if (c != br) return false;
      resCols = bc, resRows = r, inner = c;
      break;
    case 1:
      if (c != bc) return false;
      resCols = br, resRows = r, inner = c;
      break;
    default:
      if (r != br) return false;
      resCols = bc, resRows = c, inner = r;
      break;
  }
  // The result's handlers (its resize, its cells) may change values, never sizes.
  detail::TUseGuard use(this, MatB, MatRes);
  // Computed apart from both operands, so that MatRes may be either of them.
  auto res = WorkArray(static_cast<std::uint64_t>(std::max<Integer>(resCols, 0)) *
                       static_cast<std::uint64_t>(std::max<Integer>(resRows, 0)));
  if (!res) MatRes->Raise("not enough memory on heap");
  if (resCols > 0 && resRows > 0 && inner > 0) {
    const double* a = FData.data();
    const double* b = MatB->FData.data();
    const auto ar = static_cast<std::size_t>(r);
    const auto bpr = static_cast<std::size_t>(br);
    switch (Kind) {
      case 0:  // res[j, k] = Σ_i a[j, i]·b[i, k]
        detail::GemmStrided(resRows, resCols, inner, a, 1, ar, b, 1, bpr, res->data());
        break;
      case 1:  // res[j, k] = Σ_i a[j, i]·b[k, i]
        detail::GemmStrided(resRows, resCols, inner, a, 1, ar, b, bpr, 1, res->data());
        break;
      default:  // res[j, k] = Σ_i a[i, j]·b[i, k]
        detail::GemmStrided(resRows, resCols, inner, a, ar, 1, b, 1, bpr, res->data());
        break;
    }
  }
  use.AllowResize(MatRes);
  MatRes->Resize(resCols, resRows);
  // Refused when this call was started from a handler of a call using MatRes.
  if (MatRes->FNCol != resCols || MatRes->FNRow != resRows) return false;
  MatRes->StoreCells(res->data());
  Changed();
  return true;
}

bool TMatrix::Multiply(TMatrix* MatB, TMatrix* MatRes) {
  return ProductCommon(MatB, MatRes, 0);
}

bool TMatrix::MultiplyTransposed(TMatrix* MatB, TMatrix* MatRes) {
  return ProductCommon(MatB, MatRes, 1);
}

bool TMatrix::TransposeAndMultiply(TMatrix* MatB, TMatrix* MatRes) {
  return ProductCommon(MatB, MatRes, 2);
}

bool TMatrix::EMult(TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr) return false;
  if (MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  detail::TUseGuard use(this, MatB, MatRes);
  use.AllowResize(MatRes);
  MatRes->Resize(FNCol, FNRow);
  if (MatRes->FNCol != FNCol || MatRes->FNRow != FNRow) return false;
  if (MatRes->FOnChange) {
    for (Integer i = 1; i <= FNCol; ++i) {
      for (Integer j = 1; j <= FNRow; ++j) MatRes->SetVal(i, j, GetVal(i, j) * MatB->GetVal(i, j));
    }
  } else {
    const std::size_t cells = VisibleCells(FNCol, FNRow);
    for (std::size_t x = 0; x < cells; ++x) MatRes->FData[x] = FData[x] * MatB->FData[x];
  }
  Changed();
  return true;
}

bool TMatrix::Multiply(TVector* VecB, TVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNCol != VecB->NrOfElem()) return false;
  const auto c = static_cast<std::size_t>(FNCol);
  const auto r = static_cast<std::size_t>(std::max<Integer>(FNRow, 0));
  std::vector<double> b(c);
  for (std::size_t i = 0; i < c; ++i) b[i] = VecB->GetVal(static_cast<Integer>(i + 1));
  std::vector<double> res(r, 0.0);
  // Column by column: every element still sums its products in ascending column order.
  for (std::size_t i = 0; i < c && r > 0; ++i) {
    const double* col = FData.data() + i * r;
    const double bi = b[i];
    for (std::size_t j = 0; j < r; ++j) res[j] += col[j] * bi;
  }
  detail::TUseGuard use(this, VecB, VecRes);
  // SetVecSize skips the resize for a count below 1 or the current one: grant only a real one.
  if (FNRow > 0 && FNRow != VecRes->NrOfElem()) {
    use.AllowResize(VecRes);
    VecRes->SetVecSize(FNRow);
  }
  for (std::size_t j = 0; j < r; ++j) VecRes->SetVal(static_cast<Integer>(j + 1), res[j]);
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(TVector* VecB, TVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  const auto c = static_cast<std::size_t>(std::max<Integer>(FNCol, 0));
  const auto r = static_cast<std::size_t>(FNRow);
  std::vector<double> b(r);
  for (std::size_t j = 0; j < r; ++j) b[j] = VecB->GetVal(static_cast<Integer>(j + 1));
  std::vector<double> res(c, 0.0);
  for (std::size_t i = 0; i < c; ++i) {
    const double* col = FData.data() + i * r;
    double s = 0.0;
    for (std::size_t j = 0; j < r; ++j) s += col[j] * b[j];
    res[i] = s;
  }
  detail::TUseGuard use(this, VecB, VecRes);
  if (FNCol > 0 && FNCol != VecRes->NrOfElem()) {
    use.AllowResize(VecRes);
    VecRes->SetVecSize(FNCol);
  }
  for (std::size_t i = 0; i < c; ++i) VecRes->SetVal(static_cast<Integer>(i + 1), res[i]);
  Changed();
  return true;
}

// ---- cell-wise arithmetic ----

bool TMatrix::Add(TMatrix* MatB) {
  if (MatB == nullptr || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) FData[x] += MatB->FData[x];
  Changed();
  return true;
}

bool TMatrix::Subtract(TMatrix* MatB) {
  if (MatB == nullptr || MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) FData[x] -= MatB->FData[x];
  Changed();
  return true;
}

void TMatrix::SMult(double Scalar) {
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) FData[x] *= Scalar;
  Changed();
}

void TMatrix::SAdd(double Scalar) {
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) FData[x] += Scalar;
  Changed();
}

bool TMatrix::Transpose() {
  // Replaces the store: refused, like a resize, while a call uses this matrix.
  if (!MayResize()) return false;
  const Integer nc = FNRow;
  const Integer nr = FNCol;
  const Integer cols = std::max<Integer>(nc, 1);
  const Integer rows = std::max<Integer>(nr, 1);
  std::vector<double> store = NewStore(cols, rows);
  // Blocks of 32 by 32 cells keep both the read and the write side in cache.
  constexpr Integer kB = 32;
  const auto oldLd = static_cast<std::size_t>(FNRow);
  const auto newLd = static_cast<std::size_t>(rows);
  for (Integer i0 = 0; i0 < FNCol; i0 += kB) {
    for (Integer j0 = 0; j0 < FNRow; j0 += kB) {
      const Integer i1 = std::min(i0 + kB, FNCol);
      const Integer j1 = std::min(j0 + kB, FNRow);
      for (Integer j = j0; j < j1; ++j) {
        for (Integer i = i0; i < i1; ++i) {
          store[static_cast<std::size_t>(j) * newLd + static_cast<std::size_t>(i)] =
              FData[static_cast<std::size_t>(i) * oldLd + static_cast<std::size_t>(j)];
        }
      }
    }
  }
  FData.swap(store);
  FAllocCols = cols;
  FAllocRows = rows;
  FNCol = nc;
  FNRow = nr;
  Changed();
  return true;
}

double TMatrix::Trace() const {
  if (FNCol != FNRow) return 0.0;
  double s = 0.0;
  for (Integer i = 1; i <= FNCol; ++i) s += FData[Index(i, i)];
  return s;
}

double TMatrix::Norm(TNormType nt) const {
  const auto c = static_cast<std::size_t>(std::max<Integer>(FNCol, 0));
  const auto r = static_cast<std::size_t>(std::max<Integer>(FNRow, 0));
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  switch (nt) {
    case ntColwise: {
      double best = 0.0;
      for (std::size_t i = 0; i < c && r > 0; ++i) {
        double s = 0.0;
        for (std::size_t j = 0; j < r; ++j) s += std::fabs(FData[i * r + j]);
        if (s > best) best = s;
      }
      return best;
    }
    case ntRowwise: {
      std::vector<double> sums(r, 0.0);
      for (std::size_t i = 0; i < c && r > 0; ++i) {
        for (std::size_t j = 0; j < r; ++j) sums[j] += std::fabs(FData[i * r + j]);
      }
      double best = 0.0;
      for (double s : sums) {
        if (s > best) best = s;
      }
      return best;
    }
    case ntFrobenius:
      return detail::RootSumSq([&](auto&& f) {
        for (std::size_t x = 0; x < cells; ++x) f(FData[x]);
      });
    case ntSpectral: {
      const Integer n = FNCol;
      // MathFeedBackProc runs at every step of the decomposition.
      detail::TUseGuard use(this);
      // Temporaries on the stack are released on every exit, the exception included.
      TMatrix a(nullptr);
      a.Resize(FNCol, FNRow);
      std::copy_n(FData.data(), cells, a.FData.data());
      TMatrix v(nullptr);
      v.Resize(n, n);
      TVector w(nullptr);
      w.SetVecSize(n);
      if (!detail::SingValDecompCore(&a, &v, &w)) {
        throw ENUVMatrixError("near singular covariance matrix");
      }
      double best = 0.0;
      for (Integer i = 1; i <= n; ++i) {
        if (w.GetVal(i) > best) best = w.GetVal(i);
      }
      return best;
    }
    default:
      return 0.0;
  }
}

// ---- decompositions ----

namespace {

// Row scale factors 1/(largest |a[i, ·]|) of an n by n column-major buffer; false at a zero row.
bool RowScales(const double* a, Integer n, std::vector<double>& scale, bool TestAbort) {
  const auto N = static_cast<std::size_t>(n);
  std::vector<double> big(N, 0.0);
  for (std::size_t j = 0; j < N; ++j) {
    for (std::size_t i = 0; i < N; ++i) {
      const double t = std::fabs(a[j * N + i]);
      if (t > big[i]) big[i] = t;
    }
  }
  scale.assign(N, 0.0);
  for (std::size_t i = 0; i < N; ++i) {
    if (TestAbort && AbortMathProc.load()) return false;
    if (big[i] == 0.0) return false;
    scale[i] = 1.0 / big[i];
  }
  return true;
}

// The column-by-column Crout loop on the cells of U through GetVal/SetVal, so that every write
// fires U's handler; a[i, j] is U(j, i). Returns false when a pivot was floored.
bool CroutObserved(TMatrix& U, Integer n, std::vector<double>& scale, Integer& NumPerm) {
  auto a = [&U](Integer i, Integer j) { return U.GetVal(j, i); };
  auto set = [&U](Integer i, Integer j, double x) { U.SetVal(j, i, x); };
  bool ok = true;
  for (Integer j = 1; j <= n; ++j) {
    for (Integer i = 1; i < j; ++i) {
      double sum = a(i, j);
      for (Integer k = 1; k < i; ++k) sum -= a(i, k) * a(k, j);
      set(i, j, sum);
    }
    Integer imax = j;
    double big = 0.0;
    for (Integer i = j; i <= n; ++i) {
      double sum = a(i, j);
      for (Integer k = 1; k < j; ++k) sum -= a(i, k) * a(k, j);
      set(i, j, sum);
      const double d = scale[static_cast<std::size_t>(i - 1)] * std::fabs(sum);
      if (d >= big) {
        big = d;
        imax = i;
      }
    }
    if (imax != j) {
      for (Integer k = 1; k <= n; ++k) {
        const double dum = a(imax, k);
        set(imax, k, a(j, k));
        set(j, k, dum);
      }
      NumPerm = -NumPerm;
      scale[static_cast<std::size_t>(imax - 1)] = scale[static_cast<std::size_t>(j - 1)];
    }
    if (std::fabs(a(j, j)) < kTinyPivot) {
      set(j, j, kTinyPivot);
      ok = false;
    }
    if (j < n) {
      const double d = a(j, j);
      for (Integer i = j + 1; i <= n; ++i) set(i, j, a(i, j) / d);
    }
  }
  return ok;
}

}  // namespace

bool TMatrix::LUdecomposition(TMatrix*& MatL, TMatrix*& MatU, Integer& NumPerm) {
  NumPerm = 1;
  if (FNCol != FNRow || MatL == nullptr || MatU == nullptr || MatL == MatU) return false;
  const Integer n = FNCol;
  // Handlers of MatL and MatU (their resizes and cells) may not resize any of the three.
  detail::TUseGuard use(this, MatL, MatU);
  // MatL may be this matrix: keep its cells before MatL is cleared.
  TMatrix saved(nullptr);
  TMatrix* source = this;
  if (MatL == this) {
    saved.Resize(n, n);
    std::copy_n(FData.data(), VisibleCells(n, n), saved.FData.data());
    source = &saved;
  }
  use.AllowResize(MatL);
  MatL->Resize(n, n);
  if (MatL->FNCol != n || MatL->FNRow != n) return false;
  MatL->Fill(0.0);
  // Clone resizes MatU, which this call holds: its resize is this call's to grant.
  use.AllowResize(MatU);
  MatU->Clone(source);
  if (MatU->FNCol != n || MatU->FNRow != n) return false;

  std::vector<double> scale;
  if (!RowScales(MatU->FData.data(), n, scale, false)) return false;
  bool ok = true;
  if (MatU->FOnChange) {
    ok = CroutObserved(*MatU, n, scale, NumPerm);
  } else {
    std::vector<int> piv;
    const detail::TCroutResult res = detail::CroutLU(MatU->FData.data(), n, scale, piv, false);
    NumPerm = res.Parity;
    ok = !res.Floored;
  }
  if (!ok) return false;
  for (Integer i = 1; i < n; ++i) {
    MatL->SetVal(i, i, 1.0);
    for (Integer j = i + 1; j <= n; ++j) {
      MatL->SetVal(i, j, MatU->GetVal(i, j));
      MatU->SetVal(i, j, 0.0);
    }
  }
  MatL->SetVal(n, n, 1.0);
  return true;
}

double TMatrix::Determinant() {
  TMatrix l(nullptr);
  TMatrix u(nullptr);
  l.Resize(2, 2);
  u.Resize(2, 2);
  TMatrix* pl = &l;
  TMatrix* pu = &u;
  Integer numPerm = 1;
  if (!LUdecomposition(pl, pu, numPerm)) return 0.0;
  // Mantissas and exponents multiplied apart (the partial products of a representable
  // determinant may overflow or underflow), joined once at the end.
  double mant = 1.0;
  long exp2 = 0;
  for (Integer i = 1; i <= u.FNCol; ++i) {
    int e = 0;
    mant *= std::frexp(u.FData[u.Index(i, i)], &e);
    exp2 += e;
    int renorm = 0;
    mant = std::frexp(mant, &renorm);
    exp2 += renorm;
  }
  const int clamped = static_cast<int>(std::clamp<long>(exp2, -4000, 4000));
  return numPerm * std::ldexp(mant, clamped);
}

bool TMatrix::Invert() {
  if (FNCol != FNRow || FNCol < 1) return false;
  const Integer n = FNCol;
  const std::uint64_t cells = static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n);
  // MathFeedBackProc runs at every step: the result is copied back into n by n cells.
  detail::TUseGuard use(this);
  // The decomposition and the solution work on copies: A changes only on success.
  auto lu = WorkArray(cells);
  auto inv = lu ? WorkArray(cells) : nullptr;
  if (!lu || !inv) Raise("not enough memory on heap");
  std::vector<double> scale;
  std::vector<int> piv;
  try {
    scale.reserve(static_cast<std::size_t>(n));
    piv.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  std::copy_n(FData.data(), static_cast<std::size_t>(cells), lu->data());
  bool ok = RowScales(lu->data(), n, scale, true);
  if (ok) {
    const detail::TCroutResult res = detail::CroutLU(lu->data(), n, scale, piv, true);
    ok = !res.Aborted && !res.Floored;
  }
  if (ok) ok = detail::CroutInverse(lu->data(), n, piv, inv->data(), true);
  if (ok) std::copy_n(inv->data(), static_cast<std::size_t>(cells), FData.data());
  Changed();
  return ok;
}

bool TMatrix::CholeskyDecomp(TMatrix*& MatL) {
  if (FNCol != FNRow || MatL == nullptr) return false;
  const Integer n = FNCol;
  const auto N = static_cast<std::size_t>(std::max<Integer>(n, 0));
  // A(i, j) is column i, row j: the input comes from column <= row, the factor's off-diagonal
  // element L[j, i] goes to A(j, i) above the diagonal.
  auto at = [this, N](Integer i, Integer j) -> double& {
    return FData[static_cast<std::size_t>(i - 1) * N + static_cast<std::size_t>(j - 1)];
  };
  std::vector<double> d(N + 1, 0.0);
  bool wrote = false;
  bool ok = true;
  for (Integer i = 1; i <= n && ok; ++i) {
    for (Integer j = i; j <= n; ++j) {
      double s = at(i, j);
      for (Integer k = 1; k < i; ++k) s -= at(i, k) * at(j, k);
      if (j == i) {
        if (!(s > 0.0)) {  // a NaN pivot is no more positive definite than a negative one
          ok = false;
          break;
        }
        d[static_cast<std::size_t>(i)] = std::sqrt(s);
      } else {
        at(j, i) = s / d[static_cast<std::size_t>(i)];
        wrote = true;
      }
    }
  }
  // MatL's handlers may not resize this matrix while its cells are read.
  detail::TUseGuard use(this, MatL);
  if (ok) {
    use.AllowResize(MatL);
    MatL->Resize(n, n);
    // A refused resize (this call started from a handler): a factor of another size is no
    // factor at all.
    ok = MatL->FNCol == n && MatL->FNRow == n;
  }
  if (ok) {
    for (Integer i = 1; i <= n; ++i) {
      for (Integer j = i + 1; j <= n; ++j) MatL->SetVal(i, j, GetVal(j, i));
      MatL->SetVal(i, i, d[static_cast<std::size_t>(i)]);
    }
  }
  if (wrote) Changed();
  return ok;
}

bool TMatrix::Balance() {
  if (FNCol != FNRow) return false;
  const Integer n = FNCol;
  const auto N = static_cast<std::size_t>(std::max<Integer>(n, 0));
  auto at = [this, N](std::size_t col, std::size_t row) -> double& { return FData[col * N + row]; };
  for (;;) {
    double largest = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
      double rowSum = 0.0;
      double colSum = 0.0;
      for (std::size_t j = 0; j < N; ++j) {
        if (j == i) continue;
        rowSum += std::fabs(at(j, i));
        colSum += std::fabs(at(i, j));
      }
      // A zero sum would make the factor 0 or infinite and turn zeros into NaN; a factor that
      // is not a positive finite number (non-finite cells, overflowing ratio) is skipped too.
      if (rowSum == 0.0 || colSum == 0.0) continue;
      const double f = std::sqrt(rowSum / colSum);
      if (!(f > 0.0) || !std::isfinite(f)) continue;
      for (std::size_t j = 0; j < N; ++j) {
        if (j == i) continue;
        at(j, i) /= f;
        at(i, j) *= f;
      }
      if (f > largest) largest = f;
    }
    if (largest < kBalanceLimit) break;
  }
  return true;
}

void TMatrix::Diff(Integer Order) {
  if (Order < 1 || Order > 10 || Order >= FNRow) return;
  // The differences are only written when the rows can then be dropped.
  if (!MayResize()) return;
  const auto r = static_cast<std::size_t>(FNRow);
  for (Integer pass = 0; pass < Order; ++pass) {
    for (Integer i = 0; i < FNCol; ++i) {
      double* col = FData.data() + static_cast<std::size_t>(i) * r;
      for (std::size_t j = 0; j + 1 < r; ++j) col[j] = col[j + 1] - col[j];
    }
  }
  Resize(FNCol, FNRow - Order);
}

}  // namespace nuv
