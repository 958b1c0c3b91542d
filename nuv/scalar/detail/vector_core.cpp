#include "nuv/scalar/detail/vector_core.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "nuv/base/constants.hpp"
#include "nuv/base/crc.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/base/streams.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/textfile.hpp"
#include "nuv/scalar/detail/selection.hpp"
#include "nuv/scalar/math1_sort.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv::detail {
namespace {

template <class T>
constexpr bool kIsInt = std::is_same_v<T, Integer>;

// Integer results wrap in 32-bit two's complement; unsigned arithmetic keeps that defined.
template <class T>
T WrapAdd(T a, T b) {
  if constexpr (kIsInt<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  } else {
    return a + b;
  }
}

template <class T>
T WrapSub(T a, T b) {
  if constexpr (kIsInt<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  } else {
    return a - b;
  }
}

template <class T>
T WrapMul(T a, T b) {
  if constexpr (kIsInt<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
  } else {
    return a * b;
  }
}

template <class T>
T Abs(T a) {
  if constexpr (kIsInt<T>) {
    return a < 0 ? WrapSub<T>(0, a) : a;
  } else {
    return std::fabs(a);
  }
}

// Widening to double is exact for Integer, so differences and products formed from the
// widened values never wrap.
template <class T>
double D(T x) {
  return static_cast<double>(x);
}

template <class T>
constexpr Int64 kItemSize = kIsInt<T> ? 4 : 8;

template <class T>
void WriteItem(TStream* S, T Value) {
  if constexpr (kIsInt<T>) {
    WriteLongintToStream(S, Value);
  } else {
    WriteExtendedToStream(S, Value);
  }
}

template <class T>
bool ReadItem(TStream* S, T& Value) {
  if constexpr (kIsInt<T>) {
    return ReadLongintFromStream(S, Value);
  } else {
    Extended x = 0;
    if (!ReadExtendedFromStream(S, x)) return false;
    Value = static_cast<double>(x);
    return true;
  }
}

// An index item of a floating stream is rounded half to even; a value that is not finite or
// does not round into the 32-bit range counts as a failed read.
template <class T>
bool ReadIndex(TStream* S, Integer& Index) {
  if constexpr (kIsInt<T>) {
    return ReadLongintFromStream(S, Index);
  } else {
    double x = 0;
    if (!ReadItem<double>(S, x)) return false;
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
    Index = static_cast<Integer>(r);
    return true;
  }
}

// One value of a text file: for integers rounded half to even; a value that is not finite or
// does not fit 32 bits does not read.
template <class T>
TTextReadStatus ReadTextValue(TTextFileReader& R, T& Value) {
  double x = 0;
  const TTextReadStatus st = R.ReadNumber(x);
  if (st != trOk) return st;
  if constexpr (kIsInt<T>) {
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return trNotNumber;
    Value = static_cast<Integer>(r);
  } else {
    Value = x;
  }
  return trOk;
}

}  // namespace

void MakeValidRange(Integer& Low, Integer& High, Integer N) noexcept {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = N;
    return;
  }
  if (Low <= 0) Low = 1;
  if (Low > N) Low = N;
  if (High <= 0) High = 1;
  if (High > N) High = N;
  if (High < Low) std::swap(Low, High);
}

template <class T>
TVectorCore<T>::TVectorCore(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FVec.assign(1, T{});
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
}

template <class T>
bool TVectorCore<T>::Resize(Integer NE) {
  const bool may = this->MayResize();  // spent even by a resize that changes nothing
  if (NE == FNElem) return true;
  if (NE <= 0 || !may) return false;
  try {
    // Build the new storage first so that a failure leaves the vector as it was.
    std::vector<T> grown(static_cast<std::size_t>(NE), T{});
    const auto keep = static_cast<std::size_t>(std::min(NE, FNElem));
    std::copy(FVec.begin(), FVec.begin() + static_cast<std::ptrdiff_t>(keep), grown.begin());
    FVec.swap(grown);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory");
  } catch (const std::length_error&) {
    Raise("not enough memory");
  }
  FNElem = NE;
  Changed();
  return true;
}

