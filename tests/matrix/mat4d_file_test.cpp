// TMat4D paged binary file: byte layout, slot ranges, appending, reading whole, by layer and
// element by element, and malformed files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "nuv/matrix/NUV_matrix.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

double Code(Integer x, Integer y, Integer z, Integer t) {
  return x + 10.0 * y + 100.0 * z + 1000.0 * t;
}

void MakeCoded(TMat4D& m, Integer X, Integer Y, Integer Z, Integer T) {
  m.Resize(X, Y, Z, T);
  for (Integer x = 1; x <= X; ++x)
    for (Integer y = 1; y <= Y; ++y)
      for (Integer z = 1; z <= Z; ++z)
        for (Integer t = 1; t <= T; ++t) m.SetVal(x, y, z, t, Code(x, y, z, t));
}

std::vector<unsigned char> Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::int32_t Int32At(const std::vector<unsigned char>& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= std::uint32_t{b[at + k]} << (8 * k);
  return static_cast<std::int32_t>(u);
}

double DoubleAt(const std::vector<unsigned char>& b, std::size_t at) {
  double v;
  std::memcpy(&v, b.data() + at, 8);
  return v;
}

// Value number k of the file: record 1 + k div 512, position k mod 512.
double FileValue(const std::vector<unsigned char>& b, std::size_t k) {
  return DoubleAt(b, 4096 * (1 + k / 512) + 8 * (k % 512));
}

// A header record with the given sizes, followed by Pages data records of zeros.
std::vector<unsigned char> HeaderFile(std::int32_t x, std::int32_t y, std::int32_t z,
                                      std::int32_t slots, std::size_t pages) {
  std::vector<unsigned char> b(4096 * (1 + pages), 0);
  const std::int32_t v[4] = {x, y, z, slots};
  for (std::size_t i = 0; i < 4; ++i) std::memcpy(b.data() + 4 * i, &v[i], 4);
  return b;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& b) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Removes the temporary file at scope exit.
struct TempFile {
  std::string Path;
  explicit TempFile(const std::string& stem) : Path(TempPath(stem)) {}
  ~TempFile() { std::remove(Path.c_str()); }
};

TEST(TMat4DSaveBinary, HeaderAndOnePageLayout) {
  TempFile f("save.m4d");
  TMat4D m(nullptr);
  MakeCoded(m, 2, 2, 1, 3);
  m.SetDataID("abc");
  m.SaveBinary(f.Path, 0, 0);
  const auto b = Bytes(f.Path);
  ASSERT_EQ(b.size(), 8192u);
  EXPECT_EQ(Int32At(b, 0), 2);
  EXPECT_EQ(Int32At(b, 4), 2);
  EXPECT_EQ(Int32At(b, 8), 1);
  EXPECT_EQ(Int32At(b, 12), 3);
  EXPECT_EQ(b[16], 3);
  EXPECT_EQ(std::string(b.begin() + 17, b.begin() + 20), "abc");
  EXPECT_TRUE(
      std::all_of(b.begin() + 20, b.begin() + 4096, [](unsigned char c) { return c == 0; }));
  std::size_t k = 0;
  for (Integer t = 1; t <= 3; ++t)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer x = 1; x <= 2; ++x) EXPECT_EQ(FileValue(b, k++), Code(x, y, 1, t));
  for (; k < 512; ++k) EXPECT_EQ(FileValue(b, k), 0.0);
}

