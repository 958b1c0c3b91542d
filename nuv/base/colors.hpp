#pragma once
// Colour conversions of an RGB triple (channels 0..255).

#include "nuv/platform/types.hpp"

namespace nuv {

/// Luma grey value: Round(0.299 R + 0.587 G + 0.114 B).
Integer RGBtoGray(Byte R, Byte G, Byte B);
/// Hue in degrees (0..360), saturation 0..1 and intensity (R+G+B)/3 of an RGB triple;
/// grey triples have hue 0, black has saturation 0.
void RGBtoHSI(Byte R, Byte G, Byte B, double& H, double& S, double& I);

}  // namespace nuv
