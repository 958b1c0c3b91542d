// Agglomerative clustering against a direct transcription of the textbook procedure: full
// search of the distance matrix for every merge, Lance-Williams update of every slot from the
// unchanged matrix, leaf order by expanding a list. Small integer coordinates make many equal
// distances, so the tie rule is exercised at every step; results must agree bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct Result {
  std::vector<Integer> Dendro;  // 3 per merge
  std::vector<double> MergeDist;
  std::vector<double> Pos;
  std::vector<double> Stats, Percents;
  Integer Code = 0;
};

// NaN counts as +inf; the first pair in scan order seeds the search.
double Key(double v) {
  return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
}

Result Reference(TMatrix& data, TDistMode mode, TClusterMethod method, double f,
                 const TOnCalcDistanceEvent& ev = {}) {
  const Integer n = data.NrOfRows();
  data.SetOnCalcDistance(ev);
  std::vector<std::vector<double>> D(static_cast<std::size_t>(n + 1),
                                     std::vector<double>(static_cast<std::size_t>(n + 1), 0.0));
  for (Integer i = 1; i <= n; ++i) {
    for (Integer j = i + 1; j <= n; ++j) {
      D[i][j] = D[j][i] = data.DistanceOfObjects(mode, i, j);
    }
  }
  data.SetOnCalcDistance({});
  std::vector<Integer> node(static_cast<std::size_t>(n + 1)), size(node.size(), 1);
  for (Integer i = 1; i <= n; ++i) node[i] = i;
  Result out;
  double stat = ProcStat;
  out.Stats.push_back(stat);
  out.Percents.push_back(0);
  for (Integer j = 1; j < n; ++j) {
    stat += 1;
    out.Stats.push_back(stat);
    out.Percents.push_back(static_cast<double>(j) / static_cast<double>(n) * 100);
    Integer a = 0, b = 0;
    double best = 0;
    for (Integer p = 1; p < n; ++p) {
      for (Integer q = p + 1; q <= n; ++q) {
        if (node[p] == 0 || node[q] == 0) continue;
        if (a == 0 || Key(D[p][q]) < best) {
          a = p;
          b = q;
          best = Key(D[p][q]);
        }
      }
    }
    const double dab = D[a][b];
    const double na = size[a], nb = size[b];
    std::vector<double> nd(static_cast<std::size_t>(n + 1));
    for (Integer r = 1; r <= n; ++r) {
      const double dar = D[a][r], dbr = D[b][r], nr = size[r];
      switch (method) {
        case cmSingleLink:
          nd[r] = dar < dbr ? dar : dbr;
          break;
        case cmCompleteLink:
          nd[r] = dar > dbr ? dar : dbr;
          break;
        case cmWard:
          nd[r] = ((na + nr) * dar + (nb + nr) * dbr - nr * dab) / (na + nb + nr);
          break;
        case cmAvgLink:
          nd[r] = (dar + dbr) * 0.5;
          break;
        case cmFlexLink:
          nd[r] = f * (dar + dbr) + (1 - 2 * f) * dab;
          break;
        case cmUpgma:
          nd[r] = na / (na + nb) * dar + nb / (na + nb) * dbr;
          break;
      }
    }
    for (Integer r = 1; r <= n; ++r) D[r][b] = D[b][r] = nd[r];
    out.Dendro.insert(out.Dendro.end(), {node[a], node[b], n + j});
    out.MergeDist.push_back(dab);
    node[b] = n + j;
    size[b] = size[a] + size[b];
    node[a] = 0;
    size[a] = 0;
  }
  // Leaf order: start from the last merge's children, replace merge nodes until none is left.
  std::vector<Integer> list{out.Dendro[3 * (n - 2)], out.Dendro[3 * (n - 2) + 1]};
  for (bool again = true; again;) {
    again = false;
    for (std::size_t p = 0; p < list.size(); ++p) {
      const Integer m = list[p];
      if (m <= n) continue;
      const std::size_t row = 3 * static_cast<std::size_t>(m - n - 1);
      list[p] = out.Dendro[row + 1];
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(p + 1), out.Dendro[row]);
      again = true;
    }
  }
  out.Pos.assign(static_cast<std::size_t>(2 * n - 1), 0.0);
  for (std::size_t p = 0; p < list.size(); ++p) out.Pos[list[p] - 1] = double(p + 1);
  for (Integer j = 1; j < n; ++j) {
    out.Pos[n + j - 1] =
        (out.Pos[out.Dendro[3 * (j - 1)] - 1] + out.Pos[out.Dendro[3 * (j - 1) + 1] - 1]) / 2;
  }
  return out;
}

