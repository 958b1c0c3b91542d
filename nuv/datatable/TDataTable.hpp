#pragma once
// TDataTable: a table of observations held in a TMatrix, with a state byte per cell, a scale,
// labels, a name and an attribute per column, a name and an attribute per row, and a comment.
// While a call of this library uses the table (its change, resize, sort or progress handlers,
// or those of its matrix, are running), every change of the table's size is refused: the
// resizers, inserts and removals of rows and columns, AssignAnotherDataMatrix, CopyContentsFrom
// and Serialize change nothing. Values may still change. Freeing the table or its matrix from
// such a handler is undefined.

#include <string>
#include <string_view>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/datatable/NUV_datatable.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

class TDataTable : public TComponent, public detail::TUseCounted {
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
  /// While a call uses the table or its matrix (its handlers are running), nothing changes.
  void Resize(Integer NrCols, Integer NrRows);
  /// Makes NewDMat the table's value matrix (the caller keeps owning it and frees it after the
  /// table); the table takes its size, every scale becomes stInterval. The matrix let go is
  /// never resized: the own one is freed, an earlier adopted one is unhooked and stays as it
  /// was. Fires OnResize when the size changes and once more in any case, then the five
  /// change events. Null does nothing, and so does a call while another call uses the table,
  /// its matrix or NewDMat.
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
  /// The matrix's OnChange handler: ChangedData (not while the table resizes the matrix).
  void DataHasChanged(TObject* Sender);
  /// The matrix's OnSortExchange handler. ExchgWhat 1: columns Index1 and Index2 exchange
  /// their state bytes over rows First..Last (and, while a sort includes headers, their
  /// attributes, descriptions and names); otherwise rows Index1 and Index2 over columns
  /// First..Last. During a table sort whose key row (column) lies outside the block, the two
  /// key cells exchange their states too. Then OnSortExchange with this table as sender.
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
  /// 1..150, the decimal text of d (first 10 characters) otherwise; empty outside, in other
  /// columns, and for a value that is not finite or not below 2^63 in magnitude.
  TNominalIDStr GetElemNominal(Integer ACol, Integer ARow) const;
  TNominalIDStr ElemNominal(Integer ACol, Integer ARow) const { return GetElemNominal(ACol, ARow); }
  /// Stores the number of label Value (case ignored, found in the column's slots whatever its
  /// scale), adding it in the lowest free slot when the column has no such label; then
  /// OnChange. Raises ENUVDataTableError "number of
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
  /// Stores HLine cut to at most 50 bytes at a UTF-8 character boundary, then OnChangeNames;
  /// ignored outside.
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
  /// the lowest free slot, the column becomes stNominal and OnChangeSetup fires; with no free
  /// slot ENUVDataTableError "number of available nominal values exceeded" is raised and
  /// nothing changes. 0 when Col is outside.
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

  // ---- statistics over blocks ----
  // Blocks (LowCol, LowRow, HighCol, HighRow) are made valid by MakeValidColRange and
  // MakeValidRowRange and visited column by column, rows inner. A cell is valid when its state
  // has bits 0 and 1 clear, numeric when it is valid and its column is stInterval or stRatio,
  // and marked by a mask when it is valid and shares one of the mask's bits 2 to 7.

