// TMatrix::Square on the caller's thread and on worker threads.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// Naive AᵀA / Norm cell, summed over the rows in order like the routine.
double RefSquare(const TMatrix& a, Integer k, Integer j, double norm) {
  double s = 0.0;
  for (Integer r = 1; r <= a.NrOfRows(); ++r) s += a.GetVal(k, r) * a.GetVal(j, r);
  return s / norm;
}

void ExpectSquareOf(const TMatrix& a, const TMatrix& res, double norm) {
  const Integer c = a.NrOfColumns();
  ASSERT_EQ(res.NrOfColumns(), c);
  ASSERT_EQ(res.NrOfRows(), c);
  for (Integer k = 1; k <= c; ++k) {
    for (Integer j = 1; j <= c; ++j) ASSERT_EQ(res.GetVal(k, j), RefSquare(a, k, j, norm));
  }
}

TEST(MatrixSquare, EveryPoolSizeGivesTheSameResultAndSteps) {
  HookGuard hooks;
  ProcStat = 0.0;  // whole numbers: the differences below are exact
  TMatrix a(nullptr);
  LoadRows(a, {{1, 2, 3}, {4, 5, 6}});  // 3 columns, 2 rows
  TMatrix big(nullptr);
  LoadRandom(big, 23, 37, 7u);
  for (Integer threads : {1, 2, 8, 64, 0, -3}) {
    TMatrix res(nullptr);
    int events = 0;
    res.SetOnChange([&](TObject*) { ++events; });
    double before = ProcStat.load();
    ASSERT_TRUE(a.Square(&res, 2.0, threads)) << threads;
    EXPECT_EQ(ProcStat.load() - before, 3.0) << threads;
    ExpectSquareOf(a, res, 2.0);
    EXPECT_EQ(res.GetVal(3, 2), (2.0 * 3 + 5.0 * 6) / 2);
    EXPECT_EQ(events, 1);  // the resize only; the cells fire nothing
    before = ProcStat.load();
    ASSERT_TRUE(big.Square(&res, 3.0, threads));
    EXPECT_EQ(ProcStat.load() - before, 37.0) << threads;
    ExpectSquareOf(big, res, 3.0);
  }
  TMatrix one(nullptr);
  one.SetVal(1, 1, 2.0);
  TMatrix res(nullptr);
  ASSERT_TRUE(one.Square(&res, 4.0));
  EXPECT_EQ(res.GetVal(1, 1), 1.0);
  EXPECT_FALSE(one.Square(nullptr, 1.0, 4));
}

TEST(MatrixSquare, IntoItselfAndDegenerateSizes) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 6, 3, 11u);
  TMatrix copy(nullptr);
  copy.Assign(&a);
  ASSERT_TRUE(a.Square(&a, 2.0, 3));
  ExpectSquareOf(copy, a, 2.0);
  TMatrix noRows(nullptr);
  noRows.Resize(3, 0);
  TMatrix res(nullptr);
  ASSERT_TRUE(noRows.Square(&res, 1.0, 2));
  ExpectSquareOf(noRows, res, 1.0);  // all zeros
  noRows.Resize(0, 0);
  EXPECT_TRUE(noRows.Square(&res, 1.0, 4));
  EXPECT_EQ(res.NrOfColumns(), 0);
}

