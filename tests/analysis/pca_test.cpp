// Covariance modes, Jacobi eigen-decomposition and principal components, against NumPy tables
// (tests/reference/pca_reference.py) and the identities A·V = V·diag(lambda), VᵀV = I.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;
using Lines = std::vector<std::vector<double>>;

// Sums over at most 30 rows and converged rotations of 12 by 12 matrices lose a few digits.
constexpr double kTol = 1e-12;

void ExpectClose(double got, double want, double tol = kTol) {
  EXPECT_NEAR(got, want, tol * std::max(1.0, std::fabs(want))) << "want " << want;
}

struct Record {
  std::string Kind;
  int A = 0, B = 0;
  Lines L;
};

std::vector<Record> LoadRecords() {
  std::ifstream f(test::ReferencePath("pca_reference.txt"));
  EXPECT_TRUE(f.good());
  std::vector<Record> out;
  std::string s;
  while (std::getline(f, s)) {
    if (s.empty()) continue;
    std::istringstream in(s);
    if (std::isalpha(static_cast<unsigned char>(s[0]))) {
      Record r;
      in >> r.Kind >> r.A >> r.B;
      out.push_back(r);
    } else {
      std::vector<double> v;
      double d;
      while (in >> d) v.push_back(d);
      out.back().L.push_back(v);
    }
  }
  return out;
}

// Rows of lines become matrix rows.
void LoadMatrix(TMatrix& M, const Lines& l, std::size_t first, int rows, int cols) {
  M.Resize(cols, rows);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      M.SetVal(c + 1, r + 1, l[first + static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    }
  }
}

TEST(CalcCovar, AllModesMatchNumPy) {
  HookGuard guard;
  const std::vector<Record> recs = LoadRecords();
  int checked = 0;
  TMatrix data(nullptr);
  int rows = 0, cols = 0;
  for (const Record& rec : recs) {
    if (rec.Kind == "data") {
      rows = rec.A;
      cols = rec.B;
      LoadMatrix(data, rec.L, 0, rows, cols);
    } else if (rec.Kind == "covar") {
      SCOPED_TRACE("mode " + std::to_string(rec.A));
      TMatrix res(nullptr);
      res.Resize(cols + 1, cols + 2);
      res.Fill(test::kSentinel);
      ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, rows, rec.A));
      for (int i = 1; i <= cols; ++i) {
        for (int j = 1; j <= cols; ++j) {
          ExpectClose(res.GetVal(j, i),
                      rec.L[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)]);
        }
        EXPECT_EQ(res.GetVal(cols + 1, i), test::kSentinel);
      }
      EXPECT_EQ(res.GetVal(1, cols + 1), test::kSentinel);
      if (rec.A == 2) {
        for (int i = 1; i <= cols; ++i) EXPECT_EQ(res.GetVal(i, i), 1.0);
      }
      // A column sub-range lands at the top left, indexed from its first column.
      ASSERT_TRUE(CalcCovar(&data, &res, 2, 3, 1, rows, rec.A));
      ExpectClose(res.GetVal(1, 2), rec.L[2][1]);
      ExpectClose(res.GetVal(2, 2), rec.L[2][2]);
      ExpectClose(res.GetVal(1, 1), rec.L[1][1]);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 10);
}

TEST(CalcCovar, CorrelationOfEqualAndConstantColumns) {
  HookGuard guard;
  TMatrix data(nullptr);
  data.Resize(3, 4);
  const double x[] = {1.5, -2.0, 7.25, 0.5};
  for (int r = 1; r <= 4; ++r) {
    data.SetVal(1, r, x[r - 1]);
    data.SetVal(2, r, x[r - 1]);
    data.SetVal(3, r, 4.0);
  }
  TMatrix res(nullptr);
  res.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, 4, 2));
  EXPECT_NEAR(res.GetVal(1, 2), 1.0, 1e-15);
  EXPECT_EQ(res.GetVal(1, 1), 1.0);
  EXPECT_EQ(res.GetVal(3, 3), 1.0);
  // A pair with a constant column has no correlation to report: 0.
  EXPECT_EQ(res.GetVal(1, 3), 0.0);
  EXPECT_EQ(res.GetVal(3, 2), 0.0);
  // A column of 0.1 has a one-pass variance that may round below 0; no NaN comes of it.
  for (int r = 1; r <= 4; ++r) data.SetVal(3, r, 0.1);
  ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, 4, 3));
  for (int i = 1; i <= 3; ++i) EXPECT_FALSE(std::isnan(res.GetVal(3, i)));
  // Mode 5 is unknown: zeros.
  ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, 4, 5));
  EXPECT_EQ(res.GetVal(2, 1), 0.0);
}

