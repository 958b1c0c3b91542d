// TMat4D reshaping: cut, resample, transpose and mirrors (cells, sizes, events, progress).
#include <climits>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/NUV_matrix.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

double Code(Int64 x, Int64 y, Int64 z, Int64 t) {
  return static_cast<double>(x + 10 * y + 100 * z + 1000 * t);
}

void MakeCoded(TMat4D& m, Integer nx, Integer ny, Integer nz, Integer nt) {
  m.Resize(nx, ny, nz, nt);
  for (Integer x = 1; x <= nx; ++x)
    for (Integer y = 1; y <= ny; ++y)
      for (Integer z = 1; z <= nz; ++z)
        for (Integer t = 1; t <= nt; ++t) m.SetVal(x, y, z, t, Code(x, y, z, t));
}

void MakeRow(TMat4D& m, const std::vector<double>& v) {
  m.Resize(static_cast<Integer>(v.size()), 1, 1, 1);
  for (std::size_t i = 0; i < v.size(); ++i) m.SetVal(static_cast<Integer>(i + 1), 1, 1, 1, v[i]);
}

std::vector<double> Row(const TMat4D& m) {
  std::vector<double> v;
  for (Integer x = 1; x <= m.NrOfColumns(); ++x) v.push_back(m.GetVal(x, 1, 1, 1));
  return v;
}

void ExpectSizes(const TMat4D& m, Integer nx, Integer ny, Integer nz, Integer nt) {
  EXPECT_EQ(m.NrOfColumns(), nx);
  EXPECT_EQ(m.NrOfRows(), ny);
  EXPECT_EQ(m.NrOfLayers(), nz);
  EXPECT_EQ(m.NrOfTimeSlots(), nt);
}

TEST(TMat4DCut, BoxBecomesArrayWithRangeRuleAndProgress) {
  TMat4D m(nullptr);
  MakeRow(m, {1, 2, 3, 4});
  m.Cut(2, 3, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(Row(m), (std::vector<double>{2, 3}));

  MakeCoded(m, 4, 3, 3, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  std::vector<Integer> percents;
  m.SetOnPercentDone([&](TObject* s, Integer p) {
    EXPECT_EQ(s, &m);
    percents.push_back(p);
  });
  // Columns reversed, rows whole, layers clamped then exchanged, slot below 1 taken as 1.
  m.Cut(4, 2, 0, 0, 5, 2, -3, 1);
  ExpectSizes(m, 3, 3, 2, 1);
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 3; ++y)
      for (Integer z = 1; z <= 2; ++z) EXPECT_EQ(m.GetVal(x, y, z, 1), Code(x + 1, y, z + 1, 1));
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(percents, (std::vector<Integer>{25, 50, 75, 100}));  // 2 pairs, twice

  rec.Changes = 0;
  MakeCoded(m, 2, 2, 2, 2);
  rec.Changes = 0;
  m.Cut(0, 0, 0, 0, 0, 0, 0, 0);
  ExpectSizes(m, 2, 2, 2, 2);
  EXPECT_EQ(m.GetVal(2, 1, 2, 2), Code(2, 1, 2, 2));
  EXPECT_EQ(rec.Changes, 1);
}

TEST(TMat4DResample, RowExamplesAverageAndSubsample) {
  TMat4D m(nullptr);
  struct Case {
    Integer div, off;
    bool avg;
    std::vector<double> want;
  };
  // The last block of a cut-off row is still divided by the full block size.
  const Case cases[] = {{2, 0, true, {1.5, 3.5, 2.5}},
                        {2, 0, false, {1, 3, 5}},
                        {2, 1, false, {2, 4}},
                        {2, 3, false, {2, 4}},
                        {2, 1, true, {2.5, 4.5}},
                        {5, 0, true, {3}},
                        {1, 0, false, {1, 2, 3, 4, 5}},
                        // Negative offset: the first block starts before the first cell,
                        // which counts as 0.
                        {2, -1, true, {0.5, 2.5, 4.5}},
                        {2, -1, false, {0, 2, 4}},
                        {4, 3, false, {4}},
                        {7, 6, false, {0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.div << " " << c.off << " " << c.avg);
    MakeRow(m, {1, 2, 3, 4, 5});
    m.Resample(c.div, c.off, 1, 0, 1, 0, 1, 0, c.avg);
    EXPECT_EQ(Row(m), c.want);
  }
  // A huge block visits only the cells inside the array.
  MakeRow(m, {1, 2, 3, 4, 5});
  m.Resample(INT_MAX, 0, INT_MAX, 0, 1, 0, 1, 0, true);
  ExpectSizes(m, 1, 1, 1, 1);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 15.0 / (static_cast<double>(INT_MAX) * INT_MAX));
}

TEST(TMat4DResample, FourDimensionalBlocksMatchNaiveSums) {
  TMat4D m(nullptr);
  MakeCoded(m, 5, 4, 3, 3);
  TMat4D ref(nullptr);
  ref.Assign(&m);
  std::vector<Integer> percents;
  m.SetOnPercentDone([&](TObject*, Integer p) { percents.push_back(p); });
  m.Resample(2, 1, 3, 0, 2, 0, 2, 5, true);  // slot offset 5 mod 2 = 1
  // New sizes: (5-1-1) div 2 + 1 = 2, (4-0-1) div 3 + 1 = 2, (3-1) div 2 + 1 = 2, (3-2) div 2 + 1
  // = 1.
  ExpectSizes(m, 2, 2, 2, 1);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer z = 1; z <= 2; ++z) {
        double sum = 0;  // integer-valued cells: any order gives the same sum
        for (Integer i = 1; i <= 2; ++i)
          for (Integer j = 1; j <= 3; ++j)
            for (Integer k = 1; k <= 2; ++k)
              for (Integer l = 1; l <= 2; ++l)
                sum += ref.GetVal((x - 1) * 2 + 1 + i, (y - 1) * 3 + j, (z - 1) * 2 + k, 1 + l);
        EXPECT_EQ(m.GetVal(x, y, z, 1), sum / 24.0) << x << y << z;
      }
  EXPECT_EQ(percents, (std::vector<Integer>{50, 100}));  // T'·Z' = 2 pairs
}

