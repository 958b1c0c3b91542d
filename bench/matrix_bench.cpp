// TMatrix against its peers on the same input, single thread: singular value decomposition
// (500×500, 2000×200), inverse and determinant (500×500), product (500×500).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "bench/bench_input.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/svd.hpp"
#include "nuv/scalar/TVector.hpp"

#if defined(NUV_HAVE_GSL)
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_permutation.h>
#include <gsl/gsl_vector.h>
#endif
#if defined(NUV_HAVE_LAPACKE)
#include <lapacke.h>
#endif
#if defined(NUV_HAVE_EIGEN)
#include <Eigen/Dense>
#endif

namespace {

using nuv::bench::Input;

void Load(nuv::TMatrix& m, const std::vector<double>& v, int rows, int cols) {
  m.Resize(cols, rows);
  for (int c = 1; c <= cols; ++c) {
    for (int r = 1; r <= rows; ++r) {
      m.SetVal(c, r,
               v[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(rows) +
                 static_cast<std::size_t>(r - 1)]);
    }
  }
}

// ---- singular value decomposition ----

void BM_SVD_nuv(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int cols = static_cast<int>(state.range(1));
  const auto in = Input(rows, cols, 1);
  nuv::TMatrix a(nullptr), v(nullptr);
  nuv::TVector w(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    Load(a, in, rows, cols);
    v.Resize(cols, cols);
    w.SetVecSize(cols);
    state.ResumeTiming();
    benchmark::DoNotOptimize(nuv::detail::SingValDecompCore(&a, &v, &w));
  }
}
BENCHMARK(BM_SVD_nuv)->Args({500, 500})->Args({2000, 200})->Unit(benchmark::kMillisecond);

#if defined(NUV_HAVE_GSL)
gsl_matrix* GslFrom(const std::vector<double>& in, int rows, int cols) {
  gsl_matrix* m = gsl_matrix_alloc(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      gsl_matrix_set(m, static_cast<std::size_t>(r), static_cast<std::size_t>(c),
                     in[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) +
                        static_cast<std::size_t>(r)]);
    }
  }
  return m;
}

void BM_SVD_gsl(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int cols = static_cast<int>(state.range(1));
  const auto in = Input(rows, cols, 1);
  gsl_matrix* src = GslFrom(in, rows, cols);
  gsl_matrix* a = gsl_matrix_alloc(static_cast<std::size_t>(rows), static_cast<std::size_t>(cols));
  gsl_matrix* v = gsl_matrix_alloc(static_cast<std::size_t>(cols), static_cast<std::size_t>(cols));
  gsl_vector* s = gsl_vector_alloc(static_cast<std::size_t>(cols));
  gsl_vector* work = gsl_vector_alloc(static_cast<std::size_t>(cols));
  for (auto _ : state) {
    state.PauseTiming();
    gsl_matrix_memcpy(a, src);
    state.ResumeTiming();
    benchmark::DoNotOptimize(gsl_linalg_SV_decomp(a, v, s, work));
  }
  gsl_vector_free(work);
  gsl_vector_free(s);
  gsl_matrix_free(v);
  gsl_matrix_free(a);
  gsl_matrix_free(src);
}
BENCHMARK(BM_SVD_gsl)->Args({500, 500})->Args({2000, 200})->Unit(benchmark::kMillisecond);
#endif

#if defined(NUV_HAVE_LAPACKE)
void BM_SVD_lapack_dgesvd(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int cols = static_cast<int>(state.range(1));
  const auto in = Input(rows, cols, 1);
  std::vector<double> a(in.size()), s(static_cast<std::size_t>(cols)),
      u(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)),
      vt(static_cast<std::size_t>(cols) * static_cast<std::size_t>(cols)),
      superb(static_cast<std::size_t>(cols));
  for (auto _ : state) {
    state.PauseTiming();
    a = in;
    state.ResumeTiming();
    // Thin U and full Vᵀ: the same output as ours.
    benchmark::DoNotOptimize(LAPACKE_dgesvd(LAPACK_COL_MAJOR, 'S', 'A', rows, cols, a.data(), rows,
                                            s.data(), u.data(), rows, vt.data(), cols,
                                            superb.data()));
  }
}
BENCHMARK(BM_SVD_lapack_dgesvd)->Args({500, 500})->Args({2000, 200})->Unit(benchmark::kMillisecond);
#endif

// ---- inverse and determinant ----

constexpr int kInvN = 500;

void BM_Invert_nuv(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  nuv::TMatrix a(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    Load(a, in, kInvN, kInvN);
    state.ResumeTiming();
    benchmark::DoNotOptimize(a.Invert());
  }
}
BENCHMARK(BM_Invert_nuv)->Unit(benchmark::kMillisecond);