TEST(TMat4DSaveBinary, SlotRangesAndProgress) {
  TempFile f("range.m4d");
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 2, 1, 1, 3);
  std::vector<Integer> percents;
  m.SetOnPercentDone([&](TObject*, Integer p) { percents.push_back(p); });
  m.SaveBinary(f.Path, 2, 9);
  auto b = Bytes(f.Path);
  EXPECT_EQ(Int32At(b, 12), 2);
  EXPECT_EQ(FileValue(b, 0), Code(1, 1, 1, 2));
  EXPECT_EQ(FileValue(b, 3), Code(2, 1, 1, 3));
  // Four values: one call per value.
  EXPECT_EQ(percents, (std::vector<Integer>{25, 50, 75, 100}));
  // A start below 1 takes every slot.
  m.SaveBinary(f.Path, -1, 2);
  EXPECT_EQ(Int32At(Bytes(f.Path), 12), 3);

  TempFile none("none.m4d");
  NUV_EXPECT_THROW_MSG(m.SaveBinary(none.Path, 4, 4), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  EXPECT_FALSE(std::filesystem::exists(none.Path));

  // A start above the end chooses no slot: refused by every range operation before the file
  // or the array changes.
  const std::string slot = "Component \"M\": specified time slot beyond data range";
  const auto before = Bytes(f.Path);
  NUV_EXPECT_THROW_MSG(m.SaveBinary(none.Path, 3, 2), ENUVMatrixError, slot);
  EXPECT_FALSE(std::filesystem::exists(none.Path));
  NUV_EXPECT_THROW_MSG(m.AppendToBinaryFile(f.Path, 3, 2), ENUVMatrixError, slot);
  EXPECT_EQ(Bytes(f.Path), before);
  int reads = 0;
  m.SetOnReadElement([&](TObject*, Integer, Integer, Integer, Integer, double) { ++reads; });
  NUV_EXPECT_THROW_MSG(m.ReadBinary(f.Path, 2, 1), ENUVMatrixError, slot);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  NUV_EXPECT_THROW_MSG(m.LoadBinary(f.Path, 3, 1), ENUVMatrixError, slot);
  EXPECT_EQ(m.NrOfTimeSlots(), 3);
  EXPECT_EQ(m.GetVal(2, 1, 1, 3), Code(2, 1, 1, 3));

  // A file of no slots has no range to read, whatever the bounds.
  WriteBytes(f.Path, HeaderFile(2, 1, 1, 0, 1));
  NUV_EXPECT_THROW_MSG(m.LoadBinary(f.Path, 0, 0), ENUVMatrixError, slot);
  NUV_EXPECT_THROW_MSG(m.ReadBinary(f.Path, -1, -1), ENUVMatrixError, slot);
  EXPECT_EQ(reads, 0);
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMat4DSaveBinary, IdentifierInTheAnsiCodePage) {
  TempFile f("id.m4d");
  TMat4D m(nullptr);
  Integer x, y, z, t;
  std::string id;
  m.SetDataID(std::string(300, 'q') + "tail");
  m.SaveBinary(f.Path, 0, 0);
  EXPECT_EQ(Bytes(f.Path)[16], 255);
  EXPECT_TRUE(m.ReadBinaryHeader(f.Path, x, y, z, t, id));
  EXPECT_EQ(id, std::string(255, 'q'));

  m.SetDataID(
      "Gr\xC3\xB6\xC3\x9F"
      "e \xE2\x82\xAC \xCE\xA9");  // "Größe € Ω"
  m.SaveBinary(f.Path, 0, 0);
  const auto b = Bytes(f.Path);
  const std::vector<unsigned char> ansi = {'G', 'r', 0xF6, 0xDF, 'e', ' ', 0x80, ' ', '?'};
  ASSERT_EQ(b[16], ansi.size());
  EXPECT_TRUE(std::equal(ansi.begin(), ansi.end(), b.begin() + 17));
  TMat4D back(nullptr);
  back.LoadBinary(f.Path, 0, 0);
  EXPECT_EQ(back.DataID(),
            "Gr\xC3\xB6\xC3\x9F"
            "e \xE2\x82\xAC ?");
}

TEST(TMat4DReadBinaryHeader, SizesIdentifierAndResult) {
  TempFile f("hdr.m4d");
  TMat4D m(nullptr);
  m.SetDataID("one");
  m.SaveBinary(f.Path, 0, 0);
  Integer x = 0, y = 0, z = 0, t = 0;
  std::string id;
  EXPECT_TRUE(m.ReadBinaryHeader(f.Path, x, y, z, t, id));
  EXPECT_EQ(std::tie(x, y, z, t), std::make_tuple(1, 1, 1, 1));
  EXPECT_EQ(id, "one");
  // Headers are reported as stored, the result tests layers and slots only.
  EXPECT_FALSE(m.ReadBinaryHeader(DataPath("mat4d_negative_slots.bin"), x, y, z, t, id));
  EXPECT_EQ(t, -1);
  EXPECT_TRUE(m.ReadBinaryHeader(DataPath("mat4d_negative_cols.bin"), x, y, z, t, id));
  EXPECT_EQ(x, -3);
}

