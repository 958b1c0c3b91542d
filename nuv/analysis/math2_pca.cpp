#include "nuv/analysis/math2_pca.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"

namespace nuv {

namespace {

// The process-wide eigen store: component j of eigenvector i at (j - 1)·n + (i - 1).
struct TEigenStore {
  Integer Size = 0;
  std::vector<double> Values;
  std::vector<double> Vectors;
};

// Plain pointers and a constant-initialised mutex: the unit's finalisation may run after the
// destructors of other statics.
std::mutex gStoreMutex;
TEigenStore* gStore = nullptr;

// Replaces the store (nullptr frees it); the caller holds gStoreMutex.
void SetStore(TEigenStore* NewStore) noexcept {
  delete gStore;
  gStore = NewStore;
}

// Adds Amount to ProcStat without losing a concurrent addition, then reports it.
void AddProcStat(double Amount) {
  double expected = ProcStat.load(std::memory_order_relaxed);
  while (!ProcStat.compare_exchange_weak(expected, expected + Amount, std::memory_order_relaxed)) {
  }
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(expected + Amount);
  }
}

// Column range of CalcCovar and CalcPrincComp: (0, 0) is every column; other bounds must lie
// inside the data in order, as must the rows, with at least two rows for the n - 1 divisor.
bool ResolveBounds(const TMatrix& Data, Integer& LowCol, Integer& HighCol, Integer LowRow,
                   Integer HighRow) {
  if (LowCol == 0 && HighCol == 0) {
    LowCol = 1;
    HighCol = Data.NrOfColumns();
  }
  if (LowCol < 1 || HighCol > Data.NrOfColumns() || LowCol > HighCol) return false;
  return LowRow >= 1 && HighRow <= Data.NrOfRows() && LowRow < HighRow;
}

// Sums over the rows of G cells (xi, xj[g]) at once: each cell keeps its own accumulator and
// adds its row terms in row order, so the sums are those of one cell at a time.
template <int G, class Term>
void GroupSums(const double* xi, const double* const* xj, std::size_t rows, const Term& term,
               double* out) {
  double s[G] = {};
  for (std::size_t r = 0; r < rows; ++r) {
    const double a = xi[r];
    for (int g = 0; g < G; ++g) s[g] += term(g, a, xj[g][r]);
  }
  for (int g = 0; g < G; ++g) out[g] = s[g];
}

// Sums of the cells (i, 1..count) read straight from column-major storage; xj are the columns
// of those cells, mj their means and root the roots of their variance products.
template <class Term>
void RowOfSums(const double* xi, const double* const* xj, std::size_t rows, std::size_t count,
               const Term& term, double* out) {
  constexpr int kGroup = 4;
  std::size_t j = 0;
  for (; j + kGroup <= count; j += kGroup) {
    GroupSums<kGroup>(
        xi, xj + j, rows, [&](int g, double a, double b) { return term(j + g, a, b); }, out + j);
  }
  for (; j < count; ++j) {
    GroupSums<1>(
        xi, xj + j, rows, [&](int, double a, double b) { return term(j, a, b); }, out + j);
  }
}

}  // namespace

