// TIntMatrix: cell-wise arithmetic and products, wrapping around in 32 bits.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

#include "nuv/base/errors.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/detail/intmatrix_box.hpp"
#include "nuv/scalar/TIntVector.hpp"

namespace nuv {
namespace {

using detail::WrapAdd;

// Number of visible cells of a Cols by Rows matrix.
std::size_t VisibleCells(Integer Cols, Integer Rows) {
  if (Cols <= 0 || Rows <= 0) return 0;
  return static_cast<std::size_t>(Cols) * static_cast<std::size_t>(Rows);
}

// The three matrix products: 0 A·B, 1 A·Bᵀ, 2 Aᵀ·B.
enum class TProduct : std::uint8_t { Plain, BTransposed, ATransposed };

}  // namespace

// ---- products ----

namespace {

// Result of a product, computed apart from the operands so that the result matrix may be
// either of them. A: Rows by Cols cells with stride AR; B likewise with stride BR.
std::vector<Integer> IntProduct(TProduct Kind, const Integer* A, std::size_t AR, const Integer* B,
                                std::size_t BR, Integer ResCols, Integer ResRows, Integer Inner) {
  std::vector<Integer> res(VisibleCells(ResCols, ResRows), 0);
  if (res.empty() || Inner <= 0) return res;
  const auto rr = static_cast<std::size_t>(ResRows);
  for (std::size_t k = 0; k < static_cast<std::size_t>(ResCols); ++k) {
    for (std::size_t j = 0; j < rr; ++j) {
      auto s = std::uint32_t{0};
      for (std::size_t i = 0; i < static_cast<std::size_t>(Inner); ++i) {
        Integer a = 0;
        Integer b = 0;
        switch (Kind) {
          case TProduct::Plain:  // a[j, i]·b[i, k]
            a = A[i * AR + j], b = B[k * BR + i];
            break;
          case TProduct::BTransposed:  // a[j, i]·b[k, i]
            a = A[i * AR + j], b = B[i * BR + k];
            break;
          case TProduct::ATransposed:  // a[i, j]·b[i, k]
            a = A[j * AR + i], b = B[k * BR + i];
            break;
        }
        s += static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b);
      }
      res[k * rr + j] = static_cast<Integer>(s);
    }
  }
  return res;
}

// Writes a ResCols by ResRows result through Resize and SetVal (one event per cell when MatRes
// has an OnChange handler). Use guards the call's containers; MatRes's own resize passes.
void StoreResult(const detail::TUseGuard& Use, TIntMatrix& MatRes, const std::vector<Integer>& Res,
                 Integer ResCols, Integer ResRows) {
  Use.AllowResize(&MatRes);
  MatRes.Resize(ResCols, ResRows);
  for (Integer c = 1; c <= ResCols; ++c) {
    for (Integer r = 1; r <= ResRows; ++r) {
      MatRes.SetVal(c, r,
                    Res[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(ResRows) +
                        static_cast<std::size_t>(r - 1)]);
    }
  }
}

// SetIntVecSize, granted to pass only when it really resizes: an unspent pass would let a
// handler resize the vector later in the call.
void ResizeVec(const detail::TUseGuard& Use, TIntVector& Vec, Integer NE) {
  if (NE <= 0 || NE == Vec.NrOfElem()) return;
  Use.AllowResize(&Vec);
  Vec.SetIntVecSize(NE);
}

bool IsSparse(const TIntMatrix& M) noexcept {
  return detail::TIntMatrixAccess::IsSparse(M);
}

// Checks, computes and stores one product; A and B are the dense stores of Self and MatB.
bool ProductCommon(TIntMatrix& Self, const Integer* A, std::size_t AR, TIntMatrix* MatB,
                   const Integer* B, std::size_t BR, TIntMatrix* MatRes, TProduct Kind) {
  if (MatB == nullptr || MatRes == nullptr || IsSparse(Self) || IsSparse(*MatB) ||
      IsSparse(*MatRes)) {
    return false;
  }
  const Integer c = Self.NrOfColumns();
  const Integer r = Self.NrOfRows();
  const Integer bc = MatB->NrOfColumns();
  const Integer br = MatB->NrOfRows();
  Integer resCols = 0;
  Integer resRows = 0;
  Integer inner = 0;
  switch (Kind) {
    case TProduct::Plain:
      if (c != br) return false;
      resCols = bc, resRows = r, inner = c;
      break;
    case TProduct::BTransposed:
      if (c != bc) return false;
      resCols = br, resRows = r, inner = c;
      break;
    case TProduct::ATransposed:
      if (r != br) return false;
      resCols = bc, resRows = c, inner = r;
      break;
  }
  std::vector<Integer> res;
  try {
    res = IntProduct(Kind, A, AR, B, BR, resCols, resRows, inner);
  } catch (const std::bad_alloc&) {
    detail::RaiseComponent<ENUVMatrixError>(MatRes, "not enough memory on heap");
  } catch (const std::length_error&) {
    detail::RaiseComponent<ENUVMatrixError>(MatRes, "not enough memory on heap");
  }
  // The result's events may write cells but resize none of the three matrices.
  const detail::TUseGuard use(&Self, MatB, MatRes);
  StoreResult(use, *MatRes, res, resCols, resRows);
  Self.Changed();
  return true;
}

}  // namespace

// ---- cell-wise arithmetic ----

