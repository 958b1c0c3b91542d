#pragma once
// The worker pool of the matrix unit's column-parallel routines (the square of a matrix, the
// layer statistics of the four-dimensional array).

#include <functional>

#include "nuv/platform/threads.hpp"
#include "nuv/platform/types.hpp"

namespace nuv::detail {

/// Starts one worker of a pool; the pool's default calls TThread::Start.
using TPoolStarter = void (*)(TThread& Worker);

/// Runs Work(0), ..., Work(Items - 1) on p = min(max(MaxThreads, 1), Items) worker threads.
///
/// The calling thread creates the p workers and starts them in index order; worker i begins
/// with item i. The calling thread then makes passes: each pass calls Poll on it, releases
/// items so that p of them wait beyond those taken, and waits until an item finishes or a
/// worker ends. Released items go out in ascending order, each to the first worker that is
/// free. A false Poll stops the hand-out; the items handed out run to their end. So the items
/// that ran are 0..m-1 with p <= m <= n·p when the n-th call of Poll returned false.
///
/// Every started worker is joined on every path before the call returns. The first exception
/// thrown by Work, by Poll or while starting a worker stops the hand-out and is rethrown here
/// once all workers have ended. Returns false when Poll stopped the hand-out, true when every
/// item ran (also when Items < 1, with no thread and no Poll).
bool RunWorkerPool(Integer Items, Integer MaxThreads, const std::function<void(Integer)>& Work,
                   const std::function<bool()>& Poll, TPoolStarter Starter = nullptr);

}  // namespace nuv::detail
