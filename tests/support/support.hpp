#pragma once
// Shared test helpers: exact exception messages, event recording, hook and seed guards,
// sentinel fills and floating comparisons that fail on NaN.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/base/types.hpp"
#include "nuv/platform/component.hpp"

namespace nuv::test {

/// Expects `stmt` to throw exactly type E (or a subclass) with message `msg`, byte for byte.
#define NUV_EXPECT_THROW_MSG(stmt, E, msg)                     \
  do {                                                         \
    bool nuvThrown = false;                                    \
    try {                                                      \
      stmt;                                                    \
    } catch (const E& nuvErr) {                                \
      nuvThrown = true;                                        \
      EXPECT_EQ(std::string(nuvErr.what()), std::string(msg)); \
    }                                                          \
    EXPECT_TRUE(nuvThrown) << "expected " #E " from " #stmt;   \
  } while (0)

/// Records OnChange and OnSortExchange calls.
struct EventRecorder {
  struct Exchange {
    TObject* Sender;
    Byte Kind;
    Integer Ix1, Ix2, Lo, Hi;
  };
  int Changes = 0;
  std::vector<TObject*> ChangeSenders;
  std::vector<Exchange> Exchanges;

  TNotifyEvent ChangeHandler() {
    return [this](TObject* s) {
      ++Changes;
      ChangeSenders.push_back(s);
    };
  }
  TSortExchgEvent ExchangeHandler() {
    return [this](TObject* s, Byte k, Integer a, Integer b, Integer lo, Integer hi) {
      Exchanges.push_back({s, k, a, b, lo, hi});
    };
  }
  /// Installs both handlers on a container with SetOnChange/SetOnSortExchange.
  template <class C>
  void Attach(C& c) {
    c.SetOnChange(ChangeHandler());
    c.SetOnSortExchange(ExchangeHandler());
  }
};

/// Saves ProcStat, MathFeedBackProc, AbortMathProc and the uniform generator's seed, and
/// restores them at scope exit.
class HookGuard {
 public:
  HookGuard();
  ~HookGuard();
  HookGuard(const HookGuard&) = delete;
  HookGuard& operator=(const HookGuard&) = delete;

 private:
  double FProcStat;
  TMathFeedBackProc FFeedBack;
  bool FAbort;
  Integer FSeed;
};

/// A value no computation produces by accident, to prove cells were left untouched.
inline constexpr double kSentinel = -98765.4321;
inline constexpr Integer kIntSentinel = -987654321;

/// Number of representable doubles between a and b (huge for NaN or opposite infinities).
std::uint64_t UlpDistance(double a, double b);

/// a and b within maxUlps units in the last place; NaN never matches.
::testing::AssertionResult UlpNear(double a, double b, std::uint64_t maxUlps);
/// |a - b| <= tol * max(|a|, |b|) (or both zero); NaN never matches.
::testing::AssertionResult RelNear(double a, double b, double tol);

/// Factors for tables of results at other scales: 1, and powers of ten and of two from about
/// 1e-250 to 1e250 (each in both directions).
std::vector<double> ScaleFactors();
/// Results at another scale against the unscaled ones: invariant results equal, others scaled
/// exactly, both to this relative tolerance (the rounding of a few dozen operations, well above).
inline constexpr double kScaleTol = 1e-10;

/// Two series for scale tables, x = {1, 2, 3, 4, 5, 6, 7, 9} and y = {2, 1, 4, 3, 6, 5, 8, 7},
/// and their correlation from exact rational arithmetic.
inline const std::vector<double> kSeriesX{1, 2, 3, 4, 5, 6, 7, 9};
inline const std::vector<double> kSeriesY{2, 1, 4, 3, 6, 5, 8, 7};
inline constexpr double kSeriesCorr = 0.8848892592150239;

/// Path of a file under tests/data.
std::string DataPath(const std::string& name);
/// Path of a file under tests/reference.
std::string ReferencePath(const std::string& name);
/// A fresh temporary file path unique to this process and call.
std::string TempPath(const std::string& stem);

}  // namespace nuv::test
