// TMatrix routines that run user code (change events, exchange events, user distances,
// MathFeedBackProc) refuse every resize that code tries on the containers they use, and give
// the result they give without it.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/svd.hpp"
#include "nuv/scalar/TIntVector.hpp"
#include "nuv/scalar/TVector.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

std::string Bits(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%a;", x);
  return buf;
}

std::string Print(const TMatrix& m) {
  return std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ":" +
         m.CRCofData() + ";";
}

template <class V>
std::string Print(const V& v) {
  std::string s = std::to_string(v.NrOfElem()) + "[";
  for (Integer i = 1; i <= v.NrOfElem(); ++i) s += Bits(static_cast<double>(v.GetVal(i)));
  return s + "];";
}

// Attempts: each is refused when the call returns false and the sizes stay.
std::function<bool()> TryResize(TMatrix& m) {
  return [&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(c + 7, 1) && m.NrOfColumns() == c && m.NrOfRows() == r;
  };
}
std::function<bool()> TryResize(TIntMatrix& m) {
  return [&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(c + 7, 1) && m.NrOfColumns() == c && m.NrOfRows() == r;
  };
}
std::function<bool()> TryResize(TMat3D& m) {
  return [&m] {
    const Integer c = m.NrOfColumns(), l = m.NrOfLayers();
    return !m.Resize(1, 1, l + 3) && m.NrOfColumns() == c && m.NrOfLayers() == l;
  };
}
template <class V>
std::function<bool()> TryResize(V& v) {
  return [&v] {
    const Integer n = v.NrOfElem();
    return !v.Resize(n == 1 ? 9 : 1) && v.NrOfElem() == n;
  };
}
// Replacing the store (Assign, Transpose, Diff) is refused like a resize.
std::function<bool()> TryReplace(TMatrix& m) {
  return [&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    const std::string before = Print(m);
    TMatrix other(nullptr);
    other.Resize(c + 2, r + 3);
    m.Assign(&other);
    const bool transposed = m.Transpose();
    m.Diff(1);
    m.SetNRows(r + 4);
    return !transposed && Print(m) == before;
  };
}

// Runs the probe unless it is running already on this thread: a resize that wrongly goes
// through fires the handler again, which must fail the row rather than lock the probe twice.
void RunProbe(ResizeProbe& p) {
  thread_local bool inside = false;
  if (inside) return;
  inside = true;
  p();
  inside = false;
}

void Attach(TMatrix& m, ResizeProbe* p) {
  if (p != nullptr) m.SetOnChange([p](TObject*) { RunProbe(*p); });
}
template <class V>
void Attach(V& v, ResizeProbe* p) {
  if (p != nullptr) v.SetOnChange([p](TObject*) { RunProbe(*p); });
}

ResizeProbe* gFeedbackProbe = nullptr;
void ProbeFeedback(double) {
  if (gFeedbackProbe != nullptr) RunProbe(*gFeedbackProbe);
}
// The probe as MathFeedBackProc, for the span of one row.
struct FeedbackProbe {
  explicit FeedbackProbe(ResizeProbe* p) {
    gFeedbackProbe = p;
    MathFeedBackProc = p != nullptr ? &ProbeFeedback : nullptr;
  }
  ~FeedbackProbe() {
    MathFeedBackProc = nullptr;
    gFeedbackProbe = nullptr;
  }
};

// A 5 by 5 diagonally dominant symmetric matrix (positive definite).
void LoadSpd(TMatrix& m) {
  LoadRandom(m, 5, 5, 21u);
  for (Integer c = 1; c <= 5; ++c) {
    for (Integer r = 1; r < c; ++r) m.SetVal(c, r, m.GetVal(r, c));
    m.SetVal(c, c, 6.0 + c);
  }
}

