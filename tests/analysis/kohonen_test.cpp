// TKohonen: a hand-computed epoch, window radii with and without wrap, epoch and progress
// counts, abort, the size and data rules, standardisation and classification.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "nuv/analysis/NUV_kohonen.hpp"
#include "nuv/base/constants.hpp"
#include "nuv/platform/random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;

// Loads rows (one object per row) as the training data.
void Load(TKohonen& k, const std::vector<std::vector<double>>& rows) {
  TMatrix m(nullptr);
  m.Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m.SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
  k.SetTrainData(&m);
}

std::vector<double> AllWeights(const TKohonen& k) {
  std::vector<double> w;
  for (Integer x = 1; x <= k.SizeX(); ++x)
    for (Integer y = 1; y <= k.SizeY(); ++y)
      for (Integer i = 1; i <= k.NrOfInSens(); ++i) w.push_back(k.Weights(x, y, i));
  return w;
}

// Two well separated clusters of 2-D points from a fixed LCG.
std::vector<std::vector<double>> Clusters(std::size_t n) {
  std::uint32_t s = 12345u;
  auto u = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<double>(s >> 8) / 16777216.0;
  };
  std::vector<std::vector<double>> rows;
  for (std::size_t k = 0; k < n; ++k) {
    const double cx = k % 2 == 0 ? 10.0 : -4.0;
    rows.push_back({cx + u(), 100.0 + 5.0 * u()});
  }
  return rows;
}

TEST(TKohonenTraining, HandComputedEpochFollowsTheKernel) {
  // 3 x 1 grid of zero weights, objects 1 and -1, rate 0.5, radius 1, one epoch (a = 1).
  TKohonen k(nullptr);
  Load(k, {{1.0}, {-1.0}});
  k.SetSizeX(3);
  k.SetInitialAlpha(0.5);
  k.SetInitialNeighbors(1);
  k.SetNrOfTrnSteps(1);
  std::vector<Integer> events;
  k.SetOnFeedback([&events](TObject*, Integer p) { events.push_back(p); });
  k.ContinueTraining();
  // Object 1: all cells tie, cell 1 wins and cells 1, 2 move by 0.5 to 0.5.
  // Object -1: distances 2.25, 2.25, 1, cell 3 wins (e = 1) and pulls cell 2 with
  // g = sqrt(2.25 - 1); the winner moves by the full rate.
  const double g = std::sqrt(1.25);
  EXPECT_EQ(k.Weights(1, 1, 1), 0.5);
  EXPECT_EQ(k.Weights(2, 1, 1), 0.5 + 0.5 * (1.0 / (g + 1.0)) * (-1.0 - 0.5));
  EXPECT_EQ(k.Weights(3, 1, 1), -0.5);
  EXPECT_EQ(events, std::vector<Integer>{0});
}

