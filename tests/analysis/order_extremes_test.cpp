// Order statistics of data holding NaN, infinities, values near the ends of the double range
// and many ties: one answer wherever a NaN sits, no overflow between finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TRandGen.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/NUV_math1.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::unique_ptr<TVector> Vec(const std::vector<double>& v) {
  auto r = std::make_unique<TVector>(nullptr);
  r->SetVecSize(static_cast<Integer>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i) r->SetVal(static_cast<Integer>(i + 1), v[i]);
  return r;
}

TEST(OrderExtremes, SortsPutNaNLastAndTheNumbersInOrder) {
  std::vector<double> a{3, kNaN, 1, 2, kNaN, 0, -1};
  SortArray(std::span<double>(a), true);
  const std::vector<double> want{-1, 0, 1, 2, 3};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(a[i], want[i]);
  EXPECT_TRUE(std::isnan(a[5]) && std::isnan(a[6]));
  SortArray(std::span<double>(a), false);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(a[i], want[4 - i]);
  EXPECT_TRUE(std::isnan(a[5]) && std::isnan(a[6]));
  auto v = Vec({3, kNaN, 1, 2, kNaN, 0, -1});
  v->SortElems(true, 0, 0);
  for (Integer i = 1; i <= 5; ++i) EXPECT_EQ(v->GetVal(i), want[static_cast<std::size_t>(i - 1)]);
}

TEST(OrderExtremes, OneAnswerWhereverTheNaNSits) {
  const std::vector<double> base{5, 1, 4, 2, 8, 7, 3, 6, 9};
  double median = 0, q1 = 0, q3 = 0;
  bool first = true;
  for (std::size_t at : {0u, 4u, 9u}) {
    SCOPED_TRACE(at);
    std::vector<double> d = base;
    d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), kNaN);
    auto v = Vec(d);
    double a = 0, b = 0, c = 0;
    v->Quartiles(0, 0, a, b, c);
    const double p = v->Percentile(50, 0, 0);
    if (first) {
      median = b;
      q1 = a;
      q3 = c;
      first = false;
    }
    EXPECT_EQ(b, median);
    EXPECT_EQ(a, q1);
    EXPECT_EQ(c, q3);
    EXPECT_EQ(p, v->Percentile(50, 0, 0));
    std::vector<double> arr = d;
    double r = 0;
    ASSERT_EQ(PercentileOfArray(std::span<double>(arr), 50, 0, 9, r), 0);
    EXPECT_EQ(r, 6.0);  // rank Round(5) of 1..9 and NaN last
  }
}

TEST(OrderExtremes, InterpolationAtInfinitiesAndNearOverflow) {
  double q1 = 0, q2 = 0, q3 = 0;
  Vec({1, 2, kInf})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q2, 2.0);
  EXPECT_EQ(Vec({1, kInf, kInf})->Percentile(0, 0, 0), 1.0);
  Vec({1e308, 1.5e308, 1.7e308, -1.7e308})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_TRUE(test::RelNear(q1, -1.025e308, 1e-15));
  EXPECT_TRUE(std::isfinite(q2) && std::isfinite(q3));
  TMatrix m(nullptr);
  m.Resize(1, 4);
  const double col[] = {1e308, 1.5e308, 1.7e308, -1.7e308};
  for (Integer r = 1; r <= 4; ++r) m.SetVal(1, r, col[r - 1]);
  m.Quartiles(1, 1, 1, 4, q1, q2, q3);
  EXPECT_TRUE(test::RelNear(q1, -1.025e308, 1e-15));
}

TEST(OrderExtremes, PercentileOfManyTiesIsLinear) {
  std::vector<double> v(1000000, 0.0);
  v[123456] = 5.0;
  double r = -1;
  ASSERT_EQ(PercentileOfArray(std::span<double>(v), 50, 0, 999999, r), 0);
  EXPECT_EQ(r, 0.0);
  ASSERT_EQ(PercentileOfArray(std::span<double>(v), 100, 0, 999999, r), 0);
  EXPECT_EQ(r, 5.0);
}

TEST(OrderExtremes, RandomDrawsAcrossTheWholeRange) {
  TRandGen g(nullptr);
  g.SetResolution(10);
  g.SetLowBorder(-1.7e308);
  g.SetHighBorder(1.7e308);
  for (Integer i = 1; i <= 10; ++i) g.SetProbability(i, 1.0);
  bool below = false, above = false;
  for (int k = 0; k < 200; ++k) {
    const double x = g.GetRandNum();
    ASSERT_TRUE(std::isfinite(x));
    ASSERT_GE(x, -1.7e308);
    ASSERT_LE(x, 1.7e308);
    below = below || x < 0;
    above = above || x > 0;
  }
  EXPECT_TRUE(below && above);
}

}  // namespace
}  // namespace nuv
