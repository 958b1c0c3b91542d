#pragma once
// Number texts of NUV_math1: fixed-width decimal, hexadecimal, octal and binary digits, exact
// hexadecimal images of floating values, engineering and exponent forms, degrees, Roman
// numerals and a tolerant string-to-integer conversion.

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math1 {

/// Exactly Digits (0 taken as 1) decimal digits of |Value| with leading zeros, higher digits
/// dropped; a negative Value gets a leading "-".
string Decimal(Integer Value, Byte Digits);
/// Exactly Digits (clamped to 1..8) upper-case hexadecimal digits of the 32-bit pattern.
string Hex(Integer Value, Byte Digits);
/// Exactly Digits (clamped to 1..11) octal digits of the unsigned 32-bit pattern.
string Octal(Integer Value, Byte Digits);
/// Exactly Digits (clamped to 1..32) binary digits of the unsigned 32-bit pattern.
string Bin(Integer Value, Byte Digits);

/// 16 upper-case hexadecimal digits of the IEEE-754 image, most significant byte first.
string FPNumToHex(double x);
/// 8 upper-case hexadecimal digits of the IEEE-754 single image.
string FPNumToHex(Single x);
/// Inverse of FPNumToHex(double): exactly 16 hexadecimal digits in either case. Raises
/// ENUVError `HexToDouble: invalid hex string "<s>"` otherwise.
double HexToDouble(const string& s);
/// Inverse of FPNumToHex(Single): exactly 8 digits. Raises ENUVError
/// `HexToSingle: invalid hex string "<s>"` otherwise.
Single HexToSingle(const string& s);
#if defined(NUV_EXTENDED_IS_LONG_DOUBLE)
/// 20 upper-case hexadecimal digits of the 10-byte extended image, sign and exponent first.
string FPNumToHex(Extended x);
/// Inverse of FPNumToHex(Extended): exactly 20 digits. Raises ENUVError
/// `HexToExtended: invalid hex string "<s>"` otherwise.
Extended HexToExtended(const string& s);
#endif

/// Engineering notation with an SI prefix letter (a f p n u m, k M G T); |Digits| (clamped to
/// 1..9) significant digits; a negative Digits writes the letter in place of the point (4k7).
string EEngStr(double x, Integer Digits);
/// Fixed text of x in Width with Decimals decimals; Decimals = -2 gives the exponent form with
/// a two-digit exponent, all "*" when the exponent needs more digits.
string strf(double x, Integer Width, Integer Decimals);
/// Exponent form with a mantissa between 0.1 and 1 ("0.123E+04"), Digits (2..15) mantissa
/// digits, at least two exponent digits, padded with blanks to Width (8..40).
string MakeEFormat(double x, Integer Width, Integer Digits);
/// Angle text: decimal degrees, degrees and minutes, degrees minutes and seconds, or a plain
/// number; Decimals clamped to 0..8; an unknown format gives "".
string DegreeToStr(double x, TDegreeFormat Format, Integer Decimals);
/// Converts an angle from InFormat to OutFormat in place; the sign stays on Deg. Raises
/// ENUVMath1Error "ConvertDegrees: invalid range of minutes" (Min outside 0..60) or
/// "ConvertDegrees: invalid range of seconds" (Sec outside 0..60), whatever the formats.
void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat InFormat,
                    TDegreeFormat OutFormat);
/// Roman numeral of 1..29999 (4000 is MMMM); "" otherwise.
string Roman(Integer Value);
/// Value of s (optional leading blanks and sign, decimal digits or hexadecimal after "$" or
/// "0x", nothing after, inside the 32-bit range); Default for anything else.
Integer StrToIntDefault(const string& s, Integer Default);

}  // namespace NUV_math1
}  // namespace nuv
