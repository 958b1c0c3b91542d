#pragma once
// TMat3D: a component holding a three-dimensional array of doubles indexed by column, row and
// layer, all 1-based. A plain value store: no Assign and no progress event. User code that a
// call of this library runs (OnChange of the array or of a destination, MathFeedBackProc) may
// change values but not sizes; freeing the array from such code while the call uses it is
// undefined.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/detail/container.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

class TMatrix;

class TMat3D : public detail::TMatrixContainer {
 public:
  /// One column, one row, one layer holding 0; no event. Raises ENUVMatrixError
  /// `Component "<Name>": not enough memory on heap` when the cell cannot be allocated.
  explicit TMat3D(TComponent* AOwner);

  // ---- sizes, identifier, events ----
  /// Number of columns, at least 1.
  Integer NrOfColumns() const noexcept { return FNumX; }
  /// Number of rows, at least 1.
  Integer NrOfRows() const noexcept { return FNumY; }
  /// Number of layers, at least 1.
  Integer NrOfLayers() const noexcept { return FNumZ; }
  /// Writer of NrOfColumns: Resize(max(1, Nc), NrOfRows, NrOfLayers).
  void SetNCols(Integer Nc);
  /// Writer of NrOfRows: Resize(NrOfColumns, max(1, Nr), NrOfLayers).
  void SetNRows(Integer Nr);
  /// Writer of NrOfLayers: Resize(NrOfColumns, NrOfRows, max(1, Nl)).
  void SetNLayers(Integer Nl);
  /// Free identifier of the data; the array itself does not use it.
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// Change event; each operation says whether it fires it.
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

  /// Sets the size to Nc by Nr by Nl. When a size differs and all three are positive, cells
  /// inside both the old and the new box keep their values, new cells are 0, and OnChange
  /// fires; otherwise nothing happens. True, except for a new size while a call of this library
  /// uses the array (its handlers or progress hooks are running): then false, nothing changed. A
  /// size that cannot be allocated raises ENUVMatrixError "not enough memory on heap" (component
  /// message), nothing changed.
  bool Resize(Integer Nc, Integer Nr, Integer Nl);
  /// Resize, then Fill(0) (the clearing fires no event). Resize's result; false clears nothing.
  bool ResizeAndClear(Integer Nc, Integer Nr, Integer Nl);

  // ---- element access ----
  /// Cell (Nx, Ny, Nz); 0 outside the array.
  double GetVal(Integer Nx, Integer Ny, Integer Nz) const noexcept {
    if (!Inside(Nx, Ny, Nz)) return 0.0;
    return Mat[Index(Nx, Ny, Nz)];
  }
  /// Same as GetVal (the indexed cell reader).
  double Elem(Integer Nx, Integer Ny, Integer Nz) const noexcept { return GetVal(Nx, Ny, Nz); }
  /// Stores Value in cell (Nx, Ny, Nz); ignored outside the array. Fires no event.
  void SetVal(Integer Nx, Integer Ny, Integer Nz, double Value) noexcept {
    if (Inside(Nx, Ny, Nz)) Mat[Index(Nx, Ny, Nz)] = Value;
  }

  /// Ordered-range rule on the columns: (0, 0) is 1..NrOfColumns, bounds <= 0 become 1,
  /// bounds above NrOfColumns become NrOfColumns, a reversed pair is exchanged.
  void MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept;
  /// The same rule on the rows.
  void MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept;
  /// The same rule on the layers.
  void MakeValidLayerRange(Integer& LowLayer, Integer& HighLayer) const noexcept;

  /// Fires OnChange with this array as sender when a handler is assigned.
  void Changed();

  // ---- copies and fills ----
  /// Resizes to MatSource's sizes, copies every cell, then fires OnChange (after the event of
  /// the resize, if any). DataID and the handler stay. Null does nothing.
  void Clone(TMat3D* MatSource);
  /// Every cell := value; 0 (or -0) stores +0 everywhere. Fires no event.
  void Fill(double value);
  /// Cells (i, i, i) for i = 1..min of the three sizes := value, the others unchanged; then
  /// OnChange.
  void FillDiag(double value);
  /// Every cell := RangeLow + (RangeHigh - RangeLow)·u, u uniform in [0, 1) from the
  /// process-wide generator, columns outer, rows, layers inner; then OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every cell := Mean + StdDev·GRandom(), same cell order; then OnChange.
  void FillRandomGauss(double Mean, double StdDev);

