// Polygon and point geometry: exact examples on small polygons, great-circle distances against
// the haversine formula, and the convex hull against a monotone-chain hull and a brute-force corner
// search built in the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/scalar/math1_geometry.hpp"
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

// Turn o -> a -> b, exact in 64-bit integers for integer coordinates below 2^30 in magnitude.
double Cross(const TPointDouble& o, const TPointDouble& a, const TPointDouble& b) {
  const auto i = [](double v) { return static_cast<std::int64_t>(v); };
  const std::int64_t c =
      (i(a.x) - i(o.x)) * (i(b.y) - i(o.y)) - (i(a.y) - i(o.y)) * (i(b.x) - i(o.x));
  return static_cast<double>(c);
}

bool Same(const TPointDouble& a, const TPointDouble& b) {
  return a.x == b.x && a.y == b.y;
}

// Corners by brute force: the ends of every pair i-j of distinct points that has every other
// point strictly to its left or on the closed segment i-j.
TPDblArray BruteCorners(const TPDblArray& pts) {
  TPDblArray u;
  for (const TPointDouble& p : pts) {
    if (std::none_of(u.begin(), u.end(), [&](const TPointDouble& q) { return Same(p, q); })) {
      u.push_back(p);
    }
  }
  if (u.size() == 1) return u;
  std::vector<char> corner(u.size(), 0);
  for (std::size_t i = 0; i < u.size(); ++i) {
    for (std::size_t j = 0; j < u.size(); ++j) {
      if (i == j) continue;
      bool edge = true;
      for (std::size_t k = 0; k < u.size() && edge; ++k) {
        if (k == i || k == j) continue;
        const double c = Cross(u[i], u[j], u[k]);
        const bool onSegment =
            c == 0 && std::min(u[i].x, u[j].x) <= u[k].x && u[k].x <= std::max(u[i].x, u[j].x) &&
            std::min(u[i].y, u[j].y) <= u[k].y && u[k].y <= std::max(u[i].y, u[j].y);
        edge = c > 0 || onSegment;
      }
      if (edge) corner[i] = corner[j] = 1;
    }
  }
  TPDblArray out;
  for (std::size_t i = 0; i < u.size(); ++i) {
    if (corner[i]) out.push_back(u[i]);
  }
  return out;
}

// Direction of p from the mean (mx, my), counter-clockwise from straight below.
double DirectionKey(const TPointDouble& p, double mx, double my) {
  double a = AngleToXAxis(p.x - mx, p.y - my) + std::numbers::pi / 2;
  if (a > 2 * std::numbers::pi) a -= 2 * std::numbers::pi;
  return a;
}

// The hull of integer points pts holds exactly the brute-force corners, in ascending order of
// direction from the mean. When the mean lies well inside, that order turns left at every
// corner and has every input point inside or on the result.
void ExpectHull(const TPDblArray& pts, const TPDblArray& got, bool meanInside = true) {
  const TPDblArray want = BruteCorners(pts);
  ASSERT_EQ(got.size(), want.size());
  for (const TPointDouble& p : got) {
    EXPECT_TRUE(
        std::any_of(want.begin(), want.end(), [&](const TPointDouble& q) { return Same(p, q); }))
        << p.x << " " << p.y;
  }
  double mx = 0, my = 0;  // integer sums: exact
  for (const TPointDouble& p : pts) {
    mx += p.x;
    my += p.y;
  }
  mx /= static_cast<double>(pts.size());
  my /= static_cast<double>(pts.size());
  for (std::size_t i = 1; i < got.size(); ++i) {
    const double k0 = DirectionKey(got[i - 1], mx, my), k1 = DirectionKey(got[i], mx, my);
    // Thin sets may give equal directions.
    EXPECT_TRUE(meanInside ? k0 < k1 : k0 <= k1) << i << " " << k0 << " " << k1;
  }
  const std::size_t h = got.size();
  if (h >= 3 && meanInside) {
    for (std::size_t i = 0; i < h; ++i) {
      EXPECT_GT(Cross(got[i], got[(i + 1) % h], got[(i + 2) % h]), 0.0) << i;
      for (const TPointDouble& q : pts) {
        ASSERT_GE(Cross(got[i], got[(i + 1) % h], q), 0.0) << q.x << " " << q.y;
      }
    }
  }
}

// Linear congruential source of integers in [lo, hi].
struct Lcg {
  std::uint64_t s;
  double Next(double lo, double hi) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return lo + std::floor(static_cast<double>(s >> 11) * 0x1p-53 * (hi - lo + 1));
  }
};

TEST(Convex2DHull, CollinearSetsGiveBothEndsInDirectionOrder) {
  const struct {
    TPDblArray Pts;
    TPointDouble First, Second;
  } cases[] = {
      // The mean (2, 2) is one of the points.
      {{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}, {4, 4}, {0, 0}},
      {{{3, 3}, {1, 1}, {4, 4}, {0, 0}, {2, 2}, {2, 2}}, {4, 4}, {0, 0}},
      {{{0, 5}, {0, -1}, {0, 2}, {0, 0}}, {0, 5}, {0, -1}},
      {{{-3, 7}, {9, 7}, {1, 7}, {2, 7}, {-3, 7}}, {9, 7}, {-3, 7}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Pts.size());
    ASSERT_EQ(BruteCorners(c.Pts).size(), 2u);
    const TPDblArray got = Convex2DHull(c.Pts);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(Same(got[0], c.First)) << got[0].x << " " << got[0].y;
    EXPECT_TRUE(Same(got[1], c.Second)) << got[1].x << " " << got[1].y;
  }
  // Points on a line of slope -7/3, in random order.
  Lcg rng{99};
  for (int trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    TPDblArray pts;
    const int n = 4 + trial % 40;
    for (int i = 0; i < n; ++i) {
      const double t = rng.Next(-1000, 1000);
      pts.push_back({5 + 3 * t, -2 - 7 * t});
    }
    ExpectHull(pts, Convex2DHull(pts));
  }
}

