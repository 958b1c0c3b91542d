#pragma once
// Unit NUV_math1: scalar functions, conversions, random generators, sorting and selection.

#include "nuv/scalar/math1_random.hpp"
#include "nuv/scalar/math1_sort.hpp"
#include "nuv/scalar/scalar_errors.hpp"
