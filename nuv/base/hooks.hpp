#pragma once
// Process-wide progress and abort hooks shared by every long computation.

#include <atomic>

namespace nuv {

using TMathFeedBackProc = void (*)(double ProcStat);

/// Progress counter: long computations add 1 after each outer step; never reset by the library.
extern std::atomic<double> ProcStat;
/// Called with the counter after each step when not null.
extern std::atomic<TMathFeedBackProc> MathFeedBackProc;
/// Set by the application to ask the running computation to stop.
extern std::atomic<bool> AbortMathProc;

/// Adds 1 to ProcStat (no increment is lost between threads) and calls MathFeedBackProc,
/// when assigned, with the value after the addition.
void StepProcStat();

}  // namespace nuv
