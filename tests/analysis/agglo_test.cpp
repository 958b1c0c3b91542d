// Agglomerative clustering: merge order, distances, leaf places, abort and the distance event.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
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

Rows DendroRows(const TIntMatrix& m) {
  Rows out;
  for (Integer r = 1; r <= m.NrOfRows(); ++r) {
    out.push_back({double(m.GetVal(1, r)), double(m.GetVal(2, r)), double(m.GetVal(3, r))});
  }
  return out;
}

std::vector<double> Elems(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

struct Outputs {
  TIntMatrix Dendro{nullptr};
  TVector MergeDist{nullptr};
  TVector Pos{nullptr};
};

Integer Cluster(TMatrix& data, TDistMode mode, TClusterMethod method, Outputs& o, double flex = 0,
                TAgglomFeedBackProc fb = nullptr, const TOnCalcDistanceEvent& ev = {},
                TObject* sender = nullptr) {
  return AgglomClustering(sender, &data, mode, method, flex, o.Dendro, o.MergeDist, o.Pos, fb, ev);
}

struct FeedBackCall {
  TObject* Sender;
  double Stat, Percent;
};
std::vector<FeedBackCall> gCalls;
int gAbortAtCall = -1;
void RecordFeedBack(TObject* s, double stat, double percent) {
  gCalls.push_back({s, stat, percent});
  if (static_cast<int>(gCalls.size()) == gAbortAtCall) AbortMathProc = true;
}

TEST(AgglomClustering, FourPointsOnALine) {
  HookGuard guard;
  gCalls.clear();
  gAbortAtCall = -1;
  TMatrix data(nullptr);
  Load(data, {{0}, {1}, {5}, {6}});
  Outputs o;
  TVector sender(nullptr);
  ProcStat = 10;
  EXPECT_EQ(Cluster(data, dmEuclidSqr, cmSingleLink, o, 0, RecordFeedBack, {}, &sender), 0);
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{1, 2, 5}, {3, 4, 6}, {5, 6, 7}}));
  EXPECT_EQ(Elems(o.MergeDist), (std::vector<double>{1, 1, 16}));
  // Leaf order 2, 1, 4, 3: object 1 is drawn second, and so on.
  EXPECT_EQ(Elems(o.Pos), (std::vector<double>{2, 1, 4, 3, 1.5, 3.5, 2.5}));
  // One call before the run, then one per merge after its ProcStat step, percent j/n.
  ASSERT_EQ(gCalls.size(), 4u);
  const double percents[] = {0, 25, 50, 75};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(gCalls[k].Sender, &sender);
    EXPECT_EQ(gCalls[k].Stat, 10.0 + double(k));
    EXPECT_DOUBLE_EQ(gCalls[k].Percent, percents[k]);
  }
  EXPECT_EQ(ProcStat.load(), 13.0);
}

TEST(AgglomClustering, TiesGoToTheLowerSlots) {
  TMatrix data(nullptr);
  Outputs o;
  // D(1,2) = D(2,3) = D(3,4) = 1: the lower first slot wins, and the merged node keeps slot 2.
  Load(data, {{0}, {1}, {2}, {3}});
  Cluster(data, dmManhattan, cmSingleLink, o);
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{1, 2, 5}, {5, 3, 6}, {6, 4, 7}}));
  // D(1,2) = D(1,3) = 1 with the same first slot: the lower second slot wins.
  Load(data, {{0}, {1}, {-1}});
  Cluster(data, dmManhattan, cmCompleteLink, o);
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{1, 2, 4}, {4, 3, 5}}));
  EXPECT_EQ(Elems(o.MergeDist), (std::vector<double>{1, 2}));
}

TEST(AgglomClustering, AbortFromFeedBack) {
  HookGuard guard;
  gCalls.clear();
  gAbortAtCall = 2;  // the call of the first merge
  TMatrix data(nullptr);
  Load(data, {{0}, {1}, {5}, {6}});
  Outputs o;
  ProcStat = 0;
  EXPECT_EQ(Cluster(data, dmEuclidSqr, cmSingleLink, o, 0, RecordFeedBack), -1);
  EXPECT_EQ(gCalls.size(), 2u);
  EXPECT_EQ(ProcStat.load(), 1.0);
  EXPECT_TRUE(AbortMathProc.load());  // left for the caller to see
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(Elems(o.MergeDist), (std::vector<double>{0, 0, 0}));
  EXPECT_TRUE(o.MergeDist.IsEmpty());
  EXPECT_EQ(Elems(o.Pos), std::vector<double>(7, 0.0));
  // A flag left over from earlier is cleared at the start, after the first progress call.
  gCalls.clear();
  gAbortAtCall = 1;
  EXPECT_EQ(Cluster(data, dmEuclidSqr, cmSingleLink, o, 0, RecordFeedBack), 0);
  EXPECT_EQ(gCalls.size(), 4u);
  EXPECT_EQ(Elems(o.MergeDist), (std::vector<double>{1, 1, 16}));
}

TEST(AgglomClustering, FlexibleHalfIsAverageLinkage) {
  TMatrix data(nullptr);
  Load(data, {{0, 1}, {2, 7}, {3, -4}, {9, 9}, {-5, 2}, {4, 4}});
  Outputs avg, flex;
  Cluster(data, dmEuclid, cmAvgLink, avg);
  Cluster(data, dmEuclid, cmFlexLink, flex, 0.5);
  EXPECT_EQ(DendroRows(flex.Dendro), DendroRows(avg.Dendro));
  EXPECT_EQ(Elems(flex.MergeDist), Elems(avg.MergeDist));
}

