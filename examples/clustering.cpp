// Ward clustering of Fisher's iris measurements, the tree cut into three clusters.
#include <cstdio>
#include <numeric>
#include <vector>

#include "iris_data.hpp"
#include "nuv/nuv.hpp"

namespace {

int Root(std::vector<int>& parent, int node) {
  while (parent[static_cast<std::size_t>(node)] != node)
    node = parent[static_cast<std::size_t>(node)];
  return node;
}

}  // namespace

int main() {
  nuv::TMatrix data(nullptr);
  nuv_examples::LoadIris(data);
  nuv::TIntMatrix dendro(nullptr);
  nuv::TVector mergeDist(nullptr);
  nuv::TVector pos(nullptr);
  // Ward's update works on squared Euclidean distances.
  if (nuv::AgglomClustering(nullptr, &data, nuv::dmEuclidSqr, nuv::cmWard, 0.0, dendro, mergeDist,
                            pos, nullptr, {}) != 0)
    return 1;

  // Row j of the tree joins nodes dendro(1, j) and dendro(2, j) into node 150 + j. Three
  // clusters remain after all but the last two merges.
  const int n = 150;
  std::vector<int> parent(2 * n);
  std::iota(parent.begin(), parent.end(), 0);
  for (int j = 1; j <= n - 3; ++j) {
    parent[static_cast<std::size_t>(Root(parent, dendro.GetVal(1, j)))] = n + j;
    parent[static_cast<std::size_t>(Root(parent, dendro.GetVal(2, j)))] = n + j;
  }
  // Number the clusters in the order of their first flower.
  std::vector<int> roots;
  std::vector<int> label(n + 1);
  for (int leaf = 1; leaf <= n; ++leaf) {
    const int r = Root(parent, leaf);
    std::size_t k = 0;
    while (k < roots.size() && roots[k] != r) ++k;
    if (k == roots.size()) roots.push_back(r);
    label[static_cast<std::size_t>(leaf)] = static_cast<int>(k) + 1;
  }

  std::printf("last merges at distance:");
  for (int j = n - 3; j <= n - 1; ++j) std::printf(" %.4f", mergeDist.GetVal(j));
  std::printf("\n\ncluster  size  setosa  versicolor  virginica\n");
  for (int k = 1; k <= static_cast<int>(roots.size()); ++k) {
    int count[3] = {0, 0, 0};
    for (int leaf = 1; leaf <= n; ++leaf) {
      if (label[static_cast<std::size_t>(leaf)] == k) ++count[(leaf - 1) / 50];
    }
    std::printf("%7d  %4d  %6d  %10d  %9d\n", k, count[0] + count[1] + count[2], count[0], count[1],
                count[2]);
  }
  return 0;
}
