#pragma once
// The table that checks the use-count rule: a routine run with a handler that tries to resize
// the containers it uses must give the same result, bit for bit, as without the handler, and
// every such resize must be refused.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace nuv::test {

/// The body of a handler that tries, each time it runs, to resize containers a running call
/// uses. Each attempt returns true when the resize was refused and the size stayed. Safe to
/// call from worker threads.
class ResizeProbe {
 public:
  /// Adds an attempt.
  void Add(std::function<bool()> TryRefused) { FAttempts.push_back(std::move(TryRefused)); }
  /// Runs every attempt once.
  void operator()() {
    std::lock_guard<std::recursive_mutex> lock(FMutex);
    for (auto& a : FAttempts) {
      ++FTries;
      if (a()) ++FRefused;
    }
  }
  int Tries() const { return FTries.load(); }
  int Refused() const { return FRefused.load(); }

 private:
  std::vector<std::function<bool()>> FAttempts;
  // Recursive: a resize that gets through fires handlers that run the probe again.
  std::recursive_mutex FMutex;
  std::atomic<int> FTries{0};
  std::atomic<int> FRefused{0};
};

/// One row of the table: Run builds its inputs, attaches Probe to the handlers when it is not
/// null, runs the routine and returns a fingerprint of everything it produced (results,
/// checksums and sizes of the destinations and sources).
struct RefusalCase {
  const char* Name;
  std::function<std::string(ResizeProbe* Probe)> Run;
};

/// Runs each row without and with the probe: same fingerprint, at least one attempt, every
/// attempt refused.
inline void ExpectResizesRefused(const std::vector<RefusalCase>& Table) {
  for (const RefusalCase& row : Table) {
    SCOPED_TRACE(row.Name);
    const std::string plain = row.Run(nullptr);
    ResizeProbe probe;
    const std::string probed = row.Run(&probe);
    EXPECT_EQ(plain, probed);
    EXPECT_GT(probe.Tries(), 0);
    EXPECT_EQ(probe.Refused(), probe.Tries());
  }
}

}  // namespace nuv::test
