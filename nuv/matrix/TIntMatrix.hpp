#pragma once
// TIntMatrix: a component holding a matrix of 32-bit signed integers, stored densely or as a
// sorted list of (column, row, value) entries. Indices are 1-based, column first.

#include <cstddef>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

/// One entry of a sparse integer matrix.
struct TSpMatElemInt {
  Integer colidx = 0;
  Integer rowidx = 0;
  Integer value = 0;
};

namespace detail {
struct TIntMatrixAccess;
}  // namespace detail

class TIntMatrix : public TComponent {
 public:
  /// Dense, one column of one row holding 0. Raises ENUVMatrixError
  /// `Component "<Name>": not enough memory on heap` when the cell cannot be allocated.
  explicit TIntMatrix(TComponent* AOwner);
  /// Sparse, no entries, 0 columns and 0 rows; the list grows in steps of max(1, AllocBy).
  TIntMatrix(TComponent* AOwner, Integer AllocBy);
  /// The sparse constructor as a function: the new matrix belongs to AOwner (or, without an
  /// owner, to the caller, who deletes it).
  static TIntMatrix* CreateSparse(TComponent* AOwner, Integer AllocBy);

  // ---- sizes, identifier, events ----
  Integer NrOfColumns() const noexcept { return FNCol; }
  Integer NrOfRows() const noexcept { return FNRow; }
  /// Writer of NrOfColumns: Resize(max(0, Nc), NrOfRows).
  void SetNCols(Integer Nc);
  /// Writer of NrOfRows: Resize(NrOfColumns, max(0, Nr)).
  void SetNRows(Integer Nr);
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  const TSortExchgEvent& OnSortExchange() const noexcept { return FOnSortExchange; }
  void SetOnSortExchange(TSortExchgEvent Handler) { FOnSortExchange = std::move(Handler); }
  /// Declared for completeness: no operation of the matrix reports progress.
  const TOnPercentDoneEvent& OnPercentDone() const noexcept { return FOnPercentDone; }
  void SetOnPercentDone(TOnPercentDoneEvent Handler) { FOnPercentDone = std::move(Handler); }

