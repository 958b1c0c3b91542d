#include "nuv/scalar/math1_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "nuv/base/scaling.hpp"

namespace nuv {
inline namespace NUV_math1 {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = kPi / 2;
constexpr int kMaxBisections = 1075;
constexpr Int64 kIntegerMax = std::numeric_limits<Integer>::max();

// Nearest point of the segment A-B to P.
TPointDouble NearestOnSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B) {
  // The fraction t along AB is a ratio: coordinates of extreme magnitude give it in a
  // power-of-two unit (see scaling.hpp), where the squares are representable.
  const double big = std::max({std::fabs(P.x), std::fabs(P.y), std::fabs(A.x), std::fabs(A.y),
                               std::fabs(B.x), std::fabs(B.y)});
  const double f = detail::ScaleFactor(detail::SafeScaleExponent(big));
  const double dx = B.x * f - A.x * f;
  const double dy = B.y * f - A.y * f;
  const double len2 = dx * dx + dy * dy;
  const double t =
      len2 != 0.0 ? ((P.x * f - A.x * f) * dx + (P.y * f - A.y * f) * dy) / len2 : -1.0;
  if (t < 0.0) return A;
  if (t > 1.0) return B;
  if (f == 1.0) return {A.x + t * dx, A.y + t * dy};
  return {(1.0 - t) * A.x + t * B.x, (1.0 - t) * A.y + t * B.y};  // no difference to overflow
}

Integer Saturate(Int64 v) {
  return static_cast<Integer>(std::min(v, kIntegerMax));
}

// Distance from (x, y), x >= 0 and y >= 0, to the ellipse with semi-axes a >= b > 0; the
// nearest point lands in (nx, ny). The root of the nearest-point equation is bracketed and
// bisected until the midpoint stops moving.
double QuadrantDistance(double a, double b, double x, double y, double& nx, double& ny) {
  if (y > 0.0) {
    if (x == 0.0) {
      nx = 0.0;
      ny = b;
      return std::fabs(y - b);
    }
    const double z0 = x / a;
    const double z1 = y / b;
    const double F = z0 * z0 + z1 * z1 - 1.0;
    if (F == 0.0) {
      nx = x;
      ny = y;
      return 0.0;
    }
    const double r = (a / b) * (a / b);
    double t0 = z1 - 1.0;
    double t1 = F <= 0.0 ? 0.0 : std::sqrt((r * z0) * (r * z0) + z1 * z1) - 1.0;
    double t = t0;
    for (int i = 0; i < kMaxBisections; ++i) {
      t = (t0 + t1) / 2.0;
      if (t == t0 || t == t1) break;
      const double u = r * z0 / (t + r);
      const double v = z1 / (t + 1.0);
      const double g = u * u + v * v - 1.0;
      if (g > 0.0) {
        t0 = t;
      } else if (g < 0.0) {
        t1 = t;
      } else {
        break;
      }
    }
    nx = r * x / (t + r);
    ny = y / (t + 1.0);
    return std::sqrt((nx - x) * (nx - x) + (ny - y) * (ny - y));
  }
  // On the long axis: inside the evolute's reach the nearest point leaves the axis.
  const double e = a * a - b * b;
  if (e > a * x) {
    const double q = a * x / e;
    nx = a * q;
    ny = b * std::sqrt(1.0 - q * q);
    return std::sqrt((nx - x) * (nx - x) + ny * ny);
  }
  nx = a;
  ny = 0.0;
  return std::fabs(x - a);
}

}  // namespace

double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2) {
  return EuclideanDistance(P1.x, P1.y, P2.x, P2.y);
}

double EuclideanDistance(double x1, double y1, double x2, double y2) {
  return detail::RootSumSqDiff([&](auto&& f) {
    f(x2, x1);
    f(y2, y1);
  });
}

Integer CcwTriangle(const TPointDouble& P1, const TPointDouble& P2, const TPointDouble& P3) {
  const double c = (P2.x - P1.x) * (P3.y - P1.y) - (P3.x - P1.x) * (P2.y - P1.y);
  if (c > 0.0) return 1;
  if (c < 0.0) return -1;
  return 0;
}

