// Densities at large degrees of freedom, special and scalar functions at tiny arguments and near
// overflow, against values to 20 digits from tests/reference/extremes_reference.py (mpmath).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/scalar/NUV_math1.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

// The saddle-point forms keep all but a few ulps.
constexpr double kSaddleTol = 1e-13;
// Small parameters go through LnGamma, a six-term Lanczos sum good to about 2e-10.
constexpr double kLanczosTol = 5e-10;

struct Case {
  std::string Name;
  std::function<double()> Got;
  double Want, Tol;
};

TEST(Extremes, DensitiesAtAnyDegreesOfFreedom) {
  const std::vector<Case> cases = {
      {"t(0; 1e15)", [] { return tDistriDensity(0, 1e15); }, 0.3989422804014325782, kSaddleTol},
      {"t(1.3; 150)", [] { return tDistriDensity(1.3, 150); }, 0.17093322243428616643, kSaddleTol},
      {"t(2.5; 1e6)", [] { return tDistriDensity(2.5, 1e6); }, 0.017528412510179754106, kSaddleTol},
      {"t(0.7; 7)", [] { return tDistriDensity(0.7, 7); }, 0.29370813451916697598, kLanczosTol},
      {"chi2(1e14; 1e14)", [] { return Chi2DistriDensity(1e14, 1e14); }, 2.8209479177387767332e-8,
       kSaddleTol},
      {"chi2(120; 110)", [] { return Chi2DistriDensity(120, 110); }, 0.019867837042842409667,
       kSaddleTol},
      {"chi2(3.5; 4)", [] { return Chi2DistriDensity(3.5, 4); }, 0.15205220051913948585,
       kLanczosTol},
      {"F(1; 1e14, 1e14)", [] { return FDistriDensity(1, 1e14, 1e14); }, 1994711.4020071584029,
       kSaddleTol},
      {"F(0.8; 5, 300)", [] { return FDistriDensity(0.8, 5, 300); }, 0.71453474242893714722,
       kSaddleTol},
      {"F(1.2; 150, 90)", [] { return FDistriDensity(1.2, 150, 90); }, 1.1106587835654340798,
       kSaddleTol},
      {"F(2; 3, 8)", [] { return FDistriDensity(2, 3, 8); }, 0.14723572768942426391, kLanczosTol},
      {"Weibull(2; 2000, 2)", [] { return WeibullDensity(2, 2000, 2); }, 367.8794411714423216,
       1e-13},
      {"Weibull(1e-300; 2, 1e-300)", [] { return WeibullDensity(1e-300, 2, 1e-300); },
       7.3575888234288464319e+299, 1e-13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(RelNear(c.Got(), c.Want, c.Tol));
  }
  // the t density tends to the normal one
  EXPECT_TRUE(
      RelNear(tDistriDensity(1.0, 1e300), std::exp(-0.5) / std::sqrt(2 * std::numbers::pi), 1e-15));
}

TEST(Extremes, FunctionsAtTinyArgumentsAndNearOverflow) {
  const std::vector<Case> cases = {
      {"Erf(1e-200)", [] { return Erf(1e-200); }, 1.1283791670955125739e-200, 1e-15},
      {"Erf(0.3)", [] { return Erf(0.3); }, 0.32862675945912742764, 1e-15},
      {"FisherTransform(1e-20)", [] { return FisherTransform(1e-20); }, 1e-20, 1e-15},
      {"FisherTransformInv(1e-20)", [] { return FisherTransformInv(1e-20); }, 1e-20, 1e-15},
      {"sinh(1e-20)", [] { return nuv::sinh(1e-20); }, 1e-20, 1e-15},
      {"sinh(710)", [] { return nuv::sinh(710); }, 1.1169973830808555156e+308, 1e-13},
      {"tgh(1e-20)", [] { return tgh(1e-20); }, 1e-20, 1e-15},
      {"LnGamma(2.557e305)", [] { return LnGamma(2.557e305); }, 1.795595175568123558e+308, 1e-15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_TRUE(RelNear(c.Got(), c.Want, c.Tol));
  }
  EXPECT_EQ(nuv::sinh(-1e-20), -1e-20);
  // zero high coefficients at a large argument: Horner's scheme forms no ∞·0
  const double coeffs[] = {3, 0, 0, 0};
  EXPECT_EQ(Polynomial(coeffs, 3, 1e120), 3.0);
  EXPECT_EQ(CenteredPolynomial(coeffs, 3, 0.0, 1e120), 3.0);
  // halfway between the ends of the double range
  const double table[] = {1e308, -1e308};
  EXPECT_EQ(InterpolTable(0.5, 0.0, 1.0, std::span<const double>(table)), 0.0);
  const TDouble2DArray xy{{0.0, 1.0}, {1e308, -1e308}};
  EXPECT_EQ(InterpolXYTable(0.5, xy), 0.0);
}

}  // namespace
}  // namespace nuv