TEST(TMat4DAppend, WholeRecordBoundary) {
  TempFile f("app.m4d");
  TMat4D m(nullptr);
  MakeCoded(m, 16, 16, 2, 1);  // exactly one page
  m.SaveBinary(f.Path, 0, 0);
  ASSERT_EQ(Bytes(f.Path).size(), 8192u);
  m.AppendToBinaryFile(f.Path, 0, 0);
  const auto b = Bytes(f.Path);
  ASSERT_EQ(b.size(), 12288u);
  EXPECT_EQ(Int32At(b, 12), 2);
  EXPECT_EQ(FileValue(b, 512), Code(1, 1, 1, 1));
  EXPECT_EQ(FileValue(b, 1023), Code(16, 16, 2, 1));
}

TEST(TMat4DAppend, MidRecordKeepsEarlierValuesAndTheIdentifier) {
  TempFile f("mid.m4d");
  TMat4D first(nullptr);
  MakeCoded(first, 3, 2, 1, 1);
  first.SetDataID("kept");
  first.SaveBinary(f.Path, 0, 0);
  TMat4D more(nullptr);
  MakeCoded(more, 3, 2, 1, 4);
  more.SetDataID("not written");
  more.AppendToBinaryFile(f.Path, 2, 3);
  TMat4D back(nullptr);
  back.LoadBinary(f.Path, 0, 0);
  ASSERT_EQ(back.NrOfTimeSlots(), 3);
  EXPECT_EQ(back.DataID(), "kept");
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 2; ++y) {
      EXPECT_EQ(back.GetVal(x, y, 1, 1), Code(x, y, 1, 1));
      EXPECT_EQ(back.GetVal(x, y, 1, 2), Code(x, y, 1, 2));
      EXPECT_EQ(back.GetVal(x, y, 1, 3), Code(x, y, 1, 3));
    }
  const auto b = Bytes(f.Path);
  ASSERT_EQ(b.size(), 8192u);
  // The page after the last value is zero, whatever the buffer held before.
  for (std::size_t k = 18; k < 512; ++k) EXPECT_EQ(FileValue(b, k), 0.0) << k;
}

TEST(TMat4DAppend, RefusalsLeaveTheFileUnchanged) {
  TempFile f("ref.m4d");
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 3, 2, 2, 2);
  m.SaveBinary(f.Path, 0, 0);
  const auto before = Bytes(f.Path);
  TMat4D other(nullptr);
  other.SetName("O");
  MakeCoded(other, 3, 2, 1, 2);
  NUV_EXPECT_THROW_MSG(other.AppendToBinaryFile(f.Path, 0, 0), ENUVMatrixError,
                       "Component \"O\": X,Y,Z of matrices do not match");
  NUV_EXPECT_THROW_MSG(m.AppendToBinaryFile(f.Path, 3, 3), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  NUV_EXPECT_THROW_MSG(m.AppendToBinaryFile(f.Path, 2, 1), ENUVMatrixError,
                       "Component \"M\": specified time slot beyond data range");
  EXPECT_EQ(Bytes(f.Path), before);
  // A negative stored count, and a header whose values stop short of a page.
  for (const auto& [hdr, msg] :
       {std::make_pair(HeaderFile(3, 2, 2, -1, 1), std::string("Invalid header in file \"")),
        std::make_pair(HeaderFile(3, 2, 2, 0, 0), std::string("Read beyond end of file \""))}) {
    SCOPED_TRACE(msg);
    WriteBytes(f.Path, hdr);
    NUV_EXPECT_THROW_MSG(m.AppendToBinaryFile(f.Path, 0, 0), EInOutError, msg + f.Path + "\"");
    EXPECT_EQ(Bytes(f.Path), hdr);
  }

  // A file already holding the most slots its 32-bit count can number.
  TempFile full("full.m4d");
  std::filesystem::copy_file(DataPath("mat4d_full.bin"), full.Path);
  const auto fullBefore = Bytes(full.Path);
  TMat4D one(nullptr);
  NUV_EXPECT_THROW_MSG(one.AppendToBinaryFile(full.Path, 0, 0), ENUVMatrixError,
                       "Component \"\": specified time slot beyond data range");
  EXPECT_EQ(Bytes(full.Path), fullBefore);
  // A file whose values stop short of its count: nothing is written after the gap.
  TempFile cut("cut.m4d");
  std::filesystem::copy_file(DataPath("mat4d_header_only.bin"), cut.Path);
  NUV_EXPECT_THROW_MSG(one.AppendToBinaryFile(cut.Path, 0, 0), EInOutError,
                       "Read beyond end of file \"" + cut.Path + "\"");
  EXPECT_EQ(Bytes(cut.Path).size(), 4096u);
  const std::string missing = TempPath("missing.m4d");
  NUV_EXPECT_THROW_MSG(one.AppendToBinaryFile(missing, 0, 0), EInOutError,
                       "Cannot open file \"" + missing + "\"");
}
TEST(TMat4DReadBinary, EventsCountSlotsFromTheFirstRead) {
  TempFile f("read.m4d");
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 2, 5);
  m.SaveBinary(f.Path, 0, 0);
  TMat4D reader(nullptr);
  std::vector<std::tuple<Integer, Integer, Integer, Integer, double>> got;
  reader.SetOnReadElement([&](TObject* s, Integer x, Integer y, Integer z, Integer t, double v) {
    EXPECT_EQ(s, &reader);
    got.emplace_back(x, y, z, t, v);
  });
  std::vector<Integer> percents;
  reader.SetOnPercentDone([&](TObject*, Integer p) { percents.push_back(p); });
  reader.ReadBinary(f.Path, 3, 4);
  ASSERT_EQ(got.size(), 24u);
  std::size_t k = 0;
  for (Integer i = 1; i <= 2; ++i)
    for (Integer z = 1; z <= 2; ++z)
      for (Integer y = 1; y <= 2; ++y)
        for (Integer x = 1; x <= 3; ++x)
          EXPECT_EQ(got[k++], std::make_tuple(x, y, z, i, Code(x, y, z, i + 2)));
  EXPECT_EQ(percents.size(), 24u);
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(reader.NrOfColumns(), 1);  // the cells are not touched
}