  /// Number of numeric cells of the block.
  Integer CountNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Number of valid cells of the block, whatever the column's scale.
  Integer CountValidCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Number of cells of the block with the empty bit (1) set.
  Integer CountEmptyCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Number of cells of the block with the imputed bit (5) set, whatever the other bits.
  Integer CountImputedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  /// Sum of the numeric cells; NumData := their number.
  double SumOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                       Integer& NumData) const;
  /// Sum of the cells of numeric columns marked by CellState; NumData := their number.
  double SumOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          Byte CellState, Integer& NumData) const;
  /// Least and greatest numeric cell; the number of cells seen. With none, Minimum stays
  /// uc_MaxReal and Maximum -uc_MaxReal.
  Integer MinMaxOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Minimum, double& Maximum) const;
  /// MinMaxOfNumCells over the cells marked by CellState, in columns of any scale.
  Integer MinMaxOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                              Byte CellState, double& Minimum, double& Maximum) const;
  /// MinMaxOfNumCells over the valid cells of any column; nominal and ordinal values are
  /// rounded to integers (halves to even) first.
  Integer MinMaxOfValidCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                             double& Minimum, double& Maximum) const;
  /// Mean (0 without cells) and sample variance (sum of squared deviations from the mean over
  /// n - 1, formed in two passes) of the numeric cells; Variance is 1 for n <= 2. Returns n.
  Integer MeanVarOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                            double& Mean, double& Variance) const;
  /// MeanVarOfNumCells over the cells of numeric columns marked by CellState.
  Integer MeanVarOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                               Byte CellState, double& Mean, double& Variance) const;
  /// exp of the mean log of the positive numeric cells, NumData := their number; 0 when a cell
  /// is 0 or no cell counts. A negative cell raises ENUVMatrixError `Component "<Name>":
  /// negative argument passed to GeometricMean` (NumData untouched).
  double GeometricMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                 Integer& NumData) const;
  /// NumData / sum(1/x) over the numeric cells, 0 without cells. A cell <= 0 raises
  /// ENUVMatrixError `Component "<Name>": negative or zero argument passed to HarmonicMean`.
  double HarmonicMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                Integer& NumData) const;
  /// Quartiles of the numeric cells at positions (n + 1)p of the sorted values, p = 1/4, 1/2,
  /// 3/4, interpolated linearly and held to the smallest and largest value; all 0 without
  /// cells. True; lack of memory raises ENUVDataTableError "not enough memory on heap".
  bool QuartilesOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Q1, double& Q2, double& Q3, Integer& NumData) const;
  /// Percentile prob (clamped into 0..100) of the numeric cells: the sorted values
  /// interpolated at position (n - 1) prob / 100 from the smallest; 0 without cells, NaN for
  /// a NaN prob. Lack of memory raises ENUVMatrixError "not enough memory on heap".
  double PercentileOfNumCells(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow, Integer& NumData) const;
  /// PercentileOfNumCells over the cells of numeric columns marked by CellState.
  double PercentileOfMarkedCells(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                                 Integer HighRow, Byte CellState, Integer& NumData) const;

  /// Each numeric column with variance v > 0 becomes (x - mean) / sqrt(v) in its valid cells
  /// (one OnChange per cell). Element c of Means and StdDevs (when given) := mean and
  /// sqrt(max(v, 0)) for every numeric column. OnChange once more when a column changed.
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  /// Every row with a numeric variance v > 0 becomes (x - mean) / sqrt(v) in all its valid
  /// cells; element r of Means and StdDevs as for the columns; OnChange once more at the end.
  /// With a nominal or ordinal column: ENUVDataTableError "standardization of rows is not
  /// possible with nominal or ordinal variables" and nothing changes.
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  /// Subtracts its numeric mean from the valid cells of every numeric column; element c of
  /// Means := that mean; OnChange once more at the end.
  void MeanCenterNumCellColumns(TVector* Means);
  /// Subtracts its numeric mean from all valid cells of every row; element r of Means := that
  /// mean; OnChange once more at the end. With a nominal or ordinal column: ENUVDataTableError
  /// "mean centering of rows is not possible with nominal or ordinal variables".
  void MeanCenterNumCellRows(TVector* Means);

  /// Whether column col holds exactly two distinct values (states ignored): v1 the value of
  /// row 1, v2 the first other value (0 when none). False with fewer than two rows.
  bool CheckDichotomousColumn(Integer col, double& v1, double& v2) const;
  /// Whether every row of column ColIx equals row 1; false outside the table.
  bool IsConstantColumn(Integer ColIx) const;
  /// Copies the valid cells of the block whose state shares a bit with CellState (every valid
  /// cell for 255) into DestVect, in block order, and sizes DestVect to their number (one
  /// element of 0 when there are none). Returns the number; 0 for a null DestVect.
  Integer CopyCellsToVector(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                            Byte CellState, TVector* DestVect) const;
  /// Matrix of columns LoC..HiC over rows LoR..HiR, each pair using only the rows where both
  /// cells are valid (nominal and ordinal values rounded). Mode 0: sum of products / (m - 1);
  /// 1: covariance about the column means; 2: Pearson r; 3: r^2; 4: mean squared difference
  /// over m - 1; other modes 0. Modes 0, 1 and 4 give 0 for a pair with fewer than two common
  /// rows; modes 2 and 3 take the means and sums of squares of the pair's own common rows and
  /// give 0 for fewer than three, or when either column's common values are all equal (the
  /// diagonal is 1). Stores both halves into CovarMat; steps ProcStat per column mean and per
  /// row of the result; false when CovarMat is null or smaller than the range, HiC < LoC, or
  /// AbortMathProc stopped it.
  bool CalcCovar(TMatrix* CovarMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                 Integer Mode) const;

  // ---- sorting ----
  /// Orders the columns of the block by the values of row SortRowIx through the matrix's
  /// SortCols; each exchange moves the state bytes over the block's rows and, with
  /// IncludeHeaders, the columns' attributes, descriptions and names too (then ChangedNames and
  /// ChangedAttrib). When SortRowIx lies outside the block, its key cells carry their states.
  /// IncludeHeaders stays in force for sorts of NumericData itself until the next table sort.
  /// Such direct sorts report only the block to the table, so key cells outside the block
  /// leave their states behind.
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow, bool IncludeHeaders);
  /// SortCols for the rows of the block, ordered by column SortColIx.
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow, bool IncludeHeaders);
  /// Comb sort of rows LowRow..HighRow by name (IgnoreCase: ASCII lower case first; otherwise
  /// byte order, a shorter name before its extensions). Each exchange moves the two rows'
  /// names, attributes, and the values (through the matrix, OnChange per cell) and states of
  /// columns LowCol..HighCol, then fires OnSortExchange (this, 2, p, q, LowCol, HighCol).
  /// Afterwards ChangedData and ChangedNames. Fewer than two rows: nothing, no event.
  void SortRowNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                    Integer HighCol, Integer HighRow);
  void SortRowNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow);
  /// SortRowNames keyed by the row attributes; ends with ChangedData and ChangedAttrib.
  void SortRowAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                         Integer HighRow);
  /// SortRowNames for columns LowCol..HighCol, also moving their scales and labels; the cells
  /// of rows LowRow..HighRow go along; OnSortExchange (this, 1, p, q, LowRow, HighRow).
  void SortColNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                    Integer HighCol, Integer HighRow);
  void SortColNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow);
  /// SortColNames keyed by the column attributes; ends with ChangedData and ChangedAttrib.
  void SortColAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                         Integer HighRow);

  // ---- structure, copies, long format and checksums ----

  /// Inserts an empty row (name empty, attribute, values and states 0) before row ix, moving
  /// rows ix..R down; OnResize, then OnChangeSetup. Nothing unless 1 <= ix <= R + 1.
  void InsertRow(Integer ix);
  /// Removes row ix, moving the rows below up; then OnResize and OnChangeSetup. Nothing unless
  /// 1 <= ix <= R and R >= 2.
  void RemoveRow(Integer ix);
  /// Inserts a column (name empty, attribute 0, stInterval, no labels, values and states 0)
  /// before column ix; labels of a column that is not nominal or ordinal do not move with it.
  /// OnResize, then OnChangeSetup. Nothing unless 1 <= ix <= C + 1.
  void InsertColumn(Integer ix);
  /// Removes column ix, moving the columns behind it left; a moved column that is not nominal
  /// or ordinal keeps the labels of the position it arrives at. Then OnResize and
  /// OnChangeSetup. Nothing unless 1 <= ix <= C and C >= 2.
  void RemoveColumn(Integer ix);
  /// Exchanges two columns with values, states, attributes, names, scales and labels; then
  /// OnChange, OnChangeCellState, OnChangeAttrib, OnChangeNames, OnChangeSetup. An index
  /// outside 1..C does nothing and fires nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  /// Exchanges two rows with values, states, attributes and names; the same five events. An
  /// index outside 1..R does nothing and fires nothing.
  void ExchangeRows(Integer r1, Integer r2);
  /// Reverses the column order by ExchangeColumns (C, 1), (C - 1, 2), ...; then the five
  /// events once more.
  void MirrorColumns();
  /// Reverses the row order by ExchangeRows (1, R), (2, R - 1), ...; then the five events.
  void MirrorRows();
  /// Keeps the size; default names, states and attributes 0, stInterval without labels, empty
  /// comment, values 0. OnChange (from the matrix), then OnChangeNames, OnChangeAttrib,
  /// OnChangeCellState, OnChangeSetup.
  void Clear();

  /// Makes the table an equal copy of ExtTab (values of nominal and ordinal columns rounded).
  /// Fires OnResize when the size changes, then OnChange, OnChangeCellState, OnChangeSetup,
  /// OnChangeNames, OnChangeAttrib and OnResize once more. Null does nothing; the table itself
  /// changes nothing but fires the same events.
  void CopyContentsFrom(TDataTable* ExtTab);
  /// Copies every state byte of a table of the same size, then OnChangeCellState; false (and
  /// nothing copied) for another size or a null ExtTab.
  bool CopyCellStatesFrom(TDataTable* ExtTab);
  /// Copies values (ExtTab's GetElem) and states of a block of ExtTab to the cells starting
  /// at (DestCol, DestRow); cells that fall outside this table are skipped. Each source bound
  /// is clamped into ExtTab's size on its own, reversed pairs are ordered. The block may
  /// overlap itself when ExtTab is this table. Then OnChange and OnChangeCellState. Null does
  /// nothing.
  void CopyFrom(TDataTable* ExtTab, Integer SourceColLo, Integer SourceRowLo, Integer SourceColHi,
                Integer SourceRowHi, Integer DestCol, Integer DestRow);

  /// Number of the first column whose name equals ColID, blanks around both trimmed and case
  /// ignored; 0 when none does.
  Integer FindColIndex(const TDTNameStr& ColID) const;
  /// Number of the first row whose name equals RowID in the same way; 0 when none does.
  Integer FindRowIndex(const TDTNameStr& RowID) const;
  /// Number of distinct row attributes (meant for attributes in 0..255, correct for any).
  Integer RowAttribLevels() const;
  /// Number of distinct column attributes.
  Integer ColAttribLevels() const;
  /// Greatest row attribute of rows FirstRow..LastRow (range made valid). Row := the row
  /// where a value above that of the range's first row was last met, 0 when the first row
  /// holds the maximum. 0 with Row 0 on a table without rows.
  Integer MaxRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const;
  /// Least row attribute, as MaxRowAttrib.
  Integer MinRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const;
  /// Greatest column attribute of columns FirstCol..LastCol, as MaxRowAttrib.
  Integer MaxColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const;
  /// Least column attribute, as MaxRowAttrib.
  Integer MinColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const;

  /// Rewrites the table in long format, one row per cell (column by column): optional
  /// "(column)" (nominal, label k = "k:" + name of column k, for k <= 150), optional
  /// "(col. index)" and "(row index)", and "(data)" with the highest scale of the table; each
  /// row carries the name and attribute of its source row. Index columns get state 0. OnChange
  /// once at the end. ENUVDataTableError "not enough memory on heap" when R * C rows cannot
  /// be held (the table is unchanged).
  void Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers);

  /// 64 hexadecimal digits: eight CRC-32 lanes over the comment, names, attributes, scales
  /// and labels.
  std::string CRCofNamesAndAttributes() const;
  /// 64 hexadecimal digits: eight CRC-32 lanes over the state bytes, column by column.
  std::string CRCofCellStates() const;

 private:
  // Resize of the counts and header arrays; the matrix too when WithMatrix, granted through
  // Use when the calling routine holds it. False when refused (nothing changed).
  bool ResizeTable(Integer NrCols, Integer NrRows, bool WithMatrix, const detail::TUseGuard* Use);
  // True when Use is the only call using the table and its matrix: a routine that changes the
  // size checks it before it changes anything, as its resize would be refused.
  bool SoleUser(const detail::TUseGuard& Use) const noexcept {
    return Use.Outermost(this) && Use.Outermost(FNumericData);
  }
  // Comb sort of the rows (columns) of a block by a header order, moving names, attributes
  // (and scales), values and cell states; true when the range held two or more entries.
  template <class Greater>
  bool SortRowHeaders(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                      Integer HighRow, Greater IsGreater);
  template <class Greater>
  bool SortColHeaders(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                      Integer HighRow, Greater IsGreater);
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
  // Key row (column) of the running SortCols (SortRows) when it lies outside the sorted block;
  // 0 otherwise.
  Integer FSortKeyRow = 0;
  Integer FSortKeyCol = 0;
  TSortExchgEvent FOnSortExchange;
  bool FExtMatAssigned = false;
  bool FMatrixResizing = false;  // the table's own resize of the matrix is running
  // Change events a bulk operation holds back: its handlers stay assigned, as one of them may
  // be running the operation.
  static constexpr Byte kHeldData = 1, kHeldSetup = 2, kHeldOthers = 4;
  Byte FHeldEvents = 0;
  class THeldEvents {
   public:
    THeldEvents(TDataTable& T, Byte Events) noexcept : FT(T), FOld(T.FHeldEvents) {
      T.FHeldEvents = static_cast<Byte>(FOld | Events);
    }
    ~THeldEvents() { FT.FHeldEvents = FOld; }
    THeldEvents(const THeldEvents&) = delete;
    THeldEvents& operator=(const THeldEvents&) = delete;

   private:
    TDataTable& FT;
    Byte FOld;
  };
  TMatrix* FNumericData = nullptr;
};

}  // namespace nuv
