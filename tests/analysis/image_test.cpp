// Image-range correlation against a two-pass Pearson coefficient computed in the test over the
// same pixel pairs, the size check, the bracket check, and the bitmap it reads.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/colors.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Sums of a few hundred products of values up to 360 through running sums against a two-pass
// reference: agreement to ~1e-12 relative.
constexpr double kTol = 1e-11;

// The quantity of each mode, in the enumeration's order (blue before green).
double Channel(TColor c, TImgCompareMode m) {
  const auto r = static_cast<Byte>(c), g = static_cast<Byte>(c >> 8),
             b = static_cast<Byte>(c >> 16);
  double hsi[3];
  RGBtoHSI(r, g, b, hsi[0], hsi[1], hsi[2]);
  const double v[] = {
      double(r), double(b), double(g), hsi[0], hsi[2], hsi[1], double(RGBtoGray(r, g, b))};
  return v[m];
}

double Pearson(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = static_cast<double>(x.size());
  double mx = 0, my = 0;
  for (std::size_t k = 0; k < x.size(); ++k) mx += x[k], my += y[k];
  mx /= n;
  my /= n;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    sxy += (x[k] - mx) * (y[k] - my);
    sxx += (x[k] - mx) * (x[k] - mx);
    syy += (y[k] - my) * (y[k] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

// Reference over the pixels of r1 that exist in a, paired with (x + dx, y + dy) in b when that
// exists too.
double Reference(const TBitmap& a, const TBitmap& b, const TRect& r1, const TRect& r2,
                 TImgCompareMode m) {
  std::vector<double> x, y;
  const int dx = r2.Left - r1.Left, dy = r2.Top - r1.Top;
  for (int i = r1.Left; i <= r1.Right; ++i) {
    for (int j = r1.Top; j <= r1.Bottom; ++j) {
      if (i < 0 || j < 0 || i >= a.Width() || j >= a.Height()) continue;
      if (i + dx < 0 || j + dy < 0 || i + dx >= b.Width() || j + dy >= b.Height()) continue;
      x.push_back(Channel(a.Canvas()->Pixels(i, j), m));
      y.push_back(Channel(b.Canvas()->Pixels(i + dx, j + dy), m));
    }
  }
  return Pearson(x, y);
}

void FillRandom(TBitmap& bmp, std::uint32_t seed) {
  for (int x = 0; x < bmp.Width(); ++x) {
    for (int y = 0; y < bmp.Height(); ++y) {
      seed = seed * 1664525u + 1013904223u;
      bmp.Canvas()->SetPixels(x, y, static_cast<TColor>(seed >> 8));
    }
  }
}

TEST(CalcImgCorrelation, EveryModeMatchesReference) {
  TBitmap a(20, 15), b(18, 16);
  FillRandom(a, 7);
  FillRandom(b, 99);
  // Make b partly follow a so the coefficients are far from 0 and differ by channel.
  for (int x = 0; x < 10; ++x) {
    for (int y = 0; y < 8; ++y) {
      const TColor p = a.Canvas()->Pixels(x + 2, y + 3);
      const TColor q = b.Canvas()->Pixels(x + 5, y + 1);
      b.Canvas()->SetPixels(x + 5, y + 1, (p & 0x00FF00FF) | (q & 0x0000FF00));
    }
  }
  const TRect r1{2, 3, 11, 10}, r2{5, 1, 14, 8};
  for (int m = icmRed; m <= icmGrayValues; ++m) {
    SCOPED_TRACE(m);
    const auto mode = static_cast<TImgCompareMode>(m);
    const double want = Reference(a, b, r1, r2, mode);
    EXPECT_TRUE(test::RelNear(CalcImgCorrelation(&a, &b, r1, r2, mode), want, kTol));
  }
  // Red and blue were copied, green not: the pairing of the offsets is what makes these 1.
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, r1, r2, icmRed), 1.0, kTol);
  EXPECT_NEAR(CalcImgCorrelation(&a, &b, r1, r2, icmBlue), 1.0, kTol);
  EXPECT_LT(CalcImgCorrelation(&a, &b, r1, r2, icmGreen), 0.5);
  // The same range of one bitmap against itself.
  EXPECT_NEAR(CalcImgCorrelation(&a, &a, r1, r1, icmRed), 1.0, kTol);
}

