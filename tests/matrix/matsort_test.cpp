// TMatrix: row and column sorts with their exchange events, mirroring, exchanging, distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "nuv/matrix/TMatrix.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using test::LoadRows;
using Cells = std::vector<double>;

Cells Column(const TMatrix& m, Integer c) {
  Cells out;
  for (Integer r = 1; r <= m.NrOfRows(); ++r) out.push_back(m.GetVal(c, r));
  return out;
}

Cells Row(const TMatrix& m, Integer r) {
  Cells out;
  for (Integer c = 1; c <= m.NrOfColumns(); ++c) out.push_back(m.GetVal(c, r));
  return out;
}

// The comb sort written out on the keys alone (gap = span, shrunk by 10/13 before each pass,
// stop after a gap-1 pass without exchange); checks the recorded exchanges against it.
void ExpectExchanges(const EventRecorder& rec, Cells keys, bool ascending, Byte kind, Integer lo,
                     Integer hi, Integer first) {
  std::vector<std::pair<Integer, Integer>> ref;
  const auto n = static_cast<Integer>(keys.size());
  Integer gap = n - 1;
  bool swapped = true;
  while (gap != 1 || swapped) {
    gap = std::max(gap * 10 / 13, 1);
    swapped = false;
    for (Integer i = 0; i + gap < n; ++i) {
      double& a = keys[static_cast<std::size_t>(i)];
      double& b = keys[static_cast<std::size_t>(i + gap)];
      if (ascending ? a > b : b > a) {
        std::swap(a, b);
        ref.emplace_back(i + first, i + gap + first);
        swapped = true;
      }
    }
  }
  ASSERT_EQ(rec.Exchanges.size(), ref.size());
  for (std::size_t k = 0; k < ref.size(); ++k) {
    const auto& e = rec.Exchanges[k];
    EXPECT_TRUE(e.Kind == kind && e.Ix1 == ref[k].first && e.Ix2 == ref[k].second && e.Lo == lo &&
                e.Hi == hi)
        << "exchange " << k;
  }
}

TEST(TMatrixSortRows, DescendingSubRangeFollowsCombSortAndLeavesOtherRowsAlone) {
  const Cells keys{5, 9, 1, 9, 3, 7, 7, 0, 2, 8, 4, 6, 6, -1.5};
  TMatrix m(nullptr);
  m.Resize(2, 16);
  for (Integer r = 1; r <= 16; ++r) m.SetVal(2, r, 100.0 + r);
  for (std::size_t k = 0; k < keys.size(); ++k) {
    m.SetVal(1, static_cast<Integer>(k + 2), keys[k]);
    m.SetVal(2, static_cast<Integer>(k + 2), keys[k] * 10);
  }
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, false, 0, 15, 0, 2);  // rows 2..15, the reversed pair put in order
  Cells want = keys;
  std::sort(want.begin(), want.end(), std::greater<>());
  Cells want2{101};
  for (double k : want) want2.push_back(k * 10);
  want2.push_back(116);
  want.insert(want.begin(), 0.0);
  want.push_back(0.0);
  EXPECT_EQ(Column(m, 1), want);
  EXPECT_EQ(Column(m, 2), want2);
  ExpectExchanges(rec, keys, false, 2, 1, 2, 2);
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(rec.Exchanges.front().Sender, &m);
}

