#include "nuv/analysis/math2_agglo.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/base/scaling.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/scalar/TIntVector.hpp"

namespace nuv {
inline namespace NUV_math2 {
namespace {

// Puts Data's distance event back however the distance computation ends.
class TDistEventSwap {
 public:
  TDistEventSwap(TMatrix& M, const TOnCalcDistanceEvent& Handler)
      : FMat(M), FSaved(M.OnCalcDistance()) {
    FMat.SetOnCalcDistance(Handler);
  }
  ~TDistEventSwap() { FMat.SetOnCalcDistance(std::move(FSaved)); }
  TDistEventSwap(const TDistEventSwap&) = delete;
  TDistEventSwap& operator=(const TDistEventSwap&) = delete;

 private:
  TMatrix& FMat;
  TOnCalcDistanceEvent FSaved;
};

constexpr double kInf = std::numeric_limits<double>::infinity();

// Search key of a distance: NaN ranks with +inf, behind every number.
double Key(double v) {
  return std::isnan(v) ? kInf : v;
}

void AddProcStat() {
  ProcStat.fetch_add(1.0, std::memory_order_relaxed);
}

// The terms of column value xi against the same column's values y[0..m) of m other objects,
// added to their pair sums as TMatrix::DistanceOfObjects forms them.
void AddColumnTerms(TDistMode Mode, double xi, const double* y, std::size_t m, double* sum,
                    double* sxx, double* syy) {
  switch (Mode) {
    case dmJaccard:
    case dmDice:
      for (std::size_t k = 0; k < m; ++k) {
        sum[k] += xi * y[k];
        sxx[k] += xi * xi;
        syy[k] += y[k] * y[k];
      }
      break;
    case dmManhattan:
      for (std::size_t k = 0; k < m; ++k) sum[k] += std::fabs(xi - y[k]);
      break;
    default:  // dmEuclid, dmEuclidSqr
      for (std::size_t k = 0; k < m; ++k) sum[k] += (xi - y[k]) * (xi - y[k]);
      break;
  }
}

// The m distances from their pair sums (out may be sum itself).
void FinishDistances(TDistMode Mode, std::size_t m, const double* sum, const double* sxx,
                     const double* syy, double* out) {
  switch (Mode) {
    case dmJaccard:
      for (std::size_t k = 0; k < m; ++k) out[k] = sum[k] / (sxx[k] + syy[k] - sum[k]);
      break;
    case dmDice:
      for (std::size_t k = 0; k < m; ++k) out[k] = 2.0 * sum[k] / (sxx[k] + syy[k]);
      break;
    case dmEuclid:
      for (std::size_t k = 0; k < m; ++k) out[k] = std::sqrt(sum[k]);
      break;
    default:
      for (std::size_t k = 0; k < m; ++k) out[k] = sum[k];
      break;
  }
}

// The distances of TMatrix::DistanceOfObjects for every pair i < j, stored at both (i, j) and
// (j, i) of the n by n array d, zero diagonal. Row i against all later rows at once: each
// pair's sums still receive their terms in column order, with the same operations.
void DistanceMatrix(const TMatrix& Data, TDistMode Mode, double* d) {
  const auto n = static_cast<std::size_t>(Data.NrOfRows());
  const auto p = static_cast<std::size_t>(Data.NrOfColumns());
  const double* x = p > 0 ? detail::TMatrixAccess::Cells(Data) : nullptr;
  const bool products = Mode == dmJaccard || Mode == dmDice;
  std::vector<double> sum(n), sxx(products ? n : 0), syy(products ? n : 0);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const std::size_t m = n - i - 1;  // rows i + 1 .. n - 1
    std::fill_n(sum.begin(), m, 0.0);
    if (products) {
      std::fill_n(sxx.begin(), m, 0.0);
      std::fill_n(syy.begin(), m, 0.0);
    }
    for (std::size_t c = 0; c < p; ++c) {
      const double* col = x + c * n;
      const double xi = col[i];
      const double* y = col + i + 1;
      AddColumnTerms(Mode, xi, y, m, sum.data(), sxx.data(), syy.data());
    }
    FinishDistances(Mode, m, sum.data(), sxx.data(), syy.data(), d + i * n + i + 1);
  }
  // The lower triangle by tiles, so that the column-wise reads stay in cache.
  constexpr std::size_t kTile = 64;
  for (std::size_t i0 = 0; i0 < n; i0 += kTile) {
    const std::size_t i1 = std::min(n, i0 + kTile);
    for (std::size_t j0 = i0; j0 < n; j0 += kTile) {
      const std::size_t j1 = std::min(n, j0 + kTile);
      for (std::size_t j = j0; j < j1; ++j) {
        for (std::size_t i = i0; i < i1 && i < j; ++i) d[j * n + i] = d[i * n + j];
      }
    }
    for (std::size_t i = i0; i < i1; ++i) d[i * n + i] = 0.0;
  }
}

// Single linkage merges the clusters joined by the edges of a minimum spanning tree, in
// ascending order of weight (TreeMerges says how equal weights are ordered). A cluster's slot
// is its largest object (slot b takes the merge), so a pair reads (smaller slot, larger slot)
// as the full search names it. NaN (whose min is not symmetric) or a negative zero (whose bits
// depend on which operand the min returns) leave the order to the full search.
struct TTreeEdge {
  Integer U = 0, V = 0;  // 0-based objects
  double W = 0;
};

struct TMerge {
  Integer NodeA = 0, NodeB = 0;
  double Dist = 0;
};

// NaN or a negative zero.
bool Unordered(double v) {
  return !(v > 0.0) && !(v < 0.0) && (std::isnan(v) || std::signbit(v));
}

// Prim's tree on n objects. Fill(u, m, id, dist) writes the distances from object u to the m
// objects id[0..m) not yet in the tree; Moved(k, last) hears that position last moved to k.
// Checked: false when a distance is NaN or a negative zero.
template <class FillFn, class MoveFn>
bool SpanningTree(std::size_t n, bool Checked, FillFn&& Fill, MoveFn&& Moved,
                  std::vector<TTreeEdge>& tree) {
  std::vector<Integer> id(n), from(n, 0);
  std::vector<double> key(n, kInf), dist(n);
  for (std::size_t k = 0; k < n; ++k) id[k] = static_cast<Integer>(k);
  tree.clear();
  tree.reserve(n - 1);
  std::size_t m = n;
  std::size_t pick = 0;  // object 0 starts the tree
  while (true) {
    const Integer u = id[pick];
    --m;
    id[pick] = id[m];
    key[pick] = key[m];
    from[pick] = from[m];
    Moved(pick, m);
    if (m == 0) break;
    Fill(u, m, id.data(), dist.data());
    if (Checked) {
      bool odd = false;
      for (std::size_t k = 0; k < m; ++k) odd = odd || Unordered(dist[k]);
      if (odd) return false;
    }
    pick = 0;
    double best = kInf;
    for (std::size_t k = 0; k < m; ++k) {
      const double v = dist[k];
      if (v < key[k]) {
        key[k] = v;
        from[k] = u;
      }
      if (key[k] < best || k == 0) {
        best = key[k];
        pick = k;
      }
    }
    tree.push_back({from[pick], id[pick], key[pick]});
  }
  return true;
}

// The tree from the data: the rows not yet in the tree are kept packed, column by column, so
// that each new object's distances run over contiguous values. Each pair gets the terms of
// DistanceMatrix in the same column order; the operands of a pair may come swapped, which
// changes no bit (squares and products commute, sxx + syy adds the same two sums).
bool TreeFromData(const TMatrix& Data, TDistMode Mode, std::vector<TTreeEdge>& tree) {
  const auto n = static_cast<std::size_t>(Data.NrOfRows());
  const auto p = static_cast<std::size_t>(Data.NrOfColumns());
  const double* x = p > 0 ? detail::TMatrixAccess::Cells(Data) : nullptr;
  const bool products = Mode == dmJaccard || Mode == dmDice;
  std::vector<double> rest(x, x + n * p);
  std::vector<double> sxx(products ? n : 0), syy(products ? n : 0);
  auto moved = [&](std::size_t k, std::size_t last) {
    for (std::size_t c = 0; c < p; ++c) rest[c * n + k] = rest[c * n + last];
  };
  auto fill = [&](Integer u, std::size_t m, const Integer*, double* sum) {
    std::fill_n(sum, m, 0.0);
    if (products) {
      std::fill_n(sxx.begin(), m, 0.0);
      std::fill_n(syy.begin(), m, 0.0);
    }
    for (std::size_t c = 0; c < p; ++c) {
      const double xi = x[c * n + static_cast<std::size_t>(u)];
      const double* y = rest.data() + c * n;
      AddColumnTerms(Mode, xi, y, m, sum, sxx.data(), syy.data());
    }
    FinishDistances(Mode, m, sum, sxx.data(), syy.data(), sum);
  };
  // Sums of squares or absolute values of finite numbers start at +0 and are never NaN.
  bool checked = products;
  for (std::size_t k = 0; k < n * p && !checked; ++k) checked = !std::isfinite(x[k]);
  return SpanningTree(n, checked, fill, moved, tree);
}

// The tree from a full distance matrix (the user's distances).
bool TreeFromMatrix(std::size_t n, const double* d, std::vector<TTreeEdge>& tree) {
  auto fill = [d, n](Integer u, std::size_t m, const Integer* id, double* dist) {
    const double* row = d + static_cast<std::size_t>(u) * n;
    for (std::size_t k = 0; k < m; ++k) dist[k] = row[id[k]];
  };
  return SpanningTree(
      n, true, fill, [](std::size_t, std::size_t) {}, tree);
}

// One pair's distance by the operations of DistanceMatrix, in its column order; xi and xj are
// the pair's rows of p values.
double PairDistance(const double* xi, const double* xj, std::size_t p, TDistMode Mode) {
  double sum = 0.0, sxx = 0.0, syy = 0.0;
  for (std::size_t c = 0; c < p; ++c) AddColumnTerms(Mode, xi[c], xj + c, 1, &sum, &sxx, &syy);
  double d = 0.0;
  FinishDistances(Mode, 1, &sum, &sxx, &syy, &d);
  return d;
}

// The merges in order from the tree. Below a weight w the clusters are the same whatever the
// order; at w the full search merges, among the clusters some pair of whose objects lies at
// exactly w, the one with the smallest slot with its smallest-slot such neighbour, again and
// again (merged clusters keep the larger slot, and every other pair lies farther). So the
// search is replayed only among the clusters that tree edges of equal weight join, one of two
// ways: asking the smallest cluster for its first touching partner in slot order (cheap where
// clusters mostly touch, as rows all alike do), within an allowance of pairs over the run;
// else finding which of them touch, each pair of objects looked at, if at all, at the weight
// where its clusters join (at most one pass over the pairs). Where both would cost more than
// the search, false. Same(i, j, w): objects i and j (0-based) lie at exactly w.
template <class SameFn>
bool TreeMerges(Integer n, std::vector<TTreeEdge>& tree, SameFn&& Same,
                std::vector<TMerge>& merges) {
  std::sort(tree.begin(), tree.end(),
            [](const TTreeEdge& l, const TTreeEdge& r) { return l.W < r.W; });
  const auto nz = static_cast<std::size_t>(n);
  auto ix = [](Integer i) { return static_cast<std::size_t>(i); };
  // Clusters by union-find over the objects; each root knows its slot (largest object,
  // 1-based) and its members as a list; each slot its current node.
  std::vector<Integer> parent(nz), top(nz), head(nz), tail(nz), next(nz, -1), nodeOf(nz + 1);
  for (std::size_t i = 0; i < nz; ++i) {
    parent[i] = head[i] = tail[i] = static_cast<Integer>(i);
    top[i] = nodeOf[i + 1] = static_cast<Integer>(i + 1);
  }
  auto find = [&](Integer i) {
    while (parent[ix(i)] != i) {
      parent[ix(i)] = parent[ix(parent[ix(i)])];
      i = parent[ix(i)];
    }
    return i;
  };
  auto join = [&](Integer x, Integer y, Integer slot) {  // roots; y stays the root
    parent[ix(x)] = y;
    next[ix(tail[ix(y)])] = head[ix(x)];
    tail[ix(y)] = tail[ix(x)];
    top[ix(y)] = slot;
  };
  merges.clear();
  merges.reserve(tree.size());
  auto emit = [&](Integer a, Integer b, double w) {
    merges.push_back({nodeOf[ix(a)], nodeOf[ix(b)], w});
    nodeOf[ix(b)] = n + static_cast<Integer>(merges.size());
  };
  // Whether two clusters (roots) have a pair of objects at exactly w.
  // With a limit, each pair looked at spends one of it; none left reads as not touching.
  auto touch = [&](Integer r1, Integer r2, double w, std::size_t* limit = nullptr) {
    for (Integer i = head[ix(r1)]; i >= 0; i = next[ix(i)]) {
      for (Integer j = head[ix(r2)]; j >= 0; j = next[ix(j)]) {
        if (limit != nullptr) {
          if (*limit == 0) return false;
          --*limit;
        }
        if (Same(i, j, w)) return true;
      }
    }
    return false;
  };
  std::vector<Integer> localOf(nz, -1);
  std::size_t work = 0;  // neighbours recorded and moved
  const std::size_t budget = 32 * nz + 1024;
  std::size_t askBudget = 16 * nz + 1024;  // pairs looked at by asking, over all weights
  for (std::size_t k0 = 0; k0 < tree.size();) {
    std::size_t k1 = k0 + 1;
    while (k1 < tree.size() && tree[k1].W == tree[k0].W) ++k1;
    const double w = tree[k0].W;
    if (k1 - k0 == 1) {
      const Integer x = find(tree[k0].U);
      const Integer y = find(tree[k0].V);
      const Integer b = std::max(top[ix(x)], top[ix(y)]);
      emit(std::min(top[ix(x)], top[ix(y)]), b, w);
      join(x, y, b);
      k0 = k1;
      continue;
    }
    // The clusters these edges join, ranked by slot; ranks stay valid, as a merge keeps the
    // larger slot.
    std::vector<Integer> roots;
    for (std::size_t k = k0; k < k1; ++k) {
      for (const Integer end : {tree[k].U, tree[k].V}) {
        const Integer r = find(end);
        if (localOf[ix(r)] < 0) {
          localOf[ix(r)] = 0;
          roots.push_back(r);
        }
      }
    }
    std::sort(roots.begin(), roots.end(),
              [&](Integer l, Integer r) { return top[ix(l)] < top[ix(r)]; });
    const std::size_t q = roots.size();
    for (std::size_t c = 0; c < q; ++c) localOf[ix(roots[c])] = static_cast<Integer>(c);
    // Groups of them: the clusters each edge brings together, as lists of ranks.
    std::vector<Integer> gparent(q), ghead(q), gtail(q), gnext(q);
    auto gfind = [&](Integer c) {
      while (gparent[ix(c)] != c) c = gparent[ix(c)] = gparent[ix(gparent[ix(c)])];
      return c;
    };
    auto gclear = [&] {
      for (std::size_t c = 0; c < q; ++c) {
        gparent[c] = ghead[c] = gtail[c] = static_cast<Integer>(c);
        gnext[c] = -1;
      }
    };
    auto gjoin = [&](Integer gx, Integer gy) {  // gy stays the root
      gparent[ix(gx)] = gy;
      gnext[ix(gtail[ix(gy)])] = ghead[ix(gx)];
      gtail[ix(gy)] = gtail[ix(gx)];
    };
    auto rankOf = [&](Integer object) { return localOf[ix(find(object))]; };
    // Whether two groups have a pair of objects at exactly w.
    auto touchGroups = [&](Integer g1, Integer g2) {
      for (Integer c1 = ghead[ix(g1)]; c1 >= 0; c1 = gnext[ix(c1)]) {
        for (Integer c2 = ghead[ix(g2)]; c2 >= 0; c2 = gnext[ix(c2)]) {
          if (touch(roots[ix(c1)], roots[ix(c2)], w, &askBudget)) return true;
        }
      }
      return false;
    };
    std::vector<std::pair<Integer, Integer>> order;  // ranks merged, in the search's order
    // Rows that mostly touch: the smallest cluster's partner is usually the next one, so
    // asking for it directly is cheapest; a small allowance over the whole run bounds the
    // cost where it is not.
    auto replayByAsking = [&] {
      gclear();
      std::vector<Integer> comp(q);
      for (std::size_t k = k0; k < k1; ++k) {
        const Integer gx = gfind(rankOf(tree[k].U));
        const Integer gy = gfind(rankOf(tree[k].V));
        if (gx != gy) gparent[ix(gx)] = gy;
      }
      std::vector<std::set<Integer>> alive(q);
      for (std::size_t c = 0; c < q; ++c) {
        comp[c] = gfind(static_cast<Integer>(c));
        alive[ix(comp[c])].insert(static_cast<Integer>(c));
      }
      std::set<Integer> firsts;  // the smallest rank of each group not yet one cluster
      for (std::size_t c = 0; c < q; ++c) {
        if (alive[c].size() >= 2) firsts.insert(*alive[c].begin());
      }
      gclear();  // from here on, the lists of the merged clusters
      for (std::size_t k = k0; k < k1; ++k) {
        if (firsts.empty()) return false;  // not reached: the level's edges touch
        const Integer a = *firsts.begin();
        std::set<Integer>& mates = alive[ix(comp[ix(a)])];
        Integer b = -1;
        for (auto it = std::next(mates.find(a)); it != mates.end() && b < 0; ++it) {
          if (touchGroups(a, *it)) b = *it;
          if (askBudget == 0) return false;
        }
        if (b < 0) return false;  // not reached: every cluster of a group touches another
        order.emplace_back(a, b);
        gjoin(a, b);
        firsts.erase(a);
        mates.erase(a);
        if (mates.size() >= 2) firsts.insert(*mates.begin());
      }
      return true;
    };
    // Which of them touch at w: the pairs of clusters the level's edges bring together, each
    // pair once, as the edges unite groups of them; then the search's order among them.
    auto replayByNeighbours = [&] {
      std::vector<std::set<Integer>> nb(q);
      gclear();
      for (std::size_t k = k0; k < k1; ++k) {
        const Integer gx = gfind(rankOf(tree[k].U));
        const Integer gy = gfind(rankOf(tree[k].V));
        for (Integer c1 = ghead[ix(gx)]; c1 >= 0; c1 = gnext[ix(c1)]) {
          for (Integer c2 = ghead[ix(gy)]; c2 >= 0; c2 = gnext[ix(c2)]) {
            if (touch(roots[ix(c1)], roots[ix(c2)], w)) {
              if (++work > budget) return false;
              nb[ix(c1)].insert(c2);
              nb[ix(c2)].insert(c1);
            }
          }
        }
        gjoin(gx, gy);
      }
      std::set<Integer> live;
      for (std::size_t c = 0; c < q; ++c) {
        if (!nb[c].empty()) live.insert(static_cast<Integer>(c));
      }
      for (std::size_t k = k0; k < k1; ++k) {
        if (live.empty()) return false;  // not reached: the level's edges touch
        const Integer a = *live.begin();
        const Integer b = *nb[ix(a)].begin();
        order.emplace_back(a, b);
        work += nb[ix(a)].size();
        if (work > budget) return false;
        for (const Integer c : nb[ix(a)]) {
          if (c == b) continue;
          nb[ix(c)].erase(a);
          nb[ix(c)].insert(b);
          nb[ix(b)].insert(c);
        }
        nb[ix(b)].erase(a);
        nb[ix(a)].clear();
        live.erase(a);
        if (nb[ix(b)].empty()) live.erase(b);
      }
      return true;
    };
    if (!replayByAsking()) {
      order.clear();
      if (!replayByNeighbours()) return false;
    }
    for (const auto& [a, b] : order) {
      const Integer ra = roots[ix(a)];
      const Integer rb = roots[ix(b)];
      emit(top[ix(ra)], top[ix(rb)], w);
      join(find(ra), find(rb), top[ix(rb)]);
    }
    for (const Integer r : roots) localOf[ix(r)] = -1;
    k0 = k1;
  }
  return true;
}

// Places of the leaves in the drawing order: the children of the last merge in column order,
// each merge node below them expanded as its column 2 child followed by its column 1 child.
// children[2(j-1)], children[2(j-1)+1] are the column 1 and column 2 nodes of merge j.
std::vector<double> LeafPlaces(Integer n, const std::vector<Integer>& children) {
  std::vector<double> pos(2 * static_cast<std::size_t>(n) - 1, 0.0);
  const std::size_t last = 2 * static_cast<std::size_t>(n - 2);
  // A stack instead of recursion: a chained dendrogram is n - 1 levels deep.
  std::vector<Integer> stack{children[last + 1], children[last]};
  Integer place = 0;
  while (!stack.empty()) {
    const Integer node = stack.back();
    stack.pop_back();
    if (node <= n) {
      pos[static_cast<std::size_t>(node - 1)] = ++place;
    } else {
      const std::size_t row = 2 * static_cast<std::size_t>(node - n - 1);
      stack.push_back(children[row]);
      stack.push_back(children[row + 1]);
    }
  }
  for (Integer j = 1; j < n; ++j) {
    const std::size_t row = 2 * static_cast<std::size_t>(j - 1);
    pos[static_cast<std::size_t>(n + j - 1)] =
        (pos[static_cast<std::size_t>(children[row] - 1)] +
         pos[static_cast<std::size_t>(children[row + 1] - 1)]) /
        2;
  }
  return pos;
}

// Without a merge there is no dendrogram to read the leaf order from.
Integer NoMerge(const detail::TUseGuard& use, Integer n, TIntMatrix& Dendro, TVector& MergeDist,
                TVector& Pos) {
  if (Dendro.NrOfRows() != 0 || Dendro.NrOfColumns() != 3) {
    use.AllowResize(&Dendro);
    Dendro.Resize(3, 0);
  }
  MergeDist.Clear();
  if (n == 1) {
    if (Pos.NrOfElem() != 1) {
      use.AllowResize(&Pos);
      Pos.SetVecSize(1);
    }
    Pos.SetVal(1, 1.0);
  } else {
    Pos.Clear();
  }
  return 0;
}

}  // namespace

Integer AgglomClustering(TObject* Sender, TMatrix* Data, TDistMode DistMode, TClusterMethod Method,
                         double Flexibility, TIntMatrix& Dendro, TVector& MergeDist, TVector& Pos,
                         TAgglomFeedBackProc FeedBack, const TOnCalcDistanceEvent& OnCalcDist) {
  if (Data == nullptr) return -1;
  // FeedBack, the user's distances and the outputs' OnChange run while sizes and storage of
  // Data and of the outputs are held: none of them may resize those.
  detail::TUseGuard use(Data, &Dendro, &MergeDist, &Pos);
  if (FeedBack != nullptr) FeedBack(Sender, ProcStat.load(std::memory_order_relaxed), 0.0);
  const Integer n = Data->NrOfRows();
  if (n < 2) {
    AbortMathProc = false;
    return NoMerge(use, n, Dendro, MergeDist, Pos);
  }
  const auto nz = static_cast<std::size_t>(n);

  // Built-in distances of data of extreme magnitude are formed from the data in units of 2^e,
  // where their sums of squares neither overflow nor underflow (see scaling.hpp), and the merge
  // heights are given back in the caller's units: the tree is the one of any unit.
  const TMatrix* rowsOf = Data;
  TMatrix scaledData(nullptr);
  int heightExp = 0;
  if (DistMode != dmUserDef) {
    const std::size_t cells = nz * static_cast<std::size_t>(Data->NrOfColumns());
    const double* x = cells > 0 ? detail::TMatrixAccess::Cells(*Data) : nullptr;
    const int e = detail::SafeScaleExponent(detail::MaxAbsOf([x, cells](auto&& f) {
      for (std::size_t k = 0; k < cells; ++k) f(x[k]);
    }));
    if (e != 0) {
      scaledData.Resize(Data->NrOfColumns(), n);
      double* y = detail::TMatrixAccess::Cells(scaledData);
      const double f = detail::ScaleFactor(e);
      for (std::size_t k = 0; k < cells; ++k) y[k] = x[k] * f;
      rowsOf = &scaledData;
      heightExp = DistMode == dmEuclidSqr                           ? 2 * e
                  : DistMode == dmEuclid || DistMode == dmManhattan ? e
                                                                    : 0;
    }
  }

  TMatrix distMat(nullptr);
  // The work matrix has no handler, so its cells are read and written directly; it is
  // symmetric, so D[a, b] of slots a, b sits at (a - 1)·n + b - 1.
  double* d = nullptr;
  auto fullMatrix = [&] {
    distMat.Resize(n, n);
    d = detail::TMatrixAccess::Cells(distMat);
    if (DistMode == dmUserDef) {
      TDistEventSwap swap(*Data, OnCalcDist);
      Data->CalcDistMat(DistMode, &distMat);
    } else {
      // Nothing observes the computation of the built-in distances, so they are formed here
      // without the per-cell calls, each by the matrix's own operations in its column order.
      DistanceMatrix(*rowsOf, DistMode, d);
    }
  };
  // Single linkage through the spanning tree when that fixes every merge; else the search.
  std::vector<TMerge> treeMerges;
  bool byTree = false;
  if (Method == cmSingleLink) {
    std::vector<TTreeEdge> tree;
    if (DistMode == dmUserDef) {
      fullMatrix();
      auto same = [d, nz](Integer i, Integer j, double w) {
        return d[static_cast<std::size_t>(i) * nz + static_cast<std::size_t>(j)] == w;
      };
      byTree = TreeFromMatrix(nz, d, tree) && TreeMerges(n, tree, same, treeMerges);
    } else {
      // Equal tree weights compare pairs one by one: rows made contiguous on the first need.
      const auto p = static_cast<std::size_t>(Data->NrOfColumns());
      std::vector<double> rows;
      auto same = [&rows, rowsOf, DistMode, nz, p](Integer i, Integer j, double w) {
        if (rows.empty()) {
          rows.resize(nz * p);
          const double* x = detail::TMatrixAccess::Cells(*rowsOf);
          for (std::size_t c = 0; c < p; ++c) {
            for (std::size_t r = 0; r < nz; ++r) rows[r * p + c] = x[c * nz + r];
          }
        }
        return PairDistance(rows.data() + static_cast<std::size_t>(i) * p,
                            rows.data() + static_cast<std::size_t>(j) * p, p, DistMode) == w;
      };
      byTree = TreeFromData(*rowsOf, DistMode, tree) && TreeMerges(n, tree, same, treeMerges);
    }
  }
  if (!byTree && d == nullptr) fullMatrix();
  auto at = [d, nz](Integer a, Integer b) -> double& {
    return d[static_cast<std::size_t>(a - 1) * nz + static_cast<std::size_t>(b - 1)];
  };

  if (MergeDist.NrOfElem() != n - 1) {
    use.AllowResize(&MergeDist);
    MergeDist.SetVecSize(n - 1);
  }
  if (Pos.NrOfElem() != 2 * n - 1) {
    use.AllowResize(&Pos);
    Pos.SetVecSize(2 * n - 1);
  }
  if (Dendro.NrOfRows() != n - 1 || Dendro.NrOfColumns() != 3) {
    use.AllowResize(&Dendro);
    Dendro.Resize(3, n - 1);
  }

  TIntVector node(nullptr);
  TIntVector size(nullptr);
  node.Resize(n);
  size.Resize(n);
  for (Integer i = 1; i <= n; ++i) {
    node.SetVal(i, i);
    size.SetVal(i, 1);
  }
  // Active slots in ascending order; the merge nodes' children are kept for the leaf order.
  std::vector<Integer> active(nz);
  for (Integer i = 0; i < n; ++i) active[static_cast<std::size_t>(i)] = i + 1;
  std::vector<Integer> children(2 * (nz - 1), 0);
  std::vector<double> newDist(nz, 0.0);
  // Each active slot's first closest partner among the active slots above it (NaN read as
  // +inf), so that a search visits one value per slot. The first smallest of these, in slot
  // order, is the first smallest pair in (a, b) order: the full search's tie rule.
  std::vector<double> rowMin(nz, kInf);
  std::vector<Integer> rowArg(nz, 0);
  auto rescan = [&](std::size_t p) {
    const Integer r = active[p];
    double best = kInf;
    Integer arg = 0;
    if (p + 1 < active.size()) {
      const double* row = d + static_cast<std::size_t>(r - 1) * nz;
      arg = active[p + 1];
      best = Key(row[arg - 1]);
      for (std::size_t q = p + 2; q < active.size(); ++q) {
        const double v = row[active[q] - 1];
        if (v < best) {
          best = v;
          arg = active[q];
        }
      }
    }
    rowMin[static_cast<std::size_t>(r - 1)] = best;
    rowArg[static_cast<std::size_t>(r - 1)] = arg;
  };
  if (!byTree) {
    for (std::size_t p = 0; p < nz; ++p) rescan(p);
  }
  auto record = [&](Integer j, Integer nodeA, Integer nodeB, double dab) {
    Dendro.SetVal(1, j, nodeA);
    Dendro.SetVal(2, j, nodeB);
    Dendro.SetVal(3, j, n + j);
    MergeDist.SetVal(j, detail::ScaleUp(dab, heightExp));
    children[2 * static_cast<std::size_t>(j - 1)] = nodeA;
    children[2 * static_cast<std::size_t>(j - 1) + 1] = nodeB;
  };
  AbortMathProc = false;

  Integer done = 0;
  for (Integer j = 1; j < n; ++j) {
    if (AbortMathProc) break;
    AddProcStat();
    if (FeedBack != nullptr) {
      FeedBack(Sender, ProcStat.load(std::memory_order_relaxed),
               static_cast<double>(j) / static_cast<double>(n) * 100);
    }
    if (byTree) {
      const TMerge& m = treeMerges[static_cast<std::size_t>(j - 1)];
      record(j, m.NodeA, m.NodeB, m.Dist);
      done = j;
      continue;
    }
    // First smallest pair in slot order, seeded with the first active pair so that a pair is
    // found also when every distance is NaN or infinite.
    std::size_t ia = 0;
    double best = rowMin[static_cast<std::size_t>(active[0] - 1)];
    for (std::size_t p = 1; p + 1 < active.size(); ++p) {
      const double v = rowMin[static_cast<std::size_t>(active[p] - 1)];
      if (v < best) {
        best = v;
        ia = p;
      }
    }
    const Integer a = active[ia];
    const Integer b = rowArg[static_cast<std::size_t>(a - 1)];
    const double dab = at(a, b);
    const double na = size.GetVal(a);
    const double nb = size.GetVal(b);
    // D[a, b] is taken once before the loop: writing the new distances into column b would
    // otherwise change it for the slots after a.
    for (const Integer r : active) {
      if (r == a || r == b) continue;
      const double dar = at(a, r);
      const double dbr = at(b, r);
      const double nr = size.GetVal(r);
      double v = 0;
      switch (Method) {
        case cmSingleLink:
          v = dar < dbr ? dar : dbr;
          break;
        case cmCompleteLink:
          v = dar > dbr ? dar : dbr;
          break;
        case cmWard:
          v = ((na + nr) * dar + (nb + nr) * dbr - nr * dab) / (na + nb + nr);
          break;
        case cmAvgLink:
          v = (dar + dbr) * 0.5;
          break;
        case cmFlexLink:
          v = Flexibility * (dar + dbr) + (1 - 2 * Flexibility) * dab;
          break;
        case cmUpgma:
          v = na / (na + nb) * dar + nb / (na + nb) * dbr;
          break;
      }
      newDist[static_cast<std::size_t>(r - 1)] = v;
    }
    for (const Integer r : active) {
      if (r == a || r == b) continue;
      at(r, b) = newDist[static_cast<std::size_t>(r - 1)];
      at(b, r) = newDist[static_cast<std::size_t>(r - 1)];
    }
    const Integer nodeA = node.GetVal(a);
    const Integer nodeB = node.GetVal(b);
    record(j, nodeA, nodeB, dab);
    node.SetVal(b, n + j);
    size.SetVal(b, size.GetVal(a) + size.GetVal(b));
    node.SetVal(a, 0);
    size.SetVal(a, 0);
    active.erase(active.begin() + static_cast<std::ptrdiff_t>(ia));

    // Slots above b see no change among their partners. Slot b's partners all moved; a slot
    // below b lost partner a and sees a new distance to b.
    for (std::size_t p = 0; p < active.size(); ++p) {
      const Integer r = active[p];
      if (r > b) break;
      const auto ur = static_cast<std::size_t>(r - 1);
      if (r == b) {
        rescan(p);
        break;
      }
      const double v = Key(newDist[ur]);
      if (rowArg[ur] == a) {
        rescan(p);
      } else if (rowArg[ur] == b) {
        // Every partner before b was farther, every one after it at least as far.
        if (v <= rowMin[ur]) {
          rowMin[ur] = v;
        } else {
          rescan(p);
        }
      } else if (v < rowMin[ur] || (v == rowMin[ur] && b < rowArg[ur])) {
        rowMin[ur] = v;
        rowArg[ur] = b;
      }
    }
    done = j;
  }

  if (done < n - 1) {
    Pos.Clear();
    MergeDist.Clear();
    Dendro.Fill(0);
    return -1;
  }
  const std::vector<double> pos = LeafPlaces(n, children);
  for (Integer k = 1; k <= 2 * n - 1; ++k) Pos.SetVal(k, pos[static_cast<std::size_t>(k - 1)]);
  return 0;
}

}  // namespace NUV_math2
}  // namespace nuv
