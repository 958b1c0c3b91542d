// TCurveFit store: capacity, running sums against sums formed directly from the pairs,
// error record, removal, FlipXY, Init and the statistics from the sums.
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/support.hpp"

namespace nuv::detail {

// Reads the private state that no property shows.
struct TCurveFitAccess {
  static TCurveFitErrors Errors(const TCurveFit& c) { return c.FErrIndic; }
  static Integer Capacity(const TCurveFit& c) { return c.FData->NrOfRows(); }
  static double Cell(const TCurveFit& c, Integer col, Integer row) {
    return c.FData->GetVal(col, row);
  }
  static void SetFlags(TCurveFit& c, bool v) {
    c.FSplineValid = v;
    c.FPenSplineValid = v;
    c.FKendallValid = v;
  }
  static std::array<bool, 3> Flags(const TCurveFit& c) {
    return {c.FSplineValid, c.FPenSplineValid, c.FKendallValid};
  }
  // The 33 sums in declaration order.
  static std::vector<long double> Sums(const TCurveFit& c) {
    std::vector<Extended> s = {
        c.sumx,      c.sumy,     c.sumxq,   c.sumyq,    c.sumDiff, c.SumDiffq,  c.sumxy,
        c.sumx2y,    c.sumxy2,   c.sumx3,   c.sumy3,    c.sumx4,   c.sumy4,     c.sum1byy,
        c.sum1byxy,  c.sum1byyq, c.sumxbyy, c.sumybyx,  c.sum1byx, c.sum1byxq,  c.sumlnx,
        c.sumlnxlny, c.sumlnxq,  c.sumylny, c.sumylnx,  c.sumxlnx, c.sumlnxbyy, c.sumlnybyx,
        c.sumlny,    c.sumlnyq,  c.sumxlny, c.sumxqlny, c.sumyqlnx};
    return {s.begin(), s.end()};
  }
};

}  // namespace nuv::detail

