#pragma once
// Fingerprints and resize attempts for the refusal tables of the four-dimensional array.

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/support/resize_probe.hpp"

namespace nuv::test {

// Exact: every bit of the value.
inline std::string Print(double V) {
  char text[40];
  std::snprintf(text, sizeof text, "%a;", V);
  return text;
}

inline std::string Print(const TMat4D& M) {
  std::string out = std::to_string(M.NrOfColumns()) + "x" + std::to_string(M.NrOfRows()) + "x" +
                    std::to_string(M.NrOfLayers()) + "x" + std::to_string(M.NrOfTimeSlots()) + ":";
  for (Integer t = 1; t <= M.NrOfTimeSlots(); ++t)
    for (Integer z = 1; z <= M.NrOfLayers(); ++z)
      for (Integer y = 1; y <= M.NrOfRows(); ++y)
        for (Integer x = 1; x <= M.NrOfColumns(); ++x) out += Print(M.GetVal(x, y, z, t));
  return out + "|";
}

inline std::string Print(const TMatrix& M) {
  std::string out = std::to_string(M.NrOfColumns()) + "x" + std::to_string(M.NrOfRows()) + ":";
  for (Integer c = 1; c <= M.NrOfColumns(); ++c)
    for (Integer r = 1; r <= M.NrOfRows(); ++r) out += Print(M.GetVal(c, r));
  return out + "|";
}

inline std::string Print(const TMat3D& M) {
  std::string out = std::to_string(M.NrOfColumns()) + "x" + std::to_string(M.NrOfRows()) + "x" +
                    std::to_string(M.NrOfLayers()) + ":";
  for (Integer z = 1; z <= M.NrOfLayers(); ++z)
    for (Integer y = 1; y <= M.NrOfRows(); ++y)
      for (Integer x = 1; x <= M.NrOfColumns(); ++x) out += Print(M.GetVal(x, y, z));
  return out + "|";
}

// Attempts that succeed when the resize is refused and the sizes stay.
inline std::function<bool()> TryResize(TMat4D& M, Integer Nc, Integer Nr, Integer Nl, Integer Nt) {
  return [&M, Nc, Nr, Nl, Nt] {
    const Integer x = M.NrOfColumns(), y = M.NrOfRows(), z = M.NrOfLayers(), t = M.NrOfTimeSlots();
    const bool done = M.Resize(Nc, Nr, Nl, Nt);
    return !done && x == M.NrOfColumns() && y == M.NrOfRows() && z == M.NrOfLayers() &&
           t == M.NrOfTimeSlots();
  };
}

inline std::function<bool()> TryResize(TMatrix& M, Integer Nc, Integer Nr) {
  return [&M, Nc, Nr] {
    const Integer c = M.NrOfColumns(), r = M.NrOfRows();
    const bool done = M.Resize(Nc, Nr);
    return !done && c == M.NrOfColumns() && r == M.NrOfRows();
  };
}

inline std::function<bool()> TryResize(TMat3D& M, Integer Nc, Integer Nr, Integer Nl) {
  return [&M, Nc, Nr, Nl] {
    const Integer x = M.NrOfColumns(), y = M.NrOfRows(), z = M.NrOfLayers();
    const bool done = M.Resize(Nc, Nr, Nl);
    return !done && x == M.NrOfColumns() && y == M.NrOfRows() && z == M.NrOfLayers();
  };
}

// MathFeedBackProc is a plain function: it reaches the probe through a process-wide pointer.
inline std::atomic<ResizeProbe*> gFeedbackProbe{nullptr};
inline void ProbeFeedback(double /*ProcStat*/) {
  if (ResizeProbe* p = gFeedbackProbe.load()) (*p)();
}
/// Makes Probe (when not null) MathFeedBackProc for its lifetime; pair it with a HookGuard.
class FeedbackProbe {
 public:
  explicit FeedbackProbe(ResizeProbe* Probe) {
    gFeedbackProbe.store(Probe);
    if (Probe != nullptr) MathFeedBackProc.store(&ProbeFeedback);
  }
  ~FeedbackProbe() {
    MathFeedBackProc.store(nullptr);
    gFeedbackProbe.store(nullptr);
  }
  FeedbackProbe(const FeedbackProbe&) = delete;
  FeedbackProbe& operator=(const FeedbackProbe&) = delete;
};

}  // namespace nuv::test
