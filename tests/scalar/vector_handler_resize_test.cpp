// Handlers that try to resize the vectors a running call uses: every such resize is refused
// and the call gives the same result as without the handler.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "nuv/platform/stream.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "tests/support/resize_probe.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

using test::RefusalCase;
using test::ResizeProbe;

template <class V>
std::unique_ptr<V> Make(std::initializer_list<double> xs) {
  auto v = std::make_unique<V>(nullptr);
  v->Resize(static_cast<Integer>(xs.size()));
  Integer i = 1;
  for (double x : xs) v->SetVal(i++, static_cast<decltype(v->GetVal(1))>(x));
  return v;
}

// One attempt: grow V by three and, when it can, shrink it to one element; refused when the
// count never moves.
template <class V>
void TryResizing(ResizeProbe& P, V* v) {
  if (v == nullptr) return;
  P.Add([v] {
    const Integer before = v->NrOfElem();
    const bool grown = v->Resize(before + 3);
    const bool shrunk = before > 1 && v->Resize(1);
    return !grown && !shrunk && v->NrOfElem() == before;
  });
}

// Runs the probe unless it is already running: a resize that wrongly passes fires the
// handler again, and that must show up as a failed attempt, not as a recursive probe.
void Fire(ResizeProbe& P) {
  static thread_local bool running = false;
  if (running) return;
  running = true;
  P();
  running = false;
}

// The probe runs from V's change (and exchange) handler and tries to resize every vector given.
template <class V, class... W>
void Attach(ResizeProbe* P, V* v, W*... targets) {
  if (P == nullptr) return;
  (TryResizing(*P, targets), ...);
  v->SetOnChange([P](TObject*) { Fire(*P); });
  v->SetOnSortExchange([P](TObject*, Byte, Integer, Integer, Integer, Integer) { Fire(*P); });
}

template <class V>
void Detach(V* v) {
  v->SetOnChange({});
  v->SetOnSortExchange({});
}

template <class... V>
std::string Print(const V*... vs) {
  std::string s;
  ((s += std::to_string(vs->NrOfElem()) + ":" + vs->CRCofData() + ";"), ...);
  return s;
}

