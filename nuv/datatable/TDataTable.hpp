#pragma once
// TDataTable: a table of observations held in a TMatrix, with a state byte per cell, a scale,
// labels, a name and an attribute per column, a name and an attribute per row, and a comment.

#include <string>
#include <string_view>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/datatable/NUV_datatable.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"

namespace nuv {

class TDataTable : public TComponent {
 public:
  /// A 1 x 1 table holding 0 in its own matrix; names C-1 and R-1, attributes 0, scale
  /// stInterval. Raises ENUVDataTableError "failed to initialize (out of memory)".
  explicit TDataTable(TComponent* AOwner);
  /// Frees the own matrix; an adopted one is only unhooked (its OnChange and OnSortExchange
  /// cleared) and stays the caller's.
  ~TDataTable() override;

  // ---- size ----
  Integer NrOfColumns() const noexcept { return FNrOfCols; }
  Integer NrOfRows() const noexcept { return FNrOfRows; }
  /// Resize(n, NrOfRows).
  void SetNrCols(Integer n);
  /// Resize(NrOfColumns, n).
  void SetNrRows(Integer n);
  /// Sets the size (negative counts are 0). Values, states, names, attributes and descriptions
  /// of surviving cells, rows and columns stay; new ones get 0, default names and stInterval.
  /// Fires only OnResize, and nothing at the current size. When the new size cannot be
  /// allocated: ENUVDataTableError "not enough memory on heap" and nothing has changed.
  void Resize(Integer NrCols, Integer NrRows);
  /// Makes NewDMat the table's value matrix (the caller keeps owning it and frees it after the
  /// table); the table takes its size, every scale becomes stInterval. Fires OnResize when the
  /// size changes and once more in any case, then the five change events. Null does nothing.
  void AssignAnotherDataMatrix(TMatrix* NewDMat);
  /// Ordered-range rule against the column count: (0, 0) is all, bounds clamped, pair ordered.
  void MakeValidColRange(Integer& lo, Integer& hi) const noexcept;
  /// Ordered-range rule against the row count.
  void MakeValidRowRange(Integer& lo, Integer& hi) const noexcept;

  /// The values, (column, row) 1-based; owned by the table unless adopted.
  TMatrix* NumericData() const noexcept { return FNumericData; }

  // ---- events ----
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  void SetOnChange(TNotifyEvent h) { FOnChange = std::move(h); }
  const TNotifyEvent& OnChangeSetup() const noexcept { return FOnChangeSetup; }
  void SetOnChangeSetup(TNotifyEvent h) { FOnChangeSetup = std::move(h); }
  const TNotifyEvent& OnChangeNames() const noexcept { return FOnChangeNames; }
  void SetOnChangeNames(TNotifyEvent h) { FOnChangeNames = std::move(h); }
  const TNotifyEvent& OnChangeAttrib() const noexcept { return FOnChangeAttrib; }
  void SetOnChangeAttrib(TNotifyEvent h) { FOnChangeAttrib = std::move(h); }
  const TNotifyEvent& OnChangeCellState() const noexcept { return FOnChangeCellSt; }
  void SetOnChangeCellState(TNotifyEvent h) { FOnChangeCellSt = std::move(h); }
  const TOnPercentDoneEvent& OnPercentDone() const noexcept { return FOnPercentDone; }
  void SetOnPercentDone(TOnPercentDoneEvent h) { FOnPercentDone = std::move(h); }
  const TDataTableResizeEvent& OnResize() const noexcept { return FOnResize; }
  void SetOnResize(TDataTableResizeEvent h) { FOnResize = std::move(h); }
  const TSortExchgEvent& OnSortExchange() const noexcept { return FOnSortExchange; }
  void SetOnSortExchange(TSortExchgEvent h) { FOnSortExchange = std::move(h); }

  /// Each fires its event with this table as sender when assigned.
  void ChangedData();
  void ChangedSetup();
  void ChangedNames();
  void ChangedAttrib();
  void ChangedCellStates();
  /// The matrix's OnChange handler: ChangedData.
  void DataHasChanged(TObject* Sender);
  /// The matrix's OnSortExchange handler. ExchgWhat 1: columns Index1 and Index2 exchange
  /// their state bytes over rows First..Last (and, while a sort includes headers, their
  /// attributes, descriptions and names); otherwise rows Index1 and Index2 over columns
  /// First..Last. Then OnSortExchange with this table as sender.
  void ExchangeDuringSort(TObject* Sender, Byte ExchgWhat, Integer Index1, Integer Index2,
                          Integer First, Integer Last);
  /// OnPercentDone(this, Percent) when assigned.
  void PercDone(TObject* Sender, Integer Percent);

  // ---- values ----
  /// Value of a cell, 0 outside the table; rounded to an integer (halves to even) in nominal
  /// and ordinal columns. The cell state is not consulted.
  double GetElem(Integer ACol, Integer ARow) const;
  double Elem(Integer ACol, Integer ARow) const { return GetElem(ACol, ARow); }
  /// Stores a value (OnChange twice: from the matrix and once more); ignored outside.
  void SetElem(Integer ACol, Integer ARow, double Value);
  /// Label of a cell of a nominal or ordinal column: label d for the rounded value d in
  /// 1..150, the decimal text of d (first 10 characters) otherwise; empty outside or in other
  /// columns.
  TNominalIDStr GetElemNominal(Integer ACol, Integer ARow) const;
  TNominalIDStr ElemNominal(Integer ACol, Integer ARow) const { return GetElemNominal(ACol, ARow); }
  /// Stores the number of label Value (case ignored), adding it in the lowest free slot when
  /// the column has no such label; then OnChange. Raises ENUVDataTableError "number of
  /// available nominal values exceeded" when no slot is free. Ignored outside the table.
  void SetElemNominal(Integer ACol, Integer ARow, const TNominalIDStr& Value);
  /// Number of the first slot of a nominal or ordinal column holding ID (cut to 10 bytes);
  /// 0 when none, ID is empty, Col is outside or the column is not categorical.
  Integer OrdinalOfNominalID(Integer Col, const TNominalIDStr& ID, bool IgnoreCase) const;

  // ---- cell states ----
  /// State byte of a cell: bit 0 and 1 invalid (1 empty), 5 imputed, 6 and 7 markings.
  Byte GetCellState(Integer ACol, Integer ARow) const noexcept;
  Byte CellState(Integer ACol, Integer ARow) const noexcept { return GetCellState(ACol, ARow); }
  /// Stores a state byte; OnChangeCellState only when it differs. Ignored outside.
  void SetCellState(Integer ACol, Integer ARow, Byte Value);
  /// True when the cell holds a valid number (state bits 0 and 1 clear); false outside.
  bool GetIsNumber(Integer ACol, Integer ARow) const noexcept;
  bool IsNumber(Integer ACol, Integer ARow) const noexcept { return GetIsNumber(ACol, ARow); }
  bool GetIsEmpty(Integer ACol, Integer ARow) const noexcept;
  bool IsEmpty(Integer ACol, Integer ARow) const noexcept { return GetIsEmpty(ACol, ARow); }
  /// Sets or clears the empty bit through SetCellState, then always fires OnChange.
  void SetIsEmpty(Integer ACol, Integer ARow, bool b);
  bool GetIsImputed(Integer ACol, Integer ARow) const noexcept;
  bool IsImputed(Integer ACol, Integer ARow) const noexcept { return GetIsImputed(ACol, ARow); }
  /// Sets or clears the imputed bit through SetCellState, then always fires OnChange.
  void SetIsImputed(Integer ACol, Integer ARow, bool b);

  // ---- names, attributes, scales, comment ----
  TDTNameStr GetColName(Integer ColNr) const;
  TDTNameStr ColName(Integer ColNr) const { return GetColName(ColNr); }
  /// Stores the first 50 bytes of HLine, then OnChangeNames; ignored outside.
  void SetColName(Integer ColNr, std::string_view HLine);
  TDTNameStr GetRowName(Integer RowNr) const;
  TDTNameStr RowName(Integer RowNr) const { return GetRowName(RowNr); }
  void SetRowName(Integer RowNr, std::string_view HLine);
  /// Greatest name length (0 without names).
  Integer MaxColNameLength() const noexcept;
  Integer MaxRowNameLength() const noexcept;

  /// Attributes, 0 outside; writers fire OnChangeAttrib and ignore indices outside.
  Integer GetRowAttrib(Integer RowNr) const noexcept;
  Integer RowAttrib(Integer RowNr) const noexcept { return GetRowAttrib(RowNr); }
  void SetRowAttrib(Integer RowNr, Integer Attrib);
  Integer GetColAttrib(Integer ColNr) const noexcept;
  Integer ColAttrib(Integer ColNr) const noexcept { return GetColAttrib(ColNr); }
  void SetColAttrib(Integer ColNr, Integer Attrib);
  /// Every row attribute := Attrib; OnChangeAttrib.
  void SetRowAttributes(Integer Attrib);
  /// Every row attribute := (attribute and not Mask) or (Attrib and Mask); OnChangeAttrib.
  void SetRowAttributes(Integer Attrib, Cardinal Mask);
  void SetColAttributes(Integer Attrib);
  void SetColAttributes(Integer Attrib, Cardinal Mask);

  /// Scale of a column; stUnknown outside.
  TMScaleType GetMScaleType(Integer ColNr) const noexcept;
  TMScaleType MScaleType(Integer ColNr) const noexcept { return GetMScaleType(ColNr); }
  /// Stores the scale (labels are kept), then OnChangeSetup; ignored outside.
  void SetMScaleType(Integer ColNr, TMScaleType AMScaleType);

  const std::string& Comment() const noexcept { return FComment; }
  /// Stores the text without its control characters, then OnChangeSetup.
  void SetFComment(std::string_view Text);

