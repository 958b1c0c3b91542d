#include "nuv/package/units.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_wavelet() {
  if (!gCounter.Enter()) return;
}

void FinalNUV_wavelet() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
