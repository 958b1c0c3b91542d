// Nearest-neighbour search against the plain procedure: a 101-place list filled row by row, each
// candidate put in front of the first entry it does not exceed, distances summed term by term
// through GetVal. Integer coordinates give many equal distances; results must agree bit for bit,
// and the user's distance function must see the same calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct Found {
  std::vector<double> Cells;  // the neighbour matrix, column by column
  int Changes = 0;
};

double RefDistance(TMatrix& data, TVector& probe, Integer r) {
  double s = 0.0;
  for (Integer c = 1; c <= probe.NrOfElem(); ++c) {
    const double t = data.GetVal(c, r) - probe.GetVal(c);
    s += t * t;
  }
  return std::sqrt(s);
}

void RefInsert(std::vector<double>& dist, std::vector<Integer>& rows, double d, Integer r) {
  std::size_t at = 0;
  while (at + 1 < dist.size() && !(d <= dist[at])) ++at;
  if (d > dist[at]) return;
  for (std::size_t m = dist.size() - 1; m > at; --m) {
    dist[m] = dist[m - 1];
    rows[m] = rows[m - 1];
  }
  dist[at] = d;
  rows[at] = r;
}

Found Reference(Integer k, TMatrix& data, Integer first, Integer last, TVector& probe, TMatrix& nb,
                TCalcDistFunc fn) {
  k = std::min({k, 100, data.NrOfRows()});
  std::vector<double> dist(101, uc_MaxReal);
  std::vector<Integer> rows(101, 0);
  for (Int64 r = first; r <= last; ++r) {
    const auto ri = static_cast<Integer>(r);
    RefInsert(dist, rows, fn != nullptr ? fn(ri) : RefDistance(data, probe, ri), ri);
  }
  Found out;
  nb.SetOnChange([&out](TObject*) { ++out.Changes; });
  for (Integer m = 1; m <= k; ++m) {
    nb.SetVal(1, m, rows[static_cast<std::size_t>(m - 1)]);
    nb.SetVal(2, m, dist[static_cast<std::size_t>(m - 1)]);
  }
  nb.SetOnChange({});
  return out;
}

Found Run(Integer k, TMatrix& data, Integer first, Integer last, TVector& probe, TMatrix& nb,
          TCalcDistFunc fn) {
  Found out;
  nb.SetOnChange([&out](TObject*) { ++out.Changes; });
  FindNearestNeighbors(k, &data, first, last, &probe, &nb, fn);
  nb.SetOnChange({});
  return out;
}

std::vector<std::uint64_t> Bits(const TMatrix& m) {
  std::vector<std::uint64_t> out;
  for (Integer c = 1; c <= m.NrOfColumns(); ++c) {
    for (Integer r = 1; r <= m.NrOfRows(); ++r) {
      const double v = m.GetVal(c, r);
      std::uint64_t b = 0;
      std::memcpy(&b, &v, sizeof b);
      out.push_back(b);
    }
  }
  return out;
}

// The user distance sees every row once, in order; it reads the distances from a table so that
// it can return ties, NaN and infinities.
std::vector<double> gTable;
std::vector<Integer> gCalls;
double TableDistance(std::int32_t r) {
  gCalls.push_back(r);
  const auto n = static_cast<Int64>(gTable.size());
  return gTable[static_cast<std::size_t>(((r % n) + n) % n)];
}

void ExpectSame(Integer k, TMatrix& data, Integer first, Integer last, TVector& probe,
                TCalcDistFunc fn) {
  TMatrix want(nullptr), got(nullptr);
  want.Resize(2, 120);
  want.Fill(test::kSentinel);
  got.Resize(2, 120);
  got.Fill(test::kSentinel);
  gCalls.clear();
  const Found w = Reference(k, data, first, last, probe, want, fn);
  const std::vector<Integer> wantCalls = gCalls;
  gCalls.clear();
  const Found g = Run(k, data, first, last, probe, got, fn);
  EXPECT_EQ(Bits(got), Bits(want));
  EXPECT_EQ(g.Changes, w.Changes);
  EXPECT_EQ(gCalls, wantCalls);
}

TEST(FindNearestNeighborsEquivalence, RandomIntegerData) {
  std::uint32_t s = 77u;
  auto next = [&s](std::uint32_t range) {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>((s >> 8) % range);
  };
  struct Range {
    Integer First, Last;
  };
  for (int trial = 0; trial < 8; ++trial) {
    const Integer n = 50 + 400 * trial;  // up to 2850 rows: several blocks
    const Integer p = 1 + trial % 4;
    TMatrix data(nullptr);
    data.Resize(p, n);
    for (Integer r = 1; r <= n; ++r) {
      for (Integer c = 1; c <= p; ++c) {
        // Every other set in real values, where a changed summation order would show.
        data.SetVal(c, r, trial % 2 == 0 ? next(4) : next(1u << 20) / 65536.0 - 8.0);
      }
    }
    TVector probe(nullptr);
    // A probe longer than the rows reads zeros for the missing columns; a shorter one uses
    // only its own elements.
    const Integer np = trial % 3 == 0 ? p + 1 : (trial % 3 == 1 ? p : std::max<Integer>(1, p - 1));
    probe.SetVecSize(np);
    for (Integer c = 1; c <= np; ++c) probe.SetVal(c, next(3));
    const Range ranges[] = {{1, n}, {n / 3, n / 2}, {-5, 7}, {n - 3, n + 40}, {9, 3}, {n, n}};
    for (const Integer k : {1, 10, 57, 100, 150, 0, -3}) {
      for (const Range rg : ranges) {
        SCOPED_TRACE("n " + std::to_string(n) + ", k " + std::to_string(k) + ", rows " +
                     std::to_string(rg.First) + ".." + std::to_string(rg.Last));
        ExpectSame(k, data, rg.First, rg.Last, probe, nullptr);
      }
    }
  }
}

TEST(FindNearestNeighborsEquivalence, UserDistancesWithNaNAndInfinity) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TMatrix data(nullptr);
  data.Resize(2, 300);
  TVector probe(nullptr);
  probe.SetVecSize(2);
  struct Case {
    const char* Name;
    std::vector<double> Table;
  };
  const Case cases[] = {
      {"ties", {3, 1, 2, 1, 3, 2, 1}},
      {"NaN among ties", {2, nan, 1, 2, nan, 1, 0}},
      {"all NaN", {nan}},
      {"infinities and the largest double", {inf, uc_MaxReal, 5, inf, uc_MaxReal}},
      {"negative zero", {-0.0, 0.0, 1, -0.0}},
  };
  for (const Case& c : cases) {
    gTable = c.Table;
    for (const Integer k : {1, 4, 10, 100, 0}) {
      SCOPED_TRACE(std::string(c.Name) + ", k " + std::to_string(k));
      ExpectSame(k, data, 1, 300, probe, TableDistance);
      ExpectSame(k, data, -20, 6, probe, TableDistance);
    }
  }
}

}  // namespace
}  // namespace nuv
