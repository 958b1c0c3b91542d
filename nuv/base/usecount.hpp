#pragma once
// The use count of a container. Containers call user code (change events, progress hooks,
// user functions) in the middle of their work, on the calling thread and on worker threads.
// A call that keeps a storage pointer or a size across such user code holds a TUseGuard on
// every container it reads or writes; while any guard is held, a container refuses every change
// of its size or storage (its Resize to another size returns false and changes nothing; one to
// the current size changes nothing anyway and keeps its usual result), so the running call
// never touches freed memory. Values may still change. The call's own resizes pass through
// TUseGuard::AllowResize; a call started from a handler is not the outermost user, so its
// resizes are refused like any other.

#include <atomic>
#include <cstddef>

namespace nuv::detail {

class TUseGuard;

/// Mix-in base of every container whose size user code could change while a call uses it.
class TUseCounted {
 public:
  TUseCounted(const TUseCounted&) = delete;
  TUseCounted& operator=(const TUseCounted&) = delete;

 protected:
  TUseCounted() = default;
  ~TUseCounted() = default;

  /// True while a running call uses this container.
  bool InUse() const noexcept { return FUses.load(std::memory_order_acquire) > 0; }
  /// The first step of every change of size or storage: true when no call uses the container,
  /// or when the call that uses it let this one change pass. Spends that pass either way, so
  /// user code fired by the change is refused again.
  bool MayResize() const noexcept {
    if (FUses.load(std::memory_order_acquire) == 0) return true;
    return FPass.exchange(false, std::memory_order_acq_rel);
  }

 private:
  friend class TUseGuard;
  mutable std::atomic<int> FUses{0};
  mutable std::atomic<bool> FPass{false};
};

/// Scoped use of up to eight containers by one call (null pointers and repeats allowed);
/// released on every path, exceptions included.
class TUseGuard {
 public:
  template <class... C>
  explicit TUseGuard(const C*... Containers) noexcept {
    static_assert(sizeof...(C) <= kMax, "a call guards at most eight containers");
    (Take(Containers), ...);
  }
  ~TUseGuard() {
    for (std::size_t i = 0; i < FN; ++i) {
      if (FOuter[i]) FC[i]->FPass.store(false, std::memory_order_release);
      FC[i]->FUses.fetch_sub(1, std::memory_order_acq_rel);
    }
  }
  TUseGuard(const TUseGuard&) = delete;
  TUseGuard& operator=(const TUseGuard&) = delete;

  /// Lets the next change of size or storage of C pass, when this call is C's outermost user
  /// (a call started from a handler is not, and its resizes stay refused). Call it right
  /// before the call's own Resize.
  void AllowResize(const TUseCounted* C) const noexcept {
    for (std::size_t i = 0; i < FN; ++i)
      if (FC[i] == C && FOuter[i]) C->FPass.store(true, std::memory_order_release);
  }
  /// True when this call is the outermost user of C (C held by no other call).
  bool Outermost(const TUseCounted* C) const noexcept {
    for (std::size_t i = 0; i < FN; ++i)
      if (FC[i] == C) return FOuter[i];
    return false;
  }

 private:
  static constexpr std::size_t kMax = 8;
  void Take(const TUseCounted* C) noexcept {
    if (C == nullptr) return;
    for (std::size_t i = 0; i < FN; ++i)
      if (FC[i] == C) return;
    FC[FN] = C;
    FOuter[FN] = C->FUses.fetch_add(1, std::memory_order_acq_rel) == 0;
    ++FN;
  }

  const TUseCounted* FC[kMax] = {};
  bool FOuter[kMax] = {};
  std::size_t FN = 0;
};

}  // namespace nuv::detail
