// TMatrix: sorting and exchanging rows and columns, distances between rows.
#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "nuv/base/scaling.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {

void TMatrix::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  // A key column outside the matrix gives no order: nothing is sorted and nothing fires.
  if (FNCol < 1 || FNRow < 1 || SortColIx < 1 || SortColIx > FNCol) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighRow - LowRow <= 0) return;
  const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
  // The exchange handler may change cells, never the size the sort runs over.
  detail::TUseGuard use(this);
  auto key = [this, SortColIx](Int64 r) { return GetVal(SortColIx, static_cast<Integer>(r)); };
  auto swapCell = [this](Integer c, Integer r1, Integer r2) {
    if (c < 1 || c > FNCol || r1 > FNRow || r2 > FNRow) return;
    std::swap(FData[Index(c, r1)], FData[Index(c, r2)]);
  };
  detail::CombSort(
      LowRow, [this, HighRow] { return static_cast<Int64>(std::min(HighRow, FNRow)); },
      HighRow - LowRow,
      [&](Int64 i, Int64 j) { return Ascending ? key(i) > key(j) : key(j) > key(i); },
      [&](Int64 i, Int64 j) {
        const auto r1 = static_cast<Integer>(i);
        const auto r2 = static_cast<Integer>(j);
        for (Integer c = LowCol; c <= HighCol; ++c) swapCell(c, r1, r2);
        if (keyOutside) swapCell(SortColIx, r1, r2);
        SortExchange(2, r1, r2, LowCol, HighCol);
      },
      [] {});
  Changed();
}

void TMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  if (FNCol < 1 || FNRow < 1 || SortRowIx < 1 || SortRowIx > FNRow) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (HighCol - LowCol <= 0) return;
  const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
  detail::TUseGuard use(this);
  auto key = [this, SortRowIx](Int64 c) { return GetVal(static_cast<Integer>(c), SortRowIx); };
  auto swapCell = [this](Integer r, Integer c1, Integer c2) {
    if (r < 1 || r > FNRow || c1 > FNCol || c2 > FNCol) return;
    std::swap(FData[Index(c1, r)], FData[Index(c2, r)]);
  };
  detail::CombSort(
      LowCol, [this, HighCol] { return static_cast<Int64>(std::min(HighCol, FNCol)); },
      HighCol - LowCol,
      [&](Int64 i, Int64 j) { return Ascending ? key(i) > key(j) : key(j) > key(i); },
      [&](Int64 i, Int64 j) {
        const auto c1 = static_cast<Integer>(i);
        const auto c2 = static_cast<Integer>(j);
        for (Integer r = LowRow; r <= HighRow; ++r) swapCell(r, c1, c2);
        if (keyOutside) swapCell(SortRowIx, c1, c2);
        SortExchange(1, c1, c2, LowRow, HighRow);
      },
      [] {});
  Changed();
}

void TMatrix::MirrorColumns() {
  if (FNRow > 0) {
    for (Integer c1 = 1, c2 = FNCol; c1 < c2; ++c1, --c2) {
      for (Integer r = 1; r <= FNRow; ++r) std::swap(FData[Index(c1, r)], FData[Index(c2, r)]);
    }
  }
  Changed();
}

void TMatrix::MirrorRows() {
  if (FNCol > 0) {
    for (Integer r1 = 1, r2 = FNRow; r1 < r2; ++r1, --r2) {
      for (Integer c = 1; c <= FNCol; ++c) std::swap(FData[Index(c, r1)], FData[Index(c, r2)]);
    }
  }
  Changed();
}

void TMatrix::ExchangeColumns(Integer c1, Integer c2) {
  if (c1 < 1 || c1 > FNCol || c2 < 1 || c2 > FNCol || FNRow < 1) return;
  for (Integer r = 1; r <= FNRow; ++r) std::swap(FData[Index(c1, r)], FData[Index(c2, r)]);
  Changed();
}

void TMatrix::ExchangeRows(Integer r1, Integer r2) {
  if (r1 < 1 || r1 > FNRow || r2 < 1 || r2 > FNRow || FNCol < 1) return;
  for (Integer c = 1; c <= FNCol; ++c) std::swap(FData[Index(c, r1)], FData[Index(c, r2)]);
  Changed();
}

