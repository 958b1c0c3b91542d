#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/datatable/NUV_datatable.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

// Two-pass references on a dozen values lose a few ulps to the one-pass sums.
constexpr double kTol = 1e-12;

// A table of the given columns (each a list of rows) named "tab".
void Fill(TDataTable& t, const std::vector<std::vector<double>>& cols) {
  t.SetName("tab");
  t.Resize(static_cast<Integer>(cols.size()), static_cast<Integer>(cols[0].size()));
  for (std::size_t c = 0; c < cols.size(); ++c)
    for (std::size_t r = 0; r < cols[c].size(); ++r)
      t.NumericData()->SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), cols[c][r]);
}

TEST(TDataTableStats, CountsFollowStateBitsAndScales) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  t.SetCellState(1, 1, 2);   // empty
  t.SetCellState(1, 2, 32);  // imputed alone is valid
  t.SetCellState(2, 1, 1);   // bit 0 alone is invalid too
  t.SetCellState(2, 2, 34);  // empty and imputed
  t.SetMScaleType(3, stNominal);
  EXPECT_EQ(t.CountValidCells(0, 0, 0, 0), 6);
  EXPECT_EQ(t.CountNumCells(0, 0, 0, 0), 3);
  EXPECT_EQ(t.CountEmptyCells(0, 0, 0, 0), 2);
  EXPECT_EQ(t.CountImputedCells(0, 0, 0, 0), 2);
  // Ranges are ordered and clamped.
  EXPECT_EQ(t.CountValidCells(1, 9, 1, -4), 2);
  EXPECT_EQ(t.CountEmptyCells(2, 2, 1, 1), 2);

  TDataTable empty(nullptr);
  empty.Resize(0, 0);
  EXPECT_EQ(empty.CountValidCells(1, 1, 1, 1), 0);
  double mn = 0, mx = 0;
  EXPECT_EQ(empty.MinMaxOfValidCells(0, 0, 0, 0, mn, mx), 0);
}

TEST(TDataTableStats, SumsAndExtremesOverNumericMarkedAndValidCells) {
  TDataTable t(nullptr);
  Fill(t, {{1.5, -2, 8}, {2.5, 3.5, -7}});
  t.SetMScaleType(2, stNominal);
  t.SetCellState(1, 3, 64 | 2);  // marked but empty
  t.SetCellState(1, 1, 64);
  t.SetCellState(2, 1, 128);
  t.SetCellState(2, 3, 64 | 1);  // marked but invalid
  Integer n = -1;
  EXPECT_EQ(t.SumOfNumCells(0, 0, 0, 0, n), 1.5 - 2);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 192, n), 1.5);  // column 2 is not numeric
  EXPECT_EQ(n, 1);
  EXPECT_EQ(t.SumOfMarkedCells(0, 0, 0, 0, 3, n), 0.0);  // bits 0 and 1 of a mask mark nothing
  EXPECT_EQ(n, 0);

  double mn = 0, mx = 0;
  EXPECT_EQ(t.MinMaxOfMarkedCells(0, 0, 0, 0, 255, mn, mx), 2);  // any scale, not rounded
  EXPECT_EQ(mn, 1.5);
  EXPECT_EQ(mx, 2.5);
  EXPECT_EQ(t.MinMaxOfValidCells(0, 0, 0, 0, mn, mx), 4);
  EXPECT_EQ(mn, -2);
  EXPECT_EQ(mx, 4);  // 3.5 of the nominal column rounds to 4; 2.5 rounds to 2
  EXPECT_EQ(t.MinMaxOfNumCells(0, 0, 0, 0, mn, mx), 2);
  EXPECT_EQ(mn, -2);
  EXPECT_EQ(mx, 1.5);

  // A single cell sets both extremes; a block of invalid cells leaves the start values.
  EXPECT_EQ(t.MinMaxOfNumCells(1, 2, 1, 2, mn, mx), 1);
  EXPECT_EQ(mn, -2);
  EXPECT_EQ(mx, -2);
  EXPECT_EQ(t.MinMaxOfNumCells(1, 3, 1, 3, mn, mx), 0);
  EXPECT_EQ(mn, uc_MaxReal);
  EXPECT_EQ(mx, -uc_MaxReal);
}

