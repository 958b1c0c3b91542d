// TCurveFit: straight line, parabola, polynomials and circle fitted to the stored pairs.

#include <algorithm>
#include <cmath>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"

namespace nuv {
namespace {

// Two-sided significance of coefficient c with standard error e (in units of s).
double Significance(double c, double e, double s, Integer df) {
  if (s == 0.0 || e == 0.0) return 0.0;
  return 2.0 * (1.0 - tDistriIntegral(std::fabs(c / s / e), df));
}

// Mean and variance of column Col over the first n pairs as TMatrix::MeanVar defines them (the
// variance 1 for fewer than three pairs), the variance in the corrected two-pass form. A constant
// column has its value as mean and no spread: centred on a rounded mean it would leave
// deviations of an ulp, which the fits would take for a slope.
void ColumnMeanVar(const TMatrix& D, Integer n, Integer Col, double& Mean, double& Var) {
  double ss = 0.0;
  detail::MeanSumSq(
      n,
      [&](auto&& f) {
        for (Integer i = 1; i <= n; ++i) f(D.GetVal(Col, i));
      },
      Mean, ss);
  bool varies = false;
  for (Integer i = 2; i <= n && !varies; ++i) varies = D.GetVal(Col, i) != D.GetVal(Col, 1);
  if (!varies) {
    Mean = D.GetVal(Col, 1);
    ss = 0.0;
  }
  Var = n >= 3 ? ss / (n - 1) : 1.0;
}

// The power-of-two exponent of column Col's unit over the first n pairs (see scaling.hpp).
int ColumnUnit(const TMatrix& D, Integer n, Integer Col) {
  return detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(D.GetVal(Col, i));
  }));
}

// The power-of-two exponent that brings the largest deviation of column Col from Mean over the
// first n pairs into [0.5, 1) (0 for none).
int SpreadUnit(const TMatrix& D, Integer n, Integer Col, double Mean) {
  return detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
                                     for (Integer i = 1; i <= n; ++i) f(D.GetVal(Col, i) - Mean);
                                   }),
                                   0);
}

// Pearson's r of the pairs (a(i), b(i)), i = 1..n, in the corrected two-pass form; 0 when either
// member is constant (its rounded mean would leave deviations of an ulp).
template <class A, class B>
double CorrelationOfPairs(Integer n, const A& a, const B& b) {
  bool va = false, vb = false;
  for (Integer i = 2; i <= n && !(va && vb); ++i) {
    va = va || a(i) != a(1);
    vb = vb || b(i) != b(1);
  }
  if (!va || !vb) return 0.0;
  return detail::CorrelationOf(detail::CoMomentsOf(n, [&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(a(i), b(i));
  }));
}

// Where and how a polynomial fit is solved and reported. The solve runs in u = (x - Centre) /
// Scale for the target y - YShift; the coefficients are reported for powers of x - X0, with
// YShift added back to the constant. Alpha[0] tests that constant, or with CentredConstant the
// constant of the shifted target.
struct TPolyFrame {
  double Centre, Scale, YShift, X0;
  bool CentredConstant;
};

