// Trace, transposition and discretisation of two-dimensional arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr Integer kIntMax = std::numeric_limits<Integer>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(TraceOfArray, SquareOnlyAndWrapsForIntegers) {
  double t = 99.0;
  ASSERT_EQ(TraceOfArray(TDouble2DArray{{4.5}}, t), 0);
  EXPECT_EQ(t, 4.5);
  t = 99.0;
  EXPECT_EQ(TraceOfArray(Iota<TDouble2DArray>({2, 3}), t), -2);
  EXPECT_EQ(t, 0.0);
  t = 99.0;
  EXPECT_EQ(TraceOfArray(TDouble2DArray{{}}, t), -1);
  EXPECT_EQ(t, 0.0);
  ASSERT_EQ(TraceOfArray(Iota<TDouble2DArray>({3, 3}), t), 0);
  EXPECT_EQ(t, 1.0 + 5.0 + 9.0);
  Integer it = 0;
  ASSERT_EQ(TraceOfArray(TInt2DArray{{kIntMax, 0}, {0, 2}}, it), 0);
  EXPECT_EQ(it, std::numeric_limits<Integer>::min() + 1);
  EXPECT_EQ(TraceOfArray(TInt2DArray{{1, 0}, {0}}, it), -2);
}

TEST(TransposeArray, ShapeChangesAndTwiceRestores) {
  auto a = Iota<TDouble2DArray>({2, 3});
  const auto orig = a;
  ASSERT_EQ(TransposeArray(a), 0);
  ASSERT_EQ(a.size(), 3u);
  for (std::size_t j = 0; j < 3; ++j) {
    ASSERT_EQ(a[j].size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(a[j][i], orig[i][j]);
  }
  ASSERT_EQ(TransposeArray(a), 0);
  EXPECT_EQ(a, orig);
  // Large enough to cross several tiles in both directions.
  auto big = Iota<TInt2DArray>({70, 45});
  const auto bigOrig = big;
  ASSERT_EQ(TransposeArray(big), 0);
  for (std::size_t i = 0; i < 70; ++i)
    for (std::size_t j = 0; j < 45; ++j) ASSERT_EQ(big[j][i], bigOrig[i][j]);
  TBool2DArray b{{0, 7}};
  ASSERT_EQ(TransposeArray(b), 0);
  EXPECT_EQ(b, (TBool2DArray{{0}, {7}}));
  TDouble2DArray one{{3.0}};
  ASSERT_EQ(TransposeArray(one), 0);
  EXPECT_EQ(one, TDouble2DArray{{3.0}});
  TInt2DArray empty{{}, {1}};
  EXPECT_EQ(TransposeArray(empty), -1);
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(TransposeArray(ragged), -2);
  EXPECT_EQ(ragged, (TInt2DArray{{1, 2}, {3}}));
}

// Cell (j, i) of the result is cell (i, j) of the input, over the first lengths.
template <class A>
A NaiveTranspose(const A& a) {
  const std::size_t n = a.size(), m = a[0].size();
  A t(m, typename A::value_type(n));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < m; ++j) t[j][i] = a[i][j];
  return t;
}

template <class A>
void ExpectTransposeOfRandom(std::mt19937& gen, std::size_t n, std::size_t m) {
  A a(n, typename A::value_type(m));
  for (auto& row : a)
    for (auto& x : row) x = static_cast<detail::ElemOf<A>>(gen() % 2001) - 1000;
  // Signed zeros and NaN must travel as they are.
  if constexpr (std::is_same_v<detail::ElemOf<A>, double>) {
    a[0][0] = -0.0;
    a[n - 1][m - 1] = std::numeric_limits<double>::quiet_NaN();
  }
  const A want = NaiveTranspose(a);
  ASSERT_EQ(TransposeArray(a), 0);
  ASSERT_EQ(a.size(), m);
  for (std::size_t j = 0; j < m; ++j) {
    ASSERT_EQ(a[j].size(), n);
    ASSERT_EQ(std::memcmp(a[j].data(), want[j].data(), n * sizeof(a[j][0])), 0) << "row " << j;
  }
}

