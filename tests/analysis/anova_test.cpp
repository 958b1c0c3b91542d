// Variance analysis, runs tests, array percentile and density estimate; references from
// tests/reference/anova_reference.py (SciPy and exact rational arithmetic).

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

template <class V, class T>
void Fill(V& v, const std::vector<T>& values) {
  v.Resize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), values[i]);
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

struct TAnova {
  double SSb = test::kSentinel, SSw = test::kSentinel, SSt = test::kSentinel, F = test::kSentinel,
         P = test::kSentinel;
  Integer DFb = test::kIntSentinel, DFw = test::kIntSentinel, DFt = test::kIntSentinel;
  TAnova(const std::vector<double>& x, const std::vector<Integer>& g) {
    TVector data(nullptr);
    TIntVector groups(nullptr);
    Fill(data, x);
    Fill(groups, g);
    P = Anova1F(&data, &groups, SSb, SSw, SSt, DFb, DFw, DFt, F);
  }
};

std::vector<std::vector<std::string>> Rows(const std::string& kind) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(test::ReferencePath("anova_reference.txt"));
  for (std::string line; std::getline(in, line);) {
    std::istringstream ls(line);
    std::vector<std::string> tok;
    for (std::string t; ls >> t;) tok.push_back(t);
    if (!tok.empty() && tok[0] == kind) rows.push_back(tok);
  }
  return rows;
}

TEST(Anova1F, MatchesReferenceIncludingDataFarFromZero) {
  const auto rows = Rows("anova");
  ASSERT_EQ(rows.size(), 7u);
  for (const auto& r : rows) {
    const auto n = static_cast<std::size_t>(std::stoi(r[1]));
    std::vector<double> x;
    std::vector<Integer> g;
    for (std::size_t i = 0; i < n; ++i) x.push_back(std::stod(r[2 + i]));
    for (std::size_t i = 0; i < n; ++i) g.push_back(std::stoi(r[2 + n + i]));
    auto ids = g;
    std::sort(ids.begin(), ids.end());
    const auto k = static_cast<Integer>(std::unique(ids.begin(), ids.end()) - ids.begin());
    const TAnova a(x, g);
    const double want[] = {a.P, a.F, a.SSb, a.SSw, a.SSt};
    for (std::size_t j = 0; j < 5; ++j)
      EXPECT_TRUE(test::RelNear(want[j], std::stod(r[2 + 2 * n + j]), 1e-9)) << n << " " << j;
    EXPECT_EQ(a.DFb, k - 1);
    EXPECT_EQ(a.DFw, static_cast<Integer>(n) - k);
    EXPECT_EQ(a.DFt, static_cast<Integer>(n) - 1);
  }
}

TEST(Anova1F, FirstAppearanceAndResultCodes) {
  const TAnova a({1.0, 5.0, 3.0}, {7, 3, 7});  // groups {1, 3} and {5}, grand mean 3
  EXPECT_EQ(a.SSb, 6.0);
  EXPECT_EQ(a.SSw, 2.0);
  EXPECT_EQ(a.SSt, 8.0);
  EXPECT_EQ(a.F, 3.0);
  EXPECT_TRUE(test::RelNear(a.P, 1.0 - FDistriIntegral(3.0, 1, 1), 1e-12));

  for (const TAnova& e : {TAnova({1, 2, 3}, {4, 4, 4}), TAnova({1, 2, 3}, {1, 2, 3})}) {
    EXPECT_EQ(e.SSb, test::kSentinel);  // nothing written on the early codes
    EXPECT_EQ(e.DFw, test::kIntSentinel);
    EXPECT_EQ(e.F, test::kSentinel);
  }
  EXPECT_EQ(TAnova({1, 2, 3}, {4, 4, 4}).P, -1.0);
  EXPECT_EQ(TAnova({1, 2, 3}, {1, 2, 3}).P, -2.0);
  double d = 0.0;
  Integer i = 0;
  EXPECT_EQ(Anova1F(nullptr, nullptr, d, d, d, i, i, i, d), -1.0);

  const TAnova flat({2.5, 2.5, 2.5, 2.5}, {1, 2, 1, 2});
  EXPECT_EQ(flat.P, -3.0);
  EXPECT_EQ(flat.F, 0.0);
  // Constant within, different between: exactly zero within, even far from zero.
  const TAnova steps({0.1, 0.1, 0.1, 1e9 + 0.3, 1e9 + 0.3}, {1, 1, 1, 2, 2});
  EXPECT_EQ(steps.P, 0.0);
  EXPECT_EQ(steps.F, uc_MaxReal);
  EXPECT_EQ(steps.SSw, 0.0);
}

