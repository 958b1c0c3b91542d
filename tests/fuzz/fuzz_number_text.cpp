// Number texts: the string conversions, the hexadecimal images and the text file reader's
// number tokens, each against its documented grammar, with write-then-read round trips.

#include <cctype>
#include <cstdlib>
#include <optional>

#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/platform/textfile.hpp"
#include "nuv/scalar/math1_format.hpp"
#include "nuv/scalar/scalar_errors.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

using namespace nuv;
using namespace nuv::fuzz;

std::string_view TrimBlanks(std::string_view S) {
  const char* ws = " \t\r\n";
  const auto b = S.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  return S.substr(b, S.find_last_not_of(ws) - b + 1);
}

// what() is a C string: a message holding a NUL byte ends there.
bool SameMessage(const char* What, const std::string& Expected) {
  return std::string(What) == Expected.substr(0, Expected.find('\0'));
}

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

bool NoCase(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(A[i])) != B[i]) return false;
  }
  return true;
}

// The documented floating text: optional sign, then digits with an optional '.' and
// exponent, or NaN / Inf in any letter case. Returns the body after the sign when it fits.
std::optional<std::string> FloatBody(std::string_view S, bool& Negative) {
  std::string_view t = TrimBlanks(S);
  Negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    Negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (NoCase(t, "nan") || NoCase(t, "inf")) return std::string(t);
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exp = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return std::string(t);
}

