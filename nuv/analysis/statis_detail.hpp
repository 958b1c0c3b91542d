#pragma once
// Internals shared by the NUV_statis sources: the incomplete gamma and beta functions in
// forms that also hand back the complementary value without cancellation.

namespace nuv::detail {

/// P(a, x) and Q(a, x) = 1 - P(a, x). Whichever of the two the method forms directly is
/// exact to its accuracy; the other is 1 minus it. P is bit-identical to IncompleteGamma.
struct TGammaPQ {
  double P;
  double Q;
};
TGammaPQ IncompleteGammaPQ(double x, double a);

/// I_x(a, b) for 0 <= x <= 1 with y = 1 - x supplied by the caller, who can often form it
/// more accurately than 1 - x. Requires a > 0 and b > 0.
double IncompleteBetaXY(double x, double y, double a, double b);

}  // namespace nuv::detail
