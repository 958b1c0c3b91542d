#pragma once
// Random generators of NUV_math1 built on the process-wide uniform generator.

#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math1 {

/// Bernoulli trial: true with probability p. p >= 1 gives true without drawing; otherwise one
/// uniform u is drawn and the result is p > u.
bool BRandom(double p);
/// Cauchy deviate with location a and scale b: a + b * tan((u - 0.5) * pi), one uniform u.
double CRandom(double a, double b);
/// Standard normal deviate by the polar method; computes two at a time and returns the cached
/// second one on the next call.
double GRandom();
/// Combined congruential generator in [0, 1) with its own three states. A non-zero Seed
/// restarts the sequence (the same Seed always gives the same sequence); 0 continues it.
double LongRand(Integer Seed);

}  // namespace NUV_math1
}  // namespace nuv
