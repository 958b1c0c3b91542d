// TFastFourier: transform against a direct DFT and NumPy spectra, round trips, Parseval,
// windows, spectra readers, extremes and the size rules.
#include <cmath>
#include <complex>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <vector>

#include "nuv/analysis/NUV_fourier.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using cplx = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kEps = std::numeric_limits<double>::epsilon();

// Radix-2 rounding grows like log2(N) and the direct DFT's like N; a few N*eps times the
// largest magnitude covers both.
double Tolerance(std::size_t n, double scale) {
  return 4.0 * static_cast<double>(n) * kEps * scale;
}

// Direct O(N^2) DFT with the component's sign convention: exp(sign*2*pi*i*jk/N).
std::vector<cplx> NaiveDft(const std::vector<cplx>& x, int sign) {
  const std::size_t n = x.size();
  std::vector<cplx> y(n);
  for (std::size_t k = 0; k < n; ++k) {
    long double re = 0.0L, im = 0.0L;
    for (std::size_t j = 0; j < n; ++j) {
      const long double a = sign * 2.0L * std::numbers::pi_v<long double> *
                            static_cast<long double>((j * k) % n) / static_cast<long double>(n);
      re += x[j].real() * std::cos(a) - x[j].imag() * std::sin(a);
      im += x[j].real() * std::sin(a) + x[j].imag() * std::cos(a);
    }
    y[k] = cplx(static_cast<double>(re), static_cast<double>(im));
  }
  return y;
}

std::vector<cplx> Pseudo(std::size_t n, unsigned seed) {
  std::vector<cplx> x(n);
  std::uint32_t s = seed;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0 - 0.5;
  };
  for (auto& v : x) v = cplx(next(), next());
  return x;
}

void Load(TFastFourier& f, const std::vector<cplx>& x) {
  f.SetSpectrumSize(static_cast<Integer>(x.size()));
  for (std::size_t k = 0; k < x.size(); ++k) {
    f.SetRealSpec(static_cast<Integer>(k + 1), x[k].real());
    f.SetImagSpec(static_cast<Integer>(k + 1), x[k].imag());
  }
}

double MaxAbs(const std::vector<cplx>& x) {
  double m = 0.0;
  for (auto v : x) m = std::max(m, std::abs(v));
  return m;
}

void ExpectSamples(const TFastFourier& f, const std::vector<cplx>& want, double tol) {
  for (std::size_t k = 0; k < want.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(f.RealSpec(static_cast<Integer>(k + 1)), want[k].real(), tol);
    EXPECT_NEAR(f.ImagSpec(static_cast<Integer>(k + 1)), want[k].imag(), tol);
  }
}

TEST(TFastFourierCreate, Defaults) {
  TFastFourier f(nullptr);
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.WeightingWindow(), fwRectangle);
  EXPECT_EQ(f.WgtFunction(1), 1.0);
  EXPECT_EQ(f.WgtFunction(256), 1.0);
  EXPECT_EQ(f.WgtFunction(257), 0.0);
  EXPECT_EQ(f.RealSpec(1), 0.0);
  EXPECT_EQ(f.ImagSpec(256), 0.0);
}

TEST(TFastFourierSize, WriterClearsSamplesAndSetsWeightsToZero) {
  TFastFourier f(nullptr);
  f.SetRealSpec(3, 7.0);
  f.SetSpectrumSize(256);
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.WgtFunction(1), 0.0);
  EXPECT_EQ(f.RealSpec(3), 0.0);
  f.SetSpectrumSize(1);
  EXPECT_EQ(f.SpectrumSize(), 1);
  f.SetSpectrumSize(1 << 12);
  EXPECT_EQ(f.SpectrumSize(), 4096);
}

TEST(TFastFourierSize, RejectedSizesChangeNothing) {
  TFastFourier f(nullptr);
  f.SetName("FFT1");
  f.SetRealSpec(2, 3.5);
  f.SetImagSpec(2, -1.5);
  f.SetWgtFunction(5, 0.25);
  // 16777224 and -2147483640 have a single set bit among the low 24 bits.
  for (Integer a : {100, 0, -1, 3, 16777224, -2147483640, std::numeric_limits<Integer>::max(),
                    std::numeric_limits<Integer>::min(), Integer{1} << 31 >> 0}) {
    SCOPED_TRACE(a);
    NUV_EXPECT_THROW_MSG(f.SetSpectrumSize(a), ENUVFourierError,
                         "Component \"FFT1\": data length must be power of 2");
    EXPECT_EQ(f.SpectrumSize(), 256);
    EXPECT_EQ(f.RealSpec(2), 3.5);
    EXPECT_EQ(f.ImagSpec(2), -1.5);
    EXPECT_EQ(f.WgtFunction(5), 0.25);
    EXPECT_EQ(f.WgtFunction(6), 1.0);
  }
}

