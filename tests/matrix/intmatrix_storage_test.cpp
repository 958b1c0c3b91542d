// TIntMatrix storage: dense and sparse modes, element access, resizing, conversions, fills,
// transposition, cloning and the checksum.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nuv/base/crc.hpp"
#include "nuv/matrix/TIntMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::EventRecorder;
using Access = detail::TIntMatrixAccess;

std::unique_ptr<TIntMatrix> Sparse(Integer AllocBy) {
  return std::unique_ptr<TIntMatrix>(TIntMatrix::CreateSparse(nullptr, AllocBy));
}

// Entries as (col, row, value) triples in list order.
std::vector<std::vector<Integer>> EntriesOf(const TIntMatrix& m) {
  std::vector<std::vector<Integer>> out;
  for (const auto& e : Access::Entries(m)) out.push_back({e.colidx, e.rowidx, e.value});
  EXPECT_EQ(static_cast<Integer>(out.size()), Access::SparseNumElem(m));
  return out;
}

TEST(TIntMatrixDense, NewMatrixIsOneByOneZero) {
  TIntMatrix m(nullptr);
  EXPECT_FALSE(Access::IsSparse(m));
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetVal(1, 1), 0);
  EXPECT_EQ(m.CRCofData().size(), 32u);
  const Integer zero = 0;
  EXPECT_EQ(m.CRCofData(), detail::LaneChecksum<Integer>(std::span<const Integer>(&zero, 1)));
}

TEST(TIntMatrixDense, AccessOutsideIsSilent) {
  TIntMatrix m(nullptr);
  EventRecorder rec;
  rec.Attach(m);
  m.Resize(2, 3);
  EXPECT_EQ(rec.Changes, 1);
  m.SetVal(3, 1, 9);
  m.SetVal(1, 4, 9);
  m.SetVal(0, 1, 9);
  EXPECT_EQ(rec.Changes, 1);
  m.SetVal(2, 3, -7);
  EXPECT_EQ(rec.Changes, 2);
  EXPECT_EQ(m.GetVal(2, 3), -7);
  EXPECT_EQ(m.GetVal(3, 3), 0);
  EXPECT_EQ(m.GetVal(2, 4), 0);
}

TEST(TIntMatrixDense, ResizeKeepsOverlapAndSameSizeIsFalse) {
  TIntMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(1, 1, 1);
  m.SetVal(2, 1, 2);
  m.SetVal(1, 2, 3);
  m.SetVal(2, 2, 4);
  EventRecorder rec;
  rec.Attach(m);
  EXPECT_FALSE(m.Resize(2, 2));
  EXPECT_FALSE(m.ResizeAndClear(2, 2));
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(m.GetVal(2, 2), 4);
  EXPECT_TRUE(m.Resize(3, 1));
  EXPECT_EQ(m.GetVal(1, 1), 1);
  EXPECT_EQ(m.GetVal(2, 1), 2);
  EXPECT_EQ(m.GetVal(3, 1), 0);
  EXPECT_EQ(m.GetVal(1, 2), 0);
  EXPECT_TRUE(m.Resize(-4, 2));
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_TRUE(m.ResizeAndClear(2, 2));
  EXPECT_EQ(m.GetVal(1, 1), 0);
}

TEST(TIntMatrixDense, HugeResizeRaisesAndKeepsMatrix) {
  TIntMatrix m(nullptr);
  m.SetName("big");
  m.Resize(2, 2);
  m.SetVal(2, 2, 5);
  NUV_EXPECT_THROW_MSG(m.Resize(2147483647, 2147483647), ENUVMatrixError,
                       "Component \"big\": not enough memory on heap");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2), 5);
}

TEST(TIntMatrixSparse, CreateSparseOfZeroAllocatesOneEntry) {
  auto m = Sparse(0);
  EXPECT_TRUE(Access::IsSparse(*m));
  EXPECT_EQ(Access::NumAllocated(*m), 1);
  EXPECT_EQ(m->NrOfColumns(), 0);
  EXPECT_EQ(m->NrOfRows(), 0);
  Integer lc, hc, lr, hr;
  Access::Box(*m, lc, hc, lr, hr);
  EXPECT_EQ(lc, 2147483647);
  EXPECT_EQ(hc, 1);
  EXPECT_EQ(lr, 2147483647);
  EXPECT_EQ(hr, 1);
  m->SetVal(3, 2, 7);
  EXPECT_EQ(m->NrOfColumns(), 3);
  EXPECT_EQ(m->NrOfRows(), 2);
  EXPECT_EQ(m->GetVal(3, 2), 7);
  EXPECT_EQ(m->GetVal(1, 1), 0);
}

