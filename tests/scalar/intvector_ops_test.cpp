#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::DataPath;
using test::EventRecorder;
using test::HookGuard;
using test::TempPath;

std::unique_ptr<TIntVector> Make(const std::vector<Integer>& values, const char* name = "IV") {
  auto v = std::make_unique<TIntVector>(nullptr);
  v->SetName(name);
  v->SetIntVecSize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v->SetVal(static_cast<Integer>(i + 1), values[i]);
  return v;
}

std::vector<Integer> Values(const TIntVector& v) {
  std::vector<Integer> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TIntVectorCore, NewVectorAndChecksum) {
  TIntVector v(nullptr);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0);
  EXPECT_TRUE(v.IsEmpty());
  // CRC-32 of the single byte 0x00 is D202EF8D; each of the four lanes sees one zero byte.
  EXPECT_EQ(v.CRCofData(), "D202EF8DD202EF8DD202EF8DD202EF8D");
  v.SetVal(1, 1);
  EXPECT_NE(v.CRCofData().substr(0, 8), "D202EF8D");
  EXPECT_EQ(v.CRCofData().substr(8), "D202EF8DD202EF8DD202EF8D");
  v.SetIntVecSize(0);
  EXPECT_EQ(v.NrOfElem(), 1);
}

TEST(TIntVectorCore, AssignCopiesHandlersAndRejectsOtherClasses) {
  auto a = Make({1, 2, 3});
  EventRecorder rec;
  rec.Attach(*a);
  TIntVector b(nullptr);
  b.Assign(a.get());
  EXPECT_EQ(Values(b), (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(rec.Changes, 0);
  b.SetVal(1, 5);
  EXPECT_EQ(rec.Changes, 1);  // b's copied handler
  TVector dv(nullptr);
  NUV_EXPECT_THROW_MSG(dv.Assign(a.get()), EConvertError,
                       "Cannot assign a TIntVector to a TVector");
}

TEST(TIntVectorArithmetic, IntegerResultsWrapAround) {
  auto a = Make({INT_MAX, INT_MIN, 5});
  auto b = Make({1, -1, 7});
  a->Add(b.get());
  EXPECT_EQ(Values(*a), (std::vector<Integer>{INT_MIN, INT_MAX, 12}));
  a->Subtract(b.get());
  EXPECT_EQ(Values(*a), (std::vector<Integer>{INT_MAX, INT_MIN, 5}));
  auto c = Make({65536, -3, INT_MIN});
  c->SMult(65536);
  EXPECT_EQ(Values(*c), (std::vector<Integer>{0, -196608, 0}));
  auto d = Make({INT_MIN, -4, 4});
  d->AbsVal();
  EXPECT_EQ(Values(*d), (std::vector<Integer>{INT_MIN, 4, 4}));
  auto e = Make({INT_MAX, 1});
  EXPECT_EQ(e->Sum(0, 0), INT_MIN);
  auto f = Make({65536, 65536});
  EXPECT_EQ(f->DotProduct(f.get()), 0);
  EXPECT_EQ(f->Correlate(f.get(), 1), 0);  // 65536*65536 wraps to 0, then + 65536*0
  auto g = Make({1, 2, 3});
  auto h = Make({4, 5, 6});
  EXPECT_EQ(g->DotProduct(h.get()), 32);
  EXPECT_EQ(g->Correlate(h.get(), -1), 23);
  NUV_EXPECT_THROW_MSG(g->Add(f.get()), ENUVVectorError,
                       "Component \"IV\": vectors have different dimensions");
}

TEST(TIntVectorStats, DoubleResultsDoNotWrap) {
  auto v = Make({INT_MIN, INT_MAX});
  EXPECT_EQ(v->Leng(), std::sqrt(2.0 * 2147483648.0 * 2147483648.0 - 2 * 2147483648.0 + 1));
  auto w = Make({INT_MAX, INT_MIN});
  EXPECT_EQ(Make({INT_MIN})->EuclideanDistance(Make({INT_MAX}).get()), 4294967295.0);
  EXPECT_EQ(v->Percentile(50, 0, 0), -0.5);
  double q1 = 0, q2 = 0, q3 = 0;
  w->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q2, -0.5);
  EXPECT_EQ(v->FindInSortedVector(true, 0), 2);
  EXPECT_EQ(Make({3, 4})->Leng(), 5.0);

  // Mean and variance against a two-pass reference on values whose squares exceed 32 bits.
  const std::vector<Integer> data{2000000000, -1999999999, 1500000000, 123456789, -7, 99};
  auto big = Make(data);
  double mean = 0, var = 0;
  big->MeanVar(0, 0, mean, var);
  double m = 0;
  for (Integer x : data) m += x;
  m /= data.size();
  double ss = 0;
  for (Integer x : data) ss += (x - m) * (x - m);
  EXPECT_TRUE(test::RelNear(mean, m, 1e-15));
  EXPECT_TRUE(test::RelNear(var, ss / (data.size() - 1), 1e-14));
  double r = big->PearsonCorrCoeff(big.get());
  EXPECT_TRUE(test::RelNear(r, 1.0, 1e-14));
}

TEST(TIntVectorStats, ModeMeansAndMessages) {
  HookGuard guard;
  EXPECT_EQ(Make({3, 1, 3, 2, 2})->Mode(0, 0), 2);
  EXPECT_EQ(Make({1, 4, 4})->HarmonicMean(0, 0), 2.0);
  EXPECT_TRUE(test::RelNear(Make({2, 8})->GeometricMean(0, 0), 4.0, 1e-15));
  EXPECT_EQ(Make({0, 8})->GeometricMean(0, 0), 0.0);
  NUV_EXPECT_THROW_MSG(Make({2, -8}, "N")->GeometricMean(0, 0), ENUVVectorError,
                       "Component \"N\": negative argument passed to GeometricMean");
  NUV_EXPECT_THROW_MSG(Make({2, 0}, "N")->HarmonicMean(0, 0), ENUVVectorError,
                       "Component \"N\": negative or zero argument passed to HarmonicMean");
  double s = 0, k = 0;
  Make({1, 2, 3, 10})->SkewKurtSample(0, 0, s, k);
  // Reference: G1 and G2 of (1, 2, 3, 10) from the usual sample formulas.
  const double n = 4, mean = 4;
  double m2 = 0, m3 = 0, m4 = 0;
  for (double x : {1.0, 2.0, 3.0, 10.0}) {
    m2 += (x - mean) * (x - mean) / n;
    m3 += std::pow(x - mean, 3) / n;
    m4 += std::pow(x - mean, 4) / n;
  }
  const double g1 = m3 / std::pow(m2, 1.5);
  const double g2 = m4 / (m2 * m2) - 3;
  EXPECT_TRUE(test::RelNear(s, g1 * std::sqrt(n * (n - 1)) / (n - 2), 1e-13));
  EXPECT_TRUE(test::RelNear(k, (n - 1) / ((n - 2) * (n - 3)) * ((n + 1) * g2 + 6), 1e-13));
}

TEST(TIntVectorSearch, MinMaxFindAndFindExact) {
  auto v = Make({4, 7, 7});
  EXPECT_EQ(v->FindExact(0, 0, 7), 2);
  EXPECT_EQ(v->FindExact(0, 0, 5), 0);
  EXPECT_EQ(v->FindExact(3, 9, 7), 3);
  EXPECT_EQ(v->Find(0, 0, 6), 2);
  EXPECT_EQ(v->Find(0, 0, INT_MIN), 1);
  Integer mn = 0, mx = 0, imn = 0, imx = 0;
  v->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, 4);
  EXPECT_EQ(mx, 7);
  EXPECT_EQ(imn, 1);
  EXPECT_EQ(imx, 2);
  auto low = Make({INT_MIN, INT_MIN});
  low->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, INT_MIN);
  EXPECT_EQ(mx, INT_MIN);
  EXPECT_EQ(imx, 1);
  auto high = Make({INT_MAX});
  high->MinMax(0, 0, mn, mx);
  EXPECT_EQ(mn, INT_MAX);
  EXPECT_EQ(mx, INT_MAX);
}

