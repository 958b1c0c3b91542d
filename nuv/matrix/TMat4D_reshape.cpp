// TMat4D reshaping: cut, resample, transpose and the four mirrors.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/rounding.hpp"

namespace nuv {
namespace {

// Counts work units and reports Round(counter·100/total) percent whenever the counter is a
// multiple of max(1, total div 100).
class PercentCounter {
 public:
  explicit PercentCounter(Int64 total) : FTotal(total), FStep(std::max<Int64>(1, total / 100)) {}
  template <class Report>
  void Tick(Report&& report) {
    ++FCount;
    if (FCount % FStep == 0) {
      report(static_cast<Integer>(
          Round(static_cast<double>(FCount) * 100.0 / static_cast<double>(FTotal))));
    }
  }

 private:
  Int64 FTotal;
  Int64 FStep;
  Int64 FCount = 0;
};

// Counts moved lines of a mirror and steps ProcStat once per step + 1 of them.
class MirrorCounter {
 public:
  explicit MirrorCounter(double stepBase) : FStep(Trunc(stepBase)) {}
  void Tick() {
    ++FCount;
    if (FCount % (FStep + 1) == 0) StepProcStat();
  }

 private:
  Int64 FStep;
  Int64 FCount = 0;
};

// The block of a resampled cell along one dimension, cut to the cells 1..n of the old array;
// empty (first > last) when the block lies wholly outside.
struct BlockSpan {
  Int64 first;
  Int64 last;
};

BlockSpan Block(Integer newPos, Integer div, Integer offset, Integer n) {
  const Int64 start = static_cast<Int64>(newPos - 1) * div + offset + 1;
  return {std::max<Int64>(start, 1), std::min<Int64>(start + div - 1, n)};
}

}  // namespace

void TMat4D::Cut(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
                 Integer HighLayer, Integer LowTimeslot, Integer HighTimeslot) {
  // Replacing the store is a resize; OnPercentDone runs while the old one is read.
  if (!MayResize()) return;
  const detail::TUseGuard use(this);
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  MakeValidTSlotRange(LowTimeslot, HighTimeslot);
  const Integer nc = HighCol - LowCol + 1;
  const Integer nr = HighRow - LowRow + 1;
  const Integer nl = HighLayer - LowLayer + 1;
  const Integer nt = HighTimeslot - LowTimeslot + 1;
  const Int64 planes = static_cast<Int64>(nl) * nt;
  PercentCounter progress(2 * planes);
  auto report = [this](Integer p) { PercDone(this, p); };

  // The box is no larger than the array, so its size is addressable; std::bad_alloc leaves
  // the array as it was.
  std::vector<double> store(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr) *
                            static_cast<std::size_t>(nl) * static_cast<std::size_t>(nt));
  std::size_t to = 0;
  for (Integer t = 0; t < nt; ++t) {
    for (Integer z = 0; z < nl; ++z) {
      progress.Tick(report);
      for (Integer y = 0; y < nr; ++y) {
        std::memcpy(store.data() + to,
                    FData.data() + Index(LowCol, LowRow + y, LowLayer + z, LowTimeslot + t),
                    static_cast<std::size_t>(nc) * sizeof(double));
        to += static_cast<std::size_t>(nc);
      }
    }
  }
  FData.swap(store);
  FNumX = nc;
  FNumY = nr;
  FNumZ = nl;
  FNumT = nt;
  std::vector<double>().swap(store);
  // The box is adopted as the new storage without a second copy; the second half of the
  // progress still counts its (time slot, layer) pairs so that the percentages reach 100.
  for (Int64 k = 0; k < planes; ++k) progress.Tick(report);
  Changed();
}

