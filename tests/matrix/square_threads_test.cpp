// TMatrix::Square on the caller's thread and on worker threads.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

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

}  // namespace
}  // namespace nuv::test
