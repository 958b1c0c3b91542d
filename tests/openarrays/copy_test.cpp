// Cloning with conversion, copying whole arrays and boxes, columns and rows.
#include <gtest/gtest.h>

#include <limits>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CloneArray, DoubleToIntegerClampsAndRoundsHalvesToEven) {
  TDoubleArray src{2.5, 3.5, -2.5, 1e10, -1e10, 2147483647.0, kNaN, -0.4};
  TIntArray dst{kIntSentinel};
  ASSERT_EQ(CloneArray(src, dst), 0);
  EXPECT_EQ(dst, (TIntArray{2, 4, -2, 2147483647, std::numeric_limits<Integer>::min(), 2147483647,
                            0, 0}));
  TIntArray back{1, -7};
  TDoubleArray d;
  ASSERT_EQ(CloneArray(back, d), 0);
  EXPECT_EQ(d, (TDoubleArray{1.0, -7.0}));
}

TEST(CloneArray, GivesExactlyTheSourceShapeOrLeavesDestinationAlone) {
  const auto src = Iota<TDouble3DArray>({2, 1, 3});
  TDouble3DArray dst = Iota<TDouble3DArray>({4, 4, 4});
  ASSERT_EQ(CloneArray(src, dst), 0);
  EXPECT_EQ(dst, src);
  dst[0][0][0] = kSentinel;
  EXPECT_EQ(src[0][0][0], 1.0);  // independent storage

  const TDouble2DArray firstEmpty{{}, {1.0}};
  TDouble2DArray keep{{kSentinel}};
  EXPECT_EQ(CloneArray(firstEmpty, keep), -1);
  EXPECT_EQ(keep, (TDouble2DArray{{kSentinel}}));

  // Longer sub-arrays are cut to the first length; shorter ones are refused.
  TInt2DArray longer{{1}, {2, 3}};
  TInt2DArray out;
  ASSERT_EQ(CloneArray(longer, out), 0);
  EXPECT_EQ(out, (TInt2DArray{{1}, {2}}));
  TInt2DArray keepInt{{kIntSentinel}};
  EXPECT_EQ(CloneArray(TInt2DArray{{1, 2}, {}}, keepInt), -2);
  EXPECT_EQ(keepInt, (TInt2DArray{{kIntSentinel}}));
}

TEST(CloneArray, BooleanBytesAreCopiedAndSelfCloneIsHarmless) {
  TBool2DArray b{{0, 7}, {255, 1}};
  TBool2DArray c;
  ASSERT_EQ(CloneArray(b, c), 0);
  EXPECT_EQ(c, b);
  TDouble2DArray a{{1.0, 2.0}, {3.0, 4.0, 5.0}};
  ASSERT_EQ(CloneArray(a, a), 0);
  EXPECT_EQ(a, (TDouble2DArray{{1.0, 2.0}, {3.0, 4.0}}));
}

TEST(CopyArray, WholeSourceAtAnOffset) {
  const TDoubleArray src{1.0, 2.0, 3.0};
  TDoubleArray dst(5, kSentinel);
  ASSERT_EQ(CopyArray(src, 2, dst), 0);
  EXPECT_EQ(dst, (TDoubleArray{kSentinel, kSentinel, 1.0, 2.0, 3.0}));
  TDoubleArray dst2(5, kSentinel);
  EXPECT_EQ(CopyArray(src, 3, dst2), -2);
  EXPECT_EQ(CopyArray(src, 5, dst2), -2);
  EXPECT_EQ(CopyArray(src, -1, dst2), -2);
  EXPECT_EQ(CopyArray(src, 2147483647, dst2), -2);
  EXPECT_EQ(dst2, TDoubleArray(5, kSentinel));
  TDoubleArray emptyDst;
  EXPECT_EQ(CopyArray(src, -9, emptyDst), -1);

  const auto s2 = Iota<TInt2DArray>({2, 3});
  TInt2DArray d2 = FromFlat<TInt2DArray>(std::vector<Integer>(6, 0), {2, 3});
  ASSERT_EQ(CopyArray(s2, 0, 0, d2), 0);
  EXPECT_EQ(d2, s2);
}

TEST(CopyArray, BoxMustLieInSourceAndFitDestination) {
  const auto s = Iota<TInt3DArray>({3, 3, 3});
  auto d = FromFlat<TInt3DArray>(std::vector<Integer>(2 * 2 * 4, kIntSentinel), {2, 2, 4});
  const auto before = d;
  EXPECT_EQ(CopyArray(s, 0, 0, 0, 1, 1, 3, 0, 0, 0, d), -2);  // hi3 == length
  EXPECT_EQ(CopyArray(s, 0, 0, 0, 1, 1, 2, 0, 0, 2, d), -2);  // does not fit at off3 = 2
  EXPECT_EQ(CopyArray(s, 1, 0, 0, 0, 1, 2, 0, 0, 0, d), -2);  // lo1 > hi1
  EXPECT_EQ(d, before);
  ASSERT_EQ(CopyArray(s, 1, 1, 0, 2, 2, 2, 0, 0, 1, d), 0);
  for (std::size_t i = 0; i < 2; ++i) {
    for (std::size_t j = 0; j < 2; ++j) {
      EXPECT_EQ(d[i][j][0], kIntSentinel);
      for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(d[i][j][k + 1], s[i + 1][j + 1][k]);
    }
  }
}

