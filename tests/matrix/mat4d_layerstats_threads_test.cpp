// TMat4D layer statistics on the caller's thread and on worker threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

enum Op { kMean, kMax, kMin, kStd };

void RunOp(Op op, TMat4D& m, TMatrix* d, const std::vector<Integer>& b, Integer threads) {
  switch (op) {
    case kMean:
      m.MeanOfLayersToMatrix(d, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], threads);
      break;
    case kMax:
      m.MaximumOfLayersToMatrix(d, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], threads);
      break;
    case kMin:
      m.MinimumOfLayersToMatrix(d, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], threads);
      break;
    case kStd:
      m.StdDevOfLayersToMatrix(d, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], threads);
      break;
  }
}

// Naive statistic over an already valid box, layers outer and slots inner like the routine.
double Reference(Op op, const TMat4D& m, Integer x, Integer y, const std::vector<Integer>& b) {
  std::vector<double> v;
  for (Integer z = b[4]; z <= b[5]; ++z)
    for (Integer t = b[6]; t <= b[7]; ++t) v.push_back(m.GetVal(x, y, z, t));
  const double n = static_cast<double>(v.size());
  double s = 0.0;
  for (double e : v) s += e;
  // Deviations from the mean, corrected by the square of their sum over n.
  double d1 = 0.0, d2 = 0.0;
  for (double e : v) {
    d1 += e - s / n;
    d2 += (e - s / n) * (e - s / n);
  }
  switch (op) {
    case kMean:
      return s / n;
    case kMax:
      return *std::max_element(v.begin(), v.end());
    case kMin:
      return *std::min_element(v.begin(), v.end());
    case kStd:
      return std::sqrt(std::max(0.0, d2 - d1 * d1 / n) / n);
  }
  return 0.0;
}

void RandomArray(TMat4D& m, Integer nx, Integer ny, Integer nz, Integer nt) {
  m.Resize(nx, ny, nz, nt);
  SetRandSeed(4711);
  m.FillRandomUniform(-5.0, 5.0);
}

TEST(Mat4DLayerStats, EveryOpAndPoolSizeMatchesNaiveReference) {
  HookGuard hooks;
  TMat4D m(nullptr);
  RandomArray(m, 9, 5, 4, 3);
  // Reversed and out-of-range bounds are made valid: columns 2..8, rows 1..5, layers 2..4,
  // slots 1..3.
  const std::vector<Integer> asked{8, 2, -1, 7, 2, 9, 0, 3};
  const std::vector<Integer> valid{2, 8, 1, 5, 2, 4, 1, 3};
  for (Op op : {kMean, kMax, kMin, kStd}) {
    for (Integer threads : {1, 2, 3, 7, 64, 0, -4}) {
      SCOPED_TRACE(testing::Message() << "op " << op << " threads " << threads);
      TMatrix d(nullptr);
      d.Resize(2, 2);
      d.Fill(kSentinel);
      RunOp(op, m, &d, asked, threads);
      ASSERT_EQ(d.NrOfColumns(), 7);
      ASSERT_EQ(d.NrOfRows(), 5);
      for (Integer x = 2; x <= 8; ++x)
        for (Integer y = 1; y <= 5; ++y)
          ASSERT_EQ(d.GetVal(x - 1, y), Reference(op, m, x, y, valid)) << x << "," << y;
    }
  }
}

