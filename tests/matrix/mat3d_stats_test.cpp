// TMat3D: nearest value, extremes with progress steps, percentiles of boxes and samples.
#include <algorithm>
#include <cmath>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/matrix/NUV_matrix.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// Distinct values in scrambled order, so ranks do not follow positions.
double Scrambled(Integer x, Integer y, Integer z) {
  return static_cast<double>((x * 37 + y * 101 + z * 59) % 211) - 100.0;
}

void FillScrambled(TMat3D& a) {
  for (Integer x = 1; x <= a.NrOfColumns(); ++x)
    for (Integer y = 1; y <= a.NrOfRows(); ++y)
      for (Integer z = 1; z <= a.NrOfLayers(); ++z) a.SetVal(x, y, z, Scrambled(x, y, z));
}

// The box's cells fully sorted: the reference for the selections.
std::vector<double> SortedBox(const TMat3D& a, Integer x0, Integer x1, Integer y0, Integer y1,
                              Integer z0, Integer z1) {
  std::vector<double> v;
  for (Integer x = x0; x <= x1; ++x)
    for (Integer y = y0; y <= y1; ++y)
      for (Integer z = z0; z <= z1; ++z) v.push_back(a.GetVal(x, y, z));
  std::sort(v.begin(), v.end());
  return v;
}

TEST(TMat3DFind, NearestCellFirstOnTiesWithinTheBox) {
  TMat3D a(nullptr);
  a.Resize(3, 3, 3);
  a.Fill(10);
  a.SetVal(3, 1, 1, 4);
  a.SetVal(1, 2, 3, 4);  // earlier in column-row-layer order
  a.SetVal(1, 1, 1, 3.9);
  Integer c = -1, r = -1, l = -1;
  a.Find(0, 0, 0, 0, 0, 0, 4.0, c, r, l);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(l, 3);
  // Box columns 2..3 only: the other 4.
  a.Find(3, 2, 0, 0, 0, 0, 4.0, c, r, l);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(l, 1);
  a.Find(0, 0, 0, 0, 0, 0, 3.0, c, r, l);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(l, 1);
  a.Find(0, 0, 0, 0, 0, 0, std::nan(""), c, r, l);  // nothing is nearer than uc_MaxDouble
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(l, 0);
}

TEST(TMat3DMinMax, ExtremesOfTheBoxIgnoringNaN) {
  TMat3D a(nullptr);
  a.Resize(4, 3, 5);
  FillScrambled(a);
  a.SetVal(2, 2, 2, std::nan(""));
  a.SetVal(4, 3, 5, 1e6);  // outside the box below
  double mn = 0, mx = 0;
  a.MinMax(1, 3, 0, 0, 5, 1, mn, mx);
  double rmn = uc_MaxReal, rmx = -uc_MaxReal;
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 5; ++z) {
        const double v = a.GetVal(x, y, z);
        if (!std::isnan(v)) rmn = std::min(rmn, v), rmx = std::max(rmx, v);
      }
  EXPECT_EQ(mn, rmn);
  EXPECT_EQ(mx, rmx);
  a.Fill(std::nan(""));
  a.MinMax(0, 0, 0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, uc_MaxReal);
  EXPECT_EQ(mx, -uc_MaxReal);
}

double gLastFeedBack = 0;
int gFeedBacks = 0;
void CountFeedBack(double Stat) {
  ++gFeedBacks;
  gLastFeedBack = Stat;
}

TEST(TMat3DMinMax, StepsProgressOncePerHundredthOfColumnRowPairs) {
  HookGuard guard;
  TMat3D a(nullptr);
  a.Resize(10, 20, 3);
  struct Case {
    Integer x1, y1;
    int steps;
  };
  // 200 pairs: every 3rd pair steps (66); 25 pairs: every pair; 100 pairs: every 2nd.
  for (Case k : {Case{10, 20, 66}, Case{5, 5, 25}, Case{10, 10, 50}}) {
    SCOPED_TRACE(k.steps);
    ProcStat = 5.0;
    gFeedBacks = 0;
    MathFeedBackProc = &CountFeedBack;
    double mn = 0, mx = 0;
    a.MinMax(1, k.x1, 1, k.y1, 1, 3, mn, mx);
    EXPECT_EQ(ProcStat.load(), 5.0 + k.steps);
    EXPECT_EQ(gFeedBacks, k.steps);
    EXPECT_EQ(gLastFeedBack, 5.0 + k.steps);
  }
}

