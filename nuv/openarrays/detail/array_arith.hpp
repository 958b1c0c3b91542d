#pragma once
// Element-wise and scalar arithmetic. Double cells follow IEEE arithmetic; Integer cells wrap
// around in 32-bit two's complement. Every cell depends only on the operands' cells at the
// same indices, so a result array may be one of the operands.

#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::detail {

struct AddOp {
  double operator()(double a, double b) const { return a + b; }
  Integer operator()(Integer a, Integer b) const { return WrapAdd(a, b); }
};
struct SubOp {
  double operator()(double a, double b) const { return a - b; }
  Integer operator()(Integer a, Integer b) const { return WrapSub(a, b); }
};
struct MulOp {
  double operator()(double a, double b) const { return a * b; }
  Integer operator()(Integer a, Integer b) const { return WrapMul(a, b); }
};

template <class Op, class A>
Integer ElementWise(const A& a, const A& b, A& c) {
  constexpr int R = kRankOf<A>;
  const auto sa = FirstLengths(a);
  const auto sb = FirstLengths(b);
  if (AnyZero(sa) || AnyZero(sb)) return kEmpty;
  if (sa != sb) return kInvalid;
  if (HasShortSubArray(a, sa) || HasShortSubArray(b, sb)) return kInvalid;
  SizeLike(c, sa);
  ZipRows<R>(
      sa,
      [](std::size_t n, const ElemOf<A>* x, const ElemOf<A>* y, ElemOf<A>* z) {
        const Op op;
        for (std::size_t k = 0; k < n; ++k) z[k] = op(x[k], y[k]);
      },
      MakeSlot(a, kOrigin<R>.data()), MakeSlot(b, kOrigin<R>.data()),
      MakeSlot(c, kOrigin<R>.data()));
  return kDone;
}

template <class Op, class A>
Integer ScalarInto(const A& a, ElemOf<A> s, A& c) {
  constexpr int R = kRankOf<A>;
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  SizeLike(c, shape);
  ZipRows<R>(
      shape,
      [s](std::size_t n, const ElemOf<A>* x, ElemOf<A>* z) {
        const Op op;
        for (std::size_t k = 0; k < n; ++k) z[k] = op(x[k], s);
      },
      MakeSlot(a, kOrigin<R>.data()), MakeSlot(c, kOrigin<R>.data()));
  return kDone;
}

template <class Op, class A>
Integer ScalarInPlace(A& a, ElemOf<A> s) {
  const auto shape = FirstLengths(a);
  if (AnyZero(shape)) return kEmpty;
  if (HasShortSubArray(a, shape)) return kInvalid;
  ForEachRow(a, shape, [s](ElemOf<A>* p, std::size_t n) {
    const Op op;
    for (std::size_t k = 0; k < n; ++k) p[k] = op(p[k], s);
  });
  return kDone;
}

}  // namespace nuv::detail
