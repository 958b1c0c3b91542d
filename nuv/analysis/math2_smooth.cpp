#include "nuv/analysis/math2_smooth.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/scalar/detail/vector_access.hpp"
#include "nuv/scalar/detail/vector_core.hpp"

namespace nuv {

inline namespace NUV_math2 {

const TGolayTable GolayPoly = {{
    {35, 17, 12, -3},
    {21, 7, 6, 3, -2},
    {231, 59, 54, 39, 14, -21},
    {429, 89, 84, 69, 44, 9, -36},
    {143, 25, 24, 21, 16, 9, 0, -11},
    {1105, 167, 162, 147, 122, 87, 42, -13, -78},
    {323, 43, 42, 39, 34, 27, 18, 7, -6, -21},
    {2261, 269, 264, 249, 224, 189, 144, 89, 24, -51, -136},
    {3059, 329, 324, 309, 284, 249, 204, 149, 84, 9, -76, -171},
    {805, 79, 78, 75, 70, 63, 54, 43, 30, 15, -2, -21, -42},
    {5175, 467, 462, 447, 422, 387, 342, 287, 222, 147, 62, -33, -138, -253},
}};

const TGolayTable Golay2ndDeriv = {{
    {7, -2, -1, 2},
    {42, -4, -3, 0, 5},
    {462, -20, -17, -8, 7, 28},
    {429, -10, -9, -6, -1, 6, 15},
    {1001, -14, -13, -10, -5, 2, 11, 22},
    {6188, -56, -53, -44, -29, -8, 19, 52, 91},
    {3876, -24, -23, -20, -15, -8, 1, 12, 25, 40},
    {6783, -30, -29, -26, -21, -14, -5, 6, 19, 34, 51},
    {33649, -110, -107, -98, -83, -62, -35, -2, 37, 82, 133, 190},
    {17710, -44, -43, -40, -35, -28, -19, -8, 5, 20, 37, 56, 77},
    {26910, -52, -51, -48, -43, -36, -27, -16, -3, 12, 29, 48, 69, 92},
}};

}  // namespace NUV_math2

namespace {

// Σ j² over j = -m..m, the first derivative's norm for m = 2..12.
constexpr std::array<Integer, 11> kFirstDerivNorm = {10,  28,  60,  110,  182, 280,
                                                     408, 570, 770, 1012, 1300};

struct TFilterTexts {
  std::string_view Range;
  std::string_view OutOfRange;
  std::string_view Odd;
};

constexpr TFilterTexts kWindowTexts[] = {
    {"specified range for smoothing is smaller than the length of the smoothing windows",
     "length of smoothing window is out of range", "length of smoothing window must be odd"},
    {"specified range for smoothing is smaller than the length of the polynomial",
     "length of polynomial is out of range", "length of polynomial must be odd"},
    {"specified range for calculation is smaller than the length of the polynomial",
     "length of polynomial is out of range", "length of polynomial must be odd"},
};

enum TTextSet { tsWindow, tsPolynomial, tsCalculation };

// The checks and the edge rule shared by every filter. Fill(x, h, b, e, out) puts the filtered
// values at offsets b..e - 1 of the stretch x into out[0..e - b - 1]. Values depend on the
// source alone, so they may all be formed before the first store; a watched destination then
// gets every store through SetVal. PerElement keeps each value right before its store when a
// handler watches (the median's sorts report progress in between).
template <class F>
void RunFilter(std::string_view Name, TTextSet Texts, TVector* SourceVec, Integer FirstElem,
               Integer LastElem, TVector* DestVec, Integer WinLength, Integer MinWin,
               Integer MaxWin, bool PerElement, F RawFill) {
  const TFilterTexts& t = kWindowTexts[Texts];
  if (SourceVec == nullptr || DestVec == nullptr) {
    detail::RaiseFunction<ENUVMath2Error>(Name, "either SourceVec or DestVec is undefined");
  }
  // The stretch, the destination's length and its storage are held across its handler and
  // the median's progress reports.
  detail::TUseGuard use(SourceVec, DestVec);
  const Integer n = SourceVec->NrOfElem();
  FirstElem = FirstElem < 1 ? 1 : (FirstElem > n ? n : FirstElem);
  LastElem = LastElem < 1 ? 1 : (LastElem > n ? n : LastElem);
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  if (LastElem - FirstElem < WinLength) detail::RaiseFunction<ENUVMath2Error>(Name, t.Range);
  if (WinLength < MinWin || WinLength > MaxWin) {
    detail::RaiseFunction<ENUVMath2Error>(Name, t.OutOfRange);
  }
  if (WinLength % 2 == 0) detail::RaiseFunction<ENUVMath2Error>(Name, t.Odd);

  // Samples of extreme magnitude are filtered in a power-of-two unit (see scaling.hpp): the
  // weighted sums of samples near the top of the double range would overflow (or, with
  // weights of both signs, give ∞ - ∞) although the output is representable. Every filter is
  // linear or takes an order statistic, so the outputs are scaled back exactly.
  const int unit = detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
                                               const double* p =
                                                   detail::TVectorAccess::Elems(*SourceVec);
                                               for (Integer k = FirstElem; k <= LastElem; ++k)
                                                 f(p[k - 1]);
                                             }),
                                             detail::kLinearSafeExp);
  std::vector<double> scaledSrc;
  auto Fill = [&](const double* src, Integer hw, std::size_t b, std::size_t e, double* out) {
    if (unit == 0) {
      RawFill(src, hw, b, e, out);
      return;
    }
    // src is the stretch from its first element; it is read (and scaled) once.
    if (scaledSrc.empty()) {
      const double f = detail::ScaleFactor(unit);
      scaledSrc.resize(static_cast<std::size_t>(LastElem - FirstElem + 1));
      for (std::size_t k = 0; k < scaledSrc.size(); ++k) scaledSrc[k] = src[k] * f;
    }
    RawFill(scaledSrc.data(), hw, b, e, out);
    for (std::size_t k = 0; k < e - b; ++k) out[k] = detail::ScaleUp(out[k], unit);
  };

  const Integer h = WinLength / 2;
  const Integer len = LastElem - FirstElem + 1;
  const auto hs = static_cast<std::size_t>(h);
  const auto inner = static_cast<std::size_t>(len - 2 * h);
  std::vector<double> x;
  const auto copySource = [&] {
    SourceVec->CopyToArray(x, FirstElem, LastElem);
    return x.data();
  };
  if (DestVec->OnChange()) {
    const double* src = copySource();
    if (PerElement) {
      for (std::size_t k = hs; k < hs + inner; ++k) {
        double y = 0.0;
        Fill(src, h, k, k + 1, &y);
        DestVec->SetVal(static_cast<Integer>(k) + 1, y);
      }
    } else {
      std::vector<double> y(inner);
      Fill(src, h, hs, hs + inner, y.data());
      DestVec->CopyFromArray(y, h + 1);
    }
  } else {
    // No handler sees the stores: they go straight to storage, those beyond the destination
    // dropped as SetVal drops them.
    const auto destLen = static_cast<std::size_t>(DestVec->NrOfElem());
    const std::size_t room = destLen > hs ? std::min(inner, destLen - hs) : 0;
    double* out = detail::TVectorAccess::Elems(*DestVec) + hs;
    if (SourceVec != DestVec && room == inner && !PerElement) {
      const double* src =
          detail::TVectorAccess::Elems(*SourceVec) + static_cast<std::size_t>(FirstElem - 1);
      Fill(src, h, hs, hs + inner, out);
    } else {
      // Every value is formed (the median reports progress for each) from a copy taken
      // before the first store, which may reach the source.
      const double* src = copySource();
      std::vector<double> y(inner);
      Fill(src, h, hs, hs + inner, y.data());
      std::copy(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(room), out);
    }
    if (room > 0) detail::TVectorAccess::MarkWritten(*DestVec);
  }
  const double low = DestVec->GetVal(h + 1);
  for (Integer k = 1; k <= h; ++k) DestVec->SetVal(k, low);
  const double high = DestVec->GetVal(len - h);
  for (Integer k = len - h + 1; k <= len; ++k) DestVec->SetVal(k, high);
  DestVec->Changed();
}

