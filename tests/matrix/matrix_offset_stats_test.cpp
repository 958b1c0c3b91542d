// TMatrix variances, standard deviations and correlations of values far from zero: an offset
// plus small integers keeps every value an exact double, so the exact results follow from the
// integers alone.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv::test {
namespace {

constexpr int kN = 40;
// The accuracy the library promises for data of any offset up to 2^53.
constexpr double kRel = 1e-9;

int U(int i) {
  return (7 * i) % 13 + i % 3;
}
int V(int i) {
  return U(i) + (5 * i) % 7 - 2 * (i % 4);
}

// Exact sample variance of integers, from integer sums.
double ExactVariance(const std::vector<int>& x) {
  std::int64_t s = 0, q = 0;
  for (int v : x) {
    s += v;
    q += std::int64_t{v} * v;
  }
  const auto n = static_cast<std::int64_t>(x.size());
  return static_cast<double>(n * q - s * s) / static_cast<double>(n * (n - 1));
}

double ExactCorrelation(const std::vector<int>& x, const std::vector<int>& y) {
  std::int64_t sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sx += x[i];
    sy += y[i];
    sxx += std::int64_t{x[i]} * x[i];
    syy += std::int64_t{y[i]} * y[i];
    sxy += std::int64_t{x[i]} * y[i];
  }
  const auto n = static_cast<std::int64_t>(x.size());
  return static_cast<double>(n * sxy - sx * sy) /
         std::sqrt(static_cast<double>(n * sxx - sx * sx) * static_cast<double>(n * syy - sy * sy));
}

void ExpectRel(double got, double want, const char* what) {
  EXPECT_NEAR(got, want, kRel * std::fabs(want)) << what;
}

TEST(MatrixOffsetStats, VariancesAndCorrelationsKeepTheirDigits) {
  std::vector<int> u, v, box;
  for (int i = 0; i < kN; ++i) {
    u.push_back(U(i));
    v.push_back(V(i));
  }
  // Rows 11..30 of both columns, column by column.
  for (int i = 10; i < 30; ++i) box.push_back(U(i));
  for (int i = 10; i < 30; ++i) box.push_back(V(i));
  const double varU = ExactVariance(u);
  const double varV = ExactVariance(v);
  const double varBox = ExactVariance(box);
  const double r = ExactCorrelation(u, v);

  for (double offset : {0.0, 1e6, 1e8, 1.7e9, 4.5e15}) {
    SCOPED_TRACE(testing::Message() << "offset " << offset);
    TMatrix m(nullptr), col(nullptr), row(nullptr), colV(nullptr);
    m.Resize(2, kN);    // columns u and v
    col.Resize(1, kN);  // u alone
    colV.Resize(1, kN);
    row.Resize(kN, 1);  // u along a row
    for (int i = 0; i < kN; ++i) {
      m.SetVal(1, i + 1, offset + U(i));
      m.SetVal(2, i + 1, offset + V(i));
      col.SetVal(1, i + 1, offset + U(i));
      colV.SetVal(1, i + 1, offset + V(i));
      row.SetVal(i + 1, 1, offset + U(i));
    }
    double mean = 0, var = 0;
    m.MeanVar(1, 1, 1, kN, mean, var);
    ExpectRel(var, varU, "MeanVar of a column");
    m.MeanVar(1, 11, 2, 30, mean, var);
    ExpectRel(var, varBox, "MeanVar of a box of two columns");
    row.MeanVar(0, 0, 0, 0, mean, var);
    ExpectRel(var, varU, "MeanVar of a row");

    EXPECT_EQ(col.Correlate(&col), 1.0);
    ExpectRel(col.Correlate(&colV), r, "Correlate");

    TVector means(nullptr), sds(nullptr);
    means.Resize(2);
    sds.Resize(2);
    TMatrix z(nullptr);
    z.Assign(&m);
    z.StandardizeColumns(&means, &sds);
    ExpectRel(sds.GetVal(1), std::sqrt(varU), "StandardizeColumns, first deviation");
    ExpectRel(sds.GetVal(2), std::sqrt(varV), "StandardizeColumns, second deviation");
    TVector rmeans(nullptr), rsds(nullptr);
    rmeans.Resize(1);
    rsds.Resize(1);
    row.StandardizeRows(&rmeans, &rsds);
    ExpectRel(rsds.GetVal(1), std::sqrt(varU), "StandardizeRows, deviation");
    // Below 2^53 / 40 the sum, and so the mean, is exact: the scores are then the exact ones
    // up to the rounding of one value.
    if (offset * kN < 9007199254740992.0) {
      double ubar = 0;
      for (int x : u) ubar += x;
      ubar /= kN;
      for (int i = 0; i < kN; i += 7) {
        const double want = (U(i) - ubar) / std::sqrt(varU);
        EXPECT_NEAR(z.GetVal(1, i + 1), want, 1e-6) << "score " << i;
        EXPECT_NEAR(row.GetVal(i + 1, 1), want, 1e-6) << "row score " << i;
      }
    }
  }
}

}  // namespace
}  // namespace nuv::test
