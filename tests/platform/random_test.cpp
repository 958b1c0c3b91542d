#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(UniformGenerator, SameSeedSameSequence) {
  test::HookGuard guard;
  SetRandSeed(1234);
  std::vector<double> a;
  for (int i = 0; i < 5; ++i) a.push_back(Random());
  SetRandSeed(1234);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Random(), a[static_cast<std::size_t>(i)]);
  EXPECT_EQ(RandSeed(), 1234);
  SetRandSeed(1235);
  EXPECT_NE(Random(), a[0]);
}

TEST(UniformGenerator, RangesAndMoments) {
  test::HookGuard guard;
  SetRandSeed(7);
  constexpr int kN = 200000;
  double sum = 0;
  std::vector<int> counts(10, 0);
  for (int i = 0; i < kN; ++i) {
    const double u = Random();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    sum += u;
    const Integer k = Random(10);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, 10);
    ++counts[static_cast<std::size_t>(k)];
  }
  // Mean of kN uniforms has sd 0.2887/sqrt(kN) = 6.5e-4; allow 5 sd.
  EXPECT_NEAR(sum / kN, 0.5, 3.3e-3);
  for (int c : counts) EXPECT_NEAR(c, kN / 10, 500);  // binomial sd ~134
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
}

TEST(UniformGenerator, RandGHasRequestedMoments) {
  test::HookGuard guard;
  SetRandSeed(99);
  constexpr int kN = 200000;
  double s = 0, ss = 0;
  for (int i = 0; i < kN; ++i) {
    const double g = RandG(3.0, 2.0);
    s += g;
    ss += g * g;
  }
  const double mean = s / kN;
  const double var = ss / kN - mean * mean;
  EXPECT_NEAR(mean, 3.0, 5 * 2.0 / std::sqrt(kN));
  EXPECT_NEAR(var, 4.0, 0.1);
}

}  // namespace
}  // namespace nuv
