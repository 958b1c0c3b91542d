// Kolmogorov-Smirnov and Lilliefors normality tests of NUV_statis.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/scalar/math1_functions.hpp"

namespace nuv {
namespace {

// Row 0: the levels in TSignifLevel order; rows 1..20: critical values for n = 1..20.
constexpr double kKSCritical[21][5] = {
    {0.2, 0.15, 0.1, 0.05, 0.01},        {0.9, 0.925, 0.95, 0.975, 0.995},
    {0.684, 0.726, 0.776, 0.842, 0.929}, {0.565, 0.597, 0.642, 0.708, 0.828},
    {0.494, 0.525, 0.564, 0.624, 0.733}, {0.446, 0.474, 0.51, 0.565, 0.669},
    {0.41, 0.436, 0.47, 0.521, 0.618},   {0.381, 0.405, 0.438, 0.486, 0.577},
    {0.358, 0.381, 0.411, 0.457, 0.543}, {0.339, 0.36, 0.388, 0.432, 0.514},
    {0.322, 0.342, 0.368, 0.41, 0.49},   {0.307, 0.326, 0.352, 0.391, 0.468},
    {0.295, 0.313, 0.338, 0.375, 0.45},  {0.284, 0.302, 0.325, 0.361, 0.433},
    {0.274, 0.292, 0.314, 0.349, 0.418}, {0.266, 0.283, 0.304, 0.338, 0.404},
    {0.258, 0.274, 0.295, 0.328, 0.392}, {0.25, 0.266, 0.286, 0.318, 0.381},
    {0.244, 0.259, 0.278, 0.309, 0.371}, {0.237, 0.252, 0.272, 0.301, 0.363},
    {0.231, 0.246, 0.264, 0.294, 0.356}};
// Above n = 20 the critical value is c/√n.
constexpr double kKSLargeN[5] = {1.073, 1.138, 1.224, 1.358, 1.628};

// Dallal-Wilkinson quantile polynomials in (1 - alpha), constant term first.
constexpr double kLillieP1[7] = {6.32207539843126,   -17.1398870006148, 38.42812675101057,
                                 -45.93241384693391, 7.88697700041829,  29.79317711037858,
                                 -18.48090137098585};
constexpr double kLillieP2[7] = {12.940399038404,   -53.458334259532, 186.923866119699,
                                 -410.582178349305, 517.377862566267, -343.581476222384,
                                 92.123451358715};

// Largest matrix order of the exact Kolmogorov-Smirnov method (8 MB per matrix, about
// n = 66,000 at n·D² = 3.76); larger orders take the asymptotic form.
constexpr Int64 kMaxKSMatrixOrder = 1001;
constexpr int kMaxKSQuantileSteps = 1000;

// The tests work on the caller's vector: it is sorted in place (firing its exchange events)
// unless the caller says it already is.
std::vector<double> SortedValues(TVector& Data, bool DataSorted) {
  const Integer n = Data.NrOfElem();
  if (!DataSorted) Data.SortElems(true, 1, n);
  std::vector<double> x(static_cast<std::size_t>(n));
  for (Integer i = 1; i <= n; ++i) x[static_cast<std::size_t>(i - 1)] = Data.GetVal(i);
  return x;
}

double NormalityStatistic(const std::vector<double>& x) {
  const double n = static_cast<double>(x.size());
  double d = 0.0;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    const double phi = nDistriIntegral(x[i - 1]);
    const double dHigh = std::fabs(static_cast<double>(i) / n - phi);
    const double dLow = std::fabs(static_cast<double>(i - 1) / n - phi);
    if (dHigh > d) d = dHigh;
    if (dLow > d) d = dLow;
  }
  return d;
}

// C := A·B for m by m row-major matrices.
void MatMul(const std::vector<double>& A, const std::vector<double>& B, std::vector<double>& C,
            std::size_t m) {
  std::fill(C.begin(), C.end(), 0.0);
  for (std::size_t i = 0; i < m; ++i) {
    double* ci = &C[i * m];
    for (std::size_t l = 0; l < m; ++l) {
      const double a = A[i * m + l];
      if (a == 0.0) continue;
      const double* bl = &B[l * m];
      for (std::size_t j = 0; j < m; ++j) ci[j] += a * bl[j];
    }
  }
}

// V := H^p·10^(-e) by recursive halving, rescaling by 1e-140 whenever the element
// (m div 2, m div 2), counted from 1, exceeds 1e140 (for m = 1 that element does not exist
// and reads 0).
void KSMatPower(const std::vector<double>& H, Int64 p, std::size_t m, std::vector<double>& V,
                std::vector<double>& B, Int64& e) {
  if (p == 1) {
    V = H;
    e = 0;
    return;
  }
  KSMatPower(H, p / 2, m, V, B, e);
  MatMul(V, V, B, m);
  e *= 2;
  if (p % 2 == 0) {
    V.swap(B);
  } else {
    MatMul(H, B, V, m);
  }
  const std::size_t c = m / 2;
  const double center = c >= 1 ? V[(c - 1) * m + (c - 1)] : 0.0;
  if (center > 1e140) {
    for (double& v : V) v *= 1e-140;
    e += 140;
  }
}

// Beyond the matrix cap the form is also used for small n·D², where it exceeds 1.
double KSAsymptotic(double n, double s) {
  return std::min(1.0, 2.0 * std::exp(-(2.000071 + 0.331 / std::sqrt(n) + 1.409 / n) * s));
}

}  // namespace

