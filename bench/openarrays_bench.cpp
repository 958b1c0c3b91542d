// Array routines on 1000 x 1000 doubles against a plain loop over one contiguous buffer and,
// when available, Eigen on the same data: element-wise add, mean, minimum and maximum,
// transposition.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "nuv/openarrays/NUV_openarrays.hpp"

#ifdef NUV_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace {

constexpr std::size_t kN = 1000;

// Deterministic cell values with no pattern the compiler could fold.
double Cell(std::size_t i, std::size_t j) {
  const std::size_t h = (i * 2654435761u + j * 40503u) % 1000003u;
  return static_cast<double>(h) * 1e-3 - 500.0;
}

nuv::TDouble2DArray Nested(double shift) {
  nuv::TDouble2DArray a(kN, nuv::TDoubleArray(kN));
  for (std::size_t i = 0; i < kN; ++i)
    for (std::size_t j = 0; j < kN; ++j) a[i][j] = Cell(i, j) + shift;
  return a;
}

std::vector<double> Flat(double shift) {
  std::vector<double> a(kN * kN);
  for (std::size_t i = 0; i < kN; ++i)
    for (std::size_t j = 0; j < kN; ++j) a[i * kN + j] = Cell(i, j) + shift;
  return a;
}

#ifdef NUV_HAVE_EIGEN
using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
RowMatrix EigenOf(double shift) {
  RowMatrix m(kN, kN);
  for (std::size_t i = 0; i < kN; ++i)
    for (std::size_t j = 0; j < kN; ++j) {
      m(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)) = Cell(i, j) + shift;
    }
  return m;
}
#endif

void SetCells(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kN * kN));
}

// --- element-wise add ------------------------------------------------------------------------
void BM_Add_Nuv(benchmark::State& state) {
  const auto a = Nested(0.0), b = Nested(1.0);
  nuv::TDouble2DArray c;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::AddArrays(a, b, c));
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Add_Nuv);

void BM_Add_PlainLoop(benchmark::State& state) {
  const auto a = Flat(0.0), b = Flat(1.0);
  std::vector<double> c(kN * kN);
  for (auto _ : state) {
    for (std::size_t k = 0; k < kN * kN; ++k) c[k] = a[k] + b[k];
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Add_PlainLoop);

// --- mean ------------------------------------------------------------------------------------
void BM_Mean_Nuv(benchmark::State& state) {
  const auto a = Nested(0.0);
  double m = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::MeanArray(a, 0, 0, kN - 1, kN - 1, m));
    benchmark::DoNotOptimize(m);
  }
  SetCells(state);
}
BENCHMARK(BM_Mean_Nuv);

void BM_Mean_PlainLoop(benchmark::State& state) {
  const auto a = Flat(0.0);
  for (auto _ : state) {
    double s = 0.0;
    for (std::size_t k = 0; k < kN * kN; ++k) s += a[k];
    double m = s / static_cast<double>(kN * kN);
    benchmark::DoNotOptimize(m);
  }
  SetCells(state);
}
BENCHMARK(BM_Mean_PlainLoop);

// --- minimum and maximum -------------------------------------------------------------------
void BM_MinMax_Nuv(benchmark::State& state) {
  const auto a = Nested(0.0);
  double mn = 0.0, mx = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::MinMaxArray(a, mn, mx));
    benchmark::DoNotOptimize(mn);
    benchmark::DoNotOptimize(mx);
  }
  SetCells(state);
}
BENCHMARK(BM_MinMax_Nuv);

void BM_MinMax_PlainLoop(benchmark::State& state) {
  const auto a = Flat(0.0);
  for (auto _ : state) {
    double mn = a[0], mx = a[0];
    for (std::size_t k = 0; k < kN * kN; ++k) {
      if (a[k] < mn) mn = a[k];
      if (a[k] > mx) mx = a[k];
    }
    benchmark::DoNotOptimize(mn);
    benchmark::DoNotOptimize(mx);
  }
  SetCells(state);
}
BENCHMARK(BM_MinMax_PlainLoop);

// --- transposition -------------------------------------------------------------------------
void BM_Transpose_Nuv(benchmark::State& state) {
  auto a = Nested(0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::TransposeArray(a));
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Transpose_Nuv);

void BM_Transpose_PlainLoop(benchmark::State& state) {
  const auto a = Flat(0.0);
  std::vector<double> t(kN * kN);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kN; ++i)
      for (std::size_t j = 0; j < kN; ++j) t[j * kN + i] = a[i * kN + j];
    benchmark::DoNotOptimize(t.data());
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Transpose_PlainLoop);

#ifdef NUV_HAVE_EIGEN
void BM_Add_Eigen(benchmark::State& state) {
  const RowMatrix a = EigenOf(0.0), b = EigenOf(1.0);
  RowMatrix c(kN, kN);
  for (auto _ : state) {
    c.noalias() = a + b;
    benchmark::DoNotOptimize(c.data());
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Add_Eigen);

void BM_Mean_Eigen(benchmark::State& state) {
  const RowMatrix a = EigenOf(0.0);
  for (auto _ : state) benchmark::DoNotOptimize(a.mean());
  SetCells(state);
}
BENCHMARK(BM_Mean_Eigen);

void BM_MinMax_Eigen(benchmark::State& state) {
  const RowMatrix a = EigenOf(0.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.minCoeff());
    benchmark::DoNotOptimize(a.maxCoeff());
  }
  SetCells(state);
}
BENCHMARK(BM_MinMax_Eigen);

void BM_Transpose_Eigen(benchmark::State& state) {
  const RowMatrix a = EigenOf(0.0);
  RowMatrix t(kN, kN);
  for (auto _ : state) {
    t.noalias() = a.transpose();
    benchmark::DoNotOptimize(t.data());
    benchmark::ClobberMemory();
  }
  SetCells(state);
}
BENCHMARK(BM_Transpose_Eigen);
#endif

}  // namespace
