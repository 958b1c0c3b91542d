// The worker pool behind the matrix unit's threaded routines.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "nuv/matrix/detail/worker_pool.hpp"

namespace nuv::test {
namespace {

using detail::RunWorkerPool;

// What a run did: how often each item ran, on which threads, how many at once.
struct Trace {
  std::mutex Lock;
  std::vector<int> Runs;
  std::set<std::thread::id> Threads;
  std::atomic<int> Inside{0};
  std::atomic<int> Most{0};
  std::atomic<int> Begun{0};

  explicit Trace(int Items) : Runs(static_cast<std::size_t>(std::max(Items, 0)), 0) {}
  void Item(Integer i) {
    ++Begun;
    const int now = ++Inside;
    int most = Most.load();
    while (now > most && !Most.compare_exchange_weak(most, now)) {
    }
    {
      const std::lock_guard<std::mutex> g(Lock);
      ++Runs[static_cast<std::size_t>(i)];
      Threads.insert(std::this_thread::get_id());
    }
    std::this_thread::yield();
    --Inside;
  }
};

TEST(WorkerPool, EveryItemRunsOnceOnAtMostTheCappedThreads) {
  struct Case {
    Integer Items, MaxThreads, Cap;
  };
  const Case cases[] = {{1, 8, 1}, {3, 8, 3}, {17, 4, 4}, {100, 3, 3}, {5, 0, 1}, {6, -7, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Items << " items, " << c.MaxThreads << " threads");
    Trace t(c.Items);
    int polls = 0;
    const std::thread::id caller = std::this_thread::get_id();
    bool pollOffCaller = false;
    EXPECT_TRUE(RunWorkerPool(
        c.Items, c.MaxThreads, [&](Integer i) { t.Item(i); },
        [&] {
          ++polls;
          if (std::this_thread::get_id() != caller) pollOffCaller = true;
          return true;
        }));
    for (int n : t.Runs) ASSERT_EQ(n, 1);
    EXPECT_LE(t.Most.load(), c.Cap);
    EXPECT_LE(t.Threads.size(), static_cast<std::size_t>(c.Cap));
    EXPECT_EQ(t.Threads.count(caller), 0u);  // the caller only polls
    EXPECT_GE(polls, 1);
    EXPECT_FALSE(pollOffCaller);
  }
  // No item: no thread, no poll.
  int polls = 0;
  EXPECT_TRUE(RunWorkerPool(
      0, 4, [](Integer) { FAIL(); },
      [&] {
        ++polls;
        return true;
      }));
  EXPECT_EQ(polls, 0);
}

TEST(WorkerPool, AFalsePollStopsTheHandOutWithinOneItemPerThread) {
  for (int stopAt : {1, 2, 5}) {
    SCOPED_TRACE(testing::Message() << "stop at poll " << stopAt);
    Trace t(1000);
    int polls = 0;
    const bool done = RunWorkerPool(
        1000, 3, [&](Integer i) { t.Item(i); }, [&] { return ++polls < stopAt; });
    EXPECT_FALSE(done);
    EXPECT_EQ(polls, stopAt);  // no poll after the stop
    // The three first items always run; before the n-th poll at most n·3 were handed out.
    const int begun = t.Begun.load();
    EXPECT_GE(begun, 3);
    EXPECT_LE(begun, stopAt * 3);
    EXPECT_EQ(t.Inside.load(), 0);
    // The items begun are the first ones, in ascending order of hand-out.
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(t.Runs[i], i < begun ? 1 : 0) << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(t.Begun.load(), begun);
  }
}

TEST(WorkerPool, FirstFailureIsRethrownAfterEveryWorkerEnded) {
  // From an item.
  std::atomic<int> running{0};
  std::atomic<int> begun{0};
  bool thrown = false;
  try {
    RunWorkerPool(
        400, 4,
        [&](Integer i) {
          ++running;
          ++begun;
          // Items take a while, so the hand-out stops long before the other workers could
          // finish all 400, even on a loaded machine.
          if (i != 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          --running;
          if (i == 2) throw std::runtime_error("item 2 failed");
        },
        [] { return true; });
  } catch (const std::runtime_error& e) {
    thrown = true;
    EXPECT_EQ(std::string(e.what()), "item 2 failed");
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(running.load(), 0);
  EXPECT_LT(begun.load(), 400);
  const int atReturn = begun.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(begun.load(), atReturn);

  // From the poll on the calling thread.
  running = 0;
  thrown = false;
  try {
    RunWorkerPool(
        50, 3,
        [&](Integer) {
          ++running;
          std::this_thread::yield();
          --running;
        },
        []() -> bool { throw std::logic_error("poll failed"); });
  } catch (const std::logic_error& e) {
    thrown = true;
    EXPECT_EQ(std::string(e.what()), "poll failed");
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(running.load(), 0);
}

std::atomic<int> gStarts{0};
void FailSecondStart(TThread& Worker) {
  if (++gStarts == 2) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                            "no thread");
  }
  Worker.Start();
}

TEST(WorkerPool, AFailedThreadStartIsRethrownAfterTheStartedOnesEnded) {
  gStarts = 0;
  Trace t(20);
  int polls = 0;
  bool thrown = false;
  try {
    RunWorkerPool(
        20, 4, [&](Integer i) { t.Item(i); },
        [&] {
          ++polls;
          return true;
        },
        &FailSecondStart);
  } catch (const std::system_error& e) {
    thrown = true;
    EXPECT_EQ(e.code(), std::errc::resource_unavailable_try_again);
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(gStarts.load(), 2);  // no start after the failed one
  EXPECT_EQ(polls, 0);
  // Only the first worker ran, and at most its own first item.
  EXPECT_LE(t.Begun.load(), 1);
  for (int i = 1; i < 20; ++i) EXPECT_EQ(t.Runs[i], 0) << i;
  EXPECT_EQ(t.Inside.load(), 0);
}

}  // namespace
}  // namespace nuv::test
