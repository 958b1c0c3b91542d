// Covariances, principal components, Mahalanobis distances, curve-fit statistics and the tests
// that standardise, for data in any unit and far from zero.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::kSeriesCorr;
using test::kSeriesX;
using test::kSeriesY;
using test::RelNear;
using test::ScaleFactors;

void Columns(TMatrix& m, double fx, double fy) {
  m.Resize(2, 8);
  for (Integer r = 1; r <= 8; ++r) {
    m.SetVal(1, r, kSeriesX[static_cast<std::size_t>(r - 1)] * fx);
    m.SetVal(2, r, kSeriesY[static_cast<std::size_t>(r - 1)] * fy);
  }
}

// A cell that scales as f^p: compared where the scaled value is a normal double.
void ExpectScaled(double got, double unscaled, double f, int p) {
  const double want = unscaled * std::pow(f, p);
  if (std::isfinite(want) && std::fabs(want) > 1e-300) {
    EXPECT_TRUE(RelNear(got, want, kScaleTol));
  } else if (std::isinf(want)) {
    EXPECT_TRUE(std::isinf(got));
  }
}

TEST(AnalysisScale, CovarianceModesAtEveryScale) {
  TMatrix d1(nullptr), r1[5] = {TMatrix(nullptr), TMatrix(nullptr), TMatrix(nullptr),
                                TMatrix(nullptr), TMatrix(nullptr)};
  Columns(d1, 1, 1);
  for (Integer mode = 0; mode <= 4; ++mode) {
    r1[mode].Resize(2, 2);
    ASSERT_TRUE(CalcCovar(&d1, &r1[mode], 0, 0, 1, 8, mode));
  }
  EXPECT_TRUE(RelNear(r1[2].GetVal(1, 2), kSeriesCorr, 1e-15));
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    for (double g : {f, 1.0}) {  // both columns scaled, and one only
      TMatrix d(nullptr);
      Columns(d, f, g);
      for (Integer mode = 0; mode <= 4; ++mode) {
        SCOPED_TRACE(mode);
        if (mode == 4 && g != f) continue;  // differences of columns in two units mean nothing
        TMatrix r(nullptr);
        r.Resize(2, 2);
        ASSERT_TRUE(CalcCovar(&d, &r, 0, 0, 1, 8, mode));
        if (mode == 2 || mode == 3) {
          for (Integer i = 1; i <= 2; ++i) {
            for (Integer j = 1; j <= 2; ++j) {
              EXPECT_TRUE(RelNear(r.GetVal(i, j), r1[mode].GetVal(i, j), kScaleTol));
            }
          }
        } else {
          ExpectScaled(r.GetVal(1, 1), r1[mode].GetVal(1, 1), f, 2);
          ExpectScaled(r.GetVal(2, 2), r1[mode].GetVal(2, 2), g, 2);
          if (f == g) ExpectScaled(r.GetVal(1, 2), r1[mode].GetVal(1, 2), f, 2);
        }
      }
    }
  }
}

TEST(AnalysisScale, PrincipalComponentsAtEveryScale) {
  TMatrix d1(nullptr);
  Columns(d1, 1, 1);
  ASSERT_TRUE(CalcPrincComp(&d1, 0, 0, 1, 8, 1, false));
  const double ev1[2] = {GetEigenResult(1, 0), GetEigenResult(2, 0)};
  const double v1 = GetEigenResult(1, 1), v2 = GetEigenResult(1, 2);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix d(nullptr);
    Columns(d, f, f);
    ASSERT_TRUE(CalcPrincComp(&d, 0, 0, 1, 8, 1, false));
    ExpectScaled(GetEigenResult(1, 0), ev1[0], f, 2);
    ExpectScaled(GetEigenResult(2, 0), ev1[1], f, 2);
    EXPECT_TRUE(RelNear(std::fabs(GetEigenResult(1, 1)), std::fabs(v1), kScaleTol));
    EXPECT_TRUE(RelNear(std::fabs(GetEigenResult(1, 2)), std::fabs(v2), kScaleTol));
    ASSERT_TRUE(CalcPrincComp(&d, 0, 0, 1, 8, 1, true));
    EXPECT_TRUE(RelNear(GetEigenResult(1, 0), ev1[0] / (ev1[0] + ev1[1]), kScaleTol));
  }
  RemoveEigenMatrix();
}

TEST(AnalysisScale, MahalanobisDistanceScalesWithTheDifference) {
  TMatrix id(nullptr);
  id.Resize(3, 3);
  for (Integer i = 1; i <= 3; ++i) id.SetVal(i, i, 1.0);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TVector x(nullptr), y(nullptr);
    x.SetVecSize(3);
    y.SetVecSize(3);
    x.SetVal(1, 1 * f);
    x.SetVal(2, 2 * f);
    EXPECT_TRUE(RelNear(MahalanobisDistance(&x, &y, &id), std::sqrt(5.0) * f, kScaleTol));
  }
}

TEST(AnalysisScale, CurveFitStatisticsAtEveryScale) {
  TCurveFit fit1(nullptr);
  for (std::size_t i = 0; i < kSeriesX.size(); ++i) fit1.EnterStatValue(kSeriesX[i], kSeriesY[i]);
  double k1 = 0, d1 = 0, q1 = 0;
  fit1.CalcLinFit(k1, d1, q1);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TCurveFit fit(nullptr);
    for (std::size_t i = 0; i < kSeriesX.size(); ++i)
      fit.EnterStatValue(kSeriesX[i], kSeriesY[i] * f);
    EXPECT_TRUE(RelNear(fit.CorrCoeff(), kSeriesCorr, kScaleTol));
    ExpectScaled(fit.StdDevY(), fit1.StdDevY(), f, 1);
    double k = 0, d = 0, q = 0;
    fit.CalcLinFit(k, d, q);
    ExpectScaled(k, k1, f, 1);
    ExpectScaled(d, d1, f, 1);
    EXPECT_TRUE(RelNear(q, q1, kScaleTol));
  }
}

TEST(AnalysisScale, TestsThatStandardiseAtEveryScaleAndOffset) {
  const std::vector<double> v{2, 3, 3, 4, 5, 4, 3, 2, 14, 3, 4};
  auto make = [&](double f, double off) {
    auto x = std::make_unique<TVector>(nullptr);
    x->SetVecSize(static_cast<Integer>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) {
      x->SetVal(static_cast<Integer>(i + 1), off + v[i] * f);
    }
    return x;
  };
  double g1 = 0;
  EXPECT_EQ(GrubbsTest(make(1, 0).get(), 0.05, g1), 9);
  const double d1 = PerformLillieforsTest(make(1, 0).get(), false);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    double g = 0;
    EXPECT_EQ(GrubbsTest(make(f, 0).get(), 0.05, g), 9);
    EXPECT_TRUE(RelNear(g, g1, kScaleTol));
    EXPECT_TRUE(RelNear(PerformLillieforsTest(make(f, 0).get(), false), d1, kScaleTol));
  }
  // exact doubles far from zero, where the mean itself rounds: the offset-free statistics
  double g = 0;
  GrubbsTest(make(1, 4.5e15).get(), 0.05, g);
  EXPECT_TRUE(RelNear(g, g1, 1e-9));
  EXPECT_TRUE(RelNear(PerformLillieforsTest(make(1, 4.5e15).get(), false), d1, 1e-9));
}

}  // namespace
}  // namespace nuv
