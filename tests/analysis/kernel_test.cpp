// Windowed-sinc kernels, the moving kernel filter and recursive Chebyshev filters. The recursive
// designs and the zero-phase filter are checked against SciPy
// (tests/reference/kernel_reference.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using test::kSentinel;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Kernel sums and gains are formed from a few dozen terms of order 1.
constexpr double kSumTol = 1e-13;

std::complex<double> Response(const std::vector<double>& h, double f) {
  std::complex<double> sum = 0.0;
  for (std::size_t j = 0; j < h.size(); ++j) {
    sum += h[j] * std::polar(1.0, -2.0 * kPi * f * static_cast<double>(j));
  }
  return sum;
}

// The design into a0 and m, or false when CalcChebFilterCoeffs refuses it as unsound in
// double precision (with one of its two fixed messages; any other exception propagates).
bool Designed(Integer NPoles, bool HighPass, double Fc, double Ripple, double& a0, TMatrix& m) {
  try {
    CalcChebFilterCoeffs(NPoles, HighPass, Fc, Ripple, a0, &m);
    return true;
  } catch (const ENUVMath2Error& e) {
    const std::string msg = e.Message();
    if (msg == "CalcChebFilterCoeffs: design is unstable in double precision" ||
        msg == "CalcChebFilterCoeffs: design amplifies rounding beyond 1e-6") {
      return false;
    }
    throw;
  }
}

double Sum(const std::vector<double>& h) {
  double s = 0.0;
  for (double v : h) s += v;
  return s;
}

TEST(SincKernel, HammingKernelOfThreeMatchesClosedForm) {
  // Fc = 0.25: sinc terms 1, π/2, 1; Hamming weights at 2πi/4 are 0.54, 1, 0.54.
  TDoubleArray h;
  CalcSincLPKernel(3, 0.25, 1, h);
  const double norm = 1.08 + kPi / 2.0;
  ASSERT_EQ(h.size(), 3U);
  EXPECT_NEAR(h[0], 0.54 / norm, 1e-15);
  EXPECT_NEAR(h[1], kPi / 2.0 / norm, 1e-15);
  EXPECT_NEAR(h[2], 0.54 / norm, 1e-15);
}

TEST(SincKernel, GainsSymmetryAndBands) {
  for (Integer window : {0, 1, 2}) {
    SCOPED_TRACE(window);
    TDoubleArray lp, hp, bs, bp;
    CalcSincLPKernel(31, 0.25, window, lp);
    CalcSincHPKernel(31, 0.25, window, hp);
    CalcSincBSKernel(101, 0.3, 0.1, window, bs);  // reversed pair is put in order
    CalcSincBPKernel(101, 0.1, 0.3, window, bp);
    EXPECT_NEAR(Sum(lp), 1.0, kSumTol);
    EXPECT_NEAR(Sum(hp), 0.0, kSumTol);
    EXPECT_NEAR(Sum(bs), 1.0, kSumTol);
    EXPECT_NEAR(Sum(bp), 0.0, kSumTol);
    for (std::size_t j = 0; j < lp.size(); ++j) EXPECT_NEAR(lp[j], lp[lp.size() - 1 - j], 1e-15);
    for (std::size_t j = 0; j < bp.size(); ++j) EXPECT_NEAR(bp[j], bp[bp.size() - 1 - j], 1e-15);
    // High pass passes the Nyquist frequency; band pass its centre, band stop blocks it.
    EXPECT_NEAR(std::abs(Response(hp, 0.5)), 1.0, 0.03);
    EXPECT_NEAR(std::abs(Response(bp, 0.2)), 1.0, 0.03);
    EXPECT_NEAR(std::abs(Response(bs, 0.2)), 0.0, 0.03);
    EXPECT_NEAR(std::abs(Response(bs, 0.45)), 1.0, 0.03);
  }
  TDoubleArray bsRev, bsFwd;
  CalcSincBSKernel(21, 0.3, 0.1, 2, bsRev);
  CalcSincBSKernel(21, 0.1, 0.3, 2, bsFwd);
  EXPECT_EQ(bsRev, bsFwd);
}

