#pragma once
// TMat4D: a component holding a four-dimensional array of doubles indexed by column, row,
// layer and time slot (all 1-based), with its paged binary file of 4096-byte records.
// Handlers, progress hooks and MathFeedBackProc that a call runs may change cell values but not
// the sizes of the arrays the call uses (see Resize); freeing such an array from them while the
// call runs is undefined.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/matrix/detail/container.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

/// One value read by TMat4D::ReadBinary: column, row, layer, time slot (counted from the first
/// slot read) and the value.
using TOnReadMat4DElementEvent = std::function<void(TObject* Sender, Integer ix, Integer iy,
                                                    Integer il, Integer it, double Value)>;

class TMat3D;
class TMatrix;

class TMat4D : public detail::TMatrixContainer {
 public:
  /// One cell of each dimension holding 0. Raises ENUVMatrixError
  /// `Component "<Name>": not enough memory on heap` when it cannot be allocated.
  explicit TMat4D(TComponent* AOwner);

  // ---- reshaping (each fires OnChange once at the end) ----
  /// The array becomes the box LowCol..HighCol by LowRow..HighRow by LowLayer..HighLayer by
  /// LowTimeslot..HighTimeslot (ordered-range rule per dimension). OnPercentDone counts the
  /// (time slot, layer) pairs of the box twice. std::bad_alloc leaves the array unchanged.
  void Cut(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
           Integer HighLayer, Integer LowTimeslot, Integer HighTimeslot);
  /// One cell per block of XDiv by YDiv by ZDiv by TDiv cells; block x' starts after column
  /// (x' - 1)·XDiv + XOffset (offsets taken modulo their divisors), and so on. Average: the
  /// sum of the block's cells divided by the full block size; else the block's first cell.
  /// Block cells outside the array count as 0. Sizes become (X - XOffset - 1) div XDiv + 1 ...
  /// A divisor below 1 raises EMathError "Division by zero" before anything changes. OnPercentDone
  /// counts the new (time slot, layer) pairs.
  void Resample(Integer XDiv, Integer XOffset, Integer YDiv, Integer YOffset, Integer ZDiv,
                Integer ZOffset, Integer TDiv, Integer TOffset, bool Average);
  /// Exchanges columns and rows in every layer and time slot: true. OnPercentDone counts the
  /// (column, row) pairs twice; AbortMathProc is tested before each column of the first pass
  /// (the copy), and an aborted transpose returns false with the array unchanged and no
  /// OnChange; the second pass always completes. Raises ENUVMatrixError
  /// "not enough memory on heap" when the working copy cannot be allocated. False, nothing
  /// changed, while a running call uses the array.
  bool Transpose();
  /// Reverse the order of the columns, rows, layers or time slots in place (a middle position
  /// stays). ProcStat steps once per step + 1 moved lines, step = Trunc(X·0.005·Y·Z) (time
  /// slots: Trunc(X·0.005·Y·T)).
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();

