// TCurveFit: straight line, parabola, polynomials and circle fitted to the stored pairs.

#include <algorithm>
#include <cmath>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/hooks.hpp"

namespace nuv {
namespace {

// Two-sided significance of coefficient c with standard error e (in units of s).
double Significance(double c, double e, double s, Integer df) {
  if (s == 0.0 || e == 0.0) return 0.0;
  return 2.0 * (1.0 - tDistriIntegral(std::fabs(c / s / e), df));
}

// Least-squares polynomial of order m in u = (x - Shift) / Scale for the target y - YShift over
// the first n rows of Data (m < n). c(1..m) multiply u^1..u^m, c(m+1) is the constant.
bool FitPolynomial(const TMatrix& Data, Integer n, Integer m, double Shift, double Scale,
                   double YShift, TDoubleArray& kArray, TDoubleArray& Alpha, double& FitQual,
                   bool& NearSingular) {
  TMatrix design(nullptr);
  TVector target(nullptr);
  TVector coef(nullptr);
  TVector stdErr(nullptr);
  design.Resize(m + 1, n);
  target.SetVecSize(n);
  coef.SetVecSize(m + 1);
  stdErr.SetVecSize(m + 1);
  for (Integer i = 1; i <= n; ++i) {
    const double u = (Data.GetVal(1, i) - Shift) / Scale;
    double p = 1.0;
    for (Integer j = 1; j <= m; ++j) {
      p *= u;
      design.SetVal(j, i, p);
    }
    design.SetVal(m + 1, i, 1.0);
    target.SetVal(i, Data.GetVal(2, i) - YShift);
  }
  const bool ok = detail::SolveBySingValDecomp(&design, &target, &coef, &stdErr, NearSingular);

  double syy = 0.0, sff = 0.0, sy = 0.0, sf = 0.0, syf = 0.0, sse = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = (Data.GetVal(1, i) - Shift) / Scale;
    const double y = Data.GetVal(2, i) - YShift;
    double f = coef.GetVal(m + 1);
    double p = 1.0;
    for (Integer j = 1; j <= m; ++j) {
      p *= u;
      f += coef.GetVal(j) * p;
    }
    syy += y * y;
    sff += f * f;
    sy += y;
    sf += f;
    syf += y * f;
    sse += (f - y) * (f - y);
  }
  const Integer df = n - m - 1;
  const double s = df >= 1 ? std::sqrt(sse / df) : 0.0;
  double r = 0.0;
  if (syy > 0.0 && sff > 0.0) {
    const double syyc = syy - sy * sy / n;
    const double sffc = sff - sf * sf / n;
    if (syyc != 0.0 && sffc != 0.0) r = (syf - sy * sf / n) / std::sqrt(std::fabs(syyc * sffc));
  }
  FitQual = r * r;

  const auto len = static_cast<std::size_t>(m) + 1;
  // Writing past the caller's array would corrupt memory: a short array grows instead.
  if (kArray.size() < len) kArray.resize(len, 0.0);
  Alpha.assign(len, 0.0);
  double power = 1.0;
  for (Integer j = 1; j <= m; ++j) {
    power *= Scale;
    kArray[static_cast<std::size_t>(j)] = coef.GetVal(j) / power;
    Alpha[static_cast<std::size_t>(j)] = Significance(coef.GetVal(j), stdErr.GetVal(j), s, df);
  }
  kArray[0] = coef.GetVal(m + 1) + YShift;
  Alpha[0] = Significance(coef.GetVal(m + 1), stdErr.GetVal(m + 1), s, df);
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
  FData->MeanVar(1, 1, 1, n, mx, var);
  FData->MeanVar(2, 1, 2, n, my, var);
  double s1 = 0.0, t1 = 0.0, s2 = 0.0, t2 = 0.0, p = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = FData->GetVal(1, i) - mx;
    const double v = FData->GetVal(2, i) - my;
    s1 += u;
    t1 += v;
    s2 += u * u;
    t2 += v * v;
    p += u * v;
  }
  const double det = n * s2 - s1 * s1;
  if (det == 0.0) detail::RaiseFunction<ENUVMath2Error>("CalcLinFit", "slope is infinite");
  const double kk = (n * p - s1 * t1) / det;
  const double dd = (s2 * t1 - s1 * p) / det - kk * mx + my;
  const double q = t1 * t1 / n;
  k = kk;
  d = dd;
  FitQual = t2 - q != 0.0 ? (dd * t1 + kk * p - q) / (t2 - q) : 1.0;
}

