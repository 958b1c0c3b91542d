#pragma once
// TMatrix: a component holding a dense matrix of doubles, indices 1-based, column first.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/detail/container.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

class TVector;
class TIntVector;
class TMatrix;

namespace detail {
struct TMatrixAccess;
}  // namespace detail

/// User distance between two rows of a matrix; the handler stores the result in Distance.
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, Integer Row1, Integer Row2, double& Distance)>;

/// Matrix norms: largest column sum, largest row sum, Frobenius, largest singular value.
enum TNormType : std::uint8_t { ntColwise, ntRowwise, ntFrobenius, ntSpectral };

/// Edge operations of TMatrix::EdgeVector: smallest, largest, sum or mean of each column or row.
enum TEdgeOp : std::uint8_t { eopMin, eopMax, eopSum, eopMean };

class TIntMatrix;
class TMat3D;

/// Distance modes of TMatrix::DistanceOfObjects and CalcDistMat.
enum TDistMode : std::uint8_t { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };

inline namespace NUV_matrix {
/// Display name of each distance mode, indexed by TDistMode.
inline constexpr std::array<std::string_view, 6> DistModeId{
    "Jaccard coefficient", "Manhattan",        "Euclidean",
    "squared Euclidean",   "Dice coefficient", "user defined"};
}  // namespace NUV_matrix

/// A call of this library that runs user code (OnChange, OnSortExchange, OnCalcDistance,
/// MathFeedBackProc) holds the containers it uses; that code may change their values but not
/// their sizes. A call started from such code cannot resize what the outer call holds either:
/// a product, decomposition or histogram whose destination keeps the wrong size returns false.
/// Freeing a container from such code while the call uses it is undefined.
class TMatrix : public detail::TMatrixContainer {
 public:
  /// One column of one row holding 0; precisions 15 and -1. Raises ENUVMatrixError
  /// `Component "<Name>": not enough memory on heap` when the cell cannot be allocated.
  explicit TMatrix(TComponent* AOwner);

  // ---- sizes, identifier, events ----
  /// Number of columns, 0 or more.
  Integer NrOfColumns() const noexcept { return FNCol; }
  /// Number of rows, 0 or more.
  Integer NrOfRows() const noexcept { return FNRow; }
  /// Writer of NrOfColumns: Resize(max(0, Nc), NrOfRows).
  void SetNCols(Integer Nc);
  /// Writer of NrOfRows: Resize(NrOfColumns, max(0, Nr)).
  void SetNRows(Integer Nr);
  /// Free identifier of the data; the matrix itself does not use it.
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// Change event; each operation says when and how often it fires it.
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  /// Fired by SortExchange for each exchange of the sorts.
  const TSortExchgEvent& OnSortExchange() const noexcept { return FOnSortExchange; }
  void SetOnSortExchange(TSortExchgEvent Handler) { FOnSortExchange = std::move(Handler); }
  /// User distance between two rows, used by the distance operations.
  const TOnCalcDistanceEvent& OnCalcDistance() const noexcept { return FOnCalcDist; }
  void SetOnCalcDistance(TOnCalcDistanceEvent Handler) { FOnCalcDist = std::move(Handler); }

  /// Sets the size to Nc columns by Nr rows (negatives count as 0). Cells inside both the old
  /// and the new size keep their values, new cells are 0. The current size: true, no event;
  /// otherwise fires OnChange and returns true. A size that cannot be allocated raises
  /// ENUVMatrixError `Component "<Name>": not enough memory on heap`, nothing changed.
  /// While a call of this library uses the matrix (its handlers, progress hooks or user
  /// functions are running), Resize returns false and changes nothing; so does everything that
  /// resizes or replaces the store (SetNCols, Assign, Transpose, Diff, ...).
  bool Resize(Integer Nc, Integer Nr);
  /// Resize, then Fill(0) when it succeeded (fires OnChange even at the current size).
  bool ResizeAndClear(Integer Nc, Integer Nr);

