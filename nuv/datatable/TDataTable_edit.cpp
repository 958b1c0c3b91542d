// Structural editing of the data table (insert, remove, exchange, mirror, clear), copies between
// tables, look-ups by name and attribute, the long format and the header and state checksums.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <utility>
#include <vector>

#include "nuv/base/crc.hpp"
#include "nuv/datatable/TDataTable.hpp"

namespace nuv {
namespace {

std::string DefaultName(char Prefix, Integer i) {
  return std::string{Prefix, '-'} + detail::FormatFloatStr(i, 1, 0);
}

// ASCII-only upper case, the same for every locale.
std::string Upper(std::string s) {
  for (char& ch : s)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return s;
}

std::string NameKey(std::string_view s) {
  return Upper(detail::TrimBlanks(detail::CutUtf8(s, kDTNameLength)));
}

bool IsCategoricalScale(TMScaleType s) {
  return s == stNominal || s == stOrdinal;
}

// Row Dst takes attribute, name, values and states of row Src. Values are read from the
// matrix, not through GetElem, so that moving a row never rounds the stored values of
// nominal and ordinal columns.
void MoveRow(TDataTable& T, Integer Dst, Integer Src) {
  T.SetRowAttrib(Dst, T.GetRowAttrib(Src));
  T.SetRowName(Dst, T.GetRowName(Src));
  for (Integer c = 1; c <= T.NrOfColumns(); ++c) {
    T.SetElem(c, Dst, T.NumericData()->GetVal(c, Src));
    T.SetCellState(c, Dst, T.GetCellState(c, Src));
  }
}

void BlankRow(TDataTable& T, Integer r) {
  T.SetRowAttrib(r, 0);
  T.SetRowName(r, "");
  for (Integer c = 1; c <= T.NrOfColumns(); ++c) {
    T.SetElem(c, r, 0.0);
    T.SetCellState(c, r, 0);
  }
}

// Column Dst takes column Src. With AllLabels the 150 labels always go through
// GetNominalID/SetNominalID (a column that is not categorical arrives without labels);
// otherwise they move only with a categorical scale and Dst keeps its own labels else.
void MoveColumn(TDataTable& T, Integer Dst, Integer Src, bool AllLabels) {
  T.SetColAttrib(Dst, T.GetColAttrib(Src));
  T.SetColName(Dst, T.GetColName(Src));
  const TMScaleType scale = T.GetMScaleType(Src);
  T.SetMScaleType(Dst, scale);
  if (AllLabels || IsCategoricalScale(scale))
    for (Integer k = 1; k <= kMaxNominalIDs; ++k) T.SetNominalID(Dst, k, T.GetNominalID(Src, k));
  for (Integer r = 1; r <= T.NrOfRows(); ++r) {
    T.SetElem(Dst, r, T.NumericData()->GetVal(Src, r));
    T.SetCellState(Dst, r, T.GetCellState(Src, r));
  }
}

void BlankColumn(TDataTable& T, Integer c) {
  T.SetColAttrib(c, 0);
  T.SetColName(c, "");
  T.SetMScaleType(c, stInterval);
  for (Integer k = 1; k <= kMaxNominalIDs; ++k) T.SetNominalID(c, k, "");
  for (Integer r = 1; r <= T.NrOfRows(); ++r) {
    T.SetElem(c, r, 0.0);
    T.SetCellState(c, r, 0);
  }
}

Integer DistinctCount(std::vector<Integer> v) {
  std::sort(v.begin(), v.end());
  return static_cast<Integer>(std::unique(v.begin(), v.end()) - v.begin());
}

// Running extreme of Att[Lo..Hi] (1-based); Pos := where it was last improved, 0 when the
// first entry holds it. Better(a, b) tells whether a replaces b.
template <class Better>
Integer Extreme(const std::vector<Integer>& Att, Integer Lo, Integer Hi, Integer& Pos,
                Better better) {
  Pos = 0;
  if (Att.empty()) return 0;
  Integer m = Att[static_cast<std::size_t>(Lo - 1)];
  for (Integer i = Lo + 1; i <= Hi; ++i) {
    const Integer a = Att[static_cast<std::size_t>(i - 1)];
    if (better(a, m)) {
      m = a;
      Pos = i;
    }
  }
  return m;
}

// Eight CRC-32 registers; byte k (1-based) of an item goes to register k mod 8.
class LaneRegisters {
 public:
  LaneRegisters() { FReg.fill(0xFFFFFFFFu); }
  template <class Bytes>
  void Item(const Bytes& Data) {
    std::size_t k = 0;
    for (const auto b : Data) {
      ++k;
      Cardinal& reg = FReg[k % 8];
      reg = detail::Crc32Step(static_cast<Byte>(b), reg);
    }
  }
  std::string Text() const {
    std::string s;
    s.reserve(64);
    for (const Cardinal reg : FReg) s += detail::Hex8(~reg);
    return s;
  }

