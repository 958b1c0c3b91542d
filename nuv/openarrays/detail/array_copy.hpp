#pragma once
// Cloning (with Double <-> Integer conversion), copying whole arrays or boxes into a sized
// destination, and extracting part of a column or a row.

#include <cmath>
#include <cstdint>
#include <utility>

#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

/// A Double cell as an Integer: clamped to the 32-bit range, then rounded with halves to the
/// even neighbour. NaN has no nearest integer and becomes 0.
inline Integer DoubleToIntCell(double x) {
  if (std::isnan(x)) return 0;
  if (x > 2147483647.0) x = 2147483647.0;
  if (x < -2147483648.0) x = -2147483648.0;
  return static_cast<Integer>(std::nearbyint(x));
}

template <class To, class From>
To ConvertCell(From x) {
  if constexpr (std::is_same_v<To, Integer> && std::is_same_v<From, double>) {
    return DoubleToIntCell(x);
  } else {
    return static_cast<To>(x);
  }
}

template <class S, class D>
Integer CloneArray(const S& src, D& dst) {
  static_assert(kRankOf<S> == kRankOf<D>);
  constexpr int R = kRankOf<S>;
  const auto shape = FirstLengths(src);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(src, shape)) return kInvalid;
  // Sizing in place keeps CloneArray(A, A) a copy of each cell onto itself.
  SizeLike(dst, shape);
  ZipRows<R>(
      shape,
      [](std::size_t n, const ElemOf<S>* s, ElemOf<D>* d) {
        for (std::size_t k = 0; k < n; ++k) d[k] = ConvertCell<ElemOf<D>>(s[k]);
      },
      MakeSlot(src, kOrigin<R>.data()), MakeSlot(dst, kOrigin<R>.data()));
  return kDone;
}

template <class A>
void CopyCells(const Shape<kRankOf<A>>& extent, const A& s, const std::size_t* sBegin, A& d,
               const std::size_t* dBegin) {
  ZipRows<kRankOf<A>>(
      extent,
      [](std::size_t n, const ElemOf<A>* from, ElemOf<A>* to) {
        for (std::size_t k = 0; k < n; ++k) to[k] = from[k];
      },
      MakeSlot(s, sBegin), MakeSlot(d, dBegin));
}

/// Last tests and the copy shared by the whole and the box forms of CopyArray.
template <class A>
Integer CopyBlock(const A& s, const Shape<kRankOf<A>>& sShape, const Box<kRankOf<A>>& box,
                  const Bounds<kRankOf<A>>& off, A& d, const Shape<kRankOf<A>>& dShape) {
  constexpr int R = kRankOf<A>;
  const Shape<R> extent = Extent(box);
  Box<R> target;
  for (std::size_t k = 0; k < static_cast<std::size_t>(R); ++k) {
    target.begin[k] = static_cast<std::size_t>(off[k]);
    target.end[k] = target.begin[k] + extent[k];
  }
  if (HasShortSubArray(s, sShape, box) || HasShortSubArray(d, dShape, target)) return kInvalid;
  if (&s == &d) {
    // One array: copy the block out first, so overlapping blocks behave like memmove.
    A block;
    SizeLike(block, extent);
    CopyCells(extent, s, box.begin.data(), block, kOrigin<R>.data());
    CopyCells(extent, block, kOrigin<R>.data(), d, target.begin.data());
  } else {
    CopyCells(extent, s, box.begin.data(), d, target.begin.data());
  }
  return kDone;
}

template <class A>
Integer CopyArrayWhole(const A& s, const Bounds<kRankOf<A>>& off, A& d) {
  constexpr int R = kRankOf<A>;
  const auto sShape = FirstLengths(s);
  const auto dShape = FirstLengths(d);
  if (AnyZero(sShape) || AnyZero(dShape)) return kEmpty;
  for (std::size_t k = 0; k < static_cast<std::size_t>(R); ++k) {
    if (!IndexIn(off[k], dShape[k])) return kInvalid;
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(R); ++k) {
    if (dShape[k] - static_cast<std::size_t>(off[k]) < sShape[k]) return kInvalid;
  }
  return CopyBlock(s, sShape, WholeBox<R>(sShape), off, d, dShape);
}

template <class A>
Integer CopyArrayBox(const A& s, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                     const Bounds<kRankOf<A>>& off, A& d) {
  constexpr int R = kRankOf<A>;
  const auto sShape = FirstLengths(s);
  const auto dShape = FirstLengths(d);
  if (AnyZero(sShape) || AnyZero(dShape)) return kEmpty;
  for (std::size_t k = 0; k < static_cast<std::size_t>(R); ++k) {
    if (!IndexIn(off[k], dShape[k])) return kInvalid;
  }
  Box<R> box;
  if (!RangesValid<R>(sShape, lo, hi, box)) return kInvalid;
  for (std::size_t k = 0; k < static_cast<std::size_t>(R); ++k) {
    // Both sides are below the lengths, so the subtraction cannot wrap.
    if (dShape[k] - static_cast<std::size_t>(off[k]) < box.end[k] - box.begin[k]) {
      return kInvalid;
    }
  }
  return CopyBlock(s, sShape, box, off, d, dShape);
}

template <class A>
Integer CopyArrayColumn(const A& a, Integer column, Integer lo, Integer hi,
                        std::vector<ElemOf<A>>& v) {
  static_assert(kRankOf<A> == 2);
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (hi < lo || lo < 0 || hi < 0) return kInvalid;
  if (!IndexIn(lo, shape[1]) || !IndexIn(hi, shape[1])) return kInvalid;
  if (!IndexIn(column, shape[0])) return kBadFixedIndex;
  const auto& col = a[static_cast<std::size_t>(column)];
  if (col.size() < shape[1]) return kInvalid;
  // Built aside: the result vector may be a column of A itself.
  std::vector<ElemOf<A>> local(col.begin() + lo, col.begin() + hi + 1);
  v = std::move(local);
  return kDone;
}

template <class A>
Integer CopyArrayRow(const A& a, Integer row, Integer lo, Integer hi, std::vector<ElemOf<A>>& v) {
  static_assert(kRankOf<A> == 2);
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (hi < lo || lo < 0 || hi < 0) return kInvalid;
  if (!IndexIn(lo, shape[0]) || !IndexIn(hi, shape[0])) return kInvalid;
  if (!IndexIn(row, shape[1])) return kBadFixedIndex;
  const auto first = static_cast<std::size_t>(lo);
  const auto last = static_cast<std::size_t>(hi);
  for (std::size_t i = first; i <= last; ++i) {
    if (a[i].size() < shape[1]) return kInvalid;
  }
  std::vector<ElemOf<A>> local;
  local.reserve(last - first + 1);
  for (std::size_t i = first; i <= last; ++i) local.push_back(a[i][static_cast<std::size_t>(row)]);
  v = std::move(local);
  return kDone;
}

}  // namespace nuv::detail
