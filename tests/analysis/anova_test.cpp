// Variance analysis, runs tests, array percentile and density estimate; references from
// tests/reference/anova_reference.py (SciPy and exact rational arithmetic).

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

void Fill(TVector& v, const std::vector<double>& values) {
  v.Resize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), values[i]);
}

void Fill(TIntVector& v, const std::vector<Integer>& values) {
  v.Resize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), values[i]);
}

struct TAnovaOut {
  double SSb = test::kSentinel, SSw = test::kSentinel, SSt = test::kSentinel, F = test::kSentinel;
  Integer DFb = test::kIntSentinel, DFw = test::kIntSentinel, DFt = test::kIntSentinel;
};

double RunAnova(const std::vector<double>& x, const std::vector<Integer>& g, TAnovaOut& o) {
  TVector data(nullptr);
  TIntVector groups(nullptr);
  Fill(data, x);
  Fill(groups, g);
  return Anova1F(&data, &groups, o.SSb, o.SSw, o.SSt, o.DFb, o.DFw, o.DFt, o.F);
}

std::vector<std::vector<std::string>> Rows(const std::string& kind) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(test::ReferencePath("anova_reference.txt"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::vector<std::string> tok;
    for (std::string t; ls >> t;) tok.push_back(t);
    if (!tok.empty() && tok[0] == kind) rows.push_back(tok);
  }
  return rows;
}

TEST(Anova1F, MatchesSciPyIncludingDataFarFromZero) {
  const auto rows = Rows("anova");
  ASSERT_EQ(rows.size(), 7u);
  for (const auto& r : rows) {
    const auto n = static_cast<std::size_t>(std::stoi(r[1]));
    std::vector<double> x;
    std::vector<Integer> g;
    for (std::size_t i = 0; i < n; ++i) x.push_back(std::stod(r[2 + i]));
    for (std::size_t i = 0; i < n; ++i) g.push_back(std::stoi(r[2 + n + i]));
    std::vector<Integer> ids = g;
    std::sort(ids.begin(), ids.end());
    const auto k = static_cast<Integer>(std::unique(ids.begin(), ids.end()) - ids.begin());
    TAnovaOut o;
    const double p = RunAnova(x, g, o);
    const double tol = 1e-9;
    EXPECT_TRUE(test::RelNear(p, std::stod(r[2 + 2 * n]), tol)) << "n=" << n;
    EXPECT_TRUE(test::RelNear(o.F, std::stod(r[3 + 2 * n]), tol));
    EXPECT_TRUE(test::RelNear(o.SSb, std::stod(r[4 + 2 * n]), tol));
    EXPECT_TRUE(test::RelNear(o.SSw, std::stod(r[5 + 2 * n]), tol));
    EXPECT_TRUE(test::RelNear(o.SSt, std::stod(r[6 + 2 * n]), tol));
    EXPECT_EQ(o.DFb, k - 1);
    EXPECT_EQ(o.DFw, static_cast<Integer>(n) - k);
    EXPECT_EQ(o.DFt, static_cast<Integer>(n) - 1);
  }
}

TEST(Anova1F, GroupsInOrderOfFirstAppearance) {
  // Identifiers 7, 3, 7: groups {1, 3} and {5}; grand mean 3.
  TAnovaOut o;
  const double p = RunAnova({1.0, 5.0, 3.0}, {7, 3, 7}, o);
  EXPECT_DOUBLE_EQ(o.SSb, 6.0);
  EXPECT_DOUBLE_EQ(o.SSw, 2.0);
  EXPECT_DOUBLE_EQ(o.SSt, 8.0);
  EXPECT_EQ(o.DFb, 1);
  EXPECT_EQ(o.DFw, 1);
  EXPECT_DOUBLE_EQ(o.F, 3.0);
  EXPECT_TRUE(test::RelNear(p, 1.0 - FDistriIntegral(3.0, 1, 1), 1e-12));
}

