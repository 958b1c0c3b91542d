#include "nuv/analysis/TKohonen.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "nuv/base/constants.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"

namespace nuv {
namespace {

// Window bounds along one axis around the winner c for radius r on a grid of n cells. Without
// wrap the window is clipped to 1..n; with wrap r < n div 2 keeps it free of repeated cells.
struct Span {
  std::int64_t lo;
  std::int64_t hi;
};

Span WindowSpan(Integer c, Integer r, Integer n, bool wrap) noexcept {
  if (wrap) return {std::int64_t{c} - r, std::int64_t{c} + r};
  return {std::max<std::int64_t>(1, std::int64_t{c} - r),
          std::min<std::int64_t>(n, std::int64_t{c} + r)};
}

Integer WrapIndex(std::int64_t i, Integer n) noexcept {
  if (i <= 0) i += n;
  if (i > n) i -= n;
  return static_cast<Integer>(i);
}

// Radius along an axis of the torus: the full radius only while it stays below half the size.
Integer WrapRadius(Integer r, Integer n) noexcept {
  return std::max<Integer>(0, r < n / 2 ? r : n / 2 - 1);
}

}  // namespace

TKohonen::TKohonen(TComponent* AOwner) : TComponent(AOwner) {
  SetWeigtsToRandom();
}

void TKohonen::SetWeigtsToRandom() {
  const Integer nx = FKohMat.NrOfColumns();
  const Integer ny = FKohMat.NrOfRows();
  const Integer nw = FKohMat.NrOfLayers();
  for (Integer x = 1; x <= nx; ++x)
    for (Integer y = 1; y <= ny; ++y)
      for (Integer i = 1; i <= nw; ++i) FKohMat.SetVal(x, y, i, (Random() - 0.5) * 0.2);
}

void TKohonen::SetSizeX(Integer Value) {
  if (Value < 1 || !MayResize()) return;
  FKohMat.ResizeAndClear(Value, FSizeY, FNrInSens);
  FSizeX = Value;
}

void TKohonen::SetSizeY(Integer Value) {
  if (Value < 1 || !MayResize()) return;
  FKohMat.ResizeAndClear(FSizeX, Value, FNrInSens);
  FSizeY = Value;
}

void TKohonen::SetNrOfInSens(Integer n) {
  if (n < 1 || !MayResize()) return;
  FKohMat.ResizeAndClear(FSizeX, FSizeY, n);
  FDataMat.ResizeAndClear(n, FNrTrnObj);
  MeanVec.SetVecSize(n);
  MeanVec.Fill(0.0);
  StdDevVec.SetVecSize(n);
  StdDevVec.Fill(0.0);
  FNrInSens = n;
}

void TKohonen::SetTrainData(TMatrix* M) {
  if (M == nullptr || M->NrOfColumns() < 1 || !MayResize()) return;
  const Integer nc = M->NrOfColumns();
  const Integer nr = M->NrOfRows();
  if (M != &FDataMat) {
    FDataMat.ResizeAndClear(nc, nr);
    FDataMat.CopyFrom(M, 1, 1, nc, nr, 1, 1);
  }
  FKohMat.ResizeAndClear(FSizeX, FSizeY, nc);
  MeanVec.SetVecSize(nc);
  MeanVec.Fill(0.0);
  StdDevVec.SetVecSize(nc);
  StdDevVec.Fill(0.0);
  FNrInSens = nc;
  FNrTrnObj = nr;
}

double TKohonen::Weights(Integer ix, Integer iy, Integer wi) const noexcept {
  const double w = FKohMat.GetVal(ix, iy, wi);
  const double s = StdDevVec.Elem(wi);
  const double m = MeanVec.Elem(wi);
  return s != 0.0 ? w * s + m : w + m;
}

void TKohonen::StandardizeData() {
  FDataMat.StandardizeColumns(&MeanVec, &StdDevVec);
  // StandardizeColumns leaves a constant column as it is; ApplyIt compares x - m there, so the
  // training space must hold x - m as well.
  const Integer rows = FDataMat.NrOfRows();
  for (Integer c = 1; c <= FDataMat.NrOfColumns(); ++c) {
    if (StdDevVec.Elem(c) != 0.0) continue;
    const double m = MeanVec.Elem(c);
    for (Integer r = 1; r <= rows; ++r) FDataMat.SetVal(c, r, FDataMat.GetVal(c, r) - m);
  }
}

void TKohonen::DoFeedback(Integer percent) {
  if (FOnFeedback) FOnFeedback(this, percent);
}

void TKohonen::Trainit() {
  FCurStep = 1;
  SetWeigtsToRandom();
  ContinueTraining();
}

void TKohonen::ContinueTraining() {
  // Each epoch holds the map's sizes and the training matrix's across OnFeedback.
  detail::TUseGuard use(this, &FKohMat, &FDataMat);
  FAbort.store(false);
  // Without training steps there is no schedule to run, and no progress to report.
  if (FMaxSteps < 1) return;
  do {
    // A current step beyond the last would give a < 0 and a rate above the initial one; such
    // an epoch counts as after the end of training (a = 0).
    double a = 0.0;
    if (FCurStep < FMaxSteps)
      a = static_cast<double>(FMaxSteps - FCurStep) / static_cast<double>(FMaxSteps);
    const double a2 = a * a;
    FCurNeighb = static_cast<Integer>(Round((static_cast<double>(FMaxNeighb) - 1.0) * a2 + 1.0));
    FCurAlpha = FMaxAlpha * a2;
    RunEpoch(FCurAlpha, FCurNeighb);
    Integer percent = 100;
    if (FCurStep < FMaxSteps)
      percent = static_cast<Integer>(Round(static_cast<double>(FCurStep) * 100.0 / FMaxSteps));
    DoFeedback(percent);
    if (FCurStep < std::numeric_limits<Integer>::max()) ++FCurStep;
  } while (!FAbort.load() && FCurStep < FMaxSteps);
  FAbort.store(false);
}

void TKohonen::RunEpoch(double alpha, Integer radius) {
  // The stores' own sizes bound every loop, so a training matrix resized by the caller
  // through TrainData() can never index past them: missing inputs read 0.
  const Integer nx = FKohMat.NrOfColumns();
  const Integer ny = FKohMat.NrOfRows();
  const Integer nw = FKohMat.NrOfLayers();
  const Integer nobj = FDataMat.NrOfRows();
  const Integer r = std::max<Integer>(0, radius);
  const Integer rx = FCyclic ? WrapRadius(r, nx) : r;
  const Integer ry = FCyclic ? WrapRadius(r, ny) : r;
  std::vector<double> xk(static_cast<std::size_t>(nw));
  auto dist = [&](Integer x, Integer y) {
    double d = 0.0;
    for (Integer i = 1; i <= nw; ++i) {
      const double t = FKohMat.GetVal(x, y, i) - xk[static_cast<std::size_t>(i - 1)];
      d += t * t;
    }
    return d;
  };
  for (Integer k = 1; k <= nobj; ++k) {
    for (Integer i = 1; i <= nw; ++i) xk[static_cast<std::size_t>(i - 1)] = FDataMat.GetVal(i, k);
    double e = uc_MaxDouble;
    Integer cx = 0;
    Integer cy = 0;
    for (Integer x = 1; x <= nx; ++x) {
      for (Integer y = 1; y <= ny; ++y) {
        const double d = dist(x, y);
        if (d < e) {
          e = d;
          cx = x;
          cy = y;
        }
      }
    }
    // No finite distance (NaN or overflowing data): there is no winner to pull.
    if (cx == 0) continue;
    const Span sx = WindowSpan(cx, rx, nx, FCyclic);
    const Span sy = WindowSpan(cy, ry, ny, FCyclic);
    for (std::int64_t ix = sx.lo; ix <= sx.hi; ++ix) {
      const Integer x = FCyclic ? WrapIndex(ix, nx) : static_cast<Integer>(ix);
      for (std::int64_t iy = sy.lo; iy <= sy.hi; ++iy) {
        const Integer y = FCyclic ? WrapIndex(iy, ny) : static_cast<Integer>(iy);
        // d >= e holds for every cell before its update; the clamp only guards rounding.
        const double g = std::sqrt(std::max(0.0, dist(x, y) - e));
        const double f = alpha * (1.0 / (g + 1.0));
        for (Integer i = 1; i <= nw; ++i) {
          const double w = FKohMat.GetVal(x, y, i);
          FKohMat.SetVal(x, y, i, w + f * (xk[static_cast<std::size_t>(i - 1)] - w));
        }
      }
    }
  }
}

void TKohonen::ApplyIt(TVector* InData, Integer& BestIx, Integer& BestIy, double& Distance) const {
  if (InData == nullptr) return;
  // Without a cell below uc_MaxDouble (NaN or overflowing input) BestIx and BestIy stay.
  Distance = uc_MaxDouble;
  const Integer nx = FKohMat.NrOfColumns();
  const Integer ny = FKohMat.NrOfRows();
  const Integer nw = FKohMat.NrOfLayers();
  // The input in the standardised space of the weights.
  std::vector<double> z(static_cast<std::size_t>(nw));
  for (Integer i = 1; i <= nw; ++i) {
    const double s = StdDevVec.Elem(i);
    const double v = InData->Elem(i) - MeanVec.Elem(i);
    z[static_cast<std::size_t>(i - 1)] = s != 0.0 ? v / s : v;
  }
  for (Integer x = 1; x <= nx; ++x) {
    for (Integer y = 1; y <= ny; ++y) {
      double sum = 0.0;
      for (Integer i = 1; i <= nw; ++i) {
        const double t = FKohMat.GetVal(x, y, i) - z[static_cast<std::size_t>(i - 1)];
        sum += t * t;
      }
      if (sum < Distance) {
        Distance = sum;
        BestIx = x;
        BestIy = y;
      }
    }
  }
}

}  // namespace nuv
