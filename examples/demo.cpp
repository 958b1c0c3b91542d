// nuv's main job: k-means clustering of Fisher's iris measurements into three clusters, with a
// progress line through MathFeedBackProc.
#include <unistd.h>

#include <cstdio>

#include "iris_data.hpp"
#include "nuv/nuv.hpp"

namespace {

double gFirstStep = 0.0;

// Called by the library after every k-means round with the process-wide step counter. The
// line is redrawn in place, so it is shown only on a terminal.
void ShowProgress(double ProcStat) {
  std::printf("\rk-means round %d", static_cast<int>(ProcStat - gFirstStep));
  std::fflush(stdout);
}

}  // namespace

int main() {
  nuv::TMatrix data(nullptr);  // one object per row, one variable per column
  nuv_examples::LoadIris(data);

  nuv::TMatrix centers(nullptr);
  nuv::TIntVector cluster(nullptr);
  nuv::TIntVector sizes(nullptr);
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  gFirstStep = nuv::ProcStat;
  if (terminal) nuv::MathFeedBackProc = &ShowProgress;
  // Seed 0: the first three rows are the initial centres.
  const double ssq = nuv::kMeansClustering(&data, 0, 0, 3, 0, centers, cluster, sizes);
  nuv::MathFeedBackProc = nullptr;
  if (terminal) std::printf("\n\n");

  std::printf("cluster  size  sepal_len  sepal_wid  petal_len  petal_wid\n");
  for (int k = 1; k <= 3; ++k) {
    std::printf("%7d  %4d", k, sizes.GetVal(k));
    for (int c = 1; c <= 4; ++c)
      std::printf("  %9s", nuv::strff(centers.GetVal(c, k), 1, 4).c_str());
    std::printf("\n");
  }
  std::printf("\nwithin-cluster sum of squares: %s\n", nuv::strff(ssq, 1, 4).c_str());
  std::printf("rounds: %d\n", static_cast<int>(nuv::ProcStat - gFirstStep));

  std::printf("\nspecies per cluster:\n");
  for (int k = 1; k <= 3; ++k) {
    int count[3] = {0, 0, 0};
    for (int r = 1; r <= 150; ++r) {
      if (cluster.GetVal(r) == k) ++count[(r - 1) / 50];
    }
    std::printf("  cluster %d:", k);
    for (int s = 0; s < 3; ++s) std::printf(" %s %d", nuv_examples::kSpecies[s], count[s]);
    std::printf("\n");
  }
  return 0;
}
