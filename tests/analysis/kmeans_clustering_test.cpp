// k-means clustering, the estimate of its steps and FindCenters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;
using Rows = std::vector<std::vector<double>>;

void Load(TMatrix& m, const Rows& rows) {
  m.Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
    }
  }
}

std::vector<Integer> Elems(const TIntVector& v) {
  std::vector<Integer> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

// Plain Lloyd iteration written independently: assignment to the nearest centre (lowest number
// on ties), means of the members, until no row moves. Returns the assignment (1-based) and
// fills the centres.
std::vector<int> NaiveLloyd(const Rows& x, Rows& centres) {
  const std::size_t n = x.size(), p = x[0].size(), K = centres.size();
  std::vector<int> idx(n, 0);
  for (int round = 0; round < 1000; ++round) {
    bool moved = false;
    for (std::size_t i = 0; i < n; ++i) {
      int best = 0;
      double bd = DBL_MAX;
      for (std::size_t k = 0; k < K; ++k) {
        double d = 0.0;
        for (std::size_t c = 0; c < p; ++c)
          d += (x[i][c] - centres[k][c]) * (x[i][c] - centres[k][c]);
        if (d < bd) {
          bd = d;
          best = static_cast<int>(k) + 1;
        }
      }
      moved = moved || best != idx[i];
      idx[i] = best;
    }
    if (!moved) break;
    for (std::size_t k = 0; k < K; ++k) {
      std::vector<double> sum(p, 0.0);
      int cnt = 0;
      for (std::size_t i = 0; i < n; ++i) {
        if (idx[i] != static_cast<int>(k) + 1) continue;
        ++cnt;
        for (std::size_t c = 0; c < p; ++c) sum[c] += x[i][c];
      }
      for (std::size_t c = 0; c < p; ++c) centres[k][c] = cnt ? sum[c] / cnt : 0.0;
    }
  }
  return idx;
}

Rows RandomBlobs(int n, int p, std::uint32_t seed) {
  Rows x;
  std::uint32_t s = seed;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0;
  };
  for (int i = 0; i < n; ++i) {
    const double shift = 4.0 * (i % 5);
    std::vector<double> row;
    for (int c = 0; c < p; ++c) row.push_back(shift * (c % 2 ? 1.0 : -0.5) + next() * 3.0);
    x.push_back(row);
  }
  return x;
}

// Compares a k-means result with the naive iteration started from the same rows.
void ExpectSameAsNaive(const Rows& x, Rows init, TMatrix& Centers, TIntVector& Ix,
                       TIntVector& Sizes, double ssq) {
  const std::vector<int> naive = NaiveLloyd(x, init);
  const auto K = static_cast<Integer>(init.size());
  // Cluster j of ours maps to one naive cluster; every row agrees on it.
  std::map<Integer, int> map;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Integer ours = Ix.GetVal(static_cast<Integer>(i + 1));
    auto [it, fresh] = map.emplace(ours, naive[i]);
    EXPECT_EQ(it->second, naive[i]) << "row " << i + 1;
  }
  std::vector<Integer> counts(static_cast<std::size_t>(K), 0);
  for (Integer v : Elems(Ix)) ++counts[static_cast<std::size_t>(v - 1)];
  EXPECT_EQ(Elems(Sizes), counts);
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end(), std::greater<>()));
  double want = 0.0;
  for (auto [ours, theirs] : map) {
    for (std::size_t c = 0; c < x[0].size(); ++c) {
      EXPECT_EQ(Centers.GetVal(static_cast<Integer>(c + 1), ours),
                init[static_cast<std::size_t>(theirs - 1)][c]);
    }
  }
  for (std::size_t i = 0; i < x.size(); ++i) {
    double d = 0.0;
    for (std::size_t c = 0; c < x[0].size(); ++c) {
      const double t = x[i][c] - init[static_cast<std::size_t>(naive[i] - 1)][c];
      d += t * t;
    }
    want += d;
  }
  EXPECT_TRUE(test::RelNear(ssq, want, 1e-14));
}

