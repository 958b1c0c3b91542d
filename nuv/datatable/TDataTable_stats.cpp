#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/datatable/TDataTable.hpp"
#include "nuv/matrix/matrix_errors.hpp"
#include "nuv/scalar/detail/selection.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {

namespace {

constexpr Byte kInvalidBits = 3;
constexpr Byte kEmptyBit = 2;
constexpr Byte kImputedBit = 32;
// Only bits 2 to 7 of a caller's mask select marked cells.
constexpr Byte kMarkBits = 252;

bool Valid(Byte State) noexcept {
  return (State & kInvalidBits) == 0;
}

bool Marked(Byte State, Byte Mask) noexcept {
  return Valid(State) && (State & Mask & kMarkBits) != 0;
}

bool NumericScale(TMScaleType s) noexcept {
  return s == stInterval || s == stRatio;
}

struct MinMax {
  double& Minimum;
  double& Maximum;
  Integer n = 0;
  void Add(double x) noexcept {
    if (x < Minimum) Minimum = x;
    if (x > Maximum) Maximum = x;
    ++n;
  }
};

// Whether every value equals the first (false when a NaN is among them).
bool IsConstant(const std::vector<double>& v) noexcept {
  return std::all_of(v.begin(), v.end(), [&v](double x) { return x == v.front(); });
}

// Value of the sorted array s (1-based position k) as the algorithms index it.
double S(const std::vector<double>& s, std::size_t k) noexcept {
  return s[k - 1];
}

// Visits the cells of the block made valid, column by column, rows inner, as f(c, r, state).
// A table without rows or columns turns every block into an empty one.
template <class F>
void ForEachBlockCell(const TDataTable& t, Integer LowCol, Integer LowRow, Integer HighCol,
                      Integer HighRow, F f) {
  t.MakeValidColRange(LowCol, HighCol);
  t.MakeValidRowRange(LowRow, HighRow);
  if (LowCol < 1 || LowRow < 1 || HighCol > t.NrOfColumns() || HighRow > t.NrOfRows()) return;
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r) f(c, r, t.GetCellState(c, r));
}

bool NumericColumn(const TDataTable& t, Integer c) noexcept {
  return NumericScale(t.GetMScaleType(c));
}

// Mean and variance of the cells of numeric columns of the block whose state Take accepts:
// the mean is 0 without cells, the variance 1 for n <= 2, else the sum of squared deviations
// (two passes, see MeanSumSq) over n - 1. Returns n.
// The spread itself (see moments.hpp) goes to Spread when given.
template <class Take>
Integer MeanVarOfCells(const TDataTable& t, Integer LowCol, Integer LowRow, Integer HighCol,
                       Integer HighRow, Take take, double& Mean, double& Variance,
                       detail::TSpread* Spread = nullptr) {
  const TMatrix& m = *t.NumericData();
  t.MakeValidColRange(LowCol, HighCol);
  t.MakeValidRowRange(LowRow, HighRow);
  if (LowCol < 1 || LowRow < 1 || HighCol > t.NrOfColumns() || HighRow > t.NrOfRows()) {
    Mean = 0.0;
    Variance = 1.0;
    return 0;
  }
  // The block in ForEachBlockCell's order, the scale looked at once per column.
  const auto visit = [&](auto f) {
    for (Integer c = LowCol; c <= HighCol; ++c) {
      if (!NumericColumn(t, c)) continue;
      for (Integer r = LowRow; r <= HighRow; ++r)
        if (take(t.GetCellState(c, r))) f(m.GetVal(c, r));
    }
  };
  Integer n = 0;
  visit([&n](double) { ++n; });
  Mean = 0.0;
  Variance = 1.0;
  if (n == 0) return 0;
  const detail::TSpread sp = detail::SpreadOf(n, visit);
  Mean = sp.Mean();
  if (n > 2) Variance = sp.Variance(n - 1);
  if (Spread != nullptr) *Spread = sp;
  return n;
}

// Values of the numeric cells (marked by Mask when UseMask) of the block, sorted ascending.
std::vector<double> SortedNumCells(const TDataTable& t, Integer LowCol, Integer LowRow,
                                   Integer HighCol, Integer HighRow, bool UseMask, Byte Mask) {
  std::vector<double> v;
  const TMatrix& m = *t.NumericData();
  ForEachBlockCell(t, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if ((UseMask ? Marked(st, Mask) : Valid(st)) && NumericColumn(t, c))
      v.push_back(m.GetVal(c, r));
  });
  SortArray(std::span<double>(v), true);
  return v;
}

