// TMatrix: descriptive statistics over boxes of cells and the column and row normalisations.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "nuv/scalar/detail/selection.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

// Counts wrap like every Integer count.
Integer Wrapped(std::uint64_t Count) {
  return static_cast<Integer>(static_cast<std::uint32_t>(Count));
}

// A normalised box; empty when the matrix has no cell to offer.
struct TBox {
  Integer C1 = 1, C2 = 0, R1 = 1, R2 = 0;
  bool Empty() const noexcept { return C2 < C1 || R2 < R1; }
  Int64 Cols() const noexcept { return Empty() ? 0 : Int64{C2} - C1 + 1; }
  Int64 Rows() const noexcept { return Empty() ? 0 : Int64{R2} - R1 + 1; }
  Int64 Cells() const noexcept { return Cols() * Rows(); }
};

TBox MakeBox(const TMatrix& M, Integer LowCol, Integer LowRow, Integer HighCol,
             Integer HighRow) noexcept {
  TBox b;
  // Without columns or rows the range rule would point at cell 0: the box is empty instead.
  if (M.NrOfColumns() <= 0 || M.NrOfRows() <= 0) return b;
  M.MakeValidColRange(LowCol, HighCol);
  M.MakeValidRowRange(LowRow, HighRow);
  b.C1 = LowCol;
  b.C2 = HighCol;
  b.R1 = LowRow;
  b.R2 = HighRow;
  return b;
}

// Cell (c, r) of a matrix with both sizes positive.
double Cell(const TMatrix& M, Integer c, Integer r) noexcept {
  return detail::TMatrixAccess::Cells(
      M)[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(M.NrOfRows()) +
         static_cast<std::size_t>(r - 1)];
}

// F(c, r, x) for every cell of the box, columns outer, rows inner.
template <class Fn>
void ForBox(const TMatrix& M, const TBox& B, Fn&& F) {
  if (B.Empty()) return;
  const double* cells = detail::TMatrixAccess::Cells(M);
  const auto rows = static_cast<std::size_t>(M.NrOfRows());
  for (Integer c = B.C1; c <= B.C2; ++c) {
    const double* col = cells + static_cast<std::size_t>(c - 1) * rows;
    for (Integer r = B.R1; r <= B.R2; ++r) F(c, r, col[static_cast<std::size_t>(r - 1)]);
  }
}

[[noreturn]] void RaiseMatrix(const TMatrix& M, const char* Text) {
  detail::RaiseComponent<ENUVMatrixError>(&M, Text);
}

// The cells of the box in visiting order. A box beyond the 32-bit index limit of the working
// copies cannot be worked on and is reported like a failed allocation.
std::vector<double> BoxCopy(const TMatrix& M, const TBox& B) {
  std::vector<double> v;
  const Int64 n = B.Cells();
  if (!detail::WorkingCopyFits(n)) RaiseMatrix(M, "not enough memory on heap");
  try {
    v.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    RaiseMatrix(M, "not enough memory on heap");
  } catch (const std::length_error&) {
    RaiseMatrix(M, "not enough memory on heap");
  }
  ForBox(M, B, [&](Integer, Integer, double x) { v.push_back(x); });
  return v;
}

// The spread of the n cells cell(1..n) of one column or row.
template <class Cell>
detail::TSpread LineSpread(Integer n, Cell&& cell) {
  return detail::SpreadOf(n, [&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(cell(i));
  });
}

// One column or row turned into z-scores in place (with MeanVar's deviation 1 for fewer than
// three cells), formed about the exact mean and in a safe unit; mean and deviation go to
// element Ix of the vectors given.
template <class Cell>
void StandardizeLine(Integer n, Cell&& cell, Integer Ix, TVector* Means, TVector* StdDevs) {
  const detail::TSpread sp = LineSpread(n, cell);
  const double sd = n >= 3 ? sp.StdDev(n - 1) : 1.0;
  if (sd > 0) {
    for (Integer i = 1; i <= n; ++i) cell(i) = n >= 3 ? sp.Z(cell(i), n - 1) : sp.DevRaw(cell(i));
  }
  if (Means != nullptr) Means->SetVal(Ix, sp.Mean());
  if (StdDevs != nullptr) StdDevs->SetVal(Ix, sd);
}

}  // namespace

