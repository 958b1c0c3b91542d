#include "nuv/scalar/math1_sort.hpp"

#include <algorithm>

#include "nuv/scalar/detail/selection.hpp"

namespace nuv {
inline namespace NUV_math1 {
namespace {

// Untyped routines accept the raw ordinals 0..4 only; anything else is "no kind".
enum class ElemType { Double, Single, Int, None };

ElemType TypeOfKind(TVarKind Kind) {
  switch (static_cast<unsigned>(Kind)) {
    case 0:
    case 1:
      return ElemType::Double;
    case 2:
      return ElemType::Single;
    case 3:
    case 4:
      return ElemType::Int;
    default:
      return ElemType::None;
  }
}

template <class T>
void CombSortArray(std::span<T> Data, bool Ascending) {
  const auto n = static_cast<Int64>(Data.size());
  if (n < 2) return;
  // Singles are compared after widening; for double and Integer the widening is exact too.
  auto outOfOrder = [&](Int64 i, Int64 j) {
    const double a = static_cast<double>(Data[static_cast<std::size_t>(i)]);
    const double b = static_cast<double>(Data[static_cast<std::size_t>(j)]);
    return detail::SortsAfter(a, b, Ascending);
  };
  auto swap = [&](Int64 i, Int64 j) {
    std::swap(Data[static_cast<std::size_t>(i)], Data[static_cast<std::size_t>(j)]);
  };
  detail::CombSort(
      0, [n] { return n - 1; }, n, outOfOrder, swap, [] { StepProcStat(); });
}

template <class T>
Integer SortInto(std::span<T> Data, T x, bool Ascending, bool AllowDup) {
  if (Data.empty()) return -1;
  const std::size_t high = Data.size() - 1;
  const double xv = static_cast<double>(x);
  std::size_t r = 0;
  if (Ascending) {
    while (r < high && !(xv <= static_cast<double>(Data[r]))) ++r;
    if (xv > static_cast<double>(Data[r])) return -1;
  } else {
    while (r < high && !(xv >= static_cast<double>(Data[r]))) ++r;
    if (xv < static_cast<double>(Data[r])) return -1;
  }
  if (!AllowDup && xv == static_cast<double>(Data[r])) return -1;
  std::copy_backward(Data.begin() + static_cast<std::ptrdiff_t>(r),
                     Data.begin() + static_cast<std::ptrdiff_t>(high),
                     Data.begin() + static_cast<std::ptrdiff_t>(high + 1));
  Data[r] = x;
  return static_cast<Integer>(r);
}

template <class T>
void InsertInto(std::span<T> Data, T x, Integer Index) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Data.size()) return;
  const auto ix = static_cast<std::ptrdiff_t>(Index);
  std::copy_backward(Data.begin() + ix, Data.end() - 1, Data.end());
  Data[static_cast<std::size_t>(Index)] = x;
}

template <class T>
std::span<T> Typed(void* Data, Integer N) {
  return std::span<T>(static_cast<T*>(Data), static_cast<std::size_t>(N));
}

// Partitions Data[Lo..Hi] around the element at M and returns the pivot's final index:
// everything before it is smaller than the pivot, nothing after it is.
std::size_t Partition(std::span<double> Data, std::size_t Lo, std::size_t Hi, std::size_t M) {
  const double a = Data[M];
  Data[M] = Data[Lo];
  Data[Lo] = a;
  std::size_t i = Lo + 1;
  while (i <= Hi && a > Data[i]) ++i;
  for (std::size_t j = i + 1; j <= Hi; ++j) {
    if (a > Data[j]) {
      std::swap(Data[j], Data[i]);
      ++i;
    }
  }
  --i;
  Data[Lo] = Data[i];
  Data[i] = a;
  return i;
}

}  // namespace

void SortArray(std::span<double> Data, bool Ascending) {
  CombSortArray(Data, Ascending);
}
void SortArray(std::span<Integer> Data, bool Ascending) {
  CombSortArray(Data, Ascending);
}
void SortArray(std::span<Single> Data, bool Ascending) {
  CombSortArray(Data, Ascending);
}

void SortArray(void* Data, Integer N, TVarKind Kind, bool Ascending) {
  if (Data == nullptr || N < 2) return;
  switch (TypeOfKind(Kind)) {
    case ElemType::Double:
      CombSortArray(Typed<double>(Data, N), Ascending);
      break;
    case ElemType::Single:
      CombSortArray(Typed<Single>(Data, N), Ascending);
      break;
    case ElemType::Int:
      CombSortArray(Typed<Integer>(Data, N), Ascending);
      break;
    case ElemType::None:
      break;
  }
}

