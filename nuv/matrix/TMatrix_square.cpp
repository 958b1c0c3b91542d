// TMatrix::Square: the scaled cross-product AᵀA / Norm, on the caller's thread or on a pool of
// worker threads taking the result columns in ascending order, mostly in panels of eight. Every
// cell is its own dot product 0 + a1·b1 + a2·b2 + ... over the rows in order, so any blocking
// and any thread count give the same bits.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/matrix/detail/worker_pool.hpp"
#include "nuv/platform/threads.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nuv {
namespace {

// Eight result columns share each pass over their partner columns, which halves the reads
// from memory against four; two partners per register tile keep the sums in registers.
constexpr std::size_t kPanel = 8;  // result columns per work item
constexpr std::size_t kTileJ = 2;  // partner columns per register tile
constexpr std::size_t kRowBlock = 256;

// acc[u·8 + h] += pk[r·8 + h]·bu[r] for the two partner columns bu = b[u], rows r = 0..n-1 in
// ascending order; one rounded product and one rounded sum at a time, lane by lane.
void TileKernel(std::size_t n, const double* pk, const double* const* b, double* acc) {
  const double* b0 = b[0];
  const double* b1 = b[1];
#if defined(__SSE2__)
  __m128d x00 = _mm_loadu_pd(acc), x01 = _mm_loadu_pd(acc + 2);
  __m128d x02 = _mm_loadu_pd(acc + 4), x03 = _mm_loadu_pd(acc + 6);
  __m128d x10 = _mm_loadu_pd(acc + 8), x11 = _mm_loadu_pd(acc + 10);
  __m128d x12 = _mm_loadu_pd(acc + 12), x13 = _mm_loadu_pd(acc + 14);
  for (std::size_t r = 0; r < n; ++r) {
    const __m128d a0 = _mm_loadu_pd(pk);
    const __m128d a1 = _mm_loadu_pd(pk + 2);
    const __m128d a2 = _mm_loadu_pd(pk + 4);
    const __m128d a3 = _mm_loadu_pd(pk + 6);
    __m128d v = _mm_set1_pd(b0[r]);
    x00 = _mm_add_pd(x00, _mm_mul_pd(a0, v));
    x01 = _mm_add_pd(x01, _mm_mul_pd(a1, v));
    x02 = _mm_add_pd(x02, _mm_mul_pd(a2, v));
    x03 = _mm_add_pd(x03, _mm_mul_pd(a3, v));
    v = _mm_set1_pd(b1[r]);
    x10 = _mm_add_pd(x10, _mm_mul_pd(a0, v));
    x11 = _mm_add_pd(x11, _mm_mul_pd(a1, v));
    x12 = _mm_add_pd(x12, _mm_mul_pd(a2, v));
    x13 = _mm_add_pd(x13, _mm_mul_pd(a3, v));
    pk += kPanel;
  }
  _mm_storeu_pd(acc, x00);
  _mm_storeu_pd(acc + 2, x01);
  _mm_storeu_pd(acc + 4, x02);
  _mm_storeu_pd(acc + 6, x03);
  _mm_storeu_pd(acc + 8, x10);
  _mm_storeu_pd(acc + 10, x11);
  _mm_storeu_pd(acc + 12, x12);
  _mm_storeu_pd(acc + 14, x13);
#else
  double x[kTileJ * kPanel];
  std::copy(acc, acc + kTileJ * kPanel, x);
  const double* bb[kTileJ] = {b0, b1};
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t u = 0; u < kTileJ; ++u) {
      const double v = bb[u][r];
      for (std::size_t h = 0; h < kPanel; ++h) x[u * kPanel + h] += pk[h] * v;
    }
    pk += kPanel;
  }
  std::copy(x, x + kTileJ * kPanel, acc);
#endif
}

// The cells (k, j) and (j, k), j >= k, of the result columns K0..K0+Count-1 (0-based, Count <=
// 8). Src holds Rows cells per column and Cols columns; Res is Cols by Cols, column-major.
void SquarePanel(const double* Src, std::size_t Rows, std::size_t Cols, std::size_t K0,
                 std::size_t Count, double Norm, double* Res) {
  const std::size_t width = Cols - K0;  // partner columns K0..Cols-1
  const std::size_t tiles = (width + kTileJ - 1) / kTileJ;
  // acc[(j - K0)·4 + h]: the running sum of cell (K0 + h, j).
  std::vector<double> acc(tiles * kTileJ * kPanel, 0.0);
  std::vector<double> packed(kRowBlock * kPanel, 0.0);
  const std::size_t block = std::min(Rows, kRowBlock);
  // Stands in for the partner columns past the last one.
  const std::vector<double> zeros(block, 0.0);
  const std::size_t real = std::min(Cols - K0, kPanel);
  for (std::size_t r0 = 0; r0 < Rows; r0 += kRowBlock) {
    const std::size_t n = std::min(kRowBlock, Rows - r0);
    // The panel's columns, interleaved row by row; columns past the last stay 0.
    for (std::size_t h = 0; h < real; ++h) {
      const double* col = Src + (K0 + h) * Rows + r0;
      for (std::size_t r = 0; r < n; ++r) packed[r * kPanel + h] = col[r];
    }
    for (std::size_t t = 0; t < tiles; ++t) {
      const double* b[kTileJ];
      for (std::size_t u = 0; u < kTileJ; ++u) {
        const std::size_t j = K0 + t * kTileJ + u;
        b[u] = j < Cols ? Src + j * Rows + r0 : zeros.data();
      }
      TileKernel(n, packed.data(), b, acc.data() + t * kTileJ * kPanel);
    }
  }
  for (std::size_t h = 0; h < Count; ++h) {
    const std::size_t k = K0 + h;
    for (std::size_t j = k; j < Cols; ++j) {
      const double v = acc[(j - K0) * kPanel + h] / Norm;
      Res[j * Cols + k] = v;
      Res[k * Cols + j] = v;
    }
  }
}

