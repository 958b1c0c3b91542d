// TMat4D copies to and from other four-dimensional arrays, TMat3D, TMatrix and dynamic arrays,
// and the unit's copies between a TMatrix and dynamic arrays.
#include <algorithm>
#include <limits>
#include <vector>

#include "nuv/base/errors.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"

namespace nuv {
namespace {

// Element [i][j][k] of a nested array, 0 where the array does not reach.
double At(const TDouble3DArray& a, Int64 i, Int64 j, Int64 k) {
  if (i < 0 || static_cast<std::size_t>(i) >= a.size()) return 0.0;
  const TDouble2DArray& b = a[static_cast<std::size_t>(i)];
  if (j < 0 || static_cast<std::size_t>(j) >= b.size()) return 0.0;
  const TDoubleArray& c = b[static_cast<std::size_t>(j)];
  if (k < 0 || static_cast<std::size_t>(k) >= c.size()) return 0.0;
  return c[static_cast<std::size_t>(k)];
}

// Number of indices Low..High (0 for a reversed pair); a side that no container can hold
// raises the unit's error instead of wrapping around.
Integer Extent(const char* FuncName, Integer Low, Integer High) {
  const Int64 n = static_cast<Int64>(High) - Low + 1;
  if (n <= 0) return 0;
  if (n > std::numeric_limits<Integer>::max()) {
    detail::RaiseFunction<ENUVMatrixError>(FuncName, "not enough memory on heap");
  }
  return static_cast<Integer>(n);
}

}  // namespace

void TMat4D::CopyFrom(TMat4D* MatSource, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                      Integer SrcHighRow, Integer SrcLowLayer, Integer SrcHighLayer,
                      Integer SrcLowTSlot, Integer SrcHighTSlot, Integer DestCol, Integer DestRow,
                      Integer DestLayer, Integer DestTSlot) {
  if (MatSource == nullptr) return;
  // MathFeedBackProc runs between the cells; the snapshot and the bounds stay valid.
  const detail::TUseGuard use(this, MatSource);
  MatSource->MakeValidColRange(SrcLowCol, SrcHighCol);
  MatSource->MakeValidRowRange(SrcLowRow, SrcHighRow);
  MatSource->MakeValidLayerRange(SrcLowLayer, SrcHighLayer);
  MatSource->MakeValidTSlotRange(SrcLowTSlot, SrcHighTSlot);
  const Int64 offC = static_cast<Int64>(DestCol) - SrcLowCol;
  const Int64 offR = static_cast<Int64>(DestRow) - SrcLowRow;
  const Int64 offZ = static_cast<Int64>(DestLayer) - SrcLowLayer;
  const Int64 offT = static_cast<Int64>(DestTSlot) - SrcLowTSlot;
  auto inside = [this](Int64 c, Int64 r, Int64 z, Int64 t) {
    return c >= 1 && c <= FNumX && r >= 1 && r <= FNumY && z >= 1 && z <= FNumZ && t >= 1 &&
           t <= FNumT;
  };
  // Copying within this array: the source cells are read before any is written, so an
  // overlapping target cannot feed already moved values back into the copy.
  std::vector<double> snapshot;
  if (MatSource == this) {
    for (Integer c = SrcLowCol; c <= SrcHighCol; ++c)
      for (Integer r = SrcLowRow; r <= SrcHighRow; ++r)
        for (Integer z = SrcLowLayer; z <= SrcHighLayer; ++z)
          for (Integer t = SrcLowTSlot; t <= SrcHighTSlot; ++t)
            if (inside(c + offC, r + offR, z + offZ, t + offT))
              snapshot.push_back(GetVal(c, r, z, t));
  }
  std::size_t next = 0;
  const Int64 step =
      static_cast<Int64>(SrcHighCol - SrcLowCol + 1) * (SrcHighRow - SrcLowRow + 1) / 100;
  Int64 pairs = 0;
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c) {
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      ++pairs;
      if (pairs % (step + 1) == 0) StepProcStat();
      for (Integer z = SrcLowLayer; z <= SrcHighLayer; ++z) {
        for (Integer t = SrcLowTSlot; t <= SrcHighTSlot; ++t) {
          if (!inside(c + offC, r + offR, z + offZ, t + offT)) continue;
          const double v = MatSource == this ? snapshot[next++] : MatSource->GetVal(c, r, z, t);
          SetVal(static_cast<Integer>(c + offC), static_cast<Integer>(r + offR),
                 static_cast<Integer>(z + offZ), static_cast<Integer>(t + offT), v);
        }
      }
    }
  }
  Changed();
}

