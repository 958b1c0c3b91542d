#pragma once
// NUV_math2: correlation of two image ranges and a check of round brackets in an expression.

#include <cstdint>
#include <string>

#include "nuv/platform/bitmap.hpp"
#include "nuv/platform/types.hpp"
#include "nuv/scalar/math1_geometry.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// The pixel quantity CalcImgCorrelation compares.
enum TImgCompareMode : std::uint8_t {
  icmRed,
  icmBlue,
  icmGreen,
  icmHue,
  icmLightness,
  icmSaturation,
  icmGrayValues
};

/// Pearson correlation between the pixels of Rect1 in Bmp1 and those of Rect2 in Bmp2 (left,
/// top, right, bottom, ends inclusive), pixel (x, y) of Rect1 paired with pixel (x + dx, y + dy)
/// of Rect2, in the channel or derived quantity Mode (hue, saturation and lightness = intensity
/// from RGBtoHSI, grey from RGBtoGray). 0, without reading a pixel, for a null bitmap or a
/// rectangle that reaches outside its bitmap; 0 also for fewer than 3 pairs or when a
/// quantity does not vary. Raises
/// ENUVMath2Error "image ranges to compare are not of equal size" when the widths
/// (right - left) or heights (bottom - top) differ.
double CalcImgCorrelation(const TBitmap* Bmp1, const TBitmap* Bmp2, const TRect& Rect1,
                          const TRect& Rect2, TImgCompareMode Mode);
/// Final bracket depth of Expression: 0 when the round brackets balance, the number of unclosed
/// "(" otherwise, or minus the 1-based position of the first ")" that has no partner, counted
/// in characters of the UTF-8 text.
Integer CheckParanthInExp(const std::string& Expression);

}  // namespace NUV_math2
}  // namespace nuv