TEST(CalcCovar, ZeroVarianceGivesZeroCorrelation) {
  HookGuard guard;
  // 0.3 ten times: the one-pass variance is exactly 0 while the deviations from the rounded
  // mean are not, so dividing by a substitute root would report a huge "correlation".
  TMatrix data(nullptr);
  data.Resize(2, 10);
  for (int r = 1; r <= 10; ++r) {
    data.SetVal(1, r, 0.3);
    data.SetVal(2, r, r - 1.0);
  }
  struct Case {
    Integer Mode;
    double Diag1, Diag2;
  };
  for (const Case& k : {Case{2, 1.0, 1.0}, Case{3, 0.0, 1.0}}) {
    SCOPED_TRACE("mode " + std::to_string(k.Mode));
    TMatrix res(nullptr);
    res.Resize(2, 2);
    res.Fill(test::kSentinel);
    ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 1, 10, k.Mode));
    EXPECT_EQ(res.GetVal(1, 2), 0.0);
    EXPECT_EQ(res.GetVal(2, 1), 0.0);
    EXPECT_EQ(res.GetVal(1, 1), k.Diag1);
    EXPECT_NEAR(res.GetVal(2, 2), k.Diag2, 1e-15);
  }
}

// The covariance cell by cell through GetVal and SetVal, with means, variances and cross sums
// in the corrected two-pass form: deviations from the mean, less the product of their sums
// over n.
void NaiveCovar(TMatrix& D, TMatrix& R, int lc, int hc, int lr, int hr, int mode) {
  const int c = hc - lc + 1;
  const double n = hr - lr + 1;
  std::vector<double> mean(static_cast<std::size_t>(c), 0.0), var(mean), dev(mean);
  if (mode >= 1 && mode <= 3) {
    for (int k = 0; k < c; ++k) {
      const auto ks = static_cast<std::size_t>(k);
      double s = 0.0;
      for (int r = lr; r <= hr; ++r) s += D.GetVal(lc + k, r);
      mean[ks] = s / n;
      double d1 = 0.0, d2 = 0.0;
      bool constant = true;
      for (int r = lr; r <= hr; ++r) {
        const double x = D.GetVal(lc + k, r);
        if (x != D.GetVal(lc + k, lr)) constant = false;
        d1 += x - mean[ks];
        d2 += (x - mean[ks]) * (x - mean[ks]);
      }
      const double v = constant ? 0.0 : (d2 - d1 * d1 / n) / (n - 1.0);
      var[ks] = v < 0.0 ? 0.0 : v;
      dev[ks] = d1;
    }
  }
  for (int i = 1; i <= c; ++i) {
    for (int j = 1; j <= i; ++j) {
      const auto is = static_cast<std::size_t>(i - 1);
      const auto js = static_cast<std::size_t>(j - 1);
      const double mi = mean[is];
      const double mj = mean[js];
      const double root = std::sqrt(var[is] * var[js]);
      double s = 0.0;
      for (int r = lr; r <= hr; ++r) {
        const double a = D.GetVal(lc + i - 1, r);
        const double b = D.GetVal(lc + j - 1, r);
        if (mode == 0) s += a * b;
        if (mode >= 1 && mode <= 3) s += (a - mi) * (b - mj);
        if (mode == 4) s += (a - b) * (a - b);
      }
      double value = s / (n - 1.0);
      if (mode >= 1 && mode <= 3) value = (s - dev[is] * dev[js] / n) / (n - 1.0);
      if (mode == 2 || mode == 3) value = root == 0.0 ? 0.0 : std::clamp(value / root, -1.0, 1.0);
      if (mode == 3) value *= value;
      if (mode == 2 && i == j) value = 1.0;
      R.SetVal(j, i, value);
      R.SetVal(i, j, value);
    }
  }
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameCells(const TMatrix& got, const TMatrix& want) {
  ASSERT_EQ(got.NrOfColumns(), want.NrOfColumns());
  ASSERT_EQ(got.NrOfRows(), want.NrOfRows());
  int differ = 0;
  for (int c = 1; c <= got.NrOfColumns(); ++c) {
    for (int r = 1; r <= got.NrOfRows(); ++r) {
      if (!SameBits(got.GetVal(c, r), want.GetVal(c, r))) ++differ;
    }
  }
  EXPECT_EQ(differ, 0);
}

void RandomFill(TMatrix& m, std::mt19937_64& gen, double offset) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int c = 1; c <= m.NrOfColumns(); ++c) {
    for (int r = 1; r <= m.NrOfRows(); ++r) m.SetVal(c, r, offset + u(gen) * (1.0 + c % 3));
  }
}

