// Nearest neighbours, estimates from neighbours and Gauss kernels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using Rows = std::vector<std::vector<double>>;

void Load(TMatrix& m, const Rows& rows) {
  m.Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
    }
  }
}

void LoadVec(TVector& v, const std::vector<double>& e) {
  v.SetVecSize(static_cast<Integer>(e.size()));
  for (std::size_t i = 0; i < e.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), e[i]);
}

Rows Scatter(int n, int p, std::uint32_t seed) {
  Rows x;
  std::uint32_t s = seed;
  for (int i = 0; i < n; ++i) {
    std::vector<double> row;
    for (int c = 0; c < p; ++c) {
      s = s * 1664525u + 1013904223u;
      row.push_back(static_cast<double>(s >> 8) / 1677721.6);
    }
    x.push_back(row);
  }
  return x;
}

double Dist(const std::vector<double>& a, const std::vector<double>& b) {
  double s = 0.0;
  for (std::size_t c = 0; c < a.size(); ++c) s += (a[c] - b[c]) * (a[c] - b[c]);
  return std::sqrt(s);
}

TEST(MeanDistanceKNN, MatchesBruteForce) {
  const Rows x = Scatter(40, 3, 1u);
  TMatrix data(nullptr);
  Load(data, x);
  TVector res(nullptr);
  res.SetVecSize(40);
  res.Fill(test::kSentinel);
  MeanDistanceKNN(&data, 4, 31, 5, res);  // reversed range is put in order
  for (Integer i = 1; i <= 40; ++i) {
    if (i < 5 || i > 31) {
      EXPECT_EQ(res.GetVal(i), test::kSentinel);
      continue;
    }
    std::vector<double> d;
    for (int j = 5; j <= 31; ++j) {
      d.push_back(Dist(x[static_cast<std::size_t>(i - 1)], x[static_cast<std::size_t>(j - 1)]));
    }
    std::sort(d.begin(), d.end());
    EXPECT_DOUBLE_EQ(res.GetVal(i), (d[0] + d[1] + d[2] + d[3]) / 4.0);
  }
}

TEST(MeanDistanceKNN, KClamping) {
  const Rows x = Scatter(60, 2, 2u);
  TMatrix data(nullptr);
  Load(data, x);
  TVector a(nullptr), b(nullptr);
  a.SetVecSize(60);
  b.SetVecSize(60);
  MeanDistanceKNN(&data, 1, 0, 0, a);
  for (Integer i = 1; i <= 60; ++i) EXPECT_EQ(a.GetVal(i), 0.0);  // itself at distance 0
  MeanDistanceKNN(&data, 60, 1, 60, a);
  MeanDistanceKNN(&data, 50, 1, 60, b);
  EXPECT_EQ(a.CRCofData(), b.CRCofData());
  // A range of three rows averages three distances, never unfilled entries.
  MeanDistanceKNN(&data, 10, 1, 3, a);
  const double want = (0.0 + Dist(x[0], x[1]) + Dist(x[0], x[2])) / 3.0;
  EXPECT_DOUBLE_EQ(a.GetVal(1), want);
}

TEST(FindNearestNeighbors, SortedTiesLaterFirstAndCappedAt100) {
  Rows x;
  for (int i = 0; i < 150; ++i) x.push_back({static_cast<double>(i % 7)});
  TMatrix data(nullptr), nb(nullptr);
  Load(data, x);
  TVector probe(nullptr);
  LoadVec(probe, {3.2});
  nb.Resize(2, 120);
  nb.Fill(test::kSentinel);
  FindNearestNeighbors(150, &data, 1, 150, &probe, &nb, nullptr);
  EXPECT_EQ(nb.GetVal(1, 101), test::kSentinel);
  // Rows with value 3 are nearest (0.2), latest row first.
  EXPECT_EQ(nb.GetVal(1, 1), 144.0);
  EXPECT_EQ(nb.GetVal(1, 2), 137.0);
  EXPECT_DOUBLE_EQ(nb.GetVal(2, 1), std::fabs(3.2 - 3.0));
  for (Integer n = 2; n <= 100; ++n) {
    EXPECT_LE(nb.GetVal(2, n - 1), nb.GetVal(2, n));
    if (nb.GetVal(2, n - 1) == nb.GetVal(2, n)) {
      EXPECT_GT(nb.GetVal(1, n - 1), nb.GetVal(1, n));
    }
  }
}

double SquareOfRow(std::int32_t row) {
  return static_cast<double>(row - 200) * (row - 200);
}

TEST(FindNearestNeighbors, UserDistanceAndShortRange) {
  TMatrix data(nullptr), nb(nullptr);
  Load(data, {{0}, {1}});
  nb.Resize(2, 2);
  // The user distance may serve rows beyond the data.
  FindNearestNeighbors(2, &data, 195, 205, nullptr, &nb, &SquareOfRow);
  EXPECT_EQ(nb.GetVal(1, 1), 200.0);
  EXPECT_EQ(nb.GetVal(2, 1), 0.0);
  EXPECT_EQ(nb.GetVal(1, 2), 201.0);  // 199 and 201 tie; the later row comes first
  TVector probe(nullptr);
  LoadVec(probe, {0.0});
  FindNearestNeighbors(2, &data, 1, 1, &probe, &nb, nullptr);
  EXPECT_EQ(nb.GetVal(1, 2), 0.0);
  EXPECT_EQ(nb.GetVal(2, 2), uc_MaxReal);
}

