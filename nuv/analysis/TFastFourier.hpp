#pragma once
// TFastFourier: one block of N complex samples (N a power of two), weighted by a window,
// transformed in place by a radix-2 FFT and read back as spectra.

#include <cstdint>
#include <vector>

#include "nuv/analysis/fourier_errors.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// Weighting window applied by TFastFourier::Transform.
enum TFastFourierWgtWin : std::uint8_t {
  fwRectangle,
  fwTriangle,
  fwCos2,
  fwGauss,
  fwHamming,
  fwBlackman,
  fwBlkmHarris,
  fwBlkmNuttall,
  fwUserDef
};

/// Fast Fourier transform of one block of complex samples. Element ix (1-based) is sample ix-1;
/// spectral line k (0 <= k <= N/2) combines element k and its mirror N-k (0-based).
/// The forward transform uses the kernel exp(+2*pi*i*jk/N), the inverse exp(-2*pi*i*jk/N)/N.
class TFastFourier : public TComponent {
 public:
  /// N = 256 zero samples, rectangle window, 256 user weights of 1.0. Raises ENUVFourierError
  /// `Component "<Name>": not enough memory on heap` when the arrays cannot be allocated.
  explicit TFastFourier(TComponent* AOwner);

  /// N, the number of complex samples.
  Integer SpectrumSize() const noexcept { return FNumData; }
  /// Sets N to a (a power of two, 1 .. 2^30): all samples become 0 and all user weights 0.0,
  /// even when a equals N. Raises ENUVFourierError `Component "<Name>": data length must be
  /// power of 2` for any other a, or `...: not enough memory on heap`; either leaves the
  /// component unchanged.
  void SetSpectrumSize(Integer a);

  /// Window applied by Transform; stored as given.
  TFastFourierWgtWin WeightingWindow() const noexcept { return FWgtWin; }
  void SetWeightingWindow(TFastFourierWgtWin Value) noexcept { FWgtWin = Value; }

  /// Real part of element ix (1 .. N); 0 outside.
  double RealSpec(Integer ix) const noexcept;
  /// Writes the real part of element ix (ignored outside 1 .. N); clears the extremes cache.
  void SetRealSpec(Integer ix, double Value) noexcept;
  /// Imaginary part of element ix (1 .. N); 0 outside.
  double ImagSpec(Integer ix) const noexcept;
  /// Writes the imaginary part of element ix (ignored outside 1 .. N); clears the cache.
  void SetImagSpec(Integer ix, double Value) noexcept;
  /// User weight ix (1 .. N) of the fwUserDef window; 0 outside.
  double WgtFunction(Integer ix) const noexcept;
  /// Writes user weight ix (ignored outside 1 .. N).
  void SetWgtFunction(Integer ix, double Value) noexcept;

  /// Power of line k (0 .. N/2), normalised by N; line N/2 counts its element twice. 0 outside.
  double PowerSpec(Integer k) const noexcept;
  /// Magnitude of line k (0 .. N/2), normalised by N; 0 outside.
  double Magnitude(Integer k) const noexcept;
  /// Cosine coefficient n (0 .. N/2) of the Fourier series; 0 outside.
  double FourSerCosCoeff(Integer n) const noexcept;
  /// Sine coefficient n (1 .. N/2) of the Fourier series; 0 outside.
  double FourSerSinCoeff(Integer n) const noexcept;
  /// arctan(im/re) of element k (1 .. N/2); +-pi/2 when re is 0 (-pi/2 for im <= 0). 0 outside.
  double Phase(Integer k) const noexcept;

  /// Largest real part of all elements.
  double RealMax();
  /// Largest imaginary part of all elements.
  double ImagMax();
  /// Smallest real part of all elements.
  double RealMin();
  /// Smallest imaginary part of all elements.
  double ImagMin();
  /// Largest line power over lines 1 .. N/2-1, normalised by N.
  double PowerMax();
  /// Largest line magnitude over lines 1 .. N/2, normalised by N.
  double MagniMax();

  /// Weights both parts of every sample by the window (in place, cumulative on repeated
  /// calls), then transforms forward.
  void Transform();
  /// Transforms back (kernel with negative exponent and 1/N); no weighting.
  void InverseTransform();
  /// Sets both parts of all samples to 0.
  void Clear() noexcept;
  /// Sets the real parts of all samples to 0.
  void ClearReal() noexcept;
  /// Sets the imaginary parts of all samples to 0.
  void ClearImag() noexcept;

  /// Frequency of line ix: ix/SampleTime/N for 1 <= ix <= N/2, else 0.
  double FreqOfLine(Integer ix, double SampleTime) const noexcept;
  /// Line of frequency f: f*N*SampleTime rounded half to even when in 1 .. N/2, else 0
  /// (NaN and infinite products give 0).
  Integer LineOfFreq(double f, double SampleTime) const noexcept;
  /// Root of the summed line powers of lines FirstIx .. LastIx (clamped to 0 .. N/2, swapped
  /// when reversed), divided by N.
  double RMS(Integer FirstIx, Integer LastIx) const noexcept;

  /// The in-place radix-2 kernel on the samples: bit reversal, then Danielson-Lanczos stages
  /// with theta = isign*2*pi/length; divides by N when isign < 0.
  void DoFFT(Integer isign) noexcept;

 private:
  void CalcMaxValues() noexcept;
  double Re(std::size_t k) const noexcept { return FData[2 * k]; }
  double Im(std::size_t k) const noexcept { return FData[2 * k + 1]; }

  Integer FNumData = 0;
  TFastFourierWgtWin FWgtWin = fwRectangle;
  bool MaxValuesValid = false;
  double FMaxReal = 0.0;
  double FMaxImag = 0.0;
  double FMinReal = 0.0;
  double FMinImag = 0.0;
  double FMaxPower = 0.0;
  double FMaxMagni = 0.0;
  std::vector<double> FUserWgt;
  std::vector<double> FData;
  // Twiddles of the forward kernel for the current N, built on first use and dropped on
  // resizing; the inverse kernel uses their conjugates. Empty when they could not be allocated.
  std::vector<double> FTwiddles;
};

}  // namespace nuv
