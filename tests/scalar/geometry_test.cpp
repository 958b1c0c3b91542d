#include <cmath>
#include <limits>
#include <numbers>

#include "nuv/scalar/math1_geometry.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

constexpr double kPi = std::numbers::pi;
// A point computed on the ellipse is on it only up to rounding of cos, sin and the bisection.
constexpr double kOnEllipse = 1e-12;

TEST(GeometryCcwTriangle, SignOfTheTurn) {
  EXPECT_EQ(CcwTriangle({0, 0}, {1, 0}, {0, 1}), 1);
  EXPECT_EQ(CcwTriangle({0, 0}, {0, 1}, {1, 0}), -1);
  EXPECT_EQ(CcwTriangle({0, 0}, {1, 1}, {3, 3}), 0);
  // Exact sign, no tolerance: a turn of one unit in the last place still counts.
  EXPECT_EQ(CcwTriangle({0, 0}, {1, 0}, {2, std::numeric_limits<double>::denorm_min()}), 1);
}

TEST(GeometrySegmentsIntersect, CrossingTouchingAndApart) {
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 2}, {0, 2}, {2, 0}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {1, 0}, {0, 1}, {1, 1}));
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 0}, {1, 0}, {1, 5}));   // T touch
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {1, 1}, {1, 1}, {2, 0}));   // shared end
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {2, 0}, {1, 1}, {1, 5}));  // would meet if longer
}

TEST(GeometrySegmentsIntersect, CollinearOnlyWhenOverlappingOrTouching) {
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {1, 0}, {2, 0}, {3, 0}));
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 0}, {1, 0}, {3, 0}));
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {1, 0}, {1, 0}, {3, 0}));
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {3, 3}, {2, 2}, {1, 1}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {1, 1}, {3, 3}, {2, 2}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {0, 1}, {0, 2}, {0, 3}));  // vertical
  // Single points: on the segment or not.
  EXPECT_TRUE(SegmentsIntersect({0, 0}, {2, 0}, {1, 0}, {1, 0}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {2, 0}, {5, 0}, {5, 0}));
  EXPECT_FALSE(SegmentsIntersect({0, 0}, {2, 0}, {1, 1}, {1, 1}));
  EXPECT_TRUE(SegmentsIntersect({1, 1}, {1, 1}, {1, 1}, {1, 1}));
}

TEST(GeometryDistanceToSegment, ProjectionAndEnds) {
  EXPECT_EQ(DistanceToSegment({0, 1}, {0, 0}, {2, 0}), 1.0);
  EXPECT_EQ(DistanceToSegment({3, 0}, {0, 0}, {2, 0}), 1.0);
  EXPECT_EQ(DistanceToSegment({-3, -4}, {0, 0}, {2, 0}), 5.0);
  EXPECT_EQ(DistanceToSegment({4, 5}, {1, 1}, {1, 1}), 5.0);
  EXPECT_EQ(EuclideanDistance({1, 1}, {4, 5}), 5.0);
  EXPECT_EQ(EuclideanDistance(1, 1, -2, -3), 5.0);
}

TEST(GeometryDistFromRect, InsideBordersSidesAndCorners) {
  const TRect r{0, 0, 10, 10};
  EXPECT_EQ(DistFromRect({5, 5}, r), 0);
  EXPECT_EQ(DistFromRect({-3, 5}, r), 3);
  EXPECT_EQ(DistFromRect({0, 5}, r), 0);
  EXPECT_EQ(DistFromRect({5, 0}, r), 0);
  EXPECT_EQ(DistFromRect({5, -2}, r), 2);
  EXPECT_EQ(DistFromRect({5, 17}, r), 7);
  EXPECT_EQ(DistFromRect({12, 5}, r), 2);
  EXPECT_EQ(DistFromRect({13, 14}, r), 5);
  EXPECT_EQ(DistFromRect({10, 10}, r), 0);
  EXPECT_EQ(DistFromRect({-1, -1}, r), 1);  // sqrt 2 rounds to 1
  EXPECT_EQ(DistFromRect({-2, -2}, r), 3);  // sqrt 8 = 2.83 rounds to 3
}

