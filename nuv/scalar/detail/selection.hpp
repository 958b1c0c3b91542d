#pragma once
// Order statistics of the private working copies behind the percentiles of the matrices and
// arrays. One selection for all of them, so that each container returns exactly the value a
// full ascending sort of its copy would hold at the rank, ties and NaN included.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <span>
#include <type_traits>

#include "nuv/platform/rounding.hpp"
#include "nuv/platform/types.hpp"

namespace nuv::detail {

/// The most values a working copy may hold: the 32-bit index limit of SortArray and
/// QuickSelect, which the quartiles and the documented selection work with.
inline constexpr Int64 kMaxWorkingCopy = std::numeric_limits<Integer>::max();

/// Product of the extents of a box in 64 bits; a product beyond Int64 saturates at its
/// maximum (and is thus refused by WorkingCopyFits). Extents below 0 count as 0.
constexpr Int64 BoxCount(std::initializer_list<Int64> Extents) noexcept {
  Int64 n = 1;
  for (const Int64 e : Extents) {
    if (e <= 0) return 0;
    if (n > std::numeric_limits<Int64>::max() / e) return std::numeric_limits<Int64>::max();
    n *= e;
  }
  return n;
}

/// True when a working copy of N values can be indexed (0 <= N <= kMaxWorkingCopy).
constexpr bool WorkingCopyFits(Int64 N) noexcept {
  return N >= 0 && N <= kMaxWorkingCopy;
}

/// 0-based rank Round(prob·N/100) of N >= 1 values for prob in 0..100; a rank that rounds to
/// N (prob at or near 100) is the last value. Evaluated in double, then in 64 bits.
inline Int64 NearestRank(double prob, Int64 N) {
  const Int64 k = Round(prob * static_cast<double>(N) / 100.0);
  return std::clamp<Int64>(k, 0, N - 1);
}

/// Ascending order with every NaN after every number; NaNs are equal among themselves, and
/// so are -0 and +0.
template <class T>
struct TNaNLastLess {
  bool operator()(T a, T b) const noexcept {
    if constexpr (std::is_floating_point_v<T>) {
      return a < b || (std::isnan(b) && !std::isnan(a));
    } else {
      return a < b;
    }
  }
};

/// Whether a belongs after b in an ascending (or descending) sort, every NaN last either way:
/// the one order of every sort of numbers, whatever the position a NaN starts from.
template <class T>
bool SortsAfter(T a, T b, bool Ascending) noexcept {
  if constexpr (std::is_floating_point_v<T>) {
    if (std::isnan(a)) return !std::isnan(b);
    if (std::isnan(b)) return false;
  }
  return Ascending ? a > b : b > a;
}

/// The value a fraction F (0..1) of the way from A to B, neighbours in sorted order: A itself
/// where F is 0 or the two are equal, A + F·(B - A) where that difference is finite, else
/// (1 - F)·A + F·B, so an interpolation between finite values never overflows and one at a
/// data value never meets ∞ - ∞.
inline double BetweenSorted(double A, double B, double F) noexcept {
  if (F == 0.0 || A == B) return A;
  const double d = B - A;
  if (std::isfinite(d)) return A + d * F;
  return (1.0 - F) * A + F * B;
}

/// The value that an ascending sort (NaN last) of Data would place at K (K < Data.size()).
/// Reorders Data. Introselect with a partition that splits runs of equal values evenly: linear
/// on average whatever the ties, O(n log n) at worst. Less is the order (the default above).
template <class T, class Less = TNaNLastLess<T>>
T SelectRank(std::span<T> Data, std::size_t K, Less Order = {}) {
  const auto kth = Data.begin() + static_cast<std::ptrdiff_t>(K);
  std::nth_element(Data.begin(), kth, Data.end(), Order);
  return *kth;
}

}  // namespace nuv::detail
