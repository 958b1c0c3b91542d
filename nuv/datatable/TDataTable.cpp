#include "nuv/datatable/TDataTable.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "nuv/base/strings.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/scalar/detail/vector_core.hpp"

namespace nuv {
namespace detail {

std::string FormatFloatStr(double x, Integer Width, Integer Decimals) {
  // |INT_MIN| is not an Integer; no width that large can be meant.
  const Integer absWidth = Width < 0 ? (Width == INT32_MIN ? INT32_MAX : -Width) : Width;
  std::string s;
  if (Decimals == -2) {
    s = FormatFloat(x, absWidth > INT32_MAX - 2 ? INT32_MAX : absWidth + 2, -1);
    // The runtime writes four exponent digits; keep two, or mark an exponent that needs more.
    const std::size_t e = s.find('E');
    if (e != std::string::npos && s.size() == e + 6) {
      const bool small = s[e + 2] == '0' && s[e + 3] == '0';
      s.erase(e + 2, 2);
      if (!small) std::fill(s.begin(), s.end(), '*');
    }
  } else {
    s = FormatFloat(x, absWidth, Decimals);
  }
  if (Width < 0) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') s[i++] = '0';
    if (i < s.size() && s[i] == '-') {
      s[i] = '0';
      s[0] = '-';
    }
  }
  return s;
}

std::string TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

std::string CutUtf8(std::string_view s, std::size_t MaxBytes) {
  if (s.size() <= MaxBytes) return std::string(s);
  auto cont = [&s](std::size_t i) { return (static_cast<unsigned char>(s[i]) & 0xC0u) == 0x80u; };
  // s[MaxBytes] is the first byte left out. When it continues a sequence whose lead byte lies
  // at most three bytes before it, that whole sequence goes too.
  std::size_t lead = MaxBytes;
  while (lead > 0 && MaxBytes - lead < 3 && cont(lead)) --lead;
  if (lead < MaxBytes && cont(MaxBytes) && !cont(lead)) {
    const auto b0 = static_cast<unsigned char>(s[lead]);
    const std::size_t len = (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 1;
    if (lead + len > MaxBytes) return std::string(s.substr(0, lead));
  }
  return std::string(s.substr(0, MaxBytes));
}

}  // namespace detail

namespace {

std::string DefaultName(char Prefix, Integer i) {
  return std::string{Prefix, '-'} + detail::FormatFloatStr(i, 1, 0);
}

TDTNameStr CutName(std::string_view s) {
  return detail::CutUtf8(s, kDTNameLength);
}

// Copies of a count-sized array with the first min(old, new) entries kept.
template <class T, class Fill>
std::vector<T> Resized(const std::vector<T>& Old, Integer NewCount, Fill MakeNew) {
  std::vector<T> v;
  v.reserve(static_cast<std::size_t>(NewCount));
  const std::size_t keep = std::min(Old.size(), static_cast<std::size_t>(NewCount));
  v.assign(Old.begin(), Old.begin() + static_cast<std::ptrdiff_t>(keep));
  for (Integer i = static_cast<Integer>(keep) + 1; i <= NewCount; ++i) v.push_back(MakeNew(i));
  return v;
}

}  // namespace

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FNumericData = new TMatrix(nullptr);
    FNumericData->Resize(1, 1);
    FNumericData->Fill(0.0);
    FCState.assign(1, std::vector<Byte>(1, 0));
    FColName.assign(1, DefaultName('C', 1));
    FRowName.assign(1, DefaultName('R', 1));
    FRowAtt.assign(1, 0);
    FColAtt.assign(1, 0);
    FVType.resize(1);
  } catch (const std::bad_alloc&) {
    delete FNumericData;
    FNumericData = nullptr;
    Raise("failed to initialize (out of memory)");
  } catch (const ENUVMatrixError&) {
    delete FNumericData;
    FNumericData = nullptr;
    Raise("failed to initialize (out of memory)");
  }
  HookMatrix(FNumericData);
}

