#include <gtest/gtest.h>

#include <string>

#include "nuv/base/hooks.hpp"
#include "nuv/package/package.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/scalar/NUV_complex.hpp"
#include "nuv/scalar/math1_random.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

void Nothing(double) {}

TEST(PackageStartup, UnitOrder) {
  const char* expected[] = {"NUV_math1",     "NUV_complex",    "NUV_vector", "NUV_matrix",
                            "NUV_datatable", "NUV_statis",     "NUV_math2",  "NUV_fourier",
                            "NUV_wavelet",   "NUV_openarrays", "NUV_sline",  "NUV_kohonen"};
  const auto table = GetPackageInfoTable();
  ASSERT_EQ(table.size(), std::size(expected));
  for (std::size_t i = 0; i < table.size(); ++i)
    EXPECT_EQ(std::string(table[i].UnitName), expected[i]);
}

TEST(PackageStartup, OnlyFirstInitAndLastFinalAct) {
  test::HookGuard guard;
  // The library initialised itself on load: a further Initialize only counts.
  MathFeedBackProc = &Nothing;
  AbortMathProc = true;
  CpxNearZero = 0.5;
  Initialize();
  EXPECT_EQ(MathFeedBackProc.load(), &Nothing);
  EXPECT_TRUE(AbortMathProc.load());
  EXPECT_EQ(CpxNearZero, 0.5);
  Finalize();    // balances our Initialize; the load-time one is still open
  Finalize();    // balances the load-time one: units finalise
  Initialize();  // first initialisation again: every unit acts
  EXPECT_EQ(MathFeedBackProc.load(), nullptr);
  EXPECT_FALSE(AbortMathProc.load());
  EXPECT_EQ(CpxNearZero, 1e-15);
}

TEST(PackageStartup, Math1InitSeedsLongRandFromTheUniformGenerator) {
  test::HookGuard guard;
  Finalize();
  SetRandSeed(2024);
  Initialize();
  const double first = LongRand(0);
  Finalize();
  SetRandSeed(2024);
  Initialize();
  EXPECT_EQ(LongRand(0), first);  // same uniform draws, same states
  // And they are the states the uniform draws give: s = Round(u * 990000).
  SetRandSeed(2024);
  const double u1 = Random(), u2 = Random(), u3 = Random();
  auto step = [](double u, Int64 a, Int64 m) {
    const Int64 s = static_cast<Int64>(std::nearbyint(u * 990000.0));
    return static_cast<double>(s * a % m) / static_cast<double>(m);
  };
  const double x = step(u1, 1187, 1001003) + step(u2, 983, 990923) + step(u3, 1283, 1400423);
  EXPECT_EQ(first, x - std::trunc(x));
}

}  // namespace
}  // namespace nuv