TEST(SincKernel, CutOffClampAndZeroSum) {
  TDoubleArray a, b;
  CalcSincLPKernel(15, 0.7, 1, a);
  CalcSincLPKernel(15, 0.5, 1, b);
  EXPECT_EQ(a, b);
  CalcSincLPKernel(15, -0.2, 2, a);  // all zeros stay unnormalised
  EXPECT_EQ(a, TDoubleArray(15, 0.0));
  CalcSincHPKernel(15, -0.2, 2, a);  // a unit impulse at the centre
  for (std::size_t j = 0; j < a.size(); ++j) EXPECT_EQ(a[j], j == 7 ? 1.0 : 0.0);
}

TEST(SincKernel, VectorFormMatchesArrayAndEvenCentre) {
  TDoubleArray arr;
  TVector vec(nullptr);
  EventRecorder rec;
  vec.SetOnChange(rec.ChangeHandler());
  CalcSincBPKernel(10, 0.05, 0.2, 1, arr);
  CalcSincBPKernel(10, 0.05, 0.2, 1, &vec);
  ASSERT_EQ(vec.NrOfElem(), 10);
  EXPECT_EQ(rec.Changes, 11);  // resize, then one per element
  for (Integer i = 1; i <= 10; ++i) EXPECT_EQ(vec.Elem(i), arr[static_cast<std::size_t>(i - 1)]);
  // Even N: the 1 of the inversion lands on element N div 2 + 1.
  TDoubleArray lp, hp;
  CalcSincLPKernel(10, 0.1, 0, lp);
  CalcSincHPKernel(10, 0.1, 0, hp);
  for (std::size_t j = 0; j < 10; ++j) EXPECT_EQ(hp[j], (j == 5 ? 1.0 : 0.0) - lp[j]);
  // N < 1: the array empties, the vector keeps its size; a null vector is ignored.
  CalcSincLPKernel(0, 0.1, 0, arr);
  EXPECT_TRUE(arr.empty());
  CalcSincLPKernel(-3, 0.1, 0, &vec);
  EXPECT_EQ(vec.NrOfElem(), 10);
  CalcSincLPKernel(5, 0.1, 0, static_cast<TVector*>(nullptr));
}

TEST(MovingKernelFilter, AppliesKernelUnreversedWithRepeatedEdges) {
  TVector src(nullptr), dst(nullptr), ker(nullptr);
  src.SetVecSize(10);
  for (Integer i = 1; i <= 10; ++i) src.SetVal(i, i * i);
  ker.SetVecSize(3);
  ker.SetVal(1, 1.0);  // picks element p - 1
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  MovingKernelFilter(&src, 8, 3, &dst, &ker);  // reversed range is put in order
  ASSERT_EQ(dst.NrOfElem(), 10);
  EXPECT_EQ(rec.Changes, 1 + 6 + 1);
  const double want[] = {9, 9, 16, 25, 36, 49, 0, 0, 0, 0};
  for (Integer i = 1; i <= 10; ++i) EXPECT_EQ(dst.Elem(i), want[i - 1]) << i;
  // Averaging kernel, the destination being the source itself.
  ker.SetVecSize(4);
  ker.Fill(0.25);
  MovingKernelFilter(&src, 0, 100, &src, &ker);  // clamped to 1..10
  // q = p - 2 .. p + 1, held within 1..10.
  EXPECT_EQ(src.Elem(1), (1 + 1 + 1 + 4) / 4.0);
  EXPECT_EQ(src.Elem(5), (9 + 16 + 25 + 36) / 4.0);
  EXPECT_EQ(src.Elem(10), (64 + 81 + 100 + 100) / 4.0);
}