void TMat4D::CopyTimeSlotToArray(TDouble3DArray& DestMat, Integer LowCol, Integer HighCol,
                                 Integer LowRow, Integer HighRow, Integer LowLay, Integer HighLay,
                                 Integer TimeSlot) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  const auto nr = static_cast<std::size_t>(HighRow - LowRow + 1);
  const auto nl = static_cast<std::size_t>(HighLay - LowLay + 1);
  TDouble3DArray box(static_cast<std::size_t>(HighCol - LowCol + 1),
                     TDouble2DArray(nr, TDoubleArray(nl)));
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r)
      for (Integer z = LowLay; z <= HighLay; ++z)
        box[static_cast<std::size_t>(c - LowCol)][static_cast<std::size_t>(r - LowRow)]
           [static_cast<std::size_t>(z - LowLay)] = FData[Index(c, r, z, TimeSlot)];
  DestMat.swap(box);
}

void TMat4D::CopyTimeSlotToMat3D(TMat3D* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                                 Integer HighRow, Integer LowLay, Integer HighLay,
                                 Integer TimeSlot) {
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  // Held before the resize, whose OnChange could otherwise shrink this array.
  const detail::TUseGuard use(this, DestMat);
  const Integer nc = HighCol - LowCol + 1;
  const Integer nr = HighRow - LowRow + 1;
  const Integer nl = HighLay - LowLay + 1;
  if (DestMat->NrOfColumns() != nc || DestMat->NrOfRows() != nr || DestMat->NrOfLayers() != nl) {
    use.AllowResize(DestMat);
    if (!DestMat->Resize(nc, nr, nl)) return;
  }
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r)
      for (Integer z = LowLay; z <= HighLay; ++z)
        DestMat->SetVal(c - LowCol + 1, r - LowRow + 1, z - LowLay + 1,
                        FData[Index(c, r, z, TimeSlot)]);
}

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                               Integer HighRow, Integer Layer, Integer TimeSlot) {
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  // Held before the resize: DestMat's OnChange fires on it and on every cell written.
  const detail::TUseGuard use(this, DestMat);
  const Integer nc = HighCol - LowCol + 1;
  const Integer nr = HighRow - LowRow + 1;
  if (DestMat->NrOfColumns() != nc || DestMat->NrOfRows() != nr) {
    use.AllowResize(DestMat);
    if (!DestMat->Resize(nc, nr)) return;
  }
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r)
      DestMat->SetVal(c - LowCol + 1, r - LowRow + 1, FData[Index(c, r, Layer, TimeSlot)]);
}

void TMat4D::CopyLayerToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol,
                              Integer LowRow, Integer HighRow, Integer Layer, Integer TimeSlot) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  TDouble2DArray box(static_cast<std::size_t>(HighCol - LowCol + 1),
                     TDoubleArray(static_cast<std::size_t>(HighRow - LowRow + 1)));
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r)
      box[static_cast<std::size_t>(c - LowCol)][static_cast<std::size_t>(r - LowRow)] =
          FData[Index(c, r, Layer, TimeSlot)];
  DestArray.swap(box);
}

void TMat4D::CopyArrayToLayer(const TDouble2DArray& SrcArray, Integer Col, Integer Row,
                              Integer Layer, Integer TimeSlot) {
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  if (SrcArray.empty()) return;
  const std::size_t width = SrcArray[0].size();
  for (std::size_t i = 0; i < SrcArray.size(); ++i) {
    const Int64 c = static_cast<Int64>(Col) + static_cast<Int64>(i);
    if (c < 1 || c > FNumX) continue;
    // A shorter inner array supplies only the values it holds.
    const std::size_t n = std::min(width, SrcArray[i].size());
    for (std::size_t j = 0; j < n; ++j) {
      const Int64 r = static_cast<Int64>(Row) + static_cast<Int64>(j);
      if (r < 1 || r > FNumY) continue;
      FData[Index(static_cast<Integer>(c), static_cast<Integer>(r), Layer, TimeSlot)] =
          SrcArray[i][j];
    }
  }
}

