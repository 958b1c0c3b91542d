// Vector statistics of data in any unit: results that do not depend on the scale stay the same
// for data multiplied by any factor, results that scale with the data scale exactly.
#include <cmath>
#include <memory>
#include <vector>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::kSeriesCorr;
using test::kSeriesX;
using test::kSeriesY;
using test::RelNear;
using test::ScaleFactors;

// Skewness and excess kurtosis of kS (population moments over the sample deviation), exact
// rational arithmetic.
const std::vector<double> kS{1, 2, 3, 10, 4};
constexpr double kSkewS = 0.8145870119269027;
constexpr double kKurtS = -1.21568;

std::unique_ptr<TVector> Vec(const std::vector<double>& v, double f) {
  auto r = std::make_unique<TVector>(nullptr);
  r->SetVecSize(static_cast<Integer>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) r->SetVal(static_cast<Integer>(i + 1), v[i] * f);
  return r;
}

TEST(VectorScale, InvariantResultsHoldAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    auto x = Vec(kSeriesX, f), y = Vec(kSeriesY, f), y1 = Vec(kSeriesY, 1.0);
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y.get()), kSeriesCorr, kScaleTol));
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y1.get()), kSeriesCorr, kScaleTol));  // mixed units
    double skew = 0, kurt = 0;
    auto s = Vec(kS, f);
    s->SkewKurt(0, 0, skew, kurt);
    EXPECT_TRUE(RelNear(skew, kSkewS, kScaleTol));
    EXPECT_TRUE(RelNear(kurt, kKurtS, kScaleTol));
    // z-scores are those of the unscaled data
    auto z = Vec(kS, f), z1 = Vec(kS, 1.0);
    double m = 0, sd = 0, m1 = 0, sd1 = 0;
    z->Standardize(m, sd);
    z1->Standardize(m1, sd1);
    EXPECT_TRUE(RelNear(m, m1 * f, kScaleTol));
    EXPECT_TRUE(RelNear(sd, sd1 * f, kScaleTol));
    // z-scores are of order 1 and one of them 0: compared absolutely
    for (Integer i = 1; i <= 5; ++i) EXPECT_NEAR(z->GetVal(i), z1->GetVal(i), kScaleTol);
  }
}

TEST(VectorScale, ScalingResultsScaleExactly) {
  auto s1 = Vec(kS, 1.0);
  double mean1 = 0, var1 = 0;
  s1->MeanVar(0, 0, mean1, var1);
  const double h1 = 5.0 / (1 + 0.5 + 1.0 / 3 + 0.1 + 0.25);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    auto a = Vec({0, 0}, f), b = Vec({3, 4}, f);
    EXPECT_TRUE(RelNear(a->EuclideanDistance(b.get()), 5 * f, kScaleTol));
    auto s = Vec(kS, f);
    double mean = 0, var = 0;
    s->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(mean, mean1 * f, kScaleTol));
    // The variance itself may leave the double range; where it is representable it scales.
    if (std::fabs(f) < 1e150 && std::fabs(f) > 1e-150) {
      EXPECT_TRUE(RelNear(var, var1 * f * f, kScaleTol));
    }
    EXPECT_TRUE(RelNear(s->HarmonicMean(0, 0), h1 * f, kScaleTol));
  }
}

TEST(VectorScale, MeansAtTheEndsOfTheRange) {
  auto big = Vec({1e308, 1e308, 1e308}, 1.0);
  double mean = 0, var = -1;
  big->MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 1e308);
  EXPECT_EQ(var, 0.0);
  auto two = Vec({1.5e308, 1.7e308}, 1.0);  // fewer than three: the mean alone
  two->MeanVar(0, 0, mean, var);
  EXPECT_TRUE(RelNear(mean, 1.6e308, 1e-15));
  // the reciprocals of subnormal values overflow; the harmonic mean 3 / 2.5e310 does not
  auto tiny = Vec({1e-310, 1e-310, 2e-310}, 1.0);
  EXPECT_TRUE(RelNear(tiny->HarmonicMean(0, 0), 1.2e-310, 1e-10));
  auto huge = Vec({1e308, 1e308, 1e308}, 1.0);  // reciprocals subnormal
  EXPECT_TRUE(RelNear(huge->HarmonicMean(0, 0), 1e308, 1e-14));
  // The deviations of values of opposite sign near the top do not overflow either.
  auto wide = Vec({-1.5e308, 0, 1.5e308}, 1.0);
  double m = 0, sd = 0;
  wide->Standardize(m, sd);
  EXPECT_EQ(m, 0.0);
  EXPECT_TRUE(RelNear(sd, 1.5e308, 1e-15));  // though the variance and the range overflow
  EXPECT_TRUE(RelNear(wide->GetVal(1), -1.0, 1e-15));
  EXPECT_TRUE(RelNear(wide->GetVal(3), 1.0, 1e-15));
}

TEST(VectorScale, DeviationsOfDataFarFromZeroAreOffsetFree) {
  // exact doubles: an offset plus small integers, where the mean itself rounds
  const double off = 4.5e15;
  std::vector<double> v{1, 2, 3, 10, 4, 7, 2};
  std::vector<double> w;
  for (double e : v) w.push_back(off + e);
  auto x = Vec(w, 1.0), x0 = Vec(v, 1.0);
  double skew = 0, kurt = 0, skew0 = 0, kurt0 = 0;
  x->SkewKurt(0, 0, skew, kurt);
  x0->SkewKurt(0, 0, skew0, kurt0);
  EXPECT_TRUE(RelNear(skew, skew0, 1e-9));
  EXPECT_TRUE(RelNear(kurt, kurt0, 1e-9));
  x->SkewKurtSample(0, 0, skew, kurt);
  x0->SkewKurtSample(0, 0, skew0, kurt0);
  EXPECT_TRUE(RelNear(skew, skew0, 1e-9));
  EXPECT_TRUE(RelNear(kurt, kurt0, 1e-9));

  auto c = Vec(w, 1.0), c0 = Vec(v, 1.0);
  c->MeanCenter();
  c0->MeanCenter();
  double sum = 0;
  for (Integer i = 1; i <= 7; ++i) {
    EXPECT_TRUE(RelNear(c->GetVal(i), c0->GetVal(i), 1e-9));
    sum += c->GetVal(i);
  }
  EXPECT_LT(std::fabs(sum), 1e-12);
  auto z = Vec(w, 1.0), z0 = Vec(v, 1.0);
  double m = 0, sd = 0;
  z->Standardize(m, sd);
  z0->Standardize(m, sd);
  for (Integer i = 1; i <= 7; ++i) EXPECT_TRUE(RelNear(z->GetVal(i), z0->GetVal(i), 1e-9));
}

}  // namespace
}  // namespace nuv
