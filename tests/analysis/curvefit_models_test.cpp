// TCurveFit fits: closed-form cases, exact failure messages, and the least-squares fits
// against NumPy/SciPy (tests/reference/curvefit_reference.py).
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

using Pairs = std::vector<std::pair<double, double>>;

void Enter(TCurveFit& c, const Pairs& p) {
  for (const auto& [x, y] : p) c.EnterStatValue(x, y);
}

// |a - b| <= abs + rel·|b|, NaN never matches.
::testing::AssertionResult Close(double a, double b, double rel, double abs) {
  if (std::fabs(a - b) <= abs + rel * std::fabs(b)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << a << " vs " << b;
}

TEST(CurveFitModels, LineAndParabolaClosedForms) {
  TCurveFit c(nullptr);
  Enter(c, {{1, 2}, {2, 4}, {3, 6}});
  double k = -1, d = -1, q = -1;
  c.CalcLinFit(k, d, q);
  EXPECT_TRUE(UlpNear(k, 2.0, 4));
  EXPECT_NEAR(d, 0.0, 1e-14);
  EXPECT_TRUE(UlpNear(q, 1.0, 4));

  // Equal y: no variation to explain, the quality is 1 by convention.
  c.Init();
  Enter(c, {{1, 5}, {2, 5}, {4, 5}});
  c.CalcLinFit(k, d, q);
  EXPECT_EQ(k, 0.0);
  EXPECT_EQ(d, 5.0);
  EXPECT_EQ(q, 1.0);

  c.Init();
  for (double x : {0.0, 1.0, 2.0, 3.0}) c.EnterStatValue(x, 1 + 2 * x + 3 * x * x);
  double k0 = 0, k1 = 0, k2 = 0;
  c.CalcParabolFit(k0, k1, k2, q);
  EXPECT_NEAR(k0, 1.0, 1e-12);
  EXPECT_NEAR(k1, 2.0, 1e-12);
  EXPECT_NEAR(k2, 3.0, 1e-12);
  EXPECT_TRUE(UlpNear(q, 1.0, 8));

  // All x equal: the parabola's system is singular and gives the mean of y only.
  c.Init();
  Enter(c, {{2, 1}, {2, 3}, {2, 8}});
  c.CalcParabolFit(k0, k1, k2, q);
  EXPECT_EQ(k1, 0.0);
  EXPECT_EQ(k2, 0.0);
  EXPECT_EQ(k0, 4.0);
}

TEST(CurveFitModels, FailuresRaiseExactMessagesAndZeroOutputs) {
  TCurveFit c(nullptr);
  c.EnterStatValue(1, 1);
  double a = 7, b = 7, q = 7, e = 7;
  NUV_EXPECT_THROW_MSG(c.CalcLinFit(a, b, q), ENUVMath2Error, "CalcLinFit: not enough data points");
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_EQ(q, 0.0);
  c.EnterStatValue(1, 2);
  a = b = q = e = 7;
  NUV_EXPECT_THROW_MSG(c.CalcParabolFit(a, b, q, e), ENUVMath2Error,
                       "CalcParabolFit: not enough data points");
  EXPECT_EQ(a + b + q + e, 0.0);
  a = b = q = 7;
  NUV_EXPECT_THROW_MSG(c.CalcCircleFit(a, b, q), ENUVMath2Error,
                       "CalcCircleFit: not enough data points");
  EXPECT_EQ(a + b + q, 0.0);
  c.EnterStatValue(1, 3);
  a = b = q = 7;
  NUV_EXPECT_THROW_MSG(c.CalcLinFit(a, b, q), ENUVMath2Error, "CalcLinFit: slope is infinite");
  EXPECT_EQ(a + b + q, 0.0);

  c.Init();
  Enter(c, {{1, 0}, {-1, 0}, {0, 1}, {0, -1}});
  c.CalcCircleFit(a, b, q);
  EXPECT_TRUE(UlpNear(a, 1.0, 4));
  EXPECT_EQ(b, 0.0);
  EXPECT_EQ(q, 0.0);
  c.Init();
  Enter(c, {{0, 0}, {1, 1}, {2, 2}});
  a = b = q = 7;
  NUV_EXPECT_THROW_MSG(c.CalcCircleFit(a, b, q), ENUVMath2Error,
                       "CalcCircleFit: radius is infinite");
  EXPECT_EQ(a + b + q, 0.0);
}

TEST(CurveFitModels, PolynomialOrderRulesAndDegreesOfFreedom) {
  TCurveFit c(nullptr);
  Enter(c, {{0, 1}, {1, 2}, {2, 5}});
  TDoubleArray k{kSentinel}, alpha{kSentinel, kSentinel};
  double q = kSentinel, shift = kSentinel;
  bool ns = true;
  // Order not below the count, or negative: false and nothing written.
  for (Integer m : {3, 4, -1}) {
    EXPECT_FALSE(c.CalcPolyFit(m, k, alpha, q, ns));
    EXPECT_FALSE(c.CalcCenteredPolyFit(m, k, alpha, shift, q, ns));
  }
  EXPECT_EQ(k, TDoubleArray{kSentinel});
  EXPECT_EQ(alpha, (TDoubleArray{kSentinel, kSentinel}));
  EXPECT_EQ(q, kSentinel);
  EXPECT_EQ(shift, kSentinel);
  EXPECT_TRUE(ns);

  // Order 2 through three points: an exact fit with no degrees of freedom left, so every
  // significance level is 0; the too-short kArray grows to three elements.
  ASSERT_TRUE(c.CalcPolyFit(2, k, alpha, q, ns));
  ASSERT_EQ(k.size(), 3u);
  EXPECT_NEAR(k[0], 1.0, 1e-12);
  EXPECT_NEAR(k[1], 0.0, 1e-12);
  EXPECT_NEAR(k[2], 1.0, 1e-12);
  EXPECT_EQ(alpha, TDoubleArray(3, 0.0));
  EXPECT_FALSE(ns);
  EXPECT_TRUE(UlpNear(q, 1.0, 8));

  // XShift 0 on entry becomes the mean of x (given shifts are in the reference table).
  shift = 0.0;
  ASSERT_TRUE(c.CalcCenteredPolyFit(2, k, shift, q, ns));
  EXPECT_EQ(shift, 1.0);
  EXPECT_NEAR(k[0], 2.0, 1e-12);  // (x - 1)² + 2(x - 1) + 2
  EXPECT_NEAR(k[1], 2.0, 1e-12);
  EXPECT_NEAR(k[2], 1.0, 1e-12);
}

TEST(CurveFitModels, PolynomialClearsAbortAndReportsRankDeficiency) {
  HookGuard guard;
  TCurveFit c(nullptr);
  Enter(c, {{2, 1}, {2, 3}, {2, 5}, {2, 7}});
  AbortMathProc = true;
  TDoubleArray k, alpha;
  double q = 0;
  bool ns = false;
  EXPECT_TRUE(c.CalcPolyFit(1, k, alpha, q, ns));
  EXPECT_FALSE(AbortMathProc.load());
  EXPECT_TRUE(ns);
  // Minimum-norm solution of c1·2 + c2 = mean(y) = 4.
  EXPECT_NEAR(2 * k[1] + k[0], 4.0, 1e-12);
}

std::vector<double> ReadNumbers(std::ifstream& in, std::size_t count) {
  std::vector<double> v(count);
  for (double& d : v) in >> d;
  return v;
}

TEST(CurveFitModels, FitsMatchNumPyReference) {
  std::ifstream in(ReferencePath("curvefit_reference.txt"));
  ASSERT_TRUE(in.is_open());
  std::map<std::string, Pairs> sets;
  std::string kind, name;
  int records = 0;
  while (in >> kind >> name) {
    SCOPED_TRACE(kind + " " + name);
    if (kind == "data") {
      std::size_t n = 0;
      in >> n;
      Pairs& p = sets[name];
      p.resize(n);
      for (auto& [x, y] : p) in >> x >> y;
      continue;
    }
    TCurveFit c(nullptr);
    Enter(c, sets.at(name));
    ++records;
    if (kind == "lin") {
      const auto v = ReadNumbers(in, 3);
      double k = 0, d = 0, q = 0;
      c.CalcLinFit(k, d, q);
      EXPECT_TRUE(Close(k, v[0], 1e-9, 1e-12));
      EXPECT_TRUE(Close(d, v[1], 1e-9, 1e-9));
      EXPECT_TRUE(Close(q, v[2], 1e-9, 1e-12));
    } else if (kind == "par") {
      const auto v = ReadNumbers(in, 4);
      double k0 = 0, k1 = 0, k2 = 0, q = 0;
      c.CalcParabolFit(k0, k1, k2, q);
      EXPECT_TRUE(Close(k0, v[0], 1e-9, 1e-12));
      EXPECT_TRUE(Close(k1, v[1], 1e-9, 1e-12));
      EXPECT_TRUE(Close(k2, v[2], 1e-9, 1e-12));
      EXPECT_TRUE(Close(q, v[3], 1e-9, 1e-12));
    } else if (kind == "poly" || kind == "cpoly") {
      Integer m = 0;
      in >> m;
      double shift = 0;
      if (kind == "cpoly") in >> shift;
      const auto q = ReadNumbers(in, 1);
      const auto k = ReadNumbers(in, static_cast<std::size_t>(m) + 1);
      const auto a = ReadNumbers(in, static_cast<std::size_t>(m) + 1);
      TDoubleArray kOut, aOut;
      double fq = 0;
      bool ns = true;
      const bool ok = kind == "poly" ? c.CalcPolyFit(m, kOut, aOut, fq, ns)
                                     : c.CalcCenteredPolyFit(m, kOut, aOut, shift, fq, ns);
      ASSERT_TRUE(ok);
      EXPECT_FALSE(ns);
      EXPECT_TRUE(Close(fq, q[0], 1e-9, 1e-12));
      for (std::size_t j = 0; j < k.size(); ++j) {
        EXPECT_TRUE(Close(kOut[j], k[j], 1e-7, 1e-10)) << "k" << j;
        EXPECT_TRUE(Close(aOut[j], a[j], 1e-6, 1e-12)) << "alpha" << j;
      }
    } else if (kind == "circle") {
      const auto v = ReadNumbers(in, 3);
      double r = 0, dx = 0, dy = 0;
      c.CalcCircleFit(r, dx, dy);
      EXPECT_TRUE(Close(r, v[0], 1e-9, 1e-12));
      EXPECT_TRUE(Close(dx, v[1], 1e-9, 1e-12));
      EXPECT_TRUE(Close(dy, v[2], 1e-9, 1e-12));
    } else {
      FAIL() << "unknown record " << kind;
    }
    ASSERT_FALSE(in.fail());
  }
  EXPECT_EQ(records, 11);
}

}  // namespace
}  // namespace nuv::test
