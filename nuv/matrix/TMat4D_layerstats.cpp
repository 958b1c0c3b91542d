// TMat4D: mean, maximum, minimum and standard deviation over layers and time slots, one
// result column per work unit, on the caller's thread or on a pool of worker threads.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
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
double CellStatistic(const TLayerJob& J, Integer x, Integer y) {
  const std::size_t plane = J.NumX * J.NumY;
  const std::size_t volume = plane * J.NumZ;
  const double* base =
      J.Mat + static_cast<std::size_t>(y - 1) * J.NumX + static_cast<std::size_t>(x - 1);
  double s = 0.0;
  double q = 0.0;
  double best = J.Kind == lsMaximum ? -uc_MaxReal : uc_MaxReal;
  for (Integer z = J.LowLayer; z <= J.HighLayer; ++z) {
    const double* layer = base + static_cast<std::size_t>(z - 1) * plane;
    for (Integer t = J.LowTimeSlot; t <= J.HighTimeSlot; ++t) {
      const double v = layer[static_cast<std::size_t>(t - 1) * volume];
      switch (J.Kind) {
        case lsMaximum:
          if (v > best) best = v;
          break;
        case lsMinimum:
          if (v < best) best = v;
          break;
        case lsStdDev:
          q += v * v;
          s += v;
          break;
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
    case lsStdDev: {
      const double mean = s / J.NTotal;
      return std::sqrt(std::max(0.0, q / J.NTotal - mean * mean));
    }
    case lsMean:
      break;
  }
  return s / J.NTotal;
}

// The worker of one result column. Created suspended and filled in by its factory, started
// and freed by the calling thread. Writes go through TMatrix::SetVal, so the destination's
// OnChange runs here, on the worker.
class TLayersThread : public TThread {
 public:
  TLayersThread() : TThread([this] { Execute(); }) {}
  // The fields belong to this object: wait before they go away.
  ~TLayersThread() { WaitFor(); }
  TLayersThread(const TLayersThread&) = delete;
  TLayersThread& operator=(const TLayersThread&) = delete;

  Integer Column = 0;
  const TLayerJob* Job = nullptr;
  // The critical section of the call that made this thread.
  TCriticalSection* Lock = nullptr;

 private:
  void Execute() {
    const TLayerJob& j = *Job;
    for (Integer r = j.LowRow; r <= j.HighRow; ++r) {
      j.DestMat->SetVal(Column - j.LowCol + 1, r - j.LowRow + 1, CellStatistic(j, Column, r));
    }
    Lock->Enter();
    ProcStat.fetch_add(100.0 / static_cast<double>(j.HighCol - j.LowCol + 1),
                       std::memory_order_relaxed);
    Lock->Leave();
  }
};

// Held by a call for its whole run: one layer-statistics call in the process at a time (a
// second caller waits). Recursive, so that a progress or change handler on the calling thread
// may itself start one.
std::recursive_mutex gLayerStatsCall;
// The critical section of the running call, guarding the workers' additions to ProcStat.
TCriticalSection* gLayerStatsLock = nullptr;

void Feedback() {
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(ProcStat.load(std::memory_order_relaxed));
  }
}

void RunLayerStatistic(TLayerStat Kind, const TMat4D& Src, const double* Cells, TMatrix* DestMat,
                       Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                       Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                       Integer HighTimeSlot, Integer NThreads) {
  if (DestMat == nullptr) return;
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

  const std::lock_guard<std::recursive_mutex> call(gLayerStatsCall);
  // Created for this call and freed at its end; a nested call puts the outer one back.
  auto lock = std::make_unique<TCriticalSection>();
  TCriticalSection* const outer = gLayerStatsLock;
  gLayerStatsLock = lock.get();
  struct TRestore {
    TCriticalSection* Outer;
    ~TRestore() { gLayerStatsLock = Outer; }
  } restore{outer};

  const Integer c = J.HighCol - J.LowCol + 1;
  const Integer r = J.HighRow - J.LowRow + 1;
  J.NTotal = static_cast<double>(J.HighLayer - J.LowLayer + 1) *
             static_cast<double>(J.HighTimeSlot - J.LowTimeSlot + 1);
  J.DestMat->Resize(c, r);
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

  const Integer p = std::min(NThreads, c);
  // Declared after the lock: leaving by any path waits for and frees every worker first.
  std::vector<std::unique_ptr<TLayersThread>> pool(static_cast<std::size_t>(p));
  Integer next = J.LowCol;
  auto newThread = [&](Integer Column) {
    auto t = std::make_unique<TLayersThread>();
    t->Column = Column;
    t->Job = &J;
    t->Lock = gLayerStatsLock;
    return t;
  };
  for (auto& slot : pool) slot = newThread(next++);
  for (auto& slot : pool) slot->Start();
  for (;;) {
    Feedback();
    bool complete = true;
    for (auto& slot : pool) {
      if (!slot->Finished()) {
        complete = false;
        continue;
      }
      if (next <= J.HighCol) {
        slot.reset();
        slot = newThread(next++);
        slot->Start();
        complete = false;
      }
    }
    if (complete) break;
  }
  pool.clear();
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
