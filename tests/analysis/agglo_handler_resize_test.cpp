// Agglomerative clustering with handlers that try to resize the data and the outputs while the
// routine holds them: every try is refused and the results are those of the run without it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

struct Setup {
  TMatrix Data{nullptr};
  TIntMatrix Dendro{nullptr};
  TVector MergeDist{nullptr};
  TVector Pos{nullptr};
  int Events = 0;  // handler calls, counted with and without the probe
};

// Rows in five loose groups, so that every method merges differently; or small integers, so
// that many distances tie.
void Fill(TMatrix& m, Integer rows, bool ties) {
  m.Resize(3, rows);
  std::uint32_t s = 99u;
  for (Integer r = 1; r <= rows; ++r) {
    for (Integer c = 1; c <= 3; ++c) {
      s = s * 1664525u + 1013904223u;
      const double u = static_cast<double>(s >> 8) / 16777216.0;
      m.SetVal(c, r, ties ? std::floor(3 * u) : (r % 5) * c + u);
    }
  }
}

// Tries the source first, then each destination, with sizes that all differ from the current.
void AddAttempts(test::ResizeProbe& p, Setup& s) {
  p.Add([&s] {
    const Integer c = s.Data.NrOfColumns(), r = s.Data.NrOfRows();
    return !s.Data.Resize(c + 1, r + 2) && s.Data.NrOfColumns() == c && s.Data.NrOfRows() == r;
  });
  p.Add([&s] {
    const Integer c = s.Dendro.NrOfColumns(), r = s.Dendro.NrOfRows();
    return !s.Dendro.Resize(c + 2, r + 1) && s.Dendro.NrOfColumns() == c &&
           s.Dendro.NrOfRows() == r;
  });
  for (TVector* v : {&s.MergeDist, &s.Pos}) {
    p.Add([v] {
      const Integer n = v->NrOfElem();
      return !v->Resize(n + 7) && v->NrOfElem() == n;
    });
  }
}

std::string Fingerprint(Setup& s, Integer code) {
  auto size = [](Integer c, Integer r) { return std::to_string(c) + "x" + std::to_string(r); };
  return std::to_string(code) + " " + std::to_string(s.Events) + " " +
         size(s.Data.NrOfColumns(), s.Data.NrOfRows()) + s.Data.CRCofData() +
         size(s.Dendro.NrOfColumns(), s.Dendro.NrOfRows()) + s.Dendro.CRCofData() +
         size(s.MergeDist.NrOfElem(), s.Pos.NrOfElem()) + s.MergeDist.CRCofData() +
         s.Pos.CRCofData();
}

enum Hook { hkDendroChange, hkMergeDistChange, hkPosChange, hkFeedBack, hkUserDistance };

test::ResizeProbe* gProbe = nullptr;
Setup* gSetup = nullptr;
int gAbortAt = -1;
void FeedBackProbe(TObject*, double, double) {
  ++gSetup->Events;
  if (gSetup->Events == gAbortAt) AbortMathProc = true;
  if (gProbe != nullptr) (*gProbe)();
}

std::string RunCase(test::ResizeProbe* probe, Hook hook, TDistMode mode, TClusterMethod method,
                    Integer rows, int abortAt = -1, bool ties = false) {
  test::HookGuard hooks;
  Setup s;
  Fill(s.Data, rows, ties);
  // Sizes other than the results', so that the routine resizes each output.
  s.Dendro.Resize(2, 2);
  s.MergeDist.Resize(3);
  s.Pos.Resize(4);
  if (probe != nullptr) AddAttempts(*probe, s);
  auto onEvent = [&s, probe](TObject*) {
    ++s.Events;
    if (probe != nullptr) (*probe)();
  };
  if (hook == hkDendroChange) s.Dendro.SetOnChange(onEvent);
  if (hook == hkMergeDistChange) s.MergeDist.SetOnChange(onEvent);
  if (hook == hkPosChange) s.Pos.SetOnChange(onEvent);
  TOnCalcDistanceEvent dist;
  if (hook == hkUserDistance) {
    dist = [&s, probe](TObject*, Integer r1, Integer r2, double& d) {
      ++s.Events;
      d = s.Data.DistanceOfObjects(dmManhattan, r1, r2);
      if (probe != nullptr) (*probe)();
    };
  }
  gProbe = hook == hkFeedBack ? probe : nullptr;
  gSetup = &s;
  gAbortAt = abortAt;
  const Integer code = AgglomClustering(nullptr, &s.Data, mode, method, 0.25, s.Dendro, s.MergeDist,
                                        s.Pos, FeedBackProbe, dist);
  gProbe = nullptr;
  gSetup = nullptr;
  return Fingerprint(s, code);
}

TEST(AgglomClusteringHandlerResize, EveryHookRefusedResultsUnchanged) {
  using test::RefusalCase;
  using test::ResizeProbe;
  const std::vector<RefusalCase> table = {
      {"single linkage, dendrogram OnChange",
       [](ResizeProbe* p) { return RunCase(p, hkDendroChange, dmEuclid, cmSingleLink, 60); }},
      {"single linkage, ties, feedback",
       [](ResizeProbe* p) { return RunCase(p, hkFeedBack, dmEuclid, cmSingleLink, 60, -1, true); }},
      {"single linkage, user distance",
       [](ResizeProbe* p) { return RunCase(p, hkUserDistance, dmUserDef, cmSingleLink, 30); }},
      {"Ward, merge distances OnChange",
       [](ResizeProbe* p) { return RunCase(p, hkMergeDistChange, dmEuclidSqr, cmWard, 50); }},
      {"aborted, feedback",
       [](ResizeProbe* p) { return RunCase(p, hkFeedBack, dmManhattan, cmFlexLink, 30, 4); }},
      {"one row, positions OnChange",
       [](ResizeProbe* p) { return RunCase(p, hkPosChange, dmEuclid, cmSingleLink, 1); }},
  };
  test::ExpectResizesRefused(table);
}

}  // namespace
}  // namespace nuv