TEST(TFastFourierAccess, OutOfRangeReadsZeroAndWritesAreIgnored) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  for (Integer ix : {0, -1, 9, std::numeric_limits<Integer>::min()}) {
    f.SetRealSpec(ix, 1.0);
    f.SetImagSpec(ix, 1.0);
    f.SetWgtFunction(ix, 1.0);
    EXPECT_EQ(f.RealSpec(ix), 0.0);
    EXPECT_EQ(f.ImagSpec(ix), 0.0);
    EXPECT_EQ(f.WgtFunction(ix), 0.0);
  }
  for (Integer k = 1; k <= 8; ++k) EXPECT_EQ(f.RealSpec(k), 0.0);
  for (Integer k : {-1, 5}) {
    EXPECT_EQ(f.PowerSpec(k), 0.0);
    EXPECT_EQ(f.Magnitude(k), 0.0);
    EXPECT_EQ(f.FourSerCosCoeff(k), 0.0);
    EXPECT_EQ(f.FourSerSinCoeff(k), 0.0);
    EXPECT_EQ(f.Phase(k), 0.0);
  }
  EXPECT_EQ(f.FourSerSinCoeff(0), 0.0);
  EXPECT_EQ(f.Phase(0), 0.0);
}

TEST(TFastFourierKernel, MatchesDirectDftBothDirections) {
  for (std::size_t n : {1u, 2u, 4u, 8u, 32u, 256u, 2048u}) {
    SCOPED_TRACE(n);
    const auto x = Pseudo(n, static_cast<unsigned>(n) + 7u);
    TFastFourier f(nullptr);
    Load(f, x);
    f.Transform();
    const auto fwd = NaiveDft(x, +1);
    ExpectSamples(f, fwd, Tolerance(n, MaxAbs(fwd)));

    Load(f, x);
    f.InverseTransform();
    auto inv = NaiveDft(x, -1);
    for (auto& v : inv) v /= static_cast<double>(n);
    ExpectSamples(f, inv, Tolerance(n, MaxAbs(inv)));
  }
}

// Textbook in-place radix-2 (bit reversal, then one stage after another with the twiddle
// recurrence). The component reorders independent butterflies for the cache but must give the
// same bits.
void TextbookFft(std::vector<double>& d, int isign) {
  const std::size_t n = d.size() / 2;
  for (std::size_t i = 0, j = 0; i < n; ++i) {
    if (j > i) {
      std::swap(d[2 * i], d[2 * j]);
      std::swap(d[2 * i + 1], d[2 * j + 1]);
    }
    std::size_t m = n >> 1;
    while (m >= 1 && (j & m)) {
      j ^= m;
      m >>= 1;
    }
    j |= m;
  }
  for (std::size_t mmax = 1; mmax < n; mmax *= 2) {
    const double theta = isign * (2.0 * kPi) / static_cast<double>(2 * mmax);
    const double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp, wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (std::size_t m = 0; m < mmax; ++m) {
      for (std::size_t i = m; i < n; i += 2 * mmax) {
        const std::size_t j = i + mmax;
        const double tr = wr * d[2 * j] - wi * d[2 * j + 1];
        const double ti = wr * d[2 * j + 1] + wi * d[2 * j];
        d[2 * j] = d[2 * i] - tr;
        d[2 * j + 1] = d[2 * i + 1] - ti;
        d[2 * i] += tr;
        d[2 * i + 1] += ti;
      }
      const double t = wr;
      wr = t * wpr - wi * wpi + wr;
      wi = wi * wpr + t * wpi + wi;
    }
  }
  if (isign < 0) {
    for (auto& v : d) v /= static_cast<double>(n);
  }
}

