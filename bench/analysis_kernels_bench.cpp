// Analysis kernels against a peer on the same input, single thread: Jacobi eigenvectors of a
// symmetric matrix (200×200, 400×400) against GSL's cyclic Jacobi, Savitzky-Golay smoothing of
// 10^6 points (window 11) and the covariance of 10^5 rows × 20 columns against plain loops.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

#if defined(NUV_HAVE_GSL)
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>
#endif

namespace {

// A fixed linear congruential sequence, uniform in [-1, 1).
std::vector<double> Input(std::size_t count, unsigned seed) {
  std::vector<double> v(count);
  unsigned x = seed;
  for (double& e : v) {
    x = x * 1664525u + 1013904223u;
    e = static_cast<double>(x >> 8) / 8388608.0 - 1.0;
  }
  return v;
}

// Symmetric n×n, row-major: the upper triangle of the sequence mirrored.
std::vector<double> Symmetric(int n) {
  const auto ns = static_cast<std::size_t>(n);
  std::vector<double> a = Input(ns * ns, 7);
  for (std::size_t r = 0; r < ns; ++r) {
    for (std::size_t c = 0; c < r; ++c) a[r * ns + c] = a[c * ns + r];
  }
  return a;
}

// ---- Jacobi eigenvectors ----

void BM_CalcEigVec_nuv(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = Symmetric(n);
  nuv::TMatrix src(nullptr);
  src.Resize(n, n);
  for (int r = 1; r <= n; ++r) {
    for (int c = 1; c <= n; ++c) src.SetVal(c, r, a[static_cast<std::size_t>((r - 1) * n + c - 1)]);
  }
  nuv::TMatrix work(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    work.Assign(&src);
    state.ResumeTiming();
    nuv::ProcStat = 0.0;
    benchmark::DoNotOptimize(nuv::CalcEigVec(&work));
    // One progress step per test and per pair visited.
    state.counters["sweeps"] = nuv::ProcStat.load() / (1.0 + n * (n - 1) / 2.0);
  }
  nuv::RemoveEigenMatrix();
}
BENCHMARK(BM_CalcEigVec_nuv)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

#if defined(NUV_HAVE_GSL)
void BM_EigenJacobi_gsl(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto ns = static_cast<std::size_t>(n);
  const auto a = Symmetric(n);
  gsl_matrix* src = gsl_matrix_alloc(ns, ns);
  for (std::size_t r = 0; r < ns; ++r) {
    for (std::size_t c = 0; c < ns; ++c) gsl_matrix_set(src, r, c, a[r * ns + c]);
  }
  gsl_matrix* work = gsl_matrix_alloc(ns, ns);
  gsl_matrix* evec = gsl_matrix_alloc(ns, ns);
  gsl_vector* eval = gsl_vector_alloc(ns);
  for (auto _ : state) {
    state.PauseTiming();
    gsl_matrix_memcpy(work, src);
    state.ResumeTiming();
    unsigned int nrot = 0;
    const int status =
        gsl_eigen_jacobi(work, eval, evec, static_cast<unsigned int>(state.range(1)), &nrot);
    benchmark::DoNotOptimize(status);
    // GSL stops only at an off-diagonal norm of exactly 0 or after max_rot sweeps.
    state.counters["status"] = status;
    state.counters["sweeps"] = nrot;
  }
  gsl_vector_free(eval);
  gsl_matrix_free(evec);
  gsl_matrix_free(work);
  gsl_matrix_free(src);
}
// Second argument: GSL's sweep limit. With 100 it runs to the limit on these inputs; 12 is the
// number of sweeps CalcEigVec needs on them (11 at 200, 12 at 400), for like work.
BENCHMARK(BM_EigenJacobi_gsl)
    ->Args({200, 100})
    ->Args({400, 100})
    ->Args({200, 12})
    ->Args({400, 12})
    ->Unit(benchmark::kMillisecond);
#endif

// ---- Savitzky-Golay smoothing ----

constexpr int kSmoothPoints = 1000000;
constexpr int kWindow = 11;

void BM_PolynomialSmooth_nuv(benchmark::State& state) {
  const auto x = Input(kSmoothPoints, 3);
  nuv::TVector src(nullptr);
  src.SetVecSize(kSmoothPoints);
  for (int i = 1; i <= kSmoothPoints; ++i) src.SetVal(i, x[static_cast<std::size_t>(i - 1)]);
  nuv::TVector dst(nullptr);
  dst.SetVecSize(kSmoothPoints);
  for (auto _ : state) {
    nuv::PolynomialSmooth(&src, 1, kSmoothPoints, &dst, kWindow);
    benchmark::DoNotOptimize(dst.GetVal(kSmoothPoints / 2));
  }
}
BENCHMARK(BM_PolynomialSmooth_nuv)->Unit(benchmark::kMillisecond);

// The same weights over a plain array, with the same edge rule.
void BM_PolynomialSmooth_PlainLoop(benchmark::State& state) {
  const auto x = Input(kSmoothPoints, 3);
  std::vector<double> y(x.size());
  const auto& row = nuv::GolayPoly[kWindow / 2 - 2];
  const int m = kWindow / 2;
  for (auto _ : state) {
    for (int i = m; i < kSmoothPoints - m; ++i) {
      const auto is = static_cast<std::size_t>(i);
      double s = row[1] * x[is];
      for (int j = 1; j <= m; ++j) {
        s += row[static_cast<std::size_t>(j + 1)] *
             (x[is + static_cast<std::size_t>(j)] + x[is - static_cast<std::size_t>(j)]);
      }
      y[is] = s / row[0];
    }
    for (int k = 0; k < m; ++k) {
      y[static_cast<std::size_t>(k)] = y[static_cast<std::size_t>(m)];
      y[static_cast<std::size_t>(kSmoothPoints - 1 - k)] =
          y[static_cast<std::size_t>(kSmoothPoints - 1 - m)];
    }
    benchmark::DoNotOptimize(y.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PolynomialSmooth_PlainLoop)->Unit(benchmark::kMillisecond);

// ---- covariance ----

constexpr int kCovRows = 100000;
constexpr int kCovCols = 20;

void BM_CalcCovar_nuv(benchmark::State& state) {
  const auto x = Input(static_cast<std::size_t>(kCovRows) * kCovCols, 11);
  nuv::TMatrix data(nullptr);
  data.Resize(kCovCols, kCovRows);
  for (int c = 1; c <= kCovCols; ++c) {
    for (int r = 1; r <= kCovRows; ++r) {
      data.SetVal(c, r,
                  x[static_cast<std::size_t>(c - 1) * kCovRows + static_cast<std::size_t>(r - 1)]);
    }
  }
  nuv::TMatrix res(nullptr);
  res.Resize(kCovCols, kCovCols);
  for (auto _ : state) {
    benchmark::DoNotOptimize(nuv::CalcCovar(&data, &res, 0, 0, 1, kCovRows, 1));
  }
}
BENCHMARK(BM_CalcCovar_nuv)->Unit(benchmark::kMillisecond);

// Means in one pass, then each cell of the lower triangle over two contiguous columns.
void BM_CalcCovar_PlainLoop(benchmark::State& state) {
  const auto x = Input(static_cast<std::size_t>(kCovRows) * kCovCols, 11);
  std::vector<double> cov(static_cast<std::size_t>(kCovCols) * kCovCols);
  const auto n = static_cast<std::size_t>(kCovRows);
  for (auto _ : state) {
    std::vector<double> mean(kCovCols, 0.0);
    for (std::size_t c = 0; c < kCovCols; ++c) {
      for (std::size_t r = 0; r < n; ++r) mean[c] += x[c * n + r];
      mean[c] /= static_cast<double>(n);
    }
    for (std::size_t i = 0; i < kCovCols; ++i) {
      for (std::size_t j = 0; j <= i; ++j) {
        double s = 0.0;
        for (std::size_t r = 0; r < n; ++r)
          s += (x[i * n + r] - mean[i]) * (x[j * n + r] - mean[j]);
        cov[i * kCovCols + j] = cov[j * kCovCols + i] = s / static_cast<double>(n - 1);
      }
    }
    benchmark::DoNotOptimize(cov.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CalcCovar_PlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace
