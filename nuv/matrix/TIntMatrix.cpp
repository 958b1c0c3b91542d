#include "nuv/matrix/TIntMatrix.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <utility>

#include "nuv/base/crc.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

constexpr Integer kMaxInt = std::numeric_limits<Integer>::max();

// True when entry a lies before (c, r) in (column, row) order.
bool Before(const TSpMatElemInt& a, Integer c, Integer r) noexcept {
  return a.colidx < c || (a.colidx == c && a.rowidx < r);
}

// Allocation bookkeeping after growing by AllocBy, or -1 beyond the 32-bit range.
Integer GrownAllocation(Integer NumAllocated, Integer AllocBy) noexcept {
  const std::int64_t grown = static_cast<std::int64_t>(NumAllocated) + AllocBy;
  return grown > kMaxInt ? -1 : static_cast<Integer>(grown);
}

}  // namespace

TIntMatrix::TIntMatrix(TComponent* AOwner) : TMatrixContainer(AOwner) {
  Mat = ZeroStore<Integer>({1});
}

TIntMatrix::TIntMatrix(TComponent* AOwner, Integer AllocBy) : TMatrixContainer(AOwner) {
  FIsSparse = true;
  FAllocBy = std::max<Integer>(1, AllocBy);
  FNumAllocated = FAllocBy;
  FNCol = 0;
  FNRow = 0;
  FAllocCols = 0;
  FAllocRows = 0;
  SetEmptyBox();
}

TIntMatrix* TIntMatrix::CreateSparse(TComponent* AOwner, Integer AllocBy) {
  return new TIntMatrix(AOwner, AllocBy);
}

void TIntMatrix::SetEmptyBox() noexcept {
  FSparseLowCol = kMaxInt;
  FSparseHighCol = 1;
  FSparseLowRow = kMaxInt;
  FSparseHighRow = 1;
}

void TIntMatrix::Changed() {
  if (FOnChange) FOnChange(this);
}

void TIntMatrix::SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi) {
  if (FOnSortExchange) FOnSortExchange(this, Kind, Ix1, Ix2, Lo, Hi);
}

void TIntMatrix::PercDone(TObject* /*Sender*/, Integer Percent) {
  if (FOnPercentDone) FOnPercentDone(this, Percent);
}

void TIntMatrix::MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept {
  detail::MakeValidRange(LowCol, HighCol, FNCol);
}

void TIntMatrix::MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept {
  detail::MakeValidRange(LowRow, HighRow, FNRow);
}

std::size_t TIntMatrix::LowerBound(Integer Nc, Integer Nr) const noexcept {
  // Never looks at entries past the count: a removed entry may still sit there.
  const auto first = SpMat.begin();
  const auto last = first + FSparseNumElem;
  const auto it =
      std::lower_bound(first, last, std::pair{Nc, Nr},
                       [](const TSpMatElemInt& e, const std::pair<Integer, Integer>& p) {
                         return Before(e, p.first, p.second);
                       });
  return static_cast<std::size_t>(it - first);
}

Integer TIntMatrix::GetVal(Integer Nc, Integer Nr) const noexcept {
  if (!FIsSparse) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow || Mat.empty()) return 0;
    return Mat[Index(Nc, Nr)];
  }
  if (Nc < FSparseLowCol || Nc > FSparseHighCol || Nr < FSparseLowRow || Nr > FSparseHighRow) {
    return 0;
  }
  const std::size_t k = LowerBound(Nc, Nr);
  if (k < static_cast<std::size_t>(FSparseNumElem) && SpMat[k].colidx == Nc &&
      SpMat[k].rowidx == Nr) {
    return SpMat[k].value;
  }
  return 0;
}

