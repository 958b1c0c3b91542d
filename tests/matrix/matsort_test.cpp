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

std::vector<double> Column(const TMatrix& m, Integer c) {
  std::vector<double> out;
  for (Integer r = 1; r <= m.NrOfRows(); ++r) out.push_back(m.GetVal(c, r));
  return out;
}

std::vector<double> Row(const TMatrix& m, Integer r) {
  std::vector<double> out;
  for (Integer c = 1; c <= m.NrOfColumns(); ++c) out.push_back(m.GetVal(c, r));
  return out;
}

// The comb sort written out on the keys alone: gap = span, shrunk by 10/13 before each pass,
// stop after a gap-1 pass without exchange. Returns the exchanged 1-based position pairs.
std::vector<std::pair<Integer, Integer>> ReferenceExchanges(std::vector<double> keys,
                                                            bool ascending) {
  std::vector<std::pair<Integer, Integer>> ex;
  const auto n = static_cast<Integer>(keys.size());
  Integer gap = n - 1;
  bool swapped = true;
  while (gap != 1 || swapped) {
    gap = gap * 10 / 13;
    if (gap == 0) gap = 1;
    swapped = false;
    for (Integer i = 0; i + gap < n; ++i) {
      auto& a = keys[static_cast<std::size_t>(i)];
      auto& b = keys[static_cast<std::size_t>(i + gap)];
      if (ascending ? a > b : b > a) {
        std::swap(a, b);
        ex.emplace_back(i + 1, i + gap + 1);
        swapped = true;
      }
    }
  }
  return ex;
}

void ExpectExchanges(const EventRecorder& rec, const std::vector<std::pair<Integer, Integer>>& ref,
                     Byte kind, Integer lo, Integer hi, Integer offset) {
  ASSERT_EQ(rec.Exchanges.size(), ref.size());
  for (std::size_t k = 0; k < ref.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(rec.Exchanges[k].Kind, kind);
    EXPECT_EQ(rec.Exchanges[k].Ix1, ref[k].first + offset);
    EXPECT_EQ(rec.Exchanges[k].Ix2, ref[k].second + offset);
    EXPECT_EQ(rec.Exchanges[k].Lo, lo);
    EXPECT_EQ(rec.Exchanges[k].Hi, hi);
  }
}

