#include "nuv/platform/random.hpp"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace nuv {
namespace {

// SplitMix64 (Steele, Lea, Flood 2014): a 64-bit state stepped by a Weyl constant and
// finalised by a mixing function; passes BigCrush and needs only one word of state.
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ull;

std::uint64_t StateFromSeed(Integer seed) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(seed)) * kGolden;
}

std::atomic<std::uint64_t> gState{0};
std::atomic<Integer> gSeed{0};

std::uint64_t Next() {
  // Load and store separately: concurrent callers may repeat a draw, but never race.
  const std::uint64_t s = gState.load(std::memory_order_relaxed) + kGolden;
  gState.store(s, std::memory_order_relaxed);
  std::uint64_t z = s;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void Randomize() {
  // A call counter is mixed in so that two reseeds within one clock tick still differ.
  static std::atomic<std::uint64_t> calls{0};
  const auto ticks = static_cast<std::uint64_t>(
                         std::chrono::high_resolution_clock::now().time_since_epoch().count()) +
                     calls.fetch_add(1, std::memory_order_relaxed) * kGolden;
  const auto seed = static_cast<Integer>(static_cast<std::uint32_t>(ticks ^ (ticks >> 32)));
  SetRandSeed(seed);
}

Integer RandSeed() {
  return gSeed.load(std::memory_order_relaxed);
}

void SetRandSeed(Integer Seed) {
  gSeed.store(Seed, std::memory_order_relaxed);
  gState.store(StateFromSeed(Seed), std::memory_order_relaxed);
}

double Random() {
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

Integer Random(Integer n) {
  if (n <= 0) return 0;
  // Lemire's multiply-shift: maps 32 random bits onto 0..n-1 without a division.
  const std::uint64_t r = Next() >> 32;
  return static_cast<Integer>((r * static_cast<std::uint64_t>(n)) >> 32);
}

double RandG(double Mean, double StdDev) {
  double x = 0.0;
  double s = 0.0;
  do {
    x = 2.0 * Random() - 1.0;
    const double y = 2.0 * Random() - 1.0;
    s = x * x + y * y;
  } while (s >= 1.0 || s == 0.0);
  return Mean + StdDev * x * std::sqrt(-2.0 * std::log(s) / s);
}

}  // namespace nuv