TEST(RunsTests, MatchReference) {
  for (const auto& r : Rows("exact")) {
    const Integer n1 = std::stoi(r[1]), n2 = std::stoi(r[2]), runs = std::stoi(r[3]);
    const double tol = n1 + n2 > 1000 ? 1e-7 : 1e-13;
    EXPECT_TRUE(test::RelNear(ExactRunsTest(n1, n2, runs), std::stod(r[4]), tol)) << n1 << n2;
    EXPECT_TRUE(test::RelNear(ExactRunsTest(n2, n1, runs), std::stod(r[4]), tol));
  }
  for (const auto& r : Rows("bits")) {
    TBitFld bits(nullptr);
    bits.SetSize(static_cast<Integer>(r[1].size()) - 1);
    for (std::size_t i = 0; i < r[1].size(); ++i)
      bits.SetBit(static_cast<Integer>(i), r[1][i] == '1');
    double p = test::kSentinel;
    const bool sig = RunsTest(&bits, p);
    EXPECT_TRUE(test::RelNear(p, std::stod(r[2]), 1e-9)) << r[1];
    EXPECT_EQ(sig, std::stod(r[2]) < 0.05);
  }
  for (const auto& r : Rows("serial")) {
    const auto n = static_cast<std::size_t>(std::stoi(r[1]));
    TVector data(nullptr);
    Fill(data, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i)
      data.SetVal(static_cast<Integer>(i + 1), std::stod(r[2 + i]));
    double p = test::kSentinel;
    RunsTestSerial(&data, p);
    EXPECT_TRUE(test::RelNear(p, std::stod(r[2 + n]), 1e-9)) << n;
  }
}

TEST(RunsTests, DegenerateInput) {
  EXPECT_EQ(ExactRunsTest(5, 5, 1), 0.0);
  EXPECT_EQ(ExactRunsTest(-1, 5, 3), 0.0);
  EXPECT_TRUE(test::RelNear(ExactRunsTest(25, 25, INT_MAX), 1.0, 1e-14));
  EXPECT_TRUE(test::RelNear(ExactRunsTest(3000, 2000, INT_MAX), 1.0, 1e-6));

  double p = test::kSentinel;
  TBitFld bits(nullptr);
  EXPECT_FALSE(RunsTest(&bits, p));  // no bits: nothing to test
  EXPECT_EQ(p, -1.0);
  for (Integer h : {9, 59}) {  // all equal: exact branch, then sigma = 0
    bits.SetSize(h);
    p = test::kSentinel;
    EXPECT_TRUE(RunsTest(&bits, p));
    EXPECT_EQ(p, 0.0);
  }
  bits.SetSize(9);  // 0101010101: ten runs, the most possible
  for (Integer i = 0; i <= 9; ++i) bits.SetBit(i, i % 2 == 1);
  EXPECT_FALSE(RunsTest(&bits, p));
  EXPECT_TRUE(test::RelNear(p, 1.0, 1e-15));

  // Median 2; values equal to it count as below: bits 000100, p = 1 (as above: 0.4).
  TVector data(nullptr);
  Fill(data, std::vector<double>{2, 1, 1, 3, 2, 2});
  EXPECT_FALSE(RunsTestSerial(&data, p));
  EXPECT_TRUE(test::RelNear(p, 1.0, 1e-15));
  EXPECT_FALSE(RunsTestSerial(nullptr, p));
  EXPECT_EQ(p, -1.0);
}

