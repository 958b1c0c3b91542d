// Principal components of the covariance matrix of Fisher's iris measurements.
#include <cmath>
#include <cstdio>

#include "iris_data.hpp"
#include "nuv/nuv.hpp"

int main() {
  nuv::TMatrix data(nullptr);
  nuv_examples::LoadIris(data);
  // Columns (0, 0) mean all columns; the rows must be given: 1..150. Mode 1: covariance.
  if (!nuv::CalcPrincComp(&data, 0, 0, 1, 150, 1, false)) return 1;

  const int n = nuv::GetEigenSize();
  double total = 0.0;
  for (int i = 1; i <= n; ++i) total += nuv::GetEigenResult(i, 0);
  std::printf("component  eigenvalue  share   sepal_len  sepal_wid  petal_len  petal_wid\n");
  for (int i = 1; i <= n; ++i) {
    const double ev = nuv::GetEigenResult(i, 0);
    // An eigenvector's sign is arbitrary: print it with its largest component positive.
    int big = 1;
    for (int j = 2; j <= n; ++j) {
      if (std::fabs(nuv::GetEigenResult(i, j)) > std::fabs(nuv::GetEigenResult(i, big))) big = j;
    }
    const double sign = nuv::GetEigenResult(i, big) < 0.0 ? -1.0 : 1.0;
    std::printf("%9d  %10.4f  %5.3f", i, ev, ev / total);
    for (int j = 1; j <= n; ++j) std::printf("  %9.4f", sign * nuv::GetEigenResult(i, j) + 0.0);
    std::printf("\n");
  }
  nuv::RemoveEigenMatrix();  // the results live in a process-wide store
  return 0;
}