namespace nuv {
namespace {

using Access = detail::TCurveFitAccess;

constexpr TCurveFitErrors Set(std::initializer_list<TCurveFitError> es) {
  TCurveFitErrors s = 0;
  for (auto e : es) s = static_cast<TCurveFitErrors>(s | (1u << e));
  return s;
}

struct TPair {
  double x, y;
};

// The 33 terms of one pair with positive, non-small x and y, in the accessor's order.
std::vector<long double> Terms(long double x, long double y) {
  const long double lx = std::log(x), ly = std::log(y), d = x - y;
  return {x,
          y,
          x * x,
          y * y,
          d,
          d * d,
          x * y,
          x * x * y,
          x * y * y,
          x * x * x,
          y * y * y,
          x * x * x * x,
          y * y * y * y,
          1 / y,
          1 / (x * y),
          1 / (y * y),
          x / y,
          y / x,
          1 / x,
          1 / (x * x),
          lx,
          lx * ly,
          lx * lx,
          y * ly,
          y * lx,
          x * lx,
          lx / y,
          ly / x,
          ly,
          ly * ly,
          x * ly,
          x * x * ly,
          y * y * lx};
}

// Each sum against the pairs' terms summed directly, to 1e-12 of the sum of magnitudes.
void ExpectSums(const TCurveFit& c, const std::vector<TPair>& pairs) {
  std::vector<long double> want(33, 0.0L), mag(33, 0.0L);
  for (const auto& p : pairs) {
    const auto t = Terms(p.x, p.y);
    for (std::size_t k = 0; k < 33; ++k) {
      want[k] += t[k];
      mag[k] += std::fabs(t[k]);
    }
  }
  const auto got = Access::Sums(c);
  for (std::size_t k = 0; k < 33; ++k) {
    SCOPED_TRACE(k);
    EXPECT_LE(std::fabs(got[k] - want[k]), 1e-12L * mag[k] + 1e-300L);
  }
}

struct TTwoPass {
  double MeanX, MeanY, MeanDiff, SdX, SdY, SdDiff, r;
};

TTwoPass TwoPass(const std::vector<TPair>& p) {
  const auto n = static_cast<long double>(p.size());
  long double mx = 0, my = 0;
  for (auto q : p) {
    mx += q.x;
    my += q.y;
  }
  mx /= n;
  my /= n;
  const long double md = mx - my;
  long double sxx = 0, syy = 0, sxy = 0, sdd = 0;
  for (auto q : p) {
    const long double dx = q.x - mx, dy = q.y - my, dd = (q.x - q.y) - md;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
    sdd += dd * dd;
  }
  return {static_cast<double>(mx),
          static_cast<double>(my),
          static_cast<double>(md),
          static_cast<double>(std::sqrt(sxx / (n - 1))),
          static_cast<double>(std::sqrt(syy / (n - 1))),
          static_cast<double>(std::sqrt(sdd / (n - 1))),
          static_cast<double>(sxy / std::sqrt(sxx * syy))};
}

std::vector<TPair> PositivePairs(std::size_t n, std::uint32_t s) {
  std::vector<TPair> p(n);
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0;
  };
  for (auto& q : p) {
    q.x = 0.5 + 3.0 * next();
    q.y = 0.2 + q.x * 0.7 + next();
  }
  return p;
}

void Enter(TCurveFit& c, const std::vector<TPair>& p) {
  for (auto q : p) c.EnterStatValue(q.x, q.y);
}

// Statistics from the sums against the two-pass values: a relative 1e-12 (the sums lose a few
// digits to cancellation in S2 - S1^2/n for data of this spread).
void ExpectStatistics(const TCurveFit& c, const std::vector<TPair>& p) {
  const auto t = TwoPass(p);
  constexpr double tol = 1e-11;
  EXPECT_TRUE(test::RelNear(c.MeanX(), t.MeanX, 1e-14));
  EXPECT_TRUE(test::RelNear(c.MeanY(), t.MeanY, 1e-14));
  EXPECT_NEAR(c.MeanDiff(), t.MeanDiff, 1e-14 * (std::fabs(t.MeanX) + std::fabs(t.MeanY)));
  EXPECT_TRUE(test::RelNear(c.StdDevX(), t.SdX, tol));
  EXPECT_TRUE(test::RelNear(c.StdDevY(), t.SdY, tol));
  EXPECT_TRUE(test::RelNear(c.StdDevDiff(), t.SdDiff, tol));
  EXPECT_TRUE(test::RelNear(c.CorrCoeff(), t.r, tol));
  Integer n = -1;
  double mx, my, sx, sy, md, sd, r;
  c.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, static_cast<Integer>(p.size()));
  EXPECT_EQ(mx, c.MeanX());
  EXPECT_EQ(my, c.MeanY());
  EXPECT_EQ(md, c.MeanDiff());
  EXPECT_EQ(sx, c.StdDevX());
  EXPECT_EQ(sy, c.StdDevY());
  EXPECT_EQ(sd, c.StdDevDiff());
  EXPECT_EQ(r, c.CorrCoeff());
}

TEST(TCurveFitStore, CreatedEmpty) {
  TCurveFit c(nullptr);
  EXPECT_EQ(c.NumData(), 0);
  EXPECT_EQ(c.MinX(), uc_MaxDouble);
  EXPECT_EQ(c.MinY(), uc_MaxDouble);
  EXPECT_EQ(c.MaxX(), -uc_MaxDouble);
  EXPECT_EQ(c.MaxY(), -uc_MaxDouble);
  EXPECT_EQ(c.MinX(), 1.7976931348623157e308);
  EXPECT_EQ(c.DataX(1), 0.0);
  EXPECT_EQ(c.DataY(0), 0.0);
  EXPECT_EQ(Access::Capacity(c), 1000);
  EXPECT_EQ(Access::Errors(c), 0);
  EXPECT_TRUE(c.SplineNatural1());
  EXPECT_TRUE(c.SplineNaturalN());
  EXPECT_EQ(c.SplineDerivY1(), 0.0);
  EXPECT_EQ(c.SplineDerivYN(), 0.0);
  EXPECT_EQ(c.SplineSmoothingFactor(), 0.5);
  EXPECT_EQ(c.MeanX(), 0.0);
  EXPECT_EQ(c.StdDevX(), 0.0);
  EXPECT_EQ(c.CorrCoeff(), 0.0);
  for (long double s : Access::Sums(c)) EXPECT_EQ(s, 0.0L);
}

