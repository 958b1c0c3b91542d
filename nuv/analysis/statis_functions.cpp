// Special functions of NUV_statis: ln Γ, the incomplete gamma and beta functions, the error
// function and binomial coefficients.

#include <cmath>
#include <limits>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/statis_detail.hpp"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The gamma series shrinks its terms by x/(a + n) < 1; for huge a that ratio is 1 minus a
// few ulps (and a + 1 may even equal a), so the sum is cut off after this many terms. Up to
// a of about 2.7e10 the 1e-8 criterion is met well before.
constexpr long kMaxGammaSeriesSteps = 1'000'000;
constexpr int kMaxGammaFractionSteps = 99;
constexpr int kMaxBetaFractionSteps = 100;

// Continued fraction of the incomplete beta function, two terms per step, renormalised by the
// last denominator each step; at most kMaxBetaFractionSteps steps.
double BetaCF(double x, double a, double b) {
  double am = 1.0;
  double bm = 1.0;
  double az = 1.0;
  double bz = 1.0 - (a + b) * x / (a + 1.0);
  for (int m = 1; m <= kMaxBetaFractionSteps; ++m) {
    const double e = a + 2.0 * m;
    double d = m * (b - m) * x / ((e - 1.0) * e);
    const double ap = az + d * am;
    const double bp = bz + d * bm;
    d = -(a + m) * (a + b + m) * x / (e * (e + 1.0));
    const double app = ap + d * az;
    const double bpp = bp + d * bz;
    am = ap / bpp;
    bm = bp / bpp;
    const double azNew = app / bpp;
    bz = 1.0;
    if (std::fabs(azNew - az) < 1e-8 * std::fabs(azNew)) return azNew;
    az = azNew;
  }
  return az;
}

}  // namespace

namespace detail {

TGammaPQ IncompleteGammaPQ(double x, double a) {
  if (std::isnan(x) || std::isnan(a)) return {kNaN, kNaN};
  if (x <= 0.0 || a <= 0.0) return {0.0, 1.0};
  if (a == kInf) return {0.0, 1.0};
  if (x == kInf) return {1.0, 0.0};
  // For a this small the sum starts at an infinite 1/a; P is 1 to double precision there.
  if (std::isinf(1.0 / a)) return {1.0, 0.0};
  const double f = std::exp(a * std::log(x) - x - LnGamma(a));
  if (x < a + 1.0) {
    double ap = a;
    double term = 1.0 / a;
    double sum = term;
    for (long step = 0; step < kMaxGammaSeriesSteps; ++step) {
      ap += 1.0;
      term = term * x / ap;
      sum += term;
      if (std::fabs(term) < 1e-8 * std::fabs(sum)) break;
    }
    const double p = f * sum;
    return {p, 1.0 - p};
  }
  // Q is below the smallest double. The first step of the fraction forms about x² and
  // overflows for x beyond about 1e154, which would turn 0·g into NaN.
  if (f == 0.0) return {1.0, 0.0};
  // Continued fraction for Q, renormalised by 1/a1 each step.
  double a0 = 1.0;
  double a1 = x;
  double b0 = 0.0;
  double b1 = 1.0;
  double fac = 1.0;
  double g = 0.0;
  for (int i = 1; i <= kMaxGammaFractionSteps; ++i) {
    const double ia = i - a;
    a0 = (a1 + a0 * ia) * fac;
    b0 = (b1 + b0 * ia) * fac;
    const double ifac = i * fac;
    a1 = x * a0 + ifac * a1;
    b1 = x * b0 + ifac * b1;
    if (a1 != 0.0) {
      fac = 1.0 / a1;
      const double gNew = b1 * fac;
      if (std::fabs((gNew - g) / gNew) < 1e-8) {
        g = gNew;
        break;
      }
      g = gNew;
    }
  }
  const double q = f * g;
  return {1.0 - q, q};
}

double IncompleteBetaXY(double x, double y, double a, double b) {
  const double bt =
      (x == 0.0 || y == 0.0)
          ? 0.0
          : std::exp(LnGamma(a + b) - LnGamma(a) - LnGamma(b) + a * std::log(x) + b * std::log(y));
  if (x < (a + 1.0) / (a + b + 2.0)) return bt * BetaCF(x, a, b) / a;
  return 1.0 - bt * BetaCF(y, b, a) / b;
}

}  // namespace detail

