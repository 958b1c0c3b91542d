#pragma once
// Direct access to TMatrix storage for the matrix unit's own kernels. Users go through
// GetVal/SetVal; the kernels use this only while no OnChange handler could observe the writes.

#include <cstddef>

#include "nuv/matrix/TMatrix.hpp"

namespace nuv::detail {

struct TMatrixAccess {
  /// The visible cells, column-major with NrOfRows per column; valid while both sizes are
  /// positive and the matrix is not resized.
  static double* Cells(TMatrix& M) noexcept { return M.FData.data(); }
  static const double* Cells(const TMatrix& M) noexcept { return M.FData.data(); }
  /// True when writes to M would be observed by an OnChange handler.
  static bool Observed(const TMatrix& M) noexcept { return static_cast<bool>(M.FOnChange); }
};

}  // namespace nuv::detail
