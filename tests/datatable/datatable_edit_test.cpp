#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Names of the events in the order they fire (data, setup, names, attrib, cells, resize).
struct Log {
  std::vector<std::string> ev;
  void Attach(TDataTable& t) {
    t.SetOnChange([this](TObject*) { ev.push_back("data"); });
    t.SetOnChangeSetup([this](TObject*) { ev.push_back("setup"); });
    t.SetOnChangeNames([this](TObject*) { ev.push_back("names"); });
    t.SetOnChangeAttrib([this](TObject*) { ev.push_back("attrib"); });
    t.SetOnChangeCellState([this](TObject*) { ev.push_back("cells"); });
    t.SetOnResize([this](TObject*, Integer oc, Integer orr, Integer nc, Integer nr) {
      ev.push_back("resize " + std::to_string(oc) + "," + std::to_string(orr) + "," +
                   std::to_string(nc) + "," + std::to_string(nr));
    });
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : ev) n += e == name;
    return n;
  }
};

// Table of C x R with value 10 c + r, state c + r, attributes and names tied to the index.
void Fill(TDataTable& t, Integer C, Integer R) {
  t.Resize(C, R);
  for (Integer c = 1; c <= C; ++c) {
    t.SetColAttrib(c, 100 + c);
    t.SetColName(c, "col" + std::to_string(c));
    for (Integer r = 1; r <= R; ++r) {
      t.SetElem(c, r, 10.0 * c + r);
      t.SetCellState(c, r, static_cast<Byte>(c + r));
    }
  }
  for (Integer r = 1; r <= R; ++r) {
    t.SetRowAttrib(r, 200 + r);
    t.SetRowName(r, "row" + std::to_string(r));
  }
}

TEST(TDataTableEdit, InsertAndRemoveRowsMoveWholeRows) {
  TDataTable t(nullptr);
  Fill(t, 2, 3);
  t.SetMScaleType(2, stNominal);
  t.NumericData()->SetVal(2, 2, 2.5);  // a stored fraction survives the move unrounded
  Log log;
  log.Attach(t);
  t.InsertRow(2);
  ASSERT_EQ(t.NrOfRows(), 4);
  EXPECT_EQ(log.ev.front(), "resize 2,3,2,4");
  EXPECT_EQ(log.ev.back(), "setup");
  EXPECT_EQ(log.Count("setup"), 1);
  EXPECT_EQ(t.RowName(2), "");
  EXPECT_EQ(t.RowAttrib(2), 0);
  EXPECT_EQ(t.Elem(1, 2), 0.0);
  EXPECT_EQ(t.CellState(1, 2), 0);
  EXPECT_EQ(t.RowName(3), "row2");
  EXPECT_EQ(t.RowAttrib(4), 203);
  EXPECT_EQ(t.Elem(1, 4), 13.0);
  EXPECT_EQ(t.CellState(1, 3), 3);
  EXPECT_EQ(t.NumericData()->GetVal(2, 3), 2.5);

  t.InsertRow(5);  // appends an empty row, not a default name
  EXPECT_EQ(t.RowName(5), "");
  t.InsertRow(0);
  t.InsertRow(7);
  EXPECT_EQ(t.NrOfRows(), 5);

  t.RemoveRow(2);
  t.RemoveRow(5);  // only 4 rows now: nothing
  t.RemoveRow(4);
  ASSERT_EQ(t.NrOfRows(), 3);
  for (Integer r = 1; r <= 3; ++r) {
    EXPECT_EQ(t.RowName(r), "row" + std::to_string(r));
    EXPECT_EQ(t.Elem(1, r), 10.0 + r);
    EXPECT_EQ(t.CellState(2, r), 2 + r);
  }
  EXPECT_EQ(t.NumericData()->GetVal(2, 2), 2.5);

  TDataTable one(nullptr);
  one.RemoveRow(1);
  one.RemoveColumn(1);
  EXPECT_EQ(one.NrOfRows(), 1);
  EXPECT_EQ(one.NrOfColumns(), 1);
}

