// Handlers that try to resize (or switch the store of) the containers a running TIntMatrix or
// TMat3D call uses: every try is refused and the call gives what it gives without them.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/support/resize_probe.hpp"

namespace nuv {
namespace {

using test::ResizeProbe;
using Access = detail::TIntMatrixAccess;

// Runs the probe from a handler, never from inside itself (a try that got through would fire
// the handler again).
void Fire(ResizeProbe* P) {
  static thread_local bool inside = false;
  if (P == nullptr || inside) return;
  inside = true;
  (*P)();
  inside = false;
}

// An OnChange handler that counts its events and runs the probe.
TNotifyEvent Counting(ResizeProbe* P, int& Events) {
  return [P, &Events](TObject*) {
    ++Events;
    Fire(P);
  };
}

std::string Num(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%a ", x);
  return buf;
}

std::string Fp(const TIntMatrix& m) {
  std::string s = std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) +
                  (Access::IsSparse(m) ? " sparse " : " dense ") + m.CRCofData();
  for (Integer k = 0; k < Access::SparseNumElem(m); ++k) {
    const TSpMatElemInt& e = Access::Entries(m)[static_cast<std::size_t>(k)];
    s += " " + std::to_string(e.colidx) + "," + std::to_string(e.rowidx) + "=" +
         std::to_string(e.value);
  }
  return s + "; ";
}
template <class V>
std::string FpVec(const V& v) {
  return std::to_string(v.NrOfElem()) + " " + v.CRCofData() + "; ";
}
std::string Fp(const TMatrix& m) {
  return std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + " " +
         m.CRCofData() + "; ";
}
std::string Fp(const TMat3D& a) {
  return std::to_string(a.NrOfColumns()) + "x" + std::to_string(a.NrOfRows()) + "x" +
         std::to_string(a.NrOfLayers()) + " " + a.CRCofData() + "; ";
}

void Load(TIntMatrix& m, Integer Cols, Integer Rows, Integer Seed) {
  m.Resize(Cols, Rows);
  for (Integer c = 1; c <= Cols; ++c) {
    for (Integer r = 1; r <= Rows; ++r) m.SetVal(c, r, (c * 37 + r * 11 + Seed) % 23 - 9);
  }
}
void Load(TMat3D& a, Integer Cols, Integer Rows, Integer Layers) {
  a.Resize(Cols, Rows, Layers);
  for (Integer c = 1; c <= Cols; ++c) {
    for (Integer r = 1; r <= Rows; ++r) {
      for (Integer l = 1; l <= Layers; ++l) a.SetVal(c, r, l, (c * 7 + r * 3 + l * 13) % 29 - 0.5);
    }
  }
}

// The tries a probe makes: each returns true when it was refused and nothing changed.
void TryShrink(ResizeProbe* P, TIntMatrix& m) {
  P->Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows(), n = Access::SparseNumElem(m);
    const bool ok = !m.Resize(1, 1);
    return ok && m.NrOfColumns() == c && m.NrOfRows() == r && Access::SparseNumElem(m) == n;
  });
}
void TryGrow(ResizeProbe* P, TIntMatrix& m) {
  P->Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.ResizeAndClear(c + 5, r + 3) && m.NrOfColumns() == c && m.NrOfRows() == r;
  });
}
void TrySwitchStore(ResizeProbe* P, TIntMatrix& m) {
  P->Add([&m] {
    const bool sparse = Access::IsSparse(m);
    sparse ? m.SparseToArray() : m.ArrayToSparse(4);
    return Access::IsSparse(m) == sparse;
  });
}
void TryTranspose(ResizeProbe* P, TIntMatrix& m) {
  P->Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Transpose() && m.NrOfColumns() == c && m.NrOfRows() == r;
  });
}
template <class V>
void TryVec(ResizeProbe* P, V& v) {
  P->Add([&v] {
    const Integer n = v.NrOfElem();
    return !v.Resize(n + 7) && v.NrOfElem() == n;
  });
}
void TryMat(ResizeProbe* P, TMatrix& m) {
  P->Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(c + 4, 1) && m.NrOfColumns() == c && m.NrOfRows() == r;
  });
}
void Try3D(ResizeProbe* P, TMat3D& a) {
  P->Add([&a] {
    const Integer c = a.NrOfColumns(), r = a.NrOfRows(), l = a.NrOfLayers();
    return !a.Resize(1, 1, 1) && a.NrOfColumns() == c && a.NrOfRows() == r && a.NrOfLayers() == l;
  });
}