  // ---- labels ----
  /// Number of label MScaleID (case ignored) in column Col. A label the column lacks goes to
  /// the lowest free slot (slot 150 is overwritten when none is free), the column becomes
  /// stNominal and OnChangeSetup fires. 0 when Col is outside.
  Integer AddNominalID(Integer Col, const TNominalIDStr& MScaleID);
  /// Empties all 150 labels of the column (scale kept), OnChangeSetup; ignored outside.
  void ClearNominalIDs(Integer Col);
  /// Empty MScaleID frees slot OrdVal; a non-empty one is stored only in a categorical column.
  /// OnChangeSetup in both cases; nothing at all when ColIx or OrdVal (1..150) is outside.
  void SetNominalID(Integer ColIx, Integer OrdVal, const TNominalIDStr& MScaleID);
  /// Label OrdVal of a categorical column; empty otherwise.
  TNominalIDStr GetNominalID(Integer ColIx, Integer OrdVal) const;
  TNominalIDStr NominalID(Integer ColIx, Integer OrdVal) const {
    return GetNominalID(ColIx, OrdVal);
  }
  /// Numbers of the nominal and ordinal columns in ascending order.
  TIntArray ListOfCategorialVars() const;

  // ---- scales over ranges ----
  /// Greatest scale of columns FirstCol..LastCol (range made valid), at least stNominal.
  TMScaleType FindHighestMLevel(Integer FirstCol, Integer LastCol) const;
  /// Smallest scale of columns FirstCol..LastCol (range made valid), at most stRatio.
  TMScaleType FindLowestMLevel(Integer FirstCol, Integer LastCol) const;

  // ---- whole-table cell states ----
  /// Whether any state byte of the row (column) shares a bit with CellState; false outside.
  bool IfRowHasCellState(Integer row, Byte ACellState) const noexcept;
  bool IfColHasCellState(Integer col, Byte ACellState) const noexcept;
  /// Number of cells of the row (column) whose state shares a bit with StateMask; 0 outside.
  Integer CountMarkedCellsInRow(Integer Row, Byte StateMask) const noexcept;
  Integer CountMarkedCellsInColumn(Integer Col, Byte StateMask) const noexcept;
  /// Writes Value through the matrix into every cell whose state shares a bit with StateMask
  /// (one OnChange per cell), then OnChange once more when any was written; the count.
  Integer FillMarkedCells(double Value, Byte StateMask);
  /// Every state := ACellState; OnChangeCellState.
  void SetAllCellStates(Byte ACellState);
  /// Clears both markings (bits 6 and 7) of every state; OnChangeCellState.
  void UnmarkAllCells();
  /// Every state := state xor StateMask; OnChangeCellState.
  void InvertCellStates(Byte StateMask);
  /// Bits 6 and 7 of every state change places; OnChangeCellState.
  void ExchangeMarkings();

 private:
  bool ColOk(Integer c) const noexcept { return c >= 1 && c <= FNrOfCols; }
  bool RowOk(Integer r) const noexcept { return r >= 1 && r <= FNrOfRows; }
  bool CellOk(Integer c, Integer r) const noexcept { return ColOk(c) && RowOk(r); }
  bool IsCategorical(Integer c) const noexcept {
    const TMScaleType s = FVType[static_cast<std::size_t>(c - 1)].MScaleType;
    return s == stNominal || s == stOrdinal;
  }
  Byte& State(Integer c, Integer r) noexcept {
    return FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)];
  }
  Byte State(Integer c, Integer r) const noexcept {
    return FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)];
  }
  [[noreturn]] void Raise(std::string_view Text) const;
  /// Hooks DataHasChanged and ExchangeDuringSort onto M.
  void HookMatrix(TMatrix* M);
  /// Applies f to every state byte.
  template <class F>
  void ForEachState(F f) {
    for (auto& col : FCState)
      for (Byte& b : col) b = f(b);
  }

  TNotifyEvent FOnChange;
  TNotifyEvent FOnChangeSetup;
  TNotifyEvent FOnChangeNames;
  TNotifyEvent FOnChangeCellSt;
  TNotifyEvent FOnChangeAttrib;
  TOnPercentDoneEvent FOnPercentDone;
  TDataTableResizeEvent FOnResize;
  std::string FComment;
  std::vector<Integer> FRowAtt;
  std::vector<Integer> FColAtt;
  std::vector<TVTypeSpec> FVType;
  std::vector<std::vector<Byte>> FCState;  // [column - 1][row - 1]
  std::vector<TDTNameStr> FColName;
  std::vector<TDTNameStr> FRowName;
  Integer FNrOfCols = 1;
  Integer FNrOfRows = 1;
  bool FSortIncludeHd = false;
  TSortExchgEvent FOnSortExchange;
  bool FExtMatAssigned = false;
  TMatrix* FNumericData = nullptr;
};

}  // namespace nuv