namespace {

// CalcCovar in power-of-two units: a column whose largest magnitude is extreme is read times
// 2^-e (see scaling.hpp), its own e in modes 0 to 3, one e for all columns in mode 4 (whose
// differences need one unit) and where UnitExp is given. The cells are given back in the
// caller's units (covariances times 2^(ei + ej), correlations as they are), or, with UnitExp,
// left in the common unit, whose exponent is stored there.
bool CovarInUnits(TMatrix* Data, TMatrix* Result, Integer LowCol, Integer HighCol, Integer LowRow,
                  Integer HighRow, Integer Mode, int* UnitExp) {
  AbortMathProc = false;
  if (Data == nullptr || Result == nullptr) return false;
  // The column pointers and sizes below outlive every progress report and change event.
  const detail::TUseGuard use(Data, Result);
  if (!ResolveBounds(*Data, LowCol, HighCol, LowRow, HighRow)) return false;
  const Integer c = HighCol - LowCol + 1;
  if (Result->NrOfColumns() < c || Result->NrOfRows() < c) return false;
  const Integer n = HighRow - LowRow + 1;
  const double nd = static_cast<double>(n);
  const double divisor = nd - 1.0;
  const auto cs = static_cast<std::size_t>(c);
  const auto rows = static_cast<std::size_t>(n);

  // The sums of a row of cells may be formed before its cells are stored only when no store
  // can reach the data: a separate result without a change handler. Otherwise every cell is
  // summed through GetVal right before it is written, as the data may change in between.
  const bool direct = Data != Result && !detail::TMatrixAccess::Observed(*Result);
  const double* cells = detail::TMatrixAccess::Cells(*Data);
  const auto ld = static_cast<std::size_t>(Data->NrOfRows());
  std::vector<const double*> column(cs);
  for (std::size_t k = 0; k < cs; ++k) {
    column[k] = cells + (static_cast<std::size_t>(LowCol - 1) + k) * ld +
                static_cast<std::size_t>(LowRow - 1);
  }

  // Each column's largest magnitude decides its unit (in the pass of the means where there is one,
  // so ordinary data pay nothing); the rare scaled columns are read again, without progress.
  std::vector<double> big(cs, 0.0);
  std::vector<double> sum(cs, 0.0);
  auto raw = [&](std::size_t k, Integer r) {
    return direct ? column[k][static_cast<std::size_t>(r - LowRow)]
                  : Data->GetVal(LowCol + static_cast<Integer>(k), r);
  };
  const bool withMeans = Mode >= 1 && Mode <= 4;
  if (withMeans) {
    for (Integer r = LowRow; r <= HighRow; ++r) {
      for (std::size_t k = 0; k < cs; ++k) {
        const double x = raw(k, r);
        sum[k] += x;
        big[k] = std::max(big[k], std::fabs(x));
      }
      StepProcStat();
    }
  } else {
    for (std::size_t k = 0; k < cs; ++k) {
      for (Integer r = LowRow; r <= HighRow; ++r) big[k] = std::max(big[k], std::fabs(raw(k, r)));
    }
  }
  std::vector<int> ex(cs, 0);
  if (Mode == 4 || UnitExp != nullptr) {
    const int e = detail::SafeScaleExponent(*std::max_element(big.begin(), big.end()));
    std::fill(ex.begin(), ex.end(), e);
    if (UnitExp != nullptr) *UnitExp = e;
  } else {
    for (std::size_t k = 0; k < cs; ++k) ex[k] = detail::SafeScaleExponent(big[k]);
  }
  std::vector<double> factor(cs, 1.0);
  std::vector<std::vector<double>> scaledColumn(cs);
  for (std::size_t k = 0; k < cs; ++k) {
    if (ex[k] == 0) continue;
    factor[k] = detail::ScaleFactor(ex[k]);
    if (direct) {
      scaledColumn[k].resize(rows);
      for (std::size_t r = 0; r < rows; ++r) scaledColumn[k][r] = column[k][r] * factor[k];
      column[k] = scaledColumn[k].data();
    }
    if (withMeans) {
      sum[k] = 0.0;
      for (Integer r = LowRow; r <= HighRow; ++r) {
        sum[k] += direct ? column[k][static_cast<std::size_t>(r - LowRow)]
                         : Data->GetVal(LowCol + static_cast<Integer>(k), r) * factor[k];
      }
    }
  }
  // A cell in the working unit of its column: the plain value where that unit is the caller's.
  auto at = [&](std::size_t k, Integer r) {
    return direct ? column[k][static_cast<std::size_t>(r - LowRow)]
                  : Data->GetVal(LowCol + static_cast<Integer>(k), r) * factor[k];
  };

  // Means in one pass (the progress steps), then per column the sum d1 and the sum of squares
  // d2 of the deviations from the mean: the corrected variance (d2 - d1^2/n)/(n - 1) keeps its
  // digits for data far from zero, where the raw (Sxx - Sx^2/n) cancels to nothing.
  std::vector<double> mean(cs, 0.0);
  std::vector<double> dev(cs, 0.0);
  std::vector<double> root(cs, 0.0);
  std::vector<double> var(cs, 0.0);
  if (withMeans) {
    for (std::size_t k = 0; k < cs && Mode != 4; ++k) {
      const double m = sum[k] / nd;
      const double first = at(k, LowRow);
      double d1 = 0.0, d2 = 0.0;
      bool varies = false;
      for (Integer r = LowRow; r <= HighRow; ++r) {
        const double x = at(k, r);
        varies = varies || x != first;
        const double d = x - m;
        d1 += d;
        d2 += d * d;
      }
      // A constant column has no spread, though its rounded mean leaves deviations of an ulp.
      const double v = varies ? (d2 - d1 * d1 / nd) / divisor : 0.0;
      var[k] = v > 0.0 ? v : 0.0;
      mean[k] = m;
      dev[k] = d1;
    }
  }

  std::vector<double> sums(cs, 0.0);
  for (Integer i = 1; i <= c && !AbortMathProc; ++i) {
    const auto is = static_cast<std::size_t>(i - 1);
    const double mi = mean[is];
    // A column without spread correlates with nothing: its pairs are 0, not a quotient of
    // rounding noise by a zero root.
    // (The product of two variances in their units may leave the normal range: then the
    // product of the roots.)
    for (std::size_t j = 0; j <= is; ++j) {
      const double p = var[is] * var[j];
      const bool normal = p >= 0x1p-1022 && p <= 0x1.fffffffffffffp1023;
      root[j] = normal ? std::sqrt(p) : std::sqrt(var[is]) * std::sqrt(var[j]);
    }
    if (direct) {
      const double* xi = column[is];
      const double* const* xj = column.data();
      const std::size_t count = is + 1;
      switch (Mode) {
        case 0:
          RowOfSums(
              xi, xj, rows, count, [](std::size_t, double a, double b) { return a * b; },
              sums.data());
          break;
        case 1:
        case 2:
        case 3:
          RowOfSums(
              xi, xj, rows, count,
              [&](std::size_t j, double a, double b) { return (a - mi) * (b - mean[j]); },
              sums.data());
          break;
        case 4:
          RowOfSums(
              xi, xj, rows, count,
              [](std::size_t, double a, double b) {
                const double d = a - b;
                return d * d;
              },
              sums.data());
          break;
        default:
          break;
      }
    }
    for (Integer j = 1; j <= i; ++j) {
      AddProcStat(nd);
      const auto js = static_cast<std::size_t>(j - 1);
      const double mj = mean[js];
      const bool noSpread = (Mode == 2 || Mode == 3) && root[js] == 0.0;
      double s = 0.0;
      if (direct) {
        s = sums[js];
      } else if (!noSpread) {
        switch (Mode) {
          case 0:
            for (Integer r = LowRow; r <= HighRow; ++r) s += at(is, r) * at(js, r);
            break;
          case 1:
          case 2:
          case 3:
            for (Integer r = LowRow; r <= HighRow; ++r) s += (at(is, r) - mi) * (at(js, r) - mj);
            break;
          case 4:
            for (Integer r = LowRow; r <= HighRow; ++r) {
              const double d = at(is, r) - at(js, r);
              s += d * d;
            }
            break;
          default:
            break;
        }
      }
      double value = 0.0;
      if (Mode >= 1 && Mode <= 3) {
        // The corrected cross sum; dividing the covariance by the roots makes a column's
        // correlation with itself exactly 1.
        value = (s - dev[is] * dev[js] / nd) / divisor;
        if (Mode != 1) value = noSpread ? 0.0 : std::clamp(value / root[js], -1.0, 1.0);
      } else {
        value = s / divisor;
      }
      // Covariances, products and squared differences back in the caller's units (∞ where
      // such a cell itself overflows); correlations have none.
      if (Mode != 2 && Mode != 3 && UnitExp == nullptr)
        value = detail::ScaleUp(value, ex[is] + ex[js]);
      if (Mode == 3) value *= value;
      if (Mode == 2 && i == j) value = 1.0;
      Result->SetVal(j, i, value);
      Result->SetVal(i, j, value);
    }
  }
  return !AbortMathProc;
}

}  // namespace