  // ---- element access ----
  /// Cell of column Nc, row Nr; 0 outside 1..NrOfColumns, 1..NrOfRows.
  double GetVal(Integer Nc, Integer Nr) const noexcept {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return 0.0;
    return FData[Index(Nc, Nr)];
  }
  /// Same as GetVal (the indexed cell reader).
  double Elem(Integer Nc, Integer Nr) const noexcept { return GetVal(Nc, Nr); }
  /// Stores Value in column Nc, row Nr and fires OnChange; ignored outside the size (no event).
  void SetVal(Integer Nc, Integer Nr, double Value);

  /// First precision for ix <= 1, the second otherwise.
  Integer GetFPrecis(Integer ix) const noexcept { return FPrecis[ix > 1 ? 1 : 0]; }
  /// Same as GetFPrecis (the indexed Precision reader).
  Integer Precision(Integer ix) const noexcept { return GetFPrecis(ix); }
  /// Stores value clamped to -1..25 in the first precision (ix <= 1) or the second.
  void SetFPrecis(Integer ix, Integer value) noexcept;

  /// Ordered-range rule on the columns: (0, 0) is 1..NrOfColumns, bounds <= 0 become 1,
  /// bounds above NrOfColumns become NrOfColumns, a reversed pair is exchanged.
  void MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept;
  /// The same rule on the rows.
  void MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept;

