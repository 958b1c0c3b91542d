// TMatrix statistics over boxes and the column and row normalisations.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// The matrix of tests/reference/matstats_reference.py.
void LoadStatsFixture(TMatrix& m) {
  m.Resize(6, 9);
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= 9; ++r) m.SetVal(c, r, ((7 * c + 11 * r + 3 * c * r) % 23 + 1) / 4.0);
  }
}

void ExpectClose(double v, double ref, const char* what) {
  EXPECT_NEAR(v, ref, 1e-12 * std::max(1.0, std::fabs(ref))) << what;
}

// A matrix of one column holding the values.
void LoadColumn(TMatrix& m, std::initializer_list<double> v) {
  m.Resize(1, static_cast<Integer>(v.size()));
  Integer r = 1;
  for (double x : v) m.SetVal(1, r++, x);
}

TEST(MatrixStats, MomentsAndOrderStatisticsMatchReference) {
  TMatrix m(nullptr);
  LoadStatsFixture(m);
  std::ifstream in(ReferencePath("matstats_reference.txt"));
  ASSERT_TRUE(in.good());
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    std::istringstream is(line);
    Integer lc = 0, lr = 0, hc = 0, hr = 0;
    double ref[14];
    is >> lc >> lr >> hc >> hr;
    for (double& v : ref) is >> v;
    ASSERT_FALSE(is.fail()) << line;
    SCOPED_TRACE(line);
    double mean = 0, var = 0, skew = 0, kurt = 0, q1 = 0, q2 = 0, q3 = 0, lo = 0, hi = 0;
    m.MeanVar(lc, lr, hc, hr, mean, var);
    ExpectClose(mean, ref[0], "mean");
    ExpectClose(var, ref[1], "variance");
    ExpectClose(m.GeometricMean(lc, lr, hc, hr), ref[2], "geometric");
    ExpectClose(m.HarmonicMean(lc, lr, hc, hr), ref[3], "harmonic");
    m.SkewKurt(lc, lr, hc, hr, skew, kurt);
    ExpectClose(skew, ref[4], "skewness");
    ExpectClose(kurt, ref[5], "kurtosis");
    m.SkewKurtSample(lc, lr, hc, hr, skew, kurt);
    ExpectClose(skew, ref[6], "sample skewness");
    ExpectClose(kurt, ref[7], "sample kurtosis");
    ASSERT_TRUE(m.Quartiles(lc, lr, hc, hr, q1, q2, q3));
    ExpectClose(q1, ref[8], "Q1");
    ExpectClose(q2, ref[9], "Q2");
    ExpectClose(q3, ref[10], "Q3");
    ExpectClose(m.Sum(lc, lr, hc, hr), ref[11], "sum");
    m.MinMax(lc, lr, hc, hr, lo, hi);
    EXPECT_EQ(lo, ref[12]);
    EXPECT_EQ(hi, ref[13]);
    ++lines;
  }
  EXPECT_EQ(lines, 7);
}

TEST(MatrixStats, SmallBoxRules) {
  TMatrix m(nullptr);
  double mean = 0, var = 0, q1 = 0, q2 = 0, q3 = 0;
  LoadColumn(m, {1, 3});
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 2.0);
  EXPECT_EQ(var, 1.0);
  LoadColumn(m, {1, 2, 3});
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 1.0);
  LoadColumn(m, {1, 2, 3, 4});
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_DOUBLE_EQ(var, 5.0 / 3);
  ASSERT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.25);
  EXPECT_EQ(q2, 2.5);
  EXPECT_EQ(q3, 3.75);
  LoadColumn(m, {7, 5});
  ASSERT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 5.0);
  EXPECT_EQ(q2, 6.0);
  EXPECT_EQ(q3, 7.0);
  LoadColumn(m, {9});
  ASSERT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1 + q2 + q3, 27.0);

  // Two cells are enough for SkewKurt (d = -1, 1; s = sqrt 2), not for the sample version.
  double skew = 1, kurt = 1;
  LoadColumn(m, {1, 3});
  m.SkewKurt(0, 0, 0, 0, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  EXPECT_DOUBLE_EQ(kurt, 0.25 - 3);
  m.SkewKurtSample(0, 0, 0, 0, skew, kurt);
  EXPECT_EQ(skew + kurt, 0.0);
}

