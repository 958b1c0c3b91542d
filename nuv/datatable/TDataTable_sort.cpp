// Sorting the table: by values through the matrix's sorts, and by row or column names or
// attributes with the table's own comb sort.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "nuv/datatable/TDataTable.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

using StateColumns = std::vector<std::vector<Byte>>;

// Runs F when the scope ends, also when a handler throws.
template <class F>
class AtExit {
 public:
  explicit AtExit(F f) : FFn(std::move(f)) {}
  AtExit(const AtExit&) = delete;
  AtExit& operator=(const AtExit&) = delete;
  ~AtExit() { FFn(); }

 private:
  F FFn;
};

// ASCII-only lower case, the same for every locale.
std::string Lower(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

// Names compare byte by byte as unsigned values, a shorter name before its extensions: the
// order std::string's char_traits gives.
bool NameGreater(const TDTNameStr& a, const TDTNameStr& b, bool IgnoreCase) {
  return IgnoreCase ? Lower(a) > Lower(b) : a > b;
}

bool InRange(std::size_t Size, Integer Ix) {
  return Ix >= 1 && static_cast<std::size_t>(Ix) <= Size;
}

template <class T>
void SwapAt(std::vector<T>& v, Integer p, Integer q) {
  if (InRange(v.size(), p) && InRange(v.size(), q))
    std::swap(v[static_cast<std::size_t>(p - 1)], v[static_cast<std::size_t>(q - 1)]);
}

void SwapState(StateColumns& st, Integer c1, Integer r1, Integer c2, Integer r2) {
  if (!InRange(st.size(), c1) || !InRange(st.size(), c2)) return;
  auto& col1 = st[static_cast<std::size_t>(c1 - 1)];
  auto& col2 = st[static_cast<std::size_t>(c2 - 1)];
  if (InRange(col1.size(), r1) && InRange(col2.size(), r2))
    std::swap(col1[static_cast<std::size_t>(r1 - 1)], col2[static_cast<std::size_t>(r2 - 1)]);
}

// Values go through the matrix so that OnChange fires per cell. Every index is checked at
// the moment of use.
void ExchangeCells(TMatrix* m, StateColumns& st, Integer c1, Integer r1, Integer c2, Integer r2) {
  const double v = m->GetVal(c1, r1);
  m->SetVal(c1, r1, m->GetVal(c2, r2));
  m->SetVal(c2, r2, v);
  SwapState(st, c1, r1, c2, r2);
}

// Comb sort of positions Low..High; Greater(i, j) tells whether key i lies above key j.
// False when the range holds fewer than two positions (nothing was done).
template <class LastFn, class GreaterFn, class ExchangeFn>
bool HeaderCombSort(Integer Low, Integer High, bool Ascending, LastFn Last, GreaterFn Greater,
                    ExchangeFn Exchange) {
  if (High - Low <= 0) return false;
  detail::CombSort(
      Low, Last, High - Low,
      [&](Int64 i, Int64 j) {
        const auto a = static_cast<Integer>(i);
        const auto b = static_cast<Integer>(j);
        return Ascending ? Greater(a, b) : Greater(b, a);
      },
      [&](Int64 i, Int64 j) { Exchange(static_cast<Integer>(i), static_cast<Integer>(j)); }, [] {});
  return true;
}

}  // namespace

// ---- sorting by values ----

