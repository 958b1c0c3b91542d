// One-way analysis of variance, percentile of an array stretch and kernel density estimate.

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/statis_detail.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/detail/selection.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
inline namespace NUV_statis {

namespace {

struct TGroup {
  double Shift;  // first value seen, so a constant group has deviations of exactly 0
  double SumDev = 0.0;
  Integer Count = 0;
  double Mean = 0.0;
};

// Upper tail of Fisher's F, formed directly so small p-values keep their precision.
double FUpperTail(double F, Integer df1, Integer df2) {
  if (std::isnan(F)) return F;
  if (F <= 0.0) return 1.0;
  const double d1 = df1;
  const double d2 = df2;
  const double u = d1 * F;
  if (std::isinf(u)) return 0.0;
  const double den = u + d2;
  return detail::IncompleteBetaXY(d2 / den, u / den, d2 / 2.0, d1 / 2.0);
}

}  // namespace

double Anova1F(const TVector* Data, const TIntVector* Groups, double& SSbetween, double& SSwithin,
               double& SStotal, Integer& DFbetween, Integer& DFwithin, Integer& DFtotal,
               double& F) {
  if (Data == nullptr || Groups == nullptr) return -1.0;
  const Integer n = Data->NrOfElem();
  // Everything is computed about the first value: the textbook T - B and B - C cancel
  // catastrophically for data far from zero and can even turn negative, and means rounded at
  // the data's magnitude would spoil the between-group sum.
  const double shift = Data->GetVal(1);
  std::vector<double> y(static_cast<std::size_t>(n));
  for (Integer i = 1; i <= n; ++i) y[static_cast<std::size_t>(i - 1)] = Data->GetVal(i) - shift;
  // Identifiers are integers, so "closer than 1e-8" is equality.
  std::unordered_map<Integer, std::size_t> index;
  std::vector<TGroup> groups;
  std::vector<std::size_t> member(y.size());
  double sumAll = 0.0;
  for (std::size_t i = 0; i < y.size(); ++i) {
    const auto [it, fresh] =
        index.try_emplace(Groups->GetVal(static_cast<Integer>(i + 1)), groups.size());
    if (fresh) groups.push_back(TGroup{y[i]});
    TGroup& g = groups[it->second];
    g.SumDev += y[i] - g.Shift;
    ++g.Count;
    member[i] = it->second;
    sumAll += y[i];
  }
  const auto k = static_cast<Integer>(groups.size());
  if (k <= 1) return -1.0;
  if (k >= n) return -2.0;

  const double grand = sumAll / n;
  for (TGroup& g : groups) g.Mean = g.Shift + g.SumDev / g.Count;
  double ssb = 0.0;
  for (const TGroup& g : groups) ssb += g.Count * (g.Mean - grand) * (g.Mean - grand);
  double ssw = 0.0;
  double sst = 0.0;
  for (std::size_t i = 0; i < y.size(); ++i) {
    const double dw = y[i] - groups[member[i]].Mean;
    const double dt = y[i] - grand;
    ssw += dw * dw;
    sst += dt * dt;
  }
  SSbetween = ssb;
  SSwithin = ssw;
  SStotal = sst;
  DFbetween = k - 1;
  DFwithin = n - k;
  DFtotal = n - 1;
  const double msb = ssb / (k - 1);
  const double msw = ssw / (n - k);
  if (msw != 0.0) {
    F = msb / msw;
    return FUpperTail(F, k - 1, n - k);
  }
  if (msb != 0.0) {
    F = uc_MaxReal;
    return 0.0;
  }
  F = 0.0;
  return -3.0;
}

Integer PercentileOfArray(std::span<double> data, double percentile, Integer first, Integer last,
                          double& result) {
  result = 0.0;
  Integer status = 0;
  const auto high = static_cast<Int64>(data.size()) - 1;
  if (first < 0 || first > high || last < 0 || last > high) status = -1;
  if (last < first) status = -3;
  if (!(percentile >= 0.0 && percentile <= 100.0)) status = -2;
  if (status != 0) return status;
  // The rank is counted from first; rank = count (percentile near 100) means the largest.
  const Int64 count = static_cast<Int64>(last) - first + 1;
  const Int64 k = std::min(Round(percentile / 100.0 * static_cast<double>(count)), count - 1);
  // Introselect over the stretch: linear on average whatever the ties (a two-way partition
  // is quadratic on a stretch of equal values), NaN ranked after every number.
  result = detail::SelectRank(
      data.subspan(static_cast<std::size_t>(first), static_cast<std::size_t>(count)),
      static_cast<std::size_t>(k));
  return 0;
}

void EstimateProbDensity(TVector* Data, TVector* Density, double LowX, double HighX,
                         double WidthScale, double Radius, Integer NumPoints, Integer& IxMin,
                         Integer& IxMax, const TProgressProc& Progress) {
  IxMin = 0;
  IxMax = 0;
  if (Data == nullptr || Density == nullptr) return;
  // The sort's events and the progress reports run while the count and the destination's
  // size are in use.
  const detail::TUseGuard use(Data, Density);
  NumPoints = std::clamp(NumPoints, 10, 10000);
  if (!(WidthScale > 0.0)) WidthScale = 1.0;
  const Integer n = Data->NrOfElem();
  Data->SortElems(true, 1, n);
  std::vector<double> x(static_cast<std::size_t>(n));
  for (Integer i = 1; i <= n; ++i) x[static_cast<std::size_t>(i - 1)] = Data->GetVal(i);

  const double total = static_cast<double>(n) + NumPoints + 1;
  double step = 0.0;
  auto progress = [&] {
    step += 1.0;
    if (Progress) Progress(nullptr, step, step / total * 100.0);
  };

  // The width of point i averages the gaps met by two scans that start next to it, one
  // walking down and one walking up, each going on while the value it stands on lies within
  // the radius of x(i). The scans stop at the ends of the data (there is no value beyond
  // them), so the gaps next to x(i) count twice.
  const double radius = std::fabs(Radius);
  std::vector<double> h(x.size());
  const auto n64 = static_cast<Int64>(n);
  auto X = [&x](Int64 j) { return x[static_cast<std::size_t>(j - 1)]; };
  for (Int64 i = 1; i <= n64; ++i) {
    const double xi = X(i);
    double sum = 0.0;
    Int64 c = 0;
    for (Int64 j = std::min(i + 1, n64); j >= 2 && std::fabs(X(j) - xi) < radius; --j) {
      sum += std::fabs(X(j) - X(j - 1));
      ++c;
    }
    for (Int64 j = std::max<Int64>(i - 1, 1); j <= n64 - 1 && std::fabs(X(j) - xi) < radius; ++j) {
      sum += std::fabs(X(j) - X(j + 1));
      ++c;
    }
    double width = radius;
    if (c > 0) width = sum != 0.0 ? sum / static_cast<double>(c) : radius / static_cast<double>(c);
    const double hw = WidthScale * width;
    h[static_cast<std::size_t>(i - 1)] = hw > 0.0 && std::isfinite(hw) ? hw : WidthScale;
    progress();
  }

  use.AllowResize(Density);
  Density->Resize(NumPoints + 1);
  double largest = 0.0;
  double smallest = uc_MaxDouble;
  for (Integer j = 0; j <= NumPoints; ++j) {
    const double at = LowX + j * (HighX - LowX) / NumPoints;
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      const double z = (at - x[i]) / h[i];
      sum += std::exp(-0.5 * z * z) / h[i];
    }
    const double d = uc_sqrt2pitom1 / n * sum;
    Density->SetVal(j + 1, d);
    if (d > largest) {
      largest = d;
      IxMax = j + 1;
    }
    if (d < smallest) {
      smallest = d;
      IxMin = j + 1;
    }
    progress();
  }
}

}  // namespace NUV_statis
}  // namespace nuv