TEST(Anova1F, ResultCodes) {
  TAnovaOut o;
  EXPECT_EQ(RunAnova({1.0, 2.0, 3.0}, {4, 4, 4}, o), -1.0);
  EXPECT_EQ(RunAnova({1.0, 2.0, 3.0}, {1, 2, 3}, o), -2.0);
  EXPECT_EQ(RunAnova({1.0, 2.0}, {1, 2}, o), -2.0);
  EXPECT_EQ(o.SSb, test::kSentinel);  // not written on the early codes
  EXPECT_EQ(o.DFb, test::kIntSentinel);
  EXPECT_EQ(o.F, test::kSentinel);
  EXPECT_EQ(Anova1F(nullptr, nullptr, o.SSb, o.SSw, o.SSt, o.DFb, o.DFw, o.DFt, o.F), -1.0);

  EXPECT_EQ(RunAnova({2.5, 2.5, 2.5, 2.5}, {1, 2, 1, 2}, o), -3.0);
  EXPECT_EQ(o.F, 0.0);
  EXPECT_EQ(o.DFw, 2);

  // Constant within, different between: exactly zero within-group variance even for values
  // that are not representable and lie far from zero.
  EXPECT_EQ(RunAnova({0.1, 0.1, 0.1, 1e9 + 0.3, 1e9 + 0.3}, {1, 1, 1, 2, 2}, o), 0.0);
  EXPECT_EQ(o.F, uc_MaxReal);
  EXPECT_EQ(o.SSw, 0.0);
}

TEST(ExactRunsTest, MatchesRationalArithmetic) {
  for (const auto& r : Rows("exact")) {
    const Integer n1 = std::stoi(r[1]), n2 = std::stoi(r[2]), runs = std::stoi(r[3]);
    const double tol = n1 + n2 > 1000 ? 1e-7 : 1e-13;
    EXPECT_TRUE(test::RelNear(ExactRunsTest(n1, n2, runs), std::stod(r[4]), tol))
        << n1 << " " << n2 << " " << runs;
    EXPECT_TRUE(test::RelNear(ExactRunsTest(n2, n1, runs), std::stod(r[4]), tol));
  }
  EXPECT_EQ(ExactRunsTest(5, 5, 1), 0.0);
  EXPECT_EQ(ExactRunsTest(-1, 5, 3), 0.0);
  EXPECT_EQ(ExactRunsTest(0, 7, 3), 0.0);  // one group empty: no arrangement counted
  EXPECT_TRUE(test::RelNear(ExactRunsTest(25, 25, INT_MAX), 1.0, 1e-14));
  EXPECT_TRUE(test::RelNear(ExactRunsTest(3000, 2000, INT_MAX), 1.0, 1e-6));
}

TEST(RunsTest, BitsAgainstReference) {
  for (const auto& r : Rows("bits")) {
    TBitFld bits(nullptr);
    bits.SetSize(static_cast<Integer>(r[1].size()) - 1);
    for (std::size_t i = 0; i < r[1].size(); ++i)
      bits.SetBit(static_cast<Integer>(i), r[1][i] == '1');
    double p = test::kSentinel;
    const bool sig = RunsTest(&bits, p);
    const double expected = std::stod(r[2]);
    EXPECT_TRUE(test::RelNear(p, expected, 1e-9)) << r[1];
    EXPECT_EQ(sig, expected < 0.05);
  }
}

TEST(RunsTest, DegenerateFields) {
  double p = test::kSentinel;
  EXPECT_FALSE(RunsTest(nullptr, p));
  EXPECT_EQ(p, -1.0);
  TBitFld bits(nullptr);
  p = test::kSentinel;
  EXPECT_FALSE(RunsTest(&bits, p));  // no bits at all
  EXPECT_EQ(p, -1.0);

  bits.SetSize(9);  // all equal, exact branch
  EXPECT_TRUE(RunsTest(&bits, p));
  EXPECT_EQ(p, 0.0);
  bits.SetSize(59);  // all equal, normal branch with sigma 0
  p = test::kSentinel;
  EXPECT_TRUE(RunsTest(&bits, p));
  EXPECT_EQ(p, 0.0);

  bits.SetSize(9);  // 0101010101: ten runs, the most possible
  for (Integer i = 0; i <= 9; ++i) bits.SetBit(i, i % 2 == 1);
  EXPECT_FALSE(RunsTest(&bits, p));
  EXPECT_TRUE(test::RelNear(p, 1.0, 1e-15));
}