TEST(TMatrixSortRows, KeyColumnOutsideTheMovedColumnsMovesItsCellsToo) {
  TMatrix m(nullptr);
  LoadRows(m, {{3, 30, 300, 3000}, {1, 10, 100, 1000}, {2, 20, 200, 2000}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 2, 0, 3, 0);
  EXPECT_EQ(Column(m, 1), (Cells{1, 2, 3}));
  EXPECT_EQ(Column(m, 3), (Cells{100, 200, 300}));
  EXPECT_EQ(Column(m, 4), (Cells{3000, 1000, 2000}));
  ExpectExchanges(rec, {3, 1, 2}, true, 2, 2, 3, 1);
}

TEST(TMatrixSortCols, SortsColumnsByKeyRowWithKindOneEvents) {
  TMatrix m(nullptr);
  LoadRows(m, {{4, 2, 8, 6}, {40, 20, 80, 60}, {-4, -2, -8, -6}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortCols(3, true, 0, 1, 0, 2);  // moves rows 1..2 and the key row outside them
  EXPECT_EQ(Row(m, 1), (Cells{8, 6, 4, 2}));
  EXPECT_EQ(Row(m, 2), (Cells{80, 60, 40, 20}));
  EXPECT_EQ(Row(m, 3), (Cells{-8, -6, -4, -2}));
  ExpectExchanges(rec, {-4, -2, -8, -6}, true, 1, 1, 2, 1);
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TMatrixSortRows, NothingToSortOrNoKey) {
  TMatrix m(nullptr);
  LoadRows(m, {{3, 1}, {1, 2}, {2, 3}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 0, 2, 0, 2);  // a single row
  m.SortCols(1, true, 2, 0, 2, 0);  // a single column
  EXPECT_EQ(rec.Changes, 0);
  // A key outside the matrix: nothing moves and nothing fires.
  m.SortRows(7, true, 0, 0, 0, 0);
  m.SortRows(0, true, 0, 0, 0, 0);
  m.SortCols(-4, false, 0, 0, 0, 0);
  m.SortCols(4, false, 0, 0, 0, 0);
  EXPECT_EQ(Column(m, 1), (Cells{3, 1, 2}));
  EXPECT_TRUE(rec.Exchanges.empty());
  EXPECT_EQ(rec.Changes, 0);
  m.Resize(2, 0);
  m.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(rec.Changes, 1);  // the resize only
}

TEST(TMatrixSortRows, HandlerShrinkingTheMatrixIsRefusedAndTheSortCompletes) {
  TMatrix m(nullptr);
  m.Resize(3, 40);
  for (Integer r = 1; r <= 40; ++r) m.SetVal(3, r, -r);
  int calls = 0;
  bool resized = true;
  m.SetOnSortExchange([&](TObject*, Byte, Integer, Integer, Integer, Integer) {
    if (++calls == 3) resized = m.Resize(2, 5);
  });
  m.SortRows(3, true, 0, 0, 0, 0);
  EXPECT_FALSE(resized);
  EXPECT_EQ(m.NrOfColumns(), 3);
  ASSERT_EQ(m.NrOfRows(), 40);
  for (Integer r = 1; r <= 40; ++r) EXPECT_EQ(m.GetVal(3, r), r - 41.0);
}

TEST(TMatrixMirrorExchange, ReverseAndExchangeWholeRowsAndColumns) {
  TMatrix m(nullptr);
  LoadRows(m, {{1, 2, 3}, {4, 5, 6}});
  EventRecorder rec;
  rec.Attach(m);
  m.MirrorColumns();
  EXPECT_EQ(Row(m, 2), (Cells{6, 5, 4}));
  m.MirrorRows();
  EXPECT_EQ(Row(m, 1), (Cells{6, 5, 4}));
  m.ExchangeColumns(1, 3);
  m.ExchangeRows(2, 1);
  EXPECT_EQ(Row(m, 1), (Cells{1, 2, 3}));
  EXPECT_EQ(Row(m, 2), (Cells{4, 5, 6}));
  EXPECT_EQ(rec.Changes, 4);
  m.ExchangeColumns(0, 2);  // indices outside: nothing, no event
  m.ExchangeColumns(1, 4);
  m.ExchangeRows(3, 1);
  EXPECT_EQ(rec.Changes, 4);
  EXPECT_TRUE(rec.Exchanges.empty());
}

TEST(TMatrixDistance, ModesOfTwoRows) {
  TMatrix m(nullptr);
  LoadRows(m, {{0, 0}, {3, 4}, {1, 2}, {0, 0}});
  EXPECT_EQ(m.DistanceOfObjects(dmEuclid, 1, 2), 5.0);
  EXPECT_EQ(m.DistanceOfObjects(dmManhattan, 1, 2), 7.0);
  EXPECT_EQ(m.DistanceOfObjects(dmEuclidSqr, 1, 2), 25.0);
  // Rows (3, 4) and (1, 2): Σxy = 11, Σx² = 25, Σy² = 5.
  EXPECT_DOUBLE_EQ(m.DistanceOfObjects(dmJaccard, 2, 3), 11.0 / 19.0);
  EXPECT_DOUBLE_EQ(m.DistanceOfObjects(dmDice, 2, 3), 22.0 / 30.0);
  EXPECT_TRUE(std::isnan(m.DistanceOfObjects(dmJaccard, 1, 4)));  // 0 / 0
  EXPECT_EQ(m.DistanceOfObjects(dmManhattan, 2, 9), 7.0);         // a missing row reads 0
  EXPECT_EQ(m.DistanceOfObjects(dmUserDef, 1, 2), 0.0);
  m.SetOnCalcDistance(
      [&](TObject* s, Integer a, Integer b, double& d) { d += (s == &m) ? a * 10.0 + b : -1.0; });
  EXPECT_EQ(m.DistanceOfObjects(dmUserDef, 3, 4), 34.0);
  EXPECT_EQ(DistModeId[dmEuclidSqr], "squared Euclidean");
  EXPECT_EQ(DistModeId[dmUserDef], "user defined");
}

TEST(TMatrixCalcDistMat, StatusesAndSymmetricResult) {
  TMatrix m(nullptr);
  test::LoadRef(m, "int8x5", 5, 3);
  TMatrix d(nullptr);
  d.Resize(4, 5);
  EventRecorder rec;
  rec.Attach(d);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, &d), -2);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, nullptr), -2);
  d.Resize(5, 4);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, &d), -1);
  EXPECT_EQ(rec.Changes, 1);  // the resize only: size errors write nothing
  d.Resize(5, 5);
  d.Fill(-1.0);
  rec.Changes = 0;
  ASSERT_EQ(m.CalcDistMat(dmDice, &d), 0);
  EXPECT_EQ(rec.Changes, 25);  // every cell once through SetVal
  for (Integer i = 1; i <= 5; ++i) {
    for (Integer j = 1; j <= 5; ++j) {
      EXPECT_EQ(d.GetVal(i, j), i == j ? 0.0 : m.DistanceOfObjects(dmDice, i, j));
    }
  }
  // Into itself: the distances of the original rows.
  TMatrix sq(nullptr);
  test::LoadRef(sq, "int5x5", 5, 5);
  ASSERT_EQ(sq.CalcDistMat(dmManhattan, &d), 0);
  ASSERT_EQ(sq.CalcDistMat(dmManhattan, &sq), 0);
  EXPECT_EQ(sq.CRCofData(), d.CRCofData());
}

}  // namespace
}  // namespace nuv