TEST(TMat4DLoadBinary, SlotRangeResizesAndTakesTheIdentifier) {
  TempFile f("load.m4d");
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 2, 4);
  m.SetDataID("stored");
  m.SaveBinary(f.Path, 0, 0);
  TMat4D back(nullptr);
  EventRecorder rec;
  back.SetOnChange(rec.ChangeHandler());
  back.LoadBinary(f.Path, 2, 3);
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 2);
  EXPECT_EQ(back.NrOfLayers(), 2);
  ASSERT_EQ(back.NrOfTimeSlots(), 2);
  EXPECT_EQ(back.DataID(), "stored");
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer z = 1; z <= 2; ++z)
        for (Integer t = 1; t <= 2; ++t) EXPECT_EQ(back.GetVal(x, y, z, t), Code(x, y, z, t + 1));
}

TEST(TMat4DLoadBinary, RoundTripAcrossManyPages) {
  TempFile f("big.m4d");
  TMat4D m(nullptr);
  m.Resize(37, 11, 5, 3);  // 6105 values, not a multiple of 512
  m.FillRandomUniform(-1e6, 1e6);
  m.SetVal(1, 1, 1, 1, -0.0);
  m.SaveBinary(f.Path, 0, 0);
  EXPECT_EQ(Bytes(f.Path).size(), 4096u * (1 + (6105 + 511) / 512));
  TMat4D back(nullptr);
  back.LoadBinary(f.Path, 0, 0);
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
}