std::string WriteTemp(const std::string& stem, const std::string& text) {
  const std::string path = test::TempPath(stem);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Which of the pair a row's routine uses: only those are probed (a vector the call does not
// use may be resized).
enum TUses { kBoth, kDest, kSource };

// A routine over a copy-style pair: Op(dest, src); the handlers of both vectors probe the ones
// the routine uses.
template <class V, class Op>
RefusalCase PairRow(const char* Name, TUses Uses, Op op) {
  return {Name, [Uses, op](ResizeProbe* P) {
            auto src = Make<V>({4, -1, 7, 2, 9, 3});
            auto dst = Make<V>({1, 2, 3, 4, 5, 6});
            V* s = Uses == kDest ? nullptr : src.get();
            V* d = Uses == kSource ? nullptr : dst.get();
            if (s != nullptr) Attach(P, s, s, d);
            if (d != nullptr) Attach(P, d, s, d);
            op(*dst, *src);
            Detach(dst.get());
            Detach(src.get());
            return Print(dst.get(), src.get());
          }};
}

template <class V>
RefusalCase StreamRow(const char* Name) {
  return {Name, [](ResizeProbe* P) {
            auto src = Make<V>({5, 6, 7, 8, 9});
            TMemoryStream* s = nullptr;
            src->SaveToStream(s, 0, 0);
            const std::unique_ptr<TMemoryStream> own(s);
            s->SetPosition(0);
            auto v = Make<V>({1, 2});
            Attach(P, v.get(), v.get());
            const bool ok = v->LoadFromStream(s, true);
            Detach(v.get());
            return std::to_string(ok) + Print(v.get());
          }};
}

template <class V>
RefusalCase FileRow(const char* Name) {
  return {Name, [](ResizeProbe* P) {
            const std::string path = WriteTemp("handler_resize", "2 6\n1\n2\n3\n4\n5\n");
            auto v = Make<V>({9, 9, 9});
            Attach(P, v.get(), v.get());
            const bool ok = v->LoadFromFile(path, true);
            Detach(v.get());
            std::remove(path.c_str());
            return std::to_string(ok) + Print(v.get());
          }};
}

template <class V, class Bin>
RefusalCase HistogramRow(const char* Name, Bin first, Bin last, Bin width) {
  return {Name, [=](ResizeProbe* P) {
            auto src = Make<V>({1, 3, 3, 8, -2, 12, 5});
            auto histo = Make<TIntVector>({0, 0});
            Attach(P, histo.get(), src.get(), histo.get());
            Integer under = 0, over = 0, maxCnt = 0;
            const bool ok =
                src->Histogram(0, 9, first, last, width, histo.get(), under, over, maxCnt);
            Detach(histo.get());
            return std::to_string(ok) + " " + std::to_string(under) + " " + std::to_string(over) +
                   " " + std::to_string(maxCnt) + Print(src.get(), histo.get());
          }};
}

TEST(VectorHandlerResize, EveryResizeFromAHandlerIsRefused) {
  const std::vector<RefusalCase> table{
      PairRow<TVector>("TVector::Clone", kBoth, [](TVector& d, TVector& s) { d.Clone(&s); }),
      PairRow<TIntVector>("TIntVector::Clone", kBoth,
                          [](TIntVector& d, TIntVector& s) { d.Clone(&s); }),
      PairRow<TVector>("TVector::CopyFrom", kBoth,
                       [](TVector& d, TVector& s) { d.CopyFrom(&s, 2, 5, 3); }),
      PairRow<TIntVector>("TIntVector::CopyFrom onto itself", kDest,
                          [](TIntVector& d, TIntVector&) { d.CopyFrom(&d, 1, 4, 3); }),
      PairRow<TVector>("TVector::CopyFromArray", kDest,
                       [](TVector& d, TVector&) {
                         const std::vector<double> a{7, 8, 9, 10};
                         d.CopyFromArray(a, 4);
                       }),
      PairRow<TVector>("TVector::Add", kBoth, [](TVector& d, TVector& s) { d.Add(&s); }),
      PairRow<TIntVector>("TIntVector::Subtract", kBoth,
                          [](TIntVector& d, TIntVector& s) { d.Subtract(&s); }),
      PairRow<TVector>("TVector::SortElems", kSource,
                       [](TVector&, TVector& s) { s.SortElems(true, 0, 0); }),
      PairRow<TIntVector>("TIntVector::SortElems descending", kSource,
                          [](TIntVector&, TIntVector& s) { s.SortElems(false, 2, 6); }),
      HistogramRow<TVector, double>("TVector::Histogram", 0.0, 9.0, 1.5),
      HistogramRow<TIntVector, Integer>("TIntVector::Histogram", 0, 9, 2),
      StreamRow<TVector>("TVector::LoadFromStream"),
      StreamRow<TIntVector>("TIntVector::LoadFromStream"),
      FileRow<TVector>("TVector::LoadFromFile"),
      FileRow<TIntVector>("TIntVector::LoadFromFile"),
      {"TVector::LoadFromFile without header",
       [](ResizeProbe* P) {
         const std::string path = WriteTemp("handler_resize_auto", "1.5\n2.5\n\n3.5\n4.5\n");
         auto v = Make<TVector>({9});
         Attach(P, v.get(), v.get());
         const bool ok = v->LoadFromFile(path, true, true);
         Detach(v.get());
         std::remove(path.c_str());
         return std::to_string(ok) + Print(v.get());
       }},
  };
  test::ExpectResizesRefused(table);
}

// Library calls made from a handler are not the outermost user: the ones that would resize or
// replace the storage of a vector in use change nothing.
TEST(VectorHandlerResize, NestedCallsThatWouldResizeChangeNothing) {
  auto other = Make<TIntVector>({1, 2, 3});
  auto x = Make<TVector>({1, 2, 3});
  TMemoryStream* s = nullptr;
  other->SaveToStream(s, 0, 0);
  const std::unique_ptr<TMemoryStream> own(s);
  const std::string path = WriteTemp("handler_resize_nested", "1 3\n4\n5\n6\n");
  test::ExpectResizesRefused(
      {{"from the exchange handler of a sort", [&](ResizeProbe* P) {
          auto v = Make<TIntVector>({6, 5, 4, 3, 2, 1});
          TIntVector* pv = v.get();
          Integer u = 0, o = 0, m = 0;
          const std::vector<std::function<bool()>> calls{
              [&] { return (pv->Assign(other.get()), true); },
              [&] { return (pv->Clone(other.get()), true); },
              [&] { return (s->SetPosition(0), !pv->LoadFromStream(s, true)); },
              [&] { return !pv->LoadFromFile(path, true); },
              [&] { return !x->Histogram(1, 3, 0, 9, 1, pv, u, o, m); },
              [&] { return !pv->Histogram(1, 6, 0, 9, 1, pv, u, o, m); }};
          if (P != nullptr) {
            for (const auto& call : calls)
              P->Add([&call, pv] { return call() && pv->NrOfElem() == 6; });
            v->SetOnSortExchange(
                [P](TObject*, Byte, Integer, Integer, Integer, Integer) { Fire(*P); });
          }
          v->SortElems(true, 0, 0);
          v->SetOnSortExchange({});
          return Print(v.get());
        }}});
  std::remove(path.c_str());
  // Once the call is over the same calls go through.
  auto v = Make<TIntVector>({6, 5, 4, 3, 2, 1});
  v->Clone(other.get());
  EXPECT_EQ(v->NrOfElem(), 3);
}

}  // namespace
}  // namespace nuv