Integer TMatrix::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                             double RangeLow, double RangeHigh) const {
  std::uint64_t n = 0;
  ForBox(*this, MakeBox(*this, LowCol, LowRow, HighCol, HighRow), [&](Integer, Integer, double x) {
    if (RangeLow <= x && x <= RangeHigh) ++n;
  });
  return Wrapped(n);
}

bool TMatrix::Histogram(Integer LoX, Integer LoY, Integer HiX, Integer HiY, double FirstBin,
                        double LastBin, double BinWidth, TIntVector* Histo, Integer& Underflow,
                        Integer& Overflow, Integer& MaxCnt) const {
  if (Histo == nullptr || !(BinWidth > 0) || !std::isfinite(BinWidth) || !std::isfinite(FirstBin) ||
      !std::isfinite(LastBin)) {
    return false;
  }
  // The bin count is tested as a double: the quotient may lie far beyond 32 bits.
  const double span = std::fabs(LastBin - FirstBin) / BinWidth;
  if (!std::isfinite(span) || std::nearbyint(span) + 1 > 500) return false;
  const auto nb = static_cast<Integer>(Round(span)) + 1;
  // Histo's handlers run while the box is read: they may not resize it or this matrix.
  detail::TUseGuard use(this, Histo);
  if (Histo->NrOfElem() != nb) {
    use.AllowResize(Histo);
    Histo->Resize(nb);
    // Refused when this call was started from a handler of a call using Histo.
    if (Histo->NrOfElem() != nb) return false;
  }
  Histo->Clear();
  std::uint64_t under = 0;
  std::uint64_t over = 0;
  Underflow = 0;
  Overflow = 0;
  MaxCnt = 0;
  const double top = LastBin + BinWidth;
  ForBox(*this, MakeBox(*this, LoX, LoY, HiX, HiY), [&](Integer, Integer, double x) {
    if (std::isnan(x)) return;  // not a value: counted nowhere
    if (x < FirstBin) {
      ++under;
      return;
    }
    // The top edge need not be a whole number of bins above FirstBin: whatever lies past the
    // last bin is overflow, so every number is counted once.
    const double b = std::floor((x - FirstBin) / BinWidth) + 1;
    if (x >= top || !(b <= nb)) {
      ++over;
      return;
    }
    const auto bin = static_cast<Integer>(b);
    const auto cnt = static_cast<Integer>(static_cast<std::uint32_t>(Histo->GetVal(bin)) + 1u);
    Histo->SetVal(bin, cnt);
    if (cnt > MaxCnt) MaxCnt = cnt;
  });
  Underflow = Wrapped(under);
  Overflow = Wrapped(over);
  return true;
}

