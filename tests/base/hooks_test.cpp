#include <gtest/gtest.h>

#include "nuv/base/hooks.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

double gSeen = -1;
void Record(double v) {
  gSeen = v;
}

TEST(ProcStatHook, StepAddsOneAndReportsTheNewValue) {
  test::HookGuard guard;
  ProcStat = 41.0;
  MathFeedBackProc = &Record;
  StepProcStat();
  EXPECT_EQ(ProcStat.load(), 42.0);
  EXPECT_EQ(gSeen, 42.0);
  MathFeedBackProc = nullptr;
  StepProcStat();
  EXPECT_EQ(gSeen, 42.0);
  EXPECT_EQ(ProcStat.load(), 43.0);
}

}  // namespace
}  // namespace nuv