TEST(MatrixStats, PercentileRanks) {
  TMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(1, 1, 40);
  m.SetVal(1, 2, 10);
  m.SetVal(2, 1, 30);
  m.SetVal(2, 2, 20);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0), 30.0);
  EXPECT_EQ(m.Percentile(0, 0, 0, 0, 0), 10.0);
  EXPECT_EQ(m.Percentile(-5, 0, 0, 0, 0), 10.0);
  EXPECT_EQ(m.Percentile(24, 0, 0, 0, 0), 20.0);    // rank Round(0.96) = 1
  EXPECT_EQ(m.Percentile(12, 0, 0, 0, 0), 10.0);    // rank Round(0.48) = 0
  EXPECT_EQ(m.Percentile(62.5, 0, 0, 0, 0), 30.0);  // rank 2.5 rounds to the even 2
  EXPECT_EQ(m.Percentile(37.5, 0, 0, 0, 0), 30.0);  // rank 1.5 rounds to the even 2
  EXPECT_EQ(m.Percentile(100, 0, 0, 0, 0), 40.0);   // rank 4 is past the end: the largest
  EXPECT_EQ(m.Percentile(250, 0, 0, 0, 0), 40.0);
  EXPECT_TRUE(std::isnan(m.Percentile(std::nan(""), 0, 0, 0, 0)));
  EXPECT_EQ(m.Percentile(50, 2, 1, 2, 2), 30.0);  // column 2: 30, 20; rank 1
  // Sample sizes of 0, below 0 or at least n give the plain percentile.
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 0), 30.0);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, -3), 30.0);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 4), 30.0);

  TMatrix big(nullptr);
  LoadStatsFixture(big);
  for (double p : {0.0, 30.0, 50.0, 99.0, 100.0}) {
    const double v = big.Percentile(p, 0, 0, 0, 0, 20);
    EXPECT_GT(big.CountValues(1, 6, 1, 9, v, v), 0) << p;  // a drawn cell
  }
  // Mostly zeros: prob inside the drawn zeros gives 0.
  TMatrix zeros(nullptr);
  zeros.Resize(10, 10);
  zeros.SetVal(1, 1, -1);
  zeros.SetVal(10, 10, 1);
  EXPECT_EQ(zeros.Percentile(50, 0, 0, 0, 0, 50), 0.0);
}

TEST(MatrixStats, HistogramBins) {
  TMatrix m(nullptr);
  LoadColumn(m, {11, 10.5, -0.1, 0, 0.5, 3, 3.2, 9.99, std::nan("")});
  TIntVector h(nullptr);
  Integer under = -1, over = -1, maxCnt = -1;
  ASSERT_TRUE(m.Histogram(0, 0, 0, 0, 0, 10, 1, &h, under, over, maxCnt));
  ASSERT_EQ(h.NrOfElem(), 11);
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);  // 11; the NaN cell is counted nowhere
  EXPECT_EQ(maxCnt, 2);
  const Integer want[11] = {2, 0, 0, 2, 0, 0, 0, 0, 0, 1, 1};
  for (Integer i = 1; i <= 11; ++i) EXPECT_EQ(h.GetVal(i), want[i - 1]) << i;
  // Too many bins, no width, no vector: false and nothing touched.
  under = over = maxCnt = kIntSentinel;
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0, 10, 0.01, &h, under, over, maxCnt));
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0, 10, 0, &h, under, over, maxCnt));
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0, 1e300, 1e-300, &h, under, over, maxCnt));
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0, 10, 1, nullptr, under, over, maxCnt));
  EXPECT_EQ(under, kIntSentinel);
  EXPECT_EQ(h.NrOfElem(), 11);
  // 10.4 / 1 rounds to 10: 11 bins, a cell of 11.2 is below LastBin + BinWidth yet past bin 11.
  LoadColumn(m, {11.2});
  ASSERT_TRUE(m.Histogram(0, 0, 0, 0, 0, 10.4, 1, &h, under, over, maxCnt));
  EXPECT_EQ(over, 1);
}