TEST(PercentileOfArray, StatusCodesAndRankFromFirst) {
  const std::vector<double> orig{50, 40, 9, 1, 7, 2, 8, 3, 6, 5, -40, -50};
  std::vector<double> a = orig;
  double res = test::kSentinel;
  EXPECT_EQ(PercentileOfArray(a, 150.0, 5, 2, res), -2);  // the later test wins
  EXPECT_EQ(res, 0.0);
  EXPECT_EQ(PercentileOfArray(a, 50.0, 5, 2, res), -3);
  EXPECT_EQ(PercentileOfArray(a, 50.0, -1, 2, res), -1);
  EXPECT_EQ(PercentileOfArray(a, 50.0, 0, 12, res), -1);
  EXPECT_EQ(PercentileOfArray(a, std::nan(""), 0, 6, res), -2);
  EXPECT_EQ(PercentileOfArray(std::span<double>(), 50.0, 0, 0, res), -1);
  EXPECT_EQ(a, orig);

  std::vector<double> s(orig.begin() + 2, orig.begin() + 10);
  std::sort(s.begin(), s.end());
  // Of 8 values, halves to even: 30% -> rank 2, 62.5% -> 5, 93% -> 7, 100% -> 8 (the last).
  for (auto [pct, rank] : {std::pair{0.0, 0}, {30.0, 2}, {62.5, 5}, {93.0, 7}, {100.0, 7}}) {
    a = orig;
    ASSERT_EQ(PercentileOfArray(a, pct, 2, 9, res), 0);
    EXPECT_EQ(res, s[static_cast<std::size_t>(rank)]) << pct;
    EXPECT_EQ(a[1], 40.0);  // outside the stretch untouched
    EXPECT_EQ(a[10], -40.0);
  }
}

double Kernel(double x, double c, double h) {
  const double z = (x - c) / h;
  return uc_sqrt2pitom1 * std::exp(-0.5 * z * z) / h;
}

struct TProgressLog {
  static inline std::vector<double> Steps, Percents;
  static void Proc(TObject* Sender, double Step, double Percent) {
    EXPECT_EQ(Sender, nullptr);
    Steps.push_back(Step);
    Percents.push_back(Percent);
  }
};

TEST(EstimateProbDensity, SortsEventsProgressAndIndices) {
  TVector data(nullptr), density(nullptr);
  Fill(data, std::vector<double>{3.0, 1.0, 2.0, 0.5});
  test::EventRecorder dataEv, densEv;
  dataEv.Attach(data);
  densEv.Attach(density);
  Integer ixMin = 0, ixMax = 0;
  EstimateProbDensity(&data, &density, -1.0, 4.0, 1.0, 1.2, 5, ixMin, ixMax, TProgressLog::Proc);
  EXPECT_EQ(density.NrOfElem(), 11);  // 5 points asked, 10 used
  EXPECT_EQ(Values(data), (std::vector<double>{0.5, 1.0, 2.0, 3.0}));
  EXPECT_FALSE(dataEv.Exchanges.empty());
  EXPECT_EQ(dataEv.Changes, 1);
  EXPECT_EQ(densEv.Changes, 1 + 11);  // resize, then one per value
  ASSERT_EQ(TProgressLog::Steps.size(), 15u);
  EXPECT_EQ(TProgressLog::Steps.back(), 15.0);
  EXPECT_DOUBLE_EQ(TProgressLog::Percents.back(), 100.0);
  const auto d = Values(density);
  EXPECT_EQ(ixMax, std::max_element(d.begin(), d.end()) - d.begin() + 1);
  EXPECT_EQ(ixMin, std::min_element(d.begin(), d.end()) - d.begin() + 1);
}

