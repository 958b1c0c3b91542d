// Statistics routines that run user code (the progress hook, change and exchange events, the
// density's progress) while they use containers: every resize tried from there is refused and
// the results stay those of the run without it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "nuv/base/constants.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RefusalCase;
using test::ResizeProbe;

// The probe runs on the second report of MathFeedBackProc and on every later one.
ResizeProbe* gProbe = nullptr;
int gReports = 0;
void ProbingFeedBack(double) {
  if (++gReports >= 2 && gProbe != nullptr) (*gProbe)();
}

// Installs the hook for one run; the probe is attached only when the row asks for it.
struct FeedBackScope {
  test::HookGuard hooks;
  explicit FeedBackScope(ResizeProbe* Probe) {
    gProbe = Probe;
    gReports = 0;
    MathFeedBackProc = &ProbingFeedBack;
  }
  ~FeedBackScope() { gProbe = nullptr; }
};

std::string Num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g;", v);
  return buf;
}

std::string Sizes(const TMatrix& m) {
  return std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ";";
}

void FillData(TMatrix& m, Integer cols, Integer rows) {
  m.Resize(cols, rows);
  for (Integer c = 1; c <= cols; ++c) {
    for (Integer r = 1; r <= rows; ++r) m.SetVal(c, r, 1e6 + std::sin(0.7 * r + 1.3 * c) * c);
  }
}

// Attempts that try to shrink and to grow a matrix or a vector; true when refused unchanged.
void TryMatrix(ResizeProbe& p, TMatrix& m) {
  p.Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(1, 1) && m.NrOfColumns() == c && m.NrOfRows() == r;
  });
  p.Add([&m] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(c + 3, r + 50) && m.NrOfColumns() == c && m.NrOfRows() == r;
  });
}

void TryVector(ResizeProbe& p, TVector& v) {
  p.Add([&v] {
    const Integer n = v.NrOfElem();
    return !v.Resize(1) && v.NrOfElem() == n;
  });
  p.Add([&v] {
    const Integer n = v.NrOfElem();
    return !v.Resize(n + 100) && v.NrOfElem() == n;
  });
}

// Every change of the pair count a handler could try on a curve fit.
void TryCurveFit(ResizeProbe& p, TCurveFit& f, const std::string& AscFile) {
  p.Add([&f] {
    const Integer n = f.NumData();
    return f.EnterStatValue(1.0, 2.0) == n && f.NumData() == n;
  });
  p.Add([&f] {
    const Integer n = f.NumData();
    const double x = f.DataX(1);
    f.RemoveStatValue(1);
    return f.NumData() == n && f.DataX(1) == x;
  });
  p.Add([&f] {
    const Integer n = f.NumData();
    f.Init();
    return f.NumData() == n && f.MinX() != uc_MaxDouble;
  });
  p.Add([&f, AscFile] {
    const Integer n = f.NumData();
    return f.ImportASC(AscFile) == -8 && f.NumData() == n;
  });
}

std::string CurveFitPrint(const TCurveFit& f) {
  std::string s = std::to_string(f.NumData()) + ";";
  for (Integer i = 1; i <= f.NumData(); ++i) s += Num(f.DataX(i)) + Num(f.DataY(i));
  return s;
}

void FillCurveFit(TCurveFit& f) {
  for (int i = 1; i <= 30; ++i) f.EnterStatValue(1e5 + i, 1.0 + 0.5 * i + 0.25 * i * i);
}

// A polynomial fit of order 3, plain or about x = 7, and everything it reports.
std::string PolyRun(ResizeProbe* p, const std::string& asc, bool centred) {
  TCurveFit f(nullptr);
  FillCurveFit(f);
  if (p) TryCurveFit(*p, f, asc);
  FeedBackScope hook(p);
  TDoubleArray k, alpha;
  double shift = 7.0, q = 0.0;
  bool near = false;
  const bool ok = centred ? f.CalcCenteredPolyFit(3, k, alpha, shift, q, near)
                          : f.CalcPolyFit(3, k, alpha, q, near);
  std::string s = std::to_string(ok) + std::to_string(near) + Num(q) + Num(shift);
  for (double v : k) s += Num(v);
  for (double v : alpha) s += Num(v);
  return s + CurveFitPrint(f);
}

std::string EigenPrint() {
  std::string s = std::to_string(GetEigenSize()) + ";";
  for (Integer i = 1; i <= GetEigenSize(); ++i) {
    for (Integer j = 0; j <= GetEigenSize(); ++j) s += Num(GetEigenResult(i, j));
  }
  return s;
}

