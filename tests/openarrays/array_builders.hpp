#pragma once
// Builders for nested test arrays.

#include <cstddef>
#include <vector>

#include "nuv/openarrays/detail/array_core.hpp"

namespace nuv::test {

template <class A>
A BuildFromFlat(const std::vector<detail::ElemOf<A>>& flat, const std::size_t* dims,
                std::size_t& pos) {
  A a(dims[0]);
  for (auto& x : a) {
    if constexpr (detail::kRankOf<A> == 1) {
      x = flat[pos++];
    } else {
      x = BuildFromFlat<typename A::value_type>(flat, dims + 1, pos);
    }
  }
  return a;
}

/// A rectangular array of the given dimensions filled from C-order data.
template <class A>
A FromFlat(const std::vector<detail::ElemOf<A>>& flat, const std::vector<std::size_t>& dims) {
  std::size_t pos = 0;
  return BuildFromFlat<A>(flat, dims.data(), pos);
}

template <class A>
void FlattenInto(const A& a, std::vector<detail::ElemOf<A>>& out) {
  for (const auto& x : a) {
    if constexpr (detail::kRankOf<A> == 1) {
      out.push_back(x);
    } else {
      FlattenInto(x, out);
    }
  }
}

/// All cells in C order.
template <class A>
std::vector<detail::ElemOf<A>> Flatten(const A& a) {
  std::vector<detail::ElemOf<A>> out;
  FlattenInto(a, out);
  return out;
}

/// A rectangular array whose cells count up from start in C order.
template <class A>
A Iota(const std::vector<std::size_t>& dims, detail::ElemOf<A> start = 1) {
  std::size_t n = 1;
  for (auto d : dims) n *= d;
  std::vector<detail::ElemOf<A>> flat(n);
  for (std::size_t k = 0; k < n; ++k) flat[k] = static_cast<detail::ElemOf<A>>(start + k);
  return FromFlat<A>(flat, dims);
}

}  // namespace nuv::test
