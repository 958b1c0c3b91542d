#include "nuv/matrix/detail/dense_kernels.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "nuv/base/hooks.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nuv::detail {
namespace {

constexpr int kMr = 4;    // rows of a register tile
constexpr int kNr = 4;    // columns of a register tile
constexpr int kKc = 256;  // inner-dimension block: a packed panel pair stays in L1
constexpr int kMc = 128;  // row block: the packed row panels stay in L2
constexpr double kTinyPivot = 1e-100;

bool StepAndTestAbort() {
  StepProcStat();
  return AbortMathProc.load();
}

// c[ii + tt·ldc] += ap[k·4 + ii]·bp[k·4 + tt] for k = 0..kc-1 in ascending order. Products
// and sums are rounded one by one (no fused operations), lane by lane as in scalar code.
void MicroKernel(int kc, const double* ap, const double* bp, double* c, std::size_t ldc) {
#if defined(__SSE2__)
  double* c0 = c;
  double* c1 = c + ldc;
  double* c2 = c + 2 * ldc;
  double* c3 = c + 3 * ldc;
  __m128d x00 = _mm_loadu_pd(c0), x01 = _mm_loadu_pd(c0 + 2);
  __m128d x10 = _mm_loadu_pd(c1), x11 = _mm_loadu_pd(c1 + 2);
  __m128d x20 = _mm_loadu_pd(c2), x21 = _mm_loadu_pd(c2 + 2);
  __m128d x30 = _mm_loadu_pd(c3), x31 = _mm_loadu_pd(c3 + 2);
  for (int k = 0; k < kc; ++k) {
    const __m128d a0 = _mm_loadu_pd(ap);
    const __m128d a1 = _mm_loadu_pd(ap + 2);
    __m128d b = _mm_set1_pd(bp[0]);
    x00 = _mm_add_pd(x00, _mm_mul_pd(a0, b));
    x01 = _mm_add_pd(x01, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(bp[1]);
    x10 = _mm_add_pd(x10, _mm_mul_pd(a0, b));
    x11 = _mm_add_pd(x11, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(bp[2]);
    x20 = _mm_add_pd(x20, _mm_mul_pd(a0, b));
    x21 = _mm_add_pd(x21, _mm_mul_pd(a1, b));
    b = _mm_set1_pd(bp[3]);
    x30 = _mm_add_pd(x30, _mm_mul_pd(a0, b));
    x31 = _mm_add_pd(x31, _mm_mul_pd(a1, b));
    ap += kMr;
    bp += kNr;
  }
  _mm_storeu_pd(c0, x00);
  _mm_storeu_pd(c0 + 2, x01);
  _mm_storeu_pd(c1, x10);
  _mm_storeu_pd(c1 + 2, x11);
  _mm_storeu_pd(c2, x20);
  _mm_storeu_pd(c2 + 2, x21);
  _mm_storeu_pd(c3, x30);
  _mm_storeu_pd(c3 + 2, x31);
#else
  double x[kNr][kMr];
  for (int t = 0; t < kNr; ++t) {
    for (int i = 0; i < kMr; ++i) x[t][i] = c[i + static_cast<std::size_t>(t) * ldc];
  }
  for (int k = 0; k < kc; ++k) {
    for (int t = 0; t < kNr; ++t) {
      for (int i = 0; i < kMr; ++i) x[t][i] += ap[i] * bp[t];
    }
    ap += kMr;
    bp += kNr;
  }
  for (int t = 0; t < kNr; ++t) {
    for (int i = 0; i < kMr; ++i) c[i + static_cast<std::size_t>(t) * ldc] = x[t][i];
  }
#endif
}

// Tile of rows rows by cols columns at c (ld ldc), rows, cols <= 4: through a full 4 by 4
// scratch tile when it is partial.
void TileUpdate(int rows, int cols, int kc, const double* ap, const double* bp, double* c,
                std::size_t ldc) {
  if (rows == kMr && cols == kNr) {
    MicroKernel(kc, ap, bp, c, ldc);
    return;
  }
  double tile[kMr * kNr] = {};
  for (int t = 0; t < cols; ++t) {
    for (int i = 0; i < rows; ++i) tile[i + t * kMr] = c[i + static_cast<std::size_t>(t) * ldc];
  }
  MicroKernel(kc, ap, bp, tile, kMr);
  for (int t = 0; t < cols; ++t) {
    for (int i = 0; i < rows; ++i) c[i + static_cast<std::size_t>(t) * ldc] = tile[i + t * kMr];
  }
}

// Packs rows j0..j0+rows-1, inner indices i0..i0+kc-1 of a strided operand into row panels of
// four (panel p holds kc groups of four rows), zero-padded; Neg stores the negated values.
template <class At>
void PackRows(At at, int j0, int rows, int i0, int kc, bool Neg, std::vector<double>& out) {
  const int panels = (rows + kMr - 1) / kMr;
  out.assign(static_cast<std::size_t>(panels) * kMr * static_cast<std::size_t>(kc), 0.0);
  for (int p = 0; p < panels; ++p) {
    double* dst = out.data() + static_cast<std::size_t>(p) * kMr * static_cast<std::size_t>(kc);
    const int rr = std::min(kMr, rows - p * kMr);
    for (int k = 0; k < kc; ++k) {
      for (int ii = 0; ii < rr; ++ii) {
        const double v = at(j0 + p * kMr + ii, i0 + k);
        dst[k * kMr + ii] = Neg ? -v : v;
      }
    }
  }
}

// Packs inner indices i0..i0+kc-1 of columns k0..k0+cols-1 into column panels of four.
template <class At>
void PackCols(At at, int i0, int kc, int k0, int cols, std::vector<double>& out) {
  const int panels = (cols + kNr - 1) / kNr;
  out.assign(static_cast<std::size_t>(panels) * kNr * static_cast<std::size_t>(kc), 0.0);
  for (int p = 0; p < panels; ++p) {
    double* dst = out.data() + static_cast<std::size_t>(p) * kNr * static_cast<std::size_t>(kc);
    const int cc = std::min(kNr, cols - p * kNr);
    for (int t = 0; t < cc; ++t) {
      for (int k = 0; k < kc; ++k) dst[k * kNr + t] = at(i0 + k, k0 + p * kNr + t);
    }
  }
}

// C[rows, cols] (ld ldc) += packed rows · packed columns, inner length kc.
void PanelProduct(int rows, int cols, int kc, const std::vector<double>& ap,
                  const std::vector<double>& bp, double* C, std::size_t ldc) {
  const std::size_t aStride = kMr * static_cast<std::size_t>(kc);
  const std::size_t bStride = kNr * static_cast<std::size_t>(kc);
  for (int cp = 0; cp * kNr < cols; ++cp) {
    const int cc = std::min(kNr, cols - cp * kNr);
    for (int rp = 0; rp * kMr < rows; ++rp) {
      const int rr = std::min(kMr, rows - rp * kMr);
      TileUpdate(rr, cc, kc, ap.data() + static_cast<std::size_t>(rp) * aStride,
                 bp.data() + static_cast<std::size_t>(cp) * bStride,
                 C + static_cast<std::size_t>(rp) * kMr + static_cast<std::size_t>(cp) * kNr * ldc,
                 ldc);
    }
  }
}

// acc[0..7] -= t[j]·y[j·8 + 0..7] for j = j0..j1-1 in ascending j, lane by lane.
void SubtractRows8(double* acc, const double* t, const double* y, int j0, int j1) {
#if defined(__SSE2__)
  __m128d a0 = _mm_loadu_pd(acc), a1 = _mm_loadu_pd(acc + 2);
  __m128d a2 = _mm_loadu_pd(acc + 4), a3 = _mm_loadu_pd(acc + 6);
  for (int j = j0; j < j1; ++j) {
    const __m128d tj = _mm_set1_pd(t[j]);
    const double* yj = y + static_cast<std::size_t>(j) * 8;
    a0 = _mm_sub_pd(a0, _mm_mul_pd(tj, _mm_loadu_pd(yj)));
    a1 = _mm_sub_pd(a1, _mm_mul_pd(tj, _mm_loadu_pd(yj + 2)));
    a2 = _mm_sub_pd(a2, _mm_mul_pd(tj, _mm_loadu_pd(yj + 4)));
    a3 = _mm_sub_pd(a3, _mm_mul_pd(tj, _mm_loadu_pd(yj + 6)));
  }
  _mm_storeu_pd(acc, a0);
  _mm_storeu_pd(acc + 2, a1);
  _mm_storeu_pd(acc + 4, a2);
  _mm_storeu_pd(acc + 6, a3);
#else
  for (int j = j0; j < j1; ++j) {
    const double tj = t[j];
    const double* yj = y + static_cast<std::size_t>(j) * 8;
    for (int cc = 0; cc < 8; ++cc) acc[cc] -= tj * yj[cc];
  }
#endif
}

}  // namespace

void GemmStrided(int r, int q, int c, const double* X, std::size_t xRow, std::size_t xCol,
                 const double* Y, std::size_t yIn, std::size_t yCol, double* C) {
  const auto ldc = static_cast<std::size_t>(r);
  std::fill(C, C + ldc * static_cast<std::size_t>(q), 0.0);
  if (r <= 0 || q <= 0 || c <= 0) return;
  auto xAt = [X, xRow, xCol](int j, int i) {
    return X[static_cast<std::size_t>(j) * xRow + static_cast<std::size_t>(i) * xCol];
  };
  auto yAt = [Y, yIn, yCol](int i, int k) {
    return Y[static_cast<std::size_t>(i) * yIn + static_cast<std::size_t>(k) * yCol];
  };
  std::vector<double> ap, bp;
  // Inner blocks in ascending order keep every cell's sum in ascending i.
  for (int i0 = 0; i0 < c; i0 += kKc) {
    const int kc = std::min(kKc, c - i0);
    PackCols(yAt, i0, kc, 0, q, bp);
    for (int j0 = 0; j0 < r; j0 += kMc) {
      const int rows = std::min(kMc, r - j0);
      PackRows(xAt, j0, rows, i0, kc, false, ap);
      PanelProduct(rows, q, kc, ap, bp, C + j0, ldc);
    }
  }
}

TCroutResult CroutLU(double* a, int n, std::vector<double>& Scale, std::vector<int>& Piv,
                     bool Progress) {
  TCroutResult res;
  const auto ld = static_cast<std::size_t>(n);
  auto col = [a, ld](int j) { return a + static_cast<std::size_t>(j) * ld; };
  Piv.assign(static_cast<std::size_t>(n), 0);
  constexpr int kNb = 32;  // panel width
  std::vector<double> ap, bp;
  for (int jb = 0; jb < n; jb += kNb) {
    const int je = std::min(jb + kNb, n);
    // Panel: columns jb..je-1 already hold the updates of every column before jb.
    for (int j = jb; j < je; ++j) {
      if (Progress && StepAndTestAbort()) {
        res.Aborted = true;
        return res;
      }
      double* cj = col(j);
      for (int k = jb; k < j; ++k) {
        const double* ck = col(k);
        const double u = cj[k];
        for (int i = k + 1; i < n; ++i) cj[i] -= ck[i] * u;
      }
      // Starting at row j means a column of NaN candidates exchanges nothing.
      int p = j;
      double big = 0.0;
      for (int i = j; i < n; ++i) {
        const double d = Scale[static_cast<std::size_t>(i)] * std::fabs(cj[i]);
        if (d >= big) {
          big = d;
          p = i;
        }
      }
      if (p != j) {
        for (int k = 0; k < n; ++k) std::swap(col(k)[p], col(k)[j]);
        res.Parity = -res.Parity;
        Scale[static_cast<std::size_t>(p)] = Scale[static_cast<std::size_t>(j)];
      }
      Piv[static_cast<std::size_t>(j)] = p;
      if (std::fabs(cj[j]) < kTinyPivot) {
        cj[j] = kTinyPivot;
        res.Floored = true;
      }
      if (j < n - 1) {
        const double d = cj[j];
        for (int i = j + 1; i < n; ++i) cj[i] /= d;
      }
    }
    if (je >= n) break;
    // Rows jb..je-1 of the later columns: the panel's updates, k ascending.
    for (int t = je; t < n; ++t) {
      double* ct = col(t);
      for (int k = jb; k < je; ++k) {
        const double* ck = col(k);
        const double u = ct[k];
        for (int i = k + 1; i < je; ++i) ct[i] -= ck[i] * u;
      }
    }
    // Trailing block: a[i, t] -= a[i, k]·a[k, t] for the panel's k in ascending order, as
    // additions of negated products (x - y·z and x + (-y)·z round alike).
    const int kc = je - jb;
    auto lAt = [&col](int i, int k) { return col(k)[i]; };
    auto uAt = [&col](int k, int t) { return col(t)[k]; };
    const int rows = n - je;
    const int cols = n - je;
    PackCols(uAt, jb, kc, je, cols, bp);
    for (int j0 = 0; j0 < rows; j0 += kMc) {
      const int rr = std::min(kMc, rows - j0);
      PackRows(lAt, je + j0, rr, jb, kc, true, ap);
      PanelProduct(rr, cols, kc, ap, bp, col(je) + je + j0, ld);
    }
  }
  return res;
}

bool CroutInverse(const double* lu, int n, const std::vector<int>& Piv, double* Inv,
                  bool Progress) {
  if (n <= 0) return true;
  const auto N = static_cast<std::size_t>(n);
  // Rows of the factors made contiguous: both substitutions read along rows.
  std::vector<double> t(N * N);
  for (std::size_t j = 0; j < N; ++j) {
    for (std::size_t i = 0; i < N; ++i) t[i * N + j] = lu[j * N + i];
  }
  // content[pos]: the unit vector whose 1 ends at pos after the exchanges; solving the right
  // sides in that order gives neighbouring columns neighbouring starts.
  std::vector<int> content(N);
  for (int k = 0; k < n; ++k) content[static_cast<std::size_t>(k)] = k;
  for (int i = 0; i < n; ++i) {
    std::swap(content[static_cast<std::size_t>(i)],
              content[static_cast<std::size_t>(Piv[static_cast<std::size_t>(i)])]);
  }
  constexpr int kW = 8;  // right-hand sides solved side by side (SubtractRows8)
  std::vector<double> y(N * kW);
  for (int p0 = 0; p0 < n; p0 += kW) {
    const int w = std::min(kW, n - p0);
    if (Progress) {
      for (int cc = 0; cc < w; ++cc) {
        if (StepAndTestAbort()) return false;
      }
    }
    // Forward: the sums of column cc start at its first non-zero element, row p0 + cc.
    for (int i = 0; i < n; ++i) {
      double acc[kW];
      for (int cc = 0; cc < kW; ++cc) acc[cc] = (i == p0 + cc) ? 1.0 : 0.0;
      const double* ti = t.data() + static_cast<std::size_t>(i) * N;
      const int jMixed = std::min(i, p0 + w);
      for (int j = p0; j < jMixed; ++j) {
        const double* yj = y.data() + static_cast<std::size_t>(j) * kW;
        for (int cc = 0; cc < w; ++cc) {
          if (j >= p0 + cc) acc[cc] -= ti[j] * yj[cc];
        }
      }
      SubtractRows8(acc, ti, y.data(), p0 + w, i);
      std::copy(acc, acc + kW, y.data() + static_cast<std::size_t>(i) * kW);
    }
    // Backward, in place: x[i] = (y[i] - Σ_{j>i} u[i, j]·x[j]) / u[i, i], j ascending.
    for (int i = n - 1; i >= 0; --i) {
      double acc[kW];
      double* yi = y.data() + static_cast<std::size_t>(i) * kW;
      std::copy(yi, yi + kW, acc);
      const double* ti = t.data() + static_cast<std::size_t>(i) * N;
      SubtractRows8(acc, ti, y.data(), i + 1, n);
      const double d = ti[i];
      for (int cc = 0; cc < kW; ++cc) yi[cc] = acc[cc] / d;
    }
    for (int cc = 0; cc < w; ++cc) {
      double* dst = Inv + static_cast<std::size_t>(content[static_cast<std::size_t>(p0 + cc)]) * N;
      for (std::size_t i = 0; i < N; ++i) dst[i] = y[i * kW + static_cast<std::size_t>(cc)];
    }
  }
  return true;
}

}  // namespace nuv::detail
