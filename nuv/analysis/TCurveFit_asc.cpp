// TCurveFit: the pairs as an ASC text file (five header lines, then one "x TAB y" line each).

#include <algorithm>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/base/asc.hpp"
#include "nuv/base/strings.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/platform/textfile.hpp"

namespace nuv {
namespace {

constexpr char kQuote = '"';
// A name never holds more than this; the rest of an overlong (or unterminated) name is read
// and dropped, so a hostile file cannot grow it to the file's size.
constexpr std::size_t kMaxName = 4096;

// Reads one possibly quoted name into Name; stops at its end or at the end of the file.
void ReadQuotedName(TTextFileReader& Reader, std::string& Name, TQuotedStrState& State) {
  State = qsBeforeName;
  Name.clear();
  char ch = 0;
  while (Reader.ReadChar(ch) == trOk) {
    if (ParseQuotedName(ch, kQuote, Name, State)) break;
    if (Name.size() > kMaxName) Name.resize(kMaxName);
  }
}

// Skips the rest of the current line; false at the end of the file or on a read error.
bool SkipLine(TTextFileReader& Reader) {
  std::string part;
  bool ended = false;
  while (!ended) {
    if (Reader.ReadLinePart(part, ended) != trOk) return false;
  }
  return true;
}

}  // namespace

std::string TCurveFit::ExportAsASC(const std::string& FileName, const std::string& Comment,
                                   Integer Precision) const {
  TTextFileWriter writer;
  if (!writer.Create(FileName)) return "Cannot open file \"" + FileName + "\"";
  auto put = [&](const std::string& Line) {
    if (!writer.WriteLine(Line)) throw EInOutError("Cannot write file \"" + FileName + "\"");
  };
  // A bare CR would end line 1 early for readers that also end lines there.
  std::string first = ReplaceCharInString(ReplaceCharInString(Comment, '\n', ' '), '\r', ' ');
  if (first.empty()) first = "Exported by NUV TCurveFit component: " + FileName;
  put(first);
  put("2\t;nr. of columns");
  put(IntToStr(FNumData) + "\t;nr. of rows");
  put("FALSE TRUE FALSE\t;row attributes, column names, row names");
  put("x   y");
  for (Integer i = 1; i <= FNumData; ++i) {
    put(strff(FData->GetVal(1, i), 1, Precision) + "\t" + strff(FData->GetVal(2, i), 1, Precision));
  }
  if (!writer.Close()) throw EInOutError("Cannot write file \"" + FileName + "\"");
  return "";
}

Integer TCurveFit::ImportASC(const std::string& FileName) {
  // Replacing the pairs under a running fit would pull its store away.
  if (!MayResize()) return -8;
  std::string comment;
  Integer nCols = 0, nRows = 0;
  bool rowAttr = false, colNames = false, rowNames = false, fourth = false;
  Integer result =
      ReadHeaderOfASC(FileName, comment, nCols, nRows, rowAttr, colNames, rowNames, fourth);
  if (result == 0 && fourth) result = -7;
  if (result == 0 && nCols != 2) {
    detail::RaiseFunction<ENUVMath2Error>(
        "TCurveFit.ImportASC",
        "number of columns must be 2 (is actually " + IntToStr(nCols) + ").");
  }

  // The pairs are collected aside and replace the store only once every row has been read,
  // so a failed import leaves the component as it was.
  std::vector<double> xs, ys;
  if (result == 0) {
    TTextFileReader reader;
    if (!reader.Open(FileName)) result = -1;
    for (int i = 0; result == 0 && i < 4; ++i) {
      if (!SkipLine(reader)) result = -2;
    }
    if (result == 0) {
      // Every value takes at least two bytes, so the file bounds what can be reserved.
      const Int64 fits = reader.BytesLeft() / 4 + 1;
      const auto reserve = static_cast<std::size_t>(std::min<Int64>(nRows, fits));
      xs.reserve(reserve);
      ys.reserve(reserve);
      if (colNames) {
        for (Integer k = 0; k < nCols; ++k) ReadQuotedName(reader, FVNName, FVNState);
      }
    }
    for (Integer r = 1; result == 0 && r <= nRows; ++r) {
      double value = 0.0;
      if (rowAttr && reader.ReadNumber(value) != trOk) {
        result = -5;
        break;
      }
      if (rowNames) ReadQuotedName(reader, FVNName, FVNState);
      double xy[2] = {0.0, 0.0};
      for (double& v : xy) {
        if (reader.ReadNumber(v) != trOk) {
          result = -6;
          break;
        }
      }
      xs.push_back(xy[0]);
      ys.push_back(xy[1]);
    }
  }

  if (result == 0) {
    FData->Resize(2, nRows);  // raises, changing nothing, when memory runs out
    Init();
    for (Integer r = 1; r <= nRows; ++r) {
      const auto i = static_cast<std::size_t>(r - 1);
      AdjustSums(xs[i], ys[i], +1);
      FData->SetVal(1, r, xs[i]);
      FData->SetVal(2, r, ys[i]);
    }
    FNumData = nRows;
  }
  FSplineValid = false;
  FPenSplineValid = false;
  FKendallValid = false;
  return result;
}

}  // namespace nuv
