// Handlers that try to resize a table (or the vectors and matrices a call writes) while one of
// the table's calls runs: every try is refused and the call gives what it gives without them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "nuv/base/hooks.hpp"
#include "nuv/datatable/NUV_datatable.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RefusalCase;
using test::ResizeProbe;

std::string Bits(double x) {
  std::uint64_t u = 0;
  std::memcpy(&u, &x, sizeof u);
  return std::to_string(u) + ",";
}

std::string Fp(const TMatrix& m) {
  std::string s = "m" + std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ":";
  for (Integer c = 1; c <= m.NrOfColumns(); ++c)
    for (Integer r = 1; r <= m.NrOfRows(); ++r) s += Bits(m.GetVal(c, r));
  return s;
}

std::string Fp(const TVector& v) {
  std::string s = "v" + std::to_string(v.NrOfElem()) + ":";
  for (Integer k = 1; k <= v.NrOfElem(); ++k) s += Bits(v.GetVal(k));
  return s;
}

std::string Fp(const TDataTable& t) {
  return "t" + std::to_string(t.NrOfColumns()) + "x" + std::to_string(t.NrOfRows()) +
         t.CRCofNamesAndAttributes() + t.CRCofCellStates() + Fp(*t.NumericData());
}

// Five columns over seven rows: varied values, names and attributes, one invalid and two
// marked cells; column 3 nominal unless AllNumeric.
void Build(TDataTable& t, bool AllNumeric = false) {
  t.Resize(5, 7);
  for (Integer c = 1; c <= 5; ++c) {
    t.SetColName(c, std::string(1, static_cast<char>('e' - c)));
    t.SetColAttrib(c, (c * 3) % 5);
    for (Integer r = 1; r <= 7; ++r) t.SetElem(c, r, ((c * 7 + r * 5) % 11) + 0.25 * c);
  }
  for (Integer r = 1; r <= 7; ++r) {
    t.SetRowName(r, std::string(1, static_cast<char>('a' + (r * 3) % 7)));
    t.SetRowAttrib(r, (r * 5) % 7);
  }
  if (!AllNumeric) t.SetMScaleType(3, stNominal);
  t.SetCellState(2, 4, 2);
  t.SetCellState(1, 2, 64);
  t.SetCellState(4, 5, 128);
}

// Every way to change a table's size, and its matrix's, each tried from a handler.
void TryTable(ResizeProbe& p, TDataTable& t, TDataTable& Other, TMatrix& Spare) {
  const auto same = [&t](const std::function<void()>& f) {
    const TMatrix* m = t.NumericData();
    const Integer c = t.NrOfColumns(), r = t.NrOfRows(), mc = m->NrOfColumns();
    f();
    return t.NumericData() == m && t.NrOfColumns() == c && t.NrOfRows() == r &&
           m->NrOfColumns() == mc;
  };
  const std::vector<std::function<void()>> tries{
      [&] { t.Resize(t.NrOfColumns() + 2, t.NrOfRows() - 3); },
      [&] { t.SetNrRows(1); },
      [&] { t.InsertRow(1); },
      [&] { t.RemoveRow(1); },
      [&] { t.InsertColumn(2); },
      [&] { t.RemoveColumn(2); },
      [&] { t.CopyContentsFrom(&Other); },
      [&] { t.AssignAnotherDataMatrix(&Spare); },
      [&] { t.Serialize(true, true); },
      [&] { t.NumericData()->Resize(2, 2); }};
  for (const auto& f : tries) p.Add([same, f] { return same(f); });
}

void TryVector(ResizeProbe& p, TVector& v) {
  p.Add([&v] {
    const Integer n = v.NrOfElem();
    return !v.Resize(n + 3) && v.NrOfElem() == n;
  });
}

void TryMatrix(ResizeProbe& p, TMatrix& m) {
  p.Add([&m] {
    const Integer c = m.NrOfColumns();
    return !m.Resize(c + 1, 9) && m.NrOfColumns() == c;
  });
}

ResizeProbe* gProbe = nullptr;

// Runs the probe unless it is running already: a resize that wrongly passes fires events of
// its own, which must fail the row rather than lock the probe.
void Poke(ResizeProbe* p) {
  static bool inside = false;
  if (p == nullptr || inside) return;
  inside = true;
  (*p)();
  inside = false;
}

void Feedback(double) {
  Poke(gProbe);
}

// Runs Act on a built table with the probe (also in gProbe, for the destinations Act makes) on
// every event of the table, trying every table resize.
RefusalCase TableRow(const char* Name, bool AllNumeric,
                     std::function<std::string(TDataTable&)> Act) {
  return {Name, [=](ResizeProbe* probe) {
            gProbe = probe;
            TDataTable t(nullptr), other(nullptr);
            TMatrix spare(nullptr);
            Build(t, AllNumeric);
            other.Resize(2, 2);
            spare.Resize(3, 3);
            int events = 0;
            const auto hit = [&events, probe](TObject*) {
              ++events;
              Poke(probe);
            };
            t.SetOnChange(hit);
            t.SetOnChangeSetup(hit);
            t.SetOnChangeNames(hit);
            t.SetOnChangeAttrib(hit);
            t.SetOnChangeCellState(hit);
            t.SetOnSortExchange(
                [hit](TObject* s, Byte, Integer, Integer, Integer, Integer) { hit(s); });
            t.SetOnResize([hit](TObject* s, Integer, Integer, Integer, Integer) { hit(s); });
            if (probe != nullptr) TryTable(*probe, t, other, spare);
            const std::string out = Act(t);
            gProbe = nullptr;
            return out + Fp(t) + "e" + std::to_string(events);
          }};
}

