// Percentiles of the matrices and arrays on boxes full of equal values and NaN: each must give
// the value at rank Round(prob·n/100) (the last value for a rank of n) of the box sorted
// ascending with the NaNs behind the numbers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"

namespace nuv {
namespace {

constexpr double kProbs[] = {0, 0.3, 5, 12.5, 25, 33, 50, 59.9, 60, 75, 90, 99, 99.99, 100};

// Fixed congruential values: per mille Tied of them equal to TieValue, NaNs of them NaN, the
// others whole numbers from -15 to 25.
class TValues {
 public:
  TValues(unsigned Tied, unsigned NaNs, double TieValue, unsigned Seed)
      : FTied(Tied), FNaNs(NaNs), FTie(TieValue), FX(Seed) {}
  double Next() {
    const unsigned pick = Step() % 1000u;
    const unsigned v = Step();
    if (pick < FTied) return FTie;
    if (pick < FTied + FNaNs) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(v % 41u) - 15.0;
  }

 private:
  unsigned Step() {
    FX = FX * 1664525u + 1013904223u;
    return FX >> 8;
  }
  unsigned FTied, FNaNs;
  double FTie;
  unsigned FX;
};

// The value at the nearest rank of prob in the box values, sorted with the NaNs last; the sort
// and the rounding (half to even) are done here, not by the library.
double Reference(std::vector<double> Box, double Prob) {
  std::vector<double> s;
  for (const double v : Box) {
    if (!std::isnan(v)) s.push_back(v);
  }
  std::sort(s.begin(), s.end());
  s.resize(Box.size(), std::numeric_limits<double>::quiet_NaN());
  const double n = static_cast<double>(s.size());
  const double k = std::min(std::nearbyint(Prob * n / 100.0), n - 1);
  return s[static_cast<std::size_t>(k)];
}

void ExpectSame(double Got, double Want) {
  if (std::isnan(Want)) {
    EXPECT_TRUE(std::isnan(Got)) << Got;
  } else {
    EXPECT_EQ(Got, Want);
  }
}

struct TShare {
  unsigned Tied, NaNs;
  double TieValue;
};
constexpr TShare kShares[] = {{600, 0, 0.0},  {600, 100, 0.0}, {300, 0, 2.0},
                              {900, 0, -3.0}, {0, 200, 0.0},   {1000, 0, 4.0}};

TEST(BoxPercentile, MatrixEqualsTheFullSortOnTiesAndNaN) {
  for (const TShare sh : kShares) {
    SCOPED_TRACE(testing::Message() << "tied " << sh.Tied << ", NaN " << sh.NaNs);
    TValues gen(sh.Tied, sh.NaNs, sh.TieValue, 11u + sh.Tied);
    TMatrix m(nullptr);
    m.Resize(7, 301);
    for (Integer c = 1; c <= 7; ++c) {
      for (Integer r = 1; r <= 301; ++r) m.SetVal(c, r, gen.Next());
    }
    // The whole matrix, one column, and an inner box (columns 2..5, rows 10..250).
    std::vector<double> all, col, inner;
    for (Integer c = 1; c <= 7; ++c) {
      for (Integer r = 1; r <= 301; ++r) {
        all.push_back(m.GetVal(c, r));
        if (c == 3) col.push_back(m.GetVal(c, r));
        if (c >= 2 && c <= 5 && r >= 10 && r <= 250) inner.push_back(m.GetVal(c, r));
      }
    }
    for (const double p : kProbs) {
      SCOPED_TRACE(p);
      ExpectSame(m.Percentile(p, 0, 0, 0, 0), Reference(all, p));
      ExpectSame(m.Percentile(p, 3, 1, 3, 301), Reference(col, p));
      ExpectSame(m.Percentile(p, 5, 250, 2, 10), Reference(inner, p));
    }
  }
}

TEST(BoxPercentile, IntMatrixEqualsTheFullSortOnTies) {
  for (const TShare sh : kShares) {
    if (sh.NaNs > 0) continue;
    SCOPED_TRACE(sh.Tied);
    TValues gen(sh.Tied, 0, sh.TieValue, 23u + sh.Tied);
    TIntMatrix m(nullptr);
    m.Resize(5, 401);
    std::vector<double> all;
    for (Integer c = 1; c <= 5; ++c) {
      for (Integer r = 1; r <= 401; ++r) {
        // The 32-bit extremes take part too.
        Integer v = static_cast<Integer>(gen.Next());
        if (r % 97 == 0) v = std::numeric_limits<Integer>::min();
        if (r % 89 == 0) v = std::numeric_limits<Integer>::max();
        m.SetVal(c, r, v);
        all.push_back(v);
      }
    }
    for (const double p : kProbs) {
      SCOPED_TRACE(p);
      EXPECT_EQ(m.Percentile(p, 0, 0, 0, 0), Reference(all, p));
    }
  }
}

TEST(BoxPercentile, Mat3DEqualsTheFullSortOnTiesAndNaN) {
  for (const TShare sh : kShares) {
    SCOPED_TRACE(testing::Message() << "tied " << sh.Tied << ", NaN " << sh.NaNs);
    TValues gen(sh.Tied, sh.NaNs, sh.TieValue, 31u + sh.Tied);
    TMat3D a(nullptr);
    a.Resize(9, 8, 13);
    std::vector<double> all, inner;
    for (Integer x = 1; x <= 9; ++x) {
      for (Integer y = 1; y <= 8; ++y) {
        for (Integer z = 1; z <= 13; ++z) {
          const double v = gen.Next();
          a.SetVal(x, y, z, v);
          all.push_back(v);
          if (x >= 2 && x <= 7 && y >= 3 && z <= 11) inner.push_back(v);
        }
      }
    }
    for (const double p : kProbs) {
      SCOPED_TRACE(p);
      ExpectSame(a.Percentile(p, 0, 0, 0, 0, 0, 0), Reference(all, p));
      ExpectSame(a.Percentile(p, 7, 2, 3, 8, 11, 1), Reference(inner, p));
    }
  }
}

TEST(BoxPercentile, Mat4DEqualsTheFullSortWhateverTheGuessOfItsFifteenDraws) {
  // Shares of 900 per mille make the 15-cell guess hit almost always, 300 almost never;
  // 600 zeros with negatives below them is the case where a hit must not answer for the
  // cells below it.
  struct TCase {
    unsigned Tied, NaNs;
    double TieValue;
  };
  for (const TCase c :
       {TCase{900, 0, 5.0}, TCase{900, 50, -20.0}, TCase{600, 0, 0.0}, TCase{600, 100, 0.0},
        TCase{300, 0, 2.0}, TCase{0, 300, 0.0}, TCase{1000, 0, 1.5}}) {
    SCOPED_TRACE(testing::Message() << "tied " << c.Tied << ", NaN " << c.NaNs);
    TValues gen(c.Tied, c.NaNs, c.TieValue, 41u + c.Tied + c.NaNs);
    TMat4D a(nullptr);
    a.Resize(6, 5, 7, 8);
    std::vector<double> all;
    for (Integer x = 1; x <= 6; ++x) {
      for (Integer y = 1; y <= 5; ++y) {
        for (Integer z = 1; z <= 7; ++z) {
          for (Integer t = 1; t <= 8; ++t) {
            const double v = gen.Next();
            a.SetVal(x, y, z, t, v);
            all.push_back(v);
          }
        }
      }
    }
    for (int round = 0; round < 3; ++round) {  // different draws, the same answers
      SetRandSeed(100 + round);
      for (const double p : kProbs) {
        SCOPED_TRACE(testing::Message() << "prob " << p << ", round " << round);
        ExpectSame(a.Percentile(p, 0, 0, 0, 0, 0, 0, 0, 0), Reference(all, p));
      }
    }
  }
}

}  // namespace
}  // namespace nuv
