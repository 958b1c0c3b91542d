// TRandGen: table handling, shape fillers and the distribution of its draws (fixed seeds of
// the process-wide generator, chi-square against the interpolated table density).

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(TRandGen, DefaultsResolutionAndProbabilities) {
  TRandGen rg(nullptr);
  EXPECT_EQ(rg.Resolution(), 500);
  EXPECT_EQ(rg.LowBorder(), 0.0);
  EXPECT_EQ(rg.HighBorder(), 0.0);
  for (Integer i = 1; i <= 500; ++i) ASSERT_EQ(rg.Probability(i), 1.0) << i;
  EXPECT_EQ(rg.Probability(0), 0.0);
  EXPECT_EQ(rg.GetProbability(501), 0.0);

  rg.SetProbability(3, 1.7);
  EXPECT_EQ(rg.Probability(3), 1.0);
  rg.SetProbability(4, -0.3);
  EXPECT_EQ(rg.Probability(4), 0.0);
  rg.SetProbability(5, std::nan(""));
  EXPECT_EQ(rg.Probability(5), 0.0);
  rg.SetProbability(6, 0.25);
  EXPECT_EQ(rg.Probability(6), 0.25);
  rg.SetProbability(0, 0.5);  // ignored
  rg.SetProbability(501, 0.5);
  EXPECT_EQ(rg.Probability(0), 0.0);

  rg.SetResolution(5);
  EXPECT_EQ(rg.Resolution(), 10);
  EXPECT_EQ(rg.Probability(4), 1.0);  // reset
  EXPECT_EQ(rg.Probability(11), 0.0);
  rg.SetProbability(10, 0.5);
  rg.SetResolution(5000);
  EXPECT_EQ(rg.Resolution(), 4000);
  EXPECT_EQ(rg.Probability(10), 1.0);
  EXPECT_EQ(rg.Probability(4000), 1.0);
}

TEST(TRandGen, LambdaAndIndexOfLambda) {
  TRandGen rg(nullptr);
  rg.SetResolution(10);
  rg.SetLowBorder(2.0);
  rg.SetHighBorder(12.0);
  EXPECT_EQ(rg.Lambda(-3), 2.0);
  EXPECT_EQ(rg.Lambda(1), 2.0);
  EXPECT_EQ(rg.GetLambda(4), 5.0);
  EXPECT_EQ(rg.Lambda(10), 11.0);
  EXPECT_EQ(rg.Lambda(11), 12.0);
  EXPECT_EQ(rg.IndexOfLambda(1.99), 0);
  EXPECT_EQ(rg.IndexOfLambda(2.0), 1);
  EXPECT_EQ(rg.IndexOfLambda(4.5), 3);
  EXPECT_EQ(rg.IndexOfLambda(11.999), 10);
  EXPECT_EQ(rg.IndexOfLambda(12.0), 11);
  EXPECT_EQ(rg.IndexOfLambda(1e300), 11);
  EXPECT_EQ(rg.IndexOfLambda(std::nan("")), 0);
  rg.SetHighBorder(2.0);  // empty range: no division by zero
  EXPECT_EQ(rg.IndexOfLambda(2.0), 11);
  rg.SetLowBorder(-INFINITY);
  rg.SetHighBorder(INFINITY);
  const Integer ix = rg.IndexOfLambda(0.0);
  EXPECT_TRUE(ix >= 1 && ix <= 11);
}

