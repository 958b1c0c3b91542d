// The layer statistics of the four-dimensional array on the caller's thread and on workers: a
// destination OnChange or MathFeedBackProc that tries to resize the source or the destination
// is refused, and the result is that of the run without it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"
#include "tests/matrix/mat4d_handler_resize_support.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

using TLayerRoutine = void (TMat4D::*)(TMatrix*, Integer, Integer, Integer, Integer, Integer,
                                       Integer, Integer, Integer, Integer);

struct Routine {
  const char* Name;
  TLayerRoutine Run;
};

enum Hook { kDestChange, kFeedback };

TEST(Mat4DHandlerResizeThreads, LayerStatisticsRefuseResizes) {
  const std::vector<Routine> routines = {
      {"Mean", &TMat4D::MeanOfLayersToMatrix},
      {"Maximum", &TMat4D::MaximumOfLayersToMatrix},
      {"Minimum", &TMat4D::MinimumOfLayersToMatrix},
      {"StdDev", &TMat4D::StdDevOfLayersToMatrix},
  };
  std::vector<std::string> names;
  names.reserve(routines.size() * 4);
  std::vector<RefusalCase> table;
  for (const Routine& routine : routines) {
    for (Integer threads : {1, 4}) {
      for (Hook hook : {kDestChange, kFeedback}) {
        names.push_back(std::string(routine.Name) + ", " + std::to_string(threads) +
                        (hook == kDestChange ? " threads, destination OnChange"
                                             : " threads, MathFeedBackProc"));
        table.push_back({names.back().c_str(), [routine, threads, hook](ResizeProbe* Probe) {
                           HookGuard hooks;
                           TMat4D m(nullptr);
                           m.Resize(12, 7, 3, 4);
                           SetRandSeed(161);
                           m.FillRandomUniform(-2.0, 9.0);
                           TMatrix d(nullptr);
                           d.Resize(2, 3);
                           if (Probe != nullptr) {
                             Probe->Add(TryResize(m, 1, 1, 1, 1));
                             Probe->Add(TryResize(d, 30, 30));
                             if (hook == kDestChange) {
                               d.SetOnChange([Probe](TObject*) { (*Probe)(); });
                             }
                           }
                           const FeedbackProbe feedback(hook == kFeedback ? Probe : nullptr);
                           (m.*routine.Run)(&d, 2, 11, 0, 0, 1, 3, 2, 4, threads);
                           d.SetOnChange(nullptr);
                           return Print(d) + Print(m);
                         }});
      }
    }
  }
  ExpectResizesRefused(table);
}

}  // namespace
}  // namespace nuv::test
