// TMat3D: storage and resizing, element access, events, fills, clones, layer copies, checksum.
#include <cmath>
#include <limits>

#include "nuv/matrix/NUV_matrix.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/math1_random.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

constexpr Integer kMaxInt = std::numeric_limits<Integer>::max();
constexpr Integer kMinInt = std::numeric_limits<Integer>::min();

// A value that names its cell, so misplaced copies show.
double Tag(Integer x, Integer y, Integer z) {
  return 100.0 * x + 10.0 * y + z;
}

void FillTags(TMat3D& a) {
  for (Integer x = 1; x <= a.NrOfColumns(); ++x)
    for (Integer y = 1; y <= a.NrOfRows(); ++y)
      for (Integer z = 1; z <= a.NrOfLayers(); ++z) a.SetVal(x, y, z, Tag(x, y, z));
}

TEST(TMat3DCreate, OneCellHoldingZero) {
  TMat3D a(nullptr);
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(a.NrOfRows(), 1);
  EXPECT_EQ(a.NrOfLayers(), 1);
  EXPECT_EQ(a.DataID(), "");
  EXPECT_EQ(a.GetVal(1, 1, 1), 0.0);
}

TEST(TMat3DResize, KeepsOverlapZeroesNewCellsAndFiresOnce) {
  TMat3D a(nullptr);
  ASSERT_TRUE(a.Resize(3, 4, 2));
  FillTags(a);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  EXPECT_TRUE(a.Resize(2, 5, 3));
  EXPECT_EQ(rec.Changes, 1);
  ASSERT_EQ(rec.ChangeSenders.size(), 1u);
  EXPECT_EQ(rec.ChangeSenders[0], &a);
  EXPECT_EQ(a.NrOfColumns(), 2);
  EXPECT_EQ(a.NrOfRows(), 5);
  EXPECT_EQ(a.NrOfLayers(), 3);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 5; ++y)
      for (Integer z = 1; z <= 3; ++z) {
        SCOPED_TRACE(testing::Message() << x << "," << y << "," << z);
        EXPECT_EQ(a.GetVal(x, y, z), (y <= 4 && z <= 2) ? Tag(x, y, z) : 0.0);
      }
  EXPECT_EQ(a.GetVal(3, 1, 1), 0.0);  // dropped column
}

TEST(TMat3DResize, SameSizeOrNonPositiveSizeDoesNothing) {
  TMat3D a(nullptr);
  a.Resize(2, 2, 3);
  a.SetVal(2, 2, 3, 7);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  for (auto [c, r, l] : {std::tuple{2, 2, 3}, {2, 0, 3}, {0, 5, 5}, {4, 4, -1}}) {
    EXPECT_TRUE(a.Resize(c, r, l));
  }
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.GetVal(2, 2, 3), 7.0);
}

TEST(TMat3DResize, ImpossibleSizeRaisesAndKeepsEverything) {
  TMat3D a(nullptr);
  a.SetName("M3");
  a.Resize(2, 1, 1);
  a.SetVal(2, 1, 1, 4);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  // Beyond any addressable store on both targets: refused before allocating.
  NUV_EXPECT_THROW_MSG(a.Resize(kMaxInt, kMaxInt, kMaxInt), ENUVMatrixError,
                       "Component \"M3\": not enough memory on heap");
  NUV_EXPECT_THROW_MSG(a.Resize(1 << 21, 1 << 21, 1 << 21), ENUVMatrixError,
                       "Component \"M3\": not enough memory on heap");
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(a.NrOfColumns(), 2);
  EXPECT_EQ(a.NrOfLayers(), 1);
  EXPECT_EQ(a.GetVal(2, 1, 1), 4.0);
}

TEST(TMat3DResize, SizeWritersTakeAtLeastOne) {
  TMat3D a(nullptr);
  a.Resize(3, 3, 3);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  a.SetNRows(0);
  EXPECT_EQ(a.NrOfRows(), 1);
  a.SetNCols(-4);
  EXPECT_EQ(a.NrOfColumns(), 1);
  a.SetNLayers(5);
  EXPECT_EQ(a.NrOfLayers(), 5);
  a.SetNLayers(5);  // unchanged
  EXPECT_EQ(rec.Changes, 3);
  EXPECT_EQ(a.NrOfColumns(), 1);
  EXPECT_EQ(a.NrOfRows(), 1);
}

TEST(TMat3DResize, ResizeAndClearZeroesWithoutExtraEvent) {
  TMat3D a(nullptr);
  a.Resize(2, 2, 2);
  a.Fill(3);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  EXPECT_TRUE(a.ResizeAndClear(2, 2, 2));  // same size: only the clearing, which is silent
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(a.GetVal(2, 2, 2), 0.0);
  a.Fill(3);
  EXPECT_TRUE(a.ResizeAndClear(3, 2, 2));
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(a.GetVal(1, 1, 1), 0.0);
}