TEST(Convex2DHull, ThinRandomSetsMatchBruteForce) {
  // Aspect ratio 1e5, along the x axis and along a diagonal, with 4 to 30 points.
  Lcg rng{7};
  for (int trial = 0; trial < 1500; ++trial) {
    SCOPED_TRACE(trial);
    const int n = 4 + trial % 27;
    TPDblArray pts;
    for (int i = 0; i < n; ++i) {
      const double t = rng.Next(-5000000, 5000000);
      const double u = rng.Next(-50, 50);
      if (trial % 2 == 0) {
        pts.push_back({t, u});
      } else {
        pts.push_back({t + u, t - u});
      }
    }
    ExpectHull(pts, Convex2DHull(pts));
  }
}

TEST(Convex2DHull, NearlyCollinearLargeIntegersNeedExactTurns) {
  // Points t·d + s·w with d·w turning by exactly 1: any three span an area of a few units
  // while the products in the turn test reach 2^60, far beyond what doubles hold exactly.
  const std::int64_t dx = 1234567, dy = 7654321;
  // Extended Euclid: dx·v - dy·u = 1.
  std::int64_t r0 = dx, r1 = dy, s0 = 1, s1 = 0, t0 = 0, t1 = 1;
  while (r1 != 0) {
    const std::int64_t q = r0 / r1;
    std::swap(r0, r1);
    r1 -= q * r0;
    std::swap(s0, s1);
    s1 -= q * s0;
    std::swap(t0, t1);
    t1 -= q * t0;
  }
  ASSERT_EQ(r0, 1);  // dx·s0 + dy·t0 = 1
  const std::int64_t v = s0, u = -t0;
  ASSERT_EQ(dx * v - dy * u, 1);
  Lcg rng{5};
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    TPDblArray pts;
    const int n = 4 + trial % 20;
    for (int i = 0; i < n; ++i) {
      const auto t = static_cast<std::int64_t>(rng.Next(-80, 80));
      const auto w = static_cast<std::int64_t>(rng.Next(-1, 1));
      pts.push_back({static_cast<double>(t * dx + w * u), static_cast<double>(t * dy + w * v)});
    }
    // The set is thinner than the rounding of its mean, so the direction order need not be
    // counter-clockwise here.
    ExpectHull(pts, Convex2DHull(pts), false);
  }
}

TEST(Convex2DHull, CoordinatesNearTheLargestDoubles) {
  // The corners of a square spanning almost the whole double range, with inner points.
  const double b = 1.7e308;
  const TPDblArray square{{b, b}, {0, 0}, {-b, b}, {1e307, -1e308}, {-b, -b}, {b, -b}};
  const TPDblArray got = Convex2DHull(square);
  const TPDblArray want{{b, -b}, {b, b}, {-b, b}, {-b, -b}};
  ASSERT_EQ(got.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_TRUE(Same(got[i], want[i])) << i;
  // Thin integer sets scaled by 2^1000 (exact) up to 1.7e308: differences and sums overflow,
  // so the hull is checked on the unscaled points.
  Lcg rng{11};
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    const int n = 4 + trial % 27;
    TPDblArray pts, big;
    for (int i = 0; i < n; ++i) {
      // Most points far left, so that the mean lies far from the right-hand corners.
      const double t = i == 0 ? 15938355 : rng.Next(-15938355, -15000000);
      pts.push_back({t, rng.Next(-159, 159)});
      big.push_back({std::ldexp(pts.back().x, 1000), std::ldexp(pts.back().y, 1000)});
    }
    TPDblArray scaled = Convex2DHull(big);
    for (TPointDouble& p : scaled) p = {std::ldexp(p.x, -1000), std::ldexp(p.y, -1000)};
    ExpectHull(pts, scaled);
  }
}

TEST(Convex2DHull, EveryPointOfACircleIsACorner) {
  constexpr int kN = 70000;
  TPDblArray pts;
  pts.reserve(kN);
  for (int i = 0; i < kN; ++i) {
    const int k = static_cast<int>((static_cast<std::int64_t>(i) * 40503) % kN);  // shuffled
    const double a = 2 * std::numbers::pi * k / kN;
    pts.push_back({std::cos(a), std::sin(a)});
  }
  const TPDblArray got = Convex2DHull(pts);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(kN));
  double mx = 0, my = 0;
  for (const TPointDouble& p : pts) {
    mx += p.x;
    my += p.y;
  }
  mx /= kN;
  my /= kN;
  int misordered = 0;
  for (std::size_t i = 1; i < got.size(); ++i) {
    if (!(DirectionKey(got[i - 1], mx, my) < DirectionKey(got[i], mx, my))) ++misordered;
  }
  EXPECT_EQ(misordered, 0);
}

}  // namespace
}  // namespace nuv
