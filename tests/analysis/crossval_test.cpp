// TCrossValidator: checks, test-set drawing, refused models, abort and the result rates.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>
#include <vector>

#include "nuv/analysis/NUV_statis.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;

// Rows of X carry their own row number in column 1, so the handlers know which row they see.
struct Data {
  TMatrix X{nullptr};
  TMatrix Y{nullptr};
  explicit Data(Integer n, Integer nY = 2) {
    X.Resize(2, n);
    Y.Resize(nY, n);
    for (Integer r = 1; r <= n; ++r) {
      X.SetVal(1, r, r);
      X.SetVal(2, r, 0.5 * r);
      Y.SetVal(1, r, r % 2 == 1 ? 1.0 : 0.0);  // positives and negatives
      if (nY > 1) Y.SetVal(2, r, 0.0);         // no positives at all
    }
  }
};

struct Log {
  std::vector<TIntArray> Training;
  std::vector<Integer> CreatePercent;
  std::vector<Integer> Tested;
  std::vector<Integer> ApplyPercent;
};

void Attach(TCrossValidator& cv, Data& d, Log& log, double Offset) {
  cv.SetXMat(&d.X);
  cv.SetYMat(&d.Y);
  cv.SetOnModelCreateRequest([&log](TObject*, Integer pct, const TIntArray& rows, bool& ok) {
    log.Training.push_back(rows);
    log.CreatePercent.push_back(pct);
    ok = true;
  });
  cv.SetOnModelApplyRequest(
      [&log, &d, Offset](TObject*, Integer pct, const TDoubleArray& x, TDoubleArray& resp) {
        const auto r = static_cast<Integer>(x[0]);
        log.Tested.push_back(r);
        log.ApplyPercent.push_back(pct);
        ASSERT_EQ(x.size(), 2U);
        EXPECT_EQ(x[1], 0.5 * r);
        ASSERT_EQ(resp.size(), static_cast<std::size_t>(d.Y.NrOfColumns()));
        for (std::size_t k = 0; k < resp.size(); ++k) {
          resp[k] = d.Y.Elem(static_cast<Integer>(k) + 1, r) + Offset;
        }
      });
}

TEST(CrossValidator, ChecksInOrderChangeNothing) {
  TCrossValidator cv(nullptr);
  Data a(6), b(7);
  cv.SetSizeTestSet(50);
  NUV_EXPECT_THROW_MSG(cv.Execute(), ENUVStatisError,
                       "TCrossValidator.Execute: data matrix not assigned");
  cv.SetXMat(&a.X);
  NUV_EXPECT_THROW_MSG(cv.Execute(), ENUVStatisError,
                       "TCrossValidator.Execute: data matrix not assigned");
  cv.SetYMat(&b.Y);
  NUV_EXPECT_THROW_MSG(cv.Execute(), ENUVStatisError,
                       "TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  cv.SetYMat(&a.Y);
  NUV_EXPECT_THROW_MSG(cv.Execute(), ENUVStatisError,
                       "TCrossValidator: OnModelApplyRequest event is not assigned");
  cv.SetOnModelApplyRequest([](TObject*, Integer, const TDoubleArray&, TDoubleArray&) {});
  NUV_EXPECT_THROW_MSG(cv.Execute(), ENUVStatisError,
                       "TCrossValidator: OnModelCreateRequest event is not assigned");
  EXPECT_EQ(cv.SizeTestSet(), 50);
  EXPECT_TRUE(std::isnan(cv.RMSEP(1)));  // PRESS still marked invalid (-1)
  cv.SetTestSize(0);
  EXPECT_EQ(cv.SizeTestSet(), 1);
}

TEST(CrossValidator, TestSizeReducedAndEveryRowTestedOnce) {
  HookGuard guard;
  SetRandSeed(4711);
  TCrossValidator cv(nullptr);
  Data d(5);
  Log log;
  Attach(cv, d, log, 0.0);
  cv.SetSizeTestSet(10);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.SizeTestSet(), 3);
  ASSERT_EQ(log.Training.size(), 2U);
  EXPECT_EQ(log.Training[0].size(), 2U);  // 3 rows tested first
  EXPECT_EQ(log.Training[1].size(), 3U);  // then the remaining 2
  EXPECT_EQ(log.CreatePercent, (std::vector<Integer>{0, 60}));
  EXPECT_EQ(log.ApplyPercent, (std::vector<Integer>{20, 40, 60, 80, 100}));
  EXPECT_EQ(std::set<Integer>(log.Tested.begin(), log.Tested.end()).size(), 5U);
  // Each set is tested ascending and its training rows are the other rows, ascending.
  for (std::size_t s = 0; s < 2; ++s) {
    const std::size_t lo = s == 0 ? 0 : 3;
    const std::size_t hi = s == 0 ? 3 : 5;
    std::vector<Integer> other;
    for (Integer r = 1; r <= 5; ++r) {
      bool inTest = false;
      for (std::size_t j = lo; j < hi; ++j) inTest = inTest || log.Tested[j] == r;
      if (!inTest) other.push_back(r);
    }
    EXPECT_EQ(log.Training[s], other);
    for (std::size_t j = lo + 1; j < hi; ++j) EXPECT_LT(log.Tested[j - 1], log.Tested[j]);
  }
  // Perfect predictions: no error, every hit counted.
  EXPECT_EQ(cv.RMSEP(1), 0.0);
  EXPECT_EQ(cv.TPRate(1), 1.0);
  EXPECT_EQ(cv.FPRate(1), 0.0);
  EXPECT_EQ(cv.TPRate(2), 0.0);  // no positive objects
  EXPECT_FALSE(cv.IsExecuting());
}

