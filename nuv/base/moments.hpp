#pragma once
// Means, variances, covariances, skewness and kurtosis shared by the vectors, matrices and every
// other routine that reports them, so every container gives bit-identical results for the same
// values in the same order. Sums of squares are never formed from raw sums (Sxx - Sx^2/n
// cancels to nothing for data far from zero): two passes, the deviations from the computed mean
// corrected by the square of their sum over n.

#include <algorithm>
#include <cmath>

namespace nuv::detail {

/// Mean and sum of squared deviations of n values (n >= 1) visited twice by Visit(f), which
/// calls f(double) for every value in container order: the corrected two-pass form
/// SS = sum d^2 - (sum d)^2 / n with d = x - mean, never negative.
template <class Visit>
void MeanSumSq(double n, Visit&& visit, double& Mean, double& SumSq) {
  double s = 0.0;
  visit([&s](double x) { s += x; });
  const double m = s / n;
  double d1 = 0.0, d2 = 0.0;
  visit([&](double x) {
    const double d = x - m;
    d1 += d;
    d2 += d * d;
  });
  Mean = m;
  SumSq = d2 - d1 * d1 / n;
  if (!(SumSq >= 0.0) && SumSq == SumSq) SumSq = 0.0;
}

/// Means, sums of squared deviations and sum of products of deviations of n pairs (n >= 1)
/// visited twice by Visit(f), which calls f(double x, double y) for every pair in order; the
/// corrected two-pass form of MeanSumSq on both members.
struct TCoMoments {
  double MeanX = 0.0, MeanY = 0.0, Sxx = 0.0, Syy = 0.0, Sxy = 0.0;
};
template <class Visit>
TCoMoments CoMomentsOf(double n, Visit&& visit) {
  double sx = 0.0, sy = 0.0;
  visit([&](double x, double y) {
    sx += x;
    sy += y;
  });
  TCoMoments r;
  r.MeanX = sx / n;
  r.MeanY = sy / n;
  double dx1 = 0.0, dy1 = 0.0, dxx = 0.0, dyy = 0.0, dxy = 0.0;
  visit([&](double x, double y) {
    const double dx = x - r.MeanX;
    const double dy = y - r.MeanY;
    dx1 += dx;
    dy1 += dy;
    dxx += dx * dx;
    dyy += dy * dy;
    dxy += dx * dy;
  });
  r.Sxx = std::max(0.0, dxx - dx1 * dx1 / n);
  r.Syy = std::max(0.0, dyy - dy1 * dy1 / n);
  r.Sxy = dxy - dx1 * dy1 / n;
  return r;
}

/// Pearson's r from co-moments: 0 when either member has no spread, clamped to -1..1.
inline double CorrelationOf(const TCoMoments& M) {
  if (!(M.Sxx > 0.0) || !(M.Syy > 0.0)) return 0.0;
  const double r = M.Sxy / std::sqrt(M.Sxx * M.Syy);
  return std::clamp(r, -1.0, 1.0);
}

/// Skewness and excess kurtosis of n values (n >= 2) visited twice by Visit(f), which calls
/// f(double) for every value in container order: the mean first, then the sums of the first to
/// fourth powers of the deviations. With a standard deviation of 0 the raw third and fourth sums
/// are returned.
template <class Visit>
void SkewKurtOf(double n, Visit&& visit, double& Skewness, double& Kurtosis) {
  double s = 0.0;
  visit([&s](double x) { s += x; });
  const double m = s / n;
  double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
  visit([&](double x) {
    const double d = x - m;
    const double dd = d * d;
    d1 += d;
    d2 += dd;
    d3 += dd * d;
    d4 += dd * dd;
  });
  const double sd = std::sqrt((d2 - d1 * d1 / n) / (n - 1));
  if (sd != 0) {
    Skewness = d3 / n / (sd * sd * sd);
    Kurtosis = d4 / n / (sd * sd * sd * sd) - 3.0;
  } else {
    Skewness = d3;
    Kurtosis = d4;
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
