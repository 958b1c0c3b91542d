// TMatrix::Square: the scaled cross-product AᵀA / Norm, one column of the result per work unit,
// on the caller's thread or on a pool of worker threads.

#include <algorithm>
#include <memory>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/matrix/TMatrix.hpp"
#include "nuv/matrix/detail/matrix_access.hpp"
#include "nuv/platform/threads.hpp"

namespace nuv {
namespace {

// Column Column (1-based) of A'A / Norm: cells (Column, j) and (j, Column) for j >= Column.
// Src holds Rows cells per column; Res is the c by c result, both column-major.
void SquareColumn(const double* Src, Integer Rows, Integer Cols, Integer Column, double Norm,
                  double* Res) {
  const auto rows = static_cast<std::size_t>(Rows);
  const auto cols = static_cast<std::size_t>(Cols);
  const auto k = static_cast<std::size_t>(Column - 1);
  const double* colK = Src + k * rows;
  for (std::size_t j = k; j < cols; ++j) {
    const double* colJ = Src + j * rows;
    double s = 0.0;
    for (std::size_t r = 0; r < rows; ++r) s += colK[r] * colJ[r];
    Res[j * cols + k] = s / Norm;
    Res[k * cols + j] = s / Norm;
  }
}

// The worker of one result column. Created suspended, its fields set by the pool, then
// started; the pool frees it. It never reads AbortMathProc.
class TMatSq1ColThread : public TThread {
 public:
  TMatSq1ColThread() : TThread([this] { Execute(); }) {}
  // The fields belong to this object: wait before they go away.
  ~TMatSq1ColThread() { WaitFor(); }
  TMatSq1ColThread(const TMatSq1ColThread&) = delete;
  TMatSq1ColThread& operator=(const TMatSq1ColThread&) = delete;

  Integer Column = 0;
  double Norm = 1.0;
  const double* SrcMat = nullptr;
  Integer SrcRows = 0;
  Integer SrcCols = 0;
  double* ResMat = nullptr;

 private:
  void Execute() {
    SquareColumn(SrcMat, SrcRows, SrcCols, Column, Norm, ResMat);
    // Many workers add at once: the atomic addition loses none of them.
    ProcStat.fetch_add(1.0, std::memory_order_relaxed);
  }
};

void Feedback() {
  if (TMathFeedBackProc proc = MathFeedBackProc.load(std::memory_order_acquire)) {
    proc(ProcStat.load(std::memory_order_relaxed));
  }
}

}  // namespace

bool TMatrix::Square(TMatrix* MatRes, double Norm) {
  return Square(MatRes, Norm, CPUCount());
}

bool TMatrix::Square(TMatrix* MatRes, double Norm, Integer NThreads) {
  if (MatRes == nullptr) return false;
  const Integer c = FNCol;
  const Integer r = FNRow;
  // Squaring into the source itself would resize A under the workers: read a copy instead.
  std::vector<double> own;
  if (MatRes == this && c > 0 && r > 0) {
    own.assign(FData.begin(),
               FData.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(c) *
                                                           static_cast<std::size_t>(r)));
  }
  MatRes->Resize(c, c);
  if (c <= 0) return true;
  const double* src = own.empty() ? FData.data() : own.data();
  // With no row every sum is 0; the source store then has no rows to read.
  const Integer rows = std::max<Integer>(r, 0);
  double* res = detail::TMatrixAccess::Cells(*MatRes);

  // Fewer than two threads (also a count below 1) run on the caller's thread.
  if (NThreads <= 1) {
    for (Integer k = 1; k <= c; ++k) {
      if (AbortMathProc.load(std::memory_order_acquire)) return false;
      StepProcStat();
      SquareColumn(src, rows, c, k, Norm, res);
    }
    return true;
  }

  const Integer p = std::min(NThreads, c);
  // Owned by the pool: leaving by any path (abort, exception) waits for and frees every thread.
  std::vector<std::unique_ptr<TMatSq1ColThread>> pool(static_cast<std::size_t>(p));
  Integer next = 1;
  auto makeThread = [&](Integer Column) {
    auto t = std::make_unique<TMatSq1ColThread>();
    t->Column = Column;
    t->Norm = Norm;
    t->SrcMat = src;
    t->SrcRows = rows;
    t->SrcCols = c;
    t->ResMat = res;
    return t;
  };
  for (auto& slot : pool) slot = makeThread(next++);
  for (auto& slot : pool) slot->Start();

  for (;;) {
    Feedback();
    if (AbortMathProc.load(std::memory_order_acquire)) return false;
    bool complete = true;
    for (auto& slot : pool) {
      if (!slot->Finished()) {
        complete = false;
        continue;
      }
      if (next <= c) {
        slot.reset();
        slot = makeThread(next++);
        slot->Start();
        complete = false;
      }
    }
    if (complete) break;
  }
  pool.clear();
  Feedback();
  return true;
}

}  // namespace nuv