TEST(TCurveFitStore, GrowsByThousandRows) {
  TCurveFit c(nullptr);
  for (Integer i = 1; i <= 1000; ++i) EXPECT_EQ(c.EnterStatValue(i, -i), i);
  EXPECT_EQ(Access::Capacity(c), 1000);
  EXPECT_EQ(c.EnterStatValue(1001.5, 7.0), 1001);
  EXPECT_EQ(Access::Capacity(c), 2000);
  EXPECT_EQ(c.DataX(1001), 1001.5);
  EXPECT_EQ(c.DataY(1001), 7.0);
  EXPECT_EQ(c.DataX(1000), 1000.0);
  EXPECT_EQ(c.DataY(1000), -1000.0);
  EXPECT_EQ(c.DataX(1002), 0.0);
  for (Integer i = 1002; i <= 2001; ++i) c.EnterStatValue(i, i);
  EXPECT_EQ(Access::Capacity(c), 3000);
  EXPECT_EQ(c.MinX(), 1.0);
  EXPECT_EQ(c.MaxX(), 2001.0);
  EXPECT_EQ(c.MinY(), -1000.0);
  EXPECT_EQ(c.MaxY(), 2001.0);
}

TEST(TCurveFitSums, MatchDirectSumsAndTwoPassStatistics) {
  TCurveFit c(nullptr);
  const auto p = PositivePairs(200, 42u);
  Enter(c, p);
  EXPECT_EQ(Access::Errors(c), 0);
  ExpectSums(c, p);
  ExpectStatistics(c, p);
}

TEST(TCurveFitSums, ErrorRecordAndSubstitutes) {
  {
    TCurveFit c(nullptr);
    c.EnterStatValue(0.0, 5.0);
    EXPECT_EQ(Access::Errors(c), Set({cfeXEQ0, cfeXLE0}));
    const auto s = Access::Sums(c);
    EXPECT_EQ(s[14], static_cast<long double>(static_cast<Extended>(uc_MaxReal) / 5));  // sum1byxy
    EXPECT_EQ(s[18], static_cast<long double>(static_cast<Extended>(uc_MaxReal)));      // sum1byx
    EXPECT_EQ(s[20], 0.0L);                                                             // sumlnx
  }
  {
    TCurveFit c(nullptr);
    c.EnterStatValue(2.0, 0.0);
    EXPECT_EQ(Access::Errors(c), Set({cfeYEQ0, cfeYLE0}));
    const auto s = Access::Sums(c);
    EXPECT_EQ(s[13], static_cast<long double>(static_cast<Extended>(uc_MaxReal)));  // sum1byy
    EXPECT_EQ(s[28], 0.0L);                                                         // sumlny
  }
  {
    TCurveFit c(nullptr);
    c.EnterStatValue(1e-31, 1.0);  // zero for the reciprocals, positive for the logarithm
    EXPECT_EQ(Access::Errors(c), Set({cfeXEQ0}));
    const auto s = Access::Sums(c);
    EXPECT_TRUE(test::RelNear(static_cast<double>(s[20]), std::log(1e-31), 1e-15));  // sumlnx
    EXPECT_EQ(s[18], static_cast<long double>(static_cast<Extended>(uc_MaxReal)));
  }
  {
    TCurveFit c(nullptr);
    c.EnterStatValue(-1.0, -2.0);
    EXPECT_EQ(Access::Errors(c), Set({cfeXLE0, cfeYLE0}));
  }
}

TEST(TCurveFitSums, SubstitutesLeaveStatisticsFinite) {
  auto p = PositivePairs(20, 9u);
  p[3] = {0.0, 5.0};
  p[11] = {2.0, 0.0};
  TCurveFit c(nullptr);
  Enter(c, p);
  EXPECT_EQ(Access::Errors(c), Set({cfeXEQ0, cfeXLE0, cfeYEQ0, cfeYLE0}));
  ExpectStatistics(c, p);
  // Taking the pairs out again keeps the error record and leaves the power sums right.
  c.RemoveStatValue(12);
  c.RemoveStatValue(4);
  p.erase(p.begin() + 11);
  p.erase(p.begin() + 3);
  EXPECT_EQ(Access::Errors(c), Set({cfeXEQ0, cfeXLE0, cfeYEQ0, cfeYLE0}));
  ExpectStatistics(c, p);
}

