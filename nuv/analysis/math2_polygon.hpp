#pragma once
// NUV_math2: polygons and point sets in the plane (arrays of TPointDouble, zero-based, first
// point not repeated at the end) and the great-circle distance on a sphere.

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// Distance along the sphere of the given radius between (Lat1, Long1) and (Lat2, Long2), angles
/// in degrees: Radius·arccos of the cosine of the central angle (clamped to -1..1, so arccos
/// stays defined; equal points give 0 or a rounding residue of about 1.5e-8·Radius).
double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);
/// Whether (x, y) lies strictly inside the closed polygon (crossing test); points on the
/// boundary and an empty polygon give false.
bool PointIsInsidePolygon(double x, double y, const TPDblArray& Polygon);
/// Signed area of the closed polygon, positive for counter-clockwise order; 0 when empty.
double PolygonArea(const TPDblArray& Polygon);
/// PolygonArea, and in Count the number of crossings between non-neighbouring edges (touching
/// counts as crossing); Count is 0 for fewer than 3 points.
double PolygonArea(const TPDblArray& Polygon, Integer& Count);
/// Sum of the edge lengths, the closing edge included when Closed; 0 when empty.
double PolygonLength(const TPDblArray& Polygon, bool Closed);
/// Smallest and largest x and y of the points; all four are 0 for an empty polygon.
void OuterRectOfPolygon(const TPDblArray& Polygon, double& MinX, double& MinY, double& MaxX,
                        double& MaxY);
/// Smallest distance of P from the edges (the closing edge included when Closed); a single
/// point gives its distance from that point (Closed) or uc_MaxDouble (open), an empty polygon
/// uc_MaxDouble.
double DistanceToPolygon(const TPointDouble& P, const TPDblArray& Polygon, bool Closed);
/// Whether (x, y) lies strictly inside the convex hull given in counter-clockwise order; a
/// point on an edge, any point for a clockwise hull and any point for an empty hull give false.
bool PointIsInsideConvexHull(double x, double y, const TPDblArray& Hull);
/// Corners of the convex hull of Points (copied exactly), in ascending order of their direction
/// from the mean of the points, measured counter-clockwise from straight below it: with the
/// mean inside the hull, counter-clockwise order. Every point lies inside or on the result;
/// points on an edge and duplicates are left out, collinear points give the two ends and
/// points that all coincide that single point. Points with an infinite or NaN coordinate are
/// ignored. Fewer than 4 points are returned unchanged.
TPDblArray Convex2DHull(const TPDblArray& Points);

}  // namespace NUV_math2
}  // namespace nuv
