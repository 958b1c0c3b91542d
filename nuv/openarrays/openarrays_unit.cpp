#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_openarrays() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_openarrays() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