void TMat4D::Copy1DArrayToPixel(const TDoubleArray& Src, Integer Col, Integer Row,
                                Integer FirstLayer, Integer TimeSlot) {
  if (Col < 1 || Col > FNumX) Raise("specified column beyond data range");
  if (Row < 1 || Row > FNumY) Raise("specified row beyond data range");
  if (FirstLayer < 1 || FirstLayer > FNumZ) Raise("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  const std::size_t n = std::min(Src.size(), static_cast<std::size_t>(FNumZ - FirstLayer + 1));
  for (std::size_t i = 0; i < n; ++i) {
    FData[Index(Col, Row, FirstLayer + static_cast<Integer>(i), TimeSlot)] = Src[i];
  }
}

void TMat4D::CopyMatrixToLayer(TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                               Integer SrcLowRow, Integer SrcHighRow, Integer Layer,
                               Integer TimeSlot, Integer LayLowCol, Integer LayLowRow) {
  if (SrcMat == nullptr) return;
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  // The box is bounded by this array's extent, not by the matrix's.
  MakeValidColRange(SrcLowCol, SrcHighCol);
  MakeValidRowRange(SrcLowRow, SrcHighRow);
  const Int64 offC = static_cast<Int64>(LayLowCol) - SrcLowCol;
  const Int64 offR = static_cast<Int64>(LayLowRow) - SrcLowRow;
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c) {
    const Int64 tc = c + offC;
    if (tc < 1 || tc > FNumX) continue;
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      const Int64 tr = r + offR;
      if (tr < 1 || tr > FNumY) continue;
      FData[Index(static_cast<Integer>(tc), static_cast<Integer>(tr), Layer, TimeSlot)] =
          SrcMat->GetVal(c, r);
    }
  }
}

void TMat4D::CopyMat3DToTimeSlot(TMat3D* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                                 Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLay,
                                 Integer SrcHighLay, Integer TimeSlot, Integer DestCol,
                                 Integer DestRow, Integer DestLayer) {
  if (SrcMat == nullptr) return;
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  SrcMat->MakeValidColRange(SrcLowCol, SrcHighCol);
  SrcMat->MakeValidRowRange(SrcLowRow, SrcHighRow);
  SrcMat->MakeValidLayerRange(SrcLowLay, SrcHighLay);
  const Int64 offC = static_cast<Int64>(DestCol) - SrcLowCol;
  const Int64 offR = static_cast<Int64>(DestRow) - SrcLowRow;
  const Int64 offZ = static_cast<Int64>(DestLayer) - SrcLowLay;
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c) {
    const Int64 tc = c + offC;
    if (tc < 1 || tc > FNumX) continue;
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      const Int64 tr = r + offR;
      if (tr < 1 || tr > FNumY) continue;
      for (Integer z = SrcLowLay; z <= SrcHighLay; ++z) {
        const Int64 tz = z + offZ;
        if (tz < 1 || tz > FNumZ) continue;
        FData[Index(static_cast<Integer>(tc), static_cast<Integer>(tr), static_cast<Integer>(tz),
                    TimeSlot)] = SrcMat->GetVal(c, r, z);
      }
    }
  }
}

