// Vector binary streams: LoadFromStream of TVector and TIntVector from a memory stream and
// from a file stream, each against the documented steps replayed on the same bytes, then a
// write-then-read round trip of what was loaded.

#include <cmath>
#include <map>
#include <memory>

#include "nuv/base/streams.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/fuzz/fuzz_support.hpp"
#include "tests/fuzz/fuzz_vector_support.hpp"

namespace {

using namespace nuv;
using namespace nuv::fuzz;

// Item k of the bytes as the stream layout has it.
template <class T>
bool Item(const std::uint8_t* Data, std::size_t Size, std::int64_t K, T& Value) {
  constexpr std::size_t width = std::is_same_v<T, double> ? 8 : 4;
  const auto at = static_cast<std::size_t>(K) * width;
  if (K < 0 || at + width > Size) return false;
  if constexpr (std::is_same_v<T, double>) {
    std::memcpy(&Value, Data + at, 8);
  } else {
    std::uint32_t u = 0;
    for (std::size_t b = 0; b < 4; ++b) u |= std::uint32_t{Data[at + b]} << (8 * b);
    Value = static_cast<Integer>(u);
  }
  return true;
}

template <class T>
bool Index(const std::uint8_t* Data, std::size_t Size, std::int64_t K, std::int32_t& Value) {
  T raw{};
  if (!Item(Data, Size, K, raw)) return false;
  if constexpr (std::is_same_v<T, double>) {
    const double r = std::nearbyint(raw);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
    Value = static_cast<std::int32_t>(r);
  } else {
    Value = raw;
  }
  return true;
}

template <class T>
TExpected<T> Replay(const std::uint8_t* Data, std::size_t Size, const std::vector<T>& Before,
                    bool Adjust) {
  constexpr std::int64_t width = std::is_same_v<T, double> ? 8 : 4;
  TExpected<T> e;
  e.Count = static_cast<std::int64_t>(Before.size());
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  if (!Index<T>(Data, Size, 0, lo) || !Index<T>(Data, Size, 1, hi)) return e;
  const auto n = static_cast<std::int64_t>(Before.size());
  const std::int64_t itemsLeft = (static_cast<std::int64_t>(Size) - 2 * width) / width;
  if (Adjust && hi > n && hi - n > itemsLeft + kGrowthSlack) return e;
  if (Adjust && hi >= 1 && hi != n) {
    e.Count = hi;
    ++e.Events;
  }
  const std::int64_t count = e.Count;
  ++e.Events;  // the final one
  if (count < hi) return e;
  e.Result = true;
  std::int64_t k = 2;
  for (std::int64_t i = lo; i <= hi; ++i, ++k) {
    T v{};
    if (!Item(Data, Size, k, v)) {
      e.Result = false;
      return e;
    }
    if (i >= 1 && i <= count) {
      e.Writes[i] = v;
      ++e.Events;
    }
  }
  e.Position = k * width;
  return e;
}

// Saving the whole vector and loading that into a fresh one gives the same elements, and
// the saved bytes are the layout: indices 1 and n, then the elements.
template <class V>
void RoundTrip(const V& Loaded) {
  using T = std::decay_t<decltype(Loaded.GetVal(1))>;
  TMemoryStream* out = nullptr;
  Loaded.SaveToStream(out, 0, 0);
  std::unique_ptr<TMemoryStream> owned(out);
  NUV_FUZZ_CHECK(out != nullptr);
  const std::int64_t width = std::is_same_v<T, double> ? 8 : 4;
  NUV_FUZZ_CHECK(out->Size() == (2 + Loaded.NrOfElem()) * width);
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  const auto size = static_cast<std::size_t>(out->Size());
  NUV_FUZZ_CHECK(Index<T>(out->Memory(), size, 0, lo) && lo == 1);
  NUV_FUZZ_CHECK(Index<T>(out->Memory(), size, 1, hi) && hi == Loaded.NrOfElem());
  out->SetPosition(0);
  V back(nullptr);
  NUV_FUZZ_CHECK(back.LoadFromStream(out, true));
  NUV_FUZZ_CHECK(out->Position() == out->Size());
  NUV_FUZZ_CHECK(SameValues(Values(back), Values(Loaded)));
}

template <class V>
void Check(const std::uint8_t* Data, std::size_t Size, const std::string& Path, bool Adjust,
           bool FromFile) {
  using T = std::decay_t<decltype(std::declval<V>().GetVal(1))>;
  const std::vector<T> before = {T(2.5), T(-1), T(9), T(4)};
  V v(nullptr);
  v.Resize(4);
  for (Integer i = 1; i <= 4; ++i) v.SetVal(i, before[static_cast<std::size_t>(i - 1)]);
  int events = 0;
  v.SetOnChange([&](TObject*) { ++events; });
  bool result = false;
  std::int64_t position = 0;
  if (FromFile) {
    TFileStream s(Path, fmOpenRead);
    result = v.LoadFromStream(&s, Adjust);
    position = s.Position();
  } else {
    TMemoryStream s;
    if (Size > 0) s.Write(Data, static_cast<Int64>(Size));
    s.SetPosition(0);
    result = v.LoadFromStream(&s, Adjust);
    position = s.Position();
  }
  const TExpected<T> want = Replay<T>(Data, Size, before, Adjust);
  NUV_FUZZ_CHECK(result == want.Result);
  NUV_FUZZ_CHECK(Matches(v, before, want));
  NUV_FUZZ_CHECK(events == want.Events);
  if (want.Position >= 0) NUV_FUZZ_CHECK(position == want.Position);
  NUV_FUZZ_CHECK(position <= static_cast<std::int64_t>(Size));
  NUV_FUZZ_CHECK(v.NrOfElem() <= 4 + static_cast<std::int64_t>(Size) / 4 + kGrowthSlack);
  if (!Adjust) NUV_FUZZ_CHECK(v.NrOfElem() == 4);
  if (result && v.NrOfElem() <= 4096) RoundTrip(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TScratchFile file("vector.bin", Data, Size);
  for (bool adjust : {false, true}) {
    for (bool fromFile : {false, true}) {
      Check<TVector>(Data, Size, file.Path(), adjust, fromFile);
      Check<TIntVector>(Data, Size, file.Path(), adjust, fromFile);
    }
  }
  // A nil stream reads nothing.
  TVector v(nullptr);
  TIntVector iv(nullptr);
  NUV_FUZZ_CHECK(!v.LoadFromStream(static_cast<TMemoryStream*>(nullptr), true));
  NUV_FUZZ_CHECK(!iv.LoadFromStream(static_cast<TFileStream*>(nullptr), true));
  return 0;
}
