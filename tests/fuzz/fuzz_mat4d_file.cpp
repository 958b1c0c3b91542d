// The paged binary file of TMat4D: header, range and layer reads and the appender on any
// bytes. Every value delivered is the file's, refused loads and appends change nothing, no
// array or layer grows beyond what the file holds, and a loaded array saved and loaded again
// is the same. The slot range, layer and slot come from the header's tail (bytes 4080-4095),
// which the format leaves undefined.

#include <algorithm>
#include <array>
#include <limits>

#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/exceptions.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

using namespace nuv;
using namespace nuv::fuzz;

constexpr const char* kSlotMsg = "specified time slot beyond data range";
constexpr const char* kLayerMsg = "specified layer beyond data range";
constexpr const char* kXYZMsg = "X,Y,Z of matrices do not match";
constexpr const char* kMemMsg = "cannot resize, memory low";

struct TFile {
  const std::uint8_t* Data;
  std::size_t Size;

  std::int32_t Int(std::size_t At) const {
    if (At + 4 > Size) return 0;
    std::uint32_t u = 0;
    for (std::size_t k = 0; k < 4; ++k) u |= std::uint32_t{Data[At + k]} << (8 * k);
    return static_cast<std::int32_t>(u);
  }
  std::int32_t X() const { return Int(0); }
  std::int32_t Y() const { return Int(4); }
  std::int32_t Z() const { return Int(8); }
  std::int32_t Count() const { return Int(12); }
  // Values the data records hold.
  std::int64_t Values() const {
    const auto records = static_cast<std::int64_t>(Size / 4096);
    return records < 2 ? 0 : (records - 1) * 512;
  }
  double Value(std::int64_t K) const {
    double v = 0.0;
    std::memcpy(&v, Data + 4096 * (1 + K / 512) + 8 * (K % 512), 8);
    return v;
  }
  std::int64_t Volume() const {
    if (X() < 1 || Y() < 1 || Z() < 1) return -1;
    const std::int64_t xy = std::int64_t{X()} * Y();
    std::int64_t v = 0;
    return __builtin_mul_overflow(xy, std::int64_t{Z()}, &v) ? -1 : v;
  }
};

// Slots chosen by the documented range rule; Count 0 when the call must refuse the range.
struct TRange {
  std::int64_t Start = 0;
  std::int64_t Count = 0;
};
TRange Choose(std::int32_t Start, std::int32_t End, std::int32_t N) {
  if (Start > N) return {};
  if (Start < 1 || End < 1) return {1, std::max<std::int64_t>(0, N)};
  return {Start, std::max<std::int64_t>(0, std::int64_t{std::min(End, N)} - Start + 1)};
}

// A·B, saturated at the largest int64 (no file holds that many values).
std::int64_t Mul(std::int64_t A, std::int64_t B) {
  std::int64_t r = 0;
  return __builtin_mul_overflow(A, B, &r) ? std::numeric_limits<std::int64_t>::max() : r;
}

bool HasTail(const std::string& What, const char* Tail) {
  return EndsWith(What, Tail);
}

struct TParams {
  std::int32_t Start, End, Layer, Slot;
};

void CheckHeader(const TFile& F, const std::string& Path) {
  TMat4D m(nullptr);
  Integer x = 0, y = 0, z = 0, t = 0;
  std::string id;
  try {
    const bool ok = m.ReadBinaryHeader(Path, x, y, z, t, id);
    NUV_FUZZ_CHECK(F.Size >= 4096);
    NUV_FUZZ_CHECK(x == F.X() && y == F.Y() && z == F.Z() && t == F.Count());
    NUV_FUZZ_CHECK(ok == (z >= 1 && t >= 1));
    NUV_FUZZ_CHECK(id.size() <= 3u * F.Data[16]);
  } catch (const EInOutError&) {
    NUV_FUZZ_CHECK(F.Size < 4096);
  }
}

