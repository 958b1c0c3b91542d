// TMatrix::Square (AᵀA / Norm) of a 1000×1000 matrix on 1, 2, 4 and 8 threads, next to Eigen's
// A.transpose()*A on the same input (Eigen single-threaded, as built here without OpenMP).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_input.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"

#if defined(NUV_HAVE_EIGEN)
#include <Eigen/Dense>
#endif

namespace {

constexpr int kN = 1000;

using nuv::bench::Input;

void BM_Square_nuv(benchmark::State& state) {
  const auto threads = static_cast<nuv::Integer>(state.range(0));
  const auto cells = Input(kN, kN, 7);
  nuv::TMatrix a(nullptr), res(nullptr);
  a.Resize(kN, kN);
  for (int c = 1; c <= kN; ++c) {
    for (int r = 1; r <= kN; ++r) a.SetVal(c, r, cells[(c - 1) * kN + r - 1]);
  }
  nuv::MathFeedBackProc = nullptr;
  for (auto _ : state) benchmark::DoNotOptimize(a.Square(&res, 1.0, threads));
  state.counters["threads"] = static_cast<double>(threads);
}
BENCHMARK(BM_Square_nuv)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

#if defined(NUV_HAVE_EIGEN)
void BM_Square_eigen(benchmark::State& state) {
  const auto cells = Input(kN, kN, 7);
  const Eigen::MatrixXd a = Eigen::Map<const Eigen::MatrixXd>(cells.data(), kN, kN);
  Eigen::MatrixXd c(kN, kN);
  for (auto _ : state) {
    c.noalias() = a.transpose() * a;
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_Square_eigen)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

}  // namespace
