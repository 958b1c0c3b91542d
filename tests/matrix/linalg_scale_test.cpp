// Norms, singular values, determinants, pseudo-inverses and least squares of matrices in any
// unit: they scale exactly with the data, and no decomposition reports success with NaN.
#include <gtest/gtest.h>

#include <cmath>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::RelNear;
using test::ScaleFactors;

// [[1, -2], [3, 4]]: singular values sqrt(15 ± sqrt(125)), Frobenius norm sqrt(30),
// determinant 10.
void Fill(TMatrix& a, double f) {
  a.Resize(2, 2);
  a.SetVal(1, 1, 1 * f);
  a.SetVal(2, 1, -2 * f);
  a.SetVal(1, 2, 3 * f);
  a.SetVal(2, 2, 4 * f);
}

TEST(LinalgScale, NormsAndDeterminantScaleExactly) {
  const double spectral = std::sqrt(15 + std::sqrt(125.0));
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix a(nullptr);
    Fill(a, f);
    EXPECT_TRUE(RelNear(a.Norm(ntFrobenius), std::sqrt(30.0) * f, kScaleTol));
    EXPECT_TRUE(RelNear(a.Norm(ntSpectral), spectral * f, kScaleTol));
    if (std::fabs(f) < 1e150 && std::fabs(f) > 1e-150) {
      EXPECT_TRUE(RelNear(a.Determinant(), 10 * f * f, kScaleTol));
    }
  }
  TMatrix d(nullptr);
  d.Resize(3, 3);
  d.SetVal(1, 1, 1e300);
  d.SetVal(2, 2, 1e10);
  d.SetVal(3, 3, 1e-90);
  EXPECT_TRUE(RelNear(d.Determinant(), 1e220, 1e-14));
}

TEST(LinalgScale, PseudoInverseAndLeastSquaresAtEveryScale) {
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix a(nullptr), p(nullptr);
    Fill(a, f);
    ASSERT_TRUE(PseudoInverse(&a, p, 0.0));
    // the inverse of [[1, -2], [3, 4]] is [[4, 2], [-3, 1]] / 10, scaled by 1/f
    EXPECT_TRUE(RelNear(p.GetVal(1, 1), 0.4 / f, kScaleTol));
    EXPECT_TRUE(RelNear(p.GetVal(2, 1), 0.2 / f, kScaleTol));
    EXPECT_TRUE(RelNear(p.GetVal(1, 2), -0.3 / f, kScaleTol));
    EXPECT_TRUE(RelNear(p.GetVal(2, 2), 0.1 / f, kScaleTol));
    // A·x = b with x = (1, 2): b = (-3, 11)·f
    TMatrix u(nullptr);
    Fill(u, f);
    TVector b(nullptr), x(nullptr);
    b.SetVecSize(2);
    x.SetVecSize(2);
    b.SetVal(1, -3 * f);
    b.SetVal(2, 11 * f);
    bool nearSingular = true;
    ASSERT_TRUE(detail::SolveBySingValDecomp(&u, &b, &x, nullptr, nearSingular));
    EXPECT_FALSE(nearSingular);
    EXPECT_TRUE(RelNear(x.GetVal(1), 1, kScaleTol));
    EXPECT_TRUE(RelNear(x.GetVal(2), 2, kScaleTol));
  }
}

TEST(LinalgScale, DecompositionOfNonFiniteCellsReportsFailure) {
  TMatrix a(nullptr);
  Fill(a, 1);
  a.SetVal(1, 1, std::nan(""));
  EXPECT_THROW(a.Norm(ntSpectral), ENUVMatrixError);
  TMatrix p(nullptr);
  EXPECT_FALSE(PseudoInverse(&a, p, 0.0));
}

}  // namespace
}  // namespace nuv