void TCurveFit::CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const {
  k0 = 0.0;
  k1 = 0.0;
  k2 = 0.0;
  FitQual = 0.0;
  const Integer n = FNumData;
  if (n < 3) detail::RaiseFunction<ENUVMath2Error>("CalcParabolFit", "not enough data points");
  double mx = 0.0, my = 0.0, var = 0.0;
  FData->MeanVar(1, 1, 1, n, mx, var);
  FData->MeanVar(2, 1, 2, n, my, var);
  double s1 = 0.0, t1 = 0.0, s2 = 0.0, t2 = 0.0, p = 0.0, a = 0.0, b = 0.0, c = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double u = FData->GetVal(1, i) - mx;
    const double v = FData->GetVal(2, i) - my;
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
  k2 = c2;
  k1 = c1 - 2.0 * c2 * mx;
  k0 = c0 + c2 * mx * mx - c1 * mx + my;
  const double q = t1 * t1 / n;
  FitQual = t2 - q != 0.0 ? (c0 * t1 + c1 * p + c2 * a - q) / (t2 - q) : 1.0;
}

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& Alpha,
                            double& FitQual, bool& NearSingular) const {
  if (nOrder < 0 || nOrder >= FNumData) return false;
  AbortMathProc = false;
  return FitPolynomial(*FData, FNumData, nOrder, 0.0, 1.0, 0.0, kArray, Alpha, FitQual,
                       NearSingular);
}

bool TCurveFit::CalcPolyFit(Integer nOrder, TDoubleArray& kArray, double& FitQual,
                            bool& NearSingular) const {
  TDoubleArray alpha;
  return CalcPolyFit(nOrder, kArray, alpha, FitQual, NearSingular);
}

bool TCurveFit::CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                                    double& XShift, double& FitQual, bool& NearSingular) const {
  const Integer n = FNumData;
  if (nOrder < 0 || nOrder >= n) return false;
  AbortMathProc = false;
  double mx = 0.0, varx = 0.0, my = 0.0, vary = 0.0;
  FData->MeanVar(1, 1, 1, n, mx, varx);
  FData->MeanVar(2, 1, 2, n, my, vary);
  if (XShift == 0.0) XShift = mx;
  double scale = std::sqrt(varx);
  if (scale == 0.0) scale = 1.0;
  return FitPolynomial(*FData, n, nOrder, XShift, scale, my, kArray, alpha, FitQual, NearSingular);
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
  const Extended a = n * sumxy - sumx * sumy;
  const Extended b = (sumxq + sumyq) * sumy - (sumx2y + sumy3) * n;
  const Extended c = sumy * sumy - sumyq * n;
  const Extended d = (sumxq + sumyq) * sumx - (sumxy2 + sumx3) * n;
  const Extended e = sumx * sumx - sumxq * n;
  const Extended det = c * e - a * a;
  if (det == 0) detail::RaiseFunction<ENUVMath2Error>("CalcCircleFit", "radius is infinite");
  const Extended cx = (a * b + c * d) / 2 / det;
  const Extended cy = (a * d + b * e) / 2 / det;
  // The mean squared distance is never negative; rounding must not turn it into a NaN radius.
  const Extended msq = (sumxq + sumyq - 2 * (cx * sumx + cy * sumy) + (cx * cx + cy * cy) * n) / n;
  dx = static_cast<double>(cx);
  dy = static_cast<double>(cy);
  r = static_cast<double>(std::sqrt(std::max<Extended>(msq, 0)));
}

}  // namespace nuv
