// Windowed-sinc kernels, the moving kernel filter and recursive Chebyshev filters.

#include "nuv/analysis/math2_kernel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/usecount.hpp"

namespace nuv {
inline namespace NUV_math2 {

namespace {

constexpr double kPi = std::numbers::pi;

std::size_t CentreIndex(std::size_t n) {
  return n / 2;
}

std::vector<double> LowPass(Integer N, double Fc, Integer WindowType) {
  const std::size_t n = N > 0 ? static_cast<std::size_t>(N) : 0;
  std::vector<double> h(n, 0.0);
  if (n == 0) return h;
  if (Fc < 0.0) Fc = 0.0;
  if (Fc > 0.5) Fc = 0.5;
  const double w = 2.0 * kPi * Fc;
  const auto centre = static_cast<std::int64_t>(CentreIndex(n)) + 1;
  for (std::size_t j = 0; j < n; ++j) {
    const auto i = static_cast<std::int64_t>(j) + 1;
    const auto k = static_cast<double>(i - centre);
    h[j] = i == centre ? w : std::sin(w * k) / k;
    const double a = 2.0 * kPi * static_cast<double>(i) / (static_cast<double>(n) + 1.0);
    if (WindowType == 1) {
      h[j] *= 0.54 - 0.46 * std::cos(a);
    } else if (WindowType == 2) {
      h[j] *= 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2.0 * a);
    }
  }
  double sum = 0.0;
  for (double v : h) sum += v;
  if (sum != 0.0) {
    for (double& v : h) v /= sum;
  }
  return h;
}

// Spectral inversion: turns a kernel into its complement (all-pass minus the kernel).
void Invert(std::vector<double>& h) {
  if (h.empty()) return;
  for (double& v : h) v = -v;
  h[CentreIndex(h.size())] += 1.0;
}

std::vector<double> HighPass(Integer N, double Fc, Integer WindowType) {
  std::vector<double> h = LowPass(N, Fc, WindowType);
  Invert(h);
  return h;
}

std::vector<double> BandStop(Integer N, double F1, double F2, Integer WindowType) {
  if (F1 > F2) std::swap(F1, F2);
  std::vector<double> h = LowPass(N, F1, WindowType);
  const std::vector<double> hp = HighPass(N, F2, WindowType);
  for (std::size_t j = 0; j < h.size(); ++j) h[j] += hp[j];
  return h;
}

std::vector<double> BandPass(Integer N, double F1, double F2, Integer WindowType) {
  std::vector<double> h = BandStop(N, F1, F2, WindowType);
  Invert(h);
  return h;
}

void Store(const std::vector<double>& h, TVector* Kernel) {
  if (Kernel == nullptr || h.empty()) return;
  // The kernel's handler may not resize it between the writes. The pass is granted only for
  // a resize that happens, so that no handler can spend it.
  detail::TUseGuard use(Kernel);
  const auto n = static_cast<Integer>(h.size());
  if (Kernel->NrOfElem() != n) {
    use.AllowResize(Kernel);
    Kernel->SetVecSize(n);
  }
  for (std::size_t j = 0; j < h.size(); ++j) Kernel->SetVal(static_cast<Integer>(j) + 1, h[j]);
}

}  // namespace

void CalcSincLPKernel(Integer N, double Fc, Integer WindowType, TVector* Kernel) {
  if (Kernel != nullptr && N > 0) Store(LowPass(N, Fc, WindowType), Kernel);
}
void CalcSincLPKernel(Integer N, double Fc, Integer WindowType, TDoubleArray& Kernel) {
  Kernel = LowPass(N, Fc, WindowType);
}
void CalcSincHPKernel(Integer N, double Fc, Integer WindowType, TVector* Kernel) {
  if (Kernel != nullptr && N > 0) Store(HighPass(N, Fc, WindowType), Kernel);
}
void CalcSincHPKernel(Integer N, double Fc, Integer WindowType, TDoubleArray& Kernel) {
  Kernel = HighPass(N, Fc, WindowType);
}
void CalcSincBSKernel(Integer N, double F1, double F2, Integer WindowType, TVector* Kernel) {
  if (Kernel != nullptr && N > 0) Store(BandStop(N, F1, F2, WindowType), Kernel);
}
void CalcSincBSKernel(Integer N, double F1, double F2, Integer WindowType, TDoubleArray& Kernel) {
  Kernel = BandStop(N, F1, F2, WindowType);
}
void CalcSincBPKernel(Integer N, double F1, double F2, Integer WindowType, TVector* Kernel) {
  if (Kernel != nullptr && N > 0) Store(BandPass(N, F1, F2, WindowType), Kernel);
}
void CalcSincBPKernel(Integer N, double F1, double F2, Integer WindowType, TDoubleArray& Kernel) {
  Kernel = BandPass(N, F1, F2, WindowType);
}

void MovingKernelFilter(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                        TVector* FilterKernel) {
  constexpr const char* kFunc = "MovingKernelfilter";
  if (SourceVec == nullptr || DestVec == nullptr || FilterKernel == nullptr) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc,
                                          "SourceVec, DestVec and/or FilterKernel is undefined");
  }
  // The stretch and the lengths are held across the destination's handler.
  detail::TUseGuard use(SourceVec, DestVec, FilterKernel);
  const Integer n = SourceVec->NrOfElem();
  FirstElem = std::clamp(FirstElem, 1, n);
  LastElem = std::clamp(LastElem, 1, n);
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  const Integer K = FilterKernel->NrOfElem();
  if (LastElem - FirstElem < K) {
    detail::RaiseFunction<ENUVMath2Error>(
        kFunc, "specified range for smoothing is smaller than the length of the kernel");
  }
  // The whole result is formed before DestVec is touched: it may be the source or the kernel.
  std::vector<double> result(static_cast<std::size_t>(LastElem - FirstElem + 1));
  const Integer shift = K / 2 + 1;
  for (Integer p = FirstElem; p <= LastElem; ++p) {
    double sum = 0.0;
    for (Integer i = 1; i <= K; ++i) {
      const Integer q = std::clamp(p + i - shift, FirstElem, LastElem);
      sum += SourceVec->GetVal(q) * FilterKernel->GetVal(i);
    }
    result[static_cast<std::size_t>(p - FirstElem)] = sum;
  }
  if (DestVec->NrOfElem() != n) {
    use.AllowResize(DestVec);
    DestVec->SetVecSize(n);
  }
  for (std::size_t j = 0; j < result.size(); ++j) {
    DestVec->SetVal(static_cast<Integer>(j) + 1, result[j]);
  }
  DestVec->Changed();
}