TEST(MovingKernelFilter, Errors) {
  TVector src(nullptr), dst(nullptr), ker(nullptr);
  src.SetVecSize(10);
  ker.SetVecSize(5);
  NUV_EXPECT_THROW_MSG(MovingKernelFilter(nullptr, 1, 10, &dst, &ker), ENUVMath2Error,
                       "MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined");
  NUV_EXPECT_THROW_MSG(MovingKernelFilter(&src, 1, 10, &dst, nullptr), ENUVMath2Error,
                       "MovingKernelfilter: SourceVec, DestVec and/or FilterKernel is undefined");
  NUV_EXPECT_THROW_MSG(MovingKernelFilter(&src, 2, 6, &dst, &ker), ENUVMath2Error,
                       "MovingKernelfilter: specified range for smoothing is smaller than the "
                       "length of the kernel");
  EXPECT_EQ(dst.NrOfElem(), 1);
  EXPECT_NO_THROW(MovingKernelFilter(&src, 2, 7, &dst, &ker));
}

struct Record {
  std::string Head;
  std::vector<std::vector<double>> Lines;
};

std::vector<Record> LoadReference() {
  std::ifstream in(test::ReferencePath("kernel_reference.txt"));
  std::vector<Record> recs;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (std::isalpha(static_cast<unsigned char>(line[0]))) {
      recs.push_back({line, {}});
      continue;
    }
    std::istringstream s(line);
    std::vector<double> v;
    double d;
    while (s >> d) v.push_back(d);
    if (!recs.empty()) recs.back().Lines.push_back(v);
  }
  return recs;
}

struct Design {
  Integer NPoles = 0;
  bool HighPass = false;
  double Fc = 0, PR = 0;
  Integer L = 0;
};

Design ParseHead(const std::string& head) {
  std::istringstream s(head);
  std::string kind;
  Design d;
  int hp = 0;
  s >> kind >> d.NPoles >> hp >> d.Fc >> d.PR >> d.L;
  d.HighPass = hp != 0;
  return d;
}

TEST(ChebFilterCoeffs, MatchScipyDesigns) {
  const std::vector<Record> recs = LoadReference();
  int checked = 0, refused = 0;
  for (const Record& rec : recs) {
    if (rec.Head.rfind("cheb", 0) != 0) continue;
    SCOPED_TRACE(rec.Head);
    const Design d = ParseHead(rec.Head);
    ASSERT_EQ(rec.Lines.size(), 2U);
    double a0 = 0;
    TMatrix m(nullptr);
    // The 20-pole design of the table is one that double precision cannot hold.
    if (!Designed(d.NPoles, d.HighPass, d.Fc, d.PR, a0, m)) {
      ++refused;
      continue;
    }
    ASSERT_EQ(m.NrOfColumns(), 2);
    ASSERT_EQ(m.NrOfRows(), d.NPoles);
    const std::vector<double>& a = rec.Lines[0];
    const std::vector<double>& b = rec.Lines[1];
    // Expanding the biquads into polynomials loses digits relative to the largest term; at 20
    // poles the feedback sum nearly cancels 1 and the gain scaling carries about 1e-9.
    double amax = 0, bmax = 0;
    for (double v : a) amax = std::max(amax, std::fabs(v));
    for (double v : b) bmax = std::max(bmax, std::fabs(v));
    const double tol = d.NPoles > 12 ? 1e-8 : 1e-11;
    EXPECT_NEAR(a0, a[0], tol * amax);
    for (Integer r = 1; r <= d.NPoles; ++r) {
      EXPECT_NEAR(m.Elem(1, r), a[static_cast<std::size_t>(r)], tol * amax) << r;
      EXPECT_NEAR(m.Elem(2, r), b[static_cast<std::size_t>(r - 1)], tol * bmax) << r;
    }
    // Unit gain in the pass band: Σ a / (1 - Σ b) with alternating signs for the high pass.
    double sa = a0, sb = 0;
    for (Integer r = 1; r <= d.NPoles; ++r) {
      const double sign = d.HighPass && r % 2 == 1 ? -1.0 : 1.0;
      sa += sign * m.Elem(1, r);
      sb += sign * m.Elem(2, r);
    }
    EXPECT_NEAR(sa / (1.0 - sb), 1.0, 1e-9);
    ++checked;
  }
  EXPECT_EQ(checked + refused, 9);
  EXPECT_LE(refused, 1);
}

