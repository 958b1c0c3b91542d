#pragma once
// Means, variances, covariances, skewness and kurtosis shared by the vectors, matrices and every
// other routine that reports them, so every container gives bit-identical results for the same
// values in the same order.
// - Sums of squares are never formed from raw sums (Sxx - Sx^2/n cancels to nothing for data far
//   from zero): two passes, the deviations from the computed mean corrected by the square of
//   their sum over n.
// - Deviations are taken about the computed mean (the pivot) and then shifted by the mean of the
//   deviations, so they are free of the mean's rounding: data far from zero give the answers of
//   the same data about zero.
// - Values of extreme magnitude are scaled by a power of two first (see scaling.hpp), so a mean,
//   a deviation or a correlation never overflows or underflows while the data and the answer are
//   representable; sums of squares are then held in the scaled units, 4^Exp times smaller.

#include <algorithm>
#include <cmath>

#include "nuv/base/scaling.hpp"

namespace nuv::detail {

/// Mean of n values (n >= 1) that Visit(f) passes to f(double): the plain sum over n, or the
/// same of the values scaled by a power of two when their sum would overflow.
template <class Visit>
double MeanOf(double n, Visit&& visit) {
  double s = 0.0;
  visit([&s](double x) { s += x; });
  if (std::isfinite(s)) return s / n;
  const int e = SafeScaleExponent(MaxAbsOf(visit), 0);
  if (e == 0) return s / n;  // ∞ or NaN among the values
  const double f = ScaleFactor(e);
  double t = 0.0;
  visit([&](double x) { t += x * f; });
  return ScaleUp(t / n, e);
}

/// Harmonic mean of n positive values that Visit(f) passes to f(double): n over the sum of the
/// reciprocals, or, where that sum leaves the safe range (values near the ends of the double
/// range), the smallest value m times n over the sum of m/x, each term in (0, 1].
template <class Visit>
double HarmonicMeanOf(double n, Visit&& visit) {
  double s = 0.0;
  visit([&s](double x) { s += 1.0 / x; });
  if (s >= 0x1p-960 && s <= 0x1p960) return n / s;
  double m = 1.7976931348623157e308;
  visit([&m](double x) { m = std::min(m, x); });
  if (!(m > 0.0) || !(m <= 1.7976931348623157e308)) return n / s;
  double t = 0.0;
  visit([&](double x) { t += m / x; });
  return m * (n / t);
}

/// Location and spread of n values (n >= 1) in the units 2^Exp: Pivot is the plain mean, Shift
/// the mean of the deviations from it (the pivot's rounding error) and SumSq the corrected sum of
/// squared deviations, all in those units.
struct TSpread {
  double N = 0.0, Pivot = 0.0, Shift = 0.0, SumSq = 0.0;
  int Exp = 0;
  /// The mean in the caller's units (the plain mean, as it always was).
  double Mean() const { return ScaleUp(Pivot, Exp); }
  /// SumSq in the caller's units; ∞ when that overflows.
  double SumSqRaw() const { return Exp == 0 ? SumSq : std::ldexp(SumSq, 2 * Exp); }
  /// SumSq/Df in the caller's units: the variance with Df degrees of freedom (∞ on overflow).
  double Variance(double Df) const {
    return Exp == 0 ? SumSq / Df : std::ldexp(SumSq / Df, 2 * Exp);
  }
  /// sqrt(SumSq/Df) in the caller's units: representable whenever the deviations are.
  double StdDev(double Df) const { return ScaleUp(std::sqrt(SumSq / Df), Exp); }
  /// The offset-free deviation of x from the mean, in the units 2^Exp.
  double Dev(double x) const {
    return Exp == 0 ? (x - Pivot) - Shift : (x * ScaleFactor(Exp) - Pivot) - Shift;
  }
  /// The offset-free deviation of x from the mean, in the caller's units.
  double DevRaw(double x) const { return ScaleUp(Dev(x), Exp); }
  /// Dev(x) over the standard deviation with Df degrees of freedom: a z-score in any unit.
  double Z(double x, double Df) const { return Dev(x) / std::sqrt(SumSq / Df); }
};

/// The spread of n values (n >= 1) visited twice by Visit(f), which calls f(double) for every
/// value in container order; values of largest magnitude outside [2^-Limit, 2^Limit] are scaled.
template <class Visit>
TSpread SpreadOf(double n, Visit&& visit, int Limit = kSquareSafeExp) {
  TSpread r;
  r.N = n;
  double s = 0.0, big = 0.0;
  visit([&](double x) {
    s += x;
    big = std::max(big, std::fabs(x));
  });
  r.Exp = WithSafeScale(big, Limit, [&](auto scale) {
    if (scale(1.0) != 1.0) {
      s = 0.0;
      visit([&](double x) { s += scale(x); });
    }
    r.Pivot = s / n;
    double d1 = 0.0, d2 = 0.0;
    visit([&](double x) {
      const double d = scale(x) - r.Pivot;
      d1 += d;
      d2 += d * d;
    });
    r.Shift = d1 / n;
    r.SumSq = d2 - d1 * d1 / n;
    if (!(r.SumSq >= 0.0) && r.SumSq == r.SumSq) r.SumSq = 0.0;
  });
  return r;
}

/// Mean and sum of squared deviations of n values (n >= 1) visited twice by Visit(f); see
/// SpreadOf. SumSq is ∞ when it overflows; use SpreadOf where a deviation is derived from it.
template <class Visit>
void MeanSumSq(double n, Visit&& visit, double& Mean, double& SumSq) {
  const TSpread r = SpreadOf(n, visit);
  Mean = r.Mean();
  SumSq = r.SumSqRaw();
}

/// Means, sums of squared deviations and sum of products of deviations of n pairs (n >= 1)
/// visited twice by Visit(f), which calls f(double x, double y) for every pair in order; the
/// corrected two-pass form of SpreadOf on both members. x and y are each scaled by their own
/// power of two when extreme: every field is in the units 2^ExpX, 2^ExpY (Sxy in 2^(ExpX+ExpY)).
struct TCoMoments {
  double MeanX = 0.0, MeanY = 0.0, Sxx = 0.0, Syy = 0.0, Sxy = 0.0;
  int ExpX = 0, ExpY = 0;
};
template <class Visit>
TCoMoments CoMomentsOf(double n, Visit&& visit) {
  double sx = 0.0, sy = 0.0, bx = 0.0, by = 0.0;
  visit([&](double x, double y) {
    sx += x;
    sy += y;
    bx = std::max(bx, std::fabs(x));
    by = std::max(by, std::fabs(y));
  });
  TCoMoments r;
  r.ExpX = SafeScaleExponent(bx);
  r.ExpY = SafeScaleExponent(by);
  const double fx = ScaleFactor(r.ExpX), fy = ScaleFactor(r.ExpY);
  auto pass = [&](auto scaleX, auto scaleY) {
    if (r.ExpX != 0 || r.ExpY != 0) {
      sx = 0.0;
      sy = 0.0;
      visit([&](double x, double y) {
        sx += scaleX(x);
        sy += scaleY(y);
      });
    }
    r.MeanX = sx / n;
    r.MeanY = sy / n;
    double dx1 = 0.0, dy1 = 0.0, dxx = 0.0, dyy = 0.0, dxy = 0.0;
    visit([&](double x, double y) {
      const double dx = scaleX(x) - r.MeanX;
      const double dy = scaleY(y) - r.MeanY;
      dx1 += dx;
      dy1 += dy;
      dxx += dx * dx;
      dyy += dy * dy;
      dxy += dx * dy;
    });
    r.Sxx = std::max(0.0, dxx - dx1 * dx1 / n);
    r.Syy = std::max(0.0, dyy - dy1 * dy1 / n);
    r.Sxy = dxy - dx1 * dy1 / n;
  };
  auto same = [](double x) { return x; };
  auto byX = [fx](double x) { return x * fx; };
  auto byY = [fy](double y) { return y * fy; };
  if (r.ExpX == 0 && r.ExpY == 0) {
    pass(same, same);
  } else {
    pass(byX, byY);
  }
  return r;
}

/// Pearson's r from co-moments: 0 when either member has no spread, clamped to -1..1. The
/// denominator is sqrt(Sxx·Syy) where that product is normal (so a member correlates with itself
/// at exactly 1) and sqrt(Sxx)·sqrt(Syy) where it would overflow or underflow.
inline double CorrelationOf(const TCoMoments& M) {
  if (!(M.Sxx > 0.0) || !(M.Syy > 0.0)) return 0.0;
  const double p = M.Sxx * M.Syy;
  const bool normal = p >= 0x1p-1022 && p <= 0x1.fffffffffffffp1023;
  const double r = M.Sxy / (normal ? std::sqrt(p) : std::sqrt(M.Sxx) * std::sqrt(M.Syy));
  return std::clamp(r, -1.0, 1.0);
}

/// Skewness and excess kurtosis of n values (n >= 2) visited twice by Visit(f), which calls
/// f(double) for every value in container order: the mean first, then the sums of the first to
/// fourth powers of the deviations, centred on the exact mean of the deviations (so data far from
/// zero give the answers of the same data about zero) and scaled by a power of two where fourth
/// powers would leave the normal range. With a standard deviation of 0 the third and fourth sums
/// are returned (0 then, as the deviations are).
template <class Visit>
void SkewKurtOf(double n, Visit&& visit, double& Skewness, double& Kurtosis) {
  double s = 0.0, big = 0.0;
  visit([&](double x) {
    s += x;
    big = std::max(big, std::fabs(x));
  });
  double m2 = 0, m3 = 0, m4 = 0;
  WithSafeScale(big, kFourthSafeExp, [&](auto scale) {
    if (scale(1.0) != 1.0) {
      s = 0.0;
      visit([&](double x) { s += scale(x); });
    }
    const double m = s / n;
    double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
    visit([&](double x) {
      const double d = scale(x) - m;
      const double dd = d * d;
      d1 += d;
      d2 += dd;
      d3 += dd * d;
      d4 += dd * dd;
    });
    // Central sums about m + c from the sums about m (binomial expansion, c = d1/n).
    const double c = d1 / n;
    m2 = std::max(0.0, d2 - d1 * c);
    m3 = d3 - 3.0 * c * d2 + 2.0 * n * c * c * c;
    m4 = std::max(0.0, d4 - 4.0 * c * d3 + 6.0 * c * c * d2 - 3.0 * n * c * c * c * c);
  });
  const double sd = std::sqrt(m2 / (n - 1));
  if (sd != 0) {
    Skewness = m3 / n / (sd * sd * sd);
    Kurtosis = m4 / n / (sd * sd * sd * sd) - 3.0;
  } else {
    Skewness = m3;
    Kurtosis = m4;
  }
}

/// Sample-corrected skewness and kurtosis of n values from the plain ones; 0 for n < 4.
inline void SampleSkewKurt(double n, double skew, double kurt, double& Skewness, double& Kurtosis) {
  Skewness = 0.0;
  Kurtosis = 0.0;
  if (n < 4) return;
  Kurtosis = (kurt + 3.0) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
             3.0 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
  Skewness = skew * n * n / ((n - 1) * (n - 2));
}

}  // namespace nuv::detail
