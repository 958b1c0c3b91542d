#include "nuv/matrix/TMatrix.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>

#include "nuv/base/crc.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/math1_random.hpp"

namespace nuv {
TMatrix::TMatrix(TComponent* AOwner) : TMatrixContainer(AOwner) {
  FData = ZeroStore<double>({1});
}

std::vector<double> TMatrix::NewStore(Integer Cols, Integer Rows) const {
  std::vector<double> store = ZeroStore<double>({Cols, Rows});
  // Cells inside both the old and the new store keep their values, hidden ones included.
  const Integer keepCols = std::min(Cols, FAllocCols);
  const auto keepRows = static_cast<std::size_t>(std::min(Rows, FAllocRows));
  for (Integer c = 0; keepRows > 0 && c < keepCols; ++c) {
    std::memcpy(store.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(Rows),
                FData.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(FAllocRows),
                keepRows * sizeof(double));
  }
  return store;
}

bool TMatrix::Resize(Integer Nc, Integer Nr) {
  const bool may = MayResize();  // spent even by a resize that changes nothing
  Nc = std::max<Integer>(Nc, 0);
  Nr = std::max<Integer>(Nr, 0);
  if (Nc == FNCol && Nr == FNRow) return true;
  if (!may) return false;
  const Integer cols = std::max<Integer>(Nc, 1);
  const Integer rows = std::max<Integer>(Nr, 1);
  std::vector<double> store = NewStore(cols, rows);
  FData.swap(store);
  FAllocCols = cols;
  FAllocRows = rows;
  FNCol = Nc;
  FNRow = Nr;
  Changed();
  return true;
}

bool TMatrix::ResizeAndClear(Integer Nc, Integer Nr) {
  const bool ok = Resize(Nc, Nr);
  if (ok) Fill(0.0);
  return ok;
}

void TMatrix::SetNCols(Integer Nc) {
  Resize(std::max<Integer>(0, Nc), FNRow);
}

void TMatrix::SetNRows(Integer Nr) {
  Resize(FNCol, std::max<Integer>(0, Nr));
}

void TMatrix::SetVal(Integer Nc, Integer Nr, double Value) {
  if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
  FData[Index(Nc, Nr)] = Value;
  Changed();
}

void TMatrix::SetFPrecis(Integer ix, Integer value) noexcept {
  FPrecis[ix > 1 ? 1 : 0] = std::clamp<Integer>(value, -1, 25);
}

void TMatrix::MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept {
  detail::MakeValidRange(LowCol, HighCol, FNCol);
}

void TMatrix::MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept {
  detail::MakeValidRange(LowRow, HighRow, FNRow);
}

void TMatrix::Changed() {
  if (FOnChange) FOnChange(this);
}

void TMatrix::SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi) {
  if (FOnSortExchange) FOnSortExchange(this, Kind, Ix1, Ix2, Lo, Hi);
}

void TMatrix::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TMatrix*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  // Replaces the store: refused, like a resize, while a call uses this matrix.
  if (!MayResize()) return;
  // The source's visible cells only; a source without columns leaves no store at all.
  std::vector<double> store;
  if (src->FNCol > 0 && src->FNRow > 0) {
    try {
      store.assign(
          src->FData.begin(),
          src->FData.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(src->FNCol) *
                                                           static_cast<std::size_t>(src->FNRow)));
    } catch (const std::bad_alloc&) {
      Raise("not enough memory on heap");
    }
  }
  TNotifyEvent onChange = src->FOnChange;
  TSortExchgEvent onSort = src->FOnSortExchange;
  TOnCalcDistanceEvent onDist = src->FOnCalcDist;
  std::string id = src->FDataID;
  FData.swap(store);
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FAllocCols = src->FNCol;
  FAllocRows = src->FNRow;
  FDataID.swap(id);
  FPrecis = src->FPrecis;
  FOnChange = std::move(onChange);
  FOnSortExchange = std::move(onSort);
  FOnCalcDist = std::move(onDist);
}

void TMatrix::AssignTo(TPersistent* Dest) {
  if (auto* dst = dynamic_cast<TMatrix*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TMatrix::Clone(TMatrix* MatSource) {
  if (MatSource == nullptr) return;
  // The handlers fired by the resize and the cell writes may not resize either matrix.
  detail::TUseGuard use(this, MatSource);
  use.AllowResize(this);
  Resize(MatSource->FNCol, MatSource->FNRow);
  // A refused resize (a call started from a handler) leaves the sizes apart: the common cells.
  const bool sameSize = FNCol == MatSource->FNCol && FNRow == MatSource->FNRow;
  if (FOnChange || !sameSize) {
    for (Integer c = 1; c <= FNCol; ++c) {
      for (Integer r = 1; r <= FNRow; ++r) SetVal(c, r, MatSource->GetVal(c, r));
    }
  } else if (MatSource != this && FNCol > 0 && FNRow > 0) {
    std::copy_n(MatSource->FData.data(),
                static_cast<std::size_t>(FNCol) * static_cast<std::size_t>(FNRow), FData.data());
  }
  Changed();
}

void TMatrix::StoreCells(const double* Cells) {
  if (FNCol <= 0 || FNRow <= 0) return;
  const std::size_t rows = static_cast<std::size_t>(FNRow);
  if (!FOnChange) {
    std::copy_n(Cells, static_cast<std::size_t>(FNCol) * rows, FData.data());
    return;
  }
  for (Integer c = 1; c <= FNCol; ++c) {
    for (Integer r = 1; r <= FNRow; ++r) {
      SetVal(c, r, Cells[static_cast<std::size_t>(c - 1) * rows + static_cast<std::size_t>(r - 1)]);
    }
  }
}

void TMatrix::Fill(double value) {
  if (FAllocCols == 0) return;
  for (Integer c = 1; c <= FNCol; ++c) {
    for (Integer r = 1; r <= FNRow; ++r) FData[Index(c, r)] = value;
  }
  Changed();
}

void TMatrix::FillDiag(double value) {
  const Integer n = std::min(FNCol, FNRow);
  for (Integer i = 1; i <= n; ++i) FData[Index(i, i)] = value;
  Changed();
}

void TMatrix::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (Integer c = 1; c <= FNCol; ++c) {
    for (Integer r = 1; r <= FNRow; ++r) {
      FData[Index(c, r)] = RangeLow + (RangeHigh - RangeLow) * Random();
    }
  }
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) {
  for (Integer c = 1; c <= FNCol; ++c) {
    for (Integer r = 1; r <= FNRow; ++r) FData[Index(c, r)] = Mean + StdDev * GRandom();
  }
  Changed();
}

std::string TMatrix::CRCofData() const {
  std::size_t cells = 0;
  if (FNCol > 0 && FNRow > 0) {
    cells = static_cast<std::size_t>(FNCol) * static_cast<std::size_t>(FNRow);
  }
  return detail::LaneChecksum<double>(std::span<const double>(FData.data(), cells));
}

}  // namespace nuv