void CheckReadBinary(const TFile& F, const std::string& Path, const TParams& P) {
  TMat4D m(nullptr);
  const TRange r = Choose(P.Start, P.End, F.Count());
  const std::int64_t volume = F.Volume();
  std::int64_t seen = 0;
  const std::int64_t first = Mul(r.Start - 1, std::max<std::int64_t>(volume, 0));
  m.SetOnReadElement([&](TObject*, Integer x, Integer y, Integer z, Integer i, double v) {
    NUV_FUZZ_CHECK(volume > 0 && r.Count > 0);
    // Column fastest, then row, layer and slot, slots counted from the first one read.
    const std::int64_t k = seen++;
    NUV_FUZZ_CHECK(x == 1 + k % F.X());
    NUV_FUZZ_CHECK(y == 1 + (k / F.X()) % F.Y());
    NUV_FUZZ_CHECK(z == 1 + (k / (std::int64_t{F.X()} * F.Y())) % F.Z());
    NUV_FUZZ_CHECK(i == 1 + k / volume && i <= r.Count);
    NUV_FUZZ_CHECK(first < F.Values() - k && SameValue(v, F.Value(first + k)));
  });
  try {
    m.ReadBinary(Path, P.Start, P.End);
    NUV_FUZZ_CHECK(r.Count > 0 && seen == Mul(volume, r.Count));
  } catch (const ENUVMatrixError& e) {
    NUV_FUZZ_CHECK(F.Size >= 4096 && r.Count == 0 && HasTail(e.what(), kSlotMsg) && seen == 0);
  } catch (const EInOutError&) {
    // Stops at the first missing record: everything the file holds was delivered, unless
    // the header claims more values than 64 bits number (refused before any is read).
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const bool unnumbered = first == kMax || Mul(volume, r.Count) == kMax;
    NUV_FUZZ_CHECK(F.Size < 4096 || volume < 0 ||
                   seen == (unnumbered ? 0 : std::max<std::int64_t>(0, F.Values() - first)));
  }
}

std::vector<double> Cells(const TMat4D& M) {
  std::vector<double> out;
  for (Integer t = 1; t <= M.NrOfTimeSlots(); ++t)
    for (Integer z = 1; z <= M.NrOfLayers(); ++z)
      for (Integer y = 1; y <= M.NrOfRows(); ++y)
        for (Integer x = 1; x <= M.NrOfColumns(); ++x) out.push_back(M.GetVal(x, y, z, t));
  return out;
}

bool SameCells(const std::vector<double>& A, const std::vector<double>& B) {
  if (A.size() != B.size()) return false;
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (!SameValue(A[i], B[i])) return false;
  }
  return true;
}

// Saves M, loads the file into a fresh array and compares; the identifier's bytes survive.
void RoundTrip(const TFile& F, TMat4D& M) {
  TScratchFile out("mat4d_back.bin");
  M.SaveBinary(out.Path(), 0, 0);
  const auto bytes = out.Read();
  const std::int64_t total = static_cast<std::int64_t>(Cells(M).size());
  NUV_FUZZ_CHECK(static_cast<std::int64_t>(bytes.size()) ==
                 4096 * (1 + std::max<std::int64_t>(1, (total + 511) / 512)));
  NUV_FUZZ_CHECK(bytes[16] == F.Data[16]);
  NUV_FUZZ_CHECK(std::equal(bytes.begin() + 17, bytes.begin() + 17 + bytes[16], F.Data + 17));
  NUV_FUZZ_CHECK(std::all_of(bytes.begin() + 17 + bytes[16], bytes.begin() + 4096,
                             [](std::uint8_t b) { return b == 0; }));
  TMat4D back(nullptr);
  back.LoadBinary(out.Path(), 0, 0);
  NUV_FUZZ_CHECK(back.DataID() == M.DataID());
  NUV_FUZZ_CHECK(SameCells(Cells(back), Cells(M)));
  NUV_FUZZ_CHECK(back.NrOfColumns() == M.NrOfColumns() && back.NrOfRows() == M.NrOfRows() &&
                 back.NrOfLayers() == M.NrOfLayers() && back.NrOfTimeSlots() == M.NrOfTimeSlots());
}

void CheckLoadBinary(const TFile& F, const std::string& Path, const TParams& P) {
  TMat4D m(nullptr);
  m.Resize(2, 1, 1, 1);
  m.SetVal(1, 1, 1, 1, 1.25);
  m.SetVal(2, 1, 1, 1, -3.5);
  m.SetDataID("keep");
  int changes = 0;
  m.SetOnChange([&](TObject*) { ++changes; });
  const auto before = Cells(m);
  const TRange r = Choose(P.Start, P.End, F.Count());
  try {
    m.LoadBinary(Path, P.Start, P.End);
  } catch (const ENUVMatrixError& e) {
    NUV_FUZZ_CHECK(HasTail(e.what(), r.Count == 0 ? kSlotMsg : kMemMsg));
    NUV_FUZZ_CHECK(changes == 0 && m.DataID() == "keep" && SameCells(Cells(m), before));
    return;
  } catch (const EInOutError&) {
    NUV_FUZZ_CHECK(F.Size < 4096);
    return;
  }
  // Loaded: the sizes are the file's, no larger than the values it holds.
  const std::int64_t volume = F.Volume();
  NUV_FUZZ_CHECK(r.Count > 0 && volume > 0 && changes <= 1);
  NUV_FUZZ_CHECK(m.NrOfColumns() == F.X() && m.NrOfRows() == F.Y() && m.NrOfLayers() == F.Z() &&
                 m.NrOfTimeSlots() == r.Count);
  const auto cells = Cells(m);
  const std::int64_t first = (r.Start - 1) * volume;
  NUV_FUZZ_CHECK(first + static_cast<std::int64_t>(cells.size()) <= F.Values());
  for (std::size_t k = 0; k < cells.size(); ++k) {
    NUV_FUZZ_CHECK(SameValue(cells[k], F.Value(first + static_cast<std::int64_t>(k))));
  }
  RoundTrip(F, m);
}

