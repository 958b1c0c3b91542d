#include "nuv/base/bitfield.hpp"

#include <algorithm>
#include <bit>

namespace nuv {

void TBitFld::SetSize(Integer H) {
  if (H < 0) {
    FHigh = -1;
    FBits.clear();
    return;
  }
  const Integer oldHigh = FHigh;
  FBits.resize(static_cast<std::size_t>(H) / 64 + 1, 0);
  FHigh = H;
  if (H < oldHigh) MaskTail();  // bits beyond the new end must read false if regrown
}

bool TBitFld::GetBit(Integer Ix) const noexcept {
  if (Ix < 0 || Ix > FHigh) return false;
  const auto i = static_cast<std::size_t>(Ix);
  return (FBits[i / 64] >> (i % 64)) & 1u;
}

void TBitFld::SetBit(Integer Ix, bool Value) noexcept {
  if (Ix < 0 || Ix > FHigh) return;
  const auto i = static_cast<std::size_t>(Ix);
  const std::uint64_t mask = std::uint64_t{1} << (i % 64);
  if (Value) {
    FBits[i / 64] |= mask;
  } else {
    FBits[i / 64] &= ~mask;
  }
}

void TBitFld::Clear() noexcept {
  std::fill(FBits.begin(), FBits.end(), 0);
}

Integer TBitFld::CountTrueBits() const noexcept {
  Integer n = 0;
  for (std::uint64_t w : FBits) n += std::popcount(w);
  return n;
}

void TBitFld::Clone(const TBitFld* Source) {
  if (Source == nullptr || Source == this) return;
  FHigh = Source->FHigh;
  FBits = Source->FBits;
}

void TBitFld::Invert() noexcept {
  for (std::uint64_t& w : FBits) w = ~w;
  MaskTail();
}

void TBitFld::CombineWith(const TBitFld* Other, TLogicOp Op) noexcept {
  if (Other == nullptr) return;
  const Integer high = std::min(FHigh, Other->FHigh);
  for (Integer i = 0; i <= high; ++i) {
    const bool a = GetBit(i);
    const bool b = Other->GetBit(i);
    bool r = a;
    switch (Op) {
      case loAnd:
        r = a && b;
        break;
      case loOr:
        r = a || b;
        break;
      case loXor:
        r = a != b;
        break;
      case loAndNot:
        r = a && !b;
        break;
    }
    SetBit(i, r);
  }
}

void TBitFld::MaskTail() noexcept {
  if (FHigh < 0) return;
  const auto used = static_cast<std::size_t>(FHigh) % 64 + 1;
  if (used < 64) FBits.back() &= (std::uint64_t{1} << used) - 1;
  FBits.resize(static_cast<std::size_t>(FHigh) / 64 + 1);
}

}  // namespace nuv
