// TMat4D: mean, maximum, minimum and standard deviation over layers and time slots, one
// result column per work unit, on the caller's thread or on a pool of worker threads.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/matrix/detail/worker_pool.hpp"
#include "nuv/platform/threads.hpp"

namespace nuv {
namespace {

enum TLayerStat : unsigned char { lsMean, lsMaximum, lsMinimum, lsStdDev };

// Everything a worker needs besides its column: the shared cells (read only), their sizes,
// the valid box and the destination.
struct TLayerJob {
  TLayerStat Kind = lsMean;
  const double* Mat = nullptr;
  std::size_t NumX = 1;
  std::size_t NumY = 1;
  std::size_t NumZ = 1;
  TMatrix* DestMat = nullptr;
  Integer LowCol = 1, HighCol = 1, LowRow = 1, HighRow = 1;
  Integer LowLayer = 1, HighLayer = 1, LowTimeSlot = 1, HighTimeSlot = 1;
  double NTotal = 1.0;
};

// The statistic of column x, row y over the layers (outer) and time slots (inner) of the box.
// The extremes start from the first value that is not NaN (none: the start value stays).
double CellStatistic(const TLayerJob& J, Integer x, Integer y) {
  const std::size_t plane = J.NumX * J.NumY;
  const std::size_t volume = plane * J.NumZ;
  const double* base =
      J.Mat + static_cast<std::size_t>(y - 1) * J.NumX + static_cast<std::size_t>(x - 1);
  auto visit = [&](auto&& f) {
    for (Integer z = J.LowLayer; z <= J.HighLayer; ++z) {
      const double* layer = base + static_cast<std::size_t>(z - 1) * plane;
      for (Integer t = J.LowTimeSlot; t <= J.HighTimeSlot; ++t)
        f(layer[static_cast<std::size_t>(t - 1) * volume]);
    }
  };
  if (J.Kind == lsStdDev) {
    // About the cell's own mean (raw sums of squares cancel for values far from zero); a cell
    // holding NaN gives 0.
    // In a power-of-two unit where the values are extreme, so the deviation is representable
    // wherever it is.
    const detail::TSpread sp = detail::SpreadOf(J.NTotal, visit);
    return sp.SumSq >= 0.0 ? sp.StdDev(J.NTotal) : 0.0;
  }
  double s = 0.0;
  double best = J.Kind == lsMaximum ? -uc_MaxReal : uc_MaxReal;
  bool seeded = false;
  for (Integer z = J.LowLayer; z <= J.HighLayer; ++z) {
    const double* layer = base + static_cast<std::size_t>(z - 1) * plane;
    for (Integer t = J.LowTimeSlot; t <= J.HighTimeSlot; ++t) {
      const double v = layer[static_cast<std::size_t>(t - 1) * volume];
      switch (J.Kind) {
        case lsMaximum:
          if (!seeded) {
            if (!std::isnan(v)) {
              best = v;
              seeded = true;
            }
          } else if (v > best) {
            best = v;
          }
          break;
        case lsMinimum:
          if (!seeded) {
            if (!std::isnan(v)) {
              best = v;
              seeded = true;
            }
          } else if (v < best) {
            best = v;
          }
          break;
        case lsStdDev:
        case lsMean:
          s += v;
          break;
      }
    }
  }
  switch (J.Kind) {
    case lsMaximum:
    case lsMinimum:
      return best;
    case lsStdDev:
    case lsMean:
      break;
  }
  return s / J.NTotal;
}

void Feedback() {
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(ProcStat.load(std::memory_order_relaxed));
  }
}

// All state belongs to the call, so that calls on other threads, or started from a worker's
// handler, run side by side.
void RunLayerStatistic(TLayerStat Kind, const TMat4D& Src, const double* Cells, TMatrix* DestMat,
                       Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                       Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                       Integer HighTimeSlot, Integer NThreads) {
  if (DestMat == nullptr) return;
  // Held before DestMat's resize: its OnChange (there, on Fill and on every cell the workers
  // write) and MathFeedBackProc may change values but not the sizes the workers rely on.
  const detail::TUseGuard use(&Src, DestMat);
  // A handler assigned now sees the workers' writes one at a time.
  bool serialise = detail::TMatrixAccess::Observed(*DestMat);
  TLayerJob J;
  J.Kind = Kind;
  Src.MakeValidColRange(LowCol, HighCol);
  Src.MakeValidRowRange(LowRow, HighRow);
  Src.MakeValidLayerRange(LowLayer, HighLayer);
  Src.MakeValidTSlotRange(LowTimeSlot, HighTimeSlot);
  J.Mat = Cells;
  J.NumX = static_cast<std::size_t>(Src.NrOfColumns());
  J.NumY = static_cast<std::size_t>(Src.NrOfRows());
  J.NumZ = static_cast<std::size_t>(Src.NrOfLayers());
  J.DestMat = DestMat;
  J.LowCol = LowCol;
  J.HighCol = HighCol;
  J.LowRow = LowRow;
  J.HighRow = HighRow;
  J.LowLayer = LowLayer;
  J.HighLayer = HighLayer;
  J.LowTimeSlot = LowTimeSlot;
  J.HighTimeSlot = HighTimeSlot;

  const Integer c = J.HighCol - J.LowCol + 1;
  const Integer r = J.HighRow - J.LowRow + 1;
  J.NTotal = static_cast<double>(J.HighLayer - J.LowLayer + 1) *
             static_cast<double>(J.HighTimeSlot - J.LowTimeSlot + 1);
  if (DestMat->NrOfColumns() != c || DestMat->NrOfRows() != r) {
    use.AllowResize(DestMat);
    // A destination a running call uses keeps its size: nothing is written.
    if (!DestMat->Resize(c, r)) return;
  }
  J.DestMat->Fill(0.0);

  // A pool needs at least two threads; fewer (0 and negative counts too) run here.
  if (NThreads <= 1) {
    const Int64 step = static_cast<Int64>(c) * r / 100 + 1;
    Int64 counter = 0;
    for (Integer x = J.LowCol; x <= J.HighCol; ++x) {
      for (Integer y = J.LowRow; y <= J.HighRow; ++y) {
        ++counter;
        if (counter % step == 0) StepProcStat();
        J.DestMat->SetVal(x - J.LowCol + 1, y - J.LowRow + 1, CellStatistic(J, x, y));
      }
    }
    return;
  }

  // Also a handler that the Resize or Fill handlers put in place.
  serialise = serialise || detail::TMatrixAccess::Observed(*DestMat);
  std::mutex writes;
  const double share = 100.0 / static_cast<double>(c);
  const auto work = [&](Integer Item) {
    const Integer x = J.LowCol + Item;
    for (Integer y = J.LowRow; y <= J.HighRow; ++y) {
      const double v = CellStatistic(J, x, y);
      if (serialise) {
        const std::lock_guard<std::mutex> lock(writes);
        J.DestMat->SetVal(Item + 1, y - J.LowRow + 1, v);
      } else {
        J.DestMat->SetVal(Item + 1, y - J.LowRow + 1, v);
      }
    }
    ProcStat.fetch_add(share, std::memory_order_relaxed);
  };
  const auto poll = [] {
    Feedback();
    return true;
  };
  detail::RunWorkerPool(c, NThreads, work, poll);
  Feedback();
}

}  // namespace

