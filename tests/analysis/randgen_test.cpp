// TRandGen: table handling, shape fillers and the distribution of its draws (fixed seeds of
// the process-wide generator, chi-square against the interpolated table density).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(TRandGen, TableResolutionAndBorders) {
  TRandGen rg(nullptr);
  EXPECT_EQ(rg.Resolution(), 500);
  for (Integer i = 1; i <= 500; ++i) ASSERT_EQ(rg.Probability(i), 1.0) << i;
  EXPECT_EQ(rg.Probability(0), 0.0);
  EXPECT_EQ(rg.GetProbability(501), 0.0);
  const std::pair<double, double> clamps[] = {{1.7, 1.0}, {-0.3, 0.0}, {NAN, 0.0}, {0.25, 0.25}};
  for (auto [in, out] : clamps) {
    rg.SetProbability(3, in);
    EXPECT_EQ(rg.Probability(3), out) << in;
  }
  rg.SetProbability(501, 0.5);  // ignored
  EXPECT_EQ(rg.Probability(501), 0.0);

  rg.SetResolution(5);
  EXPECT_EQ(rg.Resolution(), 10);
  EXPECT_EQ(rg.Probability(3), 1.0);  // reset
  rg.SetProbability(10, 0.5);
  rg.SetResolution(5000);
  EXPECT_EQ(rg.Resolution(), 4000);
  EXPECT_EQ(rg.Probability(10), 1.0);

  rg.SetResolution(10);
  rg.SetLowBorder(2.0);
  rg.SetHighBorder(12.0);
  EXPECT_EQ(rg.Lambda(-3), 2.0);
  EXPECT_EQ(rg.Lambda(4), 5.0);
  EXPECT_EQ(rg.Lambda(11), 12.0);
  const std::pair<double, Integer> bins[] = {{1.99, 0},    {2.0, 1},   {4.5, 3},
                                             {11.999, 10}, {12.0, 11}, {NAN, 0}};
  for (auto [x, ix] : bins) EXPECT_EQ(rg.IndexOfLambda(x), ix) << x;
  rg.SetHighBorder(2.0);  // empty range: no division by zero
  EXPECT_EQ(rg.IndexOfLambda(2.0), 11);
}