TEST(CalcCovar, EveryModeMatchesTheCellByCellSumsBitForBit) {
  HookGuard guard;
  std::mt19937_64 gen(20240611);
  TMatrix data(nullptr);
  data.Resize(14, 203);
  RandomFill(data, gen, 3.0);
  struct Bounds {
    int Lc, Hc, Lr, Hr;
  };
  // One to eleven columns, so that any grouping of cells ends in every possible remainder.
  const Bounds bounds[] = {{2, 12, 3, 200}, {1, 14, 1, 203}, {5, 5, 7, 9},  {3, 4, 1, 2},
                           {6, 8, 10, 150}, {1, 5, 2, 60},   {9, 14, 1, 99}};
  for (const Bounds& b : bounds) {
    const int c = b.Hc - b.Lc + 1;
    for (int mode = 0; mode <= 5; ++mode) {
      SCOPED_TRACE("columns " + std::to_string(b.Lc) + ".." + std::to_string(b.Hc) + " mode " +
                   std::to_string(mode));
      TMatrix want(nullptr), got(nullptr), seen(nullptr);
      for (TMatrix* m : {&want, &got, &seen}) {
        m->Resize(c + 1, c + 2);
        m->Fill(test::kSentinel);
      }
      NaiveCovar(data, want, b.Lc, b.Hc, b.Lr, b.Hr, mode);
      ASSERT_TRUE(CalcCovar(&data, &got, b.Lc, b.Hc, b.Lr, b.Hr, mode));
      ExpectSameCells(got, want);
      // A watched result gets every cell through SetVal: two events per cell of the lower
      // triangle, and the same values.
      test::EventRecorder rec;
      rec.Attach(seen);
      ASSERT_TRUE(CalcCovar(&data, &seen, b.Lc, b.Hc, b.Lr, b.Hr, mode));
      EXPECT_EQ(rec.Changes, c * (c + 1));
      seen.SetOnChange(nullptr);
      ExpectSameCells(seen, want);
    }
  }
}

TEST(CalcCovar, DataThatIsItsOwnResultReadsEachCellAsWritten) {
  HookGuard guard;
  std::mt19937_64 gen(77);
  TMatrix base(nullptr);
  base.Resize(6, 9);
  RandomFill(base, gen, -1.0);
  for (int mode = 0; mode <= 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    TMatrix want(nullptr), got(nullptr);
    want.Assign(&base);
    got.Assign(&base);
    NaiveCovar(want, want, 1, 6, 1, 9, mode);
    ASSERT_TRUE(CalcCovar(&got, &got, 1, 6, 1, 9, mode));
    ExpectSameCells(got, want);
  }
}