TEST(ChebFilterCoeffs, ChecksRaiseAndChangeNothing) {
  TMatrix m(nullptr);
  m.Resize(3, 3);
  m.Fill(kSentinel);
  double a0 = kSentinel;
  const std::string pre = "CalcChebFilterCoeffs: ";
  NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(3, false, 0.1, 0.5, a0, &m), ENUVMath2Error,
                       pre + "NPoles must be even");
  NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(-3, false, 0.1, 0.5, a0, &m), ENUVMath2Error,
                       pre + "NPoles must be even");
  for (Integer np : {22, 24, -2}) {
    NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(np, false, 0.1, 0.5, a0, &m), ENUVMath2Error,
                         pre + "NPoles must be in the range 0 to 20");
  }
  for (double pr : {30.0, 29.0001, -0.1, kNaN}) {
    NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(4, false, 0.1, pr, a0, &m), ENUVMath2Error,
                         pre + "invalid Ripple value");
  }
  // Outside 0..0.5, and cut-offs where the pass-band gain vanishes: a low pass at or just above
  // 0, a high pass at or just below 0.5.
  const struct {
    bool HighPass;
    double Fc;
  } bad[] = {{true, -0.1},          {true, 0.6},          {true, kNaN}, {false, -1e-300},
             {false, 0.0},          {false, 1e-9},        {true, 0.5},  {true, 0.5 - 1e-9},
             {false, 0.5000000001}, {true, -0.0 - 1e-300}};
  for (const auto& c : bad) {
    SCOPED_TRACE(c.Fc);
    SCOPED_TRACE(c.HighPass);
    NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(2, c.HighPass, c.Fc, 0.5, a0, &m), ENUVMath2Error,
                         pre + "invalid cutoff frequency");
  }
  EXPECT_EQ(a0, kSentinel);
  EXPECT_EQ(m.NrOfRows(), 3);
  EXPECT_EQ(m.Elem(3, 3), kSentinel);
  // Without a matrix nothing is designed: a0 stays, even for arguments that would raise.
  CalcChebFilterCoeffs(4, false, 0.1, 0.5, a0, nullptr);
  CalcChebFilterCoeffs(3, false, 0.1, 0.5, a0, nullptr);
  EXPECT_EQ(a0, kSentinel);
  // Ripple 29 is the largest the ellipse warp allows; no poles is the identity.
  CalcChebFilterCoeffs(4, true, 0.45, 29.0, a0, &m);
  EXPECT_TRUE(std::isfinite(a0));
  // A design that double precision cannot hold is refused and changes nothing.
  a0 = kSentinel;
  NUV_EXPECT_THROW_MSG(CalcChebFilterCoeffs(20, true, 0.45, 29.0, a0, &m), ENUVMath2Error,
                       "CalcChebFilterCoeffs: design is unstable in double precision");
  EXPECT_EQ(a0, kSentinel);
  EXPECT_EQ(m.NrOfRows(), 4);
  CalcChebFilterCoeffs(0, false, 0.1, 1.0, a0, &m);
  EXPECT_EQ(a0, 1.0);
  EXPECT_EQ(m.NrOfRows(), 0);
}

TEST(ChebFilterCoeffs, ClosedEndsOfTheCutOffRangeDesignFiniteFilters) {
  // A low pass at 0.5 and a high pass at 0 lie inside the range and keep a finite gain.
  for (const bool hp : {false, true}) {
    for (const Integer np : {2, 4, 8}) {
      SCOPED_TRACE(np);
      SCOPED_TRACE(hp);
      double a0 = kNaN;
      TMatrix m(nullptr);
      if (!Designed(np, hp, hp ? 0.0 : 0.5, 0.5, a0, m)) continue;
      ASSERT_EQ(m.NrOfRows(), np);
      EXPECT_TRUE(std::isfinite(a0));
      double sa = a0, sb = 0;
      for (Integer r = 1; r <= np; ++r) {
        ASSERT_TRUE(std::isfinite(m.Elem(1, r)) && std::isfinite(m.Elem(2, r))) << r;
        const double sign = hp && r % 2 == 1 ? -1.0 : 1.0;
        sa += sign * m.Elem(1, r);
        sb += sign * m.Elem(2, r);
      }
      EXPECT_NEAR(sa / (1.0 - sb), 1.0, 1e-9);
    }
  }
}

