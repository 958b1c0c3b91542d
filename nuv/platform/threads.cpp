#include "nuv/platform/threads.hpp"

namespace nuv {

TThread::TThread(std::function<void()> Body) : FBody(std::move(Body)) {}

TThread::~TThread() {
  WaitFor();
}

void TThread::Start() {
  if (FThread.joinable() || FFinished.load(std::memory_order_acquire)) return;
  FThread = std::thread([this] {
    try {
      if (FBody) FBody();
    } catch (...) {
      FFatal = std::current_exception();
    }
    FFinished.store(true, std::memory_order_release);
  });
}

void TThread::WaitFor() {
  if (FThread.joinable()) FThread.join();
}

Integer CPUCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<Integer>(n);
}

}  // namespace nuv
