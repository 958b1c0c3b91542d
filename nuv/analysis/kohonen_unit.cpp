#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_kohonen() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_kohonen() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
