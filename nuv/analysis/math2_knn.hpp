#pragma once
// NUV_math2: nearest neighbours, estimates from neighbours and Gaussian kernels.
// While one of these routines runs, the progress procedure, the user distance function and the
// handlers of the containers it uses may change their values but not their sizes: such a
// resize is refused (Resize returns false and changes nothing). Freeing a container from there
// is undefined.

#include <cstdint>

#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// Weighting of EstimateByKNN.
enum TKnnWMode : std::uint8_t { kwmGauss, kwmAverage, kwmMedian, kwmLinear, kwmBiQuad };

/// User distance of data row RowIx from the probe.
using TCalcDistFunc = double (*)(std::int32_t RowIx);

/// For each row i of FirstRow..LastRow (clamped, put in order), Result(i) := the mean Euclidean
/// distance to its k nearest rows of that range, itself included (so k = 1 gives 0). k is
/// clamped to 1..50 and to the number of rows in the range. Result is not resized.
void MeanDistanceKNN(TMatrix* Data, Integer k, Integer FirstRow, Integer LastRow, TVector& Result);

/// The k nearest rows FirstRow..LastRow (not clamped) to Probe: Neighbors(1, n) := row index,
/// Neighbors(2, n) := distance, n = 1..min(k, 100, NrOfRows), ascending; at equal distance a
/// later row comes first. The distance is DistFunc(row) when given, else the Euclidean distance
/// over Probe's elements. Neighbors is not resized; rows without a neighbour get index 0 and
/// distance uc_MaxReal.
void FindNearestNeighbors(Integer k, TMatrix* Data, Integer FirstRow, Integer LastRow,
                          TVector* Probe, TMatrix* Neighbors, TCalcDistFunc DistFunc);

/// Estimate of the property at Probe from its k nearest rows (k := min(k, 100, NrOfRows)):
/// Gauss-weighted, plain average, median, linearly weighted, or a local quadratic regression
/// (kwmBiQuad), with Param the weighting parameter. MeanDistance receives the neighbours' mean
/// distance. An estimate without weight, a failed regression or k < 1 gives 0.
void EstimateByKNN(TMatrix* Data, TVector* Prop, Integer k, TKnnWMode WMode, double Param,
                   TVector* Probe, double& Estimate, double& MeanDistance);

/// exp(-min(q, 20)) with q = Σ (x(i) - y(i))² / width² over y's elements.
double CalcGaussKernel(TVector* x, TVector* y, double width);
/// CalcGaussKernel with y(i) = M(i, RowIx) over M's columns.
double CalcGaussKernelMat(TVector* x, TMatrix* M, Integer RowIx, double width);

}  // namespace NUV_math2
}  // namespace nuv
