// TVector: text files of values.

#include "nuv/base/strings.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/platform/textfile.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

bool TVector::StoreOnFile(Integer FirstElem, Integer LastElem, Integer Precision,
                          const std::string& FileName) const {
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  int width = 1;
  if (Precision == -2) width = 26;
  if (Precision == -1) width = 13;
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  if (FirstElem < 1) FirstElem = 1;
  if (LastElem > FNElem) LastElem = FNElem;
  TTextFileWriter writer;
  if (!writer.Create(FileName)) return false;
  bool ok = writer.WriteLine(IntToStr(FirstElem) + " " + IntToStr(LastElem));
  for (Integer i = FirstElem; ok && i <= LastElem; ++i) {
    ok = writer.WriteLine(strff(GetVal(i), width, Precision));
  }
  return writer.Close() && ok;
}

bool TVector::LoadFromFile(const std::string& FileName, bool AdjustVectorSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustVectorSize);
  TTextFileReader reader;
  if (!reader.Open(FileName)) return false;
  // Count the lines holding a decimal digit, reading each line in bounded pieces.
  Int64 count = 0;
  bool hasDigit = false;
  std::string part;
  bool lineEnded = false;
  for (;;) {
    const TTextReadStatus st = reader.ReadLinePart(part, lineEnded);
    if (st == trError) return false;
    if (st == trEndOfFile) break;
    hasDigit = hasDigit || StringContains(part, "//dig");
    if (lineEnded) {
      if (hasDigit) ++count;
      hasDigit = false;
    }
  }
  if (count > 2147483647) return false;
  detail::TUseGuard use(this);
  if (AdjustVectorSize && count >= 1 && count != FNElem) {
    use.AllowResize(this);
    // Refused: a call in progress uses this vector, so the load changes nothing.
    if (!Resize(static_cast<Integer>(count))) return false;
  }
  if (!reader.Rewind()) return false;
  for (Integer i = 1; i <= FNElem; ++i) {
    double value = 0.0;
    const TTextReadStatus st = reader.ReadNumber(value);
    if (st == trOk) {
      SetVal(i, value);
    } else if (st == trEndOfFile) {
      break;
    } else if (st == trError) {
      return false;
    }
  }
  reader.Close();
  Changed();
  return true;
}

}  // namespace nuv
