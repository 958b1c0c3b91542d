// Singular value decomposition: reconstruction, orthogonality, reference singular values,
// events, progress and abort, and the direct and the observed paths agreeing bit for bit.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "matrix_test_util.hpp"
#include "nuv/matrix/detail/svd.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv::test {
namespace {

// Residuals of a backward-stable decomposition scale with n·eps·|A|.
constexpr double kResidual = 1e-13;

struct Svd {
  TMatrix U{nullptr};
  TMatrix V{nullptr};
  TVector W{nullptr};
  bool Ok = false;
};

void Decompose(const TMatrix& A, Svd& s) {
  s.U.Resize(A.NrOfColumns(), A.NrOfRows());
  for (int c = 1; c <= A.NrOfColumns(); ++c) {
    for (int r = 1; r <= A.NrOfRows(); ++r) s.U.SetVal(c, r, A.GetVal(c, r));
  }
  const int n = A.NrOfColumns();
  s.V.Resize(n, n);
  s.W.SetVecSize(n);
  s.Ok = detail::SingValDecompCore(&s.U, &s.V, &s.W);
}

double MaxAbs(const TMatrix& A) {
  double m = 0;
  for (int c = 1; c <= A.NrOfColumns(); ++c) {
    for (int r = 1; r <= A.NrOfRows(); ++r) m = std::max(m, std::fabs(A.GetVal(c, r)));
  }
  return m;
}

// |U·diag(W)·Vᵀ - A| and |VᵀV - I| (and |UᵀU - I| over the columns with W > 0 when m >= n).
void ExpectValid(const TMatrix& A, const Svd& s) {
  const int m = A.NrOfRows(), n = A.NrOfColumns();
  const double scale = std::max(1.0, MaxAbs(A));
  for (int r = 1; r <= m; ++r) {
    for (int c = 1; c <= n; ++c) {
      double x = 0;
      for (int k = 1; k <= n; ++k) x += s.U.GetVal(k, r) * s.W.GetVal(k) * s.V.GetVal(k, c);
      EXPECT_NEAR(x, A.GetVal(c, r), kResidual * scale * n) << "cell r=" << r << " c=" << c;
    }
  }
  for (int i = 1; i <= n; ++i) {
    EXPECT_GE(s.W.GetVal(i), 0.0);
    for (int j = 1; j <= n; ++j) {
      double v = 0;
      for (int k = 1; k <= n; ++k) v += s.V.GetVal(i, k) * s.V.GetVal(j, k);
      EXPECT_NEAR(v, i == j ? 1.0 : 0.0, kResidual * n);
      if (m >= n && s.W.GetVal(i) > 0 && s.W.GetVal(j) > 0) {
        double u = 0;
        for (int k = 1; k <= m; ++k) u += s.U.GetVal(i, k) * s.U.GetVal(j, k);
        EXPECT_NEAR(u, i == j ? 1.0 : 0.0, kResidual * m);
      }
    }
  }
}

std::vector<double> Sorted(const TVector& w) {
  std::vector<double> v;
  for (int i = 1; i <= w.NrOfElem(); ++i) v.push_back(w.GetVal(i));
  std::sort(v.begin(), v.end(), std::greater<>());
  return v;
}

TEST(SingValDecomp, ReferenceMatricesMatchNumPy) {
  const auto ref = ReadReference();
  ASSERT_EQ(ref.size(), 5u);
  for (const auto& [name, e] : ref) {
    SCOPED_TRACE(name);
    TMatrix a(nullptr);
    LoadRef(a, name, e.Rows, e.Cols);
    Svd s;
    Decompose(a, s);
    EXPECT_TRUE(s.Ok);
    ExpectValid(a, s);
    const auto w = Sorted(s.W);
    // The leading min(m, n) values are NumPy's; a wide matrix adds n - m (near) zeros.
    for (std::size_t i = 0; i < e.Sv.size(); ++i) {
      EXPECT_NEAR(w[i], e.Sv[i], kResidual * e.Sv[0] * 10) << "value " << i;
    }
    for (std::size_t i = e.Sv.size(); i < w.size(); ++i) EXPECT_LT(w[i], 1e-14 * w[0]);
  }
}

TEST(SingValDecomp, DiagonalKeepsOrderAndNegatesColumn) {
  TMatrix a(nullptr);
  LoadRows(a, {{2, 0, 0}, {0, -5, 0}, {0, 0, 1}});
  Svd s;
  Decompose(a, s);
  ASSERT_TRUE(s.Ok);
  EXPECT_EQ(s.W.GetVal(1), 2.0);
  EXPECT_EQ(s.W.GetVal(2), 5.0);
  EXPECT_EQ(s.W.GetVal(3), 1.0);
  // The Householder step of column i leaves W[i] = -a[i, i] (g = -sign(a)·|a|), so the sign
  // correction of the sweeps negates the V columns of the positive entries; the negative
  // entry's sign is carried by its U column. A·V = U·diag(W) holds either way.
  EXPECT_EQ(s.V.GetVal(1, 1), -1.0);
  EXPECT_EQ(s.V.GetVal(2, 2), 1.0);
  EXPECT_EQ(s.V.GetVal(3, 3), -1.0);
  EXPECT_EQ(s.U.GetVal(2, 2), -1.0);
  EXPECT_EQ(s.U.GetVal(1, 1), -1.0);
  ExpectValid(a, s);
}

TEST(SingValDecomp, TallWideZeroAndRandom) {
  TMatrix a(nullptr);
  LoadRows(a, {{1, 2}, {3, 4}, {5, 6}, {7, 8}});
  Svd s;
  Decompose(a, s);
  EXPECT_TRUE(s.Ok);
  EXPECT_EQ(s.U.NrOfColumns(), 2);
  EXPECT_EQ(s.U.NrOfRows(), 4);
  ExpectValid(a, s);

  for (auto [rows, cols] : {std::pair{1, 3}, {2, 4}, {2, 7}, {5, 9}, {4, 10}, {30, 12}, {12, 12}}) {
    SCOPED_TRACE(testing::Message() << rows << "x" << cols);
    LoadRandom(a, rows, cols, static_cast<unsigned>(rows * 100 + cols));
    Svd r;
    Decompose(a, r);
    EXPECT_TRUE(r.Ok);
    ExpectValid(a, r);
  }

  a.Resize(3, 4);
  a.Fill(0.0);
  Svd z;
  Decompose(a, z);
  EXPECT_TRUE(z.Ok);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(z.W.GetVal(i), 0.0);
}

TEST(SingValDecomp, IllConditionedResiduals) {
  TMatrix a(nullptr);
  // Hilbert 10: condition about 1.6e13, yet the reconstruction residual stays at eps·|A|.
  a.Resize(10, 10);
  for (int r = 1; r <= 10; ++r) {
    for (int c = 1; c <= 10; ++c) a.SetVal(c, r, 1.0 / (r + c - 1));
  }
  Svd s;
  Decompose(a, s);
  EXPECT_TRUE(s.Ok);
  ExpectValid(a, s);
  // Near singular: two columns equal up to 1e-12.
  LoadRandom(a, 8, 6, 5);
  for (int r = 1; r <= 8; ++r) a.SetVal(6, r, a.GetVal(1, r) * (1 + 1e-12));
  Svd t;
  Decompose(a, t);
  EXPECT_TRUE(t.Ok);
  ExpectValid(a, t);
  EXPECT_LT(Sorted(t.W).back(), 1e-10);
}

// Runs the decomposition of A with handlers on U and V (every cell through SetVal) and
// without (direct cells); the results must agree bit for bit.
TEST(SingValDecomp, ObservedAndDirectPathsAgree) {
  for (auto [rows, cols] : {std::pair{7, 7}, {40, 13}, {9, 5}}) {
    TMatrix a(nullptr);
    LoadRandom(a, rows, cols, static_cast<unsigned>(rows + cols));
    Svd direct, observed;
    Decompose(a, direct);
    int uEvents = 0, vEvents = 0, wEvents = 0;
    observed.U.SetOnChange([&uEvents](TObject*) { ++uEvents; });
    observed.V.SetOnChange([&vEvents](TObject*) { ++vEvents; });
    observed.W.SetOnChange([&wEvents](TObject*) { ++wEvents; });
    Decompose(a, observed);
    EXPECT_GT(uEvents, rows * cols);
    EXPECT_GT(vEvents, cols * cols);
    EXPECT_GE(wEvents, cols);
    EXPECT_EQ(direct.Ok, observed.Ok);
    EXPECT_EQ(direct.U.CRCofData(), observed.U.CRCofData());
    EXPECT_EQ(direct.V.CRCofData(), observed.V.CRCofData());
    EXPECT_EQ(direct.W.CRCofData(), observed.W.CRCofData());
  }
}

TEST(SingValDecomp, ProgressStepsAndAbort) {
  HookGuard guard;
  TMatrix a(nullptr);
  LoadRandom(a, 6, 4, 11);
  ProcStat = 0.0;
  Svd s;
  Decompose(a, s);
  EXPECT_EQ(ProcStat.load(), 16.0);  // 4·n

  AbortMathProc = true;
  ProcStat = 0.0;
  Svd t;
  Decompose(a, t);
  EXPECT_FALSE(t.Ok);
  EXPECT_EQ(ProcStat.load(), 1.0);
  AbortMathProc = false;

  // Abort raised from the feedback in the third phase.
  static int calls;
  calls = 0;
  MathFeedBackProc = [](double) {
    if (++calls == 10) AbortMathProc = true;
  };
  ProcStat = 0.0;
  Svd u;
  Decompose(a, u);
  EXPECT_FALSE(u.Ok);
  EXPECT_EQ(ProcStat.load(), 10.0);
}

TEST(SingValDecomp, BadArgumentsNeverCrash) {
  TMatrix a(nullptr);
  LoadRandom(a, 5, 4, 3);
  TMatrix v(nullptr);
  TVector w(nullptr);
  EXPECT_FALSE(detail::SingValDecompCore(nullptr, &v, &w));
  EXPECT_FALSE(detail::SingValDecompCore(&a, nullptr, &w));
  // V and W too small: writes outside them are dropped, the run completes.
  v.Resize(2, 3);
  w.SetVecSize(2);
  detail::SingValDecompCore(&a, &v, &w);
  EXPECT_EQ(v.NrOfColumns(), 2);
  EXPECT_EQ(w.NrOfElem(), 2);

  // NaN input ends with false after its sweeps instead of reading before the first element.
  TMatrix nanA(nullptr);
  LoadRows(nanA, {{1, std::nan("")}, {1, 1}, {2, 3}});
  Svd s;
  Decompose(nanA, s);
  EXPECT_FALSE(s.Ok);

  // A matrix without columns: nothing to do.
  TMatrix empty(nullptr);
  empty.Resize(0, 3);
  Svd e;
  Decompose(empty, e);
  EXPECT_TRUE(e.Ok);
}

}  // namespace
}  // namespace nuv::test