TEST(TMat4DResample, BadDivisorRaisesBeforeAnyChange) {
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 2, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  NUV_EXPECT_THROW_MSG(m.Resample(1, 0, 1, 0, 1, 0, 0, 0, true), EMathError, "Division by zero");
  NUV_EXPECT_THROW_MSG(m.Resample(-2, 0, 0, 0, 1, 0, 1, 0, true), EMathError, "Division by zero");
  NUV_EXPECT_THROW_MSG(m.Resample(1, 0, -1, 0, 1, 0, 1, 0, false), EMathError, "Division by zero");
  // XDiv -2 on 3 columns would give 0 new columns.
  NUV_EXPECT_THROW_MSG(m.Resample(-2, 0, 1, 0, 1, 0, 1, 0, true), EMathError, "Division by zero");
  ExpectSizes(m, 3, 2, 2, 2);
  EXPECT_EQ(m.GetVal(3, 2, 2, 2), Code(3, 2, 2, 2));
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMat4DTranspose, ExchangesColumnsAndRowsInEveryVolume) {
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 2, 3);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  std::vector<Integer> percents;
  m.SetOnPercentDone([&](TObject*, Integer p) { percents.push_back(p); });
  EXPECT_TRUE(m.Transpose());
  ExpectSizes(m, 2, 3, 2, 3);
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer z = 1; z <= 2; ++z)
        for (Integer t = 1; t <= 3; ++t) EXPECT_EQ(m.GetVal(y, x, z, t), Code(x, y, z, t));
  EXPECT_EQ(rec.Changes, 1);
  ASSERT_EQ(percents.size(), 12u);  // 2·X·Y pairs, step 1
  EXPECT_EQ(percents[5], 50);
  EXPECT_EQ(percents.back(), 100);
}