TEST(CalcImgCorrelation, SizeCheckAndDegenerateInput) {
  TBitmap a(10, 10);
  FillRandom(a, 3);
  const std::string msg = "image ranges to compare are not of equal size";
  NUV_EXPECT_THROW_MSG(CalcImgCorrelation(&a, &a, {0, 0, 4, 4}, {0, 0, 4, 5}, icmRed),
                       ENUVMath2Error, msg);
  NUV_EXPECT_THROW_MSG(CalcImgCorrelation(&a, &a, {0, 0, 4, 4}, {1, 0, 4, 4}, icmRed),
                       ENUVMath2Error, msg);
  // The size check comes first, even without bitmaps; widths that would overflow 32 bits.
  NUV_EXPECT_THROW_MSG(
      CalcImgCorrelation(nullptr, nullptr, {INT_MIN, 0, INT_MAX, 0}, {0, 0, -1, 0}, icmRed),
      ENUVMath2Error, msg);
  EXPECT_EQ(CalcImgCorrelation(nullptr, &a, {0, 0, 4, 4}, {1, 1, 5, 5}, icmRed), 0.0);
  // A constant channel and fewer than 3 pairs give 0.
  TBitmap grey(6, 6);
  EXPECT_EQ(CalcImgCorrelation(&grey, &a, {0, 0, 5, 5}, {2, 2, 7, 7}, icmRed), 0.0);
  EXPECT_EQ(CalcImgCorrelation(&a, &a, {0, 0, 0, 1}, {3, 3, 3, 4}, icmRed), 0.0);
  // A rectangle reaching outside its bitmap, by one pixel on any side or by a huge range,
  // gives 0 without a pair being read.
  TBitmap b(10, 10);
  FillRandom(b, 11);
  const TRect inside{1, 1, 8, 8};
  ASSERT_NE(CalcImgCorrelation(&a, &b, inside, inside, icmGreen), 0.0);
  const TRect out[] = {{-1, 1, 6, 8}, {1, -1, 8, 6}, {2, 1, 10, 8}, {1, 2, 8, 10}};
  for (const TRect& r : out) {
    SCOPED_TRACE(r.Left);
    const TRect same{0, 0, r.Right - r.Left, r.Bottom - r.Top};
    EXPECT_EQ(CalcImgCorrelation(&a, &b, r, same, icmGreen), 0.0);
    EXPECT_EQ(CalcImgCorrelation(&a, &b, same, r, icmGreen), 0.0);
  }
  const TRect big1{INT_MIN + 5, -1000000, INT_MAX - 5, 1000000};
  const TRect big2{INT_MIN + 7, -999999, INT_MAX - 3, 1000001};
  EXPECT_EQ(CalcImgCorrelation(&a, &b, big1, big2, icmGreen), 0.0);
}

TEST(CheckParanthInExp, DepthOrPositionOfFirstUnmatchedClose) {
  EXPECT_EQ(CheckParanthInExp(""), 0);
  EXPECT_EQ(CheckParanthInExp("(a+b)*(c-(d))"), 0);
  EXPECT_EQ(CheckParanthInExp("((a)"), 1);
  EXPECT_EQ(CheckParanthInExp("(()))(("), -5);
  EXPECT_EQ(CheckParanthInExp("[{x}]"), 0);
}

TEST(CheckParanthInExp, PositionsCountUtf8Characters) {
  // Two-, three- and four-byte characters each count as one position.
  const struct {
    const char* Text;
    Integer Want;
  } cases[] = {
      {"\xC3\xA4)", -2},                   // "ä)"
      {"(\xC3\xA4))", -4},                 // "(ä))"
      {"\xE2\x82\xAC \xE2\x82\xAC)", -4},  // "€ €)"
      {"\xF0\x9F\x98\x80(x))a)", -5},      // an emoji, then "(x))": its second ")"
      {"(\xC3\xA4\xC3\xB6", 1},            // depth is not a position
      {"a)\xC3\xA4)", -2},                 // before any wide character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(CheckParanthInExp(c.Text), c.Want);
  }
}

TEST(TBitmapCanvas, PixelsInsideOutsideAndResize) {
  TBitmap bmp(3, 2);
  bmp.Canvas()->SetPixels(2, 1, 0x030201);
  bmp.Canvas()->SetPixels(0, 0, -1);
  bmp.Canvas()->SetPixels(3, 0, 77);  // outside: ignored, reads 0
  EXPECT_EQ(bmp.Canvas()->Pixels(2, 1), 0x030201);
  EXPECT_EQ(bmp.Canvas()->Pixels(3, 0), 0);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, -1), 0);
  bmp.SetSize(4, 1);  // keeps (0, 0), drops row 1
  bmp.SetHeight(2);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), -1);
  EXPECT_EQ(bmp.Canvas()->Pixels(2, 1), 0);
  EXPECT_EQ(bmp.Width(), 4);
  bmp.SetWidth(-4);
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), 0);
}

}  // namespace
}  // namespace nuv
