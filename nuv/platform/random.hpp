#pragma once
// The process-wide uniform random generator shared by the library and the application.
// Unguarded by design: concurrent users interleave their draws (never undefined behaviour).

#include "nuv/platform/types.hpp"

namespace nuv {

/// Reseeds the generator from the clock.
void Randomize();
/// The last seed set by SetRandSeed or Randomize.
Integer RandSeed();
/// Restarts the generator: the same seed always gives the same sequence.
void SetRandSeed(Integer Seed);
/// Next uniform double u, 0 <= u < 1 (53 random bits).
double Random();
/// Next uniform integer in 0..n-1; 0 when n <= 0.
Integer Random(Integer n);
/// Next normal deviate with the given mean and standard deviation (polar method).
double RandG(double Mean, double StdDev);

}  // namespace nuv
