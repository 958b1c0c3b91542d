#include "nuv/scalar/TKahanSum.hpp"

#include <cmath>

// The compensation (t - Sum) - y is zero under algebraic simplification; it only works when
// every operation is rounded on its own, in the order written.
#if defined(__FAST_MATH__) || defined(__ASSOCIATIVE_MATH__)
#error "TKahanSum must be compiled without fast-math or reassociation"
#endif
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "TKahanSum needs SSE2 arithmetic on x86-32 (x87 excess precision breaks the compensation)"
#endif

namespace nuv {

TKahanSum::TKahanSum(TComponent* AOwner) : TComponent(AOwner) {
  Reset();
}

TKahanSum::~TKahanSum() = default;

void TKahanSum::Reset() {
  Sum = 0.0;
  cps = 0.0;
}

void TKahanSum::Add(double ANumber) {
  const double y = ANumber - cps;
  const double t = Sum + y;
  // inf - inf would make the compensation NaN and poison every later sum.
  cps = std::isfinite(t) ? (t - Sum) - y : 0.0;
  Sum = t;
}

}  // namespace nuv
