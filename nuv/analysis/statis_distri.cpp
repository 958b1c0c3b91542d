// Distributions of NUV_statis: normal, Student t, chi-square, F, Weibull and hypergeometric,
// with the Fisher transformation and two small helpers built on them.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/statis_detail.hpp"

namespace nuv {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The normal quantile's bisection halves a bracket of width >= 0.02; 200 halvings exceed
// what any double bracket can take, so this bound only guards against a tolerance that
// cannot be met.
constexpr int kMaxNormalBisections = 200;
// The t quantile doubles its upper end until the tail falls below q (the tail of t with
// df >= 3 reaches the smallest double before 2^400) and then bisects to the last bit.
constexpr int kMaxTBracketDoublings = 1100;
constexpr int kMaxTBisections = 2200;

// Upper tail P(T > t) of Student's t for t >= 0: 1/2·I_{ν/(ν+t²)}(ν/2, 1/2), with the
// complement t²/(ν+t²) formed directly so small t keep their digits.
double TUpperTail(double t, double nu) {
  const double t2 = t * t;
  if (std::isinf(t2)) return 0.0;
  const double den = nu + t2;
  return 0.5 * detail::IncompleteBetaXY(nu / den, t2 / den, 0.5 * nu, 0.5);
}

constexpr double kSaddleFrom = detail::kSaddleFrom;
using detail::BinomialSaddle;
using detail::Deviance;
using detail::StirlingError;

}  // namespace

