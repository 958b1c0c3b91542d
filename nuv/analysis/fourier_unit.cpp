#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_fourier() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_fourier() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