TEST(TMat4DReadLayer, BothOverloadsReadOneLayerOfOneSlot) {
  TempFile f("layer.m4d");
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 40, 30, 3, 4);  // a layer spans records
  m.SaveBinary(f.Path, 0, 0);
  const auto b = Bytes(f.Path);

  TDouble2DArray data;
  m.ReadLayer(f.Path, 2, 3, data);
  ASSERT_EQ(data.size(), 40u);
  ASSERT_EQ(data[0].size(), 30u);
  const std::size_t first = ((3 - 1) * 3 + 1) * 40 * 30;
  std::size_t k = 0;
  for (Integer y = 1; y <= 30; ++y)
    for (Integer x = 1; x <= 40; ++x) {
      EXPECT_EQ(data[x - 1][y - 1], FileValue(b, first + k++));
      EXPECT_EQ(data[x - 1][y - 1], Code(x, y, 2, 3));
    }

  TMat4D dst(nullptr);
  dst.SetName("D");
  dst.Resize(41, 30, 2, 3);
  dst.Fill(kSentinel);
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  dst.ReadLayer(f.Path, 2, 3);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(dst.GetVal(40, 30, 2, 3), Code(40, 30, 2, 3));
  EXPECT_EQ(dst.GetVal(1, 1, 2, 3), Code(1, 1, 2, 3));
  EXPECT_EQ(dst.GetVal(41, 1, 2, 3), kSentinel);
  EXPECT_EQ(dst.GetVal(1, 1, 1, 3), kSentinel);
  EXPECT_EQ(dst.GetVal(1, 1, 2, 2), kSentinel);

  const std::string slot = "Component \"D\": specified time slot beyond data range";
  const std::string layer = "Component \"D\": specified layer beyond data range";
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 1, 0), ENUVMatrixError, slot);
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 1, 5, data), ENUVMatrixError, slot);
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 0, 1, data), ENUVMatrixError, layer);
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 4, 1, data), ENUVMatrixError, layer);
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 3, 1), ENUVMatrixError, layer);  // beyond Self
  NUV_EXPECT_THROW_MSG(dst.ReadLayer(f.Path, 1, 4), ENUVMatrixError, slot);   // beyond Self
  EXPECT_EQ(data.size(), 40u);  // failed reads leave Data as it was
}

TEST(TMat4DReadLayer, SmallerArrayKeepsTheColumnsAndRowsItHas) {
  TempFile f("small.m4d");
  TMat4D m(nullptr);
  MakeCoded(m, 40, 30, 3, 2);  // layers of 1200 values, crossing records at odd places
  m.SaveBinary(f.Path, 0, 0);
  struct Case {
    Integer X, Y, Layer, TSlot;
  };
  for (const Case c : {Case{39, 30, 1, 1}, Case{7, 5, 2, 2}, Case{1, 30, 3, 2}, Case{40, 1, 3, 1},
                       Case{13, 29, 3, 2}}) {
    SCOPED_TRACE(testing::Message() << c.X << "x" << c.Y << " layer " << c.Layer);
    TMat4D dst(nullptr);
    dst.Resize(c.X, c.Y, 3, 2);
    dst.Fill(kSentinel);
    std::vector<Integer> percents;
    dst.SetOnPercentDone([&](TObject*, Integer p) { percents.push_back(p); });
    dst.ReadLayer(f.Path, c.Layer, c.TSlot);
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    for (Integer x = 1; x <= c.X; ++x)
      for (Integer y = 1; y <= c.Y; ++y) {
        ASSERT_EQ(dst.GetVal(x, y, c.Layer, c.TSlot), Code(x, y, c.Layer, c.TSlot));
        ASSERT_EQ(dst.GetVal(x, y, c.Layer % 3 + 1, c.TSlot), kSentinel);
      }
  }
}

