#pragma once
// Rank-generic machinery behind the array routines: nesting traits, the first lengths of each
// level, the empty, range and ragged tests, sizing of result arrays and row-wise cell visits.
//
// Every routine reads the lengths of dimensions 2 to 4 from the first sub-array of each level
// and uses them everywhere. A longer sub-array is processed by that prefix only; a shorter one
// that the routine would visit makes it report -2, so no routine reads or writes past the end.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "nuv/platform/types.hpp"

namespace nuv::detail {

inline constexpr Integer kDone = 0;
inline constexpr Integer kEmpty = -1;
inline constexpr Integer kInvalid = -2;
inline constexpr Integer kBadFixedIndex = -3;

template <class T>
struct NestTraits {
  static constexpr int kRank = 0;
  using Elem = T;
};
template <class T>
struct NestTraits<std::vector<T>> {
  static constexpr int kRank = NestTraits<T>::kRank + 1;
  using Elem = typename NestTraits<T>::Elem;
};

/// Number of nesting levels of a dynamic array type (TDouble3DArray -> 3).
template <class A>
inline constexpr int kRankOf = NestTraits<std::remove_const_t<A>>::kRank;
/// Cell type of a dynamic array type.
template <class A>
using ElemOf = typename NestTraits<std::remove_const_t<A>>::Elem;

template <int R>
using Shape = std::array<std::size_t, R>;
/// Low or high indices as the caller passes them, dimension 1 first.
template <int R>
using Bounds = std::array<Integer, R>;

/// A half-open box: cells with begin[d] <= index < end[d]; empty when end[d] <= begin[d].
template <int R>
struct Box {
  Shape<R> begin{};
  Shape<R> end{};
};

template <class A>
void FillLengths(const A& a, std::size_t* out) {
  out[0] = a.size();
  if constexpr (kRankOf<A> >= 2) {
    if (a.empty()) {
      std::fill(out + 1, out + kRankOf<A>, std::size_t{0});
    } else {
      FillLengths(a[0], out + 1);
    }
  }
}

/// Lengths of A, A[0], A[0][0], ... (0 below an empty level).
template <class A>
Shape<kRankOf<A>> FirstLengths(const A& a) {
  Shape<kRankOf<A>> s{};
  FillLengths(a, s.data());
  return s;
}

/// True when one of the first `levels` tested levels has length 0.
template <std::size_t R>
bool AnyZero(const std::array<std::size_t, R>& s, int levels = static_cast<int>(R)) {
  for (int d = 0; d < levels; ++d) {
    if (s[static_cast<std::size_t>(d)] == 0) return true;
  }
  return false;
}

/// True when ix is an index of a dimension of length len (a negative index fails before the
/// comparison with the unsigned length, and no sum is formed in 32 bits).
inline bool IndexIn(Integer ix, std::size_t len) {
  return ix >= 0 && static_cast<std::size_t>(ix) < len;
}

/// The usual range rule: both indices inside the dimension and lo <= hi.
template <int R>
bool RangesValid(const Shape<R>& s, const Bounds<R>& lo, const Bounds<R>& hi, Box<R>& box) {
  for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
    if (!IndexIn(lo[d], s[d]) || !IndexIn(hi[d], s[d]) || lo[d] > hi[d]) return false;
    box.begin[d] = static_cast<std::size_t>(lo[d]);
    box.end[d] = static_cast<std::size_t>(hi[d]) + 1;
  }
  return true;
}

template <int R>
Box<R> WholeBox(const Shape<R>& s) {
  Box<R> b;
  b.end = s;
  return b;
}

template <class A>
bool ShortInBox(const A& a, const std::size_t* shape, const std::size_t* begin,
                const std::size_t* end) {
  if constexpr (kRankOf<A> >= 2) {
    for (std::size_t i = begin[0]; i < end[0]; ++i) {
      if (a[i].size() < shape[1]) return true;
      if (ShortInBox(a[i], shape + 1, begin + 1, end + 1)) return true;
    }
  }
  return false;
}