  // ---- copies between containers and dynamic arrays ----
  /// Copies the box of MatSource (ordered-range rule against MatSource) to this array with its
  /// low corner at (DestCol, DestRow, DestLayer, DestTSlot); targets outside are skipped, an
  /// overlapping box of this array itself is read before it is written. ProcStat steps once
  /// per Trunc(C·R/100) + 1 source (column, row) pairs; then OnChange. Null does nothing.
  void CopyFrom(TMat4D* MatSource, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                Integer SrcHighRow, Integer SrcLowLayer, Integer SrcHighLayer, Integer SrcLowTSlot,
                Integer SrcHighTSlot, Integer DestCol, Integer DestRow, Integer DestLayer,
                Integer DestTSlot);
  /// DestMat := the box (ordered-range rule) of time slot TimeSlot, C by R by L,
  /// DestMat[x][y][z] 0-based from the box corner. A time slot outside 1..NrOfTimeSlots raises
  /// ENUVMatrixError "specified time slot beyond data range", DestMat untouched.
  void CopyTimeSlotToArray(TDouble3DArray& DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                           Integer HighRow, Integer LowLay, Integer HighLay, Integer TimeSlot);
  /// The same box into DestMat: Resize(C, R, L), then SetVal per cell. Null does nothing, and
  /// so does a DestMat of another size whose resize is refused.
  void CopyTimeSlotToMat3D(TMat3D* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                           Integer HighRow, Integer LowLay, Integer HighLay, Integer TimeSlot);
  /// Box of layer Layer of slot TimeSlot into DestMat: Resize(C, R), then SetVal per cell
  /// (DestMat's OnChange per cell). Raises ENUVMatrixError "specified layer beyond data range",
  /// then "specified time slot beyond data range", before DestMat is touched. Null, or a DestMat
  /// of another size whose resize is refused: nothing.
  void CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                         Integer HighRow, Integer Layer, Integer TimeSlot);
  /// The same box into DestArray, C by R, DestArray[x][y].
  void CopyLayerToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                        Integer HighRow, Integer Layer, Integer TimeSlot);
  /// SetVal(Col + i, Row + j, Layer, TimeSlot, SrcArray[i][j]) for every i and every j below
  /// the length of SrcArray[0] that SrcArray[i] holds. Checks layer, then time slot. No event.
  void CopyArrayToLayer(const TDouble2DArray& SrcArray, Integer Col, Integer Row, Integer Layer,
                        Integer TimeSlot);
  /// Src[0], Src[1], ... into layers FirstLayer, FirstLayer + 1, ... of cell (Col, Row) of
  /// slot TimeSlot, up to the last layer. Checks column, row, layer, time slot. No event.
  void Copy1DArrayToPixel(const TDoubleArray& Src, Integer Col, Integer Row, Integer FirstLayer,
                          Integer TimeSlot);
  /// Matrix cells (c, r) of the box (ordered-range rule against this array's columns and rows;
  /// cells outside SrcMat read 0) to (c + LayLowCol - SrcLowCol, r + LayLowRow - SrcLowRow) of
  /// layer Layer, slot TimeSlot; targets outside are skipped. Checks layer, then time slot.
  /// No event. Null does nothing.
  void CopyMatrixToLayer(TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                         Integer SrcHighRow, Integer Layer, Integer TimeSlot, Integer LayLowCol,
                         Integer LayLowRow);
  /// Box of SrcMat (ordered-range rule against SrcMat) to slot TimeSlot with its low corner at
  /// (DestCol, DestRow, DestLayer); targets outside are skipped. Checks the time slot. No
  /// event. Null does nothing.
  void CopyMat3DToTimeSlot(TMat3D* SrcMat, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                           Integer SrcHighRow, Integer SrcLowLay, Integer SrcHighLay,
                           Integer TimeSlot, Integer DestCol, Integer DestRow, Integer DestLayer);
  /// The same from SrcMat[c - 1][r - 1][z - 1], the box made valid against this array's sizes;
  /// positions SrcMat does not hold read 0. Checks the time slot. No event.
  void CopyArrayToTimeSlot(const TDouble3DArray& SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                           Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLay,
                           Integer SrcHighLay, Integer TimeSlot, Integer DestCol, Integer DestRow,
                           Integer DestLayer);

  // ---- sizes, identifier, events ----
  /// Number of columns, at least 1.
  Integer NrOfColumns() const noexcept { return FNumX; }
  /// Number of rows, at least 1.
  Integer NrOfRows() const noexcept { return FNumY; }
  /// Number of layers, at least 1.
  Integer NrOfLayers() const noexcept { return FNumZ; }
  /// Number of time slots, at least 1.
  Integer NrOfTimeSlots() const noexcept { return FNumT; }
  /// Writers of the four sizes: Resize with that size (below 1 taken as 1), the others kept.
  void SetNCols(Integer Nc);
  void SetNRows(Integer Nr);
  void SetNLayers(Integer Nl);
  void SetNTSlots(Integer Nt);
  /// Free identifier of the data; stored in the header of the binary file.
  const std::string& DataID() const noexcept { return FDataID; }
  void SetDataID(const std::string& Value) { FDataID = Value; }
  /// Change event; each operation says whether it fires it.
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  /// Progress of the checksum and of the file operations, in percent.
  const TOnPercentDoneEvent& OnPercentDone() const noexcept { return FOnPercentDone; }
  void SetOnPercentDone(TOnPercentDoneEvent Handler) { FOnPercentDone = std::move(Handler); }
  /// One call per value read by ReadBinary.
  const TOnReadMat4DElementEvent& OnReadElement() const noexcept { return FOnReadElement; }
  void SetOnReadElement(TOnReadMat4DElementEvent Handler) { FOnReadElement = std::move(Handler); }

  /// Sets the sizes to Nc by Nr by Nl by Nt; cells inside both the old and the new box keep
  /// their values, new cells are 0; fires OnChange. Nothing happens (no event) when the sizes
  /// are the current ones or any is below 1. Always true. A box that cannot be allocated
  /// raises ENUVMatrixError `Component "<Name>": not enough memory on heap`, nothing changed.
  /// While a call of this library uses the array (its handlers, progress hooks or user
  /// functions are running), Resize to other sizes returns false and changes nothing; so do the
  /// other changes of size or storage (Assign, Cut, Resample, Transpose, LoadBinary, the size
  /// writers), and a copy into an array whose resize is refused copies nothing.
  bool Resize(Integer Nc, Integer Nr, Integer Nl, Integer Nt);
  /// Resize, then Fill(0) (which fires OnChange even at the current sizes).
  bool ResizeAndClear(Integer Nc, Integer Nr, Integer Nl, Integer Nt);

  // ---- element access ----
  /// Cell (Nx, Ny, Nz, Nt); 0 when an index lies outside its size.
  double GetVal(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const noexcept {
    if (!Inside(Nx, Ny, Nz, Nt)) return 0.0;
    return FData[Index(Nx, Ny, Nz, Nt)];
  }
  /// Same as GetVal (the indexed cell reader).
  double Elem(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const noexcept {
    return GetVal(Nx, Ny, Nz, Nt);
  }
  /// Stores Value in cell (Nx, Ny, Nz, Nt); dropped outside the sizes. Fires no event.
  void SetVal(Integer Nx, Integer Ny, Integer Nz, Integer Nt, double Value) noexcept {
    if (Inside(Nx, Ny, Nz, Nt)) FData[Index(Nx, Ny, Nz, Nt)] = Value;
  }

  /// Ordered-range rule per dimension: (0, 0) is the whole extent, bounds <= 0 become 1,
  /// bounds above the size become the size, a reversed pair is exchanged.
  void MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept;
  void MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept;
  void MakeValidLayerRange(Integer& LowLayer, Integer& HighLayer) const noexcept;
  void MakeValidTSlotRange(Integer& LowTSlot, Integer& HighTSlot) const noexcept;

  /// Fires OnChange with this array as sender when a handler is assigned.
  void Changed();

  /// 0-based address of (ix, iy, il) in one volume, layer fastest, then column, then row;
  /// -2 when a volume has more than 2147483647 cells, -1 when an index is outside its size.
  Integer Lin3DAddr(Integer ix, Integer iy, Integer il) const noexcept;
  /// Inverse of Lin3DAddr; false (outputs untouched) when LinAddr is outside the volume.
  bool ConvertLinTo3DAddr(Integer LinAddr, Integer& ix, Integer& iy, Integer& il) const noexcept;
  /// Size of the cells in megabytes of 1048576 bytes.
  double MemoryConsumed() const noexcept;

  // ---- copying ----
  /// From a TMat4D: copies sizes, DataID, cells and the three event handlers; fires no event.
  /// Allocation failure raises std::bad_alloc. Any other source raises EConvertError.
  void Assign(TPersistent* Source) override;
  /// Resizes to MatSource's sizes, copies every cell (one ProcStat step per hundredth of the
  /// column-row pairs), then fires OnChange. DataID and handlers stay; null does nothing.
  void Clone(TMat4D* MatSource);

  // ---- fills ----
  /// Every cell := value (0 stores +0 everywhere), then OnChange.
  void Fill(double value);
  /// Cells (i, i, i, i) for i = 1..the smallest size := value, then OnChange.
  void FillDiag(double value);
  /// Every cell of layer Layer in every time slot := value; nothing when Layer lies outside
  /// 1..NrOfLayers. Fires no event.
  void FillLayer(Integer Layer, double value);
  /// Every cell := RangeLow + (RangeHigh - RangeLow)·u, u uniform in [0, 1) from the
  /// process-wide generator, columns outer, rows, layers, time slots inner; then OnChange.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  /// Every cell := Mean + StdDev·GRandom() in the same cell order; then OnChange.
  void FillRandomGauss(double Mean, double StdDev);

  /// CRCofData(1): checksum over every cell.
  std::string CRCofData();
  /// Data checksum (64 upper-case hex digits) over columns outer, rows, the layers that are
  /// multiples of the stride s = min(Sample, NrOfLayers div 2) (at least 1), time slots inner.
  /// Fires OnPercentDone once per hundredth of the column-row pairs.
  std::string CRCofData(Integer Sample);

  // ---- paged binary file (4096-byte records) ----
  // Slot ranges TSlotStart..TSlotEnd: a bound of 0 or below means all slots, the end is
  // clamped to the slots available. A start beyond them, or a range holding no slot (start
  // above end, a file of no slots), raises ENUVMatrixError "specified time slot beyond data
  // range" before the file or the array changes. Element and record numbers are 64-bit; the
  // stored slot count is 32-bit. File failures raise EInOutError ("Invalid header in file"
  // for sizes below 1 or a negative count, "Read beyond end of file" for missing records).
  /// Writes the header and the values of the chosen slots.
  void SaveBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd);
  /// Appends the chosen slots of this array to an existing file of the same column, row and
  /// layer counts, else ENUVMatrixError "X,Y,Z of matrices do not match". A count that would
  /// pass 2147483647 slots raises the time-slot message; a file missing any record of its
  /// stored values raises EInOutError. The stored identifier is kept. The file is not changed
  /// when any check fails; the count is written after the values.
  void AppendToBinaryFile(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd);
  /// Reads the header of FileName; true when it holds at least one layer and one time slot.
  /// A file shorter than one record raises EInOutError.
  bool ReadBinaryHeader(const std::string& FileName, Integer& NrColumns, Integer& NrRows,
                        Integer& NrLayers, Integer& NrTimeSlots, std::string& DataID);
  /// Fires OnReadElement for each value of the chosen stored slots (the slot index counted
  /// from 1 for the first slot read); the cells are not touched. A file cut short raises
  /// EInOutError at its first missing record, after the values before it (before any value
  /// when the header claims more values than 64 bits can number).
  void ReadBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd);
  /// Resizes to the file's columns, rows, layers and the number of chosen slots, takes its
  /// identifier and reads the values (no events besides Resize's OnChange). Every failure
  /// after the slot check raises ENUVMatrixError "cannot resize, memory low"; sizes below 1,
  /// or values the file does not hold, raise it before anything is allocated or changed.
  void LoadBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd);
  /// Reads layer Layer of stored slot TSlot into the same layer and slot of this array (no
  /// event); columns and rows beyond this array's are dropped. The slot must lie in this
  /// array's and the file's slots ("specified time slot beyond data range"), the layer in
  /// their layers ("specified layer beyond data range").
  void ReadLayer(const std::string& FileName, Integer Layer, Integer TSlot);
  /// Reads layer Layer of stored slot TSlot into Data, Data[x - 1][y - 1] for column x, row y;
  /// Data is unchanged when the read fails.
  void ReadLayer(const std::string& FileName, Integer Layer, Integer TSlot, TDouble2DArray& Data);

  // ---- layer statistics (worker threads) ----
  // Each reduces the layers and time slots of the box (bounds made valid per dimension) to
  // DestMat, resized to the box's columns by rows and filled with 0 first: cell
  // (c - LowCol + 1, r - LowRow + 1) for column c and row r. Columns are spread over at most
  // NThreads worker threads (default CPUCount()), columns handed out in ascending order; with
  // 1 or fewer they run on the caller's thread. The cells are written through TMatrix::SetVal,
  // so DestMat's OnChange fires per cell on the workers; when DestMat has a handler, each
  // write and its handler run under a lock of the call, one at a time. ProcStat grows by 100
  // per call (threads) or by 1 per hundredth of the cells; MathFeedBackProc runs on the
  // caller's thread only. The first exception of a worker stops the hand-out and is rethrown
  // on the caller's thread once every worker has ended. Calls keep no shared state: calls on
  // other threads, and calls from a handler on a worker, run side by side. A null DestMat
  // does nothing, and so does a DestMat of another size whose resize is refused.
  /// Mean over the layers and time slots of the box.
  void MeanOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                            Integer HighRow, Integer LowLayer, Integer HighLayer,
                            Integer LowTimeSlot, Integer HighTimeSlot);
  void MeanOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                            Integer HighRow, Integer LowLayer, Integer HighLayer,
                            Integer LowTimeSlot, Integer HighTimeSlot, Integer NThreads);
  /// Largest value, starting from the first value that is not NaN (-uc_MaxReal if all are).
  void MaximumOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                               Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                               Integer LowTimeSlot, Integer HighTimeSlot);
  void MaximumOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                               Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                               Integer LowTimeSlot, Integer HighTimeSlot, Integer NThreads);
  /// Smallest value, starting from the first value that is not NaN (uc_MaxReal if all are).
  void MinimumOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                               Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                               Integer LowTimeSlot, Integer HighTimeSlot);
  void MinimumOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                               Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                               Integer LowTimeSlot, Integer HighTimeSlot, Integer NThreads);
  /// Population standard deviation: the root of the mean squared deviation from the cell's
  /// mean, formed in two passes (deviations from the mean, corrected by the square of their
  /// sum over n), so values far from zero keep their spread; 0 when they are all equal.
  void StdDevOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                              Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                              Integer LowTimeSlot, Integer HighTimeSlot);
  void StdDevOfLayersToMatrix(class TMatrix* DestMat, Integer LowCol, Integer HighCol,
                              Integer LowRow, Integer HighRow, Integer LowLayer, Integer HighLayer,
                              Integer LowTimeSlot, Integer HighTimeSlot, Integer NThreads);

  // ---- box statistics ----
  // The box comes as LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,
  // HighTimeSlot, each pair made valid; it is visited with columns outermost, then rows,
  // layers, time slots innermost. MinMax, MeanVar, Sum and SquaredSum add 1 to ProcStat per
  // hundredth of the column-row pairs.
  /// Indices of the first cell nearest to Value (all 0 when none is nearer than uc_MaxDouble).
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
            Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double Value,
            Integer& ColIx, Integer& RowIx, Integer& LayerIx, Integer& TimeSlotIx) const;
  /// Number of cells v with RangeLow <= v <= RangeHigh.
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                      Integer HighTimeSlot, double RangeLow, double RangeHigh) const;
  /// Smallest and largest cell, NaN cells ignored; uc_MaxReal and -uc_MaxReal when the box
  /// holds no number.
  void MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
              Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double& Minimum,
              double& Maximum) const;
  /// Mean and sample variance of the box (two passes about the mean); a box of fewer than
  /// three cells reports variance 1.
  void MeanVar(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
               Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double& Mean,
               double& Variance) const;
  /// Sum of the cells.
  double Sum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
             Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot) const;
  /// Sum of the squares of the cells.
  double SquaredSum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                    Integer HighTimeSlot) const;
  /// The value at 0-based position Round(prob·N/100) (at most N - 1) of the N cells of the box
  /// in ascending order (NaN last), prob clamped to 0..100 (NaN gives NaN). Draws 15 cells from
  /// the process-wide generator to guess a frequent value; the guess never changes the result.
  /// A box above 2147483647 cells or too large for a scratch copy raises ENUVMatrixError
  /// `Component "<Name>": not enough memory on heap`.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                    Integer HighTimeSlot) const;
  /// The same over SampleSize cells drawn with replacement after reseeding the process-wide
  /// generator from the clock; a SampleSize below 1 or not below N takes the whole box.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                    Integer SampleSize) const;

 protected:
  /// Assigns this array to a TMat4D Dest; other destinations raise EConvertError.
  void AssignTo(TPersistent* Dest) override;
  /// Fires OnPercentDone (this, Percent) when assigned; Sender is not passed on.
  void PercDone(TObject* Sender, Integer Percent);
  /// Fires OnReadElement (this, ix, iy, il, it, Value) when assigned.
  void ReadElement(TObject* Sender, Integer ix, Integer iy, Integer il, Integer it, double Value);

 private:
  bool Inside(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const noexcept {
    return Nx >= 1 && Nx <= FNumX && Ny >= 1 && Ny <= FNumY && Nz >= 1 && Nz <= FNumZ && Nt >= 1 &&
           Nt <= FNumT;
  }
  // Column fastest, then row, layer, time slot: the order of the binary file.
  std::size_t Index(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const noexcept {
    const auto x = static_cast<std::size_t>(FNumX);
    const auto y = static_cast<std::size_t>(FNumY);
    const auto z = static_cast<std::size_t>(FNumZ);
    return ((static_cast<std::size_t>(Nt - 1) * z + static_cast<std::size_t>(Nz - 1)) * y +
            static_cast<std::size_t>(Ny - 1)) *
               x +
           static_cast<std::size_t>(Nx - 1);
  }
  /// Cells of one volume and of the whole array.
  std::size_t VolumeCells() const noexcept;
  std::size_t TotalCells() const noexcept;

  Integer FNumX = 1;
  Integer FNumY = 1;
  Integer FNumZ = 1;
  Integer FNumT = 1;
  std::string FDataID;
  // The cells in one contiguous run: column x, row y, layer z, slot t at Index(x, y, z, t).
  std::vector<double> FData;
  TNotifyEvent FOnChange;
  TOnPercentDoneEvent FOnPercentDone;
  TOnReadMat4DElementEvent FOnReadElement;
};

}  // namespace nuv

