// Polynomial fits of a noisy parabola on an offset abscissa against the least-squares solution
// formed here from the normal equations in the centred variable, where they are exact.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr int kN = 40;
// Coefficients as close to the reference as the problem's own conditioning allows.
constexpr double kRel = 1e-9;
// Significance levels also carry the t integral's own error.
constexpr double kAlphaAbs = 1e-9, kAlphaRel = 1e-6;
// Two solutions of one problem give one fit quality.
constexpr double kSameQuality = 1e-12;

double Y(int i) {
  const double u = i;
  return 1.0 + 0.5 * u + 0.25 * u * u + 0.02 * std::sin(2.1 * i);
}

// Least squares in t = i - 20.5: the odd power sums vanish, so the normal equations
// [[n, 0, S2], [0, S2, 0], [S2, 0, S4]]·b = r solve in closed form. Cov is the covariance of b
// over s^2.
struct TReference {
  double b[3];
  double Cov[3][3];
  double s2;
  int df;
};

TReference Reference() {
  double S2 = 0.0, S4 = 0.0, r[3] = {0.0, 0.0, 0.0};
  for (int i = 1; i <= kN; ++i) {
    const double t = i - 20.5;
    S2 += t * t;
    S4 += t * t * t * t;
    r[0] += Y(i);
    r[1] += Y(i) * t;
    r[2] += Y(i) * t * t;
  }
  const double n = kN;
  const double D = n * S4 - S2 * S2;
  TReference ref{};
  ref.Cov[0][0] = S4 / D;
  ref.Cov[0][2] = ref.Cov[2][0] = -S2 / D;
  ref.Cov[2][2] = n / D;
  ref.Cov[1][1] = 1.0 / S2;
  for (int j = 0; j < 3; ++j) {
    ref.b[j] = 0.0;
    for (int k = 0; k < 3; ++k) ref.b[j] += ref.Cov[j][k] * r[k];
  }
  double sse = 0.0;
  for (int i = 1; i <= kN; ++i) {
    const double t = i - 20.5;
    const double e = Y(i) - (ref.b[0] + ref.b[1] * t + ref.b[2] * t * t);
    sse += e * e;
  }
  ref.df = kN - 3;
  ref.s2 = sse / ref.df;
  return ref;
}

// Coefficients of powers of (x - x0), d = x0 minus the centre of t, with their significance;
// Minus0 is taken from the constant before testing it.
void Expanded(const TReference& ref, double d, double Minus0, double k[3], double alpha[3]) {
  // k = T·b with t = (x - x0) + d.
  const double T[3][3] = {{1.0, d, d * d}, {0.0, 1.0, 2.0 * d}, {0.0, 0.0, 1.0}};
  for (int j = 0; j < 3; ++j) {
    k[j] = 0.0;
    double var = 0.0;
    for (int a = 0; a < 3; ++a) {
      k[j] += T[j][a] * ref.b[a];
      for (int b = 0; b < 3; ++b) var += T[j][a] * T[j][b] * ref.Cov[a][b];
    }
    const double tested = j == 0 ? k[j] - Minus0 : k[j];
    const double t = std::fabs(tested) / std::sqrt(ref.s2 * var);
    alpha[j] = 2.0 * (1.0 - tDistriIntegral(t, ref.df));
  }
}

void Fill(TCurveFit& f, double off) {
  for (int i = 1; i <= kN; ++i) f.EnterStatValue(off + i, Y(i));
}

void ExpectClose(double got, double want, double rel, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_NEAR(got, want, rel * std::fabs(want));
}

TEST(CurveFitPolyOffset, RawCoefficientsAndTheirSignificanceMatchTheNormalEquations) {
  test::HookGuard hooks;
  const TReference ref = Reference();
  for (const double off : {0.0, 1e5, 1e6, 1.7e9}) {
    SCOPED_TRACE("offset " + std::to_string(off));
    TCurveFit f(nullptr);
    Fill(f, off);
    TDoubleArray k, alpha;
    double q = 0.0;
    bool near = true;
    ASSERT_TRUE(f.CalcPolyFit(2, k, alpha, q, near));
    EXPECT_FALSE(near);
    double wk[3], wa[3];
    Expanded(ref, -(off + 20.5), 0.0, wk, wa);
    ExpectClose(k[2], wk[2], kRel, "k2");
    ExpectClose(k[1], wk[1], kRel, "k1");
    ExpectClose(k[0], wk[0], kRel, "k0");
    for (int j = 0; j < 3; ++j) {
      SCOPED_TRACE("alpha " + std::to_string(j));
      EXPECT_NEAR(alpha[static_cast<std::size_t>(j)], wa[j], kAlphaAbs + kAlphaRel * wa[j]);
    }

    double k0 = 0.0, k1 = 0.0, k2 = 0.0, pq = 0.0;
    f.CalcParabolFit(k0, k1, k2, pq);
    ExpectClose(k2, wk[2], kRel, "parabola k2");
    ExpectClose(k1, wk[1], kRel, "parabola k1");
    EXPECT_NEAR(pq, q, kSameQuality);
  }
}

TEST(CurveFitPolyOffset, CentredFitAboutAGivenShiftExpandsTheSameSolution) {
  test::HookGuard hooks;
  const TReference ref = Reference();
  double my = 0.0;
  for (int i = 1; i <= kN; ++i) my += Y(i);
  my /= kN;
  for (const double off : {0.0, 1e5}) {
    SCOPED_TRACE("offset " + std::to_string(off));
    TCurveFit f(nullptr);
    Fill(f, off);
    TDoubleArray k, alpha;
    double shift = off + 5.0, q = 0.0;
    bool near = true;
    ASSERT_TRUE(f.CalcCenteredPolyFit(2, k, alpha, shift, q, near));
    EXPECT_EQ(shift, off + 5.0);
    EXPECT_FALSE(near);
    double wk[3], wa[3];
    Expanded(ref, -15.5, my, wk, wa);
    ExpectClose(k[2], wk[2], kRel, "k2");
    ExpectClose(k[1], wk[1], kRel, "k1");
    ExpectClose(k[0], wk[0], kRel, "k0");
    for (int j = 0; j < 3; ++j) {
      SCOPED_TRACE("alpha " + std::to_string(j));
      EXPECT_NEAR(alpha[static_cast<std::size_t>(j)], wa[j], kAlphaAbs + kAlphaRel * wa[j]);
    }
    // About the mean itself the constant is tested less the mean of y, as the fit is solved.
    shift = 0.0;
    ASSERT_TRUE(f.CalcCenteredPolyFit(2, k, alpha, shift, q, near));
    Expanded(ref, 0.0, my, wk, wa);
    ExpectClose(k[1], wk[1], kRel, "k1 about the mean");
    EXPECT_NEAR(alpha[0], wa[0], kAlphaAbs + kAlphaRel * wa[0]);
  }
}

}  // namespace
}  // namespace nuv