TEST(CopyArray, FourDimensionalBoxMatchesNaiveCopy) {
  const auto s = Iota<TDouble4DArray>({3, 4, 2, 5});
  auto d = FromFlat<TDouble4DArray>(std::vector<double>(4 * 4 * 3 * 6, kSentinel), {4, 4, 3, 6});
  auto want = d;
  for (std::size_t a = 0; a <= 1; ++a)
    for (std::size_t b = 0; b <= 2; ++b)
      for (std::size_t c = 0; c <= 1; ++c)
        for (std::size_t e = 0; e <= 3; ++e)
          want[2 + a][1 + b][1 + c][2 + e] = s[1 + a][1 + b][c][1 + e];
  ASSERT_EQ(CopyArray(s, 1, 1, 0, 1, 2, 3, 1, 4, 2, 1, 1, 2, d), 0);
  EXPECT_EQ(d, want);
}

TEST(CopyArray, OverlappingCopyWithinOneArrayActsLikeMemmove) {
  TIntArray a{1, 2, 3, 4, 5};
  ASSERT_EQ(CopyArray(a, 0, 2, 1, a), 0);
  EXPECT_EQ(a, (TIntArray{1, 1, 2, 3, 5}));
  TInt2DArray m{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  ASSERT_EQ(CopyArray(m, 0, 0, 1, 1, 1, 1, m), 0);
  EXPECT_EQ(m, (TInt2DArray{{1, 2, 3}, {4, 1, 2}, {7, 4, 5}}));
}

TEST(CopyArray, RaggedSourceOrDestinationIsRefused) {
  TDouble2DArray src{{1.0, 2.0}, {3.0}};
  TDouble2DArray dst(3, TDoubleArray(3, kSentinel));
  EXPECT_EQ(CopyArray(src, 0, 0, dst), -2);
  TDouble2DArray okSrc{{1.0, 2.0}, {3.0, 4.0}};
  TDouble2DArray shortDst{{0.0, 0.0, 0.0}, {0.0}, {0.0, 0.0, 0.0}};
  EXPECT_EQ(CopyArray(okSrc, 0, 0, shortDst), -2);
  EXPECT_EQ(shortDst[0], TDoubleArray(3, 0.0));
  // A short destination row outside the written block does not matter.
  TDouble2DArray shortDst2{{0.0, 0.0, 0.0}, {0.0}, {0.0, 0.0, 0.0}};
  EXPECT_EQ(CopyArray(TDouble2DArray{{5.0, 6.0}}, 2, 1, shortDst2), 0);
  EXPECT_EQ(shortDst2[2], (TDoubleArray{0.0, 5.0, 6.0}));
  TBoolArray bs{3, 0};
  TBoolArray bd(3, 9);
  ASSERT_EQ(CopyArray(bs, 1, bd), 0);
  EXPECT_EQ(bd, (TBoolArray{9, 3, 0}));
}

TEST(CopyArrayColumnRow, StatusOrderAndContents) {
  const auto a = Iota<TDouble2DArray>({3, 4});  // a[c][r] = 4c + r + 1
  TDoubleArray v{kSentinel};
  EXPECT_EQ(CopyArrayColumn(TDouble2DArray{{}}, 0, 0, 0, v), -1);
  EXPECT_EQ(CopyArrayColumn(a, 3, 0, 0, v), -3);
  EXPECT_EQ(CopyArrayColumn(a, 3, 2, 1, v), -2);  // range tested before the column
  EXPECT_EQ(CopyArrayColumn(a, 0, 0, 4, v), -2);
  EXPECT_EQ(CopyArrayRow(a, 4, 0, 0, v), -3);
  EXPECT_EQ(CopyArrayRow(a, 0, 0, 3, v), -2);
  EXPECT_EQ(v, TDoubleArray{kSentinel});
  ASSERT_EQ(CopyArrayColumn(a, 1, 2, 2, v), 0);
  EXPECT_EQ(v, TDoubleArray{7.0});
  ASSERT_EQ(CopyArrayColumn(a, 2, 1, 3, v), 0);
  EXPECT_EQ(v, (TDoubleArray{10.0, 11.0, 12.0}));
  ASSERT_EQ(CopyArrayRow(a, 3, 0, 2, v), 0);
  EXPECT_EQ(v, (TDoubleArray{4.0, 8.0, 12.0}));
  TBool2DArray b{{1, 0}, {5, 1}};
  TBoolArray bv;
  ASSERT_EQ(CopyArrayRow(b, 0, 0, 1, bv), 0);
  EXPECT_EQ(bv, (TBoolArray{1, 5}));
}

TEST(CopyArrayColumnRow, ResultMayBeAColumnOfTheSource) {
  TInt2DArray a{{1, 2, 3, 4}, {5, 6, 7, 8}};
  ASSERT_EQ(CopyArrayColumn(a, 0, 1, 2, a[0]), 0);
  EXPECT_EQ(a[0], (TIntArray{2, 3}));
  TInt2DArray b{{1, 2}, {3, 4}, {5, 6}};
  ASSERT_EQ(CopyArrayRow(b, 1, 0, 2, b[0]), 0);
  EXPECT_EQ(b[0], (TIntArray{2, 4, 6}));
  TInt2DArray ragged{{1, 2}, {3}};
  TIntArray r{kIntSentinel};
  EXPECT_EQ(CopyArrayColumn(ragged, 1, 0, 1, r), -2);
  EXPECT_EQ(CopyArrayRow(ragged, 1, 0, 1, r), -2);
  EXPECT_EQ(r, TIntArray{kIntSentinel});
}

}  // namespace
}  // namespace nuv::test
