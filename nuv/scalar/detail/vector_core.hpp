#pragma once
// Storage, events, range rule, checksum and every operation that TVector and TIntVector share
// (the same rules over doubles and over 32-bit integers).

#include <span>
#include <string>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/stream.hpp"

namespace nuv::detail {

struct TVectorAccess;

/// One-dimensional container of T with public indices 1..NrOfElem (never fewer than 1).
/// Integer arithmetic whose result is an Integer (Sum, DotProduct, Correlate, Add, Subtract,
/// SMult) wraps around in 32-bit two's complement; statistics returned as doubles are formed
/// without wrapping. Freeing a vector from a handler while a call uses it is undefined.
template <class T>
class TVectorCore : public TComponent, public TUseCounted {
 public:
  /// One element of value 0, IsEmpty true. Raises ENUVVectorError
  /// `Component "<Name>": not enough memory on heap` when the element cannot be allocated.
  explicit TVectorCore(TComponent* AOwner);

  /// Number of elements (at least 1).
  Integer NrOfElem() const noexcept { return FNElem; }
  /// True until an element is written or the vector is filled; true again after Clear.
  bool IsEmpty() const noexcept { return FIsEmpty; }
  /// Change event: fired with this vector as sender by the operations that change it.
  const TNotifyEvent& OnChange() const noexcept { return FOnChange; }
  /// Assigns the change event (an empty function removes it).
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }
  /// Exchange event: fired by SortElems after each exchange of two elements.
  const TSortExchgEvent& OnSortExchange() const noexcept { return FOnSortExchange; }
  /// Assigns the exchange event (an empty function removes it).
  void SetOnSortExchange(TSortExchgEvent Handler) { FOnSortExchange = std::move(Handler); }

  /// Sets the count to NE, keeping the first min(old, NE) elements; new elements are 0.
  /// NE equal to the count: true, no event. NE <= 0: false, nothing changes. Otherwise fires
  /// OnChange and returns true. Allocation failure raises ENUVVectorError
  /// `Component "<Name>": not enough memory` and leaves count and elements unchanged.
  /// While a call of this library uses the vector (its OnChange or OnSortExchange handlers, or
  /// those of the other vectors it reads or writes, are running), Resize to another count
  /// returns false and changes nothing; so does everything that resizes or replaces the storage
  /// through it.
  bool Resize(Integer NE);
  /// Element Elem (1-based); 0 outside 1..NrOfElem.
  T GetVal(Integer Elem) const noexcept {
    return (Elem >= 1 && Elem <= FNElem) ? FVec[static_cast<std::size_t>(Elem - 1)] : T{};
  }
  /// Same as GetVal (the indexed element reader).
  T Elem(Integer Index) const noexcept { return GetVal(Index); }
  /// Stores Value at Elem (1-based), clears IsEmpty and fires OnChange; ignored outside
  /// 1..NrOfElem (no event).
  void SetVal(Integer Elem, T Value);
  /// Fires OnChange with this vector as sender when a handler is assigned.
  void Changed();
  /// Fires OnSortExchange with (this, Kind, Ix1, Ix2, Lo, Hi) when a handler is assigned.
  void SortExchange(Byte Kind, Integer Ix1, Integer Ix2, Integer Lo, Integer Hi);
  /// Makes a range valid: (0, 0) is the whole vector; bounds <= 0 become 1, bounds above
  /// NrOfElem become NrOfElem, and a reversed pair is exchanged.
  void MakeValidElemRange(Integer& LowElem, Integer& HighElem) const noexcept;
  /// Data checksum: one CRC-32 lane per byte of the element, 8 hex digits per lane.
  std::string CRCofData() const;

  // ---- arithmetic and products ----

  /// Adds OtherVec element by element and fires OnChange; nil does nothing. Different counts
  /// raise ENUVVectorError `Component "<Name>": vectors have different dimensions`.
  void Add(const TVectorCore* OtherVec);
  /// Subtracts OtherVec element by element; as Add.
  void Subtract(const TVectorCore* OtherVec);
  /// Multiplies every element by scalar and fires OnChange.
  void SMult(T scalar);
  /// Replaces every element by its absolute value and fires OnChange (the most negative
  /// Integer stays as it is).
  void AbsVal();
  /// Sum of the products of the elements; 0 for nil. Different counts raise
  /// `Component "<Name>": vectors have different dimensions`.
  T DotProduct(const TVectorCore* OtherVec) const;
  /// Sum over i = 1..NrOfElem of element i times OtherVec's element i + ElemShift (0 outside
  /// OtherVec); 0 for nil. No count check.
  T Correlate(const TVectorCore* OtherVec, Integer ElemShift) const;
  /// Euclidean distance to OtherVec. Different counts or nil raise ENUVVectorError
  /// "EuclideanDistance: dimensions of vectors do not match".
  double EuclideanDistance(const TVectorCore* OtherVec) const;
  /// Pearson's correlation coefficient with OtherVec, from the sums of squared deviations
  /// about the two means; 0 for nil, different counts, fewer than two elements or a constant
  /// vector; never outside -1..1.
  double PearsonCorrCoeff(const TVectorCore* OtherVec) const;

