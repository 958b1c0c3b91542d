// Percentiles of 10^6 cells with a large block of equal values: 60 % zeros at Percentile(25)
// for the matrices, the 3D array and the vector, and 30 % equal values in the middle of the
// order at Percentile(50) for the 4D array (its 15-cell guess then rarely hits). A selection
// that loses only one element per partition inside such a block is quadratic here.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/TVector.hpp"

namespace {

constexpr int kN = 1'000'000;

// kN values: a share Tied of them equal to TieValue, the others uniform in (Lo, Lo + 1000),
// all in random order.
std::vector<double> TiedValues(double Tied, double TieValue, double Lo) {
  nuv::SetRandSeed(7);
  std::vector<double> d(kN);
  for (double& x : d) x = nuv::Random() < Tied ? TieValue : Lo + 1000.0 * nuv::Random();
  return d;
}

const std::vector<double>& SixtyPercentZeros() {
  static const std::vector<double> d = TiedValues(0.6, 0.0, 1.0);
  return d;
}

void BM_MatrixPercentile25(benchmark::State& state) {
  nuv::TMatrix m(nullptr);
  m.Resize(1, kN);
  const auto& d = SixtyPercentZeros();
  for (int r = 1; r <= kN; ++r) m.SetVal(1, r, d[static_cast<std::size_t>(r - 1)]);
  for (auto _ : state) benchmark::DoNotOptimize(m.Percentile(25, 0, 0, 0, 0));
}
BENCHMARK(BM_MatrixPercentile25)->Unit(benchmark::kMillisecond);

void BM_IntMatrixPercentile25(benchmark::State& state) {
  nuv::TIntMatrix m(nullptr);
  m.Resize(1, kN);
  const auto& d = SixtyPercentZeros();
  for (int r = 1; r <= kN; ++r) {
    m.SetVal(1, r, static_cast<nuv::Integer>(d[static_cast<std::size_t>(r - 1)]));
  }
  for (auto _ : state) benchmark::DoNotOptimize(m.Percentile(25, 0, 0, 0, 0));
}
BENCHMARK(BM_IntMatrixPercentile25)->Unit(benchmark::kMillisecond);

void BM_Mat3DPercentile25(benchmark::State& state) {
  nuv::TMat3D a(nullptr);
  a.Resize(100, 100, 100);
  const auto& d = SixtyPercentZeros();
  std::size_t i = 0;
  for (int x = 1; x <= 100; ++x) {
    for (int y = 1; y <= 100; ++y) {
      for (int z = 1; z <= 100; ++z) a.SetVal(x, y, z, d[i++]);
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(a.Percentile(25, 0, 0, 0, 0, 0, 0));
}
BENCHMARK(BM_Mat3DPercentile25)->Unit(benchmark::kMillisecond);

void BM_Mat4DPercentile50(benchmark::State& state) {
  // 35 % below the tied value 500.5, 30 % equal to it, 35 % above.
  static const std::vector<double> d = [] {
    nuv::SetRandSeed(11);
    std::vector<double> v(kN);
    for (double& x : v) {
      const double u = nuv::Random();
      x = u < 0.3 ? 500.5 : u < 0.65 ? 500.0 * nuv::Random() : 501.0 + 500.0 * nuv::Random();
    }
    return v;
  }();
  nuv::TMat4D a(nullptr);
  a.Resize(100, 100, 10, 10);
  std::size_t i = 0;
  for (int x = 1; x <= 100; ++x) {
    for (int y = 1; y <= 100; ++y) {
      for (int z = 1; z <= 10; ++z) {
        for (int t = 1; t <= 10; ++t) a.SetVal(x, y, z, t, d[i++]);
      }
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(a.Percentile(50, 0, 0, 0, 0, 0, 0, 0, 0));
}
BENCHMARK(BM_Mat4DPercentile50)->Unit(benchmark::kMillisecond);

void BM_VectorPercentile25(benchmark::State& state) {
  nuv::TVector v(nullptr);
  v.Resize(kN);
  const auto& d = SixtyPercentZeros();
  for (int k = 1; k <= kN; ++k) v.SetVal(k, d[static_cast<std::size_t>(k - 1)]);
  for (auto _ : state) benchmark::DoNotOptimize(v.Percentile(25, 0, 0));
}
BENCHMARK(BM_VectorPercentile25)->Unit(benchmark::kMillisecond);

// PercentileOfArray on 10^6 values all 0 but one: a two-way partition is quadratic here. The
// stretch is refilled each round (the selection reorders it), outside the timing.
void BM_PercentileOfArrayTies(benchmark::State& state) {
  std::vector<double> d(kN, 0.0);
  d[kN / 3] = 5.0;
  for (auto _ : state) {
    state.PauseTiming();
    std::fill(d.begin(), d.end(), 0.0);
    d[kN / 3] = 5.0;
    state.ResumeTiming();
    double r = 0.0;
    benchmark::DoNotOptimize(nuv::PercentileOfArray(d, 50, 0, kN - 1, r));
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_PercentileOfArrayTies)->Unit(benchmark::kMillisecond);

}  // namespace