void TIntMatrix::SetVal(Integer Nc, Integer Nr, Integer Value) {
  if (!FIsSparse) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow || Mat.empty()) return;
    Mat[Index(Nc, Nr)] = Value;
    Changed();
    return;
  }
  if (Nc < 1 || Nr < 1) return;
  const std::size_t k = LowerBound(Nc, Nr);
  if (k < static_cast<std::size_t>(FSparseNumElem) && SpMat[k].colidx == Nc &&
      SpMat[k].rowidx == Nr) {
    SpMat[k].value = Value;
    Changed();
    return;
  }
  if (FSparseNumElem == kMaxInt) Raise("not enough memory on heap");
  Integer allocated = FNumAllocated;
  if (allocated < FSparseNumElem + 1) {
    allocated = GrownAllocation(allocated, FAllocBy);
    if (allocated < 0) Raise("not enough memory on heap");
  }
  try {
    SpMat.resize(static_cast<std::size_t>(FSparseNumElem));
    SpMat.insert(SpMat.begin() + static_cast<std::ptrdiff_t>(k), TSpMatElemInt{Nc, Nr, Value});
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  FNumAllocated = allocated;
  ++FSparseNumElem;
  FSparseLowCol = std::min(FSparseLowCol, Nc);
  FSparseHighCol = std::max(FSparseHighCol, Nc);
  FSparseLowRow = std::min(FSparseLowRow, Nr);
  FSparseHighRow = std::max(FSparseHighRow, Nr);
  FNCol = FSparseHighCol;
  FNRow = FSparseHighRow;
  Changed();
}

std::vector<Integer> TIntMatrix::NewStore(Integer Cols, Integer Rows) const {
  std::vector<Integer> store = ZeroStore<Integer>({Cols, Rows});
  if (Mat.empty()) return store;
  const Integer keepCols = std::min(Cols, FAllocCols);
  const auto keepRows = static_cast<std::size_t>(std::max<Integer>(0, std::min(Rows, FAllocRows)));
  for (Integer c = 0; c < keepCols; ++c) {
    std::copy_n(Mat.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c) *
                                                          static_cast<std::size_t>(FAllocRows)),
                keepRows,
                store.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c) *
                                                            static_cast<std::size_t>(Rows)));
  }
  return store;
}

bool TIntMatrix::Resize(Integer Nc, Integer Nr) {
  if (!MayResize()) return false;
  if (Nc == FNCol && Nr == FNRow) return false;
  Nc = std::max<Integer>(Nc, 0);
  Nr = std::max<Integer>(Nr, 0);
  if (!FIsSparse) {
    const Integer cols = std::max<Integer>(Nc, 1);
    const Integer rows = std::max<Integer>(Nr, 1);
    std::vector<Integer> store = NewStore(cols, rows);
    Mat.swap(store);
    FAllocCols = cols;
    FAllocRows = rows;
    FNCol = Nc;
    FNRow = Nr;
    Changed();
    return true;
  }
  FNCol = Nc;
  FNRow = Nr;
  FSparseHighCol = std::min(FSparseHighCol, Nc);
  FSparseHighRow = std::min(FSparseHighRow, Nr);
  FSparseLowCol = std::min(FSparseLowCol, FSparseHighCol);
  FSparseLowRow = std::min(FSparseLowRow, FSparseHighRow);
  const auto last = SpMat.begin() + FSparseNumElem;
  const auto kept = std::remove_if(SpMat.begin(), last, [Nc, Nr](const TSpMatElemInt& e) {
    return e.colidx > Nc || e.rowidx > Nr;
  });
  FSparseNumElem = static_cast<Integer>(kept - SpMat.begin());
  SpMat.resize(static_cast<std::size_t>(FSparseNumElem));
  return false;
}

bool TIntMatrix::ResizeAndClear(Integer Nc, Integer Nr) {
  const bool ok = Resize(Nc, Nr);
  if (ok) Fill(0);
  return ok;
}

void TIntMatrix::SetNCols(Integer Nc) {
  Resize(std::max<Integer>(0, Nc), FNRow);
}

void TIntMatrix::SetNRows(Integer Nr) {
  Resize(FNCol, std::max<Integer>(0, Nr));
}