TEST(TDataTableEdit, ColumnsCarryScalesAndLabelsByTheirRules) {
  TDataTable t(nullptr);
  Fill(t, 3, 2);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 1, "red");
  t.SetMScaleType(2, stOrdinal);
  t.SetNominalID(2, 1, "low");
  t.SetNominalID(3, 1, "x");  // interval: not stored
  t.InsertColumn(1);
  ASSERT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.ColName(1), "");
  EXPECT_EQ(t.MScaleType(1), stInterval);
  EXPECT_EQ(t.ColAttrib(1), 0);
  EXPECT_EQ(t.MScaleType(2), stNominal);
  EXPECT_EQ(t.NominalID(2, 1), "red");
  EXPECT_EQ(t.MScaleType(3), stOrdinal);
  EXPECT_EQ(t.NominalID(3, 1), "low");
  EXPECT_EQ(t.ColAttrib(4), 103);
  EXPECT_EQ(t.Elem(4, 2), 32.0);
  EXPECT_EQ(t.CellState(4, 2), 5);

  // Removing a categorical column leaves the interval column behind it with the labels of
  // the position it moves to.
  t.RemoveColumn(1);
  t.RemoveColumn(2);  // the ordinal column; column 3 (interval) arrives at 2
  ASSERT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.ColName(2), "col3");
  EXPECT_EQ(t.MScaleType(2), stInterval);
  t.SetMScaleType(2, stNominal);
  EXPECT_EQ(t.NominalID(2, 1), "low");
}

TEST(TDataTableEdit, ExchangeAndMirrorMoveEverythingAndFireFiveEvents) {
  TDataTable t(nullptr);
  Fill(t, 3, 4);
  t.SetRowAttrib(1, 300);
  t.SetRowAttrib(2, 5);
  t.SetMScaleType(3, stNominal);
  t.SetNominalID(3, 7, "seven");
  Log log;
  log.Attach(t);
  t.ExchangeRows(1, 2);
  EXPECT_EQ(t.RowAttrib(1), 5);
  EXPECT_EQ(t.RowAttrib(2), 300);
  EXPECT_EQ(t.RowName(1), "row2");
  EXPECT_EQ(t.Elem(2, 1), 22.0);
  EXPECT_EQ(t.CellState(2, 1), 4);
  const std::vector<std::string> five{"data", "data", "cells", "attrib", "names", "setup"};
  EXPECT_EQ(log.ev, five);  // the matrix's OnChange, then the five
  log.ev.clear();
  t.ExchangeRows(0, 2);
  t.ExchangeColumns(1, 4);
  EXPECT_TRUE(log.ev.empty());

  t.ExchangeRows(1, 2);
  t.SetColAttrib(1, 70000);
  t.ExchangeColumns(1, 3);
  EXPECT_EQ(t.ColAttrib(3), 70000);
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(t.NominalID(1, 7), "seven");
  EXPECT_EQ(t.Elem(1, 4), 34.0);
  EXPECT_EQ(t.CellState(3, 4), 5);
  t.ExchangeColumns(1, 3);

  log.ev.clear();
  t.MirrorRows();
  EXPECT_EQ(log.Count("setup"), 3);  // two exchanges and once more
  for (Integer r = 1; r <= 4; ++r) {
    EXPECT_EQ(t.RowName(r), "row" + std::to_string(5 - r));
    EXPECT_EQ(t.Elem(1, r), 10.0 + (5 - r));
  }
  t.MirrorColumns();
  for (Integer c = 1; c <= 3; ++c) EXPECT_EQ(t.ColName(c), "col" + std::to_string(4 - c));
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(t.CellState(1, 1), 3 + 4);
}

TEST(TDataTableEdit, ClearKeepsTheSize) {
  TDataTable t(nullptr);
  Fill(t, 2, 2);
  t.SetFComment("note");
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 1, "a");
  Log log;
  log.Attach(t);
  t.Clear();
  EXPECT_EQ(log.ev, (std::vector<std::string>{"data", "names", "attrib", "cells", "setup"}));
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.RowName(2), "R-2");
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(t.MScaleType(1), stInterval);
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.NominalID(1, 1), "");
  EXPECT_EQ(t.Elem(2, 2), 0.0);
  EXPECT_EQ(t.CellState(2, 2), 0);
  EXPECT_EQ(t.ColAttrib(1), 0);
}