// Least-squares polynomial of order m over the first n rows of Data (m < n). c(1..m) multiply
// u^1..u^m, c(m+1) is the constant.
bool FitPolynomial(const TMatrix& Data, Integer n, Integer m, const TPolyFrame& Fr,
                   TDoubleArray& kArray, TDoubleArray& Alpha, double& FitQual, bool& NearSingular) {
  TMatrix design(nullptr);
  TVector target(nullptr);
  TVector coef(nullptr);
  TVector stdErr(nullptr);
  TMatrix V(nullptr);
  TVector W(nullptr);
  design.Resize(m + 1, n);
  target.SetVecSize(n);
  coef.SetVecSize(m + 1);
  stdErr.SetVecSize(m + 1);
  auto uOf = [&](Integer i) { return (Data.GetVal(1, i) - Fr.Centre) / Fr.Scale; };
  for (Integer i = 1; i <= n; ++i) {
    const double u = uOf(i);
    double p = 1.0;
    for (Integer j = 1; j <= m; ++j) {
      p *= u;
      design.SetVal(j, i, p);
    }
    design.SetVal(m + 1, i, 1.0);
    target.SetVal(i, Data.GetVal(2, i) - Fr.YShift);
  }
  const bool ok =
      detail::SolveBySingValDecomp(&design, &target, &coef, &stdErr, NearSingular, V, W);

  std::vector<double> fit(static_cast<std::size_t>(n));
  double sse = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = uOf(i);
    const double y = Data.GetVal(2, i) - Fr.YShift;
    double f = coef.GetVal(m + 1);
    double p = 1.0;
    for (Integer j = 1; j <= m; ++j) {
      p *= u;
      f += coef.GetVal(j) * p;
    }
    fit[static_cast<std::size_t>(i - 1)] = f;
    sse += (f - y) * (f - y);
  }
  const Integer df = n - m - 1;
  const double s = df >= 1 ? std::sqrt(sse / df) : 0.0;
  const double r = CorrelationOfPairs(
      n, [&](Integer i) { return Data.GetVal(2, i) - Fr.YShift; },
      [&](Integer i) { return fit[static_cast<std::size_t>(i - 1)]; });
  FitQual = r * r;

  const auto len = static_cast<std::size_t>(m) + 1;
  // Writing past the caller's array would corrupt memory: a short array grows instead.
  if (kArray.size() < len) kArray.resize(len, 0.0);
  Alpha.assign(len, 0.0);
  // The index in c of the coefficient of u^i.
  auto cIndex = [m](Integer i) { return i == 0 ? m + 1 : i; };
  const double a = Fr.X0 - Fr.Centre;
  if (a == 0.0) {
    // Reported about the centre itself: the coefficients and their tests are those of u.
    double power = 1.0;
    for (Integer j = 1; j <= m; ++j) {
      power *= Fr.Scale;
      kArray[static_cast<std::size_t>(j)] = coef.GetVal(j) / power;
      Alpha[static_cast<std::size_t>(j)] = Significance(coef.GetVal(j), stdErr.GetVal(j), s, df);
    }
    kArray[0] = coef.GetVal(m + 1) + Fr.YShift;
    Alpha[0] = Significance(Fr.CentredConstant ? coef.GetVal(m + 1) : kArray[0],
                            stdErr.GetVal(m + 1), s, df);
    return ok;
  }
  // x - Centre = (x - X0) + a: the coefficient of (x - X0)^j is the sum over i >= j of
  // c(i)/Scale^i·C(i, j)·a^(i - j); its standard error follows from the same map applied to
  // the columns of V over the singular values.
  std::vector<double> pw(len, 1.0);  // Scale^i
  for (std::size_t i = 1; i < len; ++i) pw[i] = pw[i - 1] * Fr.Scale;
  std::vector<double> t(len * len, 0.0);  // t[j·len + i]: weight of c(cIndex(i)) in k[j]
  for (Integer i = 0; i <= m; ++i) {
    const auto is = static_cast<std::size_t>(i);
    double binom = 1.0;  // C(i, j), built downwards from j = i
    double ap = 1.0;     // a^(i - j)
    for (Integer j = i; j >= 0; --j) {
      t[static_cast<std::size_t>(j) * len + is] = binom * ap / pw[is];
      binom = binom * static_cast<double>(j) / static_cast<double>(i - j + 1);
      ap *= a;
    }
  }
  for (Integer j = 0; j <= m; ++j) {
    const auto js = static_cast<std::size_t>(j);
    double k = 0.0;
    for (Integer i = m; i >= j; --i) {
      k += t[js * len + static_cast<std::size_t>(i)] * coef.GetVal(cIndex(i));
    }
    kArray[js] = k;
  }
  for (Integer j = 0; j <= m; ++j) {
    const auto js = static_cast<std::size_t>(j);
    double e2 = 0.0;
    for (Integer col = 1; col <= m + 1; ++col) {
      const double w = W.GetVal(col);
      if (w == 0.0) continue;
      double q = 0.0;
      for (Integer i = j; i <= m; ++i) {
        q += t[js * len + static_cast<std::size_t>(i)] * V.GetVal(col, cIndex(i));
      }
      e2 += q * q / (w * w);
    }
    const double tested = j == 0 && !Fr.CentredConstant ? kArray[0] + Fr.YShift : kArray[js];
    Alpha[js] = Significance(tested, std::sqrt(e2), s, df);
  }
  kArray[0] += Fr.YShift;
  return ok;
}

}  // namespace

