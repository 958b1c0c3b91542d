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
  EXPECT_EQ(cv.RMSEP(1), -1.0);  // still marked invalid
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
  EXPECT_EQ(cv.RMSEP(7), -1.0);  // outside the response columns
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
    EXPECT_EQ(cv.RMSEP(k), -1.0);
    EXPECT_EQ(cv.TPRate(k), -1.0);
    EXPECT_EQ(cv.FPRate(k), -1.0);
  }
}

TEST(CrossValidator, InvalidResultsReadMinusOne) {
  HookGuard guard;
  SetRandSeed(5);
  TCrossValidator cv(nullptr);
  Data d(6);
  Log log;
  Attach(cv, d, log, 0.0);
  ASSERT_TRUE(cv.Execute());  // a valid run over two response columns
  struct Probe {
    Integer ix;
    bool valid;
  };
  const Probe probes[] = {{0, false}, {1, true}, {2, true}, {3, false}, {-5, false}};
  for (const Probe& p : probes) {
    SCOPED_TRACE(p.ix);
    EXPECT_EQ(cv.RMSEP(p.ix) >= 0.0, p.valid);
    EXPECT_EQ(cv.TPRate(p.ix) >= 0.0, p.valid);
    EXPECT_EQ(cv.FPRate(p.ix) >= 0.0, p.valid);
    if (!p.valid) {
      EXPECT_EQ(cv.RMSEP(p.ix), -1.0);
      EXPECT_EQ(cv.TPRate(p.ix), -1.0);
      EXPECT_EQ(cv.FPRate(p.ix), -1.0);
    }
  }
  EXPECT_EQ(cv.FPRate(2), 0.0);  // every negative hit
  // Without predictor rows there is no mean error to report.
  TMatrix empty(nullptr);
  empty.Resize(2, 0);
  cv.SetXMat(&empty);
  EXPECT_EQ(cv.RMSEP(1), -1.0);
  cv.SetXMat(nullptr);
  EXPECT_EQ(cv.RMSEP(1), -1.0);
  EXPECT_EQ(cv.TPRate(1), 1.0);  // the counts do not depend on XMat
  cv.SetXMat(&d.X);
  EXPECT_EQ(cv.RMSEP(1), 0.0);
  // Marked invalid by a new test size.
  cv.SetTestSize(2);
  for (Integer k = 1; k <= 2; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(cv.RMSEP(k), -1.0);
    EXPECT_EQ(cv.TPRate(k), -1.0);
    EXPECT_EQ(cv.FPRate(k), -1.0);
  }
}

TEST(CrossValidator, NestedExecuteReturnsFalseAndChangesNothing) {
  HookGuard guard;
  SetRandSeed(77);
  TCrossValidator cv(nullptr);
  Data d(6);
  Log log;
  Attach(cv, d, log, 0.0);
  int creates = 0;
  int nested = 0;
  cv.SetOnModelCreateRequest([&](TObject*, Integer pct, const TIntArray& rows, bool& ok) {
    ++creates;
    log.Training.push_back(rows);
    log.CreatePercent.push_back(pct);
    if (creates == 2) {
      const std::size_t tested = log.Tested.size();
      EXPECT_FALSE(cv.Execute());
      ++nested;
      EXPECT_TRUE(cv.IsExecuting());
      EXPECT_EQ(log.Tested.size(), tested);  // no prediction was asked for
    }
    ok = true;
  });
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(creates, 3);  // 2 + 2 + 2 rows
  EXPECT_EQ(log.Tested.size(), 6U);
  EXPECT_EQ(std::set<Integer>(log.Tested.begin(), log.Tested.end()).size(), 6U);
  EXPECT_EQ(log.CreatePercent, (std::vector<Integer>{0, 33, 67}));
  EXPECT_FALSE(cv.IsExecuting());
  EXPECT_EQ(cv.RMSEP(1), 0.0);
  EXPECT_EQ(cv.TPRate(1), 1.0);
  EXPECT_EQ(cv.FPRate(1), 0.0);
}

TEST(CrossValidator, ResponseArrayKeepsItsLengthBetweenCalls) {
  HookGuard guard;
  TCrossValidator cv(nullptr);
  Data d(4);
  Log log;
  Attach(cv, d, log, 0.0);
  std::vector<std::size_t> seen;
  cv.SetOnModelApplyRequest([&](TObject*, Integer, const TDoubleArray& x, TDoubleArray& resp) {
    seen.push_back(resp.size());
    const auto r = static_cast<Integer>(x[0]);
    resp.assign(5, 0.0);  // longer than the two response columns
    resp[0] = d.Y.Elem(1, r);
  });
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(seen, (std::vector<std::size_t>(4, 2U)));
  EXPECT_EQ(cv.RMSEP(1), 0.0);
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
