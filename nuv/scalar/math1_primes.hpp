#pragma once
// Primes, fractions, bit masks, bit counting and reversal, and the Gray code of NUV_math1.

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math1 {

/// The Index-th prime of the built-in table of the 4792 primes from 2 to 46337 (1 gives 2);
/// 0 for an Index outside 1..4792.
Integer ListOfPrimes(Integer Index);
/// True when no i in 2..floor(sqrt(|n|)) divides n; so 0, 1, -1 and negated primes give true.
bool IsPrime(Integer n);
/// The prime factors of n in ascending order with repetition; empty for n <= 1.
TIntArray FindPrimeFactors(Integer n);
/// Cancels Num/Den in place by their greatest common divisor; signs stay where they are, and a
/// fraction with 0 or +-1 in either part is left unchanged.
void CancelFraction(Integer& Num, Integer& Den);
/// 1 shl n for 0 <= n <= 7, else 0.
Byte DecodeBit(Integer n);
/// 1 shl n for 0 <= n <= 31 (31 gives the lowest Integer), else 0.
Integer DecodeLong(Integer n);
/// Index of the lowest set bit of v; 31 for v = 0.
Integer EncodeLong(Integer v);
/// Number of set bits of b.
Integer CountBits(Byte b);
/// b with its eight bits in reverse order.
Byte BitReversal(Byte b);
/// Binary-reflected Gray code of w: w xor (w shr 1).
Word GrayCode(Word w);

}  // namespace NUV_math1
}  // namespace nuv
