#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Records every event of a table as one letter, in order: d(ata) s(etup) n(ames)
// a(ttributes) c(ell states) r(esize) x (exchange).
struct TableLog {
  std::string seq;
  std::vector<std::vector<Integer>> resizes;
  void Attach(TDataTable& t) {
    t.SetOnChange([this](TObject*) { seq += 'd'; });
    t.SetOnChangeSetup([this](TObject*) { seq += 's'; });
    t.SetOnChangeNames([this](TObject*) { seq += 'n'; });
    t.SetOnChangeAttrib([this](TObject*) { seq += 'a'; });
    t.SetOnChangeCellState([this](TObject*) { seq += 'c'; });
    t.SetOnResize([this](TObject*, Integer oc, Integer orw, Integer nc, Integer nr) {
      seq += 'r';
      resizes.push_back({oc, orw, nc, nr});
    });
  }
};

TEST(TDataTableCreate, NewTableIsOneByOneWithDefaults) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.NumericData()->NrOfColumns(), 1);
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(t.CellState(1, 1), 0);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.RowName(1), "R-1");
  EXPECT_EQ(t.ColAttrib(1), 0);
  EXPECT_EQ(t.MScaleType(1), stInterval);
  EXPECT_EQ(MScaleTypeNames[stInterval], "Interval");
  EXPECT_EQ(MScaleTypeNames[stUnknown], "Unknown");
  EXPECT_TRUE(t.IsNumber(1, 1));
}

TEST(TDataTableResize, GrowingColumnsFiresOnlyResizeOnce) {
  TDataTable t(nullptr);
  TableLog log;
  log.Attach(t);
  t.SetNrCols(3);
  EXPECT_EQ(log.seq, "r");
  ASSERT_EQ(log.resizes.size(), 1u);
  EXPECT_EQ(log.resizes[0], (std::vector<Integer>{1, 1, 3, 1}));
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.ColName(3), "C-3");
  EXPECT_EQ(t.NumericData()->NrOfColumns(), 3);
  t.SetNrCols(3);
  EXPECT_EQ(log.seq, "r");
  t.SetNrRows(12);
  EXPECT_EQ(t.RowName(12), "R-12");
  EXPECT_EQ(log.seq, "rr");
}

TEST(TDataTableResize, SurvivingColumnsKeepTheirSetupAndCells) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  for (Integer c = 1; c <= 3; ++c) {
    t.SetColName(c, "X" + std::to_string(c));
    t.SetMScaleType(c, stRatio);
    t.SetColAttrib(c, 10 * c);
    t.SetElem(c, 2, c + 0.5);
    t.SetCellState(c, 2, static_cast<Byte>(64 + c));
  }
  t.SetRowName(2, "keep");
  t.Resize(1, 2);
  t.Resize(3, 3);
  EXPECT_EQ(t.ColName(1), "X1");
  EXPECT_EQ(t.MScaleType(1), stRatio);
  EXPECT_EQ(t.ColAttrib(1), 10);
  EXPECT_EQ(t.Elem(1, 2), 1.5);
  EXPECT_EQ(t.CellState(1, 2), 65);
  EXPECT_EQ(t.RowName(2), "keep");
  EXPECT_EQ(t.RowName(3), "R-3");
  for (Integer c = 2; c <= 3; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(t.ColName(c), "C-" + std::to_string(c));
    EXPECT_EQ(t.MScaleType(c), stInterval);
    EXPECT_EQ(t.ColAttrib(c), 0);
    EXPECT_EQ(t.Elem(c, 2), 0.0);
    EXPECT_EQ(t.CellState(c, 2), 0);
  }
}

TEST(TDataTableResize, NegativeCountsAreZeroAndUnallocatableSizeChangesNothing) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetElem(2, 2, 7.0);
  t.Resize(-3, 2);
  EXPECT_EQ(t.NrOfColumns(), 0);
  EXPECT_EQ(t.ColName(1), "");
  EXPECT_EQ(t.FindHighestMLevel(0, 0), stNominal);
  t.Resize(2, 2);
  t.SetElem(2, 2, 7.0);
  t.SetName("dt");
  TableLog log;
  log.Attach(t);
  NUV_EXPECT_THROW_MSG(t.Resize(1 << 30, 1 << 30), ENUVDataTableError,
                       "Component \"dt\": not enough memory on heap");
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.Elem(2, 2), 7.0);
  EXPECT_EQ(log.seq, "");
  // The value hook is back in place after the failure.
  t.SetElem(1, 1, 1.0);
  EXPECT_EQ(log.seq, "dd");
}