 private:
  std::array<Cardinal, 8> FReg;
};

// Low bytes of the UTF-16 code units of a UTF-8 text. A byte that does not start a
// well-formed sequence stands for itself (one unit), so any input gives a result.
std::vector<Byte> Utf16LowBytes(std::string_view s) {
  std::vector<Byte> out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len = b0 < 0x80         ? 1
                      : (b0 >> 5) == 6  ? 2
                      : (b0 >> 4) == 14 ? 3
                      : (b0 >> 3) == 30 ? 4
                                        : 0;
    std::uint32_t cp = len == 2 ? (b0 & 0x1Fu) : len == 3 ? (b0 & 0x0Fu) : (b0 & 0x07u);
    bool ok = len >= 1 && i + len <= s.size();
    for (std::size_t j = 1; ok && j < len; ++j) {
      const auto bj = static_cast<unsigned char>(s[i + j]);
      ok = (bj & 0xC0u) == 0x80u;
      cp = (cp << 6) | (bj & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not well-formed.
    static constexpr std::uint32_t kMinCp[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && len > 1 && (cp < kMinCp[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
      ok = false;
    if (!ok) {
      out.push_back(b0);
      ++i;
      continue;
    }
    if (len == 1) {
      out.push_back(b0);
    } else if (cp < 0x10000) {
      out.push_back(static_cast<Byte>(cp & 0xFFu));
    } else {
      const std::uint32_t v = cp - 0x10000;
      out.push_back(static_cast<Byte>((0xD800u + (v >> 10)) & 0xFFu));
      out.push_back(static_cast<Byte>((0xDC00u + (v & 0x3FFu)) & 0xFFu));
    }
    i += len;
  }
  return out;
}

}  // namespace

// ---- structure ----

void TDataTable::InsertRow(Integer ix) {
  if (ix < 1 || ix - 1 > FNrOfRows || FNrOfRows == std::numeric_limits<Integer>::max()) return;
  const detail::TUseGuard use(this, FNumericData);
  if (!SoleUser(use)) return;
  use.AllowResize(this);
  if (!ResizeTable(FNrOfCols, FNrOfRows + 1, true, &use)) return;
  for (Integer r = FNrOfRows; r > ix; --r) MoveRow(*this, r, r - 1);
  BlankRow(*this, ix);
  ChangedSetup();
}

void TDataTable::RemoveRow(Integer ix) {
  if (ix < 1 || ix > FNrOfRows || FNrOfRows < 2) return;
  const detail::TUseGuard use(this, FNumericData);
  if (!SoleUser(use)) return;
  for (Integer r = ix; r < FNrOfRows; ++r) MoveRow(*this, r, r + 1);
  use.AllowResize(this);
  ResizeTable(FNrOfCols, FNrOfRows - 1, true, &use);
  ChangedSetup();
}

void TDataTable::InsertColumn(Integer ix) {
  if (ix < 1 || ix - 1 > FNrOfCols || FNrOfCols == std::numeric_limits<Integer>::max()) return;
  const detail::TUseGuard use(this, FNumericData);
  if (!SoleUser(use)) return;
  use.AllowResize(this);
  if (!ResizeTable(FNrOfCols + 1, FNrOfRows, true, &use)) return;
  for (Integer c = FNrOfCols; c > ix; --c) MoveColumn(*this, c, c - 1, true);
  BlankColumn(*this, ix);
  ChangedSetup();
}

void TDataTable::RemoveColumn(Integer ix) {
  if (ix < 1 || ix > FNrOfCols || FNrOfCols < 2) return;
  const detail::TUseGuard use(this, FNumericData);
  if (!SoleUser(use)) return;
  for (Integer c = ix; c < FNrOfCols; ++c) MoveColumn(*this, c, c + 1, false);
  use.AllowResize(this);
  ResizeTable(FNrOfCols - 1, FNrOfRows, true, &use);
  ChangedSetup();
}

void TDataTable::ExchangeColumns(Integer c1, Integer c2) {
  if (!ColOk(c1) || !ColOk(c2)) return;
  const detail::TUseGuard use(this, FNumericData);
  FNumericData->ExchangeColumns(c1, c2);
  const auto i1 = static_cast<std::size_t>(c1 - 1);
  const auto i2 = static_cast<std::size_t>(c2 - 1);
  std::swap(FColAtt[i1], FColAtt[i2]);
  std::swap(FColName[i1], FColName[i2]);
  std::swap(FVType[i1], FVType[i2]);
  std::swap(FCState[i1], FCState[i2]);
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::ExchangeRows(Integer r1, Integer r2) {
  if (!RowOk(r1) || !RowOk(r2)) return;
  const detail::TUseGuard use(this, FNumericData);
  FNumericData->ExchangeRows(r1, r2);
  const auto i1 = static_cast<std::size_t>(r1 - 1);
  const auto i2 = static_cast<std::size_t>(r2 - 1);
  std::swap(FRowAtt[i1], FRowAtt[i2]);
  std::swap(FRowName[i1], FRowName[i2]);
  for (auto& col : FCState) std::swap(col[i1], col[i2]);
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::MirrorColumns() {
  const detail::TUseGuard use(this, FNumericData);
  for (Integer a = FNrOfCols, b = 1; a > b; --a, ++b) ExchangeColumns(a, b);
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::MirrorRows() {
  const detail::TUseGuard use(this, FNumericData);
  for (Integer a = 1, b = FNrOfRows; b > a; ++a, --b) ExchangeRows(a, b);
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::Clear() {
  for (Integer c = 1; c <= FNrOfCols; ++c) {
    FColName[static_cast<std::size_t>(c - 1)] = DefaultName('C', c);
    FVType[static_cast<std::size_t>(c - 1)] = TVTypeSpec{};
  }
  for (Integer r = 1; r <= FNrOfRows; ++r)
    FRowName[static_cast<std::size_t>(r - 1)] = DefaultName('R', r);
  for (auto& col : FCState) std::fill(col.begin(), col.end(), Byte{0});
  std::fill(FColAtt.begin(), FColAtt.end(), 0);
  std::fill(FRowAtt.begin(), FRowAtt.end(), 0);
  FComment.clear();
  FNumericData->Fill(0.0);
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  ChangedSetup();
}

// ---- copies ----

void TDataTable::CopyContentsFrom(TDataTable* ExtTab) {
  if (ExtTab == nullptr) return;
  const Integer oldCols = FNrOfCols;
  const Integer oldRows = FNrOfRows;
  const detail::TUseGuard use(this, FNumericData, ExtTab, ExtTab->FNumericData);
  // A table is already an equal copy of itself; copying would round categorical values and
  // drop the labels of the other columns, which pass through GetNominalID.
  if (ExtTab != this) {
    if (!SoleUser(use)) return;
    const THeldEvents held(*this, kHeldData | kHeldSetup | kHeldOthers);
    use.AllowResize(this);
    if (!ResizeTable(ExtTab->FNrOfCols, ExtTab->FNrOfRows, true, &use)) return;
    SetFComment(ExtTab->FComment);
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      const auto i = static_cast<std::size_t>(c - 1);
      FColName[i] = ExtTab->FColName[i];
      FColAtt[i] = ExtTab->FColAtt[i];
      // Labels come through GetNominalID: a column that is not categorical arrives without.
      TVTypeSpec vt;
      vt.MScaleType = ExtTab->FVType[i].MScaleType;
      for (Integer k = 1; k <= kMaxNominalIDs; ++k)
        vt.IDs[static_cast<std::size_t>(k - 1)] = ExtTab->GetNominalID(c, k);
      FVType[i] = std::move(vt);
      for (Integer r = 1; r <= FNrOfRows; ++r) FNumericData->SetVal(c, r, ExtTab->GetElem(c, r));
    }
    FRowName = ExtTab->FRowName;
    FRowAtt = ExtTab->FRowAtt;
    FCState = ExtTab->FCState;
  }
  ChangedData();
  ChangedCellStates();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  if (FOnResize) FOnResize(this, oldCols, oldRows, ExtTab->FNrOfCols, ExtTab->FNrOfRows);
}

bool TDataTable::CopyCellStatesFrom(TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab->FNrOfCols != FNrOfCols || ExtTab->FNrOfRows != FNrOfRows)
    return false;
  if (ExtTab != this) FCState = ExtTab->FCState;
  ChangedCellStates();
  return true;
}

void TDataTable::CopyFrom(TDataTable* ExtTab, Integer SourceColLo, Integer SourceRowLo,
                          Integer SourceColHi, Integer SourceRowHi, Integer DestCol,
                          Integer DestRow) {
  if (ExtTab == nullptr) return;
  {
    const THeldEvents held(*this, kHeldData | kHeldSetup | kHeldOthers);
    const Integer nc = ExtTab->FNrOfCols;
    const Integer nr = ExtTab->FNrOfRows;
    if (nc >= 1 && nr >= 1) {
      auto clamp = [](Integer v, Integer n) { return std::clamp<Integer>(v, 1, n); };
      Integer cLo = clamp(SourceColLo, nc), cHi = clamp(SourceColHi, nc);
      Integer rLo = clamp(SourceRowLo, nr), rHi = clamp(SourceRowHi, nr);
      if (rHi < rLo) std::swap(rLo, rHi);
      if (cHi < cLo) std::swap(cLo, cHi);
      // Only source cells whose destination lies inside this table; offsets in 64 bits, so no
      // destination far outside can overflow.
      const Int64 dc = static_cast<Int64>(DestCol) - cLo;
      const Int64 dr = static_cast<Int64>(DestRow) - rLo;
      const Int64 c0 = std::max<Int64>(cLo, 1 - dc);
      const Int64 c1 = std::min<Int64>(cHi, FNrOfCols - dc);
      const Int64 r0 = std::max<Int64>(rLo, 1 - dr);
      const Int64 r1 = std::min<Int64>(rHi, FNrOfRows - dr);
      if (c0 <= c1 && r0 <= r1) {
        // Read the whole block before writing: a copy within one table may overlap itself.
        struct Cell {
          double v;
          Byte s;
        };
        std::vector<Cell> block;
        block.reserve(static_cast<std::size_t>(c1 - c0 + 1) *
                      static_cast<std::size_t>(r1 - r0 + 1));
        for (Int64 c = c0; c <= c1; ++c)
          for (Int64 r = r0; r <= r1; ++r)
            block.push_back({ExtTab->GetElem(static_cast<Integer>(c), static_cast<Integer>(r)),
                             ExtTab->State(static_cast<Integer>(c), static_cast<Integer>(r))});
        std::size_t i = 0;
        for (Int64 c = c0; c <= c1; ++c)
          for (Int64 r = r0; r <= r1; ++r, ++i) {
            const auto tc = static_cast<Integer>(c + dc);
            const auto tr = static_cast<Integer>(r + dr);
            SetElem(tc, tr, block[i].v);
            SetCellState(tc, tr, block[i].s);
          }
      }
    }
  }
  ChangedData();
  ChangedCellStates();
}

// ---- finding and attributes ----

Integer TDataTable::FindColIndex(const TDTNameStr& ColID) const {
  const std::string key = NameKey(ColID);
  for (Integer c = 1; c <= FNrOfCols; ++c)
    if (NameKey(FColName[static_cast<std::size_t>(c - 1)]) == key) return c;
  return 0;
}

Integer TDataTable::FindRowIndex(const TDTNameStr& RowID) const {
  const std::string key = NameKey(RowID);
  for (Integer r = 1; r <= FNrOfRows; ++r)
    if (NameKey(FRowName[static_cast<std::size_t>(r - 1)]) == key) return r;
  return 0;
}

Integer TDataTable::RowAttribLevels() const {
  return DistinctCount(FRowAtt);
}

Integer TDataTable::ColAttribLevels() const {
  return DistinctCount(FColAtt);
}

Integer TDataTable::MaxRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](Integer a, Integer m) { return a > m; });
}

Integer TDataTable::MinRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](Integer a, Integer m) { return a < m; });
}

Integer TDataTable::MaxColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](Integer a, Integer m) { return a > m; });
}

