#pragma once
// Unit NUV_sline: the straight-line component.

#include "nuv/analysis/TSLine.hpp"