namespace {

// Schur-Cohn test by the step-down recursion: the roots of 1 - Σ B[r] z^-r (r = 1..P) lie
// strictly inside the unit circle exactly when every reflection coefficient has magnitude
// below 1. In long double, so that the test itself does not decide a borderline design.
bool PolesInsideUnitCircle(const std::array<double, 23>& B, std::size_t P) {
  std::vector<long double> c(P + 1);
  c[0] = 1.0L;
  for (std::size_t r = 1; r <= P; ++r) c[r] = -static_cast<long double>(B[r]);
  for (std::size_t m = P; m >= 1; --m) {
    const long double k = c[m];
    if (!(std::fabs(k) < 1.0L)) return false;
    const long double den = 1.0L - k * k;
    std::vector<long double> next(m);
    next[0] = 1.0L;
    for (std::size_t i = 1; i < m; ++i) next[i] = (c[i] - k * c[m - i]) / den;
    for (std::size_t i = 0; i < m; ++i) c[i] = next[i];
  }
  return true;
}

// The white-noise gain sqrt(Σ h[n]²) of the recursion 1 / (1 - Σ B[r] z^-r), r = 1..P, from its
// impulse response (the poles lie inside the unit circle), summed until its tail adds below
// 1e-16 of the sum over a stretch of P steps, or for at most 10^6 steps (then ∞: too slow).
double NoiseGain(const std::array<double, 23>& B, std::size_t P) {
  std::array<long double, 23> h{};  // h[0] the newest output
  long double sum = 0.0L;
  long double recent = 0.0L;
  for (long n = 0; n < 1000000; ++n) {
    long double y = n == 0 ? 1.0L : 0.0L;
    for (std::size_t r = 1; r <= P; ++r) y += static_cast<long double>(B[r]) * h[r - 1];
    for (std::size_t r = P; r >= 1; --r) h[r] = h[r - 1];
    h[0] = y;
    sum += y * y;
    recent += y * y;
    if ((n + 1) % static_cast<long>(P + 1) == 0) {
      if (n > 10 && recent <= 1e-16L * sum) return std::sqrt(static_cast<double>(sum));
      recent = 0.0L;
    }
  }
  return std::numeric_limits<double>::infinity();
}

}  // namespace