inline namespace NUV_math2 {

bool CalcCovar(TMatrix* Data, TMatrix* Result, Integer LowCol, Integer HighCol, Integer LowRow,
               Integer HighRow, Integer Mode) {
  return CovarInUnits(Data, Result, LowCol, HighCol, LowRow, HighRow, Mode, nullptr);
}

}  // namespace NUV_math2

namespace {

// Cells of M above the diagonal by (row, column): straight from storage, or through GetVal and
// SetVal when a change handler watches M, so that it sees every store as it happens.
struct TDirectCells {
  double* Cells;
  std::size_t N;
  double Get(Integer r, Integer c) const noexcept {
    return Cells[static_cast<std::size_t>(c - 1) * N + static_cast<std::size_t>(r - 1)];
  }
  void Set(Integer r, Integer c, double v) const noexcept {
    Cells[static_cast<std::size_t>(c - 1) * N + static_cast<std::size_t>(r - 1)] = v;
  }
  // Column c from row 1: the cells (1..c - 1, c) are contiguous.
  double* Column(Integer c) const noexcept { return Cells + static_cast<std::size_t>(c - 1) * N; }
};

struct TWatchedCells {
  TMatrix* M;
  double Get(Integer r, Integer c) const noexcept { return M->GetVal(c, r); }
  void Set(Integer r, Integer c, double v) const { M->SetVal(c, r, v); }
};

// (g, h) turned into (g - s(h + g·tau), h + s(g - h·tau)).
inline void Rotate(double& x, double& y, double s, double tau) noexcept {
  const double g = x;
  const double h = y;
  x = g - s * (h + g * tau);
  y = h + s * (g - h * tau);
}

// The cyclic sweeps over the cells of Acc. vt holds eigenvector i as row i - 1 (component j at
// (i - 1)·n + j - 1), so that the two vectors of a rotation are contiguous. Returns false after
// 100 sweeps.
template <class Acc>
bool JacobiSweeps(const Acc& acc, Integer n, std::vector<double>& d, std::vector<double>& b,
                  std::vector<double>& z, std::vector<double>& vt) {
  const auto ns = static_cast<std::size_t>(n);
  const double n2 = static_cast<double>(n) * static_cast<double>(n);
  Integer sweep = 1;
  while (!AbortMathProc) {
    StepProcStat();
    double sm = 0.0;
    for (Integer q = 2; q <= n; ++q) {
      for (Integer p = 1; p < q; ++p) sm += std::fabs(acc.Get(p, q));
    }
    // A zero sum found at the hundredth test still counts as running out of sweeps.
    if (sm == 0.0) return sweep < 100;
    const double thresh = sweep < 4 ? 0.2 * sm / n2 : 0.0;
    for (Integer p = 1; p < n && !AbortMathProc; ++p) {
      for (Integer q = p + 1; q <= n && !AbortMathProc; ++q) {
        StepProcStat();
        const double a = acc.Get(p, q);
        const double g = 200.0 * std::fabs(a);
        double& dp = d[static_cast<std::size_t>(p - 1)];
        double& dq = d[static_cast<std::size_t>(q - 1)];
        if (sweep > 4 && std::fabs(dp) + g == std::fabs(dp) && std::fabs(dq) + g == std::fabs(dq)) {
          acc.Set(p, q, 0.0);
          continue;
        }
        if (!(std::fabs(a) > thresh)) continue;
        double h = dq - dp;
        double t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = a / h;
        } else {
          const double theta = 0.5 * h / a;
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0.0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        const double s = t * c;
        const double tau = s / (1.0 + c);
        h = t * a;
        z[static_cast<std::size_t>(p - 1)] -= h;
        z[static_cast<std::size_t>(q - 1)] += h;
        dp -= h;
        dq += h;
        acc.Set(p, q, 0.0);
        // Each cell pair is turned once, so the order of the three runs does not matter.
        if constexpr (std::is_same_v<Acc, TDirectCells>) {
          double* colP = acc.Column(p);
          double* colQ = acc.Column(q);
          for (Integer j = 1; j < p; ++j) {
            const auto k = static_cast<std::size_t>(j - 1);
            Rotate(colP[k], colQ[k], s, tau);
          }
          double* rowP = acc.Cells + static_cast<std::size_t>(p - 1);
          for (Integer j = p + 1; j < q; ++j) {
            Rotate(rowP[static_cast<std::size_t>(j - 1) * acc.N],
                   colQ[static_cast<std::size_t>(j - 1)], s, tau);
          }
          double* rowQ = acc.Cells + static_cast<std::size_t>(q - 1);
          for (Integer j = q + 1; j <= n; ++j) {
            const std::size_t k = static_cast<std::size_t>(j - 1) * acc.N;
            Rotate(rowP[k], rowQ[k], s, tau);
          }
        } else {
          auto turn = [&](Integer r1, Integer c1, Integer r2, Integer c2) {
            double x = acc.Get(r1, c1);
            double y = acc.Get(r2, c2);
            Rotate(x, y, s, tau);
            acc.Set(r1, c1, x);
            acc.Set(r2, c2, y);
          };
          for (Integer j = 1; j < p; ++j) turn(j, p, j, q);
          for (Integer j = p + 1; j < q; ++j) turn(p, j, j, q);
          for (Integer j = q + 1; j <= n; ++j) turn(p, j, q, j);
        }
        double* vp = vt.data() + static_cast<std::size_t>(p - 1) * ns;
        double* vq = vt.data() + static_cast<std::size_t>(q - 1) * ns;
        for (std::size_t j = 0; j < ns; ++j) Rotate(vp[j], vq[j], s, tau);
      }
    }
    for (std::size_t k = 0; k < ns; ++k) {
      b[k] += z[k];
      d[k] = b[k];
      z[k] = 0.0;
    }
    ++sweep;
    if (sweep > 100) return false;
  }
  return false;
}

}  // namespace

