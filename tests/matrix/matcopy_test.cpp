// TMatrix: block copies from matrices, integer matrices, 3D arrays, vectors and dynamic arrays.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;

constexpr double kSentinel = -99.0;
constexpr Integer kMaxInt = std::numeric_limits<Integer>::max();

// A cell value that names its position.
double Tag(Int64 c, Int64 r) {
  return 10.0 * static_cast<double>(c) + static_cast<double>(r);
}

void LoadTagged(TMatrix& m, Integer cols, Integer rows) {
  m.Resize(cols, rows);
  for (Integer c = 1; c <= cols; ++c) {
    for (Integer r = 1; r <= rows; ++r) m.SetVal(c, r, Tag(c, r));
  }
}

TEST(TMatrixCopyFrom, BoundsClampOrderAndOverhang) {
  TMatrix src(nullptr);
  LoadTagged(src, 5, 4);
  struct Case {
    Integer cLo, rLo, cHi, rHi, dc, dr;  // as passed
    Integer eCLo, eRLo, eCHi, eRHi;      // source box after clamping
  };
  const Case cases[] = {
      {2, 2, 5, 4, 3, 2, 2, 2, 5, 4},             // overhangs right and bottom
      {4, 3, 2, 1, 2, 2, 2, 1, 4, 3},             // reversed pairs put in order
      {0, 0, 0, 0, 2, 3, 1, 1, 1, 1},             // (0, 0) is the first cell only
      {-3, 9, 9, -3, 0, -1, 1, 1, 5, 4},          // clamped; destination above left
      {1, 1, 5, 4, kMaxInt, kMaxInt, 1, 1, 5, 4}  // far destination: nothing lands
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.cLo << " " << k.rLo << " " << k.cHi << " " << k.rHi);
    TMatrix dst(nullptr);
    dst.Resize(4, 3);
    dst.Fill(kSentinel);
    EventRecorder rec;
    rec.Attach(dst);
    dst.CopyFrom(&src, k.cLo, k.rLo, k.cHi, k.rHi, k.dc, k.dr);
    int landed = 0;
    for (Integer c = 1; c <= 4; ++c) {
      for (Integer r = 1; r <= 3; ++r) {
        const Int64 sc = Int64{c} - k.dc + k.eCLo;
        const Int64 sr = Int64{r} - k.dr + k.eRLo;
        const bool inside = sc >= k.eCLo && sc <= k.eCHi && sr >= k.eRLo && sr <= k.eRHi;
        landed += inside ? 1 : 0;
        EXPECT_EQ(dst.GetVal(c, r), inside ? Tag(sc, sr) : kSentinel) << c << "," << r;
      }
    }
    EXPECT_EQ(rec.Changes, landed + 1);  // one per written cell, then once more
  }
}

TEST(TMatrixCopyFrom, OverlappingBlockOfItselfCopiesTheOldCells) {
  TMatrix m(nullptr);
  LoadTagged(m, 5, 5);
  m.CopyFrom(&m, 1, 1, 4, 4, 2, 2);
  for (Integer c = 1; c <= 5; ++c) {
    for (Integer r = 1; r <= 5; ++r) {
      EXPECT_EQ(m.GetVal(c, r), (c >= 2 && r >= 2) ? Tag(c - 1, r - 1) : Tag(c, r));
    }
  }
}

TEST(TMatrixCopyFrom, IntegerMatricesAnd3DLayers) {
  std::unique_ptr<TIntMatrix> sparse(TIntMatrix::CreateSparse(nullptr, 4));
  sparse->SetVal(2, 3, 2147483647);
  sparse->SetVal(1, 1, -9);
  TMatrix dst(nullptr);
  dst.Resize(3, 3);
  dst.Fill(kSentinel);
  dst.CopyFrom(sparse.get(), 1, 1, 2, 3, 2, 1);
  EXPECT_EQ(dst.GetVal(2, 1), -9.0);
  EXPECT_EQ(dst.GetVal(3, 3), 2147483647.0);
  EXPECT_EQ(dst.GetVal(3, 1), 0.0);  // nothing stored there in the sparse source
  EXPECT_EQ(dst.GetVal(1, 1), kSentinel);

  TMat3D a(nullptr);
  a.Resize(2, 2, 3);
  for (Integer z = 1; z <= 3; ++z) a.SetVal(2, 1, z, 100.0 * z);
  for (auto [layer, want] : {std::pair{0, 1}, std::pair{2, 2}, std::pair{9, 3}}) {
    dst.CopyFrom(&a, 1, 1, 2, 2, layer, 1, 1);
    EXPECT_EQ(dst.GetVal(2, 1), 100.0 * want) << layer;
  }
}