TEST(TFastFourierKernel, SameBitsAsTextbookStageOrder) {
  for (std::size_t n : {1u, 2u, 4u, 64u, 1024u, 2048u, 8192u, 1u << 15, 1u << 17, 1u << 18}) {
    SCOPED_TRACE(n);
    const auto x = Pseudo(n, 17u);
    for (int isign : {1, -1, 2, -3}) {
      TFastFourier f(nullptr);
      Load(f, x);
      std::vector<double> d;
      for (auto v : x) {
        d.push_back(v.real());
        d.push_back(v.imag());
      }
      f.DoFFT(isign);
      TextbookFft(d, isign);
      std::size_t mismatches = 0;
      for (std::size_t k = 0; k < n; ++k) {
        mismatches += f.RealSpec(static_cast<Integer>(k + 1)) != d[2 * k];
        mismatches += f.ImagSpec(static_cast<Integer>(k + 1)) != d[2 * k + 1];
      }
      EXPECT_EQ(mismatches, 0u);
    }
  }
}

TEST(TFastFourierKernel, ForwardThenInverseRestoresSamples) {
  for (std::size_t n : {1u, 16u, 1024u, 8192u}) {
    SCOPED_TRACE(n);
    const auto x = Pseudo(n, 99u);
    TFastFourier f(nullptr);
    Load(f, x);
    f.Transform();
    f.InverseTransform();
    ExpectSamples(f, x, Tolerance(n, MaxAbs(x)));
  }
}

TEST(TFastFourierKernel, Parseval) {
  const std::size_t n = 512;
  const auto x = Pseudo(n, 5u);
  TFastFourier f(nullptr);
  Load(f, x);
  double energy = 0.0;
  for (auto v : x) energy += std::norm(v);
  f.Transform();
  double spectral = 0.0;
  for (Integer k = 1; k <= static_cast<Integer>(n); ++k) {
    spectral += f.RealSpec(k) * f.RealSpec(k) + f.ImagSpec(k) * f.ImagSpec(k);
  }
  EXPECT_TRUE(test::RelNear(spectral, static_cast<double>(n) * energy, 1e-12));
  // The line powers count line N/2 twice.
  double lines = 0.0;
  for (Integer k = 0; k <= static_cast<Integer>(n / 2); ++k) lines += f.PowerSpec(k);
  const double nyq = std::norm(cplx(f.RealSpec(n / 2 + 1), f.ImagSpec(n / 2 + 1)));
  EXPECT_TRUE(test::RelNear(lines * n, spectral + nyq, 1e-12));
  EXPECT_TRUE(test::RelNear(f.RMS(-3, 1000000), std::sqrt(lines * n) / n, 1e-12));
}

TEST(TFastFourierKernel, DoFFTIsTheBareKernel) {
  const auto x = Pseudo(64, 3u);
  TFastFourier a(nullptr), b(nullptr);
  Load(a, x);
  Load(b, x);
  a.SetWeightingWindow(fwHamming);
  b.SetWeightingWindow(fwHamming);
  b.DoFFT(1);  // no window
  a.SetWeightingWindow(fwRectangle);
  a.Transform();
  for (Integer k = 1; k <= 64; ++k) {
    EXPECT_EQ(a.RealSpec(k), b.RealSpec(k));
    EXPECT_EQ(a.ImagSpec(k), b.ImagSpec(k));
  }
}

struct TReferenceCase {
  std::string Name;
  int Window = 0;
  std::vector<cplx> x, X;
};

std::vector<TReferenceCase> ReadReference() {
  std::ifstream in(test::ReferencePath("fourier_reference.txt"));
  std::vector<TReferenceCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string tag;
    ls >> tag;
    if (tag == "case") {
      TReferenceCase c;
      std::size_t n = 0;
      ls >> c.Name >> n >> c.Window;
      cases.push_back(c);
    } else if (!cases.empty()) {
      std::istringstream vs(line);
      double a, b, c, d;
      vs >> a >> b >> c >> d;
      cases.back().x.emplace_back(a, b);
      cases.back().X.emplace_back(c, d);
    }
  }
  return cases;
}

TEST(TFastFourierReference, NumPySpectraWithWindows) {
  const auto cases = ReadReference();
  ASSERT_EQ(cases.size(), 6u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFastFourier f(nullptr);
    Load(f, c.x);
    f.SetWeightingWindow(static_cast<TFastFourierWgtWin>(c.Window));
    f.Transform();
    ExpectSamples(f, c.X, Tolerance(c.x.size(), MaxAbs(c.X)));
  }
}

