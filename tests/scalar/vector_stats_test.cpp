#include <cfloat>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using test::HookGuard;
using test::RelNear;

std::unique_ptr<TVector> Make(const std::vector<double>& values, const char* name = "V") {
  auto v = std::make_unique<TVector>(nullptr);
  v->SetName(name);
  v->SetVecSize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v->SetVal(static_cast<Integer>(i + 1), values[i]);
  return v;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// One data set of tests/reference/vector_stats.txt (written by vector_stats.py with SciPy).
struct RefSet {
  std::string Name;
  std::vector<double> Data;
  std::map<std::string, std::vector<double>> Stats;
  std::vector<std::pair<double, double>> Percentiles;
};

std::vector<RefSet> LoadReference() {
  std::ifstream in(test::ReferencePath("vector_stats.txt"));
  std::vector<RefSet> sets;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string key;
    ls >> key;
    if (key == "data") {
      RefSet s;
      std::size_t n = 0;
      ls >> s.Name >> n;
      for (std::size_t i = 0; i < n && std::getline(in, line); ++i)
        s.Data.push_back(std::stod(line));
      sets.push_back(s);
    } else if (key == "percentile") {
      double p = 0, v = 0;
      ls >> p >> v;
      sets.back().Percentiles.emplace_back(p, v);
    } else if (key != "end" && !sets.empty()) {
      double v = 0;
      while (ls >> v) sets.back().Stats[key].push_back(v);
    }
  }
  return sets;
}

TEST(TVectorStatsReference, MatchesSciPy) {
  HookGuard guard;
  const auto sets = LoadReference();
  ASSERT_EQ(sets.size(), 5u);
  for (const auto& s : sets) {
    SCOPED_TRACE(s.Name);
    auto v = Make(s.Data);
    const auto n = static_cast<double>(s.Data.size());
    double mean = 0, var = 0;
    v->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(mean, s.Stats.at("mean")[0], 1e-13));
    // Deviations from the mean: the error is a few n*eps relative, whatever the offset.
    EXPECT_TRUE(RelNear(var, s.Stats.at("var")[0], 8 * n * DBL_EPSILON)) << var;

    // Skewness and kurtosis come from deviations from the mean; the mean's own rounding
    // (|mean| * eps) shifts every deviation, which matters when |mean| >> deviation.
    const double kMomentTol = 1e-11 + 1e3 * DBL_EPSILON * std::fabs(mean) / std::sqrt(var);
    double skew = 0, kurt = 0;
    v->SkewKurt(0, 0, skew, kurt);
    EXPECT_TRUE(RelNear(skew, s.Stats.at("skew")[0], kMomentTol));
    EXPECT_TRUE(RelNear(kurt, s.Stats.at("kurt")[0], kMomentTol));
    v->SkewKurtSample(0, 0, skew, kurt);
    EXPECT_TRUE(RelNear(skew, s.Stats.at("skewsample")[0], kMomentTol));
    EXPECT_TRUE(RelNear(kurt, s.Stats.at("kurtsample")[0], kMomentTol));

    if (s.Stats.count("gmean") != 0) {
      EXPECT_TRUE(RelNear(v->GeometricMean(0, 0), s.Stats.at("gmean")[0], 1e-13));
      EXPECT_TRUE(RelNear(v->HarmonicMean(0, 0), s.Stats.at("hmean")[0], 1e-13));
    }
    // Interpolation between two sorted neighbours: a couple of ulps.
    double q1 = 0, q2 = 0, q3 = 0;
    EXPECT_TRUE(v->Quartiles(0, 0, q1, q2, q3));
    EXPECT_TRUE(RelNear(q1, s.Stats.at("quartiles")[0], 1e-15));
    EXPECT_TRUE(RelNear(q2, s.Stats.at("quartiles")[1], 1e-15));
    EXPECT_TRUE(RelNear(q3, s.Stats.at("quartiles")[2], 1e-15));
    for (const auto& [p, expected] : s.Percentiles) {
      EXPECT_TRUE(RelNear(v->Percentile(p, 0, 0), expected, 1e-15)) << p;
    }
    EXPECT_EQ(v->Mode(0, 0), s.Stats.at("mode")[0]);
    // Statistics never change the vector.
    EXPECT_EQ(Values(*v), s.Data);
  }
}

