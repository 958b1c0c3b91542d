#include "nuv/scalar/math1_functions.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "nuv/base/errors.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/scalar/detail/math1_state.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {
namespace detail {
namespace {

constexpr Integer kMinPow10 = -323;
constexpr Integer kMaxPow10 = 308;

// Parsing "1e<k>" gives the correctly rounded power; repeated multiplication would not.
const std::array<double, kMaxPow10 - kMinPow10 + 1>& PowerOfTenTable() {
  static const auto table = [] {
    std::array<double, kMaxPow10 - kMinPow10 + 1> t{};
    for (Integer k = kMinPow10; k <= kMaxPow10; ++k) {
      const std::string text = "1e" + std::to_string(k);
      double v = 0.0;
      std::from_chars(text.data(), text.data() + text.size(), v);
      t[static_cast<std::size_t>(k - kMinPow10)] = v;
    }
    return t;
  }();
  return table;
}

}  // namespace

double ExactPowerOfTen(Integer k) {
  if (k < kMinPow10) return 0.0;
  if (k > kMaxPow10) return std::numeric_limits<double>::infinity();
  return PowerOfTenTable()[static_cast<std::size_t>(k - kMinPow10)];
}

}  // namespace detail

inline namespace NUV_math1 {
namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kTwo31 = 2147483648.0;
constexpr double kTwo63 = 9223372036854775808.0;

[[noreturn]] void RaiseLogarithm() {
  detail::RaiseFunction<EMathError>("logarithm", "invalid argument");
}

template <class T>
T ReverseBytes(T x) {
  unsigned char b[sizeof(T)];
  std::memcpy(b, &x, sizeof(T));
  for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
  T r;
  std::memcpy(&r, b, sizeof(T));
  return r;
}

// a + t·(b - a): the plain form, or (1 - t)·a + t·b where the difference of two finite values
// overflows, so that an interpolation between representable values is representable.
double Lerp(double a, double b, double t) {
  const double d = b - a;
  if (std::isfinite(d) || !std::isfinite(a) || !std::isfinite(b)) return a + t * d;
  return (1.0 - t) * a + t * b;
}

template <class T>
double InterpolEquidistant(double x, double Low, double High, std::span<const T> Table) {
  const std::size_t n = Table.size();
  if (n < 2) {
    detail::RaiseFunction<ENUVMath1Error>("InterpolTable",
                                          "pivot array must contain at least 2 values");
  }
  if (High == Low) {
    detail::RaiseFunction<ENUVMath1Error>("InterpolTable",
                                          "specified range of pivot array is zero");
  }
  if (std::isnan(x)) return x;
  const auto first = static_cast<double>(Table[0]);
  const auto last = static_cast<double>(Table[n - 1]);
  if (x == Low) return first;
  if (x == High) return last;
  const double segments = static_cast<double>(n - 1);
  const double t = (x - Low) / (High - Low) * segments;
  // NaN bounds leave no segment; otherwise clamp before converting, so that far-away or
  // infinite x picks an end segment.
  if (std::isnan(t)) return t;
  const double k = std::min(std::max(std::floor(t), 0.0), segments - 1.0);
  const auto i = static_cast<std::size_t>(k);
  const auto y0 = static_cast<double>(Table[i]);
  const auto y1 = static_cast<double>(Table[i + 1]);
  return Lerp(y0, y1, t - k);
}

}  // namespace

double lg(double x) {
  if (x <= 0.0) RaiseLogarithm();
  const double r = std::log(x) / kLn10;
  // The plain quotient misses exact decades (ln 1000 / ln 10 = 2.9999999999999996). The
  // nearest integer is the only candidate, also for subnormal decades such as 1e-323.
  if (std::isfinite(r)) {
    const double k = std::nearbyint(r);
    if (detail::ExactPowerOfTen(static_cast<Integer>(k)) == x) return k;
  }
  return r;
}

double ld(double x) {
  if (x <= 0.0) RaiseLogarithm();
  if (std::isfinite(x)) {
    int e = 0;
    if (std::frexp(x, &e) == 0.5) return static_cast<double>(e - 1);
  }
  return std::log(x) / kLn2;
}

double sinh(double x) {
  const double a = std::fabs(x);
  if (a < 1.0) {
    // e^x - e^-x cancels near 0: from expm1, with full relative accuracy down to the tiniest x.
    const double m = std::expm1(a);
    return std::copysign((m + m / (m + 1.0)) / 2.0, x);
  }
  if (a > 709.0) {
    // e^x alone overflows before e^x / 2 does.
    const double h = std::exp(a / 2.0);
    return std::copysign(h / 2.0 * h, x);
  }
  const double e = std::exp(x);
  return (e - 1.0 / e) / 2.0;
}

double cosh(double x) {
  const double a = std::fabs(x);
  if (a > 709.0) {
    const double h = std::exp(a / 2.0);
    return h / 2.0 * h;
  }
  const double e = std::exp(x);
  return (e + 1.0 / e) / 2.0;
}

double tgh(double x) {
  if (std::fabs(x) < 1.0) {
    // 1 - 2/(e^2x + 1) cancels near 0: t/(t + 2) with t = e^2x - 1 from expm1.
    const double t = std::expm1(2.0 * x);
    return t / (t + 2.0);
  }
  return 1.0 - 2.0 / (std::exp(2.0 * x) + 1.0);
}

double tg(double x) {
  const double c = std::cos(x);
  if (c == 0.0) throw EMathError("tangens overflow");
  return std::sin(x) / c;
}

double cot(double x) {
  const double s = std::sin(x);
  if (s == 0.0) throw EMathError("cotangens overflow");
  return std::cos(x) / s;
}

Integer Signum(double x) {
  return x < 0.0 ? -1 : 1;
}