TEST(TransposeArray, EveryShapeMatchesTheCellRule) {
  std::mt19937 gen(4711);
  const std::size_t shapes[][2] = {{1, 1},   {1, 9},   {9, 1},   {2, 2},   {31, 31},
                                   {32, 32}, {33, 33}, {64, 64}, {65, 65}, {100, 100},
                                   {40, 71}, {71, 40}, {3, 130}, {130, 3}};
  for (const auto& s : shapes) {
    SCOPED_TRACE(std::to_string(s[0]) + " x " + std::to_string(s[1]));
    ExpectTransposeOfRandom<TDouble2DArray>(gen, s[0], s[1]);
    ExpectTransposeOfRandom<TInt2DArray>(gen, s[0], s[1]);
    ExpectTransposeOfRandom<TBool2DArray>(gen, s[0], s[1]);
  }
}

TEST(TransposeArray, LongerRowsGiveOnlyTheirPrefix) {
  // The second dimension is the first row's length; the tail of a longer row is dropped.
  for (std::size_t n : {3u, 40u}) {
    SCOPED_TRACE(n);
    auto a = Iota<TDouble2DArray>({n, n});
    a[1].push_back(-1.0);
    a[n - 1].resize(n + 5, -2.0);
    auto want = a;
    want[1].resize(n);
    want[n - 1].resize(n);
    want = NaiveTranspose(want);
    ASSERT_EQ(TransposeArray(a), 0);
    EXPECT_EQ(a, want);
  }
}

TEST(DiscretizeArray, LevelsOfTheWorkedExample) {
  TDouble2DArray a{{-1.0, 0.0, 2.0, 4.99}, {5.0, 9.9, 10.0, 11.0}};
  ASSERT_EQ(DiscretizeArray(a, 4, 0.0, 10.0, 0.0, 3.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{0, 0, 1, 1}, {2, 2, 3, 3}}));
  TDouble2DArray b{{0.1, 5.0, 9.9}};
  ASSERT_EQ(DiscretizeArray(b, 3, 0.0, 10.0, 2.0, 4.0), 0);
  EXPECT_EQ(b, (TDouble2DArray{{3.0, 3.0, 3.0}}));
}

TEST(DiscretizeArray, StatusOrderAndUnchangedOnFailure) {
  TDouble2DArray a{{1.0, 2.0}};
  const auto keep = a;
  EXPECT_EQ(DiscretizeArray(a, 2, 0.0, 10.0, 0.0, 1.0), -1);
  EXPECT_EQ(DiscretizeArray(a, 2, 5.0, 5.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(a, 3, 5.0, 5.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(a, 3, kNaN, 5.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(a, 3, 0.0, kNaN, 0.0, 1.0), -2);
  EXPECT_EQ(a, keep);
  TDouble2DArray empty;
  EXPECT_EQ(DiscretizeArray(empty, 5, 0.0, 1.0, 0.0, 1.0), 0);
  TDouble2DArray firstEmpty{{}, {0.5}};
  EXPECT_EQ(DiscretizeArray(firstEmpty, 5, 0.0, 1.0, 0.0, 1.0), 0);
  EXPECT_EQ(firstEmpty[1][0], 0.5);
  TDouble2DArray ragged{{0.5, 0.5}, {0.5}};
  EXPECT_EQ(DiscretizeArray(ragged, 5, 0.0, 1.0, 0.0, 1.0), -2);
  EXPECT_EQ(ragged[0][0], 0.5);
}

TEST(DiscretizeArray, ExtremeLimitsStayDefined) {
  // The bin width underflows to 0: interior values land in the top bin instead of Floor(inf).
  TDouble2DArray tiny{{5e-321, kNaN, 0.0}};
  ASSERT_EQ(DiscretizeArray(tiny, 1000000, 0.0, 1e-320, 0.0, 1.0), 0);
  const double step = 1.0 / 999999.0;
  EXPECT_EQ(tiny[0][0], 999999.0 * step);
  EXPECT_TRUE(std::isnan(tiny[0][1]));
  EXPECT_EQ(tiny[0][2], 0.0);
  // The width overflows to infinity: every interior value falls into the first bin.
  TDouble2DArray huge{{0.0, 1e300, -1e308}};
  ASSERT_EQ(DiscretizeArray(huge, 4, -1e308, 1e308, 0.0, 3.0), 0);
  EXPECT_EQ(huge, (TDouble2DArray{{1.0, 1.0, 0.0}}));
}

}  // namespace
}  // namespace nuv::test
