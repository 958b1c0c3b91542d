// TMat4D box statistics: nearest value, counts, extremes, moments and percentiles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// Cells of an already valid box in column, row, layer, slot order.
std::vector<double> BoxOf(const TMat4D& m, Integer lc, Integer hc, Integer lr, Integer hr,
                          Integer ll, Integer hl, Integer lt, Integer ht) {
  std::vector<double> v;
  for (Integer x = lc; x <= hc; ++x)
    for (Integer y = lr; y <= hr; ++y)
      for (Integer z = ll; z <= hl; ++z)
        for (Integer t = lt; t <= ht; ++t) v.push_back(m.GetVal(x, y, z, t));
  return v;
}

// The value at 0-based position Round(prob·N/100), at most N - 1, of the sorted cells.
double SortedRank(std::vector<double> v, double prob) {
  std::sort(v.begin(), v.end());
  const auto k = static_cast<std::size_t>(std::nearbyint(prob * v.size() / 100.0));
  return v[std::min(k, v.size() - 1)];
}

TEST(Mat4DBoxStats, MeanVarFixesVarianceOfSmallBoxes) {
  TMat4D m(nullptr);
  m.Resize(3, 1, 1, 2);
  m.SetVal(1, 1, 1, 1, 1.0);
  m.SetVal(1, 1, 1, 2, 3.0);
  m.SetVal(2, 1, 1, 1, 2.0);
  m.SetVal(3, 1, 1, 1, 3.0);
  double mean = 0, var = 0;
  m.MeanVar(1, 1, 0, 0, 0, 0, 0, 0, mean, var);  // two cells 1, 3
  EXPECT_EQ(mean, 2.0);
  EXPECT_EQ(var, 1.0);                           // fixed for fewer than three cells, not 2
  m.MeanVar(3, 1, 1, 1, 1, 1, 1, 1, mean, var);  // cells 1, 2, 3 (reversed columns)
  EXPECT_EQ(mean, 2.0);
  EXPECT_EQ(var, 1.0);
  m.Fill(4.5);
  m.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 4.5);
  EXPECT_EQ(var, 0.0);

  // A larger box against a two-pass sample variance.
  m.Resize(6, 5, 4, 3);
  SetRandSeed(99);
  m.FillRandomUniform(-2.0, 8.0);
  m.MeanVar(2, 5, 1, 4, 2, 4, 1, 3, mean, var);
  const std::vector<double> v = BoxOf(m, 2, 5, 1, 4, 2, 4, 1, 3);
  double s = 0;
  for (double e : v) s += e;
  const double ref = s / v.size();
  double ss = 0;
  for (double e : v) ss += (e - ref) * (e - ref);
  constexpr double kTol = 1e-12;  // one-pass sums of 144 values of order 10
  EXPECT_TRUE(RelNear(mean, ref, kTol));
  EXPECT_TRUE(RelNear(var, ss / (v.size() - 1), kTol));
}

TEST(Mat4DBoxStats, SumsExtremesAndCountsMatchNaiveLoops) {
  TMat4D m(nullptr);
  m.Resize(5, 4, 3, 6);
  SetRandSeed(7);
  m.FillRandomGauss(-10.0, 3.0);  // mostly negative
  const std::vector<double> v = BoxOf(m, 2, 4, 1, 4, 1, 3, 2, 5);
  double s = 0, q = 0;
  for (double e : v) {
    s += e;
    q += e * e;
  }
  EXPECT_EQ(m.Sum(4, 2, 0, 99, 0, 0, 2, 5), s);  // same order, same bits
  EXPECT_EQ(m.SquaredSum(2, 4, 0, 0, 3, -3, 5, 2), q);
  double mn = 0, mx = 0;
  m.FillRandomUniform(-9.0, -1.0);
  const std::vector<double> w = BoxOf(m, 1, 5, 1, 4, 1, 3, 1, 6);
  m.MinMax(0, 0, 0, 0, 0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, *std::min_element(w.begin(), w.end()));
  EXPECT_EQ(mx, *std::max_element(w.begin(), w.end()));

  m.Resize(2, 2, 2, 2);
  m.Fill(1.0);
  m.SetVal(1, 2, 1, 2, 2.0);
  m.SetVal(2, 2, 2, 1, 3.0);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 1.0, 3.0), 16);  // both ends included
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 3.0, 1.0), 0);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 2.0, 2.0), 1);
  EXPECT_EQ(m.CountValues(0, 0, 2, 2, 0, 0, 0, 0, 1.5, 5.0), 2);
  m.SetVal(1, 1, 1, 1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, -1e300, 1e300), 15);
}

