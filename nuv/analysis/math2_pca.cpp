#include "nuv/analysis/math2_pca.hpp"

#include <cmath>
#include <cstddef>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/hooks.hpp"

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

}  // namespace

inline namespace NUV_math2 {

bool CalcCovar(TMatrix* Data, TMatrix* Result, Integer LowCol, Integer HighCol, Integer LowRow,
               Integer HighRow, Integer Mode) {
  AbortMathProc = false;
  if (Data == nullptr || Result == nullptr) return false;
  if (!ResolveBounds(*Data, LowCol, HighCol, LowRow, HighRow)) return false;
  const Integer c = HighCol - LowCol + 1;
  if (Result->NrOfColumns() < c || Result->NrOfRows() < c) return false;
  const Integer n = HighRow - LowRow + 1;
  const double nd = static_cast<double>(n);
  const double divisor = nd - 1.0;
  const auto cs = static_cast<std::size_t>(c);

  std::vector<double> mean(cs, 0.0);
  std::vector<double> var(cs, 0.0);
  if (Mode >= 1 && Mode <= 4) {
    std::vector<double> sum(cs, 0.0);
    std::vector<double> sumSq(cs, 0.0);
    for (Integer r = LowRow; r <= HighRow; ++r) {
      for (Integer k = 0; k < c; ++k) {
        const double x = Data->GetVal(LowCol + k, r);
        sum[static_cast<std::size_t>(k)] += x;
        sumSq[static_cast<std::size_t>(k)] += x * x;
      }
      StepProcStat();
    }
    for (std::size_t k = 0; k < cs; ++k) {
      // Cancellation can leave a constant column a tiny negative variance; its root would be NaN.
      const double v = (sumSq[k] - sum[k] * sum[k] / nd) / divisor;
      var[k] = v > 0.0 ? v : 0.0;
      mean[k] = sum[k] / nd;
    }
  }

  for (Integer i = 1; i <= c && !AbortMathProc; ++i) {
    const Integer ci = LowCol + i - 1;
    const double mi = mean[static_cast<std::size_t>(i - 1)];
    for (Integer j = 1; j <= i; ++j) {
      AddProcStat(nd);
      const Integer cj = LowCol + j - 1;
      const double mj = mean[static_cast<std::size_t>(j - 1)];
      double s = 0.0;
      switch (Mode) {
        case 0:
          for (Integer r = LowRow; r <= HighRow; ++r)
            s += Data->GetVal(ci, r) * Data->GetVal(cj, r);
          break;
        case 1:
          for (Integer r = LowRow; r <= HighRow; ++r) {
            s += (Data->GetVal(ci, r) - mi) * (Data->GetVal(cj, r) - mj);
          }
          break;
        case 2:
        case 3: {
          double root = std::sqrt(var[static_cast<std::size_t>(i - 1)] *
                                  var[static_cast<std::size_t>(j - 1)]);
          if (root == 0.0) root = 1e-38;
          for (Integer r = LowRow; r <= HighRow; ++r) {
            s += (Data->GetVal(ci, r) - mi) * (Data->GetVal(cj, r) - mj) / root;
          }
          break;
        }
        case 4:
          for (Integer r = LowRow; r <= HighRow; ++r) {
            const double d = Data->GetVal(ci, r) - Data->GetVal(cj, r);
            s += d * d;
          }
          break;
        default:
          break;
      }
      double value = s / divisor;
      if (Mode == 3) value *= value;
      if (Mode == 2 && i == j) value = 1.0;
      Result->SetVal(j, i, value);
      Result->SetVal(i, j, value);
    }
  }
  return !AbortMathProc;
}

bool CalcEigVec(TMatrix* M) {
  if (M == nullptr) return false;
  const Integer n = M->NrOfColumns();
  if (n > 10000 || M->NrOfRows() != n) return false;
  const auto ns = static_cast<std::size_t>(n);

  std::vector<double> v;
  std::vector<double> d;
  std::vector<double> b;
  std::vector<double> z;
  try {
    v.assign(ns * ns, 0.0);
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
  // Cell (row r, column c) of the upper triangle is M(c, r); vector component (row j, vector i).
  auto vAt = [&](Integer j, Integer i) -> double& {
    return v[static_cast<std::size_t>(j - 1) * ns + static_cast<std::size_t>(i - 1)];
  };
  for (Integer i = 1; i <= n; ++i) {
    vAt(i, i) = 1.0;
    d[static_cast<std::size_t>(i - 1)] = M->GetVal(i, i);
    b[static_cast<std::size_t>(i - 1)] = d[static_cast<std::size_t>(i - 1)];
  }
  const double n2 = static_cast<double>(n) * static_cast<double>(n);

  bool result = true;
  bool done = false;
  Integer sweep = 1;
  while (!done && !AbortMathProc) {
    StepProcStat();
    double sm = 0.0;
    for (Integer q = 2; q <= n; ++q) {
      for (Integer p = 1; p < q; ++p) sm += std::fabs(M->GetVal(q, p));
    }
    if (sm == 0.0) {
      done = true;
    } else {
      const double thresh = sweep < 4 ? 0.2 * sm / n2 : 0.0;
      for (Integer p = 1; p < n && !AbortMathProc; ++p) {
        for (Integer q = p + 1; q <= n && !AbortMathProc; ++q) {
          StepProcStat();
          const double a = M->GetVal(q, p);
          const double g = 200.0 * std::fabs(a);
          double& dp = d[static_cast<std::size_t>(p - 1)];
          double& dq = d[static_cast<std::size_t>(q - 1)];
          if (sweep > 4 && std::fabs(dp) + g == std::fabs(dp) &&
              std::fabs(dq) + g == std::fabs(dq)) {
            M->SetVal(q, p, 0.0);
          } else if (std::fabs(a) > thresh) {
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
            M->SetVal(q, p, 0.0);
            // Upper-triangle cells (r1, c1) and (r2, c2) turned by the same rotation.
            auto rotate = [&](Integer r1, Integer c1, Integer r2, Integer c2) {
              const double gg = M->GetVal(c1, r1);
              const double hh = M->GetVal(c2, r2);
              M->SetVal(c1, r1, gg - s * (hh + gg * tau));
              M->SetVal(c2, r2, hh + s * (gg - hh * tau));
            };
            for (Integer j = 1; j < p; ++j) rotate(j, p, j, q);
            for (Integer j = p + 1; j < q; ++j) rotate(p, j, j, q);
            for (Integer j = q + 1; j <= n; ++j) rotate(p, j, q, j);
            for (Integer j = 1; j <= n; ++j) {
              const double gg = vAt(j, p);
              const double hh = vAt(j, q);
              vAt(j, p) = gg - s * (hh + gg * tau);
              vAt(j, q) = hh + s * (gg - hh * tau);
            }
          }
        }
      }
      for (std::size_t k = 0; k < ns; ++k) {
        b[k] += z[k];
        d[k] = b[k];
        z[k] = 0.0;
      }
    }
    ++sweep;
    if (sweep > 100) {
      result = false;
      break;
    }
  }
  if (AbortMathProc) result = false;

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
  // Sized from the resolved columns, so (0, 0) means every column here as in CalcCovar.
  if (!ResolveBounds(*Data, LowCol, HighCol, LowRow, HighRow)) return false;
  const Integer c = HighCol - LowCol + 1;
  if (c > 10000) return false;
  {
    TMatrix cov(nullptr);
    if (!cov.Resize(c, c)) return false;
    if (!CalcCovar(Data, &cov, LowCol, HighCol, LowRow, HighRow, Mode)) return false;
    if (!CalcEigVec(&cov)) return false;
  }

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
