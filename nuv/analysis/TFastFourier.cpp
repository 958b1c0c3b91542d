#include "nuv/analysis/TFastFourier.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>
#include <utility>

#include "nuv/base/constants.hpp"
#include "nuv/base/scaling.hpp"

namespace nuv {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr Integer kMaxSize = Integer{1} << 30;

bool IsAllowedSize(Integer a) noexcept {
  return a > 0 && a <= kMaxSize &&
         (static_cast<Cardinal>(a) & (static_cast<Cardinal>(a) - 1u)) == 0;
}

}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(512, 0.0);
    FUserWgt.assign(256, 1.0);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVFourierError>(this, "not enough memory on heap");
  }
  FNumData = 256;
}

void TFastFourier::SetSpectrumSize(Integer a) {
  if (!IsAllowedSize(a)) {
    detail::RaiseComponent<ENUVFourierError>(this, "data length must be power of 2");
  }
  // Both arrays first, so that a failure leaves N and the old arrays in step.
  std::vector<double> data;
  std::vector<double> wgt;
  try {
    data.assign(2 * static_cast<std::size_t>(a), 0.0);
    wgt.assign(static_cast<std::size_t>(a), 0.0);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVFourierError>(this, "not enough memory on heap");
  } catch (const std::length_error&) {
    detail::RaiseComponent<ENUVFourierError>(this, "not enough memory on heap");
  }
  FData.swap(data);
  FUserWgt.swap(wgt);
  FNumData = a;
  std::vector<double>().swap(FTwiddles);
  MaxValuesValid = false;
}

double TFastFourier::RealSpec(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return Re(static_cast<std::size_t>(ix - 1));
}

void TFastFourier::SetRealSpec(Integer ix, double Value) noexcept {
  if (ix < 1 || ix > FNumData) return;
  FData[2 * static_cast<std::size_t>(ix - 1)] = Value;
  MaxValuesValid = false;
}

double TFastFourier::ImagSpec(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return Im(static_cast<std::size_t>(ix - 1));
}

void TFastFourier::SetImagSpec(Integer ix, double Value) noexcept {
  if (ix < 1 || ix > FNumData) return;
  FData[2 * static_cast<std::size_t>(ix - 1) + 1] = Value;
  MaxValuesValid = false;
}

double TFastFourier::WgtFunction(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return FUserWgt[static_cast<std::size_t>(ix - 1)];
}

void TFastFourier::SetWgtFunction(Integer ix, double Value) noexcept {
  if (ix < 1 || ix > FNumData) return;
  FUserWgt[static_cast<std::size_t>(ix - 1)] = Value;
}

double TFastFourier::PowerSpec(Integer k) const noexcept {
  if (k < 0 || k > FNumData / 2) return 0.0;
  const auto n = static_cast<std::size_t>(FNumData);
  const auto u = static_cast<std::size_t>(k);
  if (u == 0) return (Re(0) * Re(0) + Im(0) * Im(0)) / FNumData;
  return (Re(u) * Re(u) + Im(u) * Im(u) + Re(n - u) * Re(n - u) + Im(n - u) * Im(n - u)) / FNumData;
}

namespace {

// |(a, b)|: the plain root where the squares are safe, scaled where they are not, so a
// spectrum's magnitudes scale with the signal.
double Hypotenuse(double a, double b) noexcept {
  return detail::RootSumSq([a, b](auto&& f) {
    f(a);
    f(b);
  });
}

}  // namespace

double TFastFourier::Magnitude(Integer k) const noexcept {
  if (k < 0 || k > FNumData / 2) return 0.0;
  const auto n = static_cast<std::size_t>(FNumData);
  const auto u = static_cast<std::size_t>(k);
  if (u == 0) return Hypotenuse(Re(0), Im(0)) / FNumData;
  return Hypotenuse(Re(u) + Re(n - u), Im(u) - Im(n - u)) / FNumData;
}

double TFastFourier::FourSerCosCoeff(Integer n) const noexcept {
  if (n < 0 || n > FNumData / 2) return 0.0;
  const auto u = static_cast<std::size_t>(n);
  if (u == 0) return Re(0) / FNumData;
  return (Re(u) + Re(static_cast<std::size_t>(FNumData) - u)) / FNumData;
}

double TFastFourier::FourSerSinCoeff(Integer n) const noexcept {
  if (n < 1 || n > FNumData / 2) return 0.0;
  const auto u = static_cast<std::size_t>(n);
  return (Im(u) - Im(static_cast<std::size_t>(FNumData) - u)) / FNumData;
}

double TFastFourier::Phase(Integer k) const noexcept {
  if (k < 1 || k > FNumData / 2) return 0.0;
  const auto u = static_cast<std::size_t>(k);
  if (Re(u) != 0.0) return std::atan(Im(u) / Re(u));
  return Im(u) > 0.0 ? kPi / 2.0 : -kPi / 2.0;
}