TEST(TVectorStats, DocumentedSmallCases) {
  HookGuard guard;
  double q1 = -1, q2 = -1, q3 = -1;
  auto v4 = Make({4, 2, 3, 1});
  v4->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.25);
  EXPECT_EQ(q2, 2.5);
  EXPECT_EQ(q3, 3.75);
  auto v2 = Make({2, 1});
  v2->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  auto v1 = Make({7});
  v1->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 7.0);
  EXPECT_EQ(q3, 7.0);
  EXPECT_EQ(v4->Percentile(50, 0, 0), 2.5);
  EXPECT_EQ(v4->Percentile(150, 0, 0), 4.0);
  EXPECT_EQ(v4->Percentile(-3, 0, 0), 1.0);
  EXPECT_EQ(v1->Percentile(30, 0, 0), 7.0);
  EXPECT_TRUE(std::isnan(v4->Percentile(std::numeric_limits<double>::quiet_NaN(), 0, 0)));
  // Just below 100 % must not read past the last element.
  EXPECT_LE(v4->Percentile(std::nextafter(100.0, 0.0), 0, 0), 4.0);

  double mean = 0, var = 0;
  Make({2, 4})->MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 3.0);
  EXPECT_EQ(var, 1.0);
  Make({2, 4, 6})->MeanVar(0, 0, mean, var);
  EXPECT_EQ(var, 4.0);
  Make({5, 5, 5, 5})->MeanVar(0, 0, mean, var);
  EXPECT_EQ(var, 0.0);

  EXPECT_EQ(Make({3, 1, 3, 2, 2})->Mode(0, 0), 2.0);
  EXPECT_EQ(Make({4, 9, 1})->Mode(0, 0), 1.0);
  EXPECT_EQ(Make({4, 9, 9, 1, 1, 1})->Mode(0, 0), 1.0);

  EXPECT_EQ(Make({1, 2, 3, 4})->Sum(2, 3), 5.0);
  EXPECT_EQ(Make({1, 2, 3, 4})->Sum(0, 0), 10.0);
}

TEST(TVectorStats, RangesFollowTheOrderedRangeRule) {
  HookGuard guard;
  auto v = Make({10, 1, 2, 3, 4, 50});
  double mean = 0, var = 0;
  v->MeanVar(5, 2, mean, var);
  EXPECT_EQ(mean, 2.5);
  EXPECT_EQ(v->Percentile(50, 2, 5), 2.5);
  EXPECT_EQ(v->Sum(-4, 2), 11.0);
  EXPECT_EQ(v->Sum(6, 99), 50.0);
}

TEST(TVectorStats, SkewKurtSmallAndDegenerate) {
  double s = 9, k = 9;
  Make({1, 2, 9})->SkewKurt(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0);
  s = k = 9;
  Make({1, 2, 9})->SkewKurtSample(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0);
  // Constant data: the deviation is 0 and the raw third and fourth sums (0) are returned.
  Make({3, 3, 3, 3, 3})->SkewKurt(0, 0, s, k);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(k, 0.0);
}

