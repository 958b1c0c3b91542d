#include "nuv/analysis/TSLine.hpp"

#include <cmath>
#include <numbers>

#include "nuv/base/scaling.hpp"

namespace nuv {

namespace {

constexpr const char* kBothZero = "parameter A and B must not both be zero";
// Stands in for a zero coefficient when SubstituteInf is set: the quotient becomes huge and
// lands outside any sensible clipping rectangle.
constexpr double kTinyDivisor = 1e-100;

// |(A, B)| without overflow or underflow of the squares for extreme coefficients; ordinary
// coefficients keep the plain formula.
double NormOf(double A, double B) noexcept {
  double n = std::sqrt(A * A + B * B);
  if (n > 0.0 && std::isfinite(n)) return n;
  const double s = std::fmax(std::fabs(A), std::fabs(B));
  if (!(s > 0.0) || !std::isfinite(s)) return n;
  const double a = A / s;
  const double b = B / s;
  return s * std::sqrt(a * a + b * b);
}

// The factor 2^-e that brings the larger of |A| and |B| into [0.5, 1): exact, so a line's
// coefficients times it describe the same line, with products that neither overflow nor
// underflow (see scaling.hpp); ordinary lines give the same bits as before.
double UnitFactor(double A, double B) noexcept {
  return detail::ScaleFactor(detail::SafeScaleExponent(std::fmax(std::fabs(A), std::fabs(B)), 0));
}

// Sets SubstituteInf for its lifetime and restores the previous value.
class SubstituteScope {
 public:
  explicit SubstituteScope(TSLine& L) : FLine(L), FSaved(L.SubstituteInf()) {
    L.SetSubstituteInf(true);
  }
  ~SubstituteScope() { FLine.SetSubstituteInf(FSaved); }
  SubstituteScope(const SubstituteScope&) = delete;
  SubstituteScope& operator=(const SubstituteScope&) = delete;

