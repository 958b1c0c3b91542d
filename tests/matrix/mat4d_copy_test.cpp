// TMat4D copies to and from TMat4D, TMat3D, TMatrix and dynamic arrays, and the unit's copies
// between a TMatrix and dynamic arrays.
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/NUV_matrix.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

double Code(Int64 x, Int64 y, Int64 z, Int64 t) {
  return static_cast<double>(x + 10 * y + 100 * z + 1000 * t);
}

void MakeCoded(TMat4D& m, Integer nx, Integer ny, Integer nz, Integer nt) {
  m.Resize(nx, ny, nz, nt);
  for (Integer x = 1; x <= nx; ++x)
    for (Integer y = 1; y <= ny; ++y)
      for (Integer z = 1; z <= nz; ++z)
        for (Integer t = 1; t <= nt; ++t) m.SetVal(x, y, z, t, Code(x, y, z, t));
}

void FillSentinel(TMat4D& m) {
  for (Integer x = 1; x <= m.NrOfColumns(); ++x)
    for (Integer y = 1; y <= m.NrOfRows(); ++y)
      for (Integer z = 1; z <= m.NrOfLayers(); ++z)
        for (Integer t = 1; t <= m.NrOfTimeSlots(); ++t) m.SetVal(x, y, z, t, kSentinel);
}

// Expected cell of a box placed into a sentinel-filled array: source (x - dx, ...) when that
// lies inside the source box, else the sentinel.
void ExpectPlaced(const TMat4D& dst, Integer lo[4], Integer hi[4], Integer off[4]) {
  for (Integer x = 1; x <= dst.NrOfColumns(); ++x)
    for (Integer y = 1; y <= dst.NrOfRows(); ++y)
      for (Integer z = 1; z <= dst.NrOfLayers(); ++z)
        for (Integer t = 1; t <= dst.NrOfTimeSlots(); ++t) {
          const Integer s[4] = {x - off[0], y - off[1], z - off[2], t - off[3]};
          bool in = true;
          for (int d = 0; d < 4; ++d) in = in && s[d] >= lo[d] && s[d] <= hi[d];
          EXPECT_EQ(dst.GetVal(x, y, z, t), in ? Code(s[0], s[1], s[2], s[3]) : kSentinel)
              << x << "," << y << "," << z << "," << t;
        }
}

