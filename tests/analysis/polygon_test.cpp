// Polygon and point geometry: exact examples on small polygons, great-circle distances against
// the haversine formula, and the convex hull against a monotone-chain hull built in the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

const TPDblArray kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
const TPDblArray kSquareCw{{0, 0}, {0, 1}, {1, 1}, {1, 0}};

TEST(PolygonArea, SignFollowsOrientationAndCountsCrossings) {
  EXPECT_EQ(PolygonArea(kSquare), 1.0);
  EXPECT_EQ(PolygonArea(kSquareCw), -1.0);
  Integer count = -7;
  EXPECT_EQ(PolygonArea(kSquare, count), 1.0);
  EXPECT_EQ(count, 0);
  const TPDblArray bowTie{{0, 0}, {1, 1}, {1, 0}, {0, 1}};
  EXPECT_EQ(PolygonArea(bowTie, count), 0.0);
  EXPECT_EQ(count, 1);
  // Empty input is rejected quietly.
  count = -7;
  EXPECT_EQ(PolygonArea(TPDblArray{}, count), 0.0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(PolygonArea(TPDblArray{}), 0.0);
  // One or two points: no edges that are not neighbours, so no crossings.
  count = -7;
  EXPECT_EQ(PolygonArea({{0, 0}, {2, 1}}, count), 0.0);
  EXPECT_EQ(count, 0);
}

TEST(PolygonLength, OpenAndClosedWithRectangle) {
  EXPECT_EQ(PolygonLength(kSquare, false), 3.0);
  EXPECT_EQ(PolygonLength(kSquare, true), 4.0);
  EXPECT_EQ(PolygonLength({{0, 0}, {3, 4}}, true), 10.0);
  EXPECT_EQ(PolygonLength({}, true), 0.0);

  double x1 = 9, y1 = 9, x2 = 9, y2 = 9;
  OuterRectOfPolygon({{2, -1}, {-3, 5}, {0, 7}, {4, 0}}, x1, y1, x2, y2);
  EXPECT_EQ(x1, -3.0);
  EXPECT_EQ(y1, -1.0);
  EXPECT_EQ(x2, 4.0);
  EXPECT_EQ(y2, 7.0);
  OuterRectOfPolygon({}, x1, y1, x2, y2);
  EXPECT_EQ(x1 + y1 + x2 + y2, 0.0);
}

TEST(PointIsInsidePolygon, StrictInteriorOnly) {
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, kSquare));
  EXPECT_TRUE(PointIsInsidePolygon(0.5, 0.5, kSquareCw));
  EXPECT_FALSE(PointIsInsidePolygon(1, 0.5, kSquare));  // on an edge
  EXPECT_FALSE(PointIsInsidePolygon(0.5, 0, kSquare));  // on a horizontal edge
  EXPECT_FALSE(PointIsInsidePolygon(1, 1, kSquare));    // a corner
  EXPECT_FALSE(PointIsInsidePolygon(2, 0.5, kSquare));
  EXPECT_FALSE(PointIsInsidePolygon(0.5, 0.5, {}));
}

TEST(PointIsInsideConvexHull, CounterClockwiseHullOnly) {
  EXPECT_TRUE(PointIsInsideConvexHull(0.5, 0.5, kSquare));
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0.5, kSquare));
  EXPECT_FALSE(PointIsInsideConvexHull(1.5, 0.5, kSquare));
  for (const TPointDouble p : {TPointDouble{0.5, 0.5}, {0.1, 0.9}, {0, 0.5}, {2, 2}}) {
    EXPECT_FALSE(PointIsInsideConvexHull(p.x, p.y, kSquareCw));
  }
  EXPECT_FALSE(PointIsInsideConvexHull(0, 0, {}));
}

TEST(DistanceToPolygon, OpenAndClosed) {
  const TPDblArray tri{{0, 0}, {1, 0}, {1, 1}};
  const TPointDouble p{0.2, 0.8};
  EXPECT_DOUBLE_EQ(DistanceToPolygon(p, tri, false), 0.8);
  EXPECT_DOUBLE_EQ(DistanceToPolygon(p, tri, true), 0.6 / std::numbers::sqrt2);
  EXPECT_EQ(DistanceToPolygon(p, {}, true), uc_MaxDouble);
  EXPECT_EQ(DistanceToPolygon(p, {{0.2, 0.8}}, false), uc_MaxDouble);
  EXPECT_EQ(DistanceToPolygon({3, 4}, {{0, 0}}, true), 5.0);
}

double Haversine(double r, double lat1, double lon1, double lat2, double lon2) {
  const double d = std::numbers::pi / 180;
  const double s1 = std::sin((lat2 - lat1) * d / 2);
  const double s2 = std::sin((lon2 - lon1) * d / 2);
  const double h = s1 * s1 + std::cos(lat1 * d) * std::cos(lat2 * d) * s2 * s2;
  return 2 * r * std::asin(std::min(1.0, std::sqrt(h)));
}

