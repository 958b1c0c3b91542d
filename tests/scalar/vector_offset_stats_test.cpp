// Variances and correlations of data far from zero: an offset plus small integers, checked
// against the exact values of the offset-free integers.
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RelNear;

// What the issue asks of every variance and correlation, whatever the offset.
constexpr double kTol = 1e-9;
constexpr int kN = 40;

// Small integers with an uneven spread, and a second series loosely tied to the first.
std::int64_t K(int i) {
  return (i * i) % 17;
}
std::int64_t J(int i) {
  return (3 * i) % 11 + K(i) / 2;
}

// Exact sample variance of K over 1..n as a rational, divided once.
double ExactVar(int n, const std::function<std::int64_t(int)>& f) {
  std::int64_t s = 0, q = 0;
  for (int i = 1; i <= n; ++i) {
    s += f(i);
    q += f(i) * f(i);
  }
  return static_cast<double>(n * q - s * s) / static_cast<double>(std::int64_t{n} * (n - 1));
}

double ExactCorr(int n) {
  std::int64_t sk = 0, sj = 0, kk = 0, jj = 0, kj = 0;
  for (int i = 1; i <= n; ++i) {
    sk += K(i);
    sj += J(i);
    kk += K(i) * K(i);
    jj += J(i) * J(i);
    kj += K(i) * J(i);
  }
  const double a = static_cast<double>(n * kk - sk * sk);
  const double b = static_cast<double>(n * jj - sj * sj);
  return static_cast<double>(n * kj - sk * sj) / std::sqrt(a * b);
}

template <class V, class T>
std::unique_ptr<V> Series(T offset, const std::function<std::int64_t(int)>& f, int n = kN) {
  auto v = std::make_unique<V>(nullptr);
  v->Resize(n);
  for (int i = 1; i <= n; ++i) v->SetVal(i, static_cast<T>(offset + static_cast<T>(f(i))));
  return v;
}

TEST(VectorOffsetStats, VariancesAndCorrelationsKeepTheSpread) {
  const double exactVar = ExactVar(kN, K);
  const double exactCorr = ExactCorr(kN);
  ASSERT_GT(exactVar, 10.0);
  ASSERT_GT(std::fabs(exactCorr), 0.1);
  for (double offset : {0.0, 1e6, 1e8, 1.7e9, 4.5e15}) {
    SCOPED_TRACE(offset);
    auto x = Series<TVector>(offset, K);
    double mean = 0, var = 0;
    x->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(var, exactVar, kTol)) << var;
    x->MeanVar(kN, 1, mean, var);  // reversed range: the same elements
    EXPECT_TRUE(RelNear(var, exactVar, kTol)) << var;
    // A sub-range: elements 5..30 only.
    x->MeanVar(5, 30, mean, var);
    EXPECT_TRUE(RelNear(var, ExactVar(26, [](int i) { return K(i + 4); }), kTol)) << var;

    // The y series sits at a different offset and scale: r does not see either.
    auto y = Series<TVector>(offset / 2 + 3, J);
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y.get()), exactCorr, kTol));
    EXPECT_EQ(x->PearsonCorrCoeff(x.get()), 1.0);
    auto c = Series<TVector>(offset, [](int) { return std::int64_t{7}; });
    EXPECT_EQ(x->PearsonCorrCoeff(c.get()), 0.0);
    c->MeanVar(0, 0, mean, var);
    EXPECT_EQ(var, 0.0);  // constant data: exactly 0, never negative
    // Two elements report a variance of 1 wherever they sit.
    x->MeanVar(1, 2, mean, var);
    EXPECT_EQ(var, 1.0);

    double m = 0, sd = 0;
    x->Standardize(m, sd);
    EXPECT_TRUE(RelNear(sd, std::sqrt(exactVar), kTol)) << sd;
    x->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(var, 1.0, kTol)) << var;
  }
}

TEST(VectorOffsetStats, IntegerVectorsUpToTheTopOfTheRange) {
  const double exactVar = ExactVar(kN, K);
  const double exactCorr = ExactCorr(kN);
  for (Integer offset : {0, 1000000, 100000000, 2000000000, 2147483630}) {
    SCOPED_TRACE(offset);
    auto x = Series<TIntVector>(offset, K);
    double mean = 0, var = 0;
    x->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(var, exactVar, kTol)) << var;
    double sum = 0;
    for (int i = 1; i <= kN; ++i) sum += static_cast<double>(K(i));
    EXPECT_TRUE(RelNear(mean, offset + sum / kN, 1e-15)) << mean;
    auto y = Series<TIntVector>(offset / 3, J);
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y.get()), exactCorr, kTol));
    EXPECT_EQ(x->PearsonCorrCoeff(x.get()), 1.0);
    x->MeanVar(3, 3, mean, var);
    EXPECT_EQ(var, 1.0);
    EXPECT_EQ(mean, static_cast<double>(offset + K(3)));
  }
}

}  // namespace
}  // namespace nuv
