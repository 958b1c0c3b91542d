#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "nuv/platform/random.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using test::HookGuard;

std::unique_ptr<TVector> Make(std::initializer_list<double> values, const char* name = "V") {
  auto v = std::make_unique<TVector>(nullptr);
  v->SetName(name);
  v->SetVecSize(static_cast<Integer>(values.size()));
  Integer i = 1;
  for (double x : values) v->SetVal(i++, x);
  return v;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

TEST(TVectorArithmetic, AddSubtractSMultAbsValFireOnceEach) {
  auto a = Make({1, -2, 3});
  auto b = Make({10, 20, 30});
  EventRecorder rec;
  rec.Attach(*a);
  a->Add(b.get());
  EXPECT_EQ(Values(*a), (std::vector<double>{11, 18, 33}));
  a->Subtract(b.get());
  EXPECT_EQ(Values(*a), (std::vector<double>{1, -2, 3}));
  a->SMult(-2);
  EXPECT_EQ(Values(*a), (std::vector<double>{-2, 4, -6}));
  a->AbsVal();
  EXPECT_EQ(Values(*a), (std::vector<double>{2, 4, 6}));
  EXPECT_EQ(rec.Changes, 4);
  a->Add(nullptr);
  a->Subtract(nullptr);
  EXPECT_EQ(rec.Changes, 4);
}

TEST(TVectorArithmetic, DifferentCountsRaiseBeforeAnyChange) {
  auto a = Make({1, 2, 3}, "Alpha");
  auto b = Make({1, 2});
  EventRecorder rec;
  rec.Attach(*a);
  const char* msg = "Component \"Alpha\": vectors have different dimensions";
  NUV_EXPECT_THROW_MSG(a->Add(b.get()), ENUVVectorError, msg);
  NUV_EXPECT_THROW_MSG(a->Subtract(b.get()), ENUVVectorError, msg);
  NUV_EXPECT_THROW_MSG(a->DotProduct(b.get()), ENUVVectorError, msg);
  NUV_EXPECT_THROW_MSG(a->EuclideanDistance(b.get()), ENUVVectorError,
                       "EuclideanDistance: dimensions of vectors do not match");
  NUV_EXPECT_THROW_MSG(a->EuclideanDistance(nullptr), ENUVVectorError,
                       "EuclideanDistance: dimensions of vectors do not match");
  EXPECT_EQ(Values(*a), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TVectorProducts, DotCorrelateDistance) {
  auto a = Make({1, 2, 3});
  auto b = Make({4, 5, 6});
  EXPECT_EQ(a->DotProduct(b.get()), 32.0);
  EXPECT_EQ(a->DotProduct(nullptr), 0.0);
  // Shift 1: 1*5 + 2*6 + 3*0 (outside b reads 0); shift -1: 1*0 + 2*4 + 3*5.
  EXPECT_EQ(a->Correlate(b.get(), 1), 17.0);
  EXPECT_EQ(a->Correlate(b.get(), -1), 23.0);
  EXPECT_EQ(a->Correlate(b.get(), 2147483647), 0.0);
  EXPECT_EQ(a->Correlate(b.get(), -2147483647 - 1), 0.0);
  EXPECT_EQ(a->Correlate(nullptr, 0), 0.0);
  auto z = Make({0, 0});
  auto p = Make({3, 4});
  EXPECT_EQ(z->EuclideanDistance(p.get()), 5.0);
}

TEST(TVectorProducts, PearsonMatchesTwoPassReference) {
  auto x = Make({1, 2, 3, 4, 5, 7});
  auto y = Make({2, 1, 4, 3, 7, 8});
  const auto xv = Values(*x);
  const auto yv = Values(*y);
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < xv.size(); ++i) {
    mx += xv[i] / 6;
    my += yv[i] / 6;
  }
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < xv.size(); ++i) {
    sxy += (xv[i] - mx) * (yv[i] - my);
    sxx += (xv[i] - mx) * (xv[i] - mx);
    syy += (yv[i] - my) * (yv[i] - my);
  }
  EXPECT_TRUE(test::RelNear(x->PearsonCorrCoeff(y.get()), sxy / std::sqrt(sxx * syy), 1e-13));
  auto c = Make({2, 2, 2, 2, 2, 2});
  EXPECT_EQ(x->PearsonCorrCoeff(c.get()), 0.0);
  EXPECT_EQ(x->PearsonCorrCoeff(nullptr), 0.0);
  auto shortVec = Make({1, 2});
  EXPECT_EQ(x->PearsonCorrCoeff(shortVec.get()), 0.0);
  auto one = Make({1});
  auto one2 = Make({3});
  EXPECT_EQ(one->PearsonCorrCoeff(one2.get()), 0.0);
}

