#pragma once
// Number <-> text conversions that never depend on the C locale: the decimal separator is
// always '.', and rounding is exact (the binary value is rounded, not a printed approximation).

#include <string>
#include <string_view>

#include "nuv/platform/types.hpp"

namespace nuv {

/// Fixed or exponent text of X, right-aligned in at least Width characters.
/// Decimals >= 0: fixed form with exactly Decimals digits after '.', no point when 0.
/// Decimals < 0: exponent form: a sign position (blank or '-'), one digit, '.',
/// max(1, Width - 9) digits, 'E', the exponent's sign and four exponent digits.
/// Rounding is correct for the exact binary value; exact ties go away from zero
/// (2.5 with 0 decimals gives "3"). Non-finite values give "NaN", "Inf" or "-Inf".
std::string FormatFloat(double X, int Width, int Decimals);
/// Shortest text that reads back to the same double ("NaN", "Inf", "-Inf" when not finite).
std::string FloatToStr(double X);
/// Decimal text of Value.
std::string IntToStr(Int64 Value);

/// Reads a whole text (surrounding blanks, TAB, CR, LF ignored) as a double: optional sign,
/// digits with an optional '.' and exponent, or NaN/Inf/-Inf in any letter case.
bool TryStrToFloat(std::string_view S, double& Value);
/// Reads a whole text (surrounding blanks ignored) as a 32-bit signed decimal integer,
/// or as hexadecimal after '$' or "0x"; false for anything else or out of range.
bool TryStrToInt(std::string_view S, Integer& Value);
/// As TryStrToFloat; raises EConvertError "'<S>' is not a valid floating point value".
double StrToFloat(std::string_view S);
/// As TryStrToInt; raises EConvertError "'<S>' is not a valid integer value".
Integer StrToInt(std::string_view S);

}  // namespace nuv
