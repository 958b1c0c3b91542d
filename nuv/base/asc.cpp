#include "nuv/base/asc.hpp"

#include <fstream>
#include <sstream>
#include <vector>

#include "nuv/platform/format.hpp"

namespace nuv {
namespace {

void StripCR(std::string& s) {
  if (!s.empty() && s.back() == '\r') s.pop_back();
}

// Reads one line, keeping at most kMaxLine characters: a hostile header cannot make the
// reader hold a whole file in memory.
constexpr std::size_t kMaxLine = 65536;

bool ReadLine(std::istream& in, std::string& line) {
  line.clear();
  int c = 0;
  bool any = false;
  while ((c = in.get()) != std::char_traits<char>::eof()) {
    any = true;
    if (c == '\n') return true;
    if (line.size() < kMaxLine) line += static_cast<char>(c);
  }
  return any;
}

bool LeadingCount(const std::string& line, Integer& value) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  std::size_t j = i;
  while (j < line.size() && line[j] >= '0' && line[j] <= '9') ++j;
  if (j == i) return false;
  Integer v = 0;
  if (!TryStrToInt(std::string_view(line).substr(i, j - i), v) || v < 0) return false;
  value = v;
  return true;
}

}  // namespace

Integer ReadHeaderOfASC(const std::string& FileName, std::string& Comment, Integer& NCols,
                        Integer& NRows, bool& RowAttr, bool& ColNames, bool& RowNames,
                        bool& Fourth) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return -1;
  std::string lines[4];
  for (std::string& line : lines) {
    if (!ReadLine(in, line)) return -2;
    StripCR(line);
  }
  Integer cols = 0;
  Integer rows = 0;
  if (!LeadingCount(lines[1], cols) || !LeadingCount(lines[2], rows)) return -3;
  std::string flagPart = lines[3].substr(0, lines[3].find_first_of("\t;"));
  std::istringstream words(flagPart);
  bool flags[4] = {false, false, false, false};
  std::string word;
  int k = 0;
  while (words >> word) {
    for (char& c : word) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (k >= 4 || (word != "TRUE" && word != "FALSE")) return -4;
    flags[k++] = word == "TRUE";
  }
  Comment = lines[0];
  NCols = cols;
  NRows = rows;
  RowAttr = flags[0];
  ColNames = flags[1];
  RowNames = flags[2];
  Fourth = flags[3];
  return 0;
}

}  // namespace nuv