TEST(GeometryDistFromRect, LargeCoordinatesDoNotOverflow) {
  constexpr Integer kMax = std::numeric_limits<Integer>::max();
  constexpr Integer kMin = std::numeric_limits<Integer>::min();
  EXPECT_EQ(DistFromRect({kMin, 5}, {0, 0, 10, 10}), kMax);  // 2^31 saturates
  EXPECT_EQ(DistFromRect({kMin + 1, 5}, {0, 0, 10, 10}), kMax);
  EXPECT_EQ(DistFromRect({-1000000000, 5}, {1000000000, 0, 1000000001, 10}), 2000000000);
  EXPECT_EQ(DistFromRect({-1500000000, 5}, {1000000000, 0, 1000000001, 10}), kMax);
  EXPECT_EQ(DistFromRect({5, kMax}, {0, kMin, 10, -10}), kMax);
  EXPECT_EQ(DistFromRect({kMin, kMin}, {kMax, kMax, kMax, kMax}), kMax);
  // 3e8 and 4e8 away from a corner: 5e8 exactly.
  EXPECT_EQ(DistFromRect({-300000000, -400000000}, {0, 0, 10, 10}), 500000000);
}

TEST(GeometryDistFromEllipse, WorkedExamples) {
  TPointDouble n{};
  EXPECT_EQ(DistFromEllipse({0, 5}, 0, 0, 4, 2, n), 3.0);
  EXPECT_EQ(n.x, 0.0);
  EXPECT_EQ(n.y, 2.0);
  EXPECT_EQ(DistFromEllipse({5, 0}, 0, 0, 4, 2, n), 1.0);
  EXPECT_EQ(n.x, 4.0);
  EXPECT_EQ(n.y, 0.0);
  EXPECT_EQ(DistFromEllipse({4, 0}, 0, 0, 4, 2, n), 0.0);
  EXPECT_EQ(DistFromEllipse({0, 2}, 0, 0, 4, 2, n), 0.0);
  // Centre shifted, axes exchanged (the longer one along y), signs of the quadrant kept.
  EXPECT_EQ(DistFromEllipse({10, -20}, 10, -10, 2, 4, n), 6.0);
  EXPECT_EQ(n.x, 10.0);
  EXPECT_EQ(n.y, -14.0);
  for (double th = 0.1; th < 2 * kPi; th += 0.37) {
    const TPointDouble p{1 + 4 * std::cos(th), -2 + 2 * std::sin(th)};
    EXPECT_NEAR(DistFromEllipse(p, 1, -2, 4, 2, n), 0.0, kOnEllipse);
  }
}

// Distance to the ellipse by dense sampling of its parameter, refined by golden-section search.
double BruteDistance(TPointDouble p, double a, double b) {
  const auto f = [&](double th) {
    return std::hypot(p.x - a * std::cos(th), p.y - b * std::sin(th));
  };
  constexpr int kSamples = 20000;
  int best = 0;
  for (int i = 1; i < kSamples; ++i) {
    if (f(2 * kPi * i / kSamples) < f(2 * kPi * best / kSamples)) best = i;
  }
  double lo = 2 * kPi * (best - 1) / kSamples, hi = 2 * kPi * (best + 1) / kSamples;
  const double g = (std::sqrt(5.0) - 1) / 2;
  for (int i = 0; i < 200; ++i) {
    const double m1 = hi - g * (hi - lo), m2 = lo + g * (hi - lo);
    (f(m1) < f(m2) ? hi : lo) = f(m1) < f(m2) ? m2 : m1;
  }
  return f((lo + hi) / 2);
}

