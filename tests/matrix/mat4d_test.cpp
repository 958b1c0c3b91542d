// TMat4D core: sizes, element access, linear addresses, events, copies, fills and checksum.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/NUV_matrix.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// A value that tells every cell apart.
double Code(Integer x, Integer y, Integer z, Integer t) {
  return x + 10.0 * y + 100.0 * z + 1000.0 * t;
}

void FillCoded(TMat4D& m) {
  for (Integer x = 1; x <= m.NrOfColumns(); ++x)
    for (Integer y = 1; y <= m.NrOfRows(); ++y)
      for (Integer z = 1; z <= m.NrOfLayers(); ++z)
        for (Integer t = 1; t <= m.NrOfTimeSlots(); ++t) m.SetVal(x, y, z, t, Code(x, y, z, t));
}

// Bitwise reflected CRC-32 step, independent of the library's table.
std::uint32_t NaiveCrcStep(unsigned char b, std::uint32_t crc) {
  crc ^= b;
  for (int k = 0; k < 8; ++k) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  return crc;
}

std::string NaiveLaneChecksum(const std::vector<double>& cells) {
  std::uint32_t lanes[8];
  for (auto& l : lanes) l = 0xFFFFFFFFu;
  for (double v : cells) {
    unsigned char b[8];
    std::memcpy(b, &v, 8);
    for (int k = 0; k < 8; ++k) lanes[k] = NaiveCrcStep(b[k], lanes[k]);
  }
  std::string s;
  char buf[9];
  for (auto l : lanes) {
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(~l));
    s += buf;
  }
  return s;
}

TEST(TMat4DResize, KeepsOverlapZeroesNewCellsAndFiresOnce) {
  TMat4D m(nullptr);
  ASSERT_TRUE(m.Resize(3, 2, 2, 2));
  FillCoded(m);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  ASSERT_TRUE(m.Resize(2, 3, 1, 3));
  EXPECT_EQ(rec.Changes, 1);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer t = 1; t <= 3; ++t) {
        SCOPED_TRACE(testing::Message() << x << " " << y << " " << t);
        EXPECT_EQ(m.GetVal(x, y, 1, t), (y <= 2 && t <= 2) ? Code(x, y, 1, t) : 0.0);
      }
  // A size below 1 or the current sizes: nothing, no event.
  EXPECT_TRUE(m.Resize(3, 2, 0, 4));
  EXPECT_TRUE(m.Resize(2, 3, 1, 3));
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(m.NrOfLayers(), 1);
  m.SetNTSlots(-5);
  EXPECT_EQ(m.NrOfTimeSlots(), 1);
  EXPECT_EQ(rec.Changes, 2);
  m.SetNCols(4);
  m.SetNRows(0);
  m.SetNLayers(2);
  EXPECT_EQ(m.NrOfColumns(), 4);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.NrOfLayers(), 2);
  EXPECT_EQ(rec.Changes, 5);
  EXPECT_EQ(m.GetVal(2, 1, 1, 1), Code(2, 1, 1, 1));
}

TEST(TMat4DResize, UnaddressableSizeRaisesAndKeepsEverything) {
  TMat4D m(nullptr);
  m.SetName("M");
  m.Resize(2, 2, 1, 1);
  m.SetVal(2, 2, 1, 1, 5.0);
  NUV_EXPECT_THROW_MSG(m.Resize(2147483647, 2147483647, 2147483647, 2147483647), ENUVMatrixError,
                       "Component \"M\": not enough memory on heap");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2, 1, 1), 5.0);
}

TEST(TMat4DElem, OutsideReadsZeroAndDropsWritesWithoutEvents) {
  TMat4D m(nullptr);
  m.Resize(2, 3, 4, 5);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  m.SetVal(2, 3, 4, 5, 7.0);
  EXPECT_EQ(m.Elem(2, 3, 4, 5), 7.0);
  const Integer bad[][4] = {{0, 1, 1, 1}, {3, 1, 1, 1}, {1, 4, 1, 1},
                            {1, 1, 5, 1}, {1, 1, 1, 6}, {1, 1, 1, 0}};
  for (const auto& b : bad) {
    m.SetVal(b[0], b[1], b[2], b[3], 9.0);
    EXPECT_EQ(m.GetVal(b[0], b[1], b[2], b[3]), 0.0);
  }
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 0.0);
}

