// Matrix linear algebra: products, arithmetic, transposition, norms, LU, determinant, inverse,
// Cholesky, balancing and differences.
#include <cmath>
#include <limits>
#include <vector>

#include "matrix_test_util.hpp"
#include "nuv/matrix/NUV_matrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv::test {
namespace {

// Identities of a backward-stable factorisation hold to a small multiple of n·eps·|A|·|A⁻¹|.
constexpr double kIdentity = 1e-12;

TEST(TMatrixProduct, SizesAndMismatch) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  a.Resize(2, 3);
  b.Resize(4, 2);
  EXPECT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(res.NrOfColumns(), 4);
  EXPECT_EQ(res.NrOfRows(), 3);
  b.Resize(4, 3);
  res.Resize(7, 7);
  EXPECT_FALSE(a.Multiply(&b, &res));
  EXPECT_EQ(res.NrOfColumns(), 7);
  EXPECT_FALSE(a.Multiply(static_cast<TMatrix*>(nullptr), &res));
  EXPECT_FALSE(a.Multiply(&b, static_cast<TMatrix*>(nullptr)));
}

// Every product equals the naive triple loop bit for bit: the sums run in ascending order.
TEST(TMatrixProduct, ExactAgainstNaiveLoops) {
  for (auto [r, c, q] : {std::tuple{3, 2, 4}, {37, 29, 41}, {300, 260, 5}, {1, 1, 1}}) {
    SCOPED_TRACE(testing::Message() << r << " " << c << " " << q);
    TMatrix a(nullptr), b(nullptr), bt(nullptr), at(nullptr), res(nullptr);
    LoadRandom(a, r, c, 1);
    LoadRandom(b, c, q, 2);
    ASSERT_TRUE(a.Multiply(&b, &res));
    const auto ref = NaiveProduct(a, b);
    for (int i = 1; i <= r; ++i) {
      for (int k = 1; k <= q; ++k) {
        ASSERT_EQ(res.GetVal(k, i),
                  ref[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(k - 1)]);
      }
    }
    const std::string crc = res.CRCofData();
    bt.Assign(&b);
    bt.Transpose();
    ASSERT_TRUE(a.MultiplyTransposed(&bt, &res));
    EXPECT_EQ(res.CRCofData(), crc);
    at.Assign(&a);
    at.Transpose();
    ASSERT_TRUE(at.TransposeAndMultiply(&b, &res));
    EXPECT_EQ(res.CRCofData(), crc);
  }
}

TEST(TMatrixProduct, EventsAndAliasing) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  LoadRows(a, {{1, 2}, {3, 4}});
  LoadRows(b, {{5, 6}, {7, 8}});
  EventRecorder ra, rr;
  rr.Attach(res);
  ra.Attach(a);
  ASSERT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(rr.Changes, 1 + 4);  // resize, then one per cell
  EXPECT_EQ(ra.Changes, 1);      // Self, once at the end
  EXPECT_EQ(res.GetVal(1, 1), 19.0);
  EXPECT_EQ(res.GetVal(2, 2), 50.0);
  // Result into an operand: computed apart, then written.
  ASSERT_TRUE(a.Multiply(&a, &a));
  EXPECT_EQ(a.GetVal(1, 1), 7.0);
  EXPECT_EQ(a.GetVal(2, 1), 10.0);
  EXPECT_EQ(a.GetVal(1, 2), 15.0);
  EXPECT_EQ(a.GetVal(2, 2), 22.0);
  LoadRows(a, {{1, 2}, {3, 4}});
  ASSERT_TRUE(a.MultiplyTransposed(&b, &b));  // [[1,2],[3,4]]·[[5,7],[6,8]]
  EXPECT_EQ(b.GetVal(1, 1), 17.0);
  EXPECT_EQ(b.GetVal(2, 1), 23.0);
  EXPECT_EQ(b.GetVal(1, 2), 39.0);
  EXPECT_EQ(b.GetVal(2, 2), 53.0);
}