TEST(Mat4DLayerStats, ClosedFormCases) {
  TMat4D m(nullptr);
  m.Resize(3, 2, 2, 2);
  m.Fill(-7.0);
  m.SetVal(2, 1, 1, 2, -3.0);
  m.SetVal(2, 1, 2, 1, 1.0);
  m.SetVal(2, 1, 2, 2, 3.0);
  TMatrix d(nullptr);
  // All bounds 0: the whole array, NrOfLayers·NrOfTimeSlots values per cell.
  m.MeanOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 2);
  EXPECT_EQ(d.NrOfColumns(), 3);
  EXPECT_EQ(d.NrOfRows(), 2);
  EXPECT_EQ(d.GetVal(1, 1), -7.0);
  EXPECT_EQ(d.GetVal(2, 1), (-7.0 - 3.0 + 1.0 + 3.0) / 4.0);
  // All values negative: the largest of them, not 0 nor -uc_MaxReal.
  m.MaximumOfLayersToMatrix(&d, 0, 0, 0, 0, 1, 1, 0, 0, 3);
  EXPECT_EQ(d.GetVal(1, 2), -7.0);
  EXPECT_EQ(d.GetVal(2, 1), -3.0);
  m.MinimumOfLayersToMatrix(&d, 2, 2, 1, 1, 0, 0, 0, 0, 2);
  EXPECT_EQ(d.NrOfColumns(), 1);
  EXPECT_EQ(d.GetVal(1, 1), -7.0);
  // One layer and one slot: 0 everywhere; values 1 and 3: population deviation 1.
  m.StdDevOfLayersToMatrix(&d, 0, 0, 0, 0, 1, 1, 2, 2, 4);
  for (Integer x = 1; x <= 3; ++x) EXPECT_EQ(d.GetVal(x, 1), 0.0);
  m.StdDevOfLayersToMatrix(&d, 2, 2, 1, 1, 2, 2, 0, 0, 4);
  EXPECT_EQ(d.GetVal(1, 1), 1.0);
  // A null destination is left alone.
  m.MeanOfLayersToMatrix(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 2);
}

std::atomic<int> gFeedbacks{0};
std::atomic<bool> gFeedbackOffCaller{false};
std::thread::id gCaller;
void CountFeedback(double) {
  ++gFeedbacks;
  if (std::this_thread::get_id() != gCaller) gFeedbackOffCaller = true;
}

TEST(Mat4DLayerStats, EventsRunOnWorkersAndProgressOnCaller) {
  HookGuard hooks;
  TMat4D m(nullptr);
  RandomArray(m, 12, 3, 2, 2);
  TMatrix d(nullptr);
  std::atomic<int> changes{0};
  std::mutex idsLock;
  std::set<std::thread::id> ids;
  d.SetOnChange([&](TObject* s) {
    EXPECT_EQ(s, &d);
    ++changes;
    const std::lock_guard<std::mutex> g(idsLock);
    ids.insert(std::this_thread::get_id());
  });
  gCaller = std::this_thread::get_id();
  gFeedbacks = 0;
  gFeedbackOffCaller = false;
  MathFeedBackProc = CountFeedback;
  ProcStat = 0.0;
  m.StdDevOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 3);
  // Resize (new size) + Fill + one per result cell.
  EXPECT_EQ(changes.load(), 1 + 1 + 12 * 3);
  EXPECT_NEAR(ProcStat.load(), 100.0, 1e-9);  // twelve additions of 100/12
  EXPECT_GE(gFeedbacks.load(), 2);            // at least one pass and the final call
  EXPECT_FALSE(gFeedbackOffCaller.load());
  // Resize and Fill fired on the caller, the cell writes on the workers.
  EXPECT_GE(ids.size(), 2u);

  // Same size again: no Resize event; caller's thread: 1 step per cell (36 / 1).
  changes = 0;
  ids.clear();
  ProcStat = 0.0;
  gFeedbacks = 0;
  m.MeanOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  EXPECT_EQ(changes.load(), 1 + 12 * 3);
  EXPECT_EQ(ProcStat.load(), 36.0);
  EXPECT_EQ(gFeedbacks.load(), 36);
  EXPECT_EQ(ids, std::set<std::thread::id>{gCaller});
}

TEST(Mat4DLayerStats, SingleThreadProgressStepsEveryHundredthCell) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D m(nullptr);
  m.Resize(25, 9, 1, 1);  // 225 cells: a step every Trunc(225/100) + 1 = 3 cells
  TMatrix d(nullptr);
  ProcStat = 0.0;
  m.MaximumOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  EXPECT_EQ(ProcStat.load(), 75.0);
}

// Counts the entries of a handler that are running at once, keeping the largest count.
struct OverlapProbe {
  std::atomic<int> Inside{0};
  std::atomic<int> Most{0};
  std::atomic<int> Calls{0};
  void Enter() {
    const int now = ++Inside;
    int most = Most.load();
    while (now > most && !Most.compare_exchange_weak(most, now)) {
    }
    ++Calls;
    // Long enough for overlapping calls to meet, if anything let them.
    std::this_thread::sleep_for(std::chrono::microseconds(50));
    --Inside;
  }
};

