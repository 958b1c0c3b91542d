#pragma once
// NUV_math2: window filters over a stretch of a vector (moving average, moving median,
// triangular weights, Savitzky-Golay smoothing and second derivative, first derivative) and
// the exported Savitzky-Golay coefficient tables.
// While one of these routines runs, the progress procedure and the handlers of the containers
// it uses may change their values but not their sizes: such a resize is refused (Resize returns
// false and changes nothing). Freeing a container from a handler is undefined.

#include <array>

#include "nuv/base/types.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
inline namespace NUV_math2 {

/// One row per window length 5, 7, ..., 25 (half-width m = row + 2): the norm, then
/// c0, c1, ..., c12 (unused entries 0). Filtered value at i:
/// (c0·x(i) + Σ j=1..m c(j)·(x(i + j) + x(i - j))) / norm.
using TGolayTable = std::array<std::array<Integer, 14>, 11>;

/// Quadratic Savitzky-Golay smoothing weights; each row's weights sum to its norm.
extern const TGolayTable GolayPoly;
/// Savitzky-Golay second-derivative weights at unit spacing (Σ c(|j|)·j² = 2·norm).
extern const TGolayTable Golay2ndDeriv;

// Every filter reads SourceVec's elements FirstElem..LastElem (clamped into 1..NrOfElem,
// exchanged when reversed; L = their count) and writes the filtered value at source position i
// to DestVec element i - FirstElem + 1 for i = FirstElem + h .. LastElem - h, h = WinLength div
// 2; DestVec's first h elements repeat element h + 1 and its last h (up to L) element L - h.
// DestVec is not resized: elements beyond it are skipped. Writes go through SetVal (one
// OnChange each), then DestVec.Changed(). SourceVec may be DestVec. Raises ENUVMath2Error,
// before anything is written, "<Name>: either SourceVec or DestVec is undefined", then the
// range message when LastElem - FirstElem < WinLength, then "length ... is out of range", then
// "length ... must be odd".

/// Mean of the window; WinLength odd, >= 3.
void MovingAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                         Integer WinLength);
/// Median of the window (Q2 of TVector::Quartiles); WinLength odd, >= 3.
void MovingMedianSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                        Integer WinLength);
/// Triangular weights h + 1 - |j| scaled to sum 1; WinLength odd, >= 3.
void WeightedAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem,
                           TVector* DestVec, Integer WinLength);
/// Quadratic Savitzky-Golay smoothing (GolayPoly); WinLength odd, 5..25.
void PolynomialSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                      Integer WinLength);
/// Savitzky-Golay second derivative at unit spacing (Golay2ndDeriv); WinLength odd, 5..25.
void SecondDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                 Integer WinLength);
/// Least-squares slope Σ j·x(i + j) / (h(h + 1)(2h + 1)/3); WinLength odd, 5..25.
void FirstDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                Integer WinLength);

}  // namespace NUV_math2
}  // namespace nuv
