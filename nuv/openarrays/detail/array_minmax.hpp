#pragma once
// Extreme values of whole arrays and of index boxes. Comparisons are strict, so the first of
// equal extremes in visiting order (first subscript slowest) wins.

#include <algorithm>
#include <limits>
#include <span>
#include <type_traits>

#include "nuv/base/constants.hpp"
#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

/// The value that stands for "no cell yet" at the top (kTop) or bottom of the element range.
template <class T, bool kTop>
constexpr T Extremal() {
  if constexpr (std::is_same_v<T, double>) {
    return kTop ? uc_MaxDouble : -uc_MaxDouble;
  } else {
    return kTop ? std::numeric_limits<T>::max() : std::numeric_limits<T>::min();
  }
}

template <class A, class F>
void ExistingRows(const A& a, const std::size_t* shape, F& f, std::size_t outer) {
  const std::size_t n = std::min(a.size(), shape[0]);
  if constexpr (kRankOf<A> == 1) {
    f(a.data(), n, outer);
  } else {
    for (std::size_t i = 0; i < n; ++i) ExistingRows(a[i], shape + 1, f, outer);
  }
}

template <class A>
const ElemOf<A>& FirstCell(const A& a) {
  if constexpr (kRankOf<A> == 1) {
    return a[0];
  } else {
    return FirstCell(a[0]);
  }
}

/// Largest (kMax) or smallest cell, visiting only cells that exist within the first lengths.
/// For an empty array the sentinel comes back and the index outputs stay as they were; ix
/// (rank 1 or 2, may be null) receives the indices of the extreme.
template <bool kMax, class A>
ElemOf<A> ExtremeOf(const A& a, Integer* ix) {
  using T = ElemOf<A>;
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return Extremal<T, !kMax>();
  T best = FirstCell(a);
  std::size_t bi = 0;
  std::size_t bj = 0;
  auto scan = [&](const T* p, std::size_t n, std::size_t outer) {
    for (std::size_t k = 0; k < n; ++k) {
      // NaN is passed over: a NaN best gives way to the first number.
      if ((kMax ? p[k] > best : p[k] < best) || (best != best && p[k] == p[k])) {
        best = p[k];
        bi = outer;
        bj = k;
      }
    }
  };
  if constexpr (kRankOf<A> == 1) {
    ExistingRows(a, shape.data(), scan, 0);
  } else {
    const std::size_t n = std::min(a.size(), shape[0]);
    for (std::size_t i = 0; i < n; ++i) ExistingRows(a[i], shape.data() + 1, scan, i);
  }
  if (ix != nullptr) {
    if constexpr (kRankOf<A> == 1) {
      ix[0] = static_cast<Integer>(bj);
    } else {
      ix[0] = static_cast<Integer>(bi);
      ix[1] = static_cast<Integer>(bj);
    }
  }
  return best;
}

/// Folds the cells p[0..n) into the running extremes. Four interleaved lanes, each started
/// from the running values and merged in lane order, break the chain of dependent
/// comparisons; the result compares equal to that of the cell-by-cell scan and, as equal
/// doubles differ in their bits only as +0 and -0, is the same value unless it is a zero
/// (FirstZero settles that sign afterwards). A NaN running value stays, as in the scan.
template <class T>
void ScanMinMax(const T* p, std::size_t n, T& mnOut, T& mxOut) {
  T mn[4] = {mnOut, mnOut, mnOut, mnOut};
  T mx[4] = {mxOut, mxOut, mxOut, mxOut};
  std::size_t k = 0;
  for (; k + 4 <= n; k += 4) {
    for (std::size_t l = 0; l < 4; ++l) {
      const T v = p[k + l];
      if (v < mn[l]) mn[l] = v;
      if (v > mx[l]) mx[l] = v;
    }
  }
  for (; k < n; ++k) {
    const T v = p[k];
    if (v < mn[0]) mn[0] = v;
    if (v > mx[0]) mx[0] = v;
  }
  T a = mn[0];
  T b = mx[0];
  for (std::size_t l = 1; l < 4; ++l) {
    if (mn[l] < a) a = mn[l];
    if (mx[l] > b) b = mx[l];
  }
  mnOut = a;
  mxOut = b;
}

/// The cell-by-cell scan keeps the first zero it meets once the extreme is a zero; a zero
/// extreme from the lanes gets that one's sign. first is the first cell of the scan.
template <class T, class ForEach>
void FirstZero(T first, T& mn, T& mx, ForEach&& forEachRow) {
  if constexpr (std::is_same_v<T, double>) {
    if (mn != 0.0 && mx != 0.0) return;
    // The scan starts from the first cell: a zero there is never displaced by another zero.
    double zero = first;
    if (first != 0.0) {
      bool found = false;
      forEachRow([&](const double* p, std::size_t n) {
        for (std::size_t k = 0; k < n && !found; ++k) {
          if (p[k] == 0.0) {
            zero = p[k];
            found = true;
          }
        }
        return found;
      });
    }
    if (mn == 0.0) mn = zero;
    if (mx == 0.0) mx = zero;
  }
}