// Percentile prob of the numeric cells (marked by Mask when UseMask); see PercentileOfNumCells.
double PercentileOfCells(const TDataTable& t, double prob, Integer LowCol, Integer LowRow,
                         Integer HighCol, Integer HighRow, bool UseMask, Byte Mask,
                         Integer& NumData) {
  std::vector<double> s;
  try {
    s = SortedNumCells(t, LowCol, LowRow, HighCol, HighRow, UseMask, Mask);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVMatrixError>(&t, "not enough memory on heap");
  } catch (const std::length_error&) {
    detail::RaiseComponent<ENUVMatrixError>(&t, "not enough memory on heap");
  }
  const std::size_t n = s.size();
  NumData = static_cast<Integer>(n);
  if (n == 0) return 0.0;
  if (n == 1) return s[0];
  // A NaN probability has no position; converting it to an index would be undefined.
  if (std::isnan(prob)) return std::numeric_limits<double>::quiet_NaN();
  prob = std::clamp(prob, 0.0, 100.0);
  if (prob == 100.0) return s.back();
  const double pos = (static_cast<double>(n) - 1.0) * prob / 100.0;
  const double kp = std::trunc(pos);
  const double f = pos - kp;
  // pos < n - 1 for prob < 100, so k + 2 <= n; the min guards against a rounding step.
  const std::size_t k = std::min(static_cast<std::size_t>(kp), n - 2);
  return detail::BetweenSorted(S(s, k + 1), S(s, k + 2), f);
}

// Replaces every valid cell x of the column c (Column) or of the row r by (x - m) / d through
// the matrix's SetVal.
template <class Transform>
void RescaleValidCells(TDataTable& t, bool Column, Integer Index, Transform transform) {
  for (Integer k = 1; k <= (Column ? t.NrOfRows() : t.NrOfColumns()); ++k) {
    const Integer c = Column ? Index : k;
    const Integer r = Column ? k : Index;
    if (!t.GetIsNumber(c, r)) continue;
    TMatrix& mat = *t.NumericData();
    mat.SetVal(c, r, transform(mat.GetVal(c, r)));
  }
}

// Standardises (or, with Centre, only centres) the valid cells of one column or row about their
// exact mean and in a safe unit (see moments.hpp); a deviation of 1 for fewer than three cells.
// Returns whether cells were rewritten; mean and deviation go to element Index of the vectors.
bool StandardizeValidCells(TDataTable& t, bool Column, Integer Index, bool Centre, TVector* Means,
                           TVector* StdDevs) {
  double m = 0.0, v = 0.0;
  detail::TSpread sp;
  const Integer n = Column ? MeanVarOfCells(t, Index, 1, Index, t.NrOfRows(), Valid, m, v, &sp)
                           : MeanVarOfCells(t, 1, Index, t.NrOfColumns(), Index, Valid, m, v, &sp);
  const double sd = n > 2 ? sp.StdDev(n - 1) : 1.0;
  bool changed = false;
  if (Centre || sd > 0.0) {
    if (n > 2 && !Centre) {
      RescaleValidCells(t, Column, Index, [&](double x) { return sp.Z(x, n - 1); });
    } else if (n > 0) {
      RescaleValidCells(t, Column, Index, [&](double x) { return sp.DevRaw(x); });
    }
    changed = true;
  }
  if (Means != nullptr) Means->SetVal(Index, m);
  if (StdDevs != nullptr) StdDevs->SetVal(Index, sd);
  return changed;
}

// The plain-message refusal of the row transformations when any column is categorical.
void RefuseCategoricalRows(const TDataTable& t, const char* Text) {
  for (Integer c = 1; c <= t.NrOfColumns(); ++c) {
    const TMScaleType s = t.GetMScaleType(c);
    if (s == stNominal || s == stOrdinal) throw ENUVDataTableError(Text);
  }
}

}  // namespace

// ---- counts ----

Integer TDataTable::CountNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                  Integer HighRow) const {
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer, Byte st) {
    if (Valid(st) && NumericColumn(*this, c)) ++n;
  });
  return n;
}

Integer TDataTable::CountValidCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow) const {
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Byte st) {
    if (Valid(st)) ++n;
  });
  return n;
}

Integer TDataTable::CountEmptyCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow) const {
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Byte st) {
    if ((st & kEmptyBit) != 0) ++n;
  });
  return n;
}

Integer TDataTable::CountImputedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow) const {
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Byte st) {
    if ((st & kImputedBit) != 0) ++n;
  });
  return n;
}

// ---- sums and extremes ----

