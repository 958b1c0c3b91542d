#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_matrix() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_matrix() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
