#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "nuv/platform/random.hpp"
#include "nuv/scalar/NUV_math1.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;

std::vector<double> FeedBackCalls;
void RecordFeedBack(double v) {
  FeedBackCalls.push_back(v);
}

std::vector<double> RandomDoubles(std::size_t n, Integer seed) {
  SetRandSeed(seed);
  std::vector<double> v(n);
  // Few distinct values so that ties are exercised as well.
  for (double& x : v) x = static_cast<double>(Random(50)) - 20.5;
  return v;
}

TEST(SortArrayProgress, OnePassStepPerPassAndFeedBackWithNewValue) {
  HookGuard guard;
  ProcStat = 10.0;
  FeedBackCalls.clear();
  MathFeedBackProc = &RecordFeedBack;
  // (5,4,3,2,1): gap 3 exchanges, gap 2 none, gap 1 exchanges, gap 1 clean: four passes.
  std::vector<double> v{5, 4, 3, 2, 1};
  SortArray(v, true);
  EXPECT_EQ(v, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ProcStat.load(), 14.0);
  EXPECT_EQ(FeedBackCalls, (std::vector<double>{11, 12, 13, 14}));

  // Already sorted: gaps 3, 2, 1 and the clean gap-1 pass ends it.
  ProcStat = 0.0;
  SortArray(v, true);
  EXPECT_EQ(ProcStat.load(), 3.0);
}

TEST(SortArrayProgress, FewerThanTwoElementsMakeNoStep) {
  HookGuard guard;
  ProcStat = 0.0;
  std::vector<double> empty;
  std::vector<double> one{7};
  SortArray(empty, true);
  SortArray(one, false);
  SortArray(one.data(), 1, vkDouble, true);
  SortArray(nullptr, 5, vkDouble, true);
  EXPECT_EQ(ProcStat.load(), 0.0);
  EXPECT_EQ(one[0], 7.0);
}

TEST(CombGap, ShrinksByTenThirteenthsWithoutOverflow) {
  EXPECT_EQ(detail::CombNextGap(5), 3);
  EXPECT_EQ(detail::CombNextGap(3), 2);
  EXPECT_EQ(detail::CombNextGap(2), 1);
  EXPECT_EQ(detail::CombNextGap(1), 1);
  // 300000000 * 10 does not fit 32 bits; the quotient must still be the exact integer part.
  EXPECT_EQ(detail::CombNextGap(300000000), 230769230);
  EXPECT_EQ(detail::CombNextGap(2147483647), 1651910497);
}

TEST(SortArray, MatchesStdSortForEveryElementType) {
  HookGuard guard;
  for (bool asc : {true, false}) {
    SCOPED_TRACE(asc);
    auto d = RandomDoubles(1000, 17);
    std::vector<Integer> iv(d.size());
    std::vector<Single> sv(d.size());
    for (std::size_t i = 0; i < d.size(); ++i) {
      iv[i] = static_cast<Integer>(d[i] * 3);
      sv[i] = static_cast<Single>(d[i] / 3);
    }
    auto dRef = d;
    auto iRef = iv;
    auto sRef = sv;
    if (asc) {
      std::sort(dRef.begin(), dRef.end());
      std::sort(iRef.begin(), iRef.end());
      std::sort(sRef.begin(), sRef.end());
    } else {
      std::sort(dRef.begin(), dRef.end(), std::greater<>());
      std::sort(iRef.begin(), iRef.end(), std::greater<>());
      std::sort(sRef.begin(), sRef.end(), std::greater<>());
    }
    auto d2 = d;
    auto i2 = iv;
    auto s2 = sv;
    SortArray(d, asc);
    SortArray(iv, asc);
    SortArray(sv, asc);
    EXPECT_EQ(d, dRef);
    EXPECT_EQ(iv, iRef);
    EXPECT_EQ(sv, sRef);
    SortArray(d2.data(), static_cast<Integer>(d2.size()), vkReal, asc);
    SortArray(i2.data(), static_cast<Integer>(i2.size()), vkLongint, asc);
    SortArray(s2.data(), static_cast<Integer>(s2.size()), vkSingle, asc);
    EXPECT_EQ(d2, dRef);
    EXPECT_EQ(i2, iRef);
    EXPECT_EQ(s2, sRef);
  }
  std::vector<double> small{1, 3, 2};
  SortArray(small, false);
  EXPECT_EQ(small, (std::vector<double>{3, 2, 1}));
}