TEST(TDataTableStats, MeanVarMatchesTwoPassAndGivesOneForTwoCells) {
  const std::vector<double> a{3.25, -1.5, 7.75, 2.0, 1e3, 0.125};
  const std::vector<double> b{4.5, 6.0, -2.25, 9.5, 11.0, 3.0};
  TDataTable t(nullptr);
  Fill(t, {a, b, {1, 1, 1, 1, 1, 1}});
  t.SetMScaleType(3, stOrdinal);
  t.SetCellState(2, 4, 2);
  t.SetCellState(1, 2, 64);
  t.SetCellState(2, 5, 128);
  std::vector<double> x;
  for (std::size_t r = 0; r < a.size(); ++r) x.push_back(a[r]);
  for (std::size_t r = 0; r < b.size(); ++r)
    if (r != 3) x.push_back(b[r]);
  double s = 0, q = 0;
  for (double v : x) s += v;
  const double mean = s / static_cast<double>(x.size());
  for (double v : x) q += (v - mean) * (v - mean);
  double m = 0, v = 0;
  EXPECT_EQ(t.MeanVarOfNumCells(0, 0, 0, 0, m, v), 11);
  EXPECT_EQ(m, mean);  // summed in block order, as the reference
  EXPECT_TRUE(RelNear(v, q / static_cast<double>(x.size() - 1), kTol));

  EXPECT_EQ(t.MeanVarOfMarkedCells(0, 0, 0, 0, 192, m, v), 2);
  EXPECT_EQ(m, (-1.5 + 11.0) / 2);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(t.MeanVarOfNumCells(3, 1, 3, 6, m, v), 0);  // ordinal column: no numeric cells
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(v, 1.0);
}

TEST(TDataTableStats, GeometricAndHarmonicMeans) {
  TDataTable t(nullptr);
  Fill(t, {{2, 0, 8}, {-5, 4, 1}});
  t.SetMScaleType(2, stNominal);  // its negative value is not a numeric cell
  Integer n = -1;
  EXPECT_EQ(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 2);
  EXPECT_TRUE(RelNear(t.GeometricMeanOfNumCells(1, 1, 1, 1, n), 2.0, kTol));
  t.SetCellState(1, 2, 2);
  EXPECT_TRUE(RelNear(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 4.0, kTol));
  EXPECT_TRUE(RelNear(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), 2.0 / (0.5 + 0.125), kTol));
  EXPECT_EQ(n, 2);

  t.SetMScaleType(2, stRatio);
  n = 77;
  NUV_EXPECT_THROW_MSG(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), ENUVMatrixError,
                       "Component \"tab\": negative argument passed to GeometricMean");
  EXPECT_EQ(n, 77);
  NUV_EXPECT_THROW_MSG(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), ENUVMatrixError,
                       "Component \"tab\": negative or zero argument passed to HarmonicMean");
  t.SetCellState(1, 2, 0);
  NUV_EXPECT_THROW_MSG(t.HarmonicMeanOfNumCells(1, 1, 1, 3, n), ENUVMatrixError,
                       "Component \"tab\": negative or zero argument passed to HarmonicMean");
  // No usable cell: 0 and a count of 0.
  t.SetMScaleType(1, stUnknown);
  t.SetMScaleType(2, stUnknown);
  EXPECT_EQ(t.GeometricMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(t.HarmonicMeanOfNumCells(0, 0, 0, 0, n), 0.0);
  EXPECT_EQ(n, 0);
}

