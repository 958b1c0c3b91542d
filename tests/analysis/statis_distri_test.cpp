// Distributions of NUV_statis: domain rules, closed forms, identities and messages.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "nuv/analysis/NUV_statis.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = std::numbers::pi;

// Φ from the C library, independent of ours.
double Phi(double z) {
  return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

TEST(StatisNormal, IntegralLimitsAndTails) {
  EXPECT_EQ(nDistriIntegral(0.0), 0.5);
  EXPECT_EQ(nDistriIntegral(kInf), 1.0);
  EXPECT_EQ(nDistriIntegral(-kInf), 0.0);
  EXPECT_EQ(nDistriIntegral(2e154), 1.0);  // x² overflows
  EXPECT_EQ(nDistriIntegral(-2e154), 0.0);
  EXPECT_TRUE(std::isnan(nDistriIntegral(kNaN)));
  // The lower tail keeps its relative accuracy instead of cancelling to 0.
  for (double x : {-6.0, -10.0, -20.0, -35.0})
    EXPECT_TRUE(test::RelNear(nDistriIntegral(x), Phi(x), 1e-8)) << x;
  EXPECT_NEAR(nDistriDensity(0.0), 1.0 / std::sqrt(2.0 * kPi), 1e-16);
}

TEST(StatisNormal, QuantileEndsEvenWhereItsToleranceCannotBeMet) {
  EXPECT_EQ(nDistriQuantile(0.0), 0.0);
  EXPECT_EQ(nDistriQuantile(1.0), 0.0);
  EXPECT_EQ(nDistriQuantile(-0.5), 0.0);
  EXPECT_EQ(nDistriQuantile(kNaN), 0.0);
  EXPECT_NEAR(nDistriQuantile(0.5), 0.0, 1e-7);
  for (double p : {1e-12, 1e-10, 3e-10, 1e-9, 2.6e-9, 0.025, 0.975, 1.0 - 1e-9}) {
    const double z = nDistriQuantile(p);
    EXPECT_LT(std::fabs(Phi(z) - p) / p, 2e-8) << p;
  }
  EXPECT_TRUE(test::RelNear(ConfidenceInterval(0.05, 2.0, 16), 1.959963984540054 * 0.5, 1e-7));
  EXPECT_EQ(ConfidenceInterval(0.05, 2.0, 0), 0.0);
  EXPECT_EQ(ConfidenceInterval(0.05, 2.0, -4), 0.0);
}

TEST(StatisWeibull, DomainAndExponentialCase) {
  for (double x : {0.1, 1.0, 3.0})
    EXPECT_TRUE(test::RelNear(WeibullDensity(x, 1.0, 2.0), std::exp(-x / 2.0) / 2.0, 1e-14));
  EXPECT_EQ(WeibullDensity(0.0, 2.0, 1.0), 0.0);
  EXPECT_EQ(WeibullDensity(-1.0, 2.0, 1.0), 0.0);
  EXPECT_EQ(WeibullDensity(1.0, 2.0, 0.0), 0.0);
  EXPECT_EQ(WeibullDensity(kNaN, 2.0, 1.0), 0.0);
}

TEST(StatisHyperGeo, ChecksInOrderWithExactMessages) {
  const char* kP = "HyperGeoDistriDensity: probability p must be between 0.0 and 1.0";
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(1.5, 10, 3, 99), ENUVStatisError, kP);
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(-0.1, 0, 0, 0), ENUVStatisError, kP);
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(kNaN, 10, 3, 1), ENUVStatisError, kP);
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 0, 3, 1), ENUVStatisError,
                       "HyperGeoDistriDensity: npop must be greater than 0");
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 5, 6, 1), ENUVStatisError,
                       "HyperGeoDistriDensity: nsample must not be greater than npop");
  NUV_EXPECT_THROW_MSG(HyperGeoDistriDensity(0.5, 5, 0, 1), ENUVStatisError,
                       "HyperGeoDistriDensity: nsample must not be less than 1");
}

