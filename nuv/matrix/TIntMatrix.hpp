#pragma once
// TIntMatrix: a component holding a matrix of 32-bit signed integers, stored densely or as a
// sorted list of (column, row, value) entries. Indices are 1-based, column first. User code
// that a call of this library runs (OnChange, OnSortExchange, events of a source or destination)
// may change values but not sizes or the storage mode; freeing the matrix from such code while
// the call uses it is undefined.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/container.hpp"
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

class TIntMatrix : public detail::TMatrixContainer {
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
  /// While a call of this library uses the matrix (its handlers are running), Resize returns
  /// false and changes nothing; so do ResizeAndClear, the size writers, ArrayToSparse,
  /// SparseToArray, Transpose and a sparse Clone. Sparse SetVal still inserts entries: the
  /// routines never walk the list by position across user code.
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
  /// dense copy cannot be allocated. False, nothing changed, while a call uses the matrix.
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
  /// the ordered-range rule; nothing happens for fewer than two rows or a key column outside
  /// the matrix (no event either).
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);

  // ---- operations ----
  // Integer sums and products wrap around in 32 bits; statistics that return doubles convert
  // each cell first. Boxes follow MakeValidColRange and MakeValidRowRange, columns outer, rows
  // inner; a matrix without columns or rows has an empty box. Operations not marked as working
  // on both stores need dense mode (SparseToArray): on a sparse matrix they give their empty
  // result (0, false, an empty array or nothing) and fire no event.

  /// Number of cells x with RangeLow <= x <= RangeHigh (note the argument order).
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer RangeLow, Integer RangeHigh) const;
  /// Number of cells x with (x AND Bitmask) = 0.
  Integer CountMaskedZeros(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                           std::uint32_t Bitmask) const;
  /// ResultArray := NrOfColumns by NrOfRows flags (outer index column), true where the cell
  /// > Threshold; returns the number of true flags. Sparse: an empty array and 0.
  Integer Dichotomize(Integer Threshold, TBool2DArray& ResultArray) const;
  /// Means := the column means (dimColumns) or the row means (dimRows) as doubles; an empty
  /// column or row has mean 0. Null Means, or a sparse matrix, does nothing.
  void MeanVec(TDims Dim, TVector* Means) const;
  /// The first cell (in visiting order) nearest to Value; 0 and 0 for an empty box.
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer Value,
            Integer& ColIx, Integer& RowIx) const;
  /// Bisection for Value in column Col, sorted ascending or descending; the row of an equal
  /// cell met on the way, else the nearer of the two last rows (a tie gives the upper one).
  /// 0 for a matrix without rows.
  Integer FindInSortedColumn(Integer Col, bool ColIsAscending, Integer Value) const;
  /// Both stores. Sum of the box; sparse: of the stored entries inside the box.
  Integer Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const;
  /// Both stores. Sum of the diagonal of a square matrix, 0 otherwise; sparse: the entries on
  /// the diagonal when the bounding box's highest column and row are equal, 0 otherwise.
  Integer Trace() const;
  /// Both stores. Smallest and largest cell (sparse: stored entry inside the box); a box
  /// without such a cell gives 2147483647 and -2147483647.
  void MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, Integer& Minimum,
              Integer& Maximum) const;
  /// Both stores (sparse cells through GetVal). Mean and variance (n - 1) by the corrected
  /// two-pass sum of squared deviations; Variance 1 for fewer than three cells, never
  /// negative. Both 0 for an empty box.
  void MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Mean,
               double& Variance) const;
  /// Geometric mean; 0 when a cell is 0 or the box is empty. A negative cell raises
  /// ENUVMatrixError `Component "<Name>": negative argument passed to GeometricMean`.
  double GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Harmonic mean; 0 when the box is empty. A cell <= 0 raises ENUVMatrixError
  /// `Component "<Name>": negative or zero argument passed to HarmonicMean`.
  double HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Both stores. Population skewness and excess kurtosis about the mean, scaled by the sample
  /// deviation; both 0 for fewer than two cells.
  void SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Skewness,
                double& Kurtosis) const;
  /// Both stores. SkewKurt with the small-sample corrections; both 0 for fewer than four cells.
  void SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles at positions (n + 1)·p of the sorted box, interpolated in doubles; false (all
  /// 0) for an empty box. Raises "not enough memory on heap" when the copy cannot be allocated.
  bool Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Q1,
                 double& Q2, double& Q3) const;
  /// Value of 0-based rank Round(prob·n / 100) of the sorted box (prob clamped into 0..100; a
  /// rank of n gives the largest value); 0 when empty, NaN for a NaN prob. A box above
  /// 2147483647 cells, or a copy that cannot be allocated, raises "not enough memory on heap".
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow) const;
  /// With 0 < SampleSize < n: the value of rank Round(prob·SampleSize / 100) (at most
  /// SampleSize - 1) of SampleSize cells drawn with replacement after Randomize; otherwise the
  /// plain Percentile.
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                    Integer SampleSize) const;
  /// DestVec := min, max, sum or mean of each column (Orient non-zero) or row (Orient zero),
  /// cells as doubles; the mean divides by the number of cells summed (0 for none).
  void EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const;

  /// Self += MatB, then OnChange; true. False, nothing changed, when Self is sparse or MatB is
  /// null. MatB dense: sizes must be equal. MatB sparse: every stored entry is added at its
  /// place, which needs NrOfColumns and NrOfRows at least MatB's bounding box highs.
  bool Add(TIntMatrix* MatB);
  /// Self -= MatB (both dense, equal sizes), then OnChange; false otherwise.
  bool Subtract(TIntMatrix* MatB);
  /// Every cell multiplied by Scalar, then OnChange.
  void SMult(Integer Scalar);
  /// Every cell increased by Scalar, then OnChange.
  void SAdd(Integer Scalar);
  /// MatRes := Self·MatB (MatB's columns by NrOfRows); needs NrOfColumns = MatB's rows. False,
  /// nothing written, when a matrix is missing or sparse or the sizes do not fit. MatRes is
  /// written directly, or through SetVal when it has an OnChange handler; then Self's
  /// OnChange fires. MatRes may be Self or MatB.
  bool Multiply(TIntMatrix* MatB, TIntMatrix* MatRes);
  /// MatRes := Self·MatBᵀ (MatB's rows by NrOfRows); needs NrOfColumns = MatB's columns.
  bool MultiplyTransposed(TIntMatrix* MatB, TIntMatrix* MatRes);
  /// MatRes := Selfᵀ·MatB (MatB's columns by NrOfColumns); needs NrOfRows = MatB's rows.
  bool TransposeAndMultiply(TIntMatrix* MatB, TIntMatrix* MatRes);
  /// MatRes := cell-wise product of Self and MatB, which must have Self's size.
  bool EMult(TIntMatrix* MatB, TIntMatrix* MatRes);
  /// VecRes[j] := Σᵢ cell(i, j)·VecB[i] (NrOfRows elements, resized by SetIntVecSize); needs
  /// NrOfColumns = VecB's NrOfElem. Then Self's OnChange.
  bool Multiply(TIntVector* VecB, TIntVector* VecRes);
  /// VecRes[i] := Σⱼ cell(i, j)·VecB[j] (NrOfColumns elements); needs NrOfRows = VecB's
  /// NrOfElem.
  bool TransposeAndMultiply(TIntVector* VecB, TIntVector* VecRes);

  /// SortRows for columns LowCol..HighCol keyed by row SortRowIx, moving rows LowRow..HighRow
  /// (and the key cell); exchanges fire OnSortExchange (1, i, j, LowRow, HighRow). A key row
  /// outside the matrix: nothing, no event.
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  /// Reverses the order of the columns, then fires OnChange.
  void MirrorColumns();
  /// Reverses the order of the rows, then fires OnChange.
  void MirrorRows();
  /// Exchanges columns c1 and c2, then fires OnChange; an index outside does nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  /// Exchanges rows r1 and r2, then fires OnChange; an index outside does nothing.
  void ExchangeRows(Integer r1, Integer r2);

  /// Both stores. Fills DestVec with 0 (size kept), then element k := cell (FirstCol + k - 1,
  /// Row) through GetVal for the columns of MakeValidColRange cut to DestVec's length; Row is
  /// clamped into the rows (<= 0 is 1). A null vector does nothing.
  void CopyRowToVec(TIntVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const;
  /// Both stores. CopyRowToVec down column Col over rows FirstRow..LastRow.
  void CopyColToVec(TIntVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const;
  /// Both stores. Source bounds clamped into 1..size and put in order; source cell (i, j) goes
  /// through SetVal to (i + DestCol - SourceColLo, j + DestRow - SourceRowLo). A dense Self
  /// drops targets outside its size; a sparse Self stores every target with positive indices
  /// as an entry (zeros too) and grows. Then OnChange; null does nothing. The source may be
  /// Self (overlapping blocks copy the values from before the copy).
  void CopyFrom(TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  /// DestArray := the box as HighCol - LowCol + 1 arrays of HighRow - LowRow + 1 cells,
  /// DestArray[i - LowCol][j - LowRow] = cell (i, j). Sparse: an empty array. Raises
  /// "not enough memory on heap" when the array cannot be allocated.
  void CopyToArray(TInt2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                   Integer HighRow) const;
  /// Both stores. SrcArray[i][j] goes to cell (Col + i, Row + j) through SetVal: a dense Self
  /// drops cells outside, a sparse Self grows. Every inner array supplies at most as many
  /// cells as the first one.
  void CopyFromArray(const TInt2DArray& SrcArray, Integer Col, Integer Row);

 private:
  friend struct detail::TIntMatrixAccess;

  std::size_t Index(Integer Nc, Integer Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * static_cast<std::size_t>(FAllocRows) +
           static_cast<std::size_t>(Nr - 1);
  }
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