int gFeedBackCalls = 0;
int gAbortAt = 0;
void CountingFeedBack(double) {
  ++gFeedBackCalls;
  if (gFeedBackCalls == gAbortAt) AbortMathProc = true;
}

TEST(CalcCovar, ProgressEventsAndAbort) {
  HookGuard guard;
  TMatrix data(nullptr);
  data.Resize(3, 5);
  for (int c = 1; c <= 3; ++c) {
    for (int r = 1; r <= 5; ++r) data.SetVal(c, r, c * r + 0.5 * r * r);
  }
  TMatrix res(nullptr);
  res.Resize(3, 3);
  test::EventRecorder rec;
  rec.Attach(res);
  gFeedBackCalls = 0;
  gAbortAt = 0;
  MathFeedBackProc = &CountingFeedBack;
  ProcStat = 0.0;
  ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 2, 5, 1));
  // Four rows in the mean pass, then n = 4 for each of the six cells of the lower triangle.
  EXPECT_EQ(ProcStat.load(), 4.0 + 6 * 4.0);
  EXPECT_EQ(gFeedBackCalls, 4 + 6);
  EXPECT_EQ(rec.Changes, 12);
  ProcStat = 0.0;
  gFeedBackCalls = 0;
  ASSERT_TRUE(CalcCovar(&data, &res, 0, 0, 2, 5, 0));
  EXPECT_EQ(ProcStat.load(), 6 * 4.0);

  // Aborted in the first cell of row 2: the abort is seen before row 3, so rows 1 and 2 are
  // written, false returned, flag left set.
  gFeedBackCalls = 0;
  gAbortAt = 2;
  rec.Changes = 0;
  EXPECT_FALSE(CalcCovar(&data, &res, 0, 0, 1, 5, 0));
  EXPECT_TRUE(AbortMathProc.load());
  EXPECT_EQ(rec.Changes, 6);
}

TEST(CalcCovar, RefusesBadBoundsAndSmallResult) {
  HookGuard guard;
  TMatrix data(nullptr);
  data.Resize(3, 4);
  data.Fill(2.0);
  TMatrix res(nullptr);
  res.Resize(3, 2);
  res.Fill(test::kSentinel);
  EXPECT_FALSE(CalcCovar(&data, &res, 0, 0, 1, 4, 1));  // 3 columns, 2 result rows
  EXPECT_FALSE(CalcCovar(&data, &res, 1, 2, 3, 3, 1));  // one row: n - 1 = 0
  EXPECT_FALSE(CalcCovar(&data, &res, 1, 2, 0, 4, 1));
  EXPECT_FALSE(CalcCovar(&data, &res, 1, 2, 1, 5, 1));
  EXPECT_FALSE(CalcCovar(&data, &res, 2, 1, 1, 4, 1));
  EXPECT_FALSE(CalcCovar(&data, &res, 2, 4, 1, 4, 1));
  EXPECT_FALSE(CalcCovar(&data, &res, 1, 2, -2147483647 - 1, 2147483647, 1));
  EXPECT_FALSE(CalcCovar(nullptr, &res, 1, 2, 1, 4, 1));
  EXPECT_FALSE(CalcCovar(&data, nullptr, 1, 2, 1, 4, 1));
  for (int c = 1; c <= 3; ++c) {
    for (int r = 1; r <= 2; ++r) EXPECT_EQ(res.GetVal(c, r), test::kSentinel);
  }
  EXPECT_TRUE(CalcCovar(&data, &res, 2, 3, 1, 4, 1));
}

