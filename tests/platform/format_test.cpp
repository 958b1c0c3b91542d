#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/format.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct FixedCase {
  double x;
  int w, d;
  const char* text;
};

TEST(FormatFloat, FixedFormRoundsExactValueWithTiesAwayFromZero) {
  const FixedCase cases[] = {
      {2.5, 1, 0, "3"},
      {3.5, 1, 0, "4"},
      {-2.5, 1, 0, "-3"},
      {0.125, 1, 2, "0.13"},
      {0.375, 1, 2, "0.38"},
      {-0.125, 1, 2, "-0.13"},
      {9.5, 1, 0, "10"},
      {99.995, 1, 2, "100.00"},
      {2.675, 1, 2, "2.67"},                   // above and below the tie in binary
      {0.1, 1, 20, "0.10000000000000000555"},  // digits beyond the 17th from the exact value
      {1.0, 6, 2, "  1.00"},
      {-1.5, 1, 3, "-1.500"},
      {1e21, 1, 0, "1000000000000000000000"},
      {0.0, 1, 0, "0"},
      {123.456, 1, 0, "123"},
      {0.5, 1, 0, "1"},
      {1.25, 1, 1, "1.3"},
      {1.35, 1, 1, "1.4"},  // 1.35 is above the tie in binary
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatFloat(c.x, c.w, c.d), c.text);
  }
}

TEST(FormatFloat, ManyDecimalsAreExact) {
  // 2^-30 has exactly 30 decimals; asking for 40 pads with zeros.
  EXPECT_EQ(FormatFloat(std::ldexp(1.0, -30), 1, 40), "0.0000000009313225746154785156250000000000");
  EXPECT_EQ(FormatFloat(5e-324, 1, 330).size(), 332u);
}

TEST(FormatFloat, ExponentFormHasSignPositionAndFourDigitExponent) {
  EXPECT_EQ(FormatFloat(1234.5, 13, -1), " 1.2345E+0003");
  EXPECT_EQ(FormatFloat(-1234.5, 13, -1), "-1.2345E+0003");
  EXPECT_EQ(FormatFloat(0.0, 12, -1), " 0.000E+0000");
  EXPECT_EQ(FormatFloat(1e-300, 10, -1), " 1.0E-0300");
  EXPECT_EQ(FormatFloat(1.25, 10, -1), " 1.3E+0000");  // exact tie goes away from zero
  EXPECT_EQ(FormatFloat(9.5, 10, -1), " 9.5E+0000");
  EXPECT_EQ(FormatFloat(9.75, 10, -1), " 9.8E+0000");
  EXPECT_EQ(FormatFloat(9.96, 10, -1), " 1.0E+0001");
  EXPECT_EQ(FormatFloat(9.95, 4, -1), " 9.9E+0000");  // 9.95 is below the tie; width below 10
}

TEST(FormatFloat, NonFiniteValuesHaveFixedNames) {
  EXPECT_EQ(FormatFloat(std::numeric_limits<double>::quiet_NaN(), 1, 2), "NaN");
  EXPECT_EQ(FormatFloat(std::numeric_limits<double>::infinity(), 5, 2), "  Inf");
  EXPECT_EQ(FormatFloat(-std::numeric_limits<double>::infinity(), 1, -1), "-Inf");
}

TEST(FormatFloat, IgnoresTheCLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  // Any installed locale with a decimal comma would do; without one the check is still valid.
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FormatFloat(1.5, 1, 2), "1.50");
  double v = 0;
  EXPECT_TRUE(TryStrToFloat("2.25", v));
  EXPECT_EQ(v, 2.25);
  std::setlocale(LC_ALL, saved.c_str());
}

// Texts beyond the double range read as infinity or zero, also under a locale whose decimal
// separator is a comma (skipped where no such locale is installed).
TEST(TextToNumber, BeyondRangeIgnoresTheCLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  const bool commaLocale = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                           std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* Text;
    double Value;
  } cases[] = {{"1.5e400", inf},    {"-1.5e400", -inf},  {"1.5e-400", 0.0},
               {"-0.5e-330", -0.0}, {"0.001e-322", 0.0}, {"234.5e306", inf}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    double v = 7;
    EXPECT_TRUE(TryStrToFloat(c.Text, v));
    EXPECT_EQ(v, c.Value);
    EXPECT_EQ(std::signbit(v), std::signbit(c.Value));
  }
  std::setlocale(LC_ALL, saved.c_str());
  if (!commaLocale) GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST(TextToNumber, AcceptsWholeNumbersOnly) {
  double d = -1;
  EXPECT_TRUE(TryStrToFloat("  -1.5e3\t", d));
  EXPECT_EQ(d, -1500.0);
  EXPECT_TRUE(TryStrToFloat("+.5", d));
  EXPECT_EQ(d, 0.5);
  EXPECT_TRUE(TryStrToFloat("-inf", d));
  EXPECT_EQ(d, -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(TryStrToFloat("NaN", d));
  EXPECT_TRUE(std::isnan(d));
  EXPECT_TRUE(TryStrToFloat("1e999", d));
  EXPECT_EQ(d, std::numeric_limits<double>::infinity());
  d = 7;
  for (const char* bad : {"", " ", "1.5x", "--1", "+-1", "1,5", "e5", "0x10"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(TryStrToFloat(bad, d));
  }
  EXPECT_EQ(d, 7);

  Integer i = 0;
  EXPECT_TRUE(TryStrToInt(" 42 ", i));
  EXPECT_EQ(i, 42);
  EXPECT_TRUE(TryStrToInt("-2147483648", i));
  EXPECT_EQ(i, std::numeric_limits<Integer>::min());
  EXPECT_TRUE(TryStrToInt("$FF", i));
  EXPECT_EQ(i, 255);
  i = 5;
  for (const char* bad : {"", "1x", "2147483648", "1.0", "- 1", "99999999999999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(TryStrToInt(bad, i));
  }
  EXPECT_EQ(i, 5);
  NUV_EXPECT_THROW_MSG(StrToInt("1x"), EConvertError, "'1x' is not a valid integer value");
  NUV_EXPECT_THROW_MSG(StrToFloat("a"), EConvertError, "'a' is not a valid floating point value");
}

TEST(TextToNumber, NonFiniteOnlyAsNanAndInf) {
  double d = 0;
  for (const char* good : {"INF", "+Inf", "-nAn", " nan\r\n"}) {
    SCOPED_TRACE(good);
    EXPECT_TRUE(TryStrToFloat(good, d));
    EXPECT_FALSE(std::isfinite(d));
  }
  d = 7;
  for (const char* bad :
       {"infinity", "-INFINITY", "nan(12)", "nan()", "+nan(x)", "infinit", "-in", "n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(TryStrToFloat(bad, d));
    NUV_EXPECT_THROW_MSG(StrToFloat(bad), EConvertError,
                         "'" + std::string(bad) + "' is not a valid floating point value");
  }
  EXPECT_EQ(d, 7);
}

TEST(TextToNumber, ShortestTextReadsBack) {
  for (double x : {0.1, 1.0 / 3.0, 1e-310, 1.7976931348623157e308, -2.5}) {
    double y = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(x), y));
    EXPECT_EQ(x, y);
  }
  EXPECT_EQ(FloatToStr(0.1), "0.1");
}

}  // namespace
}  // namespace nuv