// A filter given by its value at one offset, applied offset by offset.
template <class V>
auto EachOffset(V Value) {
  return [Value](const double* x, Integer h, std::size_t b, std::size_t e, double* out) {
    for (std::size_t k = b; k < e; ++k) out[k - b] = Value(x, static_cast<Integer>(k), h);
  };
}

inline double At(const double* x, Integer k) {
  return x[static_cast<std::size_t>(k)];
}

// Savitzky-Golay row with half-width H over offsets b..e - 1, the weights converted to double
// once; a fixed H lets the compiler unroll the window.
template <int H>
void GolayRun(const std::array<Integer, 14>& row, const double* x, std::size_t b, std::size_t e,
              double* out) {
  double w[H + 1];
  for (int j = 0; j <= H; ++j) w[j] = static_cast<double>(row[static_cast<std::size_t>(j + 1)]);
  const auto norm = static_cast<double>(row[0]);
  for (std::size_t k = b; k < e; ++k) {
    double s = w[0] * x[k];
    for (std::size_t j = 1; j <= H; ++j) s += w[j] * (x[k + j] + x[k - j]);
    out[k - b] = s / norm;
  }
}

template <int... Hs>
void GolayDispatch(std::integer_sequence<int, Hs...>, const TGolayTable& Table, Integer h,
                   const double* x, std::size_t b, std::size_t e, double* out) {
  const auto& row = Table[static_cast<std::size_t>(h - 2)];
  ((h == Hs + 2 ? GolayRun<Hs + 2>(row, x, b, e, out) : void()), ...);
}

