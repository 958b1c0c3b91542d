// Scalar functions of NUV_math1: logarithms and hyperbolic and trigonometric functions
// against 40-digit values from tests/reference/math1_reference.py, integer parts against
// std::ceil/std::floor, and the table, bound and byte-order helpers by closed forms.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/platform/exceptions.hpp"
#include "nuv/scalar/NUV_math1.hpp"
#include "nuv/scalar/detail/math1_state.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// ln x / ln 10 and the exp-based hyperbolic forms: a few roundings, and a cancellation of at
// most a factor 4 at the arguments in the table.
constexpr double kFormulaTol = 1e-14;

struct RefLine {
  std::string Func;
  std::string Arg;
  std::string Value;
};

std::vector<RefLine> ReadReference() {
  std::vector<RefLine> lines;
  std::ifstream in(test::ReferencePath("math1_functions.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    RefLine r;
    f >> r.Func >> r.Arg >> r.Value;
    lines.push_back(r);
  }
  return lines;
}

TEST(Math1Functions, ElementaryFunctionsMatchReference) {
  const auto lines = ReadReference();
  int checked = 0;
  for (const RefLine& r : lines) {
    if (r.Func == "Factorial") continue;
    SCOPED_TRACE(r.Func + " " + r.Arg);
    const double x = std::strtod(r.Arg.c_str(), nullptr);
    const double expected = std::strtod(r.Value.c_str(), nullptr);
    double got = kNaN;
    if (r.Func == "lg") got = lg(x);
    if (r.Func == "ld") got = ld(x);
    if (r.Func == "sinh") got = nuv::sinh(x);
    if (r.Func == "cosh") got = nuv::cosh(x);
    if (r.Func == "tgh") got = tgh(x);
    if (r.Func == "tg") got = tg(x);
    if (r.Func == "cot") got = cot(x);
    EXPECT_TRUE(test::RelNear(got, expected, kFormulaTol));
    ++checked;
  }
  EXPECT_EQ(checked, 69);
}

TEST(Math1Functions, LogarithmsExactAtPowers) {
  for (Integer k = -323; k <= 308; ++k) {
    const std::string text = "1e" + std::to_string(k);
    double p = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), p);
    ASSERT_EQ(lg(p), static_cast<double>(k)) << text;
    ASSERT_EQ(detail::ExactPowerOfTen(k), p) << text;
  }
  EXPECT_EQ(lg(1000.0), 3.0);
  for (int k = -1074; k <= 1023; ++k) ASSERT_EQ(ld(std::ldexp(1.0, k)), k) << k;
  EXPECT_EQ(ld(536870912.0), 29.0);
  // Neighbours of a power are not snapped.
  EXPECT_LT(lg(std::nextafter(1000.0, 0.0)), 3.0);
  EXPECT_EQ(lg(kInf), kInf);
}

TEST(Math1Functions, DomainErrors) {
  NUV_EXPECT_THROW_MSG(lg(0.0), EMathError, "logarithm: invalid argument");
  NUV_EXPECT_THROW_MSG(lg(-5.0), EMathError, "logarithm: invalid argument");
  NUV_EXPECT_THROW_MSG(ld(-1.0), EMathError, "logarithm: invalid argument");
  NUV_EXPECT_THROW_MSG(ld(-0.0), EMathError, "logarithm: invalid argument");
  NUV_EXPECT_THROW_MSG(cot(0.0), EMathError, "cotangens overflow");
  // No double has an exactly zero cosine: tg stays finite near pi/2.
  EXPECT_TRUE(std::isfinite(tg(1.5707963267948966)));
}

TEST(Math1Functions, HyperbolicLimits) {
  EXPECT_EQ(tgh(0.0), 0.0);
  EXPECT_EQ(tgh(400.0), 1.0);
  EXPECT_EQ(tgh(-400.0), -1.0);
  EXPECT_EQ(nuv::cosh(0.0), 1.0);
  EXPECT_EQ(nuv::sinh(0.0), 0.0);
}

