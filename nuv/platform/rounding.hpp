#pragma once
// Rounding and truncation helpers with defined results for every double input.

#include <span>

#include "nuv/platform/types.hpp"

namespace nuv {

/// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
/// Raises EMathError "Invalid argument to Round" for NaN, infinities and values outside Int64.
Int64 Round(double X);
/// Integer part toward zero as Int64; EMathError "Invalid argument to Trunc" as Round.
Int64 Trunc(double X);
/// Integer part toward zero as a floating value (no range limit).
double Int(double X);
/// Fractional part: X - Int(X), with the sign of X.
double Frac(double X);
/// Largest integer not greater than X, as a 32-bit Integer; EMathError
/// "Invalid argument to Floor" when that integer is not finite or outside the 32-bit range.
Integer Floor(double X);
/// Smallest integer not less than X, as a 32-bit Integer; EMathError
/// "Invalid argument to Ceil" likewise.
Integer Ceil(double X);
/// Sample standard deviation (divisor n - 1); 0 for fewer than two values.
double StdDev(std::span<const double> Data);

}  // namespace nuv
