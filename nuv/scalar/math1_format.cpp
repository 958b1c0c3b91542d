#include "nuv/scalar/math1_format.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "nuv/base/crc.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/strings.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/scalar/math1_functions.hpp"
#include "nuv/scalar/scalar_errors.hpp"

namespace nuv {
inline namespace NUV_math1 {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF01234567";
constexpr char kSIPrefix[] = "afpnum kMGT";  // group g = -6..4, blank for g = 0
constexpr char kDegreeSign[] = "\xC2\xB0";   // U+00B0 in UTF-8
constexpr double kLn10 = 2.302585092994046;
constexpr double kSnapTolerance = 3e-12;

struct TRomanEntry {
  Integer Value;
  const char* Text;
};
// Constant table in static storage, ascending as the greedy build reads it from the top.
constexpr std::array<TRomanEntry, 13> kRomanTable{{{1, "I"},
                                                   {4, "IV"},
                                                   {5, "V"},
                                                   {9, "IX"},
                                                   {10, "X"},
                                                   {40, "XL"},
                                                   {50, "L"},
                                                   {90, "XC"},
                                                   {100, "C"},
                                                   {400, "CD"},
                                                   {500, "D"},
                                                   {900, "CM"},
                                                   {1000, "M"}}};

// Digits of the unsigned pattern in base 2^bits, exactly `count` of them.
string PowerOfTwoDigits(Cardinal v, int bits, int count, const char* digits) {
  string s(static_cast<std::size_t>(count), '0');
  const Cardinal mask = (1u << bits) - 1u;
  for (int i = count - 1; i >= 0; --i) {
    s[static_cast<std::size_t>(i)] = digits[v & mask];
    v = bits < 32 ? v >> bits : 0u;
  }
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Bytes of s (2 digits each, most significant byte first) into out[n-1]..out[0].
bool ParseHexImage(const string& s, unsigned char* out, std::size_t n) {
  if (s.size() != 2 * n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const int hi = HexValue(s[2 * i]);
    const int lo = HexValue(s[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out[n - 1 - i] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return true;
}

string HexImage(const unsigned char* bytes, std::size_t n) {
  string s;
  s.reserve(2 * n);
  for (std::size_t i = n; i-- > 0;) {
    s += kDigits[bytes[i] >> 4];
    s += kDigits[bytes[i] & 0xFu];
  }
  return s;
}

[[noreturn]] void RaiseHex(const char* func, const string& s) {
  detail::RaiseFunction<ENUVError>(func, "invalid hex string \"" + s + "\"");
}

// Halves away from zero, in floating point.
double SimpleRound(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const double r = std::floor(std::fabs(v) * scale + 0.5) / scale;
  return v < 0.0 ? -r : r;
}

double SnapToInteger(double v) {
  const double r = std::round(v);
  return std::fabs(v - r) <= kSnapTolerance ? r : v;
}

// Whole degrees toward zero; "-0" keeps the sign of a negative angle below one degree.
string WholeDegrees(double angle) {
  const double whole = std::trunc(angle);
  if (whole == 0.0) return angle < 0.0 ? "-0" : "0";
  return strff(whole, 1, 0);
}

}  // namespace

string Decimal(Integer Value, Byte Digits) {
  const int count = Digits == 0 ? 1 : Digits;
  // The magnitude of the most negative value needs 64 bits.
  Int64 magnitude = Value < 0 ? -static_cast<Int64>(Value) : static_cast<Int64>(Value);
  string s(static_cast<std::size_t>(count), '0');
  for (int i = count - 1; i >= 0 && magnitude > 0; --i) {
    s[static_cast<std::size_t>(i)] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  return Value < 0 ? "-" + s : s;
}

string Hex(Integer Value, Byte Digits) {
  const int count = Digits < 1 ? 1 : (Digits > 8 ? 8 : Digits);
  return detail::Hex8(static_cast<Cardinal>(Value)).substr(static_cast<std::size_t>(8 - count));
}

string Octal(Integer Value, Byte Digits) {
  const int count = Digits < 1 ? 1 : (Digits > 11 ? 11 : Digits);
  return PowerOfTwoDigits(static_cast<Cardinal>(Value), 3, count, kDigits + 16);
}

string Bin(Integer Value, Byte Digits) {
  const int count = Digits < 1 ? 1 : (Digits > 32 ? 32 : Digits);
  return PowerOfTwoDigits(static_cast<Cardinal>(Value), 1, count, kDigits);
}

string FPNumToHex(double x) {
  unsigned char b[sizeof(double)];
  std::memcpy(b, &x, sizeof b);
  return HexImage(b, sizeof b);
}

string FPNumToHex(Single x) {
  unsigned char b[sizeof(Single)];
  std::memcpy(b, &x, sizeof b);
  return HexImage(b, sizeof b);
}

double HexToDouble(const string& s) {
  unsigned char b[sizeof(double)];
  if (!ParseHexImage(s, b, sizeof b)) RaiseHex("HexToDouble", s);
  double x = 0.0;
  std::memcpy(&x, b, sizeof b);
  return x;
}

Single HexToSingle(const string& s) {
  unsigned char b[sizeof(Single)];
  if (!ParseHexImage(s, b, sizeof b)) RaiseHex("HexToSingle", s);
  Single x = 0.0f;
  std::memcpy(&x, b, sizeof b);
  return x;
}

#if defined(NUV_EXTENDED_IS_LONG_DOUBLE)
// The x87 extended image is the first 10 bytes of a long double; the rest is padding.
constexpr std::size_t kExtendedBytes = 10;

string FPNumToHex(Extended x) {
  unsigned char b[sizeof(Extended)];
  std::memcpy(b, &x, sizeof b);
  return HexImage(b, kExtendedBytes);
}

Extended HexToExtended(const string& s) {
  unsigned char b[sizeof(Extended)] = {};
  if (!ParseHexImage(s, b, kExtendedBytes)) RaiseHex("HexToExtended", s);
  Extended x = 0;
  std::memcpy(&x, b, sizeof b);
  return x;
}
#endif

string EEngStr(double x, Integer Digits) {
  const Integer digits = Digits < -9 ? -9 : (Digits > 9 ? 9 : Digits);
  const Integer magnitude = digits < 0 ? -digits : digits;
  const Integer absC = magnitude >= 2 ? magnitude - 1 : 0;
  const bool letterAsPoint = digits < 0 && absC > 0;
  if (x == 0.0) return strff(0.0, 1, absC);
  // floor(log10) of NaN or infinity is no integer: give the plain text as for 0.
  if (!std::isfinite(x)) return strff(x, 1, absC);
  const double ax = std::fabs(x);
  const double l = lg(ax);
  const auto d = static_cast<Integer>(std::floor(l));
  double gd = std::floor(l / 3.0);
  gd = gd < -6.0 ? -6.0 : (gd > 4.0 ? 4.0 : gd);
  const auto g = static_cast<Integer>(gd);
  const double y = ax / std::exp(3.0 * gd * kLn10);
  Integer decimals = absC + 3 * g - d;
  if (decimals < 0) decimals = 0;
  string text = strff(y, 1, decimals);
  if (g != 0) {
    const char letter = kSIPrefix[g + 6];
    const auto dot = text.find('.');
    if (letterAsPoint && dot != string::npos) {
      text[dot] = letter;
    } else {
      text += letter;
    }
  }
  return x < 0.0 ? "-" + text : text;
}

string strf(double x, Integer Width, Integer Decimals) {
  if (Decimals != -2) return FormatFloat(x, Width, Decimals);
  // Two more places for the four-digit exponent (without overflowing a huge Width).
  const Integer wide = Width > std::numeric_limits<Integer>::max() - 2 ? Width : Width + 2;
  string s = FormatFloat(x, wide, -2);
  const std::size_t n = s.size();
  const bool hasExponent = n >= 6 && s[n - 6] == 'E' && (s[n - 5] == '+' || s[n - 5] == '-');
  if (hasExponent) {
    const bool shortExponent = s[n - 4] == '0' && s[n - 3] == '0';
    s.erase(n - 4, 2);
    if (!shortExponent) s.assign(s.size(), '*');
  }
  return s;
}

string MakeEFormat(double x, Integer Width, Integer Digits) {
  const Integer digits = Digits < 2 ? 2 : (Digits > 15 ? 15 : Digits);
  const Integer width = Width < 8 ? 8 : (Width > 40 ? 40 : Width);
  const string s = FormatFloat(x, digits + 8, -1);
  const auto ePos = s.find('E');
  if (!std::isfinite(x) || ePos == string::npos) return FormatFloat(x, width, 0);
  // s: sign position, digit, '.', digits - 1 digits, 'E', sign, exponent digits.
  string out;
  out += s[0];
  out += "0.";
  out += s[1];
  out += s.substr(3, ePos - 3);
  out += 'E';
  int e = std::atoi(s.c_str() + ePos + 1);
  if (x != 0.0) ++e;
  out += e < 0 ? '-' : '+';
  const string expDigits = std::to_string(e < 0 ? -e : e);
  if (expDigits.size() < 2) out += '0';
  out += expDigits;
  if (out.size() < static_cast<std::size_t>(width)) {
    out.insert(0, static_cast<std::size_t>(width) - out.size(), ' ');
  }
  return out;
}

string DegreeToStr(double x, TDegreeFormat Format, Integer Decimals) {
  const Integer dec = Decimals < 0 ? 0 : (Decimals > 8 ? 8 : Decimals);
  switch (static_cast<int>(Format)) {
    case dfDecDeg:
      return strff(x, 1, dec) + kDegreeSign;
    case dfDegMin: {
      const double angle = SnapToInteger(SimpleRound(x * 60.0, dec) / 60.0);
      const double minutes = (std::fabs(angle) - std::trunc(std::fabs(angle))) * 60.0;
      return WholeDegrees(angle) + kDegreeSign + " " + strff(minutes, dec + 3, dec) + "'";
    }
    case dfDegMinSec: {
      const double angle = SnapToInteger(SimpleRound(x * 3600.0, dec) / 3600.0);
      const double m = SnapToInteger((std::fabs(angle) - std::trunc(std::fabs(angle))) * 60.0);
      const double seconds = (m - std::trunc(m)) * 60.0;
      return WholeDegrees(angle) + kDegreeSign + " " + strff(std::trunc(m), 2, 0) + "' " +
             strff(seconds, dec + 3, dec) + "\"";
    }
    case dfNumber:
      return strff(x, 1, dec);
    default:
      return "";
  }
}

void ConvertDegrees(double& Deg, double& Min, double& Sec, TDegreeFormat InFormat,
                    TDegreeFormat OutFormat) {
  if (Min < 0.0 || Min > 60.0) {
    detail::RaiseFunction<ENUVMath1Error>("ConvertDegrees", "invalid range of minutes");
  }
  if (Sec < 0.0 || Sec > 60.0) {
    detail::RaiseFunction<ENUVMath1Error>("ConvertDegrees", "invalid range of seconds");
  }
  // Minutes and seconds are never negative: on a negative angle (sign bit of Deg, so -0 too)
  // they move the value further from zero.
  const double sign = std::signbit(Deg) ? -1.0 : 1.0;
  const int in = InFormat;
  switch (static_cast<int>(OutFormat)) {
    case dfDecDeg:
      if (in == dfDecDeg) {
      } else if (in == dfDegMin) {
        Deg = std::trunc(Deg) + sign * (Min / 60.0);
      } else if (in == dfDegMinSec) {
        // Added term by term, left to right: grouping the two parts first changes the last
        // bit of positive angles.
        Deg = std::trunc(Deg) + sign * (std::trunc(Min) / 60.0) + sign * (Sec / 3600.0);
      } else {
        return;
      }
      Min = 0.0;
      Sec = 0.0;
      return;
    case dfDegMin:
      if (in == dfDecDeg) {
        Min = (std::fabs(Deg) - std::trunc(std::fabs(Deg))) * 60.0;
        Deg = std::trunc(Deg);
        Sec = 0.0;
      } else if (in == dfDegMin) {
        Sec = 0.0;
      } else if (in == dfDegMinSec) {
        Min = Min + Sec / 60.0;
        Sec = 0.0;
      }
      return;
    case dfDegMinSec:
      if (in == dfDecDeg) {
        const double d = Deg;
        Deg = std::trunc(d);
        const double m = (std::fabs(d) - std::trunc(std::fabs(d))) * 60.0;
        Min = std::trunc(m);
        Sec = (m - std::trunc(m)) * 60.0;
      } else if (in == dfDegMin) {
        Sec = (Min - std::trunc(Min)) * 60.0;
        Min = std::trunc(Min);
      }
      return;
    default:
      return;
  }
}

string Roman(Integer Value) {
  if (Value < 1 || Value > 29999) return "";
  string s;
  for (auto it = kRomanTable.rbegin(); it != kRomanTable.rend(); ++it) {
    while (Value >= it->Value) {
      s += it->Text;
      Value -= it->Value;
    }
  }
  return s;
}

Integer StrToIntDefault(const string& s, Integer Default) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == s.size()) return Default;
  Int64 v = 0;
  for (; i < s.size(); ++i) {
    const int digit = HexValue(s[i]);
    if (digit < 0 || digit >= base) return Default;
    v = v * base + digit;
    if (v > 2147483648LL) return Default;  // past every 32-bit magnitude: stop before overflow
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return Default;
  return static_cast<Integer>(v);
}

}  // namespace NUV_math1
}  // namespace nuv