TEST(Mat4DBoxStats, ProgressStepsPerHundredthOfColumnRowPairs) {
  HookGuard hooks;
  MathFeedBackProc = nullptr;
  TMat4D m(nullptr);
  m.Resize(30, 7, 2, 1);  // 210 pairs: a step every Trunc(210/100) + 1 = 3 pairs
  ProcStat = 0.0;
  double a = 0, b = 0;
  m.MinMax(0, 0, 0, 0, 0, 0, 0, 0, a, b);
  EXPECT_EQ(ProcStat.load(), 70.0);
  m.MeanVar(1, 10, 1, 5, 0, 0, 0, 0, a, b);  // 50 pairs: every pair
  EXPECT_EQ(ProcStat.load(), 120.0);
  m.Sum(0, 0, 0, 0, 0, 0, 0, 0);
  m.SquaredSum(0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ProcStat.load(), 260.0);
  m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 0.0, 1.0);
  Integer i = 0;
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 1.0, i, i, i, i);
  m.Percentile(50.0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ProcStat.load(), 260.0);
}

TEST(Mat4DBoxStats, FindTakesTheFirstNearestCellInBoxOrder) {
  TMat4D m(nullptr);
  m.Resize(3, 3, 2, 2);
  m.Fill(10.0);
  m.SetVal(3, 1, 1, 1, 4.0);
  m.SetVal(2, 3, 2, 2, 4.0);  // lower column: first in column-row-layer-slot order
  m.SetVal(2, 3, 1, 1, 5.5);
  Integer c = -1, r = -1, l = -1, t = -1;
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 4.0, c, r, l, t);
  EXPECT_EQ(std::vector<Integer>({c, r, l, t}), std::vector<Integer>({2, 3, 2, 2}));
  m.Find(3, 3, 0, 0, 0, 0, 0, 0, 5.0, c, r, l, t);  // only column 3: 4 is nearest
  EXPECT_EQ(std::vector<Integer>({c, r, l, t}), std::vector<Integer>({3, 1, 1, 1}));
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 5.2, c, r, l, t);  // 5.5 is nearer than 4
  EXPECT_EQ(std::vector<Integer>({c, r, l, t}), std::vector<Integer>({2, 3, 1, 1}));
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, std::nan(""), c, r, l, t);
  EXPECT_EQ(std::vector<Integer>({c, r, l, t}), std::vector<Integer>({0, 0, 0, 0}));
}

