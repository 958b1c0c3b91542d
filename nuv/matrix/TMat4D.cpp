#include "nuv/matrix/TMat4D.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "nuv/base/crc.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"
#include "nuv/scalar/detail/vector_core.hpp"
#include "nuv/scalar/math1_random.hpp"

namespace nuv {
TMat4D::TMat4D(TComponent* AOwner) : TMatrixContainer(AOwner) {
  FData = ZeroStore<double>({1});
}

std::size_t TMat4D::VolumeCells() const noexcept {
  return static_cast<std::size_t>(FNumX) * static_cast<std::size_t>(FNumY) *
         static_cast<std::size_t>(FNumZ);
}

std::size_t TMat4D::TotalCells() const noexcept {
  return VolumeCells() * static_cast<std::size_t>(FNumT);
}

bool TMat4D::Resize(Integer Nc, Integer Nr, Integer Nl, Integer Nt) {
  const bool may = MayResize();  // spent even by a resize that changes nothing
  if (Nc < 1 || Nr < 1 || Nl < 1 || Nt < 1) return true;
  if (Nc == FNumX && Nr == FNumY && Nl == FNumZ && Nt == FNumT) return true;
  if (!may) return false;
  std::vector<double> store = ZeroStore<double>({Nc, Nr, Nl, Nt});
  // Rows are contiguous in both stores: copy the overlapping part of each row at once.
  const auto keepX = static_cast<std::size_t>(std::min(Nc, FNumX));
  const Integer keepY = std::min(Nr, FNumY);
  const Integer keepZ = std::min(Nl, FNumZ);
  const Integer keepT = std::min(Nt, FNumT);
  for (Integer t = 0; t < keepT; ++t) {
    for (Integer z = 0; z < keepZ; ++z) {
      for (Integer y = 0; y < keepY; ++y) {
        const std::size_t to = ((static_cast<std::size_t>(t) * static_cast<std::size_t>(Nl) +
                                 static_cast<std::size_t>(z)) *
                                    static_cast<std::size_t>(Nr) +
                                static_cast<std::size_t>(y)) *
                               static_cast<std::size_t>(Nc);
        std::memcpy(store.data() + to, FData.data() + Index(1, y + 1, z + 1, t + 1),
                    keepX * sizeof(double));
      }
    }
  }
  FData.swap(store);
  FNumX = Nc;
  FNumY = Nr;
  FNumZ = Nl;
  FNumT = Nt;
  Changed();
  return true;
}

bool TMat4D::ResizeAndClear(Integer Nc, Integer Nr, Integer Nl, Integer Nt) {
  if (!Resize(Nc, Nr, Nl, Nt)) return false;
  Fill(0.0);
  return true;
}

void TMat4D::SetNCols(Integer Nc) {
  Resize(std::max<Integer>(1, Nc), FNumY, FNumZ, FNumT);
}

void TMat4D::SetNRows(Integer Nr) {
  Resize(FNumX, std::max<Integer>(1, Nr), FNumZ, FNumT);
}

void TMat4D::SetNLayers(Integer Nl) {
  Resize(FNumX, FNumY, std::max<Integer>(1, Nl), FNumT);
}

void TMat4D::SetNTSlots(Integer Nt) {
  Resize(FNumX, FNumY, FNumZ, std::max<Integer>(1, Nt));
}

void TMat4D::MakeValidColRange(Integer& LowCol, Integer& HighCol) const noexcept {
  detail::MakeValidRange(LowCol, HighCol, FNumX);
}

void TMat4D::MakeValidRowRange(Integer& LowRow, Integer& HighRow) const noexcept {
  detail::MakeValidRange(LowRow, HighRow, FNumY);
}

void TMat4D::MakeValidLayerRange(Integer& LowLayer, Integer& HighLayer) const noexcept {
  detail::MakeValidRange(LowLayer, HighLayer, FNumZ);
}

void TMat4D::MakeValidTSlotRange(Integer& LowTSlot, Integer& HighTSlot) const noexcept {
  detail::MakeValidRange(LowTSlot, HighTSlot, FNumT);
}

void TMat4D::Changed() {
  if (FOnChange) FOnChange(this);
}

void TMat4D::PercDone(TObject* /*Sender*/, Integer Percent) {
  if (FOnPercentDone) FOnPercentDone(this, Percent);
}

void TMat4D::ReadElement(TObject* /*Sender*/, Integer ix, Integer iy, Integer il, Integer it,
                         double Value) {
  if (FOnReadElement) FOnReadElement(this, ix, iy, il, it, Value);
}

Integer TMat4D::Lin3DAddr(Integer ix, Integer iy, Integer il) const noexcept {
  if (static_cast<double>(FNumX) * FNumY * FNumZ > 2147483647.0) return -2;
  if (ix < 1 || ix > FNumX || iy < 1 || iy > FNumY || il < 1 || il > FNumZ) return -1;
  return ((iy - 1) * FNumX + (ix - 1)) * FNumZ + (il - 1);
}

bool TMat4D::ConvertLinTo3DAddr(Integer LinAddr, Integer& ix, Integer& iy,
                                Integer& il) const noexcept {
  // The volume in 64 bits: a 32-bit product of large sizes would overflow.
  if (LinAddr < 0 || static_cast<std::uint64_t>(LinAddr) >= VolumeCells()) return false;
  il = LinAddr % FNumZ + 1;
  ix = (LinAddr / FNumZ) % FNumX + 1;
  iy = LinAddr / FNumZ / FNumX + 1;
  return true;
}

double TMat4D::MemoryConsumed() const noexcept {
  return static_cast<double>(FNumX) / 1048576.0 * FNumY * FNumZ * FNumT * 8.0;
}

void TMat4D::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TMat4D*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  // Replacing the store is a resize: refused while a call uses this array.
  if (!MayResize()) return;
  std::vector<double> store(src->FData);  // std::bad_alloc propagates, nothing changed
  std::string id = src->FDataID;
  TNotifyEvent onChange = src->FOnChange;
  TOnPercentDoneEvent onPercent = src->FOnPercentDone;
  TOnReadMat4DElementEvent onRead = src->FOnReadElement;
  FData.swap(store);
  FNumX = src->FNumX;
  FNumY = src->FNumY;
  FNumZ = src->FNumZ;
  FNumT = src->FNumT;
  FDataID.swap(id);
  FOnChange = std::move(onChange);
  FOnPercentDone = std::move(onPercent);
  FOnReadElement = std::move(onRead);
}