TEST(ChebychevFilter, ZeroPhaseMatchesScipy) {
  int checked = 0;
  for (const Record& rec : LoadReference()) {
    if (rec.Head.rfind("filt", 0) != 0) continue;
    SCOPED_TRACE(rec.Head);
    const Design d = ParseHead(rec.Head);
    ASSERT_EQ(rec.Lines.size(), 2U);
    double a0 = 0;
    TMatrix m(nullptr);
    if (!Designed(d.NPoles, d.HighPass, d.Fc, d.PR, a0, m)) continue;
    TVector src(nullptr), dst(nullptr);
    src.SetVecSize(d.L);
    src.CopyFromArray(rec.Lines[0], 1);
    dst.SetVecSize(d.L + 2);
    dst.Fill(kSentinel);
    ChebychevFilter(&src, 1, d.L, &dst, a0, &m);
    for (Integer i = 1; i <= d.L; ++i) {
      EXPECT_NEAR(dst.Elem(i), rec.Lines[1][static_cast<std::size_t>(i - 1)], 1e-11) << i;
    }
    EXPECT_EQ(dst.Elem(d.L + 1), kSentinel);
    ++checked;
  }
  EXPECT_EQ(checked, 3);
}

// Zero-phase filter written out over whole arrays: the input at position e is source(e - s),
// both passes run over 1 .. last + 2s, values outside read 0. The sums are formed in the same
// order as the library's, so the results agree exactly.
std::vector<double> NaiveZeroPhase(const std::vector<double>& src, double a0, const TMatrix& m,
                                   Integer last) {
  const Integer P = m.NrOfRows();
  const Integer s = P + 1;
  const Integer len = last + 2 * s;
  const auto n = static_cast<Integer>(src.size());
  const auto x = [&](Integer e) {
    const Integer j = e - s;
    return j >= 1 && j <= std::min(n, last + s) ? src[static_cast<std::size_t>(j - 1)] : 0.0;
  };
  std::vector<double> f(static_cast<std::size_t>(len + s + 1), 0.0);
  std::vector<double> g(f.size(), 0.0);
  const auto F = [&](Integer e) { return e >= 1 && e <= len ? f[e] : 0.0; };
  const auto G = [&](Integer e) { return e >= 1 && e <= len ? g[e] : 0.0; };
  for (Integer e = 1; e <= len; ++e) {
    double sum = a0 * x(e);
    for (Integer r = 1; r <= P; ++r) sum += m.Elem(1, r) * x(e - r) + m.Elem(2, r) * F(e - r);
    f[e] = sum;
  }
  for (Integer e = len; e >= 1; --e) {
    double sum = a0 * f[e];
    for (Integer r = 1; r <= P; ++r) sum += m.Elem(1, r) * F(e + r) + m.Elem(2, r) * G(e + r);
    g[e] = sum;
  }
  // Position i of the result is g(i + s); index 0 is unused.
  std::vector<double> out(static_cast<std::size_t>(last + 1), 0.0);
  for (Integer i = 1; i <= last; ++i) out[static_cast<std::size_t>(i)] = g[i + s];
  return out;
}

