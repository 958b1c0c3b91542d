// TSLine: parameter rules, messages, intersections, angles, distances, conversions and clipping,
// on lines whose answers are exact.
#include <cmath>
#include <numbers>
#include <type_traits>

#include "nuv/analysis/NUV_sline.hpp"
#include "nuv/base/errors.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kPi = std::numbers::pi;
// sin/cos/atan of the test angles are within an ulp or two of the exact values.
constexpr double kTol = 1e-15;
constexpr const char* kBothZero = "parameter A and B must not both be zero";

void Expect(const TSLine& L, double A, double B, double C) {
  EXPECT_EQ(L.ParA(), A);
  EXPECT_EQ(L.ParB(), B);
  EXPECT_EQ(L.ParC(), C);
}

TEST(TSLineError, IsPlatformExceptionNotNuvError) {
  static_assert(std::is_base_of_v<Exception, ENUVSLineError>);
  static_assert(!std::is_base_of_v<ENUVError, ENUVSLineError>);
  TSLine L(nullptr);
  L.SetName("named");
  L.SetParA(0.0);
  // No component prefix even for a named line.
  NUV_EXPECT_THROW_MSG(L.SetParB(0.0), ENUVSLineError, kBothZero);
}

TEST(TSLineParams, CreateIsXAxisAndWritersKeepAOrBNonZero) {
  TSLine L(nullptr);
  Expect(L, 0.0, 1.0, 0.0);
  EXPECT_FALSE(L.SubstituteInf());
  L.SetParA(0.0);
  NUV_EXPECT_THROW_MSG(L.SetParB(0.0), ENUVSLineError, kBothZero);
  Expect(L, 0.0, 1.0, 0.0);
  L.SetParA(2.0);
  L.SetParB(0.0);
  NUV_EXPECT_THROW_MSG(L.SetParA(0.0), ENUVSLineError, kBothZero);
  Expect(L, 2.0, 0.0, 0.0);
  L.SetParC(-7.5);
  Expect(L, 2.0, 0.0, -7.5);
}

TEST(TSLineIntersection, CrossingAndParallelLines) {
  TSLine a(nullptr), b(nullptr);
  a.LineFromSlopeIcpt(1.0, 0.0);   // y = x
  b.LineFromSlopeIcpt(-1.0, 2.0);  // y = -x + 2
  double x = test::kSentinel, y = test::kSentinel;
  EXPECT_TRUE(a.InterSection(&b, x, y));
  EXPECT_EQ(x, 1.0);
  EXPECT_EQ(y, 1.0);

  // 2x + 3y - 12 = 0 and x - y + 1 = 0 meet at (9/5, 14/5).
  a.LineFrom2Points(0.0, 4.0, 6.0, 0.0);
  b.LineFromSlopeIcpt(1.0, 1.0);
  EXPECT_TRUE(a.InterSection(&b, x, y));
  EXPECT_NEAR(x, 1.8, kTol);
  EXPECT_NEAR(y, 2.8, kTol);

  b.ParallelLine(5.0, 5.0, &a);
  x = y = test::kSentinel;
  EXPECT_FALSE(a.InterSection(&b, x, y));
  EXPECT_FALSE(a.InterSection(&a, x, y));
  EXPECT_FALSE(a.InterSection(nullptr, x, y));
  EXPECT_EQ(x, test::kSentinel);
  EXPECT_EQ(y, test::kSentinel);
}

