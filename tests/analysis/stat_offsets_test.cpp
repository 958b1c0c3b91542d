// Statistics of values far from zero: an offset plus small integers must give the variances,
// correlations and fits of the small integers themselves, which the tests form exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr double kOffsets[] = {0.0, 1e6, 1e8, 1.7e9, 4.5e15};
constexpr int kN = 40;
// Whatever the offset, variances, correlations and fits agree with the exact ones this closely.
constexpr double kRel = 1e-9;
// An exact parabola leaves only rounding in its squared correlation.
constexpr double kExactFit = 1e-12;

// The offset-free data: a(i) = i and b(i), a scrambled companion correlated with it.
std::int64_t A(int i) {
  return i;
}
std::int64_t B(int i) {
  return (i * 7) % 13 + i / 3;
}

// Exact figures of the integers: sums in 64 bits, one rounding at the end.
struct TExact {
  double VarA, VarB, VarD, Cov, Corr, SSR, SSE, MaxDevA, SSWithin;
};

TExact Exact() {
  std::int64_t sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, sdd = 0, sd = 0;
  for (int i = 1; i <= kN; ++i) {
    sa += A(i);
    sb += B(i);
    saa += A(i) * A(i);
    sbb += B(i) * B(i);
    sab += A(i) * B(i);
    sd += A(i) - B(i);
    sdd += (A(i) - B(i)) * (A(i) - B(i));
  }
  const std::int64_t n = kN;
  const std::int64_t caa = n * saa - sa * sa, cbb = n * sbb - sb * sb, cab = n * sab - sa * sb;
  const std::int64_t cdd = n * sdd - sd * sd;
  TExact e{};
  const double nn1 = static_cast<double>(n * (n - 1));
  e.VarA = static_cast<double>(caa) / nn1;
  e.VarB = static_cast<double>(cbb) / nn1;
  e.VarD = static_cast<double>(cdd) / nn1;
  e.Cov = static_cast<double>(cab) / nn1;
  e.Corr =
      static_cast<double>(cab) / std::sqrt(static_cast<double>(caa) * static_cast<double>(cbb));
  // Sum of (b - mean a)^2 = (n·sbb - 2·sa·sb + sa^2) / n.
  e.SSR = static_cast<double>(n * sbb - 2 * sa * sb + sa * sa) / static_cast<double>(n);
  e.SSE = static_cast<double>(sdd);
  std::int64_t worst = 0;  // max |n·a - sa|
  for (int i = 1; i <= kN; ++i) {
    const std::int64_t d = n * A(i) - sa;
    worst = std::max(worst, d < 0 ? -d : d);
  }
  e.MaxDevA = static_cast<double>(worst) / static_cast<double>(n) / std::sqrt(e.VarA);
  // Within the groups i mod 3 of b: the sum over groups of (n_g·Q_g - S_g^2) / n_g.
  for (int g = 0; g < 3; ++g) {
    std::int64_t ng = 0, sg = 0, qg = 0;
    for (int i = 1; i <= kN; ++i) {
      if (i % 3 != g) continue;
      ++ng;
      sg += B(i);
      qg += B(i) * B(i);
    }
    e.SSWithin += static_cast<double>(ng * qg - sg * sg) / static_cast<double>(ng);
  }
  return e;
}

void EnterPairs(TCurveFit& f, double off) {
  for (int i = 1; i <= kN; ++i) {
    f.EnterStatValue(off + static_cast<double>(A(i)), off + static_cast<double>(B(i)));
  }
}

void FillColumns(TMatrix& m, double off) {
  m.Resize(2, kN);
  for (int i = 1; i <= kN; ++i) {
    m.SetVal(1, i, off + static_cast<double>(A(i)));
    m.SetVal(2, i, off + static_cast<double>(B(i)));
  }
}

