#include "nuv/analysis/math2_pca.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_math2() {
  if (!gCounter.Enter()) return;
  AbortMathProc = false;
}

void FinalNUV_math2() {
  if (!gCounter.Leave()) return;
  FinalEigenStore();
}

}  // namespace nuv::detail