inline namespace NUV_math2 {

bool CalcEigVec(TMatrix* M) {
  if (M == nullptr) return false;
  // The sweeps keep M's storage and order across every progress report.
  const detail::TUseGuard use(M);
  const Integer n = M->NrOfColumns();
  if (n > 10000 || M->NrOfRows() != n) return false;
  const auto ns = static_cast<std::size_t>(n);

  std::vector<double> v;
  std::vector<double> vt;
  std::vector<double> d;
  std::vector<double> b;
  std::vector<double> z;
  try {
    v.assign(ns * ns, 0.0);
    vt.assign(ns * ns, 0.0);
    d.assign(ns, 0.0);
    b.assign(ns, 0.0);
    z.assign(ns, 0.0);
  } catch (const std::bad_alloc&) {
    {
      const std::lock_guard<std::mutex> lock(gStoreMutex);
      SetStore(nullptr);
    }
    detail::RaiseFunction<ENUVMath2Error>("CalcEigVec", "not enough memory");
  }

  AbortMathProc = false;
  for (std::size_t i = 0; i < ns; ++i) {
    vt[i * ns + i] = 1.0;
    d[i] = M->GetVal(static_cast<Integer>(i + 1), static_cast<Integer>(i + 1));
    b[i] = d[i];
  }
  bool result = false;
  if (n >= 1 && !detail::TMatrixAccess::Observed(*M)) {
    result = JacobiSweeps(TDirectCells{detail::TMatrixAccess::Cells(*M), ns}, n, d, b, z, vt);
  } else {
    result = JacobiSweeps(TWatchedCells{M}, n, d, b, z, vt);
  }
  if (AbortMathProc) result = false;
  // The store keeps component j of vector i at (j - 1)·n + i - 1.
  for (std::size_t i = 0; i < ns; ++i) {
    for (std::size_t j = 0; j < ns; ++j) v[j * ns + i] = vt[i * ns + j];
  }

  auto* st = new TEigenStore{n, std::move(d), std::move(v)};
  const std::lock_guard<std::mutex> lock(gStoreMutex);
  SetStore(st);
  return result;
}

double GetEigenResult(Integer ix, Integer j) {
  const std::lock_guard<std::mutex> lock(gStoreMutex);
  if (gStore == nullptr) return 0.0;
  const TEigenStore& st = *gStore;
  const Integer n = st.Size;
  if (ix < 1 || ix > n || j < 0 || j > n) return 0.0;
  const auto ns = static_cast<std::size_t>(n);
  if (j == 0) return st.Values[static_cast<std::size_t>(ix - 1)];
  return st.Vectors[static_cast<std::size_t>(j - 1) * ns + static_cast<std::size_t>(ix - 1)];
}

Integer GetEigenSize() {
  const std::lock_guard<std::mutex> lock(gStoreMutex);
  return gStore != nullptr ? gStore->Size : 0;
}

void RemoveEigenMatrix() {
  const std::lock_guard<std::mutex> lock(gStoreMutex);
  SetStore(nullptr);
}

bool CalcPrincComp(TMatrix* Data, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer Mode, bool ScaleEV) {
  if (Data == nullptr) return false;
  // The bounds resolved here must hold through the progress reports of both steps.
  const detail::TUseGuard use(Data);
  // Sized from the resolved columns, so (0, 0) means every column here as in CalcCovar.
  if (!ResolveBounds(*Data, LowCol, HighCol, LowRow, HighRow)) return false;
  const Integer c = HighCol - LowCol + 1;
  if (c > 10000) return false;
  // The covariances of data of extreme magnitude are decomposed in one power-of-two unit, so
  // that they are representable; the eigenvectors hold in any unit, the eigenvalues are given
  // back in the caller's (∞ where a variance itself overflows), or normalised.
  int unitExp = 0;
  {
    TMatrix cov(nullptr);
    if (!cov.Resize(c, c)) return false;
    if (!CovarInUnits(Data, &cov, LowCol, HighCol, LowRow, HighRow, Mode, &unitExp)) return false;
    if (!CalcEigVec(&cov)) return false;
  }
  if (Mode == 2 || Mode == 3) unitExp = 0;  // correlations have no unit

  const std::lock_guard<std::mutex> lock(gStoreMutex);
  if (gStore == nullptr) return false;
  TEigenStore& st = *gStore;
  const Integer n = st.Size;
  const auto ns = static_cast<std::size_t>(n);
  std::vector<double>& ev = st.Values;
  if (ScaleEV) {
    double sum = 0.0;
    for (const double x : ev) sum += std::fabs(x);
    if (sum != 0.0) {
      for (double& x : ev) x /= sum;
    }
  } else if (unitExp != 0) {
    for (double& x : ev) x = std::ldexp(x, 2 * unitExp);
  }
  // Selection sort: only values above 0 are picked, the first of equal largest ones.
  for (std::size_t i = 0; i < ns; ++i) {
    std::size_t h = i;
    double best = 0.0;
    for (std::size_t k = i; k < ns; ++k) {
      if (ev[k] > best) {
        best = ev[k];
        h = k;
      }
    }
    if (h == i) continue;
    std::swap(ev[i], ev[h]);
    for (std::size_t j = 0; j < ns; ++j) std::swap(st.Vectors[j * ns + i], st.Vectors[j * ns + h]);
  }
  return true;
}

bool CalcPrincComp(TMatrix* Data, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer Mode) {
  return CalcPrincComp(Data, LowCol, HighCol, LowRow, HighRow, Mode, true);
}

}  // namespace NUV_math2

namespace detail {

void FinalEigenStore() noexcept {
  RemoveEigenMatrix();
}

}  // namespace detail

}  // namespace nuv