std::vector<RefusalCase> Rows() {
  std::vector<RefusalCase> t;
  for (int kind = 0; kind < 3; ++kind) {
    t.push_back({kind == 0   ? "Multiply"
                 : kind == 1 ? "MultiplyTransposed"
                             : "TransposeAndMultiply",
                 [kind](ResizeProbe* p) {
                   TMatrix a(nullptr), b(nullptr), res(nullptr);
                   LoadRandom(a, 6, 6, 1u);
                   LoadRandom(b, 6, 4 + kind, 2u);
                   if (kind == 1) b.Resize(6, 4);
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(b));
                     p->Add(TryResize(res));
                     p->Add(TryReplace(b));
                   }
                   Attach(res, p);
                   const bool ok = kind == 0   ? a.Multiply(&b, &res)
                                   : kind == 1 ? a.MultiplyTransposed(&b, &res)
                                               : a.TransposeAndMultiply(&b, &res);
                   return std::to_string(ok) + Print(res) + Print(a) + Print(b);
                 }});
  }
  t.push_back({"EMult", [](ResizeProbe* p) {
                 TMatrix a(nullptr), b(nullptr), res(nullptr);
                 LoadRandom(a, 4, 3, 3u);
                 LoadRandom(b, 4, 3, 4u);
                 if (p != nullptr) {
                   p->Add(TryResize(a));
                   p->Add(TryResize(res));
                 }
                 Attach(res, p);
                 return std::to_string(a.EMult(&b, &res)) + Print(res) + Print(a);
               }});
  for (int kind = 0; kind < 2; ++kind) {
    t.push_back({kind == 0 ? "Multiply by a vector" : "TransposeAndMultiply by a vector",
                 [kind](ResizeProbe* p) {
                   TMatrix a(nullptr);
                   TVector b(nullptr), res(nullptr);
                   LoadRandom(a, 5, 5, 5u);
                   b.Resize(5);
                   for (Integer i = 1; i <= 5; ++i) b.SetVal(i, 0.5 * i - 1);
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(b));
                     p->Add(TryResize(res));
                   }
                   Attach(res, p);
                   const bool ok =
                       kind == 0 ? a.Multiply(&b, &res) : a.TransposeAndMultiply(&b, &res);
                   return std::to_string(ok) + Print(res) + Print(a);
                 }});
  }
  for (int edge = 0; edge < 2; ++edge) {
    t.push_back({edge == 0 ? "MeanVec" : "EdgeVector", [edge](ResizeProbe* p) {
                   TMatrix a(nullptr);
                   TVector v(nullptr);
                   LoadRandom(a, 7, 4, 6u);
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(v));
                   }
                   Attach(v, p);
                   if (edge == 0) {
                     a.MeanVec(dimRows, &v);
                   } else {
                     a.EdgeVector(orColumns, eopMean, &v);
                   }
                   return Print(v) + Print(a);
                 }});
  }
  t.push_back({"Histogram", [](ResizeProbe* p) {
                 TMatrix a(nullptr);
                 TIntVector h(nullptr);
                 LoadRandom(a, 9, 6, 7u);
                 if (p != nullptr) {
                   p->Add(TryResize(a));
                   p->Add(TryResize(h));
                 }
                 Attach(h, p);
                 Integer under = 0, over = 0, most = 0;
                 const bool ok = a.Histogram(0, 0, 0, 0, -0.8, 0.8, 0.2, &h, under, over, most);
                 return std::to_string(ok) + Print(h) + std::to_string(under) + "," +
                        std::to_string(over) + "," + std::to_string(most) + Print(a);
               }});
  for (int observedU = 0; observedU < 2; ++observedU) {
    t.push_back({observedU == 0 ? "LUdecomposition, MatL handler" : "LUdecomposition, MatU handler",
                 [observedU](ResizeProbe* p) {
                   TMatrix a(nullptr), l(nullptr), u(nullptr);
                   LoadRandom(a, 5, 5, 8u);
                   u.Resize(2, 2);  // grown by the routine's own Clone
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(l));
                     p->Add(TryResize(u));
                   }
                   Attach(observedU == 0 ? l : u, p);
                   TMatrix* pl = &l;
                   TMatrix* pu = &u;
                   Integer perm = 0;
                   const bool ok = a.LUdecomposition(pl, pu, perm);
                   return std::to_string(ok) + std::to_string(perm) + Print(l) + Print(u) +
                          Print(a);
                 }});
  }
  t.push_back({"Invert, MathFeedBackProc", [](ResizeProbe* p) {
                 TMatrix a(nullptr);
                 LoadRandom(a, 6, 6, 9u);
                 if (p != nullptr) {
                   p->Add(TryResize(a));
                   p->Add(TryReplace(a));
                 }
                 FeedbackProbe fb(p);
                 return std::to_string(a.Invert()) + Print(a);
               }});
  t.push_back({"CholeskyDecomp", [](ResizeProbe* p) {
                 TMatrix a(nullptr), l(nullptr);
                 LoadSpd(a);
                 if (p != nullptr) {
                   p->Add(TryResize(a));
                   p->Add(TryResize(l));
                 }
                 Attach(l, p);
                 TMatrix* pl = &l;
                 return std::to_string(a.CholeskyDecomp(pl)) + Print(l) + Print(a);
               }});
  for (int observed = 0; observed < 2; ++observed) {
    t.push_back({observed == 0 ? "SVD, MathFeedBackProc" : "SVD, handlers of A, V and W",
                 [observed](ResizeProbe* p) {
                   TMatrix a(nullptr), v(nullptr);
                   TVector w(nullptr);
                   LoadRandom(a, 7, 4, 10u);
                   v.Resize(4, 4);
                   w.Resize(4);
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(v));
                     p->Add(TryResize(w));
                   }
                   FeedbackProbe fb(observed == 0 ? p : nullptr);
                   if (observed == 1) {
                     Attach(a, p);
                     Attach(v, p);
                     Attach(w, p);
                   }
                   const bool ok = detail::SingValDecompCore(&a, &v, &w);
                   return std::to_string(ok) + Print(a) + Print(v) + Print(w);
                 }});
  }
  t.push_back({"Norm ntSpectral, MathFeedBackProc", [](ResizeProbe* p) {
                 TMatrix a(nullptr);
                 LoadRandom(a, 6, 5, 11u);
                 if (p != nullptr) p->Add(TryResize(a));
                 FeedbackProbe fb(p);
                 return Bits(a.Norm(ntSpectral)) + Print(a);
               }});
  for (int cols = 0; cols < 2; ++cols) {
    t.push_back({cols == 0 ? "SortRows" : "SortCols", [cols](ResizeProbe* p) {
                   TMatrix a(nullptr);
                   LoadRandom(a, 12, 12, 12u);
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryReplace(a));
                     a.SetOnSortExchange(
                         [p](TObject*, Byte, Integer, Integer, Integer, Integer) { RunProbe(*p); });
                   }
                   if (cols == 0) {
                     a.SortRows(2, true, 1, 0, 4, 0);
                   } else {
                     a.SortCols(3, false, 0, 2, 0, 9);
                   }
                   return Print(a);
                 }});
  }
  for (int self = 0; self < 2; ++self) {
    t.push_back({self == 0 ? "CalcDistMat, user distance and DMat handler"
                           : "CalcDistMat into itself, user distance",
                 [self](ResizeProbe* p) {
                   TMatrix a(nullptr), d(nullptr);
                   LoadRandom(a, 6, 3, 13u);
                   if (self == 1) a.Resize(6, 6);
                   d.Resize(6, 6);
                   TMatrix& dest = self == 0 ? d : a;
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryResize(dest));
                   }
                   Attach(dest, p);
                   a.SetOnCalcDistance([p](TObject* s, Integer i, Integer j, double& dist) {
                     if (p != nullptr) RunProbe(*p);
                     const auto* m = static_cast<TMatrix*>(s);
                     dist = m->GetVal(1, i) - 2 * m->GetVal(2, j) + m->NrOfRows();
                   });
                   return std::to_string(a.CalcDistMat(dmUserDef, &dest)) + Print(dest) + Print(a);
                 }});
  }
  t.push_back({"Clone", [](ResizeProbe* p) {
                 TMatrix a(nullptr), dest(nullptr);
                 LoadRandom(a, 4, 5, 14u);
                 if (p != nullptr) {
                   p->Add(TryResize(a));
                   p->Add(TryResize(dest));
                   p->Add(TryReplace(dest));
                 }
                 Attach(dest, p);
                 dest.Clone(&a);
                 return Print(dest) + Print(a);
               }});
  // The block copies and the copies between vectors, arrays and the matrix.
  for (int kind = 0; kind < 8; ++kind) {
    static const char* const kNames[] = {
        "CopyFrom a matrix",   "CopyFrom itself", "CopyFrom an integer matrix",
        "CopyFrom a 3D array", "CopyFromVec",     "CopyFromArray",
        "CopyRowToVec",        "CopyColToVec"};
    t.push_back({kNames[kind], [kind](ResizeProbe* p) {
                   TMatrix a(nullptr), dest(nullptr);
                   TIntMatrix im(nullptr);
                   TMat3D m3(nullptr);
                   TVector vec(nullptr);
                   LoadRandom(a, 4, 5, 15u);
                   LoadRandom(dest, 6, 6, 16u);
                   im.Resize(3, 3);
                   m3.Resize(3, 3, 2);
                   vec.Resize(4);
                   for (Integer c = 1; c <= 3; ++c) {
                     for (Integer r = 1; r <= 3; ++r) {
                       im.SetVal(c, r, 10 * c + r);
                       m3.SetVal(c, r, 2, 0.25 * c - r);
                     }
                     vec.SetVal(c, 3.5 * c);
                   }
                   // The matrix the copy reads from or writes to, and the other container.
                   std::function<bool()> other = kind == 0                ? TryResize(a)
                                                 : kind == 2              ? TryResize(im)
                                                 : kind == 3              ? TryResize(m3)
                                                 : kind >= 4 && kind != 5 ? TryResize(vec)
                                                                          : TryResize(dest);
                   if (p != nullptr) {
                     p->Add(TryResize(dest));
                     p->Add(other);
                   }
                   if (kind >= 6) {
                     Attach(vec, p);
                   } else {
                     Attach(dest, p);
                   }
                   switch (kind) {
                     case 0:
                       dest.CopyFrom(&a, 1, 1, 3, 4, 2, 2);
                       break;
                     case 1:
                       dest.CopyFrom(&dest, 1, 1, 4, 4, 3, 2);
                       break;
                     case 2:
                       dest.CopyFrom(&im, 1, 1, 3, 3, 4, 1);
                       break;
                     case 3:
                       dest.CopyFrom(&m3, 1, 1, 3, 3, 2, 1, 4);
                       break;
                     case 4:
                       dest.CopyFromVec(dimColumns, &vec, 1, 4, 2, 3);
                       break;
                     case 5:
                       dest.CopyFromArray({{1, 2, 3}, {4, 5, 6}}, 3, 3);
                       break;
                     case 6:
                       dest.CopyRowToVec(&vec, 2, 1, 5);
                       break;
                     default:
                       dest.CopyColToVec(&vec, 4, 0, 0);
                       break;
                   }
                   return Print(dest) + Print(a) + Print(vec) + std::to_string(im.NrOfColumns()) +
                          std::to_string(m3.NrOfLayers());
                 }});
  }
  // The column and row normalisations: the vectors' handlers try the matrix and the vector.
  for (int kind = 0; kind < 6; ++kind) {
    static const char* const kNames[] = {"StandardizeColumns", "StandardizeRows",
                                         "QNormalizeColumns",  "QNormalizeRows",
                                         "MeanCenterColumns",  "MeanCenterRows"};
    t.push_back({kNames[kind], [kind](ResizeProbe* p) {
                   TMatrix a(nullptr);
                   TVector m(nullptr), s(nullptr);
                   LoadRandom(a, 6, 5, 18u);
                   if (kind < 4) {
                     m.Resize(6);
                     s.Resize(6);
                   }
                   if (p != nullptr) {
                     p->Add(TryResize(a));
                     p->Add(TryReplace(a));
                     p->Add(TryResize(m));
                   }
                   Attach(m, p);
                   switch (kind) {
                     case 0:
                       a.StandardizeColumns(&m, &s);
                       break;
                     case 1:
                       a.StandardizeRows(&m, &s);
                       break;
                     case 2:
                       a.QNormalizeColumns(25, &m, &s);
                       break;
                     case 3:
                       a.QNormalizeRows(75, &m, &s);
                       break;
                     case 4:
                       a.MeanCenterColumns(&m);
                       break;
                     default:
                       a.MeanCenterRows(&m);
                       break;
                   }
                   return Print(a) + Print(m) + Print(s);
                 }});
  }
  return t;
}