TEST(TMat4DTranspose, AbortLeavesArrayUnchanged) {
  HookGuard guard;
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 1, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  AbortMathProc = true;
  EXPECT_FALSE(m.Transpose());
  ExpectSizes(m, 3, 2, 1, 2);
  EXPECT_EQ(m.GetVal(3, 1, 1, 2), Code(3, 1, 1, 2));
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TMat4DTranspose, AbortDuringTheSecondPassComesTooLate) {
  HookGuard guard;
  TMat4D m(nullptr);
  MakeCoded(m, 3, 2, 1, 2);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  // Raised once the first pass (the copy) has reported its last pair: 6 of 12 pairs.
  m.SetOnPercentDone([](TObject*, Integer p) {
    if (p >= 50) AbortMathProc = true;
  });
  EXPECT_TRUE(m.Transpose());
  ExpectSizes(m, 2, 3, 1, 2);
  for (Integer x = 1; x <= 3; ++x) {
    for (Integer y = 1; y <= 2; ++y) {
      for (Integer t = 1; t <= 2; ++t) EXPECT_EQ(m.GetVal(y, x, 1, t), Code(x, y, 1, t));
    }
  }
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_TRUE(AbortMathProc.load());  // left set for the caller
}

TEST(TMat4DMirror, ReversesOneDimensionAndFiresOnce) {
  TMat4D m(nullptr);
  EventRecorder rec;
  m.SetOnChange(rec.ChangeHandler());
  MakeRow(m, {1, 2, 3, 4, 5});
  rec.Changes = 0;
  m.MirrorColumns();
  EXPECT_EQ(Row(m), (std::vector<double>{5, 4, 3, 2, 1}));
  EXPECT_EQ(rec.Changes, 1);
  MakeRow(m, {7});
  rec.Changes = 0;
  m.MirrorColumns();
  EXPECT_EQ(Row(m), (std::vector<double>{7}));
  EXPECT_EQ(rec.Changes, 1);

  struct Case {
    void (TMat4D::*op)();
    int dim;
  };
  const Case cases[] = {{&TMat4D::MirrorColumns, 0},
                        {&TMat4D::MirrorRows, 1},
                        {&TMat4D::MirrorLayers, 2},
                        {&TMat4D::MirrorTimeSlots, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dim);
    MakeCoded(m, 3, 4, 2, 5);
    rec.Changes = 0;
    (m.*c.op)();
    EXPECT_EQ(rec.Changes, 1);
    for (Integer x = 1; x <= 3; ++x)
      for (Integer y = 1; y <= 4; ++y)
        for (Integer z = 1; z <= 2; ++z)
          for (Integer t = 1; t <= 5; ++t) {
            const Integer sx = c.dim == 0 ? 4 - x : x;
            const Integer sy = c.dim == 1 ? 5 - y : y;
            const Integer sz = c.dim == 2 ? 3 - z : z;
            const Integer st = c.dim == 3 ? 6 - t : t;
            EXPECT_EQ(m.GetVal(x, y, z, t), Code(sx, sy, sz, st));
          }
  }
}

TEST(TMat4DMirror, ProcStatStepsFollowTheStepRule) {
  HookGuard guard;
  TMat4D m(nullptr);
  // step = Trunc(6·0.005·50·1) = 1: 3 pairs × 50 rows = 150 ticks, one step per 2.
  m.Resize(6, 50, 1, 1);
  ProcStat = 0;
  m.MirrorColumns();
  EXPECT_EQ(ProcStat.load(), 75.0);
  // Time slots use T instead of Z: step = Trunc(2·0.005·1·250) = 2; 125 pairs × 2 columns.
  m.Resize(2, 1, 500, 250);
  ProcStat = 0;
  m.MirrorTimeSlots();
  EXPECT_EQ(ProcStat.load(), 83.0);
  // Rows: step = Trunc(4·0.005·30·5) = 3; 15 pairs × 4 columns × 5 layers = 300 ticks.
  m.Resize(4, 30, 5, 1);
  ProcStat = 0;
  m.MirrorRows();
  EXPECT_EQ(ProcStat.load(), 75.0);
}

}  // namespace
}  // namespace nuv::test