TEST(TMatrixProduct, ZeroExtentsGiveZeroSums) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  a.Resize(0, 3);
  b.Resize(2, 0);
  ASSERT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(res.NrOfColumns(), 2);
  EXPECT_EQ(res.NrOfRows(), 3);
  EXPECT_EQ(res.GetVal(2, 3), 0.0);
}

TEST(TMatrixProduct, VectorForms) {
  TMatrix a(nullptr);
  LoadRows(a, {{1, 2, 3}, {4, 5, 6}});
  TVector b(nullptr), res(nullptr);
  b.SetVecSize(3);
  b.SetVal(1, 1), b.SetVal(2, -1), b.SetVal(3, 2);
  int events = 0;
  res.SetOnChange([&events](TObject*) { ++events; });
  ASSERT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(res.NrOfElem(), 2);
  EXPECT_EQ(res.GetVal(1), 5.0);
  EXPECT_EQ(res.GetVal(2), 11.0);
  EXPECT_EQ(events, 1 + 2);
  TVector y(nullptr);
  y.SetVecSize(2);
  y.SetVal(1, 2), y.SetVal(2, -1);
  ASSERT_TRUE(a.TransposeAndMultiply(&y, &res));
  EXPECT_EQ(res.NrOfElem(), 3);
  EXPECT_EQ(res.GetVal(1), -2.0);
  EXPECT_EQ(res.GetVal(3), 0.0);
  EXPECT_FALSE(a.Multiply(&y, &res));
  // The result may be the operand.
  ASSERT_TRUE(a.Multiply(&b, &b));
  EXPECT_EQ(b.NrOfElem(), 2);
  EXPECT_EQ(b.GetVal(2), 11.0);
}

TEST(TMatrixArithmetic, CellWise) {
  TMatrix a(nullptr), b(nullptr), res(nullptr);
  LoadRows(a, {{1, 2}, {3, 4}});
  LoadRows(b, {{2, 0.5}, {-1, 3}});
  EventRecorder ra;
  ra.Attach(a);
  ASSERT_TRUE(a.EMult(&b, &res));
  EXPECT_EQ(res.GetVal(2, 1), 1.0);
  EXPECT_EQ(res.GetVal(1, 2), -3.0);
  EXPECT_TRUE(a.Add(&b));
  EXPECT_EQ(a.GetVal(2, 2), 7.0);
  EXPECT_TRUE(a.Subtract(&b));
  EXPECT_EQ(a.GetVal(2, 2), 4.0);
  a.SMult(2.0);
  a.SAdd(1.0);
  EXPECT_EQ(a.GetVal(1, 2), 7.0);
  EXPECT_EQ(ra.Changes, 5);
  EXPECT_TRUE(a.Add(&a));  // aliasing is cell by cell
  EXPECT_EQ(a.GetVal(1, 2), 14.0);
  b.Resize(3, 2);
  EXPECT_FALSE(a.Add(&b));
  EXPECT_FALSE(a.Subtract(nullptr));
  EXPECT_FALSE(a.EMult(&b, &res));
}

TEST(TMatrixTranspose, ExchangesSizes) {
  TMatrix a(nullptr);
  LoadRows(a, {{1, 2, 3}, {4, 5, 6}});
  EventRecorder rec;
  rec.Attach(a);
  EXPECT_TRUE(a.Transpose());
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(a.NrOfColumns(), 2);
  EXPECT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.GetVal(2, 1), 4.0);
  EXPECT_EQ(a.GetVal(1, 3), 3.0);
  TMatrix big(nullptr);
  LoadRandom(big, 70, 45, 9);
  TMatrix orig(nullptr);
  orig.Assign(&big);
  big.Transpose();
  big.Transpose();
  EXPECT_EQ(big.CRCofData(), orig.CRCofData());
}

