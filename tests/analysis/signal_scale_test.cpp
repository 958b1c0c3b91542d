// Filters, integrals, spectra and rank statistics of samples in any unit: outputs scale with
// the samples exactly, rank statistics stay.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "nuv/analysis/NUV_fourier.hpp"
#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::RelNear;
using test::ScaleFactors;

using TFilter = void (*)(TVector*, Integer, Integer, TVector*, Integer);

// A smooth curve with a bump, so that every filter and derivative has work to do.
double Sample(int i) {
  return 3.0 + 0.02 * i * i - std::sin(0.3 * i);
}

TEST(SignalScale, WindowFiltersScaleWithTheSamples) {
  const std::pair<const char*, TFilter> filters[] = {
      {"MovingAverageSmooth", MovingAverageSmooth},
      {"MovingMedianSmooth", MovingMedianSmooth},
      {"WeightedAverageSmooth", WeightedAverageSmooth},
      {"PolynomialSmooth", PolynomialSmooth},
      {"SecondDeriv", SecondDeriv},
      {"FirstDeriv", FirstDeriv}};
  // The scale factors, and the top of the range, where sums of samples overflow.
  std::vector<double> factors = ScaleFactors();
  factors.push_back(1e306);
  for (const auto& [name, filter] : filters) {
    TVector src1(nullptr), out1(nullptr);
    src1.SetVecSize(30);
    out1.SetVecSize(30);
    for (Integer i = 1; i <= 30; ++i) src1.SetVal(i, Sample(i));
    filter(&src1, 1, 30, &out1, 7);
    for (double f : factors) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(f));
      TVector src(nullptr), out(nullptr);
      src.SetVecSize(30);
      out.SetVecSize(30);
      for (Integer i = 1; i <= 30; ++i) src.SetVal(i, Sample(i) * f);
      filter(&src, 1, 30, &out, 7);
      for (Integer i = 1; i <= 30; ++i) {
        const double want = out1.GetVal(i) * f;
        if (std::fabs(want) > 1e-300) {
          EXPECT_TRUE(RelNear(out.GetVal(i), want, kScaleTol));
        }
      }
    }
  }
}

TEST(SignalScale, IntegralsScaleWithTheSamples) {
  TVector v1(nullptr);
  v1.SetVecSize(9);
  for (Integer i = 1; i <= 9; ++i) v1.SetVal(i, Sample(i));
  for (TIntegMethod m : {imSimple, imTrapezoidal, imSimpson}) {
    const double ref = v1.Integrate(1.5, 8.7, m);
    for (double f : ScaleFactors()) {
      SCOPED_TRACE(f);
      TVector v(nullptr);
      v.SetVecSize(9);
      for (Integer i = 1; i <= 9; ++i) v.SetVal(i, Sample(i) * f);
      EXPECT_TRUE(RelNear(v.Integrate(1.5, 8.7, m), ref * f, kScaleTol));
    }
  }
  TVector top(nullptr);
  top.SetVecSize(2);
  top.SetVal(1, 1e308);
  top.SetVal(2, 1e308);
  EXPECT_TRUE(RelNear(top.Integrate(1, 2, imTrapezoidal), 1e308, 1e-15));
}

TEST(SignalScale, SpectrumMagnitudesScaleWithTheSignal) {
  // 1.5 + 2 cos(2π·8j/64): magnitude 2 on line 8, 1.5 on line 0
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TFastFourier ft(nullptr);
    ft.SetSpectrumSize(64);
    for (Integer j = 1; j <= 64; ++j) {
      ft.SetRealSpec(j, (1.5 + 2 * std::cos(2 * std::numbers::pi * 8 * (j - 1) / 64)) * f);
    }
    ft.Transform();
    EXPECT_TRUE(RelNear(ft.Magnitude(8), 2 * f, kScaleTol));
    EXPECT_TRUE(RelNear(ft.Magnitude(0), 1.5 * f, kScaleTol));
    EXPECT_TRUE(RelNear(ft.MagniMax(), 2 * f, kScaleTol));
    // Parseval: the root mean square of the samples, sqrt(1.5² + 2²/2)
    EXPECT_TRUE(RelNear(ft.RMS(0, 32), std::sqrt(1.5 * 1.5 + 2.0) * f, kScaleTol));
  }
}

TEST(SignalScale, RankCorrelationsAtEveryScale) {
  const std::vector<double> x{1, 2, 3, 4, 5, 6, 7, 9}, y{2, 1, 4, 3, 6, 5, 8, 7};
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TCurveFit fit(nullptr);
    for (std::size_t i = 0; i < x.size(); ++i) fit.EnterStatValue(x[i] * f, y[i] * f);
    double p = 0;
    // 24 concordant and 4 discordant of 28 pairs
    EXPECT_TRUE(RelNear(fit.KendallsTau(p), 20.0 / 28.0, kScaleTol));
    EXPECT_TRUE(RelNear(fit.GetKruskalGamma(), 20.0 / 28.0, kScaleTol));
    EXPECT_GE(p, 0.0);
    EXPECT_LE(p, 1.0);
  }
  TCurveFit none(nullptr);  // no association at all: tau 0, p within [0, 1]
  for (double v : {1.0, 2.0, 3.0, 4.0}) none.EnterStatValue(v, v == 2.0 || v == 3.0 ? 1.0 : 0.0);
  double p = -1;
  none.KendallsTau(p);
  EXPECT_LE(p, 1.0);
}

}  // namespace
}  // namespace nuv