/// The first cell that is a number (NaN is passed over by the extremes), or the first cell when
/// every one is NaN.
template <class T, class ForEach>
T FirstNumber(T first, ForEach&& forEachRow) {
  if constexpr (std::is_floating_point_v<T>) {
    if (first != first) {
      bool found = false;
      forEachRow([&](const T* p, std::size_t n) {
        for (std::size_t k = 0; k < n && !found; ++k) {
          if (p[k] == p[k]) {
            first = p[k];
            found = true;
          }
        }
      });
    }
  }
  return first;
}

template <class A>
Integer MinMaxArray(const A& a, ElemOf<A>& minOut, ElemOf<A>& maxOut) {
  using T = ElemOf<A>;
  // Outputs may be cells of A: keep running values aside and store them once.
  T mn = Extremal<T, true>();
  T mx = Extremal<T, false>();
  Integer status = kDone;
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) {
    status = kEmpty;
  } else if (HasShortSubArray(a, shape)) {
    status = kInvalid;
  } else {
    // Seeded with a number, no lane ever holds NaN: NaN cells fail every comparison.
    const T first = FirstNumber(FirstCell(a), [&](auto&& f) { ForEachRow(a, shape, f); });
    mn = mx = first;
    ForEachRow(a, shape, [&](const T* p, std::size_t n) { ScanMinMax(p, n, mn, mx); });
    FirstZero(first, mn, mx, [&](auto&& f) {
      bool done = false;
      ForEachRow(a, shape, [&](const T* p, std::size_t n) {
        if (!done) done = f(p, n);
      });
    });
  }
  minOut = mn;
  maxOut = mx;
  return status;
}

template <class T>
Integer MinMaxOpen(std::span<const T> a, T& minOut, T& maxOut) {
  T mn = Extremal<T, true>();
  T mx = Extremal<T, false>();
  Integer status = kEmpty;
  if (!a.empty()) {
    const T first = FirstNumber(a[0], [&](auto&& f) { f(a.data(), a.size()); });
    mn = mx = first;
    ScanMinMax(a.data(), a.size(), mn, mx);
    FirstZero(first, mn, mx, [&](auto&& f) { f(a.data(), a.size()); });
    status = kDone;
  }
  minOut = mn;
  maxOut = mx;
  return status;
}

/// Ranged form (rank 1 or 2): lo > hi is allowed and visits nothing; the running values start
/// from the presets, so an index stays 0 when no cell beats its preset.
template <class A>
Integer MinMaxRange(const A& a, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                    ElemOf<A>& minOut, ElemOf<A>& maxOut, Integer* ixMin, Integer* ixMax) {
  using T = ElemOf<A>;
  constexpr int R = kRankOf<A>;
  static_assert(R <= 2);
  T mn = Extremal<T, true>();
  T mx = Extremal<T, false>();
  std::array<Integer, R> iMin{};
  std::array<Integer, R> iMax{};
  Integer status = kDone;
  const auto shape = FirstLengths(a);
  Box<R> box;
  if (AnyZero(shape)) {
    status = kEmpty;
  } else {
    for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
      if (!IndexIn(lo[d], shape[d]) || !IndexIn(hi[d], shape[d])) {
        status = kInvalid;
        break;
      }
      box.begin[d] = static_cast<std::size_t>(lo[d]);
      box.end[d] = static_cast<std::size_t>(hi[d]) + 1;
    }
    if (status == kDone && HasShortSubArray(a, shape, box)) status = kInvalid;
  }
  if (status == kDone) {
    auto visit = [&](const T* p, std::size_t i) {
      const std::size_t kBegin = box.begin[R - 1];
      for (std::size_t k = kBegin; k < box.end[R - 1]; ++k) {
        if (p[k] < mn) {
          mn = p[k];
          iMin[R - 1] = static_cast<Integer>(k);
          if constexpr (R == 2) iMin[0] = static_cast<Integer>(i);
        }
        if (p[k] > mx) {
          mx = p[k];
          iMax[R - 1] = static_cast<Integer>(k);
          if constexpr (R == 2) iMax[0] = static_cast<Integer>(i);
        }
      }
    };
    if constexpr (R == 1) {
      visit(a.data(), 0);
    } else {
      for (std::size_t i = box.begin[0]; i < box.end[0]; ++i) visit(a[i].data(), i);
    }
  }
  minOut = mn;
  maxOut = mx;
  for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
    ixMin[d] = iMin[d];
    ixMax[d] = iMax[d];
  }
  return status;
}

}  // namespace nuv::detail