void TIntMatrix::ArrayToSparse(Integer AllocBy) {
  if (FIsSparse || !MayResize()) return;
  const Integer allocBy = std::max<Integer>(1, AllocBy);
  Integer allocated = allocBy;
  std::vector<TSpMatElemInt> entries;
  Integer lowCol = kMaxInt, highCol = 1, lowRow = kMaxInt, highRow = 1;
  try {
    for (Integer c = 1; c <= FNCol && !Mat.empty(); ++c) {
      for (Integer r = 1; r <= FNRow; ++r) {
        // The list grows before each cell once it is full, as the bookkeeping requires.
        if (static_cast<Integer>(entries.size()) == allocated) {
          allocated = GrownAllocation(allocated, allocBy);
          if (allocated < 0) Raise("not enough memory on heap");
        }
        const Integer v = Mat[Index(c, r)];
        if (v == 0) continue;
        entries.push_back({c, r, v});
        lowCol = std::min(lowCol, c);
        highCol = std::max(highCol, c);
        lowRow = std::min(lowRow, r);
        highRow = std::max(highRow, r);
      }
    }
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  FIsSparse = true;
  FAllocBy = allocBy;
  FNumAllocated = allocated;
  SpMat.swap(entries);
  FSparseNumElem = static_cast<Integer>(SpMat.size());
  FSparseLowCol = lowCol;
  FSparseHighCol = highCol;
  FSparseLowRow = lowRow;
  FSparseHighRow = highRow;
  std::vector<Integer>().swap(Mat);
  FAllocCols = 0;
  FAllocRows = 0;
}

void TIntMatrix::SparseToArray() {
  if (!FIsSparse || !MayResize()) return;
  const Integer cols = FSparseHighCol;
  const Integer rows = FSparseHighRow;
  // Fresh store of exactly the box's highs: nothing dense is kept.
  std::vector<Integer> store = ZeroStore<Integer>({cols, rows});
  for (Integer k = 0; k < FSparseNumElem; ++k) {
    const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(k)];
    store[static_cast<std::size_t>(e.colidx - 1) * static_cast<std::size_t>(rows) +
          static_cast<std::size_t>(e.rowidx - 1)] = e.value;
  }
  FIsSparse = false;
  FNCol = cols;
  FNRow = rows;
  Mat.swap(store);
  FAllocCols = cols;
  FAllocRows = rows;
  std::vector<TSpMatElemInt>().swap(SpMat);
  FSparseNumElem = 0;
  FNumAllocated = 0;
  SetEmptyBox();
}

void TIntMatrix::Fill(Integer value) {
  if (!FIsSparse) {
    if (Mat.empty()) return;
    for (Integer c = 1; c <= FNCol; ++c) {
      for (Integer r = 1; r <= FNRow; ++r) Mat[Index(c, r)] = value;
    }
  } else if (value == 0) {
    std::vector<TSpMatElemInt>().swap(SpMat);
    FNumAllocated = FAllocBy;
    FSparseNumElem = 0;
    SetEmptyBox();
  } else {
    for (Integer k = 0; k < FSparseNumElem; ++k) SpMat[static_cast<std::size_t>(k)].value = value;
  }
  Changed();
}

void TIntMatrix::FillDiag(Integer value) {
  if (FIsSparse || Mat.empty()) return;
  const Integer n = std::min(FNCol, FNRow);
  for (Integer i = 1; i <= n; ++i) Mat[Index(i, i)] = value;
  Changed();
}

bool TIntMatrix::Transpose() {
  // Sizes and entry places change, so a running call that uses the matrix refuses it.
  if (!MayResize()) return false;
  if (FIsSparse) {
    for (Integer k = 0; k < FSparseNumElem; ++k) {
      TSpMatElemInt& e = SpMat[static_cast<std::size_t>(k)];
      std::swap(e.colidx, e.rowidx);
    }
    std::swap(FSparseLowCol, FSparseLowRow);
    std::swap(FSparseHighCol, FSparseHighRow);
    std::swap(FNCol, FNRow);
    if (FSparseNumElem > 1) {
      detail::CombSort(
          0, [this] { return static_cast<Int64>(FSparseNumElem) - 1; }, FSparseNumElem,
          [this](Int64 i, Int64 j) {
            const TSpMatElemInt& b = SpMat[static_cast<std::size_t>(j)];
            return Before(b, SpMat[static_cast<std::size_t>(i)].colidx,
                          SpMat[static_cast<std::size_t>(i)].rowidx);
          },
          [this](Int64 i, Int64 j) {
            std::swap(SpMat[static_cast<std::size_t>(i)], SpMat[static_cast<std::size_t>(j)]);
          },
          [] {});
    }
    Changed();
    return true;
  }
  const Integer cols = std::max<Integer>(FNRow, 1);
  const Integer rows = std::max<Integer>(FNCol, 1);
  std::vector<Integer> store = ZeroStore<Integer>({cols, rows});
  if (!Mat.empty()) {
    for (Integer c = 1; c <= FNCol; ++c) {
      for (Integer r = 1; r <= FNRow; ++r) {
        store[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(rows) +
              static_cast<std::size_t>(c - 1)] = Mat[Index(c, r)];
      }
    }
  }
  Mat.swap(store);
  FAllocCols = cols;
  FAllocRows = rows;
  std::swap(FNCol, FNRow);
  Changed();
  return true;
}

