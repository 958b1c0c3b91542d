// Mean and variance of integer cells far from zero: an offset plus small integers keeps its
// spread, in both stores and over sub-boxes, up to the ends of the 32-bit range.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "nuv/matrix/TIntMatrix.hpp"

namespace nuv {
namespace {

// The small part of cell (c, r): 0..40, uneven so that the spread is not a round number.
Integer Small(Integer c, Integer r) {
  return (c * 17 + r * 29 + c * r) % 41;
}

TEST(TIntMatrixOffsets, MeanVarKeepsTheSpreadOfDataFarFromZero) {
  const Integer offsets[] = {0, 1000000, 100000000, 1700000000, 2147483000, -2147483000};
  struct Box {
    Integer LowCol, LowRow, HighCol, HighRow;
  };
  const Box boxes[] = {{0, 0, 0, 0}, {2, 3, 4, 7}, {5, 1, 1, 8}};
  for (const Integer offset : offsets) {
    for (const bool sparse : {false, true}) {
      std::unique_ptr<TIntMatrix> m(sparse ? TIntMatrix::CreateSparse(nullptr, 8)
                                           : new TIntMatrix(nullptr));
      if (!sparse) m->Resize(5, 8);
      for (Integer c = 1; c <= 5; ++c) {
        for (Integer r = 1; r <= 8; ++r) m->SetVal(c, r, offset + Small(c, r));
      }
      for (const Box& b : boxes) {
        SCOPED_TRACE("offset " + std::to_string(offset) + (sparse ? " sparse" : " dense") +
                     " box " + std::to_string(b.LowCol) + "," + std::to_string(b.LowRow));
        // Exact reference from the small parts: n·Σu² - (Σu)² over n(n - 1), in integers.
        Integer c1 = b.LowCol, c2 = b.HighCol, r1 = b.LowRow, r2 = b.HighRow;
        m->MakeValidColRange(c1, c2);
        m->MakeValidRowRange(r1, r2);
        std::int64_t n = 0, su = 0, suu = 0;
        for (Integer c = c1; c <= c2; ++c) {
          for (Integer r = r1; r <= r2; ++r) {
            const std::int64_t u = Small(c, r);
            ++n, su += u, suu += u * u;
          }
        }
        ASSERT_GE(n, 3);
        const double exactVar =
            static_cast<double>(n * suu - su * su) / static_cast<double>(n * (n - 1));
        const double exactMean = offset + static_cast<double>(su) / static_cast<double>(n);
        double mean = 0, var = 0;
        m->MeanVar(b.LowCol, b.LowRow, b.HighCol, b.HighRow, mean, var);
        EXPECT_NEAR(var, exactVar, 1e-9 * exactVar);
        EXPECT_NEAR(mean, exactMean, 1e-15 * std::fabs(exactMean) + 1e-12);
      }
    }
  }
}

TEST(TIntMatrixOffsets, ConstantCellsHaveNoSpreadAtAnyOffset) {
  // A raw sum of squares leaves rounding noise of either sign here; the spread is exactly 0.
  for (const Integer v : {2147483647, -2147483647 - 1, 1700000001, 3}) {
    SCOPED_TRACE(v);
    TIntMatrix m(nullptr);
    m.Resize(7, 9);
    m.Fill(v);
    double mean = 0, var = -1;
    m.MeanVar(0, 0, 0, 0, mean, var);
    EXPECT_EQ(var, 0.0);
    EXPECT_EQ(mean, static_cast<double>(v));
  }
}

}  // namespace
}  // namespace nuv
