// TIntMatrix: column sorting, mirroring and exchanges, copies to and from vectors, other
// integer matrices and dynamic arrays.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

// Source bounds of the block copies: each clamped into 1..N, then put in order.
void ClampPair(Integer& Lo, Integer& Hi, Integer N) noexcept {
  Lo = std::clamp<Integer>(Lo, 1, N);
  Hi = std::clamp<Integer>(Hi, 1, N);
  if (Hi < Lo) std::swap(Lo, Hi);
}

constexpr Int64 kMaxIndex = 2147483647;

}  // namespace

// ---- sorting, mirroring, exchanging ----

void TIntMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow) {
  // A key row outside the matrix gives no order: nothing is sorted and nothing fires.
  if (FIsSparse || Mat.empty() || FNCol < 1 || FNRow < 1 || SortRowIx < 1 || SortRowIx > FNRow) {
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighCol - LowCol <= 0) return;
  const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
  // An exchange handler may write cells but not resize the matrix or switch its store.
  const detail::TUseGuard use(this);
  auto key = [this, SortRowIx](Int64 c) { return Mat[Index(static_cast<Integer>(c), SortRowIx)]; };
  auto swapCell = [this](Integer r, Integer c1, Integer c2) {
    std::swap(Mat[Index(c1, r)], Mat[Index(c2, r)]);
  };
  detail::CombSort(
      LowCol, [HighCol] { return static_cast<Int64>(HighCol); }, HighCol - LowCol,
      [&](Int64 i, Int64 j) { return Ascending ? key(i) > key(j) : key(j) > key(i); },
      [&](Int64 i, Int64 j) {
        const auto c1 = static_cast<Integer>(i);
        const auto c2 = static_cast<Integer>(j);
        for (Integer r = LowRow; r <= HighRow; ++r) swapCell(r, c1, c2);
        if (keyOutside) swapCell(SortRowIx, c1, c2);
        SortExchange(1, c1, c2, LowRow, HighRow);
      },
      [] {});
  Changed();
}

void TIntMatrix::MirrorColumns() {
  if (FIsSparse) return;
  if (FNRow > 0 && !Mat.empty()) {
    for (Integer c1 = 1, c2 = FNCol; c1 < c2; ++c1, --c2) {
      for (Integer r = 1; r <= FNRow; ++r) std::swap(Mat[Index(c1, r)], Mat[Index(c2, r)]);
    }
  }
  Changed();
}

void TIntMatrix::MirrorRows() {
  if (FIsSparse) return;
  if (FNCol > 0 && !Mat.empty()) {
    for (Integer r1 = 1, r2 = FNRow; r1 < r2; ++r1, --r2) {
      for (Integer c = 1; c <= FNCol; ++c) std::swap(Mat[Index(c, r1)], Mat[Index(c, r2)]);
    }
  }
  Changed();
}

void TIntMatrix::ExchangeColumns(Integer c1, Integer c2) {
  if (FIsSparse || Mat.empty() || c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol || FNRow < 1) {
    return;
  }
  for (Integer r = 1; r <= FNRow; ++r) std::swap(Mat[Index(c1, r)], Mat[Index(c2, r)]);
  Changed();
}

void TIntMatrix::ExchangeRows(Integer r1, Integer r2) {
  if (FIsSparse || Mat.empty() || r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow || FNCol < 1) {
    return;
  }
  for (Integer c = 1; c <= FNCol; ++c) std::swap(Mat[Index(c, r1)], Mat[Index(c, r2)]);
  Changed();
}

// ---- copies ----

void TIntMatrix::CopyRowToVec(TIntVector* DestVec, Integer Row, Integer FirstCol,
                              Integer LastCol) const {
  if (DestVec == nullptr) return;
  // The vector's events may write cells but resize neither container under the copy.
  const detail::TUseGuard use(this, DestVec);
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp<Integer>(Row, 1, std::max<Integer>(FNRow, 1));
  Int64 count = (FNCol < 1 || FNRow < 1) ? 0 : Int64{LastCol} - FirstCol + 1;
  count = std::min<Int64>(count, DestVec->NrOfElem());
  DestVec->Fill(0);
  for (Integer k = 1; k <= count; ++k) DestVec->SetVal(k, GetVal(FirstCol + k - 1, Row));
}

void TIntMatrix::CopyColToVec(TIntVector* DestVec, Integer Col, Integer FirstRow,
                              Integer LastRow) const {
  if (DestVec == nullptr) return;
  const detail::TUseGuard use(this, DestVec);
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp<Integer>(Col, 1, std::max<Integer>(FNCol, 1));
  Int64 count = (FNCol < 1 || FNRow < 1) ? 0 : Int64{LastRow} - FirstRow + 1;
  count = std::min<Int64>(count, DestVec->NrOfElem());
  DestVec->Fill(0);
  for (Integer k = 1; k <= count; ++k) DestVec->SetVal(k, GetVal(Col, FirstRow + k - 1));
}

