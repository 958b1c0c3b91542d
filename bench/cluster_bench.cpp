// Agglomerative clustering of 2000 rows by 8 columns, Ward on squared Euclidean distances and
// single linkage on Euclidean distances; bench/agglo_scipy.py times scipy.cluster.hierarchy's
// linkage on the same data. The distance matrix alone is timed too, as part of both.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"

namespace {

constexpr int kRows = 2000;
constexpr int kCols = 8;

// The data of agglo_scipy.py: s := s·1664525 + 1013904223 (mod 2^32), u = (s >> 8) / 2^24,
// five loose groups (row i in group i mod 5) so that the merges are not all alike.
nuv::TMatrix* AggloData() {
  static nuv::TMatrix data(nullptr);
  if (data.NrOfRows() != kRows) {
    data.Resize(kCols, kRows);
    std::uint32_t s = 4242u;
    for (int i = 0; i < kRows; ++i) {
      for (int c = 0; c < kCols; ++c) {
        s = s * 1664525u + 1013904223u;
        const double u = static_cast<double>(s >> 8) / 16777216.0;
        data.SetVal(c + 1, i + 1, (i % 5) * (c % 2 + 1) + u * 4.0);
      }
    }
  }
  return &data;
}

void RunAgglom(benchmark::State& state, nuv::TDistMode mode, nuv::TClusterMethod method) {
  nuv::TMatrix* data = AggloData();
  nuv::TIntMatrix dendro(nullptr);
  nuv::TVector mergeDist(nullptr), pos(nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::AgglomClustering(nullptr, data, mode, method, 0.0, dendro,
                                                   mergeDist, pos, nullptr, {}));
  }
  state.counters["last_merge"] = mergeDist.GetVal(kRows - 1);
}

void BM_AgglomWard(benchmark::State& state) {
  RunAgglom(state, nuv::dmEuclidSqr, nuv::cmWard);
}
BENCHMARK(BM_AgglomWard)->Unit(benchmark::kMillisecond);

void BM_AgglomSingle(benchmark::State& state) {
  RunAgglom(state, nuv::dmEuclid, nuv::cmSingleLink);
}
BENCHMARK(BM_AgglomSingle)->Unit(benchmark::kMillisecond);

void BM_AgglomDistMatOnly(benchmark::State& state) {
  nuv::TMatrix* data = AggloData();
  nuv::TMatrix dist(nullptr);
  dist.Resize(kRows, kRows);
  for (auto _ : state) benchmark::DoNotOptimize(data->CalcDistMat(nuv::dmEuclidSqr, &dist));
}
BENCHMARK(BM_AgglomDistMatOnly)->Unit(benchmark::kMillisecond);

}  // namespace
