// Window filters: Savitzky-Golay tables and filters against SciPy (savgol_coeffs and
// savgol_filter, tests/reference/smooth_reference.py), averages against naive sums, and the
// shared checks, edge rule and events.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/analysis/NUV_math2.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using TFilter = void (*)(TVector*, Integer, Integer, TVector*, Integer);

// Window sums of at most 25 terms of size ~40 and a division: a few ulps of the largest term.
constexpr double kTol = 1e-13;

struct Record {
  std::string Kind;
  std::vector<int> Args;
  std::vector<double> Values;
};

std::vector<Record> LoadRecords() {
  std::ifstream f(test::ReferencePath("smooth_reference.txt"));
  EXPECT_TRUE(f.good());
  std::vector<Record> out;
  std::string s;
  while (std::getline(f, s)) {
    if (s.empty()) continue;
    std::istringstream in(s);
    if (std::isalpha(static_cast<unsigned char>(s[0]))) {
      Record r;
      in >> r.Kind;
      int a;
      while (in >> a) r.Args.push_back(a);
      out.push_back(r);
    } else {
      double d;
      while (in >> d) out.back().Values.push_back(d);
    }
  }
  return out;
}

void Load(TVector& v, const std::vector<double>& x) {
  v.SetVecSize(static_cast<Integer>(x.size()));
  for (std::size_t i = 0; i < x.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), x[i]);
}

TEST(GolayTables, MatchSavgolCoeffs) {
  int checked = 0;
  for (const Record& rec : LoadRecords()) {
    if (rec.Kind != "coeffs") continue;
    const int w = rec.Args[1];
    const int m = w / 2;
    SCOPED_TRACE("deriv " + std::to_string(rec.Args[0]) + " window " + std::to_string(w));
    const auto& row =
        (rec.Args[0] == 0 ? GolayPoly : Golay2ndDeriv)[static_cast<std::size_t>(m - 2)];
    // SciPy solves the fit by least squares and loses a digit at the longest windows; the
    // table's rationals are exact.
    for (int j = -m; j <= m; ++j) {
      const double c = row[static_cast<std::size_t>((j < 0 ? -j : j) + 1)];
      EXPECT_NEAR(c / row[0], rec.Values[static_cast<std::size_t>(j + m)], 1e-14);
    }
    for (int j = m + 1; j <= 12; ++j) EXPECT_EQ(row[static_cast<std::size_t>(j + 1)], 0);
    ++checked;
  }
  EXPECT_EQ(checked, 22);
}

TEST(GolayFilters, InteriorMatchesSavgolFilterAndEdgesRepeat) {
  test::HookGuard guard;  // the destination fill draws from the process-wide generator
  const std::vector<Record> recs = LoadRecords();
  std::vector<double> series;
  for (const Record& rec : recs) {
    if (rec.Kind == "series") series = rec.Values;
  }
  ASSERT_EQ(series.size(), 60u);
  TVector src(nullptr);
  Load(src, series);
  int checked = 0;
  for (const Record& rec : recs) {
    if (rec.Kind != "filter") continue;
    const int d = rec.Args[0];
    const int w = rec.Args[2];
    const int h = w / 2;
    SCOPED_TRACE("deriv " + std::to_string(d) + " window " + std::to_string(w));
    const TFilter f = d == 0 ? &PolynomialSmooth : d == 1 ? &FirstDeriv : &SecondDeriv;
    TVector dst(nullptr);
    dst.SetVecSize(62);
    dst.FillRandomUniform(-1.0, 1.0);
    dst.SetVal(61, test::kSentinel);
    f(&src, 1, 60, &dst, w);
    for (int i = h + 1; i <= 60 - h; ++i) {
      const double want = rec.Values[static_cast<std::size_t>(i - h - 1)];
      EXPECT_NEAR(dst.GetVal(i), want, kTol * std::max(1.0, std::fabs(want))) << "at " << i;
    }
    for (int i = 1; i <= h; ++i) EXPECT_EQ(dst.GetVal(i), dst.GetVal(h + 1));
    for (int i = 61 - h; i <= 60; ++i) EXPECT_EQ(dst.GetVal(i), dst.GetVal(60 - h));
    EXPECT_EQ(dst.GetVal(61), test::kSentinel);

    // A reversed stretch beyond the source's end: elements 21..60, written from element 1 on.
    TVector part(nullptr);
    part.SetVecSize(40);
    f(&src, 999, 21, &part, w);
    for (int i = 21 + h; i <= 60 - h; ++i) EXPECT_EQ(part.GetVal(i - 20), dst.GetVal(i));
    for (int i = 1; i <= h; ++i) EXPECT_EQ(part.GetVal(i), dst.GetVal(21 + h));
    ++checked;
  }
  EXPECT_EQ(checked, 9);
}

