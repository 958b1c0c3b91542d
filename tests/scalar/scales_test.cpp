#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <vector>

#include "nuv/scalar/math1_scales.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// The double nearest g * 10^k, by the C library's correctly rounded decimal parser.
double GridValue(int g, int k) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%de%d", g, k);
  return std::strtod(buf, nullptr);
}

TEST(Round125, WorkedExamples) {
  EXPECT_EQ(Round125(0.7), 0.5);
  EXPECT_EQ(Round125(2.9), 2.0);
  EXPECT_EQ(Round125(3), 5.0);
  EXPECT_EQ(Round125(8), 10.0);
  EXPECT_EQ(Round125(-7), -5.0);
  EXPECT_EQ(Round125(0), 0.0);
  EXPECT_EQ(Round125(100), 100.0);
  EXPECT_EQ(Round125(1.49), 1.0);
  EXPECT_EQ(Round125(1.5), 2.0);
  EXPECT_EQ(Round125(0.0123), 0.01);
  EXPECT_EQ(Round125(-0.0), 0.0);
}

TEST(Round125, DirectedWorkedExamples) {
  EXPECT_EQ(RoundPos125(3), 5.0);
  EXPECT_EQ(RoundPos125(-3), -2.0);
  EXPECT_EQ(RoundNeg125(3), 2.0);
  EXPECT_EQ(RoundNeg125(-3), -5.0);
  EXPECT_EQ(RoundPos125(2), 2.0);
  EXPECT_EQ(RoundNeg125(5), 5.0);
  EXPECT_EQ(RoundNeg125(20), 20.0);
  EXPECT_EQ(RoundPos125(5.5), 10.0);
  EXPECT_EQ(RoundNeg125(9.99), 5.0);
  EXPECT_EQ(RoundPos125(0.0011), 0.002);
  // Within 1e-14 of a decade in the logarithm counts as the decade itself.
  EXPECT_EQ(RoundPos125(100 * (1 + 1e-15)), 100.0);
  EXPECT_EQ(RoundNeg125(100 * (1 - 1e-15)), 100.0);
}

TEST(Round125, GridValuesMapToThemselves) {
  for (int k = -300; k <= 300; ++k) {
    for (int g : {1, 2, 5}) {
      const double v = GridValue(g, k);
      SCOPED_TRACE(testing::Message() << g << "e" << k);
      EXPECT_EQ(Round125(v), v);
      EXPECT_EQ(RoundPos125(v), v);
      EXPECT_EQ(RoundNeg125(v), v);
      EXPECT_EQ(Round125(-v), -v);
      EXPECT_EQ(RoundPos125(-v), -v);
      EXPECT_EQ(RoundNeg125(-v), -v);
    }
  }
}

TEST(Round125, AgreesWithGridSearchAwayFromDecades) {
  const double mantissas[] = {1.01, 1.2,  1.4999, 1.5001, 1.99, 2.01, 2.5, 2.999, 3.001,
                              4.2,  4.99, 5.01,   6.5,    7.99, 8.01, 9.5, 9.9};
  for (int k = -305; k <= 305; k += 7) {
    for (double m : mantissas) {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.4fe%d", m, k);
      const double x = std::strtod(buf, nullptr);
      SCOPED_TRACE(buf);
      // Candidates 1, 2, 5, 10 of this decade; thresholds from their decimal definitions.
      const double c1 = GridValue(1, k), c2 = GridValue(2, k), c5 = GridValue(5, k),
                   c10 = GridValue(1, k + 1);
      const double below = x >= c5 ? c5 : x >= c2 ? c2 : c1;
      const double above = x > c5 ? c10 : x > c2 ? c5 : c2;
      const double nearest = x < GridValue(15, k - 1) ? c1
                             : x < GridValue(3, k)    ? c2
                             : x < GridValue(8, k)    ? c5
                                                      : c10;
      EXPECT_EQ(RoundNeg125(x), below);
      EXPECT_EQ(RoundPos125(x), above);
      EXPECT_EQ(Round125(x), nearest);
      EXPECT_EQ(RoundNeg125(-x), -above);
      EXPECT_EQ(RoundPos125(-x), -below);
    }
  }
}

TEST(Round125, ExtremesAndSpecialValues) {
  const double dmin = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(Round125(dmin), dmin);  // nearest to 5e-324
  EXPECT_EQ(RoundPos125(1.7e308), std::numeric_limits<double>::infinity());
  EXPECT_EQ(RoundNeg125(1.7e308), 1e308);
  EXPECT_TRUE(std::isnan(Round125(std::nan(""))));
  EXPECT_EQ(RoundPos125(-std::numeric_limits<double>::infinity()),
            -std::numeric_limits<double>::infinity());
}

struct ScaleCase {
  Integer NTicks;
  Extended Low, High;
  Extended Start, Step;
  Word NSub;
};