void CheckReadLayer(const TFile& F, const std::string& Path, const TParams& P) {
  const std::int64_t plane = std::int64_t{F.X()} * F.Y();
  auto layerValue = [&](Integer x, Integer y) {
    const std::int64_t k = ((std::int64_t{P.Slot} - 1) * F.Z() + (P.Layer - 1)) * plane +
                           std::int64_t{y - 1} * F.X() + (x - 1);
    NUV_FUZZ_CHECK(k < F.Values());
    return F.Value(k);
  };
  const bool slotOk = P.Slot >= 1 && P.Slot <= F.Count();
  const bool layerOk = P.Layer >= 1 && P.Layer <= F.Z();
  auto expectMatrixError = [&](const char* What, bool SelfSlot, bool SelfLayer) {
    NUV_FUZZ_CHECK(F.Size >= 4096);
    if (!slotOk) return HasTail(What, kSlotMsg);
    if (!layerOk) return HasTail(What, kLayerMsg);
    if (!SelfLayer) return HasTail(What, kLayerMsg);
    return !SelfSlot && HasTail(What, kSlotMsg);
  };

  TMat4D m(nullptr);
  TDouble2DArray data(1, TDoubleArray(1, 42.0));
  try {
    m.ReadLayer(Path, P.Layer, P.Slot, data);
    NUV_FUZZ_CHECK(slotOk && layerOk && plane >= 1 && plane <= F.Values());
    NUV_FUZZ_CHECK(data.size() == static_cast<std::size_t>(F.X()));
    for (Integer x = 1; x <= F.X(); ++x) {
      NUV_FUZZ_CHECK(data[static_cast<std::size_t>(x - 1)].size() ==
                     static_cast<std::size_t>(F.Y()));
      for (Integer y = 1; y <= F.Y(); ++y) {
        NUV_FUZZ_CHECK(
            SameValue(data[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)],
                      layerValue(x, y)));
      }
    }
  } catch (const ENUVMatrixError& e) {
    NUV_FUZZ_CHECK(expectMatrixError(e.what(), true, true));
    NUV_FUZZ_CHECK(data.size() == 1 && data[0].size() == 1 && data[0][0] == 42.0);
  } catch (const EInOutError&) {
    NUV_FUZZ_CHECK(data.size() == 1 && data[0].size() == 1 && data[0][0] == 42.0);
    NUV_FUZZ_CHECK(F.Size < 4096 || (slotOk && layerOk));
  }

  // Into an array of 3 columns, 2 rows, 2 layers and 2 slots: what fits is stored.
  TMat4D s(nullptr);
  s.Resize(3, 2, 2, 2);
  s.Fill(7.0);
  int changes = 0;
  s.SetOnChange([&](TObject*) { ++changes; });
  bool stored = false;
  try {
    s.ReadLayer(Path, P.Layer, P.Slot);
    stored = true;
    NUV_FUZZ_CHECK(slotOk && layerOk && P.Layer <= 2 && P.Slot <= 2);
  } catch (const ENUVMatrixError& e) {
    NUV_FUZZ_CHECK(expectMatrixError(e.what(), P.Slot <= 2, P.Layer <= 2));
  } catch (const EInOutError&) {
    NUV_FUZZ_CHECK(F.Size < 4096 || (slotOk && layerOk));
  }
  NUV_FUZZ_CHECK(changes == 0);
  for (Integer t = 1; t <= 2; ++t)
    for (Integer z = 1; z <= 2; ++z)
      for (Integer y = 1; y <= 2; ++y)
        for (Integer x = 1; x <= 3; ++x) {
          const bool inLayer = stored && z == P.Layer && t == P.Slot && x <= F.X() && y <= F.Y();
          NUV_FUZZ_CHECK(SameValue(s.GetVal(x, y, z, t), inLayer ? layerValue(x, y) : 7.0));
        }
}

