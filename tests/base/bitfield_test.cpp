#include <gtest/gtest.h>

#include "nuv/base/bitfield.hpp"

namespace nuv {
namespace {

TEST(TBitFld, SizeBoundsAndResizeKeepBits) {
  TBitFld b;
  EXPECT_EQ(b.Size(), -1);
  EXPECT_FALSE(b.GetBit(0));
  b.SetSize(70);
  EXPECT_EQ(b.Size(), 70);
  b.SetBit(0, true);
  b.SetBit(64, true);
  b.SetBit(70, true);
  b.SetBit(71, true);  // outside: ignored
  b.SetBit(-1, true);
  EXPECT_EQ(b.CountTrueBits(), 3);
  EXPECT_FALSE(b.GetBit(71));
  b.SetSize(64);  // shrinking drops bit 70; regrowing must not bring it back
  b.SetSize(100);
  EXPECT_TRUE(b.GetBit(64));
  EXPECT_FALSE(b.GetBit(70));
  EXPECT_EQ(b.CountTrueBits(), 2);
  b.Clear();
  EXPECT_EQ(b.CountTrueBits(), 0);
  b.SetSize(-5);
  EXPECT_EQ(b.Size(), -1);
}

TEST(TBitFld, InvertCloneAndCombine) {
  TBitFld a;
  a.SetSize(9);  // ten bits
  a.SetBit(1, true);
  a.SetBit(3, true);
  a.Invert();
  EXPECT_EQ(a.CountTrueBits(), 8);  // no bits beyond the size are counted
  TBitFld b;
  b.Clone(&a);
  EXPECT_EQ(b.Size(), 9);
  EXPECT_EQ(b.CountTrueBits(), 8);

  TBitFld x, y;
  x.SetSize(7);
  y.SetSize(3);
  for (int i : {0, 1, 5}) x.SetBit(i, true);
  for (int i : {1, 2}) y.SetBit(i, true);
  TBitFld r;
  r.Clone(&x);
  r.CombineWith(&y, loAndNot);  // clears bit 1; bit 5 lies beyond y and stays
  EXPECT_TRUE(r.GetBit(0));
  EXPECT_FALSE(r.GetBit(1));
  EXPECT_TRUE(r.GetBit(5));
  r.Clone(&x);
  r.CombineWith(&y, loAnd);
  EXPECT_EQ(r.CountTrueBits(), 2);  // bit 1, and bit 5 untouched beyond y
  r.Clone(&x);
  r.CombineWith(&y, loOr);
  EXPECT_TRUE(r.GetBit(2));
  r.Clone(&x);
  r.CombineWith(&y, loXor);
  EXPECT_FALSE(r.GetBit(1));
  EXPECT_TRUE(r.GetBit(2));
}

}  // namespace
}  // namespace nuv