double QuickSelect(std::span<double> Data, Integer K, Integer First, Integer Last) {
  if (Data.empty()) return 0.0;
  const auto high = static_cast<Int64>(Data.size()) - 1;
  Int64 first = std::clamp<Int64>(First, 0, high);
  Int64 last = std::clamp<Int64>(Last, 0, high);
  if (last < first) return 0.0;
  // A K below the stretch would never be reached by the partitions; the nearest rank is First.
  const Int64 k = std::max<Int64>(K, first);
  const double v = Data[static_cast<std::size_t>(first)];
  bool allEqual = true;
  for (Int64 i = first; i <= last && allEqual; ++i) {
    allEqual = Data[static_cast<std::size_t>(i)] == v;
  }
  if (allEqual) return v;
  for (;;) {
    const Int64 m = (first + last) / 2;
    const auto p =
        static_cast<Int64>(Partition(Data, static_cast<std::size_t>(first),
                                     static_cast<std::size_t>(last), static_cast<std::size_t>(m)));
    if (k < p) {
      last = p;
    } else if (k > p) {
      first = p + 1;
      if (first > last) return v;
    } else {
      return Data[static_cast<std::size_t>(k)];
    }
  }
}

Integer SortIntoArray(std::span<double> Data, double x, bool Ascending, bool AllowDup) {
  return SortInto(Data, x, Ascending, AllowDup);
}
Integer SortIntoArray(std::span<Single> Data, Single x, bool Ascending, bool AllowDup) {
  return SortInto(Data, x, Ascending, AllowDup);
}
Integer SortIntoArray(std::span<Integer> Data, Integer x, bool Ascending, bool AllowDup) {
  return SortInto(Data, x, Ascending, AllowDup);
}

Integer SortIntoArray(void* Data, Integer N, TVarKind Kind, const void* Value, bool Ascending,
                      bool AllowDup) {
  if (Data == nullptr || Value == nullptr || N < 1) return 0;
  Integer r = -1;
  switch (TypeOfKind(Kind)) {
    case ElemType::Double:
      r = SortInto(Typed<double>(Data, N), *static_cast<const double*>(Value), Ascending, AllowDup);
      break;
    case ElemType::Single:
      r = SortInto(Typed<Single>(Data, N), *static_cast<const Single*>(Value), Ascending, AllowDup);
      break;
    case ElemType::Int:
      r = SortInto(Typed<Integer>(Data, N), *static_cast<const Integer*>(Value), Ascending,
                   AllowDup);
      break;
    case ElemType::None:
      break;
  }
  return r + 1;
}

void InsertIntoArray(std::span<double> Data, double x, Integer Index) {
  InsertInto(Data, x, Index);
}
void InsertIntoArray(std::span<Single> Data, Single x, Integer Index) {
  InsertInto(Data, x, Index);
}
void InsertIntoArray(std::span<Integer> Data, Integer x, Integer Index) {
  InsertInto(Data, x, Index);
}

void InsertIntoArray(void* Data, Integer N, TVarKind Kind, const void* Value, Integer Index) {
  if (Data == nullptr || Value == nullptr || N < 1 || Index < 1 || Index > N) return;
  switch (TypeOfKind(Kind)) {
    case ElemType::Double:
      InsertInto(Typed<double>(Data, N), *static_cast<const double*>(Value), Index - 1);
      break;
    case ElemType::Single:
      InsertInto(Typed<Single>(Data, N), *static_cast<const Single*>(Value), Index - 1);
      break;
    case ElemType::Int:
      InsertInto(Typed<Integer>(Data, N), *static_cast<const Integer*>(Value), Index - 1);
      break;
    case ElemType::None:
      break;
  }
}

void ExChange(void* a, void* b, Word Size) noexcept {
  if (a == nullptr || b == nullptr) return;
  auto* pa = static_cast<unsigned char*>(a);
  auto* pb = static_cast<unsigned char*>(b);
  for (Word i = 0; i < Size; ++i) std::swap(pa[i], pb[i]);
}

bool SortSwap(double& a, double& b, bool Ascending) noexcept {
  const bool swap = Ascending ? b <= a : b > a;
  if (swap) std::swap(a, b);
  return swap;
}

}  // namespace NUV_math1
}  // namespace nuv