TEST(AgglomClustering, UserDistanceEventIsInstalledAndRestored) {
  TMatrix data(nullptr);
  Load(data, {{0}, {0}, {0}});
  int ownCalls = 0;
  data.SetOnCalcDistance([&](TObject*, Integer, Integer, double& d) {
    ++ownCalls;
    d = 99;
  });
  // |r1 - r2| with a large weight on pair (1, 3): (1,2) at 1, then (2,3) at 1.
  std::vector<std::pair<Integer, Integer>> seen;
  auto ev = [&](TObject* s, Integer r1, Integer r2, double& d) {
    EXPECT_EQ(s, &data);
    seen.emplace_back(r1, r2);
    d = (r1 == 1 && r2 == 3) ? 10 : 1;
  };
  Outputs o;
  EXPECT_EQ(Cluster(data, dmUserDef, cmSingleLink, o, 0, nullptr, ev), 0);
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{1, 2, 4}, {4, 3, 5}}));
  EXPECT_EQ(data.DistanceOfObjects(dmUserDef, 1, 2), 99.0);
  // A throwing event reaches the caller and still leaves Data's own event in place.
  auto bad = [](TObject*, Integer, Integer, double&) { throw std::runtime_error("no"); };
  EXPECT_THROW(Cluster(data, dmUserDef, cmSingleLink, o, 0, nullptr, bad), std::runtime_error);
  EXPECT_EQ(data.DistanceOfObjects(dmUserDef, 1, 2), 99.0);
  EXPECT_EQ(ownCalls, 2);
}

TEST(AgglomClustering, DegenerateInput) {
  Outputs o;
  // One object: nothing to merge, its leaf is at place 1.
  TMatrix one(nullptr);
  Load(one, {{3, 4}});
  EXPECT_EQ(Cluster(one, dmEuclid, cmWard, o), 0);
  EXPECT_EQ(o.Dendro.NrOfRows(), 0);
  EXPECT_EQ(o.Dendro.NrOfColumns(), 3);
  EXPECT_EQ(Elems(o.Pos), (std::vector<double>{1}));
  EXPECT_EQ(AgglomClustering(nullptr, nullptr, dmEuclid, cmWard, 0, o.Dendro, o.MergeDist, o.Pos,
                             nullptr, {}),
            -1);
  // All distances NaN (Jaccard of zero rows): no pair is strictly below the start value, so the
  // first active pair merges each time instead of an unset one.
  TMatrix zeros(nullptr);
  Load(zeros, {{0, 0}, {0, 0}, {0, 0}});
  EXPECT_EQ(Cluster(zeros, dmJaccard, cmUpgma, o), 0);
  EXPECT_EQ(DendroRows(o.Dendro), (Rows{{1, 2, 4}, {4, 3, 5}}));
  EXPECT_TRUE(std::isnan(o.MergeDist.GetVal(1)));
  EXPECT_EQ(Elems(o.Pos), (std::vector<double>{2, 1, 3, 1.5, 2.25}));
}

// Merges against scipy.cluster.hierarchy.linkage (and a direct loop for the flexible strategy),
// from tests/reference/agglo_reference.py.
TEST(AgglomClustering, MatchesReferenceLinkage) {
  // Distances are summed in another order by SciPy; updates add a few roundings on top.
  constexpr double kTol = 1e-12;
  std::ifstream f(test::ReferencePath("agglo_reference.txt"));
  ASSERT_TRUE(f.good());
  std::string line, word;
  int r = 0, c = 0;
  std::getline(f, line);
  std::istringstream(line) >> word >> r >> c;
  ASSERT_EQ(word, "data");
  Rows x(static_cast<std::size_t>(r), std::vector<double>(static_cast<std::size_t>(c)));
  for (auto& row : x) {
    for (auto& v : row) f >> v;
  }
  TMatrix data(nullptr);
  Load(data, x);
  int cases = 0;
  while (f >> word) {
    ASSERT_EQ(word, "case");
    int mode = 0, method = 0;
    double flex = 0;
    f >> mode >> method >> flex;
    SCOPED_TRACE(ClusterMethodID[static_cast<std::size_t>(method)]);
    Outputs o;
    ASSERT_EQ(Cluster(data, TDistMode(mode), TClusterMethod(method), o, flex), 0);
    ASSERT_EQ(o.Dendro.NrOfRows(), r - 1);
    for (Integer j = 1; j < r; ++j) {
      int a = 0, b = 0;
      double d = 0;
      f >> a >> b >> d;
      // SciPy lists the smaller node first; the slot order may differ.
      const int x1 = o.Dendro.GetVal(1, j), x2 = o.Dendro.GetVal(2, j);
      EXPECT_EQ(std::min(x1, x2), a) << "merge " << j;
      EXPECT_EQ(std::max(x1, x2), b) << "merge " << j;
      EXPECT_EQ(o.Dendro.GetVal(3, j), r + j);
      EXPECT_TRUE(test::RelNear(o.MergeDist.GetVal(j), d, kTol)) << "merge " << j;
    }
    ++cases;
  }
  EXPECT_EQ(cases, 6);
}

}  // namespace
}  // namespace nuv
