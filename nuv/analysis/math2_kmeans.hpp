#pragma once
// NUV_math2: k-means clustering, the estimate of its steps and the merging search for centres.
// The data matrix holds one object per row and one variable per column.
// While one of these routines runs, the progress procedure and the handlers of the containers
// it uses may change their values but not their sizes: such a resize is refused (Resize returns
// false and changes nothing). Freeing a container from a handler is undefined.

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TIntVector.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// k-means clustering of the rows of Data into NumClusters clusters with the first rows as
/// initial centres; the two integers after Data are ignored. See the overload with a seed.
double kMeansClustering(TMatrix* Data, Integer Ignored1, Integer Ignored2, Integer NumClusters,
                        TMatrix& Centers, TIntVector& ClusterIx);

/// k-means clustering (Lloyd) of the rows of Data by squared Euclidean distance. Centers is
/// resized to Data's columns by NumClusters, ClusterIx to one element per row, ClusterSize to
/// NumClusters. Initial centres: rows drawn with the platform generator seeded with RandSeed
/// when RandSeed > 0, else the first rows. Each round adds 1 to ProcStat (MathFeedBackProc is
/// called) and assigns each row to the nearest centre of Centers as it then stands (lowest
/// number on ties; ClusterIx holds the indices compared against, on entry too); the centres
/// become the means of their rows (an empty cluster gets a centre of zeros): ClusterSize and
/// Centers are filled with 0, each row adds 1 to its size and its values to its centre, then
/// the centres are divided (one OnChange per cell written). It stops when no row changes its
/// cluster. The clusters are then renumbered by decreasing size (cluster 1
/// the largest, ClusterSize descending) and the total within-cluster sum of squares returned.
/// AbortMathProc, tested after each round, makes it return -1 at once (no renumbering; the
/// flag stays set). NumClusters < 1 or a null Data returns -1, nothing changed. Raises
/// ENUVMath2Error "kMeansClustering: number of clusters is greater than number of objects"
/// (nothing changed) and, after more than 1000 rounds and the renumbering,
/// "kMeansClustering: max. number of iterations exceeded".
double kMeansClustering(TMatrix* Data, Integer Ignored1, Integer Ignored2, Integer NumClusters,
                        Integer RandSeed, TMatrix& Centers, TIntVector& ClusterIx,
                        TIntVector& ClusterSize);

/// Empirical estimate of the number of k-means steps for a, b, c, at least 20 and at most
/// 2147483647.
Integer kMeansEstimatedSteps(Integer a, Integer b, Integer c);

/// Merges the closest pair of rows FirstRow..LastRow (clamped to the data) into their weighted
/// mean until NumCenters rows are left, and copies them into rows 1.. of Centers (over
/// Centers' own columns; Centers is not resized). MeanSeparation receives the mean distance
/// of each centre to its nearest other centre (100000 for one centre; centres beyond Centers'
/// rows read as zeros). One ProcStat step per merge. Data is restored before returning.
/// NumCenters < 1 or a null Data does nothing.
void FindCenters(TMatrix* Data, Integer FirstRow, Integer LastRow, Integer NumCenters,
                 TMatrix& Centers, double& MeanSeparation);

}  // namespace NUV_math2
}  // namespace nuv