TEST(TFastFourierWindow, WeightsOfAConstantSignal) {
  const Integer n = 64;
  auto weighted = [n](TFastFourierWgtWin w) {
    TFastFourier f(nullptr);
    f.SetSpectrumSize(n);
    for (Integer i = 1; i <= n; ++i) {
      f.SetRealSpec(i, 1.0);
      f.SetImagSpec(i, -2.0);
      f.SetWgtFunction(i, 0.5 + i);
    }
    f.SetWeightingWindow(w);
    f.Transform();
    f.InverseTransform();
    std::vector<double> r(n + 1);
    for (Integer i = 1; i <= n; ++i) {
      EXPECT_NEAR(f.ImagSpec(i), -2.0 * f.RealSpec(i), 1e-13);  // both parts weighted alike
      r[i] = f.RealSpec(i);
    }
    return r;
  };
  constexpr double tol = 1e-13;
  auto rect = weighted(fwRectangle);
  EXPECT_NEAR(rect[1], 1.0, tol);
  auto tri = weighted(fwTriangle);
  EXPECT_NEAR(tri[1], 2.0 / n, tol);
  EXPECT_NEAR(tri[n], 2.0 / n, tol);
  EXPECT_NEAR(tri[n / 2], 1.0, tol);
  EXPECT_NEAR(tri[n / 2 + 1], 1.0, tol);
  EXPECT_NEAR(tri[10], 20.0 / n, tol);
  EXPECT_NEAR(tri[n - 9], 20.0 / n, tol);
  auto cos2 = weighted(fwCos2);
  EXPECT_NEAR(cos2[n / 2], 1.0, tol);  // t = 0
  EXPECT_NEAR(cos2[n], 0.0, tol);      // t = N/2
  auto gauss = weighted(fwGauss);
  EXPECT_NEAR(gauss[n], std::exp(-4.5), tol);
  auto ham = weighted(fwHamming);
  EXPECT_NEAR(ham[n / 2], 1.0, 1e-9);  // the two constants sum to 1 within their digits
  EXPECT_NEAR(ham[n], 0.543478261 - 0.45652173900000004, tol);
  auto bl = weighted(fwBlackman);
  EXPECT_NEAR(bl[n], 0.42659 - 0.49656 + 0.076848, tol);
  auto bh = weighted(fwBlkmHarris);
  EXPECT_NEAR(bh[n / 2], 1.0, 1e-12);
  auto bn = weighted(fwBlkmNuttall);
  EXPECT_NEAR(bn[n], 0.3635819 - 0.4891775 + 0.1365995 - 0.0106411, tol);
  auto user = weighted(fwUserDef);
  EXPECT_NEAR(user[7], 7.5, tol);
}

TEST(TFastFourierWindow, RepeatedTransformWeighsAgain) {
  const Integer n = 32;
  TFastFourier f(nullptr);
  f.SetSpectrumSize(n);
  for (Integer i = 1; i <= n; ++i) f.SetRealSpec(i, 1.0);
  f.SetWeightingWindow(fwTriangle);
  f.Transform();
  f.InverseTransform();
  f.Transform();
  f.InverseTransform();
  EXPECT_NEAR(f.RealSpec(4), (8.0 / n) * (8.0 / n), 1e-13);
}

TEST(TFastFourierSpectra, ConstantSignal) {
  const Integer n = 128;
  TFastFourier f(nullptr);
  f.SetSpectrumSize(n);
  for (Integer i = 1; i <= n; ++i) f.SetRealSpec(i, 1.0);
  f.Transform();
  EXPECT_NEAR(f.RealSpec(1), n, 1e-12);
  for (Integer i = 2; i <= n; ++i)
    EXPECT_NEAR(std::abs(f.RealSpec(i)) + std::abs(f.ImagSpec(i)), 0.0, 1e-12);
  EXPECT_NEAR(f.PowerSpec(0), n, 1e-10);
  EXPECT_NEAR(f.Magnitude(0), 1.0, 1e-14);
  EXPECT_NEAR(f.FourSerCosCoeff(0), 1.0, 1e-14);
  EXPECT_NEAR(f.RealMax(), n, 1e-12);
}

