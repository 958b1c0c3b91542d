#include <cstdio>

#include "nuv/analysis/TCurveFit.hpp"

int main() {
  nuv::TCurveFit fit(nullptr);
  // y = 2x + 1 exactly: the fit must return slope 2, intercept 1, r² 1.
  for (int i = 1; i <= 5; ++i) fit.EnterStatValue(i, 2.0 * i + 1.0);
  double k = 0.0;
  double d = 0.0;
  double r2 = 0.0;
  fit.CalcLinFit(k, d, r2);
  std::printf("slope %.3f, intercept %.3f, r2 %.3f\n", k, d, r2);
  const bool ok = k > 1.999999 && k < 2.000001 && d > 0.999999 && d < 1.000001;
  return ok ? 0 : 1;
}