double TDataTable::SumOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                 Integer& NumData) const {
  double sum = 0.0;
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Valid(st) && NumericColumn(*this, c)) {
      sum += FNumericData->GetVal(c, r);
      ++n;
    }
  });
  NumData = n;
  return sum;
}

double TDataTable::SumOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow, Byte CellState, Integer& NumData) const {
  double sum = 0.0;
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Marked(st, CellState) && NumericColumn(*this, c)) {
      sum += FNumericData->GetVal(c, r);
      ++n;
    }
  });
  NumData = n;
  return sum;
}

Integer TDataTable::MinMaxOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                     Integer HighRow, double& Minimum, double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  MinMax mm{Minimum, Maximum};
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Valid(st) && NumericColumn(*this, c)) mm.Add(FNumericData->GetVal(c, r));
  });
  return mm.n;
}

Integer TDataTable::MinMaxOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                        Integer HighRow, Byte CellState, double& Minimum,
                                        double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  MinMax mm{Minimum, Maximum};
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Marked(st, CellState)) mm.Add(FNumericData->GetVal(c, r));
  });
  return mm.n;
}

Integer TDataTable::MinMaxOfValidCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                       Integer HighRow, double& Minimum, double& Maximum) const {
  Minimum = uc_MaxReal;
  Maximum = -uc_MaxReal;
  MinMax mm{Minimum, Maximum};
  // GetElem rounds the values of nominal and ordinal columns.
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Valid(st)) mm.Add(GetElem(c, r));
  });
  return mm.n;
}

// ---- means and spreads ----

Integer TDataTable::MeanVarOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow, double& Mean, double& Variance) const {
  return MeanVarOfCells(*this, LowCol, LowRow, HighCol, HighRow, Valid, Mean, Variance);
}

Integer TDataTable::MeanVarOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                         Integer HighRow, Byte CellState, double& Mean,
                                         double& Variance) const {
  return MeanVarOfCells(
      *this, LowCol, LowRow, HighCol, HighRow,
      [CellState](Byte st) { return Marked(st, CellState); }, Mean, Variance);
}

double TDataTable::GeometricMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                           Integer HighRow, Integer& NumData) const {
  double sumLn = 0.0;
  Integer n = 0;
  bool zero = false;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (!Valid(st) || !NumericColumn(*this, c)) return;
    const double x = FNumericData->GetVal(c, r);
    if (x < 0.0)
      detail::RaiseComponent<ENUVMatrixError>(this, "negative argument passed to GeometricMean");
    if (x == 0.0) {
      zero = true;
    } else {
      sumLn += std::log(x);
      ++n;
    }
  });
  NumData = n;
  // Without any usable cell the mean log is 0/0; 0 like the other means of an empty block.
  if (zero || n == 0) return 0.0;
  return std::exp(sumLn / n);
}

double TDataTable::HarmonicMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                          Integer HighRow, Integer& NumData) const {
  auto visit = [&](auto&& f) {
    ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
      if (Valid(st) && NumericColumn(*this, c)) f(FNumericData->GetVal(c, r));
    });
  };
  Integer n = 0;
  visit([&](double x) {
    if (x <= 0.0)
      detail::RaiseComponent<ENUVMatrixError>(this,
                                              "negative or zero argument passed to HarmonicMean");
    ++n;
  });
  NumData = n;
  return n == 0 ? 0.0 : detail::HarmonicMeanOf(n, visit);
}