TEST(TFastFourierSpectra, CosineAndSineLines) {
  const Integer n = 256;
  TFastFourier f(nullptr);
  f.SetSpectrumSize(n);
  for (Integer i = 1; i <= n; ++i) {
    // Period N/8 samples: line 8. The sine's sign fixes the positive exponent.
    f.SetRealSpec(
        i, std::cos(2.0 * kPi * 8.0 * (i - 1) / n) + 0.5 * std::sin(2.0 * kPi * 3.0 * (i - 1) / n));
  }
  f.Transform();
  constexpr double tol = 1e-12;
  EXPECT_NEAR(f.PowerSpec(8), n / 2.0, 1e-9);
  EXPECT_NEAR(f.PowerMax(), n / 2.0, 1e-9);
  EXPECT_NEAR(f.Magnitude(8), 1.0, tol);
  EXPECT_NEAR(f.MagniMax(), 1.0, tol);
  EXPECT_NEAR(f.FourSerCosCoeff(8), 1.0, tol);
  EXPECT_NEAR(f.FourSerSinCoeff(8), 0.0, tol);
  EXPECT_NEAR(f.FourSerSinCoeff(3), 0.5, tol);
  EXPECT_NEAR(f.FourSerCosCoeff(3), 0.0, tol);
  EXPECT_NEAR(f.ImagSpec(4), n / 4.0, 1e-10);          // +i*N/4 at line 3 under exp(+i...)
  EXPECT_NEAR(std::abs(f.Phase(3)), kPi / 2.0, 1e-6);  // re is rounding noise of either sign
}

TEST(TFastFourierSpectra, PhaseAndNyquistLine) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  EXPECT_EQ(f.Phase(1), -kPi / 2.0);  // (0, 0)
  f.SetImagSpec(2, 1.0);
  EXPECT_EQ(f.Phase(1), kPi / 2.0);
  f.SetRealSpec(3, 1.0);
  f.SetImagSpec(3, 1.0);
  EXPECT_DOUBLE_EQ(f.Phase(2), kPi / 4.0);
  f.SetRealSpec(4, -2.0);
  f.SetImagSpec(4, 2.0);
  EXPECT_DOUBLE_EQ(f.Phase(3), -kPi / 4.0);  // arctan only, no quadrant
  // Line N/2 = 4 is element 4 with itself as mirror: counted twice.
  f.SetRealSpec(5, 3.0);
  f.SetImagSpec(5, 4.0);
  EXPECT_EQ(f.PowerSpec(4), 50.0 / 8.0);
  EXPECT_EQ(f.Magnitude(4), 6.0 / 8.0);  // (3+3, 4-4)
  EXPECT_EQ(f.FourSerCosCoeff(4), 6.0 / 8.0);
  EXPECT_EQ(f.FourSerSinCoeff(4), 0.0);
  // Line 1: elements 1 and 7 (0-based).
  f.SetRealSpec(8, 5.0);
  f.SetImagSpec(8, -1.0);
  EXPECT_EQ(f.PowerSpec(1), (1.0 + 25.0 + 1.0) / 8.0);
  EXPECT_EQ(f.Magnitude(1), std::sqrt(25.0 + 4.0) / 8.0);
  EXPECT_EQ(f.FourSerSinCoeff(1), 2.0 / 8.0);
}

