#pragma once
// Numeric constants of the base package.

#include <cfloat>

namespace nuv {

/// Largest finite double: start value of minimum searches.
inline constexpr double uc_MaxDouble = DBL_MAX;
/// Same as uc_MaxDouble.
inline constexpr double uc_MaxReal = DBL_MAX;
/// Square root of 2.
inline constexpr double uc_sqrt2 = 1.4142135623730951;
/// One over the square root of 2*pi.
inline constexpr double uc_sqrt2pitom1 = 0.3989422804014327;

}  // namespace nuv