TEST(kMeansClustering, HandCheckedCaseRenumbersBySize) {
  HookGuard guard;
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr);
  Load(data, {{1, 0}, {2, 0}, {10, 1}, {11, 1}, {12, 1}});
  ProcStat = 0.0;
  const double ssq = kMeansClustering(&data, 0, 0, 2, centers, ix);
  // Rounds: {1} {2,10,11,12}; then {1,2} {10,11,12}; then nothing moves.
  EXPECT_EQ(ProcStat.load(), 3.0);
  EXPECT_DOUBLE_EQ(ssq, 0.25 + 0.25 + 1.0 + 0.0 + 1.0);
  EXPECT_EQ(Elems(ix), (std::vector<Integer>{2, 2, 1, 1, 1}));
  EXPECT_EQ(centers.NrOfColumns(), 2);
  EXPECT_EQ(centers.NrOfRows(), 2);
  EXPECT_EQ(centers.GetVal(1, 1), 11.0);
  EXPECT_EQ(centers.GetVal(2, 1), 1.0);
  EXPECT_EQ(centers.GetVal(1, 2), 1.5);
  EXPECT_EQ(centers.GetVal(2, 2), 0.0);
}

TEST(kMeansClustering, WatchedContainersSeeEveryWriteOfTheRecount) {
  TMatrix data(nullptr), centers(nullptr), plain(nullptr);
  TIntVector ix(nullptr), sizes(nullptr), plainIx(nullptr), plainSizes(nullptr);
  Load(data, {{1, 0}, {2, 0}, {10, 1}, {11, 1}, {12, 1}});
  test::EventRecorder onCentres, onSizes;
  centers.SetOnChange(onCentres.ChangeHandler());
  sizes.SetOnChange(onSizes.ChangeHandler());
  const double ssq = kMeansClustering(&data, 0, 0, 2, 0, centers, ix, sizes);
  // N = 5 rows, p = 2 columns, K = 2 clusters, two rounds that recount (both clusters filled).
  // Centres: resize, K·p initial cells, per recount a fill, N·p additions and K·p divisions,
  // then K·p cells written by the renumbering.
  EXPECT_EQ(onCentres.Changes, 1 + 4 + 2 * (1 + 10 + 4) + 4);
  // Sizes: resize, per recount a fill and N increments, then the descending sort.
  EXPECT_EQ(onSizes.Changes, 1 + 2 * (1 + 5) + 1);
  // The watched run ends where the unwatched one does.
  EXPECT_EQ(kMeansClustering(&data, 0, 0, 2, 0, plain, plainIx, plainSizes), ssq);
  EXPECT_EQ(centers.CRCofData(), plain.CRCofData());
  EXPECT_EQ(Elems(ix), Elems(plainIx));
  EXPECT_EQ(Elems(sizes), Elems(plainSizes));
}

TEST(kMeansClustering, AgreesWithNaiveLloyd) {
  for (int K : {1, 3, 4, 7}) {
    SCOPED_TRACE(K);
    const Rows x = RandomBlobs(211, 3, 7u + static_cast<std::uint32_t>(K));
    TMatrix data(nullptr), centers(nullptr);
    TIntVector ix(nullptr), sizes(nullptr);
    Load(data, x);
    const double ssq = kMeansClustering(&data, 5, -9, K, 0, centers, ix, sizes);
    ExpectSameAsNaive(x, Rows(x.begin(), x.begin() + K), centers, ix, sizes, ssq);
  }
}

TEST(kMeansClustering, OneClusterGivesTotalSquaredDeviation) {
  const Rows x = RandomBlobs(50, 2, 3u);
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr);
  Load(data, x);
  const double ssq = kMeansClustering(&data, 0, 0, 1, centers, ix);
  double want = 0.0;
  for (std::size_t c = 0; c < 2; ++c) {
    double mean = 0.0;
    for (const auto& r : x) mean += r[c];
    mean /= 50.0;
    EXPECT_TRUE(test::RelNear(centers.GetVal(static_cast<Integer>(c + 1), 1), mean, 1e-14));
    for (const auto& r : x) want += (r[c] - mean) * (r[c] - mean);
  }
  EXPECT_TRUE(test::RelNear(ssq, want, 1e-13));
}

