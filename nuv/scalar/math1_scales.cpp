#include "nuv/scalar/math1_scales.hpp"

#include "nuv/scalar/math1_functions.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace nuv {
inline namespace NUV_math1 {
namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kLog10Of2 = 0.3010299956639812;
constexpr double kLog10Of5 = 0.6989700043360189;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Decades covered by the grid tables: from the one holding the smallest subnormal double up
// to the one holding the largest double.
constexpr int kMinDecade = -324;
constexpr int kMaxDecade = 308;

constexpr std::array<Integer, 12> kAngleSteps{1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};
constexpr std::size_t kMinuteSteps = 9;  // 1 to 60

// The value of F nearest to Mant * 10^Exp, correctly rounded by the decimal parser (the
// product of two rounded factors can be one unit off). Out of range gives 0 or infinity.
template <class F>
F NearestDecimal(int Mant, int Exp) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%de%d", Mant, Exp);
  F v = 0;
  const auto res = std::from_chars(buf, buf + n, v);
  if (res.ec == std::errc::result_out_of_range) {
    return Exp < 0 ? F(0) : F(HUGE_VALL);
  }
  return v;
}

// The doubles nearest to 1, 1.5, 2, 3, 5 and 8 times 10^e.
struct TDecade {
  double p1, p15, p2, p3, p5, p8;
};

const TDecade& Decade(int e) {
  static const auto table = [] {
    std::array<TDecade, kMaxDecade - kMinDecade + 2> t{};
    for (int k = kMinDecade; k <= kMaxDecade + 1; ++k) {
      t[static_cast<std::size_t>(k - kMinDecade)] = {
          NearestDecimal<double>(1, k), NearestDecimal<double>(15, k - 1),
          NearestDecimal<double>(2, k), NearestDecimal<double>(3, k),
          NearestDecimal<double>(5, k), NearestDecimal<double>(8, k)};
    }
    return t;
  }();
  return table[static_cast<std::size_t>(e - kMinDecade)];
}

enum class TGridDir { Nearest, Down, Up };

// |x| (finite, not 0) onto the 1-2-5 grid. The decade and the thresholds are found by
// comparing with the doubles nearest the grid values, so that grid values map to themselves.
double RoundMagnitude(double ax, TGridDir dir) {
  const double L = lg(ax);  // exact at powers of ten
  const double rl = std::nearbyint(L);
  if (std::fabs(L - rl) < 1e-14) return Decade(static_cast<int>(rl)).p1;
  int e = static_cast<int>(std::floor(L));
  if (e < kMinDecade) e = kMinDecade;
  if (e > kMaxDecade) e = kMaxDecade;
  while (e > kMinDecade && ax < Decade(e).p1) --e;
  while (e < kMaxDecade && ax >= Decade(e + 1).p1) ++e;
  const TDecade& g = Decade(e);
  const double ten = Decade(e + 1).p1;
  switch (dir) {
    case TGridDir::Nearest:
      if (ax < g.p15) return g.p1;
      if (ax < g.p3) return g.p2;
      if (ax < g.p8) return g.p5;
      return ten;
    case TGridDir::Down:
      if (ax < g.p2) return g.p1;
      if (ax < g.p5) return g.p2;
      if (ax < ten) return g.p5;
      return ten;
    case TGridDir::Up:
      if (ax <= g.p1) return g.p1;
      if (ax <= g.p2) return g.p2;
      if (ax <= g.p5) return g.p5;
      return ten;
  }
  return ten;
}

double RoundSigned(double x, TGridDir pos, TGridDir neg) {
  if (x == 0.0) return 0.0;
  if (!std::isfinite(x)) return x;
  return x > 0.0 ? RoundMagnitude(x, pos) : -RoundMagnitude(-x, neg);
}

// g * 10^k in Extended from the nearest power of ten, multiplied or divided so that the
// step of a decimal axis is exact where it can be.
Extended GridStep(int g, int k) {
  if (k >= 0) return g * NearestDecimal<Extended>(1, k);
  const Extended p = NearestDecimal<Extended>(1, -k);
  if (std::isfinite(p)) return g / p;
  return NearestDecimal<Extended>(g, k);
}

}  // namespace

double Round125(double x) {
  return RoundSigned(x, TGridDir::Nearest, TGridDir::Nearest);
}

double RoundPos125(double x) {
  return RoundSigned(x, TGridDir::Up, TGridDir::Down);
}

