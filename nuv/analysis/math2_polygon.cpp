#include "nuv/analysis/math2_polygon.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/scalar/math1_geometry.hpp"

namespace nuv {
inline namespace NUV_math2 {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
// Coordinates are scaled below 2^kScaleExponent for orientation tests: products stay below
// 2^1020 and their rounding errors far above the subnormal range.
constexpr int kScaleExponent = 500;

// Sum a + b = s + e exactly (round to nearest, no overflow).
void TwoSum(double a, double b, double& s, double& e) {
  s = a + b;
  const double bv = s - a;
  const double av = s - bv;
  e = (a - av) + (b - bv);
}

// Sign of the turn a -> b -> c: 1 counter-clockwise, -1 clockwise, 0 collinear. A plain
// evaluation decides when it is clear of its rounding bound; otherwise the determinant
// ax·by - ay·bx + bx·cy - by·cx + cx·ay - cy·ax is summed exactly, each product split into
// its rounded value and its error, into an expansion whose largest part carries the sign.
int Orientation(const TPointDouble& a, const TPointDouble& b, const TPointDouble& c) {
  const double left = (a.x - c.x) * (b.y - c.y);
  const double right = (a.y - c.y) * (b.x - c.x);
  const double det = left - right;
  // Error bound of the plain evaluation (3 + 16ε)ε·(|left| + |right|), ε = 2^-53.
  constexpr double kEps = 0x1p-53;
  const double bound = (3.0 + 16.0 * kEps) * kEps * (std::fabs(left) + std::fabs(right));
  if (std::fabs(det) > bound && bound > 0x1p-900) return det > 0.0 ? 1 : -1;
  const double factors[6][2] = {{a.x, b.y},  {-a.y, b.x}, {b.x, c.y},
                                {-b.y, c.x}, {c.x, a.y},  {-c.y, a.x}};
  std::array<double, 12> h{};
  std::size_t m = 0;
  const auto grow = [&h, &m](double q) {
    for (std::size_t i = 0; i < m; ++i) TwoSum(q, h[i], q, h[i]);
    h[m++] = q;
  };
  for (const auto& f : factors) {
    const double p = f[0] * f[1];
    grow(std::fma(f[0], f[1], -p));
    grow(p);
  }
  for (std::size_t i = m; i-- > 0;) {
    if (h[i] != 0.0) return h[i] > 0.0 ? 1 : -1;
  }
  return 0;
}

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
  // The shoelace sum about the first vertex: sums of raw ordinates far from zero would carry
  // their offset into every term and round the area away.
  const std::size_t h = P.size() - 1;
  const double y0 = P[0].y;
  double sum = (P[h].x - P[0].x) * (P[h].y - y0);
  for (std::size_t i = 0; i < h; ++i) {
    sum += (P[i].x - P[i + 1].x) * ((P[i].y - y0) + (P[i + 1].y - y0));
  }
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
  // A point with an infinite or NaN coordinate cannot be a corner of a finite polygon.
  std::vector<std::size_t> order;
  order.reserve(Points.size());
  double big = 0.0;
  for (std::size_t i = 0; i < Points.size(); ++i) {
    const TPointDouble& p = Points[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    order.push_back(i);
    big = std::max({big, std::fabs(p.x), std::fabs(p.y)});
  }
  if (order.empty()) return {};

  // Orientation tests work on copies scaled by a power of two (exact), so that no product of
  // two coordinates overflows even near the largest doubles.
  int exponent = 0;
  std::frexp(big, &exponent);
  std::vector<TPointDouble> scaled(Points.size());
  for (const std::size_t i : order) {
    scaled[i] = {std::ldexp(Points[i].x, kScaleExponent - exponent),
                 std::ldexp(Points[i].y, kScaleExponent - exponent)};
  }
  const auto turn = [&scaled](std::size_t a, std::size_t b, std::size_t c) {
    return Orientation(scaled[a], scaled[b], scaled[c]);
  };

  // Monotone chain over the distinct points in (x, y) order; a middle point that does not turn
  // counter-clockwise (inner, on an edge or a duplicate direction) is dropped.
  const auto less = [&Points](std::size_t a, std::size_t b) {
    return Points[a].x < Points[b].x || (Points[a].x == Points[b].x && Points[a].y < Points[b].y);
  };
  std::sort(order.begin(), order.end(), less);
  order.erase(std::unique(order.begin(), order.end(),
                          [&Points](std::size_t a, std::size_t b) {
                            return Points[a].x == Points[b].x && Points[a].y == Points[b].y;
                          }),
              order.end());
  std::vector<std::size_t> chain;
  if (order.size() == 1) {
    chain = order;
  } else {
    chain.resize(2 * order.size());
    std::size_t k = 0;
    for (const std::size_t i : order) {
      while (k >= 2 && turn(chain[k - 2], chain[k - 1], i) <= 0) --k;
      chain[k++] = i;
    }
    for (std::size_t j = order.size() - 1, lower = k + 1; j-- > 0;) {
      while (k >= lower && turn(chain[k - 2], chain[k - 1], order[j]) <= 0) --k;
      chain[k++] = order[j];
    }
    chain.resize(k - 1);
  }

  // The corners go in ascending order of their direction from the mean of the points, measured
  // counter-clockwise from straight down. A sum that overflows is formed from the shares x/n.
  double count = 0.0;
  double sx = 0.0;
  double sy = 0.0;
  for (const TPointDouble& p : Points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    sx += p.x;
    sy += p.y;
    count += 1.0;
  }
  if (!std::isfinite(sx) || !std::isfinite(sy)) {
    sx = 0.0;
    sy = 0.0;
    for (const TPointDouble& p : Points) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      sx += p.x / count;
      sy += p.y / count;
    }
  } else {
    sx /= count;
    sy /= count;
  }
  const double mx = sx;
  const double my = sy;
  std::vector<std::pair<double, std::size_t>> keyed;
  keyed.reserve(chain.size());
  for (const std::size_t i : chain) {
    double cx = Points[i].x - mx;
    double cy = Points[i].y - my;
    if (!std::isfinite(cx) || !std::isfinite(cy)) {
      // Halving is exact and keeps the direction.
      cx = Points[i].x / 2 - mx / 2;
      cy = Points[i].y / 2 - my / 2;
    }
    double a = AngleToXAxis(cx, cy) + std::numbers::pi / 2;
    if (a > 2 * std::numbers::pi) a -= 2 * std::numbers::pi;
    keyed.emplace_back(a, i);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  TPDblArray hull;
  hull.reserve(keyed.size());
  for (const auto& [a, i] : keyed) hull.push_back(Points[i]);
  return hull;
}

}  // namespace NUV_math2
}  // namespace nuv
