#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "nuv/base/streams.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::DataPath;
using test::EventRecorder;
using test::TempPath;

std::unique_ptr<TVector> Make(const std::vector<double>& values) {
  auto v = std::make_unique<TVector>(nullptr);
  v->SetVecSize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v->SetVal(static_cast<Integer>(i + 1), values[i]);
  return v;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// Little-endian binary64 images, built independently of the stream helpers.
std::vector<Byte> Doubles(std::initializer_list<double> xs) {
  std::vector<Byte> out;
  for (double x : xs) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<Byte>(bits >> (8 * k)));
  }
  return out;
}

std::vector<Byte> Bytes(TMemoryStream& s) {
  return std::vector<Byte>(s.Memory(), s.Memory() + s.Size());
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& bytes) {
  auto s = std::make_unique<TMemoryStream>();
  s->Write(bytes.data(), static_cast<Int64>(bytes.size()));
  s->SetPosition(0);
  return s;
}

std::unique_ptr<TMemoryStream> StreamFromFile(const std::string& name) {
  auto s = std::make_unique<TMemoryStream>();
  s->LoadFromFile(DataPath(name));
  s->SetPosition(0);
  return s;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TVectorStream, SaveWholeRangeIsByteExactAndCreatesTheStream) {
  auto v = Make({1.5, -0.0, 1e-310});
  TMemoryStream* s = nullptr;
  v->SaveToStream(s, 0, 0);
  ASSERT_NE(s, nullptr);
  std::unique_ptr<TMemoryStream> owned(s);
  EXPECT_EQ(Bytes(*s), Doubles({1, 3, 1.5, -0.0, 1e-310}));
  // Appends at the current position of an existing stream.
  v->SaveToStream(s, 3, 2);
  EXPECT_EQ(s->Size(), 5 * 8 + 4 * 8);
  // Round trip into a new vector: same values bit for bit, same checksum.
  s->SetPosition(0);
  TVector w(nullptr);
  EventRecorder rec;
  rec.Attach(w);
  EXPECT_TRUE(w.LoadFromStream(s, true));
  EXPECT_EQ(w.NrOfElem(), 3);
  EXPECT_EQ(w.CRCofData(), v->CRCofData());
  EXPECT_EQ(rec.Changes, 1 + 3 + 1);  // resize, three values, final
  EXPECT_EQ(s->Position(), 40);
}

TEST(TVectorStream, PartialRangeIntoSmallerVector) {
  auto v = Make({1, 2, 3});
  TMemoryStream* s = nullptr;
  v->SaveToStream(s, 2, 3);
  std::unique_ptr<TMemoryStream> owned(s);
  s->SetPosition(0);
  TVector w(nullptr);
  EXPECT_TRUE(w.LoadFromStream(s, true));
  EXPECT_EQ(Values(w), (std::vector<double>{0, 2, 3}));

  s->SetPosition(0);
  auto two = Make({7, 8});
  EventRecorder rec;
  rec.Attach(*two);
  EXPECT_FALSE(two->LoadFromStream(s, false));
  EXPECT_EQ(Values(*two), (std::vector<double>{7, 8}));
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(s->Position(), 16);  // no value read
}

TEST(TVectorStream, TruncatedStreamKeepsWhatWasRead) {
  auto s = StreamFromFile("vector_stream_truncated.bin");
  auto v = Make({9, 9, 9});
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_FALSE(v->LoadFromStream(s.get(), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{1.5, 2.5, 9}));
  EXPECT_EQ(rec.Changes, 3);
}