TEST(TIntMatrixSparse, EntriesStaySortedAndGrowInSteps) {
  auto m = Sparse(2);
  EventRecorder rec;
  rec.Attach(*m);
  m->SetVal(2, 5, 1);
  m->SetVal(2, 1, 4);
  EXPECT_EQ(Access::NumAllocated(*m), 2);
  m->SetVal(1, 9, 6);
  EXPECT_EQ(Access::NumAllocated(*m), 4);
  EXPECT_EQ(EntriesOf(*m), (std::vector<std::vector<Integer>>{{1, 9, 6}, {2, 1, 4}, {2, 5, 1}}));
  EXPECT_EQ(rec.Changes, 3);
  // Overwriting keeps the count; writing 0 at a new place adds an entry.
  m->SetVal(2, 1, 8);
  EXPECT_EQ(Access::SparseNumElem(*m), 3);
  m->SetVal(5, 5, 0);
  EXPECT_EQ(Access::SparseNumElem(*m), 4);
  EXPECT_EQ(m->GetVal(2, 1), 8);
  EXPECT_EQ(m->NrOfColumns(), 5);
  EXPECT_EQ(m->NrOfRows(), 9);
  // Indices below 1 are dropped; above the size they grow the matrix.
  m->SetVal(0, 3, 1);
  m->SetVal(3, -1, 1);
  EXPECT_EQ(Access::SparseNumElem(*m), 4);
  EXPECT_EQ(rec.Changes, 5);
}

TEST(TIntMatrixSparse, LookupMatchesNaiveMap) {
  // Pseudo-random writes checked against a dense shadow copy.
  auto m = Sparse(3);
  std::vector<std::vector<Integer>> shadow(20, std::vector<Integer>(20, 0));
  std::uint32_t s = 12345u;
  for (int n = 0; n < 300; ++n) {
    s = s * 1103515245u + 12345u;
    const auto c = static_cast<Integer>((s >> 8) % 20u) + 1;
    const auto r = static_cast<Integer>((s >> 16) % 20u) + 1;
    const auto v = static_cast<Integer>(s % 1000u) - 500;
    m->SetVal(c, r, v);
    shadow[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] = v;
  }
  for (Integer c = 0; c <= 21; ++c) {
    for (Integer r = 0; r <= 21; ++r) {
      const bool inside = c >= 1 && c <= 20 && r >= 1 && r <= 20;
      EXPECT_EQ(
          m->GetVal(c, r),
          inside ? shadow[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] : 0);
    }
  }
  const auto& e = Access::Entries(*m);
  for (std::size_t k = 1; k < e.size(); ++k) {
    EXPECT_TRUE(e[k - 1].colidx < e[k].colidx ||
                (e[k - 1].colidx == e[k].colidx && e[k - 1].rowidx < e[k].rowidx));
  }
}

TEST(TIntMatrixSparse, WriteAfterEmptyingIsNotLost) {
  auto m = Sparse(4);
  m->SetVal(1, 1, 5);
  m->Resize(0, 0);
  EXPECT_EQ(Access::SparseNumElem(*m), 0);
  m->SetVal(1, 1, 7);
  EXPECT_EQ(Access::SparseNumElem(*m), 1);
  EXPECT_EQ(m->GetVal(1, 1), 7);
}

TEST(TIntMatrixSparse, ResizeRemovesOutsideAndReturnsFalse) {
  auto m = Sparse(1);
  m->SetVal(1, 1, 1);
  m->SetVal(3, 1, 2);
  EventRecorder rec;
  rec.Attach(*m);
  EXPECT_FALSE(m->Resize(2, 2));
  EXPECT_EQ(rec.Changes, 0);
  EXPECT_EQ(EntriesOf(*m), (std::vector<std::vector<Integer>>{{1, 1, 1}}));
  EXPECT_EQ(m->NrOfColumns(), 2);
  EXPECT_EQ(m->NrOfRows(), 2);
  Integer lc, hc, lr, hr;
  Access::Box(*m, lc, hc, lr, hr);
  EXPECT_EQ(hc, 2);
  EXPECT_EQ(hr, 1);
  // The sizes follow the box's highs after the next new entry.
  m->Resize(10, 10);
  m->SetVal(2, 2, 5);
  EXPECT_EQ(m->NrOfColumns(), 2);
  EXPECT_EQ(m->NrOfRows(), 2);
  // ResizeAndClear never clears a sparse matrix.
  EXPECT_FALSE(m->ResizeAndClear(4, 4));
  EXPECT_EQ(m->GetVal(2, 2), 5);
}

