// Box statistics, counting, conversion and flipping against values computed by NumPy
// (tests/reference/openarrays_reference.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/openarrays/NUV_openarrays.hpp"
#include "tests/openarrays/array_builders.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

// numpy.std sums pairwise, we sum in a fixed sequential order.
constexpr double kStdTol = 1e-12;

struct RefCase {
  std::string kind;
  char elem = 'd';
  std::vector<std::size_t> dims;
  std::vector<double> params;
  std::vector<std::string> data;
  std::vector<std::string> expected;
  std::string line;
};

std::vector<RefCase> LoadCases() {
  std::ifstream in(ReferencePath("openarrays_reference.txt"));
  std::vector<RefCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    RefCase c;
    std::string elem;
    std::size_t rank = 0, n = 0;
    s >> c.kind >> elem >> rank;
    c.elem = elem[0];
    c.dims.resize(rank);
    for (auto& d : c.dims) s >> d;
    s >> n;
    c.params.resize(n);
    for (auto& p : c.params) {
      std::string t;
      s >> t;
      p = std::strtod(t.c_str(), nullptr);
    }
    s >> n;
    c.data.resize(n);
    for (auto& v : c.data) s >> v;
    s >> n;
    c.expected.resize(n);
    for (auto& v : c.expected) s >> v;
    c.line = line.substr(0, 40);
    if (s) cases.push_back(std::move(c));
  }
  return cases;
}

template <class T>
std::vector<T> Parse(const std::vector<std::string>& toks) {
  std::vector<T> out;
  for (const auto& t : toks) {
    if constexpr (std::is_same_v<T, double>) {
      out.push_back(std::strtod(t.c_str(), nullptr));
    } else {
      out.push_back(static_cast<T>(std::strtoll(t.c_str(), nullptr, 10)));
    }
  }
  return out;
}

template <class A, class F>
Integer CallStat(F f, const A& a, const std::vector<Integer>& b, double& out) {
  constexpr int R = detail::kRankOf<A>;
  if constexpr (R == 1) return f(a, b[0], b[1], out);
  if constexpr (R == 2) return f(a, b[0], b[1], b[2], b[3], out);
  if constexpr (R == 3) return f(a, b[0], b[1], b[2], b[3], b[4], b[5], out);
  if constexpr (R == 4) return f(a, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], out);
}

template <class A>
Integer CallCount(const A& a, const std::vector<Integer>& lh, detail::ElemOf<A> lo,
                  detail::ElemOf<A> hi) {
  // The table holds all lows, then all highs; CountValues takes a pair per dimension.
  constexpr int R = detail::kRankOf<A>;
  if constexpr (R == 1) return CountValues(a, lh[0], lh[1], lo, hi);
  if constexpr (R == 2) return CountValues(a, lh[0], lh[2], lh[1], lh[3], lo, hi);
  if constexpr (R == 3) return CountValues(a, lh[0], lh[3], lh[1], lh[4], lh[2], lh[5], lo, hi);
  if constexpr (R == 4) {
    return CountValues(a, lh[0], lh[4], lh[1], lh[5], lh[2], lh[6], lh[3], lh[7], lo, hi);
  }
}

template <class A>
void RunCase(const RefCase& c) {
  using T = detail::ElemOf<A>;
  const A a = FromFlat<A>(Parse<T>(c.data), c.dims);
  std::vector<Integer> ix;
  for (double p : c.params) ix.push_back(static_cast<Integer>(p));
  if (c.kind == "mean") {
    double mean = -1.0;
    ASSERT_EQ(CallStat([](auto&&... x) { return MeanArray(x...); }, a, ix, mean), 0);
    EXPECT_EQ(mean, Parse<double>(c.expected)[0]);
  } else if (c.kind == "std") {
    double sd = -1.0;
    ASSERT_EQ(CallStat([](auto&&... x) { return StdDevArray(x...); }, a, ix, sd), 0);
    const double want = Parse<double>(c.expected)[0];
    if (want == 0.0) {
      EXPECT_EQ(sd, 0.0);
    } else {
      EXPECT_TRUE(RelNear(sd, want, kStdTol));
    }
  } else if (c.kind == "count") {
    const std::size_t n = c.params.size();
    const std::vector<Integer> lh(ix.begin(), ix.end() - 2);
    EXPECT_EQ(CallCount(a, lh, static_cast<T>(c.params[n - 2]), static_cast<T>(c.params[n - 1])),
              Parse<Integer>(c.expected)[0]);
  } else if (c.kind == "flip") {
    A b = a;
    ASSERT_EQ(FlipDimArray(b, ix[0]), 0);
    EXPECT_EQ(Flatten(b), Parse<T>(c.expected));
  } else if (c.kind == "clone") {
    using IntA = std::conditional_t<
        detail::kRankOf<A> == 1, TIntArray,
        std::conditional_t<detail::kRankOf<A> == 2, TInt2DArray,
                           std::conditional_t<detail::kRankOf<A> == 3, TInt3DArray, TInt4DArray>>>;
    IntA out{{}};
    ASSERT_EQ(CloneArray(a, out), 0);
    EXPECT_EQ(Flatten(out), Parse<Integer>(c.expected));
  } else {
    ADD_FAILURE() << "unknown kind " << c.kind;
  }
}

TEST(OpenArraysReference, AgreesWithNumPy) {
  const auto cases = LoadCases();
  ASSERT_EQ(cases.size(), 120u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const bool dbl = c.elem == 'd';
    switch (c.dims.size()) {
      case 1:
        dbl ? RunCase<TDoubleArray>(c) : RunCase<TIntArray>(c);
        break;
      case 2:
        dbl ? RunCase<TDouble2DArray>(c) : RunCase<TInt2DArray>(c);
        break;
      case 3:
        dbl ? RunCase<TDouble3DArray>(c) : RunCase<TInt3DArray>(c);
        break;
      case 4:
        dbl ? RunCase<TDouble4DArray>(c) : RunCase<TInt4DArray>(c);
        break;
      default:
        ADD_FAILURE() << "bad rank";
    }
  }
}

}  // namespace
}  // namespace nuv::test