void TMat4D::CopyArrayToTimeSlot(const TDouble3DArray& SrcMat, Integer SrcLowCol,
                                 Integer SrcHighCol, Integer SrcLowRow, Integer SrcHighRow,
                                 Integer SrcLowLay, Integer SrcHighLay, Integer TimeSlot,
                                 Integer DestCol, Integer DestRow, Integer DestLayer) {
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
  // Bounded by this array's extent; positions the nested array does not hold read 0.
  MakeValidColRange(SrcLowCol, SrcHighCol);
  MakeValidRowRange(SrcLowRow, SrcHighRow);
  MakeValidLayerRange(SrcLowLay, SrcHighLay);
  const Int64 offC = static_cast<Int64>(DestCol) - SrcLowCol;
  const Int64 offR = static_cast<Int64>(DestRow) - SrcLowRow;
  const Int64 offZ = static_cast<Int64>(DestLayer) - SrcLowLay;
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c) {
    const Int64 tc = c + offC;
    if (tc < 1 || tc > FNumX) continue;
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      const Int64 tr = r + offR;
      if (tr < 1 || tr > FNumY) continue;
      for (Integer z = SrcLowLay; z <= SrcHighLay; ++z) {
        const Int64 tz = z + offZ;
        if (tz < 1 || tz > FNumZ) continue;
        FData[Index(static_cast<Integer>(tc), static_cast<Integer>(tr), static_cast<Integer>(tz),
                    TimeSlot)] = At(SrcMat, c - 1, r - 1, z - 1);
      }
    }
  }
}

inline namespace NUV_matrix {

void CopyArr3DLayerToMatrix(const TDouble3DArray& Array, TMatrix* Matrix, Integer Low1,
                            Integer High1, Integer Low2, Integer High2, Integer Third) {
  if (Matrix == nullptr) return;
  const Integer n1 = Extent("CopyArr3DLayerToMatrix", Low1, High1);
  const Integer n2 = Extent("CopyArr3DLayerToMatrix", Low2, High2);
  // The matrix's OnChange fires on the resize and on every cell written.
  const detail::TUseGuard use(Matrix);
  if (Matrix->NrOfColumns() != n1 || Matrix->NrOfRows() != n2) {
    use.AllowResize(Matrix);
    if (!Matrix->Resize(n1, n2)) return;
  }
  for (Integer i = 0; i < n1; ++i)
    for (Integer j = 0; j < n2; ++j)
      Matrix->SetVal(i + 1, j + 1,
                     At(Array, static_cast<Int64>(Low1) + i, static_cast<Int64>(Low2) + j, Third));
}

void CopyMatrixToArray(TMatrix* Matrix, TDouble2DArray& Array, Integer LowCol, Integer HighCol,
                       Integer LowRow, Integer HighRow) {
  const Integer nc = Extent("CopyMatrixToArray", LowCol, HighCol);
  const Integer nr = Extent("CopyMatrixToArray", LowRow, HighRow);
  TDouble2DArray box(static_cast<std::size_t>(nc), TDoubleArray(static_cast<std::size_t>(nr)));
  if (Matrix != nullptr) {
    // Only the part of the box inside the matrix can be non-zero.
    const Integer c0 = std::max<Integer>(LowCol, 1);
    const Integer c1 = std::min<Integer>(HighCol, Matrix->NrOfColumns());
    const Integer r0 = std::max<Integer>(LowRow, 1);
    const Integer r1 = std::min<Integer>(HighRow, Matrix->NrOfRows());
    for (Integer c = c0; c <= c1; ++c)
      for (Integer r = r0; r <= r1; ++r)
        box[static_cast<std::size_t>(static_cast<Int64>(c) - LowCol)]
           [static_cast<std::size_t>(static_cast<Int64>(r) - LowRow)] = Matrix->GetVal(c, r);
  }
  Array.swap(box);
}

void CopyArr3DLayerToArr2D(const TDouble3DArray& Array3, TDouble2DArray& Array2, Integer Low1,
                           Integer High1, Integer Low2, Integer High2, Integer Third) {
  const Integer n1 = Extent("CopyArr3DLayerToArr2D", Low1, High1);
  const Integer n2 = Extent("CopyArr3DLayerToArr2D", Low2, High2);
  TDouble2DArray box(static_cast<std::size_t>(n1), TDoubleArray(static_cast<std::size_t>(n2)));
  for (Integer i = 0; i < n1; ++i)
    for (Integer j = 0; j < n2; ++j)
      box[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] =
          At(Array3, static_cast<Int64>(Low1) + i, static_cast<Int64>(Low2) + j, Third);
  Array2.swap(box);
}

}  // namespace NUV_matrix
}  // namespace nuv