// Cells whose sums change with any reordering: mantissas in [-1, 1) spread over 2^-40..2^40,
// with some exact zeros and negative zeros.
std::vector<double> WideCells(int rows, int cols, unsigned seed) {
  std::vector<double> v(static_cast<std::size_t>(rows) * cols);
  unsigned x = seed;
  for (double& e : v) {
    x = x * 1664525u + 1013904223u;
    const double m = static_cast<double>(x >> 8) / 8388608.0 - 1.0;
    x = x * 1664525u + 1013904223u;
    const int ex = static_cast<int>((x >> 16) % 81) - 40;
    e = (x & 0xF0u) == 0 ? ((x & 1u) ? -0.0 : 0.0) : std::ldexp(m, ex);
  }
  return v;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(MatrixSquare, BlockedResultIsTheRowOrderSumBitForBit) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  // Column and row counts on both sides of the panel, tile and row-block widths.
  const int colCounts[] = {1, 2, 3, 4, 5, 7, 8, 9, 13, 19, 33};
  const int rowCounts[] = {1, 2, 255, 256, 257, 700};
  unsigned seed = 1;
  for (int cols : colCounts) {
    for (int rows : rowCounts) {
      const std::vector<double> cells = WideCells(rows, cols, seed++);
      TMatrix a(nullptr);
      a.Resize(cols, rows);
      for (int c = 1; c <= cols; ++c) {
        for (int r = 1; r <= rows; ++r) a.SetVal(c, r, cells[(c - 1) * rows + r - 1]);
      }
      // The plain loop: one running sum per cell, the rows in order, then the division.
      std::vector<double> ref(static_cast<std::size_t>(cols) * cols);
      for (int k = 0; k < cols; ++k) {
        for (int j = k; j < cols; ++j) {
          double s = 0.0;
          for (int r = 0; r < rows; ++r) s += cells[k * rows + r] * cells[j * rows + r];
          ref[k * cols + j] = ref[j * cols + k] = s / 3.0;
        }
      }
      for (Integer threads : {1, 2, 3, 8}) {
        SCOPED_TRACE(testing::Message()
                     << cols << " columns, " << rows << " rows, " << threads << " threads");
        TMatrix res(nullptr);
        ASSERT_TRUE(a.Square(&res, 3.0, threads));
        ASSERT_EQ(res.NrOfColumns(), cols);
        ASSERT_EQ(res.NrOfRows(), cols);
        for (int k = 1; k <= cols; ++k) {
          for (int j = 1; j <= cols; ++j) {
            const double want = ref[(k - 1) * cols + j - 1];
            ASSERT_TRUE(SameBits(res.GetVal(k, j), want))
                << "cell " << k << "," << j << ": " << res.GetVal(k, j) << " vs " << want;
          }
        }
      }
    }
  }
}

TEST(MatrixSquare, HandlerThatResizesTheResultOrTheSource) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 30, 40, 5u);
  for (Integer threads : {1, 4}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    // Resizes tried from the result's handler are refused: the square completes as without it.
    int refused = 0;
    TMatrix small(nullptr);
    small.SetOnChange([&](TObject*) { refused += small.Resize(1, 1) ? 0 : 1; });
    EXPECT_TRUE(a.Square(&small, 1.0, threads));
    EXPECT_EQ(refused, 1);
    ExpectSquareOf(a, small, 1.0);
    TMatrix big(nullptr);
    big.SetOnChange([&](TObject*) { refused += big.Resize(50, 50) ? 0 : 1; });
    EXPECT_TRUE(a.Square(&big, 1.0, threads));
    EXPECT_EQ(refused, 2);
    ExpectSquareOf(a, big, 1.0);
    // The source shrunk by the result's handler: refused as well.
    TMatrix src(nullptr);
    src.Assign(&a);
    TMatrix res(nullptr);
    res.SetOnChange([&](TObject*) { refused += src.Resize(2, 2) ? 0 : 1; });
    EXPECT_TRUE(src.Square(&res, 1.0, threads));
    EXPECT_EQ(refused, 3);
    EXPECT_EQ(src.NrOfColumns(), 40);
    ExpectSquareOf(a, res, 1.0);
    // A handler that leaves the size alone changes nothing.
    TMatrix fine(nullptr);
    int calls = 0;
    fine.SetOnChange([&](TObject*) { ++calls; });
    EXPECT_TRUE(a.Square(&fine, 1.0, threads));
    EXPECT_EQ(calls, 1);
    ExpectSquareOf(a, fine, 1.0);
  }
  // Without columns the result must be 0 by 0 too.
  TMatrix none(nullptr);
  none.Resize(0, 3);
  TMatrix res(nullptr);
  res.SetOnChange([&](TObject*) { res.Resize(1, 1); });
  EXPECT_TRUE(none.Square(&res, 1.0, 2));
  EXPECT_EQ(res.NrOfColumns(), 0);
  EXPECT_EQ(res.NrOfRows(), 0);
}

void ThrowingFeedback(double) {
  throw std::runtime_error("feedback failed");
}