TEST(TMatrixNorm, ClosedFormsAndReference) {
  TMatrix a(nullptr);
  LoadRows(a, {{1, -2}, {3, 4}});
  EXPECT_EQ(a.Trace(), 5.0);
  EXPECT_EQ(a.Norm(ntColwise), 6.0);
  EXPECT_EQ(a.Norm(ntRowwise), 7.0);
  EXPECT_EQ(a.Norm(ntFrobenius), std::sqrt(30.0));
  EXPECT_EQ(a.Norm(static_cast<TNormType>(9)), 0.0);
  for (const auto& [name, e] : ReadReference()) {
    SCOPED_TRACE(name);
    LoadRef(a, name, e.Rows, e.Cols);
    EXPECT_TRUE(RelNear(a.Norm(ntColwise), e.ColNorm, 1e-15));
    EXPECT_TRUE(RelNear(a.Norm(ntRowwise), e.RowNorm, 1e-15));
    EXPECT_TRUE(RelNear(a.Norm(ntFrobenius), e.Frobenius, 1e-15));
    EXPECT_TRUE(RelNear(a.Norm(ntSpectral), e.Spectral, 1e-13));
  }
  a.Resize(3, 2);
  EXPECT_EQ(a.Trace(), 0.0);
  a.Resize(0, 0);
  EXPECT_EQ(a.Norm(ntSpectral), 0.0);
  EXPECT_EQ(a.Norm(ntColwise), 0.0);
}

TEST(TMatrixNorm, SpectralFailureMessage) {
  HookGuard guard;
  TMatrix a(nullptr);
  a.SetName("A");
  LoadRows(a, {{1, 2}, {3, 4}});
  AbortMathProc = true;
  NUV_EXPECT_THROW_MSG(a.Norm(ntSpectral), ENUVMatrixError, "near singular covariance matrix");
}

// L·U must equal A with its rows permuted: every row of L·U is a distinct row of A.
void ExpectLUofA(const TMatrix& a, const TMatrix& l, const TMatrix& u) {
  const int n = a.NrOfColumns();
  TMatrix lu(nullptr);
  TMatrix* pl = const_cast<TMatrix*>(&l);
  ASSERT_TRUE(pl->Multiply(const_cast<TMatrix*>(&u), &lu));
  std::vector<bool> used(static_cast<std::size_t>(n) + 1, false);
  for (int r = 1; r <= n; ++r) {
    int match = 0;
    for (int s = 1; s <= n && match == 0; ++s) {
      if (used[static_cast<std::size_t>(s)]) continue;
      bool same = true;
      for (int c = 1; c <= n; ++c) {
        same = same && std::fabs(lu.GetVal(c, r) - a.GetVal(c, s)) <=
                           kIdentity * (1 + std::fabs(a.GetVal(c, s)));
      }
      if (same) match = s;
    }
    ASSERT_NE(match, 0) << "row " << r << " of L·U is no row of A";
    used[static_cast<std::size_t>(match)] = true;
  }
  for (int c = 1; c <= n; ++c) {
    EXPECT_EQ(l.GetVal(c, c), 1.0);
    for (int r = 1; r < c; ++r) EXPECT_EQ(l.GetVal(c, r), 0.0);       // L above diagonal
    for (int r = c + 1; r <= n; ++r) EXPECT_EQ(u.GetVal(c, r), 0.0);  // U below diagonal
  }
}

TEST(TMatrixLU, IdentityAndObservedPathAgree) {
  for (int n : {1, 3, 33, 70}) {
    SCOPED_TRACE(n);
    TMatrix a(nullptr), l(nullptr), u(nullptr), lo(nullptr), uo(nullptr);
    LoadRandom(a, n, n, static_cast<unsigned>(n));
    TMatrix* pl = &l;
    TMatrix* pu = &u;
    Integer perm = 0;
    ASSERT_TRUE(a.LUdecomposition(pl, pu, perm));
    ExpectLUofA(a, l, u);
    int events = 0;
    uo.SetOnChange([&events](TObject*) { ++events; });
    pl = &lo;
    pu = &uo;
    Integer permObserved = 0;
    ASSERT_TRUE(a.LUdecomposition(pl, pu, permObserved));
    EXPECT_EQ(perm, permObserved);
    EXPECT_EQ(u.CRCofData(), uo.CRCofData());
    EXPECT_EQ(l.CRCofData(), lo.CRCofData());
    EXPECT_GT(events, n * n);
  }
}