TEST(Math1Functions, SignumAndIntegerParts) {
  EXPECT_EQ(Signum(-0.1), -1);
  EXPECT_EQ(Signum(0.0), 1);
  EXPECT_EQ(Signum(-0.0), 1);
  EXPECT_EQ(Signum(3.0), 1);
  EXPECT_EQ(IntPos(2.0), 2);
  EXPECT_EQ(IntPos(2.1), 3);
  EXPECT_EQ(IntNeg(-2.1), -3);
  const double values[] = {-3.5,      -2.5,         -2.0,         -0.5,          -0.0,
                           0.0,       0.49,         0.5,          1.5,           2.5,
                           1e9 + 0.5, 2147483646.5, 2147483647.0, -2147483648.0, -2147483647.5};
  for (double v : values) {
    SCOPED_TRACE(v);
    EXPECT_EQ(IntPos(v), static_cast<Integer>(std::ceil(v)));
    EXPECT_EQ(IntNeg(v), static_cast<Integer>(std::floor(v)));
  }
  EXPECT_EQ(IntPos(-2147483648.5), -2147483647 - 1);
  EXPECT_EQ(IntNeg(2147483647.5), 2147483647);
  for (double bad : {2147483647.5, -2147483649.0, kInf, -kInf, kNaN}) {
    SCOPED_TRACE(bad);
    NUV_EXPECT_THROW_MSG(IntPos(bad), EMathError, "IntPos: invalid argument");
  }
  for (double bad : {2147483648.0, -2147483648.5, kInf, -kInf, kNaN}) {
    SCOPED_TRACE(bad);
    NUV_EXPECT_THROW_MSG(IntNeg(bad), EMathError, "IntNeg: invalid argument");
  }
}

TEST(Math1Functions, RoundLimit) {
  EXPECT_EQ(RoundLimit(7.6, 0, 5), 5);
  EXPECT_EQ(RoundLimit(-3.0, 0, 5), 0);
  EXPECT_EQ(RoundLimit(2.5, 0, 5), 2);  // halves to even
  EXPECT_EQ(RoundLimit(3.5, 0, 5), 4);
  EXPECT_EQ(RoundLimit(3.0, 5, 0), 0);  // High wins
  EXPECT_EQ(RoundLimit(kInf, -7, 9), 9);
  EXPECT_EQ(RoundLimit(-kInf, -7, 9), -7);
  EXPECT_EQ(RoundLimit(1e300, -7, 9), 9);
  EXPECT_EQ(RoundLimit(-1e300, 5, 0), 0);
  const Int64 big = 4611686018427387904;  // 2^62, exact in double
  EXPECT_EQ(RoundLimit(4611686018427387904.0, 0, INT64_MAX), big);
  NUV_EXPECT_THROW_MSG(RoundLimit(kNaN, 0, 5), EMathError, "RoundLimit: invalid argument");
}

TEST(Math1Functions, FactorialMatchesExactValues) {
  for (const RefLine& r : ReadReference()) {
    if (r.Func != "Factorial") continue;
    const Integer n = std::atoi(r.Arg.c_str());
    SCOPED_TRACE(n);
    const Extended got = Factorial(n);
#if defined(NUV_EXTENDED_IS_LONG_DOUBLE)
    const long double expected = std::strtold(r.Value.c_str(), nullptr);
    const long double eps = std::numeric_limits<long double>::epsilon();
#else
    const double expected = std::strtod(r.Value.c_str(), nullptr);
    const double eps = std::numeric_limits<double>::epsilon();
#endif
    if (std::isinf(expected)) {
      EXPECT_EQ(got, expected);  // past the double range: +inf
    } else if (n <= 22) {
      EXPECT_EQ(got, expected);  // every partial product is exact
    } else {
      // n - 2 roundings of at most half an ulp each.
      EXPECT_LE(std::fabs(got - expected), expected * eps * n) << static_cast<double>(got);
    }
  }
  NUV_EXPECT_THROW_MSG(Factorial(-1), ENUVMath1Error, "Factorial: negative argument");
  NUV_EXPECT_THROW_MSG(Factorial(1001), ENUVMath1Error, "Factorial: argument too big");
}

TEST(Math1Functions, Polynomials) {
  const std::vector<double> c{1.0, 2.0, 3.0};
  EXPECT_EQ(Polynomial(c, 2, 2.0), 17.0);
  EXPECT_EQ(Polynomial(c, 1, 2.0), 5.0);
  EXPECT_EQ(Polynomial(c, 0, 2.0), 1.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 1.0, 3.0), 17.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 3.0, 1.0), 9.0);
  for (Integer bad : {3, -1}) {
    NUV_EXPECT_THROW_MSG(Polynomial(c, bad, 1.0), ENUVMath1Error,
                         "Polynomial: invalid order of polynomial");
    NUV_EXPECT_THROW_MSG(CenteredPolynomial(c, bad, 0.0, 1.0), ENUVMath1Error,
                         "Polynomial: invalid order of polynomial");
  }
  NUV_EXPECT_THROW_MSG(Polynomial({}, 0, 1.0), ENUVMath1Error,
                       "Polynomial: invalid order of polynomial");
}