void TDataTable::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow, bool IncludeHeaders) {
  TMatrix* const m = FNumericData;
  const detail::TUseGuard use(this, m);
  Integer lo = LowRow;
  Integer hi = HighRow;
  MakeValidRowRange(lo, hi);
  // The matrix also moves the key cells when the key row lies outside the block, but reports
  // only the block's rows: ExchangeDuringSort moves their states too, so that they stay with
  // their values. The matrix's handlers are left in place, as one of them may be running.
  const bool keyOutside = RowOk(SortRowIx) && (SortRowIx < lo || SortRowIx > hi);
  const Integer oldKey = FSortKeyRow;
  FSortKeyRow = keyOutside ? SortRowIx : 0;
  // FSortIncludeHd stays as set: a later sort of the matrix itself moves headers the same
  // way until the next table sort sets the flag again.
  FSortIncludeHd = IncludeHeaders;
  {
    AtExit restore([&] { FSortKeyRow = oldKey; });
    m->SortCols(SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow, bool IncludeHeaders) {
  TMatrix* const m = FNumericData;
  const detail::TUseGuard use(this, m);
  Integer lo = LowCol;
  Integer hi = HighCol;
  MakeValidColRange(lo, hi);
  const bool keyOutside = ColOk(SortColIx) && (SortColIx < lo || SortColIx > hi);
  const Integer oldKey = FSortKeyCol;
  FSortKeyCol = keyOutside ? SortColIx : 0;
  FSortIncludeHd = IncludeHeaders;
  {
    AtExit restore([&] { FSortKeyCol = oldKey; });
    m->SortRows(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

// ---- sorting by names and attributes ----
// Each sort holds the table and its matrix, so a handler cannot resize either; the range is
// still read against the current size before every comparison, which costs nothing.

template <class Greater>
bool TDataTable::SortRowHeaders(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                Integer HighRow, Greater IsGreater) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return HeaderCombSort(
      LowRow, HighRow, Ascending, [&] { return static_cast<Int64>(std::min(HighRow, FNrOfRows)); },
      IsGreater,
      [&](Integer p, Integer q) {
        SwapAt(FRowName, p, q);
        SwapAt(FRowAtt, p, q);
        for (Integer c = std::max<Integer>(LowCol, 1); c <= HighCol; ++c)
          ExchangeCells(FNumericData, FCState, c, p, c, q);
        if (FOnSortExchange) FOnSortExchange(this, 2, p, q, LowCol, HighCol);
      });
}

template <class Greater>
bool TDataTable::SortColHeaders(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                Integer HighRow, Greater IsGreater) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return HeaderCombSort(
      LowCol, HighCol, Ascending, [&] { return static_cast<Int64>(std::min(HighCol, FNrOfCols)); },
      IsGreater,
      [&](Integer p, Integer q) {
        SwapAt(FColName, p, q);
        SwapAt(FColAtt, p, q);
        SwapAt(FVType, p, q);
        for (Integer r = std::max<Integer>(LowRow, 1); r <= HighRow; ++r)
          ExchangeCells(FNumericData, FCState, p, r, q, r);
        if (FOnSortExchange) FOnSortExchange(this, 1, p, q, LowRow, HighRow);
      });
}

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                              Integer HighCol, Integer HighRow) {
  const detail::TUseGuard use(this, FNumericData);
  const auto greater = [&](Integer a, Integer b) {
    return NameGreater(FRowName[static_cast<std::size_t>(a - 1)],
                       FRowName[static_cast<std::size_t>(b - 1)], IgnoreCase);
  };
  if (!SortRowHeaders(Ascending, LowCol, LowRow, HighCol, HighRow, greater)) return;
  ChangedData();
  ChangedNames();
}

void TDataTable::SortRowNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) {
  SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortRowAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                   Integer HighRow) {
  const detail::TUseGuard use(this, FNumericData);
  const auto greater = [&](Integer a, Integer b) { return GetRowAttrib(a) > GetRowAttrib(b); };
  if (!SortRowHeaders(Ascending, LowCol, LowRow, HighCol, HighRow, greater)) return;
  ChangedData();
  ChangedAttrib();
}

void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                              Integer HighCol, Integer HighRow) {
  const detail::TUseGuard use(this, FNumericData);
  const auto greater = [&](Integer a, Integer b) {
    return NameGreater(FColName[static_cast<std::size_t>(a - 1)],
                       FColName[static_cast<std::size_t>(b - 1)], IgnoreCase);
  };
  if (!SortColHeaders(Ascending, LowCol, LowRow, HighCol, HighRow, greater)) return;
  ChangedData();
  ChangedNames();
}

void TDataTable::SortColNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) {
  SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortColAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                   Integer HighRow) {
  const detail::TUseGuard use(this, FNumericData);
  const auto greater = [&](Integer a, Integer b) { return GetColAttrib(a) > GetColAttrib(b); };
  if (!SortColHeaders(Ascending, LowCol, LowRow, HighCol, HighRow, greater)) return;
  ChangedData();
  ChangedAttrib();
}

}  // namespace nuv
