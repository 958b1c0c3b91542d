// Matrix, 4D-array and data-table statistics of data in any unit: invariant results stay, the
// others scale exactly; standardising sizes its output vectors to the matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nuv/datatable/TDataTable.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::kSeriesCorr;
using test::kSeriesX;
using test::kSeriesY;
using test::RelNear;
using test::ScaleFactors;

void Fill(TMatrix& m, double f) {
  m.Resize(2, 8);
  for (Integer r = 1; r <= 8; ++r) {
    m.SetVal(1, r, kSeriesX[static_cast<std::size_t>(r - 1)] * f);
    m.SetVal(2, r, kSeriesY[static_cast<std::size_t>(r - 1)] * f);
  }
}

TEST(MatrixScale, CorrelationsDistancesAndMomentsAtEveryScale) {
  TMatrix m1(nullptr);
  Fill(m1, 1);
  double mean1 = 0, var1 = 0, skew1 = 0, kurt1 = 0;
  m1.MeanVar(1, 1, 1, 8, mean1, var1);
  m1.SkewKurt(1, 1, 1, 8, skew1, kurt1);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix m(nullptr), x(nullptr), y(nullptr);
    Fill(m, f);
    x.Resize(1, 8);
    y.Resize(1, 8);
    for (Integer r = 1; r <= 8; ++r) {
      x.SetVal(1, r, m.GetVal(1, r));
      y.SetVal(1, r, m.GetVal(2, r));
    }
    EXPECT_TRUE(RelNear(x.Correlate(&y), kSeriesCorr, kScaleTol));
    double mean = 0, var = 0, skew = 0, kurt = 0;
    m.MeanVar(1, 1, 1, 8, mean, var);
    EXPECT_TRUE(RelNear(mean, mean1 * f, kScaleTol));
    if (std::fabs(f) < 1e150 && std::fabs(f) > 1e-150) {
      EXPECT_TRUE(RelNear(var, var1 * f * f, kScaleTol));
    }
    m.SkewKurt(1, 1, 1, 8, skew, kurt);
    EXPECT_TRUE(RelNear(skew, skew1, kScaleTol));
    EXPECT_TRUE(RelNear(kurt, kurt1, kScaleTol));
    // rows (0, 0), (3, 4) and an identical pair
    TMatrix p(nullptr);
    p.Resize(2, 3);
    p.SetVal(1, 2, 3 * f);
    p.SetVal(2, 2, 4 * f);
    p.SetVal(1, 3, 3 * f);
    p.SetVal(2, 3, 4 * f);
    EXPECT_TRUE(RelNear(p.DistanceOfObjects(dmEuclid, 1, 2), 5 * f, kScaleTol));
    EXPECT_TRUE(RelNear(p.DistanceOfObjects(dmManhattan, 1, 2), 7 * f, kScaleTol));
    EXPECT_EQ(p.DistanceOfObjects(dmJaccard, 2, 3), 1.0);
    EXPECT_EQ(p.DistanceOfObjects(dmDice, 2, 3), 1.0);
    TMatrix d(nullptr);
    d.Resize(3, 3);
    ASSERT_EQ(p.CalcDistMat(dmEuclid, &d), 0);
    EXPECT_TRUE(RelNear(d.GetVal(2, 1), 5 * f, kScaleTol));
    EXPECT_EQ(d.GetVal(2, 3), 0.0);
  }
}

TEST(MatrixScale, StandardizedColumnsAndRowsAtEveryScale) {
  TMatrix m1(nullptr);
  Fill(m1, 1);
  m1.StandardizeColumns(nullptr, nullptr);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix m(nullptr);
    Fill(m, f);
    TVector means(nullptr), sds(nullptr);  // one element: sized to the columns
    m.StandardizeColumns(&means, &sds);
    ASSERT_EQ(means.NrOfElem(), 2);
    ASSERT_EQ(sds.NrOfElem(), 2);
    EXPECT_TRUE(RelNear(means.GetVal(2), 4.5 * f, kScaleTol));
    EXPECT_TRUE(RelNear(sds.GetVal(2), std::sqrt(6.0) * f, kScaleTol));
    for (Integer r = 1; r <= 8; ++r) {
      for (Integer c = 1; c <= 2; ++c) EXPECT_NEAR(m.GetVal(c, r), m1.GetVal(c, r), kScaleTol);
    }
  }
  TMatrix rows(nullptr);
  rows.Resize(3, 4);
  TVector means(nullptr), sds(nullptr);
  rows.StandardizeRows(&means, &sds);
  EXPECT_EQ(means.NrOfElem(), 4);
  EXPECT_EQ(sds.NrOfElem(), 4);
}

