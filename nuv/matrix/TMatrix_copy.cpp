// TMatrix: copies between matrices, integer matrices, 3D arrays, vectors and dynamic arrays.
#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
namespace {

// Source bounds of the block copies: each clamped into 1..N, then put in order.
void ClampPair(Integer& Lo, Integer& Hi, Integer N) noexcept {
  Lo = std::clamp<Integer>(Lo, 1, N);
  Hi = std::clamp<Integer>(Hi, 1, N);
  if (Hi < Lo) std::swap(Lo, Hi);
}

// Writes cell (i, j) of the source box, read by Read(i, j), to (i + DestCol - ColLo,
// j + DestRow - RowLo) of Dest. Targets are formed in 64 bits, so that far offsets cannot
// overflow, and targets outside Dest are skipped.
template <class ReadFn>
void CopyBox(TMatrix& Dest, ReadFn&& Read, Integer SrcCols, Integer SrcRows, Integer ColLo,
             Integer RowLo, Integer ColHi, Integer RowHi, Integer DestCol, Integer DestRow) {
  if (SrcCols < 1 || SrcRows < 1) return;
  ClampPair(RowLo, RowHi, SrcRows);
  ClampPair(ColLo, ColHi, SrcCols);
  for (Integer i = ColLo; i <= ColHi; ++i) {
    const Int64 col = Int64{i} + DestCol - ColLo;
    if (col < 1 || col > Dest.NrOfColumns()) continue;
    for (Integer j = RowLo; j <= RowHi; ++j) {
      const Int64 row = Int64{j} + DestRow - RowLo;
      if (row < 1 || row > Dest.NrOfRows()) continue;
      Dest.SetVal(static_cast<Integer>(col), static_cast<Integer>(row), Read(i, j));
    }
  }
}

}  // namespace

void TMatrix::CopyFrom(TMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  // Each SetVal fires this matrix's handler: it may change cells but not either size.
  detail::TUseGuard use(this, MatSource);
  if (MatSource != this) {
    CopyBox(
        *this, [MatSource](Integer c, Integer r) { return MatSource->GetVal(c, r); },
        MatSource->FNCol, MatSource->FNRow, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi,
        DestCol, DestRow);
  } else if (FNCol > 0 && FNRow > 0) {
    // Overlapping blocks of the same matrix copy the cells as they were before the copy.
    std::vector<double> snapshot;
    try {
      snapshot.assign(FData.begin(),
                      FData.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(FNCol) *
                                                                  static_cast<std::size_t>(FNRow)));
    } catch (const std::bad_alloc&) {
      Raise("not enough memory on heap");
    }
    const Integer rows = FNRow;
    CopyBox(
        *this,
        [&snapshot, rows](Integer c, Integer r) {
          return snapshot[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(rows) +
                          static_cast<std::size_t>(r - 1)];
        },
        FNCol, FNRow, SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, DestCol, DestRow);
  }
  Changed();
}

void TMatrix::CopyFrom(TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  detail::TUseGuard use(this, MatSource);
  CopyBox(
      *this,
      [MatSource](Integer c, Integer r) { return static_cast<double>(MatSource->GetVal(c, r)); },
      MatSource->NrOfColumns(), MatSource->NrOfRows(), SourceColLo, SourceRowLo, SourceColHi,
      SourceRowHi, DestCol, DestRow);
  Changed();
}

void TMatrix::CopyFrom(TMat3D* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer SourceLayer,
                       Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  detail::TUseGuard use(this, MatSource);
  const Integer layers = MatSource->NrOfLayers();
  if (layers > 0) {
    const Integer layer = std::clamp<Integer>(SourceLayer, 1, layers);
    CopyBox(
        *this, [MatSource, layer](Integer c, Integer r) { return MatSource->GetVal(c, r, layer); },
        MatSource->NrOfColumns(), MatSource->NrOfRows(), SourceColLo, SourceRowLo, SourceColHi,
        SourceRowHi, DestCol, DestRow);
  }
  Changed();
}