TEST(Mat4DLayerStats, ConcurrentCallsRunSideBySideEachWithItsOwnLock) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D a(nullptr);
  RandomArray(a, 16, 6, 3, 2);
  TMat4D b(nullptr);
  b.Resize(10, 4, 2, 5);
  b.FillRandomGauss(1.0, 2.0);
  TMatrix ra(nullptr), rb(nullptr), ea(nullptr), eb(nullptr);
  a.MeanOfLayersToMatrix(&ea, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  b.StdDevOfLayersToMatrix(&eb, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  OverlapProbe pa, pb;
  ra.SetOnChange([&](TObject*) { pa.Enter(); });
  rb.SetOnChange([&](TObject*) { pb.Enter(); });
  std::thread t1([&] {
    for (int i = 0; i < 3; ++i) a.MeanOfLayersToMatrix(&ra, 0, 0, 0, 0, 0, 0, 0, 0, 4);
  });
  std::thread t2([&] {
    for (int i = 0; i < 3; ++i) b.StdDevOfLayersToMatrix(&rb, 0, 0, 0, 0, 0, 0, 0, 0, 4);
  });
  t1.join();
  t2.join();
  // Each destination's handler ran one call at a time, once per event.
  EXPECT_EQ(pa.Most.load(), 1);
  EXPECT_EQ(pb.Most.load(), 1);
  EXPECT_EQ(pa.Calls.load(), 1 + 3 * (1 + 16 * 6));  // one resize, then fill and cells
  EXPECT_EQ(pb.Calls.load(), 1 + 3 * (1 + 10 * 4));
  for (Integer x = 1; x <= 16; ++x)
    for (Integer y = 1; y <= 6; ++y) ASSERT_EQ(ra.GetVal(x, y), ea.GetVal(x, y));
  for (Integer x = 1; x <= 10; ++x)
    for (Integer y = 1; y <= 4; ++y) ASSERT_EQ(rb.GetVal(x, y), eb.GetVal(x, y));
}

TEST(Mat4DLayerStats, HandlerCallsNeverOverlap) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D m(nullptr);
  RandomArray(m, 24, 10, 2, 2);
  for (Op op : {kMean, kMax, kMin, kStd}) {
    SCOPED_TRACE(testing::Message() << "op " << op);
    TMatrix d(nullptr);
    OverlapProbe probe;
    d.SetOnChange([&](TObject*) { probe.Enter(); });
    RunOp(op, m, &d, {0, 0, 0, 0, 0, 0, 0, 0}, 4);
    EXPECT_EQ(probe.Most.load(), 1);
    EXPECT_EQ(probe.Calls.load(), 1 + 1 + 24 * 10);
    const std::vector<Integer> all{1, 24, 1, 10, 1, 2, 1, 2};
    for (Integer x = 1; x <= 24; ++x)
      for (Integer y = 1; y <= 10; ++y)
        ASSERT_EQ(d.GetVal(x, y), Reference(op, m, x, y, all)) << x << "," << y;
  }
}

TEST(Mat4DLayerStats, HandlerOnAWorkerMayStartAnotherLayerStatistic) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D outer(nullptr);
  RandomArray(outer, 6, 3, 2, 2);
  TMat4D inner(nullptr);
  inner.Resize(5, 4, 3, 2);
  inner.FillRandomGauss(0.0, 1.0);
  TMatrix innerWant(nullptr);
  inner.MaximumOfLayersToMatrix(&innerWant, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  TMatrix innerGot(nullptr);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> nested{0};
  TMatrix d(nullptr);
  d.SetOnChange([&](TObject*) {
    if (std::this_thread::get_id() == caller) return;
    // From a worker of the outer call, once: a second call with its own pool.
    if (nested.fetch_add(1) == 0) {
      inner.MaximumOfLayersToMatrix(&innerGot, 0, 0, 0, 0, 0, 0, 0, 0, 3);
    }
  });
  outer.MeanOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 3);
  EXPECT_EQ(nested.load(), 6 * 3);
  ASSERT_EQ(innerGot.NrOfColumns(), 5);
  ASSERT_EQ(innerGot.NrOfRows(), 4);
  for (Integer x = 1; x <= 5; ++x)
    for (Integer y = 1; y <= 4; ++y) ASSERT_EQ(innerGot.GetVal(x, y), innerWant.GetVal(x, y));
  const std::vector<Integer> all{1, 6, 1, 3, 1, 2, 1, 2};
  for (Integer x = 1; x <= 6; ++x)
    for (Integer y = 1; y <= 3; ++y) ASSERT_EQ(d.GetVal(x, y), Reference(kMean, outer, x, y, all));
}