void TIntMatrix::CopyFrom(TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                          Integer SourceColHi, Integer SourceRowHi, Integer DestCol,
                          Integer DestRow) {
  if (MatSource == nullptr) return;
  // OnChange of each written cell may write values but resize neither matrix. Entries a sparse
  // target gains are inserted by place, never walked by position.
  const detail::TUseGuard use(this, MatSource);
  const Integer srcCols = MatSource->FNCol;
  const Integer srcRows = MatSource->FNRow;
  if (srcCols >= 1 && srcRows >= 1) {
    ClampPair(SourceRowLo, SourceRowHi, srcRows);
    ClampPair(SourceColLo, SourceColHi, srcCols);
    // The box is read before anything is written, so a copy within this matrix (or a sparse
    // target growing under the reader) sees the values from before the copy.
    // Counted in 64 bits: a sparse source may report a box far beyond addressable memory.
    const std::uint64_t cells = static_cast<std::uint64_t>(SourceColHi - SourceColLo + 1) *
                                static_cast<std::uint64_t>(SourceRowHi - SourceRowLo + 1);
    if (cells >
        static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(Integer)) {
      Raise("not enough memory on heap");
    }
    std::vector<Integer> box;
    try {
      box.reserve(static_cast<std::size_t>(cells));
    } catch (const std::bad_alloc&) {
      Raise("not enough memory on heap");
    } catch (const std::length_error&) {
      Raise("not enough memory on heap");
    }
    for (Integer i = SourceColLo; i <= SourceColHi; ++i) {
      for (Integer j = SourceRowLo; j <= SourceRowHi; ++j) box.push_back(MatSource->GetVal(i, j));
    }
    std::size_t k = 0;
    for (Integer i = SourceColLo; i <= SourceColHi; ++i) {
      const Int64 col = Int64{i} + DestCol - SourceColLo;
      for (Integer j = SourceRowLo; j <= SourceRowHi; ++j, ++k) {
        const Int64 row = Int64{j} + DestRow - SourceRowLo;
        // A dense matrix keeps its size; a sparse one takes every place it can index.
        const Int64 maxCol = FIsSparse ? kMaxIndex : FNCol;
        const Int64 maxRow = FIsSparse ? kMaxIndex : FNRow;
        if (col < 1 || col > maxCol || row < 1 || row > maxRow) continue;
        SetVal(static_cast<Integer>(col), static_cast<Integer>(row), box[k]);
      }
    }
  }
  Changed();
}

void TIntMatrix::CopyToArray(TInt2DArray& DestArray, Integer LowCol, Integer HighCol,
                             Integer LowRow, Integer HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  // A sparse matrix, or one without columns or rows, has an empty box.
  const bool empty = FIsSparse || Mat.empty() || FNCol < 1 || FNRow < 1;
  const Integer cols = empty ? 0 : HighCol - LowCol + 1;
  const Integer rows = empty ? 0 : HighRow - LowRow + 1;
  try {
    DestArray.assign(static_cast<std::size_t>(cols), TIntArray(static_cast<std::size_t>(rows), 0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  for (Integer i = 0; i < cols; ++i) {
    for (Integer j = 0; j < rows; ++j) {
      DestArray[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
          Mat[Index(LowCol + i, LowRow + j)];
    }
  }
}

void TIntMatrix::CopyFromArray(const TInt2DArray& SrcArray, Integer Col, Integer Row) {
  if (SrcArray.empty()) return;
  const detail::TUseGuard use(this);
  // The first inner array fixes the count; a shorter later one is read only as far as it goes.
  const std::size_t inner = SrcArray.front().size();
  for (std::size_t i = 0; i < SrcArray.size(); ++i) {
    const Int64 col = Int64{Col} + static_cast<Int64>(i);
    if (col > (FIsSparse ? kMaxIndex : Int64{FNCol})) break;
    if (col < 1) continue;
    const std::size_t n = std::min(inner, SrcArray[i].size());
    for (std::size_t j = 0; j < n; ++j) {
      const Int64 row = Int64{Row} + static_cast<Int64>(j);
      if (row > (FIsSparse ? kMaxIndex : Int64{FNRow})) break;
      if (row < 1) continue;
      SetVal(static_cast<Integer>(col), static_cast<Integer>(row), SrcArray[i][j]);
    }
  }
}

}  // namespace nuv
