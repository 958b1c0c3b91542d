// TWavelet1D: steps against a NumPy reference pyramid, perfect reconstruction, level rules,
// filters, extension modes and the size and order rules.
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "nuv/analysis/NUV_wavelet.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// Each coefficient is a sum of at most 6 products per level; a few dozen eps covers a full
// pyramid of 64 samples of unit size.
constexpr double kTol = 1e-13;

std::vector<double> Pseudo(std::size_t n, std::uint32_t s) {
  std::vector<double> x(n);
  for (auto& v : x) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<double>(s >> 8) / 16777216.0 - 0.5;
  }
  return x;
}

void Load(TWavelet1D& w, const std::vector<double>& x) {
  w.SetSize(static_cast<Integer>(x.size()));
  for (std::size_t k = 0; k < x.size(); ++k) w.SetData(static_cast<Integer>(k + 1), x[k]);
}

std::vector<double> Read(const TWavelet1D& w) {
  std::vector<double> x(static_cast<std::size_t>(w.Size()));
  for (std::size_t k = 0; k < x.size(); ++k) x[k] = w.Data(static_cast<Integer>(k + 1));
  return x;
}

double MaxDiff(const std::vector<double>& a, const std::vector<double>& b) {
  double m = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) m = std::max(m, std::abs(a[k] - b[k]));
  return m;
}

TEST(TWavelet1DCreate, Defaults) {
  TWavelet1D w(nullptr);
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.Order(), 2);
  EXPECT_EQ(w.SignalExtMode(), wseWrap);
  EXPECT_EQ(w.WaveletFamily(), wlfDaubechies);
  EXPECT_EQ(w.Data(1), 0.0);
  EXPECT_EQ(w.Data(256), 0.0);
}

TEST(TWavelet1DAccess, OutOfRangeReadsZeroAndWritesAreIgnored) {
  TWavelet1D w(nullptr);
  w.SetSize(4);
  for (Integer ix : {0, -1, 5, std::numeric_limits<Integer>::max()}) {
    w.SetData(ix, 3.0);
    EXPECT_EQ(w.Data(ix), 0.0);
  }
  EXPECT_EQ(Read(w), std::vector<double>(4, 0.0));
  w.SetData(2, 1.5);
  w.Clear();
  EXPECT_EQ(w.Data(2), 0.0);
}

TEST(TWavelet1DSize, PowersOfTwoOnly) {
  TWavelet1D w(nullptr);
  w.SetName("WL");
  w.SetData(3, 2.5);
  for (Integer a : {0, -1, 3, 100, 16777224, -2147483640, std::numeric_limits<Integer>::max(),
                    std::numeric_limits<Integer>::min()}) {
    SCOPED_TRACE(a);
    NUV_EXPECT_THROW_MSG(w.SetSize(a), ENUVWaveletError,
                         "Component \"WL\": data length must be power of 2");
    EXPECT_EQ(w.Size(), 256);
    EXPECT_EQ(w.Data(3), 2.5);
  }
  w.SetSize(256);
  EXPECT_EQ(w.Data(3), 0.0);  // the old signal is lost even at the same size
  w.SetSize(1);
  EXPECT_EQ(w.Size(), 1);
  w.SetData(1, 4.0);
  w.Transform(5);  // N = 1: nothing happens
  w.InverseTransform(5);
  w.SingleStep(false);
  EXPECT_EQ(w.Data(1), 4.0);
}

TEST(TWavelet1DOrder, RejectedOrderKeepsFiltersAndSignal) {
  TWavelet1D w(nullptr);
  w.SetName("WL");
  const auto x = Pseudo(16, 3u);
  Load(w, x);
  w.SetOrder(3);
  for (Integer o : {0, 4, -1}) {
    NUV_EXPECT_THROW_MSG(w.SetOrder(o), ENUVWaveletError,
                         "Component \"WL\": invalid order of Daubechies wavelet family");
  }
  EXPECT_EQ(w.Order(), 3);
  EXPECT_EQ(Read(w), x);  // writing the order leaves the signal
  // The order-3 filters are still loaded: compare with a fresh order-3 component.
  TWavelet1D ref(nullptr);
  Load(ref, x);
  ref.SetOrder(3);
  w.SingleStep(false);
  ref.SingleStep(false);
  EXPECT_EQ(Read(w), Read(ref));
}

