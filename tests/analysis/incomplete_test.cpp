// The incomplete gamma and beta functions at any parameter size, against values to 20 digits
// from tests/reference/incomplete_reference.py (mpmath), and the exact symmetries of the
// distributions built on them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Relative to the smaller tail, P or 1 - P: what the methods promise at any size.
constexpr double kTailTol = 1e-10;

// |got - p| relative to the smaller of p and 1 - p, the tail a P near 1 can carry in a double
// (half an ulp of 1) aside.
::testing::AssertionResult TailNear(double got, double p, double q) {
  const double tail = std::fmin(p, q);
  const double err = std::fabs(got - p);
  if (err <= kTailTol * tail + 1.2e-16) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << got << " vs " << p << ": " << err / tail << " of the smaller tail";
}

TEST(IncompleteFunctions, GammaAtAnyParameterSize) {
  struct Row {
    double A, X, P, Q;
  };
  const std::vector<Row> rows = {
      {0.5, 0.25, 0.52049987781304653768, 0.47950012218695346232},
      {3, 1.2, 0.12051290121636986817, 0.87948709878363013183},
      {30, 24.5, 0.15596768929585027844, 0.84403231070414972156},
      {99, 120, 0.9778065057793995892, 0.022193494220600410797},
      {150, 137.75, 0.15831649629046955702, 0.84168350370953044298},
      {1e3, 970, 0.17162279019198106994, 0.82837720980801893006},
      {1e5, 99700, 0.1714173145145029228, 0.8285826854854970772},
      {1e5, 101000, 0.99919157848707440927, 0.00080842151292559073247},
      {1e6, 1e6 + 2, 0.50093086392538030158, 0.49906913607461969842},
      {1e8, 1e8 + 2, 0.50009308653069810845, 0.49990691346930189155},
      {1e12, 1e12 - 1e6, 0.15865525393141672293, 0.84134474606858327707},
      {1e15, 1e15 + 3e7, 0.82860914469418106016, 0.17139085530581893984},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.A);
    const double p = IncompleteGamma(r.X, r.A);
    EXPECT_TRUE(TailNear(p, r.P, r.Q));
    EXPECT_GE(p, 0.0);
    EXPECT_LE(p, 1.0);
  }
}

TEST(IncompleteFunctions, BetaAtAnyParameterSize) {
  struct Row {
    double X, A, B, P, Q;
  };
  const std::vector<Row> rows = {
      {0.1, 0.5, 3, 0.55458444465202953868, 0.44541555534797046132},
      {0.5, 2, 0.5, 0.1161165235168155945, 0.8838834764831844055},
      {0.9, 10, 0.5, 0.15164090963470996856, 0.84835909036529003144},
      {0.3, 200, 300, 1.04969852432929467e-6, 0.99999895030147567071},
      {0.41, 200, 300, 0.67762816477217894864, 0.32237183522782105136},
      {0.999, 0.5, 3, 0.99999999968738274214, 3.1261725786136560804e-10},
      {0.5, 5000, 4000, 2.4781874589710983392e-26, 1.0},
      {0.555, 5000, 4000, 0.45745798151950858035, 0.54254201848049141965},
      {0.5001, 1e6, 1e6, 0.61135128213767795812, 0.38864871786232204188},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.X);
    EXPECT_TRUE(TailNear(IncompleteBeta(r.X, r.A, r.B), r.P, r.Q));
  }
  // I_1/2(a, a) = 1/2 exactly, at any size
  for (double a : {0.5, 7.0, 1e4, 1e6, 1e8, 1e12}) {
    SCOPED_TRACE(a);
    EXPECT_NEAR(IncompleteBeta(0.5, a, a), 0.5, 0.5 * kTailTol);
  }
}

TEST(IncompleteFunctions, DistributionsKeepTheirSymmetries) {
  for (Integer d : {1, 10, 1000, 1000000, 1000000000}) {
    SCOPED_TRACE(d);
    EXPECT_NEAR(FDistriIntegral(1.0, d, d), 0.5, 0.5 * kTailTol);  // F and 1/F swap the tails
    EXPECT_EQ(tDistriIntegral(0.0, d), 0.5);
    const double q = tDistriQuantile(0.9, d);
    EXPECT_NEAR(tDistriIntegral(q, d), 0.9, 1e-12);
    EXPECT_NEAR(tDistriQuantile(0.1, d), -q, 1e-12 * q);
  }
  // p whose 1 - p is exact: the quantiles mirror to the bit
  for (double p : {0x1p-40, 0x1p-20, 0.0078125, 0.125, 0.375}) {
    SCOPED_TRACE(p);
    EXPECT_EQ(nDistriQuantile(1.0 - p), -nDistriQuantile(p));
  }
}

}  // namespace
}  // namespace nuv
