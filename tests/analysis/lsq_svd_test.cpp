// Least squares by singular value decomposition, pseudo-inverse and Mahalanobis distance,
// against NumPy/SciPy tables (tests/reference/lsq_reference.py) and closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "nuv/analysis/detail/lsq.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::HookGuard;

// The SVD and back substitution of well-conditioned systems of this size lose a few digits;
// the tables carry 17.
constexpr double kTol = 1e-11;

void ExpectClose(double got, double want, double tol = kTol) {
  EXPECT_NEAR(got, want, tol * std::max(1.0, std::fabs(want))) << "want " << want;
}

struct Record {
  std::string Kind;
  int M = 0, N = 0;
  std::vector<std::vector<double>> Lines;
};

std::vector<double> ParseLine(const std::string& s) {
  std::istringstream in(s);
  std::vector<double> v;
  double d;
  while (in >> d) v.push_back(d);
  return v;
}

std::vector<Record> LoadRecords() {
  std::ifstream f(test::ReferencePath("lsq_reference.txt"));
  EXPECT_TRUE(f.good());
  std::vector<Record> out;
  std::string s;
  while (std::getline(f, s)) {
    if (s.empty()) continue;
    if (std::isalpha(static_cast<unsigned char>(s[0]))) {
      Record r;
      std::istringstream in(s);
      in >> r.Kind >> r.M;
      if (r.Kind != "maha") in >> r.N;
      out.push_back(r);
    } else {
      out.back().Lines.push_back(ParseLine(s));
    }
  }
  return out;
}

void LoadMatrix(TMatrix& A, const std::vector<std::vector<double>>& lines, int first, int m,
                int n) {
  A.Resize(n, m);
  for (int r = 0; r < m; ++r) {
    for (int c = 0; c < n; ++c)
      A.SetVal(c + 1, r + 1,
               lines[static_cast<std::size_t>(first + r)][static_cast<std::size_t>(c)]);
  }
}

void LoadVector(TVector& v, const std::vector<double>& values) {
  v.SetVecSize(static_cast<Integer>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), values[i]);
}

TEST(SolveBySingValDecomp, MatchesMinimumNormLeastSquares) {
  int count = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind != "lsq") continue;
    ++count;
    SCOPED_TRACE(std::to_string(rec.M) + "x" + std::to_string(rec.N));
    TMatrix A(nullptr), A0(nullptr);
    TVector b(nullptr), x(nullptr);
    LoadMatrix(A, rec.Lines, 0, rec.M, rec.N);
    A0.Clone(&A);
    LoadVector(b, rec.Lines[static_cast<std::size_t>(rec.M)]);
    x.SetVecSize(rec.N);
    bool nearSingular = false;
    ASSERT_TRUE(detail::SolveBySingValDecomp(&A, &b, &x, nullptr, nearSingular));
    const auto& want = rec.Lines[static_cast<std::size_t>(rec.M) + 1];
    for (int j = 0; j < rec.N; ++j) ExpectClose(x.GetVal(j + 1), want[static_cast<std::size_t>(j)]);
    // Residual |A x - b| from the original matrix.
    double r2 = 0.0;
    for (int i = 1; i <= rec.M; ++i) {
      double s = 0.0;
      for (int j = 1; j <= rec.N; ++j) s += A0.GetVal(j, i) * x.GetVal(j);
      r2 += (s - b.GetVal(i)) * (s - b.GetVal(i));
    }
    ExpectClose(std::sqrt(r2), rec.Lines[static_cast<std::size_t>(rec.M) + 2][0]);
    // Wide and rank-deficient systems have singular values at rounding level.
    const bool deficient = rec.M < rec.N || (rec.M == 10 && rec.N == 3);
    EXPECT_EQ(nearSingular, deficient);
    EXPECT_NE(A.CRCofData(), A0.CRCofData());  // overwritten by U
  }
  EXPECT_EQ(count, 9);
}

TEST(SolveBySingValDecomp, StandardErrorsOfStraightLine) {
  // y = a + b t: the standard errors are the roots of the diagonal of (AᵀA)⁻¹.
  const std::vector<double> t{0.0, 1.0, 2.0, 4.0, 7.0};
  TMatrix A(nullptr);
  TVector b(nullptr), x(nullptr), se(nullptr);
  A.Resize(2, 5);
  b.SetVecSize(5);
  for (int i = 0; i < 5; ++i) {
    A.SetVal(1, i + 1, 1.0);
    A.SetVal(2, i + 1, t[static_cast<std::size_t>(i)]);
    b.SetVal(i + 1, 3.0 - 0.5 * t[static_cast<std::size_t>(i)]);
  }
  x.SetVecSize(2);
  se.SetVecSize(2);
  bool nearSingular = true;
  ASSERT_TRUE(detail::SolveBySingValDecomp(&A, &b, &x, &se, nearSingular));
  EXPECT_FALSE(nearSingular);
  ExpectClose(x.GetVal(1), 3.0);
  ExpectClose(x.GetVal(2), -0.5);
  double st = 0.0, stt = 0.0;
  for (double v : t) {
    st += v;
    stt += v * v;
  }
  const double det = 5.0 * stt - st * st;
  ExpectClose(se.GetVal(1), std::sqrt(stt / det));
  ExpectClose(se.GetVal(2), std::sqrt(5.0 / det));
}

