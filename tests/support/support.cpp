#include "tests/support/support.hpp"

#include <unistd.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <filesystem>

#include "nuv/platform/random.hpp"

namespace nuv::test {

HookGuard::HookGuard()
    : FProcStat(ProcStat.load()),
      FFeedBack(MathFeedBackProc.load()),
      FAbort(AbortMathProc.load()),
      FSeed(RandSeed()) {}

HookGuard::~HookGuard() {
  ProcStat = FProcStat;
  MathFeedBackProc = FFeedBack;
  AbortMathProc = FAbort;
  SetRandSeed(FSeed);
}

namespace {
// Maps doubles onto integers whose order and spacing follow the doubles' order.
std::int64_t Ordered(double x) {
  const auto bits = std::bit_cast<std::int64_t>(x);
  return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
}
}  // namespace

std::uint64_t UlpDistance(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return UINT64_MAX;
  const std::int64_t ia = Ordered(a);
  const std::int64_t ib = Ordered(b);
  return ia > ib ? static_cast<std::uint64_t>(ia) - static_cast<std::uint64_t>(ib)
                 : static_cast<std::uint64_t>(ib) - static_cast<std::uint64_t>(ia);
}

::testing::AssertionResult UlpNear(double a, double b, std::uint64_t maxUlps) {
  const std::uint64_t d = UlpDistance(a, b);
  if (d <= maxUlps) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << a << " and " << b << " are " << d << " ulps apart (max " << maxUlps << ")";
}

::testing::AssertionResult RelNear(double a, double b, double tol) {
  if (std::isnan(a) || std::isnan(b)) {
    return ::testing::AssertionFailure() << "NaN in comparison: " << a << " vs " << b;
  }
  if (a == b) return ::testing::AssertionSuccess();
  const double scale = std::fmax(std::fabs(a), std::fabs(b));
  if (std::fabs(a - b) <= tol * scale) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << a << " vs " << b << ": relative difference "
                                       << std::fabs(a - b) / scale << " > " << tol;
}

std::vector<double> ScaleFactors() {
  std::vector<double> f{1.0};
  for (int e : {10, 50, 100, 150, 200, 250}) {
    f.push_back(std::pow(10.0, e));
    f.push_back(std::pow(10.0, -e));
  }
  for (int e : {64, 333, 500, 830}) {
    f.push_back(std::ldexp(1.0, e));
    f.push_back(std::ldexp(1.0, -e));
  }
  return f;
}

std::string DataPath(const std::string& name) {
  return std::string(NUV_TEST_DATA_DIR) + "/" + name;
}

std::string ReferencePath(const std::string& name) {
  return std::string(NUV_TEST_REFERENCE_DIR) + "/" + name;
}

std::string TempPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  const auto dir = std::filesystem::temp_directory_path();
  return (dir / ("nuv_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + stem))
      .string();
}

}  // namespace nuv::test