// Checks A·v = lambda·v and orthonormality of the stored decomposition of A.
void ExpectEigenIdentities(const TMatrix& A, int n) {
  ASSERT_EQ(GetEigenSize(), n);
  for (int i = 1; i <= n; ++i) {
    const double lambda = GetEigenResult(i, 0);
    for (int r = 1; r <= n; ++r) {
      double av = 0.0;
      for (int c = 1; c <= n; ++c) av += A.GetVal(c, r) * GetEigenResult(i, c);
      EXPECT_NEAR(av, lambda * GetEigenResult(i, r), kTol * 10);
    }
    for (int k = 1; k <= n; ++k) {
      double dot = 0.0;
      for (int j = 1; j <= n; ++j) dot += GetEigenResult(i, j) * GetEigenResult(k, j);
      EXPECT_NEAR(dot, i == k ? 1.0 : 0.0, kTol);
    }
  }
}

TEST(CalcEigVec, SymmetricMatricesMatchNumPy) {
  HookGuard guard;
  int checked = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind != "eig") continue;
    const int n = rec.A;
    SCOPED_TRACE("n = " + std::to_string(n));
    TMatrix a(nullptr);
    TMatrix work(nullptr);
    LoadMatrix(a, rec.L, 0, n, n);
    LoadMatrix(work, rec.L, 0, n, n);
    ASSERT_TRUE(CalcEigVec(&work));
    ExpectEigenIdentities(a, n);
    // Cells above the diagonal are cleared; the diagonal and the lower part stay.
    for (int c = 1; c <= n; ++c) {
      for (int r = 1; r <= n; ++r) {
        if (r < c) {
          EXPECT_EQ(work.GetVal(c, r), 0.0);
        } else {
          EXPECT_EQ(work.GetVal(c, r), a.GetVal(c, r));
        }
      }
    }
    // NumPy's eigenvalues ascend; ours are in rotation order. Match each to its reference.
    const std::vector<double>& w = rec.L[static_cast<std::size_t>(n)];
    for (int i = 1; i <= n; ++i) {
      const double lambda = GetEigenResult(i, 0);
      std::size_t k = 0;
      for (std::size_t t = 1; t < w.size(); ++t) {
        if (std::fabs(w[t] - lambda) < std::fabs(w[k] - lambda)) k = t;
      }
      ExpectClose(lambda, w[k]);
      const std::vector<double>& ref = rec.L[static_cast<std::size_t>(n) + 1 + k];
      double dot = 0.0;
      for (int j = 1; j <= n; ++j)
        dot += GetEigenResult(i, j) * ref[static_cast<std::size_t>(j - 1)];
      EXPECT_NEAR(std::fabs(dot), 1.0, kTol);
    }
    ++checked;
  }
  EXPECT_EQ(checked, 3);
}

TEST(CalcEigVec, DiagonalMatrixEndsAtFirstTest) {
  HookGuard guard;
  TMatrix m(nullptr);
  m.Resize(3, 3);
  m.SetVal(1, 1, 4.0);
  m.SetVal(2, 2, -1.0);
  m.SetVal(3, 3, 2.5);
  m.SetVal(1, 3, 7.0);  // below the diagonal: never read
  ProcStat = 0.0;
  ASSERT_TRUE(CalcEigVec(&m));
  EXPECT_EQ(ProcStat.load(), 1.0);
  const double want[] = {4.0, -1.0, 2.5};
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(GetEigenResult(i, 0), want[i - 1]);
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(GetEigenResult(i, j), i == j ? 1.0 : 0.0);
  }
  EXPECT_EQ(GetEigenResult(0, 0), 0.0);
  EXPECT_EQ(GetEigenResult(4, 1), 0.0);
  EXPECT_EQ(GetEigenResult(1, 4), 0.0);
  EXPECT_EQ(GetEigenResult(1, -1), 0.0);

  // A non-square matrix is refused and leaves the store as it was.
  TMatrix bad(nullptr);
  bad.Resize(2, 3);
  EXPECT_FALSE(CalcEigVec(&bad));
  EXPECT_FALSE(CalcEigVec(nullptr));
  EXPECT_EQ(GetEigenSize(), 3);
  EXPECT_EQ(GetEigenResult(3, 0), 2.5);

  RemoveEigenMatrix();
  EXPECT_EQ(GetEigenResult(1, 0), 0.0);
  EXPECT_EQ(GetEigenResult(1, 1), 0.0);
  EXPECT_EQ(GetEigenSize(), 0);
}