TEST(TMat4DCopyFrom, PlacesBoxSkipsOutsideAndFiresOnce) {
  TMat4D src(nullptr);
  TMat4D dst(nullptr);
  MakeCoded(src, 3, 2, 2, 1);
  dst.Resize(2, 3, 1, 2);
  FillSentinel(dst);
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  dst.CopyFrom(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(rec.Changes, 0);
  dst.CopyFrom(&src, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(rec.Changes, 1);
  Integer lo[4] = {1, 1, 1, 1}, hi[4] = {3, 2, 2, 1}, off0[4] = {0, 0, 0, 0};
  ExpectPlaced(dst, lo, hi, off0);

  // Destination column 0: the first source column falls outside, the rest shift left.
  FillSentinel(dst);
  dst.CopyFrom(&src, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1);
  Integer offLeft[4] = {-1, 0, 0, 0};
  ExpectPlaced(dst, lo, hi, offLeft);

  // Reversed and clamped source bounds, placed at (2, 2, 1, 2).
  FillSentinel(dst);
  dst.CopyFrom(&src, 3, 2, 2, 9, 2, 2, 0, 0, 2, 2, 1, 2);
  Integer lo2[4] = {2, 2, 2, 1}, hi2[4] = {3, 2, 2, 1}, off2[4] = {0, 0, -1, 1};
  ExpectPlaced(dst, lo2, hi2, off2);
}

TEST(TMat4DCopyFrom, OverlappingCopyWithinItselfReadsFirst) {
  TMat4D m(nullptr);
  m.Resize(5, 1, 1, 1);
  for (Integer x = 1; x <= 5; ++x) m.SetVal(x, 1, 1, 1, x);
  m.CopyFrom(&m, 1, 4, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1);
  const double want[] = {1, 1, 2, 3, 4};
  for (Integer x = 1; x <= 5; ++x) EXPECT_EQ(m.GetVal(x, 1, 1, 1), want[x - 1]);
}

TEST(TMat4DCopyFrom, ProcStatStepsPerHundredthOfColumnRowPairs) {
  HookGuard guard;
  TMat4D src(nullptr);
  TMat4D dst(nullptr);
  src.Resize(25, 10, 2, 1);  // 250 pairs: step 2, one ProcStat step per 3 pairs
  ProcStat = 0;
  dst.CopyFrom(&src, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(ProcStat.load(), 83.0);
}

TEST(TMat4DCopyOut, LayerToMatrixAndArray) {
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 3, 2, 2, 3);
  TMatrix mat(nullptr);
  EventRecorder rec;
  mat.SetOnChange(rec.ChangeHandler());
  m.CopyLayerToMatrix(&mat, 0, 0, 0, 0, 2, 3);
  ASSERT_EQ(mat.NrOfColumns(), 3);
  ASSERT_EQ(mat.NrOfRows(), 2);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 2; ++r) EXPECT_EQ(mat.GetVal(c, r), Code(c, r, 2, 3));
  EXPECT_EQ(rec.Changes, 1 + 6);  // the resize, then one per cell

  rec.Changes = 0;
  NUV_EXPECT_THROW_MSG(m.CopyLayerToMatrix(&mat, 2, 3, 1, 1, 0, 0), ENUVMatrixError,
                       "Component \"M\": specified layer beyond data range");
  NUV_EXPECT_THROW_MSG(m.CopyLayerToMatrix(&mat, 2, 3, 1, 1, 2, 4), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  EXPECT_EQ(mat.NrOfColumns(), 3);
  EXPECT_EQ(rec.Changes, 0);

  TDouble2DArray arr{{kSentinel}};
  NUV_EXPECT_THROW_MSG(m.CopyLayerToArray(arr, 0, 0, 0, 0, 3, 1), ENUVMatrixError,
                       "Component \"M\": specified layer beyond data range");
  EXPECT_EQ(arr, (TDouble2DArray{{kSentinel}}));
  m.CopyLayerToArray(arr, 3, 2, 5, 2, 1, 2);  // columns 2..3, row 2
  EXPECT_EQ(arr, (TDouble2DArray{{Code(2, 2, 1, 2)}, {Code(3, 2, 1, 2)}}));
}

TEST(TMat4DCopyOut, TimeSlotToArrayAndMat3D) {
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 4, 3, 3, 2);
  TDouble3DArray arr;
  m.CopyTimeSlotToArray(arr, 2, 3, 0, 0, 3, 2, 2);
  ASSERT_EQ(arr.size(), 2u);
  for (std::size_t x = 0; x < 2; ++x) {
    ASSERT_EQ(arr[x].size(), 3u);
    for (std::size_t y = 0; y < 3; ++y) {
      ASSERT_EQ(arr[x][y].size(), 2u);
      for (std::size_t z = 0; z < 2; ++z)
        EXPECT_EQ(arr[x][y][z], Code(Int64(x) + 2, Int64(y) + 1, Int64(z) + 2, 2));
    }
  }
  TMat3D m3(nullptr);
  NUV_EXPECT_THROW_MSG(m.CopyTimeSlotToMat3D(&m3, 0, 0, 0, 0, 0, 0, 3), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  EXPECT_EQ(m3.NrOfColumns(), 1);
  m.CopyTimeSlotToMat3D(&m3, 4, 4, 2, 3, 0, 0, 1);
  ASSERT_EQ(m3.NrOfColumns(), 1);
  ASSERT_EQ(m3.NrOfRows(), 2);
  ASSERT_EQ(m3.NrOfLayers(), 3);
  for (Integer y = 1; y <= 2; ++y)
    for (Integer z = 1; z <= 3; ++z) EXPECT_EQ(m3.GetVal(1, y, z), Code(4, y + 1, z, 1));
}

TEST(TMat4DCopyIn, PixelAndLayerFromArrays) {
  TMat4D m(nullptr);
  m.SetName("M");
  m.Resize(3, 3, 6, 2);
  FillSentinel(m);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  m.Copy1DArrayToPixel({1, 2, 3, 4, 5}, 2, 3, 3, 2);
  for (Integer z = 1; z <= 6; ++z)
    EXPECT_EQ(m.GetVal(2, 3, z, 2), z >= 3 ? static_cast<double>(z - 2) : kSentinel);
  EXPECT_EQ(m.GetVal(2, 3, 3, 1), kSentinel);
  // Column, row, layer, slot: the first failing one is reported.
  NUV_EXPECT_THROW_MSG(m.Copy1DArrayToPixel({1}, 4, 0, 0, 0), ENUVMatrixError,
                       "Component \"M\": specified column beyond data range");
  NUV_EXPECT_THROW_MSG(m.Copy1DArrayToPixel({1}, 1, 0, 0, 0), ENUVMatrixError,
                       "Component \"M\": specified row beyond data range");
  NUV_EXPECT_THROW_MSG(m.Copy1DArrayToPixel({1}, 1, 1, 7, 0), ENUVMatrixError,
                       "Component \"M\": specified layer beyond data range");
  NUV_EXPECT_THROW_MSG(m.Copy1DArrayToPixel({1}, 1, 1, 1, 3), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");

  // Ragged rows: the first row's length bounds every row, a shorter row gives what it has.
  FillSentinel(m);
  m.CopyArrayToLayer({{1, 2}, {3}, {4, 5, 6}}, 0, 2, 4, 1);
  EXPECT_EQ(m.GetVal(1, 2, 4, 1), 3.0);
  EXPECT_EQ(m.GetVal(1, 3, 4, 1), kSentinel);
  EXPECT_EQ(m.GetVal(2, 2, 4, 1), 4.0);
  EXPECT_EQ(m.GetVal(2, 3, 4, 1), 5.0);
  EXPECT_EQ(m.GetVal(3, 2, 4, 1), kSentinel);
  EXPECT_EQ(m.GetVal(2, 2, 4, 2), kSentinel);
  NUV_EXPECT_THROW_MSG(m.CopyArrayToLayer({{1}}, 1, 1, 0, 9), ENUVMatrixError,
                       "Component \"M\": specified layer beyond data range");
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMat4DCopyIn, MatrixToLayerBoundedBySelf) {
  TMat4D m(nullptr);
  m.SetName("M");
  m.Resize(3, 4, 2, 2);
  FillSentinel(m);
  TMatrix mat(nullptr);
  mat.Resize(2, 5);
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 5; ++r) mat.SetVal(c, r, 10.0 * c + r);
  // (0, 0) pairs stand for this array's 3 columns and 4 rows; column 3 lies beyond the matrix.
  m.CopyMatrixToLayer(&mat, 0, 0, 0, 0, 2, 1, 1, 1);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 4; ++r) {
      EXPECT_EQ(m.GetVal(c, r, 2, 1), c <= 2 ? 10.0 * c + r : 0.0);
      EXPECT_EQ(m.GetVal(c, r, 1, 1), kSentinel);
    }
  // Box (2..2, 3..4) placed at column 3, row 0: row 3 falls outside.
  FillSentinel(m);
  m.CopyMatrixToLayer(&mat, 2, 2, 4, 3, 1, 2, 3, 0);
  EXPECT_EQ(m.GetVal(3, 1, 1, 2), 24.0);
  EXPECT_EQ(m.GetVal(3, 2, 1, 2), kSentinel);
  NUV_EXPECT_THROW_MSG(m.CopyMatrixToLayer(&mat, 0, 0, 0, 0, 1, 3, 1, 1), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
}

TEST(TMat4DCopyIn, Mat3DAndArrayToTimeSlot) {
  TMat4D m(nullptr);
  m.SetName("M");
  m.Resize(3, 3, 3, 2);
  FillSentinel(m);
  TMat3D m3(nullptr);
  m3.Resize(2, 2, 2);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer z = 1; z <= 2; ++z) m3.SetVal(x, y, z, Code(x, y, z, 0));
  m.CopyMat3DToTimeSlot(&m3, 0, 0, 2, 1, 2, 2, 2, 3, 2, 0);  // layer 2 lands on layer 0
  EXPECT_EQ(m.GetVal(3, 2, 1, 2), kSentinel);
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 3; ++z) EXPECT_EQ(m.GetVal(x, y, z, 2), kSentinel);
  m.CopyMat3DToTimeSlot(&m3, 0, 0, 2, 1, 2, 2, 2, 3, 2, 3);
  EXPECT_EQ(m.GetVal(3, 2, 3, 2), Code(1, 1, 2, 0));
  EXPECT_EQ(m.GetVal(3, 3, 3, 2), Code(1, 2, 2, 0));
  EXPECT_EQ(m.GetVal(3, 2, 3, 1), kSentinel);
  NUV_EXPECT_THROW_MSG(m.CopyMat3DToTimeSlot(&m3, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");

  // The box is made valid against this array (3 by 3 by 3); the array covers only 2 by 1 by 2,
  // so the rest reads 0.
  FillSentinel(m);
  const TDouble3DArray a{{{1, 2}}, {{3, 4}}};
  m.CopyArrayToTimeSlot(a, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 3; ++z) {
        const double want = (x <= 2 && y == 1 && z <= 2) ? 2.0 * (x - 1) + z : 0.0;
        EXPECT_EQ(m.GetVal(x, y, z, 1), want);
        EXPECT_EQ(m.GetVal(x, y, z, 2), kSentinel);
      }
}

TEST(NuvMatrixCopies, MatrixAndNestedArrays) {
  TMatrix mat(nullptr);
  mat.Resize(2, 2);
  mat.SetVal(1, 1, 1);
  mat.SetVal(2, 1, 2);
  mat.SetVal(1, 2, 3);
  mat.SetVal(2, 2, 4);
  TDouble2DArray arr;
  CopyMatrixToArray(&mat, arr, 1, 3, 1, 2);
  EXPECT_EQ(arr, (TDouble2DArray{{1, 3}, {2, 4}, {0, 0}}));
  CopyMatrixToArray(&mat, arr, 2, 1, 1, 1);  // a reversed pair gives nothing
  EXPECT_TRUE(arr.empty());

  const TDouble3DArray a3{{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}, {{9, 10}}};
  CopyArr3DLayerToArr2D(a3, arr, 1, 2, 0, 1, 1);
  EXPECT_EQ(arr, (TDouble2DArray{{6, 8}, {10, 0}}));  // a3[2][1] does not exist
  TMatrix out(nullptr);
  EventRecorder rec;
  out.SetOnChange(rec.ChangeHandler());
  CopyArr3DLayerToMatrix(a3, &out, 0, 2, 0, 1, 0);
  ASSERT_EQ(out.NrOfColumns(), 3);
  ASSERT_EQ(out.NrOfRows(), 2);
  const double want[3][2] = {{1, 3}, {5, 7}, {9, 0}};
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 2; ++r) EXPECT_EQ(out.GetVal(c, r), want[c - 1][r - 1]);
  EXPECT_EQ(rec.Changes, 1 + 6);
  CopyArr3DLayerToArr2D(a3, arr, -1, -1, 0, 0, 0);  // index -1 reads 0, never out of bounds
  EXPECT_EQ(arr, (TDouble2DArray{{0}}));
}

}  // namespace
}  // namespace nuv::test