/// True when a sub-array that a visit of the box would enter is shorter than the first
/// sub-array of its level.
template <class A>
bool HasShortSubArray(const A& a, const Shape<kRankOf<A>>& shape, const Box<kRankOf<A>>& box) {
  return ShortInBox(a, shape.data(), box.begin.data(), box.end.data());
}
template <class A>
bool HasShortSubArray(const A& a, const Shape<kRankOf<A>>& shape) {
  return HasShortSubArray(a, shape, WholeBox<kRankOf<A>>(shape));
}

template <class A>
void SizeTo(A& a, const std::size_t* shape) {
  a.resize(shape[0]);
  if constexpr (kRankOf<A> >= 2) {
    for (auto& sub : a) SizeTo(sub, shape + 1);
  }
}

/// Gives a result array the shape in place: the outer resize, then every sub-array resized.
/// Cells a caller computes from the same indices of an aliased input keep their values.
template <class A>
void SizeLike(A& a, const Shape<kRankOf<A>>& shape) {
  SizeTo(a, shape.data());
}

/// One array taking part in a row-wise visit, with the index at which its block begins.
template <class A>
struct Slot {
  A* array;
  const std::size_t* begin;
};
template <class A>
Slot<A> MakeSlot(A& a, const std::size_t* begin) {
  return Slot<A>{&a, begin};
}

template <class A>
auto SubSlot(const Slot<A>& s, std::size_t i) {
  auto& sub = (*s.array)[s.begin[0] + i];
  return Slot<std::remove_reference_t<decltype(sub)>>{&sub, s.begin + 1};
}

template <class F, class A0, class... As>
void ZipRowsImpl(const std::size_t* count, F& f, Slot<A0> s0, Slot<As>... rest) {
  if constexpr (kRankOf<A0> == 1) {
    f(count[0], s0.array->data() + s0.begin[0], (rest.array->data() + rest.begin[0])...);
  } else {
    for (std::size_t i = 0; i < count[0]; ++i) {
      ZipRowsImpl(count + 1, f, SubSlot(s0, i), SubSlot(rest, i)...);
    }
  }
}

/// Visits blocks of the same extent in several arrays of one rank, row by row: f receives the
/// row length and a pointer into the innermost row of each array. Rows are visited with the
/// first subscript slowest, so a sequential accumulation in f follows memory order.
template <int R, class F, class... As>
void ZipRows(const Shape<R>& count, F&& f, Slot<As>... slots) {
  for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
    if (count[d] == 0) return;
  }
  ZipRowsImpl(count.data(), f, slots...);
}

template <int R>
inline constexpr Shape<R> kOrigin{};

template <int R>
Shape<R> Extent(const Box<R>& b) {
  Shape<R> e{};
  for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
    e[d] = b.end[d] > b.begin[d] ? b.end[d] - b.begin[d] : 0;
  }
  return e;
}

/// Calls f(row pointer, row length) for every innermost row of the box.
template <class A, class F>
void ForEachRow(A& a, const Box<kRankOf<A>>& box, F&& f) {
  ZipRows<kRankOf<A>>(
      Extent(box), [&f](std::size_t n, auto* p) { f(p, n); }, MakeSlot(a, box.begin.data()));
}

/// Calls f(row pointer, row length) for every innermost row of the first-length shape.
template <class A, class F>
void ForEachRow(A& a, const Shape<kRankOf<A>>& shape, F&& f) {
  ForEachRow(a, WholeBox<kRankOf<A>>(shape), std::forward<F>(f));
}

/// 32-bit two's complement arithmetic: done in uint32_t, where wrap-around is defined.
inline Integer WrapAdd(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline Integer WrapSub(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline Integer WrapMul(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline Integer WrapAbs(Integer a) {
  const auto u = static_cast<std::uint32_t>(a);
  return a < 0 ? static_cast<Integer>(0u - u) : a;
}

/// A count that does not fit an Integer would read as a status: saturate instead.
inline Integer SaturatedCount(std::uint64_t n) {
  constexpr std::uint64_t kMax = 2147483647u;
  return static_cast<Integer>(n > kMax ? kMax : n);
}

}  // namespace nuv::detail