void TCurveFit::CalcLinFit(double& k, double& d, double& FitQual) const {
  k = 0.0;
  d = 0.0;
  FitQual = 0.0;
  const Integer n = FNumData;
  if (n < 2) detail::RaiseFunction<ENUVMath2Error>("CalcLinFit", "not enough data points");
  double mx = 0.0, my = 0.0, var = 0.0;
  ColumnMeanVar(*FData, n, 1, mx, var);
  ColumnMeanVar(*FData, n, 2, my, var);
  // x and y of extreme magnitude are fitted in power-of-two units of their own, where their
  // squares and products are representable; k and d are given back in the caller's units.
  const int ex = ColumnUnit(*FData, n, 1), ey = ColumnUnit(*FData, n, 2);
  const double fx = detail::ScaleFactor(ex), fy = detail::ScaleFactor(ey);
  mx *= fx;
  my *= fy;
  double s1 = 0.0, t1 = 0.0, s2 = 0.0, t2 = 0.0, p = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = FData->GetVal(1, i) * fx - mx;
    const double v = FData->GetVal(2, i) * fy - my;
    s1 += u;
    t1 += v;
    s2 += u * u;
    t2 += v * v;
    p += u * v;
  }
  const double det = n * s2 - s1 * s1;
  if (det == 0.0) detail::RaiseFunction<ENUVMath2Error>("CalcLinFit", "slope is infinite");
  const double kk = (n * p - s1 * t1) / det;
  const double dc = (s2 * t1 - s1 * p) / det;
  const double q = t1 * t1 / n;
  k = detail::ScaleUp(kk, ey - ex);
  d = detail::ScaleUp(dc - kk * mx + my, ey);
  // The centred intercept: the raw one times T1 (rounding noise) would grow with the offset.
  FitQual = t2 - q != 0.0 ? (dc * t1 + kk * p - q) / (t2 - q) : 1.0;
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = 0.0;
  k1 = 0.0;
  k2 = 0.0;
  FitQual = 0.0;
  const Integer n = FNumData;
  if (n < 3) detail::RaiseFunction<ENUVMath2Error>("CalcParabolFit", "not enough data points");
  double mx = 0.0, my = 0.0, var = 0.0;
  ColumnMeanVar(*FData, n, 1, mx, var);
  ColumnMeanVar(*FData, n, 2, my, var);
  // The deviations in units of their own spread (an exact power of two each): the sums reach
  // sixth powers of x's, which would leave the double range for spreads far from 1.
  const int eu = SpreadUnit(*FData, n, 1, mx), ev = SpreadUnit(*FData, n, 2, my);
  const double fu = detail::ScaleFactor(eu), fv = detail::ScaleFactor(ev);
  double s1 = 0.0, t1 = 0.0, s2 = 0.0, t2 = 0.0, p = 0.0, a = 0.0, b = 0.0, c = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = (FData->GetVal(1, i) - mx) * fu;
    const double v = (FData->GetVal(2, i) - my) * fv;
    const double uu = u * u;
    s1 += u;
    t1 += v;
    s2 += uu;
    t2 += v * v;
    p += u * v;
    a += uu * v;
    b += uu * u;
    c += uu * uu;
  }
  const double e = n * s2 - s1 * s1;
  const double f = e * (n * c - s2 * s2);
  const double g = n * b - s1 * s2;
  const double h = n * p - s1 * t1;
  const double c2 = f != g * g ? (e * (n * a - s2 * t1) - g * h) / (f - g * g) : 0.0;
  const double c1 = e != 0.0 ? (h - g * c2) / e : 0.0;
  const double c0 = (t1 - c1 * s1 - c2 * s2) / n;
  // Back to x and y: c2, c1, c0 are in units 2^(ev - 2eu), 2^(ev - eu), 2^ev.
  const double ms = mx * fu;
  k2 = detail::ScaleUp(c2, ev - 2 * eu);
  k1 = detail::ScaleUp(c1 - 2.0 * c2 * ms, ev - eu);
  k0 = detail::ScaleUp(c0 + c2 * ms * ms - c1 * ms, ev) + my;
  const double q = t1 * t1 / n;
  FitQual = t2 - q != 0.0 ? (c0 * t1 + c1 * p + c2 * a - q) / (t2 - q) : 1.0;
}

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& Alpha,
                            double& FitQual, bool& NearSingular) const {
  // The pairs and their count must hold through the solver's progress reports.
  const detail::TUseGuard use(this, FData.get());
  if (nOrder < 0 || nOrder >= FNumData) return false;
  AbortMathProc = false;
  // Powers of raw x far from zero make the design nearly singular; the solve runs about the
  // mean in units of the spread and the coefficients are carried back to powers of x.
  double mx = 0.0, varx = 0.0, my = 0.0, vary = 0.0;
  ColumnMeanVar(*FData, FNumData, 1, mx, varx);
  ColumnMeanVar(*FData, FNumData, 2, my, vary);
  const double scale = varx > 0.0 ? std::sqrt(varx) : 1.0;
  return FitPolynomial(*FData, FNumData, nOrder, TPolyFrame{mx, scale, my, 0.0, false}, kArray,
                       Alpha, FitQual, NearSingular);
}

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, double& FitQual,
                            bool& NearSingular) const {
  TDoubleArray alpha;
  return CalcPolyFit(nOrder, kArray, alpha, FitQual, NearSingular);
}