 private:
  TSLine& FLine;
  bool FSaved;
};

}  // namespace

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

void TSLine::SetParA(double Value) {
  if (Value == 0.0 && FParB == 0.0) throw ENUVSLineError(kBothZero);
  FParA = Value;
}

void TSLine::SetParB(double Value) {
  if (Value == 0.0 && FParA == 0.0) throw ENUVSLineError(kBothZero);
  FParB = Value;
}

double TSLine::Direction() const noexcept {
  double a;
  if (FParB != 0.0)
    a = std::atan(-FParA / FParB);
  else
    a = FParA > 0.0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  if (FParB <= 0.0) return a + std::numbers::pi;
  if (FParA > 0.0) return a + 2 * std::numbers::pi;
  // A = 0 gives atan(-0) = -0; the angle is +0.
  return a + 0.0;
}

double TSLine::Slope() const {
  if (FParB == 0.0) throw ENUVSLineError("slope is infinite");
  return -FParA / FParB;
}

double TSLine::Intercept() const {
  if (FParB == 0.0) throw ENUVSLineError("cannot calculate intercept (line is parallel to y axis)");
  return -FParC / FParB;
}

bool TSLine::InterSection(const TSLine* OtherLine, double& x, double& y) const noexcept {
  if (OtherLine == nullptr) return false;
  const double f1 = UnitFactor(FParA, FParB);
  const double f2 = UnitFactor(OtherLine->FParA, OtherLine->FParB);
  const double a1 = FParA * f1, b1 = FParB * f1, c1 = FParC * f1;
  const double a2 = OtherLine->FParA * f2;
  const double b2 = OtherLine->FParB * f2;
  const double c2 = OtherLine->FParC * f2;
  const double det = a1 * b2 - a2 * b1;
  if (det == 0.0) return false;
  const double xi = (b1 * c2 - b2 * c1) / det;
  const double yi = (c1 * a2 - c2 * a1) / det;
  if (!std::isfinite(xi) || !std::isfinite(yi)) return false;  // beyond the double range
  x = xi;
  y = yi;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine* OtherLine) const noexcept {
  if (OtherLine == nullptr) return 0.0;
  const double f1 = UnitFactor(FParA, FParB);
  const double f2 = UnitFactor(OtherLine->FParA, OtherLine->FParB);
  const double a1 = FParA * f1, b1 = FParB * f1;
  const double a2 = OtherLine->FParA * f2, b2 = OtherLine->FParB * f2;
  const double s = a1 * a2 + b1 * b2;
  if (s == 0.0) return std::numbers::pi / 2;
  return std::fabs(std::atan((a1 * b2 - b1 * a2) / s));
}

void TSLine::LineThroughPoint(double px, double py, double angle) noexcept {
  FParA = -std::sin(angle);
  FParB = std::cos(angle);
  FParC = -FParA * px - FParB * py;
}

void TSLine::CalcKDForm(double& k, double& d) const {
  if (FParB == 0.0) throw ENUVSLineError("cannot convert to k-d-form if ParB is zero");
  k = -FParA / FParB;
  d = -FParC / FParB;
}

bool TSLine::LineFrom2Points(double P1X, double P1Y, double P2X, double P2Y) noexcept {
  if (P1X == P2X && P1Y == P2Y) return false;
  FParA = P1Y - P2Y;
  FParB = P2X - P1X;
  FParC = P1X * P2Y - P1Y * P2X;
  return true;
}

void TSLine::LineFromSlopeIcpt(double k, double d) noexcept {
  FParA = k;
  FParB = -1.0;
  FParC = d;
}

double TSLine::Distance(double px, double py) const noexcept {
  return (FParA * px + FParB * py + FParC) / NormOf(FParA, FParB);
}

void TSLine::NormalLine(double px, double py, const TSLine* OtherLine) noexcept {
  if (OtherLine == nullptr) return;
  // Read the other line first: it may be this line.
  const double a2 = OtherLine->FParA;
  const double b2 = OtherLine->FParB;
  FParA = -b2;
  FParB = a2;
  FParC = b2 * px - a2 * py;
}

void TSLine::ParallelLine(double px, double py, const TSLine* OtherLine) noexcept {
  if (OtherLine == nullptr) return;
  const double a2 = OtherLine->FParA;
  const double b2 = OtherLine->FParB;
  FParA = a2;
  FParB = b2;
  FParC = -a2 * px - b2 * py;
}

double TSLine::CalcX(double y) const {
  double a = FParA;
  if (a == 0.0) {
    if (!FSubstInf) throw ENUVSLineError("cannot calculate x");
    a = kTinyDivisor;
  }
  return (-y * FParB - FParC) / a;
}

double TSLine::CalcY(double x) const {
  double b = FParB;
  if (b == 0.0) {
    if (!FSubstInf) throw ENUVSLineError("cannot calculate y");
    b = kTinyDivisor;
  }
  return (-x * FParA - FParC) / b;
}

bool TSLine::ClipBox(double bllx, double blly, double burx, double bury, double& x1, double& y1,
                     double& x2, double& y2) {
  struct Hit {
    double x, y;
  };
  Hit hits[4];
  int n = 0;
  {
    SubstituteScope subst(*this);
    double v = CalcY(bllx);
    if (blly <= v && v <= bury) hits[n++] = {bllx, v};
    v = CalcY(burx);
    if (blly <= v && v <= bury) hits[n++] = {burx, v};
    v = CalcX(blly);
    if (bllx <= v && v <= burx) hits[n++] = {v, blly};
    v = CalcX(bury);
    if (bllx <= v && v <= burx) hits[n++] = {v, bury};
  }
  if (n == 0) return false;
  // A line through a corner or along an edge meets more than two edges; the contact points
  // farthest apart bound the clipped part.
  int far = 0;
  double farDist = -1.0;
  for (int i = 1; i < n; ++i) {
    const double dx = hits[i].x - hits[0].x;
    const double dy = hits[i].y - hits[0].y;
    const double d = dx * dx + dy * dy;
    if (d > farDist) {
      farDist = d;
      far = i;
    }
  }
  x1 = hits[0].x;
  y1 = hits[0].y;
  x2 = hits[far].x;
  y2 = hits[far].y;
  return true;
}

}  // namespace nuv