TEST(CalcScalePars, WorkedExamples) {
  // Decimal fractions as the nearest value of the type: Q(3, 10) is 0.3.
  const auto Q = [](int n, int d) { return static_cast<Extended>(n) / d; };
  const ScaleCase cases[] = {{5, 0, 110, 0, 20, 4},
                             {5, 0, 100, 0, 10, 5},
                             {5, 100, 0, 100, -10, 5},
                             {4, Q(3, 10), Q(97, 10), 2, 2, 4},
                             {3, 7, 7, 7, 0, 1},
                             {0, Q(5, 2), 7, 3, 1, 5},
                             {0, 7, Q(5, 2), 7, -1, 5},
                             {0, Q(-7, 2), 20, -3, 1, 1},
                             {-5, 0, 110, 0, 20, 4},
                             {5, 0, Q(11, 100), 0, Q(2, 100), 4},
                             {10, 1, 2, 1, Q(1, 10), 5},
                             {2, -1000, 1000, -1000, 1000, 5},
                             {4, Q(31, 10000), Q(243, 10000), Q(5, 1000), Q(5, 1000), 5}};
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.NTicks << " " << static_cast<double>(c.Low) << " "
                                    << static_cast<double>(c.High));
    Extended start = -1, step = -1;
    Word nsub = 99;
    CalcScalePars(c.NTicks, c.Low, c.High, start, step, nsub);
    EXPECT_EQ(start, c.Start);
    EXPECT_EQ(step, c.Step);
    EXPECT_EQ(nsub, c.NSub);
  }
}

TEST(CalcScalePars, StepBelowResolutionOfStartTerminates) {
  Extended start = 0, step = 0;
  Word nsub = 0;
  const Extended low = -7.497158311775375e19, high = -7.497158311775366e19;
  CalcScalePars(10, low, high, start, step, nsub);
  EXPECT_EQ(step, 5000);
  EXPECT_LE(std::fabs(static_cast<double>(start - low)), 1e5);
}

TEST(CalcScalePars, NonFiniteRangeTerminates) {
  Extended start = 0, step = 0;
  Word nsub = 0;
  CalcScalePars(5, 0, std::numeric_limits<Extended>::infinity(), start, step, nsub);
  EXPECT_EQ(step, std::numeric_limits<Extended>::infinity());
  CalcScalePars(5, std::nan(""), 1, start, step, nsub);
  EXPECT_TRUE(std::isnan(static_cast<double>(step)));
}

struct DegCase {
  Integer Deg, Min, Sec;
  bool Up;
  Integer EDeg, EMin, ESec;
};

TEST(RoundDegrees, WorkedExamples) {
  const DegCase cases[] = {
      {4, 30, 0, true, 5, 0, 0},    {4, 30, 0, false, 3, 0, 0},    {0, 40, 0, true, 1, 0, 0},
      {0, 0, 7, false, 0, 0, 5},    {-1, 0, 0, true, 0, 0, 0},     {0, -1, 5, false, 0, 0, 0},
      {400, 0, 0, true, 360, 0, 0}, {100, 0, 0, false, 90, 0, 0},  {0, 20, 0, true, 0, 20, 0},
      {0, 20, 59, true, 0, 30, 0},  {0, 70, 0, false, 0, 30, 0},   {0, 0, 45, true, 0, 1, 0},
      {0, 0, 0, true, 0, 0, 0},     {0, 0, 99, false, 0, 0, 30},   {0, 0, 12, true, 0, 0, 15},
      {1, 0, 0, false, 1, 0, 0},    {360, 59, 59, true, 360, 0, 0}};
  for (const DegCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Deg << " " << c.Min << " " << c.Sec << " " << c.Up);
    Integer d = c.Deg, m = c.Min, s = c.Sec;
    RoundDegrees(d, m, s, c.Up);
    EXPECT_EQ(d, c.EDeg);
    EXPECT_EQ(m, c.EMin);
    EXPECT_EQ(s, c.ESec);
  }
}

TEST(CanonicalAngle, DegreesAndRadians) {
  EXPECT_EQ(CanonicalAngleDegrees(540), 180.0);
  EXPECT_EQ(CanonicalAngleDegrees(-540), -180.0);
  EXPECT_EQ(CanonicalAngleDegrees(190), -170.0);
  EXPECT_EQ(CanonicalAngleDegrees(-190), 170.0);
  EXPECT_EQ(CanonicalAngleDegrees(360), 0.0);
  EXPECT_EQ(CanonicalAngleDegrees(45), 45.0);
  EXPECT_NEAR(CanonicalAngleDegrees(1000), -80.0, 1e-12);
  const double pi = std::numbers::pi;
  EXPECT_EQ(CanonicalAngleRadians(2 * pi), 0.0);
  EXPECT_NEAR(CanonicalAngleRadians(1.5 * pi), -0.5 * pi, 1e-15);
  EXPECT_NEAR(CanonicalAngleRadians(-1.5 * pi), 0.5 * pi, 1e-15);
  EXPECT_NEAR(CanonicalAngleRadians(3 * pi), pi, 1e-15);
  for (double x = -20; x <= 20; x += 0.3) {
    const double c = CanonicalAngleRadians(x);
    EXPECT_LE(std::fabs(c), pi);
    EXPECT_NEAR(std::remainder(c - x, 2 * pi), 0.0, 1e-13);
  }
}

}  // namespace
}  // namespace nuv
