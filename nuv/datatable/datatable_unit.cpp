#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_datatable() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_datatable() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