Integer IntPos(double x) {
  // The result must be a 32-bit value: -2^31 - 1 < x <= 2^31 - 1.
  if (!(x > -kTwo31 - 1.0 && x <= kTwo31 - 1.0)) {
    detail::RaiseFunction<EMathError>("IntPos", "invalid argument");
  }
  const double r = std::nearbyint(x);
  return static_cast<Integer>(x > r ? r + 1.0 : r);
}

Integer IntNeg(double x) {
  if (!(x >= -kTwo31 && x < kTwo31)) {
    detail::RaiseFunction<EMathError>("IntNeg", "invalid argument");
  }
  const double r = std::nearbyint(x);
  return static_cast<Integer>(x < r ? r - 1.0 : r);
}

Int64 RoundLimit(double x, Int64 Low, Int64 High) {
  if (std::isnan(x)) detail::RaiseFunction<EMathError>("RoundLimit", "invalid argument");
  const double r = std::nearbyint(x);
  // Values beyond Int64 lie beyond either bound: clamp before converting.
  Int64 v = 0;
  if (r < -kTwo63) {
    v = Low;
  } else if (r >= kTwo63) {
    v = High;
  } else {
    v = static_cast<Int64>(r);
  }
  if (v < Low) v = Low;
  if (v > High) v = High;
  return v;
}

Extended Factorial(Integer n) {
  if (n < 0) detail::RaiseFunction<ENUVMath1Error>("Factorial", "negative argument");
  if (n > 1000) detail::RaiseFunction<ENUVMath1Error>("Factorial", "argument too big");
  Extended f = 1;
  for (Integer i = 2; i <= n; ++i) f *= static_cast<Extended>(i);
  return f;
}

double Polynomial(std::span<const double> Coeffs, Integer Order, double x) {
  if (Order < 0 || static_cast<std::size_t>(Order) >= Coeffs.size()) {
    detail::RaiseFunction<ENUVMath1Error>("Polynomial", "invalid order of polynomial");
  }
  // Horner's scheme: no power of x is formed alone, so zero high coefficients at a large x
  // give no ∞·0, and the rounding is that of a nested product.
  double sum = Coeffs[static_cast<std::size_t>(Order)];
  for (Integer i = Order - 1; i >= 0; --i) sum = sum * x + Coeffs[static_cast<std::size_t>(i)];
  return sum;
}

double CenteredPolynomial(std::span<const double> Coeffs, Integer Order, double A, double B) {
  return Polynomial(Coeffs, Order, B - A);
}

double InterpolXYTable(double x, const TDouble2DArray& Table) {
  const std::size_t nx = Table.empty() ? 0 : Table[0].size();
  if (nx < 2) {
    detail::RaiseFunction<ENUVMath1Error>("InterpolXYTable",
                                          "pivot array must contain at least 2 rows");
  }
  if (Table.size() != 2) {
    detail::RaiseFunction<ENUVMath1Error>("InterpolXYTable", "pivot array must contain 2 columns");
  }
  // A short ordinate array limits the usable rows, so it is never overrun.
  const std::size_t m = std::min(nx, Table[1].size());
  if (m < 2) {
    detail::RaiseFunction<ENUVMath1Error>("InterpolXYTable",
                                          "pivot array must contain at least 2 rows");
  }
  if (std::isnan(x)) return x;
  const TDoubleArray& X = Table[0];
  const TDoubleArray& Y = Table[1];
  if (x < X[0]) return Lerp(Y[0], Y[1], (x - X[0]) / (X[1] - X[0]));
  if (x > X[m - 1]) {
    return Lerp(Y[m - 1], Y[m - 2], -((x - X[m - 1]) / (X[m - 1] - X[m - 2])));
  }
  if (x == X[0]) return Y[0];
  std::size_t i = 1;
  while (i < m - 1 && !(x <= X[i])) ++i;
  return Lerp(Y[i], Y[i - 1], -((x - X[i]) / (X[i] - X[i - 1])));
}

double InterpolTable(double x, double Low, double High, std::span<const double> Table) {
  return InterpolEquidistant(x, Low, High, Table);
}

double InterpolTable(double x, double Low, double High, std::span<const Integer> Table) {
  return InterpolEquidistant(x, Low, High, Table);
}

double InterpolZofXYRect(double A, double B, double C, double D, double u, double v) {
  const double P = Lerp(A, C, u);
  const double Q = Lerp(B, D, u);
  return Lerp(P, Q, v);
}

bool WithinBounds(double x, double a, double b) {
  const double lo = a < b ? a : b;
  const double hi = a < b ? b : a;
  return lo <= x && x <= hi;
}

bool WithinBounds(double x, double a, double b, double tol) {
  const double lo = a < b ? a : b;
  const double hi = a < b ? b : a;
  return lo - tol <= x && x <= hi + tol;
}

Integer HistoBinRef(double x, double FirstBin, double BinWidth, double& Offset) {
  const double k = std::floor((x - FirstBin) / BinWidth);
  if (!(k >= -kTwo31 && k < kTwo31)) {
    detail::RaiseFunction<EMathError>("HistoBinRef", "invalid argument");
  }
  Offset = x - (FirstBin + k * BinWidth);
  return static_cast<Integer>(k);
}

bool CheckPowerOfTwo(Cardinal n) {
  return (n & (n - 1u)) == 0u;
}

double ConvertEndian(double x) {
  return ReverseBytes(x);
}
Single ConvertEndian(Single x) {
  return ReverseBytes(x);
}
Word ConvertEndian(Word x) {
  return ReverseBytes(x);
}
Integer ConvertEndian(Integer x) {
  return ReverseBytes(x);
}

}  // namespace NUV_math1
}  // namespace nuv
