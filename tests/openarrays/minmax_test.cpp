// Extremes of whole arrays and of boxes, with their presets and indices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <span>

#include "nuv/base/constants.hpp"
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr Integer kIntMax = std::numeric_limits<Integer>::max();
constexpr Integer kIntMin = std::numeric_limits<Integer>::min();

TEST(MaxMinArray, FirstOfEqualExtremesWinsAndEmptyGivesSentinels) {
  Integer ix = -5;
  EXPECT_EQ(MaxArray(TIntArray{3, 7, 7}, ix), 7);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(MaxArray(TIntArray{9, 7, 9}, ix), 9);
  EXPECT_EQ(ix, 0);
  Integer i1 = -5, i2 = -5;
  EXPECT_EQ(MaxArray(TInt2DArray{{9, 1}, {2, 9}}, i1, i2), 9);
  EXPECT_EQ(i1, 0);
  EXPECT_EQ(i2, 0);
  EXPECT_EQ(MaxArray(TInt2DArray{{1, 4}, {8, 2}}, i1, i2), 8);
  EXPECT_EQ(i1, 1);
  EXPECT_EQ(i2, 0);
  i1 = i2 = 42;
  EXPECT_EQ(MaxArray(TInt2DArray{{}}, i1, i2), kIntMin);
  EXPECT_EQ(i1, 42);
  EXPECT_EQ(i2, 42);
  EXPECT_EQ(MaxArray(TIntArray{}, ix), kIntMin);
  EXPECT_EQ(MinArray(TIntArray{}), kIntMax);
  EXPECT_EQ(MinArray(TInt4DArray{{{{}}}}), kIntMax);
  EXPECT_EQ(MaxArray(TDoubleArray{}), -uc_MaxDouble);
  EXPECT_EQ(MaxArray(TDouble4DArray{{{}}}), -uc_MaxDouble);
  EXPECT_EQ(MinArray(TDouble3DArray{}), uc_MaxDouble);
}

TEST(MaxMinArray, AllRanksAgreeWithAScan) {
  const auto d4 = Iota<TDouble4DArray>({2, 3, 2, 2}, -7.0);
  EXPECT_EQ(MaxArray(d4), 16.0);
  EXPECT_EQ(MinArray(d4), -7.0);
  auto i3 = Iota<TInt3DArray>({2, 2, 3}, 5);
  i3[1][0][2] = -100;
  EXPECT_EQ(MinArray(i3), -100);
  EXPECT_EQ(MaxArray(Iota<TDouble3DArray>({2, 2, 2})), 8.0);
  EXPECT_EQ(MinArray(Iota<TDouble2DArray>({2, 2}, 3.0)), 3.0);
}

TEST(MaxMinArray, VisitOnlyCellsThatExist) {
  // A short sub-array contributes the cells it has; a long one only its first-length prefix.
  EXPECT_EQ(MaxArray(TDouble2DArray{{1.0, 2.0}, {9.0}}), 9.0);
  EXPECT_EQ(MaxArray(TDouble2DArray{{1.0}, {2.0, 100.0}}), 2.0);
  EXPECT_EQ(MinArray(TInt2DArray{{5, 6}, {}, {4}}), 4);
}

TEST(MinMaxArray, WholeArrayPresetsAndSingleCell) {
  double mn = 0.0, mx = 0.0;
  EXPECT_EQ(MinMaxArray(TDouble2DArray{{}, {1.0}}, mn, mx), -1);
  EXPECT_EQ(mn, uc_MaxDouble);
  EXPECT_EQ(mx, -uc_MaxDouble);
  ASSERT_EQ(MinMaxArray(TDouble3DArray{{{4.5}}}, mn, mx), 0);
  EXPECT_EQ(mn, 4.5);
  EXPECT_EQ(mx, 4.5);
  Integer imn = 0, imx = 0;
  EXPECT_EQ(MinMaxArray(TInt2DArray{{1, 2}, {3}}, imn, imx), -2);
  EXPECT_EQ(imn, kIntMax);
  EXPECT_EQ(imx, kIntMin);
  auto i4 = Iota<TInt4DArray>({2, 2, 2, 3}, -10);
  ASSERT_EQ(MinMaxArray(i4, imn, imx), 0);
  EXPECT_EQ(imn, -10);
  EXPECT_EQ(imx, 13);
  // NaN is passed over wherever it sits; only all-NaN cells give NaN.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ASSERT_EQ(MinMaxArray(TDoubleArray{nan, 1.0}, mn, mx), 0);
  EXPECT_EQ(mn, 1.0);
  EXPECT_EQ(mx, 1.0);
  ASSERT_EQ(MinMaxArray(TDoubleArray{nan, 3, -2, nan, 7}, mn, mx), 0);
  EXPECT_EQ(mn, -2.0);
  EXPECT_EQ(mx, 7.0);
  ASSERT_EQ(MinMaxArray(TDoubleArray{3, nan, -2, 7}, mn, mx), 0);
  EXPECT_EQ(mn, -2.0);
  EXPECT_EQ(mx, 7.0);
  EXPECT_EQ(MaxArray(TDoubleArray{nan, 3, -2, nan, 7}), 7.0);
  EXPECT_EQ(MinArray(TDoubleArray{nan, 3, -2, nan, 7}), -2.0);
  ASSERT_EQ(MinMaxArray(TDoubleArray{nan, nan}, mn, mx), 0);
  EXPECT_TRUE(std::isnan(mn) && std::isnan(mx));
}

