#include "nuv/platform/format.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "nuv/platform/exceptions.hpp"

namespace nuv {
namespace {

std::string PadLeft(std::string s, int width) {
  if (width > 0 && static_cast<int>(s.size()) < width) {
    s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  }
  return s;
}

std::string NonFinite(double x) {
  if (std::isnan(x)) return "NaN";
  return x < 0 ? "-Inf" : "Inf";
}

std::string ToChars(double x, std::chars_format fmt, int precision) {
  // Fixed form needs up to 309 integer digits plus the decimals.
  std::string buf(static_cast<std::size_t>(precision) + 340, '\0');
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, fmt, precision);
  buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
  return buf;
}

// Adds one unit in the last digit of a decimal text (digits and at most one '.'),
// carrying to the left; a leading carry inserts a '1' after any sign.
void IncrementLastDigit(std::string& s) {
  for (std::size_t i = s.size(); i-- > 0;) {
    char& c = s[i];
    if (c == '.' || c == '-') continue;
    if (c < '9') {
      ++c;
      return;
    }
    c = '0';
  }
  const std::size_t at = (!s.empty() && s[0] == '-') ? 1 : 0;
  s.insert(at, 1, '1');
}

// Number of decimal digits after the point in the exact expansion of finite x.
int ExactFractionDigits(double x) {
  if (x == 0.0) return 0;
  int exp2 = 0;
  const double f = std::frexp(std::fabs(x), &exp2);
  auto mant = static_cast<std::uint64_t>(std::ldexp(f, 53));
  int e = exp2 - 53;
  while ((mant & 1u) == 0) {
    mant >>= 1;
    ++e;
  }
  return e >= 0 ? 0 : -e;
}

std::string FixedForm(double x, int decimals) {
  // A tie at `decimals` places exists only when the exact expansion has one digit more
  // (always a final 5); otherwise round-to-nearest of to_chars is already correct.
  if (ExactFractionDigits(x) == decimals + 1) {
    std::string s = ToChars(x, std::chars_format::fixed, decimals + 1);
    s.pop_back();
    if (decimals == 0) s.pop_back();  // drop the '.'
    IncrementLastDigit(s);
    return s;
  }
  return ToChars(x, std::chars_format::fixed, decimals);
}

std::string ExponentForm(double x, int width) {
  const int digits = std::max(1, width - 9);
  std::string s = ToChars(x, std::chars_format::scientific, digits);
  // Possible exact tie: the next digit is 5 and nothing follows in the exact expansion.
  const std::string finer = ToChars(x, std::chars_format::scientific, digits + 1);
  const auto ePos = finer.find('e');
  if (finer[ePos - 1] == '5') {
    const std::string exact = ToChars(x, std::chars_format::scientific, 780);
    const auto eExact = exact.find('e');
    const auto firstDigit = exact.find_first_of("0123456789");
    const std::size_t tiePos = firstDigit + 2 + static_cast<std::size_t>(digits);  // d.ddd|5
    bool tie = exact[tiePos] == '5';
    for (std::size_t i = tiePos + 1; tie && i < eExact; ++i) tie = exact[i] == '0';
    if (tie) {
      std::string mant = exact.substr(0, tiePos);
      int exp10 = std::atoi(exact.c_str() + eExact + 1);
      IncrementLastDigit(mant);
      // A carry out of the leading digit (9.99 -> 10.00) renormalises the mantissa.
      const auto dot = mant.find('.');
      if (dot != std::string::npos && dot - (mant[0] == '-' ? 1 : 0) == 2) {
        mant.erase(dot, 1);
        mant.insert(dot - 1, 1, '.');
        mant.pop_back();
        ++exp10;
      }
      s = mant + (exp10 < 0 ? "e-" : "e+") + std::to_string(std::abs(exp10));
    }
  }
  const auto e = s.find('e');
  std::string mant = s.substr(0, e);
  const int exp10 = std::atoi(s.c_str() + e + 1);
  std::string expDigits = std::to_string(std::abs(exp10));
  expDigits.insert(0, 4 - std::min<std::size_t>(4, expDigits.size()), '0');
  if (mant[0] != '-') mant.insert(0, 1, ' ');
  return mant + "E" + (exp10 < 0 ? "-" : "+") + expDigits;
}

std::string_view Trim(std::string_view s) {
  const char* ws = " \t\r\n";
  const auto b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// For a number text that from_chars found beyond the double range: true when it lies above
// the range (overflow), false when below (underflow). Decided from the decimal exponent of the
// leading non-zero digit, so the C locale plays no part.
bool BeyondRangeIsOverflow(std::string_view body) {
  Int64 intDigits = 0;      // digits before '.' from the first non-zero one
  Int64 zerosAfterDot = 0;  // zeros after '.' before the first non-zero digit
  bool seenNonZero = false;
  bool afterDot = false;
  std::size_t i = 0;
  for (; i < body.size() && body[i] != 'e' && body[i] != 'E'; ++i) {
    const char c = body[i];
    if (c == '.') {
      afterDot = true;
    } else if (!afterDot) {
      if (seenNonZero || c != '0') {
        seenNonZero = true;
        ++intDigits;
      }
    } else if (!seenNonZero) {
      if (c == '0') {
        ++zerosAfterDot;
      } else {
        seenNonZero = true;
      }
    }
  }
  Int64 exponent = 0;
  if (i < body.size()) {
    ++i;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
    // Saturate: any exponent this large is decisive on its own.
    for (; i < body.size() && exponent < 1000000000; ++i)
      exponent = exponent * 10 + (body[i] - '0');
    if (negative) exponent = -exponent;
  }
  const Int64 lead = intDigits > 0 ? intDigits - 1 : -(zerosAfterDot + 1);
  return lead + exponent > 0;
}

}  // namespace

std::string FormatFloat(double X, int Width, int Decimals) {
  if (!std::isfinite(X)) return PadLeft(NonFinite(X), Width);
  if (Decimals >= 0) return PadLeft(FixedForm(X, Decimals), Width);
  return PadLeft(ExponentForm(X, Width), Width);
}

std::string FloatToStr(double X) {
  if (!std::isfinite(X)) return NonFinite(X);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, X);
  return std::string(buf, res.ptr);
}