bool TIntMatrix::Add(TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse) return false;
  if (!MatB->FIsSparse) {
    if (MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
    // Both dense and of one size: with both sizes positive the strides agree.
    const std::size_t cells = VisibleCells(FNCol, FNRow);
    for (std::size_t x = 0; x < cells; ++x) Mat[x] = WrapAdd(Mat[x], MatB->Mat[x]);
  } else {
    if (FNCol < MatB->FSparseHighCol || FNRow < MatB->FSparseHighRow) return false;
    for (Integer k = 0; k < MatB->FSparseNumElem; ++k) {
      const TSpMatElemInt e = MatB->SpMat[static_cast<std::size_t>(k)];
      Integer& cell = Mat[Index(e.colidx, e.rowidx)];
      cell = WrapAdd(cell, e.value);
    }
  }
  Changed();
  return true;
}

bool TIntMatrix::Subtract(TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse || MatB->FIsSparse) return false;
  if (MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) Mat[x] = detail::WrapSub(Mat[x], MatB->Mat[x]);
  Changed();
  return true;
}

void TIntMatrix::SMult(Integer Scalar) {
  if (FIsSparse) return;
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) Mat[x] = detail::WrapMul(Mat[x], Scalar);
  Changed();
}

void TIntMatrix::SAdd(Integer Scalar) {
  if (FIsSparse) return;
  const std::size_t cells = VisibleCells(FNCol, FNRow);
  for (std::size_t x = 0; x < cells; ++x) Mat[x] = WrapAdd(Mat[x], Scalar);
  Changed();
}

bool TIntMatrix::Multiply(TIntMatrix* MatB, TIntMatrix* MatRes) {
  return ProductCommon(*this, Mat.data(), static_cast<std::size_t>(FAllocRows), MatB,
                       MatB == nullptr ? nullptr : MatB->Mat.data(),
                       MatB == nullptr ? 0 : static_cast<std::size_t>(MatB->FAllocRows), MatRes,
                       TProduct::Plain);
}

bool TIntMatrix::MultiplyTransposed(TIntMatrix* MatB, TIntMatrix* MatRes) {
  return ProductCommon(*this, Mat.data(), static_cast<std::size_t>(FAllocRows), MatB,
                       MatB == nullptr ? nullptr : MatB->Mat.data(),
                       MatB == nullptr ? 0 : static_cast<std::size_t>(MatB->FAllocRows), MatRes,
                       TProduct::BTransposed);
}

bool TIntMatrix::TransposeAndMultiply(TIntMatrix* MatB, TIntMatrix* MatRes) {
  return ProductCommon(*this, Mat.data(), static_cast<std::size_t>(FAllocRows), MatB,
                       MatB == nullptr ? nullptr : MatB->Mat.data(),
                       MatB == nullptr ? 0 : static_cast<std::size_t>(MatB->FAllocRows), MatRes,
                       TProduct::ATransposed);
}

bool TIntMatrix::EMult(TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FIsSparse || MatB->FIsSparse || MatRes->FIsSparse) {
    return false;
  }
  if (MatB->FNCol != FNCol || MatB->FNRow != FNRow) return false;
  std::vector<Integer> res;
  try {
    res.resize(VisibleCells(FNCol, FNRow));
  } catch (const std::bad_alloc&) {
    MatRes->Raise("not enough memory on heap");
  }
  for (std::size_t x = 0; x < res.size(); ++x) res[x] = detail::WrapMul(Mat[x], MatB->Mat[x]);
  const detail::TUseGuard use(this, MatB, MatRes);
  StoreResult(use, *MatRes, res, FNCol, FNRow);
  Changed();
  return true;
}

bool TIntMatrix::Multiply(TIntVector* VecB, TIntVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FIsSparse || FNCol != VecB->NrOfElem()) return false;
  const auto c = static_cast<std::size_t>(FNCol);
  const auto r = static_cast<std::size_t>(std::max<Integer>(FNRow, 0));
  // Read first: VecRes may be VecB.
  std::vector<std::uint32_t> b(c);
  for (std::size_t i = 0; i < c; ++i) {
    b[i] = static_cast<std::uint32_t>(VecB->GetVal(static_cast<Integer>(i + 1)));
  }
  std::vector<std::uint32_t> res(r, 0);
  for (std::size_t i = 0; i < c && r > 0; ++i) {
    const Integer* col = Mat.data() + i * static_cast<std::size_t>(FAllocRows);
    for (std::size_t j = 0; j < r; ++j) res[j] += static_cast<std::uint32_t>(col[j]) * b[i];
  }
  // VecRes's events may write elements but resize neither container; its own resize passes.
  const detail::TUseGuard use(this, VecB, VecRes);
  ResizeVec(use, *VecRes, FNRow);
  for (std::size_t j = 0; j < r; ++j) {
    VecRes->SetVal(static_cast<Integer>(j + 1), static_cast<Integer>(res[j]));
  }
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(TIntVector* VecB, TIntVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FIsSparse || FNRow != VecB->NrOfElem()) return false;
  const auto c = static_cast<std::size_t>(std::max<Integer>(FNCol, 0));
  const auto r = static_cast<std::size_t>(FNRow);
  std::vector<std::uint32_t> b(r);
  for (std::size_t j = 0; j < r; ++j) {
    b[j] = static_cast<std::uint32_t>(VecB->GetVal(static_cast<Integer>(j + 1)));
  }
  std::vector<std::uint32_t> res(c, 0);
  for (std::size_t i = 0; i < c; ++i) {
    const Integer* col = Mat.data() + i * static_cast<std::size_t>(FAllocRows);
    auto s = std::uint32_t{0};
    for (std::size_t j = 0; j < r; ++j) s += static_cast<std::uint32_t>(col[j]) * b[j];
    res[i] = s;
  }
  const detail::TUseGuard use(this, VecB, VecRes);
  ResizeVec(use, *VecRes, FNCol);
  for (std::size_t i = 0; i < c; ++i) {
    VecRes->SetVal(static_cast<Integer>(i + 1), static_cast<Integer>(res[i]));
  }
  Changed();
  return true;
}

}  // namespace nuv
