// TVector: integration of the samples at unit spacing.

#include <algorithm>
#include <cmath>
#include <limits>

#include "nuv/base/scaling.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

namespace {
// The integral of the samples y(k) between L and H (w = H - L; i1, i2 the first and last
// whole sample inside, m = i2 - i1) by Method.
template <class Y>
double IntegrateIn(Y y, double L, double H, double w, Integer i1, Integer i2, Integer m,
                   TIntegMethod Method) {
  if (m == -1) {
    // Both bounds inside the one interval i2..i1.
    const double vL = y(i2) + (y(i1) - y(i2)) * (L - i2);
    const double vH = y(i2) + (y(i1) - y(i2)) * (H - i2);
    if (Method == imSimple) return (y(i2) + y(i1)) / 2 * w;
    return (vL + vH) / 2 * w;
  }

  if (Method == imSimple) {
    double sum = 0.0;
    for (Integer k = i1; k <= i2; ++k) sum += y(k);
    return sum / (m + 1) * w;
  }

  double pieces = 0.0;
  if (L != i1) {
    const double vL = y(i1 - 1) + (y(i1) - y(i1 - 1)) * (L - i1 + 1);
    pieces += (vL + y(i1)) / 2 * (i1 - L);
  }
  if (H != i2) {
    const double vH = y(i2) + (y(i2 + 1) - y(i2)) * (H - i2);
    pieces += (y(i2) + vH) / 2 * (H - i2);
  }

  double inner = 0.0;
  if (Method == imTrapezoidal) {
    for (Integer k = i1; k < i2; ++k) inner += (y(k) + y(k + 1)) / 2;
    return pieces + inner;
  }
  switch (m) {
    case 0:
      break;
    case 1:
      inner = (y(i1) + y(i1 + 1)) / 2;
      break;
    case 2:
      inner = (y(i1) + 4 * y(i1 + 1) + y(i1 + 2)) / 3;
      break;
    case 3:
      inner = 3.0 / 8.0 * (y(i1) + 3 * y(i1 + 1) + 3 * y(i1 + 2) + y(i1 + 3));
      break;
    case 4:
      inner = 2.0 / 45.0 *
              (7 * y(i1) + 32 * y(i1 + 1) + 12 * y(i1 + 2) + 32 * y(i1 + 3) + 7 * y(i1 + 4));
      break;
    default: {
      // Extended Simpson weights: 3/8, 7/6, 23/24, 1, ..., 1, 23/24, 7/6, 3/8 (they add up
      // to the number of intervals).
      double mid = 0.0;
      for (Integer k = i1 + 3; k <= i2 - 3; ++k) mid += y(k);
      inner = 3.0 / 8.0 * y(i1) + 7.0 / 6.0 * y(i1 + 1) + 23.0 / 24.0 * y(i1 + 2) + mid +
              23.0 / 24.0 * y(i2 - 2) + 7.0 / 6.0 * y(i2 - 1) + 3.0 / 8.0 * y(i2);
      break;
    }
  }
  return pieces + inner;
}

}  // namespace

double TVector::Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const {
  if (Method != imSimple && Method != imTrapezoidal && Method != imSimpson) return 0.0;
  if (std::isnan(BoundLow) || std::isnan(BoundHigh)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  // Clamp in floating point first; the integer sample indices are then inside 1..N.
  const double n = FNElem;
  double L = std::clamp(BoundLow, 1.0, n);
  double H = std::clamp(BoundHigh, 1.0, n);
  if (H < L) std::swap(L, H);
  const double w = H - L;
  const auto i1 = static_cast<Integer>(std::ceil(L));
  const auto i2 = static_cast<Integer>(std::trunc(H));
  const Integer m = i2 - i1;
  // Samples of extreme magnitude are integrated in a power-of-two unit (see scaling.hpp), so a
  // representable integral is not lost to an overflowing or underflowing sum; the weights are
  // at most a few units, the sums linear in the samples.
  const int unit = detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
                                               for (Integer k = std::max<Integer>(i1 - 1, 1);
                                                    k <= std::min<Integer>(i2 + 1, FNElem); ++k)
                                                 f(GetVal(k));
                                             }),
                                             detail::kLinearSafeExp);
  const double fs = detail::ScaleFactor(unit);
  auto y = [this, fs](Integer k) { return GetVal(k) * fs; };
  return detail::ScaleUp(IntegrateIn(y, L, H, w, i1, i2, m, Method), unit);
}

}  // namespace nuv
