#include "nuv/analysis/TWavelet1D.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace nuv {
namespace {

constexpr Integer kMaxSize = Integer{1} << 30;

// Daubechies low-pass filters, taps summing to sqrt(2), for orders 1 .. 3.
constexpr double kTaps1[] = {0.7071067811865476, 0.7071067811865476};
constexpr double kTaps2[] = {0.48296291314453416, 0.8365163037378079, 0.2241438680420134,
                             -0.12940952255126037};
constexpr double kTaps3[] = {0.33267055295008263,  0.8068915093110925,   0.45987750211849154,
                             -0.13501102001025458, -0.08544127388202666, 0.03522629188570953};

bool IsPowerOfTwo(Integer a) noexcept {
  return a > 0 && (static_cast<Cardinal>(a) & (static_cast<Cardinal>(a) - 1u)) == 0;
}

// One forward step of an interior output i (0-based), whose taps all fall inside the stretch:
// the sums run over the taps in order, as the general loop adds them.
template <int L>
inline void ForwardInterior(const double* x, const double* lp, const double* hp, double& lo,
                            double& hi) noexcept {
  double a = 0.0;
  double d = 0.0;
  for (int b = 0; b < L; ++b) {
    a += lp[b] * x[b];
    d += hp[b] * x[b];
  }
  lo = a;
  hi = d;
}

template <int L>
void ForwardStep(const double* x, double* s, std::size_t n, std::size_t firstInterior,
                 const double* lp, const double* hp) noexcept {
  const std::size_t h = n / 2;
  for (std::size_t i = firstInterior; i < h; ++i) {
    ForwardInterior<L>(x + 2 * i + 2 - L, lp, hp, s[i], s[h + i]);
  }
}

template <int L>
void InverseInterior(const double* x, double* s, std::size_t n, std::size_t i, const double* lp,
                     const double* hp) noexcept {
  const std::size_t h = n / 2;
  const double a = x[i];
  const double d = x[h + i];
  double* t = s + 2 * i + 2 - L;
  for (int b = 0; b < L; ++b) t[b] += lp[b] * a + hp[b] * d;
}

}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(256, 0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FNumData = 256;
  SetOrder(2);
}

void TWavelet1D::RaiseNoMemory() const {
  detail::RaiseComponent<ENUVWaveletError>(this, "not enough memory on heap");
}

void TWavelet1D::SetOrder(Integer Value) {
  if (Value < 1 || Value > 3) {
    detail::RaiseComponent<ENUVWaveletError>(this, "invalid order of Daubechies wavelet family");
  }
  const double* taps = Value == 1 ? kTaps1 : Value == 2 ? kTaps2 : kTaps3;
  const auto len = static_cast<std::size_t>(2 * Value);
  std::vector<double> lp(taps, taps + len);
  std::vector<double> hp(len);
  // HP[L - i] = (-1)^i LP[i - 1], i = 1 .. L.
  for (std::size_t i = 1; i <= len; ++i) hp[len - i] = (i % 2 == 0 ? 1.0 : -1.0) * lp[i - 1];
  FOrder = Value;
  FCoeffsLP.swap(lp);
  FCoeffsHP.swap(hp);
}