void CheckAppend(const TFile& F, const TScratchFile& File, const TParams& P) {
  TMat4D a(nullptr);
  const bool fits =
      F.X() >= 1 && F.X() <= 4 && F.Y() >= 1 && F.Y() <= 4 && F.Z() >= 1 && F.Z() <= 4;
  if (fits) {
    a.Resize(F.X(), F.Y(), F.Z(), 3);
  } else {
    a.Resize(2, 2, 2, 3);
  }
  for (Integer t = 1; t <= 3; ++t)
    for (Integer z = 1; z <= a.NrOfLayers(); ++z)
      for (Integer y = 1; y <= a.NrOfRows(); ++y)
        for (Integer x = 1; x <= a.NrOfColumns(); ++x)
          a.SetVal(x, y, z, t, x + 10.0 * y + 100.0 * z + 1000.0 * t);
  const TRange r = Choose(P.Start, P.End, 3);
  try {
    a.AppendToBinaryFile(File.Path(), P.Start, P.End);
  } catch (const ENUVMatrixError& e) {
    NUV_FUZZ_CHECK(HasTail(e.what(), kXYZMsg) || HasTail(e.what(), kSlotMsg));
    NUV_FUZZ_CHECK(File.Read() == std::vector<std::uint8_t>(F.Data, F.Data + F.Size));
    return;
  } catch (const EInOutError&) {
    NUV_FUZZ_CHECK(File.Read() == std::vector<std::uint8_t>(F.Data, F.Data + F.Size));
    return;
  }
  NUV_FUZZ_CHECK(fits && r.Count > 0 && F.Count() >= 0);
  const auto after = File.Read();
  const std::int64_t volume = F.Volume();
  const std::int64_t stored = volume * F.Count();
  const std::int64_t total = stored + volume * r.Count;
  const std::size_t needed = 4096u * static_cast<std::size_t>(1 + (total + 511) / 512);
  NUV_FUZZ_CHECK(after.size() == std::max(needed, F.Size));
  // Record 0 as it was but for the count; the stored values untouched; then the new ones,
  // and zeros after them in the last page.
  const TFile A{after.data(), after.size()};
  NUV_FUZZ_CHECK(A.Count() == F.Count() + r.Count);
  NUV_FUZZ_CHECK(std::equal(F.Data, F.Data + 12, after.begin()));
  NUV_FUZZ_CHECK(std::equal(F.Data + 16, F.Data + 4096, after.begin() + 16));
  NUV_FUZZ_CHECK(std::equal(F.Data + 4096, F.Data + 4096 + 8 * stored, after.begin() + 4096));
  std::int64_t k = stored;
  for (Integer t = static_cast<Integer>(r.Start); t < r.Start + r.Count; ++t)
    for (Integer z = 1; z <= F.Z(); ++z)
      for (Integer y = 1; y <= F.Y(); ++y)
        for (Integer x = 1; x <= F.X(); ++x)
          NUV_FUZZ_CHECK(SameValue(A.Value(k++), a.GetVal(x, y, z, t)));
  for (; k % 512 != 0; ++k) NUV_FUZZ_CHECK(SameValue(A.Value(k), 0.0));
  // The appended slots read back.
  TMat4D back(nullptr);
  back.LoadBinary(File.Path(), F.Count() + 1, F.Count() + static_cast<Integer>(r.Count));
  NUV_FUZZ_CHECK(back.NrOfTimeSlots() == r.Count);
  for (Integer t = 1; t <= r.Count; ++t)
    for (Integer z = 1; z <= F.Z(); ++z)
      for (Integer y = 1; y <= F.Y(); ++y)
        for (Integer x = 1; x <= F.X(); ++x)
          NUV_FUZZ_CHECK(SameValue(back.GetVal(x, y, z, t),
                                   a.GetVal(x, y, z, t + static_cast<Integer>(r.Start) - 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const TFile f{Data, Size};
  const TScratchFile file("mat4d.bin", Data, Size);
  // Parameters where they do not change how the file reads; layer and slot 0 there mean 1.
  const TParams p{f.Int(4080), f.Int(4084),
                  static_cast<std::int32_t>(static_cast<std::uint32_t>(f.Int(4088)) + 1u),
                  static_cast<std::int32_t>(static_cast<std::uint32_t>(f.Int(4092)) + 1u)};
  CheckHeader(f, file.Path());
  CheckReadBinary(f, file.Path(), p);
  CheckLoadBinary(f, file.Path(), p);
  CheckReadLayer(f, file.Path(), p);
  CheckAppend(f, file, p);  // last: it may change the file
  return 0;
}
