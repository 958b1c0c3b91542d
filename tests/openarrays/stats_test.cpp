// Mean and standard deviation of boxes.
#include <gtest/gtest.h>

#include <cmath>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

TEST(MeanStdDevArray, ClosedFormsAndOneCell) {
  const TDoubleArray a{1.0, 2.0, 3.0, 4.0};
  double mean = 0.0, sd = 0.0;
  ASSERT_EQ(MeanArray(a, 0, 3, mean), 0);
  ASSERT_EQ(StdDevArray(a, 0, 3, sd), 0);
  EXPECT_EQ(mean, 2.5);
  EXPECT_EQ(sd, std::sqrt(5.0 / 3.0));
  EXPECT_EQ(sd, 1.2909944487358056);
  ASSERT_EQ(MeanArray(a, 2, 2, mean), 0);
  ASSERT_EQ(StdDevArray(a, 2, 2, sd), 0);
  EXPECT_EQ(mean, 3.0);
  EXPECT_EQ(sd, 0.0);
  // Integer cells are summed as doubles: no wrap-around.
  const TIntArray big{2147483647, 2147483647};
  ASSERT_EQ(MeanArray(big, 0, 1, mean), 0);
  EXPECT_EQ(mean, 2147483647.0);
}

TEST(MeanStdDevArray, FailuresLeaveZero) {
  double mean = 99.0, sd = 99.0;
  EXPECT_EQ(MeanArray(TDouble2DArray{{}, {1.0}}, 5, 5, -1, -1, mean), -1);
  EXPECT_EQ(StdDevArray(TIntArray{}, 0, 0, sd), -1);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(sd, 0.0);
  const auto a = Iota<TInt3DArray>({2, 3, 4});
  mean = sd = 99.0;
  EXPECT_EQ(MeanArray(a, 0, 0, 0, 1, 3, 3, mean), -2);  // hi2 == length
  EXPECT_EQ(StdDevArray(a, 0, 0, 1, 1, 2, 0, sd), -2);  // lo3 > hi3
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(sd, 0.0);
}

TEST(MeanStdDevArray, BoxSelectsOnlyItsCells) {
  TDouble2DArray a = FromFlat<TDouble2DArray>({1, 2, 30, 40, 500, 600}, {3, 2});
  double mean = 0.0;
  ASSERT_EQ(MeanArray(a, 1, 0, 2, 0, mean), 0);  // A[1][0] and A[2][0]
  EXPECT_EQ(mean, 265.0);
  const auto d4 = Iota<TDouble4DArray>({2, 3, 4, 5});
  ASSERT_EQ(MeanArray(d4, 1, 1, 1, 1, 1, 1, 1, 1, mean), 0);
  EXPECT_EQ(mean, d4[1][1][1][1]);
}

TEST(MeanStdDevArray, ResultMayBeACellOfTheArray) {
  TDoubleArray a{4.0, 6.0};
  ASSERT_EQ(MeanArray(a, 0, 1, a[0]), 0);
  EXPECT_EQ(a[0], 5.0);
  TDoubleArray b{1.0, 3.0};
  ASSERT_EQ(StdDevArray(b, 0, 1, b[1]), 0);
  EXPECT_EQ(b[1], std::sqrt(2.0));
}

TEST(MeanStdDevArray, RaggedRowsInsideTheBoxAreRefused) {
  const TDouble2DArray a{{1.0, 2.0}, {3.0}, {5.0, 6.0}};
  double mean = 99.0;
  EXPECT_EQ(MeanArray(a, 0, 0, 2, 1, mean), -2);
  EXPECT_EQ(mean, 0.0);
  ASSERT_EQ(MeanArray(a, 2, 0, 2, 1, mean), 0);
  EXPECT_EQ(mean, 5.5);
}

TEST(MeanStdDevArray, ScaleWithTheDataAtEveryScale) {
  // {1, 2, 3, 4}: mean 2.5, deviation sqrt(5/3); and values whose sum overflows
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    const TDoubleArray a{f, 2 * f, 3 * f, 4 * f};
    double mean = 0.0, sd = 0.0;
    ASSERT_EQ(MeanArray(a, 0, 3, mean), 0);
    ASSERT_EQ(StdDevArray(a, 0, 3, sd), 0);
    EXPECT_TRUE(RelNear(mean, 2.5 * f, kScaleTol));
    EXPECT_TRUE(RelNear(sd, std::sqrt(5.0 / 3.0) * f, kScaleTol));
  }
  const TDoubleArray top{1e308, 1e308, 1e308};
  double mean = 0.0, sd = -1.0;
  MeanArray(top, 0, 2, mean);
  StdDevArray(top, 0, 2, sd);
  EXPECT_EQ(mean, 1e308);
  EXPECT_EQ(sd, 0.0);
}

}  // namespace
}  // namespace nuv::test