TEST(TDataTableEdit, CopyContentsFromMakesAnEqualTable) {
  TDataTable src(nullptr);
  Fill(src, 3, 2);
  src.SetFComment("source");
  src.SetMScaleType(2, stOrdinal);
  src.SetNominalID(2, 4, "four");
  src.SetElem(2, 1, 3.5);
  TDataTable dst(nullptr);
  Log log;
  log.Attach(dst);
  dst.CopyContentsFrom(&src);
  EXPECT_EQ(log.ev, (std::vector<std::string>{"resize 1,1,3,2", "data", "cells", "setup", "names",
                                              "attrib", "resize 1,1,3,2"}));
  EXPECT_EQ(dst.CRCofNamesAndAttributes(), src.CRCofNamesAndAttributes());
  EXPECT_EQ(dst.CRCofCellStates(), src.CRCofCellStates());
  EXPECT_EQ(dst.NumericData()->GetVal(2, 1), 4.0);  // categorical values arrive rounded
  EXPECT_EQ(dst.Elem(3, 2), 32.0);
  log.ev.clear();
  dst.CopyContentsFrom(&src);
  EXPECT_EQ(log.ev.back(), "resize 3,2,3,2");  // fires also at an equal size
  dst.CopyContentsFrom(nullptr);

  TDataTable other(nullptr);
  other.Resize(3, 3);
  EXPECT_FALSE(other.CopyCellStatesFrom(&src));
  EXPECT_EQ(other.CellState(1, 1), 0);
  EXPECT_FALSE(other.CopyCellStatesFrom(nullptr));
  other.Resize(3, 2);
  EXPECT_TRUE(other.CopyCellStatesFrom(&src));
  EXPECT_EQ(other.CRCofCellStates(), src.CRCofCellStates());
}

TEST(TDataTableEdit, CopyFromClampsSkipsAndHandlesOverlap) {
  TDataTable src(nullptr);
  Fill(src, 3, 3);
  TDataTable dst(nullptr);
  dst.Resize(3, 3);
  Log log;
  log.Attach(dst);
  // Reversed bounds are ordered, bounds beyond the source clamped; cells beyond dst skipped.
  dst.CopyFrom(&src, 9, 3, 2, 2, 2, 2);
  EXPECT_EQ(log.ev, (std::vector<std::string>{"data", "cells"}));
  EXPECT_EQ(dst.Elem(2, 2), 22.0);
  EXPECT_EQ(dst.Elem(3, 3), 33.0);
  EXPECT_EQ(dst.CellState(3, 2), 5);
  EXPECT_EQ(dst.Elem(1, 1), 0.0);
  EXPECT_EQ(dst.ColName(2), "C-2");  // headers are not copied
  // (0, 0) means the first row or column only.
  dst.CopyFrom(&src, 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(dst.Elem(1, 1), 11.0);
  EXPECT_EQ(dst.Elem(1, 2), 0.0);
  // Destinations far outside do not overflow and write nothing.
  const Integer big = std::numeric_limits<Integer>::max();
  dst.CopyFrom(&src, 1, 1, 3, 3, big, big);
  dst.CopyFrom(&src, 1, 1, 3, 3, -big, 1);
  EXPECT_EQ(dst.Elem(1, 1), 11.0);

  // A block copied onto itself shifted by one row acts as if read before written.
  TDataTable t(nullptr);
  Fill(t, 1, 4);
  t.CopyFrom(&t, 1, 1, 1, 3, 1, 2);
  const std::array<double, 4> want{11, 11, 12, 13};
  for (Integer r = 1; r <= 4; ++r) EXPECT_EQ(t.Elem(1, r), want[static_cast<std::size_t>(r - 1)]);
}

TEST(TDataTableEdit, FindAndAttributeQueries) {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  EXPECT_EQ(t.FindColIndex("  c-2 "), 2);
  EXPECT_EQ(t.FindRowIndex("r-3"), 3);
  EXPECT_EQ(t.FindColIndex("C-4"), 0);
  t.SetColName(3, " C-2");
  EXPECT_EQ(t.FindColIndex("c-2"), 2);  // the first match

  t.SetColAttrib(2, 7);
  t.SetColAttrib(3, 7);
  t.SetRowAttributes(4);
  EXPECT_EQ(t.ColAttribLevels(), 2);
  EXPECT_EQ(t.RowAttribLevels(), 1);
  t.SetRowAttrib(2, 300);  // beyond 0..255 still counted, never out of bounds
  t.SetRowAttrib(3, -1);
  EXPECT_EQ(t.RowAttribLevels(), 3);

  Integer at = -1;
  t.SetRowAttrib(1, 9);
  t.SetRowAttrib(2, 3);
  t.SetRowAttrib(3, 9);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, at), 9);
  EXPECT_EQ(at, 0);
  t.SetRowAttrib(1, 3);
  t.SetRowAttrib(2, 9);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, at), 9);
  EXPECT_EQ(at, 2);
  EXPECT_EQ(t.MinRowAttrib(3, 2, at), 9);
  EXPECT_EQ(at, 0);
  EXPECT_EQ(t.MinColAttrib(0, 0, at), 0);
  EXPECT_EQ(at, 0);
  EXPECT_EQ(t.MaxColAttrib(1, 9, at), 7);
  EXPECT_EQ(at, 2);

  TDataTable empty(nullptr);
  empty.Resize(0, 0);
  EXPECT_EQ(empty.MaxRowAttrib(0, 0, at), 0);
  EXPECT_EQ(at, 0);
  EXPECT_EQ(empty.MinColAttrib(1, 1, at), 0);
  EXPECT_EQ(empty.RowAttribLevels(), 0);
}