template <class T>
void TVectorCore<T>::SetVal(Integer Elem, T Value) {
  if (Elem < 1 || Elem > FNElem) return;
  FVec[static_cast<std::size_t>(Elem - 1)] = Value;
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorCore<T>::Changed() {
  if (FOnChange) FOnChange(this);
}

template <class T>
void TVectorCore<T>::SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi) {
  if (FOnSortExchange) FOnSortExchange(this, Kind, Ix1, Ix2, Lo, Hi);
}

template <class T>
void TVectorCore<T>::MakeValidElemRange(Integer& LowElem, Integer& HighElem) const noexcept {
  MakeValidRange(LowElem, HighElem, FNElem);
}

template <class T>
std::string TVectorCore<T>::CRCofData() const {
  return LaneChecksum<T>(std::span<const T>(FVec));
}

template <class T>
void TVectorCore<T>::CopyCore(const TVectorCore& Source) {
  if (&Source == this || !this->MayResize()) return;
  std::vector<T> copy = Source.FVec;
  TNotifyEvent onChange = Source.FOnChange;
  TSortExchgEvent onSort = Source.FOnSortExchange;
  FVec.swap(copy);
  FNElem = Source.FNElem;
  FIsEmpty = Source.FIsEmpty;
  FOnChange = std::move(onChange);
  FOnSortExchange = std::move(onSort);
}

template <class T>
void TVectorCore<T>::Raise(const std::string& Text) const {
  RaiseComponent<ENUVVectorError>(this, Text);
}

// ---- arithmetic and products ----