std::string IntToStr(Int64 Value) {
  return std::to_string(Value);
}

bool TryStrToFloat(std::string_view S, double& Value) {
  std::string_view t = Trim(S);
  if (t.empty()) return false;
  bool negative = false;
  std::string_view body = t;
  if (body[0] == '+' || body[0] == '-') {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  if (body.empty() || body[0] == '+' || body[0] == '-') return false;
  if (EqualsNoCase(body, "nan")) {
    Value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (EqualsNoCase(body, "inf")) {
    Value = negative ? -std::numeric_limits<double>::infinity()
                     : std::numeric_limits<double>::infinity();
    return true;
  }
  // from_chars also takes "infinity" and "nan(...)"; only digits or '.' may start a number.
  if (body[0] != '.' && (body[0] < '0' || body[0] > '9')) return false;
  double v = 0.0;
  auto res = std::from_chars(body.data(), body.data() + body.size(), v, std::chars_format::general);
  // from_chars reports a value beyond the range without storing it; take the IEEE result
  // (strtod would read the text under the C locale).
  if (res.ec == std::errc::result_out_of_range && res.ptr == body.data() + body.size()) {
    v = BeyondRangeIsOverflow(body) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (res.ec != std::errc() || res.ptr != body.data() + body.size()) {
    return false;
  }
  Value = negative ? -v : v;
  return true;
}

bool TryStrToInt(std::string_view S, Integer& Value) {
  std::string_view t = Trim(S);
  if (t.empty()) return false;
  bool negative = false;
  if (t[0] == '+' || t[0] == '-') {
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
  if (t.empty() || t[0] == '+' || t[0] == '-') return false;
  Int64 v = 0;
  auto res = std::from_chars(t.data(), t.data() + t.size(), v, base);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size()) return false;
  if (negative) v = -v;
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) {
    return false;
  }
  Value = static_cast<Integer>(v);
  return true;
}

double StrToFloat(std::string_view S) {
  double v = 0.0;
  if (!TryStrToFloat(S, v)) {
    throw EConvertError("'" + std::string(S) + "' is not a valid floating point value");
  }
  return v;
}

Integer StrToInt(std::string_view S) {
  Integer v = 0;
  if (!TryStrToInt(S, v)) {
    throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
  }
  return v;
}

}  // namespace nuv