TEST(TRandGen, ScalingAndShapeFillers) {
  TRandGen rg(nullptr);
  rg.SetResolution(20);
  for (Integer i = 1; i <= 20; ++i) rg.SetProbability(i, 0.2 + 0.02 * i);
  rg.Normalize();
  EXPECT_EQ(rg.Probability(1), 0.0);
  EXPECT_EQ(rg.Probability(20), 1.0);
  EXPECT_NEAR(rg.Probability(5), 4.0 / 19.0, 1e-15);
  for (Integer i = 1; i <= 20; ++i) rg.SetProbability(i, 0.0);
  EXPECT_FALSE(rg.Standardize());

  rg.SetLowBorder(-2.0);
  rg.SetHighBorder(8.0);  // bin i starts at -2 + 0.5 (i - 1)
  rg.NormalDistri(1.0, 2.0);
  EXPECT_NEAR(rg.Probability(1), std::exp(-0.125 * 9.0), 1e-15);
  EXPECT_TRUE(rg.Standardize());
  EXPECT_EQ(rg.Probability(7), 1.0);  // the bin starting at the mean
  rg.Chi2Distri(3.0);
  for (Integer i = 1; i <= 5; ++i) EXPECT_EQ(rg.Probability(i), 0.0);  // left of 0, and at 0
  // chi-square(3) density sqrt(x) exp(-x/2) / sqrt(2 pi) at x = 2
  EXPECT_NEAR(rg.Probability(9), std::sqrt(2.0) * std::exp(-1.0) / std::sqrt(2.0 * M_PI), 1e-9);
  rg.FDistri(1.0, 5.0);  // +inf at 0 for df1 = 1, but the filler writes 0 there
  EXPECT_EQ(rg.Probability(5), 0.0);
  EXPECT_EQ(rg.Probability(6), FDistriDensity(0.5, 1.0, 5.0));
  rg.WeibullDistri(2.0, 3.0);  // (2 / 3) (x / 3) exp(-(x / 3)^2) at x = 3
  EXPECT_NEAR(rg.Probability(11), 2.0 / 3.0 * std::exp(-1.0), 1e-12);
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

TEST(TRandGen, Chi2PoleAtZeroTakesTheBinMidpoint) {
  struct Case {
    double low, high, df;
    Integer pole;  // bin whose lower edge is 0, 0 when none
  };
  const Case cases[] = {{0.0, 10.0, 1.0, 1},
                        {-2.0, 8.0, 0.5, 5},
                        {0.0, 4.0, 1.5, 1},
                        {-1.0, 9.0, 2.0, 3},
                        {0.5, 10.5, 1.0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.low << " " << c.df);
    TRandGen rg(nullptr);
    rg.SetResolution(20);
    rg.SetLowBorder(c.low);
    rg.SetHighBorder(c.high);
    rg.Chi2Distri(c.df);
    const double w = (c.high - c.low) / 20.0;
    for (Integer i = 1; i <= 20; ++i) {
      const double x = c.low + (i - 1) * (c.high - c.low) / 20.0;
      const double want = x < 0.0                     ? 0.0
                          : i == c.pole && c.df < 2.0 ? Chi2DistriDensity(x + w / 2.0, c.df)
                                                      : Chi2DistriDensity(x, c.df);
      ASSERT_TRUE(std::isfinite(rg.Probability(i))) << i;
      EXPECT_EQ(rg.Probability(i), want) << i;
    }
    ASSERT_TRUE(rg.Standardize());
    double top = 0.0;
    for (Integer i = 1; i <= 20; ++i) top = std::max(top, rg.Probability(i));
    EXPECT_EQ(top, 1.0);
  }
  // All bins at 0 (default borders): the midpoint is 0 too, so nothing finite is left.
  TRandGen flat(nullptr);
  flat.SetResolution(10);
  flat.Chi2Distri(1.0);
  for (Integer i = 1; i <= 10; ++i) EXPECT_EQ(flat.Probability(i), 0.0) << i;
  EXPECT_FALSE(flat.Standardize());
}

TEST(TRandGen, Chi2DrawsWithAPoleFollowTheTable) {
  test::HookGuard guard;
  TRandGen rg(nullptr);
  rg.SetResolution(20);
  rg.SetHighBorder(5.0);
  rg.Chi2Distri(1.0);
  ASSERT_TRUE(rg.Standardize());
  std::vector<double> v;
  for (Integer i = 1; i <= 20; ++i) v.push_back(rg.Probability(i));
  const std::vector<double> model = ModelMass(v, 1);
  SetRandSeed(31);
  const int n = 40000;
  std::vector<int> counts(20, 0);
  for (int i = 0; i < n; ++i) {
    const double r = rg.Random();
    ASSERT_TRUE(r >= 0.0 && r < 5.0) << r;
    ++counts[std::min<std::size_t>(static_cast<std::size_t>(r / 0.25), 19)];
  }
  EXPECT_GT(ChiSquareP(counts, model, n), 1e-3);
}

TEST(TRandGen, FreshComponentDrawsUniformly) {
  test::HookGuard guard;
  TRandGen rg(nullptr);
  rg.SetHighBorder(10.0);
  // 500 bins of 1.0 pooled into 20 cells of 25 bins; the last bin's density falls to 0.
  std::vector<double> model = ModelMass(std::vector<double>(500, 1.0), 1);
  std::vector<double> pooled(20, 0.0);
  for (std::size_t i = 0; i < model.size(); ++i) pooled[i / 25] += model[i];
  SetRandSeed(4711);
  const int n = 100000;
  std::vector<int> counts(20, 0);
  for (int i = 0; i < n; ++i) {
    const double r = rg.Random();
    ASSERT_TRUE(r >= 0.0 && r < 10.0) << r;
    ++counts[static_cast<std::size_t>(r / 0.5)];
  }
  EXPECT_GT(ChiSquareP(counts, pooled, n), 1e-3);
  EXPECT_EQ(RandSeed(), 4711);  // drawing never reseeds
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
      ++counts[std::min<std::size_t>(static_cast<std::size_t>((r + 1.0) / 0.125), 39)];
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