TEST(Mat4DBoxStats, PercentileIsTheRankedCellWhateverTheGuess) {
  HookGuard hooks;
  TMat4D m(nullptr);
  m.Resize(5, 4, 3, 5);  // 300 cells
  // 60 % zeros, the rest positive.
  SetRandSeed(3);
  m.FillRandomUniform(1.0, 2.0);
  for (Integer x = 1; x <= 3; ++x) m.FillLayer(1, 0.0), m.SetVal(x, 1, 2, 1, 0.0);
  for (Integer x = 1; x <= 5; ++x)
    for (Integer y = 1; y <= 4; ++y)
      for (Integer t = 1; t <= 5; ++t)
        if ((x + y + t) % 5 < 2) m.SetVal(x, y, 2, t, 0.0);
  std::vector<double> all = BoxOf(m, 1, 5, 1, 4, 1, 3, 1, 5);
  EXPECT_EQ(m.Percentile(0.0, 0, 0, 0, 0, 0, 0, 0, 0), 0.0);
  EXPECT_EQ(m.Percentile(50.0, 0, 0, 0, 0, 0, 0, 0, 0), SortedRank(all, 50.0));
  for (double prob : {-5.0, 0.0, 10.0, 45.0, 50.0, 73.2, 90.0, 99.9, 100.0, 250.0}) {
    SCOPED_TRACE(prob);
    EXPECT_EQ(m.Percentile(prob, 0, 0, 0, 0, 0, 0, 0, 0),
              SortedRank(all, std::clamp(prob, 0.0, 100.0)));
  }
  // Half the cells are 5 and the rest negative: the frequent guess 5 must not answer for
  // the low percentiles.
  for (Integer x = 1; x <= 5; ++x)
    for (Integer y = 1; y <= 4; ++y)
      for (Integer z = 1; z <= 3; ++z)
        for (Integer t = 1; t <= 5; ++t)
          m.SetVal(x, y, z, t, (x + y + z + t) % 2 ? 5.0 : -(x + 7.0 * y + 3.0 * z + t));
  all = BoxOf(m, 1, 5, 1, 4, 1, 3, 1, 5);
  for (Integer seed : {1, 2, 3, 4, 5}) {
    SetRandSeed(seed);
    for (double prob : {0.0, 10.0, 49.0, 50.0, 80.0, 100.0}) {
      SCOPED_TRACE(testing::Message() << seed << " " << prob);
      EXPECT_EQ(m.Percentile(prob, 0, 0, 0, 0, 0, 0, 0, 0), SortedRank(all, prob));
    }
  }
  // A sub-box of distinct values: percentile 0 and 100 are its extremes.
  const std::vector<double> sub = BoxOf(m, 2, 4, 1, 2, 1, 3, 2, 2);
  EXPECT_EQ(m.Percentile(0.0, 4, 2, 1, 2, 1, 3, 2, 2), SortedRank(sub, 0.0));
  EXPECT_EQ(m.Percentile(100.0, 4, 2, 1, 2, 1, 3, 2, 2), SortedRank(sub, 100.0));
  EXPECT_TRUE(std::isnan(m.Percentile(std::nan(""), 0, 0, 0, 0, 0, 0, 0, 0)));
}

TEST(Mat4DBoxStats, PercentileDrawsSixtyNumbersAndSampleSizesOutsideOneToNFollowIt) {
  HookGuard hooks;
  TMat4D m(nullptr);
  m.Resize(4, 3, 2, 5);  // 120 cells
  SetRandSeed(11);
  m.FillRandomUniform(0.0, 1.0);
  const std::vector<double> all = BoxOf(m, 1, 4, 1, 3, 1, 2, 1, 5);
  // The plain percentile consumes 15 cells of four draws each from the generator.
  SetRandSeed(21);
  for (int i = 0; i < 15; ++i) Random(4), Random(3), Random(2), Random(5);
  const double after = Random();
  for (Integer size : {0, -7, 120, 500}) {
    SCOPED_TRACE(size);
    SetRandSeed(21);
    EXPECT_EQ(m.Percentile(30.0, 0, 0, 0, 0, 0, 0, 0, 0, size), SortedRank(all, 30.0));
    EXPECT_EQ(Random(), after);
  }
  // A sample drawn from the box: its percentiles are cells of the box within its extremes.
  const double lo = m.Percentile(0.0, 0, 0, 0, 0, 0, 0, 0, 0, 40);
  const double hi = m.Percentile(100.0, 0, 0, 0, 0, 0, 0, 0, 0, 40);
  EXPECT_NE(std::find(all.begin(), all.end(), lo), all.end());
  EXPECT_NE(std::find(all.begin(), all.end(), hi), all.end());
  EXPECT_LE(lo, hi);
  // A box of one value in a sub-range: any sample gives that value.
  m.FillLayer(2, 0.25);
  EXPECT_EQ(m.Percentile(70.0, 0, 0, 0, 0, 2, 2, 0, 0, 9), 0.25);
}

}  // namespace
}  // namespace nuv::test