TEST(TVectorStats, GeometricAndHarmonicMeanErrors) {
  EXPECT_EQ(Make({0, 4})->GeometricMean(0, 0), 0.0);
  EXPECT_TRUE(RelNear(Make({2, 8})->GeometricMean(0, 0), 4.0, 1e-15));
  NUV_EXPECT_THROW_MSG(Make({-1, 4}, "G")->GeometricMean(0, 0), ENUVVectorError,
                       "Component \"G\": negative argument passed to GeometricMean");
  // A zero before a negative element still raises.
  NUV_EXPECT_THROW_MSG(Make({0, -4}, "G")->GeometricMean(0, 0), ENUVVectorError,
                       "Component \"G\": negative argument passed to GeometricMean");
  EXPECT_EQ(Make({1, 4, 4})->HarmonicMean(0, 0), 2.0);
  NUV_EXPECT_THROW_MSG(Make({1, 0}, "H")->HarmonicMean(0, 0), ENUVVectorError,
                       "Component \"H\": negative or zero argument passed to HarmonicMean");
  // Only the range is inspected.
  EXPECT_EQ(Make({-1, 4, 4})->HarmonicMean(2, 3), 4.0);
}

TEST(TVectorStats, WorkingCopiesAdvanceProgressOnly) {
  HookGuard guard;
  ProcStat = 0.0;
  auto v = Make({5, 4, 3, 2, 1});
  EventRecorder rec;
  rec.Attach(*v);
  v->Percentile(50, 0, 0);
  // The comb sort of five reversed values takes four passes.
  EXPECT_EQ(ProcStat.load(), 4.0);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_TRUE(rec.Exchanges.empty());
}

TEST(TVectorStandardize, CenterStandardizeQNormalizeFireNoEvent) {
  HookGuard guard;
  auto v = Make({1, 2, 3, 4, 10});
  EventRecorder rec;
  rec.Attach(*v);
  EXPECT_EQ(v->MeanCenter(), 4.0);
  EXPECT_EQ(Values(*v), (std::vector<double>{-3, -2, -1, 0, 6}));
  auto w = Make({2, 4, 6});
  rec.Attach(*w);
  double mean = 0, sd = 0;
  w->Standardize(mean, sd);
  EXPECT_EQ(mean, 4.0);
  EXPECT_EQ(sd, 2.0);
  EXPECT_EQ(Values(*w), (std::vector<double>{-1, 0, 1}));
  auto c = Make({5, 5, 5});
  c->Standardize(mean, sd);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(Values(*c), (std::vector<double>{5, 5, 5}));
  auto q = Make({1, 2, 3, 4, 5});
  rec.Attach(*q);
  double median = 0, diff = 0;
  q->QNormalize(25, median, diff);
  EXPECT_EQ(median, 3.0);
  EXPECT_EQ(diff, 1.0);
  EXPECT_EQ(Values(*q), (std::vector<double>{-2, -1, 0, 1, 2}));
  EXPECT_EQ(rec.Changes, 0);
}

struct HistResult {
  bool Ok;
  Integer Under, Over, MaxCnt;
  std::vector<Integer> Bins;
};

HistResult Hist(const std::vector<double>& data, Integer first, Integer last, double fb, double lb,
                double w, TIntVector& h) {
  auto v = Make(data);
  HistResult r{};
  r.Under = r.Over = r.MaxCnt = -7;
  r.Ok = v->Histogram(first, last, fb, lb, w, &h, r.Under, r.Over, r.MaxCnt);
  for (Integer i = 1; i <= h.NrOfElem(); ++i) r.Bins.push_back(h.GetVal(i));
  return r;
}

TEST(TVectorHistogram, BinEdges) {
  TIntVector h(nullptr);
  const auto r = Hist({12, 11.9, -0.1, 0, 1.99, 2, 10, 9.999}, 0, 0, 0, 10, 2, h);
  // 1..8 is not the range: (0, 0) has no whole-range meaning here, index 0 reads 0.
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Bins.size(), 6u);
  EXPECT_EQ(r.Bins, (std::vector<Integer>{1, 0, 0, 0, 0, 0}));
  const auto all = Hist({12, 11.9, -0.1, 0, 1.99, 2, 10, 9.999}, 1, 8, 0, 10, 2, h);
  EXPECT_EQ(all.Bins, (std::vector<Integer>{2, 1, 0, 0, 1, 2}));
  EXPECT_EQ(all.Under, 1);
  EXPECT_EQ(all.Over, 1);
  EXPECT_EQ(all.MaxCnt, 2);
}

