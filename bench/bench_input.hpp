// Inputs shared by the benchmark programs, so that ours and the peers time the same cells.
#pragma once

#include <cstddef>
#include <vector>

namespace nuv::bench {

// A fixed linear congruential sequence, column-major, uniform in [-1, 1).
inline std::vector<double> Input(int rows, int cols, unsigned seed) {
  std::vector<double> v(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  unsigned x = seed;
  for (double& e : v) {
    x = x * 1664525u + 1013904223u;
    e = static_cast<double>(x >> 8) / 8388608.0 - 1.0;
  }
  return v;
}

}  // namespace nuv::bench