// The scan as described: the first cell that is a number starts both, then strict
// comparisons in C order (NaN never compares).
template <class T>
void NaiveMinMax(const std::vector<T>& flat, T& mn, T& mx) {
  mn = mx = flat[0];
  for (const T v : flat) {
    if (v == v) {
      mn = mx = v;
      break;
    }
  }
  for (const T v : flat) {
    if (v < mn) mn = v;
    if (v > mx) mx = v;
  }
}

template <class T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(MinMaxArray, WholeArraysMatchTheScanBitForBit) {
  std::mt19937 gen(99);
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  // Cell patterns: plain values, signed zeros as the extremes (the first one seen wins),
  // NaN cells that never compare, a NaN first cell that the first number displaces, and zeros
  // of both signs as the minimum or the maximum.
  for (int pattern = 0; pattern < 6; ++pattern) {
    for (std::size_t rows : {1u, 2u, 7u, 64u, 301u}) {
      SCOPED_TRACE("pattern " + std::to_string(pattern) + " rows " + std::to_string(rows));
      const std::size_t cols = 1 + gen() % 37;
      std::vector<double> flat(rows * cols);
      for (double& v : flat) {
        v = pattern == 1 ? ((gen() % 3) == 0 ? -0.0 : 0.0) + static_cast<double>(gen() % 5)
                         : static_cast<double>(gen() % 100000) * 0.01 - 400.0;
        if (pattern >= 2 && gen() % 7 == 0) v = kNaN;
      }
      if (pattern == 1) {
        for (std::size_t k = 0; k < flat.size(); k += 3) flat[k] = (k / 3) % 2 ? 0.0 : -0.0;
      }
      if (pattern == 3) flat[0] = kNaN;
      if (pattern >= 4) {
        // Zeros of both signs as the extreme, the -0 met first although it stands later in
        // memory order within its group of four than a +0.
        for (double& v : flat) v = (pattern == 4 ? 1.0 : -1.0) * static_cast<double>(1 + gen() % 9);
        if (flat.size() > 1) flat[1] = -0.0;
        if (flat.size() > 4) flat[4] = 0.0;
        flat.back() = 0.0;
      }
      double wantMin = 0.0, wantMax = 0.0;
      NaiveMinMax(flat, wantMin, wantMax);
      double mn = 1.0, mx = 1.0;
      ASSERT_EQ(MinMaxArray(FromFlat<TDouble2DArray>(flat, {rows, cols}), mn, mx), 0);
      EXPECT_TRUE(SameBits(mn, wantMin)) << mn << " vs " << wantMin;
      EXPECT_TRUE(SameBits(mx, wantMax)) << mx << " vs " << wantMax;
      ASSERT_EQ(MinMaxArray(FromFlat<TDoubleArray>(flat, {flat.size()}), mn, mx), 0);
      EXPECT_TRUE(SameBits(mn, wantMin));
      EXPECT_TRUE(SameBits(mx, wantMax));
      ASSERT_EQ(MinMaxArray(std::span<const double>(flat), mn, mx), 0);
      EXPECT_TRUE(SameBits(mn, wantMin));
      EXPECT_TRUE(SameBits(mx, wantMax));
      ASSERT_EQ(MinMaxArray(FromFlat<TDouble4DArray>(flat, {1, rows, 1, cols}), mn, mx), 0);
      EXPECT_TRUE(SameBits(mn, wantMin));
      EXPECT_TRUE(SameBits(mx, wantMax));

      std::vector<Integer> ints(flat.size());
      for (Integer& v : ints) v = static_cast<Integer>(gen()) >> (gen() % 31);
      Integer iMin = 0, iMax = 0, wMin = 0, wMax = 0;
      NaiveMinMax(ints, wMin, wMax);
      ASSERT_EQ(MinMaxArray(FromFlat<TInt2DArray>(ints, {rows, cols}), iMin, iMax), 0);
      EXPECT_EQ(iMin, wMin);
      EXPECT_EQ(iMax, wMax);
      ASSERT_EQ(MinMaxArray(FromFlat<TInt3DArray>(ints, {rows, 1, cols}), iMin, iMax), 0);
      EXPECT_EQ(iMin, wMin);
      EXPECT_EQ(iMax, wMax);
    }
  }
}

