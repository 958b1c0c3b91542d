#include "nuv/analysis/TRandGen.hpp"

#include <algorithm>
#include <cmath>
#include <new>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/platform/random.hpp"

namespace nuv {

namespace {
constexpr Integer kMinResolution = 10;
constexpr Integer kMaxResolution = 4000;
constexpr int kMaxTries = 100001;
}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FDistVec.assign(static_cast<std::size_t>(FResolution), 1.0);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVStatisError>(this, "not enough memory on heap");
  }
}

void TRandGen::SetResolution(Integer n) {
  n = std::clamp(n, kMinResolution, kMaxResolution);
  try {
    std::vector<double> table(static_cast<std::size_t>(n), 1.0);
    FDistVec.swap(table);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVStatisError>(this, "not enough memory");
  }
  FResolution = n;
}

double TRandGen::GetProbability(Integer Idx) const noexcept {
  if (Idx < 1 || Idx > FResolution) return 0.0;
  return FDistVec[static_cast<std::size_t>(Idx - 1)];
}

namespace {

// The point Units bins of Res above Low on the way to High: Low + Units·(High - Low)/Res, or,
// where the borders' difference overflows, (1 - t)·Low + t·High with t = Units/Res, so that
// points between representable borders are representable.
double BorderPoint(double Low, double High, double Units, Integer Res) noexcept {
  const double d = High - Low;
  if (std::isfinite(d) || !std::isfinite(Low) || !std::isfinite(High)) return Low + Units * d / Res;
  const double t = Units / Res;
  return (1.0 - t) * Low + t * High;
}

}  // namespace

void TRandGen::SetProbability(Integer Idx, double Value) noexcept {
  if (Idx < 1 || Idx > FResolution) return;
  FDistVec[static_cast<std::size_t>(Idx - 1)] =
      std::isnan(Value) ? 0.0 : std::clamp(Value, 0.0, 1.0);
}

double TRandGen::GetLambda(Integer ix) const noexcept {
  if (ix <= 0) return FLowBorder;
  if (ix > FResolution) return FHighBorder;
  return BorderPoint(FLowBorder, FHighBorder, ix - 1.0, FResolution);
}

Integer TRandGen::IndexOfLambda(double Lambda) const noexcept {
  if (std::isnan(Lambda) || Lambda < FLowBorder) return 0;
  if (Lambda >= FHighBorder) return FResolution + 1;
  // Low <= Lambda < High here, so the quotient lies in [0, Resolution] unless the borders
  // are infinite; the clamp keeps the conversion defined in every case.
  const double t = std::floor((Lambda - FLowBorder) * FResolution / (FHighBorder - FLowBorder));
  if (std::isnan(t)) return 1;
  return static_cast<Integer>(std::clamp(t, 0.0, static_cast<double>(FResolution))) + 1;
}

double TRandGen::GetRandNum() {
  const std::size_t last = static_cast<std::size_t>(FResolution - 1);
  Integer a = 0;
  double b = 0.0;
  for (int tries = 0; tries < kMaxTries; ++tries) {
    a = nuv::Random(FResolution);
    b = nuv::Random();
    const auto ia = static_cast<std::size_t>(a);
    const double va = FDistVec[ia];
    const double c = ia == last ? va * (1.0 - b) : va + b * (FDistVec[ia + 1] - va);
    if (c >= 1.0 || c > nuv::Random()) break;
  }
  return BorderPoint(FLowBorder, FHighBorder, a + b, FResolution);
}

void TRandGen::Normalize() noexcept {
  double lo = 0.0;
  double hi = 0.0;
  bool any = false;
  for (double v : FDistVec) {
    if (std::isnan(v)) continue;
    if (!any || v < lo) lo = v;
    if (!any || v > hi) hi = v;
    any = true;
  }
  if (!any || hi == lo) return;
  const double range = hi - lo;
  for (double& v : FDistVec) v = (v - lo) / range;
}

bool TRandGen::Standardize() noexcept {
  double hi = 0.0;
  bool any = false;
  for (double v : FDistVec) {
    if (std::isnan(v)) continue;
    if (!any || v > hi) hi = v;
    any = true;
  }
  if (!any || hi == 0.0) return false;
  for (double& v : FDistVec) v /= hi;
  return true;
}

double TRandGen::Abscissa(Integer i) const noexcept {
  return BorderPoint(FLowBorder, FHighBorder, i, FResolution);
}

void TRandGen::NormalDistri(double m, double s) noexcept {
  for (Integer i = 0; i < FResolution; ++i) {
    const double d = Abscissa(i) - m;
    FDistVec[static_cast<std::size_t>(i)] = std::exp(-0.5 * d * d / (s * s));
  }
}

void TRandGen::tDistri(double df) noexcept {
  for (Integer i = 0; i < FResolution; ++i)
    FDistVec[static_cast<std::size_t>(i)] = tDistriDensity(Abscissa(i), df);
}

void TRandGen::Chi2Distri(double df) noexcept {
  const double w = (FHighBorder - FLowBorder) / FResolution;
  for (Integer i = 0; i < FResolution; ++i) {
    const double x = Abscissa(i);
    double v = x < 0.0 ? 0.0 : Chi2DistriDensity(x, df);
    // Below 2 degrees of freedom the density has a pole at 0; an infinite bin would leave
    // nothing but NaN after scaling, so the bin takes the density at its middle instead.
    if (!std::isfinite(v)) {
      v = Chi2DistriDensity(x + w / 2.0, df);
      if (!std::isfinite(v)) v = 0.0;
    }
    FDistVec[static_cast<std::size_t>(i)] = v;
  }
}

void TRandGen::FDistri(double df1, double df2) noexcept {
  for (Integer i = 0; i < FResolution; ++i) {
    const double x = Abscissa(i);
    FDistVec[static_cast<std::size_t>(i)] = x <= 0.0 ? 0.0 : FDistriDensity(x, df1, df2);
  }
}

void TRandGen::WeibullDistri(double beta, double eta) noexcept {
  for (Integer i = 0; i < FResolution; ++i)
    FDistVec[static_cast<std::size_t>(i)] = WeibullDensity(Abscissa(i), beta, eta);
}

void TRandGen::UniformDistri() noexcept {
  std::fill(FDistVec.begin(), FDistVec.end(), 1.0);
}

}  // namespace nuv