TEST(SortArray, UnknownKindDoesNothing) {
  HookGuard guard;
  ProcStat = 0.0;
  std::vector<double> v{3, 2, 1};
  SortArray(v.data(), 3, static_cast<TVarKind>(5), true);
  EXPECT_EQ(v, (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(ProcStat.load(), 0.0);
}

TEST(QuickSelect, DocumentedCases) {
  std::vector<double> a{5, 1};
  EXPECT_EQ(QuickSelect(a, 0, 0, 1), 1.0);
  std::vector<double> b{1, 9, 2};
  EXPECT_EQ(QuickSelect(b, 2, 0, 2), 9.0);
  std::vector<double> c{4, 4, 4};
  EXPECT_EQ(QuickSelect(c, 1, 0, 2), 4.0);
  std::vector<double> d{3, 8, 1};
  EXPECT_EQ(QuickSelect(d, 1, 2, 1), 0.0);
  EXPECT_EQ(d, (std::vector<double>{3, 8, 1}));
  // K one past Last: the entry value of Data[First].
  std::vector<double> e{7, 2, 9, 4};
  EXPECT_EQ(QuickSelect(e, 4, 0, 3), 7.0);
  std::vector<double> empty;
  EXPECT_EQ(QuickSelect(empty, 0, 0, 0), 0.0);
}

TEST(QuickSelect, MatchesSortedStretchAndPermutesOnlyIt) {
  const auto base = RandomDoubles(301, 5);
  const Integer first = 40;
  const Integer last = 260;
  auto ref = std::vector<double>(base.begin() + first, base.begin() + last + 1);
  std::sort(ref.begin(), ref.end());
  for (Integer k = first; k <= last; k += 7) {
    SCOPED_TRACE(k);
    auto v = base;
    EXPECT_EQ(QuickSelect(v, k, first, last), ref[static_cast<std::size_t>(k - first)]);
    EXPECT_TRUE(std::equal(v.begin(), v.begin() + first, base.begin()));
    EXPECT_TRUE(std::equal(v.begin() + last + 1, v.end(), base.begin() + last + 1));
    auto stretch = std::vector<double>(v.begin() + first, v.begin() + last + 1);
    std::sort(stretch.begin(), stretch.end());
    EXPECT_EQ(stretch, ref);
  }
}

TEST(QuickSelect, OutOfDomainArgumentsAreClampedNotHung) {
  // K below First: the minimum of the stretch.
  std::vector<double> v{9, 6, 2, 7, 5};
  EXPECT_EQ(QuickSelect(v, 0, 2, 4), 2.0);
  v = {9, 6, 2, 7, 5};
  EXPECT_EQ(QuickSelect(v, -100, 1, 4), 2.0);
  // Bounds beyond the array are clamped into 0..High.
  v = {9, 6, 2, 7, 5};
  EXPECT_EQ(QuickSelect(v, 4, -3, 99), 9.0);
  v = {9, 6, 2, 7, 5};
  EXPECT_EQ(QuickSelect(v, 0, -3, 99), 2.0);
}

TEST(SortIntoArray, TypedAscendingCases) {
  std::vector<double> v{1, 3, 5};
  EXPECT_EQ(SortIntoArray(v, 2.0, true, false), 1);
  EXPECT_EQ(v, (std::vector<double>{1, 2, 3}));
  v = {1, 3, 5};
  EXPECT_EQ(SortIntoArray(v, 6.0, true, false), -1);
  EXPECT_EQ(v, (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(SortIntoArray(v, 3.0, true, false), -1);
  EXPECT_EQ(v, (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(SortIntoArray(v, 3.0, true, true), 1);
  EXPECT_EQ(v, (std::vector<double>{1, 3, 3}));
  EXPECT_EQ(SortIntoArray(v, 0.0, true, true), 0);
  EXPECT_EQ(v, (std::vector<double>{0, 1, 3}));
}

TEST(SortIntoArray, DescendingSingleAndIntegerOverloads) {
  std::vector<Integer> iv{9, 5, 1};
  EXPECT_EQ(SortIntoArray(std::span<Integer>(iv), 6, false, false), 1);
  EXPECT_EQ(iv, (std::vector<Integer>{9, 6, 5}));
  EXPECT_EQ(SortIntoArray(std::span<Integer>(iv), 4, false, false), -1);
  EXPECT_EQ(SortIntoArray(std::span<Integer>(iv), 6, false, false), -1);
  EXPECT_EQ(SortIntoArray(std::span<Integer>(iv), 6, false, true), 1);
  EXPECT_EQ(iv, (std::vector<Integer>{9, 6, 6}));
  std::vector<Single> sv{1.5f, 2.5f};
  EXPECT_EQ(SortIntoArray(std::span<Single>(sv), 2.0f, true, false), 1);
  EXPECT_EQ(sv, (std::vector<Single>{1.5f, 2.0f}));
}

TEST(SortIntoArray, UntypedCountsFromOneAndEmptyIsRefused) {
  std::vector<double> v{1, 3, 5};
  const double two = 2;
  const double six = 6;
  EXPECT_EQ(SortIntoArray(v.data(), 3, vkDouble, &two, true, false), 2);
  EXPECT_EQ(v, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(SortIntoArray(v.data(), 3, vkDouble, &six, true, false), 0);
  std::vector<Integer> iv{2, 4};
  const Integer three = 3;
  EXPECT_EQ(SortIntoArray(iv.data(), 2, vkInteger, &three, true, false), 2);
  EXPECT_EQ(iv, (std::vector<Integer>{2, 3}));
  EXPECT_EQ(SortIntoArray(iv.data(), 2, static_cast<TVarKind>(9), &three, true, true), 0);
  EXPECT_EQ(iv, (std::vector<Integer>{2, 3}));
  // An empty array is never read.
  std::vector<double> empty;
  EXPECT_EQ(SortIntoArray(empty, 1.0, true, true), -1);
  EXPECT_EQ(SortIntoArray(v.data(), 0, vkDouble, &two, true, true), 0);
  EXPECT_EQ(SortIntoArray(v.data(), -4, vkDouble, &two, true, true), 0);
}

TEST(InsertIntoArray, ShiftsUpAndDropsTheLast) {
  std::vector<double> v{1, 2, 3};
  InsertIntoArray(v, 9.0, 0);
  EXPECT_EQ(v, (std::vector<double>{9, 1, 2}));
  InsertIntoArray(v, 7.0, 3);
  InsertIntoArray(v, 7.0, -1);
  EXPECT_EQ(v, (std::vector<double>{9, 1, 2}));
  InsertIntoArray(v, 7.0, 2);
  EXPECT_EQ(v, (std::vector<double>{9, 1, 7}));
  std::vector<Integer> iv{1, 2, 3, 4};
  InsertIntoArray(std::span<Integer>(iv), 8, 1);
  EXPECT_EQ(iv, (std::vector<Integer>{1, 8, 2, 3}));
  std::vector<Single> sv{1, 2};
  InsertIntoArray(std::span<Single>(sv), 5.0f, 1);
  EXPECT_EQ(sv, (std::vector<Single>{1, 5}));
}

TEST(InsertIntoArray, UntypedUsesPositionsFromOne) {
  std::vector<Single> sv{1, 2, 3};
  const Single x = 9;
  InsertIntoArray(sv.data(), 3, vkSingle, &x, 1);
  EXPECT_EQ(sv, (std::vector<Single>{9, 1, 2}));
  for (Integer bad : {0, -2, 4}) {
    InsertIntoArray(sv.data(), 3, vkSingle, &x, bad);
    EXPECT_EQ(sv, (std::vector<Single>{9, 1, 2})) << bad;
  }
  std::vector<double> dv{1, 2, 3};
  const double y = 4;
  InsertIntoArray(dv.data(), 3, vkDouble, &y, 3);
  EXPECT_EQ(dv, (std::vector<double>{1, 2, 4}));
  InsertIntoArray(dv.data(), 3, static_cast<TVarKind>(7), &y, 1);
  EXPECT_EQ(dv, (std::vector<double>{1, 2, 4}));
}

TEST(ExChange, EveryOverloadAndTheByteForm) {
  Integer i1 = 1, i2 = 2;
  ExChange(i1, i2);
  EXPECT_EQ(i1, 2);
  EXPECT_EQ(i2, 1);
  std::string s1 = "a", s2 = "bcd";
  ExChange(s1, s2);
  EXPECT_EQ(s1, "bcd");
  EXPECT_EQ(s2, "a");
  bool b1 = true, b2 = false;
  ExChange(b1, b2);
  EXPECT_FALSE(b1);
  Extended e1 = 1.5, e2 = -2.5;
  ExChange(e1, e2);
  EXPECT_EQ(e1, -2.5);
  Int64 l1 = INT64_MIN, l2 = 3;
  ExChange(l1, l2);
  EXPECT_EQ(l2, INT64_MIN);
  char16_t c1 = u'x', c2 = u'y';
  ExChange(c1, c2);
  EXPECT_EQ(c1, u'y');

  std::array<Byte, 4> a{1, 2, 3, 4};
  std::array<Byte, 4> b{5, 6, 7, 8};
  ExChange(a.data(), b.data(), 0);
  EXPECT_EQ(a, (std::array<Byte, 4>{1, 2, 3, 4}));
  ExChange(a.data(), b.data(), 3);
  EXPECT_EQ(a, (std::array<Byte, 4>{5, 6, 7, 4}));
  EXPECT_EQ(b, (std::array<Byte, 4>{1, 2, 3, 8}));
}

TEST(SortSwap, OrdersThePairAndReportsTheExchange) {
  double a = 2, b = 1;
  EXPECT_TRUE(SortSwap(a, b, true));
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 2.0);
  EXPECT_FALSE(SortSwap(a, b, true));
  EXPECT_EQ(a, 1.0);
  // Equal values are exchanged when ascending, not when descending.
  double c = 3, d = 3;
  EXPECT_TRUE(SortSwap(c, d, true));
  EXPECT_FALSE(SortSwap(c, d, false));
  EXPECT_TRUE(SortSwap(a, b, false));
  EXPECT_EQ(a, 2.0);
}

}  // namespace
}  // namespace nuv
