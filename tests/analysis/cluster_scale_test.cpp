// Clustering and neighbours of data in any unit: the partitions, labels and neighbour orders
// of data multiplied by any factor are those of the data, and distances scale with it.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::kScaleTol;
using test::RelNear;
using test::ScaleFactors;

// Six rows in two clear groups, and a probe nearer the first.
const std::vector<std::vector<double>> kRows{{1, 2}, {1.5, 1.8}, {1.2, 2.2},
                                             {8, 9}, {8.5, 9.5}, {7.7, 8.8}};

void Fill(TMatrix& m, double f) {
  m.Resize(2, static_cast<Integer>(kRows.size()));
  for (std::size_t r = 0; r < kRows.size(); ++r) {
    for (std::size_t c = 0; c < 2; ++c) {
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), kRows[r][c] * f);
    }
  }
}

TEST(ClusterScale, KMeansPartitionAndCentresAtEveryScale) {
  TMatrix data1(nullptr), centres1(nullptr);
  TIntVector ix1(nullptr);
  Fill(data1, 1.0);
  const double ssq1 = kMeansClustering(&data1, 0, 0, 2, centres1, ix1);
  ASSERT_EQ(ix1.GetVal(1), ix1.GetVal(2));
  ASSERT_NE(ix1.GetVal(1), ix1.GetVal(4));
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix data(nullptr), centres(nullptr);
    TIntVector ix(nullptr);
    Fill(data, f);
    const double ssq = kMeansClustering(&data, 0, 0, 2, centres, ix);
    for (Integer i = 1; i <= 6; ++i) EXPECT_EQ(ix.GetVal(i), ix1.GetVal(i));
    for (Integer k = 1; k <= 2; ++k) {
      for (Integer c = 1; c <= 2; ++c) {
        EXPECT_TRUE(RelNear(centres.GetVal(c, k), centres1.GetVal(c, k) * f, kScaleTol));
      }
    }
    if (std::fabs(f) <= 1e150 && std::fabs(f) >= 1e-150) {  // the sum of squares itself fits
      EXPECT_TRUE(RelNear(ssq, ssq1 * f * f, kScaleTol));
    }
    TMatrix centersFound(nullptr), centersFound1(nullptr);
    centersFound.Resize(2, 2);
    centersFound1.Resize(2, 2);
    double sep = 0, sep1 = 0;
    Fill(data1, 1.0);
    FindCenters(&data1, 1, 6, 2, centersFound1, sep1);
    FindCenters(&data, 1, 6, 2, centersFound, sep);
    EXPECT_TRUE(RelNear(sep, sep1 * f, kScaleTol));
  }
}

TEST(ClusterScale, NeighboursAndTheirDistancesAtEveryScale) {
  TMatrix data1(nullptr), nb1(nullptr);
  Fill(data1, 1.0);
  TVector probe1(nullptr);
  probe1.SetVecSize(2);
  probe1.SetVal(1, 1.1);
  probe1.SetVal(2, 2.05);
  nb1.Resize(2, 4);
  FindNearestNeighbors(4, &data1, 1, 6, &probe1, &nb1, nullptr);
  TVector mean1(nullptr);
  mean1.SetVecSize(6);
  MeanDistanceKNN(&data1, 2, 1, 6, mean1);
  for (double f : ScaleFactors()) {
    SCOPED_TRACE(f);
    TMatrix data(nullptr), nb(nullptr);
    Fill(data, f);
    TVector probe(nullptr);
    probe.SetVecSize(2);
    probe.SetVal(1, 1.1 * f);
    probe.SetVal(2, 2.05 * f);
    nb.Resize(2, 4);
    FindNearestNeighbors(4, &data, 1, 6, &probe, &nb, nullptr);
    for (Integer m = 1; m <= 4; ++m) {
      EXPECT_EQ(nb.GetVal(1, m), nb1.GetVal(1, m));
      EXPECT_TRUE(RelNear(nb.GetVal(2, m), nb1.GetVal(2, m) * f, kScaleTol));
    }
    TVector mean(nullptr);
    mean.SetVecSize(6);
    MeanDistanceKNN(&data, 2, 1, 6, mean);
    for (Integer i = 1; i <= 6; ++i) {
      EXPECT_TRUE(RelNear(mean.GetVal(i), mean1.GetVal(i) * f, kScaleTol));
    }
  }
}

TEST(ClusterScale, AgglomerativeTreeAndHeightsAtEveryScale) {
  for (TClusterMethod method : {cmSingleLink, cmCompleteLink, cmWard, cmAvgLink}) {
    for (TDistMode mode : {dmEuclid, dmManhattan, dmEuclidSqr, dmJaccard, dmDice}) {
      SCOPED_TRACE(std::string(ClusterMethodID[method]) + ", " + std::string(DistModeId[mode]));
      TMatrix data1(nullptr);
      Fill(data1, 1.0);
      TIntMatrix dendro1(nullptr);
      TVector h1(nullptr), pos1(nullptr);
      ASSERT_EQ(
          AgglomClustering(nullptr, &data1, mode, method, 0.0, dendro1, h1, pos1, nullptr, {}), 0);
      // the heights scale as the distances do; the coefficients do not scale at all
      const int power = mode == dmEuclidSqr ? 2 : mode == dmJaccard || mode == dmDice ? 0 : 1;
      for (double f : ScaleFactors()) {
        SCOPED_TRACE(f);
        TMatrix data(nullptr);
        Fill(data, f);
        TIntMatrix dendro(nullptr);
        TVector h(nullptr), pos(nullptr);
        ASSERT_EQ(AgglomClustering(nullptr, &data, mode, method, 0.0, dendro, h, pos, nullptr, {}),
                  0);
        for (Integer j = 1; j <= 5; ++j) {
          for (Integer c = 1; c <= 3; ++c) EXPECT_EQ(dendro.GetVal(c, j), dendro1.GetVal(c, j));
          const double want = h1.GetVal(j) * std::pow(f, power);
          if (std::isfinite(want) && want != 0) {
            EXPECT_TRUE(RelNear(h.GetVal(j), want, kScaleTol));
          } else if (std::isinf(want)) {
            EXPECT_TRUE(std::isinf(h.GetVal(j)));
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace nuv