void AbortAtOnce(double) {
  AbortMathProc = true;
}

TEST(CalcEigVec, AbortAndNaNReturnFalse) {
  HookGuard guard;
  TMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(1, 1, 2.0);
  m.SetVal(2, 2, 2.0);
  m.SetVal(2, 1, 1.0);
  MathFeedBackProc = &AbortAtOnce;
  EXPECT_FALSE(CalcEigVec(&m));
  EXPECT_EQ(GetEigenSize(), 2);
  MathFeedBackProc = nullptr;
  // A NaN never clears: the hundred sweeps run out.
  m.SetVal(2, 1, std::nan(""));
  ProcStat = 0.0;
  EXPECT_FALSE(CalcEigVec(&m));
  EXPECT_EQ(ProcStat.load(), 200.0);  // 100 tests and 100 one-pair sweeps
}

// Cyclic Jacobi as described, on plain arrays: u holds the cell (row r, column c) at
// (r - 1)·n + c - 1 and only r < c is used; v holds component j of vector i at
// (j - 1)·n + i - 1. Writes counts every store into the upper triangle, Steps every progress
// step.
struct JacobiRun {
  std::vector<double> U, V, D;
  bool Ok = true;
  int Writes = 0;
  int Steps = 0;
};

JacobiRun NaiveJacobi(const TMatrix& m) {
  const int n = m.NrOfColumns();
  const auto at = [n](int r, int c) {
    return static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(n) +
           static_cast<std::size_t>(c - 1);
  };
  JacobiRun run;
  run.U.assign(static_cast<std::size_t>(n * n), 0.0);
  run.V.assign(run.U.size(), 0.0);
  for (int r = 1; r <= n; ++r) {
    for (int c = 1; c <= n; ++c) run.U[at(r, c)] = m.GetVal(c, r);
  }
  std::vector<double> d(static_cast<std::size_t>(n)), b, z(d.size(), 0.0);
  for (int i = 1; i <= n; ++i) {
    run.V[at(i, i)] = 1.0;
    d[static_cast<std::size_t>(i - 1)] = m.GetVal(i, i);
  }
  b = d;
  const auto rot = [](double& x, double& y, double s, double tau) {
    const double g = x, h = y;
    x = g - s * (h + g * tau);
    y = h + s * (g - h * tau);
  };
  for (int sweep = 1;; ++sweep) {
    ++run.Steps;
    double sm = 0.0;
    for (int q = 2; q <= n; ++q) {
      for (int p = 1; p < q; ++p) sm += std::fabs(run.U[at(p, q)]);
    }
    if (sm == 0.0) {
      run.Ok = sweep < 100;
      break;
    }
    const double thresh = sweep < 4 ? 0.2 * sm / (double(n) * n) : 0.0;
    for (int p = 1; p < n; ++p) {
      for (int q = p + 1; q <= n; ++q) {
        ++run.Steps;
        double& a = run.U[at(p, q)];
        double& dp = d[static_cast<std::size_t>(p - 1)];
        double& dq = d[static_cast<std::size_t>(q - 1)];
        const double g = 200.0 * std::fabs(a);
        if (sweep > 4 && std::fabs(dp) + g == std::fabs(dp) && std::fabs(dq) + g == std::fabs(dq)) {
          a = 0.0;
          ++run.Writes;
          continue;
        }
        if (!(std::fabs(a) > thresh)) continue;
        double h = dq - dp, t;
        if (std::fabs(h) + g == std::fabs(h)) {
          t = a / h;
        } else {
          const double theta = 0.5 * h / a;
          t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
          if (theta < 0.0) t = -t;
        }
        const double c = 1.0 / std::sqrt(1.0 + t * t), s = t * c, tau = s / (1.0 + c);
        h = t * a;
        z[static_cast<std::size_t>(p - 1)] -= h;
        z[static_cast<std::size_t>(q - 1)] += h;
        dp -= h;
        dq += h;
        a = 0.0;
        ++run.Writes;
        for (int j = 1; j <= n; ++j) {
          if (j == p || j == q) continue;
          // The pair of cells of rows or columns p and q that j meets above the diagonal.
          double& x = j < p ? run.U[at(j, p)] : run.U[at(p, j)];
          double& y = j < q ? run.U[at(j, q)] : run.U[at(q, j)];
          rot(x, y, s, tau);
          run.Writes += 2;
        }
        for (int j = 1; j <= n; ++j) rot(run.V[at(j, p)], run.V[at(j, q)], s, tau);
      }
    }
    for (std::size_t k = 0; k < d.size(); ++k) {
      b[k] += z[k];
      d[k] = b[k];
      z[k] = 0.0;
    }
    if (sweep + 1 > 100) {
      run.Ok = false;
      break;
    }
  }
  run.D = d;
  return run;
}