TEST(TMat4DMalformedFile, FailsWithoutCrashOrHugeAllocation) {
  TMat4D m(nullptr);
  m.SetName("M");
  MakeCoded(m, 2, 2, 1, 1);
  const std::string memLow = "Component \"M\": cannot resize, memory low";
  auto invalid = [](const std::string& n) { return "Invalid header in file \"" + n + "\""; };
  auto beyond = [](const std::string& n) { return "Read beyond end of file \"" + n + "\""; };
  Integer x, y, z, t;
  std::string id;
  TDouble2DArray data;

  const std::string shortHdr = DataPath("mat4d_short_header.bin");
  NUV_EXPECT_THROW_MSG(m.ReadBinaryHeader(shortHdr, x, y, z, t, id), EInOutError, beyond(shortHdr));
  NUV_EXPECT_THROW_MSG(m.LoadBinary(shortHdr, 0, 0), EInOutError, beyond(shortHdr));

  // Sizes that cannot be allocated: LoadBinary fails as its resize would, before anything is
  // allocated or changed; the other readers report the header.
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  const std::string huge = DataPath("mat4d_huge_dims.bin");
  const std::string negCols = DataPath("mat4d_negative_cols.bin");
  NUV_EXPECT_THROW_MSG(m.LoadBinary(huge, 0, 0), ENUVMatrixError, memLow);
  NUV_EXPECT_THROW_MSG(m.LoadBinary(negCols, 0, 0), ENUVMatrixError, memLow);
  NUV_EXPECT_THROW_MSG(m.ReadLayer(huge, 1, 1, data), EInOutError, beyond(huge));
  NUV_EXPECT_THROW_MSG(m.ReadLayer(negCols, 1, 1, data), EInOutError, invalid(negCols));
  NUV_EXPECT_THROW_MSG(m.ReadBinary(DataPath("mat4d_negative_cols.bin"), 0, 0), EInOutError,
                       invalid(DataPath("mat4d_negative_cols.bin")));
  TempFile zero("zero.m4d");
  for (const auto& hdr : {HeaderFile(0, 2, 1, 1, 1), HeaderFile(2, 2, -1, 1, 1),
                          HeaderFile(65536, 65536, 65536, 2, 1)}) {
    WriteBytes(zero.Path, hdr);
    NUV_EXPECT_THROW_MSG(m.LoadBinary(zero.Path, 0, 0), ENUVMatrixError, memLow);
  }
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2, 1, 1), Code(2, 2, 1, 1));
  // A negative slot count leaves no slot to choose.
  const std::string negSlots = DataPath("mat4d_negative_slots.bin");
  const std::string slotMsg = "Component \"M\": specified time slot beyond data range";
  NUV_EXPECT_THROW_MSG(m.LoadBinary(negSlots, 0, 0), ENUVMatrixError, slotMsg);
  NUV_EXPECT_THROW_MSG(m.ReadBinary(negSlots, 0, 0), ENUVMatrixError, slotMsg);
  NUV_EXPECT_THROW_MSG(m.ReadLayer(negSlots, 1, 1, data), ENUVMatrixError, slotMsg);

  // About 16 GB claimed by a file of two records: refused before anything is allocated.
  const std::string claims = DataPath("mat4d_claims_16gb.bin");
  NUV_EXPECT_THROW_MSG(m.LoadBinary(claims, 0, 0), ENUVMatrixError, memLow);
  NUV_EXPECT_THROW_MSG(m.ReadLayer(claims, 1, 2, data), EInOutError, beyond(claims));
  EXPECT_TRUE(data.empty());

  // A file cut short: LoadBinary leaves the array alone, ReadBinary delivers what is there.
  const std::string cut = DataPath("mat4d_truncated.bin");
  NUV_EXPECT_THROW_MSG(m.LoadBinary(cut, 0, 0), ENUVMatrixError, memLow);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2, 1, 1), Code(2, 2, 1, 1));
  EXPECT_EQ(m.DataID(), "");
  std::vector<double> seen;
  m.SetOnReadElement(
      [&](TObject*, Integer, Integer, Integer, Integer, double v) { seen.push_back(v); });
  NUV_EXPECT_THROW_MSG(m.ReadBinary(cut, 0, 0), EInOutError, beyond(cut));
  ASSERT_EQ(seen.size(), 512u);
  EXPECT_EQ(seen.back(), 511.0);
  // Slots 1..8 lie in the first record; slot 9 does not.
  m.LoadBinary(cut, 2, 8);
  EXPECT_EQ(m.NrOfTimeSlots(), 7);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 64.0);
  EXPECT_EQ(m.DataID(), "cut");
  NUV_EXPECT_THROW_MSG(m.ReadLayer(cut, 1, 9, data), EInOutError, beyond(cut));

  const std::string hdrOnly = DataPath("mat4d_header_only.bin");
  NUV_EXPECT_THROW_MSG(m.ReadBinary(hdrOnly, 0, 0), EInOutError, beyond(hdrOnly));

  const std::string dir = std::filesystem::temp_directory_path().string();
  NUV_EXPECT_THROW_MSG(m.ReadBinary(dir, 0, 0), EInOutError, "Cannot open file \"" + dir + "\"");
  const std::string missing = TempPath("missing.m4d");
  NUV_EXPECT_THROW_MSG(m.LoadBinary(missing, 0, 0), EInOutError,
                       "Cannot open file \"" + missing + "\"");
}