TEST(MatrixStats, SearchingAndCounting) {
  TMatrix m(nullptr);
  LoadStatsFixture(m);
  // CountValues takes the columns first: (LowCol, HighCol, LowRow, HighRow).
  Integer naive = 0;
  for (Integer c = 2; c <= 4; ++c) {
    for (Integer r = 5; r <= 9; ++r) naive += (m.GetVal(c, r) >= 1 && m.GetVal(c, r) <= 3);
  }
  EXPECT_EQ(m.CountValues(2, 4, 5, 9, 1, 3), naive);

  TBool2DArray flags;
  Integer above = 0;
  for (Integer c = 1; c <= 6; ++c) {
    for (Integer r = 1; r <= 9; ++r) above += m.GetVal(c, r) > 3;
  }
  EXPECT_EQ(m.Dichotomize(3, flags), above);
  ASSERT_EQ(flags.size(), 6u);
  ASSERT_EQ(flags[0].size(), 9u);
  EXPECT_EQ(flags[3][4] != 0, m.GetVal(4, 5) > 3);

  TMatrix t(nullptr);
  LoadRows(t, {{5, 1}, {2, 9}, {8, 2}});  // column 1: 5, 2, 8; column 2: 1, 9, 2
  Integer c = -1, r = -1;
  t.Find(0, 0, 0, 0, 2.2, c, r);  // 2 at (1, 2) comes before 2 at (2, 3)
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  t.Find(0, 0, 0, 0, std::nan(""), c, r);
  EXPECT_EQ(c + r, 0);

  TMatrix s(nullptr);
  LoadRows(s, {{1, 7}, {3, 5}, {5, 3}, {7, 1}});
  EXPECT_EQ(s.FindInSortedColumn(1, true, 4), 3);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 3), 2);
  EXPECT_EQ(s.FindInSortedColumn(2, false, 4), 3);
  EXPECT_EQ(s.FindInSortedColumn(2, false, 5.2), 2);
  s.Resize(2, 0);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 4), 0);
}