TEST(TWavelet1DStep, Order1OnConstantSignal) {
  TWavelet1D w(nullptr);
  w.SetSize(4);
  w.SetOrder(1);
  for (Integer i = 1; i <= 4; ++i) w.SetData(i, 1.0);
  w.SingleStep(false);
  EXPECT_NEAR(w.Data(1), std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(w.Data(2), std::sqrt(2.0), 1e-15);
  EXPECT_EQ(w.Data(3), 0.0);
  EXPECT_EQ(w.Data(4), 0.0);
}

TEST(TWavelet1DStep, DetailsOfAConstantSignalByExtension) {
  auto details = [](TWLSigExtMode mode) {
    TWavelet1D w(nullptr);
    w.SetSize(16);
    w.SetSignalExtMode(mode);
    for (Integer i = 1; i <= 16; ++i) w.SetData(i, 1.0);
    w.SingleStep(false);
    std::vector<double> d;
    for (Integer i = 9; i <= 16; ++i) d.push_back(w.Data(i));
    return d;
  };
  for (double v : details(wseWrap)) EXPECT_NEAR(v, 0.0, 1e-15);
  for (double v : details(wseSymmetric)) EXPECT_NEAR(v, 0.0, 1e-15);
  const auto zp = details(wseZeroPad);
  EXPECT_GT(std::abs(zp[0]), 0.1);  // the missing taps before the start
  for (std::size_t k = 1; k < zp.size(); ++k) EXPECT_NEAR(zp[k], 0.0, 1e-15);
}

TEST(TWavelet1DFilters, OrthonormalQuadratureMirrorPair) {
  // Checked through the transform: for wrap-around, one step is an orthogonal map, so the
  // energy is kept for every order.
  for (Integer order = 1; order <= 3; ++order) {
    SCOPED_TRACE(order);
    TWavelet1D w(nullptr);
    w.SetOrder(order);
    const auto x = Pseudo(64, 11u);
    Load(w, x);
    w.SingleStep(false);
    double e0 = 0.0, e1 = 0.0;
    for (double v : x) e0 += v * v;
    for (double v : Read(w)) e1 += v * v;
    EXPECT_TRUE(test::RelNear(e0, e1, 1e-14));
  }
}

TEST(TWavelet1DLevels, FullPyramidRoundTripsWithWrap) {
  for (Integer order = 1; order <= 3; ++order) {
    SCOPED_TRACE(order);
    TWavelet1D w(nullptr);
    w.SetOrder(order);
    const auto x = Pseudo(256, 21u);
    Load(w, x);
    w.Transform(8);
    EXPECT_GT(MaxDiff(Read(w), x), 0.1);
    w.InverseTransform(8);
    EXPECT_LT(MaxDiff(Read(w), x), kTol);
    // Level above log2 N is the same full pyramid.
    w.Transform(100);
    w.InverseTransform(100);
    EXPECT_LT(MaxDiff(Read(w), x), kTol);
  }
}

TEST(TWavelet1DLevels, Order1RoundTripsInEveryMode) {
  for (auto mode : {wseWrap, wseZeroPad, wseSymmetric}) {
    SCOPED_TRACE(static_cast<int>(mode));
    TWavelet1D w(nullptr);
    w.SetOrder(1);
    w.SetSignalExtMode(mode);
    const auto x = Pseudo(128, 8u);
    Load(w, x);
    w.Transform(7);
    w.InverseTransform(7);
    EXPECT_LT(MaxDiff(Read(w), x), kTol);
  }
}

TEST(TWavelet1DLevels, SingleStepsRoundTrip) {
  TWavelet1D w(nullptr);
  w.SetOrder(3);
  const auto x = Pseudo(32, 5u);
  Load(w, x);
  w.SingleStep(false);
  w.SingleStep(true);
  EXPECT_LT(MaxDiff(Read(w), x), kTol);
}

TEST(TWavelet1DLevels, PartialInverseDoesNotRestore) {
  TWavelet1D w(nullptr);
  const auto x = Pseudo(256, 4u);
  Load(w, x);
  w.Transform(1);
  w.InverseTransform(1);  // works on the first 2 samples only
  EXPECT_GT(MaxDiff(Read(w), x), 0.1);
}

TEST(TWavelet1DLevels, LevelCountsAreStepCounts) {
  const auto x = Pseudo(8, 13u);
  auto steps = [&x](int count) {
    TWavelet1D w(nullptr);
    Load(w, x);
    for (int k = 0; k < count; ++k) w.PartialWLT(8 >> k, 0, false);
    return Read(w);
  };
  TWavelet1D w(nullptr);
  Load(w, x);
  w.Transform(0);  // counts as 1
  EXPECT_EQ(Read(w), steps(1));
  Load(w, x);
  w.Transform(-5);
  EXPECT_EQ(Read(w), steps(1));
  Load(w, x);
  w.Transform(100);  // 3 steps on 8 samples
  EXPECT_EQ(Read(w), steps(3));
  Load(w, x);
  w.DoWLT(2, false);
  EXPECT_EQ(Read(w), steps(2));
  // Inverse: lengths 2, 4, 8.
  Load(w, x);
  w.InverseTransform(2);
  TWavelet1D v(nullptr);
  Load(v, x);
  v.PartialWLT(2, 0, true);
  v.PartialWLT(4, 0, true);
  EXPECT_EQ(Read(w), Read(v));
}

TEST(TWavelet1DPartial, InvalidArgumentsDoNothing) {
  TWavelet1D w(nullptr);
  const auto x = Pseudo(16, 2u);
  Load(w, x);
  for (auto [len, off] :
       std::vector<std::pair<Integer, Integer>>{{32, 0},
                                                {16, 1},
                                                {8, 9},
                                                {8, -1},
                                                {6, 0},
                                                {1, 0},
                                                {0, 0},
                                                {-8, 0},
                                                {8, std::numeric_limits<Integer>::max()},
                                                {std::numeric_limits<Integer>::min(), 0}}) {
    SCOPED_TRACE(len);
    SCOPED_TRACE(off);
    w.PartialWLT(len, off, false);
    w.PartialWLT(len, off, true);
    EXPECT_EQ(Read(w), x);
  }
  // A valid offset works on its own stretch only.
  w.PartialWLT(8, 8, false);
  const auto y = Read(w);
  for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(y[k], x[k]);
  TWavelet1D ref(nullptr);
  Load(ref, std::vector<double>(x.begin() + 8, x.end()));
  ref.SingleStep(false);
  for (std::size_t k = 0; k < 8; ++k) EXPECT_EQ(y[8 + k], ref.Data(static_cast<Integer>(k + 1)));
}

struct TPyramidCase {
  bool Inverse = false;
  Integer Order = 0, Mode = 0, Level = 0;
  std::vector<double> x, y;
};

std::vector<TPyramidCase> ReadPyramids() {
  std::ifstream in(test::ReferencePath("wavelet_pyramids.txt"));
  std::vector<TPyramidCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string tag;
    ls >> tag;
    if (tag == "case") {
      TPyramidCase c;
      std::string kind;
      int n = 0;
      ls >> kind >> c.Order >> c.Mode >> n >> c.Level;
      c.Inverse = kind == "inv";
      cases.push_back(c);
    } else if (!cases.empty()) {
      std::istringstream vs(line);
      double a, b;
      vs >> a >> b;
      cases.back().x.push_back(a);
      cases.back().y.push_back(b);
    }
  }
  return cases;
}

TEST(TWavelet1DReference, NumPyPyramidsAllOrdersAndModes) {
  const auto cases = ReadPyramids();
  ASSERT_EQ(cases.size(), 36u);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << (c.Inverse ? "inv" : "fwd") << " order " << c.Order << " mode " << c.Mode
                 << " n " << c.x.size() << " level " << c.Level);
    TWavelet1D w(nullptr);
    Load(w, c.x);
    w.SetOrder(c.Order);
    w.SetSignalExtMode(static_cast<TWLSigExtMode>(c.Mode));
    if (c.Inverse) {
      w.InverseTransform(c.Level);
    } else {
      w.Transform(c.Level);
    }
    EXPECT_LT(MaxDiff(Read(w), c.y), kTol);
  }
}

}  // namespace
}  // namespace nuv