TEST(EstimateByKNN, AverageMedianAndWeights) {
  const Rows x = Scatter(30, 2, 9u);
  TMatrix data(nullptr);
  Load(data, x);
  TVector prop(nullptr), probe(nullptr);
  std::vector<double> y;
  for (const auto& r : x) y.push_back(r[0] * 2.0 - r[1]);
  LoadVec(prop, y);
  LoadVec(probe, {4.0, 5.0});
  // Brute force: the 5 nearest rows.
  std::vector<std::pair<double, int>> order;
  for (int i = 0; i < 30; ++i)
    order.emplace_back(Dist(x[static_cast<std::size_t>(i)], {4.0, 5.0}), i);
  std::sort(order.begin(), order.end());
  double sd = 0.0, sy = 0.0;
  std::vector<double> ys;
  for (int n = 0; n < 5; ++n) {
    sd += order[static_cast<std::size_t>(n)].first;
    sy += y[static_cast<std::size_t>(order[static_cast<std::size_t>(n)].second)];
    ys.push_back(y[static_cast<std::size_t>(order[static_cast<std::size_t>(n)].second)]);
  }
  std::sort(ys.begin(), ys.end());
  double est = 0.0, md = 0.0;
  EstimateByKNN(&data, &prop, 5, kwmAverage, 0.0, &probe, est, md);
  EXPECT_DOUBLE_EQ(md, sd / 5.0);
  EXPECT_DOUBLE_EQ(est, sy / 5.0);
  EstimateByKNN(&data, &prop, 5, kwmMedian, 0.0, &probe, est, md);
  EXPECT_EQ(est, ys[2]);
  // Linear weights with a parameter so small that every neighbour lies beyond s·parameter.
  EstimateByKNN(&data, &prop, 5, kwmLinear, 1e-6, &probe, est, md);
  EXPECT_EQ(est, 0.0);
  // Gauss weights of a huge parameter underflow: no weight, estimate 0 rather than NaN.
  EstimateByKNN(&data, &prop, 5, kwmGauss, 1e3, &probe, est, md);
  EXPECT_EQ(est, 0.0);
  // With a tiny parameter the Gauss weights are all 1: the plain average.
  EstimateByKNN(&data, &prop, 5, kwmGauss, 1e-9, &probe, est, md);
  EXPECT_TRUE(test::RelNear(est, sy / 5.0, 1e-15));
  EstimateByKNN(&data, &prop, 0, kwmAverage, 0.0, &probe, est, md);
  EXPECT_EQ(est, 0.0);
  EXPECT_EQ(md, 0.0);
}

TEST(EstimateByKNN, AllNeighboursAtZeroDistance) {
  TMatrix data(nullptr);
  Load(data, {{1, 1}, {1, 1}, {1, 1}});
  TVector prop(nullptr), probe(nullptr);
  LoadVec(prop, {2.0, 4.0, 9.0});
  LoadVec(probe, {1.0, 1.0});
  double est = -1.0, md = -1.0;
  EstimateByKNN(&data, &prop, 3, kwmLinear, 1.0, &probe, est, md);
  EXPECT_EQ(md, 0.0);
  EXPECT_EQ(est, 5.0);  // every weight is 1 - 0/0.001 = 1
}

TEST(EstimateByKNN, BiQuadReproducesQuadratic) {
  auto f = [](double a, double b) {
    return 1.5 - 2 * a + 0.5 * b + 0.25 * a * a - b * b + 0.75 * a * b;
  };
  const Rows x = Scatter(40, 2, 21u);
  TMatrix data(nullptr);
  Load(data, x);
  TVector prop(nullptr), probe(nullptr);
  std::vector<double> y;
  for (const auto& r : x) y.push_back(f(r[0], r[1]));
  LoadVec(prop, y);
  LoadVec(probe, {3.0, 6.0});
  double est = 0.0, md = 0.0;
  EstimateByKNN(&data, &prop, 12, kwmBiQuad, 0.0, &probe, est, md);
  EXPECT_NEAR(est, f(3.0, 6.0), 1e-9);
  // Fewer neighbours than coefficients: the minimum-norm fit still passes through them.
  EstimateByKNN(&data, &prop, 1, kwmBiQuad, 0.0, &probe, est, md);
  EXPECT_TRUE(std::isfinite(est));
}

TEST(GaussKernel, BoundsAndWidthZero) {
  TVector a(nullptr), b(nullptr);
  LoadVec(a, {1.0, 2.0});
  LoadVec(b, {1.0, 2.0});
  EXPECT_EQ(CalcGaussKernel(&a, &b, 0.7), 1.0);
  EXPECT_TRUE(std::isnan(CalcGaussKernel(&a, &b, 0.0)));
  LoadVec(b, {1.0, 3.0});
  EXPECT_DOUBLE_EQ(CalcGaussKernel(&a, &b, 2.0), std::exp(-0.25));
  EXPECT_EQ(CalcGaussKernel(&a, &b, 0.0), std::exp(-20.0));
  LoadVec(b, {100.0, 3.0});
  EXPECT_EQ(CalcGaussKernel(&a, &b, 1.0), std::exp(-20.0));
  TMatrix m(nullptr);
  Load(m, {{0.0, 0.0}, {1.0, 3.0}});
  EXPECT_DOUBLE_EQ(CalcGaussKernelMat(&a, &m, 2, 2.0), std::exp(-0.25));
  EXPECT_DOUBLE_EQ(CalcGaussKernelMat(&a, &m, 1, 10.0), std::exp(-5.0 / 100.0));
}

}  // namespace
}  // namespace nuv
