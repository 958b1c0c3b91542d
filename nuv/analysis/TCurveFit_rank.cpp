// TCurveFit: rank correlations, order statistics, circular means and the regression analysis of
// variance.

#include <algorithm>
#include <cmath>
#include <limits>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/scalar/TKahanSum.hpp"

namespace nuv {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHugeF = 1e10;

// Replaces each run of equal keys (column KeyCol, rows sorted by it) in column RankCol by the
// mean of its ranks and returns the tie correction sum of t(t² - 1)/12 over the runs.
double AverageTiedRanks(TMatrix& M, Integer n, Integer KeyCol, Integer RankCol) {
  double corr = 0.0;
  Integer first = 1;
  while (first <= n) {
    Integer last = first;
    while (last < n && M.GetVal(KeyCol, last + 1) == M.GetVal(KeyCol, first)) ++last;
    if (last > first) {
      const double t = static_cast<double>(last - first + 1);
      const double mean = 0.5 * (static_cast<double>(first) + static_cast<double>(last));
      for (Integer i = first; i <= last; ++i) M.SetVal(RankCol, i, mean);
      corr += t * (t * t - 1.0) / 12.0;
    }
    first = last + 1;
  }
  return corr;
}

}  // namespace

void TCurveFit::BasicRankCounts() noexcept {
  FKendallConcord = 0;
  FKendallDiscord = 0;
  FKendallTies1 = 0;
  FKendallTies2 = 0;
  const Integer n = FNumData;
  if (n > 2) {
    for (Integer i = 1; i < n; ++i) {
      const double xi = FData->GetVal(1, i);
      const double yi = FData->GetVal(2, i);
      for (Integer j = i + 1; j <= n; ++j) {
        const double dx = xi - FData->GetVal(1, j);
        const double dy = yi - FData->GetVal(2, j);
        // By the signs of the differences: their product may underflow to 0 or overflow.
        const int f = ((dx > 0.0) - (dx < 0.0)) * ((dy > 0.0) - (dy < 0.0));
        if (f > 0) {
          ++FKendallConcord;
        } else if (f < 0) {
          ++FKendallDiscord;
        } else {
          if (dx != 0.0) ++FKendallTies1;
          if (dy != 0.0) ++FKendallTies2;
        }
      }
    }
  }
  FKendallValid = true;
}

double TCurveFit::KendallsTau(double& p) {
  if (!FKendallValid) BasicRankCounts();
  const double c = static_cast<double>(FKendallConcord);
  const double d = static_cast<double>(FKendallDiscord);
  const double r = std::sqrt((c + d + static_cast<double>(FKendallTies1)) *
                             (c + d + static_cast<double>(FKendallTies2)));
  if (r == 0.0) {
    p = 0.0;
    return 0.0;
  }
  const double tau = (c - d) / r;
  const double n = FNumData;
  const double sigma = std::sqrt((4.0 * n + 10.0) / (9.0 * n * (n - 1.0)));
  // The approximation of erf may stray beyond [0, 1] by its own error.
  p = std::clamp(1.0 - ErfApprox(std::fabs(tau / sigma) / uc_sqrt2), 0.0, 1.0);
  return tau;
}

double TCurveFit::GetKruskalGamma() {
  if (!FKendallValid) BasicRankCounts();
  const Int64 sum = FKendallConcord + FKendallDiscord;
  if (sum == 0) return 0.0;
  return static_cast<double>(FKendallConcord - FKendallDiscord) / static_cast<double>(sum);
}

double TCurveFit::GetSpearman() {
  const Integer n = FNumData;
  if (n < 3) return 0.0;
  TMatrix ranks(nullptr);
  ranks.Resize(4, n);
  for (Integer i = 1; i <= n; ++i) {
    ranks.SetVal(1, i, FData->GetVal(1, i));
    ranks.SetVal(2, i, FData->GetVal(2, i));
  }
  ranks.SortRows(1, true, 1, 1, 4, n);
  for (Integer i = 1; i <= n; ++i) ranks.SetVal(3, i, i);
  const double tx = AverageTiedRanks(ranks, n, 1, 3);
  ranks.SortRows(2, true, 1, 1, 4, n);
  for (Integer i = 1; i <= n; ++i) ranks.SetVal(4, i, i);
  const double ty = AverageTiedRanks(ranks, n, 2, 4);

  auto* ks = new TKahanSum(this);
  ks->Reset();
  for (Integer i = 1; i <= n; ++i) {
    const double diff = ranks.GetVal(3, i) - ranks.GetVal(4, i);
    ks->Add(diff * diff);
  }
  const double sd = ks->Sum;
  delete ks;

  const double nd = n;
  const double t = (nd * nd - 1.0) * nd;
  if (tx == 0.0 && ty == 0.0) return 1.0 - 6.0 * sd / t;
  if (t == 12.0 * tx || t == 12.0 * ty) return 0.0;
  return (t - 6.0 * (sd + tx + ty)) / std::sqrt((t - 12.0 * tx) * (t - 12.0 * ty));
}

bool TCurveFit::QuartilesX(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0.0;
  // Rows 1..0 would become row 1 under the range rule; no pairs means no quartiles.
  if (FNumData < 1) return false;
  return FData->Quartiles(1, 1, 1, FNumData, q1, q2, q3);
}

