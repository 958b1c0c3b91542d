#pragma once
// Boxes of cells shared by the TIntMatrix operation files.

#include <cstddef>
#include <cstdint>

#include "nuv/base/types.hpp"
#include "nuv/matrix/TIntMatrix.hpp"

namespace nuv::detail {

// A normalised box; empty when the matrix has no cell to offer.
struct TIntBox {
  Integer C1 = 1, C2 = 0, R1 = 1, R2 = 0;
  bool Empty() const noexcept { return C2 < C1 || R2 < R1; }
  Int64 Cols() const noexcept { return Empty() ? 0 : Int64{C2} - C1 + 1; }
  Int64 Rows() const noexcept { return Empty() ? 0 : Int64{R2} - R1 + 1; }
  Int64 Cells() const noexcept { return Cols() * Rows(); }
  bool Holds(Integer c, Integer r) const noexcept {
    return c >= C1 && c <= C2 && r >= R1 && r <= R2;
  }
};

inline TIntBox MakeIntBox(const TIntMatrix& M, Integer LowCol, Integer LowRow, Integer HighCol,
                          Integer HighRow) noexcept {
  TIntBox b;
  // Without columns or rows the range rule would point at cell 0: the box is empty instead.
  if (M.NrOfColumns() <= 0 || M.NrOfRows() <= 0) return b;
  M.MakeValidColRange(LowCol, HighCol);
  M.MakeValidRowRange(LowRow, HighRow);
  b.C1 = LowCol;
  b.C2 = HighCol;
  b.R1 = LowRow;
  b.R2 = HighRow;
  return b;
}

// F(c, r, x) for every cell of the box in a dense store of Stride rows per column, columns
// outer, rows inner.
template <class Fn>
void ForIntBox(const Integer* Cells, Integer Stride, const TIntBox& B, Fn&& F) {
  if (B.Empty() || Cells == nullptr) return;
  for (Integer c = B.C1; c <= B.C2; ++c) {
    const Integer* col = Cells + static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(Stride);
    for (Integer r = B.R1; r <= B.R2; ++r) F(c, r, col[static_cast<std::size_t>(r - 1)]);
  }
}

// 32-bit two's complement arithmetic without signed overflow.
inline Integer WrapAdd(Integer a, Integer b) noexcept {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline Integer WrapSub(Integer a, Integer b) noexcept {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline Integer WrapMul(Integer a, Integer b) noexcept {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
// Counts wrap like every Integer count.
inline Integer WrapCount(std::uint64_t Count) noexcept {
  return static_cast<Integer>(static_cast<std::uint32_t>(Count));
}

}  // namespace nuv::detail
