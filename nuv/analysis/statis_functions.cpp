// Special functions of NUV_statis: ln Γ, the incomplete gamma and beta functions, the error
// function and binomial coefficients.

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

// Iteration limits far beyond what the methods need where they are used (the series and the
// fractions for parameters below kQuadratureFrom, where they converge in a few hundred terms);
// a method that reaches its limit has not converged and answers NaN, never a partial sum.
constexpr long kMaxSeriesSteps = 100'000;
constexpr int kMaxFractionSteps = 100'000;
// Relative change at which a sum or a fraction has converged: that of rounding.
constexpr double kConverged = 1e-17;
// Parameters above which the incomplete functions are integrated by quadrature over their
// bell: the series and fractions would need of the order of sqrt(a) terms.
constexpr double kGammaQuadratureFrom = 100.0;
constexpr double kBetaQuadratureFrom = 3000.0;

// Continued fraction of the incomplete beta function (modified Lentz), NaN if it does not
// converge within kMaxFractionSteps.
double BetaCF(double x, double a, double b) {
  constexpr double kTiny = 1e-300;
  const double qab = a + b, qap = a + 1.0, qam = a - 1.0;
  double c = 1.0;
  double d = 1.0 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0 / d;
  double h = d;
  for (int m = 1; m <= kMaxFractionSteps; ++m) {
    const int m2 = 2 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1.0 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0) <= 4e-16) return h;
  }
  return kNaN;
}

// Nodes and weights of 64-point Gauss-Legendre quadrature on [0, 1], from Newton's method on
// the Legendre polynomial once.
struct TGaussLegendre {
  static constexpr int kN = 64;
  double X[kN], W[kN];
  TGaussLegendre() {
    for (int i = 0; i < kN / 2; ++i) {
      double z = std::cos(std::numbers::pi * (i + 0.75) / (kN + 0.5));
      double pp = 0.0;
      for (int it = 0; it < 100; ++it) {
        double p1 = 1.0, p2 = 0.0;
        for (int j = 1; j <= kN; ++j) {
          const double p3 = p2;
          p2 = p1;
          p1 = ((2.0 * j - 1.0) * z * p2 - (j - 1.0) * p3) / j;
        }
        pp = kN * (z * p1 - p2) / (z * z - 1.0);
        const double z1 = z;
        z = z1 - p1 / pp;
        if (std::fabs(z - z1) <= 1e-16) break;
      }
      const double w = 2.0 / ((1.0 - z * z) * pp * pp);
      X[i] = 0.5 * (1.0 - z);
      X[kN - 1 - i] = 0.5 * (1.0 + z);
      W[i] = W[kN - 1 - i] = 0.5 * w;
    }
  }
};

const TGaussLegendre& GaussLegendre() {
  static const TGaussLegendre g;
  return g;
}

// ∫ from u to v of f, by the quadrature above on panels of at most Width (at most 8 of them):
// a bell is integrated to rounding over three of its standard deviations per panel.
template <class F>
double Integral(double u, double v, double Width, F f) {
  const TGaussLegendre& g = GaussLegendre();
  const int panels = static_cast<int>(std::clamp(std::ceil((v - u) / Width), 1.0, 8.0));
  const double h = (v - u) / panels;
  double total = 0.0;
  for (int k = 0; k < panels; ++k) {
    const double lo = u + k * h;
    double s = 0.0;
    for (int i = 0; i < TGaussLegendre::kN; ++i) s += g.W[i] * f(lo + h * g.X[i]);
    total += s * h;
  }
  return total;
}

}  // namespace

