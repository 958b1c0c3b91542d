#include "nuv/analysis/math2_lsq.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/detail/svd.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {

namespace detail {

bool SolveBySingValDecomp(TMatrix* A, TVector* b, TVector* x, TVector* StdErr, bool& NearSingular) {
  TMatrix V(nullptr);
  TVector W(nullptr);
  return SolveBySingValDecomp(A, b, x, StdErr, NearSingular, V, W);
}

bool SolveBySingValDecomp(TMatrix* A, TVector* b, TVector* x, TVector* StdErr, bool& NearSingular,
                          TMatrix& V, TVector& W) {
  NearSingular = false;
  if (A == nullptr || b == nullptr || x == nullptr) return false;
  // The sizes taken here must hold through the progress reports of the decomposition.
  const TUseGuard use(A, b, x, StdErr);
  const Integer n = A->NrOfColumns();
  V.Resize(n, n);
  W.SetVecSize(n);
  if (!SingValDecompCore(A, &V, &W)) return false;
  double wmax = 0.0;
  for (Integer j = 1; j <= n; ++j) {
    if (W.GetVal(j) > wmax) wmax = W.GetVal(j);
  }
  // A matrix without a non-zero singular value is singular, though nothing lies below 0.
  if (wmax == 0.0) NearSingular = true;
  const double thresh = 1e-14 * wmax;
  for (Integer j = 1; j <= n; ++j) {
    if (W.GetVal(j) < thresh) {
      W.SetVal(j, 0.0);
      NearSingular = true;
    }
  }
  return SingValBackSubst(A, &V, &W, b, x, StdErr);
}

bool SingValBackSubst(TMatrix* U, TMatrix* V, TVector* W, TVector* b, TVector* x, TVector* StdErr) {
  if (U == nullptr || V == nullptr || W == nullptr || b == nullptr || x == nullptr) return false;
  const Integer n = U->NrOfColumns();
  const Integer m = U->NrOfRows();
  std::vector<double> t(static_cast<std::size_t>(n > 0 ? n : 0), 0.0);
  for (Integer j = 1; j <= n; ++j) {
    const double w = W->GetVal(j);
    if (w == 0.0) continue;
    double s = 0.0;
    for (Integer i = 1; i <= m; ++i) s += U->GetVal(j, i) * b->GetVal(i);
    t[static_cast<std::size_t>(j - 1)] = s / w;
  }
  for (Integer r = 1; r <= n; ++r) {
    double s = 0.0;
    for (Integer k = 1; k <= n; ++k) s += V->GetVal(k, r) * t[static_cast<std::size_t>(k - 1)];
    x->SetVal(r, s);
  }
  if (StdErr != nullptr) {
    for (Integer r = 1; r <= n; ++r) {
      double s = 0.0;
      for (Integer k = 1; k <= n; ++k) {
        const double w = W->GetVal(k);
        const double g = w != 0.0 ? 1.0 / (w * w) : 0.0;
        const double v = V->GetVal(k, r);
        s += v * v * g;
      }
      StdErr->SetVal(r, std::sqrt(s));
    }
  }
  return true;
}

}  // namespace detail

inline namespace NUV_math2 {

bool PseudoInverse(TMatrix* A, TMatrix& P, double threshold) {
  if (A == nullptr) return false;
  const Integer n = A->NrOfColumns();
  const Integer m = A->NrOfRows();
  TMatrix B(nullptr);
  TMatrix V(nullptr);
  TVector W(nullptr);
  B.Clone(A);
  V.Resize(n, n);
  W.SetVecSize(n);
  P.Resize(m, n);
  bool ok = false;
  {
    // A and P keep the sizes read above while the decomposition reports its progress.
    const detail::TUseGuard use(A, &P);
    ok = detail::SingValDecompCore(&B, &V, &W);
  }
  if (ok) {
    if (threshold == 0.0) {
      double wmin = 0.0;
      double wmax = 0.0;
      W.MinMax(0, 0, wmin, wmax);
      threshold = static_cast<double>(std::max(n, m)) * wmax * 1.2e-16;
    }
    for (Integer j = 1; j <= n; ++j) {
      const double w = W.GetVal(j);
      // A zero singular value is dropped whatever the threshold: dividing by it gives no number.
      const bool keep = std::fabs(w) > threshold && w != 0.0;
      for (Integer r = 1; r <= n; ++r) V.SetVal(j, r, keep ? V.GetVal(j, r) / w : 0.0);
    }
    B.Transpose();
  }
  V.Multiply(&B, &P);
  return ok;
}

double MahalanobisDistance(TVector* x, TVector* y, TMatrix* M) {
  if (x == nullptr || y == nullptr || M == nullptr) return std::numeric_limits<double>::quiet_NaN();
  constexpr const char* kName = "MahalanobisDistance";
  if (x->NrOfElem() != y->NrOfElem()) {
    detail::RaiseFunction<ENUVVectorError>(kName, "dimensions of vectors do not match");
  }
  if (M->NrOfColumns() != M->NrOfRows()) {
    detail::RaiseFunction<ENUVVectorError>(kName, "inverse covariance matrix is not quadratric");
  }
  if (x->NrOfElem() != M->NrOfColumns()) {
    detail::RaiseFunction<ENUVVectorError>(
        kName, "dimension of vectors and inverse covariance matrix do not match");
  }
  const Integer n = x->NrOfElem();
  // The quadratic form of the differences read times f; the plain one first, and where it
  // leaves the normal range, again with the differences in a power-of-two unit (their
  // largest brought near 1; the values' own largest where a difference overflows).
  auto form = [&](double f) {
    double d2 = 0.0;
    for (Integer r = 1; r <= n; ++r) {
      const double dr = x->GetVal(r) * f - y->GetVal(r) * f;
      for (Integer k = 1; k <= n; ++k) {
        d2 += (x->GetVal(k) * f - y->GetVal(k) * f) * M->GetVal(k, r) * dr;
      }
    }
    if (d2 < 0.0) {
      detail::RaiseFunction<ENUVVectorError>(
          kName, "the inverse covariance matrix must be symmetric and positive definite");
    }
    return d2;
  };
  const double d2 = form(1.0);
  if (d2 >= 0x1p-960 && d2 <= 0x1p960) return std::sqrt(d2);
  double bd = 0.0, bv = 0.0;
  for (Integer k = 1; k <= n; ++k) {
    bd = std::max(bd, std::fabs(x->GetVal(k) - y->GetVal(k)));
    bv = std::max({bv, std::fabs(x->GetVal(k)), std::fabs(y->GetVal(k))});
  }
  const int e = detail::SafeScaleExponent(bd <= uc_MaxReal ? bd : bv, 0);
  if (e == 0) return std::sqrt(d2);  // equal vectors, or ∞ or NaN among the values
  return detail::ScaleUp(std::sqrt(form(detail::ScaleFactor(e))), e);
}

}  // namespace NUV_math2
}  // namespace nuv