TEST(TMatrixSortRows, WholeMatrixMovesEveryColumnAndReportsEachExchange) {
  TMatrix m(nullptr);
  LoadRows(m, {{3, 30, -3}, {1, 10, -1}, {2, 20, -2}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Column(m, 2), (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(Column(m, 3), (std::vector<double>{-1, -2, -3}));
  EXPECT_EQ(rec.Changes, 1);
  ExpectExchanges(rec, ReferenceExchanges({3, 1, 2}, true), 2, 1, 3, 0);
  EXPECT_EQ(rec.Exchanges[0].Sender, &m);
}

TEST(TMatrixSortRows, DescendingSubRangeFollowsCombSortAndLeavesOtherRowsAlone) {
  const std::vector<double> keys{5, 9, 1, 9, 3, 7, 7, 0, 2, 8, 4, 6, 6, -1.5};
  TMatrix m(nullptr);
  m.Resize(2, 16);
  for (Integer r = 1; r <= 16; ++r) m.SetVal(2, r, 100.0 + r);
  for (std::size_t k = 0; k < keys.size(); ++k) {
    m.SetVal(1, static_cast<Integer>(k + 2), keys[k]);
    m.SetVal(2, static_cast<Integer>(k + 2), keys[k] * 10);
  }
  EventRecorder rec;
  rec.Attach(m);
  // Rows 2..15 by column 1; the reversed row pair is put in order.
  m.SortRows(1, false, 0, 15, 0, 2);
  auto sorted = keys;
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
  for (std::size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(m.GetVal(1, static_cast<Integer>(k + 2)), sorted[k]);
    EXPECT_EQ(m.GetVal(2, static_cast<Integer>(k + 2)), sorted[k] * 10);
  }
  EXPECT_EQ(m.GetVal(2, 1), 101.0);
  EXPECT_EQ(m.GetVal(2, 16), 116.0);
  ExpectExchanges(rec, ReferenceExchanges(keys, false), 2, 1, 2, 1);
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TMatrixSortRows, KeyColumnOutsideTheMovedColumnsMovesItsCellsToo) {
  TMatrix m(nullptr);
  LoadRows(m, {{3, 30, 300, 3000}, {1, 10, 100, 1000}, {2, 20, 200, 2000}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 2, 0, 3, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Column(m, 2), (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(Column(m, 3), (std::vector<double>{100, 200, 300}));
  EXPECT_EQ(Column(m, 4), (std::vector<double>{3000, 1000, 2000}));
  ExpectExchanges(rec, ReferenceExchanges({3, 1, 2}, true), 2, 2, 3, 0);
}

TEST(TMatrixSortRows, NothingToSortOrNoKeyFiresAtMostOneChange) {
  TMatrix m(nullptr);
  LoadRows(m, {{3, 1}, {1, 2}, {2, 3}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 0, 2, 0, 2);  // a single row
  m.SortCols(1, true, 2, 0, 2, 0);  // a single column
  EXPECT_EQ(rec.Changes, 0);
  // A key column or row outside the matrix reads 0 everywhere: nothing moves.
  m.SortRows(7, true, 0, 0, 0, 0);
  m.SortCols(-4, false, 0, 0, 0, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<double>{3, 1, 2}));
  EXPECT_TRUE(rec.Exchanges.empty());
  EXPECT_EQ(rec.Changes, 2);
  // A matrix without rows has nothing to sort.
  m.Resize(2, 0);
  rec.Changes = 0;
  m.SortRows(1, true, 0, 0, 0, 0);
  m.SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMatrixSortRows, HandlerShrinkingTheMatrixEndsTheSortSafely) {
  TMatrix m(nullptr);
  m.Resize(3, 40);
  for (Integer r = 1; r <= 40; ++r) {
    for (Integer c = 1; c <= 3; ++c) m.SetVal(c, r, 41.0 - r);
  }
  int calls = 0;
  m.SetOnSortExchange([&](TObject*, Byte, Integer, Integer, Integer, Integer) {
    if (++calls == 3) m.Resize(2, 5);
  });
  m.SortRows(3, true, 0, 0, 0, 0);
  m.SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(m.NrOfRows(), 5);
  EXPECT_EQ(m.NrOfColumns(), 2);
}

TEST(TMatrixSortCols, SortsColumnsByKeyRowWithKindOneEvents) {
  TMatrix m(nullptr);
  LoadRows(m, {{4, 2, 8, 6}, {40, 20, 80, 60}, {-4, -2, -8, -6}});
  EventRecorder rec;
  rec.Attach(m);
  // Columns 1..4 by row 3, moving rows 1..2 only: the key row lies outside and moves too.
  m.SortCols(3, true, 0, 1, 0, 2);
  EXPECT_EQ(Row(m, 1), (std::vector<double>{8, 6, 4, 2}));
  EXPECT_EQ(Row(m, 2), (std::vector<double>{80, 60, 40, 20}));
  EXPECT_EQ(Row(m, 3), (std::vector<double>{-8, -6, -4, -2}));
  ExpectExchanges(rec, ReferenceExchanges({-4, -2, -8, -6}, true), 1, 1, 2, 0);
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TMatrixMirrorExchange, ReverseAndExchangeWholeRowsAndColumns) {
  TMatrix m(nullptr);
  LoadRows(m, {{1, 2, 3}, {4, 5, 6}});
  EventRecorder rec;
  rec.Attach(m);
  m.MirrorColumns();
  EXPECT_EQ(Row(m, 1), (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(Row(m, 2), (std::vector<double>{6, 5, 4}));
  m.MirrorRows();
  EXPECT_EQ(Row(m, 1), (std::vector<double>{6, 5, 4}));
  m.ExchangeColumns(1, 3);
  EXPECT_EQ(Row(m, 1), (std::vector<double>{4, 5, 6}));
  m.ExchangeRows(2, 1);
  EXPECT_EQ(Row(m, 1), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Row(m, 2), (std::vector<double>{4, 5, 6}));
  EXPECT_EQ(rec.Changes, 4);
  EXPECT_TRUE(rec.Exchanges.empty());
  // Indices outside the matrix change nothing and fire nothing.
  m.ExchangeColumns(0, 2);
  m.ExchangeColumns(1, 4);
  m.ExchangeRows(3, 1);
  m.ExchangeRows(1, -1);
  EXPECT_EQ(rec.Changes, 4);
  EXPECT_EQ(Row(m, 1), (std::vector<double>{1, 2, 3}));
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
  EXPECT_EQ(m.DistanceOfObjects(dmJaccard, 2, 2), 1.0);
  // Two all-zero rows: 0 / 0.
  EXPECT_TRUE(std::isnan(m.DistanceOfObjects(dmJaccard, 1, 4)));
  EXPECT_TRUE(std::isnan(m.DistanceOfObjects(dmDice, 1, 4)));
  // A row outside the matrix reads as zeros.
  EXPECT_EQ(m.DistanceOfObjects(dmManhattan, 2, 9), 7.0);
  EXPECT_EQ(m.DistanceOfObjects(dmUserDef, 1, 2), 0.0);
  m.SetOnCalcDistance([&](TObject* s, Integer a, Integer b, double& d) {
    EXPECT_EQ(s, &m);
    EXPECT_EQ(d, 0.0);
    d = a * 10.0 + b;
  });
  EXPECT_EQ(m.DistanceOfObjects(dmUserDef, 3, 4), 34.0);
}

TEST(TMatrixDistance, ModeNamesInOrder) {
  ASSERT_EQ(DistModeId.size(), 6U);
  EXPECT_EQ(DistModeId[dmJaccard], "Jaccard coefficient");
  EXPECT_EQ(DistModeId[dmManhattan], "Manhattan");
  EXPECT_EQ(DistModeId[dmEuclid], "Euclidean");
  EXPECT_EQ(DistModeId[dmEuclidSqr], "squared Euclidean");
  EXPECT_EQ(DistModeId[dmDice], "Dice coefficient");
  EXPECT_EQ(DistModeId[dmUserDef], "user defined");
}

TEST(TMatrixCalcDistMat, SizeErrorsLeaveTheResultUntouched) {
  TMatrix m(nullptr);
  test::LoadRef(m, "int8x5", 5, 3);
  TMatrix d(nullptr);
  EventRecorder rec;
  d.Resize(4, 5);
  d.Fill(7.0);
  rec.Attach(d);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, &d), -2);
  d.Resize(5, 4);
  d.Fill(7.0);
  rec.Changes = 0;
  EXPECT_EQ(m.CalcDistMat(dmEuclid, &d), -1);
  EXPECT_EQ(m.CalcDistMat(dmEuclid, nullptr), -2);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(d.Sum(0, 0, 0, 0), 7.0 * 20);
}

TEST(TMatrixCalcDistMat, SymmetricMatrixAgainstNaiveDistances) {
  TMatrix m(nullptr);
  test::LoadRef(m, "int8x5", 8, 5);
  for (TDistMode mode : {dmManhattan, dmEuclid, dmEuclidSqr, dmDice}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TMatrix d(nullptr);
    d.Resize(8, 8);
    d.Fill(-1.0);
    EventRecorder rec;
    rec.Attach(d);
    ASSERT_EQ(m.CalcDistMat(mode, &d), 0);
    EXPECT_EQ(rec.Changes, 64);  // every cell once through SetVal
    for (Integer i = 1; i <= 8; ++i) {
      for (Integer j = 1; j <= 8; ++j) {
        double sxy = 0, sxx = 0, syy = 0, man = 0, sq = 0;
        for (Integer c = 1; c <= 5; ++c) {
          const double x = m.GetVal(c, i);
          const double y = m.GetVal(c, j);
          sxy += x * y;
          sxx += x * x;
          syy += y * y;
          man += std::fabs(x - y);
          sq += (x - y) * (x - y);
        }
        double want = 0;
        if (i != j) {
          want = mode == dmManhattan ? man
                 : mode == dmEuclid  ? std::sqrt(sq)
                 : mode == dmDice    ? 2 * sxy / (sxx + syy)
                                     : sq;
        }
        EXPECT_DOUBLE_EQ(d.GetVal(i, j), want) << i << "," << j;
      }
    }
  }
}

TEST(TMatrixCalcDistMat, IntoItselfUsesTheOriginalRows) {
  TMatrix m(nullptr);
  test::LoadRef(m, "int5x5", 5, 5);
  TMatrix expect(nullptr);
  expect.Resize(5, 5);
  ASSERT_EQ(m.CalcDistMat(dmManhattan, &expect), 0);
  ASSERT_EQ(m.CalcDistMat(dmManhattan, &m), 0);
  EXPECT_EQ(m.CRCofData(), expect.CRCofData());
}

}  // namespace
}  // namespace nuv