TEST(TMat4DMalformedFile, SlotStartBeyondAnyFileOffset) {
  // 4e13 values per slot: slot 131072 starts past 2^52 records, beyond any byte offset.
  TempFile f("far.m4d");
  WriteBytes(f.Path, HeaderFile(2, 201326593, 101537, 6443009, 1));
  TMat4D m(nullptr);
  int reads = 0;
  m.SetOnReadElement([&](TObject*, Integer, Integer, Integer, Integer, double) { ++reads; });
  NUV_EXPECT_THROW_MSG(m.ReadBinary(f.Path, 131072, 196608), EInOutError,
                       "Read beyond end of file \"" + f.Path + "\"");
  EXPECT_EQ(reads, 0);
  // The input that found it: the same reads from the header's tail, which the format leaves
  // undefined.
  const std::string found = DataPath("mat4d_seek_overflow.bin");
  NUV_EXPECT_THROW_MSG(m.ReadBinary(found, 131072, 196608), EInOutError,
                       "Read beyond end of file \"" + found + "\"");
  EXPECT_EQ(reads, 0);
}

// A file of Records records, sparse where nothing was written; false when the file system
// would store the holes.
bool MakeSparse(const std::string& path, const std::vector<unsigned char>& header,
                std::uint64_t records) {
  WriteBytes(path, header);
  std::filesystem::resize_file(path, 4096 * records);
  const auto space = std::filesystem::space(std::filesystem::path(path).parent_path());
  return std::filesystem::file_size(path) == 4096 * records &&
         space.available > (std::uint64_t{1} << 30);
}

void PutValue(const std::string& path, std::uint64_t k, double v) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekp(static_cast<std::streamoff>(4096 * (1 + k / 512) + 8 * (k % 512)));
  f.write(reinterpret_cast<const char*>(&v), 8);
}

double GetValue(const std::string& path, std::uint64_t k) {
  std::ifstream f(path, std::ios::binary);
  f.seekg(static_cast<std::streamoff>(4096 * (1 + k / 512) + 8 * (k % 512)));
  double v = 0;
  f.read(reinterpret_cast<char*>(&v), 8);
  return v;
}

TEST(TMat4DLargeFile, ValuesBeyondTwoToThe31AreNumberedIn64Bits) {
  // 2 values per slot, 2^30 slots stored: the next slot starts at value 2^31, record
  // 2^22 + 1 (16 GiB into a sparse file).
  TempFile f("large.m4d");
  constexpr std::uint64_t k31 = std::uint64_t{1} << 31;
  if (!MakeSparse(f.Path, HeaderFile(2, 1, 1, 1 << 30, 0), 1 + k31 / 512)) {
    GTEST_SKIP() << "no sparse 16 GiB file here";
  }
  PutValue(f.Path, k31 - 2, 7.0);
  PutValue(f.Path, k31 - 1, 8.0);
  TMat4D m(nullptr);
  m.Resize(2, 1, 1, 1);
  m.SetVal(1, 1, 1, 1, 1.5);
  m.SetVal(2, 1, 1, 1, 2.5);
  m.AppendToBinaryFile(f.Path, 0, 0);
  const auto size = std::filesystem::file_size(f.Path);
  EXPECT_EQ(size, 4096 * (2 + k31 / 512));
  EXPECT_EQ(GetValue(f.Path, k31), 1.5);
  EXPECT_EQ(GetValue(f.Path, k31 + 1), 2.5);
  EXPECT_EQ(GetValue(f.Path, k31 - 1), 8.0);
  EXPECT_EQ(GetValue(f.Path, k31 + 2), 0.0);

  TMat4D back(nullptr);
  back.LoadBinary(f.Path, (1 << 30), 0x7fffffff);
  ASSERT_EQ(back.NrOfTimeSlots(), 2);
  EXPECT_EQ(back.GetVal(1, 1, 1, 1), 7.0);
  EXPECT_EQ(back.GetVal(2, 1, 1, 1), 8.0);
  EXPECT_EQ(back.GetVal(1, 1, 1, 2), 1.5);
  TDouble2DArray data;
  back.ReadLayer(f.Path, 1, (1 << 30) + 1, data);
  ASSERT_EQ(data.size(), 2u);
  EXPECT_EQ(data[1][0], 2.5);
  std::vector<std::pair<Integer, double>> seen;
  back.SetOnReadElement([&](TObject*, Integer x, Integer, Integer, Integer t, double v) {
    seen.emplace_back(x + 10 * t, v);
  });
  back.ReadBinary(f.Path, (1 << 30) + 1, 0x7fffffff);
  EXPECT_EQ(seen, (std::vector<std::pair<Integer, double>>{{11, 1.5}, {12, 2.5}}));
}

}  // namespace
}  // namespace nuv::test
