#include "nuv/base/hooks.hpp"
#include "nuv/package/units.hpp"
#include "nuv/scalar/detail/math1_state.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_math1() {
  if (!gCounter.Enter()) return;
  ResetMath1RandomState();
  MathFeedBackProc = nullptr;
}

void FinalNUV_math1() {
  // The Roman-numeral table is a constant table in static storage: nothing to release.
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