TEST(TCurveFitRemove, LaterPairsMoveUp) {
  TCurveFit c(nullptr);
  auto p = PositivePairs(300, 77u);
  Enter(c, p);
  c.RemoveStatValue(10);
  p.erase(p.begin() + 9);
  ASSERT_EQ(c.NumData(), 299);
  for (Integer i = 1; i <= 299; ++i) {
    ASSERT_EQ(c.DataX(i), p[static_cast<std::size_t>(i - 1)].x);
    ASSERT_EQ(c.DataY(i), p[static_cast<std::size_t>(i - 1)].y);
  }
  EXPECT_EQ(c.DataX(300), 0.0);
  EXPECT_EQ(Access::Cell(c, 1, 300), 0.0);  // the vacated row is cleared
  EXPECT_EQ(Access::Cell(c, 2, 300), 0.0);
  ExpectSums(c, p);
  ExpectStatistics(c, p);
  // Last and first pairs.
  c.RemoveStatValue(299);
  c.RemoveStatValue(1);
  p.pop_back();
  p.erase(p.begin());
  EXPECT_EQ(c.NumData(), 297);
  EXPECT_EQ(c.DataX(1), p[0].x);
  ExpectSums(c, p);
}

TEST(TCurveFitRemove, OutOfRangeOnlyMarksCachesStale) {
  TCurveFit c(nullptr);
  const auto p = PositivePairs(5, 1u);
  Enter(c, p);
  const auto before = Access::Sums(c);
  for (Integer ix :
       {0, -1, 6, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()}) {
    Access::SetFlags(c, true);
    c.RemoveStatValue(ix);
    EXPECT_EQ(Access::Flags(c), (std::array<bool, 3>{false, false, false}));
  }
  EXPECT_EQ(c.NumData(), 5);
  EXPECT_EQ(Access::Sums(c), before);
  EXPECT_EQ(c.DataX(5), p[4].x);
}

TEST(TCurveFitRemove, BoundsStay) {
  TCurveFit c(nullptr);
  c.EnterStatValue(1.0, 1.0);
  c.EnterStatValue(9.0, 9.0);
  c.RemoveStatValue(2);
  EXPECT_EQ(c.MaxX(), 9.0);
  EXPECT_EQ(c.MaxY(), 9.0);
  c.RemoveStatValue(1);
  EXPECT_EQ(c.NumData(), 0);
  EXPECT_EQ(c.MinX(), 1.0);
  EXPECT_EQ(c.MeanX(), 0.0);
}

TEST(TCurveFitFlip, ExchangesRolesAndTwiceRestores) {
  TCurveFit c(nullptr);
  auto p = PositivePairs(50, 5u);
  Enter(c, p);
  c.EnterStatValue(0.0, 3.0);  // substitutes take part in the exchange too
  p.push_back({0.0, 3.0});
  const auto sums = Access::Sums(c);
  const double minX = c.MinX(), maxX = c.MaxX(), minY = c.MinY(), maxY = c.MaxY();
  const double meanX = c.MeanX(), meanY = c.MeanY(), meanDiff = c.MeanDiff();

  c.FlipXY();
  EXPECT_EQ(c.MinX(), minY);
  EXPECT_EQ(c.MaxX(), maxY);
  EXPECT_EQ(c.MinY(), minX);
  EXPECT_EQ(c.MaxY(), maxX);
  EXPECT_EQ(c.MeanX(), meanY);
  EXPECT_EQ(c.MeanY(), meanX);
  EXPECT_EQ(c.MeanDiff(), -meanDiff);
  EXPECT_EQ(c.DataX(51), 3.0);
  EXPECT_EQ(c.DataY(51), 0.0);
  std::vector<TPair> flipped;
  for (auto q : p) flipped.push_back({q.y, q.x});
  ExpectStatistics(c, flipped);
  EXPECT_EQ(Access::Errors(c), Set({cfeXEQ0, cfeXLE0}));  // not changed by the exchange

  c.FlipXY();
  EXPECT_EQ(Access::Sums(c), sums);
  EXPECT_EQ(c.MinX(), minX);
  EXPECT_EQ(c.MaxY(), maxY);
  for (Integer i = 1; i <= 51; ++i) {
    EXPECT_EQ(c.DataX(i), p[static_cast<std::size_t>(i - 1)].x);
    EXPECT_EQ(c.DataY(i), p[static_cast<std::size_t>(i - 1)].y);
  }
}

