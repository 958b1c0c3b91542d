// TMatrix::Square on the caller's thread and on worker threads.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// Naive AᵀA / Norm, summed over the rows in order like the routine.
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
    for (Integer j = 1; j <= c; ++j) {
      EXPECT_EQ(res.GetVal(k, j), RefSquare(a, std::min(k, j), std::max(k, j), norm))
          << k << "," << j;
    }
  }
}

TEST(MatrixSquare, SameResultOnCallerAndWorkerThreads) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRows(a, {{1, 2, 3}, {4, 5, 6}});  // 3 columns, 2 rows
  for (Integer threads : {1, 2, 8, 0, -3}) {
    TMatrix res(nullptr);
    const double before = ProcStat.load();
    ASSERT_TRUE(a.Square(&res, 2.0, threads)) << threads;
    EXPECT_EQ(ProcStat.load() - before, 3.0) << threads;
    ExpectSquareOf(a, res, 2.0);
    EXPECT_EQ(res.GetVal(1, 1), 17.0 / 2);
    EXPECT_EQ(res.GetVal(3, 2), (2.0 * 3 + 5.0 * 6) / 2);
    EXPECT_EQ(res.GetVal(2, 3), (2.0 * 3 + 5.0 * 6) / 2);
  }
  TMatrix one(nullptr);
  one.SetVal(1, 1, 2.0);
  TMatrix res(nullptr);
  ASSERT_TRUE(one.Square(&res, 4.0, 8));
  EXPECT_EQ(res.GetVal(1, 1), 1.0);
  EXPECT_FALSE(one.Square(nullptr, 1.0, 4));
  EXPECT_FALSE(one.Square(nullptr, 1.0));
}

TEST(MatrixSquare, LargerMatrixEveryPoolSize) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 23, 37, 7u);
  for (Integer threads : {1, 3, 8, 64}) {
    TMatrix res(nullptr);
    res.Resize(37, 37);
    res.Fill(kSentinel);
    const double before = ProcStat.load();
    ASSERT_TRUE(a.Square(&res, 3.0, threads));
    EXPECT_EQ(ProcStat.load() - before, 37.0) << threads;
    ExpectSquareOf(a, res, 3.0);
  }
  TMatrix res(nullptr);
  ASSERT_TRUE(a.Square(&res, 1.5));
  ExpectSquareOf(a, res, 1.5);
}

TEST(MatrixSquare, EventsOnlyFromResize) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 5, 4, 3u);
  TMatrix res(nullptr);
  int events = 0;
  res.SetOnChange([&](TObject*) { ++events; });
  ASSERT_TRUE(a.Square(&res, 1.0, 4));
  EXPECT_EQ(events, 1);  // the resize to 4 by 4
  ASSERT_TRUE(a.Square(&res, 1.0, 1));
  EXPECT_EQ(events, 1);
  ExpectSquareOf(a, res, 1.0);
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
  TMatrix empty(nullptr);
  empty.Resize(0, 0);
  EXPECT_TRUE(empty.Square(&res, 1.0, 4));
  EXPECT_EQ(res.NrOfColumns(), 0);
}

TEST(MatrixSquare, AbortAlreadySet) {
  HookGuard hooks;
  TMatrix a(nullptr);
  LoadRandom(a, 9, 6, 5u);
  AbortMathProc = true;
  TMatrix res(nullptr);
  res.Resize(2, 2);
  res.SetVal(1, 1, kSentinel);
  const double before = ProcStat.load();
  EXPECT_FALSE(a.Square(&res, 1.0, 1));
  EXPECT_EQ(ProcStat.load(), before);
  EXPECT_EQ(res.GetVal(1, 1), kSentinel);
  EXPECT_EQ(res.GetVal(6, 6), 0.0);
  // The pool was started before the first poll: the columns handed out may finish, but no
  // worker survives the call, so the counter no longer moves afterwards.
  EXPECT_FALSE(a.Square(&res, 1.0, 4));
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

TEST(MatrixSquare, FeedbackOnCallerThreadAndAbortWhileRunning) {
  HookGuard hooks;
  gCaller = std::this_thread::get_id();
  TMatrix a(nullptr);
  LoadRandom(a, 40, 60, 9u);
  MathFeedBackProc = &CountingFeedback;
  gFeedCalls = 0;
  gAbortAfter = -1;
  gForeignThread = false;
  TMatrix res(nullptr);
  ASSERT_TRUE(a.Square(&res, 1.0, 3));
  EXPECT_GE(gFeedCalls.load(), 2);
  EXPECT_FALSE(gForeignThread.load());
  ExpectSquareOf(a, res, 1.0);

  gFeedCalls = 0;
  gAbortAfter = 3;
  TMatrix part(nullptr);
  const double before = ProcStat.load();
  EXPECT_FALSE(a.Square(&part, 1.0, 3));
  const double done = ProcStat.load() - before;
  EXPECT_LT(done, 60.0);
  // Every cell is the reference value (its column was reached) or still 0.
  for (Integer k = 1; k <= 60; ++k) {
    for (Integer j = 1; j <= 60; ++j) {
      const double v = part.GetVal(k, j);
      if (v != 0.0) {
        EXPECT_EQ(v, RefSquare(a, std::min(k, j), std::max(k, j), 1.0));
      }
    }
  }
  EXPECT_FALSE(gForeignThread.load());
}

}  // namespace
}  // namespace nuv::test
