#include "nuv/platform/bitmap.hpp"

#include <algorithm>
#include <cstdint>
#include <new>

namespace nuv {

TColor TCanvas::Pixels(Integer X, Integer Y) const noexcept {
  return FBitmap.Inside(X, Y) ? FBitmap.FPixels[FBitmap.Index(X, Y)] : 0;
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Color) noexcept {
  if (FBitmap.Inside(X, Y)) FBitmap.FPixels[FBitmap.Index(X, Y)] = Color;
}

void TBitmap::SetSize(Integer W, Integer H) {
  W = std::max(W, 0);
  H = std::max(H, 0);
  if (W == FWidth && H == FHeight) return;
  const auto count = static_cast<std::uint64_t>(W) * static_cast<std::uint64_t>(H);
  if (count > std::vector<TColor>().max_size()) throw std::bad_alloc();
  std::vector<TColor> pixels(static_cast<std::size_t>(W) * static_cast<std::size_t>(H), 0);
  const Integer keepW = std::min(W, FWidth);
  const Integer keepH = std::min(H, FHeight);
  for (Integer y = 0; y < keepH; ++y) {
    for (Integer x = 0; x < keepW; ++x) {
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(W) +
             static_cast<std::size_t>(x)] = FPixels[Index(x, y)];
    }
  }
  FPixels.swap(pixels);
  FWidth = W;
  FHeight = H;
}

}  // namespace nuv
