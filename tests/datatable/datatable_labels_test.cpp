#include <gtest/gtest.h>

#include <string>

#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct Counts {
  int data = 0, setup = 0, cells = 0;
  void Attach(TDataTable& t) {
    t.SetOnChange([this](TObject*) { ++data; });
    t.SetOnChangeSetup([this](TObject*) { ++setup; });
    t.SetOnChangeCellState([this](TObject*) { ++cells; });
  }
};

TEST(TDataTableLabels, SearchOnlyInCategoricalColumnsFirstMatchWins) {
  TDataTable t(nullptr);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 3, "Red");
  t.SetNominalID(1, 5, "red");
  EXPECT_EQ(t.OrdinalOfNominalID(1, "red", false), 5);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "RED", true), 3);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "RED", false), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "", true), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(2, "red", true), 0);
  t.SetMScaleType(1, stInterval);  // labels are kept but no longer found
  EXPECT_EQ(t.OrdinalOfNominalID(1, "red", true), 0);
  EXPECT_EQ(t.NominalID(1, 3), "");
  t.SetMScaleType(1, stOrdinal);
  EXPECT_EQ(t.NominalID(1, 3), "Red");
  EXPECT_EQ(t.NominalID(1, 151), "");
}

TEST(TDataTableLabels, SetElemNominalReusesFillsHolesAndRaisesWhenFull) {
  TDataTable t(nullptr);
  t.SetName("tab");
  t.Resize(1, 2);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 2, "red");
  Counts ev;
  ev.Attach(t);
  t.SetElemNominal(1, 1, "RED");
  EXPECT_EQ(t.Elem(1, 1), 2.0);
  EXPECT_EQ(ev.data, 2);  // the matrix write and once more
  t.SetElemNominal(1, 1, "green");
  EXPECT_EQ(t.Elem(1, 1), 1.0);
  EXPECT_EQ(t.NominalID(1, 1), "green");
  t.SetElemNominal(1, 2, "blue-violet-x");  // cut to 10
  EXPECT_EQ(t.Elem(1, 2), 3.0);
  EXPECT_EQ(t.ElemNominal(1, 2), "blue-viole");
  EXPECT_EQ(t.MScaleType(1), stNominal);
  for (Integer k = 4; k <= kMaxNominalIDs; ++k) t.SetNominalID(1, k, "v" + std::to_string(k));
  t.SetElem(1, 1, 77.0);
  ev = Counts{};
  NUV_EXPECT_THROW_MSG(t.SetElemNominal(1, 1, "one-more"), ENUVDataTableError,
                       "Component \"tab\": number of available nominal values exceeded");
  EXPECT_EQ(t.Elem(1, 1), 77.0);
  EXPECT_EQ(ev.data, 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "one-more", true), 0);
}

TEST(TDataTableLabels, AddNominalIDMakesColumnNominalAndFullColumnRefuses) {
  TDataTable t(nullptr);
  t.SetName("tab");
  t.Resize(3, 1);
  t.SetMScaleType(3, stOrdinal);
  Counts ev;
  ev.Attach(t);
  EXPECT_EQ(t.AddNominalID(3, "abc"), 1);
  EXPECT_EQ(t.MScaleType(3), stNominal);
  EXPECT_EQ(ev.setup, 1);
  EXPECT_EQ(t.AddNominalID(3, "ABC"), 1);
  EXPECT_EQ(ev.setup, 1);
  EXPECT_EQ(t.AddNominalID(3, "0123456789xyz"), 2);
  EXPECT_EQ(t.AddNominalID(3, "0123456789"), 2);
  EXPECT_EQ(t.AddNominalID(0, "abc"), 0);
  EXPECT_EQ(t.AddNominalID(4, "abc"), 0);
  t.SetNominalID(3, 1, "");  // a hole is refilled first
  EXPECT_EQ(t.AddNominalID(3, "new"), 1);
  for (Integer k = 3; k <= kMaxNominalIDs; ++k) t.SetNominalID(3, k, "v" + std::to_string(k));
  // A full column keeps every label, its scale and the meaning of its cells.
  t.SetMScaleType(3, stOrdinal);
  t.SetElem(3, 1, 150.0);
  ev = Counts{};
  NUV_EXPECT_THROW_MSG(t.AddNominalID(3, "last"), ENUVDataTableError,
                       "Component \"tab\": number of available nominal values exceeded");
  EXPECT_EQ(ev.setup, 0);
  EXPECT_EQ(t.NominalID(3, 150), "v150");
  EXPECT_EQ(t.ElemNominal(3, 1), "v150");
  EXPECT_EQ(t.MScaleType(3), stOrdinal);
  EXPECT_EQ(t.AddNominalID(3, "V150"), 150);  // an existing label is still found
  // An interval column becomes nominal too.
  EXPECT_EQ(t.AddNominalID(1, "x"), 1);
  EXPECT_EQ(t.MScaleType(1), stNominal);
}