TEST(TKohonenTraining, WindowRadiusWithAndWithoutWrap) {
  // One object 1 on zero weights: cell (1, 1) wins and every window cell moves to 1 (g = 0).
  struct Case {
    bool cyclic;
    Integer neighbors;
    std::vector<Integer> moved;  // x-major flags of the 4 x 4 cells
  };
  const std::vector<Case> cases = {
      // 4 div 2 - 1 = 1: x and y in {4, 1, 2}.
      {true, 5, {1, 1, 0, 1, 1, 1, 0, 1, 0, 0, 0, 0, 1, 1, 0, 1}},
      {false, 5, std::vector<Integer>(16, 1)},
      {false, 1, {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      // A negative radius acts as 0: the winner alone.
      {false, -3, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {true, -3, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cyclic << " " << c.neighbors);
    TKohonen k(nullptr);
    Load(k, {{1.0}});
    k.SetSizeX(4);
    k.SetSizeY(4);
    k.SetCyclic(c.cyclic);
    k.SetInitialNeighbors(c.neighbors);
    k.SetNrOfTrnSteps(1);
    k.ContinueTraining();
    std::vector<Integer> moved;
    for (double w : AllWeights(k)) moved.push_back(w == 1.0 ? 1 : (w == 0.0 ? 0 : -1));
    EXPECT_EQ(moved, c.moved);
  }
}

TEST(TKohonenTraining, EpochCountsAndProgress) {
  HookGuard guard;
  SetRandSeed(77);
  TKohonen k(nullptr);
  Load(k, Clusters(6));
  k.SetSizeX(2);
  std::vector<Integer> events;
  k.SetOnFeedback([&events](TObject*, Integer p) { events.push_back(p); });

  // A fresh map starts at step 0: 200 epochs.
  k.ContinueTraining();
  EXPECT_EQ(events.size(), 200u);
  EXPECT_EQ(events.front(), 0);
  EXPECT_EQ(events.back(), 100);  // 199 / 2 = 99.5 rounds to 100

  // Trainit: steps 1 .. 199, reports round(step / 2) with halves to even.
  events.clear();
  k.Trainit();
  ASSERT_EQ(events.size(), 199u);
  EXPECT_EQ(events[0], 0);  // 0.5
  EXPECT_EQ(events[1], 1);  // 1
  EXPECT_EQ(events[2], 2);  // 1.5
  EXPECT_EQ(events[4], 2);  // 2.5
  EXPECT_EQ(events[198], 100);

  // After the end: one epoch of rate 0, weights unchanged.
  std::vector<double> before = AllWeights(k);
  events.clear();
  k.ContinueTraining();
  EXPECT_EQ(events, std::vector<Integer>{100});
  EXPECT_EQ(AllWeights(k), before);

  // Fewer steps than already done: the same, no rate above the initial one.
  k.SetNrOfTrnSteps(10);
  events.clear();
  k.ContinueTraining();
  EXPECT_EQ(events, std::vector<Integer>{100});
  EXPECT_EQ(AllWeights(k), before);

  // No steps at all: no epoch and no report, neither continued nor from a fresh start.
  for (Integer steps : {0, -5}) {
    SCOPED_TRACE(steps);
    k.SetNrOfTrnSteps(steps);
    events.clear();
    k.ContinueTraining();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(AllWeights(k), before);
    k.Trainit();
    EXPECT_TRUE(events.empty());
    const std::vector<double> fresh = AllWeights(k);
    k.ContinueTraining();  // random weights, untrained
    EXPECT_EQ(AllWeights(k), fresh);
    EXPECT_TRUE(events.empty());
    k.SetNrOfTrnSteps(200);
    k.ContinueTraining();  // the whole schedule after all, from step 1
    EXPECT_EQ(events.size(), 199u);
    before = AllWeights(k);
    events.clear();
  }
}

TEST(TKohonenTraining, AbortEndsAfterTheEpochAndResumes) {
  HookGuard guard;
  SetRandSeed(3);
  TKohonen k(nullptr);
  Load(k, Clusters(4));
  Integer count = 0;
  k.SetOnFeedback([&](TObject*, Integer) {
    if (++count == 10) k.AbortTraining();
  });
  k.Trainit();
  EXPECT_EQ(count, 10);
  // The stop request is cleared: the rest, steps 11 .. 199, runs.
  k.ContinueTraining();
  EXPECT_EQ(count, 199);
}

TEST(TKohonenTraining, RandomStartAndShrinkingDistances) {
  HookGuard guard;
  const auto rows = Clusters(40);
  // Naive two-pass column means and sample deviations.
  double m[2] = {0, 0};
  double sd[2] = {0, 0};
  for (int c = 0; c < 2; ++c) {
    for (const auto& r : rows) m[c] += r[c];
    m[c] /= 40.0;
    for (const auto& r : rows) sd[c] += (r[c] - m[c]) * (r[c] - m[c]);
    sd[c] = std::sqrt(sd[c] / 39.0);
  }
  TKohonen k(nullptr);
  Load(k, rows);
  k.SetSizeX(3);
  k.SetSizeY(2);
  k.StandardizeData();

  auto meanBest = [&] {
    TVector in(nullptr);
    in.SetVecSize(2);
    double sum = 0.0;
    for (const auto& r : rows) {
      in.SetVal(1, r[0]);
      in.SetVal(2, r[1]);
      Integer bx = -1;
      Integer by = -1;
      double d = 0.0;
      k.ApplyIt(&in, bx, by, d);
      sum += d;
    }
    return sum / 40.0;
  };

  // One step in all: Trainit's epoch at step 1 has rate 0, leaving the random start, drawn
  // x-major, then y, then the inputs, and read back as w·s + m.
  k.SetNrOfTrnSteps(1);
  SetRandSeed(2024);
  k.Trainit();
  SetRandSeed(2024);
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 2; ++y)
      for (Integer i = 1; i <= 2; ++i) {
        const double w = (Random() - 0.5) * 0.2;
        EXPECT_NEAR(k.Weights(x, y, i), w * sd[i - 1] + m[i - 1], 1e-12 * std::fabs(m[i - 1]));
      }
  const double untrained = meanBest();

  k.SetNrOfTrnSteps(200);
  k.Trainit();
  const double trained = meanBest();
  // Random weights near 0 sit about one unit per input from each standardised object; the
  // trained map holds cells in both clusters (the radius never falls below 1, so neighbours
  // keep pulling each other and the error stays well above that of six free centres).
  EXPECT_GT(untrained, 0.5);
  EXPECT_LT(trained, 0.4 * untrained);

  // A de-standardised cell weight classifies as that cell at distance ~0.
  for (Integer x = 1; x <= 3; ++x)
    for (Integer y = 1; y <= 2; ++y) {
      TVector in(nullptr);
      in.SetVecSize(2);
      in.SetVal(1, k.Weights(x, y, 1));
      in.SetVal(2, k.Weights(x, y, 2));
      Integer bx = 0;
      Integer by = 0;
      double d = -1.0;
      k.ApplyIt(&in, bx, by, d);
      EXPECT_LT(d, 1e-24);
      EXPECT_EQ(k.Weights(bx, by, 1), k.Weights(x, y, 1));
      EXPECT_EQ(k.Weights(bx, by, 2), k.Weights(x, y, 2));
    }
}

TEST(TKohonenData, ConstantColumnIsCentredAndClassifiesConsistently) {
  TKohonen k(nullptr);
  Load(k, {{1.0, 5.0}, {2.0, 5.0}, {4.0, 5.0}, {5.0, 5.0}});
  k.SetSizeX(2);
  k.StandardizeData();
  for (Integer r = 1; r <= 4; ++r) EXPECT_EQ(k.TrainData()->GetVal(2, r), 0.0);
  k.Trainit();
  // Trained toward 0 from [-0.1, 0.1) by steps that never overshoot; read back as w + 5.
  for (Integer x = 1; x <= 2; ++x) {
    EXPECT_GT(k.Weights(x, 1, 2), 4.9);
    EXPECT_LT(k.Weights(x, 1, 2), 5.1);
  }
  // ApplyIt takes the input back to w through x - m: a cell's own weights cost nothing.
  TVector in(nullptr);
  in.SetVecSize(2);
  in.SetVal(1, k.Weights(2, 1, 1));
  in.SetVal(2, k.Weights(2, 1, 2));
  Integer bx = 0;
  Integer by = 0;
  double d = -1.0;
  k.ApplyIt(&in, bx, by, d);
  EXPECT_LT(d, 1e-24);
}

TEST(TKohonenData, ApplyItTiesNullAndNonFinite) {
  TKohonen k(nullptr);
  Load(k, {{1.0, 2.0}});
  k.SetSizeX(3);
  k.SetSizeY(3);  // all weights 0: every cell ties and (1, 1) wins
  TVector in(nullptr);
  in.SetVecSize(2);
  in.SetVal(1, 3.0);
  in.SetVal(2, 4.0);
  Integer bx = 9;
  Integer by = 9;
  double d = 0.0;
  k.ApplyIt(&in, bx, by, d);
  EXPECT_EQ(bx, 1);
  EXPECT_EQ(by, 1);
  EXPECT_EQ(d, 25.0);
  // No cell below uc_MaxDouble: the indices are left as they were.
  in.SetVal(1, std::numeric_limits<double>::quiet_NaN());
  bx = 2;
  by = 3;
  k.ApplyIt(&in, bx, by, d);
  EXPECT_EQ(bx, 2);
  EXPECT_EQ(by, 3);
  EXPECT_EQ(d, uc_MaxDouble);
  in.SetVal(1, 1e200);  // the squared distance overflows
  d = 0.0;
  k.ApplyIt(&in, bx, by, d);
  EXPECT_EQ(bx, 2);
  EXPECT_EQ(d, uc_MaxDouble);
  // No input: nothing is touched.
  bx = 7;
  d = -3.0;
  k.ApplyIt(nullptr, bx, by, d);
  EXPECT_EQ(bx, 7);
  EXPECT_EQ(by, 3);
  EXPECT_EQ(d, -3.0);

  // An object whose distance overflows has no winner: nothing moves, the epoch still counts.
  Load(k, {{1e200, 0.0}, {std::numeric_limits<double>::quiet_NaN(), 0.0}});
  k.SetNrOfTrnSteps(1);
  Integer events = 0;
  k.SetOnFeedback([&events](TObject*, Integer) { ++events; });
  k.ContinueTraining();
  EXPECT_EQ(events, 1);
  for (double w : AllWeights(k)) EXPECT_EQ(w, 0.0);
}

TEST(TKohonenData, SizeInputAndDataWriters) {
  HookGuard guard;
  SetRandSeed(5);
  TKohonen k(nullptr);
  const double w0 = k.Weights(1, 1, 1);
  EXPECT_NE(w0, 0.0);  // the constructor's random weight
  k.SetSizeX(0);
  k.SetSizeY(-1);
  k.SetNrOfInSens(0);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.Weights(1, 1, 1), w0);
  k.SetSizeX(1);  // even the same size re-creates the weights
  EXPECT_EQ(k.Weights(1, 1, 1), 0.0);

  k.SetNrOfInSens(3);
  EXPECT_EQ(k.TrainData()->NrOfColumns(), 3);
  EXPECT_EQ(k.TrainData()->NrOfRows(), 1);

  TMatrix m(nullptr);
  m.Resize(2, 5);
  m.Fill(7.0);
  k.SetTrainData(&m);
  EXPECT_EQ(k.NrOfInSens(), 2);
  EXPECT_EQ(k.TrainData()->NrOfRows(), 5);
  EXPECT_EQ(k.TrainData()->GetVal(2, 5), 7.0);
  k.SetTrainData(k.TrainData());  // its own matrix: data kept
  EXPECT_EQ(k.TrainData()->GetVal(2, 5), 7.0);
  k.SetTrainData(nullptr);
  TMatrix empty(nullptr);
  empty.Resize(0, 4);
  k.SetTrainData(&empty);
  EXPECT_EQ(k.NrOfInSens(), 2);
  EXPECT_EQ(k.TrainData()->NrOfRows(), 5);
  // Outside the map a weight reads 0.
  EXPECT_EQ(k.Weights(2, 1, 1), 0.0);
  EXPECT_EQ(k.Weights(1, 1, 3), 0.0);

  // A training matrix reshaped by the caller is read within its bounds only.
  k.TrainData()->Resize(1, 2);
  k.SetNrOfTrnSteps(3);
  k.ContinueTraining();
  EXPECT_TRUE(std::isfinite(k.Weights(1, 1, 2)));
}

}  // namespace
}  // namespace nuv
