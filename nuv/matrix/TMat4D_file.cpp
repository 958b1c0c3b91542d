// The paged binary file of TMat4D: record 0 holds the sizes and the identifier, records 1 on
// hold the values, 512 little-endian doubles per 4096-byte record, column fastest.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <string>

#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/rounding.hpp"

namespace nuv {
namespace {

static_assert(std::endian::native == std::endian::little, "the file holds little-endian values");

constexpr std::size_t kRecordBytes = 4096;
constexpr std::int64_t kPerRecord = 512;
// The slot count is stored in 32 bits; element and record numbers are 64-bit.
constexpr std::int64_t kMaxSlots = 2147483647;

using TRecord = std::array<unsigned char, kRecordBytes>;

// ---- identifier in the ANSI code page (Windows-1252) ----

// Code points of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves free map to the C1
// controls of the same number, so every byte converts back and forth.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToCodePoint(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : static_cast<char32_t>(b);
}

unsigned char CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

// UTF-8 text to Windows-1252 bytes; characters it lacks and malformed bytes become '?'.
std::string ToAnsi(const std::string& Text) {
  std::string out;
  std::size_t i = 0;
  while (i < Text.size()) {
    const auto b = static_cast<unsigned char>(Text[i]);
    int extra = 0;
    char32_t cp = b;
    if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      cp = b & 0x07;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0x80) {
      extra = -1;
    }
    std::size_t used = 1;
    for (int k = 1; extra > 0 && k <= extra; ++k) {
      if (i + static_cast<std::size_t>(k) >= Text.size()) {
        extra = -1;
        break;
      }
      const auto c = static_cast<unsigned char>(Text[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) {
        extra = -1;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
      ++used;
    }
    if (extra < 0) {
      out += '?';
      i += used;
    } else {
      out += static_cast<char>(CodePointToCp1252(cp));
      i += used;
    }
  }
  return out;
}

// Windows-1252 bytes to UTF-8.
std::string FromAnsi(const unsigned char* Bytes, std::size_t Count) {
  std::string out;
  for (std::size_t i = 0; i < Count; ++i) {
    const char32_t cp = Cp1252ToCodePoint(Bytes[i]);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// ---- records ----

void PutInt32(TRecord& R, std::size_t At, Integer V) {
  const auto u = static_cast<std::uint32_t>(V);
  for (std::size_t k = 0; k < 4; ++k) R[At + k] = static_cast<unsigned char>(u >> (8 * k));
}

Integer GetInt32(const TRecord& R, std::size_t At) {
  std::uint32_t u = 0;
  for (std::size_t k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(R[At + k]) << (8 * k);
  return static_cast<Integer>(u);
}

struct THeader {
  Integer X = 0;
  Integer Y = 0;
  Integer Z = 0;
  Integer Count = 0;
  std::string ID;
  TRecord Raw{};  // the record as read, so that a rewrite keeps the bytes it does not set
};

THeader DecodeHeader(const TRecord& R) {
  THeader h;
  h.X = GetInt32(R, 0);
  h.Y = GetInt32(R, 4);
  h.Z = GetInt32(R, 8);
  h.Count = GetInt32(R, 12);
  h.ID = FromAnsi(R.data() + 17, R[16]);
  h.Raw = R;
  return h;
}

// A·B, or -1 when either is negative or the product leaves 64 bits (a file could not hold it
// anyway, so callers treat -1 as a file too short).
std::int64_t Product(std::int64_t A, std::int64_t B) {
  std::int64_t r = 0;
  if (A < 0 || B < 0 || __builtin_mul_overflow(A, B, &r)) return -1;
  return r;
}

// Values in one stored slot, X·Y·Z; -1 when a size is below 1 or the product overflows.
std::int64_t VolumeOf(const THeader& H) {
  if (H.X < 1 || H.Y < 1 || H.Z < 1) return -1;
  return Product(Product(H.X, H.Y), H.Z);
}

// A file of 4096-byte records. Every failure raises EInOutError; the file is closed on every
// exit, and a close that fails to flush written records raises too.
class TRecordFile {
 public:
  enum TMode : std::uint8_t { kCreate, kRead, kUpdate };

  TRecordFile(const std::string& Name, TMode Mode) : FPath(Name) {
    const char* how = Mode == kCreate ? "wb" : (Mode == kRead ? "rb" : "r+b");
    FFile = std::fopen(Name.c_str(), how);
    if (FFile == nullptr) Fail("Cannot open file \"");
    struct stat info {};
    if (fstat(fileno(FFile), &info) != 0 || S_ISDIR(info.st_mode)) {
      // A directory opens for reading on POSIX but holds no records.
      std::fclose(FFile);
      FFile = nullptr;
      Fail("Cannot open file \"");
    }
    FBytes = static_cast<std::int64_t>(info.st_size);
  }
  ~TRecordFile() {
    if (FFile != nullptr) std::fclose(FFile);
  }
  TRecordFile(const TRecordFile&) = delete;
  TRecordFile& operator=(const TRecordFile&) = delete;

  // Whole records present when the file was opened.
  std::int64_t Records() const noexcept { return FBytes / static_cast<std::int64_t>(kRecordBytes); }
  void Seek(std::int64_t Record) {
    // A record past every byte offset lies beyond the end of any file.
    if (Record < 0 || Record > std::numeric_limits<std::int64_t>::max() /
                                   static_cast<std::int64_t>(kRecordBytes)) {
      Fail("Read beyond end of file \"");
    }
    if (fseeko(FFile, static_cast<off_t>(Record * static_cast<std::int64_t>(kRecordBytes)),
               SEEK_SET) != 0) {
      Fail("Cannot seek in file \"");
    }
  }
  void Read(TRecord& R) {
    if (std::fread(R.data(), 1, kRecordBytes, FFile) != kRecordBytes) {
      Fail("Read beyond end of file \"");
    }
  }
  void Write(const TRecord& R) {
    if (std::fwrite(R.data(), 1, kRecordBytes, FFile) != kRecordBytes) {
      Fail("Cannot write file \"");
    }
  }
  void Close() {
    std::FILE* f = FFile;
    FFile = nullptr;
    if (std::fclose(f) != 0) Fail("Cannot write file \"");
  }
  [[noreturn]] void Fail(const char* What) const {
    throw EInOutError(std::string(What) + FPath + "\"");
  }
  THeader ReadHeader() {
    TRecord r;
    Seek(0);
    Read(r);
    return DecodeHeader(r);
  }

 private:
  std::string FPath;
  std::FILE* FFile = nullptr;
  std::int64_t FBytes = 0;
};

// Values taken one page at a time from consecutive records, starting at value K of the file.
class TPageReader {
 public:
  TPageReader(TRecordFile& File, std::int64_t K)
      : FFile(File), FRecord(1 + K / kPerRecord), FPos(K % kPerRecord) {
    File.Seek(FRecord);
    File.Read(FPage);
  }
  // Copies the next Count values to Dest.
  void Take(double* Dest, std::int64_t Count) {
    while (Count > 0) {
      if (FPos == kPerRecord) {
        FFile.Read(FPage);
        ++FRecord;
        FPos = 0;
      }
      const std::int64_t n = std::min(Count, kPerRecord - FPos);
      std::memcpy(Dest, FPage.data() + FPos * 8, static_cast<std::size_t>(n) * 8);
      FPos += n;
      Dest += n;
      Count -= n;
    }
  }
  double Next() {
    double v = 0.0;
    Take(&v, 1);
    return v;
  }
  // Passes over the next Count values. The page holding the value after them is read only
  // when that value is taken, so skipping up to the end of the file reads nothing beyond it.
  void Skip(std::int64_t Count) {
    const std::int64_t ahead = FPos + Count;
    if (ahead <= kPerRecord) {
      FPos = ahead;
      return;
    }
    const std::int64_t records = (ahead - 1) / kPerRecord;
    FRecord += records;
    FPos = ahead - records * kPerRecord;
    FFile.Seek(FRecord);
    FFile.Read(FPage);
  }

 private:
  TRecordFile& FFile;
  TRecord FPage{};
  std::int64_t FRecord;
  std::int64_t FPos;
};

// Values written one page at a time; a page is written when it is full and another value
// arrives, and once more by Finish, with the unused tail set to zero.
class TPageWriter {
 public:
  TPageWriter(TRecordFile& File, const TRecord& Start, std::int64_t Fill)
      : FFile(File), FPage(Start), FFill(Fill) {}
  void Put(const double* Src, std::int64_t Count) {
    while (Count > 0) {
      if (FFill == kPerRecord) {
        FFile.Write(FPage);
        FFill = 0;
      }
      const std::int64_t n = std::min(Count, kPerRecord - FFill);
      std::memcpy(FPage.data() + FFill * 8, Src, static_cast<std::size_t>(n) * 8);
      FFill += n;
      Src += n;
      Count -= n;
    }
  }
  void Finish() {
    std::fill(FPage.begin() + FFill * 8, FPage.end(), static_cast<unsigned char>(0));
    FFile.Write(FPage);
  }

 private:
  TRecordFile& FFile;
  TRecord FPage;
  std::int64_t FFill;
};

// Progress in percent: PercDone whenever the number of values handled reaches a multiple of
// max(1, Total div 100).
class TProgress {
 public:
  TProgress(std::int64_t Total, std::function<void(Integer)> Report)
      : FTotal(Total), FStep(std::max<std::int64_t>(1, Total / 100)), FReport(std::move(Report)) {}
  void Add(std::int64_t Count) {
    const std::int64_t end = FCount + Count;
    for (std::int64_t m = (FCount / FStep + 1) * FStep; m <= end; m += FStep) {
      FReport(static_cast<Integer>(
          Round(static_cast<double>(m) * 100.0 / static_cast<double>(FTotal))));
    }
    FCount = end;
  }

 private:
  std::int64_t FTotal;
  std::int64_t FStep;
  std::function<void(Integer)> FReport;
  std::int64_t FCount = 0;
};

struct TSlots {
  Integer Start;
  Integer Count;  // at least 1
};

// Slots TSlotStart..TSlotEnd of N: a bound below 1 chooses all; a start beyond N, or a range
// that holds no slot (reversed, or N below 1), raises before anything is touched.
TSlots ChooseSlots(const TComponent* Self, Integer TSlotStart, Integer TSlotEnd, Integer N) {
  auto raise = [Self] {
    detail::RaiseComponent<ENUVMatrixError>(Self, "specified time slot beyond data range");
  };
  if (TSlotStart > N) raise();
  TSlots slots{1, N};
  if (TSlotStart >= 1 && TSlotEnd >= 1)
    slots = {TSlotStart, std::min(TSlotEnd, N) - TSlotStart + 1};
  if (slots.Count < 1) raise();
  return slots;
}

// Whether the file holds the records of values K..K+Count-1, and at least one data record.
// Negative arguments (overflowed arithmetic) count as a file too short.
bool HoldsValues(const TRecordFile& File, std::int64_t K, std::int64_t Count) {
  if (K < 0 || Count < 0 || K > std::numeric_limits<std::int64_t>::max() - Count) return false;
  const std::int64_t end = K + Count;  // one past the last value
  const std::int64_t records = 1 + std::max<std::int64_t>(1, (end + kPerRecord - 1) / kPerRecord);
  return File.Records() >= records;
}

}  // namespace

void TMat4D::SaveBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd) {
  // OnPercentDone runs while the values are written from the store.
  const detail::TUseGuard use(this);
  const TSlots slots = ChooseSlots(this, TSlotStart, TSlotEnd, FNumT);
  const auto volume = static_cast<std::int64_t>(VolumeCells());
  const std::int64_t total = volume * slots.Count;
  TRecordFile file(FileName, TRecordFile::kCreate);
  TRecord header{};
  PutInt32(header, 0, FNumX);
  PutInt32(header, 4, FNumY);
  PutInt32(header, 8, FNumZ);
  PutInt32(header, 12, slots.Count);
  const std::string id = ToAnsi(FDataID).substr(0, 255);
  header[16] = static_cast<unsigned char>(id.size());
  std::memcpy(header.data() + 17, id.data(), id.size());
  file.Write(header);
  TProgress progress(total, [this](Integer p) { PercDone(this, p); });
  TPageWriter writer(file, TRecord{}, 0);
  const double* src =
      FData.data() + static_cast<std::size_t>(slots.Start - 1) * static_cast<std::size_t>(volume);
  for (std::int64_t done = 0; done < total;) {
    const std::int64_t n = std::min<std::int64_t>(kPerRecord, total - done);
    writer.Put(src + done, n);
    done += n;
    progress.Add(n);
  }
  writer.Finish();
  file.Close();
}

void TMat4D::AppendToBinaryFile(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd) {
  const detail::TUseGuard use(this);
  TRecordFile file(FileName, TRecordFile::kUpdate);
  THeader h = file.ReadHeader();
  if (h.X != FNumX || h.Y != FNumY || h.Z != FNumZ) Raise("X,Y,Z of matrices do not match");
  const TSlots slots = ChooseSlots(this, TSlotStart, TSlotEnd, FNumT);
  if (h.Count < 0) file.Fail("Invalid header in file \"");
  // The stored count is 32-bit: it must take the new slots.
  if (std::int64_t{h.Count} + slots.Count > kMaxSlots) {
    Raise("specified time slot beyond data range");
  }
  const std::int64_t volume = VolumeOf(h);
  const std::int64_t stored = Product(volume, h.Count);
  // The stored values must all be there: the page they end in is completed, and no gap may
  // open between them and the new ones.
  if (!HoldsValues(file, 0, stored)) file.Fail("Read beyond end of file \"");
  const std::int64_t record = 1 + stored / kPerRecord;
  const std::int64_t pos = stored % kPerRecord;
  TRecord page{};
  if (pos > 0) {
    file.Seek(record);
    file.Read(page);
  }
  const std::int64_t total = volume * slots.Count;
  TProgress progress(total, [this](Integer p) { PercDone(this, p); });
  file.Seek(record);
  TPageWriter writer(file, page, pos);
  const double* src =
      FData.data() + static_cast<std::size_t>(slots.Start - 1) * static_cast<std::size_t>(volume);
  for (std::int64_t done = 0; done < total;) {
    const std::int64_t n = std::min<std::int64_t>(kPerRecord, total - done);
    writer.Put(src + done, n);
    done += n;
    progress.Add(n);
  }
  writer.Finish();
  // The count goes in last: a failure while writing the values leaves the old file readable.
  PutInt32(h.Raw, 12, h.Count + slots.Count);
  file.Seek(0);
  file.Write(h.Raw);
  file.Close();
}

bool TMat4D::ReadBinaryHeader(const std::string& FileName, Integer& NrColumns, Integer& NrRows,
                              Integer& NrLayers, Integer& NrTimeSlots, std::string& DataID) {
  TRecordFile file(FileName, TRecordFile::kRead);
  const THeader h = file.ReadHeader();
  file.Close();
  NrColumns = h.X;
  NrRows = h.Y;
  NrLayers = h.Z;
  NrTimeSlots = h.Count;
  DataID = h.ID;
  return NrLayers >= 1 && NrTimeSlots >= 1;
}

void TMat4D::ReadBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd) {
  TRecordFile file(FileName, TRecordFile::kRead);
  const THeader h = file.ReadHeader();
  const TSlots slots = ChooseSlots(this, TSlotStart, TSlotEnd, h.Count);
  const std::int64_t volume = VolumeOf(h);
  if (volume < 0) file.Fail("Invalid header in file \"");
  // Values are delivered as they are read; a file cut short fails at its first missing record.
  const std::int64_t first = Product(slots.Start - 1, volume);
  const std::int64_t total = Product(volume, slots.Count);
  if (first < 0 || total < 0) file.Fail("Read beyond end of file \"");
  TPageReader reader(file, first);
  TProgress progress(total, [this](Integer p) { PercDone(this, p); });
  for (Integer i = 1; i <= slots.Count; ++i) {
    for (Integer z = 1; z <= h.Z; ++z) {
      for (Integer y = 1; y <= h.Y; ++y) {
        for (Integer x = 1; x <= h.X; ++x) {
          ReadElement(this, x, y, z, i, reader.Next());
          progress.Add(1);
        }
      }
    }
  }
  file.Close();
}

void TMat4D::LoadBinary(const std::string& FileName, Integer TSlotStart, Integer TSlotEnd) {
  TRecordFile file(FileName, TRecordFile::kRead);
  const THeader h = file.ReadHeader();
  const TSlots slots = ChooseSlots(this, TSlotStart, TSlotEnd, h.Count);
  // Sizes that cannot be allocated, or a file too short to back them, fail as the resize
  // would, but before anything is allocated.
  const std::int64_t volume = VolumeOf(h);
  const std::int64_t first = Product(slots.Start - 1, volume);
  const std::int64_t total = Product(volume, slots.Count);
  if (volume < 0 || !HoldsValues(file, first, total)) Raise("cannot resize, memory low");
  // Held before the resize: its OnChange and OnPercentDone must not shrink the store that
  // the values are read into.
  const detail::TUseGuard use(this);
  const bool resized = h.X != FNumX || h.Y != FNumY || h.Z != FNumZ || slots.Count != FNumT;
  try {
    if (resized) {
      use.AllowResize(this);
      // Refused when a running call uses this array: the load fails as a failed resize does.
      if (!Resize(h.X, h.Y, h.Z, slots.Count)) Raise("cannot resize, memory low");
    }
    FDataID = h.ID;
    TPageReader reader(file, first);
    TProgress progress(total, [this](Integer p) { PercDone(this, p); });
    for (std::int64_t done = 0; done < total;) {
      const std::int64_t n = std::min<std::int64_t>(kPerRecord, total - done);
      reader.Take(FData.data() + done, n);
      done += n;
      progress.Add(n);
    }
    file.Close();
  } catch (const ENUVMatrixError&) {
    Raise("cannot resize, memory low");
  } catch (const EInOutError&) {
    Raise("cannot resize, memory low");
  } catch (const std::bad_alloc&) {
    Raise("cannot resize, memory low");
  }
}

namespace {

// Header of a file checked for a layer read: slot and layer in the file's range, sizes valid,
// the layer's records present. K is set to the number of the layer's first value.
THeader OpenLayer(const TComponent* Self, TRecordFile& File, Integer Layer, Integer TSlot,
                  std::int64_t& K) {
  THeader h = File.ReadHeader();
  if (TSlot < 1 || TSlot > h.Count) {
    detail::RaiseComponent<ENUVMatrixError>(Self, "specified time slot beyond data range");
  }
  if (Layer < 1 || Layer > h.Z) {
    detail::RaiseComponent<ENUVMatrixError>(Self, "specified layer beyond data range");
  }
  if (VolumeOf(h) < 0) File.Fail("Invalid header in file \"");
  const std::int64_t plane = std::int64_t{h.X} * h.Y;
  K = Product((std::int64_t{TSlot} - 1) * h.Z + (Layer - 1), plane);
  if (!HoldsValues(File, K, plane)) File.Fail("Read beyond end of file \"");
  return h;
}

}  // namespace

void TMat4D::ReadLayer(const std::string& FileName, Integer Layer, Integer TSlot) {
  // OnPercentDone runs while the layer is read into the store.
  const detail::TUseGuard use(this);
  TRecordFile file(FileName, TRecordFile::kRead);
  std::int64_t k = 0;
  const THeader h = OpenLayer(this, file, Layer, TSlot, k);
  // The layer goes to the same layer and slot here; columns and rows beyond this array's are
  // dropped.
  if (Layer > FNumZ) Raise("specified layer beyond data range");
  if (TSlot > FNumT) Raise("specified time slot beyond data range");
  const Integer keepX = std::min(h.X, FNumX);
  const Integer keepY = std::min(h.Y, FNumY);
  TPageReader reader(file, k);
  TProgress progress(std::int64_t{h.X} * h.Y, [this](Integer p) { PercDone(this, p); });
  for (Integer y = 1; y <= h.Y; ++y) {
    if (y <= keepY) {
      reader.Take(FData.data() + Index(1, y, Layer, TSlot), keepX);
      if (keepX < h.X) reader.Skip(h.X - keepX);
    }
    progress.Add(h.X);
  }
  file.Close();
}

void TMat4D::ReadLayer(const std::string& FileName, Integer Layer, Integer TSlot,
                       TDouble2DArray& Data) {
  TRecordFile file(FileName, TRecordFile::kRead);
  std::int64_t k = 0;
  const THeader h = OpenLayer(this, file, Layer, TSlot, k);
  const std::int64_t plane = std::int64_t{h.X} * h.Y;
  TDouble2DArray cells(static_cast<std::size_t>(h.X),
                       TDoubleArray(static_cast<std::size_t>(h.Y), 0.0));
  TPageReader reader(file, k);
  TProgress progress(plane, [this](Integer p) { PercDone(this, p); });
  for (Integer y = 0; y < h.Y; ++y) {
    for (Integer x = 0; x < h.X; ++x) {
      cells[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = reader.Next();
      progress.Add(1);
    }
  }
  file.Close();
  Data.swap(cells);
}

}  // namespace nuv
