// TCrossValidator with handlers that change its settings or resize its matrices mid-run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;

// n rows; X carries the row number, Y a positive in odd rows.
struct Data {
  TMatrix X{nullptr};
  TMatrix Y{nullptr};
  explicit Data(Integer n) {
    X.Resize(2, n);
    Y.Resize(1, n);
    for (Integer r = 1; r <= n; ++r) {
      X.SetVal(1, r, r);
      X.SetVal(2, r, -r);
      Y.SetVal(1, r, r % 2 == 1 ? 1.0 : 0.0);
    }
  }
};

// What a run reports and what it asked for, in order.
struct RunLog {
  bool Ok = false;
  double Rmsep = 0, Tp = 0, Fp = 0;
  std::vector<Integer> Tested;
  std::vector<std::size_t> TrainingSizes;
  bool operator==(const RunLog&) const = default;
};

// Every prediction misses by 1: RMSEP 1, no true positive, every negative a false positive.
// Midway is called once, at the first prediction.
RunLog Validate(TCrossValidator& cv, const std::function<void()>& Midway) {
  RunLog run;
  bool first = true;
  cv.SetOnModelCreateRequest([&](TObject*, Integer, const TIntArray& rows, bool& ok) {
    run.TrainingSizes.push_back(rows.size());
    ok = true;
  });
  cv.SetOnModelApplyRequest([&](TObject*, Integer, const TDoubleArray& x, TDoubleArray& resp) {
    const auto r = static_cast<Integer>(x[0]);
    run.Tested.push_back(r);
    resp.assign(1, (r % 2 == 1 ? 1.0 : 0.0) + 1.0);
    if (first && Midway) Midway();
    first = false;
  });
  SetRandSeed(31);
  run.Ok = cv.Execute();
  run.Rmsep = cv.RMSEP(1);
  run.Tp = cv.TPRate(1);
  run.Fp = cv.FPRate(1);
  return run;
}

TEST(CrossValidatorSettings, ChangesDuringARunTakeEffectAtTheNext) {
  HookGuard hooks;
  struct Case {
    const char* Name;
    bool Size, X, Y;
  };
  const Case cases[] = {{"test size", true, false, false},
                        {"XMat", false, true, false},
                        {"YMat", false, false, true},
                        {"all three", true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Data d(6), other(8);
    TCrossValidator cv(nullptr);
    cv.SetXMat(&d.X);
    cv.SetYMat(&d.Y);
    const RunLog plain = Validate(cv, nullptr);
    ASSERT_TRUE(plain.Ok);
    EXPECT_EQ(plain.Rmsep, 1.0);
    EXPECT_EQ(plain.Tp, 0.0);
    EXPECT_EQ(plain.Fp, 1.0);
    EXPECT_EQ(plain.TrainingSizes, (std::vector<std::size_t>{4, 4, 4}));

    const RunLog changed = Validate(cv, [&] {
      if (c.Size) cv.SetTestSize(1);
      if (c.X) cv.SetXMat(&other.X);
      if (c.Y) cv.SetYMat(&other.Y);
    });
    EXPECT_EQ(changed, plain);
    EXPECT_EQ(cv.SizeTestSet(), c.Size ? 1 : 2);
    EXPECT_EQ(cv.XMat(), c.X ? &other.X : &d.X);
    EXPECT_EQ(cv.YMat(), c.Y ? &other.Y : &d.Y);

    // The next run uses them: a mixed pair of matrices is refused before anything changes.
    if (c.X != c.Y) {
      EXPECT_THROW(cv.Execute(), ENUVStatisError);
      continue;
    }
    const RunLog next = Validate(cv, nullptr);
    ASSERT_TRUE(next.Ok);
    const Integer n = c.X ? 8 : 6;
    EXPECT_EQ(next.Tested.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(next.TrainingSizes.size(), static_cast<std::size_t>(c.Size ? n : n / 2));
    EXPECT_EQ(next.Rmsep, 1.0);
  }
}

TEST(CrossValidatorSettings, HandlersCannotResizeTheMatrices) {
  HookGuard hooks;
  const std::vector<test::RefusalCase> table{
      {"create, apply and abort poll", [](test::ResizeProbe* probe) {
         Data d(7);
         TCrossValidator cv(nullptr);
         cv.SetXMat(&d.X);
         cv.SetYMat(&d.Y);
         if (probe != nullptr) {
           probe->Add([&d] { return !d.X.Resize(2, 3) && d.X.NrOfRows() == 7; });
           probe->Add([&d] { return !d.Y.Resize(4, 9) && d.Y.NrOfColumns() == 1; });
           cv.SetOnCheckAbort([probe](TObject*, bool&) { (*probe)(); });
         }
         const RunLog run = Validate(cv, [probe] {
           if (probe != nullptr) (*probe)();
         });
         std::string s = std::to_string(run.Ok) + std::to_string(run.Rmsep) +
                         std::to_string(run.Tp) + std::to_string(run.Fp) + "|";
         for (Integer r : run.Tested) s += std::to_string(r) + ",";
         return s + std::to_string(d.X.NrOfRows()) + std::to_string(d.Y.NrOfColumns());
       }}};
  test::ExpectResizesRefused(table);
}

}  // namespace
}  // namespace nuv