  /// Fires OnChange with this matrix as sender when a handler is assigned.
  void Changed();
  /// Fires OnSortExchange (this, Kind, Ix1, Ix2, Lo, Hi) when assigned; Kind 1 columns, 2 rows.
  void SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi);
  /// Fires OnPercentDone (this, Percent) when assigned; Sender is not passed on.
  void PercDone(TObject* Sender, Integer Percent);

  /// Ordered-range rule on the columns: (0, 0) is 1..NrOfColumns, bounds <= 0 become 1,
  /// bounds above NrOfColumns become NrOfColumns, a reversed pair is exchanged.
  void MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept;
  /// The same rule on the rows.
  void MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept;

  // ---- element access ----
  /// Cell (Nc, Nr). Dense: 0 outside the size. Sparse: the stored value, 0 where nothing is
  /// stored.
  Integer GetVal(Integer Nc, Integer Nr) const noexcept;
  /// Same as GetVal (the indexed cell reader).
  Integer Elem(Integer Nc, Integer Nr) const noexcept { return GetVal(Nc, Nr); }
  /// Dense: stores Value inside the size and fires OnChange; ignored outside (no event).
  /// Sparse: any Nc, Nr >= 1 is stored (0 too, as an entry); a new entry widens the bounding
  /// box and sets the sizes to its highest column and row. Fires OnChange. Growing the list
  /// beyond memory raises ENUVMatrixError "not enough memory on heap" (component message).
  void SetVal(Integer Nc, Integer Nr, Integer Value);

  // ---- sizes ----
  /// Same size: false, nothing happens. Negative sizes count as 0. Dense: keeps the
  /// overlapping cells (new cells 0), fires OnChange, true; a store that cannot be allocated
  /// raises ENUVMatrixError "not enough memory on heap" and changes nothing. Sparse: sets the
  /// sizes, shrinks the bounding box and removes the entries outside; false, no event.
  bool Resize(Integer Nc, Integer Nr);
  /// Resize, then Fill(0) only when Resize returned true.
  bool ResizeAndClear(Integer Nc, Integer Nr);

  // ---- storage modes ----
  /// Dense to sparse: every non-zero cell becomes an entry; the sizes stay; no event. The new
  /// list is built before anything changes, so a failure ("not enough memory on heap") leaves
  /// the matrix as it was. Nothing when already sparse.
  void ArrayToSparse(Integer AllocBy);
  /// Sparse to dense: the sizes become the bounding box's highest column and row and every
  /// entry is written to its cell; no event. Failure as ArrayToSparse. Nothing when dense.
  void SparseToArray();

  // ---- fills, transposition, copies ----
  /// Dense: every cell := value (nothing without a store). Sparse: 0 empties the list, any
  /// other value overwrites the stored entries only. Fires OnChange.
  void Fill(Integer value);
  /// Dense only: cells (i, i) := value, then OnChange; nothing on a sparse matrix.
  void FillDiag(Integer value);
  /// Exchanges columns and rows (sizes too) and fires OnChange; true. Sparse entries are put
  /// back in (column, row) order by comb sort. Raises "not enough memory on heap" when the
  /// dense copy cannot be allocated.
  bool Transpose();
  /// Copies MatSource when both are in the same mode (nothing otherwise, or for null). Sparse:
  /// entries, bounding box, sizes and growth settings, then OnChange. Dense: Resize to the
  /// source's size, every cell through SetVal (one OnChange each), then OnChange once more.
  void Clone(TIntMatrix* MatSource);

  /// Data checksum over the dense cells, columns outer, rows inner: 32 upper-case hex digits.
  /// A sparse matrix has no dense cells: the checksum of no data.
  std::string CRCofData() const;

  // ---- sorting ----
  /// Sorts rows LowRow..HighRow (dense only) by column SortColIx with the library's comb sort,
  /// moving the cells of columns LowCol..HighCol along (and the key cell). Every exchange fires
  /// OnSortExchange (2, i, j, LowCol, HighCol); OnChange fires once at the end. Ranges follow
  /// the ordered-range rule; nothing happens for fewer than two rows. A key column outside
  /// the matrix reads 0, so nothing is exchanged.
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);

 private:
  friend struct detail::TIntMatrixAccess;

  std::size_t Index(Integer Nc, Integer Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * static_cast<std::size_t>(FAllocRows) +
           static_cast<std::size_t>(Nr - 1);
  }
  [[noreturn]] void Raise(const char* Text) const;
  /// Zeroed store of Cols by Rows cells (0 allowed) holding the overlapping cells of the
  /// current dense store.
  std::vector<Integer> NewStore(Integer Cols, Integer Rows) const;
  /// Position (0-based) of the first entry at or after (Nc, Nr); FSparseNumElem when none is.
  std::size_t LowerBound(Integer Nc, Integer Nr) const noexcept;
  void SetEmptyBox() noexcept;

  Integer FNCol = 1;
  Integer FNRow = 1;
  std::string FDataID;
  bool FIsSparse = false;
  // Growth bookkeeping of the entry list, as the list would be allocated; SpMat itself holds
  // only the entries in use, so a large AllocBy commits no memory.
  Integer FNumAllocated = 0;
  Integer FAllocBy = 1;
  Integer FSparseNumElem = 0;
  Integer FSparseLowCol = 2147483647;
  Integer FSparseHighCol = 1;
  Integer FSparseLowRow = 2147483647;
  Integer FSparseHighRow = 1;
  std::vector<TSpMatElemInt> SpMat;  // entry k (1-based) at index k - 1
  // Dense cells, column-major: column c, row r at (c - 1)·FAllocRows + r - 1. The store holds
  // FAllocCols by FAllocRows cells (max(1, size) after a Resize, the box highs after
  // SparseToArray, none in sparse mode).
  std::vector<Integer> Mat;
  Integer FAllocCols = 1;
  Integer FAllocRows = 1;
  TNotifyEvent FOnChange;
  TOnPercentDoneEvent FOnPercentDone;
  TSortExchgEvent FOnSortExchange;
};

namespace detail {

/// Read access to the private bookkeeping of TIntMatrix for tests and the library's own code.
struct TIntMatrixAccess {
  static bool IsSparse(const TIntMatrix& M) noexcept { return M.FIsSparse; }
  static Integer NumAllocated(const TIntMatrix& M) noexcept { return M.FNumAllocated; }
  static Integer AllocBy(const TIntMatrix& M) noexcept { return M.FAllocBy; }
  static Integer SparseNumElem(const TIntMatrix& M) noexcept { return M.FSparseNumElem; }
  static const std::vector<TSpMatElemInt>& Entries(const TIntMatrix& M) noexcept { return M.SpMat; }
  /// Bounding box as (low col, high col, low row, high row).
  static void Box(const TIntMatrix& M, Integer& LowCol, Integer& HighCol, Integer& LowRow,
                  Integer& HighRow) noexcept {
    LowCol = M.FSparseLowCol;
    HighCol = M.FSparseHighCol;
    LowRow = M.FSparseLowRow;
    HighRow = M.FSparseHighRow;
  }
};

}  // namespace detail
}  // namespace nuv