TEST(TDataTableStats, QuartilesInterpolateAtNPlusOnePositions) {
  TDataTable t(nullptr);
  double q1 = -1, q2 = -1, q3 = -1;
  Integer n = -1;
  Fill(t, {{2, 1}});
  EXPECT_TRUE(t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(n, 2);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  t.SetCellState(1, 1, 2);
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q3, 1.0);
  t.SetCellState(1, 2, 2);
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(q1, 0.0);
  EXPECT_EQ(q2, 0.0);
  EXPECT_EQ(q3, 0.0);

  // Six values over two columns: positions 1.75, 3.5, 5.25 of 1 3 4 10 20 40.
  Fill(t, {{40, 3, 10}, {1, 20, 4}});
  t.SetAllCellStates(0);
  t.QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(q1, 1 + (3 - 1) * 0.75);
  EXPECT_EQ(q2, 4 + (10 - 4) * 0.5);
  EXPECT_EQ(q3, 20 + (40 - 20) * 0.25);
}

TEST(TDataTableStats, PercentilesClampProbAndUseMarkedNumericCells) {
  TDataTable t(nullptr);
  Fill(t, {{4, 1}, {3, 2}, {100, 200}});
  t.SetMScaleType(3, stOrdinal);
  Integer n = -1;
  EXPECT_EQ(t.PercentileOfNumCells(50, 0, 0, 0, 0, n), 2.5);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(t.PercentileOfNumCells(150, 0, 0, 0, 0, n), 4.0);
  EXPECT_EQ(t.PercentileOfNumCells(-3, 0, 0, 0, 0, n), 1.0);
  EXPECT_EQ(t.PercentileOfNumCells(10, 0, 0, 0, 0, n), 1.0 + 0.3);
  EXPECT_TRUE(std::isnan(t.PercentileOfNumCells(std::nan(""), 0, 0, 0, 0, n)));
  t.SetCellState(1, 1, 128);
  t.SetCellState(2, 1, 128 | 2);  // marked but empty
  t.SetCellState(2, 2, 64);
  t.SetCellState(3, 1, 128);  // ordinal column
  EXPECT_EQ(t.PercentileOfMarkedCells(50, 0, 0, 0, 0, 128, n), 4.0);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(t.PercentileOfMarkedCells(25, 0, 0, 0, 0, 192, n), 2.5);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(t.PercentileOfMarkedCells(25, 0, 0, 0, 0, 1, n), 0.0);
  EXPECT_EQ(n, 0);
}

TEST(TDataTableStats, StandardizeColumnsMatchesTwoPassAndFiresPerCell) {
  const std::vector<double> a{1.5, 4.0, -2.0, 9.0, 3.5};
  TDataTable t(nullptr);
  Fill(t, {a, {7, 7, 7, 7, 7}, {1, 2, 3, 4, 5}});
  t.SetMScaleType(3, stNominal);
  t.SetCellState(1, 5, 2);
  int changes = 0;
  t.SetOnChange([&](TObject*) { ++changes; });
  TVector means(nullptr), sds(nullptr);
  means.Resize(3);
  sds.Resize(3);
  means.SetVal(3, test::kSentinel);
  sds.SetVal(3, test::kSentinel);
  t.StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(changes, 4 + 1);  // four valid cells of column 1, then once at the end
  const double m = (1.5 + 4.0 - 2.0 + 9.0) / 4;
  double q = 0;
  for (int r = 0; r < 4; ++r) q += (a[r] - m) * (a[r] - m);
  const double sd = std::sqrt(q / 3);
  EXPECT_TRUE(RelNear(means.GetVal(1), m, kTol));
  EXPECT_TRUE(RelNear(sds.GetVal(1), sd, kTol));
  for (int r = 0; r < 4; ++r)
    EXPECT_TRUE(RelNear(t.NumericData()->GetVal(1, r + 1), (a[r] - m) / sd, kTol));
  EXPECT_EQ(t.NumericData()->GetVal(1, 5), 3.5);  // invalid cell untouched
  EXPECT_EQ(t.NumericData()->GetVal(2, 1), 7.0);  // zero variance: untouched
  EXPECT_EQ(means.GetVal(2), 7.0);
  EXPECT_EQ(sds.GetVal(2), 0.0);
  EXPECT_EQ(t.NumericData()->GetVal(3, 2), 2.0);  // nominal column untouched
  EXPECT_EQ(means.GetVal(3), test::kSentinel);
  EXPECT_EQ(sds.GetVal(3), test::kSentinel);

  // Nothing to change: no closing OnChange.
  TDataTable u(nullptr);
  Fill(u, {{5, 5, 5}});  // two cells would count as variance 1
  changes = 0;
  u.SetOnChange([&](TObject*) { ++changes; });
  u.StandardizeNumCellColumns(nullptr, nullptr);
  EXPECT_EQ(changes, 0);
  u.MeanCenterNumCellColumns(nullptr);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(u.NumericData()->GetVal(1, 2), 0.0);
}