TEST(TIntMatrixConvert, DenseSparseRoundTrip) {
  TIntMatrix m(nullptr);
  m.Resize(3, 2);
  m.SetVal(1, 2, 4);
  m.SetVal(2, 1, -9);
  EventRecorder rec;
  rec.Attach(m);
  m.ArrayToSparse(5);
  EXPECT_TRUE(Access::IsSparse(m));
  EXPECT_EQ(Access::AllocBy(m), 5);
  EXPECT_EQ(EntriesOf(m), (std::vector<std::vector<Integer>>{{1, 2, 4}, {2, 1, -9}}));
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 2);
  m.ArrayToSparse(1);  // already sparse: nothing
  EXPECT_EQ(Access::AllocBy(m), 5);
  m.SparseToArray();
  EXPECT_FALSE(Access::IsSparse(m));
  EXPECT_EQ(Access::NumAllocated(m), 0);
  EXPECT_EQ(m.NrOfColumns(), 2);  // sized by the highest stored column and row
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.GetVal(1, 2), 4);
  EXPECT_EQ(m.GetVal(2, 1), -9);
  EXPECT_EQ(m.GetVal(1, 1), 0);
  EXPECT_EQ(rec.Changes, 0);
}

TEST(TIntMatrixConvert, RoundTripOfRandomMatrixKeepsEveryCell) {
  TIntMatrix m(nullptr);
  m.Resize(7, 9);
  std::uint32_t s = 99u;
  for (Integer c = 1; c <= 7; ++c) {
    for (Integer r = 1; r <= 9; ++r) {
      s = s * 1664525u + 1013904223u;
      m.SetVal(c, r, (s >> 28) < 6 ? 0 : static_cast<Integer>(s >> 20));
    }
  }
  m.SetVal(7, 9, 1);  // keeps the sizes through the round trip
  const std::string crc = m.CRCofData();
  std::vector<Integer> cells;
  for (Integer c = 1; c <= 7; ++c) {
    for (Integer r = 1; r <= 9; ++r) cells.push_back(m.GetVal(c, r));
  }
  m.ArrayToSparse(3);
  std::size_t k = 0;
  for (Integer c = 1; c <= 7; ++c) {
    for (Integer r = 1; r <= 9; ++r) EXPECT_EQ(m.GetVal(c, r), cells[k++]);
  }
  m.SparseToArray();
  EXPECT_EQ(m.CRCofData(), crc);
}

TEST(TIntMatrixConvert, AllocationCountFollowsGrowthBeforeEachCell) {
  // 2 by 2 with three non-zero cells and AllocBy 2: the list is full before the third and
  // before the fourth cell, so it grows twice.
  TIntMatrix m(nullptr);
  m.Resize(2, 2);
  m.SetVal(1, 1, 1);
  m.SetVal(1, 2, 1);
  m.SetVal(2, 1, 1);
  m.ArrayToSparse(2);
  EXPECT_EQ(Access::SparseNumElem(m), 3);
  EXPECT_EQ(Access::NumAllocated(m), 4);
}

TEST(TIntMatrixConvert, SparseToArrayTooLargeRaisesAndKeepsSparse) {
  // 2^32 cells cannot be addressed on x86-32; 2^62 cannot be addressed anywhere.
  const Integer rows = sizeof(void*) == 4 ? 2 : 2147483647;
  auto m = Sparse(1);
  m->SetName("sp");
  m->SetVal(2147483647, rows, 1);
  m->SetVal(1, 1, 3);
  NUV_EXPECT_THROW_MSG(m->SparseToArray(), ENUVMatrixError,
                       "Component \"sp\": not enough memory on heap");
  EXPECT_TRUE(Access::IsSparse(*m));
  EXPECT_EQ(m->GetVal(2147483647, rows), 1);
  EXPECT_EQ(m->GetVal(1, 1), 3);
  EXPECT_EQ(m->NrOfColumns(), 2147483647);
  EXPECT_EQ(m->NrOfRows(), rows);
}

TEST(TIntMatrixSparse, LargeAllocByCommitsNoMemory) {
  auto m = Sparse(2147483647);
  m->SetName("g");
  m->SetVal(1, 1, 1);  // fits in the first allocation
  EXPECT_EQ(Access::NumAllocated(*m), 2147483647);
  EXPECT_EQ(m->GetVal(1, 1), 1);
}