Result* gRecording = nullptr;
void Record(TObject*, double stat, double percent) {
  gRecording->Stats.push_back(stat);
  gRecording->Percents.push_back(percent);
}

Result Run(TMatrix& data, TDistMode mode, TClusterMethod method, double f,
           const TOnCalcDistanceEvent& ev) {
  Result out;
  TIntMatrix dendro(nullptr);
  TVector mergeDist(nullptr), pos(nullptr);
  gRecording = &out;
  out.Code = AgglomClustering(nullptr, &data, mode, method, f, dendro, mergeDist, pos, Record, ev);
  gRecording = nullptr;
  for (Integer r = 1; r <= dendro.NrOfRows(); ++r) {
    for (Integer c = 1; c <= 3; ++c) out.Dendro.push_back(dendro.GetVal(c, r));
  }
  for (Integer i = 1; i <= mergeDist.NrOfElem(); ++i) out.MergeDist.push_back(mergeDist.GetVal(i));
  for (Integer i = 1; i <= pos.NrOfElem(); ++i) out.Pos.push_back(pos.GetVal(i));
  return out;
}

// Bit patterns, so that NaN equals NaN and -0 differs from +0.
std::vector<std::uint64_t> Bits(const std::vector<double>& v) {
  std::vector<std::uint64_t> out(v.size());
  std::memcpy(out.data(), v.data(), v.size() * sizeof(double));
  return out;
}

void ExpectSame(TMatrix& data, TDistMode mode, TClusterMethod method, double f,
                const TOnCalcDistanceEvent& ev = {}) {
  test::HookGuard guard;
  ProcStat = 3;
  const Result want = Reference(data, mode, method, f, ev);
  ProcStat = 3;
  const Result got = Run(data, mode, method, f, ev);
  EXPECT_EQ(got.Code, 0);
  EXPECT_EQ(got.Dendro, want.Dendro);
  EXPECT_EQ(Bits(got.MergeDist), Bits(want.MergeDist));
  EXPECT_EQ(got.Pos, want.Pos);
  EXPECT_EQ(got.Stats, want.Stats);
  EXPECT_EQ(got.Percents, want.Percents);
}

TEST(AgglomClusteringEquivalence, RandomIntegerPointsAllMethods) {
  std::uint32_t s = 2024u;
  auto next = [&s](std::uint32_t range) {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>((s >> 8) % range);
  };
  const TDistMode modes[] = {dmEuclidSqr, dmManhattan, dmEuclid, dmJaccard, dmDice};
  const TClusterMethod methods[] = {cmSingleLink, cmCompleteLink, cmWard,
                                    cmAvgLink,    cmFlexLink,     cmUpgma};
  for (int trial = 0; trial < 12; ++trial) {
    const Integer n = 2 + trial * 7;                               // 2 .. 79 rows
    const Integer p = 1 + trial % 4;                               // 1 .. 4 columns
    const auto range = static_cast<std::uint32_t>(2 + trial % 4);  // values 0 .. 4: many ties
    TMatrix data(nullptr);
    data.Resize(p, n);
    for (Integer r = 1; r <= n; ++r) {
      for (Integer c = 1; c <= p; ++c) data.SetVal(c, r, next(range));
    }
    // Every third set in real values, where a changed summation order would show.
    if (trial % 3 == 2) {
      for (Integer r = 1; r <= n; ++r) {
        for (Integer c = 1; c <= p; ++c) data.SetVal(c, r, next(1u << 20) / 65536.0 - 7.5);
      }
    }
    for (const TDistMode mode : modes) {
      for (const TClusterMethod method : methods) {
        const double f = method == cmFlexLink ? -0.25 + 0.125 * (trial % 5) : 0.0;
        SCOPED_TRACE("n " + std::to_string(n) + ", " + std::string(DistModeId[mode]) + ", " +
                     std::string(ClusterMethodID[method]));
        ExpectSame(data, mode, method, f);
      }
    }
  }
}

