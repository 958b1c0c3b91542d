#pragma once
// Unit NUV_math1: scalar functions, conversions, random generators, sorting and selection.

#include "nuv/scalar/TKahanSum.hpp"
#include "nuv/scalar/math1_format.hpp"
#include "nuv/scalar/math1_functions.hpp"
#include "nuv/scalar/math1_geometry.hpp"
#include "nuv/scalar/math1_primes.hpp"
#include "nuv/scalar/math1_random.hpp"
#include "nuv/scalar/math1_scales.hpp"
#include "nuv/scalar/math1_sort.hpp"
#include "nuv/scalar/scalar_errors.hpp"
