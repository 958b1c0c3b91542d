// Special functions of NUV_statis: domain rules, limits, closed forms and the guards that
// keep every loop bounded.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nuv/analysis/NUV_statis.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The six-term ln Γ series is good to about 2e-10 absolute.
constexpr double kLnGammaTol = 3e-10;
// Series and continued fractions stop at a relative change of 1e-8.
constexpr double kMethodTol = 2e-8;

TEST(StatisLnGamma, ValuesLimitsAndDomain) {
  EXPECT_NEAR(LnGamma(1.0), 0.0, 1e-10);
  EXPECT_NEAR(LnGamma(2.0), 0.0, 1e-10);
  for (double x : {0.25, 0.5, 3.7, 12.0, 150.0})
    EXPECT_NEAR(LnGamma(x), std::lgamma(x), kLnGammaTol) << x;
  EXPECT_EQ(LnGamma(0.0), 0.0);
  EXPECT_EQ(LnGamma(-2.5), 0.0);
  EXPECT_EQ(LnGamma(kInf), kInf);
  EXPECT_TRUE(std::isnan(LnGamma(kNaN)));
  // Where the first series term overflows the value is -ln x, not +inf.
  EXPECT_TRUE(test::RelNear(LnGamma(1e-310), -std::log(1e-310), 1e-15));
  EXPECT_TRUE(test::RelNear(LnGamma(1e-300), -std::log(1e-300), 1e-12));
}

TEST(StatisIncompleteGamma, ClosedFormsAndDomain) {
  // P(1, x) = 1 - e^-x; P(1/2, x) = erf(√x).
  for (double x : {0.1, 1.0, 1.9, 2.5, 7.0, 30.0}) {
    EXPECT_TRUE(test::RelNear(IncompleteGamma(x, 1.0), -std::expm1(-x), kMethodTol)) << x;
    EXPECT_TRUE(test::RelNear(IncompleteGamma(x, 0.5), std::erf(std::sqrt(x)), kMethodTol)) << x;
  }
  EXPECT_EQ(IncompleteGamma(0.0, 2.0), 0.0);
  EXPECT_EQ(IncompleteGamma(-1.0, 2.0), 0.0);
  EXPECT_EQ(IncompleteGamma(1.0, 0.0), 0.0);
  EXPECT_EQ(IncompleteGamma(1.0, -3.0), 0.0);
}

TEST(StatisIncompleteGamma, NonFiniteAndExtremeArgumentsEnd) {
  EXPECT_TRUE(std::isnan(IncompleteGamma(kNaN, 1.0)));
  EXPECT_TRUE(std::isnan(IncompleteGamma(1.0, kNaN)));
  EXPECT_EQ(IncompleteGamma(5.0, kInf), 0.0);
  EXPECT_EQ(IncompleteGamma(kInf, kInf), 0.0);
  EXPECT_EQ(IncompleteGamma(kInf, 3.0), 1.0);
  // 1/a overflows: the limit 1.
  EXPECT_EQ(IncompleteGamma(2.0, 1e-310), 1.0);
  EXPECT_TRUE(test::RelNear(IncompleteGamma(2.0, 1e-300), 1.0, 1e-15));
  // a so large that a + 1 == a: the series is cut off instead of running for ever.
  const double p = IncompleteGamma(1e20 - 1e5, 1e20);
  EXPECT_FALSE(std::isinf(p));
}

TEST(StatisIncompleteGamma, HugeFiniteXGivesOneNotNaN) {
  // The continued fraction's first step overflows for x above about 1e154; the tail there is
  // far below the smallest double.
  EXPECT_EQ(IncompleteGamma(1e300, 2.0), 1.0);
  EXPECT_EQ(IncompleteGamma(1e200, 0.5), 1.0);
  EXPECT_EQ(Erf(1e100), 1.0);
  EXPECT_EQ(Erf(-1e100), -1.0);
  EXPECT_EQ(nDistriIntegral(1e100), 1.0);
  EXPECT_EQ(nDistriIntegral(-1e100), 0.0);
}