ResizeProbe* gFeedBackProbe = nullptr;
int gReports = 0;
void ProbeFeedBack(double /*ProcStat*/) {
  ++gReports;
  // From the second report on, as a progress display that rebuilds its data would.
  if (gReports >= 2) Fire(gFeedBackProbe);
}

// A vector-writing statistic: the vector's events try to shrink or re-store the source.
template <class Call>
std::string VectorOut(ResizeProbe* P, Call&& call) {
  TIntMatrix m(nullptr);
  Load(m, 6, 4, 1);
  TVector out(nullptr);
  int events = 0;
  out.SetOnChange(Counting(P, events));
  if (P != nullptr) {
    TryShrink(P, m);
    TrySwitchStore(P, m);
    TryVec(P, out);
  }
  call(m, out);
  return Fp(m) + FpVec(out) + std::to_string(events);
}

std::string SortCase(ResizeProbe* P, bool Rows) {
  TIntMatrix m(nullptr);
  Load(m, 5, 7, 3);
  int exchanges = 0;
  m.SetOnSortExchange([&](TObject*, Byte, Integer, Integer, Integer, Integer) {
    ++exchanges;
    Fire(P);
  });
  if (P != nullptr) {
    TryShrink(P, m);
    TryTranspose(P, m);
    TrySwitchStore(P, m);
  }
  if (Rows) {
    m.SortRows(2, true, 1, 1, 4, 7);
  } else {
    m.SortCols(3, false, 0, 2, 0, 6);
  }
  return Fp(m) + std::to_string(exchanges);
}

// Products and cell-wise products: the result's events try to resize every operand.
template <class Call>
std::string ProductCase(ResizeProbe* P, Integer BCols, Integer BRows, Call&& call) {
  TIntMatrix a(nullptr), b(nullptr), res(nullptr);
  Load(a, 3, 4, 2);
  Load(b, BCols, BRows, 5);
  int events = 0;
  res.SetOnChange(Counting(P, events));
  if (P != nullptr) {
    TryShrink(P, a);
    TryShrink(P, b);
    TryGrow(P, res);
    TrySwitchStore(P, res);
  }
  const bool ok = call(a, b, res);
  return Fp(a) + Fp(b) + Fp(res) + std::to_string(ok) + std::to_string(events);
}