TEST(kMeansClustering, AsManyClustersAsRows) {
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{5}, {1}, {3}});
  EXPECT_EQ(kMeansClustering(&data, 0, 0, 3, 0, centers, ix, sizes), 0.0);
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{1, 1, 1}));
  for (Integer i = 1; i <= 3; ++i) EXPECT_EQ(centers.GetVal(1, ix.GetVal(i)), data.GetVal(1, i));
}

TEST(kMeansClustering, EmptyClusterComesLastWithZeroCentre) {
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{0}, {0}, {10}, {10}});
  // Initial centres 0, 0, 10: the second never wins a tie, so it empties.
  EXPECT_EQ(kMeansClustering(&data, 0, 0, 3, 0, centers, ix, sizes), 0.0);
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{2, 2, 0}));
  EXPECT_EQ(Elems(ix), (std::vector<Integer>{1, 1, 2, 2}));
  EXPECT_EQ(centers.GetVal(1, 1), 0.0);
  EXPECT_EQ(centers.GetVal(1, 2), 10.0);
  EXPECT_EQ(centers.GetVal(1, 3), 0.0);
}

TEST(kMeansClustering, EqualSizesKeepTheCombSortOrder) {
  // Sizes 1, 2, 2, 1 (old numbers 1..4): the descending comb sort of the rows (gap 2, then 1)
  // exchanges rows 1 and 3 only, leaving the old clusters in the order 3, 2, 1, 4.
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{0}, {10}, {20}, {30}, {10.5}, {20.5}});
  kMeansClustering(&data, 0, 0, 4, 0, centers, ix, sizes);
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{2, 2, 1, 1}));
  EXPECT_EQ(centers.GetVal(1, 1), 20.25);
  EXPECT_EQ(centers.GetVal(1, 2), 10.25);
  EXPECT_EQ(centers.GetVal(1, 3), 0.0);
  EXPECT_EQ(centers.GetVal(1, 4), 30.0);
}

TEST(kMeansClustering, StaleIndexVectorStillGivesMeansAndSizes) {
  TMatrix data(nullptr), fresh(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr), ix2(nullptr), sizes2(nullptr);
  Load(data, {{0}, {1}, {10}, {11}});
  // Initial centres rows 1 and 2 assign 0 -> 1 and every other row -> 2: hand that over.
  ix.SetIntVecSize(4);
  for (Integer i = 1; i <= 4; ++i) ix.SetVal(i, i == 1 ? 1 : 2);
  sizes.SetIntVecSize(2);
  sizes.Fill(77);
  const double ssq = kMeansClustering(&data, 0, 0, 2, 0, centers, ix, sizes);
  const double ssq2 = kMeansClustering(&data, 0, 0, 2, 0, fresh, ix2, sizes2);
  EXPECT_EQ(ssq, ssq2);
  EXPECT_EQ(Elems(ix), Elems(ix2));
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{2, 2}));
  EXPECT_EQ(centers.CRCofData(), fresh.CRCofData());
  EXPECT_EQ(ssq, 1.0);
}

TEST(kMeansClustering, SeededStartUsesDrawnRows) {
  HookGuard guard;
  const Rows x = RandomBlobs(120, 4, 11u);
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, x);
  const double ssq = kMeansClustering(&data, 0, 0, 5, 4242, centers, ix, sizes);
  SetRandSeed(4242);
  Rows init;
  for (int k = 0; k < 5; ++k) init.push_back(x[static_cast<std::size_t>(Random(120))]);
  ExpectSameAsNaive(x, init, centers, ix, sizes, ssq);
}