TEST(TFastFourierExtremes, CacheFollowsEveryWrite) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(8);
  EXPECT_EQ(f.RealMax(), 0.0);
  EXPECT_EQ(f.ImagMin(), 0.0);
  f.SetRealSpec(3, 4.0);
  f.SetRealSpec(4, -2.0);
  f.SetImagSpec(2, -7.0);
  f.SetImagSpec(8, 1.5);
  EXPECT_EQ(f.RealMax(), 4.0);
  EXPECT_EQ(f.RealMin(), -2.0);
  EXPECT_EQ(f.ImagMax(), 1.5);
  EXPECT_EQ(f.ImagMin(), -7.0);
  // Lines: 1 = elements 1,7; 2 = 2,6; 3 = 3,5 (0-based).
  EXPECT_EQ(f.PowerMax(), (49.0 + 2.25) / 8.0);
  EXPECT_EQ(f.MagniMax(), std::sqrt(8.5 * 8.5) / 8.0);
  f.SetRealSpec(5, 100.0);  // line N/2: in the magnitude maximum, not in the power maximum
  EXPECT_EQ(f.RealMax(), 100.0);
  EXPECT_EQ(f.PowerMax(), (49.0 + 2.25) / 8.0);
  EXPECT_EQ(f.MagniMax(), 200.0 / 8.0);
  f.SetRealSpec(1, 1000.0);  // line 0 is in neither
  EXPECT_EQ(f.PowerMax(), (49.0 + 2.25) / 8.0);
  EXPECT_EQ(f.MagniMax(), 200.0 / 8.0);
  f.ClearReal();
  EXPECT_EQ(f.RealMax(), 0.0);
  EXPECT_EQ(f.ImagMin(), -7.0);
  f.ClearImag();
  EXPECT_EQ(f.ImagMin(), 0.0);
  f.SetImagSpec(1, 3.0);
  EXPECT_EQ(f.ImagMax(), 3.0);
  f.Clear();
  EXPECT_EQ(f.ImagMax(), 0.0);
  f.SetRealSpec(1, 1.0);
  f.Transform();  // kernel clears the cache
  EXPECT_EQ(f.RealMin(), 1.0);
  f.SetRealSpec(1, 9.0);
  f.SetSpectrumSize(4);
  EXPECT_EQ(f.RealMax(), 0.0);
}

TEST(TFastFourierLines, FrequencyConversionsAndRms) {
  TFastFourier f(nullptr);  // N = 256
  EXPECT_EQ(f.FreqOfLine(4, 0.01), 4.0 / 0.01 / 256.0);
  EXPECT_EQ(f.FreqOfLine(0, 0.01), 0.0);
  EXPECT_EQ(f.FreqOfLine(129, 0.01), 0.0);
  EXPECT_EQ(f.FreqOfLine(1, 0.0), std::numeric_limits<double>::infinity());
  EXPECT_EQ(f.LineOfFreq(4.0 / 0.01 / 256.0, 0.01), 4);
  EXPECT_EQ(f.LineOfFreq(2.5, 1.0 / 256.0), 2);  // half to even
  EXPECT_EQ(f.LineOfFreq(3.5, 1.0 / 256.0), 4);
  EXPECT_EQ(f.LineOfFreq(128.0, 1.0 / 256.0), 128);
  EXPECT_EQ(f.LineOfFreq(129.0, 1.0 / 256.0), 0);  // above Nyquist
  EXPECT_EQ(f.LineOfFreq(0.4, 1.0 / 256.0), 0);
  EXPECT_EQ(f.LineOfFreq(-3.0, 1.0 / 256.0), 0);
  EXPECT_EQ(f.LineOfFreq(1e300, 1.0), 0);
  EXPECT_EQ(f.LineOfFreq(std::numeric_limits<double>::quiet_NaN(), 1.0), 0);
  EXPECT_EQ(f.LineOfFreq(1.0, std::numeric_limits<double>::infinity()), 0);

  f.SetSpectrumSize(16);
  const auto x = Pseudo(16, 11u);
  Load(f, x);
  double s25 = 0.0;
  for (Integer k = 2; k <= 5; ++k) s25 += f.PowerSpec(k) * 16.0;
  EXPECT_EQ(f.RMS(5, 2), f.RMS(2, 5));
  EXPECT_TRUE(test::RelNear(f.RMS(2, 5), std::sqrt(s25) / 16.0, 1e-14));
  EXPECT_EQ(f.RMS(-3, 1000000), f.RMS(0, 8));
  EXPECT_TRUE(test::RelNear(f.RMS(0, 0), std::abs(x[0]) / 16.0, 1e-15));
}

TEST(TFastFourierSize, SingleSampleIsItsOwnTransform) {
  TFastFourier f(nullptr);
  f.SetSpectrumSize(1);
  f.SetRealSpec(1, 2.0);
  f.SetImagSpec(1, -3.0);
  f.SetWeightingWindow(fwTriangle);  // N div 2 = 0: no weight
  f.Transform();
  EXPECT_EQ(f.RealSpec(1), 2.0);
  EXPECT_EQ(f.ImagSpec(1), -3.0);
  EXPECT_EQ(f.PowerSpec(0), 13.0);
  EXPECT_EQ(f.PowerMax(), 0.0);
  EXPECT_EQ(f.MagniMax(), 0.0);
  f.InverseTransform();
  EXPECT_EQ(f.RealSpec(1), 2.0);
}

}  // namespace
}  // namespace nuv
