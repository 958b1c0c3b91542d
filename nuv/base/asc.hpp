#pragma once
// Header of ASC text files: comment, column count, row count and four flags.

#include <string>

#include "nuv/platform/types.hpp"

namespace nuv {

/// Reads lines 1-4 of an ASC file: line 1 the comment; lines 2 and 3 begin with the column and
/// row counts (non-negative 32-bit integers, anything may follow); line 4 holds up to four words
/// TRUE/FALSE (any letter case) before a TAB or ';' (missing words count as false): row
/// attributes, column names, row names, and a fourth flag.
/// Result 0 on success; -1 cannot open, -2 fewer than 4 lines, -3 bad count, -4 bad flag word.
Integer ReadHeaderOfASC(const std::string& FileName, std::string& Comment, Integer& NCols,
                        Integer& NRows, bool& RowAttr, bool& ColNames, bool& RowNames,
                        bool& Fourth);

}  // namespace nuv
