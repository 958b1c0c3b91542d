#include "nuv/analysis/TCurveFit.hpp"

#include <cmath>
#include <limits>
#include <utility>

#include "nuv/base/constants.hpp"
#include "nuv/base/moments.hpp"
#include "nuv/matrix/matrix_errors.hpp"

namespace nuv {
namespace {

constexpr Integer kCapacityStep = 1000;
// Reciprocals of values not above this are replaced by the substitute uc_MaxReal.
constexpr double kSmall = 1e-30;

bool IsSmall(double v) noexcept {
  return std::fabs(v) <= kSmall;
}

constexpr TCurveFitErrors Bit(TCurveFitError e) noexcept {
  return static_cast<TCurveFitErrors>(1u << e);
}

// Pair i of the store mapped to the value a statistic reads: x, y or x - y.
enum TColumn { colX, colY, colDiff };

double ValueOf(const TMatrix& D, Integer i, TColumn c) noexcept {
  switch (c) {
    case colX:
      return D.GetVal(1, i);
    case colY:
      return D.GetVal(2, i);
    default:
      return D.GetVal(1, i) - D.GetVal(2, i);
  }
}

bool Varies(const TMatrix& D, Integer n, TColumn c) noexcept {
  for (Integer i = 2; i <= n; ++i) {
    if (ValueOf(D, i, c) != ValueOf(D, 1, c)) return true;
  }
  return false;
}

// Sample standard deviation of the first n pairs read through c (n >= 3), from the corrected
// two-pass sum of squares; a constant column has none, whatever its rounded mean leaves.
double StdDevOf(const TMatrix& D, Integer n, TColumn c) noexcept {
  if (n < 3 || !Varies(D, n, c)) return 0.0;
  return detail::SpreadOf(n,
                          [&](auto&& f) {
                            for (Integer i = 1; i <= n; ++i) f(ValueOf(D, i, c));
                          })
      .StdDev(n - 1);
}

}  // namespace

TCurveFit::TCurveFit(TComponent* AOwner) : TComponent(AOwner) {
  FData = std::make_unique<TMatrix>(nullptr);
  FData->Resize(2, kCapacityStep);
  FKendallConcord = 0;
  FKendallDiscord = 0;
  FKendallTies1 = 0;
  FKendallTies2 = 0;
  FKendallValid = false;
  FSplineValid = false;
  FPenSplineValid = false;
  FPSplineSmooth = 0.5;
  FNatural1 = true;
  FNaturalN = true;
  FY1Dash = 0.0;
  FYNDash = 0.0;
  Init();
}

TCurveFit::~TCurveFit() = default;

void TCurveFit::Init() {
  if (!MayResize()) return;
  for (Extended* s : {&sumx,      &sumy,     &sumxq,   &sumyq,    &sumDiff, &SumDiffq,  &sumxy,
                      &sumx2y,    &sumxy2,   &sumx3,   &sumy3,    &sumx4,   &sumy4,     &sum1byy,
                      &sum1byxy,  &sum1byyq, &sumxbyy, &sumybyx,  &sum1byx, &sum1byxq,  &sumlnx,
                      &sumlnxlny, &sumlnxq,  &sumylny, &sumylnx,  &sumxlnx, &sumlnxbyy, &sumlnybyx,
                      &sumlny,    &sumlnyq,  &sumxlny, &sumxqlny, &sumyqlnx}) {
    *s = 0;
  }
  FNumData = 0;
  FPSplineFQ = 0.0;
  FData->Fill(0.0);
  FMinX = uc_MaxDouble;
  FMinY = uc_MaxDouble;
  FMaxX = -uc_MaxDouble;
  FMaxY = -uc_MaxDouble;
  FErrIndic = 0;
  // The cached spline and pair counts describe data that is gone.
  FKendallValid = false;
  FSplineValid = false;
  FPenSplineValid = false;
}

void TCurveFit::AdjustSums(double x, double y, int Sign) noexcept {
  const bool adding = Sign > 0;
  auto put = [&](Extended& sum, Extended term) {
    if (adding) {
      sum += term;
    } else {
      sum -= term;
    }
  };
  auto flag = [&](TCurveFitError e) {
    if (adding) FErrIndic = static_cast<TCurveFitErrors>(FErrIndic | Bit(e));
  };
  const Extended ex = x;
  const Extended ey = y;
  const Extended m = uc_MaxReal;

  if (adding) {
    if (x < FMinX) FMinX = x;
    if (y < FMinY) FMinY = y;
    if (x > FMaxX) FMaxX = x;
    if (y > FMaxY) FMaxY = y;
  }

  const Extended diff = ex - ey;
  put(sumx, ex);
  put(sumy, ey);
  put(sumxq, ex * ex);
  put(sumyq, ey * ey);
  put(sumDiff, diff);
  put(SumDiffq, diff * diff);
  put(sumxy, ex * ey);
  put(sumx2y, ex * ex * ey);
  put(sumxy2, ex * ey * ey);
  put(sumx3, ex * ex * ex);
  put(sumy3, ey * ey * ey);
  put(sumx4, ex * ex * ex * ex);
  put(sumy4, ey * ey * ey * ey);

  if (!IsSmall(y)) {
    put(sum1byy, 1 / ey);
    put(sum1byyq, 1 / (ey * ey));
    put(sumxbyy, ex / ey);
    if (!IsSmall(x)) {
      put(sum1byxy, 1 / ex / ey);
    } else {
      put(sum1byxy, m / ey);
      flag(cfeXEQ0);
    }
  } else {
    flag(cfeYEQ0);
    put(sum1byy, m);
    put(sum1byyq, m * m);
    put(sumxbyy, ex * m);
    if (!IsSmall(x)) {
      put(sum1byxy, m / ex);
    } else {
      put(sum1byxy, m);
      flag(cfeXEQ0);
    }
  }

  if (!IsSmall(x)) {
    put(sum1byx, 1 / ex);
    put(sum1byxq, 1 / (ex * ex));
    put(sumybyx, ey / ex);
  } else {
    flag(cfeXEQ0);
    put(sum1byx, m);
    put(sum1byxq, m * m);
    put(sumybyx, ey * m);
  }

  if (x > 0) {
    const Extended lx = std::log(ex);
    put(sumlnx, lx);
    put(sumlnxq, lx * lx);
    put(sumylnx, ey * lx);
    put(sumxlnx, ex * lx);
    put(sumyqlnx, ey * ey * lx);
    if (y != 0) {
      put(sumlnxbyy, lx / ey);
    } else {
      flag(cfeYEQ0);
    }
    if (y > 0) {
      put(sumlnxlny, lx * std::log(ey));
    } else {
      flag(cfeYLE0);
    }
  } else {
    flag(cfeXLE0);
  }

  if (y > 0) {
    const Extended ly = std::log(ey);
    put(sumlny, ly);
    put(sumylny, ey * ly);
    put(sumlnyq, ly * ly);
    put(sumxlny, ex * ly);
    put(sumxqlny, ex * ex * ly);
    if (x != 0) {
      put(sumlnybyx, ly / ex);
    } else {
      flag(cfeXEQ0);
    }
  } else {
    flag(cfeYLE0);
  }
}

Integer TCurveFit::EnterStatValue(double x, double y) {
  if (!MayResize()) return FNumData;
  // Grow first, so that a failure leaves the count, the sums and the rows as they were.
  const Int64 needed = static_cast<Int64>(FNumData) + 1;
  const Int64 rows = FData->NrOfRows();
  if (rows < needed) {
    const Int64 grown = rows + kCapacityStep;
    if (grown > std::numeric_limits<Integer>::max()) {
      detail::RaiseComponent<ENUVMatrixError>(FData.get(), "not enough memory on heap");
    }
    FData->Resize(2, static_cast<Integer>(grown));
  }
  AdjustSums(x, y, +1);
  FNumData = static_cast<Integer>(needed);
  FData->SetVal(1, FNumData, x);
  FData->SetVal(2, FNumData, y);
  FSplineValid = false;
  FKendallValid = false;
  FPenSplineValid = false;
  return FNumData;
}

void TCurveFit::RemoveStatValue(Integer ix) {
  if (!MayResize()) return;
  if (ix >= 1 && ix <= FNumData) {
    AdjustSums(FData->GetVal(1, ix), FData->GetVal(2, ix), -1);
    for (Integer k = ix; k < FNumData; ++k) {
      FData->SetVal(1, k, FData->GetVal(1, k + 1));
      FData->SetVal(2, k, FData->GetVal(2, k + 1));
    }
    // The vacated row holds no pair: clear it, as Init would.
    FData->SetVal(1, FNumData, 0.0);
    FData->SetVal(2, FNumData, 0.0);
    --FNumData;
  }
  FSplineValid = false;
  FKendallValid = false;
  FPenSplineValid = false;
}

void TCurveFit::FlipXY() {
  std::swap(FMinX, FMinY);
  std::swap(FMaxX, FMaxY);
  std::swap(sumx, sumy);
  std::swap(sumxq, sumyq);
  std::swap(sumx2y, sumxy2);
  std::swap(sumx3, sumy3);
  std::swap(sumx4, sumy4);
  std::swap(sum1byy, sum1byx);
  std::swap(sum1byyq, sum1byxq);
  std::swap(sumxbyy, sumybyx);
  std::swap(sumlnx, sumlny);
  std::swap(sumlnxq, sumlnyq);
  std::swap(sumylnx, sumxlny);
  std::swap(sumxlnx, sumylny);
  std::swap(sumlnxbyy, sumlnybyx);
  std::swap(sumxqlny, sumyqlnx);
  sumDiff = -sumDiff;
  const Integer rows = FData->NrOfRows();
  for (Integer r = 1; r <= rows; ++r) {
    const double x = FData->GetVal(1, r);
    FData->SetVal(1, r, FData->GetVal(2, r));
    FData->SetVal(2, r, x);
  }
}

double TCurveFit::GetDataX(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return FData->GetVal(1, ix);
}

double TCurveFit::GetDataY(Integer ix) const noexcept {
  if (ix < 1 || ix > FNumData) return 0.0;
  return FData->GetVal(2, ix);
}

void TCurveFit::SetSplineNatural1(bool Value) noexcept {
  FNatural1 = Value;
  FSplineValid = false;
}

void TCurveFit::SetSplineNaturalN(bool Value) noexcept {
  FNaturalN = Value;
  FSplineValid = false;
}

void TCurveFit::SetSplineDerivY1(double Value) noexcept {
  FY1Dash = Value;
  FSplineValid = false;
}

void TCurveFit::SetSplineDerivYN(double Value) noexcept {
  FYNDash = Value;
  FSplineValid = false;
}

void TCurveFit::SetSplineSmoothingFactor(double Value) noexcept {
  FPSplineSmooth = Value;
  FPenSplineValid = false;
}

double TCurveFit::MeanX() const noexcept {
  return FNumData > 0 ? static_cast<double>(sumx / FNumData) : 0.0;
}

double TCurveFit::MeanY() const noexcept {
  return FNumData > 0 ? static_cast<double>(sumy / FNumData) : 0.0;
}

double TCurveFit::MeanDiff() const noexcept {
  return FNumData > 0 ? static_cast<double>(sumDiff / FNumData) : 0.0;
}

double TCurveFit::StdDevX() const noexcept {
  return StdDevOf(*FData, FNumData, colX);
}

double TCurveFit::StdDevY() const noexcept {
  return StdDevOf(*FData, FNumData, colY);
}

double TCurveFit::StdDevDiff() const noexcept {
  return StdDevOf(*FData, FNumData, colDiff);
}

double TCurveFit::CorrCoeff() const noexcept {
  const Integer n = FNumData;
  if (n < 3 || !Varies(*FData, n, colX) || !Varies(*FData, n, colY)) return 0.0;
  const TMatrix& D = *FData;
  return detail::CorrelationOf(detail::CoMomentsOf(n, [&](auto&& f) {
    for (Integer i = 1; i <= n; ++i) f(D.GetVal(1, i), D.GetVal(2, i));
  }));
}

void TCurveFit::CalcStatistics(Integer& NumData, double& MeanX, double& MeanY, double& StdevX,
                               double& StdevY, double& MeanDiff, double& StdevDiff,
                               double& rxy) const {
  MeanX = 0.0;
  MeanY = 0.0;
  StdevX = 0.0;
  StdevY = 0.0;
  MeanDiff = 0.0;
  StdevDiff = 0.0;
  rxy = 0.0;
  const Integer n = FNumData;
  if (n > 0) {
    MeanX = static_cast<double>(sumx / n);
    MeanY = static_cast<double>(sumy / n);
    MeanDiff = static_cast<double>(sumDiff / n);
  }
  if (n > 2) {
    StdevX = StdDevX();
    StdevY = StdDevY();
    StdevDiff = StdDevDiff();
    rxy = CorrCoeff();
  }
  NumData = n;
}

}  // namespace nuv
