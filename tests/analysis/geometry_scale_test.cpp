// Points, segments, polygons, straight lines, complex quotients and the parabola and circle
// fits in any unit: lengths, points and quotients scale exactly, angles stay.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/NUV_sline.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/scalar/NUV_complex.hpp"
#include "nuv/scalar/NUV_math1.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::RelNear;
using test::ScaleFactors;

TEST(GeometryScale, DistancesAndLengthsScaleExactly) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    EXPECT_TRUE(RelNear(EuclideanDistance(0.0, 0.0, 3 * f, 4 * f), 5 * f, kScaleTol));
    // (0, 5f) is 4f from the segment (0, 0)-(3f, 4f)... measured against its own foot point
    const TPointDouble p{0, 5 * f}, a{0, 0}, b{3 * f, 4 * f};
    EXPECT_TRUE(RelNear(DistanceToSegment(p, a, b), 3 * f, kScaleTol));
    const TPDblArray tri{{0, 0}, {3 * f, 0}, {3 * f, 4 * f}};
    EXPECT_TRUE(RelNear(PolygonLength(tri, true), 12 * f, kScaleTol));
  }
  // a unit square far from the origin keeps its area
  const double off = 1e12;
  const TPDblArray square{{off, off}, {off + 1, off}, {off + 1, off + 1}, {off, off + 1}};
  EXPECT_TRUE(RelNear(std::fabs(PolygonArea(square)), 1.0, 1e-15));
}

TEST(GeometryScale, LinesMeetAtTheSamePointAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TSLine l1(nullptr), l2(nullptr);  // x - y = 0 and x + y - 2 = 0
    l1.SetParA(1 * f);
    l1.SetParB(-1 * f);
    l1.SetParC(0);
    l2.SetParA(1 * f);
    l2.SetParB(1 * f);
    l2.SetParC(-2 * f);
    double x = 0, y = 0;
    ASSERT_TRUE(l1.InterSection(&l2, x, y));
    EXPECT_TRUE(RelNear(x, 1, kScaleTol));
    EXPECT_TRUE(RelNear(y, 1, kScaleTol));
    EXPECT_TRUE(RelNear(l1.AngleBetweenLines(&l2), std::numbers::pi / 2, kScaleTol));
    TSLine l3(nullptr);  // y = 0, 45 degrees from the first
    l3.SetParA(0);
    l3.SetParB(1 / f);
    EXPECT_TRUE(RelNear(l1.AngleBetweenLines(&l3), std::numbers::pi / 4, kScaleTol));
  }
}

TEST(GeometryScale, ComplexQuotientsScaleExactly) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    // (3 + 4i)f / (1 + 2i) = (2.2 - 0.4i)f, and divided by f as well
    const TComplex q = CpxDiv(Cpx(3 * f, 4 * f), Cpx(1, 2));
    EXPECT_TRUE(RelNear(q.re, 2.2 * f, kScaleTol));
    EXPECT_TRUE(RelNear(q.im, -0.4 * f, kScaleTol));
    const TComplex r = CpxDiv(Cpx(3 * f, 4 * f), Cpx(f, 2 * f));
    EXPECT_TRUE(RelNear(r.re, 2.2, kScaleTol));
    EXPECT_TRUE(RelNear(r.im, -0.4, kScaleTol));
  }
  const TComplex a = CpxDiv(Cpx(1e-200, 1e-200), Cpx(1e-150, 1e-150));
  EXPECT_TRUE(RelNear(a.re, 1e-50, 1e-15));
  EXPECT_EQ(a.im, 0.0);
  EXPECT_TRUE(RelNear(CpxDiv(Cpx(1e-180, 0), Cpx(1e-150, 0)).re, 1e-30, 1e-15));
  const TComplex big = CpxDiv(Cpx(1e308, 1e308), Cpx(1, 1));
  EXPECT_TRUE(RelNear(big.re, 1e308, 1e-15));
  EXPECT_EQ(big.im, 0.0);
  // A quotient beyond the range of Extended raises (on x86-32 Extended holds 1e318).
  if constexpr (sizeof(Extended) == sizeof(double)) {
    NUV_EXPECT_THROW_MSG(CpxDiv(Cpx(1e308, 0), Cpx(1e-10, 0)), ENUVComplexError,
                         "CpxDiv: division by zero");
  }
}

TEST(GeometryScale, ParabolaAndCircleFitsAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    // y = 0.25 x^2 - x + 2 in x units of f, y in units of 1
    TCurveFit p(nullptr);
    for (int i = -3; i <= 4; ++i) p.EnterStatValue(i * f, 0.25 * i * i - i + 2);
    double k0 = 0, k1 = 0, k2 = 0, q = 0;
    p.CalcParabolFit(k0, k1, k2, q);
    if (std::fabs(f) < 1e150 && std::fabs(f) > 1e-150) {  // k2 = 0.25/f^2 itself is normal
      EXPECT_TRUE(RelNear(k2 * f * f, 0.25, kScaleTol));
    }
    EXPECT_TRUE(RelNear(k1 * f, -1, kScaleTol));
    EXPECT_TRUE(RelNear(k0, 2, kScaleTol));
    // points of the circle about (1, 2)f with radius 5f
    TCurveFit c(nullptr);
    const double pts[][2] = {{6, 2}, {1, 7}, {-4, 2}, {1, -3}, {4, 6}, {-2, -2}};
    for (const auto& pt : pts) c.EnterStatValue(pt[0] * f, pt[1] * f);
    double r = 0, dx = 0, dy = 0;
    c.CalcCircleFit(r, dx, dy);
    EXPECT_TRUE(RelNear(r, 5 * f, kScaleTol));
    EXPECT_TRUE(RelNear(dx, 1 * f, kScaleTol));
    EXPECT_TRUE(RelNear(dy, 2 * f, kScaleTol));
  }
}

}  // namespace
}  // namespace nuv
