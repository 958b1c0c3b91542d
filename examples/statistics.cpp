// Descriptive statistics and a Lilliefors normality test of a vector read from a text file.
// Default data: Newcomb's 66 measurements of the passage time of light (1882).
#include <cmath>
#include <cstdio>

#include "nuv/nuv.hpp"

int main(int argc, char** argv) {
  const char* file = argc > 1 ? argv[1] : "examples/data/newcomb.txt";
  nuv::TVector x(nullptr);
  // One value per line, no header: AutoDetect counts the lines and sizes the vector.
  if (!x.LoadFromFile(file, true, true)) {
    std::fprintf(stderr, "cannot read %s\n", file);
    return 1;
  }
  const int n = x.NrOfElem();
  double mean = 0.0;
  double variance = 0.0;
  x.MeanVar(0, 0, mean, variance);  // (0, 0): the whole vector
  double lo = 0.0;
  double hi = 0.0;
  x.MinMax(0, 0, lo, hi);
  double q1 = 0.0;
  double median = 0.0;
  double q3 = 0.0;
  x.Quartiles(0, 0, q1, median, q3);
  double skew = 0.0;
  double kurt = 0.0;
  x.SkewKurtSample(0, 0, skew, kurt);

  std::printf("values              %d\n", n);
  std::printf("mean                %.4f\n", mean);
  std::printf("standard deviation  %.4f\n", std::sqrt(variance));
  std::printf("minimum, maximum    %.4f  %.4f\n", lo, hi);
  std::printf("quartiles           %.4f  %.4f  %.4f\n", q1, median, q3);
  std::printf("skewness, kurtosis  %.4f  %.4f\n", skew, kurt);

  // The test sorts and standardises its argument, so it gets a copy.
  nuv::TVector work(nullptr);
  work.Clone(&x);
  const double d = nuv::PerformLillieforsTest(&work, false);
  const double critical = nuv::LillieforsQuantile(n, 0.05);
  std::printf("\nLilliefors D       %.4f\n", d);
  std::printf("critical D (5%%)    %.4f\n", critical);
  std::printf("p-value            %.2e\n", nuv::LillieforsPValue(n, d));
  std::printf("normal at 5%%       %s\n", d > critical ? "rejected" : "not rejected");
  return 0;
}
