// The selection behind the container percentiles: values of a full sort with NaN last, a
// number of comparisons that stays linear on long runs of equal values, the nearest-rank rule
// and the size limit of the working copies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "nuv/scalar/detail/selection.hpp"

namespace nuv::detail {
namespace {

// Values from a fixed congruential sequence: a share Tied (in per mille) of them equal to 0,
// a share NaNs of NaN, the others from 97 distinct values, so that ties of every length occur.
std::vector<double> Mixed(std::size_t n, unsigned Tied, unsigned NaNs, unsigned seed) {
  std::vector<double> v(n);
  unsigned x = seed;
  for (double& d : v) {
    x = x * 1664525u + 1013904223u;
    const unsigned pick = (x >> 8) % 1000u;
    x = x * 1664525u + 1013904223u;
    if (pick < Tied) {
      d = 0.0;
    } else if (pick < Tied + NaNs) {
      d = std::numeric_limits<double>::quiet_NaN();
    } else {
      d = static_cast<double>((x >> 8) % 97u) - 48.5;
    }
  }
  return v;
}

// A full ascending sort with the NaNs moved behind the numbers, built without the selection's
// order: numbers sorted by operator<, then one NaN per NaN cell.
std::vector<double> SortedNaNLast(const std::vector<double>& v) {
  std::vector<double> s;
  for (const double d : v) {
    if (!std::isnan(d)) s.push_back(d);
  }
  std::sort(s.begin(), s.end());
  s.resize(v.size(), std::numeric_limits<double>::quiet_NaN());
  return s;
}

TEST(SelectRank, EqualsTheFullSortWithNaNLastForEveryTieShare) {
  struct Case {
    unsigned Tied, NaNs;
  };
  for (const Case c : {Case{0, 0}, Case{600, 0}, Case{950, 0}, Case{1000, 0}, Case{600, 100},
                       Case{300, 300}, Case{0, 1000}}) {
    SCOPED_TRACE(testing::Message() << "tied " << c.Tied << ", NaN " << c.NaNs);
    const auto base = Mixed(2001, c.Tied, c.NaNs, 17u + c.Tied + c.NaNs);
    const auto ref = SortedNaNLast(base);
    for (std::size_t k = 0; k < base.size(); k += 37) {
      SCOPED_TRACE(k);
      auto v = base;
      const double got = SelectRank(std::span<double>(v), k);
      if (std::isnan(ref[k])) {
        EXPECT_TRUE(std::isnan(got));
      } else {
        EXPECT_EQ(got, ref[k]);
      }
      // A reordering of the copy, nothing lost or invented.
      const auto again = SortedNaNLast(v);
      EXPECT_TRUE(std::equal(again.begin(), again.end(), ref.begin(), [](double a, double b) {
        return a == b || (std::isnan(a) && std::isnan(b));
      }));
    }
    auto last = base;
    const double top = SelectRank(std::span<double>(last), base.size() - 1);
    EXPECT_EQ(std::isnan(top), std::isnan(ref.back()));
  }
}

TEST(SelectRank, IntegersIncludingTheExtremes) {
  std::vector<Integer> base;
  unsigned x = 5u;
  for (int i = 0; i < 1500; ++i) {
    x = x * 1664525u + 1013904223u;
    const unsigned pick = (x >> 8) % 10u;
    base.push_back(pick < 4   ? 7
                   : pick < 5 ? std::numeric_limits<Integer>::min()
                   : pick < 6 ? std::numeric_limits<Integer>::max()
                              : static_cast<Integer>((x >> 12) % 200u) - 100);
  }
  auto ref = base;
  std::sort(ref.begin(), ref.end());
  for (std::size_t k = 0; k < base.size(); k += 29) {
    SCOPED_TRACE(k);
    auto v = base;
    EXPECT_EQ(SelectRank(std::span<Integer>(v), k), ref[k]);
  }
}

TEST(SelectRank, ComparisonsStayLinearOnLongRunsOfEqualValues) {
  // A selection that removes one element per partition inside a run of equal values needs
  // about n²/8 comparisons here; a tie-safe one needs a small multiple of n.
  constexpr std::size_t kN = 100000;
  for (const unsigned tied : {600u, 1000u}) {
    SCOPED_TRACE(tied);
    auto v = Mixed(kN, tied, 0, 3u);
    std::uint64_t comparisons = 0;
    auto counting = [&comparisons](double a, double b) {
      ++comparisons;
      return TNaNLastLess<double>{}(a, b);
    };
    EXPECT_EQ(SelectRank(std::span<double>(v), kN / 4, counting), 0.0);
    EXPECT_LT(comparisons, std::uint64_t{10} * kN);
  }
}

TEST(NearestRank, RoundsHalvesToEvenAndKeepsTheLastValue) {
  struct Case {
    double Prob;
    Int64 N, Rank;
  };
  constexpr Int64 kBig = Int64{46341} * 46341;  // 2147488281 cells, beyond 32 bits
  for (const Case c :
       {Case{50, 4, 2}, Case{50, 5, 2}, Case{62.5, 4, 2}, Case{37.5, 4, 2}, Case{12, 4, 0},
        Case{24, 4, 1}, Case{0, 9, 0}, Case{100, 4, 3}, Case{99.9, 4, 3}, Case{100, 1, 0},
        Case{100, kBig, kBig - 1}, Case{25, kBig, 536872070}, Case{50, kBig, 1073744140}}) {
    SCOPED_TRACE(testing::Message() << c.Prob << " of " << c.N);
    EXPECT_EQ(NearestRank(c.Prob, c.N), c.Rank);
  }
}

TEST(WorkingCopy, CountsInSixtyFourBitsAndRefusesBeyondTheIndexLimit) {
  struct Case {
    Int64 A, B, C;
    Int64 Count;
    bool Fits;
  };
  constexpr Int64 kMax = std::numeric_limits<Int64>::max();
  for (const Case c :
       {Case{46341, 46341, 1, 2147488281, false}, Case{46340, 46340, 1, 2147395600, true},
        Case{2147483647, 1, 1, 2147483647, true}, Case{2147483647, 2, 1, 4294967294, false},
        Case{Int64{1} << 31, Int64{1} << 31, Int64{1} << 31, kMax, false}, Case{5, 0, 7, 0, true},
        Case{-3, 4, 1, 0, true}}) {
    SCOPED_TRACE(testing::Message() << c.A << " x " << c.B << " x " << c.C);
    const Int64 n = BoxCount({c.A, c.B, c.C});
    EXPECT_EQ(n, c.Count);
    EXPECT_EQ(WorkingCopyFits(n), c.Fits);
  }
  EXPECT_FALSE(WorkingCopyFits(-1));
}

}  // namespace
}  // namespace nuv::detail