TEST(kMeansClustering, TooManyClustersRaisesBeforeTouchingAnything) {
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{1}, {2}});
  centers.Resize(3, 3);
  centers.Fill(test::kSentinel);
  ix.SetVal(1, 5);
  NUV_EXPECT_THROW_MSG(kMeansClustering(&data, 0, 0, 3, centers, ix), ENUVMath2Error,
                       "kMeansClustering: number of clusters is greater than number of objects");
  EXPECT_EQ(centers.NrOfColumns(), 3);
  EXPECT_EQ(centers.GetVal(2, 2), test::kSentinel);
  EXPECT_EQ(ix.NrOfElem(), 1);
  EXPECT_EQ(ix.GetVal(1), 5);
  EXPECT_EQ(kMeansClustering(&data, 0, 0, 0, 0, centers, ix, sizes), -1.0);
  EXPECT_EQ(centers.GetVal(2, 2), test::kSentinel);
}

void AbortAtFirstStep(double) {
  AbortMathProc = true;
}

TEST(kMeansClustering, AbortReturnsAtOnceWithoutRenumbering) {
  HookGuard guard;
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{1, 0}, {2, 0}, {10, 1}, {11, 1}, {12, 1}});
  ProcStat = 0.0;
  AbortMathProc = false;
  MathFeedBackProc = &AbortAtFirstStep;
  EXPECT_EQ(kMeansClustering(&data, 0, 0, 2, 0, centers, ix, sizes), -1.0);
  EXPECT_TRUE(AbortMathProc.load());
  EXPECT_EQ(ProcStat.load(), 1.0);
  // The state of the first round, in the initial numbering: {1} and {2, 10, 11, 12}.
  EXPECT_EQ(Elems(ix), (std::vector<Integer>{1, 2, 2, 2, 2}));
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{1, 4}));
  EXPECT_EQ(centers.GetVal(1, 1), 1.0);
  EXPECT_EQ(centers.GetVal(1, 2), 8.75);
}

TMatrix* gSwingCentres = nullptr;

// Before every round puts the centres at 0 and 10, in an order that alternates with the
// round, so that every row changes its cluster in every round.
void SwingCentres(double Step) {
  const bool odd = static_cast<long long>(Step) % 2 == 1;
  gSwingCentres->SetVal(1, 1, odd ? 10.0 : 0.0);
  gSwingCentres->SetVal(1, 2, odd ? 0.0 : 10.0);
}

