// Golub–Reinsch singular value decomposition: Householder bidiagonalisation, accumulation of
// both transformations, implicit-shift QR sweeps on the bidiagonal form.
//
// One algorithm, two stores. The observed store reads and writes every cell through
// GetVal/SetVal, so handlers see each write and out-of-size accesses read 0 or are dropped.
// The direct store works on the column-major cells; it is used only when nothing can observe
// the writes and every access is inside the containers. Its loops are reorganised around
// columns, but every cell receives the same operations in the same order, so both stores give
// identical bits.

#include "nuv/matrix/detail/svd.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"

namespace nuv::detail {
namespace {

double SignOf(double a, double b) {
  return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}
double MaxOf(double a, double b) {
  return a > b ? a : b;
}
// The plain hypotenuse: the negligibility tests below are calibrated on it. The matrix is
// brought into a safe unit first, so its squares neither overflow nor underflow.
double Hypot(double a, double b) {
  return std::sqrt(a * a + b * b);
}

// Every access through the containers' element methods; indices are 1-based (row, column).
class TObservedStore {
 public:
  static constexpr bool kDirect = false;
  TObservedStore(TMatrix* A, TMatrix* V, TVector* W) : FA(A), FV(V), FW(W) {}
  double a(int r, int c) const { return FA->GetVal(c, r); }
  void SetA(int r, int c, double x) { FA->SetVal(c, r, x); }
  double v(int r, int c) const { return FV->GetVal(c, r); }
  void SetV(int r, int c, double x) { FV->SetVal(c, r, x); }
  double w(int i) const { return FW->GetVal(i); }
  void SetW(int i, double x) { FW->SetVal(i, x); }
  void Finish() {}

 private:
  TMatrix* FA;
  TMatrix* FV;
  TVector* FW;
};

// Direct cells of A (m rows, at least n) and V (at least n by n); W kept in a local copy that
// is written back through SetVal (no handler, so no event) on every exit.
class TDirectStore {
 public:
  static constexpr bool kDirect = true;
  TDirectStore(TMatrix* A, TMatrix* V, TVector* W, int n)
      : FW(W),
        FLocalW(static_cast<std::size_t>(n) + 1, 0.0),
        FA(TMatrixAccess::Cells(*A)),
        FV(TMatrixAccess::Cells(*V)),
        FLda(static_cast<std::size_t>(A->NrOfRows())),
        FLdv(static_cast<std::size_t>(V->NrOfRows())) {
    for (int i = 1; i <= n; ++i) FLocalW[static_cast<std::size_t>(i)] = W->GetVal(i);
  }
  double a(int r, int c) const { return *ACell(r, c); }
  void SetA(int r, int c, double x) { *ACell(r, c) = x; }
  double v(int r, int c) const { return *VCell(r, c); }
  void SetV(int r, int c, double x) { *VCell(r, c) = x; }
  double w(int i) const { return FLocalW[static_cast<std::size_t>(i)]; }
  void SetW(int i, double x) {
    FLocalW[static_cast<std::size_t>(i)] = x;
    FWWritten = true;
  }
  void Finish() {
    if (!FWWritten) return;
    for (std::size_t i = 1; i < FLocalW.size(); ++i)
      FW->SetVal(static_cast<Integer>(i), FLocalW[i]);
  }
  // Pointer to row 1 of column c, indexable by row number (element 0 unused).
  double* ACol(int c) const { return FA + static_cast<std::size_t>(c - 1) * FLda - 1; }
  double* VCol(int c) const { return FV + static_cast<std::size_t>(c - 1) * FLdv - 1; }
  double* ACell(int r, int c) const { return ACol(c) + r; }
  double* VCell(int r, int c) const { return VCol(c) + r; }

