// k-means against a direct transcription of the procedure, one row and one centre at a time:
// distances summed in column order, strict less-than over the centres, sums of the members in
// row order, the total sum of squares row by row. Small integer coordinates give many equal
// distances; centres, indices, sizes and the sum of squares must agree bit for bit, and so must
// the progress steps and the index vector's change events of every round.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using Rows = std::vector<std::vector<double>>;

struct Outcome {
  std::vector<std::uint64_t> Centres;  // bit patterns, centre by centre
  std::vector<Integer> Ix, Sizes;
  std::uint64_t Ssq = 0;
  std::vector<int> ChangesPerRound;  // index writes in each round
  int Rounds = 0;
};

std::uint64_t Bits(double v) {
  std::uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

Outcome Reference(const Rows& x, Integer K) {
  const std::size_t n = x.size(), p = x[0].size(), uk = static_cast<std::size_t>(K);
  Rows ct(x.begin(), x.begin() + K);
  std::vector<Integer> idx(n, 0), size(uk, 0);
  Outcome out;
  for (;;) {
    ++out.Rounds;
    bool changed = false;
    int writes = 0;
    for (std::size_t i = 0; i < n; ++i) {
      Integer best = 0;
      double bd = DBL_MAX;
      for (std::size_t k = 0; k < uk; ++k) {
        double d = 0.0;
        for (std::size_t c = 0; c < p; ++c) {
          const double t = x[i][c] - ct[k][c];
          d += t * t;
        }
        if (d < bd) {
          bd = d;
          best = static_cast<Integer>(k + 1);
        }
      }
      if (best != idx[i]) {
        idx[i] = best;
        changed = true;
        ++writes;
      }
    }
    out.ChangesPerRound.push_back(writes);
    if (out.Rounds == 1) changed = true;  // the first round always recounts
    if (changed) {
      Rows sum(uk, std::vector<double>(p, 0.0));
      std::fill(size.begin(), size.end(), 0);
      for (std::size_t i = 0; i < n; ++i) {
        if (idx[i] < 1 || idx[i] > K) continue;
        ++size[static_cast<std::size_t>(idx[i] - 1)];
        for (std::size_t c = 0; c < p; ++c) sum[static_cast<std::size_t>(idx[i] - 1)][c] += x[i][c];
      }
      for (std::size_t k = 0; k < uk; ++k) {
        for (std::size_t c = 0; c < p; ++c) ct[k][c] = size[k] != 0 ? sum[k][c] / size[k] : 0.0;
      }
    }
    if (!changed || out.Rounds > 1000) break;
  }
  double ssq = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    double d = 0.0;
    for (std::size_t c = 0; c < p; ++c) {
      const double m = idx[i] >= 1 && idx[i] <= K ? ct[static_cast<std::size_t>(idx[i] - 1)][c] : 0;
      const double t = x[i][c] - m;
      d += t * t;
    }
    ssq += d;
  }
  out.Ssq = Bits(ssq);
  // Renumbering by decreasing size through the integer matrix's row sort, as documented.
  TIntMatrix order(nullptr);
  order.Resize(2, K);
  for (Integer k = 1; k <= K; ++k) {
    order.SetVal(1, k, k);
    order.SetVal(2, k, size[static_cast<std::size_t>(k - 1)]);
  }
  order.SortRows(2, false, 0, 0, 0, 0);
  std::vector<Integer> sorted(uk);
  for (Integer r = 1; r <= K; ++r) sorted[static_cast<std::size_t>(r - 1)] = order.GetVal(2, r);
  for (Integer r = 1; r <= K; ++r) order.SetVal(2, r, r);
  order.SortRows(1, true, 0, 0, 0, 0);
  Rows renumbered(uk);
  for (Integer k = 1; k <= K; ++k) {
    renumbered[static_cast<std::size_t>(order.GetVal(2, k) - 1)] =
        ct[static_cast<std::size_t>(k - 1)];
  }
  for (const auto& c : renumbered) {
    for (const double v : c) out.Centres.push_back(Bits(v));
  }
  for (const Integer k : idx) out.Ix.push_back(order.GetVal(2, k));
  out.Sizes = sorted;
  return out;
}

int gFeedBacks = 0;
int gIxChanges = 0;
std::vector<int> gChangesAtFeedBack;
void CountRound(double) {
  ++gFeedBacks;
  gChangesAtFeedBack.push_back(gIxChanges);
}