TEST(TDataTableLabels, SetElemNominalReusesLabelsOfOtherScales) {
  const TMScaleType scales[] = {stInterval, stRatio, stUnknown};
  for (const TMScaleType s : scales) {
    SCOPED_TRACE(static_cast<int>(s));
    TDataTable t(nullptr);
    t.Resize(1, 3);
    t.SetMScaleType(1, s);
    t.SetElemNominal(1, 1, "red");
    t.SetElemNominal(1, 2, "RED");
    t.SetElemNominal(1, 3, "blue");
    EXPECT_EQ(t.Elem(1, 1), 1.0);
    EXPECT_EQ(t.Elem(1, 2), 1.0);
    EXPECT_EQ(t.Elem(1, 3), 2.0);
    // One label used over and over never fills the column.
    for (int i = 0; i < 200; ++i) t.SetElemNominal(1, 1, "red");
    EXPECT_EQ(t.Elem(1, 1), 1.0);
    EXPECT_EQ(t.MScaleType(1), s);
    t.SetMScaleType(1, stNominal);
    EXPECT_EQ(t.NominalID(1, 1), "red");
    EXPECT_EQ(t.NominalID(1, 2), "blue");
    EXPECT_EQ(t.NominalID(1, 3), "");
  }
}

TEST(TDataTableLabels, SetNominalIDAndClearEvents) {
  TDataTable t(nullptr);
  t.SetMScaleType(1, stRatio);
  t.SetNominalID(1, 5, "x");  // not categorical: nothing stored, still an event
  Counts ev;
  ev.Attach(t);
  t.SetNominalID(1, 151, "x");
  t.SetNominalID(0, 1, "x");
  t.SetNominalID(1, 0, "x");
  EXPECT_EQ(ev.setup, 0);
  t.SetNominalID(1, 5, "x");
  EXPECT_EQ(ev.setup, 1);
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.NominalID(1, 5), "");
  t.SetNominalID(1, 5, "x");
  t.SetNominalID(1, 6, "y");
  t.ClearNominalIDs(1);
  t.ClearNominalIDs(2);
  EXPECT_EQ(ev.setup, 5);
  EXPECT_EQ(t.NominalID(1, 5), "");
  EXPECT_EQ(t.MScaleType(1), stNominal);
}

TEST(TDataTableScales, CategoricalListAndHighestLowestLevels) {
  TDataTable t(nullptr);
  t.Resize(5, 1);
  const TMScaleType s[5] = {stUnknown, stOrdinal, stRatio, stNominal, stUnknown};
  for (Integer c = 1; c <= 5; ++c) t.SetMScaleType(c, s[c - 1]);
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{2, 4}));
  EXPECT_EQ(t.FindHighestMLevel(1, 1), stNominal);
  EXPECT_EQ(t.FindHighestMLevel(5, 1), stRatio);
  EXPECT_EQ(t.FindHighestMLevel(4, 9), stNominal);
  EXPECT_EQ(t.FindLowestMLevel(3, 3), stRatio);
  EXPECT_EQ(t.FindLowestMLevel(2, 4), stNominal);
  EXPECT_EQ(t.FindLowestMLevel(0, 0), stUnknown);
  for (Integer c = 1; c <= 5; ++c) t.SetMScaleType(c, stInterval);
  EXPECT_TRUE(t.ListOfCategorialVars().empty());
}