void TMatrix::CopyFromVec(TDims Dim, TVector* VecSource, Integer Source1stElem,
                          Integer SourceLastElem, Integer DestCol, Integer DestRow) {
  if (VecSource == nullptr) return;
  detail::TUseGuard use(this, VecSource);
  VecSource->MakeValidElemRange(Source1stElem, SourceLastElem);
  for (Integer e = Source1stElem; e <= SourceLastElem; ++e) {
    const Int64 shift = Int64{e} - Source1stElem;
    Int64 col = DestCol;
    Int64 row = DestRow;
    if (Dim == dimColumns) {
      col += shift;
    } else {
      row += shift;
    }
    if (col < 1 || col > FNCol || row < 1 || row > FNRow) continue;
    SetVal(static_cast<Integer>(col), static_cast<Integer>(row), VecSource->GetVal(e));
  }
  Changed();
}

void TMatrix::CopyFromVec(TVector* VecSource, Integer Source1stElem, Integer SourceLastElem,
                          Integer DestCol, Integer DestRow) {
  CopyFromVec(dimRows, VecSource, Source1stElem, SourceLastElem, DestCol, DestRow);
}

void TMatrix::CopyRowToVec(TVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const {
  if (DestVec == nullptr) return;
  // DestVec's handler runs after the count is taken: it may not resize either container.
  detail::TUseGuard use(this, DestVec);
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp<Integer>(Row, 1, std::max<Integer>(FNRow, 1));
  Int64 count = (FNCol < 1 || FNRow < 1) ? 0 : Int64{LastCol} - FirstCol + 1;
  count = std::min<Int64>(count, DestVec->NrOfElem());
  DestVec->Fill(0.0);
  for (Integer k = 1; k <= count; ++k) DestVec->SetVal(k, GetVal(FirstCol + k - 1, Row));
}

void TMatrix::CopyColToVec(TVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const {
  if (DestVec == nullptr) return;
  detail::TUseGuard use(this, DestVec);
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp<Integer>(Col, 1, std::max<Integer>(FNCol, 1));
  Int64 count = (FNCol < 1 || FNRow < 1) ? 0 : Int64{LastRow} - FirstRow + 1;
  count = std::min<Int64>(count, DestVec->NrOfElem());
  DestVec->Fill(0.0);
  for (Integer k = 1; k <= count; ++k) DestVec->SetVal(k, GetVal(Col, FirstRow + k - 1));
}

void TMatrix::CopyToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol,
                          Integer LowRow, Integer HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  // A matrix without columns or rows has an empty box.
  const Integer cols = (FNCol < 1 || FNRow < 1) ? 0 : HighCol - LowCol + 1;
  const Integer rows = (FNCol < 1 || FNRow < 1) ? 0 : HighRow - LowRow + 1;
  try {
    DestArray.assign(static_cast<std::size_t>(cols),
                     TDoubleArray(static_cast<std::size_t>(rows), 0.0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  for (Integer i = 0; i < cols; ++i) {
    for (Integer j = 0; j < rows; ++j) {
      DestArray[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
          FData[Index(LowCol + i, LowRow + j)];
    }
  }
}

void TMatrix::CopyFromArray(const TDouble2DArray& SrcArray, Integer Col, Integer Row) {
  if (SrcArray.empty()) return;
  detail::TUseGuard use(this);
  // The first inner array fixes the count; a shorter later one is read only as far as it goes.
  const std::size_t inner = SrcArray.front().size();
  for (std::size_t i = 0; i < SrcArray.size(); ++i) {
    const Int64 col = Int64{Col} + static_cast<Int64>(i);
    if (col > FNCol) break;
    if (col < 1) continue;
    const std::size_t n = std::min(inner, SrcArray[i].size());
    for (std::size_t j = 0; j < n; ++j) {
      const Int64 row = Int64{Row} + static_cast<Int64>(j);
      if (row > FNRow) break;
      if (row < 1) continue;
      SetVal(static_cast<Integer>(col), static_cast<Integer>(row), SrcArray[i][j]);
    }
  }
}

}  // namespace nuv