TEST(TMat3DElem, OutsideReadsZeroAndWritesNothingSilently) {
  TMat3D a(nullptr);
  a.Resize(2, 3, 4);
  a.Fill(kSentinel);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  a.SetVal(1, 1, 1, 5);
  EXPECT_EQ(a.Elem(1, 1, 1), 5.0);
  for (auto [x, y, z] : {std::tuple{0, 1, 1},
                         {3, 1, 1},
                         {1, 0, 1},
                         {1, 4, 1},
                         {1, 1, 0},
                         {1, 1, 5},
                         {kMinInt, 1, 1},
                         {1, kMaxInt, 1}}) {
    a.SetVal(x, y, z, 1.0);
    EXPECT_EQ(a.GetVal(x, y, z), 0.0);
  }
  EXPECT_EQ(rec.Changes, 0);
  Integer changed = 0;
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 4; ++z) changed += a.GetVal(x, y, z) != kSentinel;
  EXPECT_EQ(changed, 1);
}

TEST(TMat3DFill, FillIsSilentAndZeroClearsSignedZero) {
  TMat3D a(nullptr);
  a.Resize(2, 2, 2);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  a.Fill(7);
  EXPECT_EQ(a.GetVal(2, 1, 2), 7.0);
  a.Fill(0);
  a.Fill(-0.0);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer z = 1; z <= 2; ++z) {
        EXPECT_EQ(a.GetVal(x, y, z), 0.0);
        EXPECT_FALSE(std::signbit(a.GetVal(x, y, z)));
      }
  a.Fill(std::nan(""));
  EXPECT_TRUE(std::isnan(a.GetVal(1, 2, 1)));
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMat3DFill, FillDiagSetsOnlyTheSpaceDiagonalAndFiresOnce) {
  TMat3D a(nullptr);
  a.Resize(3, 4, 2);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  a.FillDiag(9);
  EXPECT_EQ(rec.Changes, 1);
  int nines = 0;
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 4; ++y)
      for (Integer z = 1; z <= 2; ++z) nines += a.GetVal(x, y, z) == 9.0;
  EXPECT_EQ(nines, 2);
  EXPECT_EQ(a.GetVal(1, 1, 1), 9.0);
  EXPECT_EQ(a.GetVal(2, 2, 2), 9.0);
}

TEST(TMat3DFill, RandomFillsDrawCellByCellColumnsOuterLayersInner) {
  HookGuard guard;
  TMat3D a(nullptr);
  a.Resize(2, 3, 2);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  SetRandSeed(4711);
  a.FillRandomUniform(-2, 6);
  SetRandSeed(4711);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z) EXPECT_EQ(a.GetVal(x, y, z), -2.0 + 8.0 * Random());
  SetRandSeed(99);
  a.FillRandomGauss(10, 0.5);
  SetRandSeed(99);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z) EXPECT_EQ(a.GetVal(x, y, z), 10.0 + 0.5 * GRandom());
  EXPECT_EQ(rec.Changes, 2);
}

TEST(TMat3DClone, CopiesSizesAndCellsKeepsIdAndHandler) {
  TMat3D src(nullptr), dst(nullptr);
  src.Resize(3, 2, 4);
  FillTags(src);
  src.SetDataID("source");
  dst.SetDataID("dest");
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  dst.Clone(&src);
  EXPECT_EQ(rec.Changes, 2);  // the resize and the copy
  EXPECT_EQ(dst.DataID(), "dest");
  EXPECT_EQ(dst.NrOfColumns(), 3);
  EXPECT_EQ(dst.NrOfRows(), 2);
  EXPECT_EQ(dst.NrOfLayers(), 4);
  EXPECT_EQ(dst.CRCofData(), src.CRCofData());
  dst.Clone(&src);  // same size: only the copy's event
  EXPECT_EQ(rec.Changes, 3);
  dst.Clone(nullptr);
  EXPECT_EQ(rec.Changes, 3);
}

TEST(TMat3DCopyLayer, WholeLayerWithZeroBounds) {
  TMat3D a(nullptr);
  a.Resize(3, 4, 2);
  FillTags(a);
  TMatrix m(nullptr);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  EventRecorder own;
  a.SetOnChange(own.ChangeHandler());
  a.CopyLayerToMatrix(&m, 0, 0, 0, 0, 2);
  ASSERT_EQ(m.NrOfColumns(), 3);
  ASSERT_EQ(m.NrOfRows(), 4);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 4; ++r) EXPECT_EQ(m.GetVal(c, r), Tag(c, r, 2));
  EXPECT_EQ(rec.Changes, 1 + 12);  // the resize, then one per cell
  EXPECT_EQ(own.Changes, 0);
  a.CopyLayerToMatrix(&m, 9, 2, 3, -1, 1);  // clamped and ordered: columns 2..3, rows 1..3
  ASSERT_EQ(m.NrOfColumns(), 2);
  ASSERT_EQ(m.NrOfRows(), 3);
  EXPECT_EQ(m.GetVal(1, 1), Tag(2, 1, 1));
  EXPECT_EQ(m.GetVal(2, 3), Tag(3, 3, 1));
}