TEST(MatrixHandlerResize, RefusedWhileARoutineUsesTheMatrices) {
  HookGuard hooks;
  ExpectResizesRefused(Rows());
}

TEST(MatrixHandlerResize, OwnResizesPassNestedCallsAreRefusedAndTheRuleEndsWithTheCall) {
  TMatrix a(nullptr), res(nullptr), other(nullptr), sq(nullptr);
  LoadRandom(a, 3, 4, 19u);
  LoadRandom(res, 2, 2, 20u);
  LoadRandom(other, 4, 2, 21u);  // a·other is 2 by 3: another size than the result's
  LoadRandom(sq, 3, 3, 22u);     // sq·sqᵀ is 3 by 3, the result's size
  std::vector<bool> results;
  int nested = 0;
  bool otherSize = true, sameSize = false;
  res.SetOnChange([&](TObject*) {
    results.push_back(res.Resize(9, 9));
    if (nested++ == 0) {
      // Products started from the handler are not the result's outermost users: their resize
      // of it is refused, which fails the one that needs another size; the other may write.
      otherSize = a.Multiply(&other, &res);
      sameSize = sq.MultiplyTransposed(&sq, &res);
    }
  });
  ASSERT_TRUE(a.MultiplyTransposed(&a, &res));
  EXPECT_FALSE(otherSize);
  EXPECT_TRUE(sameSize);
  EXPECT_EQ(res.NrOfColumns(), 3);
  EXPECT_EQ(res.NrOfRows(), 3);
  EXPECT_EQ(res.GetVal(2, 3), a.GetVal(1, 2) * a.GetVal(1, 3) + a.GetVal(2, 2) * a.GetVal(2, 3) +
                                  a.GetVal(3, 2) * a.GetVal(3, 3) +
                                  a.GetVal(4, 2) * a.GetVal(4, 3));
  // The resize, then one refusal per cell written by the nested and by the outer product.
  ASSERT_EQ(results.size(), 1u + 9u + 9u);
  for (bool r : results) EXPECT_FALSE(r);
  // The call has returned: the same handler's resize now goes through.
  results.clear();
  EXPECT_TRUE(res.Resize(4, 4));
  EXPECT_EQ(res.NrOfColumns(), 9);
  ASSERT_FALSE(results.empty());
  EXPECT_TRUE(results.front());
}

}  // namespace
}  // namespace nuv::test