TEST(TSLineAngle, AcuteAngleBetweenLines) {
  TSLine xAxis(nullptr), yAxis(nullptr), diag(nullptr), steep(nullptr);
  yAxis.LineFrom2Points(0.0, 0.0, 0.0, 1.0);
  diag.LineFromSlopeIcpt(1.0, 0.0);
  steep.LineFromSlopeIcpt(-1.0, 3.0);
  EXPECT_EQ(xAxis.AngleBetweenLines(&yAxis), kPi / 2);
  EXPECT_NEAR(diag.AngleBetweenLines(&xAxis), kPi / 4, kTol);
  EXPECT_NEAR(xAxis.AngleBetweenLines(&diag), kPi / 4, kTol);
  EXPECT_EQ(diag.AngleBetweenLines(&steep), kPi / 2);
  EXPECT_EQ(diag.AngleBetweenLines(&diag), 0.0);
  // y = sqrt(3)·x is 60° from the x axis and 30° from the y axis: never above π/2.
  TSLine s60(nullptr);
  s60.LineThroughPoint(0.0, 0.0, kPi / 3);
  EXPECT_NEAR(s60.AngleBetweenLines(&xAxis), kPi / 3, kTol);
  EXPECT_NEAR(s60.AngleBetweenLines(&yAxis), kPi / 6, kTol);
  TSLine s120(nullptr);
  s120.LineThroughPoint(1.0, 1.0, 2 * kPi / 3);
  EXPECT_NEAR(s120.AngleBetweenLines(&xAxis), kPi / 3, kTol);
  EXPECT_TRUE(std::isnan(xAxis.AngleBetweenLines(nullptr)));
}

TEST(TSLineBuild, FromPointsSlopeAndAngle) {
  TSLine L(nullptr);
  EXPECT_TRUE(L.LineFrom2Points(0.0, 0.0, 1.0, 1.0));
  Expect(L, -1.0, 1.0, 0.0);
  EXPECT_EQ(L.Slope(), 1.0);
  EXPECT_EQ(L.Intercept(), 0.0);
  EXPECT_NEAR(L.Direction(), kPi / 4, kTol);

  EXPECT_FALSE(L.LineFrom2Points(3.0, -2.0, 3.0, -2.0));
  Expect(L, -1.0, 1.0, 0.0);

  EXPECT_TRUE(L.LineFrom2Points(1.0, 2.0, 3.0, 8.0));  // y = 3x - 1
  double k = 0, d = 0;
  L.CalcKDForm(k, d);
  EXPECT_EQ(k, 3.0);
  EXPECT_EQ(d, -1.0);
  EXPECT_EQ(L.CalcY(2.0), 5.0);
  EXPECT_EQ(L.CalcX(11.0), 4.0);

  L.LineFromSlopeIcpt(0.5, -2.0);
  Expect(L, 0.5, -1.0, -2.0);
  EXPECT_EQ(L.Slope(), 0.5);
  EXPECT_EQ(L.Intercept(), -2.0);

  // Through (2, 3) at 45°: y = x + 1.
  L.LineThroughPoint(2.0, 3.0, kPi / 4);
  EXPECT_NEAR(L.Slope(), 1.0, kTol);
  EXPECT_NEAR(L.Intercept(), 1.0, 4 * kTol);
  EXPECT_NEAR(L.Distance(2.0, 3.0), 0.0, 4 * kTol);
}

