// Element-wise and scalar arithmetic, with 32-bit wrap-around for Integer cells.
#include <gtest/gtest.h>

#include <limits>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr Integer kIntMax = std::numeric_limits<Integer>::max();
constexpr Integer kIntMin = std::numeric_limits<Integer>::min();

TEST(ArrayArithmetic, ResultTakesTheOperandShape) {
  const auto a = Iota<TDouble2DArray>({2, 3});
  const auto b = Iota<TDouble2DArray>({2, 3}, 10.0);
  TDouble2DArray c(5, TDoubleArray(7, kSentinel));
  ASSERT_EQ(AddArrays(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{11, 13, 15}, {17, 19, 21}}));
  ASSERT_EQ(SubtractArrays(b, a, c), 0);
  EXPECT_EQ(Flatten(c), std::vector<double>(6, 9.0));
  ASSERT_EQ(MultiplyArraysElemw(a, b, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{10, 22, 36}, {52, 70, 90}}));
}

TEST(ArrayArithmetic, EmptyBeforeShapeAndNothingWrittenOnFailure) {
  const auto a = Iota<TInt2DArray>({2, 3});
  const auto t = Iota<TInt2DArray>({3, 2});
  TInt2DArray c{{kIntSentinel}};
  const TInt2DArray keep = c;
  EXPECT_EQ(AddArrays(a, t, c), -2);
  EXPECT_EQ(SubtractArrays(a, t, c), -2);
  EXPECT_EQ(MultiplyArraysElemw(a, t, c), -2);
  EXPECT_EQ(AddArrays(TInt2DArray{}, a, c), -1);
  EXPECT_EQ(AddArrays(a, TInt2DArray{{}}, c), -1);
  EXPECT_EQ(SubtractArrays(TInt2DArray{{}, {1}}, t, c), -1);  // empty wins over shape
  EXPECT_EQ(MultiplyArraysElemw(TIntArray{}, TIntArray{1, 2}, c[0]), -1);
  EXPECT_EQ(c, keep);
  TInt2DArray ragged{{1, 2, 3}, {4, 5}};
  EXPECT_EQ(AddArrays(a, ragged, c), -2);
  EXPECT_EQ(MultiplyArrayByScalar(ragged, 2, c), -2);
  EXPECT_EQ(c, keep);
  TInt3DArray firstEmpty{{}, {{1}}};
  EXPECT_EQ(IncArray(firstEmpty, 1), -1);
  EXPECT_EQ(firstEmpty[1][0][0], 1);
}

TEST(ArrayArithmetic, IntegerCellsWrapAround) {
  TIntArray c;
  ASSERT_EQ(AddArrays(TIntArray{kIntMax, -1}, TIntArray{1, kIntMin}, c), 0);
  EXPECT_EQ(c, (TIntArray{kIntMin, kIntMax}));
  ASSERT_EQ(SubtractArrays(TIntArray{kIntMin}, TIntArray{1}, c), 0);
  EXPECT_EQ(c, TIntArray{kIntMax});
  ASSERT_EQ(MultiplyArrayByScalar(TIntArray{65536, 65537}, 65536, c), 0);
  EXPECT_EQ(c, (TIntArray{0, 65536}));
  TInt2DArray m{{kIntMin, 3}};
  TInt2DArray p;
  ASSERT_EQ(MultiplyArraysElemw(m, TInt2DArray{{-1, kIntMax}}, p), 0);
  EXPECT_EQ(p, (TInt2DArray{{kIntMin, 2147483645}}));
  TInt4DArray q{{{{kIntMax}}}};
  ASSERT_EQ(IncArray(q, 2), 0);
  EXPECT_EQ(q[0][0][0][0], kIntMin + 1);
  ASSERT_EQ(MultiplyArrayByScalar(q, -1), 0);
  EXPECT_EQ(q[0][0][0][0], kIntMax);
  TInt3DArray r;
  ASSERT_EQ(AddScalarToArray(TInt3DArray{{{kIntMin}}}, -1, r), 0);
  EXPECT_EQ(r[0][0][0], kIntMax);
}

TEST(ArrayArithmetic, ResultMayBeAnOperand) {
  auto a = Iota<TDouble3DArray>({2, 2, 2});
  const auto b = Iota<TDouble3DArray>({2, 2, 2}, 100.0);
  auto sum = Flatten(a);
  for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += 100.0 + static_cast<double>(k);
  ASSERT_EQ(AddArrays(a, b, a), 0);
  EXPECT_EQ(Flatten(a), sum);
  auto x = Iota<TInt2DArray>({2, 2});
  auto y = Iota<TInt2DArray>({2, 2}, 10);
  ASSERT_EQ(SubtractArrays(x, y, y), 0);
  EXPECT_EQ(Flatten(y), std::vector<Integer>(4, -9));
  ASSERT_EQ(MultiplyArrayByScalar(x, 3, x), 0);
  EXPECT_EQ(x, (TInt2DArray{{3, 6}, {9, 12}}));
}

TEST(ArrayArithmetic, ScalarFamiliesAcceptEveryScalarAndMatchANaiveLoop) {
  const auto a = Iota<TDouble4DArray>({2, 3, 2, 3}, -5.0);
  TDouble4DArray c;
  ASSERT_EQ(MultiplyArrayByScalar(a, 0.0, c), 0);
  EXPECT_EQ(Flatten(c), std::vector<double>(36, 0.0));
  ASSERT_EQ(AddScalarToArray(a, 0.5, c), 0);
  auto want = Flatten(a);
  for (auto& v : want) v += 0.5;
  EXPECT_EQ(Flatten(c), want);
  auto d = a;
  ASSERT_EQ(IncArray(d, 0.5), 0);
  EXPECT_EQ(d, c);
  ASSERT_EQ(MultiplyArrayByScalar(d, -2.0), 0);
  for (auto& v : want) v *= -2.0;
  EXPECT_EQ(Flatten(d), want);
  TDouble4DArray sum;
  ASSERT_EQ(AddArrays(a, a, sum), 0);
  TDouble4DArray diff;
  ASSERT_EQ(SubtractArrays(sum, a, diff), 0);
  EXPECT_EQ(diff, a);
  // Longer sub-arrays are processed by the first length only.
  TDoubleArray longer{1.0, 2.0};
  TDouble2DArray l{{1.0}, {2.0, 3.0}};
  TDouble2DArray out;
  ASSERT_EQ(AddScalarToArray(l, 1.0, out), 0);
  EXPECT_EQ(out, (TDouble2DArray{{2.0}, {3.0}}));
  EXPECT_EQ(MultiplyArrayByScalar(TDoubleArray{}, 2.0, longer), -1);
  EXPECT_EQ(longer, (TDoubleArray{1.0, 2.0}));
}

}  // namespace
}  // namespace nuv::test