TEST(TDataTableEdit, SerializeWritesOneRowPerCell) {
  TDataTable t(nullptr);
  Fill(t, 2, 3);
  t.SetColName(2, "a-very-long-name");
  t.SetMScaleType(1, stRatio);
  t.SetCellState(1, 1, 2);  // the old state of cell (1, 1) must not reach the index column
  Log log;
  log.Attach(t);
  t.Serialize(true, true);
  EXPECT_EQ(log.Count("data"), 1);
  EXPECT_EQ(log.ev.back(), "data");
  ASSERT_EQ(t.NrOfColumns(), 4);
  ASSERT_EQ(t.NrOfRows(), 6);
  EXPECT_EQ(t.ColName(1), "(column)");
  EXPECT_EQ(t.ColName(2), "(col. index)");
  EXPECT_EQ(t.ColName(3), "(row index)");
  EXPECT_EQ(t.ColName(4), "(data)");
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(t.MScaleType(4), stRatio);
  EXPECT_EQ(t.NominalID(1, 2), "2:a-very-l");
  EXPECT_EQ(t.NominalID(1, 1), "1:col1");
  // Row 4 is column 2, row 1.
  EXPECT_EQ(t.Elem(1, 4), 2.0);
  EXPECT_EQ(t.Elem(2, 4), 2.0);
  EXPECT_EQ(t.Elem(3, 4), 1.0);
  EXPECT_EQ(t.Elem(4, 4), 21.0);
  EXPECT_EQ(t.RowName(4), "row1");
  EXPECT_EQ(t.RowAttrib(6), 203);
  EXPECT_EQ(t.CellState(4, 1), 2);
  EXPECT_EQ(t.CellState(4, 6), 5);
  for (Integer c = 1; c <= 3; ++c) EXPECT_EQ(t.CellState(c, 1), 0);

  TDataTable plain(nullptr);
  Fill(plain, 2, 2);
  plain.Serialize(false, false);
  ASSERT_EQ(plain.NrOfColumns(), 1);
  ASSERT_EQ(plain.NrOfRows(), 4);
  EXPECT_EQ(plain.ColName(1), "(data)");
  EXPECT_EQ(plain.MScaleType(1), stInterval);
  EXPECT_EQ(plain.Elem(1, 3), 21.0);

  // Beyond 150 columns the labels stop; label 150 keeps naming column 150.
  TDataTable wide(nullptr);
  wide.Resize(160, 1);
  wide.Serialize(true, false);
  EXPECT_EQ(wide.NominalID(1, 150), "150:C-150");
  EXPECT_EQ(wide.ElemNominal(1, 160), "160");
}

// Bitwise reflected CRC-32 step, independent of the library's table.
Cardinal RefStep(Byte b, Cardinal crc) {
  crc ^= b;
  for (int i = 0; i < 8; ++i) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  return crc;
}