TDataTable::~TDataTable() {
  if (!FExtMatAssigned) {
    delete FNumericData;
  } else if (FNumericData != nullptr) {
    FNumericData->SetOnChange(nullptr);
    FNumericData->SetOnSortExchange(nullptr);
  }
  FNumericData = nullptr;
}

void TDataTable::Raise(std::string_view Text) const {
  detail::RaiseComponent<ENUVDataTableError>(this, Text);
}

void TDataTable::HookMatrix(TMatrix* M) {
  M->SetOnChange([this](TObject* Sender) { DataHasChanged(Sender); });
  M->SetOnSortExchange([this](TObject* Sender, Byte What, Integer i1, Integer i2, Integer lo,
                              Integer hi) { ExchangeDuringSort(Sender, What, i1, i2, lo, hi); });
}

// ---- size ----

void TDataTable::SetNrCols(Integer n) {
  Resize(n, FNrOfRows);
}

void TDataTable::SetNrRows(Integer n) {
  Resize(FNrOfCols, n);
}

void TDataTable::Resize(Integer NrCols, Integer NrRows) {
  ResizeTable(NrCols, NrRows, true, nullptr);
}

bool TDataTable::ResizeTable(Integer NrCols, Integer NrRows, bool WithMatrix,
                             const detail::TUseGuard* Use) {
  if (!MayResize()) return false;
  NrCols = std::max<Integer>(NrCols, 0);
  NrRows = std::max<Integer>(NrRows, 0);
  if (NrCols == FNrOfCols && NrRows == FNrOfRows) return true;
  const Integer oldCols = FNrOfCols;
  const Integer oldRows = FNrOfRows;

  // Everything is allocated before anything is committed, so a failure or a refusal leaves
  // the table as it was (counts, arrays and matrix always agree). The header arrays and the
  // state bytes come first, the matrix last: it is the only part a running call of the
  // matrix itself can refuse to resize, and nothing needs to be undone after it.
  // A size whose cells the matrix cannot address fails before anything is allocated.
  const std::uint64_t cells = static_cast<std::uint64_t>(std::max<Integer>(NrCols, 1)) *
                              static_cast<std::uint64_t>(std::max<Integer>(NrRows, 1));
  if (cells >
      static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(double))
    Raise("not enough memory on heap");
  std::vector<TDTNameStr> colName, rowName;
  std::vector<Integer> colAtt, rowAtt;
  std::vector<std::vector<Byte>> state;
  try {
    if (NrCols != oldCols) {
      colName = Resized(FColName, NrCols, [](Integer i) { return DefaultName('C', i); });
      colAtt = Resized(FColAtt, NrCols, [](Integer) { return 0; });
      FVType.reserve(static_cast<std::size_t>(NrCols));
    }
    if (NrRows != oldRows) {
      rowName = Resized(FRowName, NrRows, [](Integer i) { return DefaultName('R', i); });
      rowAtt = Resized(FRowAtt, NrRows, [](Integer) { return 0; });
    }
    state.reserve(static_cast<std::size_t>(NrCols));
    for (Integer c = 0; c < NrCols; ++c) {
      std::vector<Byte> col(static_cast<std::size_t>(NrRows), 0);
      if (c < oldCols) {
        const auto& old = FCState[static_cast<std::size_t>(c)];
        std::copy_n(old.begin(), std::min(old.size(), col.size()), col.begin());
      }
      state.push_back(std::move(col));
    }
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }

  // A resize of the matrix is no value change: its OnChange is not passed on meanwhile. The
  // handler itself stays in place, as this may run inside it.
  if (WithMatrix) {
    bool resized = false;
    FMatrixResizing = true;
    try {
      if (Use != nullptr) Use->AllowResize(FNumericData);
      resized = FNumericData->Resize(NrCols, NrRows);
    } catch (const ENUVMatrixError&) {
      FMatrixResizing = false;
      Raise("not enough memory on heap");
    }
    FMatrixResizing = false;
    if (!resized) return false;
  }
  FNrOfCols = NrCols;
  FNrOfRows = NrRows;
  FCState.swap(state);
  if (NrCols != oldCols) {
    FColName.swap(colName);
    FColAtt.swap(colAtt);
    FVType.resize(static_cast<std::size_t>(NrCols));  // capacity reserved: cannot throw
  }
  if (NrRows != oldRows) {
    FRowName.swap(rowName);
    FRowAtt.swap(rowAtt);
  }
  if (FOnResize) FOnResize(this, oldCols, oldRows, NrCols, NrRows);
  return true;
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* NewDMat) {
  if (NewDMat == nullptr || !MayResize()) return;
  TMatrix* const old = FNumericData;
  // Declared before the guard, so that the matrix let go is freed after the guard is done with
  // it.
  std::unique_ptr<TMatrix> freed;
  detail::TUseGuard use(this, old, NewDMat);
  // The matrix let go is freed or handed back, and the new one hooked, only when no other call
  // uses them.
  // Hooking a matrix replaces its handlers, which must not happen while they may be running.
  if (!SoleUser(use) || !use.Outermost(NewDMat)) return;
  const Integer oldCols = FNrOfCols;
  const Integer oldRows = FNrOfRows;
  {
    const THeldEvents held(*this, kHeldData | kHeldSetup);
    // The current matrix is either freed or handed back below (or is NewDMat itself, which
    // has the size already): resizing it would only cut cells of a matrix the caller keeps.
    use.AllowResize(this);
    if (!ResizeTable(NewDMat->NrOfColumns(), NewDMat->NrOfRows(), false, &use)) return;
  }
  if (NewDMat != old) {
    // Unhooked, so that it cannot call into this table once the table is gone.
    old->SetOnChange(nullptr);
    old->SetOnSortExchange(nullptr);
    if (!FExtMatAssigned) freed.reset(old);
    FNumericData = NewDMat;
    FExtMatAssigned = true;
  }
  // Re-adopting the table's own matrix keeps it the table's own (the caller never owned it).
  HookMatrix(FNumericData);
  for (auto& v : FVType) v.MScaleType = stInterval;
  {
    const THeldEvents held(*this, kHeldData | kHeldSetup);
    if (FOnResize) FOnResize(this, oldCols, oldRows, NewDMat->NrOfColumns(), NewDMat->NrOfRows());
  }
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::MakeValidColRange(Integer& lo, Integer& hi) const noexcept {
  detail::MakeValidRange(lo, hi, FNrOfCols);
}

void TDataTable::MakeValidRowRange(Integer& lo, Integer& hi) const noexcept {
  detail::MakeValidRange(lo, hi, FNrOfRows);
}

// ---- events ----

void TDataTable::ChangedData() {
  if (FOnChange && (FHeldEvents & kHeldData) == 0) FOnChange(this);
}

void TDataTable::ChangedSetup() {
  if (FOnChangeSetup && (FHeldEvents & kHeldSetup) == 0) FOnChangeSetup(this);
}

void TDataTable::ChangedNames() {
  if (FOnChangeNames && (FHeldEvents & kHeldOthers) == 0) FOnChangeNames(this);
}

void TDataTable::ChangedAttrib() {
  if (FOnChangeAttrib && (FHeldEvents & kHeldOthers) == 0) FOnChangeAttrib(this);
}

void TDataTable::ChangedCellStates() {
  if (FOnChangeCellSt && (FHeldEvents & kHeldOthers) == 0) FOnChangeCellSt(this);
}

void TDataTable::DataHasChanged(TObject* /*Sender*/) {
  if (FMatrixResizing) return;
  ChangedData();
}

void TDataTable::PercDone(TObject* /*Sender*/, Integer Percent) {
  if (FOnPercentDone) FOnPercentDone(this, Percent);
}

void TDataTable::ExchangeDuringSort(TObject* /*Sender*/, Byte ExchgWhat, Integer Index1,
                                    Integer Index2, Integer First, Integer Last) {
  // Indices come from the matrix; anything outside the table is not moved.
  if (ExchgWhat == 1) {
    if (ColOk(Index1) && ColOk(Index2) && RowOk(FSortKeyRow))
      std::swap(State(Index1, FSortKeyRow), State(Index2, FSortKeyRow));
    if (ColOk(Index1) && ColOk(Index2)) {
      const auto c1 = static_cast<std::size_t>(Index1 - 1);
      const auto c2 = static_cast<std::size_t>(Index2 - 1);
      if (FSortIncludeHd) {
        std::swap(FColAtt[c1], FColAtt[c2]);
        std::swap(FVType[c1], FVType[c2]);
        std::swap(FColName[c1], FColName[c2]);
      }
      for (Integer r = std::max<Integer>(First, 1); r <= std::min(Last, FNrOfRows); ++r)
        std::swap(State(Index1, r), State(Index2, r));
    }
  } else if (RowOk(Index1) && RowOk(Index2)) {
    if (ColOk(FSortKeyCol)) std::swap(State(FSortKeyCol, Index1), State(FSortKeyCol, Index2));
    const auto r1 = static_cast<std::size_t>(Index1 - 1);
    const auto r2 = static_cast<std::size_t>(Index2 - 1);
    if (FSortIncludeHd) {
      std::swap(FRowAtt[r1], FRowAtt[r2]);
      std::swap(FRowName[r1], FRowName[r2]);
    }
    for (Integer c = std::max<Integer>(First, 1); c <= std::min(Last, FNrOfCols); ++c)
      std::swap(State(c, Index1), State(c, Index2));
  }
  if (FOnSortExchange) FOnSortExchange(this, ExchgWhat, Index1, Index2, First, Last);
}

// ---- values ----

double TDataTable::GetElem(Integer ACol, Integer ARow) const {
  if (!CellOk(ACol, ARow)) return 0.0;
  const double v = FNumericData->GetVal(ACol, ARow);
  // nearbyint rounds halves to even and passes NaN and infinities through unharmed.
  return IsCategorical(ACol) ? std::nearbyint(v) : v;
}

void TDataTable::SetElem(Integer ACol, Integer ARow, double Value) {
  if (!CellOk(ACol, ARow)) return;
  FNumericData->SetVal(ACol, ARow, Value);
  ChangedData();
}

TNominalIDStr TDataTable::GetElemNominal(Integer ACol, Integer ARow) const {
  if (!CellOk(ACol, ARow) || !IsCategorical(ACol)) return {};
  const double d = std::nearbyint(FNumericData->GetVal(ACol, ARow)) + 0.0;  // -0 -> 0
  if (d >= 1.0 && d <= kMaxNominalIDs)
    return FVType[static_cast<std::size_t>(ACol - 1)].IDs[static_cast<std::size_t>(d) - 1];
  // Only values that an Int64 holds have decimal digits to show.
  constexpr double kTwo63 = 9223372036854775808.0;
  if (!(std::fabs(d) < kTwo63)) return {};
  return FormatFloat(d, 1, 0).substr(0, kNominalIDLength);
}

// ---- cell states ----

Byte TDataTable::GetCellState(Integer ACol, Integer ARow) const noexcept {
  return CellOk(ACol, ARow) ? State(ACol, ARow) : Byte{0};
}

void TDataTable::SetCellState(Integer ACol, Integer ARow, Byte Value) {
  if (!CellOk(ACol, ARow) || State(ACol, ARow) == Value) return;
  State(ACol, ARow) = Value;
  ChangedCellStates();
}

bool TDataTable::GetIsNumber(Integer ACol, Integer ARow) const noexcept {
  return CellOk(ACol, ARow) && (State(ACol, ARow) & 3) == 0;
}

bool TDataTable::GetIsEmpty(Integer ACol, Integer ARow) const noexcept {
  return (GetCellState(ACol, ARow) & 2) != 0;
}

bool TDataTable::GetIsImputed(Integer ACol, Integer ARow) const noexcept {
  return (GetCellState(ACol, ARow) & 32) != 0;
}

void TDataTable::SetIsEmpty(Integer ACol, Integer ARow, bool b) {
  const Byte s = GetCellState(ACol, ARow);
  SetCellState(ACol, ARow, static_cast<Byte>(b ? (s | 2) : (s & ~2)));
  ChangedData();
}

void TDataTable::SetIsImputed(Integer ACol, Integer ARow, bool b) {
  const Byte s = GetCellState(ACol, ARow);
  SetCellState(ACol, ARow, static_cast<Byte>(b ? (s | 32) : (s & ~32)));
  ChangedData();
}

// ---- names, attributes, scales, comment ----

TDTNameStr TDataTable::GetColName(Integer ColNr) const {
  return ColOk(ColNr) ? FColName[static_cast<std::size_t>(ColNr - 1)] : TDTNameStr{};
}

void TDataTable::SetColName(Integer ColNr, std::string_view HLine) {
  if (!ColOk(ColNr)) return;
  FColName[static_cast<std::size_t>(ColNr - 1)] = CutName(HLine);
  ChangedNames();
}

TDTNameStr TDataTable::GetRowName(Integer RowNr) const {
  return RowOk(RowNr) ? FRowName[static_cast<std::size_t>(RowNr - 1)] : TDTNameStr{};
}

void TDataTable::SetRowName(Integer RowNr, std::string_view HLine) {
  if (!RowOk(RowNr)) return;
  FRowName[static_cast<std::size_t>(RowNr - 1)] = CutName(HLine);
  ChangedNames();
}

Integer TDataTable::MaxColNameLength() const noexcept {
  std::size_t m = 0;
  for (const auto& n : FColName) m = std::max(m, n.size());
  return static_cast<Integer>(m);
}

Integer TDataTable::MaxRowNameLength() const noexcept {
  std::size_t m = 0;
  for (const auto& n : FRowName) m = std::max(m, n.size());
  return static_cast<Integer>(m);
}

Integer TDataTable::GetRowAttrib(Integer RowNr) const noexcept {
  return RowOk(RowNr) ? FRowAtt[static_cast<std::size_t>(RowNr - 1)] : 0;
}

void TDataTable::SetRowAttrib(Integer RowNr, Integer Attrib) {
  if (!RowOk(RowNr)) return;
  FRowAtt[static_cast<std::size_t>(RowNr - 1)] = Attrib;
  ChangedAttrib();
}

Integer TDataTable::GetColAttrib(Integer ColNr) const noexcept {
  return ColOk(ColNr) ? FColAtt[static_cast<std::size_t>(ColNr - 1)] : 0;
}

void TDataTable::SetColAttrib(Integer ColNr, Integer Attrib) {
  if (!ColOk(ColNr)) return;
  FColAtt[static_cast<std::size_t>(ColNr - 1)] = Attrib;
  ChangedAttrib();
}

namespace {

Integer Masked(Integer Old, Integer Attrib, Cardinal Mask) {
  const auto v = (static_cast<Cardinal>(Old) & ~Mask) | (static_cast<Cardinal>(Attrib) & Mask);
  return static_cast<Integer>(v);
}

}  // namespace

void TDataTable::SetRowAttributes(Integer Attrib) {
  std::fill(FRowAtt.begin(), FRowAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetRowAttributes(Integer Attrib, Cardinal Mask) {
  for (Integer& a : FRowAtt) a = Masked(a, Attrib, Mask);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(Integer Attrib) {
  std::fill(FColAtt.begin(), FColAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(Integer Attrib, Cardinal Mask) {
  for (Integer& a : FColAtt) a = Masked(a, Attrib, Mask);
  ChangedAttrib();
}

TMScaleType TDataTable::GetMScaleType(Integer ColNr) const noexcept {
  return ColOk(ColNr) ? FVType[static_cast<std::size_t>(ColNr - 1)].MScaleType : stUnknown;
}

void TDataTable::SetMScaleType(Integer ColNr, TMScaleType AMScaleType) {
  if (!ColOk(ColNr)) return;
  FVType[static_cast<std::size_t>(ColNr - 1)].MScaleType = AMScaleType;
  ChangedSetup();
}

void TDataTable::SetFComment(std::string_view Text) {
  FComment = RemoveControlChars(Text);
  ChangedSetup();
}

}  // namespace nuv
