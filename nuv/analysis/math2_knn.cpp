#include "nuv/analysis/math2_knn.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
inline namespace NUV_math2 {
namespace {

// Best-N list of distances (ascending) with the row of each, as the neighbour searches keep it:
// a candidate goes in front of equal distances and a tie with the last entry displaces it.
template <std::size_t N>
struct TNeighbourList {
  std::array<double, N> Dist;
  std::array<Integer, N> Row;
  TNeighbourList() {
    Dist.fill(uc_MaxReal);
    Row.fill(0);
  }
  void Offer(double d, Integer r) {
    const Integer at = SortIntoArray(std::span<double>(Dist), d, true, true);
    if (at >= 0) InsertIntoArray(std::span<Integer>(Row), r, at);
  }
};

double RowDistance(TMatrix& Data, Integer r1, Integer r2) {
  return detail::RootSumSqDiff([&](auto&& f) {
    for (Integer c = 1; c <= Data.NrOfColumns(); ++c) f(Data.GetVal(c, r1), Data.GetVal(c, r2));
  });
}

// The sum of squares s of a distance is safe where it lies well inside the normal range; a
// row outside it (far beyond the data's unit, a near twin, or an exact one) is measured again
// by the scaled sum.
bool SafeSumSq(double s) {
  return s >= 0x1p-960 && s <= 0x1p960;
}

// (distance / width)² from the plain sum of squares s where it and width² are safe, else from
// the scaled distance, so the kernel depends on the ratio alone.
template <class Visit>
double GaussExponent(double s, double width, Visit&& pairs) {
  const double w2 = width * width;
  if ((SafeSumSq(s) || s == 0.0) && SafeSumSq(w2)) return s / w2;
  const double r = detail::RootSumSqDiff(pairs) / std::fabs(width);
  return r * r;
}

}  // namespace

void MeanDistanceKNN(TMatrix* Data, Integer k, Integer FirstRow, Integer LastRow, TVector& Result) {
  if (Data == nullptr) return;
  // The clamped range is held across Result's handler.
  detail::TUseGuard use(Data, &Result);
  const Integer n = Data->NrOfRows();
  if (n < 1) return;
  FirstRow = std::clamp<Integer>(FirstRow, 1, n);
  LastRow = std::clamp<Integer>(LastRow, 1, n);
  if (LastRow < FirstRow) std::swap(FirstRow, LastRow);
  k = std::clamp<Integer>(k, 1, 50);
  k = std::min(k, n);
  // Fewer rows than k would average unfilled list entries.
  k = std::min(k, LastRow - FirstRow + 1);
  for (Integer i = FirstRow; i <= LastRow; ++i) {
    TNeighbourList<51> list;
    for (Integer j = FirstRow; j <= LastRow; ++j) list.Offer(RowDistance(*Data, i, j), j);
    double sum = 0.0;
    for (Integer m = 0; m < k; ++m) sum += list.Dist[static_cast<std::size_t>(m)];
    Result.SetVal(i, sum / k);
  }
}

void FindNearestNeighbors(Integer k, TMatrix* Data, Integer FirstRow, Integer LastRow,
                          TVector* Probe, TMatrix* Neighbors, TCalcDistFunc DistFunc) {
  if (Data == nullptr || Neighbors == nullptr || (Probe == nullptr && DistFunc == nullptr)) {
    return;
  }
  // k, the sizes and the data's cells are held across the user's distance function and the
  // handler of Neighbors.
  detail::TUseGuard use(Data, Probe, Neighbors);
  k = std::min({k, 100, Data->NrOfRows()});
  // Only the first k places of the 101-place list are reported, and those depend on nothing
  // behind them: a candidate changes them exactly when it is <= the k-th entry, and then goes
  // in front of the first entry it is <= to. So a k-place list with a one-comparison
  // rejection gives the same neighbours; NaN, never <=, is always rejected.
  const auto uk = static_cast<std::size_t>(std::max<Integer>(k, 0));
  std::array<double, 100> dist;
  std::array<Integer, 100> row;
  dist.fill(uc_MaxReal);
  row.fill(0);
  auto offer = [&](double d, Integer r) {
    if (!(d <= dist[uk - 1])) return;
    std::size_t at = 0;
    while (!(d <= dist[at])) ++at;
    for (std::size_t m = uk - 1; m > at; --m) {
      dist[m] = dist[m - 1];
      row[m] = row[m - 1];
    }
    dist[at] = d;
    row[at] = r;
  };
  if (DistFunc != nullptr) {
    // The user's function is called for every row, also when nothing is to be reported.
    for (Int64 r64 = FirstRow; r64 <= LastRow; ++r64) {
      const double d = DistFunc(static_cast<Integer>(r64));
      if (uk > 0) offer(d, static_cast<Integer>(r64));
    }
  } else if (uk > 0 && FirstRow <= LastRow) {
    // Rows and columns outside the data read as 0; the terms of each row are summed in
    // column order, a block of rows at a time from the column-major cells.
    const Integer nr = Data->NrOfRows();
    const Integer nc = Data->NrOfColumns();
    const Integer np = Probe->NrOfElem();
    std::vector<double> probe(static_cast<std::size_t>(std::max<Integer>(np, 0)));
    for (Integer c = 1; c <= np; ++c) probe[static_cast<std::size_t>(c - 1)] = Probe->GetVal(c);
    const double outside = detail::RootSumSq([&probe](auto&& f) {  // a row outside the data
      for (const double v : probe) f(0.0 - v);
    });
    const double* cells = nr > 0 && nc > 0 ? detail::TMatrixAccess::Cells(*Data) : nullptr;
    const auto unr = static_cast<std::size_t>(nr);
    constexpr Int64 kBlock = 1024;
    std::array<double, kBlock> sum;
    Int64 r64 = FirstRow;
    while (r64 <= LastRow) {
      if (r64 < 1 || r64 > nr || cells == nullptr) {
        offer(outside, static_cast<Integer>(r64));
        ++r64;
        continue;
      }
      const Int64 end = std::min<Int64>({LastRow, static_cast<Int64>(nr), r64 + kBlock - 1});
      const auto len = static_cast<std::size_t>(end - r64 + 1);
      const auto first = static_cast<std::size_t>(r64 - 1);
      std::fill_n(sum.begin(), len, 0.0);
      for (Integer c = 1; c <= np; ++c) {
        const double pc = probe[static_cast<std::size_t>(c - 1)];
        if (c <= nc) {
          const double* x = cells + static_cast<std::size_t>(c - 1) * unr + first;
          for (std::size_t m = 0; m < len; ++m) {
            const double t = x[m] - pc;
            sum[m] += t * t;
          }
        } else {
          const double t = 0.0 - pc;
          for (std::size_t m = 0; m < len; ++m) sum[m] += t * t;
        }
      }
      for (std::size_t m = 0; m < len; ++m) {
        double d = std::sqrt(sum[m]);
        if (!SafeSumSq(sum[m])) {
          d = detail::RootSumSqDiff([&](auto&& f) {
            for (Integer c = 1; c <= np; ++c) {
              const double v =
                  c <= nc ? cells[static_cast<std::size_t>(c - 1) * unr + first + m] : 0.0;
              f(v, probe[static_cast<std::size_t>(c - 1)]);
            }
          });
        }
        if (d <= dist[uk - 1]) offer(d, static_cast<Integer>(r64 + static_cast<Int64>(m)));
      }
      r64 = end + 1;
    }
  }
  for (Integer m = 1; m <= k; ++m) {
    Neighbors->SetVal(1, m, row[static_cast<std::size_t>(m - 1)]);
    Neighbors->SetVal(2, m, dist[static_cast<std::size_t>(m - 1)]);
  }
}

void EstimateByKNN(TMatrix* Data, TVector* Prop, Integer k, TKnnWMode WMode, double Param,
                   TVector* Probe, double& Estimate, double& MeanDistance) {
  Estimate = 0.0;
  MeanDistance = 0.0;
  if (Data == nullptr || Prop == nullptr || Probe == nullptr) return;
  // k and the neighbours' rows are held across the progress reports of the median's sort
  // and of the regression.
  detail::TUseGuard use(Data, Prop, Probe);
  // The neighbour search fills at most 100 rows.
  k = std::min({k, 100, Data->NrOfRows()});
  if (k < 1) return;
  TMatrix nb(nullptr);
  nb.Resize(2, k);
  FindNearestNeighbors(k, Data, 1, Data->NrOfRows(), Probe, &nb, nullptr);

  std::vector<double> d(static_cast<std::size_t>(k));
  std::vector<double> y(static_cast<std::size_t>(k));
  std::vector<Integer> rows(static_cast<std::size_t>(k));
  double sumDist = 0.0;
  for (Integer n = 0; n < k; ++n) {
    const auto un = static_cast<std::size_t>(n);
    const double rowIx = nb.GetVal(1, n + 1);
    rows[un] = static_cast<Integer>(Round(rowIx));
    d[un] = nb.GetVal(2, n + 1);
    y[un] = Prop->GetVal(rows[un]);
    sumDist += d[un];
  }
  MeanDistance = sumDist / k;
  const double s = MeanDistance == 0.0 ? 0.001 : MeanDistance;

  switch (WMode) {
    case kwmGauss:
    case kwmLinear: {
      double sw = 0.0;
      double swy = 0.0;
      for (std::size_t n = 0; n < d.size(); ++n) {
        double w = 0.0;
        if (WMode == kwmGauss) {
          const double z = Param * d[n] / s;
          w = std::exp(-(z * z));
        } else {
          w = 1.0 - d[n] / s / Param;
          if (!(w > 0.0)) continue;
        }
        sw += w;
        swy += w * y[n];
      }
      // Weights that all vanish (a Gauss kernel can underflow) give no estimate: 0.
      Estimate = sw > 0.0 ? swy / sw : 0.0;
      break;
    }
    case kwmAverage: {
      double sy = 0.0;
      for (double v : y) sy += v;
      Estimate = sy / k;
      break;
    }
    case kwmMedian: {
      TVector vals(nullptr);
      vals.SetVecSize(k);
      for (Integer n = 1; n <= k; ++n) vals.SetVal(n, y[static_cast<std::size_t>(n - 1)]);
      double q1 = 0.0, q2 = 0.0, q3 = 0.0;
      vals.Quartiles(1, k, q1, q2, q3);
      Estimate = q2;
      break;
    }
    case kwmBiQuad: {
      const Integer p = Data->NrOfColumns();
      const Int64 ncoef64 = 1 + 2 * static_cast<Int64>(p) + static_cast<Int64>(p) * (p - 1) / 2;
      if (ncoef64 > std::numeric_limits<Integer>::max()) break;  // no design matrix that wide
      const auto ncoef = static_cast<Integer>(ncoef64);
      TMatrix design(nullptr);
      TVector rhs(nullptr);
      TVector coef(nullptr);
      design.Resize(ncoef, k);
      rhs.SetVecSize(k);
      coef.SetVecSize(ncoef);
      std::vector<double> terms(static_cast<std::size_t>(ncoef));
      // 1, x(1)..x(p), x(1)²..x(p)², then x(j)·x(l) for j < l.
      auto fillTerms = [&](auto value) {
        std::size_t t = 0;
        terms[t++] = 1.0;
        for (Integer j = 1; j <= p; ++j) terms[t++] = value(j);
        for (Integer j = 1; j <= p; ++j) terms[t++] = value(j) * value(j);
        for (Integer j = 1; j <= p; ++j) {
          for (Integer l = j + 1; l <= p; ++l) terms[t++] = value(j) * value(l);
        }
      };
      for (Integer n = 1; n <= k; ++n) {
        const Integer row = rows[static_cast<std::size_t>(n - 1)];
        fillTerms([&](Integer j) { return Data->GetVal(j, row); });
        for (Integer t = 1; t <= ncoef; ++t)
          design.SetVal(t, n, terms[static_cast<std::size_t>(t - 1)]);
        rhs.SetVal(n, y[static_cast<std::size_t>(n - 1)]);
      }
      bool nearSingular = false;
      if (detail::SolveBySingValDecomp(&design, &rhs, &coef, nullptr, nearSingular)) {
        fillTerms([&](Integer j) { return Probe->GetVal(j); });
        double e = 0.0;
        for (Integer t = 1; t <= ncoef; ++t)
          e += coef.GetVal(t) * terms[static_cast<std::size_t>(t - 1)];
        Estimate = e;
      }
      break;
    }
  }
}

double CalcGaussKernel(TVector* x, TVector* y, double width) {
  if (x == nullptr || y == nullptr) return 0.0;
  double s = 0.0;
  for (Integer i = 1; i <= y->NrOfElem(); ++i) {
    const double t = x->GetVal(i) - y->GetVal(i);
    s += t * t;
  }
  double q = GaussExponent(s, width, [&](auto&& f) {
    for (Integer i = 1; i <= y->NrOfElem(); ++i) f(x->GetVal(i), y->GetVal(i));
  });
  if (q > 20.0) q = 20.0;  // NaN (width 0, identical vectors) passes through
  return std::exp(-q);
}

double CalcGaussKernelMat(TVector* x, TMatrix* M, Integer RowIx, double width) {
  if (x == nullptr || M == nullptr) return 0.0;
  double s = 0.0;
  for (Integer i = 1; i <= M->NrOfColumns(); ++i) {
    const double t = x->GetVal(i) - M->GetVal(i, RowIx);
    s += t * t;
  }
  double q = GaussExponent(s, width, [&](auto&& f) {
    for (Integer i = 1; i <= M->NrOfColumns(); ++i) f(x->GetVal(i), M->GetVal(i, RowIx));
  });
  if (q > 20.0) q = 20.0;
  return std::exp(-q);
}

}  // namespace NUV_math2
}  // namespace nuv