Integer TMatrix::Dichotomize(double Threshold, TBool2DArray& ResultArray) const {
  const Integer nc = std::max<Integer>(FNCol, 0);
  const Integer nr = std::max<Integer>(FNRow, 0);
  try {
    ResultArray.assign(static_cast<std::size_t>(nc), TBoolArray(static_cast<std::size_t>(nr), 0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  std::uint64_t n = 0;
  ForBox(*this, MakeBox(*this, 0, 0, 0, 0), [&](Integer c, Integer r, double x) {
    const bool above = x > Threshold;
    ResultArray[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] = above ? 1 : 0;
    if (above) ++n;
  });
  return Wrapped(n);
}

void TMatrix::MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                     double& Minimum, double& Maximum) const {
  double lo = uc_MaxReal;
  double hi = -uc_MaxReal;
  // Seeded from the first number met, so that a box of infinities reports them rather than
  // the start values; NaN cells take no part.
  bool seeded = false;
  ForBox(*this, MakeBox(*this, LowCol, LowRow, HighCol, HighRow), [&](Integer, Integer, double x) {
    if (!seeded) {
      if (std::isnan(x)) return;
      lo = hi = x;
      seeded = true;
    }
    if (x < lo) lo = x;
    if (x > hi) hi = x;
  });
  Minimum = lo;
  Maximum = hi;
}

void TMatrix::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, double Value,
                   Integer& ColIx, Integer& RowIx) const {
  // Start at 0: a box of NaN cells (or distances beyond uc_MaxDouble) finds nothing.
  ColIx = 0;
  RowIx = 0;
  double best = uc_MaxDouble;
  ForBox(*this, MakeBox(*this, LowCol, LowRow, HighCol, HighRow),
         [&](Integer c, Integer r, double x) {
           const double d = std::fabs(x - Value);
           if (d < best) {
             best = d;
             ColIx = c;
             RowIx = r;
           }
         });
}

Integer TMatrix::FindInSortedColumn(Integer Col, bool ColIsAscending, double Value) const {
  if (FNRow < 1) return 0;
  Integer lo = 1;
  Integer hi = FNRow;
  while (hi - lo > 1) {
    const auto mid = static_cast<Integer>((Int64{lo} + hi) / 2);
    const double cell = GetVal(Col, mid);
    if (cell == Value) return mid;
    if ((Value < cell) == ColIsAscending) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return std::fabs(GetVal(Col, hi) - Value) > std::fabs(GetVal(Col, lo) - Value) ? lo : hi;
}

double TMatrix::Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const {
  double s = 0.0;
  ForBox(*this, MakeBox(*this, LoC, LoR, HiC, HiR), [&](Integer, Integer, double x) { s += x; });
  return s;
}

void TMatrix::MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Mean, double& Variance) const {
  Mean = 0.0;
  Variance = 0.0;
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return;
  const auto n = static_cast<double>(b.Cells());
  const detail::TSpread sp = detail::SpreadOf(
      n, [&](auto&& f) { ForBox(*this, b, [&](Integer, Integer, double x) { f(x); }); });
  Mean = sp.Mean();
  Variance = n >= 3 ? sp.Variance(n - 1) : 1.0;
}

double TMatrix::GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) const {
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  bool zero = false;
  double s = 0.0;
  ForBox(*this, b, [&](Integer, Integer, double x) {
    if (x < 0) Raise("negative argument passed to GeometricMean");
    if (x == 0) {
      zero = true;
    } else {
      s += std::log(x);
    }
  });
  if (zero) return 0.0;
  return std::exp(s / static_cast<double>(b.Rows()) / static_cast<double>(b.Cols()));
}

double TMatrix::HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol,
                             Integer HighRow) const {
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  ForBox(*this, b, [&](Integer, Integer, double x) {
    if (x <= 0) Raise("negative or zero argument passed to HarmonicMean");
  });
  return detail::HarmonicMeanOf(static_cast<double>(b.Cells()), [&](auto&& f) {
    ForBox(*this, b, [&](Integer, Integer, double x) { f(x); });
  });
}

void TMatrix::SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                       double& Skewness, double& Kurtosis) const {
  Skewness = 0.0;
  Kurtosis = 0.0;
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  const auto n = static_cast<double>(b.Cells());
  if (n < 2) return;
  detail::SkewKurtOf(
      n, [&](auto&& f) { ForBox(*this, b, [&](Integer, Integer, double x) { f(x); }); }, Skewness,
      Kurtosis);
}

void TMatrix::SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                             double& Skewness, double& Kurtosis) const {
  double skew = 0.0;
  double kurt = 0.0;
  SkewKurt(LowCol, LowRow, HighCol, HighRow, skew, kurt);
  const auto n = static_cast<double>(MakeBox(*this, LowCol, LowRow, HighCol, HighRow).Cells());
  detail::SampleSkewKurt(n, skew, kurt, Skewness, Kurtosis);
}

bool TMatrix::Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                        double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return false;
  std::vector<double> s = BoxCopy(*this, b);
  SortArray(std::span<double>(s), true);
  const auto n = static_cast<Int64>(s.size());
  if (n < 2) {
    Q1 = Q2 = Q3 = s[0];
    return true;
  }
  auto quartile = [&](double p) {
    const double pos = static_cast<double>(n + 1) * p;
    auto i = static_cast<Int64>(pos);
    double f = pos - static_cast<double>(i);
    if (i == 0) {
      i = 1;
      f = 0.0;
    }
    if (i > n - 1) return s[static_cast<std::size_t>(n - 1)];
    const double lower = s[static_cast<std::size_t>(i - 1)];
    return detail::BetweenSorted(lower, s[static_cast<std::size_t>(i)], f);
  };
  Q1 = quartile(0.25);
  Q2 = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

double TMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                           Integer HighRow) const {
  if (std::isnan(prob)) return prob;
  prob = std::clamp(prob, 0.0, 100.0);
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  std::vector<double> s = BoxCopy(*this, b);
  const auto n = static_cast<Int64>(s.size());
  return detail::SelectRank(std::span<double>(s),
                            static_cast<std::size_t>(detail::NearestRank(prob, n)));
}

double TMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                           Integer HighRow, Integer SampleSize) const {
  const TBox b = MakeBox(*this, LowCol, LowRow, HighCol, HighRow);
  // A negative sample size asks for no sample: the plain percentile, like 0.
  if (std::isnan(prob) || SampleSize <= 0 || SampleSize >= b.Cells()) {
    return Percentile(prob, LowCol, LowRow, HighCol, HighRow);
  }
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> s;
  try {
    s.reserve(static_cast<std::size_t>(SampleSize));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  Randomize();
  const auto cols = static_cast<Integer>(b.Cols());
  const auto rows = static_cast<Integer>(b.Rows());
  Integer zeros = 0;
  Integer negatives = 0;
  for (Integer i = 0; i < SampleSize; ++i) {
    const Integer c = b.C1 + Random(cols);
    const Integer r = b.R1 + Random(rows);
    const double x = FData[Index(c, r)];
    if (x == 0) ++zeros;
    if (x < 0) ++negatives;
    s.push_back(x);
  }
  const double p = prob / 100.0;
  const double n = SampleSize;
  if (negatives / n < p && p < (negatives + zeros) / n) return 0.0;
  return detail::SelectRank(std::span<double>(s),
                            static_cast<std::size_t>(detail::NearestRank(prob, SampleSize)));
}

// ---- normalisations ----

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) {
  // The vectors' handlers may change values, never the sizes this loop runs over.
  detail::TUseGuard use(this, Means, StdDevs);
  use.AllowResize(Means);
  if (Means != nullptr) Means->Resize(FNCol);
  use.AllowResize(StdDevs);
  if (StdDevs != nullptr) StdDevs->Resize(FNCol);
  for (Integer c = 1; c <= FNCol && FNRow > 0; ++c) {
    StandardizeLine(
        FNRow, [&](Integer r) -> double& { return FData[Index(c, r)]; }, c, Means, StdDevs);
  }
  Changed();
}

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) {
  // The vectors' handlers may change values, never the sizes this loop runs over.
  detail::TUseGuard use(this, Means, StdDevs);
  use.AllowResize(Means);
  if (Means != nullptr) Means->Resize(FNRow);
  use.AllowResize(StdDevs);
  if (StdDevs != nullptr) StdDevs->Resize(FNRow);
  for (Integer r = 1; r <= FNRow && FNCol > 0; ++r) {
    StandardizeLine(
        FNCol, [&](Integer c) -> double& { return FData[Index(c, r)]; }, r, Means, StdDevs);
  }
  Changed();
}

void TMatrix::QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  detail::TUseGuard use(this, Medians, QuantDiffs);
  for (Integer c = 1; c <= FNCol && FNRow > 0; ++c) {
    const double q = Percentile(RefQuant, c, 1, c, FNRow);
    const double med = Percentile(50, c, 1, c, FNRow);
    const double d = std::fabs(med - q);
    if (d > 0) {
      for (Integer r = 1; r <= FNRow; ++r) FData[Index(c, r)] = (FData[Index(c, r)] - med) / d;
    }
    if (Medians != nullptr) Medians->SetVal(c, med);
    if (QuantDiffs != nullptr) QuantDiffs->SetVal(c, d);
  }
  Changed();
}

