// TVector: random fills, standardisations and the histogram.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "nuv/base/moments.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/TVector.hpp"
#include "nuv/scalar/math1_random.hpp"

namespace nuv {
namespace {

// Bin counts and the under/overflow counters wrap like every Integer count.
void CountInto(Integer& Counter, std::uint32_t Times) {
  Counter = static_cast<Integer>(static_cast<std::uint32_t>(Counter) + Times);
}

}  // namespace

void TVector::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (double& e : FVec) e = RangeLow + (RangeHigh - RangeLow) * Random();
  FIsEmpty = false;
  Changed();
}

void TVector::FillRandomGauss(double Mean, double StdDev) {
  for (double& e : FVec) e = Mean + StdDev * GRandom();
  FIsEmpty = false;
  Changed();
}

double TVector::MeanCenter() {
  const double n = FNElem;
  auto visit = [this](auto&& f) {
    for (double e : FVec) f(e);
  };
  if (n < 3) {
    const double mean = detail::MeanOf(n, visit);
    for (double& e : FVec) e -= mean;
    return mean;
  }
  // Deviations about the exact mean, so values far from zero centre on zero.
  const detail::TSpread sp = detail::SpreadOf(n, visit);
  for (double& e : FVec) e = sp.DevRaw(e);
  return sp.Mean();
}

void TVector::Standardize(double& mean, double& stddev) {
  const double n = FNElem;
  auto visit = [this](auto&& f) {
    for (double e : FVec) f(e);
  };
  if (n < 3) {  // MeanVar's variance of 1
    mean = detail::MeanOf(n, visit);
    stddev = 1.0;
    for (double& e : FVec) e -= mean;
    return;
  }
  const detail::TSpread sp = detail::SpreadOf(n, visit);
  mean = sp.Mean();
  stddev = sp.StdDev(n - 1);
  if (stddev > 0) {
    // The z-score in the scaled units: right where the deviation or the deviation over stddev
    // would overflow or underflow in the caller's.
    for (double& e : FVec) e = sp.Z(e, n - 1);
  }
}

void TVector::QNormalize(double RefQuant, double& Median, double& QuantDiff) {
  const double p = Percentile(RefQuant, 0, 0);
  Median = Percentile(50, 0, 0);
  QuantDiff = std::fabs(Median - p);
  if (QuantDiff > 0) {
    for (double& e : FVec) e = (e - Median) / QuantDiff;
  }
}

bool TVector::Histogram(Integer FirstElem, Integer LastElem, double FirstBin, double LastBin,
                        double BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                        Integer& MaxCnt) {
  if (Histo == nullptr || !(BinWidth > 0) || !std::isfinite(BinWidth) || !std::isfinite(FirstBin) ||
      !std::isfinite(LastBin)) {
    return false;
  }
  // The bin count is checked while still a double: the quotient may be far beyond 32 bits.
  const double span = std::fabs(LastBin - FirstBin) / BinWidth;
  if (!std::isfinite(span) || std::nearbyint(span) + 1 > 500) return false;
  const auto nb = static_cast<Integer>(std::nearbyint(span)) + 1;
  // Taken before Histo's resize: the handlers of its resize and clearing may change values
  // but no size, so the bins and the elements counted stay where they are.
  detail::TUseGuard use(this, Histo);
  if (Histo->NrOfElem() != nb) {
    use.AllowResize(Histo);
    if (!Histo->Resize(nb)) return false;
  }
  Histo->Clear();
  Underflow = 0;
  Overflow = 0;
  MaxCnt = 0;
  const double top = LastBin + BinWidth;
  const double binLimit = nb;
  auto count = [&](double v, std::uint32_t times) {
    if (v < FirstBin) {
      CountInto(Underflow, times);
      return;
    }
    // The top edge LastBin + BinWidth need not be a whole number of bins above FirstBin:
    // anything past the last bin (and NaN) is overflow, so every value is counted once.
    const double b = std::floor((v - FirstBin) / BinWidth) + 1;
    if (v >= top || !(b <= binLimit)) {
      CountInto(Overflow, times);
      return;
    }
    Integer& bin = Histo->FVec[static_cast<std::size_t>(b) - 1];
    CountInto(bin, times);
    if (bin > MaxCnt) MaxCnt = bin;
  };
  if (LastElem < FirstElem) return true;
  // Indices outside the vector read 0: count them at once instead of one by one.
  const Int64 inLo = std::max<Int64>(FirstElem, 1);
  const Int64 inHi = std::min<Int64>(LastElem, FNElem);
  Int64 outside = Int64{LastElem} - FirstElem + 1;
  for (Int64 i = inLo; i <= inHi; ++i) {
    count(FVec[static_cast<std::size_t>(i - 1)], 1);
    --outside;
  }
  if (outside > 0) count(0.0, static_cast<std::uint32_t>(outside));
  return true;
}

}  // namespace nuv
