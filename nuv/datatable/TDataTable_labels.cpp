// Labels of categorical columns, scale queries and the whole-table cell-state operations.

#include <algorithm>
#include <array>

#include "nuv/datatable/TDataTable.hpp"

namespace nuv {
namespace {

TNominalIDStr CutLabel(const TNominalIDStr& s) {
  return detail::CutUtf8(s, kNominalIDLength);
}

// ASCII-only lower case, the same for every locale.
std::string Lower(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

// Number of the first slot holding ID (cut to a label's length), 0 when none does or ID is
// empty; the column's scale is not looked at.
Integer FindLabel(const std::array<TNominalIDStr, kMaxNominalIDs>& ids, const TNominalIDStr& ID,
                  bool IgnoreCase) {
  if (ID.empty()) return 0;
  const TNominalIDStr key = IgnoreCase ? Lower(CutLabel(ID)) : CutLabel(ID);
  for (Integer k = 1; k <= kMaxNominalIDs; ++k) {
    const auto& label = ids[static_cast<std::size_t>(k - 1)];
    if ((IgnoreCase ? Lower(label) : label) == key) return k;
  }
  return 0;
}

}  // namespace

Integer TDataTable::OrdinalOfNominalID(Integer Col, const TNominalIDStr& ID,
                                       bool IgnoreCase) const {
  if (!ColOk(Col) || !IsCategorical(Col)) return 0;
  return FindLabel(FVType[static_cast<std::size_t>(Col - 1)].IDs, ID, IgnoreCase);
}

void TDataTable::SetElemNominal(Integer ACol, Integer ARow, const TNominalIDStr& Value) {
  if (!CellOk(ACol, ARow)) return;
  // Labels are reused whatever the scale: in an interval column too, a second "red" must not
  // take a second slot.
  Integer k = FindLabel(FVType[static_cast<std::size_t>(ACol - 1)].IDs, Value, true);
  if (k < 1) {
    auto& ids = FVType[static_cast<std::size_t>(ACol - 1)].IDs;
    const auto free = std::find_if(ids.begin(), ids.end(), [](const auto& s) { return s.empty(); });
    if (free == ids.end()) Raise("number of available nominal values exceeded");
    *free = CutLabel(Value);
    k = static_cast<Integer>(free - ids.begin()) + 1;
  }
  FNumericData->SetVal(ACol, ARow, k);
  ChangedData();
}

Integer TDataTable::AddNominalID(Integer Col, const TNominalIDStr& MScaleID) {
  if (!ColOk(Col)) return 0;
  if (const Integer k = OrdinalOfNominalID(Col, MScaleID, true); k >= 1) return k;
  TVTypeSpec& vt = FVType[static_cast<std::size_t>(Col - 1)];
  const auto slot =
      std::find_if(vt.IDs.begin(), vt.IDs.end(), [](const auto& s) { return s.empty(); });
  // Overwriting a label would silently rename every cell that holds its number.
  if (slot == vt.IDs.end()) Raise("number of available nominal values exceeded");
  *slot = CutLabel(MScaleID);
  vt.MScaleType = stNominal;
  ChangedSetup();
  return static_cast<Integer>(slot - vt.IDs.begin()) + 1;
}

void TDataTable::ClearNominalIDs(Integer Col) {
  if (!ColOk(Col)) return;
  for (auto& s : FVType[static_cast<std::size_t>(Col - 1)].IDs) s.clear();
  ChangedSetup();
}

void TDataTable::SetNominalID(Integer ColIx, Integer OrdVal, const TNominalIDStr& MScaleID) {
  if (!ColOk(ColIx) || OrdVal < 1 || OrdVal > kMaxNominalIDs) return;
  auto& slot =
      FVType[static_cast<std::size_t>(ColIx - 1)].IDs[static_cast<std::size_t>(OrdVal - 1)];
  if (MScaleID.empty())
    slot.clear();
  else if (IsCategorical(ColIx))
    slot = CutLabel(MScaleID);
  ChangedSetup();
}

TNominalIDStr TDataTable::GetNominalID(Integer ColIx, Integer OrdVal) const {
  if (!ColOk(ColIx) || OrdVal < 1 || OrdVal > kMaxNominalIDs || !IsCategorical(ColIx)) return {};
  return FVType[static_cast<std::size_t>(ColIx - 1)].IDs[static_cast<std::size_t>(OrdVal - 1)];
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray list;
  for (Integer c = 1; c <= FNrOfCols; ++c)
    if (IsCategorical(c)) list.push_back(c);
  return list;
}

TMScaleType TDataTable::FindHighestMLevel(Integer FirstCol, Integer LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stNominal;
  // A table without columns validates to (0, 0): no column to look at.
  for (Integer c = std::max<Integer>(FirstCol, 1); c <= LastCol; ++c)
    level = std::max(level, GetMScaleType(c));
  return level;
}

TMScaleType TDataTable::FindLowestMLevel(Integer FirstCol, Integer LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stRatio;
  for (Integer c = std::max<Integer>(FirstCol, 1); c <= LastCol; ++c)
    level = std::min(level, GetMScaleType(c));
  return level;
}

bool TDataTable::IfRowHasCellState(Integer row, Byte ACellState) const noexcept {
  if (!RowOk(row)) return false;
  Byte all = 0;
  for (Integer c = 1; c <= FNrOfCols; ++c) all = static_cast<Byte>(all | State(c, row));
  return (all & ACellState) != 0;
}

bool TDataTable::IfColHasCellState(Integer col, Byte ACellState) const noexcept {
  if (!ColOk(col)) return false;
  Byte all = 0;
  for (const Byte b : FCState[static_cast<std::size_t>(col - 1)]) all = static_cast<Byte>(all | b);
  return (all & ACellState) != 0;
}

Integer TDataTable::CountMarkedCellsInRow(Integer Row, Byte StateMask) const noexcept {
  if (!RowOk(Row)) return 0;
  Integer n = 0;
  for (Integer c = 1; c <= FNrOfCols; ++c)
    if ((State(c, Row) & StateMask) != 0) ++n;
  return n;
}

Integer TDataTable::CountMarkedCellsInColumn(Integer Col, Byte StateMask) const noexcept {
  if (!ColOk(Col)) return 0;
  const auto& col = FCState[static_cast<std::size_t>(Col - 1)];
  return static_cast<Integer>(
      std::count_if(col.begin(), col.end(), [=](Byte b) { return (b & StateMask) != 0; }));
}

Integer TDataTable::FillMarkedCells(double Value, Byte StateMask) {
  const detail::TUseGuard use(this, FNumericData);
  Integer n = 0;
  for (Integer c = 1; c <= FNrOfCols; ++c)
    for (Integer r = 1; r <= FNrOfRows; ++r)
      if ((State(c, r) & StateMask) != 0) {
        FNumericData->SetVal(c, r, Value);
        ++n;
      }
  if (n > 0) ChangedData();
  return n;
}

void TDataTable::SetAllCellStates(Byte ACellState) {
  ForEachState([=](Byte) { return ACellState; });
  ChangedCellStates();
}

void TDataTable::UnmarkAllCells() {
  ForEachState([](Byte b) { return static_cast<Byte>(b & 63); });
  ChangedCellStates();
}

void TDataTable::InvertCellStates(Byte StateMask) {
  ForEachState([=](Byte b) { return static_cast<Byte>(b ^ StateMask); });
  ChangedCellStates();
}

void TDataTable::ExchangeMarkings() {
  ForEachState(
      [](Byte b) { return static_cast<Byte>((b & 63) | ((b & 64) << 1) | ((b & 128) >> 1)); });
  ChangedCellStates();
}

}  // namespace nuv
