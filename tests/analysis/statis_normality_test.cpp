// Kolmogorov-Smirnov and Lilliefors normality tests of NUV_statis.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>

#include "nuv/analysis/NUV_statis.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double Phi(double z) {
  return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

void Fill(TVector& v, std::initializer_list<double> values) {
  v.SetVecSize(static_cast<Integer>(values.size()));
  Integer i = 1;
  for (double x : values) v.SetVal(i++, x);
}

// Asymptotic form of the p-value, written out independently.
double Asymptotic(double n, double D) {
  return 2.0 * std::exp(-(2.000071 + 0.331 / std::sqrt(n) + 1.409 / n) * n * D * D);
}

TEST(StatisKSCritical, TableLargeSampleFormAndBadArguments) {
  EXPECT_EQ(KolmogSmir1SampleTestStat(10, Dot05), 0.41);
  EXPECT_EQ(KolmogSmir1SampleTestStat(1, Dot20), 0.9);
  EXPECT_EQ(KolmogSmir1SampleTestStat(20, Dot01), 0.356);
  EXPECT_DOUBLE_EQ(KolmogSmir1SampleTestStat(100, Dot05), 0.1358);
  EXPECT_EQ(KolmogSmir1SampleTestStat(21, Dot15), 1.138 / std::sqrt(21.0));
  EXPECT_EQ(KolmogSmir1SampleTestStat(0, Dot05), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(-7, Dot05), -1.0);
  EXPECT_EQ(KolmogSmir1SampleTestStat(10, static_cast<TSignifLevel>(5)), -1.0);
}

TEST(StatisKSPValue, BadArgumentsAndLimits) {
  EXPECT_EQ(KSPValue(0, 0.3), -1.0);
  EXPECT_EQ(KSPValue(-5, 0.3), -1.0);
  EXPECT_EQ(KSPValue(10, kNaN), -1.0);
  EXPECT_EQ(KSPValue(10, 0.0), 1.0);
  EXPECT_EQ(KSPValue(10, -2.0), 1.0);
  EXPECT_EQ(KSPValue(10, kInf), 0.0);
}

TEST(StatisKSPValue, ExactBranchClosedForms) {
  // n = 1: P(D >= d) = 2(1 - d) for d >= 1/2.
  EXPECT_NEAR(KSPValue(1, 0.7), 0.6, 1e-15);
  // 1/(2n) < d <= 1/n (a one-by-one matrix): 1 - n!/n^n·(2nd - 1)^n.
  EXPECT_NEAR(KSPValue(5, 0.15), 1.0 - std::pow(0.5, 5) * 120.0 / 3125.0, 1e-15);
  // d <= 1/(2n) can never be undercut.
  EXPECT_NEAR(KSPValue(5, 0.08), 1.0, 1e-15);
}

TEST(StatisKSPValue, SwitchesToAsymptoticFormAboveItsThresholds) {
  const double above = std::sqrt(7.2400001 / 10.0);
  EXPECT_DOUBLE_EQ(KSPValue(10, above), Asymptotic(10, above));
  const double below = std::sqrt(7.2399 / 10.0);
  EXPECT_NE(KSPValue(10, below), Asymptotic(10, below));
  const double big = std::sqrt(3.7600001 / 200.0);
  EXPECT_DOUBLE_EQ(KSPValue(200, big), Asymptotic(200, big));
}

TEST(StatisKSPValue, MatrixOrderIsCapped) {
  // n·D = 10000 would need a matrix of order 20001: the asymptotic form answers at once.
  EXPECT_DOUBLE_EQ(KSPValue(100000000, 0.0001), Asymptotic(1e8, 0.0001));
  // There the form may exceed 1; a probability does not.
  EXPECT_EQ(KSPValue(100000000, 0.00003), 1.0);
}

TEST(StatisKSQuantile, MatchesTheLevelAndRejectsBadArguments) {
  for (Integer n : {3, 10, 40}) {
    for (TSignifLevel level : {Dot20, Dot05, Dot01}) {
      const double alpha = level == Dot20 ? 0.2 : (level == Dot05 ? 0.05 : 0.01);
      const double d = KSQuantile(n, level);
      EXPECT_LE(std::fabs(KSPValue(n, d) - alpha), 1e-4) << n << " " << int(level);
    }
  }
  EXPECT_EQ(KSQuantile(0, Dot05), -1.0);
  EXPECT_EQ(KSQuantile(10, static_cast<TSignifLevel>(7)), -1.0);
}