// Distances that overflow to +inf, NaN (Jaccard of zero rows) and DBL_MAX itself: the merge
// order is then the first smallest key, NaN counting as +inf.
TEST(AgglomClusteringEquivalence, InfiniteAndNaNDistances) {
  struct Case {
    const char* Name;
    std::vector<double> Values;  // one column
    TDistMode Mode;
  };
  const Case cases[] = {
      {"zero rows", {0, 0, 0, 0}, dmJaccard},
      {"mixed zeros and ones", {0, 1, 0, 1, 1, 0}, dmJaccard},
  };
  const TClusterMethod methods[] = {cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmUpgma};
  for (const Case& c : cases) {
    TMatrix data(nullptr);
    data.Resize(1, static_cast<Integer>(c.Values.size()));
    for (std::size_t r = 0; r < c.Values.size(); ++r) {
      data.SetVal(1, static_cast<Integer>(r + 1), c.Values[r]);
    }
    for (const TClusterMethod method : methods) {
      SCOPED_TRACE(std::string(c.Name) + ", " + std::string(ClusterMethodID[method]));
      ExpectSame(data, c.Mode, method, 0.0);
    }
  }
}

// Data whose squared distances overflow are clustered as the same data in a smaller unit: the
// same tree, and heights that scale (to ∞ where a height itself overflows, never NaN).
TEST(AgglomClusteringEquivalence, DataNearTheLargestDoubleClusterAsInAnyUnit) {
  const double big = 1e200;
  const double maxRoot = std::sqrt(uc_MaxReal);
  const std::vector<std::vector<double>> cases = {
      {0, big}, {0, big, -big, big}, {-big, maxRoot, 0, big}, {0, big, 3 * big, 7 * big}};
  const TClusterMethod methods[] = {cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmUpgma};
  for (const TDistMode mode : {dmEuclid, dmEuclidSqr, dmManhattan}) {
    for (const auto& values : cases) {
      TMatrix data(nullptr), small(nullptr);
      data.Resize(1, static_cast<Integer>(values.size()));
      small.Resize(1, static_cast<Integer>(values.size()));
      for (std::size_t r = 0; r < values.size(); ++r) {
        data.SetVal(1, static_cast<Integer>(r + 1), values[r]);
        small.SetVal(1, static_cast<Integer>(r + 1), values[r] * 1e-100);
      }
      for (const TClusterMethod method : methods) {
        SCOPED_TRACE(std::string(DistModeId[mode]) + ", " + std::string(ClusterMethodID[method]));
        const Result got = nuv::Run(data, mode, method, 0.0, {});
        const Result want = nuv::Run(small, mode, method, 0.0, {});
        EXPECT_EQ(got.Dendro, want.Dendro);
        EXPECT_EQ(got.Pos, want.Pos);
        ASSERT_EQ(got.MergeDist.size(), want.MergeDist.size());
        for (std::size_t j = 0; j < got.MergeDist.size(); ++j) {
          const double h = want.MergeDist[j] * 1e100 * (mode == dmEuclidSqr ? 1e100 : 1.0);
          EXPECT_FALSE(std::isnan(got.MergeDist[j]));
          if (std::isinf(h)) {
            EXPECT_TRUE(std::isinf(got.MergeDist[j]));
          } else {
            EXPECT_TRUE(test::RelNear(got.MergeDist[j], h, test::kScaleTol));
          }
        }
      }
    }
  }
}

