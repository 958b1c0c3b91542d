#pragma once
// TWavelet1D: discrete wavelet transform of a signal of N samples (N a power of two) with
// Daubechies filters of 2, 4 or 6 taps, in place, level by level.

#include <cstdint>
#include <vector>

#include "nuv/analysis/wavelet_errors.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// How a step reads samples before the start of the stretch: wrapped around, as zeros, or
/// mirrored (index -c-1 for c < 0).
enum TWLSigExtMode : std::uint8_t { wseWrap, wseZeroPad, wseSymmetric };

/// Wavelet family; only Daubechies exists.
enum TWaveletFamily : std::uint8_t { wlfDaubechies };

/// Wavelet transform component. After a forward step on n samples the first n/2 hold the
/// approximation and the next n/2 the detail coefficients.
class TWavelet1D : public TComponent {
 public:
  /// Daubechies family, order 2 (4 taps), wrap-around extension, N = 256 zero samples.
  /// Raises ENUVWaveletError `Component "<Name>": not enough memory on heap` when the signal
  /// cannot be allocated.
  explicit TWavelet1D(TComponent* AOwner);

  TWaveletFamily WaveletFamily() const noexcept { return FWaveletFam; }
  /// Stored only: there is one family.
  void SetWaveletFamily(TWaveletFamily Value) noexcept { FWaveletFam = Value; }

  /// Filter order 1 .. 3 (2·order taps).
  Integer Order() const noexcept { return FOrder; }
  /// Loads the filters of order 1 .. 3; the signal stays. Raises ENUVWaveletError
  /// `Component "<Name>": invalid order of Daubechies wavelet family` otherwise, keeping the
  /// previous order and filters.
  void SetOrder(Integer Value);

  /// N, the signal length.
  Integer Size() const noexcept { return FNumData; }
  /// Sets N to a (a power of two, 1 .. 2^30); the signal becomes a zeros. Raises
  /// ENUVWaveletError `Component "<Name>": data length must be power of 2` for any other a, or
  /// `...: not enough memory on heap`; either leaves the component unchanged.
  void SetSize(Integer a);

  /// How a step extends the signal before its start; stored as given.
  TWLSigExtMode SignalExtMode() const noexcept { return FWLSigExtMode; }
  void SetSignalExtMode(TWLSigExtMode Value) noexcept { FWLSigExtMode = Value; }

  /// Sample ix (1 .. N); 0 outside.
  double Data(Integer ix) const noexcept;
  /// Writes sample ix; ignored outside 1 .. N.
  void SetData(Integer ix, double Value) noexcept;
  /// Sets all samples to 0.
  void Clear() noexcept;

  /// Forward steps on lengths N, N/2, ...: at most Level steps (Level <= 0 counts as 1) and
  /// while the length exceeds 1.
  void Transform(Integer Level);
  /// Inverse steps on lengths 2, 4, ...: at most Level steps (Level <= 0 counts as 1) and while
  /// the length is at most N. Undoes Transform(Level) only for a full decomposition.
  void InverseTransform(Integer Level);
  /// One step on the full length N, forward or inverse.
  void SingleStep(bool inverse);

  /// One step on the samples offset .. offset+length-1 (0-based). Does nothing unless length
  /// is a power of two >= 2, offset >= 0 and offset + length <= N. Raises ENUVWaveletError
  /// `Component "<Name>": not enough memory on heap` when the scratch cannot be allocated.
  void PartialWLT(Integer length, Integer offset, bool inverse);
  /// Level steps (<= 0 counts as 1) forward or inverse as Transform and InverseTransform.
  void DoWLT(Integer Level, bool inverse);

 private:
  void Step(std::size_t n, std::size_t offset, bool inverse, double* scratch) noexcept;
  [[noreturn]] void RaiseNoMemory() const;

  Integer FNumData = 0;
  std::vector<double> FData;
  Integer FOrder = 0;
  std::vector<double> FCoeffsLP;
  std::vector<double> FCoeffsHP;
  TWLSigExtMode FWLSigExtMode = wseWrap;
  TWaveletFamily FWaveletFam = wlfDaubechies;
};

}  // namespace nuv