void TWavelet1D::SetSize(Integer a) {
  if (!(IsPowerOfTwo(a) && a <= kMaxSize)) {
    detail::RaiseComponent<ENUVWaveletError>(this, "data length must be power of 2");
  }
  std::vector<double> data;
  try {
    data.assign(static_cast<std::size_t>(a), 0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
  FData.swap(data);
  FNumData = a;
}

double TWavelet1D::Data(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return FData[static_cast<std::size_t>(ix - 1)];
}

void TWavelet1D::SetData(Integer ix, double Value) noexcept {
  if (ix < 1 || ix > FNumData) return;
  FData[static_cast<std::size_t>(ix - 1)] = Value;
}

void TWavelet1D::Clear() noexcept {
  std::fill(FData.begin(), FData.end(), 0.0);
}

void TWavelet1D::Step(std::size_t n, std::size_t offset, bool inverse, double* s) noexcept {
  const auto order = static_cast<std::size_t>(FOrder);
  const std::size_t taps = 2 * order;
  const std::size_t h = n / 2;
  const std::size_t mask = n - 1;
  const double* lp = FCoeffsLP.data();
  const double* hp = FCoeffsHP.data();
  double* x = FData.data() + offset;
  std::fill(s, s + n, 0.0);

  // Sample index of tap b (1-based) for output i (1-based), or -1 when the tap is skipped.
  // c AND mask on a negative c is c modulo n, written so for an unsigned index.
  auto source = [&](std::size_t i, std::size_t b) -> std::ptrdiff_t {
    auto c = static_cast<std::ptrdiff_t>(2 * i + b) - static_cast<std::ptrdiff_t>(taps) - 1;
    if (c < 0) {
      if (FWLSigExtMode == wseZeroPad) return -1;
      if (FWLSigExtMode == wseSymmetric) c = -c - 1;
    }
    return static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c) & mask);
  };
  // Outputs i = 1 .. order-1 (1-based) have taps before the stretch; from i = order on every
  // c lies in 0 .. n-1.
  const std::size_t firstInterior = std::min(order, h + 1);

  if (!inverse) {
    for (std::size_t i = 1; i < firstInterior; ++i) {
      for (std::size_t b = 1; b <= taps; ++b) {
        const std::ptrdiff_t c = source(i, b);
        if (c < 0) continue;
        s[i - 1] += lp[b - 1] * x[c];
        s[h + i - 1] += hp[b - 1] * x[c];
      }
    }
    const std::size_t first0 = firstInterior - 1;  // 0-based
    switch (taps) {
      case 2:
        ForwardStep<2>(x, s, n, first0, lp, hp);
        break;
      case 4:
        ForwardStep<4>(x, s, n, first0, lp, hp);
        break;
      default:
        ForwardStep<6>(x, s, n, first0, lp, hp);
        break;
    }
  } else {
    // Contributions reach each target in the order of (i, b), as in the plain double loop.
    for (std::size_t i = 1; i <= h; ++i) {
      if (i >= firstInterior) {
        switch (taps) {
          case 2:
            InverseInterior<2>(x, s, n, i - 1, lp, hp);
            break;
          case 4:
            InverseInterior<4>(x, s, n, i - 1, lp, hp);
            break;
          default:
            InverseInterior<6>(x, s, n, i - 1, lp, hp);
            break;
        }
        continue;
      }
      for (std::size_t b = 1; b <= taps; ++b) {
        const std::ptrdiff_t c = source(i, b);
        if (c < 0) continue;
        s[c] += lp[b - 1] * x[i - 1] + hp[b - 1] * x[h + i - 1];
      }
    }
  }
  std::memcpy(x, s, n * sizeof(double));
}

void TWavelet1D::PartialWLT(Integer length, Integer offset, bool inverse) {
  if (length < 2 || !IsPowerOfTwo(length) || offset < 0) return;
  if (static_cast<Int64>(offset) + length > FNumData) return;
  std::vector<double> scratch;
  try {
    scratch.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  Step(static_cast<std::size_t>(length), static_cast<std::size_t>(offset), inverse, scratch.data());
}

void TWavelet1D::DoWLT(Integer Level, bool inverse) {
  if (Level <= 0) Level = 1;
  if (FNumData <= 1) return;
  const auto n = static_cast<std::size_t>(FNumData);
  std::vector<double> scratch;
  try {
    scratch.resize(n);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  if (!inverse) {
    std::size_t len = n;
    for (Integer k = 0; k < Level && len > 1; ++k, len /= 2) Step(len, 0, false, scratch.data());
  } else {
    std::size_t len = 2;
    for (Integer k = 0; k < Level && len <= n; ++k, len *= 2) Step(len, 0, true, scratch.data());
  }
}

void TWavelet1D::Transform(Integer Level) {
  DoWLT(Level, false);
}

void TWavelet1D::InverseTransform(Integer Level) {
  DoWLT(Level, true);
}

void TWavelet1D::SingleStep(bool inverse) {
  PartialWLT(FNumData, 0, inverse);
}

}  // namespace nuv