void TIntMatrix::Clone(TIntMatrix* MatSource) {
  if (MatSource == nullptr || MatSource->FIsSparse != FIsSparse) return;
  if (MatSource == this) {
    const detail::TUseGuard use(this);
    if (!FIsSparse) {
      for (Integer c = 1; c <= FNCol; ++c) {
        for (Integer r = 1; r <= FNRow; ++r) SetVal(c, r, GetVal(c, r));
      }
    }
    Changed();
    return;
  }
  if (FIsSparse) {
    // The list is replaced: refused like a resize while a call uses the matrix.
    if (!MayResize()) return;
    std::vector<TSpMatElemInt> entries;
    try {
      entries.assign(MatSource->SpMat.begin(),
                     MatSource->SpMat.begin() + MatSource->FSparseNumElem);
    } catch (const std::bad_alloc&) {
      Raise("not enough memory on heap");
    }
    SpMat.swap(entries);
    FNumAllocated = MatSource->FNumAllocated;
    FAllocBy = MatSource->FAllocBy;
    FSparseNumElem = MatSource->FSparseNumElem;
    FSparseLowCol = MatSource->FSparseLowCol;
    FSparseHighCol = MatSource->FSparseHighCol;
    FSparseLowRow = MatSource->FSparseLowRow;
    FSparseHighRow = MatSource->FSparseHighRow;
    FNCol = MatSource->FNCol;
    FNRow = MatSource->FNRow;
    Changed();
    return;
  }
  // The per-cell events may not resize either matrix under the copy; the own resize passes.
  const detail::TUseGuard use(this, MatSource);
  use.AllowResize(this);
  Resize(MatSource->FNCol, MatSource->FNRow);
  for (Integer c = 1; c <= FNCol; ++c) {
    for (Integer r = 1; r <= FNRow; ++r) SetVal(c, r, MatSource->GetVal(c, r));
  }
  Changed();
}

std::string TIntMatrix::CRCofData() const {
  if (FIsSparse || Mat.empty() || FNCol < 1 || FNRow < 1) {
    return detail::LaneChecksum<Integer>(std::span<const Integer>());
  }
  // With both sizes positive the visible cells are the store's contiguous prefix.
  return detail::LaneChecksum<Integer>(std::span<const Integer>(
      Mat.data(), static_cast<std::size_t>(FNCol) * static_cast<std::size_t>(FNRow)));
}

void TIntMatrix::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow) {
  // A key column outside the matrix gives no order: nothing is sorted and nothing fires.
  if (FIsSparse || Mat.empty() || FNCol < 1 || FNRow < 1 || SortColIx < 1 || SortColIx > FNCol) {
    return;
  }
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighRow - LowRow <= 0) return;
  const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
  // An exchange handler may write cells but not resize the matrix or switch its store.
  const detail::TUseGuard use(this);
  auto key = [this, SortColIx](Int64 r) { return Mat[Index(SortColIx, static_cast<Integer>(r))]; };
  auto swapCell = [this](Integer c, Integer r1, Integer r2) {
    std::swap(Mat[Index(c, r1)], Mat[Index(c, r2)]);
  };
  detail::CombSort(
      LowRow, [HighRow] { return static_cast<Int64>(HighRow); }, HighRow - LowRow,
      [&](Int64 i, Int64 j) { return Ascending ? key(i) > key(j) : key(j) > key(i); },
      [&](Int64 i, Int64 j) {
        const auto r1 = static_cast<Integer>(i);
        const auto r2 = static_cast<Integer>(j);
        for (Integer c = LowCol; c <= HighCol; ++c) swapCell(c, r1, r2);
        if (keyOutside) swapCell(SortColIx, r1, r2);
        SortExchange(2, r1, r2, LowCol, HighCol);
      },
      [] {});
  Changed();
}

}  // namespace nuv
