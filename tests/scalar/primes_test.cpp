#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <vector>

#include "nuv/scalar/math1_primes.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

constexpr Integer kMaxInt = std::numeric_limits<Integer>::max();
constexpr Integer kMinInt = std::numeric_limits<Integer>::min();

std::vector<Integer> Sieve(int limit) {
  std::vector<char> composite(static_cast<std::size_t>(limit) + 1, 0);
  std::vector<Integer> primes;
  for (int i = 2; i <= limit; ++i) {
    if (composite[static_cast<std::size_t>(i)]) continue;
    primes.push_back(i);
    for (long long j = static_cast<long long>(i) * i; j <= limit; j += i) {
      composite[static_cast<std::size_t>(j)] = 1;
    }
  }
  return primes;
}

// The definition: no i in 2..floor(sqrt|n|) divides n.
bool NaiveIsPrime(Integer n) {
  const long long m = std::llabs(static_cast<long long>(n));
  for (long long i = 2; i * i <= m; ++i) {
    if (m % i == 0) return false;
  }
  return true;
}

TEST(ListOfPrimes, MatchesSieveAndBounds) {
  const std::vector<Integer> primes = Sieve(46340);
  ASSERT_EQ(primes.size(), 4792u);
  for (std::size_t i = 0; i < primes.size(); ++i) {
    ASSERT_EQ(ListOfPrimes(static_cast<Integer>(i + 1)), primes[i]) << i + 1;
  }
  EXPECT_EQ(ListOfPrimes(1), 2);
  EXPECT_EQ(ListOfPrimes(4792), 46337);
  EXPECT_EQ(ListOfPrimes(0), 0);
  EXPECT_EQ(ListOfPrimes(4793), 0);
  EXPECT_EQ(ListOfPrimes(-1), 0);
  EXPECT_EQ(ListOfPrimes(kMinInt), 0);
}

TEST(IsPrime, AgreesWithTrialDivision) {
  EXPECT_TRUE(IsPrime(1));
  EXPECT_TRUE(IsPrime(0));
  EXPECT_TRUE(IsPrime(-1));
  EXPECT_FALSE(IsPrime(9));
  EXPECT_TRUE(IsPrime(-7));
  EXPECT_TRUE(IsPrime(kMaxInt));  // 2^31 - 1
  EXPECT_FALSE(IsPrime(kMinInt));
  EXPECT_FALSE(IsPrime(46337 * 46337 + 0));  // square of the largest table prime
  for (Integer n = -2000; n <= 100000; ++n) {
    ASSERT_EQ(IsPrime(n), NaiveIsPrime(n)) << n;
  }
  for (Integer n = kMaxInt; n > kMaxInt - 300; --n) {
    ASSERT_EQ(IsPrime(n), NaiveIsPrime(n)) << n;
  }
}

TEST(FindPrimeFactors, ProductOfAscendingPrimes) {
  EXPECT_EQ(FindPrimeFactors(360), (TIntArray{2, 2, 2, 3, 3, 5}));
  EXPECT_EQ(FindPrimeFactors(97), (TIntArray{97}));
  EXPECT_EQ(FindPrimeFactors(kMaxInt), (TIntArray{kMaxInt}));
  EXPECT_EQ(FindPrimeFactors(2147483646), (TIntArray{2, 3, 3, 7, 11, 31, 151, 331}));
  EXPECT_EQ(FindPrimeFactors(46337 * 46337), (TIntArray{46337, 46337}));
  EXPECT_TRUE(FindPrimeFactors(1).empty());
  EXPECT_TRUE(FindPrimeFactors(0).empty());
  EXPECT_TRUE(FindPrimeFactors(-12).empty());
  for (Integer n = 2; n <= 20000; ++n) {
    const TIntArray f = FindPrimeFactors(n);
    long long prod = 1;
    for (std::size_t i = 0; i < f.size(); ++i) {
      ASSERT_TRUE(NaiveIsPrime(f[i]) && f[i] >= 2) << n;
      if (i > 0) {
        ASSERT_LE(f[i - 1], f[i]) << n;
      }
      prod *= f[i];
    }
    ASSERT_EQ(prod, n);
  }
}

// The sweeps as described: divide both parts by every common c in 2..min(|Num|, |Den|), once
// per sweep, until a sweep divides nothing.
void SweepCancel(int& num, int& den) {
  bool divided = true;
  while (divided) {
    divided = false;
    const int m = std::min(std::abs(num), std::abs(den));
    if (m < 2) return;
    for (int c = 2; c <= m; ++c) {
      if (num % c == 0 && den % c == 0) {
        num /= c;
        den /= c;
        divided = true;
      }
    }
  }
}