 private:
  TVector* FW;
  std::vector<double> FLocalW;
  bool FWWritten = false;
  double* FA;
  double* FV;
  std::size_t FLda;
  std::size_t FLdv;
};

// For every target column t in cols[0..count): s := Σ u[k]·t[k] (k = k0..k1, ascending),
// then t[k] += F(s)·x[k] (k = x0..x1). Columns are independent of each other, u and x, so four
// are run together: four separate sums in their own order keep the adder pipeline busy.
template <class ColFn, class F>
void DotAxpyColumns(ColFn col, int j0, int j1, const double* u, int k0, int k1, const double* x,
                    int x0, int x1, F factor) {
  int j = j0;
  for (; j + 3 <= j1; j += 4) {
    double* t0 = col(j);
    double* t1 = col(j + 1);
    double* t2 = col(j + 2);
    double* t3 = col(j + 3);
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    for (int k = k0; k <= k1; ++k) {
      const double uk = u[k];
      s0 += uk * t0[k];
      s1 += uk * t1[k];
      s2 += uk * t2[k];
      s3 += uk * t3[k];
    }
    const double f0 = factor(s0), f1 = factor(s1), f2 = factor(s2), f3 = factor(s3);
    for (int k = x0; k <= x1; ++k) {
      const double xk = x[k];
      t0[k] += f0 * xk;
      t1[k] += f1 * xk;
      t2[k] += f2 * xk;
      t3[k] += f3 * xk;
    }
  }
  for (; j <= j1; ++j) {
    double* t = col(j);
    double s = 0.0;
    for (int k = k0; k <= k1; ++k) s += u[k] * t[k];
    const double f = factor(s);
    for (int k = x0; k <= x1; ++k) t[k] += f * x[k];
  }
}

// Rows lo..hi of columns y and z: (y, z) := (y·c + z·s, z·c - y·s).
void RotateColumns(double* y, double* z, int lo, int hi, double c, double s) {
  for (int k = lo; k <= hi; ++k) {
    const double yk = y[k];
    const double zk = z[k];
    y[k] = yk * c + zk * s;
    z[k] = zk * c - yk * s;
  }
}

// One progress step; true when the caller must stop.
bool StepAndTestAbort() {
  StepProcStat();
  return AbortMathProc.load();
}

template <class S>
bool Decompose(S& st, int m, int n) {
  std::vector<double> rv1v(static_cast<std::size_t>(n) + 1, 0.0);
  double* rv1 = rv1v.data();
  std::vector<double> rowv;  // a row of A gathered for the direct store
  std::vector<double> sumv;
  if constexpr (S::kDirect) {
    rowv.assign(static_cast<std::size_t>(n) + 1, 0.0);
    sumv.assign(static_cast<std::size_t>(m) + 1, 0.0);
  }
  double* row = rowv.data();
  double* sums = sumv.data();
  auto aCol = [&](int c) {
    if constexpr (S::kDirect) {
      return st.ACol(c);
    } else {
      return static_cast<double*>(nullptr);
    }
  };
  auto vCol = [&](int c) {
    if constexpr (S::kDirect) {
      return st.VCol(c);
    } else {
      return static_cast<double*>(nullptr);
    }
  };

  bool result = true;
  double g = 0.0, scale = 0.0, anorm = 0.0;
  int l = 1;

  // 1. Householder reduction to upper bidiagonal form.
  for (int i = 1; i <= n; ++i) {
    if (StepAndTestAbort()) return false;
    l = i + 1;
    rv1[i] = scale * g;
    g = 0.0;
    scale = 0.0;
    double s = 0.0;
    if (i <= m) {
      for (int k = i; k <= m; ++k) scale += std::fabs(st.a(k, i));
      if (scale != 0.0) {
        for (int k = i; k <= m; ++k) {
          const double x = st.a(k, i) / scale;
          st.SetA(k, i, x);
          s += x * x;
        }
        double f = st.a(i, i);
        g = -SignOf(std::sqrt(s), f);
        const double h = f * g - s;
        st.SetA(i, i, f - g);
        if constexpr (S::kDirect) {
          const double* ci = aCol(i);
          DotAxpyColumns(aCol, l, n, ci, i, m, ci, i, m, [h](double sum) { return sum / h; });
        } else {
          for (int j = l; j <= n; ++j) {
            s = 0.0;
            for (int k = i; k <= m; ++k) s += st.a(k, i) * st.a(k, j);
            f = s / h;
            for (int k = i; k <= m; ++k) st.SetA(k, j, st.a(k, j) + f * st.a(k, i));
          }
        }
        for (int k = i; k <= m; ++k) st.SetA(k, i, st.a(k, i) * scale);
      }
    }
    st.SetW(i, scale * g);
    g = 0.0;
    s = 0.0;
    scale = 0.0;
    if (i <= m && i != n) {
      for (int k = l; k <= n; ++k) scale += std::fabs(st.a(i, k));
      if (scale != 0.0) {
        for (int k = l; k <= n; ++k) {
          const double x = st.a(i, k) / scale;
          st.SetA(i, k, x);
          s += x * x;
        }
        const double f = st.a(i, l);
        g = -SignOf(std::sqrt(s), f);
        const double h = f * g - s;
        st.SetA(i, l, f - g);
        for (int k = l; k <= n; ++k) rv1[k] = st.a(i, k) / h;
        if constexpr (S::kDirect) {
          // Row sums for all rows j at once, each still summed over k in ascending order.
          for (int k = l; k <= n; ++k) row[k] = st.a(i, k);
          for (int j = l; j <= m; ++j) sums[j] = 0.0;
          for (int k = l; k <= n; ++k) {
            const double* ck = aCol(k);
            const double rk = row[k];
            for (int j = l; j <= m; ++j) sums[j] += ck[j] * rk;
          }
          for (int k = l; k <= n; ++k) {
            double* ck = aCol(k);
            const double r = rv1[k];
            for (int j = l; j <= m; ++j) ck[j] += sums[j] * r;
          }
        } else {
          for (int j = l; j <= m; ++j) {
            s = 0.0;
            for (int k = l; k <= n; ++k) s += st.a(j, k) * st.a(i, k);
            for (int k = l; k <= n; ++k) st.SetA(j, k, st.a(j, k) + s * rv1[k]);
          }
        }
        for (int k = l; k <= n; ++k) st.SetA(i, k, st.a(i, k) * scale);
      }
    }
    anorm = MaxOf(anorm, std::fabs(st.w(i)) + std::fabs(rv1[i]));
  }

  // 2. Accumulation of the right-hand transformations.
  for (int i = n; i >= 1; --i) {
    if (StepAndTestAbort()) return false;
    if (i < n) {
      if (g != 0.0) {
        const double ail = st.a(i, l);
        // Divided twice rather than by the product, which could underflow.
        for (int j = l; j <= n; ++j) st.SetV(j, i, (st.a(i, j) / ail) / g);
        if constexpr (S::kDirect) {
          for (int k = l; k <= n; ++k) row[k] = st.a(i, k);
          const double* vi = vCol(i);
          DotAxpyColumns(vCol, l, n, row, l, n, vi, l, n, [](double sum) { return sum; });
        } else {
          for (int j = l; j <= n; ++j) {
            double s = 0.0;
            for (int k = l; k <= n; ++k) s += st.a(i, k) * st.v(k, j);
            for (int k = l; k <= n; ++k) st.SetV(k, j, st.v(k, j) + s * st.v(k, i));
          }
        }
      }
      for (int j = l; j <= n; ++j) {
        st.SetV(i, j, 0.0);
        st.SetV(j, i, 0.0);
      }
    }
    st.SetV(i, i, 1.0);
    g = rv1[i];
    l = i;
  }

  // 3. Accumulation of the left-hand transformations.
  for (int i = n; i >= 1; --i) {
    if (StepAndTestAbort()) return false;
    l = i + 1;
    g = st.w(i);
    for (int j = l; j <= n; ++j) st.SetA(i, j, 0.0);
    if (g != 0.0) {
      g = 1.0 / g;
      if constexpr (S::kDirect) {
        const double* ci = aCol(i);
        const double aii = ci[i];
        const double gg = g;
        DotAxpyColumns(aCol, l, n, ci, l, m, ci, i, m,
                       [aii, gg](double sum) { return (sum / aii) * gg; });
      } else {
        for (int j = l; j <= n; ++j) {
          double s = 0.0;
          for (int k = l; k <= m; ++k) s += st.a(k, i) * st.a(k, j);
          const double f = (s / st.a(i, i)) * g;
          for (int k = i; k <= m; ++k) st.SetA(k, j, st.a(k, j) + f * st.a(k, i));
        }
      }
      for (int j = i; j <= m; ++j) st.SetA(j, i, st.a(j, i) * g);
    } else {
      for (int j = i; j <= m; ++j) st.SetA(j, i, 0.0);
    }
    st.SetA(i, i, st.a(i, i) + 1.0);
  }

  // Rotation of columns p and q of A (rows 1..m) or V (rows 1..n).
  auto rotateA = [&](int p, int q, double c, double s) {
    if constexpr (S::kDirect) {
      RotateColumns(aCol(p), aCol(q), 1, m, c, s);
    } else {
      for (int j = 1; j <= m; ++j) {
        const double y = st.a(j, p);
        const double z = st.a(j, q);
        st.SetA(j, p, y * c + z * s);
        st.SetA(j, q, z * c - y * s);
      }
    }
  };
  auto rotateV = [&](int p, int q, double c, double s) {
    if constexpr (S::kDirect) {
      RotateColumns(vCol(p), vCol(q), 1, n, c, s);
    } else {
      for (int jj = 1; jj <= n; ++jj) {
        const double x = st.v(jj, p);
        const double z = st.v(jj, q);
        st.SetV(jj, p, x * c + z * s);
        st.SetV(jj, q, z * c - x * s);
      }
    }
  };

  // 4. Diagonalisation of the bidiagonal form.
  for (int k = n; k >= 1; --k) {
    if (StepAndTestAbort()) return false;
    for (int its = 1; its <= 30; ++its) {
      bool cancel = true;
      int nm = 0;
      for (l = k; l >= 1; --l) {
        nm = l - 1;
        // rv1[1] is always 0, so finite input stops at l = 1 anyway; NaN input must not go on
        // to the element before the first.
        if (l == 1 || std::fabs(rv1[l]) + anorm == anorm) {
          cancel = false;
          break;
        }
        if (std::fabs(st.w(nm)) + anorm == anorm) break;
      }
      if (cancel) {
        double c = 0.0;
        double s = 1.0;
        for (int i = l; i <= k; ++i) {
          const double f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm) continue;
          g = st.w(i);
          double h = Hypot(f, g);
          st.SetW(i, h);
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          rotateA(nm, i, c, s);
        }
      }
      double z = st.w(k);
      if (l == k) {
        if (z < 0.0) {
          st.SetW(k, -z);
          for (int j = 1; j <= n; ++j) st.SetV(j, k, -st.v(j, k));
        }
        break;
      }
      if (its == 30) result = false;
      double x = st.w(l);
      nm = k - 1;
      double y = st.w(nm);
      g = rv1[nm];
      double h = rv1[k];
      double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = Hypot(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
      double c = 1.0;
      double s = 1.0;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = rv1[i];
        y = st.w(i);
        h = s * g;
        g = c * g;
        z = Hypot(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y = y * c;
        rotateV(j, i, c, s);
        z = Hypot(f, h);
        st.SetW(j, z);
        if (z != 0.0) {
          c = f / z;
          s = h / z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        rotateA(j, i, c, s);
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      st.SetW(k, x);
    }
  }
  return result;
}

}  // namespace

bool SingValDecompCore(TMatrix* A, TMatrix* V, TVector* W) {
  if (A == nullptr || V == nullptr || W == nullptr) return false;
  // MathFeedBackProc runs at every step and the handlers at every observed write; the direct
  // store holds cell pointers and both stores hold the sizes.
  TUseGuard use(A, V, W);
  const int m = A->NrOfRows();
  const int n = A->NrOfColumns();
  const bool direct = n >= 1 && m >= n && A != V && !TMatrixAccess::Observed(*A) &&
                      !TMatrixAccess::Observed(*V) && !W->OnChange() && V->NrOfColumns() >= n &&
                      V->NrOfRows() >= n && W->NrOfElem() >= n;
  // A matrix of extreme magnitude is decomposed in a power-of-two unit where the squares of its
  // singular values are representable (as LAPACK's drivers scale by xLASCL): U and V are those
  // of any unit, the singular values are scaled back. Exact, so ordinary matrices are unchanged;
  // a scaled matrix is written once more (through SetVal where watched).
  double big = 0.0;
  for (int r = 1; r <= m; ++r) {
    for (int c = 1; c <= n; ++c) big = std::max(big, std::fabs(A->GetVal(c, r)));
  }
  const int e = SafeScaleExponent(big);
  if (e != 0) {
    const double f = ScaleFactor(e);
    for (int r = 1; r <= m; ++r) {
      for (int c = 1; c <= n; ++c) A->SetVal(c, r, A->GetVal(c, r) * f);
    }
  }
  bool ok = false;
  if (direct) {
    TDirectStore st(A, V, W, n);
    ok = Decompose(st, m, n);
    st.Finish();
  } else {
    TObservedStore st(A, V, W);
    ok = Decompose(st, m, n);
  }
  if (e != 0) {
    for (int i = 1; i <= n; ++i) W->SetVal(i, ScaleUp(W->GetVal(i), e));
  }
  // A decomposition that ran into NaN (from NaN or ∞ in A), or whose largest singular value
  // itself overflows, has no singular values to report.
  for (int i = 1; i <= n && ok; ++i) ok = std::isfinite(W->GetVal(i));
  return ok;
}

}  // namespace nuv::detail