TEST(TVectorStream, HostileHeadersChangeNothing) {
  for (const char* name : {"vector_stream_huge_hi.bin", "vector_stream_nan_index.bin",
                           "vector_stream_index_1e10.bin", "vector_stream_short_header.bin"}) {
    SCOPED_TRACE(name);
    auto s = StreamFromFile(name);
    auto v = Make({4, 5});
    EventRecorder rec;
    rec.Attach(*v);
    EXPECT_FALSE(v->LoadFromStream(s.get(), true));
    EXPECT_EQ(Values(*v), (std::vector<double>{4, 5}));
    EXPECT_EQ(rec.Changes, 0);
  }
  // A low index below 1 or a reversed pair still sizes the vector by the high index.
  auto s0 = StreamOf(Doubles({0, 3, 1, 2, 3, 4}));
  auto v0 = Make({4, 5});
  EXPECT_TRUE(v0->LoadFromStream(s0.get(), true));
  EXPECT_EQ(Values(*v0), (std::vector<double>{2, 3, 4}));
  auto s1 = StreamOf(Doubles({5, 4, 1, 2}));
  auto v1 = Make({4, 5});
  EXPECT_TRUE(v1->LoadFromStream(s1.get(), true));
  EXPECT_EQ(Values(*v1), (std::vector<double>{4, 5, 0, 0}));
  // A stretch far past the end grows the vector when the growth stays bounded.
  auto gap = StreamFromFile("vector_stream_gap.bin");
  auto g = Make({4, 5});
  EXPECT_TRUE(g->LoadFromStream(gap.get(), true));
  EXPECT_EQ(g->NrOfElem(), 1000001);
  EXPECT_EQ(g->Elem(1000000), 1.0);
  EXPECT_EQ(g->Elem(1000001), 2.0);
  EXPECT_EQ(g->Elem(1), 4.0);
  TVector v(nullptr);
  EXPECT_FALSE(v.LoadFromStream(static_cast<TMemoryStream*>(nullptr), true));
  EXPECT_FALSE(v.LoadFromStream(static_cast<TFileStream*>(nullptr), true));
}

TEST(TVectorStream, LowIndexBelowOneWithoutGrowthSkipsThoseItems) {
  auto s = StreamOf(Doubles({-1, 2, 10, 11, 12, 13}));
  auto v = Make({0, 0});
  EXPECT_TRUE(v->LoadFromStream(s.get(), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{12, 13}));
  // Indices are rounded half to even: 1.5 -> 2, 2.5 -> 2.
  auto r = StreamOf(Doubles({1.5, 2.5, 42}));
  EXPECT_TRUE(v->LoadFromStream(r.get(), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{12, 42}));
}

TEST(TVectorStream, FileStreamRoundTrip) {
  const std::string path = TempPath("vec.bin");
  auto v = Make({3.25, -7, 1e300});
  {
    auto* fs = new TFileStream(path, fmCreate);
    std::unique_ptr<TFileStream> owned(fs);
    v->SaveToStream(fs, 0, 0);
    TFileStream* none = nullptr;
    v->SaveToStream(none, 0, 0);  // nil file stream: nothing
    EXPECT_EQ(none, nullptr);
  }
  TMemoryStream raw;
  raw.LoadFromFile(path);
  EXPECT_EQ(Bytes(raw), Doubles({1, 3, 3.25, -7, 1e300}));
  TFileStream in(path, fmOpenRead);
  TVector w(nullptr);
  EXPECT_TRUE(w.LoadFromStream(&in, true));
  EXPECT_EQ(Values(w), Values(*v));
  std::remove(path.c_str());
}

TEST(TVectorTextFile, StoreFormatsAreByteExact) {
  auto v = Make({1.5, -0.25, 1234.5678});
  const std::string path = TempPath("vec.txt");
  struct Case {
    Integer precision;
    const char* text;
  };
  for (const Case& c : {
           Case{2, "1 3\r\n1.50\r\n-0.25\r\n1234.57\r\n"},
           Case{0, "1 3\r\n2\r\n-0\r\n1235\r\n"},
           Case{-5, "1 3\r\n1.50\r\n-0.25\r\n1234.57\r\n"},
           Case{-1, "1 3\r\n 1.5000E+0000\r\n-2.5000E-0001\r\n 1.2346E+0003\r\n"},
           Case{-2,
                "1 3\r\n 1.50000000000000000E+0000\r\n-2.50000000000000000E-0001\r\n"
                " 1.23456780000000003E+0003\r\n"},
       }) {
    SCOPED_TRACE(c.precision);
    EXPECT_TRUE(v->StoreOnFile(1, 3, c.precision, path));
    EXPECT_EQ(ReadFile(path), c.text);
  }
  // Bounds put in order and clamped; (0, 0) has no whole-range meaning: 1..0, no values.
  EXPECT_TRUE(v->StoreOnFile(7, 2, 1, path));
  EXPECT_EQ(ReadFile(path), "2 3\r\n-0.3\r\n1234.6\r\n");
  EXPECT_TRUE(v->StoreOnFile(0, 0, 1, path));
  EXPECT_EQ(ReadFile(path), "1 0\r\n");
  EXPECT_TRUE(v->StoreOnFile(1, 3, 25, path));
  EXPECT_EQ(ReadFile(path).substr(0, 29), "1 3\r\n1.50000000000000000000\r\n");
  std::remove(path.c_str());
}