void TMat4D::Resample(Integer XDiv, Integer XOffset, Integer YDiv, Integer YOffset, Integer ZDiv,
                      Integer ZOffset, Integer TDiv, Integer TOffset, bool Average) {
  // A block size below 1 has no meaning (a negative one would give sizes below 1): both are
  // refused like a divisor of 0.
  for (Integer d : {XDiv, YDiv, ZDiv, TDiv}) {
    if (d < 1) throw EMathError("Division by zero");
  }
  if (!MayResize()) return;
  const detail::TUseGuard use(this);
  // Remainders carry the sign of the offset; a negative offset starts the first block before
  // the first cell, and the cells before it count as 0.
  XOffset %= XDiv;
  YOffset %= YDiv;
  ZOffset %= ZDiv;
  TOffset %= TDiv;
  auto newSize = [](Integer n, Integer off, Integer div) {
    return static_cast<Integer>((static_cast<Int64>(n) - off - 1) / div + 1);
  };
  const Integer nx = newSize(FNumX, XOffset, XDiv);
  const Integer ny = newSize(FNumY, YOffset, YDiv);
  const Integer nz = newSize(FNumZ, ZOffset, ZDiv);
  const Integer nt = newSize(FNumT, TOffset, TDiv);
  const double blockCells = static_cast<double>(XDiv) * YDiv * ZDiv * TDiv;

  // No new size exceeds the old one, so the new box is addressable.
  std::vector<double> store(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) *
                            static_cast<std::size_t>(nz) * static_cast<std::size_t>(nt));
  PercentCounter progress(static_cast<Int64>(nt) * nz);
  auto report = [this](Integer p) { PercDone(this, p); };
  std::size_t to = 0;
  for (Integer t = 1; t <= nt; ++t) {
    const BlockSpan bt = Block(t, TDiv, TOffset, FNumT);
    for (Integer z = 1; z <= nz; ++z) {
      progress.Tick(report);
      const BlockSpan bz = Block(z, ZDiv, ZOffset, FNumZ);
      for (Integer y = 1; y <= ny; ++y) {
        const BlockSpan by = Block(y, YDiv, YOffset, FNumY);
        for (Integer x = 1; x <= nx; ++x) {
          const BlockSpan bx = Block(x, XDiv, XOffset, FNumX);
          double value = 0.0;
          if (Average) {
            // Only the block's cells inside the array are visited, so a huge divisor costs
            // nothing; the divisor is still the full block size.
            double sum = 0.0;
            for (Int64 m = bt.first; m <= bt.last; ++m) {
              for (Int64 k = bz.first; k <= bz.last; ++k) {
                for (Int64 j = by.first; j <= by.last; ++j) {
                  for (Int64 i = bx.first; i <= bx.last; ++i) {
                    sum += FData[Index(static_cast<Integer>(i), static_cast<Integer>(j),
                                       static_cast<Integer>(k), static_cast<Integer>(m))];
                  }
                }
              }
            }
            value = sum / blockCells;
          } else {
            const auto first = [](Integer pos, Integer div, Integer off) {
              return static_cast<Int64>(pos - 1) * div + off + 1;
            };
            const Int64 fx = first(x, XDiv, XOffset);
            const Int64 fy = first(y, YDiv, YOffset);
            const Int64 fz = first(z, ZDiv, ZOffset);
            const Int64 ft = first(t, TDiv, TOffset);
            if (fx >= 1 && fx <= FNumX && fy >= 1 && fy <= FNumY && fz >= 1 && fz <= FNumZ &&
                ft >= 1 && ft <= FNumT) {
              value = FData[Index(static_cast<Integer>(fx), static_cast<Integer>(fy),
                                  static_cast<Integer>(fz), static_cast<Integer>(ft))];
            }
          }
          store[to++] = value;
        }
      }
    }
  }
  FData.swap(store);
  FNumX = nx;
  FNumY = ny;
  FNumZ = nz;
  FNumT = nt;
  std::vector<double>().swap(store);
  Changed();
}