// Savitzky-Golay row of the window over offsets b..e - 1 (half-widths 2..12).
void GolayFill(const TGolayTable& Table, const double* x, Integer h, std::size_t b, std::size_t e,
               double* out) {
  GolayDispatch(std::make_integer_sequence<int, 11>{}, Table, h, x, b, e, out);
}

}  // namespace

inline namespace NUV_math2 {

void MovingAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                         Integer WinLength) {
  RunFilter("MovingAverageSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength, 3,
            INT32_MAX, false, EachOffset([WinLength](const double* x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += At(x, k + j);
              return s / WinLength;
            }));
}

void MovingMedianSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                        Integer WinLength) {
  TVector win(nullptr);
  RunFilter("MovingMedianSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength, 3,
            INT32_MAX, true, EachOffset([&win, WinLength](const double* x, Integer k, Integer h) {
              win.SetVecSize(WinLength);
              // The centre first, then its neighbours outwards alternately to the right and left.
              win.SetVal(1, At(x, k));
              for (Integer j = 1; j <= h; ++j) {
                win.SetVal(2 * j, At(x, k + j));
                win.SetVal(2 * j + 1, At(x, k - j));
              }
              double q1 = 0.0;
              double q2 = 0.0;
              double q3 = 0.0;
              win.Quartiles(1, WinLength, q1, q2, q3);
              return q2;
            }));
}

void WeightedAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem,
                           TVector* DestVec, Integer WinLength) {
  RunFilter("WeightedAverageSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength,
            3, INT32_MAX, false, EachOffset([WinLength](const double* x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += (h + 1 - (j < 0 ? -j : j)) * At(x, k + j);
              // The triangular weights sum to ((WinLength + 1) / 2)²; kept in double, as the
              // square of a long window overflows 32 bits.
              const double w = static_cast<double>(WinLength) + 1.0;
              return s * (4.0 / (w * w));
            }));
}

void PolynomialSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                      Integer WinLength) {
  RunFilter("PolynomialSmooth", tsPolynomial, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5,
            25, false, [](const double* x, Integer h, std::size_t b, std::size_t e, double* out) {
              GolayFill(GolayPoly, x, h, b, e, out);
            });
}

void SecondDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                 Integer WinLength) {
  RunFilter("SecondDeriv", tsPolynomial, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5, 25,
            false, [](const double* x, Integer h, std::size_t b, std::size_t e, double* out) {
              GolayFill(Golay2ndDeriv, x, h, b, e, out);
            });
}

void FirstDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                Integer WinLength) {
  RunFilter("FirstDeriv", tsCalculation, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5, 25,
            false, EachOffset([](const double* x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += j * At(x, k + j);
              return s / kFirstDerivNorm[static_cast<std::size_t>(h - 2)];
            }));
}

}  // namespace NUV_math2
}  // namespace nuv