  /// Copies columns LowCol..HighCol, rows LowRow..HighRow (ordered-range rule) of layer Layer
  /// to DestMat, resized to the box; DestMat fires its own events (resize, one per cell). A
  /// layer outside 1..NrOfLayers raises ENUVMatrixError "specified layer beyond data range"
  /// before DestMat is touched. A null DestMat does nothing.
  void CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                         Integer HighRow, Integer Layer);
  /// Copies source cells (c, r), c in SrcLowCol..SrcHighCol and r in SrcLowRow..SrcHighRow
  /// (taken as given; cells outside SrcMat read 0), to cell
  /// (c + LayLowCol - SrcLowCol, r + LayLowRow - SrcLowRow, Layer); targets outside the array
  /// are skipped. Fires no event. A layer outside 1..NrOfLayers raises ENUVMatrixError
  /// "specified layer beyond data range". A null SrcMat does nothing.
  void CopyMatrixToLayer(TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                         Integer SrcHighRow, Integer Layer, Integer LayLowCol, Integer LayLowRow);

  // ---- search and statistics over a box (each range by the ordered-range rule) ----
  /// Indices of the cell nearest to Value, the first in column-row-layer order on ties;
  /// all three 0 when no cell is nearer than uc_MaxDouble (a NaN Value, say).
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
            Integer HighLayer, double Value, Integer& ColIx, Integer& RowIx,
            Integer& LayerIx) const;
  /// Smallest and largest cell of the box (NaN cells ignored; uc_MaxReal and -uc_MaxReal when
  /// the box holds no number). Steps ProcStat once per about a hundredth of the (column, row)
  /// pairs.
  void MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
              Integer HighLayer, double& Minimum, double& Maximum) const;
  /// The value of rank Round(prob·N/100) (0-based, at most N - 1) of the N cells of the box
  /// sorted ascending with NaN last, prob clamped to 0..100; NaN for a NaN prob. Raises
  /// ENUVMatrixError "not enough memory on heap" when the working copy cannot be allocated or
  /// N exceeds 2147483647.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer) const;
  /// With 1 <= SampleSize < N: reseeds the process-wide generator from the clock, draws
  /// SampleSize cells with replacement (column, row, layer drawn in that order) and returns the
  /// value of rank Round(prob·SampleSize/100) (at most SampleSize - 1) of the sample. Any other
  /// SampleSize (0, negative, N or more): the plain Percentile of the box.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer SampleSize) const;

  /// Data checksum over all cells, columns outer, rows, layers inner: 64 upper-case hex digits.
  std::string CRCofData() const;

 private:
  bool Inside(Integer Nx, Integer Ny, Integer Nz) const noexcept {
    return Nx >= 1 && Nx <= FNumX && Ny >= 1 && Ny <= FNumY && Nz >= 1 && Nz <= FNumZ;
  }
  // Layers innermost, then rows, then columns: the cell order of every loop and the checksum.
  std::size_t Index(Integer Nx, Integer Ny, Integer Nz) const noexcept {
    return (static_cast<std::size_t>(Nx - 1) * static_cast<std::size_t>(FNumY) +
            static_cast<std::size_t>(Ny - 1)) *
               static_cast<std::size_t>(FNumZ) +
           static_cast<std::size_t>(Nz - 1);
  }
  /// The cells of the box in column-row-layer order.
  std::vector<double> BoxCells(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                               Integer LowLayer, Integer HighLayer) const;

  Integer FNumX = 1;
  Integer FNumY = 1;
  Integer FNumZ = 1;
  std::string FDataID;
  // FNumX·FNumY·FNumZ cells; cell (x, y, z) at Index(x, y, z).
  std::vector<double> Mat;
  TNotifyEvent FOnChange;
};

}  // namespace nuv
