#include "nuv/scalar/math1_random.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "nuv/platform/random.hpp"
#include "nuv/scalar/detail/math1_state.hpp"

namespace nuv {
namespace detail {

// Constant-initialised so that start-up order across files cannot matter.
std::mutex gMath1RandomLock;
bool gGaussCached = false;
double gGaussValue = 0.0;
Integer gLongRandS1 = 0;
Integer gLongRandS2 = 0;
Integer gLongRandS3 = 0;

namespace {

// Round(u * 990000) for 0 <= u < 1 is 0..990000, so the conversion is always defined.
// A zero state would make its generator return 0 for ever.
Integer StartState(double u) {
  const auto s = static_cast<Integer>(std::nearbyint(u * 990000.0));
  return s == 0 ? 1 : s;
}

}  // namespace

void ResetMath1RandomState() {
  const std::lock_guard<std::mutex> lock(gMath1RandomLock);
  gGaussCached = false;
  gLongRandS1 = StartState(Random());
  gLongRandS2 = StartState(Random());
  gLongRandS3 = StartState(Random());
}

}  // namespace detail

inline namespace NUV_math1 {

bool BRandom(double p) {
  if (p >= 1.0) return true;
  return p > Random();
}

double CRandom(double a, double b) {
  return a + b * std::tan((Random() - 0.5) * 3.141592653589793);
}

double GRandom() {
  const std::lock_guard<std::mutex> lock(detail::gMath1RandomLock);
  if (detail::gGaussCached) {
    detail::gGaussCached = false;
    return detail::gGaussValue;
  }
  detail::gGaussCached = true;
  double x = 0.0;
  double y = 0.0;
  double s = 0.0;
  do {
    x = 2.0 * Random() - 1.0;
    y = 2.0 * Random() - 1.0;
    s = x * x + y * y;
    // s = 0 would give 0 * inf = NaN below; it is simply drawn again.
  } while (s >= 1.0 || s == 0.0);
  const double f = std::sqrt(-2.0 * std::log(s) / s);
  detail::gGaussValue = x * f;
  return y * f;
}

double LongRand(Integer Seed) {
  using detail::gLongRandS1;
  using detail::gLongRandS2;
  using detail::gLongRandS3;
  const std::lock_guard<std::mutex> lock(detail::gMath1RandomLock);
  if (Seed != 0) {
    Integer m = Seed % 990923;  // C++ % keeps the sign of the dividend
    // A multiple of 990923 would seed all three states with 0, a fixed point of the steps.
    if (m == 0) m = 1;
    // Shifts on 32 bits with the upper bits dropped: done unsigned to stay defined.
    const auto um = static_cast<std::uint32_t>(m);
    const auto x2 = static_cast<Integer>((um << 8) ^ um);
    const auto x3 = static_cast<Integer>((um << 16) ^ um);
    gLongRandS1 = m < 0 ? -m : m;
    gLongRandS2 = static_cast<Integer>(std::llabs(static_cast<Int64>(x2)) % 990923);
    gLongRandS3 = static_cast<Integer>(std::llabs(static_cast<Int64>(x3)) % 990923);
  }
  // Products of states inside their moduli fit in 32 bits; Int64 keeps it obvious.
  gLongRandS1 = static_cast<Integer>(static_cast<Int64>(gLongRandS1) * 1187 % 1001003);
  gLongRandS2 = static_cast<Integer>(static_cast<Int64>(gLongRandS2) * 983 % 990923);
  gLongRandS3 = static_cast<Integer>(static_cast<Int64>(gLongRandS3) * 1283 % 1400423);
  const double x = gLongRandS1 / 1001003.0 + gLongRandS2 / 990923.0 + gLongRandS3 / 1400423.0;
  return x - std::trunc(x);
}

}  // namespace NUV_math1
}  // namespace nuv