bool TDataTable::QuartilesOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                     Integer HighRow, double& Q1, double& Q2, double& Q3,
                                     Integer& NumData) const {
  std::vector<double> s;
  try {
    s = SortedNumCells(*this, LowCol, LowRow, HighCol, HighRow, false, 0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  const std::size_t n = s.size();
  NumData = static_cast<Integer>(n);
  if (n == 0) {
    Q1 = Q2 = Q3 = 0.0;
    return true;
  }
  if (n == 1) {
    Q1 = Q2 = Q3 = s[0];
    return true;
  }
  const auto quart = [&](double p) {
    const double pos = (static_cast<double>(n) + 1.0) * p;
    const double ip = std::trunc(pos);
    const double f = pos - ip;
    const auto i = static_cast<std::size_t>(ip);
    if (i == 0) return s.front();
    if (i > n - 1) return s.back();
    return detail::BetweenSorted(S(s, i), S(s, i + 1), f);
  };
  Q1 = quart(0.25);
  Q2 = quart(0.5);
  Q3 = quart(0.75);
  return true;
}

double TDataTable::PercentileOfNumCells(double prob, Integer LowCol, Integer LowRow,
                                        Integer HighCol, Integer HighRow, Integer& NumData) const {
  return PercentileOfCells(*this, prob, LowCol, LowRow, HighCol, HighRow, false, 0, NumData);
}

double TDataTable::PercentileOfMarkedCells(double prob, Integer LowCol, Integer LowRow,
                                           Integer HighCol, Integer HighRow, Byte CellState,
                                           Integer& NumData) const {
  return PercentileOfCells(*this, prob, LowCol, LowRow, HighCol, HighRow, true, CellState, NumData);
}

// ---- in-place transformations ----

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  detail::TUseGuard use(this, FNumericData, Means, StdDevs);
  use.AllowResize(Means);
  if (Means != nullptr) Means->Resize(FNrOfCols);
  use.AllowResize(StdDevs);
  if (StdDevs != nullptr) StdDevs->Resize(FNrOfCols);
  bool changed = false;
  for (Integer c = 1; c <= FNrOfCols; ++c) {
    if (!NumericColumn(*this, c)) continue;
    changed = StandardizeValidCells(*this, true, c, false, Means, StdDevs) || changed;
  }
  if (changed) ChangedData();
}

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  RefuseCategoricalRows(
      *this, "standardization of rows is not possible with nominal or ordinal variables");
  const detail::TUseGuard use(this, FNumericData, Means, StdDevs);
  for (Integer r = 1; r <= FNrOfRows; ++r) {
    StandardizeValidCells(*this, false, r, false, Means, StdDevs);
  }
  ChangedData();
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  const detail::TUseGuard use(this, FNumericData, Means);
  for (Integer c = 1; c <= FNrOfCols; ++c) {
    if (!NumericColumn(*this, c)) continue;
    StandardizeValidCells(*this, true, c, true, Means, nullptr);
  }
  ChangedData();
}

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  RefuseCategoricalRows(*this,
                        "mean centering of rows is not possible with nominal or ordinal variables");
  const detail::TUseGuard use(this, FNumericData, Means);
  for (Integer r = 1; r <= FNrOfRows; ++r)
    StandardizeValidCells(*this, false, r, true, Means, nullptr);
  ChangedData();
}

// ---- column tests ----

bool TDataTable::CheckDichotomousColumn(Integer col, double& v1, double& v2) const {
  v1 = 0.0;
  v2 = 0.0;
  if (FNrOfRows < 2) return false;
  v1 = FNumericData->GetVal(col, 1);
  bool second = false;
  for (Integer r = 2; r <= FNrOfRows; ++r) {
    const double x = FNumericData->GetVal(col, r);
    if (!second) {
      if (x != v1) {
        v2 = x;
        second = true;
      }
    } else if (x != v1 && x != v2) {
      return false;
    }
  }
  return second;
}

bool TDataTable::IsConstantColumn(Integer ColIx) const {
  if (ColIx < 1 || ColIx > FNrOfCols) return false;
  const double first = FNumericData->GetVal(ColIx, 1);
  for (Integer r = 2; r <= FNrOfRows; ++r)
    if (FNumericData->GetVal(ColIx, r) != first) return false;
  return true;
}

// ---- selection ----

Integer TDataTable::CopyCellsToVector(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow, Byte CellState, TVector* DestVect) const {
  if (DestVect == nullptr) return 0;
  Integer lc = LowCol, hc = HighCol, lr = LowRow, hr = HighRow;
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  // Formed in 64 bits: a block of more than 2^31 cells is cut to what a vector can index.
  const Int64 cells = std::max<Int64>(0, static_cast<Int64>(hc) - lc + 1) *
                      std::max<Int64>(0, static_cast<Int64>(hr) - lr + 1);
  const detail::TUseGuard use(this, FNumericData, DestVect);
  // A vector another call uses keeps its size: nothing could be copied into it.
  if (cells > 0) {
    use.AllowResize(DestVect);
    if (!DestVect->Resize(static_cast<Integer>(std::min<Int64>(cells, INT32_MAX)))) return 0;
  }
  Integer n = 0;
  ForEachBlockCell(*this, LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Byte st) {
    if (Valid(st) && (CellState == 255 || (st & CellState) != 0) && n < INT32_MAX)
      DestVect->SetVal(++n, FNumericData->GetVal(c, r));
  });
  // A vector keeps at least one element; with nothing copied it holds 0.
  use.AllowResize(DestVect);
  DestVect->Resize(std::max<Integer>(n, 1));
  if (n == 0) DestVect->SetVal(1, 0.0);
  return n;
}

// ---- covariance with pairwise deletion ----

