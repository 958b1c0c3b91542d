#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_sline() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_sline() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
