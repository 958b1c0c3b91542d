// Curve-fit ASC import: a failed import leaves the component as it was, a successful one
// holds exactly the pairs and sums of entering them one by one, and export then import is
// stable (the second export repeats the first byte for byte).

#include <array>
#include <string>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/math2_errors.hpp"
#include "nuv/base/asc.hpp"
#include "nuv/platform/format.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

using namespace nuv;
using namespace nuv::fuzz;

// Everything a caller can observe of the pairs and their sums.
struct TSnapshot {
  std::vector<double> X, Y;
  std::array<double, 11> Stats{};
};

TSnapshot Snap(const TCurveFit& Fit) {
  TSnapshot s;
  for (Integer i = 1; i <= Fit.NumData(); ++i) {
    s.X.push_back(Fit.DataX(i));
    s.Y.push_back(Fit.DataY(i));
  }
  s.Stats = {Fit.MeanX(),   Fit.MeanY(),      Fit.MeanDiff(),  Fit.StdDevX(),
             Fit.StdDevY(), Fit.StdDevDiff(), Fit.CorrCoeff(), Fit.MinX(),
             Fit.MaxX(),    Fit.MinY(),       Fit.MaxY()};
  return s;
}

bool Same(const TSnapshot& A, const TSnapshot& B) {
  if (A.X.size() != B.X.size()) return false;
  for (std::size_t i = 0; i < A.X.size(); ++i) {
    if (!SameValue(A.X[i], B.X[i]) || !SameValue(A.Y[i], B.Y[i])) return false;
  }
  for (std::size_t i = 0; i < A.Stats.size(); ++i) {
    if (!SameValue(A.Stats[i], B.Stats[i])) return false;
  }
  return true;
}

// Imports Path into Fit and checks the outcome against the header and the state before.
Integer ImportChecked(TCurveFit& Fit, const std::string& Path, std::size_t FileSize) {
  std::string comment;
  Integer nCols = 0, nRows = 0;
  bool rowAttr = false, colNames = false, rowNames = false, fourth = false;
  const Integer header =
      ReadHeaderOfASC(Path, comment, nCols, nRows, rowAttr, colNames, rowNames, fourth);
  const TSnapshot before = Snap(Fit);
  Integer result = 0;
  try {
    result = Fit.ImportASC(Path);
  } catch (const ENUVMath2Error& e) {
    NUV_FUZZ_CHECK(header == 0 && !fourth && nCols != 2);
    NUV_FUZZ_CHECK(std::string(e.what()) ==
                   "TCurveFit.ImportASC: number of columns must be 2 (is actually " +
                       IntToStr(nCols) + ").");
    NUV_FUZZ_CHECK(Same(Snap(Fit), before));
    return 1;
  }
  if (header != 0) {
    NUV_FUZZ_CHECK(result == header);
  } else if (fourth) {
    NUV_FUZZ_CHECK(result == -7);
  } else {
    NUV_FUZZ_CHECK(nCols == 2);
    NUV_FUZZ_CHECK(result == 0 || result == -5 || result == -6);
    if (result == -5) NUV_FUZZ_CHECK(rowAttr);
  }
  if (result != 0) {
    NUV_FUZZ_CHECK(Same(Snap(Fit), before));
    return result;
  }
  NUV_FUZZ_CHECK(Fit.NumData() == nRows);
  // Every row takes at least two numbers of two bytes each.
  NUV_FUZZ_CHECK(static_cast<std::size_t>(nRows) <= FileSize / 4 + 1);
  TCurveFit entered(nullptr);
  for (Integer i = 1; i <= nRows; ++i) entered.EnterStatValue(Fit.DataX(i), Fit.DataY(i));
  NUV_FUZZ_CHECK(Same(Snap(Fit), Snap(entered)));
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  TScratchFile file("curvefit.asc", Data, Size);
  TCurveFit fit(nullptr);
  fit.EnterStatValue(1.0, 2.0);
  fit.EnterStatValue(-3.5, 0.25);
  fit.EnterStatValue(8.0, -1.0);
  if (ImportChecked(fit, file.Path(), Size) != 0) return 0;
  if (fit.NumData() > 2000) return 0;  // keeps each run short; the import itself is checked
  TScratchFile first("curvefit_1.asc");
  TScratchFile second("curvefit_2.asc");
  NUV_FUZZ_CHECK(fit.ExportAsASC(first.Path(), "round trip", 17).empty());
  TCurveFit back(nullptr);
  NUV_FUZZ_CHECK(ImportChecked(back, first.Path(), first.Read().size()) == 0);
  NUV_FUZZ_CHECK(back.NumData() == fit.NumData());
  NUV_FUZZ_CHECK(back.ExportAsASC(second.Path(), "round trip", 17).empty());
  TCurveFit again(nullptr);
  NUV_FUZZ_CHECK(ImportChecked(again, second.Path(), second.Read().size()) == 0);
  NUV_FUZZ_CHECK(again.ExportAsASC(first.Path(), "round trip", 17).empty());
  NUV_FUZZ_CHECK(first.Read() == second.Read());
  return 0;
}