// A pair at exactly the largest double is smaller than an infinite one scanned earlier.
TEST(AgglomClusteringEquivalence, LargestDoubleBeatsAnEarlierInfinity) {
  TMatrix data(nullptr);
  data.Resize(1, 3);
  data.SetVal(1, 1, 0);
  data.SetVal(1, 2, 0);
  data.SetVal(1, 3, 0);
  // D(1,2) = inf, D(1,3) = DBL_MAX, D(2,3) = inf.
  auto ev = [](TObject*, Integer r1, Integer r2, double& d) {
    d = (r1 == 1 && r2 == 3) || (r1 == 3 && r2 == 1) ? uc_MaxReal
                                                     : std::numeric_limits<double>::infinity();
  };
  TIntMatrix dendro(nullptr);
  TVector mergeDist(nullptr), pos(nullptr);
  ASSERT_EQ(AgglomClustering(nullptr, &data, dmUserDef, cmSingleLink, 0, dendro, mergeDist, pos,
                             nullptr, ev),
            0);
  EXPECT_EQ(dendro.GetVal(1, 1), 1);
  EXPECT_EQ(dendro.GetVal(2, 1), 3);
  EXPECT_EQ(mergeDist.GetVal(1), uc_MaxReal);
  // The merged slot 3 is at min(inf, inf) from slot 2.
  EXPECT_EQ(dendro.GetVal(1, 2), 2);
  EXPECT_EQ(dendro.GetVal(2, 2), 4);
  EXPECT_EQ(mergeDist.GetVal(2), std::numeric_limits<double>::infinity());
}

// Single linkage on rows far apart in value and on rows with equal, NaN and infinite
// distances, large enough that a spanning tree and the full search could part ways.
TEST(AgglomClusteringEquivalence, SingleLinkageOnData) {
  std::uint32_t s = 77u;
  auto next = [&s](std::uint32_t range) {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>((s >> 8) % range);
  };
  struct Case {
    const char* Name;
    Integer Rows, Cols;
    std::function<double(Integer, Integer)> Cell;  // (row, column), 1-based
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"real values", 240, 3, [&](Integer, Integer) { return next(1u << 24) / 4096.0 - 2000; }},
      {"grid of small integers", 150, 2, [&](Integer, Integer) { return next(6); }},
      {"one column of integers", 90, 1, [&](Integer, Integer) { return next(40); }},
      {"eight columns of small integers", 300, 8, [&](Integer, Integer) { return next(4); }},
      {"all rows equal", 30, 2, [](Integer, Integer) { return 1.5; }},
      {"many rows equal", 130, 2, [&](Integer, Integer) { return next(2); }},
      {"NaN in one row", 40, 2,
       [&](Integer r, Integer) { return r == 17 ? std::nan("") : next(1000) / 7.0; }},
      {"infinity in two rows", 40, 2,
       [&](Integer r, Integer c) { return r % 13 == 5 && c == 1 ? inf : next(1000) / 7.0; }},
      {"zero rows among reals", 50, 3,
       [&](Integer r, Integer) { return r % 7 == 0 ? 0.0 : next(1000) / 3.0 - 100; }},
  };
  const TDistMode modes[] = {dmEuclidSqr, dmManhattan, dmEuclid, dmJaccard, dmDice};
  for (const Case& c : cases) {
    TMatrix data(nullptr);
    data.Resize(c.Cols, c.Rows);
    for (Integer r = 1; r <= c.Rows; ++r) {
      for (Integer k = 1; k <= c.Cols; ++k) data.SetVal(k, r, c.Cell(r, k));
    }
    for (const TDistMode mode : modes) {
      SCOPED_TRACE(std::string(c.Name) + ", " + std::string(DistModeId[mode]));
      ExpectSame(data, mode, cmSingleLink, 0.0);
    }
  }
}

