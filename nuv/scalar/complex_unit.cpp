#include "nuv/package/units.hpp"
#include "nuv/scalar/NUV_complex.hpp"

namespace nuv::detail {
namespace {
TUnitCounter gCounter;
}  // namespace

void InitNUV_complex() {
  if (!gCounter.Enter()) return;
  CpxNearZero = 1e-15;
}

void FinalNUV_complex() {
  if (!gCounter.Leave()) return;
}

}  // namespace nuv::detail
