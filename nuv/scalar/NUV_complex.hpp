#pragma once
// Unit NUV_complex: complex numbers in rectangular and polar form.

#include "nuv/platform/types.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {

/// Complex number in rectangular form: real part re, imaginary part im.
struct TComplex {
  Extended re = 0;
  Extended im = 0;
};

/// Complex number in polar form: modulus r, argument phi in radians.
struct TComplexPolar {
  Extended r = 0;
  Extended phi = 0;
};

inline namespace NUV_complex {

/// (0, 0).
inline constexpr TComplex COMPLEX_0{0, 0};
/// (1, 0).
inline constexpr TComplex COMPLEX_1{1, 0};

/// Tolerance of the near comparisons (CpxIsNearEqual, CpxIsZero); 1e-15 at start-up,
/// writable by applications. Read without synchronisation.
extern Extended CpxNearZero;

/// The record (re, im).
TComplex Cpx(Extended re, Extended im);
/// Modulus sqrt(re^2 + im^2), without overflow or underflow of the squares.
Extended CpxAbs(const TComplex& z);
/// re^2 + im^2.
Extended CpxAbsSqr(const TComplex& z);
/// Part-wise sum.
TComplex CpxAdd(const TComplex& a, const TComplex& b);
/// Part-wise difference a - b.
TComplex CpxSub(const TComplex& a, const TComplex& b);
/// (re, -im); only the sign bit of im changes, so a zero part becomes -0.
TComplex CpxConj(const TComplex& z);
/// (-re, -im); only the sign bits change.
TComplex CpxNeg(const TComplex& z);
/// Product a * b.
TComplex CpxMult(const TComplex& a, const TComplex& b);
/// Quotient a / b. Raises ENUVComplexError "CpxDiv: division by zero" when b is (0, 0) or
/// when finite operands give a quotient that is not finite; non-finite operands give IEEE
/// results.
TComplex CpxDiv(const TComplex& a, const TComplex& b);
/// Both parts exactly equal.
bool CpxIsEqual(const TComplex& a, const TComplex& b);
/// Both parts differ by less than CpxNearZero.
bool CpxIsNearEqual(const TComplex& a, const TComplex& b);
/// Both parts are 0 once parts below CpxNearZero in magnitude count as 0.
bool CpxIsZero(const TComplex& z);
/// (CpxAbs(z), argument in -pi..pi).
TComplexPolar ConvertRectToPolar(const TComplex& z);
/// (r cos phi, r sin phi).
TComplex ConvertPolarToRect(const TComplexPolar& p);

}  // namespace NUV_complex
}  // namespace nuv
