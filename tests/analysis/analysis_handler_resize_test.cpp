// Handlers, progress procedures and user functions that try to resize the containers an
// analysis routine is using: every such resize is refused, and the routine's results, events
// and sizes are those of the same run without the resizing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
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

// One run of a row: MathFeedBackProc runs the probe (or nothing) in both runs, so that they
// take the same paths; Watch counts a container's OnChange calls and runs the probe; Try adds
// an attempt when probing. Declared before the containers, so it outlives their handlers.
class Rig {
 public:
  explicit Rig(ResizeProbe* Probe) : FProbe(Probe) {
    gProbe = Probe;
    gFeedbacks = 0;
    MathFeedBackProc = &ProbeFeedback;
  }
  ~Rig() { gProbe = nullptr; }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  template <class C>
  void Watch(C& Container) {
    int& n = FCounts.emplace_back(0);
    Container.SetOnChange([&n, p = FProbe](TObject*) {
      ++n;
      if (p != nullptr) (*p)();
    });
  }
  void Try(std::function<bool()> Attempt) {
    if (FProbe != nullptr) FProbe->Add(std::move(Attempt));
  }
  /// The handler counts and the number of progress reports.
  std::string Events() const {
    std::string s = "events";
    for (int n : FCounts) s += " " + std::to_string(n);
    return s + " fb " + std::to_string(gFeedbacks) + ";";
  }

 private:
  test::HookGuard FHooks;
  ResizeProbe* FProbe;
  std::deque<int> FCounts;  // stable references for the handlers
};

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

// A window filter over elements 3..38 of 40; with Watched false only the progress procedure
// runs the probe (the path that writes the destination's storage directly).
test::RefusalCase FilterRow(const char* Name, Filter F, Integer Win, bool Watched) {
  return {Name, [F, Win, Watched](ResizeProbe* p) {
            Rig rig(p);
            TVector src(nullptr), dst(nullptr);
            FillVec(src, 40, 11);
            dst.Resize(40);
            if (Watched) rig.Watch(dst);
            rig.Try(VecTo(src, 4));
            rig.Try(VecTo(dst, 2));
            F(&src, 3, 38, &dst, Win);
            return Fp(src) + Fp(dst) + rig.Events();
          }};
}

test::RefusalCase EstimateRow(const char* Name, TKnnWMode Mode, Integer k) {
  return {Name, [Mode, k](ResizeProbe* p) {
            Rig rig(p);
            TMatrix data(nullptr);
            TVector prop(nullptr), probe(nullptr);
            FillMat(data, 2, 40, 12);
            FillVec(prop, 40, 13);
            FillVec(probe, 2, 14);
            rig.Try(MatTo(data, 2, 5));
            rig.Try(VecTo(prop, 2));
            rig.Try(VecTo(probe, 5));
            double est = 0.0, mean = 0.0;
            EstimateByKNN(&data, &prop, k, Mode, 1.0, &probe, est, mean);
            return Fp(data) + Fp(prop) + Fp(probe) + Bits(est) + Bits(mean) + rig.Events();
          }};
}