TEST(CancelFraction, WorkedExamplesAndSweepReference) {
  Integer n = 12, d = -18;
  CancelFraction(n, d);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(d, -3);
  n = 8, d = 16;
  CancelFraction(n, d);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(d, 2);
  n = 0, d = 5;
  CancelFraction(n, d);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(d, 5);
  n = 6, d = 0;
  CancelFraction(n, d);
  EXPECT_EQ(n, 6);
  EXPECT_EQ(d, 0);
  for (int a = -80; a <= 80; ++a) {
    for (int b = -80; b <= 80; ++b) {
      int rn = a, rd = b;
      SweepCancel(rn, rd);
      Integer cn = a, cd = b;
      CancelFraction(cn, cd);
      ASSERT_EQ(cn, rn) << a << "/" << b;
      ASSERT_EQ(cd, rd) << a << "/" << b;
    }
  }
}

TEST(CancelFraction, ExtremeIntegersAreFastAndExact) {
  Integer n = kMinInt, d = 2;
  CancelFraction(n, d);
  EXPECT_EQ(n, -1073741824);
  EXPECT_EQ(d, 1);
  n = kMinInt, d = kMinInt;
  CancelFraction(n, d);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(d, -1);
  n = kMaxInt, d = kMaxInt - 1;  // coprime: unchanged
  CancelFraction(n, d);
  EXPECT_EQ(n, kMaxInt);
  EXPECT_EQ(d, kMaxInt - 1);
  n = 46337 * 46337, d = -46337 * 3;
  CancelFraction(n, d);
  EXPECT_EQ(n, 46337);
  EXPECT_EQ(d, -3);
}

TEST(Bits, MasksLowestBitAndCounts) {
  for (Integer i = 0; i <= 7; ++i) EXPECT_EQ(DecodeBit(i), 1 << i);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(-1), 0);
  for (Integer i = 0; i <= 30; ++i) EXPECT_EQ(DecodeLong(i), 1 << i);
  EXPECT_EQ(DecodeLong(31), kMinInt);
  EXPECT_EQ(DecodeLong(32), 0);
  EXPECT_EQ(DecodeLong(-1), 0);
  EXPECT_EQ(EncodeLong(40), 3);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(1), 0);
  EXPECT_EQ(EncodeLong(kMinInt), 31);
  EXPECT_EQ(EncodeLong(-2), 1);
  for (Integer i = 0; i <= 31; ++i) EXPECT_EQ(EncodeLong(DecodeLong(i)), i);
  for (int b = 0; b < 256; ++b) {
    int count = 0, rev = 0;
    for (int i = 0; i < 8; ++i) {
      if (b >> i & 1) {
        ++count;
        rev |= 1 << (7 - i);
      }
    }
    EXPECT_EQ(CountBits(static_cast<Byte>(b)), count) << b;
    EXPECT_EQ(BitReversal(static_cast<Byte>(b)), rev) << b;
  }
  EXPECT_EQ(CountBits(255), 8);
  EXPECT_EQ(BitReversal(1), 128);
}

// Gray code back to binary: each bit is the xor of all Gray bits at and above it.
Word GrayDecode(Word g) {
  Word b = 0;
  for (int i = 15; i >= 0; --i) {
    const int above = i == 15 ? 0 : (b >> (i + 1)) & 1;
    b = static_cast<Word>(b | ((((g >> i) & 1) ^ above) << i));
  }
  return b;
}

TEST(GrayCode, RoundTripAndSingleBitSteps) {
  EXPECT_EQ(GrayCode(2), 3);
  EXPECT_EQ(GrayCode(3), 2);
  EXPECT_EQ(GrayCode(0), 0);
  EXPECT_EQ(GrayCode(65535), 32768);
  std::vector<char> seen(65536, 0);
  for (int w = 0; w < 65536; ++w) {
    const Word g = GrayCode(static_cast<Word>(w));
    ASSERT_EQ(GrayDecode(g), w);
    seen[g] = 1;
    const Word next = GrayCode(static_cast<Word>((w + 1) & 0xFFFF));
    ASSERT_EQ(std::popcount(static_cast<unsigned>(g ^ next)), 1) << w;
  }
  EXPECT_EQ(std::accumulate(seen.begin(), seen.end(), 0), 65536);
}

}  // namespace
}  // namespace nuv
