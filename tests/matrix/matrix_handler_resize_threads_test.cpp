// TMatrix::Square on the caller's thread and on worker threads refuses the resizes its
// result's handler and MathFeedBackProc try, and gives the result it gives without them.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "tests/matrix/matrix_test_util.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

std::string Print(const TMatrix& m) {
  return std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ":" +
         m.CRCofData() + ";";
}

std::function<bool()> TryResize(TMatrix& m, Integer Cols, Integer Rows) {
  return [&m, Cols, Rows] {
    const Integer c = m.NrOfColumns(), r = m.NrOfRows();
    return !m.Resize(Cols, Rows) && m.NrOfColumns() == c && m.NrOfRows() == r;
  };
}

ResizeProbe* gProbe = nullptr;
void ProbeFeedback(double) {
  if (gProbe != nullptr) (*gProbe)();
}

TEST(MatrixHandlerResizeThreads, SquareRefusesResizesFromHandlerAndFeedback) {
  HookGuard hooks;
  std::vector<RefusalCase> rows;
  static const char* const kNames[] = {"result handler, 1 thread",    "MathFeedBackProc, 1 thread",
                                       "into itself, 1 thread",       "result handler, 4 threads",
                                       "MathFeedBackProc, 4 threads", "into itself, 4 threads"};
  for (Integer threads : {1, 4}) {
    for (int hook = 0; hook < 3; ++hook) {
      rows.push_back({kNames[(threads == 1 ? 0 : 3) + hook], [threads, hook](ResizeProbe* p) {
                        TMatrix a(nullptr), res(nullptr);
                        LoadRandom(a, 37, 29, 31u);
                        TMatrix& dest = hook == 2 ? a : res;
                        if (p != nullptr) {
                          // Shrink the source, grow and shrink the result.
                          p->Add(TryResize(a, 2, 2));
                          p->Add(TryResize(dest, 50, 50));
                          p->Add(TryResize(dest, 1, 1));
                          if (hook == 1) {
                            gProbe = p;
                            MathFeedBackProc = &ProbeFeedback;
                          } else {
                            dest.SetOnChange([p](TObject*) { (*p)(); });
                          }
                        }
                        const bool ok = a.Square(&dest, 2.0, threads);
                        MathFeedBackProc = nullptr;
                        gProbe = nullptr;
                        return std::to_string(ok) + Print(dest) + Print(a);
                      }});
    }
  }
  ExpectResizesRefused(rows);
}

}  // namespace
}  // namespace nuv::test
