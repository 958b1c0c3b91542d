#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

#include "nuv/scalar/NUV_complex.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

// A few units of rounding in the widest type: identities computed by two routes.
constexpr double kFewUlps = 8 * std::numeric_limits<double>::epsilon();

::testing::AssertionResult Near(Extended a, Extended b, double tol) {
  return RelNear(static_cast<double>(a), static_cast<double>(b), tol);
}

const std::vector<TComplex>& Samples() {
  static const std::vector<TComplex> s{{1, 2},    {3, -4}, {-0.5, 0.25}, {-7, -1e-3}, {1e10, 3},
                                       {2, 1e-8}, {0, 1},  {-1, 0},      {1.5, 1.5},  {1e-5, -9}};
  return s;
}

// The same value as a std::complex of the widest type.
std::complex<Extended> Std(const TComplex& z) {
  return {z.re, z.im};
}

TEST(NUVComplexConstants, ValuesAndStartUpTolerance) {
  EXPECT_EQ(COMPLEX_0.re, 0);
  EXPECT_EQ(COMPLEX_0.im, 0);
  EXPECT_EQ(COMPLEX_1.re, 1);
  EXPECT_EQ(COMPLEX_1.im, 0);
  EXPECT_EQ(CpxNearZero, static_cast<Extended>(1e-15));
  const TComplex z = Cpx(2.5, -3);
  EXPECT_EQ(z.re, 2.5);
  EXPECT_EQ(z.im, -3);
}

TEST(NUVComplexArithmetic, AgreesWithStdComplex) {
  for (const TComplex& a : Samples()) {
    for (const TComplex& b : Samples()) {
      SCOPED_TRACE(testing::Message()
                   << "a=(" << a.re << "," << a.im << ") b=(" << b.re << "," << b.im << ")");
      const std::complex<Extended> sa = Std(a), sb = Std(b);
      const TComplex sum = CpxAdd(a, b), dif = CpxSub(a, b), prod = CpxMult(a, b);
      EXPECT_EQ(sum.re, (sa + sb).real());
      EXPECT_EQ(sum.im, (sa + sb).imag());
      EXPECT_EQ(dif.re, (sa - sb).real());
      EXPECT_EQ(dif.im, (sa - sb).imag());
      EXPECT_TRUE(Near(prod.re, (sa * sb).real(), kFewUlps));
      EXPECT_TRUE(Near(prod.im, (sa * sb).imag(), kFewUlps));
      const TComplex q = CpxDiv(a, b);
      const std::complex<Extended> sq = sa / sb;
      EXPECT_LE(static_cast<double>(CpxAbs(CpxSub(q, {sq.real(), sq.imag()}))),
                kFewUlps * static_cast<double>(std::abs(sq)));
      // (a / b) * b returns a.
      const TComplex back = CpxMult(q, b);
      EXPECT_LE(static_cast<double>(CpxAbs(CpxSub(back, a))),
                1e-12 * static_cast<double>(std::abs(sa)));
    }
  }
}

TEST(NUVComplexArithmetic, AbsConjugateAndNegation) {
  for (const TComplex& z : Samples()) {
    EXPECT_TRUE(Near(CpxAbs(z), std::abs(Std(z)), kFewUlps));
    EXPECT_EQ(CpxAbsSqr(z), z.re * z.re + z.im * z.im);
    // z times its conjugate is |z|^2 with no imaginary part.
    const TComplex zz = CpxMult(z, CpxConj(z));
    EXPECT_EQ(zz.re, CpxAbsSqr(z));
    EXPECT_EQ(zz.im, 0);
    EXPECT_TRUE(CpxIsEqual(CpxAdd(z, CpxNeg(z)), COMPLEX_0));
  }
  // Only sign bits flip: zero parts become negative zeros.
  EXPECT_TRUE(std::signbit(CpxConj({1, 0}).im));
  const TComplex n = CpxNeg(COMPLEX_0);
  EXPECT_TRUE(std::signbit(n.re));
  EXPECT_TRUE(std::signbit(n.im));
}

TEST(NUVComplexDiv, WorkedExampleAndZeroDivisor) {
  const TComplex q = CpxDiv({1, 2}, {3, 4});
  EXPECT_EQ(q.re, Extended(11) / 25);
  EXPECT_EQ(q.im, Extended(2) / 25);
  NUV_EXPECT_THROW_MSG(CpxDiv({1, 0}, {0, 0}), ENUVComplexError, "CpxDiv: division by zero");
  NUV_EXPECT_THROW_MSG(CpxDiv(COMPLEX_0, {-0.0, 0}), ENUVComplexError, "CpxDiv: division by zero");
}

TEST(NUVComplexDiv, TinyAndHugeDivisorsDoNotFail) {
  // The squared modulus of the divisor under- or overflows; the quotient does not.
  const TComplex a = CpxDiv({1, 1}, {1e-200, 0});
  EXPECT_TRUE(Near(a.re, 1e200, kFewUlps));
  EXPECT_TRUE(Near(a.im, 1e200, kFewUlps));
  const TComplex b = CpxDiv({1, 0}, {1e200, 0});
  EXPECT_TRUE(Near(b.re, 1e-200, kFewUlps));
  EXPECT_EQ(b.im, 0);
  const TComplex c = CpxDiv({3e-300, 4e-300}, {0, 1e-300});
  EXPECT_TRUE(Near(c.re, 4, kFewUlps));
  EXPECT_TRUE(Near(c.im, -3, kFewUlps));
  const TComplex d = CpxDiv({1e300, 1e300}, {1e10, 1e10});
  EXPECT_TRUE(Near(d.re, 1e290, kFewUlps));
  EXPECT_EQ(d.im, 0);
}