void TMat4D::AssignTo(TPersistent* Dest) {
  if (auto* dst = dynamic_cast<TMat4D*>(Dest)) {
    dst->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TMat4D::Clone(TMat4D* MatSource) {
  if (MatSource == nullptr) return;
  // Held before the resize, whose OnChange could otherwise shrink the source.
  const detail::TUseGuard use(this, MatSource);
  if (FNumX != MatSource->FNumX || FNumY != MatSource->FNumY || FNumZ != MatSource->FNumZ ||
      FNumT != MatSource->FNumT) {
    use.AllowResize(this);
    // Refused when a running call uses this array: then nothing is copied.
    if (!Resize(MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ, MatSource->FNumT)) return;
  }
  // ProcStat steps once per hundredth of the column-row pairs, counted before each pair.
  const std::int64_t step =
      static_cast<std::int64_t>(FNumX) * static_cast<std::int64_t>(FNumY) / 100;
  std::int64_t pairs = 0;
  for (Integer x = 1; x <= FNumX; ++x) {
    for (Integer y = 1; y <= FNumY; ++y) {
      ++pairs;
      if (pairs % (step + 1) == 0) StepProcStat();
      for (Integer z = 1; z <= FNumZ; ++z) {
        for (Integer t = 1; t <= FNumT; ++t) {
          FData[Index(x, y, z, t)] = MatSource->FData[Index(x, y, z, t)];
        }
      }
    }
  }
  Changed();
}

void TMat4D::Fill(double value) {
  // A value equal to 0 (either sign) clears the store, which leaves +0 in every cell.
  std::fill(FData.begin(), FData.end(), value == 0.0 ? 0.0 : value);
  Changed();
}

void TMat4D::FillDiag(double value) {
  const Integer n = std::min({FNumX, FNumY, FNumZ, FNumT});
  for (Integer i = 1; i <= n; ++i) FData[Index(i, i, i, i)] = value;
  Changed();
}

void TMat4D::FillLayer(Integer Layer, double value) {
  if (Layer < 1 || Layer > FNumZ) return;
  const auto plane = static_cast<std::size_t>(FNumX) * static_cast<std::size_t>(FNumY);
  for (Integer t = 1; t <= FNumT; ++t) {
    std::fill_n(FData.begin() + static_cast<std::ptrdiff_t>(Index(1, 1, Layer, t)), plane, value);
  }
}

void TMat4D::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (Integer x = 1; x <= FNumX; ++x) {
    for (Integer y = 1; y <= FNumY; ++y) {
      for (Integer z = 1; z <= FNumZ; ++z) {
        for (Integer t = 1; t <= FNumT; ++t) {
          FData[Index(x, y, z, t)] = RangeLow + (RangeHigh - RangeLow) * Random();
        }
      }
    }
  }
  Changed();
}

void TMat4D::FillRandomGauss(double Mean, double StdDev) {
  for (Integer x = 1; x <= FNumX; ++x) {
    for (Integer y = 1; y <= FNumY; ++y) {
      for (Integer z = 1; z <= FNumZ; ++z) {
        for (Integer t = 1; t <= FNumT; ++t) FData[Index(x, y, z, t)] = Mean + StdDev * GRandom();
      }
    }
  }
  Changed();
}

std::string TMat4D::CRCofData() {
  return CRCofData(1);
}

std::string TMat4D::CRCofData(Integer Sample) {
  const detail::TUseGuard use(this);
  Integer stride = Sample;
  if (FNumZ / 2 < stride) stride = FNumZ / 2;
  if (stride < 1) stride = 1;
  std::array<Cardinal, 8> lanes;
  lanes.fill(0xFFFFFFFFu);
  const std::int64_t pairsTotal = static_cast<std::int64_t>(FNumX) * FNumY;
  const std::int64_t step = std::max<std::int64_t>(1, pairsTotal / 100);
  std::int64_t pairs = 0;
  for (Integer x = 1; x <= FNumX; ++x) {
    for (Integer y = 1; y <= FNumY; ++y) {
      ++pairs;
      if (pairs % step == 0) {
        PercDone(this, static_cast<Integer>(Round(static_cast<double>(pairs) * 100.0 /
                                                  static_cast<double>(pairsTotal))));
      }
      for (Integer z = stride; z <= FNumZ; z += stride) {
        for (Integer t = 1; t <= FNumT; ++t) {
          unsigned char bytes[8];
          std::memcpy(bytes, &FData[Index(x, y, z, t)], 8);  // little-endian memory order
          for (std::size_t k = 0; k < 8; ++k) lanes[k] = detail::Crc32Step(bytes[k], lanes[k]);
        }
      }
    }
  }
  std::string text;
  text.reserve(64);
  for (Cardinal lane : lanes) text += detail::Hex8(~lane);
  return text;
}

}  // namespace nuv
