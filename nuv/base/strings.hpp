#pragma once
// String helpers of the base package.

#include <string>
#include <string_view>

#include "nuv/base/types.hpp"

namespace nuv {

/// Fixed text of X in at least Width characters with Decimals digits after the point
/// (Decimals < 0: exponent form); exact rounding, ties away from zero, '.' always.
std::string strff(double X, int Width, int Decimals);
/// Whether Text matches Pattern: "//dig" is true when Text holds a decimal digit;
/// any other pattern is a plain substring search.
bool StringContains(std::string_view Text, std::string_view Pattern);
/// Text without the control bytes 0-31 and 127 (UTF-8 bytes >= 0x80 are kept).
std::string RemoveControlChars(std::string_view Text);
/// Text with every OldChar replaced by NewChar.
std::string ReplaceCharInString(std::string_view Text, char OldChar, char NewChar);
/// Feeds one character of a possibly quoted name. Start with State = qsBeforeName and an
/// empty Name; returns true when the name is complete (closing quote, or the blank, TAB,
/// CR or LF that ends an unquoted name). Blanks before the name are skipped.
bool ParseQuotedName(char Ch, char Quote, std::string& Name, TQuotedStrState& State);

}  // namespace nuv
