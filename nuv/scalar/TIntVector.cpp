#include "nuv/scalar/TIntVector.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "nuv/platform/format.hpp"
#include "nuv/platform/textfile.hpp"

namespace nuv {
namespace {

// Bin counts and the under/overflow counters wrap like every Integer count.
void CountInto(Integer& Counter, std::uint32_t Times) {
  Counter = static_cast<Integer>(static_cast<std::uint32_t>(Counter) + Times);
}

}  // namespace

TIntVector::TIntVector(TComponent* AOwner) : TVectorCore<Integer>(AOwner) {}

void TIntVector::SetIntVecSize(Integer NE) {
  if (NE > 0 && NE != FNElem) Resize(NE);
}

double TIntVector::CalcVecLeng() const {
  // Squares of 32-bit values are exact in double; only the sum may round.
  double sum = 0.0;
  for (Integer e : FVec) sum += static_cast<double>(e) * static_cast<double>(e);
  return std::sqrt(sum);
}

Integer TIntVector::FindExact(Integer LowElem, Integer HighElem, Integer value) const {
  MakeValidElemRange(LowElem, HighElem);
  for (Integer i = LowElem; i <= HighElem; ++i) {
    if (FVec[static_cast<std::size_t>(i - 1)] == value) return i;
  }
  return 0;
}

bool TIntVector::Histogram(Integer FirstElem, Integer LastElem, Integer FirstBin, Integer LastBin,
                           Integer BinWidth, TIntVector* Histo, Integer& Underflow,
                           Integer& Overflow, Integer& MaxCnt) {
  if (Histo == nullptr) return false;
  // Bounds, widths and differences in 64 bits: none of them may wrap.
  const Int64 width = BinWidth <= 0 ? 1 : BinWidth;
  const Int64 first = FirstBin;
  const Int64 nb = (Int64{LastBin} > first ? Int64{LastBin} - first : first - LastBin) / width + 1;
  if (nb <= 0 || nb > 500) {
    throw ENUVVectorError(
        detail::ComponentMessage(Name() + ".Histogram", "invalid number of bins"));
  }
  // Taken before Histo's resize: the handlers of its resize and clearing may change values
  // but no size, so the bins and the elements counted stay where they are.
  detail::TUseGuard use(this, Histo);
  if (Histo->FNElem != nb) {
    use.AllowResize(Histo);
    if (!Histo->Resize(static_cast<Integer>(nb))) return false;
  }
  Histo->Clear();
  Underflow = 0;
  Overflow = 0;
  MaxCnt = 0;
  const Int64 top = Int64{LastBin} + width;
  const Int64 binLimit = nb;
  auto count = [&](Int64 v, std::uint32_t times) {
    if (v < first) {
      CountInto(Underflow, times);
      return;
    }
    const Int64 b = (v - first) / width + 1;
    if (v >= top || b > binLimit) {
      CountInto(Overflow, times);
      return;
    }
    Integer& bin = Histo->FVec[static_cast<std::size_t>(b - 1)];
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
  if (outside > 0) count(0, static_cast<std::uint32_t>(outside));
  return true;
}

bool TIntVector::StoreOnFile(Integer FirstElem, Integer LastElem,
                             const std::string& FileName) const {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  if (FirstElem < 1) FirstElem = 1;
  if (LastElem > FNElem) LastElem = FNElem;
  TTextFileWriter writer;
  if (!writer.Create(FileName)) return false;
  bool ok = writer.WriteLine(IntToStr(FirstElem) + " " + IntToStr(LastElem));
  for (Integer i = FirstElem; ok && i <= LastElem; ++i) ok = writer.WriteLine(IntToStr(GetVal(i)));
  return writer.Close() && ok;
}

void TIntVector::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TIntVector*>(Source)) {
    CopyCore(*src);
    return;
  }
  TPersistent::Assign(Source);
}

void TIntVector::AssignTo(TPersistent* Dest) {
  if (auto* dst = dynamic_cast<TIntVector*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

}  // namespace nuv
