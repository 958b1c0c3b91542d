// TIntMatrix: counts, searches and descriptive statistics over boxes of cells.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/detail/intmatrix_box.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/TVector.hpp"
#include "nuv/scalar/detail/selection.hpp"
#include "nuv/scalar/math1_sort.hpp"

namespace nuv {
namespace {

using detail::ForIntBox;
using detail::MakeIntBox;
using detail::TIntBox;

// Reserves room for Count values, or raises the component's memory message; a count beyond
// the 32-bit index limit of the working copies is refused the same way.
template <class T>
void ReserveOrRaise(const TIntMatrix& M, std::vector<T>& V, Int64 Count) {
  if (!detail::WorkingCopyFits(Count)) {
    detail::RaiseComponent<ENUVMatrixError>(&M, "not enough memory on heap");
  }
  const auto n = static_cast<std::uint64_t>(Count);
  try {
    V.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVMatrixError>(&M, "not enough memory on heap");
  } catch (const std::length_error&) {
    detail::RaiseComponent<ENUVMatrixError>(&M, "not enough memory on heap");
  }
}

}  // namespace

Integer TIntMatrix::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                                Integer RangeLow, Integer RangeHigh) const {
  if (FIsSparse) return 0;
  std::uint64_t n = 0;
  ForIntBox(Mat.data(), FAllocRows, MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow),
            [&](Integer, Integer, Integer x) {
              if (RangeLow <= x && x <= RangeHigh) ++n;
            });
  return detail::WrapCount(n);
}

Integer TIntMatrix::CountMaskedZeros(Integer LowCol, Integer HighCol, Integer LowRow,
                                     Integer HighRow, std::uint32_t Bitmask) const {
  if (FIsSparse) return 0;
  std::uint64_t n = 0;
  ForIntBox(Mat.data(), FAllocRows, MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow),
            [&](Integer, Integer, Integer x) {
              if ((static_cast<std::uint32_t>(x) & Bitmask) == 0) ++n;
            });
  return detail::WrapCount(n);
}

Integer TIntMatrix::Dichotomize(Integer Threshold, TBool2DArray& ResultArray) const {
  const Integer nc = FIsSparse ? 0 : std::max<Integer>(FNCol, 0);
  const Integer nr = FIsSparse ? 0 : std::max<Integer>(FNRow, 0);
  try {
    ResultArray.assign(static_cast<std::size_t>(nc), TBoolArray(static_cast<std::size_t>(nr), 0));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  if (FIsSparse) return 0;
  std::uint64_t n = 0;
  ForIntBox(Mat.data(), FAllocRows, MakeIntBox(*this, 0, 0, 0, 0),
            [&](Integer c, Integer r, Integer x) {
              const bool above = x > Threshold;
              ResultArray[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] =
                  above ? 1 : 0;
              if (above) ++n;
            });
  return detail::WrapCount(n);
}

void TIntMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr || FIsSparse) return;
  const bool perColumn = Dim == dimColumns;
  const Integer outer = perColumn ? FNCol : FNRow;
  const Integer inner = perColumn ? FNRow : FNCol;
  // The vector's events may not resize the matrix read or the vector written; its own resize
  // passes.
  const detail::TUseGuard use(this, Means);
  use.AllowResize(Means);
  Means->Resize(outer);
  for (Integer i = 1; i <= outer; ++i) {
    double s = 0.0;
    for (Integer j = 1; j <= inner; ++j) {
      s += static_cast<double>(perColumn ? Mat[Index(i, j)] : Mat[Index(j, i)]);
    }
    Means->SetVal(i, inner > 0 ? s / inner : 0.0);
  }
}

void TIntMatrix::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer Value, Integer& ColIx, Integer& RowIx) const {
  ColIx = 0;
  RowIx = 0;
  if (FIsSparse) return;
  // Distances in 64 bits: |x - Value| of two 32-bit cells may exceed the 32-bit range.
  Int64 best = std::numeric_limits<Int64>::max();
  ForIntBox(Mat.data(), FAllocRows, MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow),
            [&](Integer c, Integer r, Integer x) {
              const Int64 d = x >= Value ? Int64{x} - Value : Int64{Value} - x;
              if (d < best) {
                best = d;
                ColIx = c;
                RowIx = r;
              }
            });
}

