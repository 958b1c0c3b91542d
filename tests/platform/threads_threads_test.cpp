#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/platform/threads.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(TThread, CreatedSuspendedStartedExplicitly) {
  std::atomic<int> runs{0};
  {
    TThread t([&] { ++runs; });
    EXPECT_FALSE(t.Finished());
    EXPECT_EQ(runs.load(), 0);
    t.Start();
    t.Start();  // a second start does nothing
    t.WaitFor();
    EXPECT_TRUE(t.Finished());
  }
  EXPECT_EQ(runs.load(), 1);
  TThread never([&] { ++runs; });  // destroyed without start: nothing runs, nothing hangs
}

TEST(TThread, EscapingExceptionIsKept) {
  TThread t([] { throw std::runtime_error("boom"); });
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
}

TEST(TCriticalSection, GuardsASharedCounter) {
  TCriticalSection cs;
  long counter = 0;
  std::vector<std::unique_ptr<TThread>> threads;
  for (int k = 0; k < 4; ++k) {
    threads.push_back(std::make_unique<TThread>([&] {
      for (int i = 0; i < 10000; ++i) {
        cs.Enter();
        ++counter;
        cs.Leave();
      }
    }));
  }
  for (auto& t : threads) t->Start();
  threads.clear();  // destructors join
  EXPECT_EQ(counter, 40000);
  EXPECT_GE(CPUCount(), 1);
}

TEST(ProcStatHook, ConcurrentStepsAreNeverLost) {
  test::HookGuard guard;
  ProcStat = 0.0;
  MathFeedBackProc = nullptr;
  std::vector<std::unique_ptr<TThread>> threads;
  for (int k = 0; k < 4; ++k) {
    threads.push_back(std::make_unique<TThread>([] {
      for (int i = 0; i < 5000; ++i) StepProcStat();
    }));
  }
  for (auto& t : threads) t->Start();
  threads.clear();
  EXPECT_EQ(ProcStat.load(), 20000.0);
}

}  // namespace
}  // namespace nuv
