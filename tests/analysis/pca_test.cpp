// Covariance modes, Jacobi eigen-decomposition and principal components, against NumPy tables
// (tests/reference/pca_reference.py) and the identities A·V = V·diag(lambda), VᵀV = I.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
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
  // The constant column's zero root is replaced by 1e-38, over sums that are exactly 0.
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