TEST(AnalysisHandlerResize, EveryRoutineRefusesResizesFromItsUserCode) {
  const std::vector<test::RefusalCase> table = {
      {"kMeansClustering, seeded",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr), centres(nullptr);
         TIntVector ix(nullptr), sizes(nullptr);
         FillMat(data, 3, 40, 5);
         rig.Watch(centres);
         rig.Watch(ix);
         rig.Watch(sizes);
         rig.Try(MatTo(data, 1, 2));
         rig.Try(MatTo(centres, 9, 9));
         rig.Try(VecTo(ix, 2));
         rig.Try(VecTo(sizes, 30));
         const double ssq = kMeansClustering(&data, 0, 0, 4, 7, centres, ix, sizes);
         return Fp(data) + Fp(centres) + Fp(ix) + Fp(sizes) + Bits(ssq) + rig.Events();
       }},
      {"kMeansClustering, first rows",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr), centres(nullptr);
         TIntVector ix(nullptr);
         FillMat(data, 2, 25, 9);
         rig.Watch(centres);
         rig.Try(MatTo(data, 2, 3));
         rig.Try(MatTo(centres, 1, 1));
         rig.Try(VecTo(ix, 60));
         const double ssq = kMeansClustering(&data, 0, 0, 3, centres, ix);
         return Fp(data) + Fp(centres) + Fp(ix) + Bits(ssq) + rig.Events();
       }},
      {"FindCenters",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr), centres(nullptr);
         FillMat(data, 2, 14, 3);
         centres.Resize(2, 3);
         rig.Watch(data);
         rig.Watch(centres);
         rig.Try(MatTo(data, 1, 1));
         rig.Try(MatTo(centres, 5, 5));
         double sep = 0.0;
         FindCenters(&data, 2, 13, 3, centres, sep);
         return Fp(data) + Fp(centres) + Bits(sep) + rig.Events();
       }},
      {"MeanDistanceKNN",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr);
         TVector result(nullptr);
         FillMat(data, 2, 15, 4);
         result.Resize(15);
         rig.Watch(result);
         rig.Try(MatTo(data, 2, 2));
         rig.Try(VecTo(result, 3));
         MeanDistanceKNN(&data, 4, 1, 15, result);
         return Fp(data) + Fp(result) + rig.Events();
       }},
      {"FindNearestNeighbors, Euclidean",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr), nb(nullptr);
         TVector probe(nullptr);
         FillMat(data, 2, 30, 6);
         FillVec(probe, 2, 8);
         nb.Resize(2, 6);
         rig.Watch(nb);
         rig.Try(MatTo(data, 2, 4));
         rig.Try(VecTo(probe, 1));
         rig.Try(MatTo(nb, 2, 1));
         FindNearestNeighbors(6, &data, 1, 30, &probe, &nb, nullptr);
         return Fp(data) + Fp(probe) + Fp(nb) + rig.Events();
       }},
      {"FindNearestNeighbors, user distance",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix data(nullptr), nb(nullptr);
         FillMat(data, 2, 30, 2);
         nb.Resize(2, 5);
         gDistData = &data;
         rig.Try(MatTo(data, 2, 3));
         rig.Try(MatTo(nb, 2, 2));
         FindNearestNeighbors(5, &data, 1, 30, nullptr, &nb, &ProbeDistance);
         return Fp(data) + Fp(nb);
       }},
      EstimateRow("EstimateByKNN, median", kwmMedian, 9),
      EstimateRow("EstimateByKNN, local regression", kwmBiQuad, 20),
      FilterRow("MovingAverageSmooth", &MovingAverageSmooth, 5, true),
      FilterRow("MovingMedianSmooth", &MovingMedianSmooth, 5, true),
      FilterRow("MovingMedianSmooth, progress only", &MovingMedianSmooth, 7, false),
      FilterRow("WeightedAverageSmooth", &WeightedAverageSmooth, 5, true),
      FilterRow("PolynomialSmooth", &PolynomialSmooth, 7, true),
      FilterRow("SecondDeriv", &SecondDeriv, 9, true),
      FilterRow("FirstDeriv", &FirstDeriv, 5, true),
      {"MovingKernelFilter",
       [](ResizeProbe* p) {
         Rig rig(p);
         TVector src(nullptr), dst(nullptr), kernel(nullptr);
         FillVec(src, 30, 21);
         CalcSincLPKernel(5, 0.2, 1, &kernel);
         dst.Resize(4);  // grown to the source's length by the filter itself
         rig.Watch(dst);
         rig.Try(VecTo(src, 6));
         rig.Try(VecTo(dst, 50));
         rig.Try(VecTo(kernel, 2));
         MovingKernelFilter(&src, 2, 29, &dst, &kernel);
         return Fp(src) + Fp(dst) + Fp(kernel) + rig.Events();
       }},
      {"MovingKernelFilter, the kernel as destination",
       [](ResizeProbe* p) {
         Rig rig(p);
         TVector src(nullptr), kernel(nullptr);
         FillVec(src, 20, 22);
         CalcSincHPKernel(7, 0.1, 2, &kernel);
         rig.Watch(kernel);
         rig.Try(VecTo(src, 3));
         rig.Try(VecTo(kernel, 40));
         MovingKernelFilter(&src, 1, 20, &kernel, &kernel);
         return Fp(src) + Fp(kernel) + rig.Events();
       }},
      {"CalcSincBPKernel",
       [](ResizeProbe* p) {
         Rig rig(p);
         TVector kernel(nullptr);
         kernel.Resize(3);
         rig.Watch(kernel);
         rig.Try(VecTo(kernel, 2));
         CalcSincBPKernel(21, 0.1, 0.3, 1, &kernel);
         return Fp(kernel) + rig.Events();
       }},
      {"CalcChebFilterCoeffs",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix coeffs(nullptr);
         rig.Watch(coeffs);
         rig.Try(MatTo(coeffs, 2, 1));
         double a0 = 0.0;
         CalcChebFilterCoeffs(6, false, 0.1, 0.5, a0, &coeffs);
         return Fp(coeffs) + Bits(a0) + rig.Events();
       }},
      {"ChebychevFilter",
       [](ResizeProbe* p) {
         Rig rig(p);
         TMatrix coeffs(nullptr);
         TVector src(nullptr), dst(nullptr);
         double a0 = 0.0;
         CalcChebFilterCoeffs(4, true, 0.2, 0.0, a0, &coeffs);
         FillVec(src, 40, 23);
         dst.Resize(40);
         rig.Watch(dst);
         rig.Try(VecTo(src, 5));
         rig.Try(VecTo(dst, 5));
         rig.Try(MatTo(coeffs, 2, 1));
         ChebychevFilter(&src, 1, 40, &dst, a0, &coeffs);
         return Fp(src) + Fp(dst) + Fp(coeffs) + rig.Events();
       }},
      {"TKohonen training",
       [](ResizeProbe* p) {
         Rig rig(p);
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
         std::string fp;
         k.SetOnFeedback([&fp, p](TObject*, Integer percent) {
           fp += std::to_string(percent) + ",";
           if (p != nullptr) (*p)();
         });
         rig.Try([&k] {
           k.SetSizeX(5);
           k.SetSizeY(4);
           return k.SizeX() == 3 && k.SizeY() == 2;
         });
         rig.Try([&k] {
           k.SetNrOfInSens(4);
           return k.NrOfInSens() == 2 && k.TrainData()->NrOfColumns() == 2;
         });
         rig.Try([&k, &other] {
           k.SetTrainData(&other);
           return k.NrOfInSens() == 2 && k.TrainData()->NrOfRows() == 20;
         });
         rig.Try(MatTo(*k.TrainData(), 1, 1));
         k.Trainit();
         fp += Fp(*k.TrainData());
         for (Integer x = 1; x <= 3; ++x)
           for (Integer y = 1; y <= 2; ++y)
             for (Integer i = 1; i <= 2; ++i) fp += Bits(k.Weights(x, y, i));
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