TEST(TMat4DLinearAddress, LayerFastestThenColumnThenRow) {
  TMat4D m(nullptr);
  m.Resize(2, 3, 4, 5);
  EXPECT_EQ(m.Lin3DAddr(1, 1, 1), 0);
  EXPECT_EQ(m.Lin3DAddr(2, 1, 1), 4);
  EXPECT_EQ(m.Lin3DAddr(1, 2, 1), 8);
  EXPECT_EQ(m.Lin3DAddr(2, 3, 4), 23);
  EXPECT_EQ(m.Lin3DAddr(3, 1, 1), -1);
  EXPECT_EQ(m.Lin3DAddr(1, 0, 1), -1);
  EXPECT_EQ(m.Lin3DAddr(1, 1, 5), -1);
  // Every address round-trips.
  for (Integer a = 0; a < 24; ++a) {
    Integer x = 0, y = 0, l = 0;
    ASSERT_TRUE(m.ConvertLinTo3DAddr(a, x, y, l));
    EXPECT_EQ(m.Lin3DAddr(x, y, l), a);
  }
  Integer x = -7, y = -7, l = -7;
  EXPECT_TRUE(m.ConvertLinTo3DAddr(23, x, y, l));
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 3);
  EXPECT_EQ(l, 4);
  x = y = l = -7;
  EXPECT_FALSE(m.ConvertLinTo3DAddr(24, x, y, l));
  EXPECT_FALSE(m.ConvertLinTo3DAddr(-1, x, y, l));
  EXPECT_EQ(x, -7);
  EXPECT_EQ(y, -7);
  EXPECT_EQ(l, -7);
}

TEST(TMat4DMemory, MegabytesOfCells) {
  TMat4D m(nullptr);
  m.Resize(1024, 1024, 1, 1);
  EXPECT_EQ(m.MemoryConsumed(), 8.0);
}

TEST(TMat4DFill, EventsAndValues) {
  TMat4D m(nullptr);
  m.Resize(3, 2, 4, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  m.Fill(7.0);
  EXPECT_EQ(rec.Changes, 1);
  m.FillLayer(0, 5.0);
  m.FillLayer(5, 5.0);
  m.FillLayer(2, 5.0);
  EXPECT_EQ(rec.Changes, 1);
  for (Integer t = 1; t <= 2; ++t) {
    EXPECT_EQ(m.GetVal(3, 2, 2, t), 5.0);
    EXPECT_EQ(m.GetVal(1, 1, 1, t), 7.0);
    EXPECT_EQ(m.GetVal(1, 1, 3, t), 7.0);
  }
  m.Fill(-0.0);  // equal to 0: the store is cleared, so +0
  EXPECT_EQ(rec.Changes, 2);
  EXPECT_FALSE(std::signbit(m.GetVal(2, 2, 2, 2)));
  m.Fill(std::nan(""));
  EXPECT_TRUE(std::isnan(m.GetVal(3, 2, 4, 2)));
  m.Fill(0.0);
  m.FillDiag(9.0);
  EXPECT_EQ(rec.Changes, 5);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 9.0);
  EXPECT_EQ(m.GetVal(2, 2, 2, 2), 9.0);
  EXPECT_EQ(m.GetVal(3, 2, 3, 2), 0.0);
  EXPECT_EQ(m.GetVal(2, 2, 2, 1), 0.0);
  // ResizeAndClear at the current sizes still clears and fires through Fill.
  EXPECT_TRUE(m.ResizeAndClear(3, 2, 4, 2));
  EXPECT_EQ(rec.Changes, 6);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 0.0);
  EXPECT_TRUE(m.ResizeAndClear(1, 1, 1, 1));
  EXPECT_EQ(rec.Changes, 8);
}

