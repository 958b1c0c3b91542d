#pragma once
// Unit NUV_vector: the vector components.

#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "nuv/scalar/scalar_errors.hpp"