TEST(SphereGreatCircleDist, MatchesHaversine) {
  EXPECT_DOUBLE_EQ(SphereGreatCircleDist(1, 0, 0, 0, 90), std::numbers::pi / 2);
  // The clamp keeps arccos defined when rounding pushes the cosine above 1; a point and itself
  // give 0 where the cosine rounds to 1, and at most ~1.5e-8 radii (arccos(1 - eps)) elsewhere.
  EXPECT_EQ(SphereGreatCircleDist(1, 0, 0, 0, 0), 0.0);
  EXPECT_EQ(SphereGreatCircleDist(1, 90, 10, 90, 10), 0.0);
  EXPECT_LE(SphereGreatCircleDist(1, 47.07, 15.44, 47.07, 15.44), 1.5e-8);
  EXPECT_FALSE(std::isnan(SphereGreatCircleDist(1, 33.3, 12.7, 33.3, 12.7)));
  EXPECT_DOUBLE_EQ(SphereGreatCircleDist(2, 90, 0, -90, 0), 2 * std::numbers::pi);
  // arccos loses accuracy for tiny angles: the pairs below are at least ~1 degree apart,
  // where the two formulas agree to about 1e-13 relative.
  constexpr double kTol = 1e-12;
  std::uint32_t s = 12345;
  const auto next = [&s] {
    s = s * 1103515245u + 12345u;
    return (s >> 8) / double(1u << 24);
  };
  for (int k = 0; k < 200; ++k) {
    const double lat1 = next() * 180 - 90, lon1 = next() * 360 - 180;
    const double lat2 = next() * 180 - 90, lon2 = next() * 360 - 180;
    const double ref = Haversine(6371.0, lat1, lon1, lat2, lon2);
    if (ref < 6371.0 * 0.02 || ref > 6371.0 * (std::numbers::pi - 0.02)) continue;
    SCOPED_TRACE(k);
    EXPECT_TRUE(test::RelNear(SphereGreatCircleDist(6371.0, lat1, lon1, lat2, lon2), ref, kTol));
  }
}

// Andrew's monotone chain, strictly convex corners only, counter-clockwise.
TPDblArray BruteHull(TPDblArray p) {
  std::sort(p.begin(), p.end(), [](const TPointDouble& a, const TPointDouble& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  const auto cross = [](const TPointDouble& o, const TPointDouble& a, const TPointDouble& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  TPDblArray h(2 * p.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  for (std::size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(h[k - 2], h[k - 1], p[i]) <= 0) --k;
    h[k++] = p[i];
  }
  h.resize(k - 1);
  return h;
}

bool SameCycle(const TPDblArray& got, const TPDblArray& want) {
  if (got.size() != want.size() || got.empty()) return false;
  const auto start = std::find_if(want.begin(), want.end(), [&](const TPointDouble& q) {
    return q.x == got[0].x && q.y == got[0].y;
  });
  if (start == want.end()) return false;
  std::size_t o = static_cast<std::size_t>(start - want.begin());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const TPointDouble& w = want[(o + i) % want.size()];
    if (got[i].x != w.x || got[i].y != w.y) return false;
  }
  return true;
}

TEST(Convex2DHull, ExamplesAndDegenerateSets) {
  const TPDblArray five{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0.5}};
  const TPDblArray want{{1, 0}, {1, 1}, {0, 1}, {0, 0}};
  const TPDblArray got = Convex2DHull(five);
  ASSERT_EQ(got.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].x, want[i].x);
    EXPECT_EQ(got[i].y, want[i].y);
  }
  EXPECT_EQ(Convex2DHull({{5, 1}, {-2, 3}, {0, 0}})[1].x, -2.0);  // fewer than 4: unchanged
  // All points equal: the single point; duplicates of corners and points on edges vanish.
  const TPDblArray equal(6, TPointDouble{2.5, -1});
  const TPDblArray one = Convex2DHull(equal);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].x, 2.5);
  EXPECT_EQ(one[0].y, -1.0);
  const TPDblArray dup{{0, 0}, {2, 0}, {2, 2}, {0, 2}, {2, 2}, {1, 0}, {0, 0}, {1, 1}};
  EXPECT_TRUE(SameCycle(Convex2DHull(dup), BruteHull(dup)));
  // A thin triangle whose corners span more than half a turn around the mean of the points.
  const TPDblArray thin{{4, 6}, {6, 1}, {5, 3}, {6, 1}};
  EXPECT_TRUE(SameCycle(Convex2DHull(thin), BruteHull(thin)));
  // A NaN coordinate neither hangs nor returns more points than given.
  EXPECT_LE(Convex2DHull({{0, 0}, {1, 0}, {std::nan(""), 1}, {0, 1}, {2, 2}}).size(), 5u);
  // Collinear points keep the two ends.
  const TPDblArray line{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {5, 5}};
  const TPDblArray ends = Convex2DHull(line);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_TRUE(SameCycle(ends, {{5, 5}, {0, 0}}) || SameCycle(ends, {{0, 0}, {5, 5}}));
}

TEST(Convex2DHull, MatchesMonotoneChainOnRandomSets) {
  std::uint32_t s = 2024;
  const auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return (s >> 8) / double(1u << 24);
  };
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 4 + trial % 60;
    TPDblArray pts;
    for (int i = 0; i < n; ++i) {
      if (trial % 3 == 0) {
        pts.push_back({std::floor(next() * 8), std::floor(next() * 8)});  // grid: ties, collinear
      } else if (trial % 3 == 1) {
        const double a = next() * 2 * std::numbers::pi, r = 1 + 0.2 * next();
        pts.push_back({3 + r * std::cos(a), -1 + r * std::sin(a)});  // ring: most are corners
      } else {
        pts.push_back({next() * 10 - 5, next() * 4});
      }
    }
    const TPDblArray got = Convex2DHull(pts);
    const TPDblArray want = BruteHull(pts);
    SCOPED_TRACE(trial);
    EXPECT_TRUE(SameCycle(got, want));
  }
}

}  // namespace
}  // namespace nuv