bool TMat4D::Transpose() {
  // A grow from OnPercentDone would leave the working copy too small for the cells read.
  if (!MayResize()) return false;
  const detail::TUseGuard use(this);
  const Integer nx = FNumX;
  const Integer ny = FNumY;
  const Int64 pairs = static_cast<Int64>(nx) * ny;
  PercentCounter progress(2 * pairs);
  auto report = [this](Integer p) { PercDone(this, p); };
  std::vector<double> store;
  try {
    store.assign(TotalCells(), 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  // New layout: ny columns by nx rows, column fastest.
  const auto sx = static_cast<std::size_t>(nx);
  const auto sy = static_cast<std::size_t>(ny);
  const auto plane = sx * sy;
  for (Integer x = 1; x <= nx; ++x) {
    // An aborted transpose keeps the array as it was: a half-copied result is no transpose.
    if (AbortMathProc.load()) return false;
    for (Integer y = 1; y <= ny; ++y) {
      progress.Tick(report);
      const std::size_t cell =
          static_cast<std::size_t>(x - 1) * sy + static_cast<std::size_t>(y - 1);
      for (Integer t = 1; t <= FNumT; ++t) {
        for (Integer z = 1; z <= FNumZ; ++z) {
          const std::size_t vol =
              static_cast<std::size_t>(t - 1) * static_cast<std::size_t>(FNumZ) +
              static_cast<std::size_t>(z - 1);
          store[vol * plane + cell] = FData[Index(x, y, z, t)];
        }
      }
    }
  }
  // The transposed cells were written straight into their new places; the second half of the
  // progress still runs so that the percentages reach 100. Once every cell is copied the
  // transpose completes: an abort raised now comes too late to stop it.
  for (Integer x = 1; x <= nx; ++x) {
    for (Integer y = 1; y <= ny; ++y) progress.Tick(report);
  }
  FData.swap(store);
  std::swap(FNumX, FNumY);
  std::vector<double>().swap(store);
  Changed();
  return true;
}

void TMat4D::MirrorColumns() {
  // MathFeedBackProc runs between the moved lines.
  const detail::TUseGuard use(this);
  MirrorCounter counter(static_cast<double>(FNumX) * 0.005 * FNumY * FNumZ);
  for (Integer lo = 1, hi = FNumX; lo < hi; ++lo, --hi) {
    for (Integer z = 1; z <= FNumZ; ++z) {
      for (Integer y = 1; y <= FNumY; ++y) {
        counter.Tick();
        for (Integer t = 1; t <= FNumT; ++t)
          std::swap(FData[Index(lo, y, z, t)], FData[Index(hi, y, z, t)]);
      }
    }
  }
  Changed();
}

void TMat4D::MirrorRows() {
  // MathFeedBackProc runs between the moved lines.
  const detail::TUseGuard use(this);
  MirrorCounter counter(static_cast<double>(FNumX) * 0.005 * FNumY * FNumZ);
  for (Integer lo = 1, hi = FNumY; lo < hi; ++lo, --hi) {
    for (Integer z = 1; z <= FNumZ; ++z) {
      for (Integer x = 1; x <= FNumX; ++x) {
        counter.Tick();
        for (Integer t = 1; t <= FNumT; ++t)
          std::swap(FData[Index(x, lo, z, t)], FData[Index(x, hi, z, t)]);
      }
    }
  }
  Changed();
}

void TMat4D::MirrorLayers() {
  // MathFeedBackProc runs between the moved lines.
  const detail::TUseGuard use(this);
  MirrorCounter counter(static_cast<double>(FNumX) * 0.005 * FNumY * FNumZ);
  for (Integer lo = 1, hi = FNumZ; lo < hi; ++lo, --hi) {
    for (Integer x = 1; x <= FNumX; ++x) {
      for (Integer y = 1; y <= FNumY; ++y) {
        counter.Tick();
        for (Integer t = 1; t <= FNumT; ++t)
          std::swap(FData[Index(x, y, lo, t)], FData[Index(x, y, hi, t)]);
      }
    }
  }
  Changed();
}

void TMat4D::MirrorTimeSlots() {
  // MathFeedBackProc runs between the moved lines.
  const detail::TUseGuard use(this);
  MirrorCounter counter(static_cast<double>(FNumX) * 0.005 * FNumY * FNumT);
  for (Integer lo = 1, hi = FNumT; lo < hi; ++lo, --hi) {
    for (Integer x = 1; x <= FNumX; ++x) {
      for (Integer y = 1; y <= FNumY; ++y) {
        counter.Tick();
        for (Integer z = 1; z <= FNumZ; ++z)
          std::swap(FData[Index(x, y, z, lo)], FData[Index(x, y, z, hi)]);
      }
    }
  }
  Changed();
}

}  // namespace nuv
