// The radix-2 kernel of TFastFourier: bit reversal, then Danielson-Lanczos stages whose
// twiddles come from the recurrence w <- w + w*(wpr + i*wpi). Independent butterflies are
// reordered for the cache (short stages depth first, twiddles tabulated), but every butterfly
// computes exactly what the plain stage-by-stage loop computes, so the bits do not depend on it.
#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <utility>

#include "nuv/analysis/TFastFourier.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nuv {
namespace {

// Stages up to this block length run depth first on one stretch at a time while it sits in
// the first-level cache.
constexpr std::size_t kLocalLength = 1024;
// The next stages run per stretch of this many elements, which fits the second-level cache.
constexpr std::size_t kMiddleLength = std::size_t{1} << 15;
// Twiddles computed on the fly (no table) are produced this many at a time.
constexpr std::size_t kTwiddleChunk = 256;

// The recurrence for block length `length` and sign isign; θ = isign*2π/length,
// wpr = -2 sin²(θ/2), wpi = sin θ.
class TTwiddleWalk {
 public:
  TTwiddleWalk(Integer isign, std::size_t length) {
    const double theta =
        static_cast<double>(isign) * (2.0 * std::numbers::pi) / static_cast<double>(length);
    const double s = std::sin(0.5 * theta);
    wpr = -2.0 * s * s;
    wpi = std::sin(theta);
  }
  /// Writes the current twiddle (re, im) to w, then steps on.
  void Next(double* w) noexcept {
    w[0] = wr;
    w[1] = wi;
    const double t = wr;
    wr = t * wpr - wi * wpi + wr;
    wi = wi * wpr + t * wpi + wi;
  }

 private:
  double wpr;
  double wpi;
  double wr = 1.0;
  double wi = 0.0;
};

// One butterfly on the complex numbers at a and b with twiddle w = (wr, wi), or its conjugate
// when Conj: t = w*b; b = a - t; a = a + t, with tr = wr*br - wi*bi and ti = wr*bi + wi*br.
#if defined(__SSE2__)
// Lanes: wr*br + (-wi)*bi and wr*bi + wi*br. (-wi)*bi is -(wi*bi) and x + (-y) is x - y
// exactly, so the lanes carry the scalar formula's bits.
template <bool Conj>
inline void Butterfly(double* a, double* b, const double* w) noexcept {
  const __m128d sign = Conj ? _mm_set_pd(-0.0, 0.0) : _mm_set_pd(0.0, -0.0);
  const __m128d vw = _mm_loadu_pd(w);
  const __m128d wr = _mm_unpacklo_pd(vw, vw);
  const __m128d wi = _mm_xor_pd(_mm_unpackhi_pd(vw, vw), sign);
  const __m128d va = _mm_loadu_pd(a);
  const __m128d vb = _mm_loadu_pd(b);
  const __m128d bs = _mm_shuffle_pd(vb, vb, 1);
  const __m128d t = _mm_add_pd(_mm_mul_pd(wr, vb), _mm_mul_pd(wi, bs));
  _mm_storeu_pd(b, _mm_sub_pd(va, t));
  _mm_storeu_pd(a, _mm_add_pd(va, t));
}
#else
template <bool Conj>
inline void Butterfly(double* a, double* b, const double* w) noexcept {
  const double wr = w[0];
  const double wi = Conj ? -w[1] : w[1];
  const double tr = wr * b[0] - wi * b[1];
  const double ti = wr * b[1] + wi * b[0];
  const double ar = a[0];
  const double ai = a[1];
  b[0] = ar - tr;
  b[1] = ai - ti;
  a[0] = ar + tr;
  a[1] = ai + ti;
}
#endif

// Butterflies j = 0 .. cnt-1 of the block of length 2*half at d, twiddles tw[2j], tw[2j+1].
template <bool Conj>
inline void Block(double* d, std::size_t half, std::size_t cnt, const double* tw) noexcept {
  double* b = d + 2 * half;
  for (std::size_t j = 0; j < cnt; ++j) Butterfly<Conj>(d + 2 * j, b + 2 * j, tw + 2 * j);
}

void BitReverse(double* d, std::size_t n) noexcept {
  std::size_t j = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (j > i) {
      std::swap(d[2 * i], d[2 * j]);
      std::swap(d[2 * i + 1], d[2 * j + 1]);
    }
    // Reverse-carry increment of j.
    std::size_t m = n >> 1;
    while (m >= 1 && (j & m) != 0) {
      j ^= m;
      m >>= 1;
    }
    j |= m;
  }
}

// Twiddles of every block length 2 .. n: the length-m stage starts at entry m/2 - 1.
inline const double* StageTwiddles(const double* table, std::size_t m) noexcept {
  return table + 2 * (m / 2 - 1);
}

