#pragma once
// Two-dimensional routines: trace, transposition and discretisation onto levels.

#include <algorithm>
#include <cmath>
#include <utility>

#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

template <class A>
Integer TraceOfArray(const A& a, ElemOf<A>& trace) {
  static_assert(kRankOf<A> == 2);
  using T = ElemOf<A>;
  T sum{};
  Integer status = kDone;
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) {
    status = kEmpty;
  } else if (shape[0] != shape[1]) {
    status = kInvalid;
  } else {
    for (std::size_t i = 0; i < shape[0] && status == kDone; ++i) {
      if (a[i].size() < shape[1]) status = kInvalid;
    }
    if (status == kDone) {
      for (std::size_t i = 0; i < shape[0]; ++i) {
        if constexpr (std::is_same_v<T, double>) {
          sum += a[i][i];
        } else {
          sum = WrapAdd(sum, a[i][i]);
        }
      }
    }
  }
  trace = sum;
  return status;
}

template <class A>
Integer TransposeArray(A& a) {
  static_assert(kRankOf<A> == 2);
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  const std::size_t n = shape[0];
  const std::size_t m = shape[1];
  // Tiles keep both the rows read and the rows written in cache.
  constexpr std::size_t kTile = 32;
  if (n == m && std::all_of(a.begin(), a.end(), [m](const auto& row) { return row.size() == m; })) {
    // Square with no longer rows: exchange the cells across the diagonal in place.
    for (std::size_t i0 = 0; i0 < n; i0 += kTile) {
      const std::size_t i1 = std::min(n, i0 + kTile);
      for (std::size_t j0 = i0; j0 < n; j0 += kTile) {
        const std::size_t j1 = std::min(n, j0 + kTile);
        for (std::size_t i = i0; i < i1; ++i) {
          auto* ri = a[i].data();
          for (std::size_t j = std::max(j0, i + 1); j < j1; ++j) std::swap(ri[j], a[j][i]);
        }
      }
    }
    return kDone;
  }
  A t(m, typename A::value_type(n));
  for (std::size_t i0 = 0; i0 < n; i0 += kTile) {
    const std::size_t i1 = std::min(n, i0 + kTile);
    for (std::size_t j0 = 0; j0 < m; j0 += kTile) {
      const std::size_t j1 = std::min(m, j0 + kTile);
      for (std::size_t i = i0; i < i1; ++i) {
        const auto* src = a[i].data();
        for (std::size_t j = j0; j < j1; ++j) t[j][i] = src[j];
      }
    }
  }
  a = std::move(t);
  return kDone;
}

/// Level of one cell: q = (v - LoLim) / w is placed in bin floor(q), kept within the N - 2
/// interior bins, so a width that underflowed or overflowed never reaches a conversion of NaN
/// or infinity.
inline double DiscreteLevel(double v, Integer N, double LoLim, double HiLim, double LoVal,
                            double HiVal, double w, double d) {
  if (v <= LoLim) return LoVal;
  if (v >= HiLim) return HiVal;
  const double q = (v - LoLim) / w;
  const Integer top = N - 2;
  Integer h = 0;
  if (std::isnan(q) || q < 0.0) {
    h = 0;
  } else if (q > static_cast<double>(top)) {
    h = top;
  } else {
    h = static_cast<Integer>(std::floor(q));
  }
  return static_cast<double>(h + 1) * d + LoVal;
}

template <class A>
Integer DiscretizeArray(A& a, Integer N, double LoLim, double HiLim, double LoVal, double HiVal) {
  static_assert(kRankOf<A> == 2);
  Integer status = kDone;
  if (N < 3) status = kEmpty;
  if (!(LoLim < HiLim)) status = kInvalid;
  if (status != kDone) return status;
  if (a.empty()) return kDone;
  const std::size_t m = a[0].size();
  for (const auto& row : a) {
    if (row.size() < m) return kInvalid;
  }
  const double w = (HiLim - LoLim) / static_cast<double>(N - 2);
  const double d = (HiVal - LoVal) / static_cast<double>(N - 1);
  for (auto& row : a) {
    double* p = row.data();
    for (std::size_t j = 0; j < m; ++j) {
      // NaN cells have no level and stay as they are.
      if (!std::isnan(p[j])) p[j] = DiscreteLevel(p[j], N, LoLim, HiLim, LoVal, HiVal, w, d);
    }
  }
  return kDone;
}

}  // namespace nuv::detail