Outcome Run(const Rows& x, Integer K, TMatrix& data, bool watchIx) {
  TMatrix centres(nullptr);
  TIntVector ix(nullptr), sizes(nullptr);
  ix.SetIntVecSize(static_cast<Integer>(x.size()));  // sized already: no resize event
  ix.Fill(0);
  gIxChanges = 0;
  gChangesAtFeedBack.clear();
  if (watchIx) ix.SetOnChange([](TObject*) { ++gIxChanges; });
  const double ssq = kMeansClustering(&data, 0, 0, K, 0, centres, ix, sizes);
  ix.SetOnChange({});
  Outcome out;
  out.Ssq = Bits(ssq);
  for (Integer k = 1; k <= centres.NrOfRows(); ++k) {
    for (Integer c = 1; c <= centres.NrOfColumns(); ++c)
      out.Centres.push_back(Bits(centres.GetVal(c, k)));
  }
  for (Integer i = 1; i <= ix.NrOfElem(); ++i) out.Ix.push_back(ix.GetVal(i));
  for (Integer k = 1; k <= sizes.NrOfElem(); ++k) out.Sizes.push_back(sizes.GetVal(k));
  // Writes between one progress call and the next belong to one round; after the last one
  // come that round's writes and one per row for the renumbering.
  out.Rounds = static_cast<int>(gChangesAtFeedBack.size());
  gChangesAtFeedBack.push_back(gIxChanges - static_cast<int>(x.size()));
  for (std::size_t r = 1; r < gChangesAtFeedBack.size(); ++r) {
    out.ChangesPerRound.push_back(gChangesAtFeedBack[r] - gChangesAtFeedBack[r - 1]);
  }
  return out;
}

void ExpectSame(const Rows& x, Integer K) {
  TMatrix data(nullptr);
  data.Resize(static_cast<Integer>(x[0].size()), static_cast<Integer>(x.size()));
  for (std::size_t r = 0; r < x.size(); ++r) {
    for (std::size_t c = 0; c < x[r].size(); ++c) {
      data.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), x[r][c]);
    }
  }
  test::HookGuard guard;
  ProcStat = 0;
  MathFeedBackProc = CountRound;
  gFeedBacks = 0;
  const Outcome want = Reference(x, K);
  // Unwatched, the index vector is read block by block; the result must not change.
  const Outcome plain = Run(x, K, data, false);
  EXPECT_EQ(plain.Centres, want.Centres);
  EXPECT_EQ(plain.Ix, want.Ix);
  EXPECT_EQ(plain.Sizes, want.Sizes);
  EXPECT_EQ(plain.Ssq, want.Ssq);
  ProcStat = 0;
  gFeedBacks = 0;
  const Outcome got = Run(x, K, data, true);
  EXPECT_EQ(gFeedBacks, want.Rounds);
  EXPECT_EQ(ProcStat.load(), static_cast<double>(want.Rounds));
  EXPECT_EQ(got.Rounds, want.Rounds);
  EXPECT_EQ(got.ChangesPerRound, want.ChangesPerRound);
  EXPECT_EQ(got.Centres, want.Centres);
  EXPECT_EQ(got.Ix, want.Ix);
  EXPECT_EQ(got.Sizes, want.Sizes);
  EXPECT_EQ(got.Ssq, want.Ssq);
}

TEST(kMeansClusteringEquivalence, RandomIntegerAndRealData) {
  std::uint32_t s = 31u;
  auto next = [&s](std::uint32_t range) {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>((s >> 8) % range);
  };
  struct Shape {
    int N, P, K;
  };
  // Row counts around the eight-row groups and across the blocks of rows.
  const Shape shapes[] = {{1, 1, 1},   {7, 2, 3},   {8, 3, 8},    {9, 1, 2},    {23, 4, 5},
                          {64, 2, 10}, {101, 9, 7}, {333, 3, 12}, {4100, 2, 4}, {8200, 8, 10}};
  for (const Shape sh : shapes) {
    for (int real = 0; real < 2; ++real) {
      Rows x(static_cast<std::size_t>(sh.N), std::vector<double>(static_cast<std::size_t>(sh.P)));
      for (auto& row : x) {
        for (double& v : row) v = real ? next(1u << 20) / 65536.0 - 8.0 : next(4);
      }
      SCOPED_TRACE("N " + std::to_string(sh.N) + ", p " + std::to_string(sh.P) + ", K " +
                   std::to_string(sh.K) + (real ? ", real" : ", integer"));
      ExpectSame(x, sh.K);
    }
  }
}

// A row with NaN is nearest to no centre and stays in cluster 0; an infinite one likewise.
TEST(kMeansClusteringEquivalence, RowsWithoutNearestCentre) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Rows x;
  for (int i = 0; i < 37; ++i) x.push_back({double(i % 4), double(i % 3)});
  x[20][1] = nan;
  x[29][0] = inf;
  ExpectSame(x, 3);
}

}  // namespace
}  // namespace nuv