template <class T>
void TVectorCore<T>::Add(const TVectorCore* OtherVec) {
  if (OtherVec == nullptr) return;
  TUseGuard use(this, OtherVec);
  if (OtherVec->FNElem != FNElem) Raise("vectors have different dimensions");
  for (std::size_t i = 0; i < FVec.size(); ++i) FVec[i] = WrapAdd(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <class T>
void TVectorCore<T>::Subtract(const TVectorCore* OtherVec) {
  if (OtherVec == nullptr) return;
  TUseGuard use(this, OtherVec);
  if (OtherVec->FNElem != FNElem) Raise("vectors have different dimensions");
  for (std::size_t i = 0; i < FVec.size(); ++i) FVec[i] = WrapSub(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <class T>
void TVectorCore<T>::SMult(T scalar) {
  for (T& e : FVec) e = WrapMul(e, scalar);
  Changed();
}

template <class T>
void TVectorCore<T>::AbsVal() {
  for (T& e : FVec) e = Abs(e);
  Changed();
}

template <class T>
T TVectorCore<T>::DotProduct(const TVectorCore* OtherVec) const {
  if (OtherVec == nullptr) return T{};
  if (OtherVec->FNElem != FNElem) Raise("vectors have different dimensions");
  T sum{};
  for (std::size_t i = 0; i < FVec.size(); ++i) {
    sum = WrapAdd(sum, WrapMul(FVec[i], OtherVec->FVec[i]));
  }
  return sum;
}

template <class T>
T TVectorCore<T>::Correlate(const TVectorCore* OtherVec, Integer ElemShift) const {
  if (OtherVec == nullptr) return T{};
  T sum{};
  for (Int64 i = 1; i <= FNElem; ++i) {
    const Int64 j = i + ElemShift;
    const T other = (j >= 1 && j <= OtherVec->FNElem) ? OtherVec->FVec[j - 1] : T{};
    sum = WrapAdd(sum, WrapMul(FVec[i - 1], other));
  }
  return sum;
}

template <class T>
double TVectorCore<T>::EuclideanDistance(const TVectorCore* OtherVec) const {
  if (OtherVec == nullptr || OtherVec->FNElem != FNElem) {
    RaiseFunction<ENUVVectorError>("EuclideanDistance", "dimensions of vectors do not match");
  }
  const T* px = FVec.data();
  const T* py = OtherVec->FVec.data();
  const std::size_t n = FVec.size();
  return RootSumSqDiff([=](auto&& f) {
    for (std::size_t i = 0; i < n; ++i) f(D(px[i]), D(py[i]));
  });
}

template <class T>
double TVectorCore<T>::PearsonCorrCoeff(const TVectorCore* OtherVec) const {
  if (OtherVec == nullptr || OtherVec->FNElem != FNElem || FNElem <= 1) return 0.0;
  const T* px = FVec.data();
  const T* py = OtherVec->FVec.data();
  const auto n = static_cast<std::size_t>(FNElem);
  const TCoMoments m = CoMomentsOf(static_cast<double>(FNElem), [=](auto&& f) {
    for (std::size_t i = 0; i < n; ++i) f(D(px[i]), D(py[i]));
  });
  return CorrelationOf(m);
}

// ---- searching ----

template <class T>
Integer TVectorCore<T>::Find(Integer LowElem, Integer HighElem, T value) const {
  MakeValidElemRange(LowElem, HighElem);
  double best = uc_MaxDouble;
  Integer ix = 0;
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const double d = std::fabs(D(FVec[static_cast<std::size_t>(i - 1)]) - D(value));
    if (d < best) {
      best = d;
      ix = i;
    }
  }
  return ix;
}

template <class T>
Integer TVectorCore<T>::FindInSortedVector(bool Ascending, T Value) const {
  Int64 lo = 1;
  Int64 hi = FNElem;
  auto at = [this](Int64 i) { return FVec[static_cast<std::size_t>(i - 1)]; };
  while (hi - lo > 1) {
    const Int64 mid = (lo + hi) / 2;
    if (at(mid) == Value) return static_cast<Integer>(mid);
    if ((Value < at(mid)) == Ascending) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  const double dHi = std::fabs(D(at(hi)) - D(Value));
  const double dLo = std::fabs(D(at(lo)) - D(Value));
  return static_cast<Integer>(dHi > dLo ? lo : hi);
}

template <class T>
void TVectorCore<T>::MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum) const {
  Integer minIx = 0;
  Integer maxIx = 0;
  MinMax(LowElem, HighElem, Minimum, Maximum, minIx, maxIx);
}

template <class T>
void TVectorCore<T>::MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum,
                            Integer& MinIx, Integer& MaxIx) const {
  if constexpr (kIsInt<T>) {
    Minimum = 2147483647;
    Maximum = -2147483647;
  } else {
    Minimum = 1.7e308;
    Maximum = -1.7e308;
  }
  MinIx = 0;
  MaxIx = 0;
  MakeValidElemRange(LowElem, HighElem);
  // Seed from the first comparable element so that values beyond the start values (and the
  // most negative Integer) are reported; NaN never compares and is passed over.
  Integer i = LowElem;
  while (i <= HighElem &&
         FVec[static_cast<std::size_t>(i - 1)] != FVec[static_cast<std::size_t>(i - 1)]) {
    ++i;
  }
  if (i > HighElem) return;
  Minimum = Maximum = FVec[static_cast<std::size_t>(i - 1)];
  MinIx = MaxIx = i;
  for (++i; i <= HighElem; ++i) {
    const T x = FVec[static_cast<std::size_t>(i - 1)];
    if (x < Minimum) {
      Minimum = x;
      MinIx = i;
    }
    if (x > Maximum) {
      Maximum = x;
      MaxIx = i;
    }
  }
}

// ---- ordering ----

template <class T>
void TVectorCore<T>::SortElems(bool Ascending, Integer RangeFirst, Integer RangeLast) {
  MakeValidElemRange(RangeFirst, RangeLast);
  if (RangeLast - RangeFirst < 1) return;
  // The exchange handler runs between the passes over the range: it may change values, and
  // the guard refuses any resize, so the range stays inside the storage.
  TUseGuard use(this);
  auto last = [RangeLast] { return Int64{RangeLast}; };
  auto outOfOrder = [this, Ascending](Int64 i, Int64 j) {
    const T a = FVec[static_cast<std::size_t>(i - 1)];
    const T b = FVec[static_cast<std::size_t>(j - 1)];
    return SortsAfter(a, b, Ascending);
  };
  auto swap = [this](Int64 i, Int64 j) {
    std::swap(FVec[static_cast<std::size_t>(i - 1)], FVec[static_cast<std::size_t>(j - 1)]);
    SortExchange(0, static_cast<Integer>(i), static_cast<Integer>(j), 0, 0);
  };
  CombSort(RangeFirst, last, Int64{RangeLast} - RangeFirst, outOfOrder, swap, [] {});
  Changed();
}

template <class T>
void TVectorCore<T>::Mirror() {
  std::reverse(FVec.begin(), FVec.end());
  Changed();
}

template <class T>
void TVectorCore<T>::ShuffleElems() {
  Randomize();
  for (Integer k = 0; k < FNElem; ++k) {
    const auto a = static_cast<std::size_t>(Random(FNElem));
    const auto b = static_cast<std::size_t>(Random(FNElem));
    std::swap(FVec[a], FVec[b]);
  }
}

// ---- copies and fills ----

template <class T>
void TVectorCore<T>::Clone(const TVectorCore* VecSource) {
  if (VecSource == nullptr) return;
  // Taken before the resize, so the handlers that resize fires are refused too.
  TUseGuard use(this, VecSource);
  const Integer n = VecSource->FNElem;
  use.AllowResize(this);
  if (!Resize(n)) return;
  for (Integer i = 1; i <= n; ++i) SetVal(i, VecSource->GetVal(i));
  Changed();
}

template <class T>
void TVectorCore<T>::CopyFrom(const TVectorCore* VecSource, Integer SourceElemLo,
                              Integer SourceElemHi, Integer DestElem) {
  if (VecSource == nullptr) return;
  TUseGuard use(this, VecSource);
  const Integer n = VecSource->FNElem;
  Integer lo = std::clamp<Integer>(SourceElemLo, 1, n);
  Integer hi = std::clamp<Integer>(SourceElemHi, 1, n);
  if (hi < lo) std::swap(lo, hi);
  // Copying a stretch of the vector onto itself must read the values from before the copy.
  std::vector<T> snapshot;
  if (VecSource == this) {
    snapshot.assign(FVec.begin() + (lo - 1), FVec.begin() + hi);
  }
  for (Integer k = lo; k <= hi; ++k) {
    const Int64 target = Int64{DestElem} + k - lo;
    if (target < 1 || target > FNElem) continue;
    const T v =
        snapshot.empty() ? VecSource->GetVal(k) : snapshot[static_cast<std::size_t>(k - lo)];
    SetVal(static_cast<Integer>(target), v);
  }
  Changed();
}

template <class T>
void TVectorCore<T>::CopyToArray(std::vector<T>& DestArray, Integer LowElem,
                                 Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  DestArray.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
}

template <class T>
void TVectorCore<T>::CopyFromArray(std::span<const T> SrcArray, Integer Elem) {
  TUseGuard use(this);
  for (std::size_t k = 0; k < SrcArray.size(); ++k) {
    const Int64 target = Int64{Elem} + static_cast<Int64>(k);
    if (target < 1 || target > FNElem) continue;
    SetVal(static_cast<Integer>(target), SrcArray[k]);
  }
}

template <class T>
void TVectorCore<T>::Fill(T value) {
  std::fill(FVec.begin(), FVec.end(), value);
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorCore<T>::Clear() {
  std::fill(FVec.begin(), FVec.end(), T{});
  FIsEmpty = true;
  Changed();
}

// ---- statistics ----

template <class T>
std::vector<T> TVectorCore<T>::SortedCopy(Integer LowElem, Integer HighElem) const {
  std::vector<T> s;
  try {
    s.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  SortArray(std::span<T>(s), true);
  return s;
}

template <class T>
T TVectorCore<T>::Sum(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  T sum{};
  for (Integer i = LowElem; i <= HighElem; ++i) {
    sum = WrapAdd(sum, FVec[static_cast<std::size_t>(i - 1)]);
  }
  return sum;
}

template <class T>
void TVectorCore<T>::MeanVar(Integer LowElem, Integer HighElem, double& Mean,
                             double& Variance) const {
  MakeValidElemRange(LowElem, HighElem);
  const double n = HighElem - LowElem + 1;
  const T* p = FVec.data();
  auto visit = [p, LowElem, HighElem](auto&& f) {
    for (Integer i = LowElem - 1; i < HighElem; ++i) f(D(p[i]));
  };
  Variance = 1.0;
  if (n < 3) {
    Mean = MeanOf(n, visit);
    return;
  }
  const TSpread sp = SpreadOf(n, visit);
  Mean = sp.Mean();
  Variance = sp.Variance(n - 1);
}

template <class T>
double TVectorCore<T>::GeometricMean(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  bool zero = false;
  double sum = 0.0;
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const double x = D(FVec[static_cast<std::size_t>(i - 1)]);
    if (x < 0) Raise("negative argument passed to GeometricMean");
    if (x == 0) {
      zero = true;
    } else {
      sum += std::log(x);
    }
  }
  return zero ? 0.0 : std::exp(sum / (HighElem - LowElem + 1));
}

template <class T>
double TVectorCore<T>::HarmonicMean(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const T* p = FVec.data();
  for (Integer i = LowElem - 1; i < HighElem; ++i) {
    if (D(p[i]) <= 0) Raise("negative or zero argument passed to HarmonicMean");
  }
  return HarmonicMeanOf(HighElem - LowElem + 1, [p, LowElem, HighElem](auto&& f) {
    for (Integer i = LowElem - 1; i < HighElem; ++i) f(D(p[i]));
  });
}

template <class T>
void TVectorCore<T>::SkewKurt(Integer LowElem, Integer HighElem, double& Skewness,
                              double& Kurtosis) const {
  Skewness = 0.0;
  Kurtosis = 0.0;
  MakeValidElemRange(LowElem, HighElem);
  const double n = HighElem - LowElem + 1;
  if (n < 4) return;
  SkewKurtOf(
      n,
      [&](auto&& f) {
        for (Integer i = LowElem; i <= HighElem; ++i) f(D(FVec[static_cast<std::size_t>(i - 1)]));
      },
      Skewness, Kurtosis);
}

template <class T>
void TVectorCore<T>::SkewKurtSample(Integer LowElem, Integer HighElem, double& Skewness,
                                    double& Kurtosis) const {
  double skew = 0.0;
  double kurt = 0.0;
  SkewKurt(LowElem, HighElem, skew, kurt);
  MakeValidElemRange(LowElem, HighElem);
  SampleSkewKurt(HighElem - LowElem + 1, skew, kurt, Skewness, Kurtosis);
}

template <class T>
T TVectorCore<T>::Mode(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  const std::vector<T> s = SortedCopy(LowElem, HighElem);
  T best = s[0];
  std::size_t bestLen = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t j = i + 1;
    while (j < s.size() && s[j] == s[i]) ++j;
    if (j - i > bestLen) {
      bestLen = j - i;
      best = s[i];
    }
    i = j;
  }
  return best;
}

template <class T>
bool TVectorCore<T>::Quartiles(Integer LowElem, Integer HighElem, double& Q1, double& Q2,
                               double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  MakeValidElemRange(LowElem, HighElem);
  const std::vector<T> s = SortedCopy(LowElem, HighElem);
  const auto n = static_cast<Int64>(s.size());
  if (n <= 1) {
    Q1 = Q2 = Q3 = D(s[0]);
    return true;
  }
  auto quartile = [&](double q) {
    const double p = static_cast<double>(n + 1) * q;
    const auto k = static_cast<Int64>(p);
    const double f = p - static_cast<double>(k);
    if (k == 0) return D(s[0]);
    if (k >= n) return D(s[static_cast<std::size_t>(n - 1)]);
    const double lower = D(s[static_cast<std::size_t>(k - 1)]);
    return BetweenSorted(lower, D(s[static_cast<std::size_t>(k)]), f);
  };
  Q1 = quartile(0.25);
  Q2 = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

template <class T>
double TVectorCore<T>::Percentile(double prob, Integer LowElem, Integer HighElem) const {
  if (std::isnan(prob)) return prob;
  prob = std::clamp(prob, 0.0, 100.0);
  MakeValidElemRange(LowElem, HighElem);
  const std::vector<T> s = SortedCopy(LowElem, HighElem);
  const auto n = static_cast<Int64>(s.size());
  if (n == 1) return D(s[0]);
  if (prob == 100.0) return D(s[static_cast<std::size_t>(n - 1)]);
  const double pos = static_cast<double>(n - 1) * prob / 100.0;
  const auto k = static_cast<Int64>(pos);
  const double f = pos - static_cast<double>(k);
  // Rounding can put a probability just below 100 onto the last element.
  if (k >= n - 1) return D(s[static_cast<std::size_t>(n - 1)]);
  const double lower = D(s[static_cast<std::size_t>(k)]);
  return BetweenSorted(lower, D(s[static_cast<std::size_t>(k + 1)]), f);
}

// ---- binary streams ----

template <class T>
void TVectorCore<T>::SaveToStreamImpl(TStream* OutStream, Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  if constexpr (kIsInt<T>) {
    WriteItem<T>(OutStream, LowElem);
    WriteItem<T>(OutStream, HighElem);
  } else {
    WriteItem<T>(OutStream, static_cast<double>(LowElem));
    WriteItem<T>(OutStream, static_cast<double>(HighElem));
  }
  for (Integer i = LowElem; i <= HighElem; ++i) {
    WriteItem<T>(OutStream, FVec[static_cast<std::size_t>(i - 1)]);
  }
}

template <class T>
void TVectorCore<T>::SaveToStream(TMemoryStream*& OutStream, Integer LowElem,
                                  Integer HighElem) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  SaveToStreamImpl(OutStream, LowElem, HighElem);
}

template <class T>
void TVectorCore<T>::SaveToStream(TFileStream*& OutStream, Integer LowElem,
                                  Integer HighElem) const {
  if (OutStream == nullptr) return;
  SaveToStreamImpl(OutStream, LowElem, HighElem);
}

template <class T>
bool TVectorCore<T>::MayGrowTo(Integer Hi, Int64 ItemsLeft) const noexcept {
  constexpr Int64 kGrowthSlack = Int64{1} << 20;  // 8 MiB of doubles
  return Int64{Hi} - FNElem <= ItemsLeft + kGrowthSlack;
}

template <class T>
bool TVectorCore<T>::LoadFromStreamImpl(TStream* InStream, bool AdjustVectorSize) {
  if (InStream == nullptr) return false;
  Integer lo = 0;
  Integer hi = 0;
  if (!ReadIndex<T>(InStream, lo) || !ReadIndex<T>(InStream, hi)) return false;
  if (AdjustVectorSize && hi > FNElem) {
    const Int64 itemsLeft = (InStream->Size() - InStream->Position()) / kItemSize<T>;
    if (!MayGrowTo(hi, itemsLeft)) return false;
  }
  TUseGuard use(this);
  if (AdjustVectorSize && hi >= 1 && hi != FNElem) {
    use.AllowResize(this);
    // Refused: a call in progress uses this vector, so the load changes nothing.
    if (!Resize(hi)) return false;
  }
  if (FNElem < hi) {
    Changed();
    return false;
  }
  bool result = true;
  for (Int64 i = lo; i <= hi; ++i) {
    T value{};
    // Once a read fails every later one fails too: stop instead of spinning to hi.
    if (!ReadItem<T>(InStream, value)) {
      result = false;
      break;
    }
    SetVal(static_cast<Integer>(i), value);
  }
  Changed();
  return result;
}

template <class T>
bool TVectorCore<T>::LoadFromStream(TMemoryStream* InStream, bool AdjustVectorSize) {
  return LoadFromStreamImpl(InStream, AdjustVectorSize);
}

template <class T>
bool TVectorCore<T>::LoadFromStream(TFileStream* InStream, bool AdjustVectorSize) {
  return LoadFromStreamImpl(InStream, AdjustVectorSize);
}

// ---- text files ----

template <class T>
bool TVectorCore<T>::LoadFromFile(const std::string& FileName, bool AdjustVectorSize) {
  TTextFileReader reader;
  if (!reader.Open(FileName)) return false;
  Integer lo = 0;
  Integer hi = 0;
  if (reader.ReadInteger(lo) != trOk || reader.ReadInteger(hi) != trOk) return false;
  // Every value needs at least a separator and one character.
  if (AdjustVectorSize && hi > FNElem && !MayGrowTo(hi, reader.BytesLeft() / 2)) {
    return false;
  }
  TUseGuard use(this);
  if (AdjustVectorSize && hi >= 1 && hi != FNElem) {
    use.AllowResize(this);
    if (!Resize(hi)) return false;
  }
  bool result = false;
  if (FNElem >= hi) {
    result = true;
    for (Int64 i = lo; i <= hi; ++i) {
      T value{};
      const TTextReadStatus st = ReadTextValue(reader, value);
      if (st == trOk) {
        SetVal(static_cast<Integer>(i), value);
      } else if (st == trEndOfFile) {
        break;
      } else if (st == trError) {
        return false;
      }
    }
  }
  reader.Close();
  Changed();
  return result;
}

template class TVectorCore<double>;
template class TVectorCore<Integer>;

}  // namespace nuv::detail