Integer TIntMatrix::FindInSortedColumn(Integer Col, bool ColIsAscending, Integer Value) const {
  if (FIsSparse || FNRow < 1) return 0;
  Integer lo = 1;
  Integer hi = FNRow;
  while (hi - lo > 1) {
    const auto mid = static_cast<Integer>((Int64{lo} + hi) / 2);
    const Integer cell = GetVal(Col, mid);
    if (cell == Value) return mid;
    if ((Value < cell) == ColIsAscending) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  auto dist = [&](Integer r) {
    const Int64 x = GetVal(Col, r);
    return x >= Value ? x - Value : Value - x;
  };
  return dist(hi) > dist(lo) ? lo : hi;
}

Integer TIntMatrix::Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const {
  const TIntBox b = MakeIntBox(*this, LoC, LoR, HiC, HiR);
  auto s = std::uint32_t{0};
  if (FIsSparse) {
    if (b.Empty()) return 0;
    for (Integer k = 0; k < FSparseNumElem; ++k) {
      const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(k)];
      if (b.Holds(e.colidx, e.rowidx)) s += static_cast<std::uint32_t>(e.value);
    }
  } else {
    ForIntBox(Mat.data(), FAllocRows, b,
              [&](Integer, Integer, Integer x) { s += static_cast<std::uint32_t>(x); });
  }
  return static_cast<Integer>(s);
}

Integer TIntMatrix::Trace() const {
  auto s = std::uint32_t{0};
  if (FIsSparse) {
    if (FSparseHighCol != FSparseHighRow) return 0;
    for (Integer k = 0; k < FSparseNumElem; ++k) {
      const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(k)];
      if (e.colidx == e.rowidx) s += static_cast<std::uint32_t>(e.value);
    }
    return static_cast<Integer>(s);
  }
  if (FNCol != FNRow || Mat.empty()) return 0;
  for (Integer i = 1; i <= FNCol; ++i) s += static_cast<std::uint32_t>(Mat[Index(i, i)]);
  return static_cast<Integer>(s);
}

void TIntMatrix::MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                        Integer& Minimum, Integer& Maximum) const {
  Integer lo = 2147483647;
  Integer hi = -2147483647;
  // Seeded from the first counted cell: a box of -2147483648 reports it as its maximum.
  bool seeded = false;
  auto visit = [&](Integer x) {
    if (!seeded) {
      lo = hi = x;
      seeded = true;
    }
    if (x < lo) lo = x;
    if (x > hi) hi = x;
  };
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (FIsSparse) {
    for (Integer k = 0; k < FSparseNumElem && !b.Empty(); ++k) {
      const TSpMatElemInt& e = SpMat[static_cast<std::size_t>(k)];
      if (b.Holds(e.colidx, e.rowidx)) visit(e.value);
    }
  } else {
    ForIntBox(Mat.data(), FAllocRows, b, [&](Integer, Integer, Integer x) { visit(x); });
  }
  Minimum = lo;
  Maximum = hi;
}

void TIntMatrix::MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                         double& Mean, double& Variance) const {
  Mean = 0.0;
  Variance = 0.0;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return;
  const auto n = static_cast<double>(b.Cells());
  // Sparse: every place of the box, absent ones as 0, so both stores visit the same values.
  auto each = [&](auto&& F) {
    if (FIsSparse) {
      for (Integer c = b.C1; c <= b.C2; ++c) {
        for (Integer r = b.R1; r <= b.R2; ++r) F(static_cast<double>(GetVal(c, r)));
      }
    } else {
      ForIntBox(Mat.data(), FAllocRows, b,
                [&](Integer, Integer, Integer x) { F(static_cast<double>(x)); });
    }
  };
  double ss = 0.0;
  detail::MeanSumSq(n, each, Mean, ss);
  Variance = n >= 3 ? ss / (n - 1) : 1.0;
}

double TIntMatrix::GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol,
                                 Integer HighRow) const {
  if (FIsSparse) return 0.0;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  bool zero = false;
  double s = 0.0;
  ForIntBox(Mat.data(), FAllocRows, b, [&](Integer, Integer, Integer x) {
    if (x < 0) Raise("negative argument passed to GeometricMean");
    if (x == 0) {
      zero = true;
    } else {
      s += std::log(static_cast<double>(x));
    }
  });
  if (zero) return 0.0;
  return std::exp(s / static_cast<double>(b.Rows()) / static_cast<double>(b.Cols()));
}