TEST(StatHandlerResize, EveryTriedResizeIsRefusedAndResultsStay) {
  const std::string asc = test::TempPath("stat_handler_pairs");
  {
    TCurveFit src(nullptr);
    src.EnterStatValue(1.0, 2.0);
    src.EnterStatValue(3.0, 4.0);
    ASSERT_EQ(src.ExportAsASC(asc, "pairs", 6), "");
  }

  const std::vector<RefusalCase> table = {
      {"CalcCovar direct, MathFeedBackProc",
       [](ResizeProbe* p) {
         TMatrix data(nullptr), res(nullptr);
         FillData(data, 5, 60);
         res.Resize(5, 5);
         if (p) TryMatrix(*p, data), TryMatrix(*p, res);
         FeedBackScope hook(p);
         const bool ok = CalcCovar(&data, &res, 0, 0, 1, 60, 2);
         return std::to_string(ok) + res.CRCofData() + data.CRCofData() + Sizes(data) + Sizes(res);
       }},
      {"CalcCovar, OnChange of the result",
       [](ResizeProbe* p) {
         TMatrix data(nullptr), res(nullptr);
         FillData(data, 4, 30);
         res.Resize(4, 4);
         if (p) {
           TryMatrix(*p, data);
           TryMatrix(*p, res);
           res.SetOnChange([p](TObject*) { (*p)(); });
         }
         const bool ok = CalcCovar(&data, &res, 0, 0, 1, 30, 1);
         res.SetOnChange(nullptr);
         return std::to_string(ok) + res.CRCofData() + data.CRCofData() + Sizes(data) + Sizes(res);
       }},
      {"CalcCovar, data as its own result",
       [](ResizeProbe* p) {
         TMatrix data(nullptr);
         FillData(data, 6, 6);
         if (p) {
           TryMatrix(*p, data);
           data.SetOnChange([p](TObject*) { (*p)(); });
         }
         const bool ok = CalcCovar(&data, &data, 0, 0, 1, 6, 3);
         data.SetOnChange(nullptr);
         return std::to_string(ok) + data.CRCofData() + Sizes(data);
       }},
      {"CalcEigVec, MathFeedBackProc",
       [](ResizeProbe* p) {
         TMatrix m(nullptr);
         m.Resize(6, 6);
         for (Integer c = 1; c <= 6; ++c)
           for (Integer r = 1; r <= 6; ++r) m.SetVal(c, r, 1.0 / (r + c - 1) + (r == c ? 2 : 0));
         if (p) TryMatrix(*p, m);
         FeedBackScope hook(p);
         const bool ok = CalcEigVec(&m);
         return std::to_string(ok) + m.CRCofData() + Sizes(m) + EigenPrint();
       }},
      {"CalcEigVec, OnChange of the matrix",
       [](ResizeProbe* p) {
         TMatrix m(nullptr);
         m.Resize(5, 5);
         for (Integer c = 1; c <= 5; ++c)
           for (Integer r = 1; r <= 5; ++r) m.SetVal(c, r, 1.0 / (r + c - 1));
         if (p) {
           TryMatrix(*p, m);
           m.SetOnChange([p](TObject*) { (*p)(); });
         }
         const bool ok = CalcEigVec(&m);
         m.SetOnChange(nullptr);
         return std::to_string(ok) + m.CRCofData() + Sizes(m) + EigenPrint();
       }},
      {"CalcPrincComp, MathFeedBackProc",
       [](ResizeProbe* p) {
         TMatrix data(nullptr);
         FillData(data, 4, 50);
         if (p) TryMatrix(*p, data);
         FeedBackScope hook(p);
         const bool ok = CalcPrincComp(&data, 0, 0, 1, 50, 1, true);
         return std::to_string(ok) + data.CRCofData() + Sizes(data) + EigenPrint();
       }},
      {"SolveBySingValDecomp, MathFeedBackProc",
       [](ResizeProbe* p) {
         TMatrix a(nullptr);
         FillData(a, 3, 12);
         TVector b(nullptr), x(nullptr), e(nullptr);
         b.Resize(12);
         for (Integer i = 1; i <= 12; ++i) b.SetVal(i, std::cos(i));
         x.Resize(3);
         e.Resize(3);
         if (p) TryMatrix(*p, a), TryVector(*p, b), TryVector(*p, x), TryVector(*p, e);
         FeedBackScope hook(p);
         bool near = false;
         const bool ok = detail::SolveBySingValDecomp(&a, &b, &x, &e, near);
         return std::to_string(ok) + std::to_string(near) + x.CRCofData() + e.CRCofData() +
                a.CRCofData() + Sizes(a) + std::to_string(b.NrOfElem());
       }},
      {"PseudoInverse, MathFeedBackProc",
       [](ResizeProbe* p) {
         TMatrix a(nullptr), pinv(nullptr);
         FillData(a, 3, 7);
         if (p) TryMatrix(*p, a), TryMatrix(*p, pinv);
         FeedBackScope hook(p);
         const bool ok = PseudoInverse(&a, pinv, 0.0);
         return std::to_string(ok) + pinv.CRCofData() + Sizes(pinv) + a.CRCofData() + Sizes(a);
       }},
      {"CalcPolyFit, MathFeedBackProc", [asc](ResizeProbe* p) { return PolyRun(p, asc, false); }},
      {"CalcCenteredPolyFit, MathFeedBackProc",
       [asc](ResizeProbe* p) { return PolyRun(p, asc, true); }},
      {"EstimateProbDensity, Progress and OnChange of the density",
       [](ResizeProbe* p) {
         TVector data(nullptr), dens(nullptr);
         data.Resize(25);
         for (Integer i = 1; i <= 25; ++i) data.SetVal(i, std::sin(1.9 * i) * 3.0);
         dens.Resize(4);
         if (p) {
           TryVector(*p, data);
           TryVector(*p, dens);
           dens.SetOnChange([p](TObject*) { (*p)(); });
         }
         Integer lo = 0, hi = 0;
         TProgressProc progress;
         if (p) progress = [p](TObject*, double, double) { (*p)(); };
         EstimateProbDensity(&data, &dens, -3.0, 3.0, 1.0, 2.0, 20, lo, hi, progress);
         dens.SetOnChange(nullptr);
         return dens.CRCofData() + data.CRCofData() + std::to_string(dens.NrOfElem()) + ";" +
                std::to_string(lo) + ";" + std::to_string(hi);
       }},
      {"PerformLillieforsTest, OnSortExchange of the data",
       [](ResizeProbe* p) {
         TVector data(nullptr);
         data.Resize(20);
         for (Integer i = 1; i <= 20; ++i) data.SetVal(i, std::cos(2.3 * i) + 0.1 * i);
         if (p) {
           TryVector(*p, data);
           data.SetOnSortExchange(
               [p](TObject*, Byte, Integer, Integer, Integer, Integer) { (*p)(); });
         }
         const double d = PerformLillieforsTest(&data, false);
         data.SetOnSortExchange(nullptr);
         return Num(d) + data.CRCofData() + std::to_string(data.NrOfElem());
       }},
      {"PerformKSNormalityTest, OnChange of the data",
       [](ResizeProbe* p) {
         TVector data(nullptr);
         data.Resize(15);
         for (Integer i = 1; i <= 15; ++i) data.SetVal(i, std::sin(0.9 * i));
         if (p) {
           TryVector(*p, data);
           data.SetOnChange([p](TObject*) { (*p)(); });
         }
         const double d = PerformKSNormalityTest(&data, false);
         data.SetOnChange(nullptr);
         return Num(d) + data.CRCofData() + std::to_string(data.NrOfElem());
       }},
  };
  test::ExpectResizesRefused(table);
  std::remove(asc.c_str());
}

// Outside a running call nothing is held: the same changes go through afterwards.
TEST(StatHandlerResize, TheCurveFitTakesPairsAgainOnceTheFitReturns) {
  test::HookGuard hooks;
  TCurveFit f(nullptr);
  FillCurveFit(f);
  ResizeProbe probe;
  probe.Add([&f] {
    const Integer n = f.NumData();
    return f.EnterStatValue(0.0, 0.0) == n;
  });
  gProbe = &probe;
  gReports = 0;
  MathFeedBackProc = &ProbingFeedBack;
  TDoubleArray k;
  double q = 0.0;
  bool near = false;
  EXPECT_TRUE(f.CalcPolyFit(1, k, q, near));
  gProbe = nullptr;
  EXPECT_GT(probe.Tries(), 0);
  EXPECT_EQ(probe.Refused(), probe.Tries());
  EXPECT_EQ(f.EnterStatValue(5.0, 6.0), 31);
  f.RemoveStatValue(31);
  EXPECT_EQ(f.NumData(), 30);
  f.Init();
  EXPECT_EQ(f.NumData(), 0);
}

}  // namespace
}  // namespace nuv
