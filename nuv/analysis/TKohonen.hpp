#pragma once
// TKohonen: a rectangular self-organising map of SizeX by SizeY cells, each holding one weight
// per input, trained on the rows of a matrix; the grid may wrap round as a torus.

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "nuv/base/types.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {

/// While ContinueTraining (or Trainit) runs, OnFeedback may change values but not sizes: the
/// writers of SizeX, SizeY, NrOfInSens and TrainData then change nothing, and a resize of the
/// training matrix is refused. Freeing the map from the handler is undefined.
class TKohonen : public TComponent, public detail::TUseCounted {
 public:
  /// A 1 by 1 grid of one input, one training object (0), 200 steps, radius 2, rate 1.0, no
  /// wrap; the weight is drawn at random (one draw of the process-wide generator).
  explicit TKohonen(TComponent* AOwner);

  // ---- published properties ----
  /// Free text.
  const std::string& Comment() const noexcept { return FComment; }
  void SetComment(const std::string& Value) { FComment = Value; }
  /// The grid wraps round in both directions.
  bool Cyclic() const noexcept { return FCyclic; }
  void SetCyclic(bool Value) noexcept { FCyclic = Value; }
  /// Learning rate of the first step; stored as given.
  double InitialAlpha() const noexcept { return FMaxAlpha; }
  void SetInitialAlpha(double Value) noexcept { FMaxAlpha = Value; }
  /// Neighbourhood radius of the first step; stored as given (a radius below 0 acts as 0).
  Integer InitialNeighbors() const noexcept { return FMaxNeighb; }
  void SetInitialNeighbors(Integer Value) noexcept { FMaxNeighb = Value; }
  /// Number of training steps; stored as given. With 0 or fewer steps no epoch runs; with a
  /// current step at or beyond it, an epoch trains with rate 0 (the training counts as
  /// complete).
  Integer NrOfTrnSteps() const noexcept { return FMaxSteps; }
  void SetNrOfTrnSteps(Integer Value) noexcept { FMaxSteps = Value; }
  /// Inputs per cell.
  Integer NrOfInSens() const noexcept { return FNrInSens; }
  /// Values below 1, or a write during training, are ignored. Otherwise the weights (SizeX by
  /// SizeY by n), the training matrix (n columns, rows kept) and the mean and deviation
  /// vectors (n elements) are re-created, all 0. A size that cannot be allocated raises
  /// ENUVMatrixError "not enough memory on heap" from the store concerned.
  void SetNrOfInSens(Integer n);
  /// Grid width.
  Integer SizeX() const noexcept { return FSizeX; }
  /// Values below 1, or a write during training, are ignored; otherwise the weights are
  /// re-created, all 0.
  void SetSizeX(Integer Value);
  /// Grid height.
  Integer SizeY() const noexcept { return FSizeY; }
  /// Values below 1, or a write during training, are ignored; otherwise the weights are
  /// re-created, all 0.
  void SetSizeY(Integer Value);
  /// Fired once per training epoch with the percentage done, 0 .. 100.
  const TOnPercentDoneEvent& OnFeedback() const noexcept { return FOnFeedback; }
  void SetOnFeedback(TOnPercentDoneEvent Handler) { FOnFeedback = std::move(Handler); }

  // ---- data and weights ----
  /// The owned training matrix: one column per input, one row per object.
  TMatrix* TrainData() noexcept { return &FDataMat; }
  /// Copies M (inputs := its columns, objects := its rows) and re-creates the weights and the
  /// mean and deviation vectors, all 0. Null, a matrix without columns, or a write during
  /// training does nothing; passing TrainData() itself keeps the data and clears the rest.
  void SetTrainData(TMatrix* M);
  /// Weight wi of cell (ix, iy) in data units: w·s + m with s, m the deviation and mean that
  /// StandardizeData recorded for input wi (w + m where s is 0, the inverse of ApplyIt's
  /// scaling). Indices outside the map read weight 0.
  double Weights(Integer ix, Integer iy, Integer wi) const noexcept;

  // ---- training and classification ----
  /// Standardises each column of the training matrix to mean 0 and deviation 1, recording
  /// means and deviations; a column of deviation 0 is only centred.
  void StandardizeData();
  /// Restarts at step 1 with random weights in [-0.1, 0.1), then ContinueTraining.
  void Trainit();
  /// Runs epochs from the current step (at least one, none when NrOfTrnSteps < 1) until the
  /// last step or an abort request; OnFeedback fires after each epoch.
  void ContinueTraining();
  /// Requests a stop; the training ends after the current epoch. Safe from another thread.
  void AbortTraining() noexcept { FAbort.store(true); }
  /// The cell whose weights are nearest to InData (in data units; elements beyond InData read
  /// 0), the first in x-major order on ties. Distance is the squared distance in the
  /// standardised space. No cell nearer than uc_MaxDouble: BestIx and BestIy unchanged,
  /// Distance uc_MaxDouble. A null InData changes nothing.
  void ApplyIt(TVector* InData, Integer& BestIx, Integer& BestIy, double& Distance) const;

 protected:
  /// Fires OnFeedback (this, percent) when assigned.
  void DoFeedback(Integer percent);

 private:
  void SetWeigtsToRandom();
  void RunEpoch(double alpha, Integer radius);

  Integer FMaxNeighb = 2;
  std::string FComment;
  Integer FCurNeighb = 2;
  Integer FMaxSteps = 200;
  Integer FCurStep = 0;
  double FMaxAlpha = 1.0;
  double FCurAlpha = 1.0;
  TMat3D FKohMat{nullptr};
  Integer FSizeX = 1;
  Integer FSizeY = 1;
  Integer FNrInSens = 1;
  Integer FNrTrnObj = 1;
  TVector MeanVec{nullptr};
  TVector StdDevVec{nullptr};
  bool FCyclic = false;
  std::atomic<bool> FAbort{false};
  TOnPercentDoneEvent FOnFeedback;
  TMatrix FDataMat{nullptr};
};

}  // namespace nuv
