#pragma once
// TRandGen: random numbers between two borders from a tabulated distribution, drawn by
// rejection with the process-wide generator (never seeded here).

#include <vector>

#include "nuv/analysis/statis_errors.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// Random generator over [LowBorder, HighBorder) with a density table of Resolution bins. Bin i
/// (1-based) covers [Low + (i - 1)w, Low + iw), w = (High - Low)/Resolution; its value is the
/// relative density at the bin's lower edge, and between edges the density is interpolated
/// linearly (falling to 0 at HighBorder in the last bin). Values of 1 or more are accepted at
/// once, so a filled table is scaled with Normalize or Standardize before drawing.
class TRandGen : public TComponent {
 public:
  /// Borders 0 and 0, 500 bins of 1.0. Raises ENUVStatisError
  /// `Component "<Name>": not enough memory on heap` when the table cannot be allocated.
  explicit TRandGen(TComponent* AOwner);

  double LowBorder() const noexcept { return FLowBorder; }
  void SetLowBorder(double Value) noexcept { FLowBorder = Value; }
  double HighBorder() const noexcept { return FHighBorder; }
  void SetHighBorder(double Value) noexcept { FHighBorder = Value; }

  /// Number of bins, 10..4000.
  Integer Resolution() const noexcept { return FResolution; }
  /// Clamps n into 10..4000 and resets every bin to 1.0. Raises ENUVStatisError
  /// `Component "<Name>": not enough memory` when the table cannot be allocated (then nothing
  /// changes).
  void SetResolution(Integer n);

  /// Value of bin Idx (1..Resolution); 0 outside.
  double GetProbability(Integer Idx) const noexcept;
  double Probability(Integer Idx) const noexcept { return GetProbability(Idx); }
  /// Stores Value clamped to 0..1 (NaN as 0) in bin Idx; ignored outside 1..Resolution.
  void SetProbability(Integer Idx, double Value) noexcept;

  /// Lower edge of bin ix: LowBorder for ix <= 0, HighBorder for ix > Resolution.
  double GetLambda(Integer ix) const noexcept;
  double Lambda(Integer ix) const noexcept { return GetLambda(ix); }
  /// Bin of Lambda: 0 below LowBorder (and for NaN), Resolution + 1 at or above HighBorder,
  /// else floor((Lambda - Low)·Resolution/(High - Low)) + 1.
  Integer IndexOfLambda(double Lambda) const noexcept;

  /// One draw: at most 100001 candidates (bin, offset) are tried; the last is kept even when
  /// rejected.
  double GetRandNum();
  double Random() { return GetRandNum(); }

  /// Maps the bins linearly onto 0..1 when the largest and smallest differ.
  void Normalize() noexcept;
  /// Divides every bin by the largest; false (table unchanged) when that is 0.
  bool Standardize() noexcept;

  /// Shape fillers: bin i (0-based) gets the density at Low + i·(High - Low)/Resolution.
  void NormalDistri(double m, double s) noexcept;
  void tDistri(double df) noexcept;
  /// 0 left of 0. A bin whose density is not finite (the pole at 0 below 2 degrees of
  /// freedom) takes the density at its middle, or 0 when that is not finite either.
  void Chi2Distri(double df) noexcept;
  /// 0 at and left of 0.
  void FDistri(double df1, double df2) noexcept;
  void WeibullDistri(double beta, double eta) noexcept;
  void UniformDistri() noexcept;

 private:
  double Abscissa(Integer i) const noexcept;

  double FLowBorder = 0.0;
  double FHighBorder = 0.0;
  Integer FResolution = 500;
  std::vector<double> FDistVec;
};

}  // namespace nuv