TEST(SolveBySingValDecomp, ZeroMatrixIsNearSingularWithZeroSolution) {
  TMatrix A(nullptr);
  TVector b(nullptr), x(nullptr);
  A.Resize(2, 3);
  b.SetVecSize(3);
  b.Fill(1.0);
  x.SetVecSize(2);
  x.Fill(test::kSentinel);
  bool nearSingular = false;
  EXPECT_TRUE(detail::SolveBySingValDecomp(&A, &b, &x, nullptr, nearSingular));
  EXPECT_TRUE(nearSingular);
  EXPECT_EQ(x.GetVal(1), 0.0);
  EXPECT_EQ(x.GetVal(2), 0.0);
}

TEST(SolveBySingValDecomp, AbortReportsFailure) {
  HookGuard guard;
  TMatrix A(nullptr);
  TVector b(nullptr), x(nullptr);
  A.Resize(2, 2);
  A.FillDiag(1.0);
  b.SetVecSize(2);
  x.SetVecSize(2);
  AbortMathProc = true;
  bool nearSingular = true;
  EXPECT_FALSE(detail::SolveBySingValDecomp(&A, &b, &x, nullptr, nearSingular));
  EXPECT_FALSE(nearSingular);
  TMatrix P(nullptr);
  EXPECT_FALSE(PseudoInverse(&A, P, 0.0));
}

TEST(PseudoInverse, MatchesNumPy) {
  int count = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind != "pinv") continue;
    ++count;
    SCOPED_TRACE(std::to_string(rec.M) + "x" + std::to_string(rec.N));
    TMatrix A(nullptr), P(nullptr);
    LoadMatrix(A, rec.Lines, 0, rec.M, rec.N);
    const std::string before = A.CRCofData();
    ASSERT_TRUE(PseudoInverse(&A, P, 0.0));
    EXPECT_EQ(A.CRCofData(), before);
    EXPECT_EQ(P.NrOfColumns(), rec.M);
    EXPECT_EQ(P.NrOfRows(), rec.N);
    for (int r = 0; r < rec.N; ++r) {
      for (int c = 0; c < rec.M; ++c) {
        ExpectClose(P.GetVal(c + 1, r + 1),
                    rec.Lines[static_cast<std::size_t>(rec.M + r)][static_cast<std::size_t>(c)]);
      }
    }
  }
  EXPECT_EQ(count, 5);
}

TEST(PseudoInverse, ZeroSingularValueIsDroppedWhateverTheThreshold) {
  TMatrix A(nullptr), P(nullptr);
  A.Resize(2, 2);
  A.SetVal(1, 1, 1.0);
  EXPECT_TRUE(PseudoInverse(&A, P, -1.0));
  EXPECT_EQ(P.GetVal(1, 1), 1.0);
  EXPECT_EQ(P.GetVal(2, 1), 0.0);
  EXPECT_EQ(P.GetVal(1, 2), 0.0);
  EXPECT_EQ(P.GetVal(2, 2), 0.0);
  // A threshold above a singular value drops it too.
  A.SetVal(2, 2, 0.5);
  EXPECT_TRUE(PseudoInverse(&A, P, 0.6));
  EXPECT_EQ(P.GetVal(2, 2), 0.0);
  EXPECT_TRUE(PseudoInverse(&A, P, 0.4));
  ExpectClose(P.GetVal(2, 2), 2.0);
}

TEST(MahalanobisDistance, MatchesSciPyAndEuclidForIdentity) {
  int count = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind != "maha") continue;
    ++count;
    const int n = rec.M;
    TVector u(nullptr), v(nullptr);
    TMatrix VI(nullptr);
    LoadVector(u, rec.Lines[0]);
    LoadVector(v, rec.Lines[1]);
    LoadMatrix(VI, rec.Lines, 2, n, n);
    ExpectClose(MahalanobisDistance(&u, &v, &VI), rec.Lines[static_cast<std::size_t>(n) + 2][0],
                1e-13);
    VI.Fill(0.0);
    VI.FillDiag(1.0);
    double e = 0.0;
    for (int i = 1; i <= n; ++i) e += (u.GetVal(i) - v.GetVal(i)) * (u.GetVal(i) - v.GetVal(i));
    ExpectClose(MahalanobisDistance(&u, &v, &VI), std::sqrt(e), 1e-15);
  }
  EXPECT_EQ(count, 4);
}

TEST(MahalanobisDistance, MessagesInOrder) {
  TVector x(nullptr), y(nullptr);
  TMatrix M(nullptr);
  x.SetVecSize(2);
  y.SetVecSize(3);
  M.Resize(2, 3);
  NUV_EXPECT_THROW_MSG(MahalanobisDistance(&x, &y, &M), ENUVVectorError,
                       "MahalanobisDistance: dimensions of vectors do not match");
  y.SetVecSize(2);
  NUV_EXPECT_THROW_MSG(MahalanobisDistance(&x, &y, &M), ENUVVectorError,
                       "MahalanobisDistance: inverse covariance matrix is not quadratric");
  M.Resize(3, 3);
  NUV_EXPECT_THROW_MSG(
      MahalanobisDistance(&x, &y, &M), ENUVVectorError,
      "MahalanobisDistance: dimension of vectors and inverse covariance matrix do not match");
  M.Resize(2, 2);
  M.FillDiag(-1.0);
  x.SetVal(1, 1.0);
  NUV_EXPECT_THROW_MSG(
      MahalanobisDistance(&x, &y, &M), ENUVVectorError,
      "MahalanobisDistance: the inverse covariance matrix must be symmetric and positive definite");
}

}  // namespace
}  // namespace nuv