TEST(TVectorTextFile, StoreFailuresReturnFalse) {
  auto v = Make({1, 2});
  EXPECT_FALSE(v->StoreOnFile(0, 0, 2, "/nonexistent-dir/x/vec.txt"));
  // A full device accepts the open but not the data.
  std::FILE* probe = std::fopen("/dev/full", "wb");
  if (probe != nullptr) {
    std::fclose(probe);
    EXPECT_FALSE(v->StoreOnFile(0, 0, 2, "/dev/full"));
  }
}

TEST(TVectorTextFile, RoundTripIsExactWithSeventeenDecimals) {
  const double inf = std::numeric_limits<double>::infinity();
  auto v = Make({0.1, M_PI, -DBL_MAX, DBL_MIN, 4.9e-324, -0.0, inf, -inf, 1.0 / 3.0, -1e-300});
  const std::string a = TempPath("a.txt");
  const std::string b = TempPath("b.txt");
  ASSERT_TRUE(v->StoreOnFile(1, 10, -2, a));
  TVector w(nullptr);
  EXPECT_TRUE(w.LoadFromFile(a, true));
  EXPECT_EQ(w.CRCofData(), v->CRCofData());
  ASSERT_TRUE(w.StoreOnFile(1, 10, -2, b));
  EXPECT_EQ(ReadFile(a), ReadFile(b));
  // NaN survives as well (its payload need not).
  auto n = Make({std::numeric_limits<double>::quiet_NaN()});
  ASSERT_TRUE(n->StoreOnFile(1, 1, 3, a));
  EXPECT_TRUE(w.LoadFromFile(a, true));
  EXPECT_EQ(w.NrOfElem(), 1);
  EXPECT_TRUE(std::isnan(w.GetVal(1)));
  std::remove(a.c_str());
  std::remove(b.c_str());
}

TEST(TVectorTextFile, UnreadableTokenKeepsItsElement) {
  auto v = Make({7, 7, 7});
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_TRUE(v->LoadFromFile(DataPath("vector_bad_value.txt"), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{1.5, 7, 3.5}));
  EXPECT_EQ(rec.Changes, 3);  // two values and the final event
  // A token too long to be a number is skipped the same way.
  EXPECT_TRUE(v->LoadFromFile(DataPath("vector_long_token.txt"), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{1.5, 2, 3}));
}

TEST(TVectorTextFile, NonFiniteSpellingsAndCrlf) {
  TVector v(nullptr);
  EXPECT_TRUE(v.LoadFromFile(DataPath("vector_crlf_nonfinite.txt"), true));
  ASSERT_EQ(v.NrOfElem(), 5);
  EXPECT_TRUE(std::isnan(v.GetVal(1)));
  EXPECT_EQ(v.GetVal(2), std::numeric_limits<double>::infinity());
  EXPECT_EQ(v.GetVal(3), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(v.GetVal(4), 2.5);
  EXPECT_TRUE(std::signbit(v.GetVal(5)));
}

TEST(TVectorTextFile, TruncatedFileStopsAtTheEnd) {
  auto v = Make({9, 9, 9, 9, 9});
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_TRUE(v->LoadFromFile(DataPath("vector_truncated.txt"), false));
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 2, 9, 9, 9}));
  EXPECT_EQ(rec.Changes, 3);
  // Too few elements and no adjusting: false, nothing read, but the final event fires.
  auto small = Make({9, 9});
  rec.Changes = 0;
  rec.Attach(*small);
  EXPECT_FALSE(small->LoadFromFile(DataPath("vector_truncated.txt"), false));
  EXPECT_EQ(Values(*small), (std::vector<double>{9, 9}));
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TVectorTextFile, MalformedFilesChangeNothing) {
  for (const char* name : {"vector_bad_header.txt", "vector_huge_header.txt", "vector_empty.txt",
                           "vector_garbage.txt", "no_such_file.txt"}) {
    SCOPED_TRACE(name);
    auto v = Make({4, 5});
    EventRecorder rec;
    rec.Attach(*v);
    EXPECT_FALSE(v->LoadFromFile(DataPath(name), true));
    EXPECT_EQ(Values(*v), (std::vector<double>{4, 5}));
    EXPECT_EQ(rec.Changes, 0);
  }
  // A directory opens but cannot be read.
  auto v = Make({4, 5});
  EXPECT_FALSE(v->LoadFromFile(test::DataPath(""), false));
  EXPECT_FALSE(v->LoadFromFile(test::DataPath(""), true, true));
}