double RoundNeg125(double x) {
  return RoundSigned(x, TGridDir::Down, TGridDir::Up);
}

void CalcScalePars(Integer NTicks, Extended Low, Extended High, Extended& Start, Extended& Step,
                   Word& NSub) {
  if (High == Low) {
    Start = Low;
    Step = 0;
    NSub = 1;
    return;
  }
  const Extended d = High > Low ? 1 : -1;
  if (NTicks == 0) {
    // Unit steps in the direction of the axis, starting one step before Low.
    Step = d;
    Start = std::trunc(Low) - d;
    NSub = std::fabs(High - Low) <= 10 ? 5 : 1;
  } else {
    const Extended r = std::fabs(High - Low) / std::fabs(static_cast<Extended>(NTicks));
    Extended L = std::log(r) / kLn10;
    if (!std::isfinite(L)) {
      // Infinite or vanishing range: no grid exists; the result follows IEEE arithmetic.
      Step = d * std::exp(L * kLn10);
      NSub = 1;
    } else {
      Extended f = L - std::trunc(L);
      if (std::fabs(f) < 1e-10 || std::fabs(f) > 0.9999999999) {
        f = 0;
        L = std::nearbyint(L);
      }
      if (L < 0 && f != 0) L = L - 1;
      if (f < 0) f = f + 1;
      int g = 5;
      NSub = 5;
      if (f < kLog10Of2 + 1e-10) {
        g = 1;
      } else if (f < kLog10Of5 + 1e-10) {
        g = 2;
        NSub = 4;
      }
      Step = d * GridStep(g, static_cast<int>(std::trunc(L)));
    }
    Start = Step * (std::trunc(Low / Step) - 1);
  }
  while (std::fabs(Step) * 0.001 < d * (Low - Start)) {
    const Extended next = Start + Step;
    if (next == Start) break;  // the step is below the resolution of Start
    Start = next;
  }
}

void RoundDegrees(Integer& Deg, Integer& Min, Integer& Sec, bool Up) {
  if (Deg < 0 || Min < 0 || Sec < 0) {
    Deg = 0;
    Min = 0;
    Sec = 0;
    return;
  }
  if (Min > 59) Min = 59;
  if (Sec > 59) Sec = 59;
  const double x = Deg + Min / 60.0 + Sec / 3600.0;
  // The step of the table that x rounds to, with `unit` steps per degree.
  const auto pick = [&](std::size_t count, double unit, Integer fallback) {
    if (Up) {
      for (std::size_t i = 0; i < count; ++i) {
        if (x <= kAngleSteps[i] / unit) return kAngleSteps[i];
      }
      return fallback;
    }
    Integer s = 1;
    for (std::size_t i = 0; i < count; ++i) {
      if (kAngleSteps[i] / unit <= x) s = kAngleSteps[i];
    }
    return s;
  };
  if (Deg >= 1) {
    Min = 0;
    Sec = 0;
    Deg = pick(kAngleSteps.size(), 1.0, 360);
  } else if (Min >= 1) {
    Sec = 0;
    const Integer s = pick(kMinuteSteps, 60.0, 60);
    if (Up && s == 60) {
      Deg = 1;
      Min = 0;
    } else {
      Min = s;
    }
  } else if (Sec >= 1) {
    const Integer s = pick(kMinuteSteps, 3600.0, 60);
    if (Up && s == 60) {
      Min = 1;
      Sec = 0;
    } else {
      Sec = s;
    }
  }
}

double CanonicalAngleRadians(double x) {
  if (x > kTwoPi) {
    x = (x / kTwoPi - std::trunc(x / kTwoPi)) * kTwoPi;
  } else if (x < -kTwoPi) {
    x = (x / -kTwoPi - std::trunc(x / -kTwoPi)) * -kTwoPi;
  }
  if (x > kPi) return x - kTwoPi;
  if (x < -kPi) return x + kTwoPi;
  return x;
}

double CanonicalAngleDegrees(double x) {
  if (x > 360.0) {
    x = (x / 360.0 - std::trunc(x / 360.0)) * 360.0;
  } else if (x < -360.0) {
    x = (x / -360.0 - std::trunc(x / -360.0)) * -360.0;
  }
  if (x > 180.0) return x - 360.0;
  if (x < -180.0) return x + 360.0;
  return x;
}

}  // namespace NUV_math1
}  // namespace nuv
