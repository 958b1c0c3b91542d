#pragma once
// NUV_math2: hierarchical agglomerative clustering of the rows of a data matrix.

#include <array>
#include <cstdint>
#include <string_view>

#include "nuv/base/types.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

/// Distance update applied after each merge (Lance-Williams rule).
enum TClusterMethod : std::uint8_t {
  cmSingleLink,
  cmCompleteLink,
  cmWard,
  cmAvgLink,
  cmFlexLink,
  cmUpgma
};

/// Progress procedure of AgglomClustering: Sender as passed in, the current ProcStat and the
/// percentage of merges begun.
using TAgglomFeedBackProc = void (*)(TObject* Sender, double ProcStat, double Percent);

inline namespace NUV_math2 {

/// Display name of each cluster method, indexed by TClusterMethod.
inline constexpr std::array<std::string_view, 6> ClusterMethodID{
    "single linkage",  "complete linkage",  "Ward's method",
    "average linkage", "flexible strategy", "unweighted pair group"};

/// Agglomerative clustering of the n rows of Data (objects 1..n). The distances come from
/// Data's CalcDistMat in DistMode, with OnCalcDist installed as Data's distance event for that
/// time (restored afterwards, also when it throws). Each of the n - 1 steps adds 1 to ProcStat,
/// calls FeedBack (Sender, ProcStat, 100·j/n) when not null, merges the closest pair of active
/// clusters (the first minimum in slot order wins ties) and updates the distances by Method:
/// single/complete min/max, Ward on the distances as given (use dmEuclidSqr), cmAvgLink
/// (D[a,r] + D[b,r])/2, cmFlexLink Flexibility·(D[a,r] + D[b,r]) + (1 - 2·Flexibility)·D[a,b],
/// cmUpgma size-weighted mean. NaN distances rank with +inf, so a pair is merged also when no
/// distance lies below the largest double; the first of the smallest still wins.
/// Outputs: Dendro 3 columns × n - 1 rows, row j = (merged node, merged node, n + j); MergeDist
/// element j = distance of merge j; Pos element k (k = 1..2n - 1) = place of leaf k in the
/// drawing order, or the mean of its children's places for merge node k. They are resized
/// only when their sizes differ. FeedBack is first called with percent 0, then AbortMathProc is
/// cleared; when it is set before a step the loop stops, Pos and MergeDist are cleared, Dendro
/// is filled with 0 and the result is -1 (the flag stays set). Otherwise 0.
/// Fewer than two rows: no merge, Dendro 3 × 0, MergeDist cleared, Pos (1) = 1 for one row and
/// cleared for none; result 0. A null Data returns -1 and changes nothing. Exceptions of the
/// distance computation reach the caller. While it runs, FeedBack, OnCalcDist and the outputs'
/// OnChange handlers may change values but no sizes: a resize of Data, Dendro, MergeDist or Pos
/// from them returns false and changes nothing. Freeing any of them from a handler is undefined.
Integer AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method,
                         double Flexibility, TIntMatrix& Dendro, TVector& MergeDist, TVector& Pos,
                         TAgglomFeedBackProc FeedBack, const TOnCalcDistanceEvent& OnCalcDist);

}  // namespace NUV_math2
}  // namespace nuv
