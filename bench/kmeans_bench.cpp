// k-means on 100,000 and 1,000,000 rows by 8 columns with k = 10 and the first rows as initial
// centres (time per round; bench/kmeans_sklearn.py times scikit-learn's Lloyd iteration on the
// same data), and
// least squares of a 2000 by 50 system through the singular value decomposition against
// LAPACK's dgelss.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/hooks.hpp"

#ifdef NUV_HAVE_LAPACKE
#include <lapacke.h>
#endif

namespace {

constexpr int kCols = 8;
constexpr int kClusters = 10;

// The same data as kmeans_sklearn.py: ten groups with overlapping uniform noise, the group of
// row i being i·7 mod 10, so the first ten rows come from ten different groups.
std::vector<double> KMeansData(int kRows) {
  std::vector<double> x(static_cast<std::size_t>(kRows) * kCols);
  std::uint32_t s = 12345u;
  for (int i = 0; i < kRows; ++i) {
    const int g = i * 7 % 10;
    for (int c = 0; c < kCols; ++c) {
      s = s * 1664525u + 1013904223u;
      const double u = static_cast<double>(s >> 8) / 16777216.0;
      x[static_cast<std::size_t>(i) * kCols + static_cast<std::size_t>(c)] =
          g * (c % 3 + 1) * 0.5 + (u - 0.5) * 6.0;
    }
  }
  return x;
}

void BM_kMeansClustering(benchmark::State& state) {
  const auto kRows = static_cast<int>(state.range(0));
  const std::vector<double> x = KMeansData(kRows);
  nuv::TMatrix data(nullptr);
  data.Resize(kCols, kRows);
  for (int i = 0; i < kRows; ++i) {
    for (int c = 0; c < kCols; ++c) {
      data.SetVal(c + 1, i + 1,
                  x[static_cast<std::size_t>(i) * kCols + static_cast<std::size_t>(c)]);
    }
  }
  double rounds = 0.0;
  double ssq = 0.0;
  for (auto _ : state) {
    nuv::TMatrix centers(nullptr);
    nuv::TIntVector ix(nullptr);
    const double before = nuv::ProcStat;
    ssq = nuv::kMeansClustering(&data, 0, 0, kClusters, centers, ix);
    rounds = nuv::ProcStat - before;
  }
  state.counters["rounds"] = rounds;
  state.counters["sum_sq"] = ssq;
  // Seconds per round, averaged over the runs.
  state.counters["s_per_round"] =
      benchmark::Counter(rounds * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_kMeansClustering)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

constexpr int kM = 2000;
constexpr int kN = 50;

std::vector<double> LsqMatrix(std::vector<double>& b) {
  std::vector<double> a(static_cast<std::size_t>(kM) * kN);  // column-major
  std::uint32_t s = 777u;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0 - 0.5;
  };
  for (double& v : a) v = next();
  b.resize(kM);
  for (double& v : b) v = next();
  return a;
}

void BM_LeastSquaresSVD(benchmark::State& state) {
  std::vector<double> bv;
  const std::vector<double> a = LsqMatrix(bv);
  nuv::TMatrix A(nullptr);
  nuv::TVector b(nullptr), x(nullptr);
  b.SetVecSize(kM);
  x.SetVecSize(kN);
  for (int i = 0; i < kM; ++i) b.SetVal(i + 1, bv[static_cast<std::size_t>(i)]);
  for (auto _ : state) {
    state.PauseTiming();
    A.Resize(kN, kM);
    for (int c = 0; c < kN; ++c) {
      for (int r = 0; r < kM; ++r) {
        A.SetVal(c + 1, r + 1, a[static_cast<std::size_t>(c) * kM + static_cast<std::size_t>(r)]);
      }
    }
    state.ResumeTiming();
    bool nearSingular = false;
    benchmark::DoNotOptimize(nuv::detail::SolveBySingValDecomp(&A, &b, &x, nullptr, nearSingular));
  }
  state.counters["x1"] = x.GetVal(1);
}
BENCHMARK(BM_LeastSquaresSVD)->Unit(benchmark::kMillisecond);

#ifdef NUV_HAVE_LAPACKE
void BM_LeastSquaresDgelss(benchmark::State& state) {
  std::vector<double> bv;
  const std::vector<double> a = LsqMatrix(bv);
  std::vector<double> s(kN);
  double x1 = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<double> aw = a;
    std::vector<double> bw = bv;
    state.ResumeTiming();
    lapack_int rank = 0;
    LAPACKE_dgelss(LAPACK_COL_MAJOR, kM, kN, 1, aw.data(), kM, bw.data(), kM, s.data(), -1.0,
                   &rank);
    x1 = bw[0];
  }
  state.counters["x1"] = x1;
}
BENCHMARK(BM_LeastSquaresDgelss)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
