// TMat3D: nearest value, extremes and percentiles over a box of cells.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/detail/selection.hpp"

namespace nuv {

void TMat3D::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                  Integer LowLayer, Integer HighLayer, double Value, Integer& ColIx, Integer& RowIx,
                  Integer& LayerIx) const {
  ColIx = 0;
  RowIx = 0;
  LayerIx = 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  double best = uc_MaxDouble;
  for (Integer x = LowCol; x <= HighCol; ++x) {
    for (Integer y = LowRow; y <= HighRow; ++y) {
      const double* run = Mat.data() + Index(x, y, 1);
      for (Integer z = LowLayer; z <= HighLayer; ++z) {
        const double d = std::fabs(run[z - 1] - Value);
        if (d < best) {
          best = d;
          ColIx = x;
          RowIx = y;
          LayerIx = z;
        }
      }
    }
  }
}

void TMat3D::MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, double& Minimum, double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  const Int64 pairs = static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1);
  const Int64 every = pairs / 100 + 1;
  Int64 counter = 0;
  bool seeded = false;
  // MathFeedBackProc may write cells but not resize the array under the walk.
  const detail::TUseGuard use(this);
  for (Integer x = LowCol; x <= HighCol; ++x) {
    for (Integer y = LowRow; y <= HighRow; ++y) {
      ++counter;
      if (counter % every == 0) StepProcStat();
      const double* run = Mat.data() + Index(x, y, 1);
      for (Integer z = LowLayer; z <= HighLayer; ++z) {
        const double v = run[z - 1];
        // Seeded from the first number met (NaN cells take no part), so that a box of
        // infinities reports them rather than the start values.
        if (!seeded) {
          if (std::isnan(v)) continue;
          Minimum = Maximum = v;
          seeded = true;
        }
        if (v < Minimum) Minimum = v;
        if (v > Maximum) Maximum = v;
      }
    }
  }
}

std::vector<double> TMat3D::BoxCells(Integer LowCol, Integer HighCol, Integer LowRow,
                                     Integer HighRow, Integer LowLayer, Integer HighLayer) const {
  const auto layers = static_cast<std::size_t>(HighLayer - LowLayer + 1);
  // A box beyond the 32-bit index limit of the working copies cannot be worked on.
  const Int64 count = detail::BoxCount(
      {Int64{HighCol} - LowCol + 1, Int64{HighRow} - LowRow + 1, static_cast<Int64>(layers)});
  if (!detail::WorkingCopyFits(count)) Raise("not enough memory on heap");
  const auto cells = static_cast<std::size_t>(count);
  std::vector<double> box;
  try {
    box.reserve(cells);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  for (Integer x = LowCol; x <= HighCol; ++x) {
    for (Integer y = LowRow; y <= HighRow; ++y) {
      const double* run = Mat.data() + Index(x, y, LowLayer);
      box.insert(box.end(), run, run + layers);
    }
  }
  return box;
}

double TMat3D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer) const {
  if (std::isnan(prob)) return prob;
  prob = std::clamp(prob, 0.0, 100.0);
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  std::vector<double> box = BoxCells(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer);
  const auto n = static_cast<Int64>(box.size());
  return detail::SelectRank(std::span<double>(box),
                            static_cast<std::size_t>(detail::NearestRank(prob, n)));
}

double TMat3D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer,
                          Integer SampleSize) const {
  if (std::isnan(prob)) return prob;
  Integer lc = LowCol, hc = HighCol, lr = LowRow, hr = HighRow, ll = LowLayer, hl = HighLayer;
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  MakeValidLayerRange(ll, hl);
  const Integer nc = hc - lc + 1;
  const Integer nr = hr - lr + 1;
  const Integer nl = hl - ll + 1;
  const Int64 n = static_cast<Int64>(nc) * nr * nl;
  // No sample (0 or a negative size) or one at least as large as the box: the whole box.
  if (SampleSize < 1 || SampleSize >= n) {
    return Percentile(prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer);
  }
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> sample;
  try {
    sample.resize(static_cast<std::size_t>(SampleSize));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  Randomize();
  for (double& s : sample) {
    const Integer x = lc + Random(nc);
    const Integer y = lr + Random(nr);
    const Integer z = ll + Random(nl);
    s = Mat[Index(x, y, z)];
  }
  return detail::SelectRank(std::span<double>(sample),
                            static_cast<std::size_t>(detail::NearestRank(prob, SampleSize)));
}

}  // namespace nuv
