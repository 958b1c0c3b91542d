#include "nuv/scalar/TVector.hpp"

#include <cfloat>
#include <cmath>

namespace nuv {
namespace {

// Length of v with the plain sum of squares where it is representable, else rescaled by a
// power of two (exact scaling) so that neither overflow nor underflow can occur.
double StableLength(const std::vector<double>& v) {
  double sum = 0.0;
  bool allZero = true;
  for (double e : v) {
    sum += e * e;
    allZero = allZero && e == 0.0;
  }
  if (allZero || (std::isfinite(sum) && sum >= DBL_MIN)) return std::sqrt(sum);
  double big = 0.0;
  for (double e : v) {
    if (!std::isfinite(e)) return std::sqrt(sum);
    big = std::fmax(big, std::fabs(e));
  }
  int exp2 = 0;
  std::frexp(big, &exp2);
  double scaled = 0.0;
  for (double e : v) {
    const double s = std::ldexp(e, -exp2);
    scaled += s * s;
  }
  return std::ldexp(std::sqrt(scaled), exp2);
}

bool IsTiny(double f) {
  return f == 0.0 || std::fpclassify(f) == FP_SUBNORMAL;
}

}  // namespace

TVector::TVector(TComponent* AOwner) : TVectorCore<double>(AOwner) {}

void TVector::SetVecSize(Integer NE) {
  if (NE > 0 && NE != FNElem) Resize(NE);
}

double TVector::CalcVecLeng() const {
  return StableLength(FVec);
}

void TVector::SetVecLeng(double x) {
  bool allZero = true;
  for (double e : FVec) allZero = allZero && e == 0.0;
  if (allZero) throw ENUVVectorError("vector has zero length");
  const double len = StableLength(FVec);
  const double f = x / len;
  if (std::isfinite(x) && x != 0.0 && (IsTiny(f) || std::isinf(f))) {
    // The factor itself is not representable; divide first so each element stays exact-ish.
    for (double& e : FVec) e = x * (e / len);
  } else {
    for (double& e : FVec) e = f * e;
  }
  Changed();
}

void TVector::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TVector*>(Source)) {
    CopyCore(*src);
    return;
  }
  TPersistent::Assign(Source);
}

void TVector::AssignTo(TPersistent* Dest) {
  if (auto* dst = dynamic_cast<TVector*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

}  // namespace nuv
