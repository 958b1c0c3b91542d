#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct Counts {
  int data = 0, names = 0, attrib = 0, setup = 0, cells = 0;
  test::EventRecorder rec;
  void Attach(TDataTable& t) {
    t.SetOnChange([this](TObject*) { ++data; });
    t.SetOnChangeNames([this](TObject*) { ++names; });
    t.SetOnChangeAttrib([this](TObject*) { ++attrib; });
    t.SetOnChangeSetup([this](TObject*) { ++setup; });
    t.SetOnChangeCellState([this](TObject*) { ++cells; });
    t.SetOnSortExchange(rec.ExchangeHandler());
  }
};

// 3 columns by 3 rows; cell (c, r) holds 10 r + c and state r (+ 64 in column 3).
void Fill(TDataTable& t) {
  t.Resize(3, 3);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 3; ++r) {
      t.SetElem(c, r, 10.0 * r + c);
      t.SetCellState(c, r, static_cast<Byte>(r + (c == 3 ? 64 : 0)));
    }
}

TEST(TDataTableSort, RowAttributesMoveWholeHeadersAndOnlyTheBlock) {
  TDataTable t(nullptr);
  Fill(t);
  const Integer att[3] = {70000, 1, 2};
  for (Integer r = 1; r <= 3; ++r) {
    t.SetRowAttrib(r, att[r - 1]);
    t.SetRowName(r, "row" + std::to_string(r));
  }
  Counts n;
  n.Attach(t);
  t.SortRowAttributes(true, 1, 0, 2, 0);  // block: columns 1..2, all rows

  // gap 1 from the start: (1, 2) exchanged, then (2, 3), then a clean pass.
  ASSERT_EQ(n.rec.Exchanges.size(), 2u);
  EXPECT_EQ(n.rec.Exchanges[0].Sender, &t);
  EXPECT_EQ(n.rec.Exchanges[0].Kind, 2);
  EXPECT_EQ(n.rec.Exchanges[0].Ix1, 1);
  EXPECT_EQ(n.rec.Exchanges[0].Ix2, 2);
  EXPECT_EQ(n.rec.Exchanges[0].Lo, 1);
  EXPECT_EQ(n.rec.Exchanges[0].Hi, 2);
  EXPECT_EQ(n.rec.Exchanges[1].Ix1, 2);
  EXPECT_EQ(n.rec.Exchanges[1].Ix2, 3);
  // Each exchange writes 2 cells in each of 2 columns, each write one OnChange; then one more.
  EXPECT_EQ(n.data, 2 * 2 * 2 + 1);
  EXPECT_EQ(n.attrib, 1);
  EXPECT_EQ(n.names, 0);
  EXPECT_EQ(n.cells, 0);

  const Integer from[3] = {2, 3, 1};  // original row now at each position
  for (Integer r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    const Integer o = from[r - 1];
    EXPECT_EQ(t.RowAttrib(r), att[o - 1]);
    EXPECT_EQ(t.RowName(r), "row" + std::to_string(o));
    for (Integer c = 1; c <= 2; ++c) {
      EXPECT_EQ(t.Elem(c, r), 10.0 * o + c);
      EXPECT_EQ(t.CellState(c, r), o);
    }
    EXPECT_EQ(t.Elem(3, r), 10.0 * r + 3);  // outside the block
    EXPECT_EQ(t.CellState(3, r), r + 64);
  }
}

TEST(TDataTableSort, RowAttributesDescendingMatchesReferenceOrder) {
  // Distinct attributes in a scrambled order; each row carries its attribute as its value.
  TDataTable t(nullptr);
  const Integer n = 57;
  t.Resize(2, n);
  std::vector<Integer> keys;
  for (Integer r = 1; r <= n; ++r) {
    const Integer a = (r * 37) % 101 - 50;
    keys.push_back(a);
    t.SetRowAttrib(r, a);
    t.SetElem(1, r, a);
  }
  t.SortRowAttributes(false, 0, 0, 0, 0);
  for (Integer r = 1; r <= n; ++r) {
    if (r > 1) {
      EXPECT_GT(t.RowAttrib(r - 1), t.RowAttrib(r)) << r;
    }
    EXPECT_EQ(t.Elem(1, r), t.RowAttrib(r)) << r;
  }
}

