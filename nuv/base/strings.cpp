#include "nuv/base/strings.hpp"

#include "nuv/platform/format.hpp"

namespace nuv {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string strff(double X, int Width, int Decimals) {
  return FormatFloat(X, Width, Decimals);
}

bool StringContains(std::string_view Text, std::string_view Pattern) {
  if (Pattern == "//dig") return Text.find_first_of("0123456789") != std::string_view::npos;
  return Text.find(Pattern) != std::string_view::npos;
}

std::string RemoveControlChars(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32 && u != 127) out += c;
  }
  return out;
}

std::string ReplaceCharInString(std::string_view Text, char OldChar, char NewChar) {
  std::string out(Text);
  for (char& c : out) {
    if (c == OldChar) c = NewChar;
  }
  return out;
}

bool ParseQuotedName(char Ch, char Quote, std::string& Name, TQuotedStrState& State) {
  switch (State) {
    case qsBeforeName:
      if (IsBlank(Ch)) return false;
      if (Ch == Quote) {
        State = qsQuoted;
      } else {
        State = qsUnquoted;
        Name += Ch;
      }
      return false;
    case qsQuoted:
      if (Ch == Quote) return true;
      Name += Ch;
      return false;
    case qsUnquoted:
      if (IsBlank(Ch)) return true;
      Name += Ch;
      return false;
  }
  return false;
}

}  // namespace nuv