TEST(Mat4DLayerStats, WorkerExceptionReachesTheCallerAfterEveryWorkerEnded) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D m(nullptr);
  m.Resize(20, 20, 2, 1);
  m.Fill(2.0);
  for (Integer threads : {4, 1}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    TMatrix d(nullptr);
    d.Resize(3, 3);
    // Calls 1 and 2 are the Resize and the Fill; the first cell write throws.
    std::atomic<int> calls{0};
    d.SetOnChange([&](TObject*) {
      if (++calls == 3) throw std::runtime_error("handler failed on call 3");
    });
    bool thrown = false;
    try {
      m.MeanOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    } catch (const std::runtime_error& e) {
      thrown = true;
      EXPECT_EQ(std::string(e.what()), "handler failed on call 3");
    }
    ASSERT_TRUE(thrown);
    ASSERT_EQ(d.NrOfColumns(), 20);
    // No worker is left: the cells and the handler count stay as they are.
    std::vector<double> seen;
    for (Integer x = 1; x <= 20; ++x)
      for (Integer y = 1; y <= 20; ++y) seen.push_back(d.GetVal(x, y));
    const int callsAtReturn = calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(calls.load(), callsAtReturn);
    int stored = 0;
    std::size_t i = 0;
    for (Integer x = 1; x <= 20; ++x) {
      for (Integer y = 1; y <= 20; ++y) {
        ASSERT_EQ(d.GetVal(x, y), seen[i++]);
        if (d.GetVal(x, y) != 0.0) ++stored;
      }
    }
    // The hand-out stopped: the columns not begun were never computed.
    EXPECT_LT(stored, 400);
    EXPECT_GE(stored, 1);  // the failing cell was stored before its handler ran
  }
}

TEST(Mat4DLayerStats, ExtremesStartFromTheFirstValueThatIsNotNaN) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TMat4D m(nullptr);
  m.Resize(4, 1, 2, 2);  // four columns of four values each
  const double values[4][4] = {
      {inf, inf, inf, inf},      // min +inf, max +inf
      {-inf, -inf, -inf, -inf},  // min -inf, max -inf
      {nan, 3.0, nan, -1.0},     // NaN first: seeded by 3, then -1
      {nan, nan, nan, nan},      // nothing to seed: the start values
  };
  for (Integer x = 1; x <= 4; ++x) {
    int i = 0;
    for (Integer z = 1; z <= 2; ++z)
      for (Integer t = 1; t <= 2; ++t) m.SetVal(x, 1, z, t, values[x - 1][i++]);
  }
  const double wantMin[4] = {inf, -inf, -1.0, uc_MaxReal};
  const double wantMax[4] = {inf, -inf, 3.0, -uc_MaxReal};
  for (Integer threads : {1, 3}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    TMatrix lo(nullptr), hi(nullptr);
    m.MinimumOfLayersToMatrix(&lo, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    m.MaximumOfLayersToMatrix(&hi, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    for (Integer x = 1; x <= 4; ++x) {
      EXPECT_EQ(lo.GetVal(x, 1), wantMin[x - 1]) << x;
      EXPECT_EQ(hi.GetVal(x, 1), wantMax[x - 1]) << x;
    }
  }
}

TEST(Mat4DLayerStats, ThreadCountsBelowOneRunOnTheCaller) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D m(nullptr);
  RandomArray(m, 7, 3, 2, 2);
  for (Integer threads : {0, -1, -2147483647 - 1}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    TMatrix d(nullptr);
    std::set<std::thread::id> ids;
    d.SetOnChange([&](TObject*) { ids.insert(std::this_thread::get_id()); });
    ProcStat = 0.0;
    m.StdDevOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    EXPECT_EQ(ids, std::set<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(ProcStat.load(), 21.0);  // one step per cell, as with one thread
    const std::vector<Integer> all{1, 7, 1, 3, 1, 2, 1, 2};
    for (Integer x = 1; x <= 7; ++x)
      for (Integer y = 1; y <= 3; ++y) ASSERT_EQ(d.GetVal(x, y), Reference(kStd, m, x, y, all));
  }
}

}  // namespace
}  // namespace nuv::test