TEST(TIntMatrixFill, DenseAndSparse) {
  TIntMatrix d(nullptr);
  d.Resize(2, 3);
  d.Fill(6);
  EXPECT_EQ(d.GetVal(2, 3), 6);
  d.FillDiag(-1);
  EXPECT_EQ(d.GetVal(1, 1), -1);
  EXPECT_EQ(d.GetVal(2, 2), -1);
  EXPECT_EQ(d.GetVal(1, 2), 6);

  auto s = Sparse(3);
  s->SetVal(1, 1, 2);
  s->SetVal(4, 2, 3);
  EventRecorder rec;
  rec.Attach(*s);
  s->FillDiag(9);  // dense only
  EXPECT_EQ(rec.Changes, 0);
  s->Fill(5);
  EXPECT_EQ(s->GetVal(1, 1), 5);
  EXPECT_EQ(s->GetVal(4, 2), 5);
  EXPECT_EQ(s->GetVal(2, 2), 0);
  EXPECT_EQ(Access::SparseNumElem(*s), 2);
  s->Fill(0);
  EXPECT_EQ(Access::SparseNumElem(*s), 0);
  EXPECT_EQ(Access::NumAllocated(*s), 3);
  EXPECT_EQ(s->GetVal(1, 1), 0);
  EXPECT_EQ(rec.Changes, 2);
}

TEST(TIntMatrixTranspose, SparseExchangesAndResorts) {
  auto m = Sparse(2);
  m->SetVal(1, 2, 11);
  m->SetVal(2, 1, 22);
  m->SetVal(5, 1, 33);
  EXPECT_TRUE(m->Transpose());
  EXPECT_EQ(m->GetVal(2, 1), 11);
  EXPECT_EQ(m->GetVal(1, 2), 22);
  EXPECT_EQ(m->GetVal(1, 5), 33);
  EXPECT_EQ(EntriesOf(*m), (std::vector<std::vector<Integer>>{{1, 2, 22}, {1, 5, 33}, {2, 1, 11}}));
  EXPECT_EQ(m->NrOfColumns(), 2);
  EXPECT_EQ(m->NrOfRows(), 5);
  m->SparseToArray();
  EXPECT_EQ(m->NrOfColumns(), 2);
  EXPECT_EQ(m->NrOfRows(), 5);
}

TEST(TIntMatrixTranspose, DenseExchangesSizes) {
  TIntMatrix m(nullptr);
  m.Resize(3, 2);
  for (Integer c = 1; c <= 3; ++c) {
    for (Integer r = 1; r <= 2; ++r) m.SetVal(c, r, 10 * c + r);
  }
  EventRecorder rec;
  rec.Attach(m);
  EXPECT_TRUE(m.Transpose());
  EXPECT_EQ(rec.Changes, 1);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 3);
  for (Integer c = 1; c <= 3; ++c) {
    for (Integer r = 1; r <= 2; ++r) EXPECT_EQ(m.GetVal(r, c), 10 * c + r);
  }
}

TEST(TIntMatrixClone, SameModeOnly) {
  TIntMatrix d(nullptr);
  d.Resize(3, 2);
  d.SetVal(3, 2, 8);
  auto s = Sparse(4);
  s->SetVal(2, 7, 1);
  s->SetVal(1, 1, 3);

  TIntMatrix dd(nullptr);
  EventRecorder rec;
  rec.Attach(dd);
  dd.Clone(s.get());  // modes differ: nothing
  EXPECT_EQ(rec.Changes, 0);
  dd.Clone(&d);
  EXPECT_EQ(rec.Changes, 1 + 6 + 1);  // resize, one per cell, once more
  EXPECT_EQ(dd.GetVal(3, 2), 8);
  EXPECT_EQ(dd.CRCofData(), d.CRCofData());
  dd.Clone(nullptr);

  auto ss = Sparse(1);
  ss->Clone(&d);
  EXPECT_EQ(Access::SparseNumElem(*ss), 0);
  ss->Clone(s.get());
  EXPECT_EQ(EntriesOf(*ss), EntriesOf(*s));
  EXPECT_EQ(Access::AllocBy(*ss), 4);
  EXPECT_EQ(Access::NumAllocated(*ss), 4);
  EXPECT_EQ(ss->NrOfColumns(), 2);
  EXPECT_EQ(ss->NrOfRows(), 7);
}

TEST(TIntMatrixChecksum, SparseCoversNoCells) {
  auto s = Sparse(1);
  s->SetVal(3, 3, 4);
  EXPECT_EQ(s->CRCofData(), detail::LaneChecksum<Integer>(std::span<const Integer>()));
  EXPECT_EQ(s->CRCofData(), std::string(32, '0'));
  TIntMatrix d(nullptr);
  d.Resize(2, 1);
  const std::string before = d.CRCofData();
  d.SetVal(2, 1, 0x01000000);
  EXPECT_NE(d.CRCofData(), before);
  const Integer cells[] = {0, 0x01000000};
  EXPECT_EQ(d.CRCofData(), detail::LaneChecksum<Integer>(std::span<const Integer>(cells)));
}

}  // namespace
}  // namespace nuv
