// Dean-Dixon and Grubbs outlier tests and the Wilcoxon signed-rank quantile: the published
// table rows, values integrated by tests/reference/outlier_reference.py, exact messages and
// the index rules.
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

std::unique_ptr<TVector> Make(const std::vector<double>& v) {
  auto vec = std::make_unique<TVector>(nullptr);
  vec->SetVecSize(static_cast<Integer>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<Integer>(i + 1), v[i]);
  return vec;
}

std::vector<std::vector<double>> Rows(const std::string& kind,
                                      const char* file = "outlier_reference.txt") {
  std::vector<std::vector<double>> rows;
  std::ifstream in(test::ReferencePath(file));
  for (std::string line; std::getline(in, line);) {
    std::istringstream ls(line);
    std::string tag;
    ls >> tag;
    if (tag != kind) continue;
    std::vector<double> r;
    for (double v; ls >> v;) r.push_back(v);
    rows.push_back(r);
  }
  return rows;
}

TEST(DeanDixonCriticalValues, TableRowsAndRange) {
  const double row3[] = {0.999, 0.998, 0.994, 0.988, 0.976, 0.941, 0.886, 0.782, 0.501};
  const double row14[] = {0.732, 0.708, 0.672, 0.64, 0.603, 0.546, 0.491, 0.422, 0.287};
  for (int l = 0; l < 9; ++l) {
    const auto level = static_cast<TSignifLevelEx>(l);
    EXPECT_EQ(DeanDixonCriticalValues(3, level), row3[l]);
    EXPECT_EQ(DeanDixonCriticalValues(14, level), row14[l]);
  }
  EXPECT_EQ(DeanDixonCriticalValues(8, Dot001), 0.799);
  EXPECT_EQ(DeanDixonCriticalValues(11, Dot500), 0.304);
  EXPECT_EQ(DeanDixonCriticalValues(50, Dot050), 0.312);
  EXPECT_EQ(DeanDixonCriticalValues(100, Dot100), 0.219);
  EXPECT_EQ(DeanDixonCriticalValues(2, Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(101, Dot050), -1.0);
  EXPECT_EQ(DeanDixonCriticalValues(5, static_cast<TSignifLevelEx>(9)), -1.0);
  EXPECT_EQ(NumericSigLevel[Dot001], 0.001);
  EXPECT_EQ(NumericSigLevel[Dot050], 0.05);
  EXPECT_EQ(NumericSigLevel[Dot500], 0.5);
}

TEST(DeanDixonCriticalValues, AgreeWithIntegratedDistribution) {
  // The table carries three decimals; a few published rows differ from the integral by 0.002.
  constexpr double kTol = 0.0025;
  const auto rows = Rows("dixon");
  ASSERT_EQ(rows.size(), 98u);
  for (const auto& r : rows) {
    const auto n = static_cast<Integer>(r[0]);
    for (int l = 0; l < 9; ++l) {
      const double c = DeanDixonCriticalValues(n, static_cast<TSignifLevelEx>(l));
      EXPECT_NEAR(c, r[1 + l], kTol) << n << " " << l;
      if (l > 0) {
        EXPECT_LT(c, DeanDixonCriticalValues(n, static_cast<TSignifLevelEx>(l - 1)));
      }
    }
  }
  // Dixon's published one-sided values for r10.
  EXPECT_NEAR(DeanDixonCriticalValues(5, Dot050), 0.642, 0.001);
  EXPECT_NEAR(DeanDixonCriticalValues(6, Dot010), 0.698, 0.001);
}

TEST(DeanDixonTest, SuspectEndLevelAndIndex) {
  double q = -1;
  auto v = Make({10, 1, 2});
  EXPECT_EQ(DeanDixonTest(v.get(), Dot100, q), 1);  // 8/9 = 0.888... > 0.886
  EXPECT_NEAR(q, 8.0 / 9.0, 1e-15);
  EXPECT_EQ(DeanDixonTest(v.get(), Dot050, q), 0);  // < 0.941
  EXPECT_NEAR(q, 8.0 / 9.0, 1e-15);
  EXPECT_EQ(v->GetVal(1), 10.0);  // the caller's order is kept

  auto c = Make({4, 4, 4, 4, 4});
  EXPECT_EQ(DeanDixonTest(c.get(), Dot500, q), 0);
  EXPECT_EQ(q, 0.0);

  // r11 for 9 values: the low end (5 - 0)/(5.2 - 0) beats the high (5.3 - 5.2)/(5.3 - 5).
  auto d = Make({5.1, 5.0, 5.2, 5.3, 0.0, 5.1, 5.2, 5.0, 5.1});
  EXPECT_EQ(DeanDixonTest(d.get(), Dot010, q), 5);
  EXPECT_NEAR(q, 5.0 / 5.2, 1e-12);
  // r21 for 11 values sees past a doubled top; the first occurrence is reported.
  auto t = Make({1, 2, 50, 3, 4, 5, 6, 50, 7, 8, 9});
  EXPECT_EQ(DeanDixonTest(t.get(), Dot050, q), 3);
  EXPECT_NEAR(q, 41.0 / 48.0, 1e-15);
  auto e = Make({9, 1, 2, 3, 20, 20, 4});
  EXPECT_EQ(DeanDixonTest(e.get(), Dot500, q), 0);  // two equal tops: high ratio 0
  auto f = Make({1, 2, 3, 30, 2.5, 30});
  EXPECT_EQ(DeanDixonTest(f.get(), Dot500, q), 0);  // low end 1/29 beats the high 0, below 0.210
  EXPECT_NEAR(q, 1.0 / 29.0, 1e-15);
}

TEST(DeanDixonTest, SizeLimits) {
  double q = 5;
  auto two = Make({1, 2});
  NUV_EXPECT_THROW_MSG(DeanDixonTest(two.get(), Dot050, q), ENUVStatisError,
                       "DeanDixonTest: number of data points is too low");
  EXPECT_EQ(q, 0.0);
  NUV_EXPECT_THROW_MSG(DeanDixonTest(nullptr, Dot050, q), ENUVStatisError,
                       "DeanDixonTest: number of data points is too low");
  TVector big(nullptr);
  big.SetVecSize(101);
  NUV_EXPECT_THROW_MSG(DeanDixonTest(&big, Dot050, q), ENUVStatisError,
                       "DeanDixonTest: number of data points is too high");
  big.SetVecSize(100);
  big.SetVal(100, 1.0);
  EXPECT_EQ(DeanDixonTest(&big, Dot050, q), 100);  // r22: (1 - 0)/(1 - 0)
  EXPECT_EQ(q, 1.0);
}

TEST(GrubbsCriticalValues, PublishedValuesAndRange) {
  // ASTM E178: two-sided 5 % (upper 2.5 %) and one-sided 5 %.
  EXPECT_NEAR(GrubbsCriticalValues(10, 0.05, true), 2.290, 1e-3);
  EXPECT_NEAR(GrubbsCriticalValues(20, 0.05, true), 2.709, 1e-3);
  EXPECT_NEAR(GrubbsCriticalValues(10, 0.05, false), 2.176, 1e-3);
  EXPECT_NEAR(GrubbsCriticalValues(20, 0.05, false), 2.557, 1e-3);
  EXPECT_EQ(GrubbsCriticalValues(10, 0.0, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, 1.0, true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(10, std::numeric_limits<double>::quiet_NaN(), true), -1.0);
  EXPECT_EQ(GrubbsCriticalValues(2, 0.05, true), -1.0);
}

TEST(GrubbsCriticalValues, AgreeWithHighPrecisionQuantilesDownToTinyTails) {
  // The t tail is an incomplete beta function whose continued fraction stops at a relative
  // step of 1e-8; measured, that leaves G good to 1.7e-10 over the whole table.
  constexpr double kRelTol = 5e-10;
  const auto rows = Rows("grubbs", "grubbs_reference.txt");
  ASSERT_EQ(rows.size(), 140u);
  for (const auto& r : rows) {
    const auto n = static_cast<Integer>(r[0]);
    const double alpha = r[1];
    const bool two = r[2] != 0.0;
    SCOPED_TRACE(testing::Message() << n << " " << alpha << " " << two);
    const double g = GrubbsCriticalValues(n, alpha, two);
    EXPECT_NEAR(g, r[3], kRelTol * r[3]);
    // Never above the largest value G can take, (n - 1)/sqrt(n).
    EXPECT_LE(g, (n - 1) / std::sqrt(static_cast<double>(n)));
  }
}

TEST(GrubbsTest, TinyLevelsFlagNoOrdinarySample) {
  // alpha / (2 n) lies far below the spacing of doubles next to 1.
  const Integer n = 1000000;
  TVector v(nullptr);
  v.SetVecSize(n);
  for (Integer i = 1; i <= n; ++i) v.SetVal(i, i % 7);
  v.SetVal(n, 17.0);  // G = 7.0: an outlier at 5 % (5.45), not at 1e-10 (8.30)
  double g = 0.0;
  EXPECT_EQ(GrubbsTest(&v, 1e-10, g), 0);
  EXPECT_NEAR(g, 7.0, 0.01);
  EXPECT_EQ(GrubbsTest(&v, 0.05, g), n);
  v.SetVal(n, 40.0);  // G = 18.5
  EXPECT_EQ(GrubbsTest(&v, 1e-10, g), n);
}

TEST(GrubbsTest, StatisticIndexAndMessages) {
  double g = -1;
  // Deviations from mean 3.4 over s: the first of the two largest wins.
  auto v = Make({1, 3, 3, 3, 3, 3, 3, 3, 3, 30});
  const Integer got = GrubbsTest(v.get(), 0.05, g);
  double mean = 0, var = 0;
  v->MeanVar(1, 10, mean, var);
  EXPECT_NEAR(g, (30 - mean) / std::sqrt(var), 1e-12);
  EXPECT_EQ(got, 10);  // G = 2.84 > 2.290

  auto c = Make({2, 2, 2, 2});
  g = -1;
  EXPECT_EQ(GrubbsTest(c.get(), 0.05, g), 0);
  EXPECT_EQ(g, 0.0);

  auto three = Make({1, 2, 3});
  NUV_EXPECT_THROW_MSG(GrubbsTest(three.get(), 0.05, g), ENUVStatisError,
                       "GrubbsTest: number of data points is too low");
  for (double a : {0.0, 1.0, std::numeric_limits<double>::quiet_NaN()}) {
    NUV_EXPECT_THROW_MSG(GrubbsTest(three.get(), a, g), ENUVStatisError,
                         "GrubbsTest: invalid level of significance");
  }
}

TEST(WilcoxonSRQuantile, TableParabolaAndNormalRange) {
  // The parabola through the table row, fitted independently by numpy.polyfit.
  const auto fits = Rows("wfit");
  ASSERT_EQ(fits.size(), 93u * 9u);
  for (const auto& r : fits) {
    const auto n = static_cast<Integer>(r[0]);
    EXPECT_EQ(WilcoxonSRQuantile(n, r[1], r[2] != 0.0), static_cast<Integer>(r[3]))
        << n << " " << r[1] << " " << r[2];
  }
  // The exact table rows that the parabola smooths (spot checks of the committed table).
  const auto rows = Rows("wilcoxon");
  ASSERT_EQ(rows.size(), 93u);
  EXPECT_EQ(rows[0], (std::vector<double>{8, 5, 3, 1, 0, 0}));
  EXPECT_EQ(rows[92], (std::vector<double>{100, 2045, 1955, 1850, 1779, 1578}));
  // n = 8: the parabola runs through the three points, so the levels are met exactly.
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.05, true), 3);
  EXPECT_EQ(WilcoxonSRQuantile(8, 0.025, false), 3);
  EXPECT_EQ(WilcoxonSRQuantile(7, 0.05, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.25, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, 0.0004, true), -1);
  EXPECT_EQ(WilcoxonSRQuantile(20, std::numeric_limits<double>::quiet_NaN(), true), -1);
  // Normal approximation: n = 200 two-sided 5 %: 10050 - 1.959964 * sqrt(671675).
  EXPECT_EQ(WilcoxonSRQuantile(200, 0.05, true),
            static_cast<Integer>(std::nearbyint(10050.0 - 1.959963985 * std::sqrt(671675.0))));
  // Beyond n(n + 1) of 32 bits the value is still right; beyond the 32-bit result, -1.
  const double n1 = 50000;
  EXPECT_EQ(WilcoxonSRQuantile(50000, 0.05, true),
            static_cast<Integer>(std::nearbyint(
                n1 * (n1 + 1) / 4 - 1.959963985 * std::sqrt(n1 * (n1 + 1) * (2 * n1 + 1) / 24))));
  EXPECT_EQ(WilcoxonSRQuantile(1000000, 0.05, true), -1);
}

}  // namespace
}  // namespace nuv
