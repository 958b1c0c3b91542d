#pragma once
// Unit NUV_kohonen: the self-organising map component.

#include "nuv/analysis/TKohonen.hpp"
