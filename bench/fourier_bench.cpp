// Complex FFT round trips (forward, then inverse with 1/N) of 2^10, 2^16 and 2^20 points:
// TFastFourier against GSL's radix-2 routines and FFTW (FFTW_ESTIMATE) on the same data.
// A round trip keeps the data bounded without re-copying the input inside the timed loop;
// FFTW's backward transform is unscaled, so its loop scales by 1/N like the other two.
// Then the full forward Daubechies-4 wavelet pyramid of 2^20 points (periodic extension):
// TWavelet1D against gsl_wavelet_transform_forward; both maps are orthogonal, so repeating
// them keeps the data bounded.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "nuv/analysis/NUV_fourier.hpp"
#include "nuv/analysis/NUV_wavelet.hpp"

#ifdef NUV_HAVE_GSL
#include <gsl/gsl_fft_complex.h>
#include <gsl/gsl_wavelet.h>
#endif
#ifdef NUV_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<double> Signal(std::size_t n) {
  std::vector<double> d(2 * n);
  std::uint32_t s = 12345u;
  for (auto& v : d) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<double>(s >> 8) / 16777216.0 - 0.5;
  }
  return d;
}

void SetCounters(benchmark::State& state, std::size_t n) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
  state.counters["points"] = static_cast<double>(n);
}

void BM_FFT_nuv(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  nuv::TFastFourier f(nullptr);
  f.SetSpectrumSize(static_cast<nuv::Integer>(n));
  const auto d = Signal(n);
  for (std::size_t k = 0; k < n; ++k) {
    f.SetRealSpec(static_cast<nuv::Integer>(k + 1), d[2 * k]);
    f.SetImagSpec(static_cast<nuv::Integer>(k + 1), d[2 * k + 1]);
  }
  for (auto _ : state) {
    f.Transform();
    f.InverseTransform();
    benchmark::DoNotOptimize(f.RealSpec(1));
  }
  SetCounters(state, n);
}
BENCHMARK(BM_FFT_nuv)->Arg(1 << 10)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

#ifdef NUV_HAVE_GSL
void BM_FFT_gsl_radix2(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  auto d = Signal(n);
  for (auto _ : state) {
    gsl_fft_complex_radix2_forward(d.data(), 1, n);
    gsl_fft_complex_radix2_inverse(d.data(), 1, n);
    benchmark::DoNotOptimize(d.data());
  }
  SetCounters(state, n);
}
BENCHMARK(BM_FFT_gsl_radix2)
    ->Arg(1 << 10)
    ->Arg(1 << 16)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMicrosecond);
#endif

#ifdef NUV_HAVE_FFTW
void BM_FFT_fftw_estimate(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  auto* d = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * n));
  // FFTW_BACKWARD is the positive exponent, the direction of our forward transform.
  fftw_plan fwd = fftw_plan_dft_1d(static_cast<int>(n), d, d, FFTW_BACKWARD, FFTW_ESTIMATE);
  fftw_plan inv = fftw_plan_dft_1d(static_cast<int>(n), d, d, FFTW_FORWARD, FFTW_ESTIMATE);
  const auto s = Signal(n);
  for (std::size_t k = 0; k < n; ++k) {
    d[k][0] = s[2 * k];
    d[k][1] = s[2 * k + 1];
  }
  const double scale = 1.0 / static_cast<double>(n);
  for (auto _ : state) {
    fftw_execute(fwd);
    fftw_execute(inv);
    for (std::size_t k = 0; k < n; ++k) {
      d[k][0] *= scale;
      d[k][1] *= scale;
    }
    benchmark::DoNotOptimize(d);
  }
  fftw_destroy_plan(fwd);
  fftw_destroy_plan(inv);
  fftw_free(d);
  SetCounters(state, n);
}
BENCHMARK(BM_FFT_fftw_estimate)
    ->Arg(1 << 10)
    ->Arg(1 << 16)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMicrosecond);
#endif

constexpr std::size_t kWaveletPoints = std::size_t{1} << 20;

void BM_Wavelet_nuv(benchmark::State& state) {
  nuv::TWavelet1D w(nullptr);
  w.SetSize(static_cast<nuv::Integer>(kWaveletPoints));
  w.SetOrder(2);
  const auto d = Signal(kWaveletPoints / 2);
  for (std::size_t k = 0; k < kWaveletPoints; ++k)
    w.SetData(static_cast<nuv::Integer>(k + 1), d[k]);
  for (auto _ : state) {
    w.Transform(20);
    benchmark::DoNotOptimize(w.Data(1));
  }
  SetCounters(state, kWaveletPoints);
}
BENCHMARK(BM_Wavelet_nuv)->Unit(benchmark::kMicrosecond);

#ifdef NUV_HAVE_GSL
void BM_Wavelet_gsl_daubechies4(benchmark::State& state) {
  gsl_wavelet* wl = gsl_wavelet_alloc(gsl_wavelet_daubechies, 4);
  gsl_wavelet_workspace* work = gsl_wavelet_workspace_alloc(kWaveletPoints);
  auto d = Signal(kWaveletPoints / 2);
  for (auto _ : state) {
    gsl_wavelet_transform_forward(wl, d.data(), 1, kWaveletPoints, work);
    benchmark::DoNotOptimize(d.data());
  }
  gsl_wavelet_workspace_free(work);
  gsl_wavelet_free(wl);
  SetCounters(state, kWaveletPoints);
}
BENCHMARK(BM_Wavelet_gsl_daubechies4)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