  // ---- searching ----

  /// Index of the element of the valid range nearest to value (the first on ties); 0 when no
  /// difference is below the largest double (e.g. for NaN).
  Integer Find(Integer LowElem, Integer HighElem, T value) const;
  /// Index of Value in a vector sorted in the given direction by bisection; on a miss the
  /// nearer of the two last bracketing elements (the upper one on a tie).
  Integer FindInSortedVector(bool Ascending, T Value) const;
  /// Smallest and largest element of the valid range (first occurrences). NaN elements are
  /// passed over; an all-NaN range gives the start values 1.7e308 and -1.7e308 (TIntVector:
  /// 2147483647 and -2147483647).
  void MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum) const;
  /// MinMax with the indices of the two results (0 when not found).
  void MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum, Integer& MinIx,
              Integer& MaxIx) const;

  // ---- ordering ----

  /// Comb sort of the valid range RangeFirst..RangeLast. Every exchange of elements i and j
  /// fires OnSortExchange(this, 0, i, j, 0, 0) right after it; OnChange fires once at the end.
  /// A range of fewer than two elements does nothing. No progress step.
  void SortElems(bool Ascending, Integer RangeFirst, Integer RangeLast);
  /// Reverses the order of the elements and fires OnChange.
  void Mirror();
  /// Reseeds the process-wide generator from the clock, then NrOfElem times exchanges the
  /// elements at two random positions. No event.
  void ShuffleElems();

  // ---- copies and fills ----

  /// Resizes to the source's count and writes every element through SetVal (one OnChange
  /// each), then fires OnChange; nil, or a resize refused because a call uses this vector,
  /// does nothing. Handlers are not copied.
  void Clone(const TVectorCore* VecSource);
  /// Copies source elements SourceElemLo..SourceElemHi (clamped into the source, put in
  /// order; (0, 0) is element 1) to DestElem onwards through SetVal, skipping targets outside
  /// this vector, then fires OnChange; nil does nothing. The vector itself may be the source.
  void CopyFrom(const TVectorCore* VecSource, Integer SourceElemLo, Integer SourceElemHi,
                Integer DestElem);
  /// Sets DestArray to the valid range's elements, from index 0.
  void CopyToArray(std::vector<T>& DestArray, Integer LowElem, Integer HighElem) const;
  /// Writes SrcArray[k] to element Elem + k through SetVal, skipping targets outside.
  void CopyFromArray(std::span<const T> SrcArray, Integer Elem);
  /// Sets every element to value, clears IsEmpty, fires OnChange.
  void Fill(T value);
  /// Sets every element to 0, sets IsEmpty, fires OnChange.
  void Clear();

  // ---- statistics of a range (ranges made valid; no event) ----

  /// Sum of the range's elements.
  T Sum(Integer LowElem, Integer HighElem) const;
  /// Mean and sample variance of the range, the variance from the deviations about the mean
  /// (two passes, corrected by the deviations' own sum), so an offset far from zero keeps the
  /// spread; reported as 1 for fewer than three elements, and never negative.
  void MeanVar(Integer LowElem, Integer HighElem, double& Mean, double& Variance) const;
  /// Geometric mean; 0 when an element is 0. A negative element raises ENUVVectorError
  /// `Component "<Name>": negative argument passed to GeometricMean`.
  double GeometricMean(Integer LowElem, Integer HighElem) const;
  /// Harmonic mean. An element <= 0 raises ENUVVectorError
  /// `Component "<Name>": negative or zero argument passed to HarmonicMean`.
  double HarmonicMean(Integer LowElem, Integer HighElem) const;
  /// Skewness m3/s^3 and excess kurtosis m4/s^4 - 3 with the sample deviation s; both 0 for
  /// fewer than four elements; for s = 0 the sums of the third and fourth powers of the
  /// deviations.
  void SkewKurt(Integer LowElem, Integer HighElem, double& Skewness, double& Kurtosis) const;
  /// SkewKurt with the small-sample corrections; 0 and 0 for fewer than four elements.
  void SkewKurtSample(Integer LowElem, Integer HighElem, double& Skewness, double& Kurtosis) const;
  /// Value of the longest run of equal values in the sorted range (the smallest among equally
  /// long runs). Sorts a working copy with SortArray (progress steps).
  T Mode(Integer LowElem, Integer HighElem) const;
  /// Quartiles at positions (n + 1)q of the sorted range, interpolated linearly; always true.
  /// Raises `Component "<Name>": not enough memory on heap` when the working copy cannot be
  /// made.
  bool Quartiles(Integer LowElem, Integer HighElem, double& Q1, double& Q2, double& Q3) const;
  /// Percentile prob (clamped into 0..100) at position (n - 1)prob/100 of the sorted range,
  /// interpolated linearly; NaN for a NaN prob. Memory failure as Quartiles.
  double Percentile(double prob, Integer LowElem, Integer HighElem) const;

  // ---- binary streams ----

  /// Writes the valid range's low and high index and its elements at the stream's position;
  /// a nil OutStream is replaced by a new TMemoryStream that the caller owns.
  void SaveToStream(TMemoryStream*& OutStream, Integer LowElem, Integer HighElem) const;
  /// The same on an existing file stream; nil does nothing.
  void SaveToStream(TFileStream*& OutStream, Integer LowElem, Integer HighElem) const;
  /// Reads a stored range Lo..Hi back from the stream's position, in these steps:
  /// - a nil stream, or an index item that cannot be read (TVector: not finite or not rounding
  ///   into 32 bits), gives false with nothing changed and no event;
  /// - with AdjustVectorSize, a growth to Hi that exceeds the items left in the stream by more
  ///   than 2^20 elements gives false with nothing changed and no event; otherwise the vector
  ///   is resized to Hi (Hi below 1 keeps the count; a resize refused because a call uses the
  ///   vector gives false with nothing changed and no event);
  /// - if the vector then has fewer than Hi elements: OnChange, false, no item read;
  /// - otherwise one item is read per index Lo..Hi and stored with SetVal (indices outside
  ///   1..NrOfElem are read and dropped); the first item that cannot be read ends the loop
  ///   with false, and the elements stored so far keep their new values; then OnChange.
  /// Lo < 1, Lo > Hi and missing items are not refused beforehand: a header "1 1000" with no
  /// items grows the vector to 1000 (AdjustVectorSize), fires OnChange and returns false.
  /// OnChange fires per element stored, on resizing and once at the end.
  bool LoadFromStream(TMemoryStream* InStream, bool AdjustVectorSize);
  /// The same from a file stream.
  bool LoadFromStream(TFileStream* InStream, bool AdjustVectorSize);

  // ---- text files ----

  /// Reads a text file of a header "Lo Hi" and whitespace-separated values, in these steps:
  /// - a file that cannot be opened, or a header that is not two 32-bit integers, gives false
  ///   with nothing changed and no event;
  /// - with AdjustVectorSize, a growth to Hi by more than 2^20 elements beyond what the rest of
  ///   the file can hold (two bytes per value) gives false with nothing changed and no event;
  ///   otherwise the vector is resized to Hi (Hi below 1 keeps the count; a refused resize
  ///   gives false with nothing changed and no event);
  /// - if the vector then has at least Hi elements the result is true and one token is read
  ///   per index Lo..Hi: a number is stored with SetVal (TIntVector rounds it half to even;
  ///   indices outside 1..NrOfElem are dropped), a token that is not a number (or, for
  ///   TIntVector, outside 32 bits) leaves its element unchanged, and the end of the file ends
  ///   the loop; fewer than Hi elements give false and no value is read;
  /// - the file is closed and OnChange fires, whatever the result.
  /// A read error after the header returns false at once, without the final OnChange.
  /// Lo < 1, Lo > Hi and missing values are not refused: a header "1 1000" with no values
  /// grows the vector to 1000 (AdjustVectorSize), fires OnChange and returns true.
  /// OnChange fires per element stored, on resizing and once at the end.
  bool LoadFromFile(const std::string& FileName, bool AdjustVectorSize);

 protected:
  friend struct TVectorAccess;
  /// Copies count, IsEmpty flag, elements and both handlers from Source; no event. Changes
  /// nothing while a call uses this vector (it replaces the storage).
  void CopyCore(const TVectorCore& Source);
  /// Raises ENUVVectorError with this component's message shape.
  [[noreturn]] void Raise(const std::string& Text) const;
  /// Sorted working copy of a valid range (memory failure raises "not enough memory on heap").
  std::vector<T> SortedCopy(Integer LowElem, Integer HighElem) const;
  /// Whether a load may set the count to Hi: the growth may exceed the items the input can
  /// still supply by at most kGrowthSlack elements, so hostile headers cannot allocate without
  /// bound while every file the writers produce (and any short gap or truncation) still loads.
  bool MayGrowTo(Integer Hi, Int64 ItemsLeft) const noexcept;
  bool LoadFromStreamImpl(TStream* InStream, bool AdjustVectorSize);
  void SaveToStreamImpl(TStream* OutStream, Integer LowElem, Integer HighElem) const;

  Integer FNElem = 1;
  bool FIsEmpty = true;
  std::vector<T> FVec;
  TNotifyEvent FOnChange;
  TSortExchgEvent FOnSortExchange;
};

extern template class TVectorCore<double>;
extern template class TVectorCore<Integer>;

/// Ordered-range rule for one dimension of extent N.
void MakeValidRange(Integer& Low, Integer& High, Integer N) noexcept;

}  // namespace nuv::detail