TEST(TDataTableHandlers, ResizesFromHandlersAreRefused) {
  test::HookGuard hooks;
  const std::vector<RefusalCase> table{
      TableRow("sorts", false,
               [](TDataTable& t) {
                 t.SortRows(4, true, 2, 1, 5, 7, true);
                 t.SortCols(1, false, 1, 2, 5, 7, false);  // key row outside the block
                 t.SortRowNames(true, 0, 0, 0, 0);
                 t.SortColAttributes(false, 0, 0, 0, 0);
                 return std::string();
               }),
      TableRow("edits", false,
               [](TDataTable& t) {
                 t.ExchangeColumns(1, 4);
                 t.ExchangeRows(2, 7);
                 t.MirrorColumns();
                 t.MirrorRows();
                 const Integer n = t.FillMarkedCells(-3.5, 192);
                 t.InsertRow(3);
                 t.RemoveColumn(2);
                 t.InsertColumn(6);
                 t.RemoveRow(1);
                 return std::to_string(n);
               }),
      TableRow("copies", false,
               [](TDataTable& t) {
                 TDataTable src(nullptr);
                 Build(src, true);
                 src.SetNrRows(9);
                 t.CopyContentsFrom(&src);
                 std::string s = Fp(t);
                 t.Serialize(true, true);
                 s += Fp(t);
                 TMatrix* m = new TMatrix(&t);  // freed with the table, after it
                 m->Resize(3, 4);
                 m->Fill(1.5);
                 t.AssignAnotherDataMatrix(m);
                 return s;
               }),
      TableRow("Standardize", true,
               [](TDataTable& t) {
                 TVector means(nullptr), sds(nullptr);
                 means.Resize(7);
                 sds.Resize(7);
                 if (ResizeProbe* p = gProbe) {
                   TryVector(*p, means);
                   TryVector(*p, sds);
                   means.SetOnChange([p](TObject*) { Poke(p); });
                 }
                 t.StandardizeNumCellColumns(&means, &sds);
                 std::string s = Fp(means) + Fp(sds);
                 t.StandardizeNumCellRows(&means, &sds);
                 return s + Fp(means) + Fp(sds);
               }),
      TableRow("MeanCenter", true,
               [](TDataTable& t) {
                 TVector means(nullptr);
                 means.Resize(7);
                 if (ResizeProbe* p = gProbe) {
                   TryVector(*p, means);
                   means.SetOnChange([p](TObject*) { Poke(p); });
                 }
                 t.MeanCenterNumCellColumns(&means);
                 std::string s = Fp(means);
                 t.MeanCenterNumCellRows(&means);
                 return s + Fp(means);
               }),
      TableRow("CopyCellsToVector", false,
               [](TDataTable& t) {
                 TVector dest(nullptr);
                 if (ResizeProbe* p = gProbe) {
                   TryVector(*p, dest);
                   dest.SetOnChange([p](TObject*) { Poke(p); });
                 }
                 const Integer n = t.CopyCellsToVector(1, 1, 4, 6, 255, &dest);
                 return std::to_string(n) + Fp(dest);
               }),
      TableRow("CalcCovar", false,
               [](TDataTable& t) {
                 TMatrix cov(nullptr);
                 cov.Resize(5, 5);
                 if (ResizeProbe* p = gProbe) {
                   TryMatrix(*p, cov);
                   cov.SetOnChange([p](TObject*) { Poke(p); });
                   MathFeedBackProc = Feedback;
                 }
                 std::string s;
                 for (Integer mode = 0; mode <= 4; ++mode)
                   s += std::to_string(t.CalcCovar(&cov, 1, 5, 1, 7, mode)) + Fp(cov);
                 MathFeedBackProc = nullptr;
                 return s;
               }),
  };
  test::ExpectResizesRefused(table);
}

TEST(TDataTableHandlers, BulkCopyFromAHandlerKeepsThatHandler) {
  TDataTable t(nullptr), src(nullptr);
  Build(t);
  Build(src, true);
  src.SetElem(1, 1, 42.0);
  const std::string tag(64, 'x');  // captured by value, so the handler lives on the heap
  int calls = 0;
  std::string seen;
  t.SetOnChange([&, tag](TObject*) {
    if (++calls == 1) t.CopyFrom(&src, 1, 1, 2, 2, 1, 1);
    seen = tag;  // the handler's own state, after the copy it ran
  });
  t.SetElem(3, 3, 7.0);  // the matrix's OnChange, the copy's, and SetElem's own
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(seen, tag);
  EXPECT_EQ(t.Elem(1, 1), 42.0);
}

}  // namespace
}  // namespace nuv
