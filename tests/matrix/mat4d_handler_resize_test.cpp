// TMat4D routines that run user code: a handler that tries to resize the arrays a running call
// uses is refused, and the call's results are those of the run without the handler.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/platform/random.hpp"
#include "tests/matrix/mat4d_handler_resize_support.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

std::string FileBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream os;
  os << Path.size() << ':' << in.rdbuf();
  return os.str();
}

// Each routine starts from the same seeded 6 x 5 x 3 x 4 array.
void Seeded(TMat4D& M) {
  M.Resize(6, 5, 3, 4);
  SetRandSeed(2718);
  M.FillRandomUniform(-3.0, 7.0);
}

// A row whose probe sits on the array's own OnPercentDone and tries to resize it.
RefusalCase OnPercent(const char* Name, std::function<std::string(TMat4D&)> Run) {
  return {Name, [Run](ResizeProbe* Probe) {
            TMat4D m(nullptr);
            Seeded(m);
            if (Probe != nullptr) {
              Probe->Add(TryResize(m, 9, 9, 4, 4));
              Probe->Add(TryResize(m, 1, 1, 1, 1));
              m.SetOnPercentDone([Probe](TObject*, Integer) { (*Probe)(); });
            }
            const std::string out = Run(m);
            m.SetOnPercentDone(nullptr);
            return out + Print(m);
          }};
}

// A row whose probe is MathFeedBackProc and tries to shrink the array.
RefusalCase OnFeedback(const char* Name, std::function<std::string(TMat4D&)> Run) {
  return {Name, [Run](ResizeProbe* Probe) {
            HookGuard hooks;
            TMat4D m(nullptr);
            Seeded(m);
            if (Probe != nullptr) Probe->Add(TryResize(m, 2, 2, 2, 2));
            const FeedbackProbe feedback(Probe);
            return Run(m) + Print(m);
          }};
}

TEST(Mat4DHandlerResize, RefusedWhileARoutineUsesTheArrays) {
  const std::string file = TempPath("mat4d_refusal");
  {
    TMat4D saved(nullptr);
    Seeded(saved);
    saved.SetDataID("probe");
    saved.SaveBinary(file, 0, 0);
  }
  std::vector<RefusalCase> table = {
      {"CopyLayerToMatrix, destination OnChange",
       [](ResizeProbe* Probe) {
         TMat4D m(nullptr);
         Seeded(m);
         TMatrix d(nullptr);
         if (Probe != nullptr) {
           Probe->Add(TryResize(m, 1, 1, 1, 1));
           Probe->Add(TryResize(d, 1, 1));
           d.SetOnChange([Probe](TObject*) { (*Probe)(); });
         }
         m.CopyLayerToMatrix(&d, 2, 6, 1, 4, 3, 2);
         d.SetOnChange(nullptr);
         return Print(d) + Print(m);
       }},
      {"CopyTimeSlotToMat3D, destination OnChange",
       [](ResizeProbe* Probe) {
         TMat4D m(nullptr);
         Seeded(m);
         TMat3D d(nullptr);
         if (Probe != nullptr) {
           Probe->Add(TryResize(m, 1, 1, 1, 1));
           Probe->Add(TryResize(d, 1, 1, 1));
           d.SetOnChange([Probe](TObject*) { (*Probe)(); });
         }
         m.CopyTimeSlotToMat3D(&d, 0, 0, 2, 5, 1, 3, 4);
         d.SetOnChange(nullptr);
         return Print(d) + Print(m);
       }},
      {"CopyArr3DLayerToMatrix, matrix OnChange",
       [](ResizeProbe* Probe) {
         const TDouble3DArray a = {{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}, {{9, 10}, {11, 12}}};
         TMatrix d(nullptr);
         if (Probe != nullptr) {
           Probe->Add(TryResize(d, 7, 7));
           d.SetOnChange([Probe](TObject*) { (*Probe)(); });
         }
         CopyArr3DLayerToMatrix(a, &d, 0, 2, 0, 1, 1);
         d.SetOnChange(nullptr);
         return Print(d);
       }},
      {"Clone, destination OnChange grows it, shrinks the source",
       [](ResizeProbe* Probe) {
         TMat4D src(nullptr);
         Seeded(src);
         TMat4D m(nullptr);
         m.Resize(2, 2, 2, 2);
         if (Probe != nullptr) {
           Probe->Add(TryResize(src, 1, 1, 1, 1));
           Probe->Add(TryResize(m, 8, 8, 8, 8));
           m.SetOnChange([Probe](TObject*) { (*Probe)(); });
         }
         m.Clone(&src);
         m.SetOnChange(nullptr);
         return Print(m) + Print(src);
       }},
      {"Clone, MathFeedBackProc",
       [](ResizeProbe* Probe) {
         HookGuard hooks;
         TMat4D src(nullptr);
         Seeded(src);
         TMat4D m(nullptr);
         if (Probe != nullptr) {
           Probe->Add(TryResize(src, 1, 1, 1, 1));
           Probe->Add(TryResize(m, 8, 8, 8, 8));
         }
         const FeedbackProbe feedback(Probe);
         m.Clone(&src);
         return Print(m) + Print(src);
       }},
      OnPercent("CRCofData", [](TMat4D& m) { return m.CRCofData(2); }),
      OnPercent("SaveBinary",
                [](TMat4D& m) {
                  const std::string path = TempPath("mat4d_refusal_save");
                  m.SaveBinary(path, 2, 3);
                  const std::string out = FileBytes(path);
                  std::remove(path.c_str());
                  return out;
                }),
      OnPercent("AppendToBinaryFile",
                [file](TMat4D& m) {
                  const std::string path = TempPath("mat4d_refusal_append");
                  {
                    TMat4D first(nullptr);
                    Seeded(first);
                    first.SaveBinary(path, 1, 1);
                  }
                  m.AppendToBinaryFile(path, 2, 4);
                  const std::string out = FileBytes(path);
                  std::remove(path.c_str());
                  return out;
                }),
      {"LoadBinary, its own OnChange and OnPercentDone",
       [file](ResizeProbe* Probe) {
         TMat4D m(nullptr);
         m.Resize(2, 3, 1, 1);
         if (Probe != nullptr) {
           Probe->Add(TryResize(m, 1, 1, 1, 1));
           m.SetOnChange([Probe](TObject*) { (*Probe)(); });
           m.SetOnPercentDone([Probe](TObject*, Integer) { (*Probe)(); });
         }
         m.LoadBinary(file, 2, 0);
         m.SetOnChange(nullptr);
         m.SetOnPercentDone(nullptr);
         return m.DataID() + Print(m);
       }},
      OnPercent("ReadLayer",
                [file](TMat4D& m) {
                  m.Fill(0.5);
                  m.ReadLayer(file, 2, 3);
                  return std::string();
                }),
      OnPercent("Cut",
                [](TMat4D& m) {
                  m.Cut(2, 5, 1, 3, 2, 3, 1, 4);
                  return std::string();
                }),
      OnPercent("Transpose", [](TMat4D& m) { return std::to_string(m.Transpose()); }),
      OnPercent("Resample with averaging",
                [](TMat4D& m) {
                  m.Resample(2, 1, 2, 0, 2, 0, 3, 1, true);
                  return std::string();
                }),
      OnFeedback("CopyFrom within the array",
                 [](TMat4D& m) {
                   m.CopyFrom(&m, 1, 4, 1, 4, 1, 2, 1, 3, 2, 2, 2, 2);
                   return std::string();
                 }),
      OnFeedback("MeanVar",
                 [](TMat4D& m) {
                   double mean = 0, var = 0;
                   m.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
                   return Print(mean) + Print(var);
                 }),
      OnFeedback("MinMax",
                 [](TMat4D& m) {
                   double lo = 0, hi = 0;
                   m.MinMax(2, 5, 0, 0, 0, 0, 2, 3, lo, hi);
                   return Print(lo) + Print(hi);
                 }),
      OnFeedback("Sum and SquaredSum",
                 [](TMat4D& m) {
                   return Print(m.Sum(0, 0, 0, 0, 0, 0, 0, 0)) +
                          Print(m.SquaredSum(1, 3, 0, 0, 0, 0, 0, 0));
                 }),
      OnFeedback("MirrorColumns",
                 [](TMat4D& m) {
                   m.MirrorColumns();
                   return std::string();
                 }),
      OnFeedback("MirrorRows",
                 [](TMat4D& m) {
                   m.MirrorRows();
                   return std::string();
                 }),
      OnFeedback("MirrorLayers",
                 [](TMat4D& m) {
                   m.MirrorLayers();
                   return std::string();
                 }),
      OnFeedback("MirrorTimeSlots",
                 [](TMat4D& m) {
                   m.MirrorTimeSlots();
                   return std::string();
                 }),
  };
  ExpectResizesRefused(table);
  std::remove(file.c_str());
}

