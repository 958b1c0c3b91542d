#include "nuv/analysis/math2_image.hpp"

#include <algorithm>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/colors.hpp"

namespace nuv {
inline namespace NUV_math2 {

namespace {

double PixelValue(TColor C, TImgCompareMode Mode) {
  const auto bits = static_cast<Cardinal>(C);
  const auto r = static_cast<Byte>(bits & 0xFF);
  const auto g = static_cast<Byte>((bits >> 8) & 0xFF);
  const auto b = static_cast<Byte>((bits >> 16) & 0xFF);
  double h = 0.0;
  double s = 0.0;
  double i = 0.0;
  switch (Mode) {
    case icmRed:
      return r;
    case icmBlue:
      return b;
    case icmGreen:
      return g;
    case icmHue:
    case icmLightness:
    case icmSaturation:
      RGBtoHSI(r, g, b, h, s, i);
      return Mode == icmHue ? h : (Mode == icmSaturation ? s : i);
    case icmGrayValues:
      return RGBtoGray(r, g, b);
  }
  return 0.0;
}

}  // namespace

double CalcImgCorrelation(const TBitmap* Bmp1, const TBitmap* Bmp2, const TRect& Rect1,
                          const TRect& Rect2, TImgCompareMode Mode) {
  TCurveFit fit(nullptr);
  // Widths and heights in 64 bits: extreme rectangles must not overflow.
  if (Int64{Rect1.Right} - Rect1.Left != Int64{Rect2.Right} - Rect2.Left ||
      Int64{Rect1.Bottom} - Rect1.Top != Int64{Rect2.Bottom} - Rect2.Top) {
    throw ENUVMath2Error("image ranges to compare are not of equal size");
  }
  if (Bmp1 == nullptr || Bmp2 == nullptr) return 0.0;
  // A rectangle that reaches outside its bitmap has pixels that do not exist: no correlation.
  // (A reversed rectangle holds no pixel and gives 0 below.)
  const auto leaves = [](const TRect& R, const TBitmap* B) {
    return R.Left <= R.Right && R.Top <= R.Bottom &&
           (R.Left < 0 || R.Top < 0 || R.Right >= B->Width() || R.Bottom >= B->Height());
  };
  if (leaves(Rect1, Bmp1) || leaves(Rect2, Bmp2)) return 0.0;
  const Int64 dx = Int64{Rect2.Left} - Rect1.Left;
  const Int64 dy = Int64{Rect2.Top} - Rect1.Top;
  // Both rectangles lie inside their bitmaps, so the loops are bounded by the bitmap sizes.
  const Int64 x0 = std::max({Int64{Rect1.Left}, Int64{0}, -dx});
  const Int64 x1 = std::min({Int64{Rect1.Right}, Int64{Bmp1->Width()} - 1, Bmp2->Width() - 1 - dx});
  const Int64 y0 = std::max({Int64{Rect1.Top}, Int64{0}, -dy});
  const Int64 y1 =
      std::min({Int64{Rect1.Bottom}, Int64{Bmp1->Height()} - 1, Bmp2->Height() - 1 - dy});
  const TCanvas* c1 = Bmp1->Canvas();
  const TCanvas* c2 = Bmp2->Canvas();
  for (Int64 x = x0; x <= x1; ++x) {
    for (Int64 y = y0; y <= y1; ++y) {
      const TColor p1 = c1->Pixels(static_cast<Integer>(x), static_cast<Integer>(y));
      const TColor p2 = c2->Pixels(static_cast<Integer>(x + dx), static_cast<Integer>(y + dy));
      fit.EnterStatValue(PixelValue(p1, Mode), PixelValue(p2, Mode));
    }
  }
  Integer numData = 0;
  double meanX = 0.0, meanY = 0.0, stdevX = 0.0, stdevY = 0.0, meanDiff = 0.0, stdevDiff = 0.0;
  double rxy = 0.0;
  fit.CalcStatistics(numData, meanX, meanY, stdevX, stdevY, meanDiff, stdevDiff, rxy);
  return rxy;
}

Integer CheckParanthInExp(const std::string& Expression) {
  Int64 depth = 0;
  // Positions count characters of the UTF-8 text: every byte but a continuation byte
  // (10xxxxxx) starts one.
  Int64 pos = 0;
  for (const char ch : Expression) {
    if ((static_cast<unsigned char>(ch) & 0xC0U) != 0x80U) ++pos;
    if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      // Positions beyond the Integer range cannot be reported; they saturate.
      if (depth == 0) return -static_cast<Integer>(std::min<Int64>(pos, INT32_MAX));
      --depth;
    }
  }
  return static_cast<Integer>(std::min<Int64>(depth, INT32_MAX));
}

}  // namespace NUV_math2
}  // namespace nuv
