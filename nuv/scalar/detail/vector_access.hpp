#pragma once
// Direct access to vector storage for the library's own kernels. Users go through
// GetVal/SetVal; the kernels use this only while no OnChange handler could observe the writes.

#include "nuv/scalar/detail/vector_core.hpp"

namespace nuv::detail {

struct TVectorAccess {
  /// Elements 1..NrOfElem at indices 0..NrOfElem - 1; valid until the vector is resized.
  template <class T>
  static T* Elems(TVectorCore<T>& V) noexcept {
    return V.FVec.data();
  }
  template <class T>
  static const T* Elems(const TVectorCore<T>& V) noexcept {
    return V.FVec.data();
  }
  /// What a store through SetVal does besides the store itself when no handler is assigned.
  template <class T>
  static void MarkWritten(TVectorCore<T>& V) noexcept {
    V.FIsEmpty = false;
  }
};

}  // namespace nuv::detail
