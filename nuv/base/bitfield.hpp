#pragma once
// TBitFld: a resizable field of bits numbered 0..Size().

#include <cstdint>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

/// A field of bits 0..Size(), created with an owner or none.
class TBitFld : public TComponent {
 public:
  explicit TBitFld(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  /// Makes bits 0..H usable (H < 0: empty). Existing bits keep their values, new bits are false.
  void SetSize(Integer H);
  /// Highest usable bit index, -1 when empty.
  Integer Size() const noexcept { return FHigh; }
  /// The bit at Ix; false outside 0..Size().
  bool GetBit(Integer Ix) const noexcept;
  /// Sets the bit at Ix; ignored outside 0..Size().
  void SetBit(Integer Ix, bool Value) noexcept;
  /// Clears every bit.
  void Clear() noexcept;
  /// Number of bits that are set.
  Integer CountTrueBits() const noexcept;
  /// Copies size and bits of Source (null: nothing happens).
  void Clone(const TBitFld* Source);
  /// Flips every bit.
  void Invert() noexcept;
  /// Combines with Other over the bits both fields have; loAndNot clears every bit set in Other.
  void CombineWith(const TBitFld* Other, TLogicOp Op) noexcept;

 private:
  void MaskTail() noexcept;

  Integer FHigh = -1;
  std::vector<std::uint64_t> FBits;
};

}  // namespace nuv
