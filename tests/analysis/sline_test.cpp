// TSLine: parameter rules and plain messages, intersections, angles, distances, conversions and
// clipping, on lines whose answers are exact.
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
constexpr double kTol = 4e-15;

void Expect(const TSLine& L, double A, double B, double C) {
  EXPECT_EQ(L.ParA(), A);
  EXPECT_EQ(L.ParB(), B);
  EXPECT_EQ(L.ParC(), C);
}

TEST(TSLineParams, WritersKeepAOrBNonZeroWithPlainMessages) {
  static_assert(std::is_base_of_v<Exception, ENUVSLineError>);
  static_assert(!std::is_base_of_v<ENUVError, ENUVSLineError>);
  TSLine L(nullptr);
  L.SetName("named");  // no component prefix even so
  Expect(L, 0.0, 1.0, 0.0);
  L.SetParA(0.0);
  NUV_EXPECT_THROW_MSG(L.SetParB(0.0), ENUVSLineError, "parameter A and B must not both be zero");
  L.SetParA(2.0);
  L.SetParB(0.0);
  NUV_EXPECT_THROW_MSG(L.SetParA(0.0), ENUVSLineError, "parameter A and B must not both be zero");
  Expect(L, 2.0, 0.0, 0.0);
}

TEST(TSLineIntersection, CrossingParallelAndNull) {
  TSLine a(nullptr), b(nullptr);
  a.LineFromSlopeIcpt(1.0, 0.0);
  b.LineFromSlopeIcpt(-1.0, 2.0);
  double x = test::kSentinel, y = test::kSentinel;
  EXPECT_TRUE(a.InterSection(&b, x, y));
  EXPECT_EQ(x, 1.0);
  EXPECT_EQ(y, 1.0);
  // 2x + 3y - 12 = 0 and y = x + 1 meet at (9/5, 14/5).
  a.LineFrom2Points(0.0, 4.0, 6.0, 0.0);
  b.LineFromSlopeIcpt(1.0, 1.0);
  EXPECT_TRUE(a.InterSection(&b, x, y));
  EXPECT_NEAR(x, 1.8, kTol);
  EXPECT_NEAR(y, 2.8, kTol);
  b.ParallelLine(5.0, 5.0, &a);
  x = y = test::kSentinel;
  EXPECT_FALSE(a.InterSection(&b, x, y));
  EXPECT_FALSE(a.InterSection(nullptr, x, y));
  EXPECT_EQ(x, test::kSentinel);
  EXPECT_EQ(y, test::kSentinel);
}

TEST(TSLineAngle, AcuteAngleBetweenLines) {
  TSLine xAxis(nullptr), yAxis(nullptr), diag(nullptr), s120(nullptr);
  yAxis.LineFrom2Points(0.0, 0.0, 0.0, 1.0);
  diag.LineFromSlopeIcpt(1.0, 0.0);
  s120.LineThroughPoint(1.0, 1.0, 2 * kPi / 3);
  EXPECT_EQ(xAxis.AngleBetweenLines(&yAxis), kPi / 2);
  EXPECT_NEAR(diag.AngleBetweenLines(&xAxis), kPi / 4, kTol);
  EXPECT_NEAR(s120.AngleBetweenLines(&xAxis), kPi / 3, kTol);  // 120° gives the acute 60°
  EXPECT_NEAR(s120.AngleBetweenLines(&yAxis), kPi / 6, kTol);
  EXPECT_EQ(xAxis.AngleBetweenLines(nullptr), 0.0);
  EXPECT_FALSE(std::signbit(s120.AngleBetweenLines(nullptr)));
}

TEST(TSLineBuild, PointsSlopeAngleAndDirection) {
  TSLine L(nullptr);
  EXPECT_TRUE(L.LineFrom2Points(0.0, 0.0, 1.0, 1.0));
  Expect(L, -1.0, 1.0, 0.0);
  EXPECT_EQ(L.Slope(), 1.0);
  EXPECT_EQ(L.Intercept(), 0.0);
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
  L.LineThroughPoint(2.0, 3.0, kPi / 4);  // y = x + 1
  EXPECT_NEAR(L.Slope(), 1.0, kTol);
  EXPECT_NEAR(L.Intercept(), 1.0, kTol);

  // Direction of the vector from the first to the second point, all octants.
  const double to[8][3] = {{1, 0, 0},  {1, 1, 1},   {0, 1, 2},  {-1, 1, 3},
                           {-1, 0, 4}, {-1, -1, 5}, {0, -1, 6}, {1, -1, 7}};
  for (const auto& t : to) {
    SCOPED_TRACE(t[2]);
    ASSERT_TRUE(L.LineFrom2Points(0.0, 0.0, t[0], t[1]));
    EXPECT_NEAR(L.Direction(), t[2] * kPi / 4, kTol);
  }
}

TEST(TSLineBuild, DirectionOfHorizontalLinesIsPositiveZeroOrPi) {
  TSLine L(nullptr);  // the x axis: A = 0, B = 1
  EXPECT_EQ(L.Direction(), 0.0);
  EXPECT_FALSE(std::signbit(L.Direction()));
  // A = -0 and a line running to the left.
  const struct {
    double A, B;
    double Want;
  } cases[] = {{-0.0, 1.0, 0.0}, {0.0, 3.0, 0.0}, {0.0, -1.0, kPi}, {-0.0, -2.0, kPi}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.B);
    L.SetParB(c.B);
    L.SetParA(c.A);
    EXPECT_EQ(L.Direction(), c.Want);
    EXPECT_FALSE(std::signbit(L.Direction()));
  }
  ASSERT_TRUE(L.LineFrom2Points(5.0, 2.0, 7.0, 2.0));  // A = 0 from the points
  EXPECT_FALSE(std::signbit(L.Direction()));
}