void CalcChebFilterCoeffs(Integer NPoles, bool HighPass, double CutOff, double Ripple, double& a0,
                          TMatrix* Coeffs) {
  constexpr const char* kFunc = "CalcChebFilterCoeffs";
  constexpr Integer kMaxPoles = 20;  // the cascade below holds 23 coefficients
  if (Coeffs == nullptr) return;
  if (NPoles % 2 != 0) detail::RaiseFunction<ENUVMath2Error>(kFunc, "NPoles must be even");
  if (NPoles < 0 || NPoles > kMaxPoles) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc, "NPoles must be in the range 0 to 20");
  }
  if (!(Ripple >= 0.0 && Ripple <= 29.0)) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc, "invalid Ripple value");
  }
  if (!(CutOff >= 0.0 && CutOff <= 0.5)) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc, "invalid cutoff frequency");
  }
  constexpr std::size_t kLen = 23;
  std::array<double, kLen> A{};
  std::array<double, kLen> B{};
  A[2] = 1.0;
  B[2] = 1.0;
  const auto np = static_cast<double>(NPoles);
  for (Integer p = 1; p <= NPoles / 2; ++p) {
    // Pole pair of the analogue prototype with -3 dB at 1 rad/s.
    const double angle = kPi / (2.0 * np) + static_cast<double>(p - 1) * kPi / np;
    double rp = -std::cos(angle);
    double ip = std::sin(angle);
    if (Ripple != 0.0) {
      // Warp the circle to the Chebyshev ellipse, keeping -3 dB at 1 rad/s.
      const double es = std::sqrt(std::pow(100.0 / (100.0 - Ripple), 2.0) - 1.0);
      const double vx = std::log(1.0 / es + std::sqrt(1.0 / (es * es) + 1.0)) / np;
      double kx = std::log(1.0 / es + std::sqrt(1.0 / (es * es) - 1.0)) / np;
      kx = std::cosh(kx);
      rp = rp * std::sinh(vx) / kx;
      ip = ip * std::cosh(vx) / kx;
    }
    // Bilinear transform to a digital low pass with cut-off 1 rad/sample.
    const double t = 2.0 * std::tan(0.5);
    const double m = rp * rp + ip * ip;
    double d = 4.0 - 4.0 * rp * t + m * t * t;
    const double x0 = t * t / d;
    const double x1 = 2.0 * t * t / d;
    const double x2 = t * t / d;
    const double y1 = (8.0 - 2.0 * m * t * t) / d;
    const double y2 = (-4.0 - 4.0 * rp * t - m * t * t) / d;
    // Low-pass to low-pass or high-pass transform in the z domain.
    const double w = 2.0 * kPi * CutOff;
    const double k = HighPass ? -std::cos(w / 2.0 + 0.5) / std::cos(w / 2.0 - 0.5)
                              : std::sin(0.5 - w / 2.0) / std::sin(0.5 + w / 2.0);
    d = 1.0 + y1 * k - y2 * k * k;
    const double ca0 = (x0 - x1 * k + x2 * k * k) / d;
    double ca1 = (-2.0 * x0 * k + x1 + x1 * k * k - 2.0 * x2 * k) / d;
    const double ca2 = (x0 * k * k - x1 * k + x2) / d;
    double cb1 = (2.0 * k + y1 + y1 * k * k - 2.0 * y2 * k) / d;
    const double cb2 = (-k * k - y1 * k + y2) / d;
    if (HighPass) {
      ca1 = -ca1;
      cb1 = -cb1;
    }
    // Cascade the biquad onto the polynomials built so far.
    const std::array<double, kLen> ta = A;
    const std::array<double, kLen> tb = B;
    for (std::size_t i = 2; i < kLen; ++i) {
      A[i] = ca0 * ta[i] + ca1 * ta[i - 1] + ca2 * ta[i - 2];
      B[i] = tb[i] - cb1 * tb[i - 1] - cb2 * tb[i - 2];
    }
  }
  B[2] = 0.0;
  for (std::size_t i = 0; i <= 20; ++i) {
    A[i] = A[i + 2];
    B[i] = -B[i + 2];
  }
  // Unit gain at frequency 0 (low pass) or 0.5 (high pass, alternating signs).
  double sa = 0.0;
  double sb = 0.0;
  for (std::size_t i = 0; i <= 20; ++i) {
    const double sign = HighPass && i % 2 == 1 ? -1.0 : 1.0;
    sa += A[i] * sign;
    sb += B[i] * sign;
  }
  const double gain = sa / (1.0 - sb);
  // A cut-off at the stop-band edge (low pass at 0, high pass at 0.5), or so near it that the
  // pass-band sums vanish, leaves no gain to scale by.
  if (gain == 0.0 || !std::isfinite(gain)) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc, "invalid cutoff frequency");
  }
  for (std::size_t i = 0; i <= 20; ++i) A[i] /= gain;
  // The stored coefficients must make a sound recursion in double precision: every pole of
  // 1 - Σ b(r) z^-r strictly inside the unit circle, and rounding that the recursion does not
  // amplify beyond 1e-6, so that a settled output stays within 1e-6 of the design's gain.
  // Each step rounds its sums, about eps·(P + 1)·(Σ|a| + Σ|b|) for an output of 1, and the
  // feedback amplifies that; poles near the unit circle make it large.
  if (!PolesInsideUnitCircle(B, static_cast<std::size_t>(NPoles))) {
    detail::RaiseFunction<ENUVMath2Error>(kFunc, "design is unstable in double precision");
  }
  {
    double sumAbs = 0.0, feedback = 0.0;
    for (std::size_t i = 0; i <= static_cast<std::size_t>(NPoles); ++i) {
      const double sign = HighPass && i % 2 == 1 ? -1.0 : 1.0;
      sumAbs += std::fabs(A[i]) + std::fabs(B[i]);
      feedback += sign * B[i];
    }
    // Rounding that repeats from step to step (a settled pass-band input) is amplified by the
    // loop's pass-band gain 1/|1 - Σ ±b|, rounding that varies by the loop's noise gain.
    constexpr double kEps = 0x1p-52;
    const double loop =
        std::max(1.0 / std::fabs(1.0 - feedback), NoiseGain(B, static_cast<std::size_t>(NPoles)));
    const double noise = kEps * sumAbs * static_cast<double>(NPoles + 1) * loop;
    if (!(noise <= 1e-6)) {
      detail::RaiseFunction<ENUVMath2Error>(kFunc, "design amplifies rounding beyond 1e-6");
    }
  }
  a0 = A[0];
  detail::TUseGuard use(Coeffs);
  use.AllowResize(Coeffs);
  Coeffs->Resize(2, NPoles);
  for (Integer r = 1; r <= NPoles; ++r) {
    Coeffs->SetVal(1, r, A[static_cast<std::size_t>(r)]);
    Coeffs->SetVal(2, r, B[static_cast<std::size_t>(r)]);
  }
}