TEST(TSLineDirection, AllQuadrantsAndVerticals) {
  TSLine L(nullptr);
  struct Case {
    double x1, y1, x2, y2, dir;
  } cases[] = {
      {0, 0, 1, 0, 0.0},          {0, 0, 1, 1, kPi / 4},      {0, 0, 0, 1, kPi / 2},
      {0, 0, -1, 1, 3 * kPi / 4}, {0, 0, -1, 0, kPi},         {0, 0, -1, -1, 5 * kPi / 4},
      {0, 1, 0, 0, 3 * kPi / 2},  {0, 0, 1, -1, 7 * kPi / 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    ASSERT_TRUE(L.LineFrom2Points(c.x1, c.y1, c.x2, c.y2));
    EXPECT_NEAR(L.Direction(), c.dir, 4 * kTol);
    EXPECT_GE(L.Direction(), 0.0);
    EXPECT_LT(L.Direction(), 2 * kPi);
  }
  L.LineFrom2Points(0.0, 0.0, 0.0, 1.0);
  Expect(L, -1.0, 0.0, 0.0);
  EXPECT_EQ(L.Direction(), kPi / 2);
}

TEST(TSLineErrors, VerticalAndHorizontalLinesRaiseAndStayUnchanged) {
  TSLine v(nullptr);
  v.LineFrom2Points(2.0, 0.0, 2.0, 1.0);  // x = 2: A = -1, B = 0, C = 2
  Expect(v, -1.0, 0.0, 2.0);
  NUV_EXPECT_THROW_MSG(v.Slope(), ENUVSLineError, "slope is infinite");
  NUV_EXPECT_THROW_MSG(v.Intercept(), ENUVSLineError,
                       "cannot calculate intercept (line is parallel to y axis)");
  double k = test::kSentinel, d = test::kSentinel;
  NUV_EXPECT_THROW_MSG(v.CalcKDForm(k, d), ENUVSLineError,
                       "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(k, test::kSentinel);
  EXPECT_EQ(d, test::kSentinel);
  NUV_EXPECT_THROW_MSG(v.CalcY(5.0), ENUVSLineError, "cannot calculate y");
  EXPECT_EQ(v.CalcX(123.0), 2.0);
  Expect(v, -1.0, 0.0, 2.0);

  v.SetSubstituteInf(true);
  // (-x·A - C)/1e-100 = (3 - 2)/1e-100.
  EXPECT_EQ(v.CalcY(3.0), 1.0 / 1e-100);
  EXPECT_EQ(v.CalcY(2.0), 0.0);

  TSLine h(nullptr);
  h.SetParC(-4.0);  // y = 4
  NUV_EXPECT_THROW_MSG(h.CalcX(1.0), ENUVSLineError, "cannot calculate x");
  EXPECT_EQ(h.CalcY(-9.0), 4.0);
  h.SetSubstituteInf(true);
  EXPECT_EQ(h.CalcX(1.0), 3.0 / 1e-100);
}

TEST(TSLineDistance, SignedDistance) {
  TSLine L(nullptr);
  EXPECT_EQ(L.Distance(0.0, 1.0), 1.0);
  EXPECT_EQ(L.Distance(0.0, -1.0), -1.0);
  // 3x + 4y - 10 = 0: (6, 8) lies (18 + 32 - 10)/5 = 8 away.
  L.SetParA(3.0);
  L.SetParB(4.0);
  L.SetParC(-10.0);
  EXPECT_EQ(L.Distance(6.0, 8.0), 8.0);
  EXPECT_EQ(L.Distance(0.0, 0.0), -2.0);
  // Coefficients whose squares overflow or underflow give the same distance.
  L.SetParA(3e200);
  L.SetParB(4e200);
  L.SetParC(-10e200);
  EXPECT_TRUE(test::RelNear(L.Distance(6.0, 8.0), 8.0, 1e-15));
  L.SetParA(3e-200);
  L.SetParB(4e-200);
  L.SetParC(-10e-200);
  EXPECT_TRUE(test::RelNear(L.Distance(6.0, 8.0), 8.0, 1e-15));
}

TEST(TSLineNormalParallel, ThroughPointAndSelfReference) {
  TSLine base(nullptr), n(nullptr), p(nullptr);
  base.LineFromSlopeIcpt(2.0, 1.0);  // 2x - y + 1 = 0
  n.NormalLine(1.0, 1.0, &base);
  Expect(n, 1.0, 2.0, -3.0);  // x + 2y - 3 = 0
  EXPECT_EQ(n.Distance(1.0, 1.0), 0.0);
  EXPECT_EQ(n.AngleBetweenLines(&base), kPi / 2);
  double x = 0, y = 0;
  ASSERT_TRUE(n.InterSection(&base, x, y));
  EXPECT_NEAR(x, 0.2, kTol);  // foot of the perpendicular from (1, 1)
  EXPECT_NEAR(y, 1.4, kTol);

  p.ParallelLine(0.0, 5.0, &base);
  Expect(p, 2.0, -1.0, 5.0);
  EXPECT_EQ(p.Slope(), 2.0);
  EXPECT_EQ(p.Intercept(), 5.0);

  // A line may take itself as the other line.
  base.NormalLine(1.0, 1.0, &base);
  Expect(base, 1.0, 2.0, -3.0);
  base.ParallelLine(3.0, 0.0, &base);
  Expect(base, 1.0, 2.0, -3.0);

  base.NormalLine(9.0, 9.0, nullptr);
  base.ParallelLine(9.0, 9.0, nullptr);
  Expect(base, 1.0, 2.0, -3.0);
}

struct ClipResult {
  bool ok;
  double x1, y1, x2, y2;
};

ClipResult Clip(TSLine& L, double bllx, double blly, double burx, double bury) {
  ClipResult r{false, test::kSentinel, test::kSentinel, test::kSentinel, test::kSentinel};
  r.ok = L.ClipBox(bllx, blly, burx, bury, r.x1, r.y1, r.x2, r.y2);
  return r;
}

void ExpectClip(const ClipResult& r, double x1, double y1, double x2, double y2) {
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.x1, x1);
  EXPECT_EQ(r.y1, y1);
  EXPECT_EQ(r.x2, x2);
  EXPECT_EQ(r.y2, y2);
}

TEST(TSLineClipBox, CrossingLinesGiveEdgePointsInEdgeOrder) {
  TSLine L(nullptr);
  L.LineFromSlopeIcpt(0.0, 0.5);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.0, 0.5, 1.0, 0.5);
  L.LineFromSlopeIcpt(0.0, 2.0);
  ClipResult r = Clip(L, 0, 0, 1, 1);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.x1, test::kSentinel);
  EXPECT_EQ(r.y2, test::kSentinel);

  // Bottom then top edge: y = 2x - 1 in [0, 4] x [0, 3] runs from (0.5, 0) to (2, 3).
  L.LineFromSlopeIcpt(2.0, -1.0);
  ExpectClip(Clip(L, 0, 0, 4, 3), 0.5, 0.0, 2.0, 3.0);
  // Left then top edge: y = x + 0.5 in the unit square.
  L.LineFromSlopeIcpt(1.0, 0.5);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.0, 0.5, 0.5, 1.0);
  // Vertical line x = 0.25: bottom and top edge.
  L.LineFrom2Points(0.25, 7.0, 0.25, -7.0);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.25, 0.0, 0.25, 1.0);
  EXPECT_FALSE(Clip(L, 1, 0, 2, 1).ok);
}

