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
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

// Rank Round(prob·N/100) of N values, kept on the last value when prob is (close to) 100.
Integer RankOf(double prob, Int64 N) {
  const Int64 k = Round(prob * static_cast<double>(N) / 100.0);
  return static_cast<Integer>(std::min<Int64>(k, N - 1));
}

}  // namespace

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
  for (Integer x = LowCol; x <= HighCol; ++x) {
    for (Integer y = LowRow; y <= HighRow; ++y) {
      ++counter;
      if (counter % every == 0) StepProcStat();
      const double* run = Mat.data() + Index(x, y, 1);
      for (Integer z = LowLayer; z <= HighLayer; ++z) {
        const double v = run[z - 1];
        if (v < Minimum) Minimum = v;
        if (v > Maximum) Maximum = v;
      }
    }
  }
}

std::vector<double> TMat3D::BoxCells(Integer LowCol, Integer HighCol, Integer LowRow,
                                     Integer HighRow, Integer LowLayer, Integer HighLayer) const {
  const auto layers = static_cast<std::size_t>(HighLayer - LowLayer + 1);
  // The box lies inside the store, so its cell count fits a size_t; QuickSelect indexes with
  // 32-bit positions, so a larger box cannot be worked on.
  const std::size_t cells = static_cast<std::size_t>(HighCol - LowCol + 1) *
                            static_cast<std::size_t>(HighRow - LowRow + 1) * layers;
  if (cells > static_cast<std::size_t>(std::numeric_limits<Integer>::max())) {
    Raise("not enough memory on heap");
  }
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
  return QuickSelect(box, RankOf(prob, n), 0, static_cast<Integer>(n - 1));
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
  return QuickSelect(sample, RankOf(prob, SampleSize), 0, SampleSize - 1);
}

}  // namespace nuv
