#include "nuv/analysis/math2_agglo.hpp"

#include <cstddef>
#include <utility>
#include <vector>

#include "nuv/base/constants.hpp"
#include "nuv/base/hooks.hpp"
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

void AddProcStat() {
  ProcStat.fetch_add(1.0, std::memory_order_relaxed);
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
Integer NoMerge(Integer n, TIntMatrix& Dendro, TVector& MergeDist, TVector& Pos) {
  if (Dendro.NrOfRows() != 0 || Dendro.NrOfColumns() != 3) Dendro.Resize(3, 0);
  MergeDist.Clear();
  if (n == 1) {
    Pos.SetVecSize(1);
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
  if (FeedBack != nullptr) FeedBack(Sender, ProcStat.load(std::memory_order_relaxed), 0.0);
  const Integer n = Data->NrOfRows();
  if (n < 2) {
    AbortMathProc = false;
    return NoMerge(n, Dendro, MergeDist, Pos);
  }

  TMatrix distMat(nullptr);
  distMat.Resize(n, n);
  {
    TDistEventSwap swap(*Data, OnCalcDist);
    Data->CalcDistMat(DistMode, &distMat);
  }
  // The work matrix has no handler, so its cells are read and written directly; it is
  // symmetric, so D[a, b] of slots a, b sits at (a - 1)·n + b - 1.
  double* d = detail::TMatrixAccess::Cells(distMat);
  const auto nz = static_cast<std::size_t>(n);
  auto at = [d, nz](Integer a, Integer b) -> double& {
    return d[static_cast<std::size_t>(a - 1) * nz + static_cast<std::size_t>(b - 1)];
  };

  MergeDist.SetVecSize(n - 1);
  Pos.SetVecSize(2 * n - 1);
  if (Dendro.NrOfRows() != n - 1 || Dendro.NrOfColumns() != 3) Dendro.Resize(3, n - 1);

  TIntVector node(nullptr);
  TIntVector size(nullptr);
  node.Resize(n);
  size.Resize(n);
  for (Integer i = 1; i <= n; ++i) {
    node.SetVal(i, i);
    size.SetVal(i, 1);
  }
  // Active slots in ascending order, so the search visits pairs in slot order and skips the
  // merged ones; the merge nodes' children are kept for the leaf order.
  std::vector<Integer> active(nz);
  for (Integer i = 0; i < n; ++i) active[static_cast<std::size_t>(i)] = i + 1;
  std::vector<Integer> children(2 * (nz - 1), 0);
  std::vector<double> newDist(nz, 0.0);
  AbortMathProc = false;

  Integer done = 0;
  for (Integer j = 1; j < n; ++j) {
    if (AbortMathProc) break;
    AddProcStat();
    if (FeedBack != nullptr) {
      FeedBack(Sender, ProcStat.load(std::memory_order_relaxed),
               static_cast<double>(j) / static_cast<double>(n) * 100);
    }
    // First strict minimum in slot order; NaN and infinite distances never qualify, and when
    // nothing does the first active pair is merged rather than reading an unset slot.
    std::size_t ia = 0;
    std::size_t ib = 1;
    double best = uc_MaxReal;
    bool found = false;
    for (std::size_t p = 0; p + 1 < active.size(); ++p) {
      const double* row = d + static_cast<std::size_t>(active[p] - 1) * nz;
      for (std::size_t q = p + 1; q < active.size(); ++q) {
        const double v = row[active[q] - 1];
        if (v < best) {
          best = v;
          ia = p;
          ib = q;
          found = true;
        }
      }
    }
    const Integer a = active[ia];
    const Integer b = active[ib];
    const double dab = at(a, b);
    if (!found) best = dab;
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
    Dendro.SetVal(1, j, nodeA);
    Dendro.SetVal(2, j, nodeB);
    Dendro.SetVal(3, j, n + j);
    MergeDist.SetVal(j, best);
    children[2 * static_cast<std::size_t>(j - 1)] = nodeA;
    children[2 * static_cast<std::size_t>(j - 1) + 1] = nodeB;
    node.SetVal(b, n + j);
    size.SetVal(b, size.GetVal(a) + size.GetVal(b));
    node.SetVal(a, 0);
    size.SetVal(a, 0);
    active.erase(active.begin() + static_cast<std::ptrdiff_t>(ia));
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