bool SegmentsIntersect(const TPointDouble& P1, const TPointDouble& P2, const TPointDouble& P3,
                       const TPointDouble& P4) {
  const Integer c1 = CcwTriangle(P1, P2, P3);
  const Integer c2 = CcwTriangle(P1, P2, P4);
  const Integer c3 = CcwTriangle(P3, P4, P1);
  const Integer c4 = CcwTriangle(P3, P4, P2);
  if (c1 == 0 && c2 == 0 && c3 == 0 && c4 == 0) {
    // On one line (or degenerate): they meet when their bounding boxes do.
    return std::max(P1.x, P2.x) >= std::min(P3.x, P4.x) &&
           std::max(P3.x, P4.x) >= std::min(P1.x, P2.x) &&
           std::max(P1.y, P2.y) >= std::min(P3.y, P4.y) &&
           std::max(P3.y, P4.y) >= std::min(P1.y, P2.y);
  }
  if (c1 * c2 > 0) return false;
  return c3 * c4 <= 0;
}

double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B) {
  const TPointDouble n = NearestOnSegment(P, A, B);
  return EuclideanDistance(P, n);
}

Integer DistFromRect(const TPoint& P, const TRect& R) {
  // 64-bit differences: the difference of two Integers does not fit an Integer.
  const Int64 px = P.x;
  const Int64 py = P.y;
  if (R.Left < P.x && P.x < R.Right) {
    if (py < R.Top) return Saturate(R.Top - py);
    if (py <= R.Bottom) return 0;
    return Saturate(py - R.Bottom);
  }
  if (R.Top < P.y && P.y < R.Bottom) {
    if (px <= R.Left) return Saturate(R.Left - px);
    return Saturate(px - R.Right);
  }
  const auto corner = [&](Int64 cx, Int64 cy) {
    const double dx = static_cast<double>(px - cx);
    const double dy = static_cast<double>(py - cy);
    return std::nearbyint(std::sqrt(dx * dx + dy * dy));
  };
  const double d = std::min({corner(R.Left, R.Top), corner(R.Right, R.Top),
                             corner(R.Left, R.Bottom), corner(R.Right, R.Bottom)});
  if (d >= static_cast<double>(kIntegerMax)) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(d);
}

double DistFromEllipse(const TPointDouble& P, double Cx, double Cy, double SemiX, double SemiY,
                       TPointDouble& Nearest) {
  double u = P.x - Cx;
  double v = P.y - Cy;
  double a = std::fabs(SemiX);
  double b = std::fabs(SemiY);
  const bool swapped = a < b;
  if (swapped) {
    std::swap(u, v);
    std::swap(a, b);
  }
  if (a == 0.0) {
    Nearest = {Cx, Cy};
    return EuclideanDistance(P.x, P.y, Cx, Cy);
  }
  if (b == 0.0) {
    // A flat ellipse is the segment between the ends of its long axis.
    const TPointDouble A = swapped ? TPointDouble{Cx, Cy - a} : TPointDouble{Cx - a, Cy};
    const TPointDouble B = swapped ? TPointDouble{Cx, Cy + a} : TPointDouble{Cx + a, Cy};
    Nearest = NearestOnSegment(P, A, B);
    return EuclideanDistance(P, Nearest);
  }
  double nx = 0.0;
  double ny = 0.0;
  const double dist = QuadrantDistance(a, b, std::fabs(u), std::fabs(v), nx, ny);
  if (u < 0.0) nx = -nx;
  if (v < 0.0) ny = -ny;
  if (swapped) std::swap(nx, ny);
  Nearest = {nx + Cx, ny + Cy};
  return dist;
}

double AngleToXAxis(double dx, double dy) {
  double a;
  if (dx == 0.0) {
    a = dy > 0.0 ? kHalfPi : 3.0 * kHalfPi;
  } else if (dx < 0.0) {
    a = std::atan(dy / dx) + kPi;
  } else {
    a = std::atan(dy / dx);
  }
  if (a < 0.0) {
    a += kTwoPi;
  } else if (a > kTwoPi) {
    a -= kTwoPi;
  }
  return a;
}

bool WithinRect(const TPointDouble& P, const TRectDouble& R) {
  return std::min(R.x1, R.x2) <= P.x && P.x <= std::max(R.x1, R.x2) &&
         std::min(R.y1, R.y2) <= P.y && P.y <= std::max(R.y1, R.y2);
}

bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R) {
  bool changed = false;
  const auto clamp = [&changed](double& c, double lo, double hi) {
    if (c < lo) {
      c = lo;
      changed = true;
    } else if (c > hi) {
      c = hi;
      changed = true;
    }
  };
  clamp(P.x, std::min(R.x1, R.x2), std::max(R.x1, R.x2));
  clamp(P.y, std::min(R.y1, R.y2), std::max(R.y1, R.y2));
  return changed;
}

}  // namespace NUV_math1
}  // namespace nuv
