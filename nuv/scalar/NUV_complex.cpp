#include "nuv/scalar/NUV_complex.hpp"

#include <cmath>
#include <limits>

#include "nuv/base/scaling.hpp"

namespace nuv {
inline namespace NUV_complex {

Extended CpxNearZero = 1e-15;

namespace {

constexpr Extended kTiny = std::numeric_limits<Extended>::min();

bool IsFinite(const TComplex& z) {
  return std::isfinite(z.re) && std::isfinite(z.im);
}

// Smith's division: scales by the larger part of b, so no square of b is formed.
TComplex SmithDiv(const TComplex& a, const TComplex& b) {
  if (std::fabs(b.re) >= std::fabs(b.im)) {
    const Extended r = b.im / b.re;
    const Extended den = b.re + b.im * r;
    return {(a.re + a.im * r) / den, (a.im - a.re * r) / den};
  }
  const Extended r = b.re / b.im;
  const Extended den = b.re * r + b.im;
  return {(a.re * r + a.im) / den, (a.im * r - a.re) / den};
}

}  // namespace

TComplex Cpx(Extended re, Extended im) {
  return {re, im};
}

Extended CpxAbs(const TComplex& z) {
  const Extended s = z.re * z.re + z.im * z.im;
  // The plain formula where the sum of squares is a normal number; hypot where it overflowed
  // or lost its precision to underflow.
  if (std::isinf(s) || (s < kTiny && (z.re != 0 || z.im != 0))) return std::hypot(z.re, z.im);
  return std::sqrt(s);
}

Extended CpxAbsSqr(const TComplex& z) {
  return z.re * z.re + z.im * z.im;
}

TComplex CpxAdd(const TComplex& a, const TComplex& b) {
  return {a.re + b.re, a.im + b.im};
}

TComplex CpxSub(const TComplex& a, const TComplex& b) {
  return {a.re - b.re, a.im - b.im};
}

TComplex CpxConj(const TComplex& z) {
  return {z.re, -z.im};
}

TComplex CpxNeg(const TComplex& z) {
  return {-z.re, -z.im};
}

TComplex CpxMult(const TComplex& a, const TComplex& b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  if (b.re == 0 && b.im == 0) {
    detail::RaiseFunction<ENUVComplexError>("CpxDiv", "division by zero");
  }
  const double bigA = static_cast<double>(std::fmax(std::fabs(a.re), std::fabs(a.im)));
  const double bigB = static_cast<double>(std::fmax(std::fabs(b.re), std::fabs(b.im)));
  const int ea = detail::SafeScaleExponent(bigA);
  const int eb = detail::SafeScaleExponent(bigB);
  if ((ea == 0 && eb == 0) || !IsFinite(a) || !IsFinite(b)) {
    // Operands of ordinary magnitude (or not finite): the plain formula, Smith's where |b|^2
    // still leaves the normal range.
    const Extended d = b.re * b.re + b.im * b.im;
    const TComplex q{(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
    if (std::isfinite(d) && d >= kTiny && IsFinite(q)) return q;
    if (!IsFinite(a) || !IsFinite(b)) return q;
    const TComplex s = SmithDiv(a, b);
    if (!IsFinite(s)) detail::RaiseFunction<ENUVComplexError>("CpxDiv", "division by zero");
    return s;
  }
  // Both operands brought to their own power-of-two unit (largest part in [0.5, 1)), so no
  // product or square can overflow or underflow; the quotient is scaled back once, and only a
  // quotient that itself overflows raises.
  const int ua = detail::SafeScaleExponent(bigA, 0);
  const int ub = detail::SafeScaleExponent(bigB, 0);
  const Extended fa = detail::ScaleFactor(ua), fb = detail::ScaleFactor(ub);
  const TComplex sa{a.re * fa, a.im * fa}, sb{b.re * fb, b.im * fb};
  const TComplex s = SmithDiv(sa, sb);
  const TComplex q{std::ldexp(s.re, ua - ub), std::ldexp(s.im, ua - ub)};
  if (!IsFinite(q)) detail::RaiseFunction<ENUVComplexError>("CpxDiv", "division by zero");
  return q;
}

bool CpxIsEqual(const TComplex& a, const TComplex& b) {
  return a.re == b.re && a.im == b.im;
}

bool CpxIsNearEqual(const TComplex& a, const TComplex& b) {
  return std::fabs(a.re - b.re) < CpxNearZero && std::fabs(a.im - b.im) < CpxNearZero;
}

bool CpxIsZero(const TComplex& z) {
  const auto part = [](Extended x) { return std::fabs(x) < CpxNearZero ? Extended(0) : x; };
  return part(z.re) == 0 && part(z.im) == 0;
}

TComplexPolar ConvertRectToPolar(const TComplex& z) {
  return {CpxAbs(z), std::atan2(z.im, z.re)};
}

TComplex ConvertPolarToRect(const TComplexPolar& p) {
  return {p.r * std::cos(p.phi), p.r * std::sin(p.phi)};
}

}  // namespace NUV_complex
}  // namespace nuv
