#pragma once
// Unit-global state of NUV_math1 shared between its topic files.

#include <mutex>

#include "nuv/platform/types.hpp"

namespace nuv::detail {

/// Guards the Gaussian cache and the LongRand states: concurrent callers interleave their
/// sequences but never race; a single thread sees the documented sequence.
extern std::mutex gMath1RandomLock;
extern bool gGaussCached;
extern double gGaussValue;
extern Integer gLongRandS1;
extern Integer gLongRandS2;
extern Integer gLongRandS3;

/// Empties the Gaussian cache and seeds the three LongRand states, s1 first, from the uniform
/// generator (a state that would start at 0 starts at 1, since 0 is a fixed point).
void ResetMath1RandomState();

/// The double nearest to 10^k for -323 <= k <= 308; 0 below and +inf above that range.
double ExactPowerOfTen(Integer k);

}  // namespace nuv::detail
