// TMat4D: nearest value, counts, extremes, moments and percentiles over a box of cells.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/detail/selection.hpp"

namespace nuv {
namespace {

// A box made valid against the array, with strided access to its cells.
struct TBox {
  TBox(const TMat4D& Src, const double* Cells, Integer LowCol, Integer HighCol, Integer LowRow,
       Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
       Integer HighTimeSlot)
      : Mat(Cells),
        NumX(static_cast<std::size_t>(Src.NrOfColumns())),
        Plane(NumX * static_cast<std::size_t>(Src.NrOfRows())),
        Volume(Plane * static_cast<std::size_t>(Src.NrOfLayers())) {
    Src.MakeValidColRange(LowCol, HighCol);
    Src.MakeValidRowRange(LowRow, HighRow);
    Src.MakeValidLayerRange(LowLayer, HighLayer);
    Src.MakeValidTSlotRange(LowTimeSlot, HighTimeSlot);
    Lc = LowCol, Hc = HighCol, Lr = LowRow, Hr = HighRow;
    Ll = LowLayer, Hl = HighLayer, Lt = LowTimeSlot, Ht = HighTimeSlot;
  }

  double At(Integer x, Integer y, Integer z, Integer t) const noexcept {
    return Mat[static_cast<std::size_t>(t - 1) * Volume + static_cast<std::size_t>(z - 1) * Plane +
               static_cast<std::size_t>(y - 1) * NumX + static_cast<std::size_t>(x - 1)];
  }
  Integer Cols() const noexcept { return Hc - Lc + 1; }
  Integer Rows() const noexcept { return Hr - Lr + 1; }
  Integer Layers() const noexcept { return Hl - Ll + 1; }
  Integer Slots() const noexcept { return Ht - Lt + 1; }
  // Cells in the box; it lies inside the store, so the product fits.
  Int64 Cells() const noexcept {
    return static_cast<Int64>(Cols()) * Rows() * static_cast<Int64>(Layers()) * Slots();
  }

  // Visits every cell in box order; Progress adds one ProcStat step per hundredth of the
  // column-row pairs, counted before each pair's cells.
  template <class F>
  void ForEach(bool Progress, F&& Visit) const {
    const Int64 every = static_cast<Int64>(Cols()) * Rows() / 100 + 1;
    Int64 counter = 0;
    for (Integer x = Lc; x <= Hc; ++x) {
      for (Integer y = Lr; y <= Hr; ++y) {
        if (Progress && ++counter % every == 0) StepProcStat();
        for (Integer z = Ll; z <= Hl; ++z) {
          for (Integer t = Lt; t <= Ht; ++t) Visit(x, y, z, t, At(x, y, z, t));
        }
      }
    }
  }

  const double* Mat;
  std::size_t NumX, Plane, Volume;
  Integer Lc = 1, Hc = 1, Lr = 1, Hr = 1, Ll = 1, Hl = 1, Lt = 1, Ht = 1;
};

}  // namespace

void TMat4D::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                  Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                  double Value, Integer& ColIx, Integer& RowIx, Integer& LayerIx,
                  Integer& TimeSlotIx) const {
  ColIx = 0;
  RowIx = 0;
  LayerIx = 0;
  TimeSlotIx = 0;
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  double best = uc_MaxDouble;
  box.ForEach(false, [&](Integer x, Integer y, Integer z, Integer t, double v) {
    const double d = std::fabs(v - Value);
    if (d < best) {
      best = d;
      ColIx = x;
      RowIx = y;
      LayerIx = z;
      TimeSlotIx = t;
    }
  });
}

Integer TMat4D::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                            Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                            Integer HighTimeSlot, double RangeLow, double RangeHigh) const {
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  Int64 count = 0;
  box.ForEach(false, [&](Integer, Integer, Integer, Integer, double v) {
    if (RangeLow <= v && v <= RangeHigh) ++count;
  });
  // More than 2^31 - 1 matches cannot be told in the 32-bit result: it saturates.
  return static_cast<Integer>(std::min<Int64>(count, std::numeric_limits<Integer>::max()));
}

