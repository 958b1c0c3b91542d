#pragma once
// Sorting and selection in plain arrays: comb sort, k-th smallest selection, best-N insertion,
// insertion with the last element dropped, and exchanging two variables.

#include <concepts>
#include <cstdint>
#include <span>
#include <string>

#include "nuv/base/hooks.hpp"
#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

namespace detail {

/// Next gap of every comb sort of the library: gap * 10 div 13, at least 1. Formed in 64 bits
/// so that gaps of more than 214748364 elements cannot overflow.
constexpr Int64 CombNextGap(Int64 Gap) noexcept {
  const Int64 next = Gap * 10 / 13;
  return next == 0 ? 1 : next;
}

/// The comb sort over positions First..Last (inclusive), starting from StartGap (the count for
/// the array sorts, Last - First for the container sorts). OutOfOrder(i, j) tells whether the
/// elements at i < j must be exchanged, Swap(i, j) exchanges them, AfterPass() runs after each
/// pass. Last() is read again before every comparison, so a Swap that shrinks the container
/// (through an event handler) ends the pass instead of reading past its end.
template <class LastFn, class OutOfOrderFn, class SwapFn, class AfterPassFn>
void CombSort(Int64 First, LastFn&& Last, Int64 StartGap, OutOfOrderFn&& OutOfOrder, SwapFn&& Swap,
              AfterPassFn&& AfterPass) {
  Int64 gap = StartGap;
  bool exchanged = true;
  do {
    gap = CombNextGap(gap);
    exchanged = false;
    for (Int64 i = First; i + gap <= Last(); ++i) {
      if (OutOfOrder(i, i + gap)) {
        Swap(i, i + gap);
        exchanged = true;
      }
    }
    AfterPass();
  } while (gap != 1 || exchanged);
}

}  // namespace detail

inline namespace NUV_math1 {

/// Sorts Data[0..High] in place by comb sort (not stable; equal elements are never exchanged).
/// After each pass adds 1 to ProcStat and calls MathFeedBackProc; fewer than two elements
/// return at once without a progress step.
void SortArray(std::span<double> Data, bool Ascending);
/// SortArray over 32-bit integers.
void SortArray(std::span<Integer> Data, bool Ascending);
/// SortArray over singles (compared after widening to double).
void SortArray(std::span<Single> Data, bool Ascending);
/// SortArray over N elements at Data of the kind Kind (0, 1 double; 2 single; 3, 4 32-bit
/// integer). Any other kind, N < 2 or a null Data does nothing.
void SortArray(void* Data, Integer N, TVarKind Kind, bool Ascending);

/// The value that sorting Data[First..Last] ascending would place at index K; reorders that
/// stretch only. First and Last are clamped into 0..High and K below First is taken as First.
/// Last < First (or an empty array) gives 0; K above Last gives the entry value of Data[First].
double QuickSelect(std::span<double> Data, Integer K, Integer First, Integer Last);

/// Inserts x into the sorted list Data (ascending: the smallest values offered so far;
/// descending: the largest), dropping the last element. Returns the 0-based position of x, or
/// -1 when x lies beyond the last element, when AllowDup is false and x is already present,
/// or when Data is empty.
Integer SortIntoArray(std::span<double> Data, double x, bool Ascending, bool AllowDup);
/// SortIntoArray over singles.
Integer SortIntoArray(std::span<Single> Data, Single x, bool Ascending, bool AllowDup);
/// SortIntoArray over 32-bit integers.
Integer SortIntoArray(std::span<Integer> Data, Integer x, bool Ascending, bool AllowDup);
/// SortIntoArray over N elements of kind Kind with *Value of that kind; returns the position
/// counted from 1, or 0 when not stored (also for an unknown kind, N < 1 or null pointers).
Integer SortIntoArray(void* Data, Integer N, TVarKind Kind, const void* Value, bool Ascending,
                      bool AllowDup);

/// Stores x at Data[Index] after moving Data[Index..High-1] one place up (the old last
/// element is lost). Index outside 0..High does nothing.
void InsertIntoArray(std::span<double> Data, double x, Integer Index);
/// InsertIntoArray over singles.
void InsertIntoArray(std::span<Single> Data, Single x, Integer Index);
/// InsertIntoArray over 32-bit integers.
void InsertIntoArray(std::span<Integer> Data, Integer x, Integer Index);
/// InsertIntoArray over positions 1..N of kind Kind: element Index receives *Value, element N
/// is lost. Index outside 1..N, an unknown kind or null pointers do nothing.
void InsertIntoArray(void* Data, Integer N, TVarKind Kind, const void* Value, Integer Index);

/// Types that ExChange exchanges by value.
template <class T>
concept ExChangeable =
    std::same_as<T, Integer> || std::same_as<T, Byte> || std::same_as<T, Single> ||
    std::same_as<T, double> || std::same_as<T, Extended> || std::same_as<T, std::string> ||
    std::same_as<T, bool> || std::same_as<T, char16_t> || std::same_as<T, Word> ||
    std::same_as<T, ShortInt> || std::same_as<T, Cardinal> || std::same_as<T, Int64>;

/// Exchanges the values of a and b.
template <ExChangeable T>
void ExChange(T& a, T& b) noexcept {
  T t = static_cast<T&&>(a);
  a = static_cast<T&&>(b);
  b = static_cast<T&&>(t);
}

/// Exchanges Size bytes of the memory at a and b byte by byte (Size 0 or a null pointer:
/// nothing).
void ExChange(void* a, void* b, Word Size) noexcept;

/// Puts a and b in order: exchanges them and returns true when Ascending and b <= a, or when
/// descending and b > a; otherwise returns false and changes nothing.
bool SortSwap(double& a, double& b, bool Ascending) noexcept;

}  // namespace NUV_math1
}  // namespace nuv