TEST(TDataTableSort, NamesByteOrderOrIgnoringCase) {
  TDataTable t(nullptr);
  t.Resize(1, 3);
  const char* names[3] = {"a", "B", "ab"};
  for (Integer r = 1; r <= 3; ++r) {
    t.SetRowName(r, names[r - 1]);
    t.SetElem(1, r, r);
  }
  t.SortRowNames(true, 0, 0, 0, 0);  // byte order: B < a < ab
  EXPECT_EQ(t.RowName(1), "B");
  EXPECT_EQ(t.RowName(2), "a");
  EXPECT_EQ(t.RowName(3), "ab");
  EXPECT_EQ(t.Elem(1, 1), 2.0);
  Counts n;
  n.Attach(t);
  t.SortRowNames(true, true, 0, 0, 0, 0);  // a < ab < b
  EXPECT_EQ(t.RowName(1), "a");
  EXPECT_EQ(t.RowName(2), "ab");
  EXPECT_EQ(t.RowName(3), "B");
  EXPECT_EQ(t.Elem(1, 3), 2.0);
  EXPECT_EQ(n.names, 1);
  EXPECT_EQ(n.attrib, 0);
  t.SortRowNames(false, true, 0, 0, 0, 0);
  EXPECT_EQ(t.RowName(1), "B");
  EXPECT_EQ(t.RowName(3), "a");
}

TEST(TDataTableSort, ColumnNamesCarryScaleLabelsAndBlockRows) {
  TDataTable t(nullptr);
  Fill(t);
  t.SetColName(1, "z");
  t.SetColName(2, "y");
  t.SetColName(3, "x");
  t.SetColAttrib(1, 70000);
  t.AddNominalID(1, "red");  // column 1 becomes nominal with label 1
  Counts n;
  n.Attach(t);
  t.SortColNames(true, 1, 1, 3, 2);  // all columns, cells of rows 1..2 move
  EXPECT_EQ(t.ColName(1), "x");
  EXPECT_EQ(t.ColName(3), "z");
  EXPECT_EQ(t.ColAttrib(3), 70000);
  EXPECT_EQ(t.MScaleType(3), stNominal);
  EXPECT_EQ(t.NominalID(3, 1), "red");
  EXPECT_EQ(t.MScaleType(1), stInterval);
  for (Integer r = 1; r <= 2; ++r) {
    EXPECT_EQ(t.NumericData()->GetVal(1, r), 10.0 * r + 3);
    EXPECT_EQ(t.NumericData()->GetVal(3, r), 10.0 * r + 1);
    EXPECT_EQ(t.CellState(1, r), r + 64);
  }
  EXPECT_EQ(t.NumericData()->GetVal(1, 3), 31.0);  // row 3 stays
  EXPECT_EQ(t.CellState(3, 3), 3 + 64);
  ASSERT_FALSE(n.rec.Exchanges.empty());
  EXPECT_EQ(n.rec.Exchanges[0].Kind, 1);
  EXPECT_EQ(n.rec.Exchanges[0].Lo, 1);
  EXPECT_EQ(n.rec.Exchanges[0].Hi, 2);
  EXPECT_EQ(n.names, 1);
  EXPECT_EQ(n.setup, 0);
}

TEST(TDataTableSort, SingleEntryRangeDoesNothing) {
  TDataTable t(nullptr);
  Fill(t);
  t.SetRowAttrib(1, 5);
  Counts n;
  n.Attach(t);
  t.SortRowAttributes(true, 0, 2, 0, 2);
  t.SortColAttributes(true, 3, 0, 9, 0);  // clamped to column 3 alone
  t.SortColNames(false, 2, 0, 2, 0);
  EXPECT_EQ(n.data + n.names + n.attrib, 0);
  EXPECT_TRUE(n.rec.Exchanges.empty());
  t.SortRowNames(true, 0, 0, 0, 0);  // already in order
  EXPECT_TRUE(n.rec.Exchanges.empty());
  EXPECT_EQ(n.data, 1);
  EXPECT_EQ(n.names, 1);
}