std::string RefLanes(const std::vector<std::vector<Byte>>& items) {
  std::array<Cardinal, 8> reg;
  reg.fill(0xFFFFFFFFu);
  for (const auto& item : items)
    for (std::size_t k = 1; k <= item.size(); ++k) reg[k % 8] = RefStep(item[k - 1], reg[k % 8]);
  std::string s;
  char buf[9];
  for (Cardinal r : reg) {
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(~r));
    s += buf;
  }
  return s;
}

std::vector<Byte> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

TEST(TDataTableEdit, CopyContentsFromItselfChangesNothing) {
  TDataTable t(nullptr);
  Fill(t, 3, 2);
  t.SetFComment("mine");
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 2, "two");
  t.SetMScaleType(1, stInterval);  // labels kept while the column is interval
  t.SetMScaleType(2, stOrdinal);
  t.SetNominalID(2, 1, "one");
  t.NumericData()->SetVal(2, 1, 2.5);
  t.SetMScaleType(3, stRatio);
  const std::string names = t.CRCofNamesAndAttributes();  // reads every label slot
  const std::string states = t.CRCofCellStates();
  Log log;
  log.Attach(t);
  t.CopyContentsFrom(&t);
  EXPECT_EQ(log.ev, (std::vector<std::string>{"data", "cells", "setup", "names", "attrib",
                                              "resize 3,2,3,2"}));
  EXPECT_EQ(t.NumericData()->GetVal(2, 1), 2.5);
  EXPECT_EQ(t.Elem(3, 2), 32.0);
  EXPECT_EQ(t.Comment(), "mine");
  EXPECT_EQ(t.MScaleType(1), stInterval);
  EXPECT_EQ(t.MScaleType(3), stRatio);
  EXPECT_EQ(t.CRCofCellStates(), states);
  EXPECT_EQ(t.CRCofNamesAndAttributes(), names);
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.NominalID(1, 2), "two");
}

TEST(TDataTableEdit, SerializeLabelsAreCutAtACharacterBoundary) {
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetColName(1, "abcdefg\xC3\xA9");  // "1:" + name is 11 bytes, the last character two
  t.SetColName(2, "abcdef\xC3\xA9");   // "2:" + name is exactly 10 bytes
  t.Serialize(true, false);
  EXPECT_EQ(t.NominalID(1, 1), "1:abcdefg");
  EXPECT_EQ(t.NominalID(1, 2), "2:abcdef\xC3\xA9");
}

TEST(TDataTableEdit, ChecksumsFollowTheItemLayout) {
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetFComment("\xC3\xA9!");  // U+00E9 feeds the low byte E9 of its UTF-16 unit
  t.SetColAttrib(2, 0x1234);
  t.SetRowAttrib(1, -1);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 3, "abcdefghij");
  t.SetCellState(1, 1, 64);
  t.SetCellState(2, 1, 2);
  std::vector<std::vector<Byte>> items{
      {0xE9, '!'},  Bytes("C-1"), Bytes("C-2"),           {0, 0x34},
      Bytes("R-1"), {0xFF},       {stNominal, stInterval}};
  for (Integer c = 1; c <= 2; ++c)
    for (Integer k = 1; k <= kMaxNominalIDs; ++k)
      items.push_back(c == 1 && k == 3 ? Bytes("abcdefghij") : std::vector<Byte>{});
  EXPECT_EQ(t.CRCofNamesAndAttributes(), RefLanes(items));
  EXPECT_EQ(t.CRCofCellStates(), RefLanes({{64}, {2}}));

  TDataTable u(nullptr);
  u.CopyContentsFrom(&t);
  u.SetColName(1, "renamed");
  EXPECT_EQ(u.CRCofCellStates(), t.CRCofCellStates());
  u.SetColName(1, "C-1");
  EXPECT_EQ(u.CRCofNamesAndAttributes(), t.CRCofNamesAndAttributes());
  u.SetNominalID(1, 3, "abcdefghiJ");
  EXPECT_NE(u.CRCofNamesAndAttributes(), t.CRCofNamesAndAttributes());
  // A malformed UTF-8 byte stands for itself.
  u.SetFComment("\xE9!");
  u.SetNominalID(1, 3, "abcdefghij");
  EXPECT_EQ(u.CRCofNamesAndAttributes(), t.CRCofNamesAndAttributes());
}

}  // namespace
}  // namespace nuv