TEST(TMatrixLU, FailuresAndAliases) {
  TMatrix a(nullptr), l(nullptr), u(nullptr);
  LoadRows(a, {{1, 2}, {3, 4}});
  TMatrix* pl = nullptr;
  TMatrix* pu = &u;
  Integer perm = 0;
  EXPECT_FALSE(a.LUdecomposition(pl, pu, perm));
  EXPECT_EQ(perm, 1);
  pl = &u;
  u.Resize(5, 5);
  EXPECT_FALSE(a.LUdecomposition(pl, pu, perm));  // MatL = MatU
  EXPECT_EQ(u.NrOfColumns(), 5);
  // Zero row: false, U the clone, L zero.
  LoadRows(a, {{1, 2}, {0, 0}});
  pl = &l;
  EXPECT_FALSE(a.LUdecomposition(pl, pu, perm));
  EXPECT_EQ(u.GetVal(2, 1), 2.0);
  EXPECT_EQ(l.GetVal(1, 1), 0.0);
  // Singular pivot: floored, false.
  LoadRows(a, {{1, 2}, {2, 4}});
  EXPECT_FALSE(a.LUdecomposition(pl, pu, perm));
  // MatL is A itself: A is copied before MatL is cleared.
  TMatrix orig(nullptr);
  LoadRows(a, {{4, 3}, {6, 3}});
  orig.Assign(&a);
  pl = &a;
  ASSERT_TRUE(a.LUdecomposition(pl, pu, perm));
  ExpectLUofA(orig, a, u);
}

TEST(TMatrixDeterminant, KnownValues) {
  TMatrix a(nullptr);
  a.Resize(4, 4);
  a.Fill(0.0);
  a.FillDiag(1.0);
  EXPECT_EQ(a.Determinant(), 1.0);
  LoadRows(a, {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}});
  EXPECT_EQ(a.Determinant(), -1.0);
  LoadRows(a, {{1, 2}, {0, 0}});
  EXPECT_EQ(a.Determinant(), 0.0);
  LoadRows(a, {{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}});
  EXPECT_NEAR(a.Determinant(), 4.0, 1e-14);
  a.Resize(0, 0);
  EXPECT_EQ(a.Determinant(), 1.0);
  a.Resize(2, 3);
  EXPECT_EQ(a.Determinant(), 0.0);
  // Hilbert 6: det = 1/186313420339200000.
  LoadRef(a, "hilbert6", 6, 6);
  EXPECT_TRUE(RelNear(a.Determinant(), 1.0 / 186313420339200000.0, 1e-9));
}

void ExpectInverse(const TMatrix& a, const TMatrix& inv, double tol) {
  TMatrix prod(nullptr);
  ASSERT_TRUE(const_cast<TMatrix&>(a).Multiply(const_cast<TMatrix*>(&inv), &prod));
  for (int c = 1; c <= a.NrOfColumns(); ++c) {
    for (int r = 1; r <= a.NrOfRows(); ++r) {
      EXPECT_NEAR(prod.GetVal(c, r), c == r ? 1.0 : 0.0, tol) << c << "," << r;
    }
  }
}