TEST(MatrixScale, DeviationsFarFromZeroAreOffsetFree) {
  TMatrix m(nullptr), m0(nullptr);
  Fill(m, 1);
  Fill(m0, 1);
  for (Integer r = 1; r <= 8; ++r) m.SetVal(1, r, m.GetVal(1, r) + 4.5e15);
  TVector means(nullptr);
  m.MeanCenterColumns(&means);
  m0.MeanCenterColumns(nullptr);
  double sum = 0;
  for (Integer r = 1; r <= 8; ++r) {
    EXPECT_TRUE(RelNear(m.GetVal(1, r), m0.GetVal(1, r), 1e-9));
    sum += m.GetVal(1, r);
  }
  EXPECT_EQ(sum, 0.0);
}

TEST(MatrixScale, LayerDeviationsAndBoxMomentsAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMat4D a(nullptr);
    a.Resize(1, 1, 2, 1);
    a.SetVal(1, 1, 1, 1, 1 * f);
    a.SetVal(1, 1, 2, 1, 3 * f);
    TMatrix sd(nullptr);
    a.StdDevOfLayersToMatrix(&sd, 1, 1, 1, 1, 1, 2, 1, 1);
    EXPECT_TRUE(RelNear(sd.GetVal(1, 1), f, kScaleTol));  // population deviation of {1, 3}
    TMat4D b(nullptr);
    b.Resize(1, 1, 3, 1);
    for (Integer l = 1; l <= 3; ++l) b.SetVal(1, 1, l, 1, l * f);
    double mean = 0, var = 0;
    b.MeanVar(1, 1, 1, 1, 1, 3, 1, 1, mean, var);
    EXPECT_TRUE(RelNear(mean, 2 * f, kScaleTol));
  }
  TMat4D top(nullptr);
  top.Resize(1, 1, 3, 1);
  for (Integer l = 1; l <= 3; ++l) top.SetVal(1, 1, l, 1, 1e308);
  double mean = 0, var = -1;
  top.MeanVar(1, 1, 1, 1, 1, 3, 1, 1, mean, var);
  EXPECT_EQ(mean, 1e308);
  EXPECT_EQ(var, 0.0);
}

TEST(MatrixScale, DataTableStatisticsAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TDataTable t(nullptr);
    t.Resize(3, 8);
    for (Integer r = 1; r <= 8; ++r) {
      t.SetElem(1, r, kSeriesX[static_cast<std::size_t>(r - 1)] * f);
      t.SetElem(2, r, kSeriesY[static_cast<std::size_t>(r - 1)] * f);
      t.SetElem(3, r, kSeriesY[static_cast<std::size_t>(r - 1)]);
    }
    double mean = 0, var = 0;
    t.MeanVarOfNumCells(2, 1, 2, 8, mean, var);
    EXPECT_TRUE(RelNear(mean, 4.5 * f, kScaleTol));
    TMatrix res(nullptr);
    res.Resize(2, 2);
    ASSERT_TRUE(t.CalcCovar(&res, 1, 2, 1, 8, 2));
    EXPECT_TRUE(RelNear(res.GetVal(1, 2), kSeriesCorr, kScaleTol));
    Integer n = 0;
    EXPECT_TRUE(RelNear(t.HarmonicMeanOfNumCells(2, 1, 2, 8, n),
                        8 / (1 + 0.5 + 1.0 / 3 + 0.25 + 0.2 + 1.0 / 6 + 0.125 + 1.0 / 7) * f,
                        kScaleTol));
    TVector means(nullptr), sds(nullptr);  // default size: sized to the table's columns
    t.StandardizeNumCellColumns(&means, &sds);
    ASSERT_EQ(means.NrOfElem(), 3);
    ASSERT_EQ(sds.NrOfElem(), 3);
    EXPECT_TRUE(RelNear(sds.GetVal(2), std::sqrt(6.0) * f, kScaleTol));
    EXPECT_TRUE(RelNear(sds.GetVal(3), std::sqrt(6.0), kScaleTol));
    EXPECT_NEAR(t.NumericData()->GetVal(2, 1), t.NumericData()->GetVal(3, 1), kScaleTol);
  }
}

}  // namespace
}  // namespace nuv