bool TCurveFit::QuartilesY(double& q1, double& q2, double& q3) const {
  q1 = q2 = q3 = 0.0;
  if (FNumData < 1) return false;
  return FData->Quartiles(2, 1, 2, FNumData, q1, q2, q3);
}

double TCurveFit::SkewnessX() const {
  double skew = 0.0, kurt = 0.0;
  if (FNumData > 0) FData->SkewKurtSample(1, 1, 1, FNumData, skew, kurt);
  return skew;
}

double TCurveFit::SkewnessY() const {
  double skew = 0.0, kurt = 0.0;
  if (FNumData > 0) FData->SkewKurtSample(2, 1, 2, FNumData, skew, kurt);
  return skew;
}

double TCurveFit::KurtosisX() const {
  double skew = 0.0, kurt = 0.0;
  if (FNumData > 0) FData->SkewKurtSample(1, 1, 1, FNumData, skew, kurt);
  return kurt;
}

double TCurveFit::KurtosisY() const {
  double skew = 0.0, kurt = 0.0;
  if (FNumData > 0) FData->SkewKurtSample(2, 1, 2, FNumData, skew, kurt);
  return kurt;
}

double TCurveFit::CalcMeanDegrees(Integer Nc) const {
  if (FNumData < 1) return std::numeric_limits<double>::quiet_NaN();
  double s = 0.0;
  double c = 0.0;
  for (Integer i = 1; i <= FNumData; ++i) {
    const double v = FData->GetVal(Nc, i) * kPi / 180.0;
    s += std::sin(v);
    c += std::cos(v);
  }
  // atan of S/C covers (-90, 90); the signs of C and S put it into the right quadrant.
  const double a = std::atan(s / c) * 180.0 / kPi;
  if (c < 0.0) return a + 180.0;
  if (s < 0.0) return a + 360.0;
  return a;
}

void TCurveFit::CalcAnovaReg(Integer NumVars, bool IncludeConst, Integer& dfreg, Integer& dfres,
                             Integer& dftotal, double& SSE, double& SSR, double& SST, double& MSE,
                             double& MSR, double& F) const {
  const Integer n = FNumData;
  dfreg = NumVars;
  double m = 0.0;
  // Pairs of extreme magnitude are summed in a power-of-two unit (see scaling.hpp): the sums of
  // squares are given back in the caller's units (∞ where one itself overflows), F as a ratio.
  const TMatrix& D = *FData;
  const int unit = detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) {
      f(D.GetVal(1, i));
      f(D.GetVal(2, i));
    }
  }));
  const double fs = detail::ScaleFactor(unit);
  if (IncludeConst) {
    dftotal = n - 1;
    // The mean of the observed values, refined by the mean deviation from it: SSR is taken
    // about it, so a mean rounded at the data's magnitude would count as regression.
    double s = 0.0;
    for (Integer i = 1; i <= n; ++i) s += D.GetVal(1, i) * fs;
    m = s / static_cast<double>(n);
    double dm = 0.0;
    for (Integer i = 1; i <= n; ++i) dm += D.GetVal(1, i) * fs - m;
    if (n > 0) m += dm / n;
  } else {
    dftotal = n;
  }
  // Through 64 bits: NumVars is the caller's and may be as low as the 32-bit minimum.
  const Int64 res = static_cast<Int64>(dftotal) - static_cast<Int64>(dfreg);
  dfres = res < std::numeric_limits<Integer>::min()   ? std::numeric_limits<Integer>::min()
          : res > std::numeric_limits<Integer>::max() ? std::numeric_limits<Integer>::max()
                                                      : static_cast<Integer>(res);
  // Sums of squares straight from the pairs: the expanded sumxq - 2m·sumx + n·m² cancels to
  // nothing for values far from zero. With a constant, SST is about x's own mean, corrected by
  // the square of the deviations' sum over n.
  double sse = 0.0, ssr = 0.0, sst = 0.0, d1 = 0.0;
  for (Integer i = 1; i <= n; ++i) {
    const double x = D.GetVal(1, i) * fs;
    const double y = D.GetVal(2, i) * fs;
    const double e = x - y;
    const double r = y - m;
    const double t = x - m;
    sse += e * e;
    ssr += r * r;
    sst += t * t;
    d1 += t;
  }
  if (IncludeConst && n > 0) sst = std::max(0.0, sst - d1 * d1 / n);
  if (std::isnan(m)) ssr = sst = m;
  auto back = [unit](double v) { return unit == 0 ? v : std::ldexp(v, 2 * unit); };
  SSE = back(sse);
  SSR = back(ssr);
  SST = back(sst);
  // No guard: without degrees of freedom the division gives inf or NaN.
  const double mse = sse / static_cast<double>(res);
  const double msr = ssr / static_cast<double>(dfreg);
  MSE = back(mse);
  MSR = back(msr);
  if (msr == 0.0) {
    F = 0.0;
  } else if (mse != 0.0) {
    F = msr / mse;
  } else {
    F = kHugeF;
  }
}

}  // namespace nuv