void TMatrix::QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  detail::TUseGuard use(this, Medians, QuantDiffs);
  for (Integer r = 1; r <= FNRow && FNCol > 0; ++r) {
    const double q = Percentile(RefQuant, 1, r, FNCol, r);
    const double med = Percentile(50, 1, r, FNCol, r);
    const double d = std::fabs(med - q);
    if (d > 0) {
      for (Integer c = 1; c <= FNCol; ++c) FData[Index(c, r)] = (FData[Index(c, r)] - med) / d;
    }
    if (Medians != nullptr) Medians->SetVal(r, med);
    if (QuantDiffs != nullptr) QuantDiffs->SetVal(r, d);
  }
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* Means) {
  detail::TUseGuard use(this, Means);
  use.AllowResize(Means);
  if (Means != nullptr) Means->Resize(FNCol);
  for (Integer c = 1; c <= FNCol && FNRow > 0; ++c) {
    const detail::TSpread sp = LineSpread(FNRow, [&](Integer r) { return FData[Index(c, r)]; });
    for (Integer r = 1; r <= FNRow; ++r) FData[Index(c, r)] = sp.DevRaw(FData[Index(c, r)]);
    if (Means != nullptr) Means->SetVal(c, sp.Mean());
  }
  Changed();
}

void TMatrix::MeanCenterRows(TVector* Means) {
  detail::TUseGuard use(this, Means);
  use.AllowResize(Means);
  if (Means != nullptr) Means->Resize(FNRow);
  for (Integer r = 1; r <= FNRow && FNCol > 0; ++r) {
    const detail::TSpread sp = LineSpread(FNCol, [&](Integer c) { return FData[Index(c, r)]; });
    for (Integer c = 1; c <= FNCol; ++c) FData[Index(c, r)] = sp.DevRaw(FData[Index(c, r)]);
    if (Means != nullptr) Means->SetVal(r, sp.Mean());
  }
  Changed();
}

void TMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr) return;
  const bool perColumn = Dim == dimColumns;
  const Integer outer = perColumn ? FNCol : FNRow;
  const Integer inner = perColumn ? FNRow : FNCol;
  // Taken before the resize, so that the handler it fires cannot resize this matrix either.
  detail::TUseGuard use(this, Means);
  use.AllowResize(Means);
  Means->Resize(outer);
  for (Integer i = 1; i <= outer; ++i) {
    // A matrix without rows (or columns) has nothing to average: 0 rather than 0/0.
    Means->SetVal(
        i, inner > 0 ? detail::MeanOf(inner,
                                      [&](auto&& f) {
                                        for (Integer j = 1; j <= inner; ++j) {
                                          f(perColumn ? FData[Index(i, j)] : FData[Index(j, i)]);
                                        }
                                      })
                     : 0.0);
  }
}

double TMatrix::Correlate(TMatrix* OtherMat) const {
  if (OtherMat == nullptr || OtherMat->FNCol != FNCol || OtherMat->FNRow != FNRow) {
    Raise("matrices do not match");
  }
  const TBox b = MakeBox(*this, 0, 0, 0, 0);
  const auto n = static_cast<double>(b.Cells());
  if (!(n > 2)) return 0.0;
  const detail::TCoMoments m = detail::CoMomentsOf(n, [&](auto&& f) {
    ForBox(*this, b, [&](Integer c, Integer r, double x) { f(x, Cell(*OtherMat, c, r)); });
  });
  return detail::CorrelationOf(m);
}

void TMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const {
  if (DestVec == nullptr) return;
  const bool perColumn = Orient != 0;
  const Integer outer = perColumn ? FNCol : FNRow;
  const Integer inner = perColumn ? FNRow : FNCol;
  detail::TUseGuard use(this, DestVec);
  use.AllowResize(DestVec);
  DestVec->Resize(outer);
  const bool extreme = EdgeOp == eopMin || EdgeOp == eopMax;
  for (Integer i = 1; i <= outer; ++i) {
    double v = EdgeOp == eopMin ? uc_MaxDouble : EdgeOp == eopMax ? -uc_MaxDouble : 0.0;
    // The extremes start from the first number of the line (NaN cells take no part), so that
    // a line of infinities reports them; a line without numbers keeps the start value.
    bool seeded = !extreme;
    for (Integer j = 1; j <= inner; ++j) {
      const double x = perColumn ? FData[Index(i, j)] : FData[Index(j, i)];
      if (!seeded) {
        if (std::isnan(x)) continue;
        v = x;
        seeded = true;
      }
      if (EdgeOp == eopMin) {
        if (x < v) v = x;
      } else if (EdgeOp == eopMax) {
        if (x > v) v = x;
      } else {
        v += x;
      }
    }
    if (EdgeOp == eopMean) v = inner > 0 ? v / inner : 0.0;
    DestVec->SetVal(i, v);
  }
}

}  // namespace nuv