TEST(StatisErf, OddLimitsAndApproximation) {
  for (double x : {1e-6, 0.3, 1.0, 2.2, 4.0}) {
    EXPECT_EQ(Erf(-x), -Erf(x)) << x;
    EXPECT_TRUE(test::RelNear(Erf(x), std::erf(x), 1e-9)) << x;
    EXPECT_NEAR(ErfApprox(x), std::erf(x), 1.2e-7) << x;
    EXPECT_NEAR(ErfApprox(-x), std::erf(-x), 1.2e-7) << x;
  }
  EXPECT_EQ(Erf(0.0), 0.0);
  EXPECT_EQ(Erf(kInf), 1.0);
  EXPECT_EQ(Erf(-kInf), -1.0);
  EXPECT_EQ(Erf(1e200), 1.0);  // x² overflows
  EXPECT_TRUE(std::isnan(Erf(kNaN)));
  // The approximation's coefficients sum to 3e-8 at t = 1, so it is not exactly 0 there.
  EXPECT_NEAR(ErfApprox(0.0), -3.0000000484e-8, 1e-17);
}

TEST(StatisIncompleteBeta, EndsDomainAndClosedForms) {
  EXPECT_EQ(IncompleteBeta(0.0, 2.0, 3.0), 0.0);
  EXPECT_EQ(IncompleteBeta(1.0, 2.0, 3.0), 1.0);
  EXPECT_EQ(IncompleteBeta(-0.1, 2.0, 3.0), 0.0);
  EXPECT_EQ(IncompleteBeta(1.1, 2.0, 3.0), 1.0);
  EXPECT_EQ(IncompleteBeta(kInf, 2.0, 3.0), 1.0);
  EXPECT_EQ(IncompleteBeta(0.5, 0.0, 3.0), 0.0);
  EXPECT_EQ(IncompleteBeta(0.5, 2.0, -1.0), 0.0);
  EXPECT_TRUE(std::isnan(IncompleteBeta(kNaN, 2.0, 3.0)));
  EXPECT_TRUE(std::isnan(IncompleteBeta(0.5, kNaN, 3.0)));
  for (double x : {0.01, 0.2, 0.5, 0.77, 0.95}) {
    // I_x(a, 1) = x^a and I_x(1, b) = 1 - (1 - x)^b.
    EXPECT_TRUE(test::RelNear(IncompleteBeta(x, 3.5, 1.0), std::pow(x, 3.5), 1e-9)) << x;
    EXPECT_TRUE(test::RelNear(IncompleteBeta(x, 1.0, 4.0), 1.0 - std::pow(1.0 - x, 4.0), 1e-9))
        << x;
    // I_x(a, b) = 1 - I_{1-x}(b, a).
    EXPECT_NEAR(IncompleteBeta(x, 2.5, 7.0), 1.0 - IncompleteBeta(1.0 - x, 7.0, 2.5), 1e-9) << x;
  }
}

TEST(StatisLnBeta, DomainAndValue) {
  EXPECT_EQ(LnBeta(-1.0, 2.0), 0.0);
  EXPECT_EQ(LnBeta(2.0, -0.5), 0.0);
  EXPECT_NEAR(LnBeta(2.0, 3.0), std::log(1.0 / 12.0), 3 * kLnGammaTol);
}

TEST(StatisBinomCoeff, ValuesDomainAndSaturation) {
  EXPECT_EQ(BinomCoeff(5, 2), 10);
  EXPECT_EQ(BinomCoeff(3, 5), 0);
  EXPECT_EQ(BinomCoeff(-1, 0), 0);
  EXPECT_EQ(BinomCoeff(4, -1), 0);
  EXPECT_EQ(BinomCoeff(0, 0), 1);
  EXPECT_EQ(BinomCoeff(30, 15), 155117520);
  // C(34, 17) = 2333606220 does not fit: the largest 32-bit value instead.
  EXPECT_EQ(BinomCoeff(34, 17), 2147483647);
  EXPECT_EQ(BinomCoeff(1000, 500), 2147483647);
  EXPECT_EQ(BinomCoeff(2147483647, 2), 2147483647);
  EXPECT_EQ(LnBinomCoeff(3, 5), -1.0);
  EXPECT_EQ(LnBinomCoeff(-2, 1), -1.0);
  EXPECT_NEAR(LnBinomCoeff(10, 3), std::log(120.0), 3 * kLnGammaTol);
}

}  // namespace
}  // namespace nuv
