#pragma once
// Mean and sample standard deviation of an index box. The cells are taken in a fixed order
// with one sequential accumulator, so results are reproducible to the bit:
//   rank 1 and 2: memory order; rank 3: dimension 3 outermost, then 1, then 2;
//   rank 4: dimension 4 outermost, then 3, then 1, then 2.

#include <cmath>
#include <cstdint>

#include "nuv/base/moments.hpp"
#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

/// Calls f(value as double) for every cell of the box in the order above.
template <class A, class F>
void VisitStatsOrder(const A& a, const Box<kRankOf<A>>& b, F&& f) {
  constexpr int R = kRankOf<A>;
  if constexpr (R <= 2) {
    ForEachRow(a, b, [&f](const ElemOf<A>* p, std::size_t n) {
      for (std::size_t k = 0; k < n; ++k) f(static_cast<double>(p[k]));
    });
  } else if constexpr (R == 3) {
    for (std::size_t k = b.begin[2]; k < b.end[2]; ++k) {
      for (std::size_t i = b.begin[0]; i < b.end[0]; ++i) {
        const auto& ai = a[i];
        for (std::size_t j = b.begin[1]; j < b.end[1]; ++j) f(static_cast<double>(ai[j][k]));
      }
    }
  } else {
    for (std::size_t l = b.begin[3]; l < b.end[3]; ++l) {
      for (std::size_t k = b.begin[2]; k < b.end[2]; ++k) {
        for (std::size_t i = b.begin[0]; i < b.end[0]; ++i) {
          const auto& ai = a[i];
          for (std::size_t j = b.begin[1]; j < b.end[1]; ++j) {
            f(static_cast<double>(ai[j][k][l]));
          }
        }
      }
    }
  }
}

template <int R>
std::int64_t CellCount(const Box<R>& b) {
  std::int64_t n = 1;
  for (std::size_t d = 0; d < static_cast<std::size_t>(R); ++d) {
    n *= static_cast<std::int64_t>(b.end[d] - b.begin[d]);
  }
  return n;
}

/// The tests shared by both statistics; on 0 the box is valid and visits only existing cells.
template <class A>
Integer StatsBox(const A& a, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                 Box<kRankOf<A>>& box) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (!RangesValid<kRankOf<A>>(shape, lo, hi, box)) return kInvalid;
  if (HasShortSubArray(a, shape, box)) return kInvalid;
  return kDone;
}

template <class A>
double BoxMean(const A& a, const Box<kRankOf<A>>& box) {
  // A 64-bit count divided in double: boxes beyond 2^31 cells keep a correct mean.
  return MeanOf(static_cast<double>(CellCount(box)), [&](auto&& f) { VisitStatsOrder(a, box, f); });
}

template <class A>
Integer MeanArray(const A& a, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                  double& mean) {
  Box<kRankOf<A>> box;
  double result = 0.0;
  const Integer status = StatsBox(a, lo, hi, box);
  if (status == kDone) result = BoxMean(a, box);
  mean = result;
  return status;
}

template <class A>
Integer StdDevArray(const A& a, const Bounds<kRankOf<A>>& lo, const Bounds<kRankOf<A>>& hi,
                    double& stdDev) {
  Box<kRankOf<A>> box;
  double result = 0.0;
  const Integer status = StatsBox(a, lo, hi, box);
  if (status == kDone && CellCount(box) > 1) {
    // Two passes in the same cell order, deviations from the mean corrected by their own sum:
    // accurate whatever the offset and the scale of the values, and never negative.
    const auto n = static_cast<double>(CellCount(box));
    result = SpreadOf(n, [&](auto&& f) { VisitStatsOrder(a, box, f); }).StdDev(n - 1.0);
  }
  stdDev = result;
  return status;
}

}  // namespace nuv::detail
