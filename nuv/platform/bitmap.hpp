#pragma once
// TBitmap: a width × height grid of 32-bit colour values reached through its canvas, the way
// the image routines read pixels.

#include <cstddef>
#include <vector>

#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// A colour value: red in the lowest byte, then green, then blue.
using TColor = Integer;

class TBitmap;

/// Pixel access of a bitmap; x runs 0..Width-1 to the right, y 0..Height-1 downwards.
class TCanvas : public TObject {
 public:
  /// Colour of pixel (X, Y); 0 outside the bitmap.
  TColor Pixels(Integer X, Integer Y) const noexcept;
  /// Sets pixel (X, Y); ignored outside the bitmap.
  void SetPixels(Integer X, Integer Y, TColor Color) noexcept;

 private:
  friend class TBitmap;
  explicit TCanvas(TBitmap& Owner) noexcept : FBitmap(Owner) {}
  TBitmap& FBitmap;
};

/// A bitmap of Width × Height pixels, all 0 (black) when created or enlarged.
class TBitmap : public TPersistent {
 public:
  TBitmap() : FCanvas(*this) {}
  /// A bitmap of the given size (negative sizes count as 0).
  TBitmap(Integer AWidth, Integer AHeight) : FCanvas(*this) { SetSize(AWidth, AHeight); }

  Integer Width() const noexcept { return FWidth; }
  Integer Height() const noexcept { return FHeight; }
  void SetWidth(Integer Value) { SetSize(Value, FHeight); }
  void SetHeight(Integer Value) { SetSize(FWidth, Value); }
  /// Resizes to max(0, W) × max(0, H); pixels inside both sizes keep their colour, new ones
  /// are 0. Raises std::bad_alloc when the pixels cannot be allocated (size unchanged).
  void SetSize(Integer W, Integer H);

  TCanvas* Canvas() noexcept { return &FCanvas; }
  const TCanvas* Canvas() const noexcept { return &FCanvas; }

 private:
  friend class TCanvas;
  bool Inside(Integer X, Integer Y) const noexcept {
    return X >= 0 && X < FWidth && Y >= 0 && Y < FHeight;
  }
  std::size_t Index(Integer X, Integer Y) const noexcept {
    return static_cast<std::size_t>(Y) * static_cast<std::size_t>(FWidth) +
           static_cast<std::size_t>(X);
  }

  Integer FWidth = 0;
  Integer FHeight = 0;
  std::vector<TColor> FPixels;
  TCanvas FCanvas;
};

}  // namespace nuv
