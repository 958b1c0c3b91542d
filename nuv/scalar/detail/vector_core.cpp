#include "nuv/scalar/detail/vector_core.hpp"

#include <new>
#include <stdexcept>
#include <utility>

#include "nuv/base/crc.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv::detail {

void MakeValidRange(Integer& Low, Integer& High, Integer N) noexcept {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = N;
    return;
  }
  if (Low <= 0) Low = 1;
  if (Low > N) Low = N;
  if (High <= 0) High = 1;
  if (High > N) High = N;
  if (High < Low) std::swap(Low, High);
}

template <class T>
TVectorCore<T>::TVectorCore(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FVec.assign(1, T{});
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

template <class T>
bool TVectorCore<T>::Resize(Integer NE) {
  if (NE == FNElem) return true;
  if (NE <= 0) return false;
  try {
    // Build the new storage first so that a failure leaves the vector as it was.
    std::vector<T> grown(static_cast<std::size_t>(NE), T{});
    const auto keep = static_cast<std::size_t>(std::min(NE, FNElem));
    std::copy(FVec.begin(), FVec.begin() + static_cast<std::ptrdiff_t>(keep), grown.begin());
    FVec.swap(grown);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory");
  } catch (const std::length_error&) {
    Raise("not enough memory");
  }
  FNElem = NE;
  Changed();
  return true;
}

template <class T>
void TVectorCore<T>::SetVal(Integer Elem, T Value) {
  if (Elem < 1 || Elem > FNElem) return;
  FVec[static_cast<std::size_t>(Elem - 1)] = Value;
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorCore<T>::Changed() {
  if (FOnChange) FOnChange(this);
}

template <class T>
void TVectorCore<T>::SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi) {
  if (FOnSortExchange) FOnSortExchange(this, Kind, Ix1, Ix2, Lo, Hi);
}

template <class T>
void TVectorCore<T>::MakeValidElemRange(Integer& LowElem, Integer& HighElem) const noexcept {
  MakeValidRange(LowElem, HighElem, FNElem);
}

template <class T>
std::string TVectorCore<T>::CRCofData() const {
  return LaneChecksum<T>(std::span<const T>(FVec));
}

template <class T>
void TVectorCore<T>::CopyCore(const TVectorCore& Source) {
  if (&Source == this) return;
  std::vector<T> copy = Source.FVec;
  TNotifyEvent onChange = Source.FOnChange;
  TSortExchgEvent onSort = Source.FOnSortExchange;
  FVec.swap(copy);
  FNElem = Source.FNElem;
  FIsEmpty = Source.FIsEmpty;
  FOnChange = std::move(onChange);
  FOnSortExchange = std::move(onSort);
}

template <class T>
void TVectorCore<T>::Raise(const std::string& Text) const {
  RaiseComponent<ENUVVectorError>(this, Text);
}

template class TVectorCore<double>;
template class TVectorCore<Integer>;

}  // namespace nuv::detail
