#include "nuv/base/colors.hpp"

#include <algorithm>
#include <cmath>

#include "nuv/platform/rounding.hpp"

namespace nuv {

Integer RGBtoGray(Byte R, Byte G, Byte B) {
  return static_cast<Integer>(Round(0.299 * R + 0.587 * G + 0.114 * B));
}

void RGBtoHSI(Byte R, Byte G, Byte B, double& H, double& S, double& I) {
  const double r = R;
  const double g = G;
  const double b = B;
  I = (r + g + b) / 3.0;
  const double mn = std::min({r, g, b});
  S = I == 0.0 ? 0.0 : 1.0 - mn / I;
  // Textbook arccos form of the hue; undefined for greys, where it is taken as 0.
  const double num = 0.5 * ((r - g) + (r - b));
  const double den = std::sqrt((r - g) * (r - g) + (r - b) * (g - b));
  if (den == 0.0) {
    H = 0.0;
    return;
  }
  const double theta = std::acos(std::clamp(num / den, -1.0, 1.0)) * 180.0 / 3.141592653589793;
  H = b > g ? 360.0 - theta : theta;
}

}  // namespace nuv