TEST(TDataTableElem, NominalColumnsRoundHalvesToEven) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetMScaleType(1, stNominal);
  const double in[3] = {2.5, 3.5, -0.5};
  const double nominal[3] = {2.0, 4.0, 0.0};
  for (Integer r = 1; r <= 3; ++r) {
    t.SetElem(1, r, in[r - 1]);
    t.SetElem(2, r, in[r - 1]);
    EXPECT_EQ(t.Elem(1, r), nominal[r - 1]);
    EXPECT_EQ(t.Elem(2, r), in[r - 1]);
  }
  t.SetElem(1, 1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isnan(t.Elem(1, 1)));
  EXPECT_EQ(t.Elem(0, 1), 0.0);
  EXPECT_EQ(t.Elem(3, 1), 0.0);
}

TEST(TDataTableElem, SetElemFiresTwiceAndIgnoresOutside) {
  TDataTable t(nullptr);
  TableLog log;
  log.Attach(t);
  t.SetElem(1, 1, 4.0);
  EXPECT_EQ(log.seq, "dd");
  t.SetElem(1, 2, 4.0);
  t.SetElem(0, 1, 4.0);
  EXPECT_EQ(log.seq, "dd");
  // A value written straight into the matrix reaches the table's OnChange.
  t.NumericData()->Fill(1.0);
  EXPECT_EQ(log.seq, "ddd");
}

TEST(TDataTableElem, NominalTextOfValuesWithAndWithoutLabel) {
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 2, "red");
  const std::vector<std::pair<double, std::string>> cases = {
      {2.0, "red"},
      {151.0, "151"},
      {0.0, "0"},
      {-0.3, "0"},
      {-12.0, "-12"},
      {3.0, ""},
      {1e18, "1000000000"},
      // No digits beyond what an Int64 holds, and none for values that are not finite.
      {-9223372036854774784.0, "-922337203"},
      {9223372036854775808.0, ""},
      {-1e20, ""},
      {std::numeric_limits<double>::infinity(), ""},
      {std::numeric_limits<double>::quiet_NaN(), ""}};
  for (const auto& [v, text] : cases) {
    SCOPED_TRACE(v);
    t.SetElem(1, 1, v);
    EXPECT_EQ(t.ElemNominal(1, 1), text);
  }
  t.SetElem(2, 1, 2.0);
  EXPECT_EQ(t.ElemNominal(2, 1), "");
}

TEST(TDataTableCellState, EventsOfStateWriters) {
  TDataTable t(nullptr);
  TableLog log;
  log.Attach(t);
  t.SetCellState(1, 1, 0);
  EXPECT_EQ(log.seq, "");
  t.SetCellState(1, 1, 64);
  EXPECT_EQ(log.seq, "c");
  t.SetIsEmpty(1, 1, true);
  EXPECT_EQ(log.seq, "ccd");
  EXPECT_EQ(t.CellState(1, 1), 66);
  EXPECT_TRUE(t.IsEmpty(1, 1));
  EXPECT_FALSE(t.IsNumber(1, 1));
  t.SetIsEmpty(1, 1, true);  // already empty: no state event, still OnChange
  EXPECT_EQ(log.seq, "ccdd");
  t.SetIsImputed(1, 1, true);
  t.SetIsEmpty(1, 1, false);
  EXPECT_EQ(t.CellState(1, 1), 96);
  EXPECT_TRUE(t.IsImputed(1, 1));
  EXPECT_TRUE(t.IsNumber(1, 1));
  t.SetCellState(1, 1, 1);
  EXPECT_FALSE(t.IsNumber(1, 1));
  EXPECT_EQ(t.CellState(2, 1), 0);
}

TEST(TDataTableHeaders, NamesAttributesCommentAndScale) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  TableLog log;
  log.Attach(t);
  t.SetColName(1, std::string(60, 'x'));
  EXPECT_EQ(t.ColName(1), std::string(50, 'x'));
  EXPECT_EQ(t.MaxColNameLength(), 50);
  EXPECT_EQ(t.MaxRowNameLength(), 3);
  t.SetRowName(3, "no");
  t.SetRowAttrib(2, -5);
  t.SetColAttrib(0, 1);
  t.SetRowAttributes(static_cast<Integer>(0xF0F0F0F0u), 0x0000FFFFu);
  EXPECT_EQ(t.RowAttrib(1), static_cast<Integer>(0x0000F0F0u));
  EXPECT_EQ(t.RowAttrib(2), static_cast<Integer>(0xFFFFF0F0u));
  t.SetColAttributes(7);
  EXPECT_EQ(t.ColAttrib(2), 7);
  t.SetFComment("a\tb\r\nc");
  EXPECT_EQ(t.Comment(), "abc");
  t.SetMScaleType(3, stRatio);
  t.SetMScaleType(2, stOrdinal);
  EXPECT_EQ(t.MScaleType(3), stUnknown);
  EXPECT_EQ(log.seq, "naaass");
}