TEST(RunsTestSerial, AboutTheMedian) {
  for (const auto& r : Rows("serial")) {
    const auto n = static_cast<std::size_t>(std::stoi(r[1]));
    std::vector<double> x;
    for (std::size_t i = 0; i < n; ++i) x.push_back(std::stod(r[2 + i]));
    TVector data(nullptr);
    Fill(data, x);
    double p = test::kSentinel;
    RunsTestSerial(&data, p);
    EXPECT_TRUE(test::RelNear(p, std::stod(r[2 + n]), 1e-9)) << "n=" << n;
  }
  // Median 2; values equal to it are below: bits 000100 give p = 1 (as above it would be
  // 100111 with p = 0.4).
  TVector data(nullptr);
  Fill(data, {2, 1, 1, 3, 2, 2});
  double p = test::kSentinel;
  EXPECT_FALSE(RunsTestSerial(&data, p));
  EXPECT_TRUE(test::RelNear(p, 1.0, 1e-15));
  p = test::kSentinel;
  EXPECT_FALSE(RunsTestSerial(nullptr, p));
  EXPECT_EQ(p, -1.0);
}

TEST(PercentileOfArray, StatusCodesLeaveDataAlone) {
  const std::vector<double> orig{5, 3, 9, 1, 7, 2, 8};
  std::vector<double> a = orig;
  double res = test::kSentinel;
  EXPECT_EQ(PercentileOfArray(a, 150.0, 5, 2, res), -2);  // the later test wins
  EXPECT_EQ(res, 0.0);
  EXPECT_EQ(PercentileOfArray(a, 50.0, 5, 2, res), -3);
  EXPECT_EQ(PercentileOfArray(a, 50.0, -1, 2, res), -1);
  EXPECT_EQ(PercentileOfArray(a, 50.0, 0, 7, res), -1);
  EXPECT_EQ(PercentileOfArray(a, std::nan(""), 0, 6, res), -2);
  EXPECT_EQ(PercentileOfArray(a, -0.5, 0, 6, res), -2);
  EXPECT_EQ(PercentileOfArray(std::span<double>(), 50.0, 0, 0, res), -1);
  EXPECT_EQ(a, orig);
}

TEST(PercentileOfArray, RankCountedFromFirst) {
  const std::vector<double> orig{50, 40, 9, 1, 7, 2, 8, 3, 6, 5, -40, -50};
  for (double pct : {0.0, 10.0, 30.0, 50.0, 62.5, 93.0, 100.0}) {
    std::vector<double> a = orig;
    double res = test::kSentinel;
    ASSERT_EQ(PercentileOfArray(a, pct, 2, 9, res), 0);
    std::vector<double> s(orig.begin() + 2, orig.begin() + 10);
    std::sort(s.begin(), s.end());
    // Round halves to even: 62.5% of 8 = 5 exactly, 30% of 8 = 2.4 -> 2, 93% -> 7.44 -> 7.
    const auto k = static_cast<std::size_t>(std::min(std::nearbyint(pct / 100.0 * 8.0), 7.0));
    EXPECT_EQ(res, s[k]) << pct;
    EXPECT_EQ(a[0], 50.0);  // outside the stretch untouched
    EXPECT_EQ(a[11], -50.0);
    std::vector<double> t(a.begin() + 2, a.begin() + 10);
    std::sort(t.begin(), t.end());
    EXPECT_EQ(t, s);
  }
}