int gSteps = 0;
void CountSteps(double) {
  ++gSteps;
}

TEST(CalcEigVec, MatchesTheTextbookRotationsBitForBit) {
  HookGuard guard;
  std::mt19937_64 gen(5150);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  for (int n : {1, 2, 3, 5, 8, 17, 31, 40}) {
    // Random symmetric, then one with equal diagonal entries (the h = 0 branch) and a
    // repeated eigenvalue.
    for (int kind = 0; kind < 2; ++kind) {
      SCOPED_TRACE("n = " + std::to_string(n) + " kind " + std::to_string(kind));
      TMatrix m(nullptr);
      m.Resize(n, n);
      for (int c = 1; c <= n; ++c) {
        for (int r = 1; r <= c; ++r) {
          const double x = kind == 0 ? u(gen) : (r == c ? 1.0 : 0.5);
          m.SetVal(c, r, x);
          m.SetVal(r, c, x);
        }
      }
      const JacobiRun want = NaiveJacobi(m);
      for (bool watched : {false, true}) {
        SCOPED_TRACE(watched ? "watched" : "plain");
        TMatrix work(nullptr);
        work.Assign(&m);
        test::EventRecorder rec;
        if (watched) rec.Attach(work);
        gSteps = 0;
        MathFeedBackProc = &CountSteps;
        EXPECT_EQ(CalcEigVec(&work), want.Ok);
        MathFeedBackProc = nullptr;
        EXPECT_EQ(gSteps, want.Steps);
        EXPECT_EQ(rec.Changes, watched ? want.Writes : 0);
        work.SetOnChange(nullptr);
        ASSERT_EQ(GetEigenSize(), n);
        int differ = 0;
        for (int i = 1; i <= n; ++i) {
          if (!SameBits(GetEigenResult(i, 0), want.D[static_cast<std::size_t>(i - 1)])) ++differ;
          for (int j = 1; j <= n; ++j) {
            const auto k = static_cast<std::size_t>((j - 1) * n + i - 1);
            if (!SameBits(GetEigenResult(i, j), want.V[k])) ++differ;
            // Row j, column i of the matrix: above the diagonal as rotated, else untouched.
            const double cell =
                j < i ? want.U[static_cast<std::size_t>((j - 1) * n + i - 1)] : m.GetVal(i, j);
            if (!SameBits(work.GetVal(i, j), cell)) ++differ;
          }
        }
        EXPECT_EQ(differ, 0);
      }
    }
  }
}

TEST(CalcPrincComp, SortedScaledComponentsMatchNumPy) {
  HookGuard guard;
  TMatrix data(nullptr);
  int rows = 0, cols = 0;
  int checked = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind == "data") {
      rows = rec.A;
      cols = rec.B;
      LoadMatrix(data, rec.L, 0, rows, cols);
    } else if (rec.Kind == "pca") {
      // (0, 0) takes every column, as in CalcCovar.
      ASSERT_TRUE(CalcPrincComp(&data, 0, 0, 1, rows, 1));
      ASSERT_EQ(GetEigenSize(), cols);
      for (int i = 1; i <= cols; ++i) {
        ExpectClose(GetEigenResult(i, 0), rec.L[0][static_cast<std::size_t>(i - 1)]);
        double dot = 0.0;
        for (int j = 1; j <= cols; ++j) {
          dot += GetEigenResult(i, j) *
                 rec.L[static_cast<std::size_t>(i)][static_cast<std::size_t>(j - 1)];
        }
        EXPECT_NEAR(std::fabs(dot), 1.0, kTol);
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, 2);
}

