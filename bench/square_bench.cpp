// TMatrix::Square (AᵀA / Norm) of a 1000×1000 matrix on 1, 2, 4 and 8 threads, next to Eigen's
// A.transpose()*A on the same input (Eigen single-threaded, as built here without OpenMP).
#include <benchmark/benchmark.h>

#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"

#if defined(NUV_HAVE_EIGEN)
#include <Eigen/Dense>
#endif

namespace {

constexpr int kN = 1000;

// The same pseudo-random cells for both contestants: column-major, uniform in [-1, 1).
std::vector<double> Input(int rows, int cols, unsigned seed) {
  std::vector<double> v(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  unsigned x = seed;
  for (double& e : v) {
    x = x * 1664525u + 1013904223u;
    e = static_cast<double>(x >> 8) / 8388608.0 - 1.0;
  }
  return v;
}

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