inline namespace NUV_statis {

double PerformKSNormalityTest(TVector* Data, bool DataSorted) {
  if (Data == nullptr) return -1.0;
  // The count read before sorting must hold through the sort's events.
  const detail::TUseGuard use(Data);
  return NormalityStatistic(SortedValues(*Data, DataSorted));
}

double PerformLillieforsTest(TVector* Data, bool DataSorted) {
  if (Data == nullptr) return -1.0;
  const detail::TUseGuard use(Data);
  if (!DataSorted) Data->SortElems(true, 1, Data->NrOfElem());
  double mean = 0.0;
  double stddev = 0.0;
  Data->Standardize(mean, stddev);  // standardising keeps the order
  return NormalityStatistic(SortedValues(*Data, true));
}

double LillieforsPValue(Integer n, double D) {
  if (n <= 5 || std::isnan(D)) return -1.0;
  double nn = n;
  double d = D;
  if (n > 100) {
    d = D * std::pow(nn / 100.0, 0.49);
    nn = 100.0;
  }
  const double e = -7.01256 * d * d * (nn + 2.78019) + 2.99587 * d * std::sqrt(nn + 2.78019) +
                   0.97498 / std::sqrt(nn) + 1.67997 / nn - 0.122119;
  return std::exp(e < 0.0 ? e : 0.0);
}

double LillieforsQuantile(Integer n, double alpha) {
  if (n < 1) return -1.0;
  const double x = 1.0 - alpha;
  return 1.0 / std::sqrt(Polynomial(kLillieP1, 6, x) * n + Polynomial(kLillieP2, 6, x));
}

double KSPValue(Integer n, double D) {
  if (n < 1 || std::isnan(D)) return -1.0;
  if (D <= 0.0) return 1.0;
  const double dn = n;
  const double s = dn * D * D;
  if (s > 7.24 || (s > 3.76 && n > 99)) return KSAsymptotic(dn, s);
  // Marsaglia-Tsang-Wang: P(D_n < D) = n!/n^n · (H^n)(k, k).
  const Int64 k = static_cast<Int64>(dn * D) + 1;
  const Int64 mm = 2 * k - 1;
  if (mm > kMaxKSMatrixOrder) return KSAsymptotic(dn, s);
  const std::size_t m = static_cast<std::size_t>(mm);
  const double h = static_cast<double>(k) - dn * D;

  std::vector<double> H(m * m);
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; j < m; ++j) H[i * m + j] = (i + 1 >= j) ? 1.0 : 0.0;
  for (std::size_t i = 0; i < m; ++i) {
    H[i * m] -= std::pow(h, static_cast<double>(i + 1));
    H[(m - 1) * m + i] -= std::pow(h, static_cast<double>(m - i));
  }
  if (2.0 * h - 1.0 > 0.0) H[(m - 1) * m] += std::pow(2.0 * h - 1.0, static_cast<double>(m));
  std::vector<double> factorial(m + 1);
  factorial[0] = 1.0;
  for (std::size_t g = 1; g <= m; ++g) factorial[g] = factorial[g - 1] * static_cast<double>(g);
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; j <= i; ++j) H[i * m + j] /= factorial[i - j + 1];

  std::vector<double> V(m * m);
  std::vector<double> B(m * m);
  Int64 e = 0;
  KSMatPower(H, n, m, V, B, e);
  double sk = V[static_cast<std::size_t>(k - 1) * m + static_cast<std::size_t>(k - 1)];
  for (Integer i = 1; i <= n; ++i) {
    sk = sk * i / dn;
    if (sk < 1e-140) {
      sk *= 1e140;
      e -= 140;
    }
  }
  return 1.0 - sk * std::pow(10.0, static_cast<double>(e));
}

double KSQuantile(Integer n, TSignifLevel level) {
  if (n < 1 || level > Dot01) return -1.0;
  const double alpha = kKSCritical[0][level];
  double d = KolmogSmir1SampleTestStat(n, level);
  for (int step = 0; step < kMaxKSQuantileSteps; ++step) {
    const double e = KSPValue(n, d) - alpha;
    if (std::fabs(e) <= 0.0001) return d;
    d = d * (1.0 + e);
  }
  return d;
}

double KolmogSmir1SampleTestStat(Integer n, TSignifLevel level) {
  if (n < 1 || level > Dot01) return -1.0;
  if (n <= 20) return kKSCritical[n][level];
  return kKSLargeN[level] / std::sqrt(static_cast<double>(n));
}

}  // namespace NUV_statis
}  // namespace nuv
