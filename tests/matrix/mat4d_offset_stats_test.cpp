// Variances of the four-dimensional array for data far from zero: an offset plus small
// integers, against the exact variance of the integers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// Every offset plus the small integers below is an exact double (below 2^53).
constexpr double kOffsets[] = {0.0, 1e6, 1e8, 1.7e9, 4.5e15};
// The accuracy the variances promise whatever the offset.
constexpr double kVarTol = 1e-9;

// The small integer stored at a cell: an irregular pattern in 0..12.
std::int64_t Small(Integer x, Integer y, Integer z, Integer t) {
  return (x * 7 + y * 5 + z * 3 + t * 11) % 13;
}

// Exact sum and sum of squares of integers, for the rational variance (n S2 - S1^2) / ...
struct TExact {
  std::int64_t N = 0, S1 = 0, S2 = 0;
  void Add(std::int64_t k) {
    ++N;
    S1 += k;
    S2 += k * k;
  }
  double Spread() const { return static_cast<double>(N * S2 - S1 * S1); }
};

TEST(Mat4DOffsetStats, VariancesKeepTheirDigitsFarFromZero) {
  for (double offset : kOffsets) {
    SCOPED_TRACE(testing::Message() << "offset " << offset);
    TMat4D m(nullptr);
    m.Resize(5, 4, 3, 4);
    for (Integer t = 1; t <= 4; ++t)
      for (Integer z = 1; z <= 3; ++z)
        for (Integer y = 1; y <= 4; ++y)
          for (Integer x = 1; x <= 5; ++x)
            m.SetVal(x, y, z, t, offset + static_cast<double>(Small(x, y, z, t)));
    // Cell (5, 4) holds one value in every layer and slot: no spread at all.
    for (Integer t = 1; t <= 4; ++t)
      for (Integer z = 1; z <= 3; ++z) m.SetVal(5, 4, z, t, offset + 6.0);

    {
      SCOPED_TRACE("MeanVar, sample variance of the box");
      TExact e;
      for (Integer x = 2; x <= 5; ++x)
        for (Integer y = 1; y <= 3; ++y)
          for (Integer z = 1; z <= 3; ++z)
            for (Integer t = 2; t <= 4; ++t) e.Add(Small(x, y, z, t));
      double mean = 0, var = 0;
      m.MeanVar(2, 5, 1, 3, 0, 0, 2, 4, mean, var);
      const auto n = static_cast<double>(e.N);
      EXPECT_TRUE(RelNear(var, e.Spread() / (n * (n - 1.0)), kVarTol));
      constexpr double kMeanTol = 1e-13;  // rounding of a plain sum of 36 values
      EXPECT_TRUE(RelNear(mean, offset + static_cast<double>(e.S1) / n, kMeanTol));
    }
    {
      SCOPED_TRACE("StdDevOfLayersToMatrix, population deviation per cell");
      TMatrix d(nullptr);
      m.StdDevOfLayersToMatrix(&d, 0, 0, 0, 0, 0, 0, 0, 0, 1);
      for (Integer x = 1; x <= 5; ++x) {
        for (Integer y = 1; y <= 4; ++y) {
          TExact e;
          for (Integer z = 1; z <= 3; ++z)
            for (Integer t = 1; t <= 4; ++t) e.Add(x == 5 && y == 4 ? 6 : Small(x, y, z, t));
          const double exact = e.Spread() / static_cast<double>(e.N * e.N);
          const double sd = d.GetVal(x, y);
          if (exact == 0.0) {
            EXPECT_EQ(sd, 0.0) << x << "," << y;
          } else {
            EXPECT_TRUE(RelNear(sd * sd, exact, kVarTol)) << x << "," << y;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace nuv::test
