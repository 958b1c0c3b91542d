// TVector statistics, sort and stream on 10^6 elements against a plain std::vector loop,
// std::sort and fwrite/fread of the same data.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "nuv/platform/random.hpp"
#include "nuv/platform/stream.hpp"
#include "nuv/scalar/TVector.hpp"

namespace {

constexpr int kN = 1'000'000;

const std::vector<double>& Data() {
  static const std::vector<double> data = [] {
    nuv::SetRandSeed(7);
    std::vector<double> d(kN);
    for (double& x : d) x = nuv::Random() * 100.0;
    return d;
  }();
  return data;
}

void Fill(nuv::TVector& v) {
  v.SetVecSize(kN);
  for (int i = 1; i <= kN; ++i) v.SetVal(i, Data()[static_cast<std::size_t>(i - 1)]);
}

void BM_TVectorMeanVar(benchmark::State& state) {
  nuv::TVector v(nullptr);
  Fill(v);
  for (auto _ : state) {
    double m = 0, var = 0;
    v.MeanVar(1, kN, m, var);
    benchmark::DoNotOptimize(m + var);
  }
}
BENCHMARK(BM_TVectorMeanVar)->Unit(benchmark::kMicrosecond);

void BM_PlainMeanVar(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    double s = 0, ss = 0;
    for (double x : d) {
      s += x;
      ss += x * x;
    }
    const double m = s / kN;
    benchmark::DoNotOptimize(m + (ss - s * m) / (kN - 1));
  }
}
BENCHMARK(BM_PlainMeanVar)->Unit(benchmark::kMicrosecond);

// The plain two-pass loop: the mean, then the squared deviations from it.
void BM_PlainTwoPassMeanVar(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    double s = 0;
    for (double x : d) s += x;
    const double m = s / kN;
    double ss = 0;
    for (double x : d) ss += (x - m) * (x - m);
    benchmark::DoNotOptimize(m + ss / (kN - 1));
  }
}
BENCHMARK(BM_PlainTwoPassMeanVar)->Unit(benchmark::kMicrosecond);

void BM_TVectorSortElems(benchmark::State& state) {
  nuv::TVector v(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    Fill(v);
    state.ResumeTiming();
    v.SortElems(true, 1, kN);
  }
}
BENCHMARK(BM_TVectorSortElems)->Unit(benchmark::kMillisecond);

void BM_StdSortVector(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> d = Data();
    state.ResumeTiming();
    std::sort(d.begin(), d.end());
    benchmark::DoNotOptimize(d.data());
  }
}
BENCHMARK(BM_StdSortVector)->Unit(benchmark::kMillisecond);

const std::string kPath = "/tmp/nuv_vector_stats_bench.bin";

void BM_TVectorStreamSaveLoad(benchmark::State& state) {
  nuv::TVector v(nullptr);
  Fill(v);
  nuv::TVector w(nullptr);
  for (auto _ : state) {
    {
      auto* f = new nuv::TFileStream(kPath, nuv::fmCreate);
      v.SaveToStream(f, 0, 0);
      delete f;
    }
    auto* f = new nuv::TFileStream(kPath, nuv::fmOpenRead);
    benchmark::DoNotOptimize(w.LoadFromStream(f, true));
    delete f;
  }
  std::remove(kPath.c_str());
}
BENCHMARK(BM_TVectorStreamSaveLoad)->Unit(benchmark::kMillisecond);

void BM_FwriteFread(benchmark::State& state) {
  const std::vector<double>& d = Data();
  std::vector<double> back(kN);
  for (auto _ : state) {
    std::FILE* f = std::fopen(kPath.c_str(), "wb");
    std::fwrite(d.data(), sizeof(double), d.size(), f);
    std::fclose(f);
    f = std::fopen(kPath.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(back.data(), sizeof(double), back.size(), f));
    std::fclose(f);
  }
  std::remove(kPath.c_str());
}
BENCHMARK(BM_FwriteFread)->Unit(benchmark::kMillisecond);

}  // namespace
