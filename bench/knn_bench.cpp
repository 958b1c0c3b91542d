// Nearest neighbours of one probe among 100,000 rows by 8 columns, k = 10, against a plain loop
// over the same Euclidean distances (row-major array, best-k list with one rejecting
// comparison). bench/knn_sklearn.py times scikit-learn's brute-force search on the same data.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"

namespace {

constexpr int kRows = 100'000;
constexpr int kCols = 8;
constexpr int kK = 10;

// The data of knn_sklearn.py: s := s·1664525 + 1013904223 (mod 2^32), u = (s >> 8) / 2^24,
// values 10·u row by row; the probe is the next 8 values.
std::vector<double> KnnData() {
  std::vector<double> x(static_cast<std::size_t>(kRows + 1) * kCols);
  std::uint32_t s = 99u;
  for (double& v : x) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<double>(s >> 8) / 16777216.0 * 10.0;
  }
  return x;
}

void BM_FindNearestNeighbors(benchmark::State& state) {
  const std::vector<double> x = KnnData();
  nuv::TMatrix data(nullptr);
  data.Resize(kCols, kRows);
  for (int i = 0; i < kRows; ++i) {
    for (int c = 0; c < kCols; ++c) {
      data.SetVal(c + 1, i + 1, x[static_cast<std::size_t>(i) * kCols + c]);
    }
  }
  nuv::TVector probe(nullptr);
  probe.SetVecSize(kCols);
  for (int c = 0; c < kCols; ++c) {
    probe.SetVal(c + 1, x[static_cast<std::size_t>(kRows) * kCols + c]);
  }
  nuv::TMatrix nb(nullptr);
  nb.Resize(2, kK);
  for (auto _ : state) {
    nuv::FindNearestNeighbors(kK, &data, 1, kRows, &probe, &nb, nullptr);
    benchmark::ClobberMemory();
  }
  state.counters["nearest"] = nb.GetVal(1, 1);
  state.counters["kth_dist"] = nb.GetVal(2, kK);
}
BENCHMARK(BM_FindNearestNeighbors)->Unit(benchmark::kMillisecond);

void BM_KnnPlainLoop(benchmark::State& state) {
  const std::vector<double> x = KnnData();
  const double* probe = x.data() + static_cast<std::size_t>(kRows) * kCols;
  std::array<double, kK> dist{};
  std::array<int, kK> row{};
  for (auto _ : state) {
    dist.fill(1.7976931348623157e308);
    row.fill(0);
    for (int i = 0; i < kRows; ++i) {
      const double* xi = x.data() + static_cast<std::size_t>(i) * kCols;
      double s = 0.0;
      for (int c = 0; c < kCols; ++c) s += (xi[c] - probe[c]) * (xi[c] - probe[c]);
      const double d = std::sqrt(s);
      if (!(d <= dist[kK - 1])) continue;
      int at = kK - 1;
      while (at > 0 && d <= dist[at - 1]) {
        dist[at] = dist[at - 1];
        row[at] = row[at - 1];
        --at;
      }
      dist[at] = d;
      row[at] = i + 1;
    }
    benchmark::DoNotOptimize(dist.data());
    benchmark::DoNotOptimize(row.data());
  }
  state.counters["nearest"] = row[0];
  state.counters["kth_dist"] = dist[kK - 1];
}
BENCHMARK(BM_KnnPlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace
