// TIntMatrix operations: statistics, wrapping arithmetic, products, sorts and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;

constexpr Integer kMax = 2147483647;
constexpr Integer kMin = -2147483647 - 1;

// Matrix with the given rows (each a list of column values).
void Load(TIntMatrix& m, const std::vector<std::vector<Integer>>& rows) {
  m.Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
    }
  }
}

std::unique_ptr<TIntMatrix> Sparse(const std::vector<TSpMatElemInt>& entries) {
  std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 2));
  for (const auto& e : entries) s->SetVal(e.colidx, e.rowidx, e.value);
  return s;
}

TEST(TIntMatrixStats, CountsSumsAndExtremesOfDenseBoxes) {
  TIntMatrix m(nullptr);
  Load(m, {{1, 2, 3}, {4, 5, 6}, {7, 8, kMax}});
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 2, 7), 6);
  EXPECT_EQ(m.CountValues(2, 3, 1, 2, 2, 7), 4);    // columns 2..3, rows 1..2
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 1), 4);  // the even cells 2, 4, 6, 8
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 0), 9);
  // The sum wraps in 32 bits: 36 + 2147483647.
  EXPECT_EQ(m.Sum(0, 0, 0, 0), static_cast<Integer>(36u + 2147483647u));
  EXPECT_EQ(m.Sum(1, 1, 2, 2), 12);
  EXPECT_EQ(m.Trace(), static_cast<Integer>(6u + 2147483647u));
  Integer lo = 0, hi = 0;
  m.MinMax(2, 1, 3, 2, lo, hi);
  EXPECT_EQ(lo, 2);
  EXPECT_EQ(hi, 6);
  TBool2DArray flags;
  EXPECT_EQ(m.Dichotomize(5, flags), 4);
  ASSERT_EQ(flags.size(), 3u);
  EXPECT_EQ(flags[2][1], 1);  // column 3, row 2 holds 6
  EXPECT_EQ(flags[1][1], 0);  // 5 is not above 5
}

TEST(TIntMatrixStats, FindUsesDistancesBeyondThirtyTwoBits) {
  TIntMatrix m(nullptr);
  Load(m, {{kMin, 0}, {kMax, -5}});
  Integer c = -1, r = -1;
  // |kMin - kMax| would overflow in 32 bits and look nearest.
  m.Find(0, 0, 0, 0, kMax, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  m.Find(0, 0, 0, 0, -3, c, r);  // 0 and -5 are 3 and 2 away
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 2);

  TIntMatrix s(nullptr);
  Load(s, {{1}, {4}, {9}, {16}, {kMax}});
  EXPECT_EQ(s.FindInSortedColumn(1, true, 9), 3);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 15), 4);
  EXPECT_EQ(s.FindInSortedColumn(1, true, kMin), 1);
  EXPECT_EQ(s.FindInSortedColumn(1, true, kMax - 1), 5);
}

