#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using test::RelNear;

// Samples y(k) = f(k) for k = 1..n.
std::unique_ptr<TVector> Sampled(Integer n, const std::function<double(double)>& f) {
  auto v = std::make_unique<TVector>(nullptr);
  v->SetVecSize(n);
  for (Integer k = 1; k <= n; ++k) v->SetVal(k, f(k));
  return v;
}

constexpr TIntegMethod kAll[] = {imSimple, imTrapezoidal, imSimpson};
// Sums of a handful of exactly representable terms: a few ulps at most.
constexpr double kTol = 1e-14;

TEST(TVectorIntegrate, ConstantAndLinearSamplesEveryMethod) {
  auto c = Sampled(5, [](double) { return 2.5; });
  auto lin = Sampled(5, [](double k) { return k; });
  for (TIntegMethod m : kAll) {
    SCOPED_TRACE(static_cast<int>(m));
    EXPECT_TRUE(RelNear(c->Integrate(1, 5, m), 4 * 2.5, kTol));
    EXPECT_TRUE(RelNear(c->Integrate(1.25, 2.75, m), 1.5 * 2.5, kTol));
    EXPECT_TRUE(RelNear(lin->Integrate(1, 5, m), 12.0, kTol));
    // Reverse order and clamping.
    EXPECT_EQ(lin->Integrate(5, 1, m), lin->Integrate(1, 5, m));
    EXPECT_EQ(lin->Integrate(-10, 100, m), lin->Integrate(1, 5, m));
    EXPECT_EQ(lin->Integrate(-10, -3, m), 0.0);
  }
}

TEST(TVectorIntegrate, PartialIntervalsAreExactForLinearSamples) {
  auto lin = Sampled(9, [](double k) { return 3 * k - 1; });
  auto exact = [](double a, double b) { return 1.5 * (b * b - a * a) - (b - a); };
  for (double lo : {1.0, 1.3, 2.5, 4.75}) {
    for (double hi : {4.9, 5.0, 6.2, 8.6, 9.0}) {
      SCOPED_TRACE(lo * 100 + hi);
      EXPECT_TRUE(RelNear(lin->Integrate(lo, hi, imTrapezoidal), exact(lo, hi), kTol));
      EXPECT_TRUE(RelNear(lin->Integrate(lo, hi, imSimpson), exact(lo, hi), kTol));
    }
  }
  // Both bounds inside one interval.
  EXPECT_TRUE(RelNear(lin->Integrate(2.1, 2.7, imTrapezoidal), exact(2.1, 2.7), kTol));
  EXPECT_TRUE(RelNear(lin->Integrate(2.7, 2.1, imSimpson), exact(2.1, 2.7), kTol));
}

TEST(TVectorIntegrate, SimpsonRulesMatchClosedForms) {
  // n = 4 uses the five-point rule: exact up to degree 5.
  auto sq = Sampled(5, [](double k) { return k * k; });
  EXPECT_TRUE(RelNear(sq->Integrate(1, 5, imSimpson), 124.0 / 3.0, kTol));
  auto quint = Sampled(5, [](double k) { return std::pow(k, 5); });
  EXPECT_TRUE(RelNear(quint->Integrate(1, 5, imSimpson), (15625.0 - 1.0) / 6.0, kTol));
  // n = 2 (Simpson), 3 (three-eighths) and the extended weights for n >= 5: exact for cubics.
  auto cube = [](double k) { return k * k * k - 2 * k; };
  auto cubeInt = [](double a, double b) {
    return (b * b * b * b - a * a * a * a) / 4 - (b * b - a * a);
  };
  for (Integer n : {3, 4, 6, 7, 8, 12, 31}) {
    SCOPED_TRACE(n);
    auto v = Sampled(n, cube);
    EXPECT_TRUE(RelNear(v->Integrate(1, n, imSimpson), cubeInt(1, n), kTol));
  }
  // n = 1: one trapezoid.
  auto two = Sampled(2, cube);
  EXPECT_EQ(two->Integrate(1, 2, imSimpson), (cube(1) + cube(2)) / 2);
}

TEST(TVectorIntegrate, SimpleRuleAveragesTheInnerSamples) {
  auto sq = Sampled(6, [](double k) { return k * k; });
  // Samples 2..4 inside 1.5..4.5: their mean 29/3 times the width 3.
  EXPECT_TRUE(RelNear(sq->Integrate(1.5, 4.5, imSimple), 29.0, kTol));
  // Inside one interval: the mean of its two end samples times the width.
  EXPECT_TRUE(RelNear(sq->Integrate(2.1, 2.3, imSimple), 6.5 * 0.2, kTol));
  EXPECT_TRUE(RelNear(sq->Integrate(2.1, 2.3, imTrapezoidal), 5.0 * 0.2, kTol));
}

TEST(TVectorIntegrate, UnknownMethodNanBoundsAndNoEvent) {
  auto v = Sampled(4, [](double k) { return k; });
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_EQ(v->Integrate(1, 4, static_cast<TIntegMethod>(3)), 0.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(v->Integrate(nan, 3, imSimpson)));
  EXPECT_TRUE(std::isnan(v->Integrate(1, nan, imSimple)));
  EXPECT_EQ(v->Integrate(-inf, inf, imTrapezoidal), 7.5);
  EXPECT_EQ(rec.Changes, 0);
  auto one = Sampled(1, [](double) { return 5.0; });
  for (TIntegMethod m : kAll) EXPECT_EQ(one->Integrate(0, 3, m), 0.0);
}

}  // namespace
}  // namespace nuv