// The cells (k, j) and (j, k), j >= k, of the one result column K (0-based): partner columns
// eight at a time in scalar sums (one column fills no vector lane pair).
void SquareColumn(const double* Src, std::size_t Rows, std::size_t Cols, std::size_t K, double Norm,
                  double* Res) {
  const double* a = Src + K * Rows;
  std::size_t j = K;
  auto put = [&](std::size_t jj, double sum) {
    const double v = sum / Norm;
    Res[jj * Cols + K] = v;
    Res[K * Cols + jj] = v;
  };
  for (; j + 8 <= Cols; j += 8) {
    const double* b = Src + j * Rows;
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0, s7 = 0.0;
    for (std::size_t r = 0; r < Rows; ++r) {
      const double x = a[r];
      s0 += x * b[r];
      s1 += x * b[Rows + r];
      s2 += x * b[2 * Rows + r];
      s3 += x * b[3 * Rows + r];
      s4 += x * b[4 * Rows + r];
      s5 += x * b[5 * Rows + r];
      s6 += x * b[6 * Rows + r];
      s7 += x * b[7 * Rows + r];
    }
    put(j, s0);
    put(j + 1, s1);
    put(j + 2, s2);
    put(j + 3, s3);
    put(j + 4, s4);
    put(j + 5, s5);
    put(j + 6, s6);
    put(j + 7, s7);
  }
  for (; j < Cols; ++j) {
    const double* b = Src + j * Rows;
    double s = 0.0;
    for (std::size_t r = 0; r < Rows; ++r) s += a[r] * b[r];
    put(j, s);
  }
}

// The result columns of work item Item: items below Lead hold one column each (the first
// hand-out, so that a stop right after it has begun few columns), later ones a panel of eight.
void ItemColumns(std::size_t Item, std::size_t Lead, std::size_t Cols, std::size_t& K0,
                 std::size_t& Count) {
  if (Item < Lead) {
    K0 = Item;
    Count = 1;
    return;
  }
  K0 = Lead + (Item - Lead) * kPanel;
  Count = std::min(kPanel, Cols - K0);
}

void SquareItem(const double* Src, std::size_t Rows, std::size_t Cols, std::size_t K0,
                std::size_t Count, double Norm, double* Res) {
  if (Count == 1) {
    SquareColumn(Src, Rows, Cols, K0, Norm, Res);
  } else {
    SquarePanel(Src, Rows, Cols, K0, Count, Norm, Res);
  }
}

void Feedback() {
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(ProcStat.load(std::memory_order_relaxed));
  }
}

}  // namespace

bool TMatrix::Square(TMatrix* MatRes, double Norm) {
  return Square(MatRes, Norm, CPUCount());
}

bool TMatrix::Square(TMatrix* MatRes, double Norm, Integer NThreads) {
  if (MatRes == nullptr) return false;
  const Integer c = FNCol;
  const Integer r = FNRow;
  // Squaring into the source itself resizes A: read a copy taken before that.
  std::vector<double> own;
  if (MatRes == this && c > 0 && r > 0) {
    own.assign(FData.begin(),
               FData.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c) *
                                                           static_cast<std::size_t>(r)));
  }
  // Neither the result's handler (fired by its resize) nor MathFeedBackProc may resize the two
  // matrices while the workers read and write their cells.
  detail::TUseGuard use(this, MatRes);
  use.AllowResize(MatRes);
  MatRes->Resize(c, c);
  // Refused when this call was started from a handler of a call using MatRes.
  if (MatRes->FNCol != c || MatRes->FNRow != c) return false;
  if (c <= 0) return true;
  // With no row every sum is 0 and no source cell is read.
  const std::size_t rows = r > 0 ? static_cast<std::size_t>(r) : 0;
  const auto cols = static_cast<std::size_t>(c);
  const double* src = own.empty() ? FData.data() : own.data();
  double* res = detail::TMatrixAccess::Cells(*MatRes);

  // Fewer than two threads (also a count below 1) run on the caller's thread: each column
  // is first tested for an abort and counted, then its panel is computed.
  if (NThreads <= 1) {
    for (std::size_t k0 = 0; k0 < cols; k0 += kPanel) {
      const std::size_t inPanel = std::min(kPanel, cols - k0);
      std::size_t counted = 0;
      bool aborted = false;
      for (; counted < inPanel; ++counted) {
        if (AbortMathProc.load(std::memory_order_acquire)) {
          aborted = true;
          break;
        }
        StepProcStat();
      }
      if (counted > 0) SquareItem(src, rows, cols, k0, counted, Norm, res);
      if (aborted) return false;
    }
    return true;
  }

  const auto lead = static_cast<std::size_t>(std::min(NThreads, c));
  const std::size_t items = lead + (cols - lead + kPanel - 1) / kPanel;
  const auto work = [&](Integer Item) {
    std::size_t k0 = 0;
    std::size_t count = 0;
    ItemColumns(static_cast<std::size_t>(Item), lead, cols, k0, count);
    SquareItem(src, rows, cols, k0, count, Norm, res);
    // One step per column, each its own atomic addition of 1.
    for (std::size_t h = 0; h < count; ++h) ProcStat.fetch_add(1.0, std::memory_order_relaxed);
  };
  const auto poll = [] {
    Feedback();
    return !AbortMathProc.load(std::memory_order_acquire);
  };
  // As many items as lead columns at least: the pool holds min(NThreads, c) threads.
  if (!detail::RunWorkerPool(static_cast<Integer>(items), NThreads, work, poll)) return false;
  Feedback();
  return true;
}

}  // namespace nuv
