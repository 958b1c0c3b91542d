// What the vector fuzz targets share: the expected outcome of a load and how a loaded
// vector is compared with it.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace nuv::fuzz {

constexpr std::int64_t kGrowthSlack = std::int64_t{1} << 20;

template <class V>
struct TValueOf;
template <>
struct TValueOf<TVector> {
  using T = double;
};
template <>
struct TValueOf<TIntVector> {
  using T = Integer;
};

// The outcome the documentation gives for a load into a vector holding Before.
template <class T>
struct TExpected {
  bool Result = false;
  std::int64_t Count = 0;
  std::map<std::int64_t, T> Writes;  // element -> value stored by the load
  int Events = 0;
  std::int64_t Position = -1;  // -1: not promised
};

template <class V>
std::vector<typename TValueOf<V>::T> Values(const V& Vec) {
  std::vector<typename TValueOf<V>::T> out;
  for (Integer i = 1; i <= Vec.NrOfElem(); ++i) out.push_back(Vec.GetVal(i));
  return out;
}

template <class T>
bool SameValues(const std::vector<T>& A, const std::vector<T>& B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if constexpr (std::is_same_v<T, double>) {
      if (!SameValue(A[i], B[i])) return false;
    } else if (A[i] != B[i]) {
      return false;
    }
  }
  return true;
}

// The vector holds what the replay expects: the writes, the old elements elsewhere, zeros
// where it grew. Walks the elements without copying them (a load may grow by 2^20).
template <class V, class T>
NUV_FUZZ_NO_COVERAGE bool Matches(const V& Vec, const std::vector<T>& Before,
                                  const TExpected<T>& Want) {
  if (Vec.NrOfElem() != Want.Count) return false;
  auto w = Want.Writes.begin();
  for (Integer i = 1; i <= Vec.NrOfElem(); ++i) {
    T want =
        i <= static_cast<Integer>(Before.size()) ? Before[static_cast<std::size_t>(i - 1)] : T{};
    if (w != Want.Writes.end() && w->first == i) want = (w++)->second;
    if constexpr (std::is_same_v<T, double>) {
      if (!SameValue(Vec.GetVal(i), want)) return false;
    } else if (Vec.GetVal(i) != want) {
      return false;
    }
  }
  return true;
}

}  // namespace nuv::fuzz
