// TCurveFit rank and distribution statistics: SciPy reference table, the small closed cases,
// the pair-count cache, circular means and the regression analysis of variance.
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Sums of ranks are exact; what is left is the final division and square root.
constexpr double kRankTol = 1e-12;
// ErfApprox carries an absolute error of about 1.2e-7.
constexpr double kErfTol = 3e-7;
// Quartiles, moments and the circular mean go through sums in another order than NumPy's.
constexpr double kMomentTol = 1e-9;

void Enter(TCurveFit& cf, const std::vector<double>& x, const std::vector<double>& y) {
  for (std::size_t i = 0; i < x.size(); ++i) cf.EnterStatValue(x[i], y[i]);
}

TEST(TCurveFitRank, MatchesScipyReference) {
  std::ifstream in(test::ReferencePath("cfrank_reference.txt"));
  ASSERT_TRUE(in.good());
  int sets = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream ls(line);
    std::string tag;
    std::size_t n = 0;
    ls >> tag >> n;
    std::vector<double> v;
    for (std::string t; ls >> t;) v.push_back(std::stod(t));
    ASSERT_EQ(v.size(), 2 * n + 10);
    SCOPED_TRACE("n = " + std::to_string(n));
    TCurveFit cf(nullptr);
    Enter(cf, std::vector<double>(v.begin(), v.begin() + n),
          std::vector<double>(v.begin() + n, v.begin() + 2 * n));
    const double* want = v.data() + 2 * n;
    EXPECT_NEAR(cf.SpearmanRankCorr(), want[0], kRankTol);
    double p = -1.0;
    EXPECT_NEAR(cf.KendallsTau(p), want[1], kRankTol);
    EXPECT_NEAR(p, want[2], kErfTol);
    EXPECT_NEAR(cf.KruskalGamma(), want[3], kRankTol);
    double q1 = 0, q2 = 0, q3 = 0;
    EXPECT_TRUE(cf.QuartilesX(q1, q2, q3));
    EXPECT_TRUE(test::RelNear(q1, want[4], kMomentTol));
    EXPECT_TRUE(test::RelNear(q2, want[5], kMomentTol));
    EXPECT_TRUE(test::RelNear(q3, want[6], kMomentTol));
    EXPECT_NEAR(cf.SkewnessX(), want[7], kMomentTol);
    EXPECT_NEAR(cf.KurtosisX(), want[8], kMomentTol);
    EXPECT_NEAR(cf.MeanAngleX(), want[9], kMomentTol);
    // The y statistics read column 2: after FlipXY they must give the x values.
    const double skewY = cf.SkewnessY(), kurtY = cf.KurtosisY(), angleY = cf.MeanAngleY();
    double r1 = 0, r2 = 0, r3 = 0;
    cf.QuartilesY(r1, r2, r3);
    cf.FlipXY();
    EXPECT_EQ(cf.SkewnessX(), skewY);
    EXPECT_EQ(cf.KurtosisX(), kurtY);
    EXPECT_EQ(cf.MeanAngleX(), angleY);
    cf.QuartilesX(q1, q2, q3);
    EXPECT_EQ(q1, r1);
    EXPECT_EQ(q3, r3);
    ++sets;
  }
  EXPECT_EQ(sets, 7);
}

TEST(TCurveFitRank, PerfectOrderTiesAndDegenerateCases) {
  TCurveFit cf(nullptr);
  Enter(cf, {1, 2, 3}, {1, 2, 3});
  double p = -1.0;
  EXPECT_EQ(cf.SpearmanRankCorr(), 1.0);
  EXPECT_EQ(cf.KendallsTau(p), 1.0);
  EXPECT_EQ(cf.KruskalGamma(), 1.0);
  cf.Init();
  Enter(cf, {1, 2, 3}, {3, 2, 1});
  EXPECT_EQ(cf.SpearmanRankCorr(), -1.0);
  EXPECT_EQ(cf.KendallsTau(p), -1.0);
  EXPECT_EQ(cf.KruskalGamma(), -1.0);

  // One run of two equal y: Ty = 0.5, t = 60, Sd = 0.5 -> (60 - 6)/sqrt(60 * 54).
  cf.Init();
  Enter(cf, {1, 2, 3, 4}, {1, 1, 2, 3});
  EXPECT_NEAR(cf.SpearmanRankCorr(), 54.0 / std::sqrt(60.0 * 54.0), kRankTol);

  cf.Init();
  Enter(cf, {5, 5, 5, 5}, {1, 3, 2, 4});
  EXPECT_EQ(cf.SpearmanRankCorr(), 0.0);
  EXPECT_EQ(cf.KendallsTau(p), 0.0);  // every pair tied in x: T2 counts, C + D + T1 = 0
  EXPECT_EQ(p, 0.0);

  cf.Init();
  Enter(cf, {1, 2}, {1, 2});
  p = -1.0;
  EXPECT_EQ(cf.SpearmanRankCorr(), 0.0);
  EXPECT_EQ(cf.KendallsTau(p), 0.0);
  EXPECT_EQ(p, 0.0);
  EXPECT_EQ(cf.KruskalGamma(), 0.0);
}

