#pragma once
// Unit NUV_wavelet: the one-dimensional wavelet transform component.

#include "nuv/analysis/TWavelet1D.hpp"
#include "nuv/analysis/wavelet_errors.hpp"