TEST(TVectorSearch, FindNearestFirstOnTies) {
  auto v = Make({5, 1, 3, 1, 9});
  EXPECT_EQ(v->Find(0, 0, 1.2), 2);
  EXPECT_EQ(v->Find(0, 0, 2.0), 2);  // 1 and 3 tie: first wins
  EXPECT_EQ(v->Find(3, 5, 1.0), 4);
  EXPECT_EQ(v->Find(5, 3, 1.0), 4);
  EXPECT_EQ(v->Find(0, 0, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(TVectorSearch, FindInSortedVectorBisection) {
  auto v = Make({1, 2, 3, 4});
  EXPECT_EQ(v->FindInSortedVector(true, 2.6), 3);
  EXPECT_EQ(v->FindInSortedVector(true, 2.0), 2);
  EXPECT_EQ(v->FindInSortedVector(true, -5.0), 1);
  EXPECT_EQ(v->FindInSortedVector(true, 50.0), 4);
  auto w = Make({1, 2, 3});
  EXPECT_EQ(w->FindInSortedVector(true, 2.5), 3);  // tie goes up
  auto d = Make({9, 7, 5, 3, 1});
  EXPECT_EQ(d->FindInSortedVector(false, 6.1), 2);
  EXPECT_EQ(d->FindInSortedVector(false, 5.9), 3);
  EXPECT_EQ(d->FindInSortedVector(false, 3.0), 4);
  auto one = Make({4});
  EXPECT_EQ(one->FindInSortedVector(true, 100.0), 1);
}

TEST(TVectorSearch, MinMaxFirstOccurrenceAndValuesBeyondStartValues) {
  auto v = Make({3, -1, 7, -1, 7, 2});
  double mn = 0, mx = 0;
  Integer imn = -1, imx = -1;
  v->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mx, 7.0);
  EXPECT_EQ(imn, 2);
  EXPECT_EQ(imx, 3);
  v->MinMax(4, 6, mn, mx, imn, imx);
  EXPECT_EQ(imn, 4);
  EXPECT_EQ(imx, 5);
  // Values outside +-1.7e308 are reported where they are.
  auto big = Make({DBL_MAX, std::numeric_limits<double>::infinity()});
  big->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, DBL_MAX);
  EXPECT_EQ(imn, 1);
  EXPECT_EQ(imx, 2);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto withNan = Make({nan, 4, nan, -2});
  withNan->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, -2.0);
  EXPECT_EQ(mx, 4.0);
  EXPECT_EQ(imn, 4);
  EXPECT_EQ(imx, 2);
  auto allNan = Make({nan, nan});
  allNan->MinMax(0, 0, mn, mx, imn, imx);
  EXPECT_EQ(mn, 1.7e308);
  EXPECT_EQ(mx, -1.7e308);
  EXPECT_EQ(imn, 0);
  EXPECT_EQ(imx, 0);
}