TEST(TIntMatrixStats, MomentsAndOrderStatisticsMatchNaiveReferences) {
  TIntMatrix m(nullptr);
  const std::vector<Integer> v{7, -3, 12, 5, 5, 0, 9, 2, 14, -8, 6, 1};
  m.Resize(3, 4);
  for (Integer k = 0; k < 12; ++k) m.SetVal(k / 4 + 1, k % 4 + 1, v[static_cast<std::size_t>(k)]);
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  double s = 0, q = 0;
  for (Integer x : v) s += x, q += static_cast<double>(x) * x;
  EXPECT_DOUBLE_EQ(mean, s / 12);
  EXPECT_NEAR(var, (q - s * s / 12) / 11, 1e-12);
  double skew = 0, kurt = 0;
  m.SkewKurt(0, 0, 0, 0, skew, kurt);
  double m2 = 0, m3 = 0, m4 = 0;
  for (Integer x : v) {
    const double d = x - s / 12;
    m2 += d * d, m3 += d * d * d, m4 += d * d * d * d;
  }
  const double sd = std::sqrt(m2 / 11);
  EXPECT_NEAR(skew, m3 / 12 / (sd * sd * sd), 1e-12);
  EXPECT_NEAR(kurt, m4 / 12 / (sd * sd * sd * sd) - 3, 1e-12);

  std::vector<Integer> sorted = v;
  std::sort(sorted.begin(), sorted.end());
  double q1 = 0, q2 = 0, q3 = 0;
  ASSERT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  // Positions 3.25, 6.5 and 9.75 of the sorted twelve.
  EXPECT_DOUBLE_EQ(q1, sorted[2] + 0.25 * (sorted[3] - sorted[2]));
  EXPECT_DOUBLE_EQ(q2, sorted[5] + 0.5 * (sorted[6] - sorted[5]));
  EXPECT_DOUBLE_EQ(q3, sorted[8] + 0.75 * (sorted[9] - sorted[8]));
  EXPECT_DOUBLE_EQ(m.Percentile(50, 0, 0, 0, 0), sorted[6]);
  EXPECT_DOUBLE_EQ(m.Percentile(100, 0, 0, 0, 0), 14.0);  // rank n is the largest

  NUV_EXPECT_THROW_MSG(m.GeometricMean(0, 0, 0, 0), ENUVMatrixError,
                       "Component \"\": negative argument passed to GeometricMean");
  NUV_EXPECT_THROW_MSG(m.HarmonicMean(2, 2, 2, 2), ENUVMatrixError,
                       "Component \"\": negative or zero argument passed to HarmonicMean");
  EXPECT_NEAR(m.GeometricMean(3, 3, 3, 4), std::sqrt(6.0), 1e-12);
  EXPECT_NEAR(m.HarmonicMean(3, 3, 3, 4), 2.0 / (1.0 / 6 + 1.0), 1e-12);
  EXPECT_EQ(m.GeometricMean(2, 1, 2, 4), 0.0);  // a zero cell

  TIntMatrix z(nullptr);
  z.ResizeAndClear(5, 5);
  EXPECT_EQ(z.Percentile(50, 0, 0, 0, 0, 10), 0.0);
  z.FillDiag(3);
  const double p = z.Percentile(100, 0, 0, 0, 0, 24);  // largest of the sample: 0 or 3
  EXPECT_TRUE(p == 0.0 || p == 3.0);

  TVector ev(nullptr);
  m.EdgeVector(orColumns, eopMean, &ev);
  ASSERT_EQ(ev.NrOfElem(), 3);
  EXPECT_DOUBLE_EQ(ev.GetVal(2), (5 + 0 + 9 + 2) / 4.0);
  m.EdgeVector(orRows, eopMin, &ev);
  ASSERT_EQ(ev.NrOfElem(), 4);
  EXPECT_DOUBLE_EQ(ev.GetVal(2), -8.0);
}

TEST(TIntMatrixSparse, SparseAwareStatisticsReadOnlyTheEntries) {
  auto s = Sparse({{2, 2, 5}, {3, 3, -4}, {1, 3, 10}});
  EXPECT_EQ(s->Sum(0, 0, 0, 0), 11);
  EXPECT_EQ(s->Sum(2, 1, 3, 2), 5);
  EXPECT_EQ(s->Sum(1, 1, 1, 2), 0);  // no entry inside
  EXPECT_EQ(s->Trace(), 1);          // box highs 3 and 3: 5 - 4
  Integer lo = 0, hi = 0;
  s->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, -4);
  EXPECT_EQ(hi, 10);
  s->MinMax(1, 1, 1, 2, lo, hi);
  EXPECT_EQ(lo, 2147483647);
  EXPECT_EQ(hi, -2147483647);
  double mean = 0, var = 0;
  s->MeanVar(0, 0, 0, 0, mean, var);  // absent places count as 0
  EXPECT_DOUBLE_EQ(mean, 11.0 / 9);

  auto empty = Sparse({});
  empty->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 2147483647);
  EXPECT_EQ(hi, -2147483647);
  EXPECT_EQ(Sparse({{4, 2, 1}})->Trace(), 0);  // not square

  // Dense-only operations give their empty results and fire nothing.
  EventRecorder rec;
  rec.Attach(*s);
  Integer c = -1, r = -1;
  s->Find(0, 0, 0, 0, 5, c, r);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  double q1 = 1, q2 = 1, q3 = 1;
  EXPECT_FALSE(s->Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(s->Percentile(50, 0, 0, 0, 0), 0.0);
  EXPECT_EQ(s->GeometricMean(0, 0, 0, 0), 0.0);
  s->SMult(3);
  s->MirrorRows();
  EXPECT_FALSE(s->Subtract(s.get()));
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(s->GetVal(1, 3), 10);
}

TEST(TIntMatrixArithmetic, CellWiseOperationsWrapAndFireOnce) {
  TIntMatrix a(nullptr), b(nullptr);
  Load(a, {{kMax, 1}, {kMin, 4}});
  Load(b, {{1, 2}, {-1, 3}});
  EventRecorder rec;
  rec.Attach(a);
  ASSERT_TRUE(a.Add(&b));
  EXPECT_EQ(a.GetVal(1, 1), kMin);
  EXPECT_EQ(a.GetVal(1, 2), kMax);
  ASSERT_TRUE(a.Subtract(&b));
  EXPECT_EQ(a.GetVal(1, 1), kMax);
  a.SMult(2);
  EXPECT_EQ(a.GetVal(1, 1), -2);
  a.SAdd(kMax);
  EXPECT_EQ(a.GetVal(2, 2), static_cast<Integer>(8u + 2147483647u));
  EXPECT_EQ(rec.Changes, 4);
  b.Resize(3, 2);
  EXPECT_FALSE(a.Add(&b));
  EXPECT_FALSE(a.Add(nullptr));
  EXPECT_EQ(rec.Changes, 4);
}

