#pragma once
// TSLine: a straight line in the plane in general form A·x + B·y + C = 0.

#include "nuv/platform/component.hpp"
#include "nuv/platform/exceptions.hpp"

namespace nuv {

/// Error class of the unit NUV_sline. It derives from Exception, not ENUVError, and its
/// messages carry no component prefix.
class ENUVSLineError : public Exception {
 public:
  using Exception::Exception;
};

/// Straight-line component. A and B are never both zero through the writers; every failure
/// raises ENUVSLineError and leaves the line unchanged.
class TSLine : public TComponent {
 public:
  /// The x axis: A = 0, B = 1, C = 0; SubstituteInf false.
  explicit TSLine(TComponent* AOwner);

  double ParA() const noexcept { return FParA; }
  /// Raises "parameter A and B must not both be zero" when Value = 0 and B = 0.
  void SetParA(double Value);
  double ParB() const noexcept { return FParB; }
  /// Raises "parameter A and B must not both be zero" when Value = 0 and A = 0.
  void SetParB(double Value);
  double ParC() const noexcept { return FParC; }
  void SetParC(double Value) noexcept { FParC = Value; }

  /// When true, CalcX and CalcY divide by 1e-100 instead of raising on a zero coefficient.
  bool SubstituteInf() const noexcept { return FSubstInf; }
  void SetSubstituteInf(bool Value) noexcept { FSubstInf = Value; }

  /// Angle of the direction vector (B, -A), in [0, 2π); +0 for the x axis.
  double Direction() const noexcept;
  /// -A/B; raises "slope is infinite" when B = 0.
  double Slope() const;
  /// -C/B; raises "cannot calculate intercept (line is parallel to y axis)" when B = 0.
  double Intercept() const;

  /// Intersection with OtherLine into (x, y) and true; false with x, y untouched when the lines
  /// are parallel, the point lies beyond the double range (or OtherLine is null). The
  /// coefficients are brought to a common power-of-two unit first, so lines whose coefficients
  /// are multiplied by any factor meet at the same point.
  bool InterSection(const TSLine* OtherLine, double& x, double& y) const noexcept;
  /// The acute angle between the lines in [0, π/2] radians, the same whatever factor multiplies
  /// either line's coefficients; 0 when OtherLine is null.
  double AngleBetweenLines(const TSLine* OtherLine) const noexcept;
  /// The line through (px, py) at angle radians from the x axis.
  void LineThroughPoint(double px, double py, double angle) noexcept;
  /// Slope-intercept form y = k·x + d; raises "cannot convert to k-d-form if ParB is zero" when
  /// B = 0, leaving k and d untouched.
  void CalcKDForm(double& k, double& d) const;
  /// The line through both points and true; false and no change when the points are equal.
  bool LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y) noexcept;
  /// The line y = k·x + d.
  void LineFromSlopeIcpt(double k, double d) noexcept;
  /// Signed distance of (px, py) from the line, positive on the side the normal (A, B) points to.
  double Distance(double px, double py) const noexcept;
  /// This line becomes the perpendicular to OtherLine through (px, py); OtherLine may be this
  /// line. A null OtherLine changes nothing.
  void NormalLine(double px, double py, const TSLine* OtherLine) noexcept;
  /// This line becomes the parallel to OtherLine through (px, py). A null OtherLine changes
  /// nothing.
  void ParallelLine(double px, double py, const TSLine* OtherLine) noexcept;
  /// x of the line at y; when A = 0 raises "cannot calculate x", or divides by 1e-100 when
  /// SubstituteInf is true.
  double CalcX(double y) const;
  /// y of the line at x; when B = 0 raises "cannot calculate y", or divides by 1e-100 when
  /// SubstituteInf is true.
  double CalcY(double x) const;
  /// End points of the part of the line inside the rectangle from the lower-left corner
  /// (bllx, blly) to the upper-right corner (burx, bury), edges included. True when the line
  /// meets the rectangle. With a single contact point both end points are that point; a line
  /// along an edge or through a corner gives the two contact points farthest apart. The
  /// outputs stay untouched when the result is false.
  bool ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1,
               double& x2, double& y2);

 private:
  double FParA = 0.0;
  double FParB = 1.0;
  double FParC = 0.0;
  bool FSubstInf = false;
};

}  // namespace nuv
