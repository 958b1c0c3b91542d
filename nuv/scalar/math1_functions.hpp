#pragma once
// Scalar functions of NUV_math1: logarithms, hyperbolic and trigonometric helpers, signs and
// integer parts, factorial, polynomials, table interpolation, bounds and byte order.
// sinh, cosh, lg, ... are this unit's own functions: call them as nuv::sinh; inside the
// library the C++ maths functions are always called as std::.

#include <concepts>
#include <span>
#include <type_traits>

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math1 {

/// Decimal logarithm ln x / ln 10; exactly k when x is the double nearest 10^k.
/// Raises EMathError "logarithm: invalid argument" for x <= 0.
double lg(double x);
/// Binary logarithm ln x / ln 2; exactly k when x = 2^k.
/// Raises EMathError "logarithm: invalid argument" for x <= 0.
double ld(double x);
/// Hyperbolic sine (e^x - e^-x) / 2 from one exponential (from expm1 for |x| < 1, so tiny x
/// keep full relative accuracy; finite up to its overflow near |x| = 710.5).
double sinh(double x);
/// Hyperbolic cosine (e^x + e^-x) / 2 from one exponential (finite up to its overflow).
double cosh(double x);
/// Hyperbolic tangent 1 - 2 / (e^(2x) + 1); t / (t + 2) with t = expm1(2x) for |x| < 1.
double tgh(double x);
/// Tangent sin x / cos x; raises EMathError "tangens overflow" when cos x is exactly 0.
double tg(double x);
/// Cotangent cos x / sin x; raises EMathError "cotangens overflow" when sin x is exactly 0.
double cot(double x);

/// -1 when x < 0, otherwise 1 (so 0 gives 1).
Integer Signum(double x);
/// Smallest integer >= x. Raises EMathError "IntPos: invalid argument" when that integer is
/// not a 32-bit value (NaN and infinities included).
Integer IntPos(double x);
/// Largest integer <= x. Raises EMathError "IntNeg: invalid argument" when that integer is
/// not a 32-bit value (NaN and infinities included).
Integer IntNeg(double x);
/// x rounded to the nearest integer (halves to even), then raised to Low and lowered to High
/// (High wins when Low > High); infinities land on the bounds. Raises EMathError
/// "RoundLimit: invalid argument" for NaN.
Int64 RoundLimit(double x, Int64 Low, Int64 High);
/// n! as the product 2*3*...*n in Extended (+inf past 170 where Extended is double).
/// Raises ENUVMath1Error "Factorial: negative argument" for n < 0 and
/// "Factorial: argument too big" for n > 1000.
Extended Factorial(Integer n);

/// Sum of Coeffs[i] * x^i for i = 0..Order with a running power, lowest term first.
/// Raises ENUVMath1Error "Polynomial: invalid order of polynomial" when Order < 0 or
/// Order > Coeffs.size() - 1.
double Polynomial(std::span<const double> Coeffs, Integer Order, double x);
/// Polynomial in (B - A); same check and message as Polynomial.
double CenteredPolynomial(std::span<const double> Coeffs, Integer Order, double A, double B);

/// Linear interpolation in a table: Table[0] holds ascending abscissae, Table[1] ordinates;
/// outside the table the end segments are extended; NaN gives NaN. Raises ENUVMath1Error
/// "InterpolXYTable: pivot array must contain at least 2 rows" (fewer than 2 usable rows) or
/// "InterpolXYTable: pivot array must contain 2 columns" (Table.size() != 2).
double InterpolXYTable(double x, const TDouble2DArray& Table);
/// Linear interpolation in values at equally spaced abscissae from Low (Table[0]) to High
/// (Table[n-1]; High may be below Low); end segments extended outside; NaN gives NaN.
/// Raises ENUVMath1Error "InterpolTable: pivot array must contain at least 2 values" or
/// "InterpolTable: specified range of pivot array is zero".
double InterpolTable(double x, double Low, double High, std::span<const double> Table);
/// As above on integer table values.
double InterpolTable(double x, double Low, double High, std::span<const Integer> Table);
/// Bilinear interpolation: P = A + u(C - A), Q = B + u(D - B), result P + v(Q - P).
double InterpolZofXYRect(double A, double B, double C, double D, double u, double v);

/// Whether x lies in the closed interval between a and b (given in either order).
bool WithinBounds(double x, double a, double b);
/// Whether x lies in the interval between a and b widened by tol on both sides.
bool WithinBounds(double x, double a, double b, double tol);

/// x clamped into the interval between a and b (given in either order). The type of x picks
/// the overload (double, Single compared as double, or Integer), so ConfineValue(x, 0, 1)
/// is never ambiguous.
template <class T>
requires std::same_as<T, double> || std::same_as<T, Single> || std::same_as<T, Integer> T
ConfineValue(T x, std::type_identity_t<T> a, std::type_identity_t<T> b) {
  using C = std::conditional_t<std::same_as<T, Integer>, Integer, double>;
  const C cx = x;
  const C lo = a < b ? a : b;
  const C hi = a < b ? b : a;
  if (cx < lo) return static_cast<T>(lo);
  if (cx > hi) return static_cast<T>(hi);
  return x;
}

/// 0-based bin k = floor((x - FirstBin) / BinWidth) of x and its Offset inside the bin.
/// Raises EMathError "HistoBinRef: invalid argument" when k is not finite or not a 32-bit value.
Integer HistoBinRef(double x, double FirstBin, double BinWidth, double& Offset);
/// True when n and n - 1 have no common bit (so also for 0).
bool CheckPowerOfTwo(Cardinal n);

/// The value with its bytes in reverse order.
double ConvertEndian(double x);
Single ConvertEndian(Single x);
Word ConvertEndian(Word x);
Integer ConvertEndian(Integer x);

}  // namespace NUV_math1
}  // namespace nuv
