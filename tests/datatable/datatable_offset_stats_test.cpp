// Variances, covariances and correlations of table columns far from zero, against exact values
// formed from the offset-free integers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

// The accuracy asked of every variance and correlation, whatever the offset.
constexpr double kOffsetTol = 1e-9;
// Two-pass sums in double on 30 values a million from zero agree to a few ulps.
constexpr double kRefTol = 1e-12;

constexpr Integer kRows = 40;

std::int64_t U(Integer i) {
  return (i * 7) % 13;
}
std::int64_t V(Integer i) {
  return (i * 5) % 11 + i % 3;
}
bool VValid(Integer i) {
  return i % 9 != 0;
}
bool UMarked(Integer i) {
  return i % 4 != 0;
}

// Exact sample variance of integers, rounded once.
double ExactVar(const std::vector<std::int64_t>& x) {
  const auto n = static_cast<std::int64_t>(x.size());
  std::int64_t s = 0, q = 0;
  for (auto v : x) {
    s += v;
    q += v * v;
  }
  return static_cast<double>(n * q - s * s) / static_cast<double>(n * (n - 1));
}

TEST(TDataTableOffsets, VariancesAndCorrelationsKeepTheirDigits) {
  // Column 1: offset + U, every cell; column 2: offset + V with every ninth cell empty.
  std::vector<std::int64_t> u, v, uMarked, both, cu, cv;
  for (Integer i = 1; i <= kRows; ++i) {
    u.push_back(U(i));
    both.push_back(U(i));
    if (UMarked(i)) uMarked.push_back(U(i));
  }
  for (Integer i = 1; i <= kRows; ++i)
    if (VValid(i)) {
      v.push_back(V(i));
      both.push_back(V(i));
      cu.push_back(U(i));
      cv.push_back(V(i));
    }
  const auto n1 = static_cast<std::int64_t>(u.size());
  const auto n2 = static_cast<std::int64_t>(v.size());
  const auto m = static_cast<std::int64_t>(cu.size());
  std::int64_t s1 = 0, s2 = 0;
  for (auto x : u) s1 += x;
  for (auto x : v) s2 += x;
  // Mode 1: about the column means over all their cells, summed over the common rows.
  std::int64_t num = 0;
  for (std::size_t k = 0; k < cu.size(); ++k) num += (n1 * cu[k] - s1) * (n2 * cv[k] - s2);
  const double cov12 = static_cast<double>(num) / static_cast<double>(n1 * n2 * (m - 1));
  // Modes 2 and 3: about the pair's own means.
  std::int64_t su = 0, sv = 0, suu = 0, svv = 0, suv = 0;
  for (std::size_t k = 0; k < cu.size(); ++k) {
    su += cu[k];
    sv += cv[k];
    suu += cu[k] * cu[k];
    svv += cv[k] * cv[k];
    suv += cu[k] * cv[k];
  }
  const double r12 =
      static_cast<double>(m * suv - su * sv) /
      std::sqrt(static_cast<double>(m * suu - su * su) * static_cast<double>(m * svv - sv * sv));

  for (const double offset : {0.0, 1e6, 1e8, 1.7e9, 4.5e15}) {
    SCOPED_TRACE(offset);
    TDataTable t(nullptr);
    t.Resize(2, kRows);
    for (Integer i = 1; i <= kRows; ++i) {
      t.SetElem(1, i, offset + static_cast<double>(U(i)));
      t.SetElem(2, i, offset + static_cast<double>(V(i)));
      if (!VValid(i)) t.SetCellState(2, i, 2);
      if (UMarked(i)) t.SetCellState(1, i, 64);
    }
    double mean = 0, var = 0;
    EXPECT_EQ(t.MeanVarOfNumCells(1, 1, 1, kRows, mean, var), n1);
    EXPECT_TRUE(RelNear(var, ExactVar(u), kOffsetTol));
    EXPECT_EQ(t.MeanVarOfMarkedCells(0, 0, 0, 0, 64, mean, var),
              static_cast<Integer>(uMarked.size()));
    EXPECT_TRUE(RelNear(var, ExactVar(uMarked), kOffsetTol));
    EXPECT_EQ(t.MeanVarOfNumCells(0, 0, 0, 0, mean, var), static_cast<Integer>(both.size()));
    EXPECT_TRUE(RelNear(var, ExactVar(both), kOffsetTol));

    TMatrix c(nullptr);
    c.Resize(2, 2);
    ASSERT_TRUE(t.CalcCovar(&c, 1, 2, 1, kRows, 1));
    EXPECT_TRUE(RelNear(c.GetVal(1, 1), ExactVar(u), kOffsetTol));
    EXPECT_TRUE(RelNear(c.GetVal(2, 2), ExactVar(v), kOffsetTol));
    EXPECT_TRUE(RelNear(c.GetVal(1, 2), cov12, kOffsetTol));
    ASSERT_TRUE(t.CalcCovar(&c, 1, 2, 1, kRows, 2));
    EXPECT_TRUE(RelNear(c.GetVal(1, 2), r12, kOffsetTol));
    EXPECT_EQ(c.GetVal(1, 1), 1.0);
    ASSERT_TRUE(t.CalcCovar(&c, 1, 2, 1, kRows, 3));
    EXPECT_TRUE(RelNear(c.GetVal(2, 1), r12 * r12, kOffsetTol));

    TVector means(nullptr), sds(nullptr);
    means.Resize(2);
    sds.Resize(2);
    t.StandardizeNumCellColumns(&means, &sds);
    EXPECT_TRUE(RelNear(sds.GetVal(1), std::sqrt(ExactVar(u)), kOffsetTol));
    EXPECT_TRUE(RelNear(sds.GetVal(2), std::sqrt(ExactVar(v)), kOffsetTol));
  }
}