void BM_Determinant_nuv(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  nuv::TMatrix a(nullptr);
  Load(a, in, kInvN, kInvN);
  for (auto _ : state) benchmark::DoNotOptimize(a.Determinant());
}
BENCHMARK(BM_Determinant_nuv)->Unit(benchmark::kMillisecond);

#if defined(NUV_HAVE_GSL)
void BM_Invert_gsl(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  gsl_matrix* src = GslFrom(in, kInvN, kInvN);
  gsl_matrix* lu = gsl_matrix_alloc(kInvN, kInvN);
  gsl_matrix* inv = gsl_matrix_alloc(kInvN, kInvN);
  gsl_permutation* p = gsl_permutation_alloc(kInvN);
  int signum = 0;
  for (auto _ : state) {
    state.PauseTiming();
    gsl_matrix_memcpy(lu, src);
    state.ResumeTiming();
    gsl_linalg_LU_decomp(lu, p, &signum);
    benchmark::DoNotOptimize(gsl_linalg_LU_invert(lu, p, inv));
  }
  gsl_permutation_free(p);
  gsl_matrix_free(inv);
  gsl_matrix_free(lu);
  gsl_matrix_free(src);
}
BENCHMARK(BM_Invert_gsl)->Unit(benchmark::kMillisecond);

void BM_Determinant_gsl(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  gsl_matrix* src = GslFrom(in, kInvN, kInvN);
  gsl_matrix* lu = gsl_matrix_alloc(kInvN, kInvN);
  gsl_permutation* p = gsl_permutation_alloc(kInvN);
  int signum = 0;
  for (auto _ : state) {
    state.PauseTiming();
    gsl_matrix_memcpy(lu, src);
    state.ResumeTiming();
    gsl_linalg_LU_decomp(lu, p, &signum);
    benchmark::DoNotOptimize(gsl_linalg_LU_det(lu, signum));
  }
  gsl_permutation_free(p);
  gsl_matrix_free(lu);
  gsl_matrix_free(src);
}
BENCHMARK(BM_Determinant_gsl)->Unit(benchmark::kMillisecond);
#endif

#if defined(NUV_HAVE_LAPACKE)
void BM_Invert_lapack(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  std::vector<double> a(in.size());
  std::vector<lapack_int> ipiv(kInvN);
  for (auto _ : state) {
    state.PauseTiming();
    a = in;
    state.ResumeTiming();
    LAPACKE_dgetrf(LAPACK_COL_MAJOR, kInvN, kInvN, a.data(), kInvN, ipiv.data());
    benchmark::DoNotOptimize(LAPACKE_dgetri(LAPACK_COL_MAJOR, kInvN, a.data(), kInvN, ipiv.data()));
  }
}
BENCHMARK(BM_Invert_lapack)->Unit(benchmark::kMillisecond);

void BM_Determinant_lapack(benchmark::State& state) {
  const auto in = Input(kInvN, kInvN, 7);
  std::vector<double> a(in.size());
  std::vector<lapack_int> ipiv(kInvN);
  for (auto _ : state) {
    state.PauseTiming();
    a = in;
    state.ResumeTiming();
    LAPACKE_dgetrf(LAPACK_COL_MAJOR, kInvN, kInvN, a.data(), kInvN, ipiv.data());
    double d = 1.0;
    for (int i = 0; i < kInvN; ++i) {
      d *= a[static_cast<std::size_t>(i) * (kInvN + 1)];
      if (ipiv[static_cast<std::size_t>(i)] != i + 1) d = -d;
    }
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_Determinant_lapack)->Unit(benchmark::kMillisecond);
#endif

// ---- product ----

constexpr int kMulN = 500;

void BM_Multiply_nuv(benchmark::State& state) {
  nuv::TMatrix a(nullptr), b(nullptr), c(nullptr);
  Load(a, Input(kMulN, kMulN, 3), kMulN, kMulN);
  Load(b, Input(kMulN, kMulN, 4), kMulN, kMulN);
  for (auto _ : state) benchmark::DoNotOptimize(a.Multiply(&b, &c));
}
BENCHMARK(BM_Multiply_nuv)->Unit(benchmark::kMillisecond);

#if defined(NUV_HAVE_EIGEN)
void BM_Multiply_eigen(benchmark::State& state) {
  const auto ia = Input(kMulN, kMulN, 3);
  const auto ib = Input(kMulN, kMulN, 4);
  const Eigen::MatrixXd a = Eigen::Map<const Eigen::MatrixXd>(ia.data(), kMulN, kMulN);
  const Eigen::MatrixXd b = Eigen::Map<const Eigen::MatrixXd>(ib.data(), kMulN, kMulN);
  Eigen::MatrixXd c(kMulN, kMulN);
  for (auto _ : state) {
    c.noalias() = a * b;
    benchmark::DoNotOptimize(c.data());
  }
}
BENCHMARK(BM_Multiply_eigen)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
