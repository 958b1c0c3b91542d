// Wald-Wolfowitz runs tests.

#include <algorithm>
#include <cmath>

#include "nuv/analysis/NUV_statis.hpp"

namespace nuv {
inline namespace NUV_statis {

namespace {

// C(n, k) as a double; exact while the value stays below 2^53 / n (all counts of the exact
// branch), 0 for impossible arguments.
double Binom(Int64 n, Int64 k) {
  if (n < 0 || k < 0 || k > n) return 0.0;
  k = std::min(k, n - k);
  double c = 1.0;
  for (Int64 i = 1; i <= k; ++i) c = c * static_cast<double>(n - k + i) / static_cast<double>(i);
  return c;
}

// ln C(n, k); -inf for impossible arguments.
double LnBinom(Int64 n, Int64 k) {
  if (n < 0 || k < 0 || k > n) return -HUGE_VAL;
  // The library's own ln Γ: std::lgamma writes the global signgam, a race between threads.
  return LnGamma(static_cast<double>(n) + 1.0) - LnGamma(static_cast<double>(k) + 1.0) -
         LnGamma(static_cast<double>(n - k) + 1.0);
}

}  // namespace

double ExactRunsTest(Integer N1, Integer N2, Integer runs) {
  if (runs < 2 || N1 < 0 || N2 < 0) return 0.0;
  if (N1 > N2) std::swap(N1, N2);
  const Int64 a = N1;
  const Int64 b = N2;
  // More runs than 2·N1 + 1 are impossible; capping keeps the loop short for any runs.
  const Int64 rmax = std::min<Int64>(runs, 2 * a + 1);
  // Products of binomials overflow doubles beyond about 1000 items; then work in logarithms.
  const bool logs = a + b > 1000;
  const double total = logs ? LnBinom(a + b, a) : Binom(a + b, a);
  auto pair = [&](Int64 m1, Int64 m2) {
    if (logs) return std::exp(LnBinom(a - 1, m1) + LnBinom(b - 1, m2) - total);
    return Binom(a - 1, m1) * Binom(b - 1, m2);
  };
  double sum = 0.0;
  for (Int64 r = 2; r <= rmax; ++r) {
    const Int64 m = (r + 1) / 2;
    if (r % 2 == 0)
      sum += 2.0 * pair(m - 1, m - 1);
    else
      sum += pair(m - 1, m - 2) + pair(m - 2, m - 1);
  }
  return logs ? std::min(sum, 1.0) : sum / total;
}

bool RunsTest(const TBitFld* Bits, double& p) {
  p = -1.0;
  if (Bits == nullptr || Bits->Size() < 0) return false;
  const Integer H = Bits->Size();
  Int64 ones = 0;
  Int64 changes = 0;
  bool prev = Bits->GetBit(0);
  for (Integer i = 0; i <= H; ++i) {
    const bool bit = Bits->GetBit(i);
    if (bit) ++ones;
    if (i > 0 && bit != prev) ++changes;
    prev = bit;
  }
  const Int64 zeros = static_cast<Int64>(H) + 1 - ones;
  const Int64 runs = changes + 1;
  if (ones <= 25 && zeros <= 25) {
    p = ExactRunsTest(static_cast<Integer>(ones), static_cast<Integer>(zeros),
                      static_cast<Integer>(runs));
  } else {
    const double n1 = static_cast<double>(ones);
    const double n0 = static_cast<double>(zeros);
    const double nn = n1 + n0;
    const double mu = 2.0 * n1 * n0 / nn + 1.0;
    const double sigma = std::sqrt(2.0 * n1 * n0 * (2.0 * n1 * n0 - nn) / (nn * nn * (nn - 1.0)));
    if (sigma == 0.0) {
      p = 0.0;
      return true;
    }
    const double z = (static_cast<double>(runs) - mu) / sigma;
    p = z <= 0.0 ? nDistriIntegral(z) : 1.0 - nDistriIntegral(z);
  }
  return p < 0.05;
}

bool RunsTestSerial(const TVector* Data, double& p) {
  p = -1.0;
  if (Data == nullptr) return false;
  const Integer n = Data->NrOfElem();
  double q1 = 0.0;
  double median = 0.0;
  double q3 = 0.0;
  if (!Data->Quartiles(1, n, q1, median, q3)) return false;
  TBitFld bits(nullptr);
  bits.SetSize(n - 1);
  for (Integer i = 1; i <= n; ++i) bits.SetBit(i - 1, Data->GetVal(i) > median);
  return RunsTest(&bits, p);
}

}  // namespace NUV_statis
}  // namespace nuv