TEST(TIntVectorSort, SortMirrorCopiesWithEvents) {
  auto v = Make({3, 1, 2});
  EventRecorder rec;
  rec.Attach(*v);
  v->SortElems(false, 0, 0);
  EXPECT_EQ(Values(*v), (std::vector<Integer>{3, 2, 1}));
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_FALSE(rec.Exchanges.empty());
  v->Mirror();
  EXPECT_EQ(Values(*v), (std::vector<Integer>{1, 2, 3}));
  TIntArray a;
  v->CopyToArray(a, 2, 3);
  EXPECT_EQ(a, (TIntArray{2, 3}));
  const TIntArray src{8, 9};
  v->CopyFromArray(src, 2);
  EXPECT_EQ(Values(*v), (std::vector<Integer>{1, 8, 9}));
  auto w = Make({0});
  w->Clone(v.get());
  EXPECT_EQ(Values(*w), Values(*v));
  w->CopyFrom(v.get(), 2, 3, 1);
  EXPECT_EQ(Values(*w), (std::vector<Integer>{8, 9, 9}));
  w->Fill(-4);
  EXPECT_EQ(w->Sum(0, 0), -12);
  w->Clear();
  EXPECT_TRUE(w->IsEmpty());
}

struct HistResult {
  bool Ok;
  Integer Under, Over, MaxCnt;
  std::vector<Integer> Bins;
};

HistResult Hist(const std::vector<Integer>& data, Integer first, Integer last, Integer fb,
                Integer lb, Integer w, TIntVector& h) {
  auto v = Make(data, "Src");
  HistResult r{};
  r.Ok = v->Histogram(first, last, fb, lb, w, &h, r.Under, r.Over, r.MaxCnt);
  r.Bins = Values(h);
  return r;
}