TEST(TRandGen, NormalizeAndStandardize) {
  TRandGen rg(nullptr);
  rg.SetResolution(10);
  for (Integer i = 1; i <= 10; ++i) rg.SetProbability(i, 0.2 + 0.05 * i);
  rg.Normalize();
  EXPECT_EQ(rg.Probability(1), 0.0);
  EXPECT_EQ(rg.Probability(10), 1.0);
  EXPECT_NEAR(rg.Probability(4), 1.0 / 3.0, 1e-15);

  rg.UniformDistri();
  rg.Normalize();  // all equal: unchanged
  EXPECT_EQ(rg.Probability(7), 1.0);

  for (Integer i = 1; i <= 10; ++i) rg.SetProbability(i, 0.05 * i);
  EXPECT_TRUE(rg.Standardize());
  EXPECT_EQ(rg.Probability(10), 1.0);
  EXPECT_NEAR(rg.Probability(2), 0.2, 1e-15);

  for (Integer i = 1; i <= 10; ++i) rg.SetProbability(i, 0.0);
  EXPECT_FALSE(rg.Standardize());
  EXPECT_EQ(rg.Probability(5), 0.0);
}

TEST(TRandGen, ShapeFillersAtLowerBinEdges) {
  TRandGen rg(nullptr);
  rg.SetResolution(20);
  rg.SetLowBorder(-2.0);
  rg.SetHighBorder(8.0);  // bin i starts at -2 + 0.5 (i - 1)
  auto x = [](Integer i) { return -2.0 + 0.5 * (i - 1); };

  rg.NormalDistri(1.0, 2.0);
  for (Integer i = 1; i <= 20; ++i)
    EXPECT_NEAR(rg.Probability(i), std::exp(-0.125 * (x(i) - 1.0) * (x(i) - 1.0)), 1e-15);

  rg.Chi2Distri(3.0);
  for (Integer i = 1; i <= 4; ++i) EXPECT_EQ(rg.Probability(i), 0.0);
  EXPECT_EQ(rg.Probability(5), 0.0);  // density of 3 degrees of freedom at 0
  // chi-square(3) density sqrt(x) exp(-x/2) / sqrt(2 pi) at x = 2
  EXPECT_NEAR(rg.Probability(9), std::sqrt(2.0) * std::exp(-1.0) / std::sqrt(2.0 * M_PI), 1e-9);

  rg.FDistri(1.0, 5.0);  // +inf at 0 for df1 = 1, but the filler writes 0 at and left of 0
  EXPECT_EQ(rg.Probability(5), 0.0);
  EXPECT_EQ(rg.Probability(6), FDistriDensity(0.5, 1.0, 5.0));

  rg.tDistri(4.0);
  // t(4) density 3 / 8 (1 + x^2 / 4)^(-5/2)
  EXPECT_NEAR(rg.Probability(1), 0.375 * std::pow(2.0, -2.5), 1e-9);

  rg.WeibullDistri(2.0, 3.0);
  EXPECT_EQ(rg.Probability(2), 0.0);
  // shape 2, scale 3: (2 / 3) (x / 3) exp(-(x / 3)^2) at x = 3
  EXPECT_NEAR(rg.Probability(11), 2.0 / 3.0 * std::exp(-1.0), 1e-12);

  rg.UniformDistri();
  for (Integer i = 1; i <= 20; ++i) EXPECT_EQ(rg.Probability(i), 1.0);
}

// Mass of the interpolated table density over cells of `sub` equal parts per bin: the
// density rises linearly from v(a) to v(a + 1) across bin a and falls to 0 in the last bin.
std::vector<double> ModelMass(const std::vector<double>& v, int sub) {
  std::vector<double> mass;
  double total = 0.0;
  for (std::size_t a = 0; a < v.size(); ++a) {
    const double va = v[a];
    const double vb = a + 1 < v.size() ? v[a + 1] : 0.0;
    for (int s = 0; s < sub; ++s) {
      const double lo = static_cast<double>(s) / sub, hi = static_cast<double>(s + 1) / sub;
      const double m = va * (hi - lo) + (vb - va) * (hi * hi - lo * lo) / 2.0;
      mass.push_back(m);
      total += m;
    }
  }
  for (double& m : mass) m /= total;
  return mass;
}