TEST(TCurveFitRank, PairCountsFollowEnteredAndRemovedPairs) {
  TCurveFit cf(nullptr);
  Enter(cf, {1, 2, 3, 4}, {1, 2, 3, 4});
  EXPECT_EQ(cf.KruskalGamma(), 1.0);  // fills the cache
  cf.EnterStatValue(5, -10);          // 4 discordant pairs join 6 concordant ones
  EXPECT_DOUBLE_EQ(cf.KruskalGamma(), 2.0 / 10.0);
  cf.RemoveStatValue(5);
  EXPECT_EQ(cf.KruskalGamma(), 1.0);
  cf.Init();
  EXPECT_EQ(cf.KruskalGamma(), 0.0);
}

TEST(TCurveFitRank, NoPairsGiveNoOrderStatistics) {
  TCurveFit cf(nullptr);
  cf.EnterStatValue(7, 8);
  cf.RemoveStatValue(1);
  double q1 = 1, q2 = 1, q3 = 1;
  EXPECT_FALSE(cf.QuartilesX(q1, q2, q3));
  EXPECT_EQ(q1 + q2 + q3, 0.0);
  EXPECT_FALSE(cf.QuartilesY(q1, q2, q3));
  EXPECT_EQ(cf.SkewnessX(), 0.0);
  EXPECT_EQ(cf.KurtosisY(), 0.0);
  EXPECT_TRUE(std::isnan(cf.MeanAngleX()));
}

TEST(TCurveFitRank, MeanAngleQuadrants) {
  struct Case {
    double a, b, want;
  } cases[] = {{10, 30, 20},  {90, 180, 135}, {300, 320, 310},
               {350, 30, 10}, {90, 90, 90},   {270, 270, 270}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    TCurveFit cf(nullptr);
    Enter(cf, {c.a, c.b}, {c.b, c.a});
    EXPECT_NEAR(cf.MeanAngleX(), c.want, 1e-12);
    EXPECT_NEAR(cf.MeanAngleY(), c.want, 1e-12);
  }
}

TEST(TCurveFitRank, AnovaRegressionTable) {
  // Observed y against fitted 2x + 1 of x = 1..5: residuals 0.5, -0.5, 0, 0.5, -0.5.
  const std::vector<double> obs = {3.5, 4.5, 7.0, 9.5, 10.5};
  const std::vector<double> fit = {3.0, 5.0, 7.0, 9.0, 11.0};
  TCurveFit cf(nullptr);
  Enter(cf, obs, fit);
  Integer dfreg = 0, dfres = 0, dftotal = 0;
  double sse = 0, ssr = 0, sst = 0, mse = 0, msr = 0, f = 0;
  cf.CalcAnovaReg(1, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(dfreg, 1);
  EXPECT_EQ(dftotal, 4);
  EXPECT_EQ(dfres, 3);
  EXPECT_NEAR(sse, 1.0, 1e-12);
  EXPECT_NEAR(ssr, 40.0, 1e-12);  // fitted values about the mean 7 of the observations
  EXPECT_NEAR(sst, 37.0, 1e-12);  // 282 - 5·49
  EXPECT_NEAR(mse, 1.0 / 3.0, 1e-12);
  EXPECT_NEAR(msr, 40.0, 1e-12);
  EXPECT_NEAR(f, 120.0, 1e-9);

  cf.CalcAnovaReg(2, false, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(dftotal, 5);
  EXPECT_EQ(dfres, 3);
  EXPECT_NEAR(ssr, 285.0, 1e-12);  // sum of fitted squares
  EXPECT_NEAR(sst, 282.0, 1e-12);

  // A perfect fit: SSE = 0 and MSR != 0 give F = 1e10.
  cf.Init();
  Enter(cf, fit, fit);
  cf.CalcAnovaReg(1, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(sse, 0.0);
  EXPECT_EQ(f, 1e10);

  // No degrees of freedom: the divisions give NaN (0/0) and inf; the F rule runs on them.
  cf.CalcAnovaReg(4, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(dfres, 0);
  EXPECT_TRUE(std::isnan(mse));
  EXPECT_TRUE(std::isnan(f));  // MSR / NaN
  cf.CalcAnovaReg(0, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(mse, 0.0);
  EXPECT_EQ(msr, std::numeric_limits<double>::infinity());
  EXPECT_EQ(f, 1e10);
  // An imperfect fit with dfres = 0: MSE is +inf and F = MSR / inf = 0.
  cf.Init();
  Enter(cf, obs, fit);
  cf.CalcAnovaReg(4, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(mse, std::numeric_limits<double>::infinity());
  EXPECT_EQ(f, 0.0);
  // No pairs: with the constant the mean is 0/0.
  cf.Init();
  cf.CalcAnovaReg(1, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(dftotal, -1);
  EXPECT_EQ(dfres, -2);
  EXPECT_TRUE(std::isnan(ssr));
  EXPECT_TRUE(std::isnan(sst));
  EXPECT_TRUE(std::isnan(msr));
  cf.CalcAnovaReg(1, false, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, f);
  EXPECT_EQ(ssr + sst + msr, 0.0);
  EXPECT_EQ(f, 0.0);
}

}  // namespace
}  // namespace nuv
