#pragma once
// Worker threads and a critical section.

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "nuv/platform/types.hpp"

namespace nuv {

/// A worker thread created suspended: Start() runs Body once on a new thread; Finished()
/// turns true when Body has returned (or thrown). The destructor waits for the thread.
class TThread {
 public:
  explicit TThread(std::function<void()> Body);
  ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  /// Starts the thread; a second call does nothing.
  void Start();
  /// True once Body has returned or thrown.
  bool Finished() const noexcept { return FFinished.load(std::memory_order_acquire); }
  /// Blocks until the thread has ended (returns at once when it was never started).
  void WaitFor();
  /// The exception that escaped Body, if any.
  std::exception_ptr FatalException() const noexcept { return FFatal; }

 private:
  std::function<void()> FBody;
  std::thread FThread;
  std::atomic<bool> FFinished{false};
  std::exception_ptr FFatal;
};

/// A mutual-exclusion lock: Enter (or Acquire) and Leave (or Release) on the same thread.
class TCriticalSection {
 public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }

 private:
  std::mutex FMutex;
};

/// Number of processors the machine offers, at least 1.
Integer CPUCount();

}  // namespace nuv