TEST(MatrixSquare, FeedbackExceptionReachesTheCallerAfterTheWorkers) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 50, 64, 3u);
  MathFeedBackProc = &ThrowingFeedback;
  TMatrix res(nullptr);
  const double before = ProcStat.load();
  bool thrown = false;
  try {
    a.Square(&res, 1.0, 4);
  } catch (const std::runtime_error& e) {
    thrown = true;
    EXPECT_EQ(std::string(e.what()), "feedback failed");
  }
  EXPECT_TRUE(thrown);
  // The first poll stops the hand-out: only the four first columns were begun, and they
  // have ended before the call returned.
  const double after = ProcStat.load();
  EXPECT_LE(after - before, 4.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ProcStat.load(), after);
}

std::atomic<int> gFeedCalls{0};
std::atomic<int> gAbortAfter{0};
std::atomic<bool> gForeignThread{false};
std::thread::id gCaller;

void CountingFeedback(double) {
  if (std::this_thread::get_id() != gCaller) gForeignThread = true;
  if (++gFeedCalls == gAbortAfter.load()) AbortMathProc = true;
}

TEST(MatrixSquare, AbortBeforeAndWhileRunning) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 40, 60, 9u);
  AbortMathProc = true;
  TMatrix res(nullptr);
  res.Resize(2, 2);
  res.SetVal(1, 1, kSentinel);
  double before = ProcStat.load();
  EXPECT_FALSE(a.Square(&res, 1.0, 1));
  EXPECT_EQ(ProcStat.load(), before);
  EXPECT_EQ(res.GetVal(1, 1), kSentinel);
  EXPECT_EQ(res.GetVal(60, 60), 0.0);
  // The pool starts before the first poll; its columns may finish, but no worker survives
  // the call, so the counter no longer moves afterwards.
  EXPECT_FALSE(a.Square(&res, 1.0, 4));
  const double after = ProcStat.load();
  EXPECT_LE(after - before, 4.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ProcStat.load(), after);

  AbortMathProc = false;
  gCaller = std::this_thread::get_id();
  MathFeedBackProc = &CountingFeedback;
  gAbortAfter = 3;
  TMatrix part(nullptr);
  before = ProcStat.load();
  EXPECT_FALSE(a.Square(&part, 1.0, 3));
  EXPECT_LT(ProcStat.load() - before, 60.0);
  EXPECT_FALSE(gForeignThread.load());  // only the polling thread reports progress
  // Every cell is its reference value (its column was reached) or still 0.
  for (Integer k = 1; k <= 60; ++k) {
    for (Integer j = 1; j <= 60; ++j) {
      const double v = part.GetVal(k, j);
      if (v != 0.0) {
        ASSERT_EQ(v, RefSquare(a, k, j, 1.0));
      }
    }
  }
}

TEST(MatrixSquare, AbortEndsTheFeedbackAndCountsEveryColumnComputed) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 30, 64, 13u);
  for (Integer threads : {1, 4}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    AbortMathProc = false;
    gFeedCalls = 0;
    gAbortAfter = 2;
    gCaller = std::this_thread::get_id();
    MathFeedBackProc = &CountingFeedback;
    ProcStat = 0.0;
    TMatrix res(nullptr);
    EXPECT_FALSE(a.Square(&res, 1.0, threads));
    // The call that set the flag was the last one: no final report after an abort.
    EXPECT_EQ(gFeedCalls.load(), 2);
    // Each counted column is complete and no other one was written (random cells: the
    // diagonal of a computed column is positive).
    Integer computed = 0;
    for (Integer k = 1; k <= 64; ++k) {
      if (res.GetVal(k, k) == 0.0) {
        for (Integer j = k; j <= 64; ++j) ASSERT_EQ(res.GetVal(k, j), 0.0) << k << "," << j;
        continue;
      }
      ++computed;
      for (Integer j = 1; j <= 64; ++j) {
        if (j >= k || res.GetVal(j, j) != 0.0) {
          ASSERT_EQ(res.GetVal(k, j), RefSquare(a, k, j, 1.0)) << k << "," << j;
        }
      }
    }
    EXPECT_EQ(ProcStat.load(), static_cast<double>(computed));
    EXPECT_GE(computed, 1);
    EXPECT_LT(computed, 64);
  }
}

}  // namespace
}  // namespace nuv::test