TEST(GeometryDistFromEllipse, AgreesWithSampledMinimum) {
  const double a = 5, b = 2;
  const TPointDouble pts[] = {{1, 0.5}, {-3, 1},   {6, 6},     {-0.2, -0.1}, {4.9, 0.01},
                              {2, 0},   {0, -0.5}, {-10, 0.3}, {0.3, 7},     {3, -1.9}};
  for (const TPointDouble& p : pts) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    TPointDouble n{};
    const double d = DistFromEllipse(p, 0, 0, a, b, n);
    EXPECT_NEAR(d, BruteDistance(p, a, b), 1e-9);
    EXPECT_NEAR((n.x / a) * (n.x / a) + (n.y / b) * (n.y / b), 1.0, kOnEllipse);
    EXPECT_NEAR(EuclideanDistance(p, n), d, 1e-12);
  }
}

TEST(GeometryDistFromEllipse, DegenerateAndNegativeAxes) {
  TPointDouble n{};
  // Negative semi-axes describe the same ellipse.
  EXPECT_EQ(DistFromEllipse({0, 5}, 0, 0, -4, -2, n), 3.0);
  EXPECT_EQ(n.y, 2.0);
  // A zero short axis: the segment from -4 to 4 on x.
  EXPECT_EQ(DistFromEllipse({1, 3}, 0, 0, 4, 0, n), 3.0);
  EXPECT_EQ(n.x, 1.0);
  EXPECT_EQ(n.y, 0.0);
  EXPECT_EQ(DistFromEllipse({7, 4}, 0, 0, 4, 0, n), 5.0);
  EXPECT_EQ(n.x, 4.0);
  EXPECT_EQ(DistFromEllipse({4, -7}, 1, 1, 0, 4, n), 5.0);  // segment on x = 1, y in -3..5
  EXPECT_EQ(n.x, 1.0);
  EXPECT_EQ(n.y, -3.0);
  EXPECT_EQ(DistFromEllipse({4, 2}, 1, 1, 0, -4, n), 3.0);
  EXPECT_EQ(n.x, 1.0);
  EXPECT_EQ(n.y, 2.0);
  // Both axes zero: the centre.
  EXPECT_EQ(DistFromEllipse({4, 5}, 1, 1, 0, 0, n), 5.0);
  EXPECT_EQ(n.x, 1.0);
  EXPECT_EQ(n.y, 1.0);
  // NaN input terminates.
  const double d = DistFromEllipse({std::nan(""), 1}, 0, 0, 4, 2, n);
  EXPECT_TRUE(std::isnan(d));
}

TEST(GeometryAngleToXAxis, Quadrants) {
  EXPECT_EQ(AngleToXAxis(0, 0), 3 * kPi / 2);
  EXPECT_EQ(AngleToXAxis(0, 1), kPi / 2);
  EXPECT_EQ(AngleToXAxis(0, -1), 3 * kPi / 2);
  EXPECT_EQ(AngleToXAxis(-1, 0), kPi);
  EXPECT_TRUE(RelNear(AngleToXAxis(1, -1), 7 * kPi / 4, 1e-15));
  EXPECT_TRUE(RelNear(AngleToXAxis(-1, -1), 5 * kPi / 4, 1e-15));
  EXPECT_TRUE(RelNear(AngleToXAxis(1, 1), kPi / 4, 1e-15));
  EXPECT_EQ(AngleToXAxis(1, 0), 0.0);
}

TEST(GeometryRect, WithinAndConfine) {
  const TRectDouble r{10, 0, 0, 10};
  EXPECT_TRUE(WithinRect({0, 10}, r));
  EXPECT_TRUE(WithinRect({5, 5}, r));
  EXPECT_FALSE(WithinRect({10.5, 5}, r));
  EXPECT_FALSE(WithinRect({5, -0.1}, r));
  TPointDouble p{12, -1};
  EXPECT_TRUE(ConfinePointToRect(p, r));
  EXPECT_EQ(p.x, 10.0);
  EXPECT_EQ(p.y, 0.0);
  TPointDouble q{3, 4};
  EXPECT_FALSE(ConfinePointToRect(q, r));
  EXPECT_EQ(q.x, 3.0);
  EXPECT_EQ(q.y, 4.0);
}

}  // namespace
}  // namespace nuv
