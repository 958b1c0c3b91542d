// Handlers, progress procedures and user functions that try to resize the containers an
// analysis routine is using: every such resize is refused, and the routine's results, events
// and sizes are those of the same run without the resizing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_kohonen.hpp"
#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::ResizeProbe;

std::string Bits(double v) {
  std::uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(b));
  return std::string(text) + ";";
}

std::string Fp(const TMatrix& m) {
  return std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ":" +
         m.CRCofData() + ";";
}
template <class V>
std::string Fp(const V& v) {
  return std::to_string(v.NrOfElem()) + ":" + v.CRCofData() + ";";
}

// Attempts: each returns true when the resize was refused and the size stayed.
template <class M>
std::function<bool()> MatTo(M& m, Integer Cols, Integer Rows) {
  return [&m, Cols, Rows] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    const bool ok = m.Resize(Cols, Rows);
    return !ok && m.NrOfColumns() == c && m.NrOfRows() == r;
  };
}
template <class V>
std::function<bool()> VecTo(V& v, Integer N) {
  return [&v, N] {
    const Integer n = v.NrOfElem();
    const bool ok = v.Resize(N);
    return !ok && v.NrOfElem() == n;
  };
}

// The probe behind MathFeedBackProc and the user distance function, which take no closure.
ResizeProbe* gProbe = nullptr;
const TMatrix* gDistData = nullptr;
int gFeedbacks = 0;
void ProbeFeedback(double) {
  ++gFeedbacks;
  if (gProbe != nullptr) (*gProbe)();
}
double ProbeDistance(std::int32_t Row) {
  if (gProbe != nullptr) (*gProbe)();
  return gDistData->GetVal(1, Row) * 0.5 + gDistData->GetVal(2, Row);
}

// The hooks of one run: MathFeedBackProc is the probe's in both runs, so that the two take
// the same paths; restored at the end.
struct ProbeHooks {
  test::HookGuard Hooks;
  explicit ProbeHooks(ResizeProbe* Probe) {
    gProbe = Probe;
    gFeedbacks = 0;
    ProcStat = 0.0;
    MathFeedBackProc = &ProbeFeedback;
  }
  ~ProbeHooks() { gProbe = nullptr; }
  std::string Feedbacks() const { return "fb" + std::to_string(gFeedbacks) + ";"; }
};

// A change handler counting its calls and running the probe.
TNotifyEvent Watch(int& Count, ResizeProbe* Probe) {
  return [&Count, Probe](TObject*) {
    ++Count;
    if (Probe != nullptr) (*Probe)();
  };
}

// Small integers from a fixed recurrence: many equal distances, exact sums.
double Draw(std::uint32_t& s) {
  s = s * 1664525u + 1013904223u;
  return static_cast<double>((s >> 16) % 21);
}
void FillMat(TMatrix& m, Integer Cols, Integer Rows, std::uint32_t Seed) {
  m.Resize(Cols, Rows);
  for (Integer r = 1; r <= Rows; ++r)
    for (Integer c = 1; c <= Cols; ++c) m.SetVal(c, r, Draw(Seed));
}
void FillVec(TVector& v, Integer N, std::uint32_t Seed) {
  v.Resize(N);
  for (Integer i = 1; i <= N; ++i) v.SetVal(i, Draw(Seed) + 0.25 * i);
}

using Filter = void (*)(TVector*, Integer, Integer, TVector*, Integer);

// A window filter over elements 3..38 of 40 with a watched destination and, when Watched is
// false, only the progress procedure as handler.
test::RefusalCase FilterRow(const char* Name, Filter F, Integer Win, bool Watched) {
  return {Name, [F, Win, Watched](ResizeProbe* p) {
            ProbeHooks hooks(p);
            TVector src(nullptr), dst(nullptr);
            FillVec(src, 40, 11);
            dst.Resize(40);
            int changes = 0;
            if (Watched) dst.SetOnChange(Watch(changes, p));
            if (p != nullptr) {
              p->Add(VecTo(src, 4));
              p->Add(VecTo(dst, 2));
            }
            F(&src, 3, 38, &dst, Win);
            return Fp(src) + Fp(dst) + std::to_string(changes) + hooks.Feedbacks();
          }};
}

