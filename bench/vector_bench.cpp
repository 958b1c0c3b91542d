// TVector on 10^6 elements: filling through the element writer, reading it back, checksum.
#include <benchmark/benchmark.h>

#include "nuv/scalar/TVector.hpp"

namespace {

constexpr int kN = 1'000'000;

void BM_TVectorSetVal(benchmark::State& state) {
  nuv::TVector v(nullptr);
  v.SetVecSize(kN);
  for (auto _ : state) {
    for (int i = 1; i <= kN; ++i) v.SetVal(i, i * 0.5);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVectorSetVal);

void BM_TVectorGetVal(benchmark::State& state) {
  nuv::TVector v(nullptr);
  v.SetVecSize(kN);
  for (int i = 1; i <= kN; ++i) v.SetVal(i, i * 0.5);
  for (auto _ : state) {
    double s = 0.0;
    for (int i = 1; i <= kN; ++i) s += v.GetVal(i);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVectorGetVal);

void BM_TVectorCRCofData(benchmark::State& state) {
  nuv::TVector v(nullptr);
  v.SetVecSize(kN);
  for (int i = 1; i <= kN; ++i) v.SetVal(i, i * 0.5);
  for (auto _ : state) benchmark::DoNotOptimize(v.CRCofData());
  state.SetBytesProcessed(state.iterations() * kN * static_cast<int64_t>(sizeof(double)));
}
BENCHMARK(BM_TVectorCRCofData);

}  // namespace
