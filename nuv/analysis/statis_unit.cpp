#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_statis() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_statis() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