TEST(TMatrixInvert, InversesAndResiduals) {
  TMatrix a(nullptr);
  LoadRows(a, {{2, 0}, {0, 4}});
  EventRecorder rec;
  rec.Attach(a);
  ASSERT_TRUE(a.Invert());
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(a.GetVal(1, 1), 0.5);
  EXPECT_EQ(a.GetVal(2, 2), 0.25);
  EXPECT_EQ(a.GetVal(2, 1), 0.0);
  for (int n : {1, 5, 9, 40, 77}) {
    SCOPED_TRACE(n);
    TMatrix m(nullptr), inv(nullptr);
    LoadRandom(m, n, n, static_cast<unsigned>(3 * n));
    inv.Assign(&m);
    ASSERT_TRUE(inv.Invert());
    ExpectInverse(m, inv, kIdentity * n);
  }
  // Hilbert 6 (condition 1.5e7): the residual grows with the condition number.
  TMatrix h(nullptr), hi(nullptr);
  LoadRef(h, "hilbert6", 6, 6);
  hi.Assign(&h);
  ASSERT_TRUE(hi.Invert());
  ExpectInverse(h, hi, 1e-8);
  EXPECT_TRUE(RelNear(hi.GetVal(1, 1), 36.0, 1e-8));  // exact inverse entry
}

TEST(TMatrixInvert, FailuresLeaveMatrixUnchanged) {
  HookGuard guard;
  TMatrix a(nullptr);
  a.Resize(3, 1);
  EventRecorder rec;
  rec.Attach(a);
  EXPECT_FALSE(a.Invert());
  EXPECT_EQ(rec.Changes, 0);
  for (auto rows :
       {std::initializer_list<std::initializer_list<double>>{{1, 2}, {2, 4}}, {{1, 2}, {0, 0}}}) {
    LoadRows(a, rows);
    const std::string crc = a.CRCofData();
    rec.Changes = 0;
    EXPECT_FALSE(a.Invert());
    EXPECT_EQ(rec.Changes, 1);
    EXPECT_EQ(a.CRCofData(), crc);
  }
  // NaN candidates exchange nothing and corrupt nothing.
  LoadRows(a, {{1, std::nan("")}, {1, 1}});
  a.Invert();
  // Progress: n steps for the decomposition, n for the solution.
  LoadRandom(a, 10, 10, 4);
  const std::string crc = a.CRCofData();
  ProcStat = 0.0;
  TMatrix b(nullptr);
  b.Assign(&a);
  ASSERT_TRUE(b.Invert());
  EXPECT_EQ(ProcStat.load(), 20.0);
  static int calls;
  calls = 0;
  MathFeedBackProc = [](double) {
    if (++calls == 13) AbortMathProc = true;
  };
  ProcStat = 0.0;
  EXPECT_FALSE(a.Invert());
  EXPECT_EQ(ProcStat.load(), 13.0);
  EXPECT_EQ(a.CRCofData(), crc);
  MathFeedBackProc = nullptr;
  ProcStat = 0.0;
  EXPECT_FALSE(a.Invert());  // still set: the scaling step stops before any progress
  EXPECT_EQ(ProcStat.load(), 0.0);
}

