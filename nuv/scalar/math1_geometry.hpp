#pragma once
// Plane geometry of NUV_math1: orientation, segment intersection, distances to segments,
// rectangles and ellipses, directions, containment and clamping.

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// The platform's integer point.
struct TPoint {
  Integer x = 0;
  Integer y = 0;
};

/// The platform's integer rectangle.
struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
};

inline namespace NUV_math1 {

/// Euclidean distance of two points.
double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2);
/// Euclidean distance of (x1, y1) and (x2, y2).
double EuclideanDistance(double x1, double y1, double x2, double y2);
/// 1 when P1, P2, P3 turn counter-clockwise, -1 clockwise, 0 collinear (exact sign of the
/// cross product, no tolerance).
Integer CcwTriangle(const TPointDouble& P1, const TPointDouble& P2, const TPointDouble& P3);
/// Whether the segments P1-P2 and P3-P4 meet; touching counts. Collinear segments meet only
/// when they overlap or touch.
bool SegmentsIntersect(const TPointDouble& P1, const TPointDouble& P2, const TPointDouble& P3,
                       const TPointDouble& P4);
/// Distance of P from the segment A-B (from A when A = B).
double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B);
/// Distance of P from R (Left <= Right and Top <= Bottom assumed), 0 inside or on the border;
/// corner distances are rounded to the nearest integer. Saturates at the largest Integer.
Integer DistFromRect(const TPoint& P, const TRect& R);
/// Distance of P from the ellipse with centre (Cx, Cy) and semi-axes |SemiX| along x and
/// |SemiY| along y; Nearest receives the nearest point of the ellipse. An ellipse with one axis
/// 0 is the segment along the other axis; with both 0 it is the centre.
double DistFromEllipse(const TPointDouble& P, double Cx, double Cy, double SemiX, double SemiY,
                       TPointDouble& Nearest);
/// Direction of (dx, dy) in [0, 2 pi]; dx = 0 gives pi/2 for dy > 0, else 3 pi/2.
double AngleToXAxis(double dx, double dy);
/// Whether P lies in R, border included (corners of R in any order).
bool WithinRect(const TPointDouble& P, const TRectDouble& R);
/// Clamps P into R (corners in any order); true when a coordinate changed.
bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R);

}  // namespace NUV_math1
}  // namespace nuv
