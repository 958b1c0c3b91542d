// Filling with a value, a diagonal and random numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_fill.hpp"
#include "nuv/platform/random.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr Integer kIntMax = std::numeric_limits<Integer>::max();
constexpr Integer kIntMin = std::numeric_limits<Integer>::min();
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FillArray, WholeAndRanged) {
  auto a = FromFlat<TInt3DArray>(std::vector<Integer>(24, 0), {2, 3, 4});
  ASSERT_EQ(FillArray(a, 5), 0);
  EXPECT_EQ(Flatten(a), std::vector<Integer>(24, 5));
  ASSERT_EQ(FillArray(a, 9, 1, 2, 3, 1, 2, 3), 0);  // lo = hi: exactly one cell
  auto cells = Flatten(a);
  EXPECT_EQ(std::count(cells.begin(), cells.end(), 9), 1);
  EXPECT_EQ(a[1][2][3], 9);
  const auto before = a;
  EXPECT_EQ(FillArray(a, 7, 0, 0, 0, 1, 3, 3), -2);  // hi2 == length
  EXPECT_EQ(FillArray(a, 7, 0, 0, 0, 1, 2, 4), -2);
  EXPECT_EQ(a, before);
  TDouble2DArray empty{{}};
  EXPECT_EQ(FillArray(empty, 1.0, -3, 9, 8, 1), -1);
  TDoubleArray d(4, kSentinel);
  ASSERT_EQ(FillArray(d, 2.0, 1, 2), 0);
  EXPECT_EQ(d, (TDoubleArray{kSentinel, 2.0, 2.0, kSentinel}));
  TBool2DArray b{{7, 0}, {0, 3}};
  ASSERT_EQ(FillArray(b, true), 0);
  EXPECT_EQ(b, (TBool2DArray{{1, 1}, {1, 1}}));
  TBoolArray bf{5, 5};
  ASSERT_EQ(FillArray(bf, false), 0);
  EXPECT_EQ(bf, (TBoolArray{0, 0}));
  TInt2DArray ragged{{1, 1}, {1}};
  EXPECT_EQ(FillArray(ragged, 3), -2);
  EXPECT_EQ(ragged, (TInt2DArray{{1, 1}, {1}}));
}

TEST(FillDiagArray, OverwritesEverythingAndNeedsEqualLengths) {
  auto a = FromFlat<TDouble2DArray>(std::vector<double>(9, kSentinel), {3, 3});
  ASSERT_EQ(FillDiagArray(a, 5.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{5, 0, 0}, {0, 5, 0}, {0, 0, 5}}));
  auto r = FromFlat<TDouble2DArray>(std::vector<double>(12, kSentinel), {3, 4});
  EXPECT_EQ(FillDiagArray(r, 5.0), -2);
  EXPECT_EQ(Flatten(r), std::vector<double>(12, kSentinel));
  TInt4DArray one{{{{kIntSentinel}}}};
  ASSERT_EQ(FillDiagArray(one, 4), 0);
  EXPECT_EQ(one[0][0][0][0], 4);
  auto c = FromFlat<TInt3DArray>(std::vector<Integer>(27, kIntSentinel), {3, 3, 3});
  ASSERT_EQ(FillDiagArray(c, 2), 0);
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j)
      for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(c[i][j][k], (i == j && j == k) ? 2 : 0);
  TInt3DArray cube{{{}}};
  EXPECT_EQ(FillDiagArray(cube, 1), -1);
}

TEST(FillRandom, ReseedsOnEveryCallEvenOnFailure) {
  HookGuard guard;
  TDoubleArray a(3, kSentinel);
  SetRandSeed(12345);
  EXPECT_EQ(FillRandomNormal(a, 0.0, -1.0), -2);
  EXPECT_NE(RandSeed(), 12345);
  EXPECT_EQ(a, TDoubleArray(3, kSentinel));
  SetRandSeed(12345);
  TIntArray empty;
  EXPECT_EQ(FillRandomUniform(empty, 0, 1), -1);
  EXPECT_NE(RandSeed(), 12345);
}