// What every routine reports for the data at one offset, in the order of the table below.
std::vector<double> Figures(double off) {
  std::vector<double> g;
  TCurveFit f(nullptr);
  EnterPairs(f, off);
  g.insert(g.end(), {f.StdDevX(), f.StdDevY(), f.StdDevDiff(), f.CorrCoeff()});
  Integer n = 0, dfa = 0, dfb = 0, dfc = 0;
  double mx, my, sx, sy, md, sd, r, k, d, q, sse, ssr, sst, mse, msr, F;
  f.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  g.push_back(r * sx * sy);
  f.CalcLinFit(k, d, q);
  g.insert(g.end(), {k, q});
  TDoubleArray kk;
  bool near = true;
  EXPECT_TRUE(f.CalcPolyFit(1, kk, q, near));
  EXPECT_FALSE(near);
  g.push_back(q);
  f.CalcAnovaReg(1, true, dfa, dfb, dfc, sse, ssr, sst, mse, msr, F);
  g.insert(g.end(), {sst, ssr});
  // A far pair entered first and removed again must leave no trace in the figures.
  TCurveFit h(nullptr);
  h.EnterStatValue(off + 1e7, off);
  EnterPairs(h, off);
  h.RemoveStatValue(1);
  h.CalcAnovaReg(1, true, dfa, dfb, dfc, sse, ssr, sst, mse, msr, F);
  g.insert(g.end(), {h.StdDevX(), sse});

  TMatrix data(nullptr), res(nullptr);
  FillColumns(data, off);
  res.Resize(2, 2);
  for (const int mode : {1, 2, 3}) {
    EXPECT_TRUE(CalcCovar(&data, &res, 0, 0, 1, kN, mode));
    g.push_back(res.GetVal(1, 2));
    if (mode == 1) g.push_back(res.GetVal(1, 1));
  }
  EXPECT_TRUE(CalcPrincComp(&data, 0, 0, 1, kN, 1, false));
  g.insert(g.end(), {GetEigenResult(1, 0), GetEigenResult(2, 0)});

  TVector v(nullptr);
  TIntVector groups(nullptr);
  v.Resize(kN);
  groups.Resize(kN);
  for (int i = 1; i <= kN; ++i) v.SetVal(i, off + static_cast<double>(A(i)));
  GrubbsTest(&v, 0.05, q);
  g.push_back(q);
  for (int i = 1; i <= kN; ++i) {
    v.SetVal(i, off + static_cast<double>(B(i)));
    groups.SetVal(i, i % 3);
  }
  Anova1F(&v, &groups, ssr, sse, sst, dfa, dfb, dfc, F);
  g.push_back(sse);
  v.Resize(5);
  const double x[5] = {3, 1, 20, 4, 2};
  for (int i = 0; i < 5; ++i) v.SetVal(i + 1, off + x[i]);
  EXPECT_EQ(DeanDixonTest(&v, Dot010, q), 3);
  g.push_back(q);
  return g;
}

TEST(StatOffsets, EveryVarianceAndCorrelationMatchesTheOffsetFreeValues) {
  test::HookGuard hooks;
  const TExact e = Exact();
  // Eigenvalues of the exact 2 by 2 covariance.
  const double half = 0.5 * (e.VarA + e.VarB);
  const double rad = std::sqrt(0.25 * (e.VarA - e.VarB) * (e.VarA - e.VarB) + e.Cov * e.Cov);
  const std::vector<std::pair<const char*, double>> want = {
      {"StdDevX", std::sqrt(e.VarA)},
      {"StdDevY", std::sqrt(e.VarB)},
      {"StdDevDiff", std::sqrt(e.VarD)},
      {"CorrCoeff", e.Corr},
      {"CalcStatistics r·sx·sy", e.Cov},
      {"CalcLinFit slope", e.Cov / e.VarA},
      {"CalcLinFit FitQual", e.Corr * e.Corr},
      {"CalcPolyFit order 1 FitQual", e.Corr * e.Corr},
      {"CalcAnovaReg SST", e.VarA * (kN - 1)},
      {"CalcAnovaReg SSR", e.SSR},
      {"StdDevX after RemoveStatValue", std::sqrt(e.VarA)},
      {"CalcAnovaReg SSE after RemoveStatValue", e.SSE},
      {"CalcCovar mode 1", e.Cov},
      {"CalcCovar mode 1 diagonal", e.VarA},
      {"CalcCovar mode 2", e.Corr},
      {"CalcCovar mode 3", e.Corr * e.Corr},
      {"CalcPrincComp larger eigenvalue", half + rad},
      {"CalcPrincComp smaller eigenvalue", half - rad},
      {"GrubbsTest G", e.MaxDevA},
      {"Anova1F SSwithin", e.SSWithin},
      {"DeanDixonTest Q", 16.0 / 19.0},
  };
  for (const double off : kOffsets) {
    SCOPED_TRACE("offset " + std::to_string(off));
    const std::vector<double> got = Figures(off);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(want[i].first);
      EXPECT_NEAR(got[i], want[i].second, kRel * std::fabs(want[i].second));
    }
    // A column's squared correlation with itself is 1 exactly.
    TMatrix data(nullptr), res(nullptr);
    FillColumns(data, off);
    res.Resize(2, 2);
    ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, kN, 3));
    EXPECT_EQ(res.GetVal(1, 1), 1.0);
    EXPECT_EQ(res.GetVal(2, 2), 1.0);
  }
}