// Every other change of size or storage, tried from a handler of a running call, is refused
// the same way and leaves the array as it was.
TEST(Mat4DHandlerResize, EverySizeChangerRefusesFromAHandler) {
  const std::string file = TempPath("mat4d_refusal_changers");
  TMat4D other(nullptr);
  other.Resize(3, 3, 2, 2);
  other.SaveBinary(file, 0, 0);
  TMat4D m(nullptr);
  Seeded(m);
  const std::string before = Print(m);
  std::vector<std::string> failed;
  const auto check = [&](const char* What) {
    if (Print(m) != before) failed.push_back(What);
  };
  bool transposed = true;
  std::string loadMessage;
  m.SetOnPercentDone([&](TObject*, Integer) {
    if (!failed.empty() || !loadMessage.empty()) return;
    m.SetNCols(2);
    check("SetNCols");
    m.SetNTSlots(9);
    check("SetNTSlots");
    m.ResizeAndClear(2, 2, 2, 2);
    check("ResizeAndClear");
    m.Assign(&other);
    check("Assign");
    m.Clone(&other);
    check("Clone");
    m.Cut(1, 2, 1, 2, 1, 1, 1, 1);
    check("Cut");
    m.Resample(2, 0, 2, 0, 1, 0, 1, 0, false);
    check("Resample");
    transposed = m.Transpose();
    check("Transpose");
    try {
      m.LoadBinary(file, 0, 0);
    } catch (const ENUVMatrixError& e) {
      loadMessage = e.what();
    }
    check("LoadBinary");
  });
  m.CRCofData();
  m.SetOnPercentDone(nullptr);
  EXPECT_TRUE(failed.empty()) << failed.front();
  EXPECT_FALSE(transposed);
  EXPECT_EQ(loadMessage, "Component \"\": cannot resize, memory low");
  // Outside a call the same changes pass.
  m.Assign(&other);
  EXPECT_EQ(Print(m), Print(other));
  std::remove(file.c_str());
}

}  // namespace
}  // namespace nuv::test