// User distances that place exact ties where the merge order depends on them: equal weights
// off and on a spanning tree, tied pairs whose slots come in either order, signed zeros (equal,
// with different bits) and NaN (whose min depends on the operand order).
TEST(AgglomClusteringEquivalence, SingleLinkageUserDistanceTies) {
  using Dist = std::function<double(Integer, Integer)>;  // i < j
  auto hashed = [](Integer i, Integer j, std::uint32_t range) {
    std::uint32_t h =
        static_cast<std::uint32_t>(i) * 2654435761u ^ static_cast<std::uint32_t>(j) * 40503u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<double>(h % range);
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* Name;
    Integer N;
    Dist D;
  };
  const Case cases[] = {
      {"equal weights off the tree", 3,
       [](Integer i, Integer j) { return i + j == 3 ? 1.0 : 2.0; }},
      {"every pair equal", 6, [](Integer, Integer) { return 1.0; }},
      {"chain of equal steps", 7, [](Integer i, Integer j) { return j - i == 1 ? 1.0 : 10.0 + j; }},
      {"tied pairs, later slots first in the tree", 6,
       [](Integer i, Integer j) {
         if ((i == 5 && j == 6) || (i == 1 && j == 2)) return 1.0;
         if ((i == 2 && j == 5) || (i == 3 && j == 4) || (i == 4 && j == 6)) return 2.0;
         return 9.0;
       }},
      {"tie at the last merge only", 8,
       [](Integer i, Integer j) { return (i <= 4) == (j <= 4) ? 0.5 * (i + j) : 40.0; }},
      {"negative zero and zero", 5,
       [](Integer i, Integer j) { return i == 1 ? -0.0 : (j - i == 1 ? 0.0 : 3.0 + i); }},
      {"one negative zero among distinct weights", 5,
       [](Integer i, Integer j) { return i == 2 && j == 4 ? -0.0 : i * 7.0 + j; }},
      {"negative distances", 9, [](Integer i, Integer j) { return -1.0 * (i * 11 + j * j); }},
      {"NaN off the tree", 5,
       [=](Integer i, Integer j) { return i == 1 && j == 5 ? nan : i * 3.0 + j; }},
      {"NaN on every pair of one object", 5,
       [=](Integer i, Integer j) { return j == 3 || i == 3 ? nan : i * 3.0 + j; }},
      {"every pair infinite", 5, [=](Integer, Integer) { return inf; }},
      {"infinite joins between two groups", 8,
       [=](Integer i, Integer j) { return (i <= 4) == (j <= 4) ? i + 0.25 * j : inf; }},
      // Most partners of the smallest slot are far along the slot order.
      {"star around the last object, a few pairs of leaves", 200,
       [](Integer i, Integer j) {
         return j == 200 || (i % 10 == 0 && j == i + 1) ? 1.0 : 10.0 + i * 1000.0 + j;
       }},
      {"every low slot at one weight from every high slot", 200,
       [](Integer i, Integer j) { return (i <= 100) != (j <= 100) ? 1.0 : 10.0 + i * 1000.0 + j; }},
      {"random small integers", 60, [=](Integer i, Integer j) { return hashed(i, j, 5); }},
      {"random wide integers", 120, [=](Integer i, Integer j) { return hashed(i, j, 100000); }},
      {"random reals", 150, [=](Integer i, Integer j) { return hashed(i, j, 4000000000u) / 3.0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMatrix data(nullptr);
    data.Resize(1, c.N);
    const Dist d = c.D;
    auto ev = [d](TObject*, Integer r1, Integer r2, double& v) {
      v = r1 < r2 ? d(r1, r2) : d(r2, r1);
    };
    ExpectSame(data, dmUserDef, cmSingleLink, 0.0, ev);
  }
}

}  // namespace
}  // namespace nuv