TEST(TDataTableMarks, TestsAndCountsOverRowsAndColumns) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  t.SetCellState(1, 1, 64);
  t.SetCellState(3, 1, 1);
  t.SetCellState(3, 2, 128 | 2);
  EXPECT_TRUE(t.IfRowHasCellState(1, 3));
  EXPECT_TRUE(t.IfRowHasCellState(2, 3));
  EXPECT_FALSE(t.IfRowHasCellState(1, 128));
  EXPECT_FALSE(t.IfRowHasCellState(3, 255));
  EXPECT_TRUE(t.IfColHasCellState(3, 128));
  EXPECT_FALSE(t.IfColHasCellState(2, 255));
  EXPECT_FALSE(t.IfColHasCellState(0, 255));
  EXPECT_EQ(t.CountMarkedCellsInRow(1, 65), 2);
  EXPECT_EQ(t.CountMarkedCellsInRow(2, 1), 0);
  EXPECT_EQ(t.CountMarkedCellsInRow(0, 255), 0);
  EXPECT_EQ(t.CountMarkedCellsInColumn(3, 3), 2);
  EXPECT_EQ(t.CountMarkedCellsInColumn(3, 128), 1);
  EXPECT_EQ(t.CountMarkedCellsInColumn(4, 255), 0);
}

TEST(TDataTableMarks, FillMarkedCellsWritesThroughTheMatrix) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetCellState(1, 2, 64);
  t.SetCellState(2, 3, 1);
  t.SetCellState(2, 1, 32);
  Counts ev;
  ev.Attach(t);
  EXPECT_EQ(t.FillMarkedCells(5.0, 0), 0);
  EXPECT_EQ(ev.data, 0);
  EXPECT_EQ(t.FillMarkedCells(5.0, 65), 2);
  EXPECT_EQ(ev.data, 3);  // one per cell and one more
  EXPECT_EQ(ev.cells, 0);
  EXPECT_EQ(t.Elem(1, 2), 5.0);
  EXPECT_EQ(t.Elem(2, 3), 5.0);
  EXPECT_EQ(t.Elem(2, 1), 0.0);
  EXPECT_EQ(t.CellState(1, 2), 64);
}

TEST(TDataTableMarks, WholeTableStateWriters) {
  TDataTable t(nullptr);
  t.Resize(4, 1);
  const Byte in[4] = {64, 128, 192, 66};
  for (Integer c = 1; c <= 4; ++c) t.SetCellState(c, 1, in[c - 1]);
  Counts ev;
  ev.Attach(t);
  t.ExchangeMarkings();
  const Byte exchanged[4] = {128, 64, 192, 130};
  for (Integer c = 1; c <= 4; ++c) EXPECT_EQ(t.CellState(c, 1), exchanged[c - 1]) << c;
  t.UnmarkAllCells();
  const Byte unmarked[4] = {0, 0, 0, 2};
  for (Integer c = 1; c <= 4; ++c) EXPECT_EQ(t.CellState(c, 1), unmarked[c - 1]) << c;
  t.InvertCellStates(0x83);
  const Byte inverted[4] = {0x83, 0x83, 0x83, 0x81};
  for (Integer c = 1; c <= 4; ++c) EXPECT_EQ(t.CellState(c, 1), inverted[c - 1]) << c;
  t.SetAllCellStates(7);
  EXPECT_EQ(t.CountMarkedCellsInRow(1, 4), 4);
  EXPECT_EQ(ev.cells, 4);
  EXPECT_EQ(ev.data, 0);
  t.Resize(0, 0);
  t.SetAllCellStates(1);  // empty table: still one event
  EXPECT_EQ(ev.cells, 5);
}

}  // namespace
}  // namespace nuv