bool TCurveFit::CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                                    double& XShift, double& FitQual, bool& NearSingular) const {
  const detail::TUseGuard use(this, FData.get());
  const Integer n = FNumData;
  if (nOrder < 0 || nOrder >= n) return false;
  AbortMathProc = false;
  double mx = 0.0, varx = 0.0, my = 0.0, vary = 0.0;
  ColumnMeanVar(*FData, n, 1, mx, varx);
  ColumnMeanVar(*FData, n, 2, my, vary);
  if (XShift == 0.0) XShift = mx;
  double scale = std::sqrt(varx);
  if (scale == 0.0) scale = 1.0;
  // Solved about the mean whatever XShift is, then expanded about XShift.
  return FitPolynomial(*FData, n, nOrder, TPolyFrame{mx, scale, my, XShift, true}, kArray, alpha,
                       FitQual, NearSingular);
}

bool TCurveFit::CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, double& XShift,
                                    double& FitQual, bool& NearSingular) const {
  TDoubleArray alpha;
  return CalcCenteredPolyFit(nOrder, kArray, alpha, XShift, FitQual, NearSingular);
}

void TCurveFit::CalcCircleFit(double& r, double& dx, double& dy) const {
  r = 0.0;
  dx = 0.0;
  dy = 0.0;
  const Integer n = FNumData;
  if (n < 3) detail::RaiseFunction<ENUVMath2Error>("CalcCircleFit", "not enough data points");
  // The algebraic fit is the same about any origin: taken about the means of the pairs, its
  // sums stay as small as the spread, where the raw running sums would cancel.
  const TMatrix& D = *FData;
  const double mx = detail::MeanOf(n, [&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(D.GetVal(1, i));
  });
  const double my = detail::MeanOf(n, [&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(D.GetVal(2, i));
  });
  // In units of the points' spread (one exact power of two for both axes): the sums reach fifth
  // powers, which would leave the double range for circles far from unit size.
  const int es = std::max(SpreadUnit(D, n, 1, mx), SpreadUnit(D, n, 2, my));
  const double fs = detail::ScaleFactor(es);
  double su = 0, sv = 0, suu = 0, svv = 0, suv = 0, suuv = 0, suvv = 0, suuu = 0, svvv = 0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = (D.GetVal(1, i) - mx) * fs;
    const double v = (D.GetVal(2, i) - my) * fs;
    su += u;
    sv += v;
    suu += u * u;
    svv += v * v;
    suv += u * v;
    suuv += u * u * v;
    suvv += u * v * v;
    suuu += u * u * u;
    svvv += v * v * v;
  }
  const double a = n * suv - su * sv;
  const double b = (suu + svv) * sv - (suuv + svvv) * n;
  const double c = sv * sv - svv * n;
  const double d = (suu + svv) * su - (suvv + suuu) * n;
  const double e = su * su - suu * n;
  const double det = c * e - a * a;
  if (det == 0) detail::RaiseFunction<ENUVMath2Error>("CalcCircleFit", "radius is infinite");
  const double cu = (a * b + c * d) / 2 / det;
  const double cv = (a * d + b * e) / 2 / det;
  // The mean squared distance is never negative; rounding must not turn it into a NaN radius.
  const double msq = (suu + svv - 2 * (cu * su + cv * sv) + (cu * cu + cv * cv) * n) / n;
  dx = detail::ScaleUp(cu, es) + mx;
  dy = detail::ScaleUp(cv, es) + my;
  r = detail::ScaleUp(std::sqrt(std::max(msq, 0.0)), es);
}

}  // namespace nuv
