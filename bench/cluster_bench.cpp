// Agglomerative clustering of 2000 rows by 8 columns, Ward on squared Euclidean distances and
// single linkage on Euclidean distances, also on the data rounded down to integers (many equal
// distances); bench/agglo_scipy.py times scipy.cluster.hierarchy's linkage on the same data. The
// distance matrix alone is timed too, as part of both.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"

namespace {

constexpr int kRows = 2000;
constexpr int kCols = 8;

// The data of agglo_scipy.py: s := s·1664525 + 1013904223 (mod 2^32), u = (s >> 8) / 2^24,
// five loose groups (row i in group i mod 5) so that the merges are not all alike.
// With Whole, every value is rounded down to an integer, so that many distances tie.
nuv::TMatrix* AggloData(bool Whole = false) {
  static nuv::TMatrix real(nullptr), whole(nullptr);
  nuv::TMatrix& data = Whole ? whole : real;
  if (data.NrOfRows() != kRows) {
    data.Resize(kCols, kRows);
    std::uint32_t s = 4242u;
    for (int i = 0; i < kRows; ++i) {
      for (int c = 0; c < kCols; ++c) {
        s = s * 1664525u + 1013904223u;
        const double u = static_cast<double>(s >> 8) / 16777216.0;
        const double v = (i % 5) * (c % 2 + 1) + u * 4.0;
        data.SetVal(c + 1, i + 1, Whole ? std::floor(v) : v);
      }
    }
  }
  return &data;
}

void RunAgglom(benchmark::State& state, nuv::TDistMode mode, nuv::TClusterMethod method,
               bool whole = false) {
  nuv::TMatrix* data = AggloData(whole);
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

void BM_AgglomSingleTies(benchmark::State& state) {
  RunAgglom(state, nuv::dmEuclid, nuv::cmSingleLink, true);
}
BENCHMARK(BM_AgglomSingleTies)->Unit(benchmark::kMillisecond);

void BM_AgglomDistMatOnly(benchmark::State& state) {
  nuv::TMatrix* data = AggloData();
  nuv::TMatrix dist(nullptr);
  dist.Resize(kRows, kRows);
  for (auto _ : state) benchmark::DoNotOptimize(data->CalcDistMat(nuv::dmEuclidSqr, &dist));
}
BENCHMARK(BM_AgglomDistMatOnly)->Unit(benchmark::kMillisecond);

}  // namespace