TEST(TVectorSort, ExchangeEventsThenOneChange) {
  auto v = Make({3, 1, 2});
  EventRecorder rec;
  rec.Attach(*v);
  v->SortElems(true, 0, 0);
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 2, 3}));
  ASSERT_EQ(rec.Exchanges.size(), 2u);
  EXPECT_EQ(rec.Exchanges[0].Sender, v.get());
  EXPECT_EQ(rec.Exchanges[0].Kind, 0);
  EXPECT_EQ(rec.Exchanges[0].Ix1, 1);
  EXPECT_EQ(rec.Exchanges[0].Ix2, 2);
  EXPECT_EQ(rec.Exchanges[1].Ix1, 2);
  EXPECT_EQ(rec.Exchanges[1].Ix2, 3);
  EXPECT_EQ(rec.Exchanges[1].Lo, 0);
  EXPECT_EQ(rec.Exchanges[1].Hi, 0);
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TVectorSort, SubRangeDescendingNoProgressAndShortRangesDoNothing) {
  HookGuard guard;
  ProcStat = 0.0;
  auto v = Make({9, 1, 5, 3, 7, 0});
  EventRecorder rec;
  rec.Attach(*v);
  v->SortElems(false, 5, 2);
  EXPECT_EQ(Values(*v), (std::vector<double>{9, 7, 5, 3, 1, 0}));
  EXPECT_EQ(ProcStat.load(), 0.0);
  EXPECT_EQ(rec.Changes, 1);
  // Replaying the recorded exchanges on the original order must give the sorted order.
  std::vector<double> replay{9, 1, 5, 3, 7, 0};
  for (const auto& e : rec.Exchanges) std::swap(replay[e.Ix1 - 1], replay[e.Ix2 - 1]);
  EXPECT_EQ(replay, Values(*v));
  v->SortElems(true, 3, 3);
  auto one = Make({4});
  one->SortElems(true, 0, 0);
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TVectorSort, HandlerThatShrinksTheVectorIsRefused) {
  auto v = Make({5, 4, 3, 2, 1, 0, -1, -2});
  int refused = 0;
  v->SetOnSortExchange([&](TObject*, Byte, Integer, Integer, Integer, Integer) {
    if (!v->Resize(4)) ++refused;
  });
  v->SortElems(true, 0, 0);
  // Every exchange tried to shrink the vector; the sort ends over all eight elements.
  EXPECT_GT(refused, 0);
  ASSERT_EQ(v->NrOfElem(), 8);
  EXPECT_EQ(Values(*v), (std::vector<double>{-2, -1, 0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(v->Resize(4));  // released once the sort returns
}

TEST(TVectorOrder, MirrorAndShuffle) {
  HookGuard guard;
  auto v = Make({1, 2, 3, 4});
  EventRecorder rec;
  rec.Attach(*v);
  v->Mirror();
  EXPECT_EQ(Values(*v), (std::vector<double>{4, 3, 2, 1}));
  EXPECT_EQ(rec.Changes, 1);
  auto big = std::make_unique<TVector>(nullptr);
  big->SetVecSize(200);
  for (Integer i = 1; i <= 200; ++i) big->SetVal(i, i);
  rec.Changes = 0;
  rec.Attach(*big);
  big->ShuffleElems();
  EXPECT_EQ(rec.Changes, 0);
  auto sorted = Values(*big);
  std::sort(sorted.begin(), sorted.end());
  for (Integer i = 1; i <= 200; ++i) EXPECT_EQ(sorted[static_cast<std::size_t>(i - 1)], i);
  auto one = Make({42});
  one->ShuffleElems();
  EXPECT_EQ(one->GetVal(1), 42.0);
}

TEST(TVectorCopy, CloneFiresPerElementPlusOne) {
  auto src = Make({1, 2, 3});
  auto dst = Make({9});
  EventRecorder rec;
  rec.Attach(*dst);
  dst->Clone(src.get());
  EXPECT_EQ(Values(*dst), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(rec.Changes, 1 + 3 + 1);  // resize, three elements, final
  EXPECT_FALSE(src->OnChange());
  dst->Clone(nullptr);
  EXPECT_EQ(rec.Changes, 5);
}

TEST(TVectorCopy, CopyFromClampsSourceAndSkipsOutsideTargets) {
  auto src = Make({10, 20, 30, 40});
  auto dst = Make({0, 0, 0});
  EventRecorder rec;
  rec.Attach(*dst);
  dst->CopyFrom(src.get(), 0, 0, 2);  // (0, 0) is element 1 only
  EXPECT_EQ(Values(*dst), (std::vector<double>{0, 10, 0}));
  EXPECT_EQ(rec.Changes, 2);
  dst->CopyFrom(src.get(), 9, 2, 2);  // 2..4 into 2..4; element 4 is outside
  EXPECT_EQ(Values(*dst), (std::vector<double>{0, 20, 30}));
  dst->CopyFrom(src.get(), 1, 4, 2147483647);
  dst->CopyFrom(src.get(), 1, 4, -2147483647 - 1);
  EXPECT_EQ(Values(*dst), (std::vector<double>{0, 20, 30}));
}

TEST(TVectorCopy, CopyFromItselfUsesTheOldValues) {
  auto v = Make({1, 2, 3, 4, 5});
  v->CopyFrom(v.get(), 1, 3, 2);
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 1, 2, 3, 5}));
  v->CopyFrom(v.get(), 3, 5, 1);
  EXPECT_EQ(Values(*v), (std::vector<double>{2, 3, 5, 3, 5}));
}

TEST(TVectorCopy, ArraysBothWays) {
  auto v = Make({1, 2, 3, 4});
  TDoubleArray a{99};
  v->CopyToArray(a, 3, 2);
  EXPECT_EQ(a, (TDoubleArray{2, 3}));
  v->CopyToArray(a, 0, 0);
  EXPECT_EQ(a, (TDoubleArray{1, 2, 3, 4}));
  EventRecorder rec;
  rec.Attach(*v);
  const TDoubleArray src{7, 8, 9};
  v->CopyFromArray(src, 3);
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 2, 7, 8}));
  EXPECT_EQ(rec.Changes, 2);  // only the two elements written
  v->CopyFromArray(src, 2147483647);
  v->CopyFromArray(src, -1);  // 9 lands on element 1
  EXPECT_EQ(Values(*v), (std::vector<double>{9, 2, 7, 8}));
}