TEST(TMat3DCopyLayer, LayerOutsideRaisesAndLeavesMatrixAlone) {
  TMat3D a(nullptr);
  a.SetName("W");
  a.Resize(2, 2, 3);
  TMatrix m(nullptr);
  m.Resize(5, 1);
  m.Fill(kSentinel);
  for (Integer layer : {0, 4, kMinInt}) {
    NUV_EXPECT_THROW_MSG(a.CopyLayerToMatrix(&m, 0, 0, 0, 0, layer), ENUVMatrixError,
                         "Component \"W\": specified layer beyond data range");
    NUV_EXPECT_THROW_MSG(a.CopyMatrixToLayer(&m, 1, 5, 1, 1, layer, 1, 1), ENUVMatrixError,
                         "Component \"W\": specified layer beyond data range");
  }
  EXPECT_EQ(m.NrOfColumns(), 5);
  EXPECT_EQ(m.GetVal(5, 1), kSentinel);
  a.CopyLayerToMatrix(nullptr, 0, 0, 0, 0, 1);  // no matrix: nothing
  a.CopyMatrixToLayer(nullptr, 1, 1, 1, 1, 1, 1, 1);
}

TEST(TMat3DCopyToLayer, ShiftsSkipsOutsideTargetsAndFiresNothing) {
  TMat3D a(nullptr);
  a.Resize(3, 3, 2);
  a.Fill(kSentinel);
  TMatrix m(nullptr);
  m.Resize(3, 2);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 2; ++r) m.SetVal(c, r, 10.0 * c + r);
  EventRecorder rec;
  a.SetOnChange(rec.ChangeHandler());
  // LayLowCol 0: source column 1 would land in column 0 and is skipped; the others move left.
  a.CopyMatrixToLayer(&m, 1, 3, 1, 2, 2, 0, 2);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(a.GetVal(1, 2, 2), 21.0);
  EXPECT_EQ(a.GetVal(1, 3, 2), 22.0);
  EXPECT_EQ(a.GetVal(2, 2, 2), 31.0);
  EXPECT_EQ(a.GetVal(2, 3, 2), 32.0);
  int untouched = 0;
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z) untouched += a.GetVal(x, y, z) == kSentinel;
  EXPECT_EQ(untouched, 18 - 4);
}

TEST(TMat3DCopyToLayer, SourceBoundsBeyondMatrixReadZeroAndWildBoundsEndQuickly) {
  TMat3D a(nullptr);
  a.Resize(3, 2, 1);
  a.Fill(kSentinel);
  TMatrix m(nullptr);
  m.Resize(1, 1);
  m.SetVal(1, 1, 5);
  a.CopyMatrixToLayer(&m, 0, 2, 1, 1, 1, 1, 1);  // source columns 0..2 -> layer columns 1..3
  EXPECT_EQ(a.GetVal(1, 1, 1), 0.0);
  EXPECT_EQ(a.GetVal(2, 1, 1), 5.0);
  EXPECT_EQ(a.GetVal(3, 1, 1), 0.0);
  EXPECT_EQ(a.GetVal(1, 2, 1), kSentinel);
  // The whole 32-bit range of source bounds, and offsets that leave the 32-bit range.
  a.Fill(kSentinel);
  a.CopyMatrixToLayer(&m, kMinInt, kMaxInt, kMinInt, kMaxInt, 1, 1, 1);
  EXPECT_EQ(a.GetVal(1, 1, 1), 0.0);  // source cell (kMinInt, kMinInt)
  a.Fill(kSentinel);
  a.CopyMatrixToLayer(&m, kMinInt, kMaxInt, 1, 1, 1, kMaxInt, 1);
  a.CopyMatrixToLayer(&m, kMaxInt, kMinInt, 1, 1, 1, 1, 1);  // empty source range
  EXPECT_EQ(a.GetVal(1, 1, 1), kSentinel);
  a.CopyMatrixToLayer(&m, 1, kMaxInt, 1, kMaxInt, 1, kMinInt, 0);
  EXPECT_EQ(a.GetVal(1, 1, 1), kSentinel);
  a.CopyMatrixToLayer(&m, 1, 1, 1, 1, 1, 2, 2);
  EXPECT_EQ(a.GetVal(2, 2, 1), 5.0);
}

TEST(TMat3DChecksum, CellOrderColumnsRowsLayersAndIdIgnored) {
  TMat3D a(nullptr), b(nullptr);
  a.Resize(2, 3, 2);
  FillTags(a);
  b.Resize(2, 3, 2);
  FillTags(b);
  a.SetDataID("one");
  b.SetDataID("two");
  EXPECT_EQ(a.CRCofData(), b.CRCofData());
  EXPECT_EQ(a.CRCofData().size(), 64u);
  // The same cells laid out as one row of a matrix, columns outer, rows, layers inner.
  TMatrix flat(nullptr);
  flat.Resize(12, 1);
  Integer k = 0;
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z) flat.SetVal(++k, 1, Tag(x, y, z));
  EXPECT_EQ(a.CRCofData(), flat.CRCofData());
  b.SetVal(1, 1, 2, Tag(1, 1, 1));
  b.SetVal(1, 1, 1, Tag(1, 1, 2));
  EXPECT_NE(a.CRCofData(), b.CRCofData());
}

}  // namespace
}  // namespace nuv::test