TEST(TIntMatrixArithmetic, AddOfSparseEntriesNeedsRoomForTheirBox) {
  TIntMatrix a(nullptr);
  Load(a, {{1, 1, 1}, {1, 1, 1}});
  auto s = Sparse({{3, 2, 10}, {1, 1, kMax}});
  EventRecorder rec;
  rec.Attach(a);
  ASSERT_TRUE(a.Add(s.get()));
  EXPECT_EQ(a.GetVal(3, 2), 11);
  EXPECT_EQ(a.GetVal(1, 1), kMin);
  EXPECT_EQ(a.GetVal(2, 1), 1);
  EXPECT_EQ(rec.Changes, 1);
  auto wide = Sparse({{4, 1, 7}});
  const std::string crc = a.CRCofData();
  EXPECT_FALSE(a.Add(wide.get()));
  EXPECT_EQ(a.CRCofData(), crc);
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_FALSE(s->Add(&a));  // a sparse Self adds nothing
}

// Naive product with wrap-around, cells given as [col][row].
std::vector<std::vector<Integer>> NaiveProduct(const TIntMatrix& a, bool ta, const TIntMatrix& b,
                                               bool tb) {
  auto at = [](const TIntMatrix& m, bool t, Integer i, Integer j) {  // row i, column j
    return t ? m.GetVal(i, j) : m.GetVal(j, i);
  };
  const Integer rows = ta ? a.NrOfColumns() : a.NrOfRows();
  const Integer inner = ta ? a.NrOfRows() : a.NrOfColumns();
  const Integer cols = tb ? b.NrOfRows() : b.NrOfColumns();
  std::vector<std::vector<Integer>> res(static_cast<std::size_t>(cols));
  for (Integer j = 1; j <= cols; ++j) {
    for (Integer i = 1; i <= rows; ++i) {
      std::int64_t s = 0;
      for (Integer k = 1; k <= inner; ++k) s += std::int64_t{at(a, ta, i, k)} * at(b, tb, k, j);
      res[static_cast<std::size_t>(j - 1)].push_back(
          static_cast<Integer>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(s))));
    }
  }
  return res;
}

void ExpectCells(const TIntMatrix& m, const std::vector<std::vector<Integer>>& ref) {
  ASSERT_EQ(m.NrOfColumns(), static_cast<Integer>(ref.size()));
  for (std::size_t c = 0; c < ref.size(); ++c) {
    ASSERT_EQ(m.NrOfRows(), static_cast<Integer>(ref[c].size()));
    for (std::size_t r = 0; r < ref[c].size(); ++r) {
      EXPECT_EQ(m.GetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1)), ref[c][r]);
    }
  }
}

TEST(TIntMatrixProducts, MatrixProductsMatchNaiveWrappedSums) {
  TIntMatrix a(nullptr), b(nullptr), res(nullptr);
  Load(a, {{1, 2, 3}, {4, 5, 6}});             // 2 rows, 3 columns
  Load(b, {{7, 8}, {9, 10}, {kMax, 100000}});  // 3 rows, 2 columns
  ASSERT_TRUE(a.Multiply(&b, &res));
  ExpectCells(res, NaiveProduct(a, false, b, false));
  EXPECT_EQ(res.GetVal(2, 2), 4 * 8 + 5 * 10 + 6 * 100000);
  TIntMatrix bt(nullptr);
  Load(bt, {{7, 9, kMax}, {8, 10, 100000}});
  ASSERT_TRUE(a.MultiplyTransposed(&bt, &res));
  ExpectCells(res, NaiveProduct(a, false, bt, true));
  TIntMatrix c(nullptr);
  Load(c, {{1, -1}, {kMin, 3}});
  ASSERT_TRUE(c.TransposeAndMultiply(&a, &res));
  ExpectCells(res, NaiveProduct(c, true, a, false));
  ASSERT_TRUE(a.EMult(&a, &res));
  EXPECT_EQ(res.GetVal(3, 2), 36);

  // The result may be an operand; MatRes fires per cell, Self once.
  const auto ref = NaiveProduct(a, false, b, false);
  EventRecorder ra, rb;
  ra.Attach(a);
  rb.Attach(b);
  ASSERT_TRUE(a.Multiply(&b, &b));
  ExpectCells(b, ref);
  EXPECT_EQ(ra.Changes, 1);
  EXPECT_EQ(rb.Changes, 1 + 4);        // the Resize, then four cells
  EXPECT_FALSE(a.Multiply(&a, &res));  // 3 columns against 2 rows
  auto s = Sparse({{1, 1, 1}});
  EXPECT_FALSE(s->Multiply(s.get(), &res));
}