TEST(TSLineClipBox, CornersAndEdgesKeepTheWholeClippedPart) {
  TSLine L(nullptr);
  // Diagonal through two corners.
  L.LineFromSlopeIcpt(1.0, 0.0);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.0, 0.0, 1.0, 1.0);
  // Through the corner (0, 0) and the top edge at (0.5, 1): the corner is met twice.
  L.LineFromSlopeIcpt(2.0, 0.0);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.0, 0.0, 0.5, 1.0);
  // Touching only the corner (1, 1).
  L.LineFromSlopeIcpt(-1.0, 2.0);
  ExpectClip(Clip(L, 0, 0, 1, 1), 1.0, 1.0, 1.0, 1.0);
  // Along the bottom edge.
  L.LineFromSlopeIcpt(0.0, 0.0);
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.0, 0.0, 1.0, 0.0);
  // Along the left edge x = 0 (A = 1, B = 0).
  L.LineFrom2Points(0.0, 1.0, 0.0, 0.0);
  ClipResult r = Clip(L, 0, 0, 1, 1);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.x1, 0.0);
  EXPECT_EQ(r.x2, 0.0);
  EXPECT_EQ(std::fabs(r.y2 - r.y1), 1.0);
}

TEST(TSLineClipBox, RestoresSubstituteInfAndNeverRaises) {
  TSLine L(nullptr);
  L.LineFrom2Points(0.5, 0.0, 0.5, 1.0);
  EXPECT_FALSE(L.SubstituteInf());
  ExpectClip(Clip(L, 0, 0, 1, 1), 0.5, 0.0, 0.5, 1.0);
  EXPECT_FALSE(L.SubstituteInf());
  NUV_EXPECT_THROW_MSG(L.CalcY(0.0), ENUVSLineError, "cannot calculate y");
  L.SetSubstituteInf(true);
  EXPECT_TRUE(Clip(L, 0, 0, 1, 1).ok);
  EXPECT_TRUE(L.SubstituteInf());
}

}  // namespace
}  // namespace nuv
