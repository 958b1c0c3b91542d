#include "nuv/analysis/math2_polygon.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "nuv/base/bitfield.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/math1_geometry.hpp"

namespace nuv {
inline namespace NUV_math2 {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
// Directions closer than this (radians) count as one ray from the centre.
constexpr double kSameDirection = 1e-4;

// Crossing contribution of the edge B-C for the point Q: 0 on the edge, -1 when the upward ray
// test crosses it, else 1.
Integer PolygonCrossing(const TPointDouble& Q, TPointDouble B, TPointDouble C) {
  if (Q.y == B.y && Q.y == C.y) {
    const bool between = (B.x <= Q.x && Q.x <= C.x) || (C.x <= Q.x && Q.x <= B.x);
    return between ? 0 : 1;
  }
  if (B.y > C.y) std::swap(B, C);
  if (Q.x == B.x && Q.y == B.y) return 0;
  if (Q.y <= B.y || Q.y > C.y) return 1;
  const double delta = (B.x - Q.x) * (C.y - Q.y) - (B.y - Q.y) * (C.x - Q.x);
  if (delta > 0.0) return -1;
  if (delta < 0.0) return 1;
  return 0;
}

double SignedArea(const TPDblArray& P) {
  const std::size_t h = P.size() - 1;
  double sum = (P[h].x - P[0].x) * (P[h].y + P[0].y);
  for (std::size_t i = 0; i < h; ++i) sum += (P[i].x - P[i + 1].x) * (P[i].y + P[i + 1].y);
  return 0.5 * sum;
}

}  // namespace

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  const double phi1 = Lat1 * kDegToRad;
  const double phi2 = Lat2 * kDegToRad;
  const double dLambda = (Long1 - Long2) * kDegToRad;
  const double k =
      std::cos(phi1) * std::cos(phi2) * std::cos(dLambda) + std::sin(phi1) * std::sin(phi2);
  return Radius * std::acos(std::clamp(k, -1.0, 1.0));
}

bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon) {
  if (Polygon.empty()) return false;
  const TPointDouble q{x, y};
  const std::size_t h = Polygon.size() - 1;
  Integer t = -PolygonCrossing(q, Polygon[h], Polygon[0]);
  for (std::size_t i = 0; i < h && t != 0; ++i) t *= PolygonCrossing(q, Polygon[i], Polygon[i + 1]);
  return t == 1;
}

double PolygonArea(const TPDblArray& Polygon) {
  return Polygon.empty() ? 0.0 : SignedArea(Polygon);
}

double PolygonArea(const TPDblArray& Polygon, Integer& Count) {
  Count = 0;
  if (Polygon.empty()) return 0.0;
  // Below three points there are no edges that are not neighbours; the start value would
  // leave the count negative.
  if (Polygon.size() < 3) return SignedArea(Polygon);
  const std::size_t h = Polygon.size() - 1;
  // Every edge touches its two neighbours at a shared corner; starting at minus the number of
  // points cancels those touches.
  Int64 count = -static_cast<Int64>(Polygon.size());
  for (std::size_t i = 0; i < h; ++i) {
    for (std::size_t j = i + 1; j < h; ++j) {
      if (SegmentsIntersect(Polygon[i], Polygon[i + 1], Polygon[j], Polygon[j + 1])) ++count;
    }
    if (SegmentsIntersect(Polygon[i], Polygon[i + 1], Polygon[h], Polygon[0])) ++count;
  }
  Count = static_cast<Integer>(std::clamp<Int64>(count, INT32_MIN, INT32_MAX));
  return SignedArea(Polygon);
}

double PolygonLength(const TPDblArray& Polygon, bool Closed) {
  if (Polygon.empty()) return 0.0;
  const std::size_t h = Polygon.size() - 1;
  double len = 0.0;
  for (std::size_t i = 0; i < h; ++i) len += EuclideanDistance(Polygon[i], Polygon[i + 1]);
  if (Closed) len += EuclideanDistance(Polygon[h], Polygon[0]);
  return len;
}

void OuterRectOfPolygon(const TPDblArray& Polygon, double& MinX, double& MinY, double& MaxX,
                        double& MaxY) {
  if (Polygon.empty()) {
    MinX = MinY = MaxX = MaxY = 0.0;
    return;
  }
  MinX = MaxX = Polygon[0].x;
  MinY = MaxY = Polygon[0].y;
  for (std::size_t i = 1; i < Polygon.size(); ++i) {
    const TPointDouble& p = Polygon[i];
    if (p.x < MinX) MinX = p.x;
    if (p.x > MaxX) MaxX = p.x;
    if (p.y < MinY) MinY = p.y;
    if (p.y > MaxY) MaxY = p.y;
  }
}

double DistanceToPolygon(const TPointDouble& P, const TPDblArray& Polygon, bool Closed) {
  double dist = uc_MaxDouble;
  if (Polygon.empty()) return dist;
  const std::size_t h = Polygon.size() - 1;
  for (std::size_t i = 0; i < h; ++i) {
    dist = std::min(dist, DistanceToSegment(P, Polygon[i], Polygon[i + 1]));
  }
  if (Closed) dist = std::min(dist, DistanceToSegment(P, Polygon[h], Polygon[0]));
  return dist;
}

bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull) {
  if (Hull.empty()) return false;
  std::size_t j = Hull.size() - 1;
  for (std::size_t i = 0; i < Hull.size(); j = i++) {
    const double v =
        (x - Hull[j].x) * (Hull[j].y - Hull[i].y) + (y - Hull[j].y) * (Hull[i].x - Hull[j].x);
    if (!(v > 0.0)) return false;
  }
  return true;
}

TPDblArray Convex2DHull(const TPDblArray& Points) {
  if (Points.size() < 4) return Points;
  if (Points.size() > static_cast<std::size_t>(INT32_MAX / 2)) throw std::bad_alloc();
  const Integer n = static_cast<Integer>(Points.size());

  double mx = 0.0;
  double my = 0.0;
  for (const TPointDouble& p : Points) {
    mx += p.x;
    my += p.y;
  }
  mx /= n;
  my /= n;

  // Rows: centred x, centred y, direction from the centre (0 pointing straight down, growing
  // counter-clockwise), index of the input point so the result copies the input exactly.
  constexpr Integer kX = 1, kY = 2, kA = 3, kIx = 4;
  TMatrix m(nullptr);
  if (!m.Resize(4, n)) throw std::bad_alloc();
  for (Integer r = 1; r <= n; ++r) {
    const double cx = Points[r - 1].x - mx;
    const double cy = Points[r - 1].y - my;
    double a = AngleToXAxis(cx, cy) + std::numbers::pi / 2;
    if (a > 2 * std::numbers::pi) a -= 2 * std::numbers::pi;
    m.SetVal(kX, r, cx);
    m.SetVal(kY, r, cy);
    m.SetVal(kA, r, a);
    m.SetVal(kIx, r, r - 1);
  }
  m.SortRows(kA, true, 1, 1, 4, n);

  const auto x = [&m](Integer r) { return m.GetVal(kX, r); };
  const auto y = [&m](Integer r) { return m.GetVal(kY, r); };
  const auto input = [&](Integer r) -> const TPointDouble& {
    return Points[static_cast<std::size_t>(m.GetVal(kIx, r))];
  };
  const auto next = [n](Integer r) { return r == n ? 1 : r + 1; };
  const auto prev = [n](Integer r) { return r == 1 ? n : r - 1; };

  TBitFld dropped(nullptr);
  dropped.SetSize(n);
  Integer alive = n;
  const auto drop = [&](Integer r) {
    if (!dropped.GetBit(r)) {
      dropped.SetBit(r, true);
      --alive;
    }
  };

  // Of the points on one ray from the centre only the farthest can be a corner. Directions are
  // compared around the circle, so a ray just beside straight down is caught across the seam.
  for (Integer p = 1; p <= n; ++p) {
    if (dropped.GetBit(p)) continue;
    for (Integer q = next(p); q != p; q = next(q)) {
      double diff = std::fabs(m.GetVal(kA, p) - m.GetVal(kA, q));
      diff = std::min(diff, 2 * std::numbers::pi - diff);
      if (!(diff < kSameDirection)) break;
      const double rp = x(p) * x(p) + y(p) * y(p);
      const double rq = x(q) * x(q) + y(q) * y(q);
      if (rq > rp) {
        drop(p);
      } else {
        drop(q);
      }
    }
  }

  const auto nextAlive = [&](Integer r) {
    do r = next(r);
    while (dropped.GetBit(r));
    return r;
  };
  const auto prevAlive = [&](Integer r) {
    do r = prev(r);
    while (dropped.GetBit(r));
    return r;
  };

  if (alive >= 3) {
    // The point farthest from the centre is a corner; starting there, one lap with steps back
    // fits in 2n steps (n - 3 drops at most).
    Integer p1 = nextAlive(n);
    for (Integer r = 1; r <= n; ++r) {
      if (!dropped.GetBit(r) && x(r) * x(r) + y(r) * y(r) > x(p1) * x(p1) + y(p1) * y(p1)) p1 = r;
    }
    Integer p2 = nextAlive(p1);
    Integer p3 = nextAlive(p2);
    for (Integer step = 0; step < 2 * n && alive >= 3; ++step) {
      // P2 is a corner only when P1, P2, P3 turn counter-clockwise. (Comparing the distances of
      // P2 and of the line P1-P3 from the centre fails when P1..P3 span more than half a turn.)
      // The input coordinates are used: centring rounds, and collinear points would then
      // turn either way.
      const TPointDouble& a = input(p1);
      const TPointDouble& b = input(p2);
      const TPointDouble& c = input(p3);
      const bool inner = !((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x) > 0.0);
      if (inner) {
        drop(p2);
        p2 = p1;
        p1 = prevAlive(p1);
      } else {
        p1 = p2;
        p2 = p3;
        p3 = nextAlive(p3);
      }
    }
  }

  TPDblArray hull;
  hull.reserve(static_cast<std::size_t>(alive));
  for (Integer r = 1; r <= n; ++r) {
    if (!dropped.GetBit(r)) hull.push_back(input(r));
  }
  return hull;
}

}  // namespace NUV_math2
}  // namespace nuv
