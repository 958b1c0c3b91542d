#include <cmath>
#include <cstdio>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/scalar/TVector.hpp"

int main() {
  nuv::TCurveFit fit(nullptr);
  // y = 2x + 1 exactly: the fit must return slope 2, intercept 1, r² 1.
  for (int i = 1; i <= 5; ++i) fit.EnterStatValue(i, 2.0 * i + 1.0);
  double k = 0.0;
  double d = 0.0;
  double r2 = 0.0;
  fit.CalcLinFit(k, d, r2);
  std::printf("slope %.3f, intercept %.3f, r2 %.3f\n", k, d, r2);
  bool ok = k > 1.999999 && k < 2.000001 && d > 0.999999 && d < 1.000001;

  // Seconds since an epoch: 1.7e9 + 1..40 keeps its spread, sample variance 41·40/12.
  nuv::TCurveFit times(nullptr);
  nuv::TVector t(nullptr);
  t.SetVecSize(40);
  for (int i = 1; i <= 40; ++i) {
    times.EnterStatValue(1.7e9 + i, i);
    t.SetVal(i, 1.7e9 + i);
  }
  double mean = 0.0;
  double var = 0.0;
  t.MeanVar(0, 0, mean, var);
  const double exact = 41.0 * 40.0 / 12.0;
  std::printf("variance %.6f, x deviation %.4f\n", var, times.StdDevX());
  ok = ok && std::fabs(var - exact) < 1e-9 * exact &&
       std::fabs(times.StdDevX() - std::sqrt(exact)) < 1e-9 * std::sqrt(exact);

  // A handler may change values of what a running call uses, never its size.
  nuv::TVector copy(nullptr);
  bool refused = true;
  copy.SetOnChange([&](nuv::TObject*) { refused = refused && !t.Resize(3); });
  copy.Clone(&t);
  std::printf("resize from a handler %s, %d elements\n", refused ? "refused" : "done",
              copy.NrOfElem());
  return ok && refused && copy.NrOfElem() == 40 && t.NrOfElem() == 40 ? 0 : 1;
}