TEST(TMatrixCholesky, FactorAndFailures) {
  TMatrix a(nullptr), l(nullptr);
  // A = B·Bᵀ + I, symmetric positive definite.
  TMatrix b(nullptr);
  LoadRandom(b, 6, 6, 21);
  ASSERT_TRUE(b.MultiplyTransposed(&b, &a));
  for (int i = 1; i <= 6; ++i) a.SetVal(i, i, a.GetVal(i, i) + 1.0);
  TMatrix orig(nullptr);
  orig.Assign(&a);
  TMatrix* pl = &l;
  EventRecorder rec;
  rec.Attach(a);
  ASSERT_TRUE(a.CholeskyDecomp(pl));
  EXPECT_EQ(rec.Changes, 1);
  for (int c = 1; c <= 6; ++c) {
    for (int r = c; r <= 6; ++r) {
      double s = 0;
      for (int k = 1; k <= c; ++k) s += l.GetVal(k, r) * l.GetVal(k, c);
      EXPECT_NEAR(s, orig.GetVal(c, r), kIdentity * 10);
    }
  }
  // Not positive definite: false, MatL untouched.
  LoadRows(a, {{1, 2}, {2, 1}});
  TMatrix l2(nullptr);
  l2.Resize(2, 2);
  l2.Fill(kSentinel);
  pl = &l2;
  EXPECT_FALSE(a.CholeskyDecomp(pl));
  EXPECT_EQ(l2.GetVal(1, 1), kSentinel);
  // Null MatL: false, A unchanged.
  LoadRows(a, {{4, 2}, {2, 3}});
  const std::string crc = a.CRCofData();
  pl = nullptr;
  EXPECT_FALSE(a.CholeskyDecomp(pl));
  EXPECT_EQ(a.CRCofData(), crc);
  // Known factor of [[4, 2], [2, 3]]: [[2, 0], [1, √2]].
  pl = &l2;
  ASSERT_TRUE(a.CholeskyDecomp(pl));
  EXPECT_EQ(l2.GetVal(1, 1), 2.0);
  EXPECT_EQ(l2.GetVal(1, 2), 1.0);
  EXPECT_EQ(l2.GetVal(2, 2), std::sqrt(2.0));
  a.Resize(2, 3);
  EXPECT_FALSE(a.CholeskyDecomp(pl));
  // A NaN on the diagonal is reported as a failure, not as a NaN factor.
  LoadRows(a, {{std::nan(""), 0}, {0, 1}});
  l2.Fill(kSentinel);
  EXPECT_FALSE(a.CholeskyDecomp(pl));
  EXPECT_EQ(l2.GetVal(1, 1), kSentinel);
}

TEST(TMatrixBalance, DiagonalAndZeroSums) {
  TMatrix a(nullptr);
  LoadRows(a, {{3, 0}, {0, 5}});
  EXPECT_TRUE(a.Balance());
  EXPECT_EQ(a.GetVal(1, 1), 3.0);
  // Row sum 0 with a non-zero column: skipped, no NaN.
  LoadRows(a, {{1, 0, 0}, {5, 2, 0}, {7, 1, 3}});
  EXPECT_TRUE(a.Balance());
  for (int c = 1; c <= 3; ++c) {
    for (int r = 1; r <= 3; ++r) EXPECT_FALSE(std::isnan(a.GetVal(c, r)));
  }
  // Balancing is a similarity: trace kept; off-diagonal sums of each index become close.
  LoadRows(a, {{1, 1000, 0}, {0.001, 2, 1}, {0, 100, 3}});
  EXPECT_TRUE(a.Balance());
  EXPECT_NEAR(a.Trace(), 6.0, 1e-12);
  EXPECT_NEAR(a.GetVal(2, 1) * a.GetVal(1, 2), 1.0, 1e-12);  // products of pairs kept
  // Non-finite cells end too.
  LoadRows(a, {{1, INFINITY}, {1, 1}});
  EXPECT_TRUE(a.Balance());
  a.Resize(3, 2);
  EXPECT_FALSE(a.Balance());
}

TEST(TMatrixDiff, DifferencesAndBounds) {
  TMatrix a(nullptr);
  LoadRows(a, {{1, 10}, {4, 20}, {9, 40}, {16, 80}});
  EventRecorder rec;
  rec.Attach(a);
  a.Diff(1);
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(a.NrOfRows(), 3);
  EXPECT_EQ(a.GetVal(1, 1), 3.0);
  EXPECT_EQ(a.GetVal(1, 2), 5.0);
  EXPECT_EQ(a.GetVal(1, 3), 7.0);
  EXPECT_EQ(a.GetVal(2, 3), 40.0);
  a.Diff(1);
  EXPECT_EQ(a.GetVal(1, 1), 2.0);
  a.Diff(11);
  a.Diff(0);
  a.Diff(2);  // Order must be below the row count (2)
  EXPECT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(rec.Changes, 2);
}

}  // namespace
}  // namespace nuv::test