// The twelve integer points of the circle of radius 5 about (off + 3, off - 7).
TEST(StatOffsets, TheCircleFitKeepsRadiusAndCentreFarFromZero) {
  const int pts[12][2] = {{5, 0},  {-5, 0},  {0, 5}, {0, -5}, {3, 4},  {-3, 4},
                          {3, -4}, {-3, -4}, {4, 3}, {-4, 3}, {4, -3}, {-4, -3}};
  for (const double off : kOffsets) {
    SCOPED_TRACE("offset " + std::to_string(off));
    TCurveFit f(nullptr);
    for (const auto& p : pts) f.EnterStatValue(off + 3 + p[0], off - 7 + p[1]);
    double r = 0.0, dx = 0.0, dy = 0.0;
    f.CalcCircleFit(r, dx, dy);
    EXPECT_NEAR(r, 5.0, 5.0 * kRel);
    // The centre is as exact as a double near the offset can be.
    const double ulp = std::nextafter(off + 8.0, 1e300) - (off + 8.0);
    EXPECT_NEAR(dx - off, 3.0, kRel + ulp);
    EXPECT_NEAR(dy - off, -7.0, kRel + ulp);
  }
}

// y = 3 + 2a + a^2 exactly at x = off + a: in powers of x the coefficients are 1, 2 - 2·off and
// 3 - 2·off + off^2; about x = off + s they are 1, 2 + 2s and 3 + 2s + s^2.
TEST(StatOffsets, PolynomialFitsOfAnExactParabolaAtEveryOffset) {
  test::HookGuard hooks;
  for (const double off : kOffsets) {
    SCOPED_TRACE("offset " + std::to_string(off));
    TCurveFit f(nullptr);
    for (int i = 1; i <= kN; ++i) {
      const double a = static_cast<double>(A(i));
      f.EnterStatValue(off + a, 3.0 + 2.0 * a + a * a);
    }
    TDoubleArray k;
    double q = 0.0;
    bool near = true;
    ASSERT_TRUE(f.CalcPolyFit(2, k, q, near));
    EXPECT_FALSE(near);
    EXPECT_NEAR(k[2], 1.0, kRel);
    EXPECT_NEAR(k[1], 2.0 - 2.0 * off, kRel * std::max(1.0, 2.0 * off));
    EXPECT_NEAR(k[0], 3.0 - 2.0 * off + off * off, kRel * std::max(3.0, off * off));
    EXPECT_NEAR(q, 1.0, kExactFit);

    double k0 = 0.0, k1 = 0.0, k2 = 0.0;
    f.CalcParabolFit(k0, k1, k2, q);
    EXPECT_NEAR(k2, 1.0, kRel);
    EXPECT_NEAR(k1, 2.0 - 2.0 * off, kRel * std::max(1.0, 2.0 * off));

    double shift = 0.0;
    ASSERT_TRUE(f.CalcCenteredPolyFit(2, k, shift, q, near));
    EXPECT_FALSE(near);
    // The mean of x as a double can hold it (20.5 from 4.5e15 on rounds to a neighbour); the
    // coefficients are those about whatever it holds.
    const double s = shift - off;
    EXPECT_NEAR(s, 20.5, 0.5);
    EXPECT_NEAR(k[2], 1.0, kRel);
    EXPECT_NEAR(k[1], 2.0 + 2.0 * s, kRel * 43.0);
    EXPECT_NEAR(k[0], 3.0 + 2.0 * s + s * s, kRel * 464.25);
  }
}

// Equal x whose sum rounds: the mean formed as sum/n may miss the value by an ulp, which must
// not pass for spread.
TEST(StatOffsets, EqualAbscissaeHaveNoSpreadWhateverTheirMeanRoundsTo) {
  test::HookGuard hooks;
  for (const double x : {0.1, 1e6 + 0.1, 1.7e9 + 0.3, 4.5e15 + 1.0}) {
    SCOPED_TRACE("x " + std::to_string(x));
    TCurveFit f(nullptr);
    for (int i = 1; i <= 7; ++i) f.EnterStatValue(x, i);
    EXPECT_EQ(f.StdDevX(), 0.0);
    EXPECT_EQ(f.CorrCoeff(), 0.0);
    double k = 1.0, d = 1.0, q = 1.0;
    NUV_EXPECT_THROW_MSG(f.CalcLinFit(k, d, q), ENUVMath2Error, "CalcLinFit: slope is infinite");
    double k0 = 1.0, k1 = 1.0, k2 = 1.0;
    f.CalcParabolFit(k0, k1, k2, q);
    EXPECT_EQ(k1, 0.0);
    EXPECT_EQ(k2, 0.0);
    EXPECT_EQ(k0, 4.0);
    TDoubleArray kk;
    bool near = false;
    f.CalcPolyFit(1, kk, q, near);
    EXPECT_TRUE(near);
  }
}

}  // namespace
}  // namespace nuv