TEST(TDataTableAdopt, ForeignMatrixEventsOwnershipAndUnhooking) {
  TMatrix m(nullptr);
  m.Resize(4, 2);
  m.SetVal(4, 2, 9.0);
  {
    TDataTable t(nullptr);
    t.SetMScaleType(1, stNominal);
    t.SetColName(1, "keep");
    TableLog log;
    log.Attach(t);
    t.AssignAnotherDataMatrix(&m);
    EXPECT_EQ(log.seq, "rrdsnac");
    ASSERT_EQ(log.resizes.size(), 2u);
    EXPECT_EQ(log.resizes[0], (std::vector<Integer>{1, 1, 4, 2}));
    EXPECT_EQ(log.resizes[1], (std::vector<Integer>{1, 1, 4, 2}));
    EXPECT_EQ(t.NumericData(), &m);
    EXPECT_EQ(t.Elem(4, 2), 9.0);
    EXPECT_EQ(t.ColName(1), "keep");
    EXPECT_EQ(t.MScaleType(1), stInterval);
    EXPECT_EQ(t.ColName(4), "C-4");
    log.seq.clear();
    m.SetVal(1, 1, 2.0);
    EXPECT_EQ(log.seq, "d");
    // Same size again: one OnResize only.
    log.seq.clear();
    log.resizes.clear();
    t.AssignAnotherDataMatrix(&m);
    EXPECT_EQ(log.seq, "rdsnac");
  }
  EXPECT_FALSE(m.OnChange());
  EXPECT_FALSE(m.OnSortExchange());
  EXPECT_EQ(m.GetVal(4, 2), 9.0);
}

TEST(TDataTableAdopt, EarlierAdoptedMatrixIsUnhookedAndOwnMatrixStaysOwn) {
  TMatrix a(nullptr), b(nullptr);
  TDataTable t(nullptr);
  t.AssignAnotherDataMatrix(&a);
  t.AssignAnotherDataMatrix(&b);
  EXPECT_FALSE(a.OnChange());
  EXPECT_FALSE(a.OnSortExchange());
  EXPECT_TRUE(b.OnChange());

  // Handing the table its own matrix must neither free it nor give it away.
  TDataTable u(nullptr);
  TMatrix* own = u.NumericData();
  u.AssignAnotherDataMatrix(own);
  u.AssignAnotherDataMatrix(nullptr);
  EXPECT_EQ(u.NumericData(), own);
  u.SetElem(1, 1, 3.0);
  EXPECT_EQ(own->GetVal(1, 1), 3.0);
}

TEST(TDataTableAdopt, LettingGoOfAMatrixNeverResizesIt) {
  // The first matrix is the caller's once adopted, and the table's own one is freed: neither
  // is resized on the way out.
  TMatrix a(nullptr), b(nullptr);
  a.Resize(5, 5);
  a.SetVal(5, 5, 7.0);
  b.Resize(2, 2);
  b.SetVal(2, 2, 3.0);
  TDataTable t(nullptr);
  TableLog log;
  t.AssignAnotherDataMatrix(&a);
  log.Attach(t);
  t.AssignAnotherDataMatrix(&b);
  EXPECT_EQ(a.NrOfColumns(), 5);
  EXPECT_EQ(a.NrOfRows(), 5);
  EXPECT_EQ(a.GetVal(5, 5), 7.0);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.Elem(2, 2), 3.0);
  EXPECT_EQ(t.ColName(3), "");
  EXPECT_EQ(log.seq, "rrdsnac");
  ASSERT_EQ(log.resizes.size(), 2u);
  EXPECT_EQ(log.resizes[0], (std::vector<Integer>{5, 5, 2, 2}));
  // Nothing that happens to the released matrix reaches the table any more.
  log.seq.clear();
  a.SetVal(1, 1, 1.0);
  a.Resize(1, 1);
  EXPECT_EQ(log.seq, "");
  // Moving on to a smaller matrix again leaves the released one whole and keeps the headers
  // of the surviving columns.
  t.SetColName(1, "kept");
  t.AssignAnotherDataMatrix(&a);
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.GetVal(2, 2), 3.0);
  EXPECT_EQ(t.ColName(1), "kept");
  EXPECT_EQ(t.NrOfColumns(), 1);
}

