#pragma once
// Unit NUV_matrix: the matrix components and their error class.

#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/matrix_errors.hpp"