TEST(ChebychevFilter, StretchesMatchScipyAtSourcePositions) {
  int checked = 0;
  for (const Record& rec : LoadReference()) {
    if (rec.Head.rfind("span", 0) != 0) continue;
    SCOPED_TRACE(rec.Head);
    std::istringstream head(rec.Head);
    std::string kind;
    Integer np = 0, hp = 0, n = 0, first = 0, last = 0;
    double fc = 0, pr = 0;
    head >> kind >> np >> hp >> fc >> pr >> n >> first >> last;
    ASSERT_EQ(rec.Lines.size(), 2U);
    double a0 = 0;
    TMatrix m(nullptr);
    if (!Designed(np, hp != 0, fc, pr, a0, m)) continue;
    TVector src(nullptr), dst(nullptr);
    src.SetVecSize(n);
    src.CopyFromArray(rec.Lines[0], 1);
    const Integer size = std::max(n, last) + 3;
    dst.SetVecSize(size);
    dst.Fill(kSentinel);
    ChebychevFilter(&src, first, last, &dst, a0, &m);
    const Integer lo = std::max(first, 1);
    ASSERT_EQ(rec.Lines[1].size(), static_cast<std::size_t>(last - lo + 1));
    for (Integer i = 1; i <= size; ++i) {
      if (i < lo || i > last) {
        EXPECT_EQ(dst.Elem(i), kSentinel) << i;
      } else {
        const double want = rec.Lines[1][static_cast<std::size_t>(i - lo)];
        EXPECT_NEAR(dst.Elem(i), want, 1e-11 * std::max(1.0, std::fabs(want))) << i;
      }
    }
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

TEST(ChebychevFilter, ValuesDoNotDependOnTheFirstPosition) {
  double a0 = 0;
  TMatrix m(nullptr);
  CalcChebFilterCoeffs(4, false, 0.1, 0.5, a0, &m);
  TVector ramp(nullptr), whole(nullptr), part(nullptr);
  ramp.SetVecSize(300);
  for (Integer i = 1; i <= 300; ++i) ramp.SetVal(i, i / 100.0);
  whole.SetVecSize(300);
  part.SetVecSize(300);
  part.Fill(kSentinel);
  ChebychevFilter(&ramp, 1, 200, &whole, a0, &m);
  ChebychevFilter(&ramp, 50, 200, &part, a0, &m);
  for (Integer i = 1; i <= 300; ++i) {
    if (i < 50 || i > 200) {
      EXPECT_EQ(part.Elem(i), kSentinel) << i;
    } else {
      EXPECT_EQ(part.Elem(i), whole.Elem(i)) << i;
    }
  }
  // The ramp goes on past 200, so the end of the stretch is not pulled down to zero: near 200
  // the result lies well above what the stretch alone, padded with zeros, gives.
  TVector alone(nullptr), aloneOut(nullptr);
  alone.SetVecSize(200);
  alone.CopyFrom(&ramp, 1, 200, 1);
  aloneOut.SetVecSize(200);
  ChebychevFilter(&alone, 1, 200, &aloneOut, a0, &m);
  EXPECT_GT(whole.Elem(199), aloneOut.Elem(199) + 0.2);
  // Filtering in place gives the same values.
  TVector inPlace(nullptr);
  inPlace.SetVecSize(300);
  inPlace.CopyFrom(&ramp, 1, 300, 1);
  ChebychevFilter(&inPlace, 50, 200, &inPlace, a0, &m);
  for (Integer i = 50; i <= 200; ++i) EXPECT_EQ(inPlace.Elem(i), whole.Elem(i)) << i;
  EXPECT_EQ(inPlace.Elem(201), ramp.Elem(201));
}

TEST(ChebychevFilter, LongRunsPastTheSourceMatchNaiveFilter) {
  // A stretch ending far beyond the source: the backward pass starts in the ringing of the
  // forward pass, tens of thousands of positions past the data.
  for (const Integer last : {70, 65525, 65536, 70000, 140000}) {
    SCOPED_TRACE(last);
    double a0 = 0;
    TMatrix m(nullptr);
    ASSERT_TRUE(Designed(2, false, 0.001, 0.5, a0, m));  // slow decay
    std::vector<double> data(100);
    for (std::size_t j = 0; j < data.size(); ++j) data[j] = std::sin(0.2 * j) + 1.0;
    TVector src(nullptr), dst(nullptr);
    src.SetVecSize(100);
    src.CopyFromArray(data, 1);
    dst.SetVecSize(120);
    dst.Fill(kSentinel);
    ChebychevFilter(&src, -10, last, &dst, a0, &m);
    const std::vector<double> want = NaiveZeroPhase(data, a0, m, last);
    for (Integer i = 1; i <= std::min<Integer>(120, last); ++i) {
      EXPECT_EQ(dst.Elem(i), want[static_cast<std::size_t>(i)]) << i;
    }
  }
}

TEST(ChebychevFilter, ConstantKeepsGainAndDegenerateCallsDoNothing) {
  double a0 = 0;
  TMatrix m(nullptr);
  // A constant passes with unit gain once the transients of the zero padding have died away.
  CalcChebFilterCoeffs(4, false, 0.2, 0.5, a0, &m);
  TVector src(nullptr), dst(nullptr);
  src.SetVecSize(300);
  src.Fill(3.0);
  ChebychevFilter(&src, 1, 300, &src, a0, &m);
  for (Integer i = 60; i <= 240; ++i) EXPECT_NEAR(src.Elem(i), 3.0, 1e-6) << i;
  EXPECT_LT(src.Elem(1), 2.5);  // the zero padding pulls the ends down
  // Reversed stretches, a last position whose run overflows and null arguments do nothing;
  // a stretch beyond the destination writes nothing either.
  dst.SetVecSize(300);
  dst.Fill(kSentinel);
  EventRecorder rec;
  dst.SetOnChange(rec.ChangeHandler());
  ChebychevFilter(&src, 50, 10, &dst, a0, &m);
  ChebychevFilter(&src, 1, std::numeric_limits<Integer>::max() - 5, &dst, a0, &m);
  ChebychevFilter(&src, 500, 600, &dst, a0, &m);
  ChebychevFilter(nullptr, 1, 10, &dst, a0, &m);
  ChebychevFilter(&src, 1, 10, &dst, a0, nullptr);
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(dst.Elem(10), kSentinel);
  EXPECT_EQ(dst.Elem(300), kSentinel);
}

// Every design of the grid either is refused with its reason and changes nothing, or runs
// through the filter to a settled output within 1e-6 of its pass-band gain: a constant for the
// low pass, an alternating ±1 for the high pass.
TEST(ChebFilterCoeffs, EveryAcceptedDesignSettlesAtItsGain) {
  int accepted = 0, refused = 0;
  for (Integer np = 2; np <= 20; np += 2) {
    for (const double fc : {0.001, 0.005, 0.01, 0.02, 0.05, 0.1, 0.25, 0.4}) {
      for (const double ripple : {0.0, 0.5, 5.0}) {
        for (const bool hp : {false, true}) {
          SCOPED_TRACE(std::to_string(np) + (hp ? " high " : " low ") + std::to_string(fc) + " " +
                       std::to_string(ripple));
          double a0 = kSentinel;
          TMatrix m(nullptr);
          m.Resize(2, 1);
          m.SetVal(1, 1, kSentinel);
          if (!Designed(np, hp, fc, ripple, a0, m)) {
            ++refused;
            EXPECT_EQ(a0, kSentinel);
            EXPECT_EQ(m.NrOfRows(), 1);
            EXPECT_EQ(m.Elem(1, 1), kSentinel);
            continue;
          }
          ++accepted;
          constexpr Integer kL = 60000;
          TVector x(nullptr), y(nullptr);
          x.SetVecSize(kL);
          y.SetVecSize(kL);
          for (Integer i = 1; i <= kL; ++i) x.SetVal(i, hp && i % 2 == 0 ? -1.0 : 1.0);
          ChebychevFilter(&x, 1, kL, &y, a0, &m);
          const Integer mid = kL / 2 + 1;  // odd: +1 for both inputs
          EXPECT_NEAR(y.Elem(mid), 1.0, 1e-6);
        }
      }
    }
  }
  // Double precision holds the low-order and the higher cut-off designs.
  EXPECT_GT(accepted, 200);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace nuv
