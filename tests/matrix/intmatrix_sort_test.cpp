// TIntMatrix::SortRows: comb sort with one exchange event per exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;

// Matrix with the given rows (each a list of column values).
void Load(TIntMatrix& m, const std::vector<std::vector<Integer>>& rows) {
  m.Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
    }
  }
}

std::vector<Integer> Column(const TIntMatrix& m, Integer c) {
  std::vector<Integer> out;
  for (Integer r = 1; r <= m.NrOfRows(); ++r) out.push_back(m.GetVal(c, r));
  return out;
}

// The library's comb sort written out for a reference exchange list: gap = span, shrink by
// 10/13 before each pass, stop after a gap-1 pass without exchange.
std::vector<std::pair<Integer, Integer>> ReferenceExchanges(std::vector<Integer> keys,
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
      const Integer a = keys[static_cast<std::size_t>(i)];
      const Integer b = keys[static_cast<std::size_t>(i + gap)];
      if (ascending ? a > b : b > a) {
        std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(i + gap)]);
        ex.emplace_back(i + 1, i + gap + 1);
        swapped = true;
      }
    }
  }
  return ex;
}

TEST(TIntMatrixSortRows, AscendingMovesRowsAndReportsEachExchange) {
  TIntMatrix m(nullptr);
  Load(m, {{3, 30}, {1, 10}, {2, 20}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(Column(m, 2), (std::vector<Integer>{10, 20, 30}));
  EXPECT_EQ(rec.Changes, 1);
  const auto ref = ReferenceExchanges({3, 1, 2}, true);
  ASSERT_EQ(rec.Exchanges.size(), ref.size());
  for (std::size_t k = 0; k < ref.size(); ++k) {
    EXPECT_EQ(rec.Exchanges[k].Kind, 2);
    EXPECT_EQ(rec.Exchanges[k].Ix1, ref[k].first);
    EXPECT_EQ(rec.Exchanges[k].Ix2, ref[k].second);
    EXPECT_EQ(rec.Exchanges[k].Lo, 1);
    EXPECT_EQ(rec.Exchanges[k].Hi, 2);
    EXPECT_EQ(rec.Exchanges[k].Sender, &m);
  }
}

TEST(TIntMatrixSortRows, DescendingExchangeOrderMatchesCombSort) {
  const std::vector<Integer> keys{5, 9, 1, 9, 3, 7, 7, 0, 2, 8, 4, 6, 6};
  TIntMatrix m(nullptr);
  std::vector<std::vector<Integer>> rows;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    rows.push_back({static_cast<Integer>(i + 1), keys[i]});
  }
  Load(m, rows);
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(2, false, 0, 0, 0, 0);
  std::vector<Integer> sorted = keys;
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
  EXPECT_EQ(Column(m, 2), sorted);
  const auto ref = ReferenceExchanges(keys, false);
  ASSERT_EQ(rec.Exchanges.size(), ref.size());
  for (std::size_t k = 0; k < ref.size(); ++k) {
    EXPECT_EQ(rec.Exchanges[k].Ix1, ref[k].first);
    EXPECT_EQ(rec.Exchanges[k].Ix2, ref[k].second);
  }
  // Column 1 went along: applying the reference exchanges to 1..n gives the same order.
  std::vector<Integer> ids;
  for (std::size_t i = 0; i < keys.size(); ++i) ids.push_back(static_cast<Integer>(i + 1));
  for (auto [a, b] : ref)
    std::swap(ids[static_cast<std::size_t>(a - 1)], ids[static_cast<std::size_t>(b - 1)]);
  EXPECT_EQ(Column(m, 1), ids);
}

TEST(TIntMatrixSortRows, KeyOutsideColumnRangeMovesKeyOnly) {
  TIntMatrix m(nullptr);
  Load(m, {{2, 20, 200, 2000}, {1, 10, 100, 1000}});
  m.SortRows(1, true, 2, 0, 3, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<Integer>{1, 2}));
  EXPECT_EQ(Column(m, 2), (std::vector<Integer>{10, 20}));
  EXPECT_EQ(Column(m, 3), (std::vector<Integer>{100, 200}));
  EXPECT_EQ(Column(m, 4), (std::vector<Integer>{2000, 1000}));
}

TEST(TIntMatrixSortRows, NothingForOneRowSparseOrKeyOutsideMatrix) {
  TIntMatrix m(nullptr);
  Load(m, {{3, 1}, {1, 2}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortRows(1, true, 0, 2, 0, 2);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_TRUE(rec.Exchanges.empty());
  // A key outside the matrix: nothing moves and nothing fires.
  m.SortRows(7, true, 0, 0, 0, 0);
  m.SortRows(0, true, 0, 0, 0, 0);
  m.SortCols(3, true, 0, 0, 0, 0);
  m.SortCols(-1, true, 0, 0, 0, 0);
  EXPECT_TRUE(rec.Exchanges.empty());
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(Column(m, 1), (std::vector<Integer>{3, 1}));

  std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 1));
  s->SetVal(1, 1, 5);
  s->SetVal(1, 2, 1);
  s->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(s->GetVal(1, 1), 5);
}

}  // namespace
}  // namespace nuv