TEST(TMat4DFill, RandomCellOrderIsColumnsOuterSlotsInner) {
  HookGuard guard;
  TMat4D m(nullptr);
  m.Resize(2, 3, 2, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  SetRandSeed(1234);
  m.FillRandomUniform(-2.0, 6.0);
  SetRandSeed(1234);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z)
        for (Integer t = 1; t <= 2; ++t) EXPECT_EQ(m.GetVal(x, y, z, t), -2.0 + 8.0 * Random());
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TMat4DAssign, CopiesCellsIdentifierAndEventsWithoutFiring) {
  TMat4D src(nullptr);
  src.Resize(3, 2, 2, 3);
  FillCoded(src);
  src.SetDataID("source");
  EventRecorder rec;
  src.SetOnChange(rec.ChangeHandler());
  int percent = 0;
  src.SetOnPercentDone([&](TObject*, Integer) { ++percent; });
  TMat4D dst(nullptr);
  dst.Assign(&src);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(dst.NrOfColumns(), 3);
  EXPECT_EQ(dst.NrOfTimeSlots(), 3);
  EXPECT_EQ(dst.DataID(), "source");
  EXPECT_EQ(dst.GetVal(3, 2, 2, 3), Code(3, 2, 2, 3));
  // The source's handler now also serves the copy.
  dst.FillDiag(1.0);
  ASSERT_EQ(rec.Changes, 1);
  EXPECT_EQ(rec.ChangeSenders[0], &dst);
  dst.CRCofData();
  EXPECT_GT(percent, 0);
  TMatrix other(nullptr);
  NUV_EXPECT_THROW_MSG(dst.Assign(&other), EConvertError, "Cannot assign a TMatrix to a TMat4D");
}

TEST(TMat4DClone, CopiesCellsStepsProgressAndFiresAtTheEnd) {
  HookGuard guard;
  TMat4D src(nullptr);
  src.Resize(25, 10, 2, 2);  // 250 column-row pairs: a step every third pair
  FillCoded(src);
  src.SetDataID("src");
  TMat4D dst(nullptr);
  dst.SetDataID("dst");
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  ProcStat = 0.0;
  dst.Clone(&src);
  EXPECT_EQ(ProcStat.load(), 83.0);
  EXPECT_EQ(rec.Changes, 2);  // the resize and the end
  EXPECT_EQ(dst.DataID(), "dst");
  EXPECT_EQ(dst.CRCofData(), src.CRCofData());
  EXPECT_EQ(dst.GetVal(25, 10, 2, 2), Code(25, 10, 2, 2));
  dst.Clone(nullptr);
  EXPECT_EQ(rec.Changes, 2);
}

TEST(TMat4DChecksum, MatchesAnIndependentLaneChecksum) {
  TMat4D m(nullptr);
  TMatrix one(nullptr);
  EXPECT_EQ(m.CRCofData(), one.CRCofData());
  EXPECT_EQ(m.CRCofData(), NaiveLaneChecksum({0.0}));

  m.Resize(25, 10, 4, 2);
  FillCoded(m);
  auto cells = [&](Integer stride) {
    std::vector<double> v;
    for (Integer x = 1; x <= 25; ++x)
      for (Integer y = 1; y <= 10; ++y)
        for (Integer z = 1; z <= 4; ++z)
          if (z % stride == 0)
            for (Integer t = 1; t <= 2; ++t) v.push_back(Code(x, y, z, t));
    return v;
  };
  std::vector<Integer> percents;
  m.SetOnPercentDone([&](TObject* s, Integer p) {
    EXPECT_EQ(s, &m);
    percents.push_back(p);
  });
  const std::string all = NaiveLaneChecksum(cells(1));
  EXPECT_EQ(m.CRCofData(), all);
  // 250 pairs, a call every second pair.
  ASSERT_EQ(percents.size(), 125u);
  EXPECT_EQ(percents.front(), 1);  // Round(0.8)
  EXPECT_EQ(percents[1], 2);       // Round(1.6)
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(m.CRCofData(0), all);
  EXPECT_EQ(m.CRCofData(1), all);
  EXPECT_EQ(m.CRCofData(-3), all);
  EXPECT_EQ(m.CRCofData(5), NaiveLaneChecksum(cells(2)));  // stride limited to 4 div 2
  // Identifier and events do not enter.
  m.SetDataID("x");
  m.SetOnChange([](TObject*) {});
  EXPECT_EQ(m.CRCofData(), all);
}

}  // namespace
}  // namespace nuv::test