TEST(FillRandom, DegenerateAndInvalidArguments) {
  HookGuard guard;
  TDouble2DArray a(2, TDoubleArray(3, kSentinel));
  ASSERT_EQ(FillRandomNormal(a, 1.25, 0.0), 0);
  EXPECT_EQ(Flatten(a), std::vector<double>(6, 1.25));
  ASSERT_EQ(FillRandomUniform(a, -3.5, -3.5), 0);
  EXPECT_EQ(Flatten(a), std::vector<double>(6, -3.5));
  ASSERT_EQ(FillRandomUniform(a, kInf, kInf), 0);
  EXPECT_EQ(Flatten(a), std::vector<double>(6, kInf));
  const auto before = a;
  EXPECT_EQ(FillRandomNormal(a, kNaN, 1.0), -2);
  EXPECT_EQ(FillRandomNormal(a, 0.0, kNaN), -2);
  EXPECT_EQ(FillRandomNormal(a, kInf, 1.0), -2);
  EXPECT_EQ(FillRandomUniform(a, 2.0, 1.0), -2);
  EXPECT_EQ(FillRandomUniform(a, kNaN, 1.0), -2);
  EXPECT_EQ(FillRandomUniform(a, 0.0, kInf), -2);
  EXPECT_EQ(a, before);
  TInt3DArray i3(2, TInt2DArray(2, TIntArray(2, kIntSentinel)));
  ASSERT_EQ(FillRandomUniform(i3, 7, 7), 0);
  EXPECT_EQ(Flatten(i3), std::vector<Integer>(8, 7));
  EXPECT_EQ(FillRandomUniform(i3, 5, 3), -2);
}

TEST(FillRandom, UniformIntegersStayBelowTheUpperBound) {
  HookGuard guard;
  TIntArray a(2000, kIntSentinel);
  ASSERT_EQ(FillRandomUniform(a, 3, 5), 0);
  EXPECT_EQ(std::set<Integer>(a.begin(), a.end()), (std::set<Integer>{3, 4}));
  TInt2DArray full(50, TIntArray(40, 0));
  ASSERT_EQ(FillRandomUniform(full, kIntMin, kIntMax), 0);
  const auto cells = Flatten(full);
  EXPECT_LT(*std::min_element(cells.begin(), cells.end()), 0);
  EXPECT_GT(*std::max_element(cells.begin(), cells.end()), 0);
  EXPECT_EQ(std::count(cells.begin(), cells.end(), kIntMax), 0);
}

TEST(FillRandom, CellTransformsAtTheirExtremes) {
  const double rTop = 1.0 - 0x1.0p-53;  // largest draw the generator gives
  EXPECT_EQ(detail::UniformIntCell(2000000000, 2000000001, rTop), 2000000000);
  EXPECT_EQ(detail::UniformIntCell(kIntMin, kIntMax, 0.0), kIntMin);
  EXPECT_EQ(detail::UniformIntCell(kIntMin, kIntMax, rTop), kIntMax - 1);
  EXPECT_EQ(detail::UniformIntCell(3, 5, 0.5), 4);
  EXPECT_EQ(detail::UniformIntCell(-7, -7, 0.9), -7);
  EXPECT_EQ(detail::UniformCell(-1e308, 1e308, 0.0), -1e308);
  const double top = detail::UniformCell(-1e308, 1e308, rTop);
  EXPECT_TRUE(std::isfinite(top));
  EXPECT_LE(top, 1e308);
  EXPECT_EQ(detail::UniformCell(-1e308, 1e308, 0.5), 0.0);
  EXPECT_EQ(detail::UniformCell(2.0, 6.0, 0.25), 3.0);
}

TEST(FillRandom, DistributionStatistics) {
  HookGuard guard;
  constexpr std::size_t kN = 200000;
  // Five standard errors: a correct generator fails this about once in 1.7 million runs.
  constexpr double kSigmas = 5.0;
  TDoubleArray u(kN);
  ASSERT_EQ(FillRandomUniform(u, 2.0, 6.0), 0);
  double sum = 0.0;
  for (double v : u) {
    ASSERT_GE(v, 2.0);
    ASSERT_LT(v, 6.0);
    sum += v;
  }
  const double uniformSd = 4.0 / std::sqrt(12.0);
  EXPECT_NEAR(sum / kN, 4.0, kSigmas * uniformSd / std::sqrt(double(kN)));

  TDouble2DArray g(400, TDoubleArray(kN / 400));
  ASSERT_EQ(FillRandomNormal(g, -3.0, 2.0), 0);
  const auto cells = Flatten(g);
  double m = 0.0;
  for (double v : cells) m += v;
  m /= kN;
  double ss = 0.0;
  for (double v : cells) ss += (v - m) * (v - m);
  const double sd = std::sqrt(ss / (kN - 1));
  EXPECT_NEAR(m, -3.0, kSigmas * 2.0 / std::sqrt(double(kN)));
  // The sample standard deviation has a standard error of about sigma / sqrt(2n).
  EXPECT_NEAR(sd, 2.0, kSigmas * 2.0 / std::sqrt(2.0 * kN));
}

}  // namespace
}  // namespace nuv::test