inline namespace NUV_statis {

double LnGamma(double x) {
  static constexpr double kCoef[6] = {76.18009173,  -86.50532033,  24.01409822,
                                      -1.231739516, 0.00120858003, -5.36382e-6};
  if (x <= 0.0) return 0.0;
  if (x == kInf) return kInf;
  double s = 1.0;
  for (int i = 0; i < 6; ++i) s += kCoef[i] / (x + i);
  // Below about 4e-307 the first term overflows; there ln Γ(x) = -ln x to double precision.
  if (std::isinf(s)) return -std::log(x);
  // Near the top of the range (x - 1/2)·ln(x + 4.5) overflows before ln Γ(x) does: Stirling's
  // formula as x·(ln x - 1) - ln(x)/2 + ln √(2π), exact there to double precision.
  if (x > 1e300) return x * (std::log(x) - 1.0) - 0.5 * std::log(x) + 0.9189385332046727;
  return (x - 0.5) * std::log(x + 4.5) - x - 4.5 + std::log(2.5066282746310007 * s);
}

double IncompleteGamma(double x, double a) {
  return detail::IncompleteGammaPQ(x, a).P;
}

double Erf(double x) {
  if (std::fabs(x) < 0.5) {
    // The Maclaurin series 2/√π Σ (-1)^n x^(2n+1) / (n! (2n + 1)): x² would underflow in the
    // incomplete gamma function, and near 0 the series converges in a few terms to rounding.
    const double x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n < 60; ++n) {
      term *= -x2 / n;
      const double next = sum + term / (2 * n + 1);
      if (next == sum) break;
      sum = next;
    }
    return 1.1283791670955126 * sum;
  }
  const double p = IncompleteGamma(x * x, 0.5);
  return x < 0.0 ? -p : p;
}

double ErfApprox(double x) {
  const double z = std::fabs(x);
  const double t = 1.0 / (1.0 + 0.5 * z);
  const double u =
      t *
      std::exp(
          -z * z - 1.26551223 +
          t * (1.00002368 +
               t * (0.37409196 +
                    t * (0.09678418 +
                         t * (-0.18628806 +
                              t * (0.27886807 + t * (-1.13520398 +
                                                     t * (1.48851587 + t * (-0.82215223 +
                                                                            t * 0.17087277)))))))));
  return x >= 0.0 ? 1.0 - u : 1.0 - (2.0 - u);
}

double LnBeta(double a, double b) {
  if (!(a >= 0.0 && b >= 0.0)) return 0.0;
  return LnGamma(a) + LnGamma(b) - LnGamma(a + b);
}

double IncompleteBeta(double x, double a, double b) {
  if (std::isnan(x) || std::isnan(a) || std::isnan(b)) return kNaN;
  if (x < 0.0) return 0.0;
  if (x > 1.0) return 1.0;
  if (a <= 0.0 || b <= 0.0) return 0.0;
  return detail::IncompleteBetaXY(x, 1.0 - x, a, b);
}

Integer BinomCoeff(Integer n, Integer k) {
  if (n < 0 || k < 0 || n < k) return 0;
  const double c = std::nearbyint(std::exp(LnBinomCoeff(n, k)));
  if (!(c <= 2147483647.0)) return std::numeric_limits<Integer>::max();
  return static_cast<Integer>(c);
}

double LnBinomCoeff(Integer n, Integer k) {
  if (n < 0 || k < 0 || n < k) return -1.0;
  const double dn = n;
  const double dk = k;
  return LnGamma(dn + 1.0) - LnGamma(dk + 1.0) - LnGamma(dn - dk + 1.0);
}

}  // namespace NUV_statis
}  // namespace nuv