double TIntMatrix::HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol,
                                Integer HighRow) const {
  if (FIsSparse) return 0.0;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  double s = 0.0;
  ForIntBox(Mat.data(), FAllocRows, b, [&](Integer, Integer, Integer x) {
    if (x <= 0) Raise("negative or zero argument passed to HarmonicMean");
    s += 1.0 / static_cast<double>(x);
  });
  return static_cast<double>(b.Cells()) / s;
}

void TIntMatrix::SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          double& Skewness, double& Kurtosis) const {
  Skewness = 0.0;
  Kurtosis = 0.0;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  const auto n = static_cast<double>(b.Cells());
  if (n < 2) return;
  auto each = [&](auto&& F) {
    for (Integer c = b.C1; c <= b.C2; ++c) {
      for (Integer r = b.R1; r <= b.R2; ++r) F(static_cast<double>(GetVal(c, r)));
    }
  };
  detail::SkewKurtOf(n, each, Skewness, Kurtosis);
}

void TIntMatrix::SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                double& Skewness, double& Kurtosis) const {
  double skew = 0.0;
  double kurt = 0.0;
  SkewKurt(LowCol, LowRow, HighCol, HighRow, skew, kurt);
  const auto n = static_cast<double>(MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow).Cells());
  detail::SampleSkewKurt(n, skew, kurt, Skewness, Kurtosis);
}

bool TIntMatrix::Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  if (FIsSparse) return false;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return false;
  std::vector<Integer> s;
  ReserveOrRaise(*this, s, b.Cells());
  ForIntBox(Mat.data(), FAllocRows, b, [&](Integer, Integer, Integer x) { s.push_back(x); });
  SortArray(std::span<Integer>(s), true);
  const auto n = static_cast<Int64>(s.size());
  auto at = [&](Int64 i) { return static_cast<double>(s[static_cast<std::size_t>(i)]); };
  if (n < 2) {
    Q1 = Q2 = Q3 = at(0);
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
    if (i > n - 1) return at(n - 1);
    const double lower = at(i - 1);
    return detail::BetweenSorted(lower, at(i), f);
  };
  Q1 = quartile(0.25);
  Q2 = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) const {
  if (std::isnan(prob)) return prob;
  if (FIsSparse) return 0.0;
  prob = std::clamp(prob, 0.0, 100.0);
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (b.Empty()) return 0.0;
  std::vector<double> s;
  ReserveOrRaise(*this, s, b.Cells());
  ForIntBox(Mat.data(), FAllocRows, b,
            [&](Integer, Integer, Integer x) { s.push_back(static_cast<double>(x)); });
  const auto n = static_cast<Int64>(s.size());
  return detail::SelectRank(std::span<double>(s),
                            static_cast<std::size_t>(detail::NearestRank(prob, n)));
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow, Integer SampleSize) const {
  if (FIsSparse) return std::isnan(prob) ? prob : 0.0;
  const TIntBox b = MakeIntBox(*this, LowCol, LowRow, HighCol, HighRow);
  if (std::isnan(prob) || SampleSize <= 0 || SampleSize >= b.Cells()) {
    return Percentile(prob, LowCol, LowRow, HighCol, HighRow);
  }
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> s;
  ReserveOrRaise(*this, s, SampleSize);
  Randomize();
  const auto cols = static_cast<Integer>(b.Cols());
  const auto rows = static_cast<Integer>(b.Rows());
  for (Integer i = 0; i < SampleSize; ++i) {
    const Integer c = b.C1 + Random(cols);
    const Integer r = b.R1 + Random(rows);
    s.push_back(static_cast<double>(Mat[Index(c, r)]));
  }
  return detail::SelectRank(std::span<double>(s),
                            static_cast<std::size_t>(detail::NearestRank(prob, SampleSize)));
}

void TIntMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const {
  if (DestVec == nullptr || FIsSparse) return;
  const bool perColumn = Orient != 0;
  const Integer outer = perColumn ? FNCol : FNRow;
  const Integer inner = perColumn ? FNRow : FNCol;
  const detail::TUseGuard use(this, DestVec);
  use.AllowResize(DestVec);
  DestVec->Resize(outer);
  for (Integer i = 1; i <= outer; ++i) {
    double v = EdgeOp == eopMin ? uc_MaxDouble : EdgeOp == eopMax ? -uc_MaxDouble : 0.0;
    for (Integer j = 1; j <= inner; ++j) {
      const auto x = static_cast<double>(perColumn ? Mat[Index(i, j)] : Mat[Index(j, i)]);
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