TEST(TCurveFitStatistics, FewPairs) {
  TCurveFit c(nullptr);
  c.EnterStatValue(1.0, 2.0);
  c.EnterStatValue(3.0, 7.0);
  EXPECT_EQ(c.StdDevX(), 0.0);
  EXPECT_EQ(c.StdDevDiff(), 0.0);
  EXPECT_EQ(c.CorrCoeff(), 0.0);
  Integer n = -1;
  double mx = 9, my = 9, sx = 9, sy = 9, md = 9, sd = 9, r = 9;
  c.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(mx, 2.0);
  EXPECT_EQ(my, 4.5);
  EXPECT_EQ(md, -2.5);
  EXPECT_EQ(sx, 0.0);
  EXPECT_EQ(sy, 0.0);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(r, 0.0);
  TCurveFit e(nullptr);
  e.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mx, 0.0);
  EXPECT_EQ(md, 0.0);
}

TEST(TCurveFitStatistics, CorrelationNeedsVariation) {
  TCurveFit c(nullptr);
  for (double y : {1.0, 4.0, 2.0}) c.EnterStatValue(2.0, y);  // Sxx = 0
  EXPECT_EQ(c.CorrCoeff(), 0.0);
  EXPECT_GT(c.StdDevY(), 0.0);
  TCurveFit z(nullptr);
  for (double y : {1.0, 4.0, 2.0}) z.EnterStatValue(0.0, y);  // sumxq = 0
  EXPECT_EQ(z.CorrCoeff(), 0.0);
  TCurveFit line(nullptr);
  for (double x : {1.0, 2.0, 3.0, 4.0}) line.EnterStatValue(x, 5.0 - 2.0 * x);
  EXPECT_NEAR(line.CorrCoeff(), -1.0, 1e-15);
}

TEST(TCurveFitInit, EmptiesStoreKeepsCapacityAndSettings) {
  TCurveFit c(nullptr);
  for (Integer i = 1; i <= 1500; ++i) c.EnterStatValue(i, 0.0);
  c.SetSplineNatural1(false);
  c.SetSplineDerivYN(2.5);
  c.SetSplineSmoothingFactor(0.9);
  Access::SetFlags(c, true);
  c.Init();
  EXPECT_EQ(c.NumData(), 0);
  EXPECT_EQ(Access::Capacity(c), 2000);
  EXPECT_EQ(Access::Cell(c, 1, 1500), 0.0);
  EXPECT_EQ(Access::Cell(c, 1, 1), 0.0);
  EXPECT_EQ(Access::Errors(c), 0);
  EXPECT_EQ(c.MinX(), uc_MaxDouble);
  EXPECT_EQ(c.MaxY(), -uc_MaxDouble);
  for (long double s : Access::Sums(c)) EXPECT_EQ(s, 0.0L);
  EXPECT_EQ(Access::Flags(c), (std::array<bool, 3>{false, false, false}));
  EXPECT_FALSE(c.SplineNatural1());
  EXPECT_EQ(c.SplineDerivYN(), 2.5);
  EXPECT_EQ(c.SplineSmoothingFactor(), 0.9);
}

TEST(TCurveFitCaches, WritesMarkTheirCacheStale) {
  TCurveFit c(nullptr);
  using F = std::array<bool, 3>;  // spline, smoothed spline, pair counts
  Access::SetFlags(c, true);
  c.EnterStatValue(1.0, 2.0);
  EXPECT_EQ(Access::Flags(c), (F{false, false, false}));
  Access::SetFlags(c, true);
  c.SetSplineNatural1(false);
  EXPECT_EQ(Access::Flags(c), (F{false, true, true}));
  Access::SetFlags(c, true);
  c.SetSplineNaturalN(false);
  c.SetSplineDerivY1(1.0);
  c.SetSplineDerivYN(1.0);
  EXPECT_EQ(Access::Flags(c), (F{false, true, true}));
  Access::SetFlags(c, true);
  c.SetSplineSmoothingFactor(0.1);
  EXPECT_EQ(Access::Flags(c), (F{true, false, true}));
  Access::SetFlags(c, true);
  c.RemoveStatValue(1);
  EXPECT_EQ(Access::Flags(c), (F{false, false, false}));
  Access::SetFlags(c, true);
  c.FlipXY();
  EXPECT_EQ(Access::Flags(c), (F{true, true, true}));
}

}  // namespace
}  // namespace nuv
