#pragma once
// Filling with a value, a diagonal, or random numbers from the platform generator.

#include <cmath>
#include <cstdint>
#include <mutex>

#include "nuv/openarrays/detail/array_core.hpp"
#include "nuv/platform/random.hpp"

namespace nuv::detail {

template <class A>
Integer FillArray(A& a, ElemOf<A> value) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  ForEachRow(a, shape, [value](ElemOf<A>* p, std::size_t n) { std::fill(p, p + n, value); });
  return kDone;
}

template <class A>
Integer FillArrayRange(A& a, ElemOf<A> value, const Bounds<kRankOf<A>>& lo,
                       const Bounds<kRankOf<A>>& hi) {
  constexpr int R = kRankOf<A>;
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  Box<R> box;
  if (!RangesValid<R>(shape, lo, hi, box)) return kInvalid;
  if (HasShortSubArray(a, shape, box)) return kInvalid;
  ForEachRow(a, box, [value](ElemOf<A>* p, std::size_t n) { std::fill(p, p + n, value); });
  return kDone;
}

template <class A>
void WriteDiag(A& a, std::size_t n, std::size_t i, bool onDiag, ElemOf<A> value,
               std::size_t depth) {
  // i is the index shared by all levels so far; a cell is on the diagonal when every level
  // took the same index.
  if constexpr (kRankOf<A> == 1) {
    for (std::size_t k = 0; k < n; ++k) {
      a[k] = (onDiag && (depth == 0 || k == i)) ? value : ElemOf<A>{};
    }
  } else {
    for (std::size_t k = 0; k < n; ++k) {
      WriteDiag(a[k], n, k, onDiag && (depth == 0 || k == i), value, depth + 1);
    }
  }
}

template <class A>
Integer FillDiagArray(A& a, ElemOf<A> value) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  for (std::size_t d = 1; d < shape.size(); ++d) {
    if (shape[d - 1] != shape[d]) return kInvalid;
  }
  if (HasShortSubArray(a, shape)) return kInvalid;
  WriteDiag(a, shape[0], 0, true, value, 0);
  return kDone;
}

/// Serialises the random fills of this unit, so that each fill's reseed and draws form one
/// uninterrupted sequence of the generator.
std::mutex& RandomFillMutex();

/// One uniform Double in [L, H] from a draw r in [0, 1). While H - L is finite the cell is
/// L + r * (H - L); beyond that the difference would overflow, and the equivalent
/// (1 - r) * L + r * H stays finite.
inline double UniformCell(double L, double H, double r) {
  if (L == H) return L;
  const double width = H - L;
  if (std::isfinite(width)) return L + r * width;
  return (1.0 - r) * L + r * H;
}

/// One uniform Integer in L .. H - 1 (L itself when L = H) from a draw r in [0, 1). The width
/// is formed in 64 bits, exact in a Double, so the full 32-bit range works; a draw close to 1
/// that rounds up onto H is pulled back to H - 1.
inline Integer UniformIntCell(Integer L, Integer H, double r) {
  const double width = static_cast<double>(static_cast<std::int64_t>(H) - L);
  const double x = static_cast<double>(L) + r * width;
  const double f = std::floor(x);
  if (L < H && f >= static_cast<double>(H)) return static_cast<Integer>(H - 1);
  return static_cast<Integer>(f);
}

/// Common frame of the random fills: reseed on every call (failures included), then the
/// empty, argument and ragged tests, then one draw per cell.
template <class A, class Valid, class Cell>
Integer RandomFill(A& a, Valid valid, Cell cell) {
  std::lock_guard<std::mutex> lock(RandomFillMutex());
  Randomize();
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (!valid()) return kInvalid;
  if (HasShortSubArray(a, shape)) return kInvalid;
  ForEachRow(a, shape, [&cell](ElemOf<A>* p, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) p[k] = cell();
  });
  return kDone;
}

template <class A>
Integer FillRandomNormal(A& a, double M, double S) {
  return RandomFill(
      a, [M, S] { return std::isfinite(M) && std::isfinite(S) && S >= 0.0; },
      [M, S] { return RandG(M, S); });
}

template <class A>
Integer FillRandomUniform(A& a, ElemOf<A> L, ElemOf<A> H) {
  if constexpr (std::is_same_v<ElemOf<A>, double>) {
    return RandomFill(
        a, [L, H] { return L <= H && !(L < H && (std::isinf(L) || std::isinf(H))); },
        [L, H] { return UniformCell(L, H, Random()); });
  } else {
    return RandomFill(
        a, [L, H] { return L <= H; }, [L, H] { return UniformIntCell(L, H, Random()); });
  }
}

}  // namespace nuv::detail