TEST(EstimateProbDensity, ClosedFormsAndShiftInvariance) {
  TVector data(nullptr), density(nullptr);
  Integer ixMin = 0, ixMax = 0;
  Fill(data, std::vector<double>{2.0});  // no gap: h = scale * radius
  EstimateProbDensity(&data, &density, 0.0, 4.0, 0.5, 1.5, 10, ixMin, ixMax, nullptr);
  for (Integer j = 0; j <= 10; ++j)
    EXPECT_TRUE(test::RelNear(density.GetVal(j + 1), Kernel(0.4 * j, 2.0, 0.75), 1e-14));
  EXPECT_EQ(ixMax, 6);
  EXPECT_EQ(ixMin, 1);  // the first of the two equal tails

  // Two points 0.5 apart within the radius: the gap is each one's width; scale <= 0 is 1.
  Fill(data, std::vector<double>{1.5, 1.0});
  EstimateProbDensity(&data, &density, 0.0, 2.5, -3.0, 2.0, 10, ixMin, ixMax, nullptr);
  for (Integer j = 0; j <= 10; ++j) {
    const double x = 0.25 * j;
    EXPECT_TRUE(test::RelNear(density.GetVal(j + 1),
                              0.5 * (Kernel(x, 1.0, 0.5) + Kernel(x, 1.5, 0.5)), 1e-14));
  }

  // Moving data and abscissae together changes nothing: no phantom neighbour at 0.
  std::vector<double> ref;
  for (double shift : {0.0, 1000.0}) {
    std::vector<double> v{0.3, 0.9, 1.0, 1.7, 2.2, 2.25, 4.0};
    for (double& x : v) x += shift;
    Fill(data, v);
    EstimateProbDensity(&data, &density, shift - 1.0, shift + 5.0, 1.0, 0.77, 60, ixMin, ixMax,
                        nullptr);
    if (ref.empty()) ref = Values(density);
  }
  const auto d = Values(density);
  for (std::size_t j = 0; j < d.size(); ++j) EXPECT_NEAR(d[j], ref[j], 1e-9) << j;

  // A radius <= 0 gives no negative widths: h = scale.
  Fill(data, std::vector<double>{1.0, 2.0, 3.0});
  EstimateProbDensity(&data, &density, 0.0, 4.0, 0.5, -1.0, 10, ixMin, ixMax, nullptr);
  EXPECT_TRUE(test::RelNear(density.GetVal(6),
                            (2 * Kernel(2.0, 1.0, 0.5) + Kernel(2.0, 2.0, 0.5)) / 3, 1e-14));
}

TEST(EstimateProbDensity, WidthsFromTwoScansClippedAtTheEnds) {
  // Sorted data 0, 1, 10 with radius 5. x(1): down from x(2) adds 1; up from x(1) adds 1 and,
  // x(2) being within reach, 9: 11/3. x(2): down from x(3) stops at once (9 away); up adds 1
  // and 9: 10/2. x(3): down adds 9, up from x(2) stops: 9.
  const double widths[3] = {11.0 / 3.0, 5.0, 9.0};
  const double centres[3] = {0.0, 1.0, 10.0};
  for (double radius : {5.0, -5.0}) {  // a negative radius is its magnitude
    SCOPED_TRACE(radius);
    TVector data(nullptr), density(nullptr);
    Fill(data, std::vector<double>{10.0, 0.0, 1.0});
    Integer ixMin = 0, ixMax = 0;
    int calls = 0;
    const TProgressProc progress = [&calls](TObject* sender, double, double) {
      EXPECT_EQ(sender, nullptr);
      ++calls;
    };
    EstimateProbDensity(&data, &density, -2.0, 12.0, 1.0, radius, 14, ixMin, ixMax, progress);
    EXPECT_EQ(calls, 3 + 15);
    for (Integer j = 0; j <= 14; ++j) {
      const double x = -2.0 + j;
      double want = 0.0;
      for (int i = 0; i < 3; ++i) want += Kernel(x, centres[i], widths[i]);
      EXPECT_TRUE(test::RelNear(density.GetVal(j + 1), want / 3.0, 1e-14)) << j;
    }
  }
}

}  // namespace
}  // namespace nuv