TEST(SmoothFilters, PolynomialsAndConstantsComeOutExactly) {
  TVector src(nullptr);
  TVector dst(nullptr);
  src.SetVecSize(30);
  dst.SetVecSize(30);
  for (int w = 5; w <= 25; w += 2) {
    SCOPED_TRACE("window " + std::to_string(w));
    for (int i = 1; i <= 30; ++i) src.SetVal(i, i);
    FirstDeriv(&src, 1, 30, &dst, w);
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(dst.GetVal(i), 1.0);
    for (int i = 1; i <= 30; ++i) src.SetVal(i, double(i) * i);
    SecondDeriv(&src, 1, 30, &dst, w);
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(dst.GetVal(i), 2.0);
    for (int i = 1; i <= 30; ++i) src.SetVal(i, 2.5);
    PolynomialSmooth(&src, 1, 30, &dst, w);
    for (int i = 1; i <= 30; ++i) EXPECT_DOUBLE_EQ(dst.GetVal(i), 2.5);
  }
}

TEST(SmoothFilters, AveragesMatchNaiveWindows) {
  TVector src(nullptr);
  src.SetVecSize(20);
  for (int i = 1; i <= 20; ++i) src.SetVal(i, std::sin(i * 0.7) * 10.0 + i);
  for (int w : {3, 5, 9}) {
    SCOPED_TRACE("window " + std::to_string(w));
    const int h = w / 2;
    TVector avg(nullptr);
    TVector tri(nullptr);
    avg.SetVecSize(16);
    tri.SetVecSize(16);
    MovingAverageSmooth(&src, 3, 18, &avg, w);
    WeightedAverageSmooth(&src, 3, 18, &tri, w);
    for (int i = 3 + h; i <= 18 - h; ++i) {
      double s = 0.0, sw = 0.0, swx = 0.0;
      for (int j = -h; j <= h; ++j) {
        const double wt = h + 1 - std::abs(j);
        s += src.GetVal(i + j);
        sw += wt;
        swx += wt * src.GetVal(i + j);
      }
      EXPECT_NEAR(avg.GetVal(i - 2), s / w, kTol * 30);
      EXPECT_NEAR(tri.GetVal(i - 2), swx / sw, kTol * 30);
    }
    EXPECT_EQ(avg.GetVal(16), avg.GetVal(16 - h));
    EXPECT_EQ(tri.GetVal(1), tri.GetVal(h + 1));
  }
}

// The window formulas as described, position by position, with their edge rule.
enum class Kind { Average, Weighted, Golay, Golay2, First };

std::vector<double> NaiveFilter(Kind kind, const std::vector<double>& x, int first, int last,
                                int w) {
  const int h = w / 2;
  const int len = last - first + 1;
  const auto X = [&](int i) { return x[static_cast<std::size_t>(i - 1)]; };
  std::vector<double> y(static_cast<std::size_t>(len));
  for (int i = first + h; i <= last - h; ++i) {
    double s = 0.0;
    if (kind == Kind::Golay || kind == Kind::Golay2) {
      const auto& row = (kind == Kind::Golay ? GolayPoly : Golay2ndDeriv)[h - 2];
      s = static_cast<double>(row[1]) * X(i);
      for (int j = 1; j <= h; ++j) s += static_cast<double>(row[j + 1]) * (X(i + j) + X(i - j));
      s /= static_cast<double>(row[0]);
    } else {
      for (int j = -h; j <= h; ++j) {
        const double wt = kind == Kind::Average ? 1.0
                          : kind == Kind::First ? j
                                                : h + 1 - std::abs(j);
        s += kind == Kind::Average ? X(i + j) : wt * X(i + j);
      }
      if (kind == Kind::Average) s /= w;
      if (kind == Kind::Weighted) s *= 4.0 / ((w + 1.0) * (w + 1.0));
      if (kind == Kind::First) s /= h * (h + 1) * (2 * h + 1) / 3;
    }
    y[static_cast<std::size_t>(i - first)] = s;
  }
  for (int k = 0; k < h; ++k) {
    y[static_cast<std::size_t>(k)] = y[static_cast<std::size_t>(h)];
    y[static_cast<std::size_t>(len - 1 - k)] = y[static_cast<std::size_t>(len - 1 - h)];
  }
  return y;
}

