#pragma once
// Skewness and kurtosis shared by the vectors, matrices and other containers, so every container
// gives bit-identical results for the same values in the same order.

#include <cmath>

namespace nuv::detail {

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
