#pragma once
// Unit NUV_complex: complex numbers.

#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {
inline namespace NUV_complex {

/// Magnitudes below this tolerance count as zero; set to 1e-15 at start-up.
extern double CpxNearZero;

}  // namespace NUV_complex
}  // namespace nuv
