#pragma once
// Binary streams: an abstract TStream, a growable TMemoryStream and a file-backed TFileStream.

#include <cstdio>
#include <string>
#include <vector>

#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

enum TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

/// A sequence of bytes with a read/write position.
class TStream : public TObject {
 public:
  /// Reads up to Count bytes into Buffer; returns the number read (fewer at the end).
  virtual Int64 Read(void* Buffer, Int64 Count) = 0;
  /// Writes Count bytes; returns the number written.
  virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
  /// Moves the position; returns the new position. Positions below 0 become 0.
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;
  /// Number of bytes in the stream.
  virtual Int64 Size() = 0;
  /// Truncates or extends (with zero bytes) the stream to NewSize bytes (below 0: 0).
  virtual void SetSize(Int64 NewSize) = 0;

  /// Current position in bytes from the start.
  Int64 Position() { return Seek(0, soCurrent); }
  /// Moves to byte Pos from the start (below 0: 0).
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  /// Reads exactly Count bytes or raises EStreamError "Stream read error".
  void ReadBuffer(void* Buffer, Int64 Count);
  /// Writes exactly Count bytes or raises EStreamError "Stream write error".
  void WriteBuffer(const void* Buffer, Int64 Count);
  /// Copies Count bytes from Source (the rest of Source when Count <= 0); returns bytes copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);
};

/// A stream held in memory; writing past the end grows it.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return static_cast<Int64>(FData.size()); }
  void SetSize(Int64 NewSize) override;

  /// Empties the stream and resets the position.
  void Clear();
  /// The stream's bytes (Size() of them).
  const Byte* Memory() const noexcept { return FData.data(); }
  Byte* Memory() noexcept { return FData.data(); }
  /// Writes the whole stream to FileName; EInOutError or EStreamError when that fails.
  void SaveToFile(const std::string& FileName);
  /// Replaces the contents by the bytes of FileName and moves to the start; EInOutError or
  /// EStreamError when that fails (the stream is then unchanged).
  void LoadFromFile(const std::string& FileName);

 private:
  std::vector<Byte> FData;
  Int64 FPosition = 0;
};

enum TFileMode : std::uint8_t { fmCreate, fmOpenRead, fmOpenWrite, fmOpenReadWrite };

/// A stream over a file. fmCreate creates or truncates; the open modes need an existing file.
/// Raises EInOutError "Cannot open file \"<name>\"" when the file cannot be opened or is a
/// directory.
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& FileName, TFileMode Mode);
  ~TFileStream() override;
  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override;
  void SetSize(Int64 NewSize) override;
  const std::string& FileName() const noexcept { return FFileName; }

 private:
  enum TLastOp : std::uint8_t { kNone, kRead, kWrite };
  std::string FFileName;
  std::FILE* FFile = nullptr;
  TLastOp FLastOp = kNone;
};

}  // namespace nuv
