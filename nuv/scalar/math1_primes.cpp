#include "nuv/scalar/math1_primes.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace nuv {
inline namespace NUV_math1 {
namespace {

// Every prime up to the square root of the largest Integer.
constexpr int kPrimeLimit = 46340;
constexpr std::size_t kNrOfPrimes = 4792;

constexpr std::array<Integer, kNrOfPrimes> MakePrimes() {
  std::array<bool, kPrimeLimit + 1> composite{};
  std::array<Integer, kNrOfPrimes> primes{};
  std::size_t n = 0;
  for (int i = 2; i <= kPrimeLimit; ++i) {
    if (composite[static_cast<std::size_t>(i)]) continue;
    primes[n++] = i;
    for (int j = i * i; j <= kPrimeLimit && i <= kPrimeLimit / i; j += i) {
      composite[static_cast<std::size_t>(j)] = true;
    }
  }
  return primes;
}

constexpr std::array<Integer, kNrOfPrimes> kPrimes = MakePrimes();
static_assert(kPrimes.front() == 2 && kPrimes.back() == 46337);
static_assert(kPrimes[kNrOfPrimes - 2] < kPrimes.back());

constexpr std::array<Byte, 256> MakeBitReversal() {
  std::array<Byte, 256> t{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned r = 0;
    for (unsigned i = 0; i < 8; ++i) {
      if (b & (1u << i)) r |= 0x80u >> i;
    }
    t[b] = static_cast<Byte>(r);
  }
  return t;
}

constexpr std::array<Byte, 256> kBitReversal = MakeBitReversal();

// floor(sqrt(m)) for 0 <= m <= 2^31, corrected against rounding of the square root.
Int64 ISqrt(Int64 m) {
  auto t = static_cast<Int64>(std::sqrt(static_cast<double>(m)));
  while (t * t > m) --t;
  while ((t + 1) * (t + 1) <= m) ++t;
  return t;
}

}  // namespace

Integer ListOfPrimes(Integer Index) {
  if (Index < 1 || Index > static_cast<Integer>(kNrOfPrimes)) return 0;
  return kPrimes[static_cast<std::size_t>(Index - 1)];
}

bool IsPrime(Integer n) {
  // |n| in 64 bits: the magnitude of the lowest Integer does not fit an Integer. A divisor
  // up to t exists exactly when a prime divisor up to t does.
  const Int64 m = n < 0 ? -static_cast<Int64>(n) : n;
  const Int64 t = ISqrt(m);
  for (Integer p : kPrimes) {
    if (p > t) break;
    if (m % p == 0) return false;
  }
  return true;
}

TIntArray FindPrimeFactors(Integer n) {
  TIntArray factors;
  if (n <= 1) return factors;
  const Int64 b = ISqrt(n);
  std::size_t i = 0;
  while (i < kNrOfPrimes && kPrimes[i] <= b) {
    const Integer p = kPrimes[i];
    if (n % p == 0) {
      factors.push_back(p);
      n /= p;
    } else {
      ++i;
    }
  }
  if (n > 1) factors.push_back(n);
  return factors;
}

void CancelFraction(Integer& Num, Integer& Den) {
  const Int64 an = Num < 0 ? -static_cast<Int64>(Num) : Num;
  const Int64 ad = Den < 0 ? -static_cast<Int64>(Den) : Den;
  if (an < 2 || ad < 2) return;
  const Int64 g = std::gcd(an, ad);
  if (g < 2) return;
  // Both quotients have magnitude at most 2^30, so they fit an Integer.
  Num = static_cast<Integer>(static_cast<Int64>(Num) / g);
  Den = static_cast<Integer>(static_cast<Int64>(Den) / g);
}

Byte DecodeBit(Integer n) {
  return n >= 0 && n <= 7 ? static_cast<Byte>(1u << n) : Byte{0};
}

Integer DecodeLong(Integer n) {
  return n >= 0 && n <= 31 ? static_cast<Integer>(Cardinal{1} << n) : 0;
}

Integer EncodeLong(Integer v) {
  const int z = std::countr_zero(static_cast<Cardinal>(v));
  return z > 31 ? 31 : z;
}

Integer CountBits(Byte b) {
  return std::popcount(b);
}

Byte BitReversal(Byte b) {
  return kBitReversal[b];
}

Word GrayCode(Word w) {
  return static_cast<Word>(w ^ (w >> 1));
}

}  // namespace NUV_math1
}  // namespace nuv