TEST(TMat3DPercentile, RankRoundedFromProbAgainstFullSort) {
  TMat3D a(nullptr);
  a.Resize(5, 4, 3);
  FillScrambled(a);
  const std::string before = a.CRCofData();
  struct Box {
    Integer x0, x1, y0, y1, z0, z1;
  };
  for (Box b : {Box{0, 0, 0, 0, 0, 0}, Box{2, 4, 1, 3, 2, 3}, Box{5, 5, 4, 4, 1, 1}}) {
    Integer x0 = b.x0, x1 = b.x1, y0 = b.y0, y1 = b.y1, z0 = b.z0, z1 = b.z1;
    a.MakeValidColRange(x0, x1);
    a.MakeValidRowRange(y0, y1);
    a.MakeValidLayerRange(z0, z1);
    const std::vector<double> s = SortedBox(a, x0, x1, y0, y1, z0, z1);
    const auto n = static_cast<double>(s.size());
    for (double prob : {0.0, 12.5, 25.0, 50.0, 73.0, 99.0}) {
      SCOPED_TRACE(testing::Message() << "n " << n << " prob " << prob);
      const auto k = static_cast<std::size_t>(
          std::min(std::nearbyint(prob * n / 100.0), n - 1));  // halves to even
      EXPECT_EQ(a.Percentile(prob, b.x0, b.x1, b.y0, b.y1, b.z0, b.z1), s[k]);
    }
    // 100 (and above) is the largest cell, below 0 the smallest.
    EXPECT_EQ(a.Percentile(100, b.x0, b.x1, b.y0, b.y1, b.z0, b.z1), s.back());
    EXPECT_EQ(a.Percentile(250, b.x0, b.x1, b.y0, b.y1, b.z0, b.z1), s.back());
    EXPECT_EQ(a.Percentile(-3, b.x0, b.x1, b.y0, b.y1, b.z0, b.z1), s.front());
  }
  EXPECT_TRUE(std::isnan(a.Percentile(std::nan(""), 0, 0, 0, 0, 0, 0)));
  EXPECT_EQ(a.CRCofData(), before);  // works on a copy
}

TEST(TMat3DPercentile, HalfRanksRoundToEven) {
  TMat3D a(nullptr);
  a.Resize(1, 1, 4);
  for (Integer z = 1; z <= 4; ++z) a.SetVal(1, 1, z, 10.0 * (5 - z));  // 40 30 20 10
  EXPECT_EQ(a.Percentile(62.5, 0, 0, 0, 0, 0, 0), 30.0);               // 2.5 -> rank 2
  EXPECT_EQ(a.Percentile(37.5, 0, 0, 0, 0, 0, 0), 30.0);               // 1.5 -> rank 2
  EXPECT_EQ(a.Percentile(12.5, 0, 0, 0, 0, 0, 0), 10.0);               // 0.5 -> rank 0
}

TEST(TMat3DPercentileSample, NoSampleOrTooLargeIsThePlainPercentile) {
  TMat3D a(nullptr);
  a.Resize(3, 3, 2);
  FillScrambled(a);
  for (double prob : {0.0, 40.0, 100.0}) {
    const double plain = a.Percentile(prob, 1, 3, 2, 3, 0, 0);  // N = 12
    for (Integer s : {0, 12, 13, 1000, -1, -2147483647 - 1}) {
      SCOPED_TRACE(testing::Message() << "prob " << prob << " size " << s);
      EXPECT_EQ(a.Percentile(prob, 1, 3, 2, 3, 0, 0, s), plain);
    }
  }
}

TEST(TMat3DPercentileSample, DrawsOnlyInsideTheBoxAndReseeds) {
  HookGuard guard;
  TMat3D a(nullptr);
  a.Resize(6, 5, 4);
  a.Fill(1e9);  // outside the box
  for (Integer x = 2; x <= 4; ++x)
    for (Integer y = 3; y <= 5; ++y)
      for (Integer z = 1; z <= 2; ++z) a.SetVal(x, y, z, Scrambled(x, y, z));
  const std::vector<double> s = SortedBox(a, 2, 4, 3, 5, 1, 2);  // N = 18
  for (int round = 0; round < 20; ++round) {
    for (double prob : {0.0, 50.0, 100.0}) {
      const double v = a.Percentile(prob, 4, 2, 5, 3, 2, 1, 17);
      EXPECT_TRUE(std::binary_search(s.begin(), s.end(), v)) << v;
    }
  }
  // A box of equal values gives that value whatever is drawn.
  a.Fill(2.5);
  EXPECT_EQ(a.Percentile(30, 0, 0, 0, 0, 0, 0, 5), 2.5);
  // The sample path reseeds from the clock: a fixed seed does not fix the draws.
  SetRandSeed(12345);
  a.Percentile(30, 0, 0, 0, 0, 0, 0, 5);
  const double afterSample = Random();
  SetRandSeed(12345);
  const double fixed = Random();
  EXPECT_NE(afterSample, fixed);
}

}  // namespace
}  // namespace nuv::test