TEST(SmoothFilters, WindowFiltersMatchTheFormulasBitForBit) {
  std::mt19937_64 gen(31337);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  // Long enough that a filter working through the stretch piece by piece crosses pieces.
  std::vector<double> x(9000);
  for (double& v : x) v = u(gen);
  TVector src(nullptr);
  Load(src, x);
  struct Case {
    Kind K;
    TFilter F;
    int MinWin;
  };
  const Case cases[] = {{Kind::Average, &MovingAverageSmooth, 3},
                        {Kind::Weighted, &WeightedAverageSmooth, 3},
                        {Kind::Golay, &PolynomialSmooth, 5},
                        {Kind::Golay2, &SecondDeriv, 5},
                        {Kind::First, &FirstDeriv, 5}};
  for (const Case& c : cases) {
    for (int w = c.MinWin; w <= 25; w += 2) {
      for (const auto& range : {std::pair{1, 9000}, std::pair{8613, 38}, std::pair{100, 126}}) {
        SCOPED_TRACE("kind " + std::to_string(static_cast<int>(c.K)) + " window " +
                     std::to_string(w) + " from " + std::to_string(range.first));
        const int first = std::min(range.first, range.second);
        const int last = std::max(range.first, range.second);
        const std::vector<double> want = NaiveFilter(c.K, x, first, last, w);
        for (bool watched : {false, true}) {
          TVector dst(nullptr);
          dst.SetVecSize(last - first + 3);
          dst.Fill(test::kSentinel);
          test::EventRecorder rec;
          if (watched) rec.Attach(dst);
          c.F(&src, range.first, range.second, &dst, w);
          EXPECT_EQ(rec.Changes, watched ? static_cast<int>(want.size()) + 1 : 0);
          int differ = 0;
          for (std::size_t k = 0; k < want.size(); ++k) {
            const double got = dst.GetVal(static_cast<Integer>(k + 1));
            if (std::memcmp(&got, &want[k], sizeof got) != 0) ++differ;
          }
          EXPECT_EQ(differ, 0) << (watched ? "watched" : "plain");
          EXPECT_EQ(dst.GetVal(last - first + 2), test::kSentinel);
        }
      }
    }
  }
}

TEST(SmoothFilters, MovingMedianAndShortestStretch) {
  test::HookGuard guard;  // the median sorts with progress steps
  TVector src(nullptr);
  TVector dst(nullptr);
  Load(src, {1, 9, 2, 8, 3});
  dst.SetVecSize(5);
  MovingMedianSmooth(&src, 1, 5, &dst, 3);
  const double want[] = {2, 2, 8, 3, 3};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(dst.GetVal(i), want[i - 1]);
  // Window 3 over four elements (last - first = 3) passes; over three it is refused.
  MovingMedianSmooth(&src, 2, 5, &dst, 3);
  const double want4[] = {8, 8, 3, 3};
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(dst.GetVal(i), want4[i - 1]);
  NUV_EXPECT_THROW_MSG(MovingMedianSmooth(&src, 3, 5, &dst, 3), ENUVMath2Error,
                       "MovingMedianSmooth: specified range for smoothing is smaller than the "
                       "length of the smoothing windows");
}

TEST(SmoothFilters, SourceMayBeTheDestination) {
  test::HookGuard guard;  // the median sorts with progress steps
  TVector a(nullptr);
  TVector b(nullptr);
  std::vector<double> x;
  for (int i = 0; i < 30; ++i) x.push_back(std::cos(i * 0.9) * (i % 4));
  for (TFilter f : {&MovingAverageSmooth, &MovingMedianSmooth, &WeightedAverageSmooth,
                    &PolynomialSmooth, &SecondDeriv, &FirstDeriv}) {
    Load(a, x);
    Load(b, x);
    f(&a, 1, 30, &b, 7);
    f(&a, 1, 30, &a, 7);
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(a.GetVal(i), b.GetVal(i)) << "at " << i;
  }
}

TEST(SmoothFilters, EventsOnePerElementAndOneAtTheEnd) {
  TVector src(nullptr);
  src.SetVecSize(20);
  for (int i = 1; i <= 20; ++i) src.SetVal(i, i);
  TVector dst(nullptr);
  dst.SetVecSize(12);
  test::EventRecorder rec;
  rec.Attach(dst);
  PolynomialSmooth(&src, 5, 16, &dst, 5);
  EXPECT_EQ(rec.Changes, 12 + 1);
  // A destination shorter than the stretch keeps its size; writes beyond it are skipped.
  TVector small(nullptr);
  small.SetVecSize(4);
  test::EventRecorder rs;
  rs.Attach(small);
  MovingAverageSmooth(&src, 1, 20, &small, 3);
  EXPECT_EQ(small.NrOfElem(), 4);
  EXPECT_EQ(rs.Changes, 4 + 1);
  EXPECT_EQ(small.GetVal(1), 2.0);
  EXPECT_EQ(small.GetVal(4), 4.0);
}

