#include <cmath>
#include <limits>

#include "nuv/scalar/TKahanSum.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(TKahanSumAdd, CompensationBeatsNaiveSumByOrdersOfMagnitude) {
  constexpr int kTerms = 10'000'000;
  constexpr double kTerm = 1e-16;
  TKahanSum k(nullptr);
  double naive = 1.0;
  k.Add(1.0);
  for (int i = 0; i < kTerms; ++i) {
    k.Add(kTerm);
    naive += kTerm;
  }
  // The exact sum of the doubles added: 1 + 10^7 times the double nearest 1e-16, an integer
  // multiple of that double, so its error in 64-bit long double arithmetic is far below 1 ulp.
  const double exact = static_cast<double>(1.0L + static_cast<long double>(kTerms) * kTerm);
  const double kahanErr = std::fabs(k.Sum - exact);
  const double naiveErr = std::fabs(naive - exact);
  EXPECT_EQ(naive, 1.0);  // every term vanishes in the naive sum
  EXPECT_LE(kahanErr, std::numeric_limits<double>::epsilon());
  EXPECT_LT(kahanErr * 1e5, naiveErr);
}

TEST(TKahanSumAdd, KeepsTheLostPartAsCompensation) {
  TKahanSum k(nullptr);
  k.Add(1e100);
  k.Add(1);
  EXPECT_EQ(k.Sum, 1e100);
  EXPECT_EQ(k.Compensation(), -1.0);
  // The compensation recovers small terms once they add up: 0.1 + 0.2 + 0.3 in order.
  TKahanSum s(nullptr);
  s.Add(0.1);
  s.Add(0.2);
  s.Add(0.3);
  EXPECT_EQ(s.Sum, 0.6);
  EXPECT_NE(0.1 + 0.2 + 0.3, 0.6);
}

TEST(TKahanSumReset, StartsAfreshAndWritingSumKeepsCompensation) {
  TComponent owner(nullptr);
  auto* k = new TKahanSum(&owner);
  EXPECT_EQ(k->Sum, 0.0);
  EXPECT_EQ(k->Compensation(), 0.0);
  k->Add(1e100);
  k->Add(1);
  k->Reset();
  EXPECT_EQ(k->Sum, 0.0);
  EXPECT_EQ(k->Compensation(), 0.0);
  k->Add(0.1);
  EXPECT_EQ(k->Sum, 0.1);
  k->Add(1e100);
  k->Add(1);
  k->Sum = 5;
  EXPECT_EQ(k->Compensation(), -1.0);
  k->Add(2);  // y = 2 - (-1) = 3
  EXPECT_EQ(k->Sum, 8.0);
}

TEST(TKahanSumAdd, InfinityIsNotPoisonedIntoNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  TKahanSum k(nullptr);
  k.Add(inf);
  k.Add(1);
  EXPECT_EQ(k.Sum, inf);
  TKahanSum o(nullptr);
  o.Add(1e308);
  o.Add(1e308);  // overflows
  o.Add(1);
  EXPECT_EQ(o.Sum, inf);
  TKahanSum n(nullptr);
  n.Add(-inf);
  n.Add(-1);
  EXPECT_EQ(n.Sum, -inf);
  n.Add(inf);  // -inf + inf stays NaN, as in IEEE arithmetic
  EXPECT_TRUE(std::isnan(n.Sum));
}

}  // namespace
}  // namespace nuv
