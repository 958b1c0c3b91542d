#include "nuv/base/hooks.hpp"

namespace nuv {

std::atomic<double> ProcStat{0.0};
std::atomic<TMathFeedBackProc> MathFeedBackProc{nullptr};
std::atomic<bool> AbortMathProc{false};

void StepProcStat() {
  double expected = ProcStat.load(std::memory_order_relaxed);
  while (!ProcStat.compare_exchange_weak(expected, expected + 1.0, std::memory_order_relaxed)) {
  }
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(expected + 1.0);
  }
}

}  // namespace nuv