namespace detail {

double StirlingError(double z) {
  auto series = [](double w) {
    const double r = 1.0 / w, r2 = r * r;
    return r * (1.0 / 12 - r2 * (1.0 / 360 - r2 * (1.0 / 1260 - r2 * (1.0 / 1680 - r2 / 1188))));
  };
  if (z > kSaddleFrom) return series(z);
  // Carried up by Γ(z + K + 1) = Γ(z + 1)·(z + 1)···(z + K) to where the series holds; the
  // terms are of the order of a few hundred, so S keeps about 13 digits absolute.
  const double k = std::ceil(kSaddleFrom - z) + 1.0;
  const double zk = z + k;
  double prod = 1.0;
  for (double j = 1.0; j <= k; j += 1.0) prod *= z + j;
  return (zk + 0.5) * std::log(zk) - zk + series(zk) - std::log(prod) - (z + 0.5) * std::log(z) + z;
}

double DevianceAt(double x, double m, double d) {
  if (std::fabs(d) < 0.1 * (x + m)) {
    // A series in v = (x - m)/(x + m): the terms of x ln(x/m) + m - x cancel near x = m.
    const double v = d / (x + m);
    double s = d * v;
    double ej = 2.0 * x * v;
    const double v2 = v * v;
    for (int j = 1; j < 1000; ++j) {
      ej *= v2;
      const double s1 = s + ej / (2 * j + 1);
      if (s1 == s) return s1;
      s = s1;
    }
    return s;
  }
  if (x == 0.0) return m;
  return x * std::log(x / m) + m - x;
}

double Deviance(double x, double m) {
  return DevianceAt(x, m, x - m);
}

double BinomialSaddle(double k, double n, double p, double q) {
  const double lc = StirlingError(n) - StirlingError(k) - StirlingError(n - k) -
                    Deviance(k, n * p) - Deviance(n - k, n * q);
  return std::exp(lc) * std::sqrt(n / (2.0 * std::numbers::pi * k * (n - k)));
}

TGammaPQ IncompleteGammaPQ(double x, double a) {
  if (std::isnan(x) || std::isnan(a)) return {kNaN, kNaN};
  if (x <= 0.0 || a <= 0.0) return {0.0, 1.0};
  if (a == kInf) return {0.0, 1.0};
  if (x == kInf) return {1.0, 0.0};
  // For a this small the sum starts at an infinite 1/a; P is 1 to double precision there.
  if (std::isinf(1.0 / a)) return {1.0, 0.0};
  if (a >= kGammaQuadratureFrom) {
    // t^(a-1) e^-t / Γ(a) = exp(-S(a1) - D(a1, t)) / √(2π a1), a1 = a - 1: a bell of width
    // √a1 about a1, integrated from x towards the nearer end far enough out that the rest is
    // below rounding. The cost does not grow with a.
    const double a1 = a - 1.0;
    const double sd = std::sqrt(a1);
    const double norm = std::exp(-StirlingError(a1)) / std::sqrt(2.0 * std::numbers::pi * a1);
    // Nodes are placed by their offset from x, and the deviance takes t - a1 from that offset:
    // t itself rounds to an ulp of a, which for huge a is a visible part of the bell's width.
    const double base = x - a1;
    auto densityAt = [&](double s) {
      const double u = base + s;  // t - a1
      return std::exp(-DevianceAt(a1, a1 + u, -u));
    };
    // Far from a1 the integrand falls like e^-(s·u), s = |1 - a1/x| its slope at x: the span
    // is cut to 45/s there, so the nodes see the mass.
    const double slope = std::fabs(1.0 - a1 / x);
    if (x > a1) {
      const double span = std::min(std::max(a1 + 12.0 * sd - x, 9.0 * sd), 45.0 / slope);
      const double q = norm * Integral(0.0, span, 3.0 * sd, densityAt);
      return {1.0 - q, std::clamp(q, 0.0, 1.0)};
    }
    const double span = std::min(std::max(x - (a1 - 12.0 * sd), 9.0 * sd), 45.0 / slope);
    const double p = norm * Integral(-std::min(span, x), 0.0, 3.0 * sd, densityAt);
    return {std::clamp(p, 0.0, 1.0), 1.0 - p};
  }
  // x^a e^-x / Γ(a) in saddle-point form: √(a/(2π))·exp(-S(a) - D(a, x)).
  const double f =
      std::sqrt(a / (2.0 * std::numbers::pi)) * std::exp(-StirlingError(a) - Deviance(a, x));
  if (x < a + 1.0) {
    double ap = a;
    double term = 1.0 / a;
    double sum = term;
    long step = 0;
    for (; step < kMaxSeriesSteps; ++step) {
      ap += 1.0;
      term = term * x / ap;
      sum += term;
      if (std::fabs(term) < kConverged * std::fabs(sum)) break;
    }
    if (step == kMaxSeriesSteps) return {kNaN, kNaN};
    const double p = std::clamp(f * sum, 0.0, 1.0);
    return {p, 1.0 - p};
  }
  // Q is below the smallest double.
  if (f == 0.0) return {1.0, 0.0};
  // Continued fraction for Q (modified Lentz).
  constexpr double kTiny = 1e-300;
  double b = x + 1.0 - a;
  double c = 1.0 / kTiny;
  double d = 1.0 / b;
  double h = d;
  int i = 1;
  for (; i <= kMaxFractionSteps; ++i) {
    const double an = -i * (i - a);
    b += 2.0;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1.0) <= 4e-16) break;
  }
  if (i > kMaxFractionSteps) return {kNaN, kNaN};
  const double q = std::clamp(f * h, 0.0, 1.0);
  return {1.0 - q, q};
}

double IncompleteBetaXY(double x, double y, double a, double b) {
  if (x <= 0.0) return 0.0;
  if (y <= 0.0) return 1.0;
  if (a >= kBetaQuadratureFrom && b >= kBetaQuadratureFrom) {
    // t^(a-1) (1-t)^(b-1) / B(a, b) is a bell of width σ about mu = a1/n (a1 = a - 1,
    // b1 = b - 1, n = a1 + b1): (n + 1)·binom(n; a1)·mu^a1 (1 - mu)^b1 times
    // exp(-D(a1, nt) - D(b1, n(1 - t))), integrated from x towards the nearer end.
    const double a1 = a - 1.0, b1 = b - 1.0, n = a1 + b1;
    const double mu = a1 / n;
    const double sd = std::sqrt(a * b / ((a + b) * (a + b) * (a + b + 1.0)));
    const double norm = (n + 1.0) * BinomialSaddle(a1, n, mu, b1 / n);
    auto density = [&](double t) {
      return std::exp(-Deviance(a1, n * t) - Deviance(b1, n * (1.0 - t)));
    };
    const double slope = std::fabs(b1 / y - a1 / x);
    if (x > mu) {
      const double span = std::min(std::max(mu + 12.0 * sd - x, 9.0 * sd), 45.0 / slope);
      const double q = norm * Integral(x, std::min(1.0, x + span), 3.0 * sd, density);
      return std::clamp(1.0 - q, 0.0, 1.0);
    }
    const double span = std::min(std::max(x - (mu - 12.0 * sd), 9.0 * sd), 45.0 / slope);
    const double p = norm * Integral(std::max(0.0, x - span), x, 3.0 * sd, density);
    return std::clamp(p, 0.0, 1.0);
  }
  // x^a y^b / B(a, b) = ab/(a + b)·binom(a + b; a)·x^a y^b, in saddle-point form.
  const double bt = a * b / (a + b) * BinomialSaddle(a, a + b, x, y);
  if (x < (a + 1.0) / (a + b + 2.0)) return std::clamp(bt * BetaCF(x, a, b) / a, 0.0, 1.0);
  return std::clamp(1.0 - bt * BetaCF(y, b, a) / b, 0.0, 1.0);
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