bool TDataTable::CalcCovar(TMatrix* CovarMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                           Integer Mode) const {
  AbortMathProc = false;
  if (CovarMat == nullptr) return false;
  const Int64 n64 = static_cast<Int64>(HiC) - LoC + 1;
  if (n64 < 1 || CovarMat->NrOfColumns() < n64 || CovarMat->NrOfRows() < n64) return false;
  const auto n = static_cast<Integer>(n64);
  const detail::TUseGuard use(this, FNumericData, CovarMat);

  // Each column mean is held as mean + meanLo, meanLo the mean deviation from it: far from
  // zero the rounded mean alone can be off by more than the spread, and deviations about it
  // would then cancel the covariance away.
  std::vector<double> mean(static_cast<std::size_t>(n), 0.0);
  std::vector<double> meanLo(static_cast<std::size_t>(n), 0.0);
  if (Mode > 0) {
    for (Integer i = 1; i <= n; ++i) {
      const Integer c = LoC + i - 1;
      const auto k = static_cast<std::size_t>(i - 1);
      double v = 0.0;
      const Integer cnt = MeanVarOfNumCells(c, LoR, c, HiR, mean[k], v);
      if (Mode == 1 && cnt > 0) {
        double d1 = 0.0;
        ForEachBlockCell(*this, c, LoR, c, HiR, [&](Integer cc, Integer r, Byte st) {
          if (Valid(st) && NumericColumn(*this, cc)) d1 += FNumericData->GetVal(cc, r) - mean[k];
        });
        meanLo[k] = d1 / cnt;
      }
      StepProcStat();
    }
  }

  // Rows outside the table are never valid, so only the table's rows are visited.
  const Integer r0 = std::max<Integer>(LoR, 1);
  const Integer r1 = std::min<Integer>(HiR, FNrOfRows);
  // The values of a pair's common rows, in row order.
  std::vector<double> xs, ys;
  if (r1 >= r0) {
    xs.reserve(static_cast<std::size_t>(r1 - r0 + 1));
    ys.reserve(static_cast<std::size_t>(r1 - r0 + 1));
  }
  for (Integer i = 1; i <= n; ++i) {
    if (AbortMathProc) break;
    StepProcStat();
    const Integer a = LoC + i - 1;
    const double mi = mean[static_cast<std::size_t>(i - 1)];
    const double li = meanLo[static_cast<std::size_t>(i - 1)];
    for (Integer j = 1; j <= i; ++j) {
      const Integer b = LoC + j - 1;
      const double mj = mean[static_cast<std::size_t>(j - 1)];
      const double lj = meanLo[static_cast<std::size_t>(j - 1)];
      xs.clear();
      ys.clear();
      if (a >= 1 && a <= FNrOfCols && b >= 1 && b <= FNrOfCols) {
        for (Integer r = r0; r <= r1; ++r) {
          if (!Valid(State(a, r)) || !Valid(State(b, r))) continue;
          xs.push_back(GetElem(a, r));
          ys.push_back(GetElem(b, r));
        }
      }
      const auto m = static_cast<Integer>(xs.size());
      double s = 0.0;
      double value = 0.0;
      switch (Mode) {
        case 0:
        case 1:
        case 4:
          for (std::size_t k = 0; k < xs.size(); ++k) {
            const double x = xs[k];
            const double y = ys[k];
            s += Mode == 0   ? x * y
                 : Mode == 1 ? ((x - mi) - li) * ((y - mj) - lj)
                             : (x - y) * (x - y);
          }
          // Fewer than two common rows leave the divisor m - 1 at 0 or -1: no estimate.
          value = m >= 2 ? s / (m - 1) : 0.0;
          break;
        case 2:
        case 3: {
          // About the pair's own means: the column means may come from other rows. A column
          // whose common values are all equal correlates with nothing, even when rounding
          // leaves its sum of squares a little above 0.
          if (m < 3 || IsConstant(xs) || IsConstant(ys)) break;
          const auto cm = detail::CoMomentsOf(m, [&](auto f) {
            for (std::size_t k = 0; k < xs.size(); ++k) f(xs[k], ys[k]);
          });
          value = detail::CorrelationOf(cm);
          if (Mode == 3) value *= value;
          break;
        }
        default:
          break;
      }
      CovarMat->SetVal(j, i, value);
      CovarMat->SetVal(i, j, value);
      if (i == j && (Mode == 2 || Mode == 3)) CovarMat->SetVal(i, i, 1.0);
    }
  }
  return !AbortMathProc;
}

}  // namespace nuv