TEST(NUVComplexDiv, OverflowingQuotientRaisesNonFiniteOperandsDoNot) {
  const Extended big = std::numeric_limits<Extended>::max();
  NUV_EXPECT_THROW_MSG(CpxDiv({big, big}, {1e-10, 0}), ENUVComplexError,
                       "CpxDiv: division by zero");
  const Extended inf = std::numeric_limits<Extended>::infinity();
  TComplex q{};
  EXPECT_NO_THROW(q = CpxDiv({inf, 0}, {2, 0}));
  EXPECT_EQ(q.re, inf);
  EXPECT_NO_THROW(q = CpxDiv({1, 0}, {inf, 0}));
  EXPECT_NO_THROW(q = CpxDiv({std::nan(""), 0}, {1, 1}));
  EXPECT_TRUE(std::isnan(q.re));
}

TEST(NUVComplexAbs, NoOverflowOrUnderflowOfSquares) {
  EXPECT_EQ(CpxAbs({1e200, 0}), Extended(1e200));
  EXPECT_TRUE(Near(CpxAbs({3e200, 4e200}), 5e200, kFewUlps));
  EXPECT_TRUE(Near(CpxAbs({3e-200, -4e-200}), 5e-200, kFewUlps));
  EXPECT_EQ(CpxAbs(COMPLEX_0), 0);
  EXPECT_EQ(CpxAbs({-3, 4}), 5);  // the plain formula where the squares are normal
}

TEST(NUVComplexCompare, StrictTolerance) {
  EXPECT_TRUE(CpxIsZero({1e-16, -1e-16}));
  EXPECT_FALSE(CpxIsZero({1e-15, 0}));
  EXPECT_FALSE(CpxIsZero({0, -1e-15}));
  EXPECT_TRUE(CpxIsZero({-0.0, 0}));
  const TComplex a{1, 1};
  const TComplex b{std::nextafter(Extended(1), Extended(2)), 1};
  EXPECT_TRUE(CpxIsNearEqual(a, b));
  EXPECT_FALSE(CpxIsEqual(a, b));
  EXPECT_TRUE(CpxIsEqual(a, {1, 1}));
  EXPECT_FALSE(CpxIsNearEqual(a, {1 + 1e-15, 1}));  // difference not below the tolerance
  EXPECT_FALSE(CpxIsNearEqual(a, {1, 1.5}));
}

TEST(NUVComplexCompare, ToleranceIsWritable) {
  const Extended saved = CpxNearZero;
  CpxNearZero = 0.1;
  EXPECT_TRUE(CpxIsZero({0.05, -0.09}));
  EXPECT_TRUE(CpxIsNearEqual({1, 1}, {1.05, 0.95}));
  CpxNearZero = 0;
  EXPECT_TRUE(CpxIsZero(COMPLEX_0));
  EXPECT_FALSE(CpxIsZero({1e-300, 0}));
  CpxNearZero = saved;
}

TEST(NUVComplexPolar, BranchCutOfTheArgument) {
  const double pi = std::numbers::pi;
  const TComplexPolar p = ConvertRectToPolar({0, -1});
  EXPECT_EQ(p.r, 1);
  EXPECT_TRUE(Near(p.phi, -pi / 2, kFewUlps));
  const TComplex back = ConvertPolarToRect(p);
  EXPECT_LE(std::fabs(static_cast<double>(back.re)), 1e-15);
  EXPECT_TRUE(Near(back.im, -1, kFewUlps));
  // The cut lies on the negative real axis; the sign of a zero imaginary part picks the side.
  const struct {
    TComplex z;
  } cases[] = {{{-1, 0.0}}, {{-1, -0.0}}, {{0, 0}}, {{-0.0, 0}}, {{-0.0, -0.0}}, {{2, -0.0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.z.re << "," << std::signbit(c.z.im));
    const Extended expected = std::arg(Std(c.z));
    const Extended phi = ConvertRectToPolar(c.z).phi;
    EXPECT_TRUE(Near(phi, expected, kFewUlps));
    EXPECT_EQ(std::signbit(phi), std::signbit(expected));
  }
}

TEST(NUVComplexPolar, RoundTripsBothWays) {
  for (const TComplex& z : Samples()) {
    const TComplexPolar p = ConvertRectToPolar(z);
    EXPECT_TRUE(Near(p.phi, std::arg(Std(z)), kFewUlps));
    EXPECT_GE(p.phi, -std::numbers::pi_v<Extended>);
    EXPECT_LE(p.phi, std::numbers::pi_v<Extended>);
    const TComplex back = ConvertPolarToRect(p);
    EXPECT_LE(static_cast<double>(CpxAbs(CpxSub(back, z))), 4 * kFewUlps * CpxAbs(z));
  }
  for (double phi = -3; phi <= 3; phi += 0.25) {
    const TComplexPolar p{2.5, phi};
    const TComplexPolar q = ConvertRectToPolar(ConvertPolarToRect(p));
    EXPECT_TRUE(Near(q.r, 2.5, kFewUlps));
    EXPECT_LE(std::fabs(static_cast<double>(q.phi) - phi), kFewUlps);
  }
}

}  // namespace
}  // namespace nuv