double Kernel(double x, double c, double h) {
  const double z = (x - c) / h;
  return uc_sqrt2pitom1 * std::exp(-0.5 * z * z) / h;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

struct TProgressLog {
  static inline std::vector<double> Steps, Percents;
  static inline int NonNullSenders = 0;
  static void Proc(TObject* Sender, double Step, double Percent) {
    if (Sender != nullptr) ++NonNullSenders;
    Steps.push_back(Step);
    Percents.push_back(Percent);
  }
};

TEST(EstimateProbDensity, ClampSortEventsAndProgress) {
  TVector data(nullptr), density(nullptr);
  Fill(data, {3.0, 1.0, 2.0, 0.5});
  test::EventRecorder dataEv, densEv;
  dataEv.Attach(data);
  densEv.Attach(density);
  TProgressLog::Steps.clear();
  TProgressLog::Percents.clear();
  Integer ixMin = test::kIntSentinel, ixMax = test::kIntSentinel;
  EstimateProbDensity(&data, &density, -1.0, 4.0, 1.0, 1.2, 5, ixMin, ixMax, TProgressLog::Proc);
  EXPECT_EQ(density.NrOfElem(), 11);
  EXPECT_EQ(Values(data), (std::vector<double>{0.5, 1.0, 2.0, 3.0}));
  EXPECT_FALSE(dataEv.Exchanges.empty());
  EXPECT_EQ(dataEv.Changes, 1);
  EXPECT_EQ(densEv.Changes, 1 + 11);  // resize, then one per value
  ASSERT_EQ(TProgressLog::Steps.size(), 4u + 11u);
  for (std::size_t i = 0; i < TProgressLog::Steps.size(); ++i)
    EXPECT_EQ(TProgressLog::Steps[i], static_cast<double>(i + 1));
  EXPECT_DOUBLE_EQ(TProgressLog::Percents.back(), 100.0);
  EXPECT_EQ(TProgressLog::NonNullSenders, 0);
  const auto d = Values(density);
  EXPECT_EQ(ixMax, std::max_element(d.begin(), d.end()) - d.begin() + 1);
  EXPECT_EQ(ixMin, std::min_element(d.begin(), d.end()) - d.begin() + 1);
}

TEST(EstimateProbDensity, ClosedFormsAndShiftInvariance) {
  TVector data(nullptr), density(nullptr);
  Integer ixMin = 0, ixMax = 0;
  // One point: no gap, so h = scale * radius.
  Fill(data, {2.0});
  EstimateProbDensity(&data, &density, 0.0, 4.0, 0.5, 1.5, 10, ixMin, ixMax, nullptr);
  for (Integer j = 0; j <= 10; ++j)
    EXPECT_TRUE(test::RelNear(density.GetVal(j + 1), Kernel(0.4 * j, 2.0, 0.75), 1e-14));
  EXPECT_EQ(ixMax, 6);
  EXPECT_EQ(ixMin, 1);  // the first of the two equal tails

  // Two points 0.5 apart within the radius: each gets the one gap as width; scale <= 0 is 1.
  Fill(data, {1.0, 1.5});
  EstimateProbDensity(&data, &density, 0.0, 2.5, -3.0, 2.0, 10, ixMin, ixMax, nullptr);
  for (Integer j = 0; j <= 10; ++j) {
    const double x = 0.25 * j;
    const double expected = 0.5 * (Kernel(x, 1.0, 0.5) + Kernel(x, 1.5, 0.5));
    EXPECT_TRUE(test::RelNear(density.GetVal(j + 1), expected, 1e-14)) << j;
  }

  // Moving data and abscissae together moves nothing: no phantom neighbour at 0.
  const std::vector<double> base{0.3, 0.9, 1.0, 1.7, 2.2, 2.25, 4.0};
  std::vector<double> ref;
  for (double shift : {0.0, 1000.0}) {
    std::vector<double> v = base;
    for (double& x : v) x += shift;
    Fill(data, v);
    EstimateProbDensity(&data, &density, shift - 1.0, shift + 5.0, 1.0, 0.77, 60, ixMin, ixMax,
                        nullptr);
    if (ref.empty()) {
      ref = Values(density);
      continue;
    }
    const auto d = Values(density);
    for (std::size_t j = 0; j < d.size(); ++j) EXPECT_NEAR(d[j], ref[j], 1e-9) << j;
  }
  // The estimate is a density: about 1 in total (trapezoid rule, wide range).
  EXPECT_NEAR(
      std::accumulate(ref.begin() + 1, ref.end() - 1, 0.5 * (ref.front() + ref.back())) * 0.1, 1.0,
      2e-2);

  // A radius <= 0 must not give negative widths.
  Fill(data, {1.0, 2.0, 3.0});
  EstimateProbDensity(&data, &density, 0.0, 4.0, 0.5, -1.0, 10, ixMin, ixMax, nullptr);
  for (Integer j = 1; j <= 11; ++j) EXPECT_GE(density.GetVal(j), 0.0);
  EXPECT_TRUE(test::RelNear(density.GetVal(6),
                            Kernel(2.0, 1.0, 0.5) / 3 * 2 + Kernel(2.0, 2.0, 0.5) / 3, 1e-14));
}

}  // namespace
}  // namespace nuv
