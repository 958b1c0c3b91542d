// Vector text files: LoadFromFile of TVector (with and without auto-detection) and of
// TIntVector, each against the documented steps replayed on the same bytes, then a
// write-then-read round trip of what was loaded.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "nuv/platform/format.hpp"
#include "nuv/platform/textfile.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/fuzz/fuzz_support.hpp"
#include "tests/fuzz/fuzz_vector_support.hpp"

namespace {

using namespace nuv;
using namespace nuv::fuzz;

template <class T>
bool ValueOf(std::string_view Token, T& Value) {
  if (Token.size() > TTextFileReader::kMaxToken) return false;
  double x = 0.0;
  if (!TryStrToFloat(Token, x)) return false;
  if constexpr (std::is_same_v<T, Integer>) {
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return false;
    Value = static_cast<Integer>(r);
  } else {
    Value = x;
  }
  return true;
}

template <class T>
TExpected<T> Replay(std::string_view Text, const std::vector<T>& Before, bool Adjust) {
  TExpected<T> e;
  e.Count = static_cast<std::int64_t>(Before.size());
  const auto tokens = Tokens(Text);
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  // Tokens beyond the reader's longest never read as numbers.
  auto integer = [](std::string_view Tok, std::int32_t& V) {
    return Tok.size() <= TTextFileReader::kMaxToken && StrictInt(Tok, V);
  };
  if (tokens.size() < 2 || !integer(tokens[0].Text, lo) || !integer(tokens[1].Text, hi)) {
    return e;
  }
  const auto n = static_cast<std::int64_t>(Before.size());
  const auto bytesLeft = static_cast<std::int64_t>(Text.size() - tokens[1].End);
  if (Adjust && hi > n && hi - n > bytesLeft / 2 + kGrowthSlack) return e;
  if (Adjust && hi >= 1 && hi != n) {
    e.Count = hi;
    ++e.Events;
  }
  const std::int64_t count = e.Count;
  if (count >= hi) {
    e.Result = true;
    std::size_t next = 2;
    for (std::int64_t i = lo; i <= hi && next < tokens.size(); ++i, ++next) {
      T v{};
      if (!ValueOf(tokens[next].Text, v)) continue;
      if (i >= 1 && i <= count) {
        e.Writes[i] = v;
        ++e.Events;
      }
    }
  }
  ++e.Events;
  return e;
}

TExpected<double> ReplayAuto(std::string_view Text, const std::vector<double>& Before,
                             bool Adjust) {
  TExpected<double> e;
  e.Count = static_cast<std::int64_t>(Before.size());
  e.Result = true;
  std::int64_t lines = 0;
  std::size_t start = 0;
  while (start < Text.size()) {
    std::size_t end = Text.find('\n', start);
    if (end == std::string_view::npos) end = Text.size();
    const std::string_view line = Text.substr(start, end - start);
    if (line.find_first_of("0123456789") != std::string_view::npos) ++lines;
    start = end + 1;
  }
  if (Adjust && lines >= 1 && lines != static_cast<std::int64_t>(Before.size())) {
    e.Count = lines;
    ++e.Events;
  }
  const auto tokens = Tokens(Text);
  for (std::size_t i = 0; static_cast<std::int64_t>(i) < e.Count && i < tokens.size(); ++i) {
    double v = 0.0;
    if (ValueOf(tokens[i].Text, v)) {
      e.Writes[static_cast<std::int64_t>(i) + 1] = v;
      ++e.Events;
    }
  }
  ++e.Events;
  return e;
}

template <class V>
void Fill(V& Vec, const std::vector<typename TValueOf<V>::T>& Values) {
  Vec.Resize(static_cast<Integer>(Values.size()));
  for (std::size_t i = 0; i < Values.size(); ++i)
    Vec.SetVal(static_cast<Integer>(i + 1), Values[i]);
}

// What a store writes, read back into a fresh vector, is what was stored.
template <class V>
void RoundTrip(const V& Loaded) {
  TScratchFile out("vector_back.txt");
  if constexpr (std::is_same_v<V, TVector>) {
    NUV_FUZZ_CHECK(Loaded.StoreOnFile(1, Loaded.NrOfElem(), -2, out.Path()));
  } else {
    NUV_FUZZ_CHECK(Loaded.StoreOnFile(1, Loaded.NrOfElem(), out.Path()));
  }
  V back(nullptr);
  NUV_FUZZ_CHECK(back.LoadFromFile(out.Path(), true));
  NUV_FUZZ_CHECK(SameValues(Values(back), Values(Loaded)));
}

template <class V>
void Check(const std::string& Path, std::string_view Text, bool Adjust, bool Auto) {
  using T = typename TValueOf<V>::T;
  const std::vector<T> before = {T(1.5), T(-2), T(7)};
  V v(nullptr);
  Fill(v, before);
  int events = 0;
  v.SetOnChange([&](TObject*) { ++events; });
  bool result = false;
  TExpected<T> want;
  if constexpr (std::is_same_v<V, TVector>) {
    result = Auto ? v.LoadFromFile(Path, Adjust, true) : v.LoadFromFile(Path, Adjust);
    want = Auto ? ReplayAuto(Text, before, Adjust) : Replay(Text, before, Adjust);
  } else {
    result = v.LoadFromFile(Path, Adjust);
    want = Replay(Text, before, Adjust);
  }
  NUV_FUZZ_CHECK(result == want.Result);
  NUV_FUZZ_CHECK(Matches(v, before, want));
  NUV_FUZZ_CHECK(events == want.Events);
  // Growth stays within what the file can back.
  NUV_FUZZ_CHECK(v.NrOfElem() <= 3 + static_cast<std::int64_t>(Text.size()) / 2 + kGrowthSlack);
  if (!Adjust) NUV_FUZZ_CHECK(v.NrOfElem() == 3);
  if (result && v.NrOfElem() <= 4096) RoundTrip(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TScratchFile file("vector.txt", Data, Size);
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  for (bool adjust : {false, true}) {
    Check<TVector>(file.Path(), text, adjust, false);
    Check<TVector>(file.Path(), text, adjust, true);
    Check<TIntVector>(file.Path(), text, adjust, false);
  }
  return 0;
}