namespace nuv {
inline namespace NUV_matrix {

/// matrix := array[i][j][Third] for i = Low1..High1 (columns), j = Low2..High2 (rows):
/// Resize(High1 - Low1 + 1, High2 - Low2 + 1), then SetVal per cell, i outer. Bounds are taken
/// as given; positions the array does not hold read 0, a reversed pair gives an empty side.
/// A matrix of another size whose resize is refused is left alone.
void CopyArr3DLayerToMatrix(const TDouble3DArray& Array, TMatrix* Matrix, Integer Low1,
                            Integer High1, Integer Low2, Integer High2, Integer Third);
/// Array := the box LowCol..HighCol by LowRow..HighRow of Matrix (bounds as given),
/// Array[c - LowCol][r - LowRow]; cells outside the matrix read 0. Null Matrix: zeros.
void CopyMatrixToArray(TMatrix* Matrix, TDouble2DArray& Array, Integer LowCol, Integer HighCol,
                       Integer LowRow, Integer HighRow);
/// Array2[i - Low1][j - Low2] := Array3[i][j][Third] for the box taken as given; positions
/// Array3 does not hold read 0.
void CopyArr3DLayerToArr2D(const TDouble3DArray& Array3, TDouble2DArray& Array2, Integer Low1,
                           Integer High1, Integer Low2, Integer High2, Integer Third);

}  // namespace NUV_matrix
}  // namespace nuv