TEST(TSLineErrors, ZeroCoefficientRaisesOrSubstitutes) {
  TSLine v(nullptr);
  v.LineFrom2Points(2.0, 0.0, 2.0, 1.0);  // x = 2: A = -1, B = 0, C = 2
  NUV_EXPECT_THROW_MSG(v.Slope(), ENUVSLineError, "slope is infinite");
  NUV_EXPECT_THROW_MSG(v.Intercept(), ENUVSLineError,
                       "cannot calculate intercept (line is parallel to y axis)");
  double k = test::kSentinel, d = test::kSentinel;
  NUV_EXPECT_THROW_MSG(v.CalcKDForm(k, d), ENUVSLineError,
                       "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(k, test::kSentinel);
  EXPECT_EQ(d, test::kSentinel);
  NUV_EXPECT_THROW_MSG(v.CalcY(5.0), ENUVSLineError, "cannot calculate y");
  Expect(v, -1.0, 0.0, 2.0);
  v.SetSubstituteInf(true);
  EXPECT_EQ(v.CalcY(3.0), 1.0 / 1e-100);  // (-x·A - C)/1e-100

  TSLine h(nullptr);
  h.SetParC(-4.0);  // y = 4
  NUV_EXPECT_THROW_MSG(h.CalcX(1.0), ENUVSLineError, "cannot calculate x");
  h.SetSubstituteInf(true);
  EXPECT_EQ(h.CalcX(1.0), 3.0 / 1e-100);
}

TEST(TSLineDistance, SignedAndSafeForExtremeCoefficients) {
  TSLine L(nullptr);
  EXPECT_EQ(L.Distance(0.0, 1.0), 1.0);
  EXPECT_EQ(L.Distance(0.0, -1.0), -1.0);
  // 3x + 4y - 10 = 0 scaled by s: (6, 8) lies (18 + 32 - 10)/5 = 8 away for every s.
  for (double s : {1.0, 1e200, 1e-200}) {
    SCOPED_TRACE(s);
    L.SetParA(3 * s);
    L.SetParB(4 * s);
    L.SetParC(-10 * s);
    EXPECT_TRUE(test::RelNear(L.Distance(6.0, 8.0), 8.0, 1e-15));
  }
}

TEST(TSLineNormalParallel, ThroughPointIncludingItself) {
  TSLine base(nullptr), p(nullptr);
  base.LineFromSlopeIcpt(2.0, 1.0);  // 2x - y + 1 = 0
  p.ParallelLine(0.0, 5.0, &base);
  Expect(p, 2.0, -1.0, 5.0);
  p.NormalLine(1.0, 1.0, &base);
  Expect(p, 1.0, 2.0, -3.0);  // x + 2y - 3 = 0
  double x = 0, y = 0;
  ASSERT_TRUE(p.InterSection(&base, x, y));
  EXPECT_NEAR(x, 0.2, kTol);  // foot of the perpendicular from (1, 1)
  EXPECT_NEAR(y, 1.4, kTol);
  // The other line may be this line; a null one changes nothing.
  base.NormalLine(1.0, 1.0, &base);
  Expect(base, 1.0, 2.0, -3.0);
  base.NormalLine(9.0, 9.0, nullptr);
  base.ParallelLine(9.0, 9.0, nullptr);
  Expect(base, 1.0, 2.0, -3.0);
}

TEST(TSLineClipBox, EndPointsOfTheClippedPart) {
  struct Case {
    double x1, y1, x2, y2;  // two points of the line
    double bllx, blly, burx, bury;
    bool ok;
    double r[4];
  } cases[] = {
      {0, 0.5, 1, 0.5, 0, 0, 1, 1, true, {0, 0.5, 1, 0.5}},       // left, right
      {0, 2, 1, 2, 0, 0, 1, 1, false, {}},                        // above
      {0, -1, 1, 1, 0, 0, 4, 3, true, {0.5, 0, 2, 3}},            // bottom, top
      {0, 0.5, 1, 1.5, 0, 0, 1, 1, true, {0, 0.5, 0.5, 1}},       // left, top
      {0.25, 7, 0.25, -7, 0, 0, 1, 1, true, {0.25, 0, 0.25, 1}},  // vertical
      {0, 0, 1, 1, 0, 0, 1, 1, true, {0, 0, 1, 1}},               // two corners
      {0, 0, 1, 2, 0, 0, 1, 1, true, {0, 0, 0.5, 1}},             // corner met twice, top
      {0, 2, 2, 0, 0, 0, 1, 1, true, {1, 1, 1, 1}},               // touches one corner
      {0, 0, 1, 0, 0, 0, 1, 1, true, {0, 0, 1, 0}},               // along the bottom edge
  };
  TSLine L(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
    ASSERT_TRUE(L.LineFrom2Points(c.x1, c.y1, c.x2, c.y2));
    double r[4] = {test::kSentinel, test::kSentinel, test::kSentinel, test::kSentinel};
    EXPECT_EQ(L.ClipBox(c.bllx, c.blly, c.burx, c.bury, r[0], r[1], r[2], r[3]), c.ok);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i], c.ok ? c.r[i] : test::kSentinel) << i;
    EXPECT_FALSE(L.SubstituteInf());  // restored
  }
  // Along the left edge x = 0 the whole edge comes back.
  L.LineFrom2Points(0.0, 1.0, 0.0, 0.0);
  double x1, y1, x2, y2;
  ASSERT_TRUE(L.ClipBox(0, 0, 1, 1, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(x2, 0.0);
  EXPECT_EQ(std::fabs(y2 - y1), 1.0);
}

}  // namespace
}  // namespace nuv