TEST(IntMatrixMat3DHandlers, ResizesOfUsedContainersAreRefused) {
  const std::vector<test::RefusalCase> table = {
      {"TIntMatrix::MeanVec",
       [](ResizeProbe* P) {
         return VectorOut(P, [](TIntMatrix& m, TVector& v) { m.MeanVec(dimColumns, &v); });
       }},
      {"TIntMatrix::EdgeVector",
       [](ResizeProbe* P) {
         return VectorOut(P, [](TIntMatrix& m, TVector& v) { m.EdgeVector(orRows, eopMean, &v); });
       }},
      {"TIntMatrix::SortRows", [](ResizeProbe* P) { return SortCase(P, true); }},
      {"TIntMatrix::SortCols", [](ResizeProbe* P) { return SortCase(P, false); }},
      {"TIntMatrix::Multiply",
       [](ResizeProbe* P) {
         return ProductCase(P, 5, 3, [](TIntMatrix& a, TIntMatrix& b, TIntMatrix& r) {
           return a.Multiply(&b, &r);
         });
       }},
      {"TIntMatrix::EMult",
       [](ResizeProbe* P) {
         return ProductCase(
             P, 3, 4, [](TIntMatrix& a, TIntMatrix& b, TIntMatrix& r) { return a.EMult(&b, &r); });
       }},
      {"TIntMatrix::Multiply vector",
       [](ResizeProbe* P) {
         TIntMatrix m(nullptr);
         Load(m, 4, 6, 7);
         TIntVector b(nullptr), res(nullptr);
         b.Resize(4);
         for (Integer i = 1; i <= 4; ++i) b.SetVal(i, 3 * i - 5);
         int events = 0;
         res.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           TryShrink(P, m);
           TryVec(P, b);
           TryVec(P, res);
         }
         const bool ok = m.Multiply(&b, &res);
         return Fp(m) + FpVec(b) + FpVec(res) + std::to_string(ok) + std::to_string(events);
       }},
      {"TIntMatrix::Clone",
       [](ResizeProbe* P) {
         TIntMatrix src(nullptr), dst(nullptr);
         Load(src, 4, 5, 9);
         int events = 0;
         dst.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           TryShrink(P, src);
           TryGrow(P, dst);
           TrySwitchStore(P, dst);
         }
         dst.Clone(&src);
         return Fp(src) + Fp(dst) + std::to_string(events);
       }},
      {"TIntMatrix::CopyColToVec from a sparse matrix",
       [](ResizeProbe* P) {
         TIntMatrix* m = TIntMatrix::CreateSparse(nullptr, 2);
         m->SetVal(2, 1, 4);
         m->SetVal(2, 3, -6);
         m->SetVal(2, 5, 8);
         m->SetVal(1, 2, 1);
         TIntVector v(nullptr);
         v.Resize(6);
         int events = 0;
         v.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           TrySwitchStore(P, *m);
           TryShrink(P, *m);
           TryVec(P, v);
         }
         m->CopyColToVec(&v, 2, 0, 0);
         std::string fp = Fp(*m) + FpVec(v) + std::to_string(events);
         delete m;
         return fp;
       }},
      {"TIntMatrix::CopyFrom into a sparse matrix",
       [](ResizeProbe* P) {
         TIntMatrix src(nullptr);
         Load(src, 3, 4, 4);
         TIntMatrix* dst = TIntMatrix::CreateSparse(nullptr, 3);
         dst->SetVal(1, 1, 5);
         int events = 0;
         dst->SetOnChange(Counting(P, events));
         if (P != nullptr) {
           TryShrink(P, src);
           TryShrink(P, *dst);
           TrySwitchStore(P, *dst);
           TryTranspose(P, *dst);
         }
         dst->CopyFrom(&src, 1, 2, 3, 4, 2, 3);
         std::string fp = Fp(src) + Fp(*dst) + std::to_string(events);
         delete dst;
         return fp;
       }},
      {"TIntMatrix::CopyFromArray",
       [](ResizeProbe* P) {
         TIntMatrix m(nullptr);
         Load(m, 4, 4, 6);
         int events = 0;
         m.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           TryShrink(P, m);
           TryTranspose(P, m);
         }
         m.CopyFromArray(TInt2DArray{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 2, 2);
         return Fp(m) + std::to_string(events);
       }},
      {"TMat3D::MinMax with MathFeedBackProc",
       [](ResizeProbe* P) {
         TMat3D a(nullptr);
         Load(a, 30, 20, 3);
         if (P != nullptr) Try3D(P, a);
         gFeedBackProbe = P;
         gReports = 0;
         MathFeedBackProc = &ProbeFeedBack;
         double lo = 0, hi = 0;
         a.MinMax(0, 0, 0, 0, 0, 0, lo, hi);
         MathFeedBackProc = nullptr;
         gFeedBackProbe = nullptr;
         return Fp(a) + Num(lo) + Num(hi) + std::to_string(gReports);
       }},
      {"TMat3D::Clone",
       [](ResizeProbe* P) {
         TMat3D src(nullptr), dst(nullptr);
         Load(src, 4, 3, 5);
         int events = 0;
         dst.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           Try3D(P, src);
           Try3D(P, dst);
         }
         dst.Clone(&src);
         return Fp(src) + Fp(dst) + std::to_string(events);
       }},
      {"TMat3D::CopyLayerToMatrix",
       [](ResizeProbe* P) {
         TMat3D a(nullptr);
         Load(a, 5, 4, 3);
         TMatrix dst(nullptr);
         int events = 0;
         dst.SetOnChange(Counting(P, events));
         if (P != nullptr) {
           Try3D(P, a);
           TryMat(P, dst);
         }
         a.CopyLayerToMatrix(&dst, 2, 5, 1, 3, 2);
         return Fp(a) + Fp(dst) + std::to_string(events);
       }},
  };
  test::ExpectResizesRefused(table);
}

}  // namespace
}  // namespace nuv
