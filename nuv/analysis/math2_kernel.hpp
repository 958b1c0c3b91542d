#pragma once
// NUV_math2: windowed-sinc filter kernels, the moving kernel filter and recursive Chebyshev
// filters. Frequencies are fractions of the sampling rate, 0 to 0.5.
// While one of these routines runs, the progress procedure and the handlers of the containers
// it uses may change their values but not their sizes: such a resize is refused (Resize returns
// false and changes nothing). Freeing a container from a handler is undefined.

#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
inline namespace NUV_math2 {

// Kernels have N values with the centre at element N div 2 + 1 (array index N div 2). Window
// type 1 is Hamming, 2 Blackman, any other value no window. The TVector forms resize the
// kernel to N and write each value through SetVal; N < 1 leaves it unchanged, and a null
// kernel does nothing. The array forms set the array to max(N, 0) values.

/// Low-pass kernel with cut-off Fc (clamped to 0..0.5), scaled to a sum of 1 (unit gain at
/// frequency 0) unless its sum is 0.
void CalcSincLPKernel(Integer N, double Fc, Integer WindowType, TVector* Kernel);
void CalcSincLPKernel(Integer N, double Fc, Integer WindowType, TDoubleArray& Kernel);
/// High-pass kernel: the low-pass kernel negated, plus 1 at the centre.
void CalcSincHPKernel(Integer N, double Fc, Integer WindowType, TVector* Kernel);
void CalcSincHPKernel(Integer N, double Fc, Integer WindowType, TDoubleArray& Kernel);
/// Band-stop kernel between F1 and F2 (either order): the low-pass kernel of the smaller
/// frequency plus the high-pass kernel of the larger one.
void CalcSincBSKernel(Integer N, double F1, double F2, Integer WindowType, TVector* Kernel);
void CalcSincBSKernel(Integer N, double F1, double F2, Integer WindowType, TDoubleArray& Kernel);
/// Band-pass kernel between F1 and F2: the band-stop kernel negated, plus 1 at the centre.
void CalcSincBPKernel(Integer N, double F1, double F2, Integer WindowType, TVector* Kernel);
void CalcSincBPKernel(Integer N, double F1, double F2, Integer WindowType, TDoubleArray& Kernel);

/// Applies Kernel (K elements, unreversed) to SourceVec's elements FirstElem..LastElem (clamped
/// into the source, put in order): DestVec(p - FirstElem + 1) := Σ source(q)·kernel(i), i = 1..K,
/// q = p + i - K div 2 - 1 held within FirstElem..LastElem (edge values repeat). DestVec is
/// resized to the source's NrOfElem, written through SetVal, then its Changed is called; it may
/// be the source or the kernel. Raises ENUVMath2Error "MovingKernelfilter: SourceVec, DestVec
/// and/or FilterKernel is undefined" for a null vector and "MovingKernelfilter: specified range
/// for smoothing is smaller than the length of the kernel" when LastElem - FirstElem < K.
void MovingKernelFilter(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                        TVector* FilterKernel);

/// Recursive Chebyshev type I (Ripple in percent, 0 gives Butterworth) low-pass or high-pass
/// design with NPoles poles, -3 dB at CutOff and unit gain in the pass band. a0 receives the
/// coefficient of x[n]; Coeffs is resized to 2 columns by NPoles rows, row r holding the
/// feed-forward a(r) and the feedback b(r) of y[n] = Σ a(i)·x[n-i] + Σ b(r)·y[n-r]. Raises
/// ENUVMath2Error, nothing changed: "CalcChebFilterCoeffs: NPoles must be even",
/// "CalcChebFilterCoeffs: NPoles must be in the range 0 to 20", "CalcChebFilterCoeffs: invalid
/// Ripple value" (outside 0..29 or NaN), "CalcChebFilterCoeffs: invalid cutoff frequency"
/// (outside 0..0.5 or NaN, or a cut-off the design cannot scale to unit gain: a low pass at 0,
/// a high pass at 0.5, or one so close to them that the gain is 0 or not finite),
/// "CalcChebFilterCoeffs: design is unstable in double precision" (a pole of the stored
/// recursion on or outside the unit circle, by a Schur-Cohn test) and "CalcChebFilterCoeffs:
/// design amplifies rounding beyond 1e-6" (the recursion's rounding, amplified by its feedback,
/// could move a settled output more than 1e-6 from the pass-band gain). Double precision holds
/// 2 poles at any cut-off, 4 poles from about 0.005, 6 from 0.02, 8 from 0.05, 10 from 0.1 and
/// 12 to 20 poles only for cut-offs near 0.2 to 0.4 (the high pass alike, mirrored); many poles
/// at a low cut-off put the poles so close to 1 that the expanded polynomial cannot keep them.
/// A null Coeffs does nothing (a0 untouched, nothing checked).
void CalcChebFilterCoeffs(Integer NPoles, bool HighPass, double CutOff, double Ripple, double& a0,
                          TMatrix* Coeffs);

/// Zero-phase recursive filter with a0 and Coeffs (as from CalcChebFilterCoeffs), s =
/// NrOfRows(Coeffs) + 1: the source, read up to position LastElem + s with zeros outside it and
/// before position 1, is filtered forwards over the positions 1 .. LastElem + 2s and then
/// backwards, and the results at FirstElem..LastElem are written through SetVal to DestVec at
/// the same positions, so the values do not depend on FirstElem. DestVec keeps its size (positions
/// below 1 or beyond it are skipped) and may be the source. FirstElem > LastElem, LastElem + 2s
/// beyond the Integer range and null arguments do nothing.
void ChebychevFilter(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                     double a0, TMatrix* Coeffs);

}  // namespace NUV_math2
}  // namespace nuv
