#pragma once
// Counting cells in a value interval, reversing along a dimension, absolute values, and
// counting true cells.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

template <class A>
Integer CountValues(const A& a, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                    ElemOf<A> lowest, ElemOf<A> highest) {
  constexpr int R = kRankOf<A>;
  const auto shape = FirstLengths(a);
  // The four-dimensional form tests three levels: an empty innermost level then fails the
  // range test of dimension 4 instead.
  if (AnyZero(shape, R == 4 ? 3 : R)) return kEmpty;
  Box<R> box;
  if (!RangesValid<R>(shape, lo, hi, box)) return kInvalid;
  if (lowest > highest) return kInvalid;
  if (HasShortSubArray(a, shape, box)) return kInvalid;
  std::uint64_t n = 0;
  ForEachRow(a, box, [&](const ElemOf<A>* p, std::size_t len) {
    for (std::size_t k = 0; k < len; ++k) n += (lowest <= p[k] && p[k] <= highest) ? 1u : 0u;
  });
  return SaturatedCount(n);
}

template <class A>
void SwapCells(A& x, A& y, const std::size_t* shape) {
  if constexpr (kRankOf<A> == 1) {
    std::swap_ranges(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(shape[0]), y.begin());
  } else {
    for (std::size_t i = 0; i < shape[0]; ++i) SwapCells(x[i], y[i], shape + 1);
  }
}

template <class A>
void FlipLevel(A& a, int dim, const std::size_t* shape) {
  if (dim == 1) {
    const std::size_t n = shape[0];
    for (std::size_t i = 0; i < n / 2; ++i) {
      // Cells are exchanged, never the sub-array objects, so outside references to a
      // sub-array keep their storage.
      if constexpr (kRankOf<A> == 1) {
        std::swap(a[i], a[n - 1 - i]);
      } else {
        SwapCells(a[i], a[n - 1 - i], shape + 1);
      }
    }
  } else if constexpr (kRankOf<A> > 1) {
    for (std::size_t i = 0; i < shape[0]; ++i) FlipLevel(a[i], dim - 1, shape + 1);
  }
}

template <class A>
Integer FlipDimArray(A& a, Integer dim) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (dim < 1 || dim > kRankOf<A>) return kInvalid;
  if (HasShortSubArray(a, shape)) return kInvalid;
  FlipLevel(a, dim, shape.data());
  return kDone;
}

template <class A>
Integer AbsValArray(A& a) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  ForEachRow(a, shape, [](ElemOf<A>* p, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
      if constexpr (std::is_same_v<ElemOf<A>, double>) {
        p[k] = std::fabs(p[k]);
      } else {
        p[k] = WrapAbs(p[k]);
      }
    }
  });
  return kDone;
}

template <class A>
Integer CountTrueCells(const A& a) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  std::uint64_t n = 0;
  ForEachRow(a, shape, [&n](const std::uint8_t* p, std::size_t len) {
    for (std::size_t k = 0; k < len; ++k) n += p[k] != 0 ? 1u : 0u;
  });
  return SaturatedCount(n);
}

}  // namespace nuv::detail