TEST(kMeansClustering, MoreThan1000RoundsRaiseAfterTheRenumbering) {
  HookGuard guard;
  TMatrix data(nullptr), centers(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  Load(data, {{0}, {1}, {10}});
  gSwingCentres = &centers;
  ProcStat = 0.0;
  MathFeedBackProc = &SwingCentres;
  NUV_EXPECT_THROW_MSG(kMeansClustering(&data, 0, 0, 2, 0, centers, ix, sizes), ENUVMath2Error,
                       "kMeansClustering: max. number of iterations exceeded");
  EXPECT_EQ(ProcStat.load(), 1001.0);
  // Round 1001 puts 0 and 1 into old cluster 2 and 10 into old cluster 1; the larger becomes 1.
  EXPECT_EQ(Elems(ix), (std::vector<Integer>{1, 1, 2}));
  EXPECT_EQ(Elems(sizes), (std::vector<Integer>{2, 1}));
  EXPECT_EQ(centers.GetVal(1, 1), 0.5);
  EXPECT_EQ(centers.GetVal(1, 2), 10.0);
}

TEST(kMeansEstimatedSteps, FormulaAndBounds) {
  auto formula = [](double a, double b, double c) {
    return 0.18232 * std::sqrt(a * b) - 0.00092427 * a - 0.00017557 * a * c +
           0.38775 * std::sqrt(a * c) - 108.0;
  };
  EXPECT_EQ(kMeansEstimatedSteps(100000, 50000, 10),
            static_cast<Integer>(std::nearbyint(formula(100000, 50000, 10))));
  EXPECT_EQ(kMeansEstimatedSteps(2000000, 2000000, 1),
            static_cast<Integer>(std::nearbyint(formula(2000000, 2000000, 1))));
  EXPECT_EQ(kMeansEstimatedSteps(10, 10, 10), 20);
  EXPECT_EQ(kMeansEstimatedSteps(-5, 7, 3), 20);  // negative product: NaN under the root
  EXPECT_EQ(kMeansEstimatedSteps(0, 0, 0), 20);
  for (Integer a : {1, 1000, 2147483647}) {
    for (Integer b : {-2147483647, 1, 65536, 2147483647}) {
      EXPECT_GE(kMeansEstimatedSteps(a, b, 3), 20);
    }
  }
}

TEST(FindCenters, MergesClosestPairsAtAnyScale) {
  HookGuard guard;
  TMatrix data(nullptr), centers(nullptr);
  Load(data, {{0}, {3e5}, {6e5}});
  const std::string before = data.CRCofData();
  centers.Resize(1, 2);
  double sep = 0.0;
  ProcStat = 0.0;
  FindCenters(&data, 1, 3, 2, centers, sep);
  EXPECT_EQ(ProcStat.load(), 1.0);
  EXPECT_EQ(centers.GetVal(1, 1), 1.5e5);
  EXPECT_EQ(centers.GetVal(1, 2), 6e5);
  EXPECT_EQ(sep, 4.5e5);
  EXPECT_EQ(data.CRCofData(), before);
}

TEST(FindCenters, OneCentreIsTheMeanAndSeparation100000) {
  const Rows x = RandomBlobs(17, 2, 5u);
  TMatrix data(nullptr), centers(nullptr);
  Load(data, x);
  centers.Resize(2, 1);
  double sep = 0.0;
  FindCenters(&data, 1, 17, 1, centers, sep);
  EXPECT_EQ(sep, 100000.0);
  for (std::size_t c = 0; c < 2; ++c) {
    double mean = 0.0;
    for (const auto& r : x) mean += r[c];
    EXPECT_TRUE(test::RelNear(centers.GetVal(static_cast<Integer>(c + 1), 1), mean / 17, 1e-13));
  }
}

TEST(FindCenters, AsManyCentresAsRowsCopiesAndFewerThanOneDoesNothing) {
  TMatrix data(nullptr), centers(nullptr);
  Load(data, {{1, 2}, {4, 6}, {9, 9}});
  centers.Resize(2, 3);
  double sep = -1.0;
  FindCenters(&data, 2, 3, 2, centers, sep);
  EXPECT_EQ(centers.GetVal(1, 1), 4.0);
  EXPECT_EQ(centers.GetVal(2, 2), 9.0);
  EXPECT_EQ(centers.GetVal(1, 3), 0.0);
  EXPECT_DOUBLE_EQ(sep, std::sqrt(25.0 + 9.0));
  centers.Fill(test::kSentinel);
  sep = -1.0;
  FindCenters(&data, 1, 3, 0, centers, sep);
  EXPECT_EQ(sep, -1.0);
  EXPECT_EQ(centers.GetVal(1, 1), test::kSentinel);
}

TEST(FindCenters, CentresBeyondTheCentreMatrixCountAsOrigin) {
  TMatrix data(nullptr), centers(nullptr);
  Load(data, {{4}, {10}, {30}});
  centers.Resize(1, 2);
  double sep = 0.0;
  // Centres 4 and 10, the third lies outside Centers and reads 0: nearest 4, 6 and 4.
  FindCenters(&data, 1, 3, 3, centers, sep);
  EXPECT_EQ(sep, 14.0 / 3.0);
  // With many more, centre 4's nearest is the origin and the others have each other: 4 + 6.
  FindCenters(&data, 1, 3, 2147483647, centers, sep);
  EXPECT_EQ(sep, 10.0 / 2147483647.0);
  EXPECT_EQ(centers.GetVal(1, 1), 4.0);
  EXPECT_EQ(centers.GetVal(1, 2), 10.0);
}

}  // namespace
}  // namespace nuv
