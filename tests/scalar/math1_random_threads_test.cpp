// Concurrent use of the Gaussian cache and the LongRand states: callers interleave their
// sequences, but every value stays valid and (under ThreadSanitizer) nothing races.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "nuv/scalar/NUV_math1.hpp"

namespace nuv {
namespace {

TEST(Math1RandomThreads, ConcurrentCallsGiveValidValues) {
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&bad, t] {
      for (int i = 0; i < 20000; ++i) {
        const double g = GRandom();
        const double l = LongRand(i % 1000 == 0 ? t + 1 : 0);
        if (!std::isfinite(g) || !(l >= 0.0 && l < 1.0)) ++bad;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace nuv