TEST(StatisHyperGeo, ImpossibleCountsAndHalfToEvenSuccesses) {
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 3, 4), 0.0);   // k above the sample
  EXPECT_EQ(HyperGeoDistriDensity(0.5, 10, 3, -1), 0.0);  // negative k
  EXPECT_EQ(HyperGeoDistriDensity(0.2, 10, 9, 0), 0.0);   // fewer failures than needed
  // p·npop = 2.5 gives M = 2: three successes are impossible, two have C(8,1)/C(10,3).
  EXPECT_EQ(HyperGeoDistriDensity(0.25, 10, 3, 3), 0.0);
  EXPECT_TRUE(test::RelNear(HyperGeoDistriDensity(0.25, 10, 3, 2), 8.0 / 120.0, 1e-9));
}

TEST(StatisFisher, TransformRangeAndInverseLimits) {
  EXPECT_TRUE(test::RelNear(FisherTransform(0.5), 0.5493061443340549, 1e-15));
  NUV_EXPECT_THROW_MSG(FisherTransform(1.0), ENUVStatisError,
                       "FisherTransform: argument out of range");
  NUV_EXPECT_THROW_MSG(FisherTransform(-1.0), ENUVStatisError,
                       "FisherTransform: argument out of range");
  EXPECT_NEAR(FisherTransformInv(FisherTransform(0.3)), 0.3, 1e-15);
  // e^(2z) overflows above about 354; the result stays 1 instead of inf/inf.
  for (double z : {19.0, 25.0, 400.0, 1e300, kInf}) EXPECT_EQ(FisherTransformInv(z), 1.0) << z;
  EXPECT_EQ(FisherTransformInv(-400.0), -1.0);
  EXPECT_TRUE(std::isnan(FisherTransformInv(kNaN)));
}

TEST(StatisFishQ, DividesByAtLeastOneMillionth) {
  EXPECT_EQ(CalcFishQ(3.0, 1.0, 0.0, 0.0), 4.0 / 1e-6);
  EXPECT_EQ(CalcFishQ(3.0, 1.0, 1.0, 1.0), 2.0);
}

TEST(StatisStudent, IntegralValuesSymmetryAndDomain) {
  EXPECT_NEAR(tDistriIntegral(2.0, 8), 0.9597418810, 1e-10);
  // df = 1 is the Cauchy distribution.
  for (double t : {-30.0, -1.0, 0.4, 3.0})
    EXPECT_TRUE(test::RelNear(tDistriIntegral(t, 1), 0.5 + std::atan(t) / kPi, 1e-9)) << t;
  for (double t : {0.05, 1.3, 4.0})
    EXPECT_NEAR(tDistriIntegral(-t, 7), 1 - tDistriIntegral(t, 7), 1e-15);
  EXPECT_EQ(tDistriIntegral(0.0, 5), 0.5);
  EXPECT_EQ(tDistriIntegral(kInf, 5), 1.0);
  EXPECT_EQ(tDistriIntegral(-kInf, 5), 0.0);
  EXPECT_EQ(tDistriIntegral(1.0, 0), 0.0);
  EXPECT_EQ(tDistriIntegral(1.0, -3), 0.0);
}

TEST(StatisStudent, QuantileValuesRoundTripsAndDomain) {
  EXPECT_NEAR(tDistriQuantile(0.9975, 8), 3.8325187, 1e-7);
  EXPECT_EQ(tDistriQuantile(0.5, 8), 0.0);
  for (double p : {0.0, 1.0, -0.2, 1.5, kNaN}) EXPECT_EQ(tDistriQuantile(p, 8), 0.0) << p;
  EXPECT_EQ(tDistriQuantile(0.9, 0), 0.0);
  EXPECT_EQ(tDistriQuantile(0.9, -3), 0.0);
  for (Integer df : {1, 2, 3, 9, 60}) {
    for (double p : {1e-9, 0.01, 0.3, 0.6, 0.99, 1.0 - 1e-9}) {
      const double t = tDistriQuantile(p, df);
      const double back = p < 0.5 ? tDistriIntegral(t, df) : 1.0 - tDistriIntegral(t, df);
      EXPECT_TRUE(test::RelNear(back, p < 0.5 ? p : 1.0 - p, 1e-7)) << df << " " << p;
    }
  }
  // Extreme tails still end with a finite answer.
  EXPECT_TRUE(std::isfinite(tDistriQuantile(1e-300, 3)));
  EXPECT_TRUE(std::isfinite(tDistriQuantile(5e-324, 3)));
  EXPECT_TRUE(std::isfinite(tDistriQuantile(1.0 - 1e-16, 4)));
}

