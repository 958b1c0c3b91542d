#pragma once
// TKahanSum: a running sum of doubles with Kahan's compensation of rounding errors.

#include "nuv/platform/component.hpp"

namespace nuv {

/// Component holding a compensated running sum; read the result from the field Sum.
class TKahanSum : public TComponent {
 public:
  /// A new sum holds 0.
  explicit TKahanSum(TComponent* AOwner);
  ~TKahanSum() override;

  /// Sum := 0 and the compensation := 0.
  void Reset();
  /// Adds ANumber with compensation. After an infinite or overflowed partial sum the
  /// compensation restarts at 0, so the sum stays infinite instead of turning into NaN.
  void Add(double ANumber);
  /// The running compensation: the low-order part the sum could not hold, negated.
  double Compensation() const noexcept { return cps; }

 private:
  double cps = 0.0;

 public:
  /// The compensated running sum; writing it directly leaves the compensation as it is.
  double Sum = 0.0;
};

}  // namespace nuv