void TMat4D::MeanOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                                  Integer HighRow, Integer LowLayer, Integer HighLayer,
                                  Integer LowTimeSlot, Integer HighTimeSlot) {
  MeanOfLayersToMatrix(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,
                       HighTimeSlot, CPUCount());
}

void TMat4D::MeanOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                                  Integer HighRow, Integer LowLayer, Integer HighLayer,
                                  Integer LowTimeSlot, Integer HighTimeSlot, Integer NThreads) {
  RunLayerStatistic(lsMean, *this, FData.data(), DestMat, LowCol, HighCol, LowRow, HighRow,
                    LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, NThreads);
}

void TMat4D::MaximumOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                     Integer LowRow, Integer HighRow, Integer LowLayer,
                                     Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot) {
  MaximumOfLayersToMatrix(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                          LowTimeSlot, HighTimeSlot, CPUCount());
}

void TMat4D::MaximumOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                     Integer LowRow, Integer HighRow, Integer LowLayer,
                                     Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                                     Integer NThreads) {
  RunLayerStatistic(lsMaximum, *this, FData.data(), DestMat, LowCol, HighCol, LowRow, HighRow,
                    LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, NThreads);
}

void TMat4D::MinimumOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                     Integer LowRow, Integer HighRow, Integer LowLayer,
                                     Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot) {
  MinimumOfLayersToMatrix(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                          LowTimeSlot, HighTimeSlot, CPUCount());
}

void TMat4D::MinimumOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                     Integer LowRow, Integer HighRow, Integer LowLayer,
                                     Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                                     Integer NThreads) {
  RunLayerStatistic(lsMinimum, *this, FData.data(), DestMat, LowCol, HighCol, LowRow, HighRow,
                    LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, NThreads);
}

void TMat4D::StdDevOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                    Integer LowRow, Integer HighRow, Integer LowLayer,
                                    Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot) {
  StdDevOfLayersToMatrix(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer,
                         LowTimeSlot, HighTimeSlot, CPUCount());
}

void TMat4D::StdDevOfLayersToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol,
                                    Integer LowRow, Integer HighRow, Integer LowLayer,
                                    Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                                    Integer NThreads) {
  RunLayerStatistic(lsStdDev, *this, FData.data(), DestMat, LowCol, HighCol, LowRow, HighRow,
                    LowLayer, HighLayer, LowTimeSlot, HighTimeSlot, NThreads);
}

}  // namespace nuv
