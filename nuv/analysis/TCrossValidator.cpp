// TCrossValidator: cross-validation through application events.

#include "nuv/analysis/TCrossValidator.hpp"

#include <cmath>
#include <cstddef>

#include "nuv/analysis/statis_errors.hpp"
#include "nuv/base/bitfield.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"

namespace nuv {

namespace {

// A handler that keeps refusing models would otherwise have test sets drawn without end.
constexpr Integer kMaxRefusals = 1000;
// A prediction this close to the response counts as correct.
constexpr double kHitTol = 0.001;

Integer PercentDone(Integer Tested, Integer N) {
  if (N <= 0) return 0;
  return static_cast<Integer>(Round(static_cast<double>(Tested) / N * 100.0));
}

// Clears FIsRunning however Execute is left.
class RunningFlag {
 public:
  explicit RunningFlag(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~RunningFlag() { FFlag = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

TCrossValidator::TCrossValidator(TComponent* AOwner)
    : TComponent(AOwner),
      FPress(std::make_unique<TVector>(nullptr)),
      FTPCnt(std::make_unique<TVector>(nullptr)),
      FFPCnt(std::make_unique<TVector>(nullptr)),
      FTNCnt(std::make_unique<TVector>(nullptr)),
      FFNCnt(std::make_unique<TVector>(nullptr)) {}

TCrossValidator::~TCrossValidator() = default;

void TCrossValidator::FillResults(double Value) {
  for (TVector* v : {FPress.get(), FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()}) {
    v->Fill(Value);
  }
}

void TCrossValidator::SetTestSize(Integer v) {
  FTestSize = v <= 0 ? 1 : v;
  // A running validation keeps the size it started with, and its results stay its own.
  if (!FIsRunning) FillResults(-1.0);
}

bool TCrossValidator::Execute() {
  // Called again from one of its own handlers: the running validation owns the results.
  if (FIsRunning) return false;
  if (FXMat == nullptr || FYMat == nullptr) {
    detail::RaiseFunction<ENUVStatisError>("TCrossValidator.Execute", "data matrix not assigned");
  }
  if (FXMat->NrOfRows() != FYMat->NrOfRows()) {
    detail::RaiseFunction<ENUVStatisError>("TCrossValidator.Execute",
                                           "number of rows of XMat and YMat not equal");
  }
  if (!FOnModelApplyRequest) {
    detail::RaiseFunction<ENUVStatisError>("TCrossValidator",
                                           "OnModelApplyRequest event is not assigned");
  }
  if (!FOnModelCreateRequest) {
    detail::RaiseFunction<ENUVStatisError>("TCrossValidator",
                                           "OnModelCreateRequest event is not assigned");
  }
  // Handlers may reassign the properties; the run keeps the matrices and the test size it
  // started with, and they keep their sizes while it runs.
  TMatrix* const xMat = FXMat;
  TMatrix* const yMat = FYMat;
  const detail::TUseGuard use(xMat, yMat);
  const Integer N = xMat->NrOfRows();
  if (N / 2 + 1 < FTestSize) FTestSize = N / 2 + 1;
  const Integer testSize = FTestSize;

  TBitFld used(nullptr);
  TBitFld test(nullptr);
  used.SetSize(N);
  test.SetSize(N);
  used.Clear();
  const Integer nX = xMat->NrOfColumns();
  const Integer nY = yMat->NrOfColumns();
  TDoubleArray predictors(static_cast<std::size_t>(nX), 0.0);
  TDoubleArray response(static_cast<std::size_t>(nY), 0.0);
  Integer tested = 0;
  for (TVector* v : {FPress.get(), FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()}) {
    v->SetVecSize(nY);
  }
  FillResults(0.0);
  FRunRows = N;
  bool abort = false;
  Integer refusals = 0;
  const RunningFlag running(FIsRunning);

  TIntArray testRows;
  TIntArray trainRows;
  do {
    test.Clear();
    if (testSize < N - used.CountTrueBits()) {
      for (Integer t = 1; t <= testSize; ++t) {
        Integer r = Random(N) + 1;
        while (used.GetBit(r)) r = r == N ? 1 : r + 1;
        used.SetBit(r, true);
        test.SetBit(r, true);
      }
    } else {
      for (Integer r = 1; r <= N; ++r) {
        test.SetBit(r, !used.GetBit(r));
        used.SetBit(r, true);
      }
    }
    testRows.clear();
    trainRows.clear();
    for (Integer r = 1; r <= N; ++r) (test.GetBit(r) ? testRows : trainRows).push_back(r);

    bool success = false;
    FOnModelCreateRequest(this, PercentDone(tested, N), trainRows, success);
    if (success) {
      refusals = 0;
      for (Integer r : testRows) {
        if (abort) break;
        ++tested;
        for (Integer c = 1; c <= nX; ++c) {
          predictors[static_cast<std::size_t>(c - 1)] = xMat->GetVal(c, r);
        }
        FOnModelApplyRequest(this, PercentDone(tested, N), predictors, response);
        // Back to one value per response column: a handler that shortened the array predicts
        // 0 for the missing columns, and the next call again sees the documented length.
        response.resize(static_cast<std::size_t>(nY), 0.0);
        for (Integer k = 1; k <= nY; ++k) {
          const double pred = response[static_cast<std::size_t>(k - 1)];
          const double y = yMat->GetVal(k, r);
          FPress->SetVal(k, FPress->GetVal(k) + (pred - y) * (pred - y));
          const bool hit = std::fabs(pred - y) < kHitTol;
          TVector* counter = nullptr;
          if (y == 1.0) {
            counter = hit ? FTPCnt.get() : FFNCnt.get();
          } else {
            counter = hit ? FTNCnt.get() : FFPCnt.get();
          }
          counter->SetVal(k, counter->GetVal(k) + 1.0);
        }
        if (FOnCheckAbort) FOnCheckAbort(this, abort);
      }
    } else {
      // The refused rows go back into the pool and are drawn anew.
      used.CombineWith(&test, loAndNot);
      if (FOnCheckAbort) FOnCheckAbort(this, abort);
      if (++refusals >= kMaxRefusals) abort = true;
    }
  } while (used.CountTrueBits() < N && !abort);

  if (abort) FillResults(-1.0);
  return !abort;
}

bool TCrossValidator::ResultIndexOk(Integer ix) const noexcept {
  return ix >= 1 && ix <= FPress->NrOfElem();
}

double TCrossValidator::GetRMSEP(Integer ix) const {
  // The rows of the run that formed the sums, whatever size XMat has now.
  const Integer n = FRunRows;
  if (FXMat == nullptr || FXMat->NrOfRows() <= 0 || n <= 0 || !ResultIndexOk(ix)) return -1.0;
  const double press = FPress->GetVal(ix);
  if (press < 0.0) return -1.0;
  return std::sqrt(press / n);
}

double TCrossValidator::GetTPRate(Integer ix) const {
  if (!ResultIndexOk(ix)) return -1.0;
  const double tp = FTPCnt->GetVal(ix);
  const double fn = FFNCnt->GetVal(ix);
  if (tp < 0.0 || fn < 0.0) return -1.0;
  const double sum = tp + fn;
  return sum == 0.0 ? 0.0 : tp / sum;
}

double TCrossValidator::GetFPRate(Integer ix) const {
  if (!ResultIndexOk(ix)) return -1.0;
  const double fp = FFPCnt->GetVal(ix);
  const double tn = FTNCnt->GetVal(ix);
  if (fp < 0.0 || tn < 0.0) return -1.0;
  const double sum = fp + tn;
  return sum == 0.0 ? 1.0 : fp / sum;
}

}  // namespace nuv
