// The incomplete gamma and beta functions over parameters from 1 to 1e15, at the centre of
// their bell (x = a, and I_1/2(a, a)), where series and fractions would need of the order of
// sqrt(a) terms: every call should cost about the same.
#include <benchmark/benchmark.h>

#include <cmath>

#include "nuv/analysis/NUV_statis.hpp"

namespace {

void BM_IncompleteGamma(benchmark::State& state) {
  const double a = std::pow(10.0, static_cast<double>(state.range(0)));
  const double x = a + std::sqrt(a);
  for (auto _ : state) benchmark::DoNotOptimize(nuv::IncompleteGamma(x, a));
  state.SetLabel("a = 1e" + std::to_string(state.range(0)));
}
BENCHMARK(BM_IncompleteGamma)->DenseRange(0, 15, 1);

void BM_IncompleteBeta(benchmark::State& state) {
  const double a = std::pow(10.0, static_cast<double>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(nuv::IncompleteBeta(0.5, a, a));
  state.SetLabel("a = b = 1e" + std::to_string(state.range(0)));
}
BENCHMARK(BM_IncompleteBeta)->DenseRange(0, 15, 1);

}  // namespace
