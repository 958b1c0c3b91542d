#include "nuv/analysis/math2_smooth.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "nuv/analysis/math2_errors.hpp"
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

// The checks and the edge rule shared by every filter. Value(x, i) gives the filtered value
// at offset i of the copied stretch x; the copy lets the source be the destination.
template <class F>
void RunFilter(std::string_view Name, TTextSet Texts, TVector* SourceVec, Integer FirstElem,
               Integer LastElem, TVector* DestVec, Integer WinLength, Integer MinWin,
               Integer MaxWin, F Value) {
  const TFilterTexts& t = kWindowTexts[Texts];
  if (SourceVec == nullptr || DestVec == nullptr) {
    detail::RaiseFunction<ENUVMath2Error>(Name, "either SourceVec or DestVec is undefined");
  }
  const Integer n = SourceVec->NrOfElem();
  FirstElem = FirstElem < 1 ? 1 : (FirstElem > n ? n : FirstElem);
  LastElem = LastElem < 1 ? 1 : (LastElem > n ? n : LastElem);
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  if (LastElem - FirstElem < WinLength) detail::RaiseFunction<ENUVMath2Error>(Name, t.Range);
  if (WinLength < MinWin || WinLength > MaxWin) {
    detail::RaiseFunction<ENUVMath2Error>(Name, t.OutOfRange);
  }
  if (WinLength % 2 == 0) detail::RaiseFunction<ENUVMath2Error>(Name, t.Odd);

  const Integer h = WinLength / 2;
  const Integer len = LastElem - FirstElem + 1;
  std::vector<double> x(static_cast<std::size_t>(len));
  for (Integer k = 0; k < len; ++k)
    x[static_cast<std::size_t>(k)] = SourceVec->GetVal(FirstElem + k);
  for (Integer k = h; k < len - h; ++k) DestVec->SetVal(k + 1, Value(x, k, h));
  const double low = DestVec->GetVal(h + 1);
  for (Integer k = 1; k <= h; ++k) DestVec->SetVal(k, low);
  const double high = DestVec->GetVal(len - h);
  for (Integer k = len - h + 1; k <= len; ++k) DestVec->SetVal(k, high);
  DestVec->Changed();
}

inline double At(const std::vector<double>& x, Integer k) {
  return x[static_cast<std::size_t>(k)];
}

// Savitzky-Golay row of the window applied at offset k.
double GolayValue(const TGolayTable& Table, const std::vector<double>& x, Integer k, Integer h) {
  const auto& row = Table[static_cast<std::size_t>(h - 2)];
  double s = row[1] * At(x, k);
  for (Integer j = 1; j <= h; ++j) {
    s += row[static_cast<std::size_t>(j + 1)] * (At(x, k + j) + At(x, k - j));
  }
  return s / row[0];
}

}  // namespace

inline namespace NUV_math2 {

void MovingAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                         Integer WinLength) {
  RunFilter("MovingAverageSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength, 3,
            INT32_MAX, [WinLength](const std::vector<double>& x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += At(x, k + j);
              return s / WinLength;
            });
}

void MovingMedianSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                        Integer WinLength) {
  TVector win(nullptr);
  RunFilter("MovingMedianSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength, 3,
            INT32_MAX, [&win, WinLength](const std::vector<double>& x, Integer k, Integer h) {
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
            });
}

void WeightedAverageSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem,
                           TVector* DestVec, Integer WinLength) {
  RunFilter("WeightedAverageSmooth", tsWindow, SourceVec, FirstElem, LastElem, DestVec, WinLength,
            3, INT32_MAX, [WinLength](const std::vector<double>& x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += (h + 1 - (j < 0 ? -j : j)) * At(x, k + j);
              // The triangular weights sum to ((WinLength + 1) / 2)²; kept in double, as the
              // square of a long window overflows 32 bits.
              const double w = static_cast<double>(WinLength) + 1.0;
              return s * (4.0 / (w * w));
            });
}

void PolynomialSmooth(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                      Integer WinLength) {
  RunFilter("PolynomialSmooth", tsPolynomial, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5,
            25, [](const std::vector<double>& x, Integer k, Integer h) {
              return GolayValue(GolayPoly, x, k, h);
            });
}

void SecondDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                 Integer WinLength) {
  RunFilter("SecondDeriv", tsPolynomial, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5, 25,
            [](const std::vector<double>& x, Integer k, Integer h) {
              return GolayValue(Golay2ndDeriv, x, k, h);
            });
}

void FirstDeriv(TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                Integer WinLength) {
  RunFilter("FirstDeriv", tsCalculation, SourceVec, FirstElem, LastElem, DestVec, WinLength, 5, 25,
            [](const std::vector<double>& x, Integer k, Integer h) {
              double s = 0.0;
              for (Integer j = -h; j <= h; ++j) s += j * At(x, k + j);
              return s / kFirstDerivNorm[static_cast<std::size_t>(h - 2)];
            });
}

}  // namespace NUV_math2
}  // namespace nuv
