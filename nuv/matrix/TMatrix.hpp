#pragma once
// TMatrix: a component holding a dense matrix of doubles, indices 1-based, column first.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

class TVector;
class TMatrix;

namespace detail {
struct TMatrixAccess;
}  // namespace detail

/// User distance between two rows of a matrix; the handler stores the result in Distance.
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, Integer Row1, Integer Row2, double& Distance)>;

/// Matrix norms: largest column sum, largest row sum, Frobenius, largest singular value.
enum TNormType : std::uint8_t { ntColwise, ntRowwise, ntFrobenius, ntSpectral };

class TMatrix : public TComponent {
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
  /// event. Assigning a matrix to itself does nothing. Any other source raises EConvertError.
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
  /// Exchanges rows and columns and fires OnChange; true. Raises ENUVMatrixError
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
  /// rows (fires OnChange). Nothing happens unless 1 <= Order <= 10 and Order < NrOfRows.
  void Diff(Integer Order);

 protected:
  /// Assigns this matrix to a TMatrix Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend struct detail::TMatrixAccess;

  std::size_t Index(Integer Nc, Integer Nr) const noexcept {
    return static_cast<std::size_t>(Nc - 1) * static_cast<std::size_t>(FAllocRows) +
           static_cast<std::size_t>(Nr - 1);
  }
  /// Raises ENUVMatrixError with this component's message shape.
  [[noreturn]] void Raise(const char* Text) const;
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