void TMat4D::MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                    double& Minimum, double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  const detail::TUseGuard use(this);  // MathFeedBackProc runs between the column-row pairs
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  // Seeded from the first number met (NaN cells take no part), so that a box of infinities
  // reports them rather than the start values.
  bool seeded = false;
  box.ForEach(true, [&](Integer, Integer, Integer, Integer, double v) {
    if (!seeded) {
      if (std::isnan(v)) return;
      Minimum = Maximum = v;
      seeded = true;
    }
    if (v < Minimum) Minimum = v;
    if (v > Maximum) Maximum = v;
  });
}

void TMat4D::MeanVar(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                     Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                     double& Mean, double& Variance) const {
  const detail::TUseGuard use(this);
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  const auto n = static_cast<double>(box.Cells());
  // Two passes (the mean, then the corrected sum of squared deviations); ProcStat steps in
  // the first only, so the count of steps is that of one pass.
  bool first = true;
  const detail::TSpread sp = detail::SpreadOf(n, [&](auto&& f) {
    box.ForEach(first, [&](Integer, Integer, Integer, Integer, double v) { f(v); });
    first = false;
  });
  Mean = sp.Mean();
  Variance = 1.0;
  if (n >= 3.0) Variance = sp.Variance(n - 1.0);
  if (Variance < 0.0) Variance = 0.0;
}

double TMat4D::Sum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                   Integer HighTimeSlot) const {
  const detail::TUseGuard use(this);
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  double s = 0.0;
  box.ForEach(true, [&](Integer, Integer, Integer, Integer, double v) { s += v; });
  return s;
}

double TMat4D::SquaredSum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                          Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot) const {
  const detail::TUseGuard use(this);
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  double q = 0.0;
  box.ForEach(true, [&](Integer, Integer, Integer, Integer, double v) { q += v * v; });
  return q;
}

double TMat4D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot) const {
  if (std::isnan(prob)) return prob;
  prob = std::clamp(prob, 0.0, 100.0);
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  const Int64 n = box.Cells();

  // A frequent value guessed from 15 random cells: the first drawn value that at least 7 of
  // them equal, else the smallest one drawn.
  constexpr int kPre = 15;
  std::array<double, kPre> pre{};
  double smallest = uc_MaxDouble;
  for (double& v : pre) {
    const Integer x = box.Lc + Random(box.Cols());
    const Integer y = box.Lr + Random(box.Rows());
    const Integer z = box.Ll + Random(box.Layers());
    const Integer t = box.Lt + Random(box.Slots());
    v = box.At(x, y, z, t);
    if (v < smallest) smallest = v;
  }
  double candidate = smallest;
  for (const double c : pre) {
    if (std::count(pre.begin(), pre.end(), c) >= 7) {
      candidate = c;
      break;
    }
  }

  // A box beyond the 32-bit index limit of the working copies cannot be worked on.
  if (!detail::WorkingCopyFits(n)) Raise("not enough memory on heap");
  std::vector<double> cells;
  try {
    cells.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  Int64 below = 0;
  Int64 equal = 0;
  box.ForEach(false, [&](Integer, Integer, Integer, Integer, double v) {
    cells.push_back(v);
    if (v < candidate) ++below;
    if (v == candidate) ++equal;
  });
  // The guess answers only when position K falls among its copies in sorted order; the
  // cells below it count too, or a guess above the smallest cells would answer for them.
  const Int64 k = detail::NearestRank(prob, n);
  if (below <= k && k < below + equal) return candidate;
  return detail::SelectRank(std::span<double>(cells), static_cast<std::size_t>(k));
}

double TMat4D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot, Integer SampleSize) const {
  if (std::isnan(prob)) return prob;
  const TBox box(*this, FData.data(), LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                 LowTimeSlot, HighTimeSlot);
  // No sample (0 or a negative size) or one at least as large as the box: the whole box.
  if (SampleSize < 1 || SampleSize >= box.Cells()) {
    return Percentile(prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,
                      HighTimeSlot);
  }
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> sample;
  try {
    sample.resize(static_cast<std::size_t>(SampleSize));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  Randomize();
  for (double& v : sample) {
    const Integer x = box.Lc + Random(box.Cols());
    const Integer y = box.Lr + Random(box.Rows());
    const Integer z = box.Ll + Random(box.Layers());
    const Integer t = box.Lt + Random(box.Slots());
    v = box.At(x, y, z, t);
  }
  return detail::SelectRank(std::span<double>(sample),
                            static_cast<std::size_t>(detail::NearestRank(prob, SampleSize)));
}

}  // namespace nuv