void TFastFourier::CalcMaxValues() noexcept {
  FMaxReal = -uc_MaxDouble;
  FMaxImag = -uc_MaxDouble;
  FMinReal = uc_MaxDouble;
  FMinImag = uc_MaxDouble;
  const auto n = static_cast<std::size_t>(FNumData);
  for (std::size_t k = 0; k < n; ++k) {
    if (Re(k) > FMaxReal) FMaxReal = Re(k);
    if (Re(k) < FMinReal) FMinReal = Re(k);
    if (Im(k) > FMaxImag) FMaxImag = Im(k);
    if (Im(k) < FMinImag) FMinImag = Im(k);
  }
  double maxPower = 0.0;
  for (std::size_t k = 1; k < n / 2; ++k) {
    const double p = Re(k) * Re(k) + Im(k) * Im(k) + Re(n - k) * Re(n - k) + Im(n - k) * Im(n - k);
    if (p > maxPower) maxPower = p;
  }
  double maxMagni = 0.0;
  for (std::size_t k = 1; k <= n / 2; ++k) {
    const double m = Hypotenuse(Re(k) + Re(n - k), Im(k) - Im(n - k));
    if (m > maxMagni) maxMagni = m;
  }
  FMaxPower = maxPower / FNumData;
  FMaxMagni = maxMagni / FNumData;
  MaxValuesValid = true;
}

double TFastFourier::RealMax() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMaxReal;
}

double TFastFourier::ImagMax() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMaxImag;
}

double TFastFourier::RealMin() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMinReal;
}

double TFastFourier::ImagMin() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMinImag;
}

double TFastFourier::PowerMax() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMaxPower;
}

double TFastFourier::MagniMax() {
  if (!MaxValuesValid) CalcMaxValues();
  return FMaxMagni;
}

void TFastFourier::Transform() {
  const Integer n = FNumData;
  double* d = FData.data();
  auto weigh = [d](Integer i, double w) {
    const auto k = 2 * static_cast<std::size_t>(i - 1);
    d[k] *= w;
    d[k + 1] *= w;
  };
  const double halfN = static_cast<double>(n) / 2.0;
  const double dn = static_cast<double>(n);
  switch (FWgtWin) {
    case fwRectangle:
      break;
    case fwTriangle:
      for (Integer i = 1; i <= n / 2; ++i) {
        const double w = 2.0 * i / dn;
        weigh(i, w);
        weigh(n - i + 1, w);
      }
      break;
    case fwUserDef:
      for (Integer i = 1; i <= n; ++i) weigh(i, FUserWgt[static_cast<std::size_t>(i - 1)]);
      break;
    default:
      for (Integer i = 1; i <= n; ++i) {
        const double t = i - halfN;
        const double c1 = std::cos(2.0 * kPi * t / dn);
        double w = 1.0;
        switch (FWgtWin) {
          case fwCos2: {
            const double c = std::cos(t * kPi / dn);
            w = c * c;
            break;
          }
          case fwGauss: {
            const double a = 6.0 * t / dn;
            w = std::exp(-(a * a) / 2.0);
            break;
          }
          case fwHamming:
            w = 0.543478261 + 0.45652173900000004 * c1;
            break;
          case fwBlackman:
            w = 0.42659 + 0.49656 * c1 + 0.076848 * std::cos(4.0 * kPi * t / dn);
            break;
          case fwBlkmHarris:
            w = 0.35875 + 0.48829 * c1 + 0.14128 * std::cos(4.0 * kPi * t / dn) +
                0.01168 * std::cos(6.0 * kPi * t / dn);
            break;
          case fwBlkmNuttall:
            w = 0.3635819 + 0.4891775 * c1 + 0.1365995 * std::cos(4.0 * kPi * t / dn) +
                0.0106411 * std::cos(6.0 * kPi * t / dn);
            break;
          default:
            break;
        }
        weigh(i, w);
      }
      break;
  }
  DoFFT(1);
}

void TFastFourier::InverseTransform() {
  DoFFT(-1);
}

void TFastFourier::Clear() noexcept {
  std::fill(FData.begin(), FData.end(), 0.0);
  MaxValuesValid = false;
}

void TFastFourier::ClearReal() noexcept {
  for (std::size_t k = 0; k < FData.size(); k += 2) FData[k] = 0.0;
  MaxValuesValid = false;
}

void TFastFourier::ClearImag() noexcept {
  for (std::size_t k = 1; k < FData.size(); k += 2) FData[k] = 0.0;
  MaxValuesValid = false;
}

double TFastFourier::FreqOfLine(Integer ix, double SampleTime) const noexcept {
  if (ix < 1 || ix > FNumData / 2) return 0.0;
  return static_cast<double>(ix) / SampleTime / FNumData;
}

Integer TFastFourier::LineOfFreq(double f, double SampleTime) const noexcept {
  const double l = std::nearbyint(f * FNumData * SampleTime);
  // Written so that NaN fails the test before any conversion.
  if (!(l >= 1.0 && l <= static_cast<double>(FNumData / 2))) return 0;
  return static_cast<Integer>(l);
}

double TFastFourier::RMS(Integer FirstIx, Integer LastIx) const noexcept {
  const Integer top = FNumData / 2;
  FirstIx = std::clamp(FirstIx, 0, top);
  LastIx = std::clamp(LastIx, 0, top);
  if (LastIx < FirstIx) std::swap(FirstIx, LastIx);
  const auto n = static_cast<std::size_t>(FNumData);
  // The root of the lines' sum of squares, scaled where it would overflow or underflow.
  return detail::RootSumSq([&](auto&& f) {
           for (auto k = static_cast<std::size_t>(FirstIx); k <= static_cast<std::size_t>(LastIx);
                ++k) {
             f(Re(k));
             f(Im(k));
             if (k != 0) {
               f(Re(n - k));
               f(Im(n - k));
             }
           }
         }) /
         FNumData;
}

}  // namespace nuv