// The documented integer text: optional sign, decimal digits or hexadecimal after '$' or
// "0x", inside 32 bits. LeadingOnly: only blanks before it (StrToIntDefault), else the
// surrounding blanks, TAB, CR and LF of TryStrToInt.
std::optional<std::int32_t> DocumentedInt(std::string_view S, bool LeadingOnly) {
  std::string_view t = S;
  if (LeadingOnly) {
    while (!t.empty() && t[0] == ' ') t.remove_prefix(1);
  } else {
    t = TrimBlanks(S);
  }
  bool negative = false;
  if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (!t.empty() && t[0] == '$') {
    base = 16;
    t.remove_prefix(1);
  } else if (t.size() > 1 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  if (t.empty()) return std::nullopt;
  std::int64_t v = 0;
  for (char c : t) {
    int d = -1;
    if (IsDigit(c)) d = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return std::nullopt;
    v = v * base + d;
    if (v > 2147483648LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

bool AllHex(std::string_view S, std::size_t N) {
  if (S.size() != N) return false;
  for (char c : S) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Upper(std::string_view S) {
  std::string out(S);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

void CheckFloat(std::string_view S) {
  double v = 12345.0;
  const bool ok = TryStrToFloat(S, v);
  bool negative = false;
  const auto body = FloatBody(S, negative);
  NUV_FUZZ_CHECK(ok == body.has_value());
  if (!ok) {
    NUV_FUZZ_CHECK(v == 12345.0);
    bool thrown = false;
    try {
      StrToFloat(S);
    } catch (const EConvertError& e) {
      thrown =
          SameMessage(e.what(), "'" + std::string(S) + "' is not a valid floating point value");
    }
    NUV_FUZZ_CHECK(thrown);
    return;
  }
  // Correct rounding, as the C library's reader gives it.
  const double ref = std::strtod(body->c_str(), nullptr);
  NUV_FUZZ_CHECK(SameValue(v, negative ? -ref : ref));
  NUV_FUZZ_CHECK(SameValue(StrToFloat(S), v));
  // Shortest text and the exponent form with 17 digits read back to the same value.
  double back = 0.0;
  NUV_FUZZ_CHECK(TryStrToFloat(FloatToStr(v), back) && SameValue(back, v));
  back = 0.0;
  NUV_FUZZ_CHECK(TryStrToFloat(FormatFloat(v, 26, -1), back) && SameValue(back, v));
}

void CheckInt(std::string_view S) {
  Integer v = 777;
  const bool ok = TryStrToInt(S, v);
  const auto want = DocumentedInt(S, false);
  NUV_FUZZ_CHECK(ok == want.has_value());
  if (ok) {
    NUV_FUZZ_CHECK(v == *want);
    NUV_FUZZ_CHECK(StrToInt(S) == v);
    Integer back = 0;
    NUV_FUZZ_CHECK(TryStrToInt(IntToStr(v), back) && back == v);
  } else {
    bool thrown = false;
    try {
      StrToInt(S);
    } catch (const EConvertError& e) {
      thrown = SameMessage(e.what(), "'" + std::string(S) + "' is not a valid integer value");
    }
    NUV_FUZZ_CHECK(thrown);
  }
  const std::string s(S);
  const auto tolerant = DocumentedInt(S, true);
  NUV_FUZZ_CHECK(StrToIntDefault(s, 11) == (tolerant ? *tolerant : 11));
  NUV_FUZZ_CHECK(StrToIntDefault(s, -3) == (tolerant ? *tolerant : -3));
}

void CheckHex(std::string_view S) {
  const std::string s(S);
  try {
    const double d = HexToDouble(s);
    NUV_FUZZ_CHECK(AllHex(S, 16));
    NUV_FUZZ_CHECK(FPNumToHex(d) == Upper(S));
  } catch (const ENUVError& e) {
    NUV_FUZZ_CHECK(!AllHex(S, 16));
    NUV_FUZZ_CHECK(SameMessage(e.what(), "HexToDouble: invalid hex string \"" + s + "\""));
  }
  try {
    const Single f = HexToSingle(s);
    NUV_FUZZ_CHECK(AllHex(S, 8));
    NUV_FUZZ_CHECK(FPNumToHex(f) == Upper(S));
  } catch (const ENUVError& e) {
    NUV_FUZZ_CHECK(!AllHex(S, 8));
    NUV_FUZZ_CHECK(SameMessage(e.what(), "HexToSingle: invalid hex string \"" + s + "\""));
  }
}

// The text reader's tokens, numbers and integers in step: each call takes one token.
void CheckReader(const std::uint8_t* Data, std::size_t Size) {
  TScratchFile file("numbers.txt", Data, Size);
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  const auto tokens = Tokens(text);
  TTextFileReader tok, num, whole;
  NUV_FUZZ_CHECK(tok.Open(file.Path()) && num.Open(file.Path()) && whole.Open(file.Path()));
  for (const TToken& t : tokens) {
    std::string got;
    bool truncated = false;
    NUV_FUZZ_CHECK(tok.ReadToken(got, truncated) == trOk);
    NUV_FUZZ_CHECK(truncated == (t.Text.size() > TTextFileReader::kMaxToken));
    NUV_FUZZ_CHECK(got == t.Text.substr(0, TTextFileReader::kMaxToken));
    NUV_FUZZ_CHECK(tok.BytesLeft() == static_cast<Int64>(Size - t.End));
    double v = 0.0;
    double ref = 0.0;
    const bool parses = !truncated && TryStrToFloat(t.Text, ref);
    const TTextReadStatus ns = num.ReadNumber(v);
    NUV_FUZZ_CHECK(ns == (parses ? trOk : trNotNumber));
    if (parses) NUV_FUZZ_CHECK(SameValue(v, ref));
    Integer i = 0;
    std::int32_t want = 0;
    const bool isInt = !truncated && StrictInt(t.Text, want);
    NUV_FUZZ_CHECK(whole.ReadInteger(i) == (isInt ? trOk : trNotNumber));
    if (isInt) NUV_FUZZ_CHECK(i == want);
  }
  std::string rest;
  bool truncated = false;
  double v = 0.0;
  Integer i = 0;
  NUV_FUZZ_CHECK(tok.ReadToken(rest, truncated) == trEndOfFile);
  NUV_FUZZ_CHECK(num.ReadNumber(v) == trEndOfFile);
  NUV_FUZZ_CHECK(whole.ReadInteger(i) == trEndOfFile);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view s(reinterpret_cast<const char*>(Data), Size);
  CheckFloat(s);
  CheckInt(s);
  CheckHex(s);
  CheckReader(Data, Size);
  return 0;
}