TEST(TDataTableText, NamesAndLabelsAreCutAtACharacterBoundary) {
  const std::string e = "\xC3\xA9";             // two bytes
  const std::string clef = "\xF0\x9D\x84\x9E";  // four bytes
  struct Case {
    std::string in;
    std::string name;   // as stored with the 50-byte limit
    std::string label;  // as stored with the 10-byte limit
  };
  const Case cases[] = {
      {std::string(49, 'x') + e, std::string(49, 'x'), std::string(10, 'x')},
      {std::string(48, 'x') + e, std::string(48, 'x') + e, std::string(10, 'x')},
      {std::string(47, 'x') + clef, std::string(47, 'x'), std::string(10, 'x')},
      {std::string(46, 'x') + clef + "y", std::string(46, 'x') + clef, std::string(10, 'x')},
      {std::string(9, 'y') + e, std::string(9, 'y') + e, std::string(9, 'y')},
      {std::string(7, 'y') + clef, std::string(7, 'y') + clef, std::string(7, 'y')},
      {std::string(6, 'y') + clef + "z", std::string(6, 'y') + clef + "z",
       std::string(6, 'y') + clef},
      {"a" + e + e + e + e + e + e, "a" + e + e + e + e + e + e, "a" + e + e + e + e},
      // Bytes that start no sequence stand for themselves.
      {std::string(60, '\x80'), std::string(50, '\x80'), std::string(10, '\x80')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    TDataTable t(nullptr);
    t.SetColName(1, c.in);
    t.SetRowName(1, c.in);
    EXPECT_EQ(t.ColName(1), c.name);
    EXPECT_EQ(t.RowName(1), c.name);
    EXPECT_EQ(t.MaxColNameLength(), static_cast<Integer>(c.name.size()));
    EXPECT_EQ(t.AddNominalID(1, c.in), 1);
    EXPECT_EQ(t.NominalID(1, 1), c.label);
    t.SetNominalID(1, 2, c.in);
    EXPECT_EQ(t.NominalID(1, 2), c.label);
    t.SetElemNominal(1, 1, c.in);  // found again under its cut form
    EXPECT_EQ(t.Elem(1, 1), 1.0);
    EXPECT_EQ(t.OrdinalOfNominalID(1, c.in, false), 1);
  }
}

TEST(TDataTableSortExchange, StatesFollowTheMatrixExchanges) {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  t.SetCellState(1, 1, 1);
  t.SetCellState(3, 1, 3);
  t.SetCellState(3, 3, 5);
  t.SetColName(1, "a");
  test::EventRecorder rec;
  t.SetOnSortExchange(rec.ExchangeHandler());
  t.NumericData()->SortExchange(1, 1, 3, 1, 2);
  EXPECT_EQ(t.CellState(1, 1), 3);
  EXPECT_EQ(t.CellState(3, 1), 1);
  EXPECT_EQ(t.CellState(3, 3), 5);  // outside rows 1..2
  EXPECT_EQ(t.ColName(1), "a");     // headers stay unless a sort includes them
  t.NumericData()->SortExchange(2, 1, 3, 3, 3);
  EXPECT_EQ(t.CellState(3, 1), 5);
  EXPECT_EQ(t.CellState(3, 3), 1);
  t.NumericData()->SortExchange(2, 0, 9, 1, 3);  // outside: nothing moves, still reported
  ASSERT_EQ(rec.Exchanges.size(), 3u);
  EXPECT_EQ(rec.Exchanges[0].Sender, &t);
  EXPECT_EQ(rec.Exchanges[1].Kind, 2);
  EXPECT_EQ(rec.Exchanges[1].Lo, 3);
}

TEST(TDataTableText, FormatFloatStrAndTrimBlanks) {
  using detail::FormatFloatStr;
  EXPECT_EQ(FormatFloatStr(7, -4, 0), "0007");
  EXPECT_EQ(FormatFloatStr(-7, -4, 0), "-007");
  EXPECT_EQ(FormatFloatStr(-7, -2, 0), "-7");
  EXPECT_EQ(FormatFloatStr(12, 1, 0), "12");
  EXPECT_EQ(FormatFloatStr(2.5, 6, 2), "  2.50");
  // Exponent form: two exponent digits, or stars when two do not suffice.
  EXPECT_EQ(FormatFloatStr(1.5, 12, -2), " 1.50000E+00");
  EXPECT_EQ(FormatFloatStr(1.5e-7, 12, -2), " 1.50000E-07");
  EXPECT_EQ(FormatFloatStr(1e100, 12, -2), std::string(12, '*'));
  EXPECT_EQ(detail::TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(detail::TrimBlanks("\ta "), "\ta");
  EXPECT_EQ(detail::TrimBlanks("   "), "");
}

TEST(TDataTableRange, ValidRangesFollowTheTableSize) {
  TDataTable t(nullptr);
  t.Resize(5, 3);
  Integer lo = 0, hi = 0;
  t.MakeValidColRange(lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 5);
  lo = 9;
  hi = -2;
  t.MakeValidRowRange(lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);
}

}  // namespace
}  // namespace nuv
