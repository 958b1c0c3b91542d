#pragma once
// Storage, events, range rule and checksum shared by TVector and TIntVector.

#include <span>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/platform/component.hpp"

namespace nuv::detail {

/// One-dimensional container of T with public indices 1..NrOfElem (never fewer than 1).
template <class T>
class TVectorCore : public TComponent {
 public:
  /// One element of value 0, IsEmpty true. Raises ENUVVectorError
  /// `Component "<Name>": not enough memory on heap` when the element cannot be allocated.
  explicit TVectorCore(TComponent* AOwner);

  /// Number of elements (at least 1).
  Integer NrOfElem() const noexcept { return FNElem; }
  /// True until an element is written or the vector is filled; true again after Clear.
  bool IsEmpty() const noexcept { return FIsEmpty; }
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  const TSortExchgEvent& OnSortExchange() const noexcept { return FOnSortExchange; }
  void SetOnSortExchange(TSortExchgEvent Handler) { FOnSortExchange = std::move(Handler); }

  /// Sets the count to NE, keeping the first min(old, NE) elements; new elements are 0.
  /// NE equal to the count: true, no event. NE <= 0: false, nothing changes. Otherwise fires
  /// OnChange and returns true. Allocation failure raises ENUVVectorError
  /// `Component "<Name>": not enough memory` and leaves count and elements unchanged.
  bool Resize(Integer NE);
  /// Element Elem (1-based); 0 outside 1..NrOfElem.
  T GetVal(Integer Elem) const noexcept {
    return (Elem >= 1 && Elem <= FNElem) ? FVec[static_cast<std::size_t>(Elem - 1)] : T{};
  }
  /// Same as GetVal (the indexed element reader).
  T Elem(Integer Index) const noexcept { return GetVal(Index); }
  /// Stores Value at Elem (1-based), clears IsEmpty and fires OnChange; ignored outside
  /// 1..NrOfElem (no event).
  void SetVal(Integer Elem, T Value);
  /// Fires OnChange with this vector as sender when a handler is assigned.
  void Changed();
  /// Fires OnSortExchange with (this, Kind, Ix1, Ix2, Lo, Hi) when a handler is assigned.
  void SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi);
  /// Makes a range valid: (0, 0) is the whole vector; bounds <= 0 become 1, bounds above
  /// NrOfElem become NrOfElem, and a reversed pair is exchanged.
  void MakeValidElemRange(Integer& LowElem, Integer& HighElem) const noexcept;
  /// Data checksum: one CRC-32 lane per byte of the element, 8 hex digits per lane.
  std::string CRCofData() const;

 protected:
  /// Copies count, IsEmpty flag, elements and both handlers from Source; no event.
  void CopyCore(const TVectorCore& Source);
  /// Raises ENUVVectorError with this component's message shape.
  [[noreturn]] void Raise(const std::string& Text) const;

  Integer FNElem = 1;
  bool FIsEmpty = true;
  std::vector<T> FVec;
  TNotifyEvent FOnChange;
  TSortExchgEvent FOnSortExchange;
};

extern template class TVectorCore<double>;
extern template class TVectorCore<Integer>;

/// Ordered-range rule for one dimension of extent N.
void MakeValidRange(Integer& Low, Integer& High, Integer N) noexcept;

}  // namespace nuv::detail