TEST(TDataTableOffsets, ConstantColumnsCorrelateWithNothing) {
  // Sums of such columns leave rounding noise where the spread should be 0.
  const std::vector<double> levels{1e6 + 0.1, 0.1, 1.7e9 + 0.3, 1.0 / 3.0, 4.5e15 + 1, -2e8 - 0.7};
  TDataTable t(nullptr);
  t.Resize(static_cast<Integer>(levels.size()), 34);
  for (Integer c = 1; c <= t.NrOfColumns(); ++c)
    for (Integer r = 1; r <= 34; ++r) t.SetElem(c, r, levels[static_cast<std::size_t>(c - 1)]);
  TMatrix res(nullptr);
  res.Resize(t.NrOfColumns(), t.NrOfColumns());
  for (const Integer mode : {2, 3}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(t.CalcCovar(&res, 1, t.NrOfColumns(), 1, 34, mode));
    for (Integer i = 1; i <= t.NrOfColumns(); ++i)
      for (Integer j = 1; j <= t.NrOfColumns(); ++j) {
        SCOPED_TRACE(i * 100 + j);
        EXPECT_EQ(res.GetVal(i, j), i == j ? 1.0 : 0.0);
      }
  }
  // A column that varies only outside a pair's common rows is constant for that pair.
  t.SetElem(1, 1, 5.0);
  t.SetCellState(2, 1, 2);
  ASSERT_TRUE(t.CalcCovar(&res, 1, 2, 1, 34, 2));
  EXPECT_EQ(res.GetVal(1, 2), 0.0);
}

TEST(TDataTableOffsets, EveryModeMatchesATwoPassReference) {
  constexpr Integer kN = 30, kC = 4;
  TDataTable t(nullptr);
  t.Resize(kC, kN);
  std::vector<std::vector<double>> x(kC, std::vector<double>(kN));
  std::uint32_t seed = 12345;
  for (Integer c = 0; c < kC; ++c)
    for (Integer r = 0; r < kN; ++r) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = static_cast<double>(seed >> 8) / 16777216.0 - 0.5;
      x[c][r] = 1e6 + noise + 0.3 * c * (r % 5);
      t.SetElem(c + 1, r + 1, x[c][r]);
    }
  std::vector<double> mean(kC, 0.0);
  for (Integer c = 0; c < kC; ++c) {
    for (double v : x[c]) mean[c] += v;
    mean[c] /= kN;
  }
  const auto sum = [&](Integer a, Integer b, auto term) {
    double s = 0.0;
    for (Integer r = 0; r < kN; ++r) s += term(x[a][r], x[b][r], mean[a], mean[b]);
    return s;
  };
  const auto cov = [&](Integer a, Integer b) {
    return sum(a, b, [](double p, double q, double mp, double mq) { return (p - mp) * (q - mq); });
  };
  TMatrix res(nullptr);
  res.Resize(kC, kC);
  for (Integer mode = 0; mode <= 4; ++mode) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(t.CalcCovar(&res, 1, kC, 1, kN, mode));
    for (Integer a = 0; a < kC; ++a)
      for (Integer b = 0; b < kC; ++b) {
        SCOPED_TRACE(a * 10 + b);
        double want = 0.0;
        if (mode == 0)
          want = sum(a, b, [](double p, double q, double, double) { return p * q; }) / (kN - 1);
        if (mode == 1) want = cov(a, b) / (kN - 1);
        if (mode == 2 || mode == 3) {
          want = a == b ? 1.0 : cov(a, b) / std::sqrt(cov(a, a) * cov(b, b));
          if (mode == 3) want *= want;
        }
        if (mode == 4)
          want = sum(a, b, [](double p, double q, double, double) { return (p - q) * (p - q); }) /
                 (kN - 1);
        EXPECT_TRUE(RelNear(res.GetVal(a + 1, b + 1), want, kRefTol));
      }
  }
}

}  // namespace
}  // namespace nuv