TEST(MinMaxArray, OpenArrays) {
  const double d[] = {3.0, -1.0, 8.0};
  double mn = 0.0, mx = 0.0;
  ASSERT_EQ(MinMaxArray(std::span<const double>(d), mn, mx), 0);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mx, 8.0);
  EXPECT_EQ(MinMaxArray(std::span<const double>(), mn, mx), -1);
  EXPECT_EQ(mn, uc_MaxDouble);
  const Integer n[] = {kIntMin, kIntMax};
  Integer imn = 0, imx = 0;
  ASSERT_EQ(MinMaxArray(std::span<const Integer>(n), imn, imx), 0);
  EXPECT_EQ(imn, kIntMin);
  EXPECT_EQ(imx, kIntMax);
}

TEST(MinMaxArray, RangedFormKeepsPresetsAndIndices) {
  const TDoubleArray a{5.0, 1.0, 9.0, 1.0};
  double mn = 0.0, mx = 0.0;
  Integer imn = 7, imx = 7;
  ASSERT_EQ(MinMaxArray(a, 1, 3, mn, mx, imn, imx), 0);
  EXPECT_EQ(mn, 1.0);
  EXPECT_EQ(imn, 1);
  EXPECT_EQ(mx, 9.0);
  EXPECT_EQ(imx, 2);
  // hi below lo is allowed and visits nothing.
  ASSERT_EQ(MinMaxArray(a, 3, 1, mn, mx, imn, imx), 0);
  EXPECT_EQ(mn, uc_MaxDouble);
  EXPECT_EQ(mx, -uc_MaxDouble);
  EXPECT_EQ(imn, 0);
  EXPECT_EQ(imx, 0);
  EXPECT_EQ(MinMaxArray(a, 0, 4, mn, mx, imn, imx), -2);
  EXPECT_EQ(MinMaxArray(a, -1, 2, mn, mx, imn, imx), -2);
  EXPECT_EQ(MinMaxArray(TDoubleArray{}, -1, 99, mn, mx, imn, imx), -1);

  const TInt2DArray full{{kIntMax, kIntMax}, {kIntMax, kIntMax}};
  Integer vmn = 0, vmx = 0, a1 = 9, a2 = 9, b1 = 9, b2 = 9;
  ASSERT_EQ(MinMaxArray(full, 0, 0, 1, 1, vmn, vmx, a1, a2, b1, b2), 0);
  EXPECT_EQ(vmn, kIntMax);
  EXPECT_EQ(a1, 0);
  EXPECT_EQ(a2, 0);
  EXPECT_EQ(vmx, kIntMax);  // the first cell beats the preset
  EXPECT_EQ(b1, 0);
  EXPECT_EQ(b2, 0);

  TDouble2DArray m = Iota<TDouble2DArray>({3, 4});
  m[2][1] = -50.0;
  m[1][3] = 80.0;
  Integer c1 = 0, c2 = 0, d1 = 0, d2 = 0;
  ASSERT_EQ(MinMaxArray(m, 1, 1, 2, 3, mn, mx, c1, c2, d1, d2), 0);
  EXPECT_EQ(mn, -50.0);
  EXPECT_EQ(c1, 2);
  EXPECT_EQ(c2, 1);
  EXPECT_EQ(mx, 80.0);
  EXPECT_EQ(d1, 1);
  EXPECT_EQ(d2, 3);
  EXPECT_EQ(MinMaxArray(m, 0, 0, 2, 4, mn, mx, c1, c2, d1, d2), -2);
  EXPECT_EQ(MinMaxArray(m, 0, 0, 3, 3, mn, mx, c1, c2, d1, d2), -2);
}

TEST(MinMaxArray, OutputsMayBeCellsOfTheArray) {
  TDoubleArray a{3.0, -2.0, 5.0};
  ASSERT_EQ(MinMaxArray(a, a[0], a[2]), 0);
  EXPECT_EQ(a[0], -2.0);
  EXPECT_EQ(a[2], 5.0);
}

}  // namespace
}  // namespace nuv::test
