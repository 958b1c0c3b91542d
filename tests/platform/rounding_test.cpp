#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/rounding.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(Round, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, Int64> cases[] = {{0.5, 0},  {1.5, 2},   {2.5, 2},
                                            {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
                                            {2.4, 2},  {2.6, 3},   {1e15 + 0.5, 1000000000000000}};
  for (auto [x, r] : cases) EXPECT_EQ(Round(x), r) << x;
}

TEST(Round, UnrepresentableArgumentsRaise) {
  for (double x : {std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity(), 9.3e18, -9.3e18}) {
    NUV_EXPECT_THROW_MSG(Round(x), EMathError, "Invalid argument to Round");
  }
  NUV_EXPECT_THROW_MSG(Trunc(1e19), EMathError, "Invalid argument to Trunc");
  NUV_EXPECT_THROW_MSG(Floor(3e9), EMathError, "Invalid argument to Floor");
  NUV_EXPECT_THROW_MSG(Ceil(-3e9), EMathError, "Invalid argument to Ceil");
}

TEST(Truncation, IntFracFloorCeil) {
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Int(-2.7), -2.0);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
  EXPECT_EQ(Floor(-2.5), -3);
  EXPECT_EQ(Ceil(-2.5), -2);
  EXPECT_EQ(Floor(-2147483648.0), std::numeric_limits<Integer>::min());
}

TEST(StdDev, SampleDeviationWithDivisorNMinusOne) {
  const std::vector<double> d{2, 4, 4, 4, 5, 5, 7, 9};  // population sd 2, sample sqrt(32/7)
  EXPECT_TRUE(test::UlpNear(StdDev(d), std::sqrt(32.0 / 7.0), 2));
  EXPECT_EQ(StdDev(std::vector<double>{3.0}), 0.0);
}

}  // namespace
}  // namespace nuv
