// Standard deviations of boxes far from zero: an offset plus small integers, against the exact
// value of the offset-free integers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr double kTol = 1e-9;  // what every standard deviation must meet at any offset
constexpr int kN = 40;

std::int64_t K(int i) {
  return (i * i) % 17;
}

double ExactSd() {
  std::int64_t s = 0, q = 0;
  for (int i = 1; i <= kN; ++i) {
    s += K(i);
    q += K(i) * K(i);
  }
  return std::sqrt(static_cast<double>(kN * q - s * s) / (kN * (kN - 1.0)));
}

template <class T>
std::vector<T> Flat(T offset) {
  std::vector<T> v;
  for (int i = 1; i <= kN; ++i) v.push_back(static_cast<T>(offset + static_cast<T>(K(i))));
  return v;
}

TEST(StdDevArrayOffsets, BoxesKeepTheirSpread) {
  const double want = ExactSd();
  for (double offset : {0.0, 1e6, 1e8, 1.7e9, 4.5e15}) {
    SCOPED_TRACE(offset);
    const std::vector<double> flat = Flat(offset);
    double sd = -1;
    ASSERT_EQ(StdDevArray(TDoubleArray(flat), 0, kN - 1, sd), 0);
    EXPECT_TRUE(RelNear(sd, want, kTol)) << sd;
    const auto a2 = FromFlat<TDouble2DArray>(flat, {5, 8});
    ASSERT_EQ(StdDevArray(a2, 0, 0, 4, 7, sd), 0);
    EXPECT_TRUE(RelNear(sd, want, kTol)) << sd;
    const TDoubleArray same(kN, offset + 3);
    ASSERT_EQ(StdDevArray(same, 0, kN - 1, sd), 0);
    EXPECT_EQ(sd, 0.0);
  }
  for (Integer offset : {0, 1000000, 100000000, 2000000000, 2147483630}) {
    SCOPED_TRACE(offset);
    const auto a3 = FromFlat<TInt3DArray>(Flat(offset), {4, 5, 2});
    double sd = -1;
    ASSERT_EQ(StdDevArray(a3, 0, 0, 0, 3, 4, 1, sd), 0);
    EXPECT_TRUE(RelNear(sd, want, kTol)) << sd;
  }
}

}  // namespace
}  // namespace nuv::test