  /// Fires OnChange with this matrix as sender when a handler is assigned.
  void Changed();
  /// Fires OnSortExchange (this, Kind, Ix1, Ix2, Lo, Hi) when assigned; Kind 1 columns, 2 rows.
  void SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi);

  // ---- copying ----
  /// Copies sizes, DataID, cells, precisions and the three handlers of a TMatrix; fires no
  /// event. Assigning a matrix to itself, or one that a running call uses, does nothing. Any
  /// other source raises EConvertError.
  void Assign(TPersistent* Source) override;
  /// Resizes to MatSource's size and copies its cells through SetVal (one OnChange per cell),
  /// then fires OnChange once more. DataID, precisions and handlers stay. Null does nothing.
  void Clone(TMatrix* MatSource);

  // ---- fills (each fires OnChange once) ----
  /// Every cell := value. Does nothing, and fires nothing, on a matrix assigned from one
  /// without columns.
  void Fill(double value);
  /// Cells (i, i) for i = 1..min(NrOfColumns, NrOfRows) := value; other cells unchanged.
  void FillDiag(double value);
  /// Every cell := RangeLow + (RangeHigh - RangeLow)·u, u uniform in [0, 1) from the
  /// process-wide generator, columns outer, rows inner.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every cell := Mean + StdDev·GRandom(), columns outer, rows inner.
  void FillRandomGauss(double Mean, double StdDev);

  /// Data checksum over the cells, columns outer, rows inner: 64 upper-case hex digits.
  std::string CRCofData() const;

  // ---- linear algebra ----
  /// MatRes := Self·MatB (MatB's columns by NrOfRows). False, nothing written, unless both are
  /// given and NrOfColumns = MatB's rows. Fires OnChange of MatRes per cell, then of Self.
  bool Multiply(TMatrix* MatB, TMatrix* MatRes);
  /// MatRes := Self·MatBᵀ (MatB's rows by NrOfRows); needs NrOfColumns = MatB's columns.
  bool MultiplyTransposed(TMatrix* MatB, TMatrix* MatRes);
  /// MatRes := Selfᵀ·MatB (MatB's columns by NrOfColumns); needs NrOfRows = MatB's rows.
  bool TransposeAndMultiply(TMatrix* MatB, TMatrix* MatRes);
  /// MatRes := cell-wise product of Self and MatB, which must have Self's size.
  bool EMult(TMatrix* MatB, TMatrix* MatRes);
  /// VecRes := Self·VecB (NrOfRows elements); needs NrOfColumns = VecB's NrOfElem.
  bool Multiply(TVector* VecB, TVector* VecRes);
  /// VecRes := Selfᵀ·VecB (NrOfColumns elements); needs NrOfRows = VecB's NrOfElem.
  bool TransposeAndMultiply(TVector* VecB, TVector* VecRes);

  /// Self += MatB cell by cell, then OnChange; false when MatB is null or of another size.
  bool Add(TMatrix* MatB);
  /// Self -= MatB cell by cell, then OnChange; false when MatB is null or of another size.
  bool Subtract(TMatrix* MatB);
  /// Every cell multiplied by Scalar, then OnChange.
  void SMult(double Scalar);
  /// Every cell increased by Scalar, then OnChange.
  void SAdd(double Scalar);
  /// Exchanges rows and columns and fires OnChange; true (false, nothing changed, while a call
  /// uses the matrix). Raises ENUVMatrixError
  /// "not enough memory on heap" (component message) when the copy cannot be allocated.
  bool Transpose();
  /// Sum of the diagonal of a square matrix; 0 for a non-square one.
  double Trace() const;
  /// The norm nt: largest absolute column sum, largest absolute row sum, Frobenius norm, or the
  /// largest singular value; 0 for any other value. The spectral norm raises ENUVMatrixError
  /// "near singular covariance matrix" (no prefix) when the decomposition fails or is aborted.
  double Norm(TNormType nt) const;

  /// Crout LU decomposition with implicit partial pivoting of a square matrix: MatL unit lower
  /// triangular, MatU upper triangular, MatL·MatU = Self with its rows permuted; NumPerm the
  /// permutation's parity (+1 or -1). False (NumPerm 1, nothing changed) unless Self is square
  /// and MatL and MatU are two distinct matrices. False with a zero row (MatU the clone, MatL 0)
  /// or a pivot below 1e-100 (which is replaced by 1e-100; MatL stays 0).
  bool LUdecomposition(TMatrix*& MatL, TMatrix*& MatU, Integer& NumPerm);
  /// Determinant through LUdecomposition; 0 when it fails (singular or non-square).
  double Determinant();
  /// Inverts a square matrix in place; true on success. False, with the matrix unchanged, when
  /// it is not square, has a zero row, a pivot below 1e-100 or the computation is aborted.
  /// Steps ProcStat once per column of the decomposition and of the solution; fires OnChange.
  bool Invert();
  /// Cholesky factor of a symmetric positive definite matrix read from the diagonal and below:
  /// MatL·MatLᵀ = Self; cells above the diagonal of Self receive the factor's off-diagonal
  /// elements. False when Self is not square, MatL is null (nothing changed) or a pivot is not
  /// positive (MatL not written).
  bool CholeskyDecomp(TMatrix*& MatL);
  /// Balances a square matrix by diagonal similarity scaling (no OnChange); false otherwise.
  bool Balance();
  /// Replaces the rows by their consecutive differences Order times, then drops the last Order
  /// rows (fires OnChange). Nothing happens unless 1 <= Order <= 10 and Order < NrOfRows, nor
  /// while a call uses the matrix.
  void Diff(Integer Order);

  // ---- square on worker threads, statistics over sub-ranges ----
  /// MatRes := AᵀA / Norm (NrOfColumns by NrOfColumns, resized with Resize): on the caller's
  /// thread when NThreads <= 1, otherwise on a pool of at most min(NThreads, NrOfColumns)
  /// worker threads taking the result columns in ascending order, while the caller reports
  /// progress. Each cell is the sum of its products over the rows in order, so every thread
  /// count gives the same bits. Each column adds 1 to ProcStat; the result cells fire no
  /// OnChange. Neither matrix can be resized by the result's handler or MathFeedBackProc during
  /// the call. False for a null MatRes, when MatRes could not be resized (the call was started
  /// from a handler of a call using it; no cell is written then), or when AbortMathProc is seen
  /// (columns not begun keep their values). No worker outlives the call; an exception from a worker
  /// or from MathFeedBackProc is rethrown on the caller's thread once every worker has ended.
  /// MatRes may be this matrix (its cells before the call are squared).
  bool Square(TMatrix* MatRes, double Norm, Integer NThreads);
  /// Square with as many threads as the machine has processors.
  bool Square(TMatrix* MatRes, double Norm);

  // Statistics over the box (LowCol, LowRow, HighCol, HighRow), normalised by
  // MakeValidColRange and MakeValidRowRange and visited column by column, rows inner. A matrix
  // without columns or rows has an empty box: the results are those of a matrix without storage.
  /// Number of cells x with RangeLow <= x <= RangeHigh (note the argument order).
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      double RangeLow, double RangeHigh) const;
  /// Counts the box into Round(|LastBin - FirstBin| / BinWidth) + 1 bins of width BinWidth
  /// from FirstBin (Histo resized when its size differs, cleared, bins incremented through
  /// SetVal). Below FirstBin: Underflow; at or above LastBin + BinWidth or beyond the last bin:
  /// Overflow; a NaN cell counts nowhere; MaxCnt the largest bin count. False, nothing touched, for
  /// more than 500 bins, BinWidth <= 0, non-finite bounds or width, or a null Histo.
  bool Histogram(Integer LoX, Integer LoY, Integer HiX, Integer HiY, double FirstBin,
                 double LastBin, double BinWidth, TIntVector* Histo, Integer& Underflow,
                 Integer& Overflow, Integer& MaxCnt) const;
  /// ResultArray := NrOfColumns by NrOfRows flags (outer index column), true where the cell
  /// > Threshold; returns the number of true flags.
  Integer Dichotomize(double Threshold, TBool2DArray& ResultArray) const;
  /// Smallest and largest cell, NaN cells ignored; uc_MaxReal and -uc_MaxReal when the box
  /// holds no number.
  void MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Minimum,
              double& Maximum) const;
  /// The first cell (in visiting order) nearest to Value; 0 and 0 when no cell qualifies.
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, double Value,
            Integer& ColIx, Integer& RowIx) const;
  /// Bisection for Value in column Col, sorted ascending or descending; the row of an equal
  /// cell met on the way, else the nearer of the two last rows (a tie gives the upper one).
  /// 0 for a matrix without rows.
  Integer FindInSortedColumn(Integer Col, bool ColIsAscending, double Value) const;
  /// Sum of the box; 0 when empty.
  double Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const;
  /// Mean and variance (n - 1), the sum of squares taken about the mean in two passes;
  /// Variance 1 for fewer than three cells, never negative. Both 0 for an empty box.
  void MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Mean,
               double& Variance) const;
  /// Geometric mean; 0 when a cell is 0 or the box is empty. A negative cell raises
  /// ENUVMatrixError `Component "<Name>": negative argument passed to GeometricMean`.
  double GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Harmonic mean; 0 when the box is empty. A cell <= 0 raises ENUVMatrixError
  /// `Component "<Name>": negative or zero argument passed to HarmonicMean`.
  double HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Population skewness and excess kurtosis about the two-pass mean, scaled by the sample
  /// deviation; both 0 for fewer than two cells.
  void SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Skewness,
                double& Kurtosis) const;
  /// SkewKurt with the small-sample corrections; both 0 for fewer than four cells.
  void SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles at positions (n + 1)·p of the sorted box, interpolated; false (all 0) for an
  /// empty box. Raises "not enough memory on heap" when the copy cannot be allocated.
  bool Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Q1,
                 double& Q2, double& Q3) const;
  /// Value of 0-based rank Round(prob·n / 100) of the box sorted ascending with NaN last (prob
  /// clamped into 0..100; a rank of n gives the largest value); 0 when empty, NaN for a NaN
  /// prob. A box above 2147483647 cells, or a copy that cannot be allocated, raises
  /// "not enough memory on heap".
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow) const;
  /// With 0 < SampleSize < n: the percentile of SampleSize cells drawn with replacement after
  /// Randomize, 0 when prob falls inside the drawn zeros; otherwise the plain Percentile.
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                    Integer SampleSize) const;

  /// Per column: cells := (x - mean) / sqrt(variance) when variance > 0 (MeanVar of the
  /// column); Means and StdDevs (optional) receive mean and sqrt(variance). One OnChange.
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  /// StandardizeColumns per row.
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  /// Per column: cells := (x - median) / d with d = |median - Percentile(RefQuant)| when d > 0;
  /// Medians and QuantDiffs (optional) receive them. One OnChange.
  void QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  /// QNormalizeColumns per row.
  void QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  /// Subtracts each column's mean; Means (optional) is resized to NrOfColumns and receives
  /// them. One OnChange.
  void MeanCenterColumns(TVector* Means);
  /// MeanCenterColumns per row (Means resized to NrOfRows).
  void MeanCenterRows(TVector* Means);
  /// Means := the column means (dimColumns) or the row means (dimRows); null Means does
  /// nothing, an empty column or row has mean 0. No event.
  void MeanVec(TDims Dim, TVector* Means) const;
  /// Pearson correlation of all cells with those of OtherMat, sums of squares and products
  /// taken about the means in two passes; 0 unless n > 2 and both sums of squares are positive,
  /// never beyond -1..1. Another size (or null) raises "matrices do not match".
  double Correlate(TMatrix* OtherMat) const;
  /// DestVec := min, max, sum or mean of each column (Orient non-zero) or row (Orient zero).
  /// Min and max ignore NaN cells; a line without numbers gives uc_MaxDouble resp.
  /// -uc_MaxDouble.
  void EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const;

  // ---- sorting and exchanging rows and columns ----
  /// Comb sort of rows LowRow..HighRow by the cells of column SortColIx, moving the cells of
  /// columns LowCol..HighCol along (and the key cell when SortColIx lies outside them). Ranges
  /// follow MakeValidColRange and MakeValidRowRange. Each exchange of rows i < j fires
  /// OnSortExchange (2, i, j, LowCol, HighCol); OnChange fires once at the end. Fewer than two
  /// rows: nothing, no event. A key column outside the matrix: nothing, no event.
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  /// SortRows for columns LowCol..HighCol keyed by row SortRowIx, moving rows LowRow..HighRow;
  /// exchanges fire OnSortExchange (1, i, j, LowRow, HighRow). A key row outside the matrix:
  /// nothing, no event.
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  /// Reverses the order of the columns, then fires OnChange.
  void MirrorColumns();
  /// Reverses the order of the rows, then fires OnChange.
  void MirrorRows();
  /// Exchanges columns c1 and c2, then fires OnChange. An index outside 1..NrOfColumns does
  /// nothing and fires nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  /// Exchanges rows r1 and r2, then fires OnChange; an index outside the rows does nothing.
  void ExchangeRows(Integer r1, Integer r2);

  // ---- distances between rows ----
  /// Distance of rows obj1 and obj2 over all columns (cells read through GetVal): Jaccard
  /// Σxy / (Σx² + Σy² - Σxy), Manhattan Σ|x - y|, Euclidean √Σ(x - y)², squared Euclidean,
  /// Dice 2Σxy / (Σx² + Σy²); dmUserDef gives what OnCalcDistance leaves in a Distance started
  /// at 0 (0 without a handler). Jaccard and Dice of two all-zero rows are NaN (0 / 0).
  double DistanceOfObjects(TDistMode Mode, Integer obj1, Integer obj2);
  /// Writes the symmetric n by n distance matrix of the n rows into DMat through SetVal (zero
  /// diagonal); 0. Nothing is written and the result is -2 when DMat is null or has not n
  /// columns, -1 when it has n columns but not n rows. DMat may be this matrix.
  Integer CalcDistMat(TDistMode Mode, TMatrix* DMat);

  // ---- copies between containers ----
  // The block copies clamp each source bound into 1..size (so (0, 0) is the first cell, not
  // the whole extent) and put reversed pairs in order; source cell (i, j) is written through
  // SetVal to (i + DestCol - SourceColLo, j + DestRow - SourceRowLo), cells falling outside
  // this matrix are dropped and the size never changes. Null sources do nothing; otherwise
  // OnChange fires once more at the end. A source without cells copies nothing.
  /// Block copy from a matrix; the source may be this matrix (overlapping blocks copy the
  /// values from before the copy).
  void CopyFrom(TMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo, Integer SourceColHi,
                Integer SourceRowHi, Integer DestCol, Integer DestRow);
  /// Block copy from an integer matrix, dense or sparse.
  void CopyFrom(TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  /// Block copy from layer SourceLayer of a 3D array (<= 0 is layer 1, beyond the layers the
  /// last layer).
  void CopyFrom(TMat3D* MatSource, Integer SourceColLo, Integer SourceRowLo, Integer SourceColHi,
                Integer SourceRowHi, Integer SourceLayer, Integer DestCol, Integer DestRow);
  /// Copies elements Source1stElem..SourceLastElem (MakeValidElemRange of the vector) through
  /// SetVal: dimColumns along row DestRow (element e to column e + DestCol - Source1stElem),
  /// dimRows down column DestCol (element e to row e + DestRow - Source1stElem). Then
  /// OnChange; a null vector does nothing.
  void CopyFromVec(TDims Dim, TVector* VecSource, Integer Source1stElem, Integer SourceLastElem,
                   Integer DestCol, Integer DestRow);
  /// CopyFromVec down column DestCol.
  void CopyFromVec(TVector* VecSource, Integer Source1stElem, Integer SourceLastElem,
                   Integer DestCol, Integer DestRow);
  /// Fills DestVec with 0 (size kept), then element k := cell (FirstCol + k - 1, Row) for the
  /// columns of MakeValidColRange cut to DestVec's length; Row is clamped into the rows.
  /// Writes through the vector's Fill and SetVal; a null vector does nothing.
  void CopyRowToVec(TVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const;
  /// CopyRowToVec down column Col over rows FirstRow..LastRow.
  void CopyColToVec(TVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const;
  /// DestArray := the box as HighCol - LowCol + 1 arrays of HighRow - LowRow + 1 cells,
  /// DestArray[i - LowCol][j - LowRow] = cell (i, j), ranges made valid (note the argument
  /// order). Raises "not enough memory on heap" when the array cannot be allocated.
  void CopyToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                   Integer HighRow) const;
  /// SrcArray[i][j] goes to cell (Col + i, Row + j) through SetVal (cells outside dropped; no
  /// further OnChange). Every inner array supplies at most as many cells as the first one.
  void CopyFromArray(const TDouble2DArray& SrcArray, Integer Col, Integer Row);

 protected:
  /// Assigns this matrix to a TMatrix Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend struct detail::TMatrixAccess;

  std::size_t Index(Integer Nc, Integer Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * static_cast<std::size_t>(FAllocRows) +
           static_cast<std::size_t>(Nr - 1);
  }
  /// Writes the FNCol by FNRow cells of Cells (column-major, FNRow per column): directly
  /// without a handler, else through SetVal (one event per cell, columns outer).
  void StoreCells(const double* Cells);
  /// Store of Cols by Rows cells (both >= 1) holding the cells of the current store that lie
  /// inside both; new cells 0. Raises "not enough memory on heap" when it cannot be allocated.
  std::vector<double> NewStore(Integer Cols, Integer Rows) const;
  /// The three matrix products: 0 Self·MatB, 1 Self·MatBᵀ, 2 Selfᵀ·MatB.
  bool ProductCommon(TMatrix* MatB, TMatrix* MatRes, int Kind);

  Integer FNCol = 1;
  Integer FNRow = 1;
  std::string FDataID;
  std::array<Integer, 2> FPrecis{15, -1};
  TNotifyEvent FOnChange;
  TSortExchgEvent FOnSortExchange;
  TOnCalcDistanceEvent FOnCalcDist;
  // The cells, column-major: column c, row r at (c - 1)·FAllocRows + r - 1. The store holds
  // FAllocCols columns of FAllocRows rows; it may be larger than FNCol by FNRow (a matrix
  // reporting 0 columns or rows keeps one column or row), and FAllocCols = 0 means no store.
  // Whenever FNCol and FNRow are both positive, FAllocRows = FNRow, so the visible cells form
  // the contiguous prefix of FData.
  std::vector<double> FData;
  Integer FAllocCols = 1;
  Integer FAllocRows = 1;
};

}  // namespace nuv