TEST(TVectorTextFile, NegativeLowIndexSkipsThoseValues) {
  auto v = Make({0, 0});
  EXPECT_TRUE(v->LoadFromFile(DataPath("vector_negative_low.txt"), true));
  EXPECT_EQ(Values(*v), (std::vector<double>{14, 15}));
  auto one = Make({3});
  EXPECT_TRUE(one->LoadFromFile(DataPath("vector_negative_low.txt"), true));
  EXPECT_EQ(Values(*one), (std::vector<double>{14, 15}));
}

TEST(TVectorTextFile, AutoDetectCountsLinesWithDigits) {
  TVector v(nullptr);
  EventRecorder rec;
  rec.Attach(v);
  EXPECT_TRUE(v.LoadFromFile(DataPath("vector_autodetect.txt"), true, true));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5}));
  EXPECT_EQ(rec.Changes, 1 + 5 + 1);
  // Without adjusting, NrOfElem values are read.
  auto three = Make({0, 0, 0});
  EXPECT_TRUE(three->LoadFromFile(DataPath("vector_autodetect.txt"), false, true));
  EXPECT_EQ(Values(*three), (std::vector<double>{1.5, 2.5, 3.5}));
  // Lines are counted but tokens are read: the words take the places of values.
  TVector t(nullptr);
  EXPECT_TRUE(t.LoadFromFile(DataPath("vector_autodetect_text.txt"), true, true));
  EXPECT_EQ(Values(t), (std::vector<double>{1.5, 0, 0}));
  // AutoDetect false is the headed format.
  auto h = Make({7, 7, 7});
  EXPECT_TRUE(h->LoadFromFile(DataPath("vector_bad_value.txt"), false, false));
  EXPECT_EQ(Values(*h), (std::vector<double>{1.5, 7, 3.5}));
  EXPECT_FALSE(h->LoadFromFile(DataPath("no_such_file.txt"), true, true));
}

TEST(TVectorTextFile, AutoDetectCountsALongLastLineWithoutLineEnd) {
  // The last line fills the reader's line pieces exactly and the file ends right after it.
  const std::string path = TempPath("vec_long_last.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "1.5\n2.5\n3.5" << std::string(509, ' ');
  }
  TVector v(nullptr);
  EXPECT_TRUE(v.LoadFromFile(path, true, true));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 2.5, 3.5}));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace nuv

namespace nuv {
namespace {

// A header that promises more than the input holds is not refused: the vector grows to the
// high index and the events fire; only the result differs between stream and text file.
TEST(TVectorLoaders, HeaderWithoutItemsStillGrowsTheVector) {
  const std::string path = TempPath("header_only.txt");
  {
    std::ofstream out(path, std::ios::binary);
    out << "1 1000\r\n";
  }
  for (bool stream : {false, true}) {
    SCOPED_TRACE(stream ? "stream" : "text file");
    TVector v(nullptr);
    TIntVector iv(nullptr);
    EventRecorder rec;
    EventRecorder irec;
    rec.Attach(v);
    irec.Attach(iv);
    bool ok = false;
    bool iok = false;
    if (stream) {
      auto s = StreamOf(Doubles({1.0, 1000.0}));
      ok = v.LoadFromStream(s.get(), true);
      TMemoryStream is;
      WriteLongintToStream(&is, 1);
      WriteLongintToStream(&is, 1000);
      is.SetPosition(0);
      iok = iv.LoadFromStream(&is, true);
    } else {
      ok = v.LoadFromFile(path, true);
      iok = iv.LoadFromFile(path, true);
    }
    EXPECT_EQ(ok, !stream);
    EXPECT_EQ(iok, !stream);
    EXPECT_EQ(v.NrOfElem(), 1000);
    EXPECT_EQ(iv.NrOfElem(), 1000);
    EXPECT_EQ(rec.Changes, 2);  // the resize and the end
    EXPECT_EQ(irec.Changes, 2);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace nuv

namespace nuv {
namespace {

// Words such as "infinity" or "nan(12)" are not numbers: their elements keep their values.
TEST(TVectorLoaders, NonFiniteWordsBeyondNanAndInfDoNotRead) {
  auto v = Make({1, 2, 3, 4, 5});
  EXPECT_TRUE(v->LoadFromFile(DataPath("vector_nonfinite_words.txt"), false));
  const auto got = Values(*v);
  EXPECT_EQ(got[0], 1);
  EXPECT_EQ(got[1], 2);
  EXPECT_EQ(got[2], 3);
  EXPECT_EQ(got[3], std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(got[4]));
}

}  // namespace
}  // namespace nuv