void ChebychevFilter(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                     double a0, TMatrix* Coeffs) {
  if (SourceVec == nullptr || DestVec == nullptr || Coeffs == nullptr) return;
  if (FirstElem > LastElem) return;
  // The destination's length is held across its handler.
  detail::TUseGuard use(SourceVec, DestVec, Coeffs);
  const auto P = static_cast<std::int64_t>(Coeffs->NrOfRows());
  const std::int64_t s = P + 1;
  // Both passes run over the absolute positions e = 1 .. last + 2s, the input at e being
  // source(e - s); positions outside the source read 0.
  const std::int64_t len = static_cast<std::int64_t>(LastElem) + 2 * s;
  if (len > std::numeric_limits<Integer>::max()) return;
  const auto up = static_cast<std::size_t>(P);
  std::vector<double> a(up + 1);
  std::vector<double> b(up + 1);
  for (std::size_t r = 1; r <= up; ++r) {
    a[r] = Coeffs->GetVal(1, static_cast<Integer>(r));
    b[r] = Coeffs->GetVal(2, static_cast<Integer>(r));
  }
  // The forward pass reads the source up to last + s. A copy of that part lets DestVec be the
  // source.
  const std::int64_t nsrc = std::clamp<std::int64_t>(
      std::min<std::int64_t>(SourceVec->NrOfElem(), static_cast<std::int64_t>(LastElem) + s), 0,
      std::numeric_limits<Integer>::max());
  std::vector<double> src(static_cast<std::size_t>(nsrc));
  for (std::size_t j = 0; j < src.size(); ++j) {
    src[j] = SourceVec->GetVal(static_cast<Integer>(j) + 1);
  }
  const auto x = [&](std::int64_t e) {
    const std::int64_t j = e - s;
    return j >= 1 && j <= nsrc ? src[static_cast<std::size_t>(j - 1)] : 0.0;
  };

  // The backward pass reads the forward result in reverse. Beyond the source that result is
  // the filter's ringing, which a large last makes long; so the forward pass keeps only the P
  // values in front of each block, and the backward pass forms each block again from them with
  // the same operations. Work buffers hold one block of K positions at index t = e - lo + P,
  // with P values before it and P values of the next block after it.
  constexpr std::int64_t kBlock = std::int64_t{1} << 16;
  const std::int64_t nblocks = (len + kBlock - 1) / kBlock;
  const std::size_t width = static_cast<std::size_t>(std::min(len, kBlock)) + 2 * up;
  std::vector<double> marks(static_cast<std::size_t>(nblocks) * up, 0.0);
  std::vector<double> f(width, 0.0);
  std::vector<double> g(width, 0.0);
  const auto blockLo = [&](std::int64_t blk) { return blk * kBlock + 1; };
  const auto blockHi = [&](std::int64_t blk) { return std::min(len, (blk + 1) * kBlock); };
  const auto forward = [&](std::int64_t blk) {
    const std::int64_t lo = blockLo(blk);
    const std::int64_t hi = blockHi(blk);
    std::copy_n(marks.begin() + static_cast<std::ptrdiff_t>(blk) * static_cast<std::ptrdiff_t>(up),
                up, f.begin());
    for (std::int64_t e = lo; e <= hi; ++e) {
      const auto t = static_cast<std::size_t>(e - lo) + up;
      double sum = a0 * x(e);
      for (std::size_t r = 1; r <= up; ++r) {
        sum += a[r] * x(e - static_cast<std::int64_t>(r)) + b[r] * f[t - r];
      }
      f[t] = sum;
    }
  };
  for (std::int64_t blk = 0; blk < nblocks; ++blk) {
    forward(blk);
    if (blk + 1 < nblocks) {
      // The last P values of a full block lead the next one.
      std::copy_n(
          f.begin() + static_cast<std::ptrdiff_t>(kBlock), up,
          marks.begin() + static_cast<std::ptrdiff_t>(blk + 1) * static_cast<std::ptrdiff_t>(up));
    }
  }

  // f and g beyond the current block: zeros past the end, then the head of the block above.
  std::vector<double> fAbove(up, 0.0);
  std::vector<double> gAbove(up, 0.0);
  const Integer destLast = std::min(LastElem, DestVec->NrOfElem());
  const Integer destFirst = std::max(FirstElem, 1);
  for (std::int64_t blk = nblocks - 1; blk >= 0; --blk) {
    if (blk + 1 < nblocks) forward(blk);  // the top block is still in f
    const std::int64_t lo = blockLo(blk);
    const std::int64_t hi = blockHi(blk);
    const auto k = static_cast<std::size_t>(hi - lo + 1);
    std::copy(fAbove.begin(), fAbove.end(), f.begin() + static_cast<std::ptrdiff_t>(up + k));
    std::copy(gAbove.begin(), gAbove.end(), g.begin() + static_cast<std::ptrdiff_t>(up + k));
    for (std::int64_t e = hi; e >= lo; --e) {
      const auto t = static_cast<std::size_t>(e - lo) + up;
      double sum = a0 * f[t];
      for (std::size_t r = 1; r <= up; ++r) sum += a[r] * f[t + r] + b[r] * g[t + r];
      g[t] = sum;
      // Output position e - s; those below 1 or beyond DestVec are dropped.
      const std::int64_t i = e - s;
      if (i >= destFirst && i <= destLast) DestVec->SetVal(static_cast<Integer>(i), sum);
    }
    std::copy_n(f.begin() + static_cast<std::ptrdiff_t>(up), up, fAbove.begin());
    std::copy_n(g.begin() + static_cast<std::ptrdiff_t>(up), up, gAbove.begin());
  }
}

}  // namespace NUV_math2
}  // namespace nuv