TEST(TDataTableStats, RowTransformationsRefuseCategoricalColumnsAndUseRowMeans) {
  TDataTable t(nullptr);
  Fill(t, {{1, 10}, {2, 20}, {6, 60}});
  t.SetMScaleType(2, stOrdinal);
  NUV_EXPECT_THROW_MSG(t.StandardizeNumCellRows(nullptr, nullptr), ENUVDataTableError,
                       "standardization of rows is not possible with nominal or ordinal variables");
  NUV_EXPECT_THROW_MSG(t.MeanCenterNumCellRows(nullptr), ENUVDataTableError,
                       "mean centering of rows is not possible with nominal or ordinal variables");
  EXPECT_EQ(t.NumericData()->GetVal(2, 1), 2.0);

  // An stUnknown column is shifted with the row but does not enter its mean.
  t.SetMScaleType(2, stUnknown);
  t.SetCellState(3, 2, 2);
  TVector means(nullptr);
  means.Resize(2);
  t.MeanCenterNumCellRows(&means);
  EXPECT_EQ(means.GetVal(1), 3.5);
  EXPECT_EQ(means.GetVal(2), 10.0);  // 60 is empty, 20 is not numeric
  EXPECT_EQ(t.NumericData()->GetVal(2, 1), 2 - 3.5);
  EXPECT_EQ(t.NumericData()->GetVal(2, 2), 20 - 10.0);
  EXPECT_EQ(t.NumericData()->GetVal(3, 2), 60.0);

  TDataTable s(nullptr);
  Fill(s, {{1, 4}, {2, 4}, {6, 4}});
  TVector sds(nullptr);
  sds.Resize(2);
  s.StandardizeNumCellRows(nullptr, &sds);
  const double sd = std::sqrt(((1 - 3.0) * (1 - 3.0) + 1 + 9) / 2);
  EXPECT_TRUE(RelNear(sds.GetVal(1), sd, kTol));
  EXPECT_TRUE(RelNear(s.NumericData()->GetVal(3, 1), 3 / sd, kTol));
  EXPECT_EQ(sds.GetVal(2), 0.0);
  EXPECT_EQ(s.NumericData()->GetVal(3, 2), 4.0);
}

TEST(TDataTableStats, DichotomousAndConstantColumns) {
  TDataTable t(nullptr);
  Fill(t, {{5, 5, 7, 5}, {5, 5, 5, 5}, {5, 7, 7, 9}});
  double v1 = -1, v2 = -1;
  EXPECT_TRUE(t.CheckDichotomousColumn(1, v1, v2));
  EXPECT_EQ(v1, 5.0);
  EXPECT_EQ(v2, 7.0);
  EXPECT_FALSE(t.CheckDichotomousColumn(2, v1, v2));
  EXPECT_EQ(v2, 0.0);
  EXPECT_FALSE(t.CheckDichotomousColumn(3, v1, v2));
  EXPECT_TRUE(t.IsConstantColumn(2));
  EXPECT_FALSE(t.IsConstantColumn(1));
  EXPECT_FALSE(t.IsConstantColumn(4));
  EXPECT_FALSE(t.IsConstantColumn(0));
  t.SetNrRows(1);
  EXPECT_FALSE(t.CheckDichotomousColumn(1, v1, v2));
  EXPECT_EQ(v1, 0.0);
}