TEST(Math1Functions, InterpolTable) {
  const std::vector<double> t{0.0, 10.0};
  EXPECT_EQ(InterpolTable(0.5, 0.0, 1.0, t), 5.0);
  EXPECT_EQ(InterpolTable(2.0, 0.0, 1.0, t), 20.0);
  EXPECT_EQ(InterpolTable(-1.0, 0.0, 1.0, t), -10.0);
  EXPECT_EQ(InterpolTable(0.25, 1.0, 0.0, t), 7.5);
  // Ends give the table's values exactly, even where the spacing is not representable.
  const std::vector<double> u{0.1, 0.7, 0.3, 0.9};
  EXPECT_EQ(InterpolTable(0.1, 0.1, 0.7, u), 0.1);
  EXPECT_EQ(InterpolTable(0.7, 0.1, 0.7, u), 0.9);
  EXPECT_EQ(InterpolTable(0.3, 0.0, 0.6, std::vector<double>{1.0, 2.0, 4.0}), 2.0);
  EXPECT_TRUE(
      test::RelNear(InterpolTable(0.45, 0.0, 0.6, std::vector<double>{1.0, 2.0, 4.0}), 3.0, 1e-15));
  const std::vector<Integer> ti{0, 10, 40};
  EXPECT_EQ(InterpolTable(1.5, 0.0, 2.0, ti), 25.0);
  EXPECT_EQ(InterpolTable(3.0, 0.0, 2.0, ti), 70.0);
  EXPECT_TRUE(std::isnan(InterpolTable(kNaN, 0.0, 1.0, t)));
  EXPECT_TRUE(std::isnan(InterpolTable(0.5, kNaN, 1.0, t)));
  EXPECT_TRUE(std::isnan(InterpolTable(0.5, -kInf, kInf, t)));
  EXPECT_EQ(InterpolTable(1e300, 0.0, 1.0, t), 1e301);
  NUV_EXPECT_THROW_MSG(InterpolTable(0.5, 0.0, 1.0, std::vector<double>{1.0}), ENUVMath1Error,
                       "InterpolTable: pivot array must contain at least 2 values");
  NUV_EXPECT_THROW_MSG(InterpolTable(0.5, 0.0, 1.0, std::vector<Integer>{}), ENUVMath1Error,
                       "InterpolTable: pivot array must contain at least 2 values");
  NUV_EXPECT_THROW_MSG(InterpolTable(0.5, 2.0, 2.0, t), ENUVMath1Error,
                       "InterpolTable: specified range of pivot array is zero");
}

TEST(Math1Functions, InterpolXYTable) {
  const TDouble2DArray t{{0.0, 1.0, 3.0}, {0.0, 10.0, 30.0}};
  EXPECT_EQ(InterpolXYTable(2.0, t), 20.0);
  EXPECT_EQ(InterpolXYTable(-1.0, t), -10.0);
  EXPECT_EQ(InterpolXYTable(0.0, t), 0.0);
  EXPECT_EQ(InterpolXYTable(1.0, t), 10.0);
  EXPECT_EQ(InterpolXYTable(3.0, t), 30.0);
  EXPECT_EQ(InterpolXYTable(5.0, t), 50.0);
  EXPECT_EQ(InterpolXYTable(0.5, t), 5.0);
  EXPECT_TRUE(std::isnan(InterpolXYTable(kNaN, t)));
  const char* rows = "InterpolXYTable: pivot array must contain at least 2 rows";
  const char* cols = "InterpolXYTable: pivot array must contain 2 columns";
  NUV_EXPECT_THROW_MSG(InterpolXYTable(1.0, TDouble2DArray{}), ENUVMath1Error, rows);
  NUV_EXPECT_THROW_MSG(InterpolXYTable(1.0, TDouble2DArray{{1.0}, {2.0}}), ENUVMath1Error, rows);
  NUV_EXPECT_THROW_MSG(InterpolXYTable(1.0, TDouble2DArray{{0.0, 1.0}}), ENUVMath1Error, cols);
  NUV_EXPECT_THROW_MSG(InterpolXYTable(1.0, TDouble2DArray{{0.0, 1.0}, {0.0, 1.0}, {0.0}}),
                       ENUVMath1Error, cols);
  // A short ordinate array is never overrun.
  NUV_EXPECT_THROW_MSG(InterpolXYTable(1.0, TDouble2DArray{{0.0, 1.0, 2.0}, {5.0}}), ENUVMath1Error,
                       rows);
  const TDouble2DArray shortY{{0.0, 1.0, 3.0}, {0.0, 10.0}};
  EXPECT_EQ(InterpolXYTable(2.0, shortY), 20.0);  // last usable segment extended
}

