// Straight line and polynomial fitted to the stopping distances of 50 cars (Ezekiel, 1930):
// speed in mph, distance in ft.
#include <cstdio>

#include "nuv/nuv.hpp"

namespace {

constexpr double kSpeed[50] = {4,  4,  7,  7,  8,  9,  10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13,
                               13, 13, 14, 14, 14, 14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18,
                               18, 19, 19, 19, 20, 20, 20, 20, 20, 22, 23, 24, 24, 24, 24, 25};
constexpr double kDist[50] = {2,  10, 4,  22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28,  26, 34,
                              34, 46, 26, 36, 60, 80, 20, 26, 54, 32, 40, 32, 40, 50, 42,  56, 76,
                              84, 36, 46, 68, 32, 48, 52, 56, 64, 66, 54, 70, 92, 93, 120, 85};

}  // namespace

int main() {
  nuv::TCurveFit fit(nullptr);
  for (int i = 0; i < 50; ++i) fit.EnterStatValue(kSpeed[i], kDist[i]);

  double k = 0.0;
  double d = 0.0;
  double r2 = 0.0;
  fit.CalcLinFit(k, d, r2);
  std::printf("line      dist = %.4f + %.4f speed   (r2 %.4f)\n", d, k, r2);

  // Second order: kArray[j] is the coefficient of speed^j, alpha[j] its significance level.
  nuv::TDoubleArray coeff;
  nuv::TDoubleArray alpha;
  double quality = 0.0;
  bool nearSingular = false;
  if (!fit.CalcPolyFit(2, coeff, alpha, quality, nearSingular)) return 1;
  std::printf("parabola  dist = %.4f + %.4f speed + %.5f speed^2   (r2 %.4f)\n", coeff[0], coeff[1],
              coeff[2], quality);
  std::printf("significance of the coefficients:");
  for (int j = 0; j <= 2; ++j) std::printf(" %.4f", alpha[static_cast<std::size_t>(j)]);
  std::printf("\n\n");

  std::printf("speed  line  parabola\n");
  for (double v : {5.0, 15.0, 25.0, 30.0}) {
    const double line = d + k * v;
    const double parabola = coeff[0] + (coeff[1] + coeff[2] * v) * v;
    std::printf("%5.0f  %5.1f  %8.1f\n", v, line, parabola);
  }
  return 0;
}
