// Counting in a value interval, flipping along a dimension, absolute values, true cells.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"

namespace nuv::test {
namespace {

constexpr Integer kIntMin = std::numeric_limits<Integer>::min();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CountValues, EmptyIsReportedBeforeAnyRange) {
  TDouble2DArray firstEmpty{{}, {1.0, 2.0}};
  EXPECT_EQ(CountValues(firstEmpty, -5, 99, -5, 99, 0.0, 1.0), -1);
  EXPECT_EQ(CountValues(TDouble2DArray{}, 0, 0, 0, 0, 0.0, 1.0), -1);
  // A later sub-array that is empty is a ragged array, not an empty one.
  TDouble2DArray laterEmpty{{1.0, 2.0}, {}};
  EXPECT_EQ(CountValues(laterEmpty, 0, 1, 0, 1, 0.0, 9.0), -2);
}

TEST(CountValues, RangesAreInclusiveAndOnePastTheEndFails) {
  const auto a = Iota<TInt2DArray>({3, 4});  // 1..12
  EXPECT_EQ(CountValues(a, 0, 2, 0, 3, 1, 12), 12);
  EXPECT_EQ(CountValues(a, 0, 3, 0, 3, 1, 12), -2);
  EXPECT_EQ(CountValues(a, 0, 2, 0, 4, 1, 12), -2);
  EXPECT_EQ(CountValues(a, -1, 2, 0, 3, 1, 12), -2);
  EXPECT_EQ(CountValues(a, 2, 1, 0, 3, 1, 12), -2);
  EXPECT_EQ(CountValues(a, 1, 1, 2, 2, 1, 12), 1);
  // Value bounds are inclusive; equal bounds count that value; reversed bounds fail.
  EXPECT_EQ(CountValues(a, 0, 2, 0, 3, 5, 5), 1);
  EXPECT_EQ(CountValues(a, 0, 2, 0, 3, 6, 5), -2);
  EXPECT_EQ(CountValues(a, 0, 2, 0, 3, 100, 200), 0);
}

TEST(CountValues, FourDimensionalTestsThreeLevelsForEmpty) {
  TDouble4DArray innerEmpty{{{{}}}};
  EXPECT_EQ(CountValues(innerEmpty, 0, 0, 0, 0, 0, 0, 0, 0, 0.0, 1.0), -2);
  TDouble4DArray thirdEmpty{{{}}};
  EXPECT_EQ(CountValues(thirdEmpty, 0, 0, 0, 0, 0, 0, 0, 0, 0.0, 1.0), -1);
  TInt3DArray int3{{{}}};
  EXPECT_EQ(CountValues(int3, 0, 0, 0, 0, 0, 0, 0, 1), -1);
}

TEST(CountValues, NaNIsNeverCountedAndRaggedRowsAreChecked) {
  TDoubleArray a{kNaN, 1.0, 2.0};
  EXPECT_EQ(CountValues(a, 0, 2, -1e300, 1e300), 2);
  // Row 1 is shorter than row 0: a box reaching it fails, one that avoids it works.
  TDouble2DArray ragged{{1.0, 2.0, 3.0}, {4.0}, {5.0, 6.0, 7.0}};
  EXPECT_EQ(CountValues(ragged, 0, 2, 0, 2, 0.0, 10.0), -2);
  EXPECT_EQ(CountValues(ragged, 2, 2, 0, 2, 0.0, 10.0), 3);
  // A longer row is seen through the first row's length only.
  TDouble2DArray longer{{1.0}, {2.0, 2.0, 2.0}};
  EXPECT_EQ(CountValues(longer, 0, 1, 0, 0, 2.0, 2.0), 1);
}

TEST(FlipDimArray, ReversesEachDimensionCellByCell) {
  auto a = Iota<TInt3DArray>({2, 3, 2});
  const auto before = a;
  const Integer* row = a[0][0].data();
  ASSERT_EQ(FlipDimArray(a, 1), 0);
  EXPECT_EQ(a[0], before[1]);
  EXPECT_EQ(a[1], before[0]);
  EXPECT_EQ(a[0][0].data(), row);  // storage stays where it was
  ASSERT_EQ(FlipDimArray(a, 1), 0);
  ASSERT_EQ(FlipDimArray(a, 2), 0);
  EXPECT_EQ(a[1][0], before[1][2]);
  EXPECT_EQ(a[1][1], before[1][1]);
  ASSERT_EQ(FlipDimArray(a, 3), 0);
  EXPECT_EQ(a[0][0], (TIntArray{before[0][2][1], before[0][2][0]}));
}

TEST(FlipDimArray, BadDimensionEmptyAndLengthOne) {
  auto a = Iota<TDouble4DArray>({1, 2, 1, 2});
  const auto before = a;
  EXPECT_EQ(FlipDimArray(a, 0), -2);
  EXPECT_EQ(FlipDimArray(a, 5), -2);
  EXPECT_EQ(a, before);
  EXPECT_EQ(FlipDimArray(a, 1), 0);  // length 1: nothing moves
  EXPECT_EQ(a, before);
  TDouble2DArray empty{{}};
  EXPECT_EQ(FlipDimArray(empty, 9), -1);
  TIntArray ragged1{1, 2};
  EXPECT_EQ(FlipDimArray(ragged1, 1), 0);
  EXPECT_EQ(ragged1, (TIntArray{2, 1}));
  TInt2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(FlipDimArray(ragged, 2), -2);
  EXPECT_EQ(ragged, (TInt2DArray{{1, 2}, {3}}));
}

TEST(AbsValArray, IntegerMinimumStaysAndEmptyIsRefused) {
  TInt2DArray a{{-3, kIntMin}, {4, -2147483647}};
  ASSERT_EQ(AbsValArray(a), 0);
  EXPECT_EQ(a, (TInt2DArray{{3, kIntMin}, {4, 2147483647}}));
  TDoubleArray d{-0.0, -1.5, 2.0};
  ASSERT_EQ(AbsValArray(d), 0);
  EXPECT_FALSE(std::signbit(d[0]));
  EXPECT_EQ(d, (TDoubleArray{0.0, 1.5, 2.0}));
  TDouble2DArray firstEmpty{{}, {-1.0}};
  EXPECT_EQ(AbsValArray(firstEmpty), -1);
  EXPECT_EQ(firstEmpty[1][0], -1.0);
}

TEST(CountTrueCellsOfArray, AnyNonZeroByteIsTrue) {
  EXPECT_EQ(CountTrueCellsOfArray(TBoolArray{0, 1, 2, 255, 0}), 3);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{{0, 0}, {0, 0}}), 0);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{{1, 7}, {0, 9}}), 3);
  EXPECT_EQ(CountTrueCellsOfArray(TBoolArray{}), -1);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{{}, {1}}), -1);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{{1, 1}, {1}}), -2);
}

}  // namespace
}  // namespace nuv::test