TEST(TDataTableStats, CopyCellsToVectorSelectsValidCellsInBlockOrder) {
  TDataTable t(nullptr);
  Fill(t, {{1, 2, 3}, {4, 5, 6}});
  t.SetMScaleType(2, stNominal);  // any scale, values not rounded
  t.NumericData()->SetVal(2, 1, 4.5);
  t.SetCellState(1, 2, 2);
  t.SetCellState(2, 2, 64);
  t.SetCellState(2, 3, 64 | 1);
  TVector v(nullptr);
  EXPECT_EQ(t.CopyCellsToVector(0, 0, 0, 0, 255, &v), 4);
  ASSERT_EQ(v.NrOfElem(), 4);
  const double all[] = {1, 3, 4.5, 5};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(v.GetVal(i + 1), all[i]);
  EXPECT_EQ(t.CopyCellsToVector(2, 3, 1, 1, 64, &v), 1);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 5.0);
  EXPECT_EQ(t.CopyCellsToVector(0, 0, 0, 0, 128, &v), 0);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);  // nothing of the earlier copy is left
  EXPECT_EQ(t.CopyCellsToVector(0, 0, 0, 0, 255, nullptr), 0);
}

// Independent pairwise-deletion reference: the common valid rows of columns a and b collected
// first, then two-pass sums. Mode 1 centres on the mean of all valid cells of each column,
// taken as 0 for a column that is not interval or ratio.
double PairRef(const TDataTable& t, Integer a, Integer b, Integer lo, Integer hi, int Mode) {
  std::vector<double> x, y, xa, yb;
  for (Integer r = lo; r <= hi; ++r) {
    if (t.IsNumber(a, r)) xa.push_back(t.Elem(a, r));
    if (t.IsNumber(b, r)) yb.push_back(t.Elem(b, r));
    if (t.IsNumber(a, r) && t.IsNumber(b, r)) {
      x.push_back(t.Elem(a, r));
      y.push_back(t.Elem(b, r));
    }
  }
  const auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double e : v) s += e;
    return v.empty() ? 0.0 : s / static_cast<double>(v.size());
  };
  const auto numeric = [&](Integer c) {
    return t.MScaleType(c) == stInterval || t.MScaleType(c) == stRatio;
  };
  if (!numeric(a)) xa.clear();
  if (!numeric(b)) yb.clear();
  const double m = static_cast<double>(x.size());
  double s = 0;
  if (Mode == 0)
    for (std::size_t k = 0; k < x.size(); ++k) s += x[k] * y[k];
  if (Mode == 1)
    for (std::size_t k = 0; k < x.size(); ++k) s += (x[k] - mean(xa)) * (y[k] - mean(yb));
  if (Mode == 4)
    for (std::size_t k = 0; k < x.size(); ++k) s += (x[k] - y[k]) * (x[k] - y[k]);
  if (Mode == 0 || Mode == 1 || Mode == 4) return s / (m - 1);
  const double mx = mean(x), my = mean(y);
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    sxy += (x[k] - mx) * (y[k] - my);
    sxx += (x[k] - mx) * (x[k] - mx);
    syy += (y[k] - my) * (y[k] - my);
  }
  const double r = sxy / std::sqrt(sxx * syy);
  return Mode == 3 ? r * r : r;
}

