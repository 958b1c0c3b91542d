// Minimum and maximum searches of the matrices and arrays report values of the box: boxes of
// infinities or of the 32-bit extremes give those, NaN cells take no part, and only a box
// without any number keeps the start values.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/TMat3D.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/scalar/TVector.hpp"

namespace nuv {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct TCase {
  const char* Name;
  std::vector<double> Cells;
  double Min, Max;
};

// Cells in visiting order and the extremes they must give.
const std::vector<TCase>& Cases() {
  static const std::vector<TCase> cases{
      {"all +inf", {kInf, kInf, kInf, kInf}, kInf, kInf},
      {"all -inf", {-kInf, -kInf, -kInf, -kInf}, -kInf, -kInf},
      {"NaN first, then +inf", {kNaN, kInf, kInf, kNaN}, kInf, kInf},
      {"both infinities", {kInf, 1, kNaN, -kInf}, -kInf, kInf},
      {"finite", {3, -2, 5, 0.5}, -2, 5},
      {"single number among NaN", {kNaN, kNaN, -7, kNaN}, -7, -7},
      {"all NaN", {kNaN, kNaN, kNaN, kNaN}, uc_MaxReal, -uc_MaxReal},
  };
  return cases;
}

TEST(BoxExtremes, MatrixMinMaxAndEdgeVectorReportBoxValues) {
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    TMatrix m(nullptr);
    // The cells in column 2 of a 3-column matrix and, transposed, in row 2; the other cells
    // hold numbers that must not enter the box.
    m.Resize(3, 4);
    m.Fill(9.0);
    for (Integer r = 1; r <= 4; ++r) m.SetVal(2, r, c.Cells[static_cast<std::size_t>(r - 1)]);
    double lo = 0, hi = 0;
    m.MinMax(2, 1, 2, 4, lo, hi);
    EXPECT_EQ(lo, c.Min);
    EXPECT_EQ(hi, c.Max);
    TVector v(nullptr);
    m.EdgeVector(orColumns, eopMin, &v);
    ASSERT_EQ(v.NrOfElem(), 3);
    EXPECT_EQ(v.GetVal(2), c.Min);
    EXPECT_EQ(v.GetVal(1), 9.0);
    m.EdgeVector(orColumns, eopMax, &v);
    EXPECT_EQ(v.GetVal(2), c.Max);

    TMatrix t(nullptr);
    t.Resize(4, 3);
    t.Fill(-9.0);
    for (Integer k = 1; k <= 4; ++k) t.SetVal(k, 2, c.Cells[static_cast<std::size_t>(k - 1)]);
    t.EdgeVector(orRows, eopMin, &v);
    ASSERT_EQ(v.NrOfElem(), 3);
    EXPECT_EQ(v.GetVal(2), c.Min);
    EXPECT_EQ(v.GetVal(3), -9.0);
    t.EdgeVector(orRows, eopMax, &v);
    EXPECT_EQ(v.GetVal(2), c.Max);
  }
}

TEST(BoxExtremes, Mat3DAndMat4DMinMaxReportBoxValues) {
  for (const TCase& c : Cases()) {
    SCOPED_TRACE(c.Name);
    // The cells along the innermost dimension of the box (layers resp. time slots) of one
    // column and row; the cell outside the box holds 0.
    TMat3D a(nullptr);
    a.Resize(2, 1, 4);
    for (Integer z = 1; z <= 4; ++z) a.SetVal(2, 1, z, c.Cells[static_cast<std::size_t>(z - 1)]);
    double lo = 0, hi = 0;
    a.MinMax(2, 2, 0, 0, 0, 0, lo, hi);
    EXPECT_EQ(lo, c.Min);
    EXPECT_EQ(hi, c.Max);

    TMat4D b(nullptr);
    b.Resize(1, 2, 1, 4);
    for (Integer t = 1; t <= 4; ++t) {
      b.SetVal(1, 2, 1, t, c.Cells[static_cast<std::size_t>(t - 1)]);
    }
    lo = hi = 0;
    b.MinMax(0, 0, 2, 2, 0, 0, 0, 0, lo, hi);
    EXPECT_EQ(lo, c.Min);
    EXPECT_EQ(hi, c.Max);
  }
}

TEST(BoxExtremes, IntMatrixMinMaxReportsTheThirtyTwoBitExtremes) {
  constexpr Integer kMax = std::numeric_limits<Integer>::max();
  constexpr Integer kMin = std::numeric_limits<Integer>::min();
  struct TIntCase {
    const char* Name;
    std::vector<Integer> Cells;
    Integer Min, Max;
  };
  for (const TIntCase& c :
       {TIntCase{"all INT_MIN", {kMin, kMin, kMin}, kMin, kMin},
        TIntCase{"all INT_MAX", {kMax, kMax, kMax}, kMax, kMax},
        TIntCase{"both", {kMax, 0, kMin}, kMin, kMax}, TIntCase{"ordinary", {4, -6, 2}, -6, 4}}) {
    SCOPED_TRACE(c.Name);
    TIntMatrix d(nullptr);
    d.Resize(2, 3);  // column 1 holds the cells, column 2 stays 0
    for (Integer r = 1; r <= 3; ++r) d.SetVal(1, r, c.Cells[static_cast<std::size_t>(r - 1)]);
    Integer lo = 0, hi = 0;
    d.MinMax(1, 1, 1, 3, lo, hi);
    EXPECT_EQ(lo, c.Min);
    EXPECT_EQ(hi, c.Max);

    // Sparse: only the entries inside the box count; the entry (2, 1) lies outside it.
    std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 2));
    s->SetVal(2, 1, 17);
    for (Integer r = 1; r <= 3; ++r) s->SetVal(1, r, c.Cells[static_cast<std::size_t>(r - 1)]);
    lo = hi = 0;
    s->MinMax(1, 1, 1, 3, lo, hi);
    EXPECT_EQ(lo, c.Min);
    EXPECT_EQ(hi, c.Max);
  }
  // Nothing counted: the start values stay.
  std::unique_ptr<TIntMatrix> s(TIntMatrix::CreateSparse(nullptr, 2));
  s->SetVal(2, 2, kMin);
  Integer lo = 0, hi = 0;
  s->MinMax(1, 1, 1, 2, lo, hi);
  EXPECT_EQ(lo, 2147483647);
  EXPECT_EQ(hi, -2147483647);
}

}  // namespace
}  // namespace nuv