TEST(MatrixStats, MeansRaiseAndEmptyBoxes) {
  TMatrix m(nullptr);
  m.SetName("MS");
  LoadRows(m, {{2, 0}, {8, 4}});
  EXPECT_EQ(m.GeometricMean(0, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(m.GeometricMean(1, 1, 1, 2), 4.0);
  NUV_EXPECT_THROW_MSG(m.HarmonicMean(0, 0, 0, 0), ENUVMatrixError,
                       "Component \"MS\": negative or zero argument passed to HarmonicMean");
  m.SetVal(2, 2, -1);
  NUV_EXPECT_THROW_MSG(m.GeometricMean(0, 0, 0, 0), ENUVMatrixError,
                       "Component \"MS\": negative argument passed to GeometricMean");
  EXPECT_DOUBLE_EQ(m.HarmonicMean(1, 1, 1, 2), 2.0 / (0.5 + 0.125));

  // Without columns or rows every box is empty: no cell 0 is ever read.
  for (auto [nc, nr] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{0, 0}}) {
    TMatrix e(nullptr);
    e.Resize(nc, nr);
    double mean = 5, var = 5, q1 = 5, q2 = 5, q3 = 5, lo = 0, hi = 0;
    e.MeanVar(0, 0, 0, 0, mean, var);
    EXPECT_EQ(mean + var, 0.0);
    EXPECT_EQ(e.Sum(1, 1, 2, 2), 0.0);
    EXPECT_FALSE(e.Quartiles(0, 0, 0, 0, q1, q2, q3));
    EXPECT_EQ(q1 + q2 + q3, 0.0);
    EXPECT_EQ(e.Percentile(50, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(e.GeometricMean(0, 0, 0, 0) + e.HarmonicMean(0, 0, 0, 0), 0.0);
    e.MinMax(0, 0, 0, 0, lo, hi);
    EXPECT_EQ(lo, uc_MaxReal);
    EXPECT_EQ(hi, -uc_MaxReal);
  }
}

TEST(MatrixStats, NormalisationsFireOnceAndFillTheVectors) {
  TMatrix m(nullptr);
  LoadStatsFixture(m);
  TMatrix orig(nullptr);
  orig.Assign(&m);
  int events = 0;
  m.SetOnChange([&](TObject*) { ++events; });
  TVector means(nullptr), sds(nullptr);
  means.Resize(6);
  sds.Resize(6);
  m.StandardizeColumns(&means, &sds);
  EXPECT_EQ(events, 1);
  for (Integer c = 1; c <= 6; ++c) {
    double mean = 0, var = 0;
    orig.MeanVar(c, 1, c, 9, mean, var);
    EXPECT_DOUBLE_EQ(means.GetVal(c), mean);
    EXPECT_DOUBLE_EQ(sds.GetVal(c), std::sqrt(var));
    if (var > 0) {
      EXPECT_DOUBLE_EQ(m.GetVal(c, 2), (orig.GetVal(c, 2) - mean) / std::sqrt(var));
    } else {  // column 4 is constant: left as it is
      EXPECT_EQ(m.GetVal(c, 2), orig.GetVal(c, 2));
    }
  }
  m.Assign(&orig);  // also takes orig's (empty) handler
  events = 0;
  m.SetOnChange([&](TObject*) { ++events; });
  TVector rowMeans(nullptr);
  m.MeanCenterRows(&rowMeans);
  EXPECT_EQ(events, 1);
  ASSERT_EQ(rowMeans.NrOfElem(), 9);
  EXPECT_DOUBLE_EQ(rowMeans.GetVal(4), orig.Sum(1, 4, 6, 4) / 6);
  EXPECT_NEAR(m.Sum(1, 4, 6, 4), 0.0, 1e-13);

  m.Assign(&orig);
  TVector med(nullptr), qd(nullptr);
  med.Resize(9);
  qd.Resize(9);
  m.QNormalizeRows(25, &med, &qd);
  std::vector<double> row;
  for (Integer c = 1; c <= 6; ++c) row.push_back(orig.GetVal(c, 7));
  std::sort(row.begin(), row.end());
  // Ranks Round(6·50/100) = 3 and Round(6·25/100) = 2 of 0..5.
  EXPECT_EQ(med.GetVal(7), row[3]);
  EXPECT_EQ(qd.GetVal(7), std::fabs(row[3] - row[2]));
  EXPECT_DOUBLE_EQ(m.GetVal(1, 7), (orig.GetVal(1, 7) - row[3]) / std::fabs(row[3] - row[2]));
}

TEST(MatrixStats, MeanVecCorrelateEdgeVector) {
  TMatrix m(nullptr);
  LoadRows(m, {{1, 10}, {2, 30}, {3, 20}, {6, 40}});  // 2 columns, 4 rows
  TVector v(nullptr);
  m.MeanVec(dimColumns, &v);
  ASSERT_EQ(v.NrOfElem(), 2);
  EXPECT_EQ(v.GetVal(1), 3.0);
  EXPECT_EQ(v.GetVal(2), 25.0);
  m.MeanVec(dimRows, &v);
  ASSERT_EQ(v.NrOfElem(), 4);
  EXPECT_EQ(v.GetVal(4), 23.0);

  m.EdgeVector(orColumns, eopMean, &v);
  ASSERT_EQ(v.NrOfElem(), 2);
  EXPECT_EQ(v.GetVal(1), 12.0 / 4);
  EXPECT_EQ(v.GetVal(2), 100.0 / 4);
  m.EdgeVector(orRows, eopMax, &v);
  ASSERT_EQ(v.NrOfElem(), 4);
  EXPECT_EQ(v.GetVal(3), 20.0);
  m.EdgeVector(orRows, eopMin, &v);
  EXPECT_EQ(v.GetVal(2), 2.0);

  // Correlation against the two-pass formula.
  TMatrix a(nullptr), b(nullptr);
  LoadRandom(a, 5, 3, 21u);
  LoadRandom(b, 5, 3, 22u);
  double mx = a.Sum(0, 0, 0, 0) / 15, my = b.Sum(0, 0, 0, 0) / 15, sxy = 0, sxx = 0, syy = 0;
  for (Integer c = 1; c <= 3; ++c) {
    for (Integer r = 1; r <= 5; ++r) {
      const double dx = a.GetVal(c, r) - mx, dy = b.GetVal(c, r) - my;
      sxy += dx * dy;
      sxx += dx * dx;
      syy += dy * dy;
    }
  }
  EXPECT_NEAR(a.Correlate(&b), sxy / std::sqrt(sxx * syy), 1e-13);
  EXPECT_NEAR(a.Correlate(&a), 1.0, 1e-14);
  TMatrix zero(nullptr);
  zero.Resize(3, 5);
  EXPECT_EQ(a.Correlate(&zero), 0.0);
  a.SetName("A");
  TMatrix other(nullptr);
  other.Resize(5, 3);
  NUV_EXPECT_THROW_MSG(a.Correlate(&other), ENUVMatrixError,
                       "Component \"A\": matrices do not match");
  NUV_EXPECT_THROW_MSG(a.Correlate(nullptr), ENUVMatrixError,
                       "Component \"A\": matrices do not match");
}

}  // namespace
}  // namespace nuv::test
