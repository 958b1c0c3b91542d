// The comb sort and QuickSelect of the scalar unit against std::sort and std::nth_element on
// the same 10^6 doubles. The comb sort is the library's documented algorithm; the ratio tells
// what it costs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "nuv/platform/random.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace {

constexpr int kN = 1'000'000;

const std::vector<double>& Data() {
  static const std::vector<double> data = [] {
    nuv::SetRandSeed(42);
    std::vector<double> d(kN);
    for (double& x : d) x = nuv::Random();
    return d;
  }();
  return data;
}

void BM_SortArray(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> d = Data();
    state.ResumeTiming();
    nuv::SortArray(std::span<double>(d), true);
    benchmark::DoNotOptimize(d.data());
  }
}
BENCHMARK(BM_SortArray)->Unit(benchmark::kMillisecond);

void BM_StdSort(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> d = Data();
    state.ResumeTiming();
    std::sort(d.begin(), d.end());
    benchmark::DoNotOptimize(d.data());
  }
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);

void BM_QuickSelect(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> d = Data();
    state.ResumeTiming();
    benchmark::DoNotOptimize(nuv::QuickSelect(std::span<double>(d), kN / 2, 0, kN - 1));
  }
}
BENCHMARK(BM_QuickSelect)->Unit(benchmark::kMillisecond);

void BM_StdNthElement(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> d = Data();
    state.ResumeTiming();
    std::nth_element(d.begin(), d.begin() + kN / 2, d.end());
    benchmark::DoNotOptimize(d[kN / 2]);
  }
}
BENCHMARK(BM_StdNthElement)->Unit(benchmark::kMillisecond);

}  // namespace