TEST(TIntMatrixProducts, VectorProducts) {
  TIntMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  TIntVector b(nullptr), res(nullptr);
  b.Resize(2);
  b.Fill(1);
  ASSERT_TRUE(m.Multiply(&b, &res));
  ASSERT_EQ(res.NrOfElem(), 2);
  EXPECT_EQ(res.GetVal(1), 3);
  EXPECT_EQ(res.GetVal(2), 7);
  EXPECT_EQ(b.GetVal(1), 1);
  EXPECT_EQ(b.GetVal(2), 1);
  ASSERT_TRUE(m.TransposeAndMultiply(&b, &res));
  EXPECT_EQ(res.GetVal(1), 4);
  EXPECT_EQ(res.GetVal(2), 6);
  m.SetVal(1, 1, kMax);
  ASSERT_TRUE(m.Multiply(&b, &b));  // in place, wrapping
  EXPECT_EQ(b.GetVal(1), kMin + 1);
  b.Resize(3);
  EXPECT_FALSE(m.Multiply(&b, &res));
}

TEST(TIntMatrixSort, SortColsMirrorsAndExchanges) {
  TIntMatrix m(nullptr);
  Load(m, {{3, 1, 2}, {30, 10, 20}});
  EventRecorder rec;
  rec.Attach(m);
  m.SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(m.GetVal(1, 2), 10);
  EXPECT_EQ(m.GetVal(3, 2), 30);
  ASSERT_FALSE(rec.Exchanges.empty());
  for (const auto& e : rec.Exchanges) {
    EXPECT_EQ(e.Kind, 1);
    EXPECT_EQ(e.Lo, 1);
    EXPECT_EQ(e.Hi, 2);
  }
  EXPECT_EQ(rec.Changes, 1);
  m.MirrorColumns();
  EXPECT_EQ(m.GetVal(1, 1), 3);
  m.MirrorRows();
  EXPECT_EQ(m.GetVal(1, 1), 30);
  m.ExchangeColumns(1, 3);
  EXPECT_EQ(m.GetVal(3, 1), 30);
  m.ExchangeRows(0, 1);
  m.ExchangeColumns(1, 4);
  EXPECT_EQ(rec.Changes, 4);
}

TEST(TIntMatrixCopy, VectorsBlocksAndArrays) {
  TIntMatrix m(nullptr);
  Load(m, {{1, 2, 3}, {4, 5, 6}});
  TIntVector v(nullptr);
  v.Resize(4);
  v.Fill(9);
  m.CopyRowToVec(&v, -3, 2, 3);  // row 1, columns 2..3
  EXPECT_EQ(v.GetVal(1), 2);
  EXPECT_EQ(v.GetVal(2), 3);
  EXPECT_EQ(v.GetVal(3), 0);
  m.CopyColToVec(&v, 0, 0, 0);
  EXPECT_EQ(v.GetVal(2), 4);

  // Into a sparse matrix every copied cell becomes an entry, zeros included.
  m.SetVal(2, 2, 0);
  auto s = Sparse({});
  s->CopyFrom(&m, 1, 1, 3, 2, 5, 1);
  EXPECT_EQ(detail::TIntMatrixAccess::SparseNumElem(*s), 6);
  EXPECT_EQ(s->GetVal(7, 2), 6);
  EXPECT_EQ(s->NrOfColumns(), 7);
  // Overlapping copy within one matrix reads the cells from before the copy.
  m.CopyFrom(&m, 1, 1, 2, 2, 2, 1);
  EXPECT_EQ(m.GetVal(2, 1), 1);
  EXPECT_EQ(m.GetVal(3, 1), 2);
  EXPECT_EQ(m.GetVal(3, 2), 0);

  TInt2DArray a;
  m.CopyToArray(a, 2, 3, 2, 2);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(a[0].size(), 1u);
  EXPECT_EQ(a[1][0], 0);
  s->CopyToArray(a, 0, 0, 0, 0);
  EXPECT_TRUE(a.empty());
  s->CopyFromArray({{1, 2}, {3}}, 8, 3);
  EXPECT_EQ(s->GetVal(9, 3), 3);
  EXPECT_EQ(s->NrOfRows(), 4);
  m.CopyFromArray({{7, 8, 9}}, 3, 2);  // only cell (3, 2) lies inside
  EXPECT_EQ(m.GetVal(3, 2), 7);
  EXPECT_EQ(m.NrOfRows(), 2);

  // A sparse source reporting a box beyond memory is refused, not walked.
  auto far = Sparse({{kMax, kMax, 1}});
  NUV_EXPECT_THROW_MSG(s->CopyFrom(far.get(), 0, 0, kMax, kMax, 1, 1), ENUVMatrixError,
                       "Component \"\": not enough memory on heap");
}

}  // namespace
}  // namespace nuv