TEST(SmoothFilters, UnwatchedShortDestinationGetsTheSameCells) {
  test::HookGuard guard;  // the median sorts with progress steps
  TVector src(nullptr);
  src.SetVecSize(60);
  for (int i = 1; i <= 60; ++i) src.SetVal(i, std::sin(i * 1.3) * i);
  for (TFilter f : {&MovingAverageSmooth, &MovingMedianSmooth, &WeightedAverageSmooth,
                    &PolynomialSmooth, &SecondDeriv, &FirstDeriv}) {
    for (int size : {2, 9, 40, 58}) {
      SCOPED_TRACE("size " + std::to_string(size));
      TVector watched(nullptr), plain(nullptr);
      watched.SetVecSize(size);
      plain.SetVecSize(size);
      test::EventRecorder rec;
      rec.Attach(watched);
      f(&src, 3, 60, &watched, 7);
      f(&src, 3, 60, &plain, 7);
      EXPECT_FALSE(plain.IsEmpty());
      EXPECT_EQ(plain.NrOfElem(), size);
      for (int i = 1; i <= size; ++i) EXPECT_EQ(plain.GetVal(i), watched.GetVal(i)) << i;
    }
  }
}

TEST(SmoothFilters, ChecksRaiseInOrderBeforeWriting) {
  struct Case {
    TFilter F;
    const char* Name;
    const char* Range;
    const char* What;
    int Low, High;
  };
  const char* kSmooth = "specified range for smoothing is smaller than the length of the ";
  const Case cases[] = {
      {&MovingAverageSmooth, "MovingAverageSmooth", kSmooth, "smoothing windows", 3, 2147483647},
      {&MovingMedianSmooth, "MovingMedianSmooth", kSmooth, "smoothing windows", 3, 2147483647},
      {&WeightedAverageSmooth, "WeightedAverageSmooth", kSmooth, "smoothing windows", 3,
       2147483647},
      {&PolynomialSmooth, "PolynomialSmooth", kSmooth, "polynomial", 5, 25},
      {&SecondDeriv, "SecondDeriv", kSmooth, "polynomial", 5, 25},
      {&FirstDeriv, "FirstDeriv",
       "specified range for calculation is smaller than the length of the ", "polynomial", 5, 25},
  };
  TVector src(nullptr);
  src.SetVecSize(40);
  TVector dst(nullptr);
  dst.SetVecSize(40);
  dst.Fill(test::kSentinel);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string name = c.Name;
    const std::string len = c.Low == 3 ? "length of smoothing window" : "length of polynomial";
    NUV_EXPECT_THROW_MSG(c.F(nullptr, 1, 40, &dst, 0), ENUVMath2Error,
                         name + ": either SourceVec or DestVec is undefined");
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, nullptr, 5), ENUVMath2Error,
                         name + ": either SourceVec or DestVec is undefined");
    const std::string range = name + ": " + c.Range + c.What;
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, &dst, 40), ENUVMath2Error, range);
    NUV_EXPECT_THROW_MSG(c.F(&src, 10, 20, &dst, 11), ENUVMath2Error, range);
    const std::string out = name + ": " + len + " is out of range";
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, &dst, c.Low - 2), ENUVMath2Error, out);
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, &dst, -2147483647 - 1), ENUVMath2Error, out);
    // A negative window passes the range test even over one element.
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 1, &dst, -5), ENUVMath2Error, out);
    if (c.High == 25) NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, &dst, 27), ENUVMath2Error, out);
    NUV_EXPECT_THROW_MSG(c.F(&src, 1, 40, &dst, c.Low + 1), ENUVMath2Error,
                         name + ": " + len + " must be odd");
    c.F(&src, 1, 40, &dst, c.Low);  // the shortest window passes
  }
  // The last filter wrote; every refused call before it left the destination alone.
  TVector untouched(nullptr);
  untouched.SetVecSize(40);
  untouched.Fill(test::kSentinel);
  for (const Case& c : cases) {
    try {
      c.F(&src, 1, 40, &untouched, c.Low + 1);
    } catch (const ENUVMath2Error&) {
    }
  }
  for (int i = 1; i <= 40; ++i) EXPECT_EQ(untouched.GetVal(i), test::kSentinel);
}

}  // namespace
}  // namespace nuv