TEST(TDataTableSort, ValueSortMovesHeadersOnlyOnRequest) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetElem(1, 1, 5.0);
  t.SetElem(2, 1, 1.0);
  t.SetCellState(1, 1, 2);
  t.AddNominalID(1, "red");
  t.SetColAttrib(1, 7);
  Counts n;
  n.Attach(t);
  t.SortCols(1, true, 0, 0, 0, 0, false);
  EXPECT_EQ(t.Elem(2, 1), 5.0);
  EXPECT_EQ(t.CellState(2, 1), 2);
  EXPECT_EQ(t.ColName(1), "C-1");  // headers stay
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(n.names + n.attrib, 0);
  ASSERT_EQ(n.rec.Exchanges.size(), 1u);
  EXPECT_EQ(n.rec.Exchanges[0].Sender, &t);
  EXPECT_EQ(n.rec.Exchanges[0].Kind, 1);

  t.SortCols(1, false, 0, 0, 0, 0, true);
  EXPECT_EQ(t.Elem(1, 1), 5.0);
  EXPECT_EQ(t.CellState(1, 1), 2);
  EXPECT_EQ(t.ColName(1), "C-2");
  EXPECT_EQ(t.MScaleType(2), stNominal);
  EXPECT_EQ(t.NominalID(2, 1), "red");
  EXPECT_EQ(t.ColAttrib(2), 7);
  EXPECT_EQ(n.names, 1);
  EXPECT_EQ(n.attrib, 1);

  // The header flag outlives the table's sort: sorting the matrix itself moves headers too,
  // until a table sort without headers clears it.
  t.NumericData()->SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(t.Elem(2, 1), 5.0);
  EXPECT_EQ(t.CellState(2, 1), 2);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.ColAttrib(1), 7);
  EXPECT_EQ(t.NominalID(1, 1), "red");
  t.SortCols(1, false, 0, 0, 0, 0, false);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.Elem(1, 1), 5.0);
  t.NumericData()->SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(t.Elem(2, 1), 5.0);
  EXPECT_EQ(t.CellState(2, 1), 2);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.ColAttrib(1), 7);
}

TEST(TDataTableSort, ValueSortKeyOutsideBlockKeepsKeyStatesWithValues) {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  const double key[3] = {3, 1, 2};
  for (Integer r = 1; r <= 3; ++r) {
    t.SetElem(3, r, key[r - 1]);
    t.SetElem(1, r, r);
    t.SetCellState(3, r, static_cast<Byte>(r == 2 ? 2 : 0));  // key 1 is empty
    t.SetRowName(r, "n" + std::to_string(r));
  }
  Counts n;
  n.Attach(t);
  t.SortRows(3, true, 1, 0, 1, 0, true);  // block: column 1 only
  for (Integer r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(t.Elem(3, r), r);
    EXPECT_EQ(t.IsEmpty(3, r), r == 1);
  }
  EXPECT_EQ(t.RowName(1), "n2");
  EXPECT_EQ(t.Elem(1, 1), 2.0);
  ASSERT_EQ(n.rec.Exchanges.size(), 2u);
  EXPECT_EQ(n.rec.Exchanges[0].Kind, 2);
  EXPECT_EQ(n.rec.Exchanges[0].Lo, 1);
  EXPECT_EQ(n.rec.Exchanges[0].Hi, 1);
  // The table's own exchange hook is back: a plain matrix sort still moves the states.
  t.SetCellState(1, 1, 1);  // on the value 2, which goes to row 2 of 3, 2, 1
  t.NumericData()->SortRows(1, false, 0, 0, 0, 0);
  EXPECT_EQ(t.Elem(1, 2), 2.0);
  EXPECT_EQ(t.CellState(1, 2), 1);
}

TEST(TDataTableSort, HandlerShrinkingTheTableIsRefusedAndTheSortCompletes) {
  TDataTable t(nullptr);
  t.Resize(4, 8);
  for (Integer r = 1; r <= 8; ++r) {
    t.SetRowAttrib(r, 9 - r);
    t.SetColAttrib(r <= 4 ? r : 1, 0);
    for (Integer c = 1; c <= 4; ++c) t.SetElem(c, r, r);
  }
  int calls = 0;
  t.SetOnSortExchange([&](TObject*, Byte, Integer, Integer, Integer, Integer) {
    if (++calls == 1) t.Resize(2, 3);
  });
  t.SortRowAttributes(true, 0, 0, 0, 0);
  EXPECT_EQ(t.NrOfRows(), 8);
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_GE(calls, 1);
  for (Integer r = 1; r <= 8; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(t.RowAttrib(r), r);
    EXPECT_EQ(t.Elem(4, r), 9 - r);
  }

  calls = 0;
  t.Resize(4, 2);
  t.SetOnChange([&](TObject*) {
    if (++calls == 1) t.Resize(1, 1);  // during the first cell write
  });
  t.SetColAttrib(1, 4);
  t.SetColAttrib(2, 3);
  t.SetColAttrib(3, 2);
  t.SetColAttrib(4, 1);
  t.SortColAttributes(true, 0, 0, 0, 0);
  EXPECT_EQ(t.NrOfColumns(), 4);
  for (Integer c = 1; c <= 4; ++c) EXPECT_EQ(t.ColAttrib(c), c);
}

}  // namespace
}  // namespace nuv
