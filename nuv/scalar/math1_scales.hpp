#pragma once
// Rounding onto the 1-2-5 grid, axis scales, rounding of angles and canonical angles.

#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_math1 {

/// x rounded in magnitude to the nearest of 1, 2, 5, 10 times a power of ten (mantissa below
/// 1.5 gives 1, below 3 gives 2, below 8 gives 5, else 10), sign kept; 0 gives 0. Values
/// within 1e-14 of a decade in the logarithm count as that decade. NaN and infinities are
/// returned unchanged.
double Round125(double x);
/// x rounded toward plus infinity onto the 1-2-5 grid.
double RoundPos125(double x);
/// x rounded toward minus infinity onto the 1-2-5 grid.
double RoundNeg125(double x);

/// Axis scale for the range Low..High (either order) with about |NTicks| ticks: Step is the
/// raw step rounded down onto the 1-2-5 grid, signed like High - Low; Start the first multiple
/// of Step at or beyond Low; NSub the sub-ticks per step (4 for a step mantissa of 2, else 5).
/// NTicks = 0 uses unit steps (NSub 5 for ranges up to 10, else 1). High = Low gives Start =
/// Low, Step 0, NSub 1.
void CalcScalePars(Integer NTicks, Extended Low, Extended High, Extended& Start, Extended& Step,
                   Word& NSub);

/// Rounds an angle of Deg degrees, Min minutes and Sec seconds up (or down) to a convenient
/// step: whole degrees of 1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360 when Deg >= 1, else
/// minutes, else seconds of 1, 2, 3, 5, 10, 15, 20, 30, 60. Any negative part gives (0, 0, 0).
void RoundDegrees(Integer& Deg, Integer& Min, Integer& Sec, bool Up);

/// x reduced once by whole turns into [-pi, pi].
double CanonicalAngleRadians(double x);
/// x reduced once by whole turns into [-180, 180].
double CanonicalAngleDegrees(double x);

}  // namespace NUV_math1
}  // namespace nuv