TEST(TVectorHistogram, ValuesPastTheLastBinAreOverflow) {
  TIntVector h(nullptr);
  // Width 3 over 0..10 gives round(10/3) + 1 = 4 bins covering 0..12, but the top edge is 13.
  const auto r = Hist({12, 12.5, 11.9, 0}, 1, 4, 0, 10, 3, h);
  EXPECT_EQ(r.Bins, (std::vector<Integer>{1, 0, 0, 1}));
  EXPECT_EQ(r.Over, 2);
  // Width 4: round(2.5) = 2 (halves to even), 3 bins; 12..14 is overflow.
  const auto r4 = Hist({12, 13.9, 11.9}, 1, 3, 0, 10, 4, h);
  EXPECT_EQ(r4.Bins, (std::vector<Integer>{0, 0, 1}));
  EXPECT_EQ(r4.Over, 2);
  EXPECT_EQ(r4.Under + r4.Over + r4.Bins[0] + r4.Bins[1] + r4.Bins[2], 3);
  const auto nan = Hist({std::numeric_limits<double>::quiet_NaN(), 1}, 1, 2, 0, 10, 2, h);
  EXPECT_EQ(nan.Over, 1);
  EXPECT_EQ(nan.Bins[0], 1);
}

TEST(TVectorHistogram, RefusedCasesChangeNothing) {
  TIntVector h(nullptr);
  h.SetIntVecSize(3);
  h.Fill(5);
  EventRecorder rec;
  rec.Attach(h);
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double fb, lb, w;
  };
  for (const Case c : {Case{0, 500, 1}, Case{0, 10, 0}, Case{0, 10, -1}, Case{0, inf, 1},
                       Case{-inf, 0, 1}, Case{0, 10, std::numeric_limits<double>::quiet_NaN()},
                       Case{-1e308, 1e308, 1}, Case{0, 1, 1e-320}}) {
    SCOPED_TRACE(c.lb);
    const auto r = Hist({1, 2}, 1, 2, c.fb, c.lb, c.w, h);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Under, -7);
    EXPECT_EQ(r.Bins, (std::vector<Integer>{5, 5, 5}));
  }
  auto v = Make({1});
  Integer u = -7, o = -7, m = -7;
  EXPECT_FALSE(v->Histogram(1, 1, 0, 10, 1, nullptr, u, o, m));
  EXPECT_EQ(rec.Changes, 0);
  // 499 steps: 500 bins is the largest accepted.
  EXPECT_TRUE(Hist({1}, 1, 1, 0, 499, 1, h).Ok);
  EXPECT_EQ(h.NrOfElem(), 500);
}

TEST(TVectorHistogram, ResizeAndClearFireOnHisto) {
  TIntVector h(nullptr);
  EventRecorder rec;
  rec.Attach(h);
  Hist({1, 2, 3}, 1, 3, 0, 4, 1, h);
  EXPECT_EQ(rec.Changes, 2);  // resize and clear; counts go in without events
  Hist({1, 2, 3}, 3, 1, 0, 4, 1, h);
  EXPECT_EQ(rec.Changes, 3);  // same size: clear only (reversed elements: nothing counted)
  EXPECT_EQ(h.Sum(0, 0), 0);
}

TEST(TVectorHistogram, IndicesOutsideCountAsZeroWithoutLooping) {
  TIntVector h(nullptr);
  // Two billion indices outside the vector read 0 each; they land in bin 1.
  const auto r = Hist({5}, -2000000000, 1, 0, 9, 1, h);
  EXPECT_EQ(r.Bins[0], 2000000001);
  EXPECT_EQ(r.Bins[5], 1);
  EXPECT_EQ(r.MaxCnt, 2000000001);
  const auto top = Hist({5}, 2147483640, 2147483647, 0, 9, 1, h);
  EXPECT_EQ(top.Bins[0], 8);
}

}  // namespace
}  // namespace nuv
