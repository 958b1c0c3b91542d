#pragma once
// Internals shared by the NUV_statis sources: the incomplete gamma and beta functions in
// forms that also hand back the complementary value without cancellation, and the upper
// quantile of Student's t taken from its tail.

#include <cstdint>

namespace nuv::detail {

/// P(a, x) and Q(a, x) = 1 - P(a, x). Whichever of the two the method forms directly is
/// exact to its accuracy; the other is 1 minus it. P is bit-identical to IncompleteGamma.
struct TGammaPQ {
  double P;
  double Q;
};
TGammaPQ IncompleteGammaPQ(double x, double a);

/// I_x(a, b) for 0 <= x <= 1 with y = 1 - x supplied by the caller, who can often form it
/// more accurately than 1 - x. Requires a > 0 and b > 0.
double IncompleteBetaXY(double x, double y, double a, double b);

/// Parameters above which densities and the incomplete functions' prefactors are formed in
/// Loader's saddle-point form rather than from differences of ln Γ.
inline constexpr double kSaddleFrom = 50.0;
/// S(z) = ln Γ(z + 1) - [(z + 1/2) ln z - z + ln √(2π)], Stirling's error (z > 0), to about 13
/// digits absolute.
double StirlingError(double z);
/// The deviance x ln(x/m) + m - x (x >= 0, m > 0), without cancellation where x is near m.
double Deviance(double x, double m);
/// Deviance(x, m) with d = x - m supplied by the caller, who may know it better than x - m.
double DevianceAt(double x, double m, double d);
/// Γ(n + 1)/(Γ(k + 1) Γ(n - k + 1)) p^k q^(n - k) for real 0 < k < n, p + q = 1, in
/// saddle-point form: exp(S(n) - S(k) - S(n - k) - D(k, np) - D(n - k, nq))·√(n/(2πk(n - k))).
double BinomialSaddle(double k, double n, double p, double q);

/// The t >= 0 with P(T > t) = q for Student's t with df degrees of freedom, for 0 < q <= 1/2
/// and df >= 1; 0 otherwise. Taking the tail itself keeps tails far below the spacing of
/// doubles next to 1, which 1 - q would lose.
double tUpperQuantile(double q, std::int32_t df);

}  // namespace nuv::detail
