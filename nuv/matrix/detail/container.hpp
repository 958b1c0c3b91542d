#pragma once
// What the four matrix containers (TMatrix, TIntMatrix, TMat3D, TMat4D) share: the component,
// the use count that keeps handlers from resizing them under a running call, the message shape
// of their errors and the checked allocation of their stores.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "nuv/base/errors.hpp"
#include "nuv/base/types.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv::detail {

/// Number of cells of a box with the given extents (each 0..2^31-1), or SIZE_MAX when that many
/// cells of Cell cannot be addressed on this target. Each factor is below 2^31, so checking the
/// partial product against the limit before each factor keeps it inside 64 bits.
template <class Cell>
std::size_t CheckedCells(std::initializer_list<Integer> Extents) noexcept {
  const std::uint64_t limit = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(Cell);
  std::uint64_t cells = 1;
  for (Integer e : Extents) {
    if (e <= 0) return 0;
    if (cells > limit) return std::numeric_limits<std::size_t>::max();
    cells *= static_cast<std::uint64_t>(e);
  }
  if (cells > limit) return std::numeric_limits<std::size_t>::max();
  return static_cast<std::size_t>(cells);
}

/// Base of the matrix containers.
class TMatrixContainer : public TComponent, public TUseCounted {
 public:
  explicit TMatrixContainer(TComponent* AOwner) : TComponent(AOwner) {}

 protected:
  /// Raises ENUVMatrixError `Component "<Name>": <Text>`.
  [[noreturn]] void Raise(const char* Text) const { RaiseComponent<ENUVMatrixError>(this, Text); }
  /// Result of Alloc(); a failed allocation raises "not enough memory on heap".
  template <class F>
  decltype(auto) Allocating(F&& Alloc) const {
    try {
      return std::forward<F>(Alloc)();
    } catch (const std::bad_alloc&) {
      Raise("not enough memory on heap");
    } catch (const std::length_error&) {
      Raise("not enough memory on heap");
    }
  }
  /// A zeroed store for a box of the given extents (empty when one extent is 0); a box that
  /// cannot be addressed or allocated raises "not enough memory on heap".
  template <class Cell>
  std::vector<Cell> ZeroStore(std::initializer_list<Integer> Extents) const {
    const std::size_t cells = CheckedCells<Cell>(Extents);
    if (cells == std::numeric_limits<std::size_t>::max()) Raise("not enough memory on heap");
    return Allocating([cells] { return std::vector<Cell>(cells, Cell{}); });
  }
};

}  // namespace nuv::detail
