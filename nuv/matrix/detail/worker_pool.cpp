#include "nuv/matrix/detail/worker_pool.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace nuv::detail {
namespace {

// The state of one pool run, shared by the calling thread and its workers.
struct TPoolState {
  std::mutex Lock;
  std::condition_variable WorkerWake;  // items released, or the hand-out stopped
  std::condition_variable CallerWake;  // an item finished or a worker ended
  Integer Items = 0;
  Integer Next = 0;      // the next item to hand out
  Integer Released = 0;  // items below this may be handed out (raised by each pass)
  bool Stop = false;
  std::uint64_t Events = 0;
  Integer Ended = 0;
  std::exception_ptr First;

  // Records the first failure and stops the hand-out; call with Lock held.
  void Fail(std::exception_ptr E) {
    if (!First) First = std::move(E);
    Stop = true;
  }
};

void WorkerLoop(TPoolState& S, const std::function<void(Integer)>& Work, Integer Item) {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(S.Lock);
      if (Item < 0) {
        S.WorkerWake.wait(lock, [&] { return S.Stop || S.Next < S.Released || S.Next >= S.Items; });
        if (S.Stop || S.Next >= S.Items) break;
        Item = S.Next++;
      } else if (S.First) {
        // A worker's first item was handed out at its start; only a failure withdraws it.
        break;
      }
    }
    bool failed = false;
    try {
      Work(Item);
    } catch (...) {
      const std::lock_guard<std::mutex> lock(S.Lock);
      S.Fail(std::current_exception());
      failed = true;
    }
    if (failed) S.WorkerWake.notify_all();
    {
      const std::lock_guard<std::mutex> lock(S.Lock);
      ++S.Events;
    }
    S.CallerWake.notify_one();
    Item = -1;
  }
  {
    const std::lock_guard<std::mutex> lock(S.Lock);
    ++S.Ended;
    ++S.Events;
  }
  S.CallerWake.notify_one();
}

// Stops the hand-out when the run is left by any path, so that the joins that follow end.
struct TStopOnExit {
  TPoolState& S;
  ~TStopOnExit() {
    {
      const std::lock_guard<std::mutex> lock(S.Lock);
      S.Stop = true;
    }
    S.WorkerWake.notify_all();
  }
};

}  // namespace

bool RunWorkerPool(Integer Items, Integer MaxThreads, const std::function<void(Integer)>& Work,
                   const std::function<bool()>& Poll, TPoolStarter Starter) {
  if (Items < 1) return true;
  const Integer p = std::min(std::max<Integer>(MaxThreads, 1), Items);
  TPoolState S;
  S.Items = Items;
  S.Next = p;
  S.Released = p;
  // Declared before the guard: the guard stops the hand-out, then these are joined.
  std::vector<std::unique_ptr<TThread>> workers;
  const TStopOnExit guard{S};
  workers.reserve(static_cast<std::size_t>(p));
  for (Integer i = 0; i < p; ++i) {
    workers.push_back(std::make_unique<TThread>([&S, &Work, i] { WorkerLoop(S, Work, i); }));
  }
  Integer started = 0;
  for (auto& w : workers) {
    try {
      if (Starter != nullptr) {
        Starter(*w);
      } else {
        w->Start();
      }
    } catch (...) {
      const std::lock_guard<std::mutex> lock(S.Lock);
      S.Fail(std::current_exception());
      break;
    }
    ++started;
  }

  bool stopped = false;
  {
    const std::lock_guard<std::mutex> lock(S.Lock);
    // Workers that never started cannot end; count them as ended.
    S.Ended += p - started;
  }
  for (;;) {
    std::uint64_t seen = 0;
    {
      const std::lock_guard<std::mutex> lock(S.Lock);
      if (S.First) break;
      seen = S.Events;
    }
    bool go = false;
    try {
      go = Poll ? Poll() : true;
    } catch (...) {
      const std::lock_guard<std::mutex> lock(S.Lock);
      S.Fail(std::current_exception());
      break;
    }
    std::unique_lock<std::mutex> lock(S.Lock);
    if (!go) {
      S.Stop = true;
      stopped = true;
      break;
    }
    if (S.Ended == p) break;
    // At most p items go out between two passes, so a stop takes effect within p items.
    const Integer released = std::min(S.Items, S.Next + p);
    if (released > S.Released) {
      S.Released = released;
      S.WorkerWake.notify_all();
    }
    S.CallerWake.wait(lock, [&] { return S.Events != seen; });
  }
  {
    const std::lock_guard<std::mutex> lock(S.Lock);
    S.Stop = true;
  }
  S.WorkerWake.notify_all();
  workers.clear();  // joins every started worker
  if (S.First) std::rethrow_exception(S.First);
  return !stopped;
}

}  // namespace nuv::detail
