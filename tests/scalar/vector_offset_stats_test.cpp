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

// Every variance and correlation must meet this, whatever the offset.
constexpr double kTol = 1e-9;
constexpr int kN = 40;

// Small integers with an uneven spread, and a second series loosely tied to the first.
std::int64_t K(int i) {
  return (i * i) % 17;
}
std::int64_t J(int i) {
  return (3 * i) % 11 + K(i) / 2;
}

// n * sum(f g) - sum f * sum g over 1..n, exact in 64-bit integers.
double CoSum(const std::function<std::int64_t(int)>& f, const std::function<std::int64_t(int)>& g) {
  std::int64_t sf = 0, sg = 0, sfg = 0;
  for (int i = 1; i <= kN; ++i) {
    sf += f(i);
    sg += g(i);
    sfg += f(i) * g(i);
  }
  return static_cast<double>(kN * sfg - sf * sg);
}

const double kExactVar = CoSum(K, K) / (kN * (kN - 1.0));
const double kExactCorr = CoSum(K, J) / std::sqrt(CoSum(K, K) * CoSum(J, J));

template <class V, class T>
std::unique_ptr<V> Series(T offset, const std::function<std::int64_t(int)>& f) {
  auto v = std::make_unique<V>(nullptr);
  v->Resize(kN);
  for (int i = 1; i <= kN; ++i) v->SetVal(i, static_cast<T>(offset + static_cast<T>(f(i))));
  return v;
}

TEST(VectorOffsetStats, VariancesAndCorrelationsKeepTheSpread) {
  ASSERT_GT(kExactVar, 10.0);
  ASSERT_GT(std::fabs(kExactCorr), 0.1);
  for (double offset : {0.0, 1e6, 1e8, 1.7e9, 4.5e15}) {
    SCOPED_TRACE(offset);
    auto x = Series<TVector>(offset, K);
    double mean = 0, var = 0;
    x->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(var, kExactVar, kTol)) << var;
    // The y series sits at another offset: r does not see it.
    auto y = Series<TVector>(offset / 2 + 3, J);
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y.get()), kExactCorr, kTol));
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
    EXPECT_TRUE(RelNear(sd, std::sqrt(kExactVar), kTol)) << sd;
  }
}

TEST(VectorOffsetStats, IntegerVectorsUpToTheTopOfTheRange) {
  for (Integer offset : {0, 1000000, 100000000, 2000000000, 2147483630}) {
    SCOPED_TRACE(offset);
    auto x = Series<TIntVector>(offset, K);
    double mean = 0, var = 0;
    x->MeanVar(0, 0, mean, var);
    EXPECT_TRUE(RelNear(var, kExactVar, kTol)) << var;
    double sum = 0;
    for (int i = 1; i <= kN; ++i) sum += static_cast<double>(K(i));
    EXPECT_TRUE(RelNear(mean, offset + sum / kN, 1e-15)) << mean;
    auto y = Series<TIntVector>(offset / 3, J);
    EXPECT_TRUE(RelNear(x->PearsonCorrCoeff(y.get()), kExactCorr, kTol));
    EXPECT_EQ(x->PearsonCorrCoeff(x.get()), 1.0);
    x->MeanVar(3, 3, mean, var);
    EXPECT_EQ(var, 1.0);
    EXPECT_EQ(mean, static_cast<double>(offset + K(3)));
  }
}

}  // namespace
}  // namespace nuv