// Stages m and 2m in one sweep over span elements (span a multiple of 2m): the four elements
// j, j+m/2, j+m, j+3m/2 of each block of length 2m pass through both stages at once, which halves
// the trips through memory for the long stages.
template <bool Conj>
void StagePair(double* d, std::size_t span, std::size_t m, const double* table) noexcept {
  const double* twm = StageTwiddles(table, m);
  const double* tw2m = StageTwiddles(table, 2 * m);
  const std::size_t q = m / 2;
  for (std::size_t b = 0; b < span; b += 2 * m) {
    double* x = d + 2 * b;
    for (std::size_t j = 0; j < q; ++j) {
      double* p0 = x + 2 * j;
      double* p1 = p0 + 2 * q;
      double* p2 = p0 + 2 * m;
      double* p3 = p2 + 2 * q;
      Butterfly<Conj>(p0, p1, twm + 2 * j);
      Butterfly<Conj>(p2, p3, twm + 2 * j);
      Butterfly<Conj>(p0, p2, tw2m + 2 * j);
      Butterfly<Conj>(p1, p3, tw2m + 2 * (j + q));
    }
  }
}

// Stages lo, 2lo, ..., hi over span elements, two at a time where possible.
template <bool Conj>
void StageRange(double* d, std::size_t span, std::size_t lo, std::size_t hi,
                const double* table) noexcept {
  std::size_t m = lo;
  for (; 2 * m <= hi; m <<= 2) StagePair<Conj>(d, span, m, table);
  if (m <= hi) {
    const double* tw = StageTwiddles(table, m);
    for (std::size_t b = 0; b < span; b += m) Block<Conj>(d + 2 * b, m / 2, m / 2, tw);
  }
}

// All stages from a table holding the twiddles of every length up to n: the shortest ones
// depth first per stretch of kLocalLength elements, the middle ones per stretch of
// kMiddleLength, the rest over the whole array.
template <bool Conj>
void StagesFromTable(double* d, std::size_t n, const double* table) noexcept {
  const std::size_t local = std::min(n, kLocalLength);
  for (std::size_t s = 0; s < n; s += local) {
    double* stretch = d + 2 * s;
    std::size_t m = 2;
    if (local >= 4) {
      // Lengths 2 and 4 together on each group of four elements.
      const double* w2 = StageTwiddles(table, 2);
      const double* w4 = StageTwiddles(table, 4);
      for (std::size_t g = 0; g < local; g += 4) {
        double* x = stretch + 2 * g;
        Butterfly<Conj>(x, x + 2, w2);
        Butterfly<Conj>(x + 4, x + 6, w2);
        Butterfly<Conj>(x, x + 4, w4);
        Butterfly<Conj>(x + 2, x + 6, w4 + 2);
      }
      m = 8;
    }
    if (m <= local) StageRange<Conj>(stretch, local, m, local, table);
  }
  const std::size_t middle = std::min(n, kMiddleLength);
  if (middle > local) {
    for (std::size_t s = 0; s < n; s += middle) {
      StageRange<Conj>(d + 2 * s, middle, 2 * local, middle, table);
    }
  }
  if (n > middle) StageRange<Conj>(d, n, 2 * middle, n, table);
}

// All stages, twiddles walked per stage in chunks (any isign, no table needed).
void StagesOnTheFly(double* d, std::size_t n, Integer isign) noexcept {
  double chunk[2 * kTwiddleChunk];
  for (std::size_t m = 2; m <= n; m <<= 1) {
    const std::size_t half = m / 2;
    TTwiddleWalk walk(isign, m);
    for (std::size_t j0 = 0; j0 < half; j0 += kTwiddleChunk) {
      const std::size_t cnt = std::min(kTwiddleChunk, half - j0);
      for (std::size_t j = 0; j < cnt; ++j) walk.Next(chunk + 2 * j);
      for (std::size_t b = 0; b < n; b += m) {
        double* block = d + 2 * (b + j0);
        double* upper = block + 2 * half;
        for (std::size_t j = 0; j < cnt; ++j) {
          Butterfly<false>(block + 2 * j, upper + 2 * j, chunk + 2 * j);
        }
      }
    }
  }
}

}  // namespace

void TFastFourier::DoFFT(Integer isign) noexcept {
  const auto n = static_cast<std::size_t>(FNumData);
  double* d = FData.data();
  BitReverse(d, n);

  // For isign = -1 every twiddle is the conjugate of the one for +1: θ, sin θ and each step of
  // the recurrence change sign exactly, so one table serves both directions.
  if ((isign == 1 || isign == -1) && n >= 2) {
    if (FTwiddles.size() != 2 * (n - 1)) {
      try {
        std::vector<double> table(2 * (n - 1));
        for (std::size_t m = 2; m <= n; m <<= 1) {
          TTwiddleWalk walk(1, m);
          double* w = table.data() + 2 * (m / 2 - 1);
          for (std::size_t j = 0; j < m / 2; ++j) walk.Next(w + 2 * j);
        }
        FTwiddles.swap(table);
      } catch (const std::bad_alloc&) {
        // The table only saves time: carry on without it.
      }
    }
  }
  if ((isign == 1 || isign == -1) && FTwiddles.size() == 2 * (n - 1) && n >= 2) {
    if (isign == 1) {
      StagesFromTable<false>(d, n, FTwiddles.data());
    } else {
      StagesFromTable<true>(d, n, FTwiddles.data());
    }
  } else {
    StagesOnTheFly(d, n, isign);
  }

  if (isign < 0) {
    // N is a power of two, so 1/N is exact and the product equals the quotient bit for bit.
    const double inv = 1.0 / static_cast<double>(FNumData);
    for (std::size_t k = 0; k < 2 * n; ++k) d[k] *= inv;
  }
  MaxValuesValid = false;
}

}  // namespace nuv