TEST(AnalysisHandlerResize, EveryRoutineRefusesResizesFromItsUserCode) {
  const std::vector<test::RefusalCase> table = {
      {"kMeansClustering, seeded",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr), centres(nullptr);
         TIntVector ix(nullptr), sizes(nullptr);
         FillMat(data, 3, 40, 5);
         int nc = 0, ni = 0, ns = 0;
         centres.SetOnChange(Watch(nc, p));
         ix.SetOnChange(Watch(ni, p));
         sizes.SetOnChange(Watch(ns, p));
         if (p != nullptr) {
           p->Add(MatTo(data, 1, 2));
           p->Add(MatTo(centres, 9, 9));
           p->Add(VecTo(ix, 2));
           p->Add(VecTo(sizes, 30));
         }
         const double ssq = kMeansClustering(&data, 0, 0, 4, 7, centres, ix, sizes);
         return Fp(data) + Fp(centres) + Fp(ix) + Fp(sizes) + Bits(ssq) + std::to_string(nc) + "," +
                std::to_string(ni) + "," + std::to_string(ns) + hooks.Feedbacks();
       }},
      {"kMeansClustering, first rows",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr), centres(nullptr);
         TIntVector ix(nullptr);
         FillMat(data, 2, 25, 9);
         int nc = 0;
         centres.SetOnChange(Watch(nc, p));
         if (p != nullptr) {
           p->Add(MatTo(data, 2, 3));
           p->Add(MatTo(centres, 1, 1));
           p->Add(VecTo(ix, 60));
         }
         const double ssq = kMeansClustering(&data, 0, 0, 3, centres, ix);
         return Fp(data) + Fp(centres) + Fp(ix) + Bits(ssq) + std::to_string(nc) +
                hooks.Feedbacks();
       }},
      {"FindCenters",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr), centres(nullptr);
         FillMat(data, 2, 14, 3);
         centres.Resize(2, 3);
         int nd = 0, nc = 0;
         data.SetOnChange(Watch(nd, p));
         centres.SetOnChange(Watch(nc, p));
         if (p != nullptr) {
           p->Add(MatTo(data, 1, 1));
           p->Add(MatTo(centres, 5, 5));
         }
         double sep = 0.0;
         FindCenters(&data, 2, 13, 3, centres, sep);
         return Fp(data) + Fp(centres) + Bits(sep) + std::to_string(nd) + "," + std::to_string(nc) +
                hooks.Feedbacks();
       }},
      {"MeanDistanceKNN",
       [](ResizeProbe* p) {
         TMatrix data(nullptr);
         TVector result(nullptr);
         FillMat(data, 2, 15, 4);
         result.Resize(15);
         int nr = 0;
         result.SetOnChange(Watch(nr, p));
         if (p != nullptr) {
           p->Add(MatTo(data, 2, 2));
           p->Add(VecTo(result, 3));
         }
         MeanDistanceKNN(&data, 4, 1, 15, result);
         return Fp(data) + Fp(result) + std::to_string(nr);
       }},
      {"FindNearestNeighbors, Euclidean",
       [](ResizeProbe* p) {
         TMatrix data(nullptr), nb(nullptr);
         TVector probe(nullptr);
         FillMat(data, 2, 30, 6);
         FillVec(probe, 2, 8);
         nb.Resize(2, 6);
         int nn = 0;
         nb.SetOnChange(Watch(nn, p));
         if (p != nullptr) {
           p->Add(MatTo(data, 2, 4));
           p->Add(VecTo(probe, 1));
           p->Add(MatTo(nb, 2, 1));
         }
         FindNearestNeighbors(6, &data, 1, 30, &probe, &nb, nullptr);
         return Fp(data) + Fp(probe) + Fp(nb) + std::to_string(nn);
       }},
      {"FindNearestNeighbors, user distance",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr), nb(nullptr);
         FillMat(data, 2, 30, 2);
         nb.Resize(2, 5);
         gDistData = &data;
         if (p != nullptr) {
           p->Add(MatTo(data, 2, 3));
           p->Add(MatTo(nb, 2, 2));
         }
         FindNearestNeighbors(5, &data, 1, 30, nullptr, &nb, &ProbeDistance);
         return Fp(data) + Fp(nb);
       }},
      {"EstimateByKNN, median",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr);
         TVector prop(nullptr), probe(nullptr);
         FillMat(data, 2, 30, 12);
         FillVec(prop, 30, 13);
         FillVec(probe, 2, 14);
         if (p != nullptr) {
           p->Add(MatTo(data, 2, 5));
           p->Add(VecTo(prop, 2));
           p->Add(VecTo(probe, 1));
         }
         double est = 0.0, mean = 0.0;
         EstimateByKNN(&data, &prop, 9, kwmMedian, 1.0, &probe, est, mean);
         return Fp(data) + Fp(prop) + Bits(est) + Bits(mean) + hooks.Feedbacks();
       }},
      {"EstimateByKNN, local regression",
       [](ResizeProbe* p) {
         ProbeHooks hooks(p);
         TMatrix data(nullptr);
         TVector prop(nullptr), probe(nullptr);
         FillMat(data, 2, 40, 15);
         FillVec(prop, 40, 16);
         FillVec(probe, 2, 17);
         if (p != nullptr) {
           p->Add(MatTo(data, 1, 5));
           p->Add(VecTo(prop, 3));
           p->Add(VecTo(probe, 5));
         }
         double est = 0.0, mean = 0.0;
         EstimateByKNN(&data, &prop, 20, kwmBiQuad, 1.0, &probe, est, mean);
         return Fp(data) + Fp(prop) + Fp(probe) + Bits(est) + Bits(mean) + hooks.Feedbacks();
       }},
      FilterRow("MovingAverageSmooth", &MovingAverageSmooth, 5, true),
      FilterRow("MovingMedianSmooth", &MovingMedianSmooth, 5, true),
      FilterRow("MovingMedianSmooth, progress only", &MovingMedianSmooth, 7, false),
      FilterRow("WeightedAverageSmooth", &WeightedAverageSmooth, 5, true),
      FilterRow("PolynomialSmooth", &PolynomialSmooth, 7, true),
      FilterRow("SecondDeriv", &SecondDeriv, 9, true),
      FilterRow("FirstDeriv", &FirstDeriv, 5, true),
      {"MovingKernelFilter",
       [](ResizeProbe* p) {
         TVector src(nullptr), dst(nullptr), kernel(nullptr);
         FillVec(src, 30, 21);
         CalcSincLPKernel(5, 0.2, 1, &kernel);
         dst.Resize(4);  // grown to the source's length by the filter itself
         int nd = 0;
         dst.SetOnChange(Watch(nd, p));
         if (p != nullptr) {
           p->Add(VecTo(src, 6));
           p->Add(VecTo(dst, 50));
           p->Add(VecTo(kernel, 2));
         }
         MovingKernelFilter(&src, 2, 29, &dst, &kernel);
         return Fp(src) + Fp(dst) + Fp(kernel) + std::to_string(nd);
       }},
      {"MovingKernelFilter, the kernel as destination",
       [](ResizeProbe* p) {
         TVector src(nullptr), kernel(nullptr);
         FillVec(src, 20, 22);
         CalcSincHPKernel(7, 0.1, 2, &kernel);
         int nk = 0;
         kernel.SetOnChange(Watch(nk, p));
         if (p != nullptr) {
           p->Add(VecTo(src, 3));
           p->Add(VecTo(kernel, 40));
         }
         MovingKernelFilter(&src, 1, 20, &kernel, &kernel);
         return Fp(src) + Fp(kernel) + std::to_string(nk);
       }},
      {"CalcSincBPKernel",
       [](ResizeProbe* p) {
         TVector kernel(nullptr);
         kernel.Resize(3);
         int nk = 0;
         kernel.SetOnChange(Watch(nk, p));
         if (p != nullptr) p->Add(VecTo(kernel, 2));
         CalcSincBPKernel(21, 0.1, 0.3, 1, &kernel);
         return Fp(kernel) + std::to_string(nk);
       }},
      {"CalcChebFilterCoeffs",
       [](ResizeProbe* p) {
         TMatrix coeffs(nullptr);
         int nc = 0;
         coeffs.SetOnChange(Watch(nc, p));
         if (p != nullptr) p->Add(MatTo(coeffs, 2, 1));
         double a0 = 0.0;
         CalcChebFilterCoeffs(6, false, 0.1, 0.5, a0, &coeffs);
         return Fp(coeffs) + Bits(a0) + std::to_string(nc);
       }},
      {"ChebychevFilter",
       [](ResizeProbe* p) {
         TMatrix coeffs(nullptr);
         TVector src(nullptr), dst(nullptr);
         double a0 = 0.0;
         CalcChebFilterCoeffs(4, true, 0.2, 0.0, a0, &coeffs);
         FillVec(src, 40, 23);
         dst.Resize(40);
         int nd = 0;
         dst.SetOnChange(Watch(nd, p));
         if (p != nullptr) {
           p->Add(VecTo(src, 5));
           p->Add(VecTo(dst, 5));
           p->Add(MatTo(coeffs, 2, 1));
         }
         ChebychevFilter(&src, 1, 40, &dst, a0, &coeffs);
         return Fp(src) + Fp(dst) + Fp(coeffs) + std::to_string(nd);
       }},
      {"TKohonen training",
       [](ResizeProbe* p) {
         test::HookGuard hooks;
         SetRandSeed(17);
         TKohonen k(nullptr);
         TMatrix data(nullptr), other(nullptr);
         FillMat(data, 2, 20, 31);
         FillMat(other, 3, 7, 32);
         k.SetTrainData(&data);
         k.SetSizeX(3);
         k.SetSizeY(2);
         k.StandardizeData();
         k.SetNrOfTrnSteps(12);
         std::vector<Integer> events;
         k.SetOnFeedback([&events, p](TObject*, Integer percent) {
           events.push_back(percent);
           if (p != nullptr) (*p)();
         });
         if (p != nullptr) {
           p->Add([&k] {
             k.SetSizeX(5);
             k.SetSizeY(4);
             return k.SizeX() == 3 && k.SizeY() == 2;
           });
           p->Add([&k] {
             k.SetNrOfInSens(4);
             return k.NrOfInSens() == 2 && k.TrainData()->NrOfColumns() == 2;
           });
           p->Add([&k, &other] {
             k.SetTrainData(&other);
             return k.NrOfInSens() == 2 && k.TrainData()->NrOfRows() == 20;
           });
           p->Add(MatTo(*k.TrainData(), 1, 1));
         }
         k.Trainit();
         std::string fp = Fp(*k.TrainData());
         for (Integer x = 1; x <= 3; ++x)
           for (Integer y = 1; y <= 2; ++y)
             for (Integer i = 1; i <= 2; ++i) fp += Bits(k.Weights(x, y, i));
         for (Integer e : events) fp += std::to_string(e) + ",";
         // After training the writers work again.
         k.SetSizeX(4);
         EXPECT_EQ(k.SizeX(), 4);
         return fp;
       }},
  };
  test::ExpectResizesRefused(table);
}

}  // namespace
}  // namespace nuv
