#pragma once
// Unit NUV_math2: least squares, pseudo-inverse and Mahalanobis distance, k-means clustering
// and nearest neighbours, the curve fit, and the unit's error class.

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/math2_errors.hpp"
#include "nuv/analysis/math2_kmeans.hpp"
#include "nuv/analysis/math2_knn.hpp"
#include "nuv/analysis/math2_lsq.hpp"
