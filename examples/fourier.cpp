// Peak frequencies of a sampled two-tone signal: 50 Hz and 120 Hz (half the amplitude) sampled
// at 1 kHz, 1024 samples, Hamming window.
#include <cmath>
#include <cstdio>
#include <numbers>

#include "nuv/nuv.hpp"

int main() {
  const int n = 1024;
  const double sampleTime = 0.001;  // s
  nuv::TFastFourier fft(nullptr);
  fft.SetSpectrumSize(n);
  fft.SetWeightingWindow(nuv::fwHamming);
  for (int ix = 1; ix <= n; ++ix) {  // element ix holds the sample at time (ix - 1) * dt
    const double t = (ix - 1) * sampleTime;
    fft.SetRealSpec(ix, std::sin(2 * std::numbers::pi * 50 * t) +
                            0.5 * std::sin(2 * std::numbers::pi * 120 * t));
  }
  fft.Transform();

  // Lines are 0-based, 0 .. n/2; a peak is a line above both neighbours and above a tenth of
  // the largest magnitude.
  const double floor = 0.1 * fft.MagniMax();
  std::printf("line  frequency/Hz  magnitude\n");
  for (int k = 1; k < n / 2; ++k) {
    const double m = fft.Magnitude(k);
    if (m > floor && m > fft.Magnitude(k - 1) && m > fft.Magnitude(k + 1)) {
      std::printf("%4d  %12.3f  %9.4f\n", k, fft.FreqOfLine(k, sampleTime), m);
    }
  }
  std::printf("\nline spacing %.4f Hz; line of 120 Hz: %d\n", fft.FreqOfLine(1, sampleTime),
              fft.LineOfFreq(120.0, sampleTime));
  return 0;
}