double TMatrix::DistanceOfObjects(TDistMode Mode, Integer obj1, Integer obj2) {
  if (Mode == dmUserDef) {
    double distance = 0.0;
    if (FOnCalcDist) FOnCalcDist(this, obj1, obj2, distance);
    return distance;
  }
  // The sums of the pair with the cells read times f (1: the plain sums).
  double sxy = 0.0, sxx = 0.0, syy = 0.0, sum = 0.0;
  auto sums = [&](double f) {
    sxy = sxx = syy = sum = 0.0;
    for (Integer c = 1; c <= FNCol; ++c) {
      const double x = GetVal(c, obj1) * f;
      const double y = GetVal(c, obj2) * f;
      switch (Mode) {
        case dmJaccard:
        case dmDice:
          sxy += x * y;
          sxx += x * x;
          syy += y * y;
          break;
        case dmManhattan:
          sum += std::fabs(x - y);
          break;
        case dmEuclid:
        case dmEuclidSqr:
          sum += (x - y) * (x - y);
          break;
        default:
          break;
      }
    }
  };
  sums(1.0);
  // Sums that left the safe range (see scaling.hpp) are formed again with the pair in a
  // power-of-two unit: the coefficients do not depend on it, the distances scale back.
  auto safe = [](double v) { return v >= 0x1p-960 && v <= 0x1p960; };
  const bool products = Mode == dmJaccard || Mode == dmDice;
  const bool rescue = products                                  ? !safe(sxx) || !safe(syy)
                      : Mode == dmManhattan                     ? !(sum <= 0x1p960)
                      : Mode == dmEuclid || Mode == dmEuclidSqr ? !safe(sum)
                                                                : false;
  int e = 0;
  if (rescue) {
    e = detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
                                    for (Integer c = 1; c <= FNCol; ++c) {
                                      f(GetVal(c, obj1));
                                      f(GetVal(c, obj2));
                                    }
                                  }),
                                  0);
    if (e != 0) sums(detail::ScaleFactor(e));
  }
  switch (Mode) {
    case dmJaccard:
      return sxy / (sxx + syy - sxy);
    case dmDice:
      return 2.0 * sxy / (sxx + syy);
    case dmManhattan:
      return detail::ScaleUp(sum, e);
    case dmEuclidSqr:
      return e == 0 ? sum : std::ldexp(sum, 2 * e);
    case dmEuclid:
      return detail::ScaleUp(std::sqrt(sum), e);
    default:
      return 0.0;
  }
}

Integer TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DMat) {
  const Integer n = FNRow;
  if (DMat == nullptr || DMat->NrOfColumns() != n) return -2;
  if (DMat->NrOfRows() != n) return -1;
  // The user distance and DMat's handler may not resize either matrix while n rows are paired.
  detail::TUseGuard use(this, DMat);
  if (DMat != this) {
    for (Integer i = 1; i < n; ++i) {
      DMat->SetVal(i, i, 0.0);
      for (Integer j = i + 1; j <= n; ++j) {
        const double d = DistanceOfObjects(Mode, i, j);
        DMat->SetVal(i, j, d);
        DMat->SetVal(j, i, d);
      }
    }
    DMat->SetVal(n, n, 0.0);
    return 0;
  }
  // Written into itself, later distances would read cells already overwritten: all distances
  // are formed first (fewer than the n by n cells the matrix already holds), then stored in the
  // usual order.
  std::vector<double> dist;
  try {
    dist.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n - 1) / 2);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  for (Integer i = 1; i < n; ++i) {
    for (Integer j = i + 1; j <= n; ++j) dist.push_back(DistanceOfObjects(Mode, i, j));
  }
  std::size_t k = 0;
  for (Integer i = 1; i < n; ++i) {
    SetVal(i, i, 0.0);
    for (Integer j = i + 1; j <= n; ++j, ++k) {
      SetVal(i, j, dist[k]);
      SetVal(j, i, dist[k]);
    }
  }
  SetVal(n, n, 0.0);
  return 0;
}

}  // namespace nuv