namespace detail {

double tUpperQuantile(double q, std::int32_t df) {
  if (!(q > 0.0 && q <= 0.5) || df < 1) return 0.0;
  if (q == 0.5) return 0.0;
  constexpr double kPi = std::numbers::pi;
  if (df == 1) {
    if (q >= 0.25) return std::tan(kPi * (0.5 - q));  // 0.5 - q is exact here
    return 1.0 / std::tan(kPi * q);
  }
  if (df == 2) return (1.0 - 2.0 * q) / std::sqrt(2.0 * q * (1.0 - q));
  const double nu = df;
  double lo = 0.0;
  double hi = 1.0;
  for (int i = 0; i < kMaxTBracketDoublings && TUpperTail(hi, nu) >= q; ++i) {
    lo = hi;
    hi *= 2.0;
    if (std::isinf(hi)) return std::numeric_limits<double>::max();
  }
  for (int i = 0; i < kMaxTBisections; ++i) {
    const double mid = lo + (hi - lo) / 2.0;
    if (mid <= lo || mid >= hi) break;
    if (TUpperTail(mid, nu) > q) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo + (hi - lo) / 2.0;
}

}  // namespace detail

inline namespace NUV_statis {

double nDistriDensity(double x) {
  return 0.3989422804014327 * std::exp(-x * x / 2.0);
}

double nDistriIntegral(double x) {
  const detail::TGammaPQ pq = detail::IncompleteGammaPQ(x * x / 2.0, 0.5);
  if (x > 0.0) return (1.0 + pq.P) / 2.0;
  // 1 - P taken as the directly computed Q: the lower tail keeps its relative accuracy.
  return pq.Q / 2.0;
}

double nDistriQuantile(double p) {
  if (!(p > 0.0 && p < 1.0)) return 0.0;
  // Solved on the smaller tail, where Φ keeps its digits, and mirrored: q(1 - p) = -q(p).
  const double q = std::min(p, 1.0 - p);
  const double t = std::sqrt(-2.0 * std::log(q));
  const double z0 = -(t - (2.515517 + 0.802853 * t + 0.010328 * t * t) /
                              (1.0 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t));
  const double c = 0.1 * std::max(std::fabs(z0), 0.1);
  double lo = z0 - c;
  double hi = z0 + c;
  double mid = (lo + hi) / 2.0;
  for (int step = 0; step < kMaxNormalBisections; ++step) {
    mid = (lo + hi) / 2.0;
    const double phi = nDistriIntegral(mid);
    if (std::fabs(phi - q) / q < 1e-8) break;
    // The bracket cannot shrink any further: the tolerance is out of reach.
    if (mid == lo || mid == hi) break;
    if (phi <= q) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return p < 0.5 ? mid : -mid;
}

double WeibullDensity(double x, double shape, double scale) {
  if (!(x > 0.0 && scale > 0.0)) return 0.0;
  const double k = shape;
  // In the ratio u = x/λ alone: (k/λ)·exp((k - 1) ln u - u^k). x^k and λ^k formed apart
  // overflow or underflow long before the density does.
  const double lu = std::log(x / scale);
  return k / scale * std::exp((k - 1.0) * lu - std::exp(k * lu));
}

double HyperGeoDistriDensity(double p, Integer npop, Integer nsample, Integer k) {
  constexpr const char* kName = "HyperGeoDistriDensity";
  if (!(p >= 0.0 && p <= 1.0))
    detail::RaiseFunction<ENUVStatisError>(kName, "probability p must be between 0.0 and 1.0");
  if (npop < 1) detail::RaiseFunction<ENUVStatisError>(kName, "npop must be greater than 0");
  if (nsample > npop)
    detail::RaiseFunction<ENUVStatisError>(kName, "nsample must not be greater than npop");
  if (nsample < 1) detail::RaiseFunction<ENUVStatisError>(kName, "nsample must not be less than 1");
  const double dpop = npop;
  const double m = std::nearbyint(p * dpop);  // halves to even, within 0..npop
  const double dn = nsample;
  const double dk = k;
  if (dk < 0.0 || dk > m || dk > dn || dk < dn + m - dpop) return 0.0;
  const double lnp = LnGamma(m + 1.0) - LnGamma(dk + 1.0) - LnGamma(m - dk + 1.0) +
                     LnGamma(dpop - m + 1.0) - LnGamma(dn - dk + 1.0) -
                     LnGamma(dpop - m - dn + dk + 1.0) - LnGamma(dpop + 1.0) + LnGamma(dn + 1.0) +
                     LnGamma(dpop - dn + 1.0);
  return std::exp(lnp);
}

double FisherTransform(double r) {
  if (r <= -1.0 || r >= 1.0)
    detail::RaiseFunction<ENUVStatisError>("FisherTransform", "argument out of range");
  // Near 0 as ln(1 + 2r/(1 - r)) / 2, with full relative accuracy for tiny r; towards ±1 the
  // quotient form, whose ln is exact where log1p's argument approaches -1.
  if (std::fabs(r) < 0.5) return 0.5 * std::log1p(2.0 * r / (1.0 - r));
  return 0.5 * std::log((1.0 + r) / (1.0 - r));
}

double FisherTransformInv(double z) {
  // e^(2z) overflows above z of about 354; from z = 19 on the quotient is exactly 1.0.
  if (z > 20.0) return 1.0;
  if (std::fabs(z) < 0.5) {
    // tanh z as t/(t + 2), t = e^(2z) - 1 from expm1: no cancellation for tiny z.
    const double t = std::expm1(2.0 * z);
    return t / (t + 2.0);
  }
  const double e = std::exp(2.0 * z);
  return (e - 1.0) / (e + 1.0);
}

double ConfidenceInterval(double alpha, double stddev, Integer n) {
  if (n < 1) return 0.0;
  return nDistriQuantile(1.0 - alpha / 2.0) * stddev / std::sqrt(static_cast<double>(n));
}

double CalcFishQ(double MeanA, double MeanB, double StdDevA, double StdDevB) {
  const double v = StdDevA * StdDevA + StdDevB * StdDevB;
  const double d = MeanA - MeanB;
  return d * d / (v > 1e-6 ? v : 1e-6);
}

double tDistriIntegral(double t, Integer df) {
  if (df < 1) return 0.0;
  if (std::isnan(t)) return kNaN;
  const double q = TUpperTail(std::fabs(t), df);
  return t >= 0.0 ? 1.0 - q : q;
}

double tDistriQuantile(double p, Integer df) {
  if (!(p > 0.0 && p < 1.0) || df < 1) return 0.0;
  if (p == 0.5) return 0.0;
  // p - 1/2 is exact for p >= 1/4; below, the tail form avoids losing the digits of q.
  if (df == 1 && p >= 0.25 && p <= 0.75) return std::tan(std::numbers::pi * (p - 0.5));
  const double q = std::min(p, 1.0 - p);  // 1 - p is exact for p >= 1/2
  const double sign = p < 0.5 ? -1.0 : 1.0;
  return sign * detail::tUpperQuantile(q, df);
}

double FDistriIntegral(double F, Integer df1, Integer df2) {
  if (df1 < 1 || df2 < 1) return 0.0;
  if (std::isnan(F)) return kNaN;
  if (F <= 0.0) return 0.0;
  const double d1 = df1;
  const double d2 = df2;
  const double u = d1 * F;
  if (std::isinf(u)) return 1.0;
  const double den = u + d2;
  return detail::IncompleteBetaXY(u / den, d2 / den, d1 / 2.0, d2 / 2.0);
}

double tDistriDensity(double x, double df) {
  if (!(df > 0.0)) return 0.0;
  const double nu = df;
  if (nu > 2.0 * kSaddleFrom) {
    // Γ(a + 1/2) / (Γ(a) √a) = exp(a ln(1 + 1/(2a)) - 1/2 + S(a + 1/2) - S(a)), a = ν/2, from
    // Stirling's formula with its error terms: it tends to 1, and the density to the normal.
    const double a = nu / 2.0;
    const double lr = a * std::log1p(0.5 / a) - 0.5 + (StirlingError(a + 0.5) - StirlingError(a));
    return std::exp(lr - (nu + 1.0) / 2.0 * std::log1p(x * x / nu)) /
           std::sqrt(2.0 * std::numbers::pi);
  }
  return std::exp(LnGamma((nu + 1.0) / 2.0) - LnGamma(nu / 2.0) -
                  0.5 * std::log(nu * std::numbers::pi) -
                  (nu + 1.0) / 2.0 * std::log1p(x * x / nu));
}

double Chi2DistriDensity(double x, double df) {
  if (!(df > 0.0) || x < 0.0) return 0.0;
  const double k = df;
  if (x == 0.0) return k > 2.0 ? 0.0 : (k == 2.0 ? 0.5 : kInf);
  if (x == kInf) return 0.0;
  const double h = k / 2.0;
  if (h - 1.0 > kSaddleFrom) {
    // (1/2) y^n e^-y / n! with y = x/2, n = h - 1, as exp(-S(n) - D(n, y)) / √(2πn).
    const double n = h - 1.0;
    return 0.5 * std::exp(-StirlingError(n) - Deviance(n, x / 2.0)) /
           std::sqrt(2.0 * std::numbers::pi * n);
  }
  return std::exp((h - 1.0) * std::log(x) - x / 2.0 - h * std::numbers::ln2 - LnGamma(h));
}

double FDistriDensity(double x, double df1, double df2) {
  if (!(df1 > 0.0 && df2 > 0.0) || x < 0.0) return 0.0;
  const double d1 = df1;
  const double d2 = df2;
  if (x == 0.0) return d1 > 2.0 ? 0.0 : (d1 == 2.0 ? 1.0 : kInf);
  if (x == kInf) return 0.0;
  if (std::max(d1, d2) > 2.0 * kSaddleFrom) {
    // x·f = p^a q^b / B(a, b) with a = d1/2, b = d2/2, p = d1 x / (d1 x + d2), q = 1 - p: the
    // binomial probability of a of a + b in saddle-point form, times ab / (a + b).
    const double a = d1 / 2.0, b = d2 / 2.0;
    const double den = d1 * x + d2;
    const double p = d1 * x / den, q = d2 / den;
    return a * b / (a + b) * BinomialSaddle(a, a + b, p, q) / x;
  }
  return std::exp(d1 / 2.0 * std::log(d1) + d2 / 2.0 * std::log(d2) +
                  (d1 / 2.0 - 1.0) * std::log(x) - (d1 + d2) / 2.0 * std::log(d1 * x + d2) -
                  LnBeta(d1 / 2.0, d2 / 2.0));
}

}  // namespace NUV_statis
}  // namespace nuv
