#include "nuv/platform/rounding.hpp"

#include <cmath>

#include "nuv/platform/exceptions.hpp"

namespace nuv {
namespace {

// 2^63 is exact in double; every double below it in magnitude fits Int64.
constexpr double kTwo63 = 9223372036854775808.0;
constexpr double kTwo31 = 2147483648.0;

Int64 ToInt64(double r, const char* name) {
  if (!(r >= -kTwo63 && r < kTwo63)) {
    throw EMathError(std::string("Invalid argument to ") + name);
  }
  return static_cast<Int64>(r);
}

Integer ToInteger(double r, const char* name) {
  if (!(r >= -kTwo31 && r < kTwo31)) {
    throw EMathError(std::string("Invalid argument to ") + name);
  }
  return static_cast<Integer>(r);
}

}  // namespace

// nearbyint honours the default round-to-nearest-even mode, which gives banker's rounding.
Int64 Round(double X) {
  return ToInt64(std::nearbyint(X), "Round");
}
Int64 Trunc(double X) {
  return ToInt64(std::trunc(X), "Trunc");
}
double Int(double X) {
  return std::trunc(X);
}
double Frac(double X) {
  return X - std::trunc(X);
}
Integer Floor(double X) {
  return ToInteger(std::floor(X), "Floor");
}
Integer Ceil(double X) {
  return ToInteger(std::ceil(X), "Ceil");
}

double StdDev(std::span<const double> Data) {
  const std::size_t n = Data.size();
  if (n < 2) return 0.0;
  double mean = 0.0;
  for (double v : Data) mean += v;
  mean /= static_cast<double>(n);
  double ss = 0.0;
  for (double v : Data) ss += (v - mean) * (v - mean);
  return std::sqrt(ss / static_cast<double>(n - 1));
}

}  // namespace nuv
