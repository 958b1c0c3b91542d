#pragma once
// Unit NUV_math2: least squares, pseudo-inverse and Mahalanobis distance, k-means clustering
// and nearest neighbours, agglomerative clustering, covariance and principal components,
// smoothing, derivative and kernel filters, polygons, image correlation, the curve fit, and the
// unit's error class.

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/math2_agglo.hpp"
#include "nuv/analysis/math2_errors.hpp"
#include "nuv/analysis/math2_image.hpp"
#include "nuv/analysis/math2_kernel.hpp"
#include "nuv/analysis/math2_kmeans.hpp"
#include "nuv/analysis/math2_knn.hpp"
#include "nuv/analysis/math2_lsq.hpp"
#include "nuv/analysis/math2_pca.hpp"
#include "nuv/analysis/math2_polygon.hpp"
#include "nuv/analysis/math2_smooth.hpp"

#include "nuv/analysis/NUV_statis.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// Fisher's separation quotient; the same function as NUV_statis::CalcFishQ.
using NUV_statis::CalcFishQ;

}  // namespace NUV_math2
}  // namespace nuv
