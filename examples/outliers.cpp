// Grubbs' test applied repeatedly: remove the most extreme value while the test flags it.
// Default data: Newcomb's 66 measurements of the passage time of light (1882).
#include <cstdio>

#include "nuv/nuv.hpp"

int main(int argc, char** argv) {
  const char* file = argc > 1 ? argv[1] : "examples/data/newcomb.txt";
  nuv::TVector x(nullptr);
  if (!x.LoadFromFile(file, true, true)) {
    std::fprintf(stderr, "cannot read %s\n", file);
    return 1;
  }
  const double alpha = 0.05;
  std::printf("   n       G  critical  outlier\n");
  for (;;) {
    const int n = x.NrOfElem();
    double g = 0.0;
    const int suspect = nuv::GrubbsTest(&x, alpha, g);  // 1-based position, 0 for none
    std::printf("%4d  %6.4f    %6.4f", n, g, nuv::GrubbsCriticalValues(n, alpha, true));
    if (suspect == 0) {
      std::printf("  none\n");
      break;
    }
    std::printf("  %g (value %d)\n", x.GetVal(suspect), suspect);
    // Close the gap: move the later values up one place and drop the last element.
    x.CopyFrom(&x, suspect + 1, n, suspect);
    x.Resize(n - 1);
  }
  return 0;
}
