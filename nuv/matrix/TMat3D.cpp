#include "nuv/matrix/TMat3D.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>

#include "nuv/base/crc.hpp"
#include "nuv/base/errors.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/math1_random.hpp"

namespace nuv {
TMat3D::TMat3D(TComponent* AOwner) : TMatrixContainer(AOwner) {
  Mat = ZeroStore<double>({1});
}

bool TMat3D::Resize(Integer Nc, Integer Nr, Integer Nl) {
  const bool may = MayResize();  // spent even by a resize that changes nothing
  if (Nc <= 0 || Nr <= 0 || Nl <= 0) return true;
  if (Nc == FNumX && Nr == FNumY && Nl == FNumZ) return true;
  if (!may) return false;
  std::vector<double> store = ZeroStore<double>({Nc, Nr, Nl});
  // Cells inside both boxes keep their values: copy the overlapping layer runs.
  const Integer keepX = std::min(Nc, FNumX);
  const Integer keepY = std::min(Nr, FNumY);
  const auto keepZ = static_cast<std::size_t>(std::min(Nl, FNumZ));
  for (Integer x = 0; x < keepX; ++x) {
    for (Integer y = 0; y < keepY; ++y) {
      const std::size_t from = Index(x + 1, y + 1, 1);
      const std::size_t to = (static_cast<std::size_t>(x) * static_cast<std::size_t>(Nr) +
                              static_cast<std::size_t>(y)) *
                             static_cast<std::size_t>(Nl);
      std::copy_n(Mat.data() + from, keepZ, store.data() + to);
    }
  }
  Mat.swap(store);
  FNumX = Nc;
  FNumY = Nr;
  FNumZ = Nl;
  Changed();
  return true;
}

bool TMat3D::ResizeAndClear(Integer Nc, Integer Nr, Integer Nl) {
  if (!Resize(Nc, Nr, Nl)) return false;
  Fill(0.0);
  return true;
}

void TMat3D::SetNCols(Integer Nc) {
  Resize(std::max<Integer>(1, Nc), FNumY, FNumZ);
}

void TMat3D::SetNRows(Integer Nr) {
  Resize(FNumX, std::max<Integer>(1, Nr), FNumZ);
}

void TMat3D::SetNLayers(Integer Nl) {
  Resize(FNumX, FNumY, std::max<Integer>(1, Nl));
}

void TMat3D::MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept {
  detail::MakeValidRange(LowCol, HighCol, FNumX);
}

void TMat3D::MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept {
  detail::MakeValidRange(LowRow, HighRow, FNumY);
}

void TMat3D::MakeValidLayerRange(Integer& LowLayer, Integer& HighLayer) const noexcept {
  detail::MakeValidRange(LowLayer, HighLayer, FNumZ);
}

void TMat3D::Changed() {
  if (FOnChange) FOnChange(this);
}

void TMat3D::Clone(TMat3D* MatSource) {
  if (MatSource == nullptr) return;
  // The resize event's handler may write cells but resize neither array; the own resize passes.
  const detail::TUseGuard use(this, MatSource);
  use.AllowResize(this);
  Resize(MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ);
  if (MatSource != this) {
    for (Integer x = 1; x <= FNumX; ++x) {
      for (Integer y = 1; y <= FNumY; ++y) {
        for (Integer z = 1; z <= FNumZ; ++z) SetVal(x, y, z, MatSource->GetVal(x, y, z));
      }
    }
  }
  Changed();
}

void TMat3D::Fill(double value) {
  // Zero (of either sign) clears the store, which leaves +0 in every cell.
  std::fill(Mat.begin(), Mat.end(), value == 0.0 ? 0.0 : value);
}

void TMat3D::FillDiag(double value) {
  const Integer n = std::min({FNumX, FNumY, FNumZ});
  for (Integer i = 1; i <= n; ++i) Mat[Index(i, i, i)] = value;
  Changed();
}

void TMat3D::FillRandomUniform(double RangeLow, double RangeHigh) {
  // The store order is columns outer, rows, layers inner: the required drawing order.
  for (double& cell : Mat) cell = RangeLow + (RangeHigh - RangeLow) * Random();
  Changed();
}

void TMat3D::FillRandomGauss(double Mean, double StdDev) {
  for (double& cell : Mat) cell = Mean + StdDev * GRandom();
  Changed();
}

void TMat3D::CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                               Integer HighRow, Integer Layer) {
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  // DestMat's events may write cells but resize neither array; DestMat's own resize passes.
  const detail::TUseGuard use(this, DestMat);
  use.AllowResize(DestMat);
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1);
  for (Integer c = LowCol; c <= HighCol; ++c) {
    for (Integer r = LowRow; r <= HighRow; ++r) {
      DestMat->SetVal(c - LowCol + 1, r - LowRow + 1, GetVal(c, r, Layer));
    }
  }
}

void TMat3D::CopyMatrixToLayer(TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                               Integer SrcLowRow, Integer SrcHighRow, Integer Layer,
                               Integer LayLowCol, Integer LayLowRow) {
  if (SrcMat == nullptr) return;
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  // Only source cells whose targets lie inside the layer are visited (the others are skipped
  // unread), so the offsets are formed in 64 bits and the loops never run over the whole
  // 32-bit range for wild bounds.
  const Int64 offC = static_cast<Int64>(LayLowCol) - SrcLowCol;
  const Int64 offR = static_cast<Int64>(LayLowRow) - SrcLowRow;
  const Int64 c0 = std::max<Int64>(SrcLowCol, 1 - offC);
  const Int64 c1 = std::min<Int64>(SrcHighCol, FNumX - offC);
  const Int64 r0 = std::max<Int64>(SrcLowRow, 1 - offR);
  const Int64 r1 = std::min<Int64>(SrcHighRow, FNumY - offR);
  for (Int64 c = c0; c <= c1; ++c) {
    for (Int64 r = r0; r <= r1; ++r) {
      Mat[Index(static_cast<Integer>(c + offC), static_cast<Integer>(r + offR), Layer)] =
          SrcMat->GetVal(static_cast<Integer>(c), static_cast<Integer>(r));
    }
  }
}

std::string TMat3D::CRCofData() const {
  return detail::LaneChecksum<double>(std::span<const double>(Mat));
}

}  // namespace nuv
