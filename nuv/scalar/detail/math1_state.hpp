#pragma once
// Unit-global state of NUV_math1 shared between its topic files.

#include "nuv/platform/types.hpp"

namespace nuv::detail {

extern bool gGaussCached;
extern double gGaussValue;
extern Integer gLongRandS1;
extern Integer gLongRandS2;
extern Integer gLongRandS3;

/// Empties the Gaussian cache and seeds the three LongRand states from the uniform generator.
void ResetMath1RandomState();

}  // namespace nuv::detail
