#include "nuv/analysis/math2_kmeans.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "nuv/base/errors.hpp"
#include "nuv/base/hooks.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/base/usecount.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/platform/random.hpp"
#include "nuv/platform/rounding.hpp"

namespace nuv {
inline namespace NUV_math2 {
namespace {

constexpr const char* kKMeans = "kMeansClustering";
constexpr Integer kMaxIterations = 1000;
constexpr std::size_t kBlock = 2048;  // rows per nearest-centre block

using V2 = double __attribute__((vector_size(16)));
using V2i = long long __attribute__((vector_size(16)));

V2 Load2(const double* p) {
  V2 v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

// Nearest of the K centres to each of the rows first .. first + count - 1 by squared Euclidean
// distance; x holds the data variable by variable (x[c·N + i]), ct the centres likewise
// (ct[c·K + k]). Every distance is summed in column order with the same operations as one row
// at a time, and the centres are scanned from the largest double with a strict less-than, so
// the lowest number wins ties and a row whose every distance is NaN or +inf keeps cluster 0.
// Eight rows go through the centres together, two per vector.
void NearestCenters(const double* x, std::size_t N, std::size_t p, const double* ct, std::size_t K,
                    std::size_t first, std::size_t count, Integer* best) {
  std::size_t i = first;
  const std::size_t end = first + count;
  for (; i + 8 <= end; i += 8) {
    V2 bd[4];
    V2i bk[4];
    for (int h = 0; h < 4; ++h) {
      bd[h] = V2{DBL_MAX, DBL_MAX};
      bk[h] = V2i{0, 0};
    }
    for (std::size_t k = 0; k < K; ++k) {
      V2 acc[4] = {};
      for (std::size_t c = 0; c < p; ++c) {
        const double* xc = x + c * N + i;
        const double m = ct[c * K + k];
        const V2 mv{m, m};
        for (int h = 0; h < 4; ++h) {
          const V2 t = Load2(xc + 2 * h) - mv;
          acc[h] += t * t;
        }
      }
      const auto kk = static_cast<long long>(k + 1);
      const V2i kv{kk, kk};
      for (int h = 0; h < 4; ++h) {
        const V2i less = reinterpret_cast<V2i>(acc[h] < bd[h]);
        bd[h] = reinterpret_cast<V2>((reinterpret_cast<V2i>(acc[h]) & less) |
                                     (reinterpret_cast<V2i>(bd[h]) & ~less));
        bk[h] = (kv & less) | (bk[h] & ~less);
      }
    }
    for (int h = 0; h < 4; ++h) {
      best[i - first + 2 * h] = static_cast<Integer>(bk[h][0]);
      best[i - first + 2 * h + 1] = static_cast<Integer>(bk[h][1]);
    }
  }
  for (; i < end; ++i) {
    double bestDist = DBL_MAX;
    Integer b = 0;
    for (std::size_t k = 0; k < K; ++k) {
      double dist = 0.0;
      for (std::size_t c = 0; c < p; ++c) {
        const double t = x[c * N + i] - ct[c * K + k];
        dist += t * t;
      }
      if (dist < bestDist) {
        bestDist = dist;
        b = static_cast<Integer>(k + 1);
      }
    }
    best[i - first] = b;
  }
}

}  // namespace

double kMeansClustering(TMatrix* Data, Integer Ignored1, Integer Ignored2, Integer NumClusters,
                        TMatrix& Centers, TIntVector& ClusterIx) {
  TIntVector sizes(nullptr);
  return kMeansClustering(Data, Ignored1, Ignored2, NumClusters, 0, Centers, ClusterIx, sizes);
}

double kMeansClustering(TMatrix* Data, Integer /*Ignored1*/, Integer /*Ignored2*/,
                        Integer NumClusters, Integer RandSeed, TMatrix& Centers,
                        TIntVector& ClusterIx, TIntVector& ClusterSize) {
  if (Data == nullptr) return -1.0;
  const Integer N = Data->NrOfRows();
  const Integer p = Data->NrOfColumns();
  const Integer K = NumClusters;
  if (K > N) {
    detail::RaiseFunction<ENUVMath2Error>(kKMeans,
                                          "number of clusters is greater than number of objects");
  }
  if (K < 1) return -1.0;
  // Progress procedure and handlers run while the sizes below are held: none may resize the
  // data or the results; the resizes of this call pass one by one.
  detail::TUseGuard use(Data, &Centers, &ClusterIx, &ClusterSize);

  // Working copy of the data and the centres, both variable by variable, and the assignment.
  const auto uN = static_cast<std::size_t>(N);
  const auto up = static_cast<std::size_t>(p);
  const auto uK = static_cast<std::size_t>(K);
  std::vector<double> x, ct, sums;
  std::vector<Integer> idx, counts, best;
  try {
    x.resize(uN * up);
    ct.resize(up * uK);
    sums.resize(up * uK);
    idx.resize(uN);
    best.resize(kBlock);
    counts.resize(uK);
  } catch (const std::bad_alloc&) {
    detail::RaiseFunction<ENUVMath2Error>(kKMeans, "not enough memory on heap");
  } catch (const std::length_error&) {
    detail::RaiseFunction<ENUVMath2Error>(kKMeans, "not enough memory on heap");
  }
  // The matrix keeps its cells variable by variable too; reading them fires nothing.
  if (uN * up > 0) {
    const double* cells = detail::TMatrixAccess::Cells(*Data);
    std::copy(cells, cells + uN * up, x.begin());
  }
  // Data of extreme magnitude are clustered in units of 2^e, where their squared distances
  // neither overflow nor underflow; centres and the sum of squares are given back in the
  // caller's units. A power of two scales exactly, so the partition is the one of any unit.
  const int e = detail::SafeScaleExponent(detail::MaxAbsOf([&x](auto&& f) {
    for (double v : x) f(v);
  }));
  const double toWork = detail::ScaleFactor(e);
  auto toCaller = [e](double v) { return detail::ScaleUp(v, e); };
  if (e != 0) {
    for (double& v : x) v *= toWork;
  }

  if (Centers.NrOfColumns() != p || Centers.NrOfRows() != K) {
    use.AllowResize(&Centers);
    Centers.Resize(p, K);
  }
  if (ClusterIx.NrOfElem() != N) {
    use.AllowResize(&ClusterIx);
    ClusterIx.Resize(N);
  }
  use.AllowResize(&ClusterSize);
  ClusterSize.Resize(K);

  if (RandSeed > 0) SetRandSeed(RandSeed);
  for (Integer k = 0; k < K; ++k) {
    const Integer row = RandSeed > 0 ? Random(N) : k;
    for (Integer c = 0; c < p; ++c) {
      Centers.SetVal(c + 1, k + 1,
                     toCaller(x[static_cast<std::size_t>(c) * uN + static_cast<std::size_t>(row)]));
    }
  }

  Integer iterations = 0;
  for (;;) {
    StepProcStat();
    ++iterations;
    // Each round starts from the centres and indices the containers hold, so that a progress
    // procedure or handler that changes them is seen (on entry: the caller's indices).
    for (Integer k = 0; k < K; ++k) {
      for (Integer c = 0; c < p; ++c) {
        ct[static_cast<std::size_t>(c) * uK + static_cast<std::size_t>(k)] =
            Centers.GetVal(c + 1, k + 1) * toWork;
      }
    }
    // A handler of the index vector may change it while it is written: then all indices are
    // read first. Without one, nothing else can, and each block reads its own.
    const bool ixWatched = static_cast<bool>(ClusterIx.OnChange());
    if (ixWatched) {
      for (std::size_t i = 0; i < uN; ++i) idx[i] = ClusterIx.GetVal(static_cast<Integer>(i + 1));
    }
    bool changed = false;
    // The sums of the new clusters are formed block by block while the rows are in cache;
    // they are used only when nobody watches the centres and sizes (checked after the pass,
    // as a handler may attach one). Each sum still takes its rows in ascending order.
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(counts.begin(), counts.end(), 0);
    // The nearest centres depend only on the working copies, so a block of them is formed
    // before the index vector is written, still row by row.
    for (std::size_t i0 = 0; i0 < uN; i0 += kBlock) {
      const std::size_t len = std::min(kBlock, uN - i0);
      NearestCenters(x.data(), uN, up, ct.data(), uK, i0, len, best.data());
      for (std::size_t m = 0; m < len; ++m) {
        const std::size_t i = i0 + m;
        if (!ixWatched) idx[i] = ClusterIx.GetVal(static_cast<Integer>(i + 1));
        if (best[m] != idx[i]) {
          idx[i] = best[m];
          ClusterIx.SetVal(static_cast<Integer>(i + 1), best[m]);
          changed = true;
        }
        const Integer k = best[m];
        if (k >= 1) ++counts[static_cast<std::size_t>(k - 1)];
      }
      for (std::size_t c = 0; c < up; ++c) {
        const double* xc = x.data() + c * uN + i0;
        double* sc = sums.data() + c * uK;
        for (std::size_t m = 0; m < len; ++m) {
          if (best[m] >= 1) sc[best[m] - 1] += xc[m];
        }
      }
    }
    // The first round always recounts: an index vector that already holds the nearest-centre
    // assignment would otherwise leave the initial rows as centres and the sizes uncounted.
    if (iterations == 1) changed = true;
    if (changed && (Centers.OnChange() || ClusterSize.OnChange())) {
      // A handler watches: clear both, add row by row and divide through the containers, so
      // that it sees every write (one OnChange per cell written) and the partial sums.
      ClusterSize.Fill(0);
      Centers.Fill(0.0);
      for (Integer i = 0; i < N; ++i) {
        const Integer k = idx[static_cast<std::size_t>(i)];
        if (k < 1 || k > K) continue;
        ClusterSize.SetVal(
            k, static_cast<Integer>(static_cast<Cardinal>(ClusterSize.GetVal(k)) + Cardinal{1}));
        for (Integer c = 0; c < p; ++c) {
          Centers.SetVal(
              c + 1, k,
              Centers.GetVal(c + 1, k) +
                  toCaller(x[static_cast<std::size_t>(c) * uN + static_cast<std::size_t>(i)]));
        }
      }
      for (Integer k = 1; k <= K; ++k) {
        const Integer n = ClusterSize.GetVal(k);
        if (n == 0) continue;
        for (Integer c = 1; c <= p; ++c) Centers.SetVal(c, k, Centers.GetVal(c, k) / n);
      }
      for (Integer k = 0; k < K; ++k) {
        for (Integer c = 0; c < p; ++c) {
          ct[static_cast<std::size_t>(c) * uK + static_cast<std::size_t>(k)] =
              Centers.GetVal(c + 1, k + 1) * toWork;
        }
      }
    } else if (changed) {
      // Nobody watches: the sums of the pass, each cell written once.
      for (Integer k = 0; k < K; ++k) {
        const Integer n = counts[static_cast<std::size_t>(k)];
        ClusterSize.SetVal(k + 1, n);
        for (Integer c = 0; c < p; ++c) {
          const std::size_t at = static_cast<std::size_t>(c) * uK + static_cast<std::size_t>(k);
          ct[at] = n != 0 ? sums[at] / n : 0.0;
          Centers.SetVal(c + 1, k + 1, toCaller(ct[at]));
        }
      }
    }
    if (!changed || iterations > kMaxIterations) break;
    if (AbortMathProc) break;
  }
  if (AbortMathProc) return -1.0;

  double ssq = 0.0;
  for (Integer i = 0; i < N; ++i) {
    const Integer k = idx[static_cast<std::size_t>(i)];
    double d = 0.0;
    for (Integer c = 0; c < p; ++c) {
      const double m = (k >= 1 && k <= K)
                           ? ct[static_cast<std::size_t>(c) * uK + static_cast<std::size_t>(k - 1)]
                           : 0.0;
      const double t = x[static_cast<std::size_t>(c) * uN + static_cast<std::size_t>(i)] - m;
      d += t * t;
    }
    ssq += d;
  }
  if (e != 0) ssq = std::ldexp(ssq, 2 * e);  // may overflow: the sum itself is then too large

  // Renumber by decreasing size. Clusters of equal size come out in the order the comb sort of
  // the rows leaves them.
  {
    TMatrix saved(nullptr);
    saved.Clone(&Centers);
    TIntMatrix order(nullptr);
    order.Resize(2, K);
    for (Integer k = 1; k <= K; ++k) {
      order.SetVal(1, k, k);
      order.SetVal(2, k, ClusterSize.GetVal(k));
    }
    order.SortRows(2, false, 0, 0, 0, 0);
    ClusterSize.SortElems(false, 0, 0);
    for (Integer r = 1; r <= K; ++r) order.SetVal(2, r, r);
    order.SortRows(1, true, 0, 0, 0, 0);
    for (Integer i = 0; i < N; ++i) {
      ClusterIx.SetVal(i + 1, order.GetVal(2, idx[static_cast<std::size_t>(i)]));
    }
    for (Integer k = 1; k <= K; ++k) {
      const Integer nk = order.GetVal(2, k);
      for (Integer c = 1; c <= p; ++c) Centers.SetVal(c, nk, saved.GetVal(c, k));
    }
  }

  if (iterations > kMaxIterations) {
    detail::RaiseFunction<ENUVMath2Error>(kKMeans, "max. number of iterations exceeded");
  }
  return ssq;
}

Integer kMeansEstimatedSteps(Integer a, Integer b, Integer c) {
  // Products in 64 bits, the bounds tested in double: a negative product gives NaN under the
  // root, and NaN or anything below 20 gives 20.
  const auto ab = static_cast<double>(static_cast<Int64>(a) * b);
  const auto ac = static_cast<double>(static_cast<Int64>(a) * c);
  const double est =
      0.18232 * std::sqrt(ab) - 0.00092427 * a - 0.00017557 * ac + 0.38775 * std::sqrt(ac) - 108.0;
  if (!(est >= 20.0)) return 20;
  if (est >= 2147483647.0) return 2147483647;
  return static_cast<Integer>(Round(est));
}

void FindCenters(TMatrix* Data, Integer FirstRow, Integer LastRow, Integer NumCenters,
                 TMatrix& Centers, double& MeanSeparation) {
  if (Data == nullptr || NumCenters < 1) return;
  // The live rows, their weights and the sizes are held across the progress procedure and
  // the handlers of Data and Centers: none of them may resize either.
  detail::TUseGuard use(Data, &Centers);
  const Integer p = Data->NrOfColumns();
  // Rows outside the data would only be phantom rows of zeros; keeping the live range inside
  // the data also bounds the work and the weight list.
  Integer first = std::max<Integer>(FirstRow, 1);
  Integer last = std::min(LastRow, Data->NrOfRows());
  TMatrix saved(nullptr);
  saved.Clone(Data);
  std::vector<double> w(last >= first ? static_cast<std::size_t>(last - first + 1) : 0u, 1.0);
  auto live = [&] { return static_cast<Int64>(last) - first + 1; };
  auto weight = [&](Integer row) -> double& { return w[static_cast<std::size_t>(row - first)]; };
  // Squared distances in units of 2^e where the data's magnitude is extreme (see scaling.hpp):
  // the search and the separation then hold at any scale.
  const int e = detail::SafeScaleExponent(detail::MaxAbsOf([&](auto&& f) {
    for (Integer r = first; r <= last; ++r) {
      for (Integer c = 1; c <= p; ++c) f(Data->GetVal(c, r));
    }
  }));
  const double toWork = detail::ScaleFactor(e);
  auto dist2 = [&](Integer r1, Integer r2) {
    double s = 0.0;
    for (Integer c = 1; c <= p; ++c) {
      const double t = e == 0 ? Data->GetVal(c, r1) - Data->GetVal(c, r2)
                              : Data->GetVal(c, r1) * toWork - Data->GetVal(c, r2) * toWork;
      s += t * t;
    }
    return s;
  };

  while (live() > NumCenters) {
    StepProcStat();
    // Seeded with the first live pair, so that the search finds a pair at any scale.
    Integer pr = first;
    Integer qr = first + 1;
    double best = dist2(pr, qr);
    for (Integer i = first; i < last; ++i) {
      for (Integer j = i + 1; j <= last; ++j) {
        const double d = dist2(i, j);
        if (d < best) {
          best = d;
          pr = i;
          qr = j;
        }
      }
    }
    const double wp = weight(pr);
    const double wq = weight(qr);
    for (Integer c = 1; c <= p; ++c) {
      Data->SetVal(c, pr, (Data->GetVal(c, pr) * wp + Data->GetVal(c, qr) * wq) / (wp + wq));
    }
    weight(pr) = wp + wq;
    for (Integer c = 1; c <= p; ++c) Data->SetVal(c, qr, Data->GetVal(c, last));
    weight(qr) = weight(last);
    --last;
  }

  // Rows of Centers beyond its size ignore writes and read as zeros: only the first
  // `filled` centres are real, the other `phantoms` all lie at the origin. Treating those
  // together keeps a huge NumCenters from running for ever, with the same result.
  const Integer nc = Centers.NrOfColumns();
  const Integer filled = std::clamp<Integer>(Centers.NrOfRows(), 0, NumCenters);
  const Int64 phantoms = static_cast<Int64>(NumCenters) - filled;
  for (Integer k = 0; k < filled; ++k) {
    const Int64 r = static_cast<Int64>(first) + k;
    const Integer row = r > std::numeric_limits<Integer>::max() ? 0 : static_cast<Integer>(r);
    for (Integer c = 1; c <= nc; ++c) Centers.SetVal(c, k + 1, Data->GetVal(c, row));
  }
  if (NumCenters == 1) {
    MeanSeparation = 100000.0;  // the square root of the search's former start value 1e10
  } else {
    auto dist2c = [&](Integer k, Integer j) {  // j = 0: the origin
      double s = 0.0;
      for (Integer c = 1; c <= nc; ++c) {
        const double t = e == 0 ? Centers.GetVal(c, k) - Centers.GetVal(c, j)
                                : Centers.GetVal(c, k) * toWork - Centers.GetVal(c, j) * toWork;
        s += t * t;
      }
      return s;
    };
    double sum = 0.0;
    double nearestToOrigin = DBL_MAX;
    for (Integer k = 1; k <= filled; ++k) {
      double nearest = DBL_MAX;
      for (Integer j = 1; j <= filled; ++j) {
        if (j == k) continue;
        const double s = dist2c(k, j);
        if (s < nearest) nearest = s;
      }
      if (phantoms > 0) {
        const double s = dist2c(k, 0);
        if (s < nearest) nearest = s;
        if (s < nearestToOrigin) nearestToOrigin = s;
      }
      sum += std::sqrt(nearest);
    }
    // A lone phantom's nearest centre is the real one closest to the origin; with two or more
    // each has another at distance 0, which adds nothing.
    if (phantoms == 1) sum += std::sqrt(nearestToOrigin);
    MeanSeparation = detail::ScaleUp(sum / NumCenters, e);
  }
  // Data kept its size, so the values go back cell by cell (one OnChange each, then one more)
  // without a resize that a handler of Data could reach.
  Data->CopyFrom(&saved, 1, 1, saved.NrOfColumns(), saved.NrOfRows(), 1, 1);
}

}  // namespace NUV_math2
}  // namespace nuv