TEST(TMatrixCopyFromVec, AlongARowOrDownAColumn) {
  TVector v(nullptr);
  v.Resize(4);
  for (Integer e = 1; e <= 4; ++e) v.SetVal(e, e * 1.5);
  TMatrix dst(nullptr);
  dst.Resize(3, 3);
  EventRecorder rec;
  rec.Attach(dst);
  dst.CopyFromVec(dimColumns, &v, 2, 4, 2, 3);  // elements 2, 3 to columns 2, 3 of row 3
  EXPECT_EQ(dst.GetVal(2, 3), 3.0);
  EXPECT_EQ(dst.GetVal(3, 3), 4.5);
  EXPECT_EQ(rec.Changes, 3);
  dst.CopyFromVec(&v, 0, 0, 1, 0);  // the whole vector down column 1 from row 0
  EXPECT_EQ(dst.GetVal(1, 1), 3.0);
  EXPECT_EQ(dst.GetVal(1, 3), 6.0);
  dst.CopyFromVec(dimRows, &v, 3, 1, 3, -kMaxInt);  // far above the matrix: nothing lands
  EXPECT_EQ(dst.GetVal(3, 1), 0.0);
}

TEST(TMatrixCopyToVec, RowAndColumnCutToTheVectorAndZeroFilled) {
  TMatrix m(nullptr);
  LoadTagged(m, 5, 3);
  TVector v(nullptr);
  v.Resize(2);
  m.CopyRowToVec(&v, 2, 1, 5);
  EXPECT_EQ(v.GetVal(2), Tag(2, 2));
  v.Resize(4);
  v.Fill(kSentinel);
  m.CopyRowToVec(&v, 9, 5, 4);  // last row, columns 4..5, the rest 0
  EXPECT_EQ(v.GetVal(1), Tag(4, 3));
  EXPECT_EQ(v.GetVal(2), Tag(5, 3));
  EXPECT_EQ(v.GetVal(3), 0.0);
  m.CopyColToVec(&v, -2, 0, 0);  // column 1, all rows
  EXPECT_EQ(v.GetVal(3), Tag(1, 3));
  EXPECT_EQ(v.GetVal(4), 0.0);
}

TEST(TMatrixCopyArray, ToArrayAndBackWithRaggedSource) {
  TMatrix m(nullptr);
  LoadTagged(m, 4, 5);
  TDouble2DArray a;
  m.CopyToArray(a, 3, 2, 5, 4);  // columns 2..3, rows 4..5
  ASSERT_EQ(a.size(), 2U);
  ASSERT_EQ(a[1].size(), 2U);
  EXPECT_EQ(a[0][0], Tag(2, 4));
  EXPECT_EQ(a[1][1], Tag(3, 5));

  TMatrix dst(nullptr);
  dst.Resize(3, 3);
  dst.Fill(kSentinel);
  EventRecorder rec;
  rec.Attach(dst);
  // The short second inner array supplies its one cell; the longer third is cut to two.
  dst.CopyFromArray({{1, 2}, {3}, {4, 5, 6}}, 1, 2);
  EXPECT_EQ(dst.GetVal(1, 3), 2.0);
  EXPECT_EQ(dst.GetVal(2, 2), 3.0);
  EXPECT_EQ(dst.GetVal(2, 3), kSentinel);
  EXPECT_EQ(dst.GetVal(3, 3), 5.0);
  EXPECT_EQ(rec.Changes, 5);  // one per written cell, no extra
  dst.CopyFromArray({{1, 2}}, kMaxInt, -kMaxInt);
  EXPECT_EQ(rec.Changes, 5);
}

}  // namespace
}  // namespace nuv