Integer TDataTable::MinColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](Integer a, Integer m) { return a < m; });
}

// ---- long format ----

void TDataTable::Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers) {
  const Integer C = FNrOfCols;
  const Integer R = FNrOfRows;
  const Int64 total = static_cast<Int64>(C) * R;
  if (total > std::numeric_limits<Integer>::max()) Raise("not enough memory on heap");
  const detail::TUseGuard use(this, FNumericData);
  if (!SoleUser(use)) return;
  {
    const THeldEvents held(*this, kHeldData);
    const TMScaleType h = FindHighestMLevel(0, 0);
    TDataTable copy(nullptr);
    copy.CopyContentsFrom(this);
    const Integer n = 1 + (ColHeadsAsVar ? 1 : 0) + (IncludeColRowNumbers ? 2 : 0);
    use.AllowResize(this);
    if (!ResizeTable(n, static_cast<Integer>(total), true, &use)) return;
    if (ColHeadsAsVar) {
      ClearNominalIDs(1);
      // Label k names column k; a column beyond the last slot shows its number instead of
      // overwriting label 150 again and again.
      for (Integer k = 1; k <= std::min(C, kMaxNominalIDs); ++k)
        AddNominalID(1, detail::CutUtf8(detail::FormatFloatStr(k, 1, 0) + ":" + copy.GetColName(k),
                                        kNominalIDLength));
      SetColName(1, "(column)");
    }
    if (IncludeColRowNumbers) {
      SetColName(n - 2, "(col. index)");
      SetColName(n - 1, "(row index)");
    }
    SetColName(n, "(data)");
    SetMScaleType(n, h);
    for (Integer k = 1; k <= C; ++k)
      for (Integer r = 1; r <= R; ++r) {
        const Integer t = (k - 1) * R + r;  // <= total, checked above
        if (ColHeadsAsVar) FNumericData->SetVal(1, t, k);
        if (IncludeColRowNumbers) {
          FNumericData->SetVal(n - 1, t, r);
          FNumericData->SetVal(n - 2, t, k);
        }
        FNumericData->SetVal(n, t, copy.GetElem(k, r));
        const auto ti = static_cast<std::size_t>(t - 1);
        FRowName[ti] = copy.FRowName[static_cast<std::size_t>(r - 1)];
        FRowAtt[ti] = copy.FRowAtt[static_cast<std::size_t>(r - 1)];
        // Index cells are always valid numbers, whatever state the old cell there had.
        for (Integer c = 1; c < n; ++c) State(c, t) = 0;
        State(n, t) = copy.State(k, r);
      }
  }
  ChangedData();
}

// ---- checksums ----

std::string TDataTable::CRCofNamesAndAttributes() const {
  LaneRegisters lanes;
  lanes.Item(Utf16LowBytes(FComment));
  for (const auto& name : FColName) lanes.Item(name);
  std::vector<Byte> low;
  low.reserve(std::max(FColAtt.size(), std::max(FRowAtt.size(), FVType.size())));
  for (const Integer a : FColAtt)
    low.push_back(static_cast<Byte>(static_cast<Cardinal>(a) & 0xFFu));
  lanes.Item(low);
  for (const auto& name : FRowName) lanes.Item(name);
  low.clear();
  for (const Integer a : FRowAtt)
    low.push_back(static_cast<Byte>(static_cast<Cardinal>(a) & 0xFFu));
  lanes.Item(low);
  low.clear();
  for (const auto& vt : FVType) low.push_back(static_cast<Byte>(vt.MScaleType));
  lanes.Item(low);
  for (const auto& vt : FVType)
    for (const auto& label : vt.IDs) lanes.Item(label);
  return lanes.Text();
}

std::string TDataTable::CRCofCellStates() const {
  LaneRegisters lanes;
  for (const auto& col : FCState) lanes.Item(col);
  return lanes.Text();
}

}  // namespace nuv
