#pragma once
// Sums of squares, products and fourth powers that neither overflow nor underflow while the data
// and the answer are representable. One rule for every routine that squares data: values whose
// largest magnitude lies in [2^-L, 2^L] are used as they are (L = 480 for squares and products,
// 240 for fourth powers, so that a sum of up to 2^60 such terms stays normal and finite); other
// values are first multiplied by the power of two that brings their largest magnitude into
// [0.5, 1), and the result is scaled back. A power of two scales exactly, so the common case
// computes the same bits as the plain formula and a scaled one the same answer in other units
// (the thresholds are Blue's; LAPACK's xLASSQ and xLASCL work the same way).

#include <algorithm>
#include <cmath>

namespace nuv::detail {

/// Largest exponent magnitude at which values may be squared or multiplied and summed raw.
inline constexpr int kSquareSafeExp = 480;
/// Largest exponent magnitude at which values may be raised to the fourth power and summed raw.
inline constexpr int kFourthSafeExp = 240;
/// Largest exponent magnitude at which values may enter weighted sums (filters, quadrature)
/// raw: weights and counts of up to 2^60 keep such sums finite and normal.
inline constexpr int kLinearSafeExp = 960;

/// The exponent e by which values whose largest magnitude is Big are to be divided (x·2^-e)
/// before they are squared (Limit kSquareSafeExp) or raised to the fourth (kFourthSafeExp): 0 when
/// Big is 0, not finite or within [2^-Limit, 2^Limit]; otherwise Big·2^-e lies in [0.5, 1), or
/// above it for subnormal Big, whose scaling factor would not be representable.
inline int SafeScaleExponent(double Big, int Limit = kSquareSafeExp) {
  if (!(Big > 0.0) || !(Big <= 1.7976931348623157e308)) return 0;
  int e = 0;
  std::frexp(Big, &e);
  if (e > Limit || e < -Limit) return std::max(e, -1021);
  return 0;
}

/// 2^-e as a factor: multiplying by it is exact wherever the product is normal.
inline double ScaleFactor(int e) {
  return std::ldexp(1.0, -e);
}

/// x·2^e, rounded once (∞ when it overflows, as the quantity itself then does).
inline double ScaleUp(double x, int e) {
  return e == 0 ? x : std::ldexp(x, e);
}

/// Largest magnitude among the values that Visit(f) passes to f(double); NaN is skipped.
template <class Visit>
double MaxAbsOf(Visit&& visit) {
  double big = 0.0;
  visit([&big](double x) { big = std::max(big, std::fabs(x)); });
  return big;
}

/// Runs Body(scale) once with scale the identity when the values of largest magnitude Big are
/// safe for powers up to Limit's, else with scale(x) = x·2^-e; returns e, the exponent by which
/// the results of Body are in the caller's units (a length times 2^e, a square times 4^e).
template <class Body>
int WithSafeScale(double Big, int Limit, Body&& body) {
  const int e = SafeScaleExponent(Big, Limit);
  if (e == 0) {
    body([](double x) { return x; });
  } else {
    const double f = ScaleFactor(e);
    body([f](double x) { return x * f; });
  }
  return e;
}

/// Square root of the sum of the squares of the values that Visit(f) passes to f(double),
/// without overflow or underflow: the plain sum where it lies well inside the normal range, else
/// a second pass scaled by a power of two.
template <class Visit>
double RootSumSq(Visit&& visit) {
  double s = 0.0;
  visit([&s](double x) { s += x * x; });
  if (s >= 0x1p-960 && s <= 0x1p960) return std::sqrt(s);
  const double big = MaxAbsOf(visit);
  const int e = SafeScaleExponent(big, 0);
  if (e == 0) return std::sqrt(s);  // all zero, or ∞ or NaN among the values
  const double f = ScaleFactor(e);
  double t = 0.0;
  visit([&](double x) {
    const double y = x * f;
    t += y * y;
  });
  return ScaleUp(std::sqrt(t), e);
}

/// Square root of the sum of the squared differences x − y of the pairs that Visit(f) passes to
/// f(double x, double y): a Euclidean distance without overflow or underflow, also where a
/// difference of two representable values is not. The plain sum where it is safe, else a pass
/// scaled by the largest difference (or, where that overflows, by the largest value).
template <class Visit>
double RootSumSqDiff(Visit&& visit) {
  double s = 0.0;
  visit([&s](double x, double y) {
    const double d = x - y;
    s += d * d;
  });
  if (s >= 0x1p-960 && s <= 0x1p960) return std::sqrt(s);
  double bd = 0.0, bv = 0.0;
  visit([&](double x, double y) {
    bd = std::max(bd, std::fabs(x - y));
    bv = std::max(bv, std::max(std::fabs(x), std::fabs(y)));
  });
  const int e = SafeScaleExponent(bd <= 1.7976931348623157e308 ? bd : bv, 0);
  if (e == 0) return std::sqrt(s);  // all equal, or ∞ or NaN among the values
  const double f = ScaleFactor(e);
  double t = 0.0;
  visit([&](double x, double y) {
    const double d = x * f - y * f;
    t += d * d;
  });
  return ScaleUp(std::sqrt(t), e);
}

}  // namespace nuv::detail