// Upper tail probability of Pearson's statistic of the counts against the model.
double ChiSquareP(const std::vector<int>& counts, const std::vector<double>& model, int n) {
  double chi2 = 0.0;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const double e = model[i] * n;
    chi2 += (counts[i] - e) * (counts[i] - e) / e;
  }
  return 1.0 - IncompleteGamma(chi2 / 2.0, (static_cast<double>(counts.size()) - 1.0) / 2.0);
}

TEST(TRandGen, FreshComponentDrawsUniformly) {
  test::HookGuard guard;
  TRandGen rg(nullptr);
  rg.SetHighBorder(10.0);
  // 500 bins of 1.0 pooled into 20 cells of 25 bins; the last bin's density falls to 0.
  std::vector<double> model = ModelMass(std::vector<double>(500, 1.0), 1);
  std::vector<double> pooled(20, 0.0);
  for (std::size_t i = 0; i < model.size(); ++i) pooled[i / 25] += model[i];
  for (Integer seed : {1, 4711, 20261208}) {
    SetRandSeed(seed);
    const int n = 100000;
    std::vector<int> counts(20, 0);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
      const double r = rg.Random();
      ASSERT_TRUE(r >= 0.0 && r < 10.0) << r;
      ++counts[static_cast<std::size_t>(r / 0.5)];
      sum += r;
    }
    EXPECT_GT(ChiSquareP(counts, pooled, n), 1e-3) << seed;
    EXPECT_NEAR(sum / n, 5.0, 0.03);  // 4 standard errors
    EXPECT_EQ(RandSeed(), seed);      // drawing never reseeds
  }
}

TEST(TRandGen, DrawsFollowTheInterpolatedTable) {
  test::HookGuard guard;
  TRandGen rg(nullptr);
  rg.SetResolution(10);
  rg.SetLowBorder(-1.0);
  rg.SetHighBorder(4.0);
  std::vector<double> v{0.0, 1.0, 0.0, 1.0, 0.5, 0.2, 0.0, 1.0, 1.0, 0.6};
  for (Integer i = 1; i <= 10; ++i) rg.SetProbability(i, v[static_cast<std::size_t>(i - 1)]);
  const std::vector<double> tent = ModelMass(v, 4);
  // The same table read as steps (no interpolation), to show the test tells them apart.
  std::vector<double> steps;
  double stepTotal = 0.0;
  for (double b : v)
    for (int s = 0; s < 4; ++s) {
      steps.push_back(b);
      stepTotal += b;
    }
  for (double& s : steps) s = s == 0.0 ? 1e-9 : s / stepTotal;
  for (Integer seed : {3, 99, 123456}) {
    SetRandSeed(seed);
    const int n = 80000;
    std::vector<int> counts(40, 0);
    for (int i = 0; i < n; ++i) {
      const double r = rg.GetRandNum();
      ASSERT_TRUE(r >= -1.0 && r < 4.0) << r;
      ++counts[static_cast<std::size_t>((r + 1.0) / 0.125)];
    }
    EXPECT_GT(ChiSquareP(counts, tent, n), 1e-3) << seed;
    EXPECT_LT(ChiSquareP(counts, steps, n), 1e-12) << seed;
  }
}

TEST(TRandGen, ZeroTableKeepsTheLastOfAllCandidates) {
  test::HookGuard guard;
  TRandGen rg(nullptr);
  rg.SetResolution(10);
  rg.SetHighBorder(5.0);
  for (Integer i = 1; i <= 10; ++i) rg.SetProbability(i, 0.0);
  SetRandSeed(2024);
  const double r = rg.GetRandNum();
  const double after = Random();
  // Replay: 100001 candidates of three draws each (bin, offset, acceptance).
  SetRandSeed(2024);
  Integer a = 0;
  double b = 0.0;
  for (int t = 0; t < 100001; ++t) {
    a = Random(10);
    b = Random();
    Random();
  }
  EXPECT_EQ(r, (a + b) * 0.5);
  EXPECT_EQ(after, Random());
}

}  // namespace
}  // namespace nuv