TEST(TIntVectorHistogram, BinsUnderflowOverflow) {
  TIntVector h(nullptr);
  auto r = Hist({0, 9, 10, -1, 5, 5}, 1, 6, 0, 9, 0, h);  // width 0 is taken as 1
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Bins.size(), 10u);
  EXPECT_EQ(r.Bins[0], 1);
  EXPECT_EQ(r.Bins[5], 2);
  EXPECT_EQ(r.Bins[9], 1);
  EXPECT_EQ(r.Under, 1);
  EXPECT_EQ(r.Over, 1);
  EXPECT_EQ(r.MaxCnt, 2);
  // Width 3 over 0..10: 4 bins cover 0..11, the top edge is 13; 12 is overflow.
  r = Hist({12, 11, 0}, 1, 3, 0, 10, 3, h);
  EXPECT_EQ(r.Bins, (std::vector<Integer>{1, 0, 0, 1}));
  EXPECT_EQ(r.Over, 1);
  // Bounds at the ends of the 32-bit range do not wrap.
  r = Hist({INT_MAX, INT_MAX - 5, INT_MIN}, 1, 3, INT_MAX - 5, INT_MAX, 2, h);
  EXPECT_EQ(r.Bins, (std::vector<Integer>{1, 0, 1}));
  EXPECT_EQ(r.Under, 1);
  r = Hist({INT_MIN, 0}, 1, 2, INT_MIN, INT_MIN + 100, 50, h);
  EXPECT_EQ(r.Bins, (std::vector<Integer>{1, 0, 0}));
  EXPECT_EQ(r.Over, 1);
}

TEST(TIntVectorHistogram, TooManyBinsRaise) {
  TIntVector h(nullptr);
  h.SetIntVecSize(2);
  auto v = Make({1}, "Hv");
  Integer u = -7, o = -7, m = -7;
  NUV_EXPECT_THROW_MSG(v->Histogram(1, 1, 0, 1000, 1, &h, u, o, m), ENUVVectorError,
                       "Component \"Hv.Histogram\": invalid number of bins");
  NUV_EXPECT_THROW_MSG(v->Histogram(1, 1, INT_MIN, INT_MAX, 1, &h, u, o, m), ENUVVectorError,
                       "Component \"Hv.Histogram\": invalid number of bins");
  EXPECT_EQ(h.NrOfElem(), 2);
  EXPECT_EQ(u, -7);
  EXPECT_TRUE(v->Histogram(1, 1, 0, 499, 1, &h, u, o, m));
  EXPECT_FALSE(v->Histogram(1, 1, 0, 10, 1, nullptr, u, o, m));
}

TEST(TIntVectorStream, FourByteItemsRoundTrip) {
  auto v = Make({-1, 0x01020304, INT_MIN});
  TMemoryStream* s = nullptr;
  v->SaveToStream(s, 0, 0);
  std::unique_ptr<TMemoryStream> owned(s);
  const std::vector<Byte> expected{1,    0,    0, 0, 3, 0, 0, 0, 0xFF, 0xFF,
                                   0xFF, 0xFF, 4, 3, 2, 1, 0, 0, 0,    0x80};
  EXPECT_EQ(std::vector<Byte>(s->Memory(), s->Memory() + s->Size()), expected);
  s->SetPosition(0);
  TIntVector w(nullptr);
  EXPECT_TRUE(w.LoadFromStream(s, true));
  EXPECT_EQ(w.CRCofData(), v->CRCofData());

  TMemoryStream t;
  t.LoadFromFile(DataPath("vector_int_stream_truncated.bin"));
  t.SetPosition(0);
  auto x = Make({0, 0, 0, 0});
  EXPECT_FALSE(x->LoadFromStream(&t, false));
  EXPECT_EQ(Values(*x), (std::vector<Integer>{7, 8, 0, 0}));
  // With growth the vector takes the high index and keeps what could be read.
  t.SetPosition(0);
  auto y = Make({0});
  EXPECT_FALSE(y->LoadFromStream(&t, true));
  EXPECT_EQ(Values(*y), (std::vector<Integer>{7, 8, 0, 0}));
}

TEST(TIntVectorTextFile, PlainDecimalsAndRoundedValues) {
  const std::string path = TempPath("iv.txt");
  auto v = Make({-12, 0, INT_MAX, INT_MIN});
  EXPECT_TRUE(v->StoreOnFile(4, 1, path));
  EXPECT_EQ(ReadFile(path), "1 4\r\n-12\r\n0\r\n2147483647\r\n-2147483648\r\n");
  TIntVector w(nullptr);
  EXPECT_TRUE(w.LoadFromFile(path, true));
  EXPECT_EQ(Values(w), Values(*v));
  std::remove(path.c_str());
  EXPECT_FALSE(v->StoreOnFile(1, 2, "/nonexistent-dir/iv.txt"));

  // 2.5 -> 2 and 3.5 -> 4 (halves to even); 1e20 and NaN do not read and keep their elements.
  auto z = Make({9, 9, 9, 9, 9});
  EventRecorder rec;
  rec.Attach(*z);
  EXPECT_TRUE(z->LoadFromFile(DataPath("vector_int_values.txt"), false));
  EXPECT_EQ(Values(*z), (std::vector<Integer>{2, 4, 9, -7, 9}));
  EXPECT_EQ(rec.Changes, 4);
}

}  // namespace
}  // namespace nuv