TEST(StatisLillieforsPValue, HandCheckedValuesAndRules) {
  // n = 10, D = 0.2: e = -3.584873967456 + 2.142010596446 + 0.308315747311 + 0.167997
  // - 0.122119 = -1.088669623698, p = 0.336664085829.
  EXPECT_NEAR(LillieforsPValue(10, 0.2), 0.336664085829, 1e-12);
  // n = 20, D = 0.1: e = +0.0123 is capped at 0.
  EXPECT_EQ(LillieforsPValue(20, 0.1), 1.0);
  EXPECT_EQ(LillieforsPValue(50, 0.0), 1.0);
  EXPECT_EQ(LillieforsPValue(5, 0.2), -1.0);
  EXPECT_EQ(LillieforsPValue(-1, 0.2), -1.0);
  EXPECT_EQ(LillieforsPValue(30, kNaN), -1.0);
  // Above 100 the statistic is rescaled to n = 100.
  EXPECT_EQ(LillieforsPValue(200, 0.08), LillieforsPValue(100, 0.08 * std::pow(2.0, 0.49)));
}

TEST(StatisLillieforsQuantile, HandCheckedValueAndSmallN) {
  // 1 - alpha = 0.95: P1 = 1.231487665386, P2 = 2.100783425695; 1/√(20·P1 + P2).
  EXPECT_NEAR(LillieforsQuantile(20, 0.05), 0.193417675843, 1e-11);
  EXPECT_EQ(LillieforsQuantile(0, 0.05), -1.0);
  EXPECT_EQ(LillieforsQuantile(-3, 0.05), -1.0);
}

TEST(StatisKSStatistic, SortedFlagIsTrusted) {
  TVector v(nullptr);
  Fill(v, {1.0, -1.0});
  // Sorted: (-1, 1) gives max |i/n - Φ| = Φ(1) - 1/2.
  test::EventRecorder rec;
  rec.Attach(v);
  EXPECT_NEAR(PerformKSNormalityTest(&v, false), Phi(1.0) - 0.5, 1e-8);
  // The caller's vector is sorted in place, with its exchange reported.
  EXPECT_EQ(v.Elem(1), -1.0);
  EXPECT_EQ(v.Elem(2), 1.0);
  EXPECT_EQ(rec.Exchanges.size(), 1u);
  // Taken as it stands: the first value 1 against i - 1 = 0 gives Φ(1).
  Fill(v, {1.0, -1.0});
  EXPECT_NEAR(PerformKSNormalityTest(&v, true), Phi(1.0), 1e-8);
  EXPECT_EQ(v.Elem(1), 1.0);
  EXPECT_EQ(PerformKSNormalityTest(nullptr, false), -1.0);
}

TEST(StatisLillieforsStatistic, StandardisesAndIgnoresLocationAndScale) {
  TVector a(nullptr);
  TVector b(nullptr);
  Fill(a, {0.3, -1.2, 2.5, 0.9, 0.0, -0.4, 1.7, 0.2});
  Fill(b, {13.0, -2.0, 35.0, 19.0, 10.0, 6.0, 27.0, 12.0});  // 10·a + 10
  EXPECT_NEAR(PerformLillieforsTest(&a, false), PerformLillieforsTest(&b, false), 1e-12);
  // Afterwards the caller's vector is sorted and standardised.
  double mean = 0, var = 0;
  a.MeanVar(1, 8, mean, var);
  EXPECT_NEAR(mean, 0.0, 1e-15);
  EXPECT_NEAR(var, 1.0, 1e-14);
  for (Integer i = 2; i <= 8; ++i) EXPECT_LE(a.Elem(i - 1), a.Elem(i));
  // A single value keeps deviation 1 and becomes 0: D = 1/2.
  TVector one(nullptr);
  Fill(one, {42.0});
  EXPECT_NEAR(PerformLillieforsTest(&one, false), 0.5, 1e-15);
  // Constant data have no deviation and stay as they are.
  TVector flat(nullptr);
  Fill(flat, {0.0, 0.0, 0.0, 0.0});
  EXPECT_NEAR(PerformLillieforsTest(&flat, false), 0.5, 1e-15);
  EXPECT_EQ(PerformLillieforsTest(nullptr, true), -1.0);
}

TEST(StatisNormalityStatistic, NaNDataDoNotBreakTheSort) {
  TVector v(nullptr);
  Fill(v, {0.5, kNaN, -0.5, kNaN, 1.5, 0.1});
  EXPECT_FALSE(std::isnan(PerformKSNormalityTest(&v, false)));
  EXPECT_TRUE(std::isnan(PerformLillieforsTest(&v, false)) ||
              PerformLillieforsTest(&v, false) >= 0.0);
}

}  // namespace
}  // namespace nuv
