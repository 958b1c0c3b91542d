#pragma once
// Unit NUV_fourier: the fast Fourier transform component.

#include "nuv/analysis/TFastFourier.hpp"
#include "nuv/analysis/fourier_errors.hpp"