TEST(TDataTableStats, CalcCovarUsesPairwiseCompleteRows) {
  test::HookGuard guard;
  TDataTable t(nullptr);
  Fill(t, {{9, 9, 9, 9, 9, 9},
           {0, 0, 0, 0, 0, 0},
           {2.0, 4.5, -1.0, 3.0, 8.0, 5.5},
           {1.0, 3.5, 0.5, 7.0, 6.0, 2.0},
           {3.4, 1.6, 2.5, 0.6, 4.4, 2.5}});
  t.SetMScaleType(5, stNominal);  // read rounded, validity alone decides
  t.SetCellState(3, 2, 2);
  t.SetCellState(4, 5, 1);
  t.SetCellState(5, 6, 2);
  t.SetCellState(4, 1, 64 | 32);  // marked and imputed: still valid
  t.SetCellState(1, 3, 2);        // column 1 is outside the range and must not matter
  TMatrix cov(nullptr);
  for (int mode = 0; mode <= 4; ++mode) {
    SCOPED_TRACE(mode);
    cov.ResizeAndClear(4, 4);
    cov.SetVal(4, 4, test::kSentinel);
    ProcStat = 0;
    ASSERT_TRUE(t.CalcCovar(&cov, 3, 5, 1, 6, mode));
    EXPECT_EQ(ProcStat.load(), mode > 0 ? 6.0 : 3.0);
    for (Integer i = 1; i <= 3; ++i)
      for (Integer j = 1; j <= 3; ++j) {
        const double ref =
            (i == j && (mode == 2 || mode == 3)) ? 1.0 : PairRef(t, i + 2, j + 2, 1, 6, mode);
        EXPECT_TRUE(RelNear(cov.GetVal(j, i), ref, kTol)) << i << "," << j;
      }
    EXPECT_EQ(cov.GetVal(4, 4), test::kSentinel);
  }
  // Identical columns with one cell made empty: r = 1 for every pair.
  TDataTable u(nullptr);
  Fill(u, {{1, 2, 4, 3}, {1, 2, 4, 3}});
  u.SetCellState(2, 3, 2);
  cov.ResizeAndClear(2, 2);
  EXPECT_TRUE(u.CalcCovar(&cov, 1, 2, 1, 4, 2));
  for (Integer i = 1; i <= 2; ++i)
    for (Integer j = 1; j <= 2; ++j) EXPECT_TRUE(RelNear(cov.GetVal(i, j), 1.0, kTol));
  // Fewer than three common rows give r = 0, fewer than two a covariance of 0.
  u.SetCellState(1, 1, 2);
  EXPECT_TRUE(u.CalcCovar(&cov, 1, 2, 2, 4, 2));
  EXPECT_EQ(cov.GetVal(1, 2), 0.0);
  EXPECT_TRUE(u.CalcCovar(&cov, 1, 2, 1, 2, 1));
  EXPECT_EQ(cov.GetVal(1, 2), 0.0);
  EXPECT_EQ(cov.GetVal(1, 1), 0.0);
  // Other modes write 0.
  EXPECT_TRUE(u.CalcCovar(&cov, 1, 2, 1, 4, 7));
  EXPECT_EQ(cov.GetVal(2, 2), 0.0);
}

int gStepsBeforeAbort = 0;
void AbortAfterSteps(double) {
  if (--gStepsBeforeAbort == 0) AbortMathProc = true;
}

TEST(TDataTableStats, CalcCovarRejectsSmallMatrixAndStopsOnAbort) {
  test::HookGuard guard;
  TDataTable t(nullptr);
  Fill(t, {{1, 2, 3}, {3, 1, 2}, {2, 2, 5}});
  TMatrix cov(nullptr);
  cov.Resize(3, 2);
  cov.Fill(test::kSentinel);
  AbortMathProc = true;
  EXPECT_FALSE(t.CalcCovar(&cov, 1, 3, 1, 3, 1));
  EXPECT_FALSE(AbortMathProc.load());  // reset even when refused
  EXPECT_EQ(cov.GetVal(1, 1), test::kSentinel);
  EXPECT_FALSE(t.CalcCovar(&cov, 2, 1, 1, 3, 1));  // reversed column range
  EXPECT_FALSE(t.CalcCovar(nullptr, 1, 1, 1, 3, 1));
  // Row bounds far outside the table are harmless.
  EXPECT_TRUE(t.CalcCovar(&cov, 1, 2, INT32_MIN, INT32_MAX, 0));
  EXPECT_TRUE(RelNear(cov.GetVal(2, 1), (3 + 2 + 6) / 2.0, kTol));

  cov.ResizeAndClear(3, 3);
  cov.Fill(test::kSentinel);
  gStepsBeforeAbort = 3 + 2;  // the three column means, then rows 1 and 2
  MathFeedBackProc = &AbortAfterSteps;
  EXPECT_FALSE(t.CalcCovar(&cov, 1, 3, 1, 3, 1));
  EXPECT_NE(cov.GetVal(2, 2), test::kSentinel);
  EXPECT_EQ(cov.GetVal(3, 3), test::kSentinel);
}

}  // namespace
}  // namespace nuv