TEST(Math1Functions, BilinearAndBounds) {
  EXPECT_EQ(InterpolZofXYRect(1.0, 2.0, 3.0, 5.0, 0.0, 0.0), 1.0);
  EXPECT_EQ(InterpolZofXYRect(1.0, 2.0, 3.0, 5.0, 1.0, 0.0), 3.0);
  EXPECT_EQ(InterpolZofXYRect(1.0, 2.0, 3.0, 5.0, 0.0, 1.0), 2.0);
  EXPECT_EQ(InterpolZofXYRect(1.0, 2.0, 3.0, 5.0, 1.0, 1.0), 5.0);
  EXPECT_EQ(InterpolZofXYRect(1.0, 2.0, 3.0, 5.0, 0.5, 0.5), 2.75);

  EXPECT_TRUE(WithinBounds(1.0, 2.0, 1.0));
  EXPECT_TRUE(WithinBounds(1.5, 2.0, 1.0));
  EXPECT_FALSE(WithinBounds(2.5, 2.0, 1.0));
  EXPECT_TRUE(WithinBounds(2.5, 2.0, 1.0, 0.5));
  EXPECT_FALSE(WithinBounds(0.4, 2.0, 1.0, 0.5));
  EXPECT_FALSE(WithinBounds(kNaN, 0.0, 1.0));

  EXPECT_EQ(ConfineValue(1.5, 0, 1), 1.0);  // not ambiguous: x picks double
  EXPECT_EQ(ConfineValue(-1.5, 1.0, 0.0), 0.0);
  EXPECT_EQ(ConfineValue(0.25, 1.0, 0.0), 0.25);
  EXPECT_EQ(ConfineValue(7, 5, -5), 5);
  EXPECT_EQ(ConfineValue(-7, 5, -5), -5);
  EXPECT_EQ(ConfineValue(2.5f, 0.0f, 1.0f), 1.0f);
  EXPECT_EQ(ConfineValue(0.5f, 1.0f, 0.0f), 0.5f);
}

TEST(Math1Functions, HistoBinRef) {
  double offset = 0.0;
  EXPECT_EQ(HistoBinRef(7.5, 0.0, 2.0, offset), 3);
  EXPECT_EQ(offset, 1.5);
  EXPECT_EQ(HistoBinRef(-0.5, 0.0, 2.0, offset), -1);
  EXPECT_EQ(offset, 1.5);
  EXPECT_EQ(HistoBinRef(4.0, 0.0, 2.0, offset), 2);
  EXPECT_EQ(offset, 0.0);
  offset = 42.0;
  NUV_EXPECT_THROW_MSG(HistoBinRef(1.0, 0.0, 0.0, offset), EMathError,
                       "HistoBinRef: invalid argument");
  NUV_EXPECT_THROW_MSG(HistoBinRef(kNaN, 0.0, 1.0, offset), EMathError,
                       "HistoBinRef: invalid argument");
  NUV_EXPECT_THROW_MSG(HistoBinRef(1e12, 0.0, 1.0, offset), EMathError,
                       "HistoBinRef: invalid argument");
  EXPECT_EQ(offset, 42.0);  // raised before any result is formed
}

TEST(Math1Functions, PowerOfTwoAndByteOrder) {
  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(64));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(12));
  EXPECT_FALSE(CheckPowerOfTwo(0xFFFFFFFFu));

  EXPECT_EQ(ConvertEndian(Integer{1}), 16777216);
  EXPECT_EQ(ConvertEndian(Integer{-2}), static_cast<Integer>(0xFEFFFFFFu));
  EXPECT_EQ(ConvertEndian(Word{0x1234}), Word{0x3412});
  const double swapped = ConvertEndian(1.0);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &swapped, sizeof bits);
  EXPECT_EQ(bits, 0x000000000000F03Full);
  EXPECT_EQ(ConvertEndian(swapped), 1.0);
  const Single fs = ConvertEndian(1.0f);
  std::uint32_t fbits = 0;
  std::memcpy(&fbits, &fs, sizeof fbits);
  EXPECT_EQ(fbits, 0x0000803Fu);
  EXPECT_EQ(ConvertEndian(fs), 1.0f);
}

}  // namespace
}  // namespace nuv