TEST(CrossValidator, ResultRatesOfMisses) {
  HookGuard guard;
  SetRandSeed(12);
  TCrossValidator cv(nullptr);
  Data d(9, 1);
  for (Integer r = 1; r <= 9; ++r) d.Y.SetVal(1, r, 1.0);  // only positives
  Log log;
  Attach(cv, d, log, 0.5);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(log.Tested.size(), 9U);
  EXPECT_DOUBLE_EQ(cv.RMSEP(1), 0.5);  // sqrt(9·0.25 / 9)
  EXPECT_EQ(cv.TPRate(1), 0.0);        // every positive missed
  EXPECT_EQ(cv.FPRate(1), 1.0);        // no negative objects
  // Within 0.001 counts as a hit.
  Log log2;
  Attach(cv, d, log2, 0.0009);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.TPRate(1), 1.0);
  EXPECT_EQ(cv.RMSEP(7), 0.0);  // outside the columns: PRESS reads 0
}

TEST(CrossValidator, RefusedModelReturnsRowsToThePool) {
  HookGuard guard;
  SetRandSeed(99);
  TCrossValidator cv(nullptr);
  Data d(8);
  Log log;
  Attach(cv, d, log, 0.0);
  int calls = 0;
  std::vector<std::size_t> trainingSizes;
  cv.SetOnModelCreateRequest([&](TObject*, Integer pct, const TIntArray& rows, bool& ok) {
    ++calls;
    trainingSizes.push_back(rows.size());
    if (calls == 1) {
      EXPECT_EQ(pct, 0);
    }
    ok = calls != 1 && calls != 3;
  });
  cv.SetSizeTestSet(3);
  EXPECT_TRUE(cv.Execute());
  // Sets of 3, 3 and the remaining 2; the two refusals are drawn anew.
  EXPECT_EQ(trainingSizes, (std::vector<std::size_t>{5, 5, 5, 5, 6}));
  EXPECT_EQ(std::set<Integer>(log.Tested.begin(), log.Tested.end()).size(), 8U);
  EXPECT_EQ(log.Tested.size(), 8U);
}

TEST(CrossValidator, AbortMarksResultsInvalid) {
  HookGuard guard;
  TCrossValidator cv(nullptr);
  Data d(10);
  Log log;
  Attach(cv, d, log, 0.0);
  int polls = 0;
  cv.SetOnCheckAbort([&](TObject* s, bool& abort) {
    EXPECT_EQ(s, &cv);
    EXPECT_TRUE(cv.IsExecuting());
    ++polls;
    abort = true;
  });
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(polls, 1);
  EXPECT_EQ(log.Tested.size(), 1U);
  EXPECT_FALSE(cv.IsExecuting());
  for (Integer k = 1; k <= 2; ++k) {
    EXPECT_TRUE(std::isnan(cv.RMSEP(k)));  // sqrt(-1 / 10)
    EXPECT_EQ(cv.TPRate(k), 0.5);          // -1 / (-1 + -1)
    EXPECT_EQ(cv.FPRate(k), 0.5);
  }
}

TEST(CrossValidator, HandlerThatNeverSucceedsEnds) {
  HookGuard guard;
  TCrossValidator cv(nullptr);
  Data d(6);
  Log log;
  Attach(cv, d, log, 0.0);
  int calls = 0;
  cv.SetOnModelCreateRequest([&](TObject*, Integer, const TIntArray&, bool&) { ++calls; });
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(calls, 1000);
  EXPECT_TRUE(log.Tested.empty());
  // The abort poll is asked after a refusal too.
  calls = 0;
  cv.SetOnCheckAbort([&](TObject*, bool& abort) { abort = calls == 3; });
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(calls, 3);
}

TEST(CrossValidator, HandlerExceptionPropagatesAndRunEnds) {
  HookGuard guard;
  TCrossValidator cv(nullptr);
  Data d(4);
  Log log;
  Attach(cv, d, log, 0.0);
  cv.SetOnModelApplyRequest([](TObject*, Integer, const TDoubleArray&, TDoubleArray& resp) {
    resp.clear();  // a shortened response reads 0 for the missing columns
  });
  EXPECT_TRUE(cv.Execute());
  EXPECT_DOUBLE_EQ(cv.RMSEP(1), std::sqrt(0.5));  // half the rows are positives
  cv.SetOnModelApplyRequest([](TObject*, Integer, const TDoubleArray&, TDoubleArray&) {
    throw std::runtime_error("model failed");
  });
  EXPECT_THROW(cv.Execute(), std::runtime_error);
  EXPECT_FALSE(cv.IsExecuting());
}

}  // namespace
}  // namespace nuv
