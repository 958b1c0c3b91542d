#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_vector() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_vector() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