// Two-sided Grubbs critical value, built the usual way on the t quantile with p close to 1.
double Grubbs(Integer n, double alpha) {
  const double t = tDistriQuantile(1.0 - alpha / (2.0 * n), n - 2);
  return (n - 1) / std::sqrt(static_cast<double>(n)) * std::sqrt(t * t / (n - 2 + t * t));
}

TEST(StatisStudent, GrubbsCriticalValues) {
  EXPECT_NEAR(Grubbs(10, 0.05), 2.289954, 1e-6);
  EXPECT_NEAR(Grubbs(20, 0.01), 3.000804, 1e-6);
  EXPECT_NEAR(Grubbs(4, 0.05), 1.481250, 1e-6);
}

TEST(StatisFisherF, IntegralIdentitiesAndDomain) {
  for (Integer d : {1, 4, 17}) EXPECT_NEAR(FDistriIntegral(1.0, d, d), 0.5, 1e-9) << d;
  for (double F : {0.01, 0.7, 3.0, 40.0})
    EXPECT_NEAR(FDistriIntegral(F, 1, 6), 2.0 * tDistriIntegral(std::sqrt(F), 6) - 1.0, 1e-9);
  EXPECT_EQ(FDistriIntegral(0.0, 3, 4), 0.0);
  EXPECT_EQ(FDistriIntegral(-2.0, 3, 4), 0.0);
  EXPECT_EQ(FDistriIntegral(2.0, 0, 4), 0.0);
  EXPECT_EQ(FDistriIntegral(2.0, 3, 0), 0.0);
  EXPECT_EQ(FDistriIntegral(kInf, 3, 4), 1.0);
  EXPECT_EQ(FDistriIntegral(1e308, 10, 4), 1.0);  // df1·F overflows
}

TEST(StatisDensities, ClosedFormsDomainAndLimitsAtZero) {
  for (double x : {-3.0, 0.0, 0.5, 10.0})
    EXPECT_TRUE(test::RelNear(tDistriDensity(x, 1.0), 1.0 / (kPi * (1.0 + x * x)), 1e-9)) << x;
  EXPECT_EQ(tDistriDensity(1.0, 0.0), 0.0);
  EXPECT_EQ(tDistriDensity(1.0, -2.0), 0.0);

  for (double x : {0.1, 2.0, 30.0})
    EXPECT_TRUE(test::RelNear(Chi2DistriDensity(x, 2.0), 0.5 * std::exp(-x / 2.0), 1e-9)) << x;
  EXPECT_EQ(Chi2DistriDensity(0.0, 3.0), 0.0);
  EXPECT_EQ(Chi2DistriDensity(0.0, 2.0), 0.5);
  EXPECT_EQ(Chi2DistriDensity(0.0, 1.0), kInf);
  EXPECT_EQ(Chi2DistriDensity(-1.0, 3.0), 0.0);
  EXPECT_EQ(Chi2DistriDensity(1.0, 0.0), 0.0);
  EXPECT_EQ(Chi2DistriDensity(kInf, 3.0), 0.0);

  // d1 = d2 = 2: f(x) = 1/(1 + x)².
  for (double x : {0.2, 1.0, 9.0})
    EXPECT_TRUE(test::RelNear(FDistriDensity(x, 2.0, 2.0), 1.0 / ((1 + x) * (1 + x)), 1e-9));
  EXPECT_EQ(FDistriDensity(0.0, 3.0, 5.0), 0.0);
  EXPECT_EQ(FDistriDensity(0.0, 2.0, 5.0), 1.0);
  EXPECT_EQ(FDistriDensity(0.0, 1.0, 5.0), kInf);
  EXPECT_EQ(FDistriDensity(-1.0, 3.0, 5.0), 0.0);
  EXPECT_EQ(FDistriDensity(1.0, 0.0, 5.0), 0.0);
  EXPECT_EQ(FDistriDensity(1.0, 3.0, -5.0), 0.0);
  EXPECT_EQ(FDistriDensity(kInf, 3.0, 5.0), 0.0);
}

}  // namespace
}  // namespace nuv
