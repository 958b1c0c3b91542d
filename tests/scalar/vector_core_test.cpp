#include <memory>
#include <string>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;

TEST(TVectorCore, NewVectorHoldsOneZero) {
  TVector v(nullptr);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_TRUE(v.IsEmpty());
  // CRC-32 of one zero byte is D202EF8D; each of the eight lanes is fed one.
  std::string eight;
  for (int k = 0; k < 8; ++k) eight += "D202EF8D";
  EXPECT_EQ(v.CRCofData(), eight);
}

TEST(TVectorCore, ResizeRulesAndEvents) {
  TVector v(nullptr);
  EventRecorder rec;
  rec.Attach(v);
  EXPECT_FALSE(v.Resize(0));
  EXPECT_FALSE(v.Resize(-3));
  EXPECT_TRUE(v.Resize(1));
  EXPECT_EQ(rec.Changes, 0);
  v.SetVecSize(3);
  for (Integer i = 1; i <= 3; ++i) v.SetVal(i, i);
  EXPECT_TRUE(v.Resize(5));
  EXPECT_EQ(v.GetVal(3), 3.0);
  EXPECT_EQ(v.GetVal(5), 0.0);
  EXPECT_EQ(rec.Changes, 1 + 3 + 1);
  v.SetVecSize(0);
  v.SetVecSize(5);
  v.SetVal(0, 9);
  v.SetVal(6, 9);
  EXPECT_EQ(v.GetVal(0), 0.0);
  EXPECT_EQ(v.GetVal(6), 0.0);
  EXPECT_EQ(rec.Changes, 5);
}

TEST(TVectorCore, OrderedRangeRule) {
  TVector v(nullptr);
  v.SetVecSize(10);
  struct Case {
    Integer lo, hi, wantLo, wantHi;
  };
  for (const Case& c : {Case{0, 0, 1, 10}, Case{0, 5, 1, 5}, Case{7, 3, 3, 7}, Case{-2, 20, 1, 10},
                        Case{12, 15, 10, 10}}) {
    Integer lo = c.lo, hi = c.hi;
    v.MakeValidElemRange(lo, hi);
    EXPECT_EQ(lo, c.wantLo) << c.lo << "," << c.hi;
    EXPECT_EQ(hi, c.wantHi) << c.lo << "," << c.hi;
  }
}

TEST(TVectorCore, AssignCopiesHandlersWithoutEvent) {
  TVector a(nullptr);
  a.SetVecSize(2);
  a.SetVal(2, 7);
  EventRecorder rec;
  rec.Attach(a);
  TVector b(nullptr);
  b.Assign(&a);
  EXPECT_EQ(b.NrOfElem(), 2);
  EXPECT_EQ(b.GetVal(2), 7.0);
  EXPECT_FALSE(b.IsEmpty());
  EXPECT_EQ(rec.Changes, 0);
  b.SetVal(1, 1);
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(b.CRCofData(), [&] {
    a.SetOnChange(nullptr);
    a.SetVal(1, 1);
    return a.CRCofData();
  }());
}

TEST(TVectorCore, LengthAndScaling) {
  TVector v(nullptr);
  v.SetVecSize(2);
  v.SetVal(1, 3);
  v.SetVal(2, 4);
  EXPECT_EQ(v.Leng(), 5.0);
  v.SetVecLeng(1);
  EXPECT_DOUBLE_EQ(v.GetVal(1), 0.6);
  EXPECT_DOUBLE_EQ(v.GetVal(2), 0.8);
  v.Clear();
  NUV_EXPECT_THROW_MSG(v.SetVecLeng(1), ENUVVectorError, "vector has zero length");
}

}  // namespace
}  // namespace nuv