TEST(CalcPrincComp, ThreeToOneSplitsAsQuarters) {
  HookGuard guard;
  // Points along (1, 1) and (1, -1) whose spreads make covariance eigenvalues 3 : 1.
  const double s = std::sqrt(3.0);
  const double pts[4][2] = {{s, s}, {-s, -s}, {1.0, -1.0}, {-1.0, 1.0}};
  TMatrix data(nullptr);
  data.Resize(2, 4);
  for (int r = 1; r <= 4; ++r) {
    data.SetVal(1, r, pts[r - 1][0]);
    data.SetVal(2, r, pts[r - 1][1]);
  }
  ASSERT_TRUE(CalcPrincComp(&data, 1, 2, 1, 4, 1));
  EXPECT_NEAR(GetEigenResult(1, 0), 0.75, 1e-15);
  EXPECT_NEAR(GetEigenResult(2, 0), 0.25, 1e-15);
  EXPECT_NEAR(std::fabs(GetEigenResult(1, 1)), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(GetEigenResult(1, 1), GetEigenResult(1, 2), 1e-15);
  EXPECT_NEAR(GetEigenResult(2, 1), -GetEigenResult(2, 2), 1e-15);
  // Unscaled: the covariances themselves, 4 and 4/3.
  ASSERT_TRUE(CalcPrincComp(&data, 1, 2, 1, 4, 1, false));
  EXPECT_NEAR(GetEigenResult(1, 0), 4.0, 1e-14);
  EXPECT_NEAR(GetEigenResult(2, 0), 4.0 / 3.0, 1e-14);
  EXPECT_FALSE(CalcPrincComp(&data, 1, 3, 1, 4, 1));
  EXPECT_FALSE(CalcPrincComp(nullptr, 1, 2, 1, 4, 1));
}

TEST(CalcPrincComp, NonPositiveValuesStayWhereTheyStand) {
  HookGuard guard;
  // Mode 4 has a zero diagonal, so its eigenvalues sum to 0: one positive, the rest negative.
  TMatrix data(nullptr);
  data.Resize(3, 4);
  const double x[4][3] = {{1, 4, 2}, {3, -1, 0}, {0, 2, 5}, {2, 2, -3}};
  for (int r = 1; r <= 4; ++r) {
    for (int c = 1; c <= 3; ++c) data.SetVal(c, r, x[r - 1][c - 1]);
  }
  TMatrix cov(nullptr);
  cov.Resize(3, 3);
  ASSERT_TRUE(CalcCovar(&data, &cov, 1, 3, 1, 4, 4));
  ASSERT_TRUE(CalcEigVec(&cov));
  std::vector<double> raw;
  for (int i = 1; i <= 3; ++i) raw.push_back(GetEigenResult(i, 0));
  ASSERT_TRUE(CalcPrincComp(&data, 1, 3, 1, 4, 4, false));
  // The single positive value moves to the front by one exchange; the rest keep that order.
  const auto top = std::max_element(raw.begin(), raw.end()) - raw.begin();
  ASSERT_GT(raw[static_cast<std::size_t>(top)], 0.0);
  std::swap(raw[0], raw[static_cast<std::size_t>(top)]);
  for (int i = 1; i <= 3; ++i)
    EXPECT_EQ(GetEigenResult(i, 0), raw[static_cast<std::size_t>(i - 1)]);
  EXPECT_GT(0.0, raw[1]);
  EXPECT_GT(0.0, raw[2]);
}

}  // namespace
}  // namespace nuv