TEST(TVectorFill, FillClearAndRandomFills) {
  HookGuard guard;
  auto v = std::make_unique<TVector>(nullptr);
  v->SetVecSize(1000);
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_TRUE(v->IsEmpty());
  v->Fill(2.5);
  EXPECT_FALSE(v->IsEmpty());
  EXPECT_EQ(v->GetVal(1000), 2.5);
  v->Clear();
  EXPECT_TRUE(v->IsEmpty());
  EXPECT_EQ(v->GetVal(1), 0.0);
  EXPECT_EQ(rec.Changes, 2);
  // The uniform fill uses one process-wide uniform per element in index order.
  SetRandSeed(1234);
  std::vector<double> u(1000);
  for (double& x : u) x = Random();
  SetRandSeed(1234);
  v->FillRandomUniform(-2, 6);
  for (Integer i = 1; i <= 1000; ++i) {
    EXPECT_EQ(v->GetVal(i), -2 + 8 * u[static_cast<std::size_t>(i - 1)]);
  }
  EXPECT_FALSE(v->IsEmpty());
  v->Clear();
  v->FillRandomGauss(5, 2);
  EXPECT_FALSE(v->IsEmpty());
  double mean = 0, var = 0;
  v->MeanVar(0, 0, mean, var);
  // 1000 normal draws: the mean lies within 5 standard errors (2/sqrt(1000)) of 5.
  EXPECT_NEAR(mean, 5.0, 5 * 2 / std::sqrt(1000.0));
  EXPECT_NEAR(std::sqrt(var), 2.0, 0.25);
  EXPECT_EQ(rec.Changes, 5);
}

}  // namespace
}  // namespace nuv
