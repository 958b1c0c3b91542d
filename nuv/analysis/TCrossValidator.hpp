#pragma once
// TCrossValidator: cross-validation of a model that the application builds and applies through
// events.

#include <functional>
#include <memory>

#include "nuv/base/types.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

/// Asks for a model built from the training rows ObjectList (ascending, 1-based); the handler
/// sets Success when it built one. PercentDone is the share of rows tested so far.
using TOnModelCreateRequestEvent = std::function<void(TObject* Sender, Integer PercentDone,
                                                      const TIntArray& ObjectList, bool& Success)>;
/// Asks for the prediction of one test row: Predictors holds the row of XMat, Response (one
/// value per response column, 0-based) receives the prediction.
using TOnModelApplyRequestEvent = std::function<void(
    TObject* Sender, Integer PercentDone, const TDoubleArray& Predictors, TDoubleArray& Response)>;

/// Repeatedly draws a random test set of rows, has the application build a model from the
/// other rows and predict each test row, until every row was tested once. Per response column
/// it accumulates the prediction error sum of squares and the counts of true and false
/// positives and negatives (a response of exactly 1 is a positive; a prediction within 0.001
/// of the response is correct). The matrices are not owned, and nothing tells the validator
/// when they are freed: clear XMat and YMat before freeing them.
class TCrossValidator : public TComponent {
 public:
  /// Test sets of 2 rows, no matrices, no handlers.
  explicit TCrossValidator(TComponent* AOwner);
  ~TCrossValidator() override;

  /// XMat and YMat set while Execute runs are used from the next Execute on.
  TMatrix* XMat() const noexcept { return FXMat; }
  void SetXMat(TMatrix* Value) noexcept { FXMat = Value; }
  TMatrix* YMat() const noexcept { return FYMat; }
  void SetYMat(TMatrix* Value) noexcept { FYMat = Value; }

  /// Rows per test set.
  Integer SizeTestSet() const noexcept { return FTestSize; }
  /// Sets the rows per test set (1 when v <= 0) and marks every result invalid (-1). Called
  /// while Execute runs, it takes effect at the next Execute and leaves the results alone.
  void SetTestSize(Integer v);
  void SetSizeTestSet(Integer v) { SetTestSize(v); }

  const TOnModelApplyRequestEvent& OnModelApplyRequest() const noexcept {
    return FOnModelApplyRequest;
  }
  void SetOnModelApplyRequest(TOnModelApplyRequestEvent Handler) {
    FOnModelApplyRequest = std::move(Handler);
  }
  const TOnModelCreateRequestEvent& OnModelCreateRequest() const noexcept {
    return FOnModelCreateRequest;
  }
  void SetOnModelCreateRequest(TOnModelCreateRequestEvent Handler) {
    FOnModelCreateRequest = std::move(Handler);
  }
  /// Polled after each prediction and after each refused model; setting Abort stops the run.
  const TOnCheckAbortEvent& OnCheckAbort() const noexcept { return FOnCheckAbort; }
  void SetOnCheckAbort(TOnCheckAbortEvent Handler) { FOnCheckAbort = std::move(Handler); }

  /// True only while Execute runs.
  bool IsExecuting() const noexcept { return FIsRunning; }

  /// Runs the cross-validation; true unless it was aborted (then every result reads -1). The
  /// run uses the matrices and the test size set when it starts; while it runs, its handlers
  /// cannot resize XMat or YMat (their Resize returns false and changes nothing).
  /// Called again from one of its own handlers it returns false at once and changes nothing. A
  /// test size above N div 2 + 1 (N rows) is reduced to that, and stays reduced. After 1000
  /// model requests in a row that report no success the run stops as if aborted. Raises
  /// ENUVStatisError, before anything changes: "TCrossValidator.Execute: data matrix not
  /// assigned", "TCrossValidator.Execute: number of rows of XMat and YMat not equal",
  /// "TCrossValidator: OnModelApplyRequest event is not assigned", "TCrossValidator:
  /// OnModelCreateRequest event is not assigned". Exceptions of the handlers propagate.
  bool Execute();

  // The three results read -1 for an invalid result (after SetTestSize or an abort) and for
  // an ix outside the response columns of the last run.

  /// sqrt(PRESS(ix) / N) of response column ix, N the rows of XMat in the run that formed it;
  /// -1 also without XMat or XMat rows.
  double GetRMSEP(Integer ix) const;
  double RMSEP(Integer ix) const { return GetRMSEP(ix); }
  /// TP / (TP + FN) of response column ix, 0 when TP + FN = 0.
  double GetTPRate(Integer ix) const;
  double TPRate(Integer ix) const { return GetTPRate(ix); }
  /// FP / (FP + TN) of response column ix, 1 when FP + TN = 0.
  double GetFPRate(Integer ix) const;
  double FPRate(Integer ix) const { return GetFPRate(ix); }

 private:
  void FillResults(double Value);
  bool ResultIndexOk(Integer ix) const noexcept;

  Integer FTestSize = 2;
  Integer FRunRows = 0;
  std::unique_ptr<TVector> FPress;
  bool FIsRunning = false;
  std::unique_ptr<TVector> FTPCnt;
  std::unique_ptr<TVector> FFPCnt;
  std::unique_ptr<TVector> FTNCnt;
  std::unique_ptr<TVector> FFNCnt;
  TMatrix* FXMat = nullptr;
  TMatrix* FYMat = nullptr;
  TOnModelApplyRequestEvent FOnModelApplyRequest;
  TOnModelCreateRequestEvent FOnModelCreateRequest;
  TOnCheckAbortEvent FOnCheckAbort;
};

}  // namespace nuv
