#include "nuv/platform/stream.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "nuv/platform/exceptions.hpp"

namespace nuv {

void TStream::ReadBuffer(void* Buffer, Int64 Count) {
  if (Count > 0 && Read(Buffer, Count) != Count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count) {
  if (Count > 0 && Write(Buffer, Count) != Count) throw EStreamError("Stream write error");
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Source == nullptr) return 0;
  if (Count <= 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  Byte chunk[65536];
  Int64 done = 0;
  while (done < Count) {
    const Int64 n = Source->Read(chunk, std::min<Int64>(Count - done, sizeof chunk));
    if (n <= 0) break;
    WriteBuffer(chunk, n);
    done += n;
  }
  return done;
}

Int64 TMemoryStream::Read(void* Buffer, Int64 Count) {
  if (Count <= 0 || FPosition >= Size()) return 0;
  const Int64 n = std::min(Count, Size() - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count) {
  if (Count <= 0) return 0;
  const Int64 end = FPosition + Count;
  if (end > Size()) FData.resize(static_cast<std::size_t>(end));
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<std::size_t>(Count));
  FPosition = end;
  return Count;
}

Int64 TMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  Int64 base = 0;
  if (Origin == soCurrent) base = FPosition;
  if (Origin == soEnd) base = Size();
  FPosition = std::max<Int64>(0, base + Offset);
  return FPosition;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  FData.resize(static_cast<std::size_t>(std::max<Int64>(0, NewSize)));
  FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Clear() {
  FData.clear();
  FPosition = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(FData.data(), Size());
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead);
  const Int64 n = f.Size();
  if (n < 0) throw EStreamError("Stream read error");  // not a seekable file
  std::vector<Byte> data(static_cast<std::size_t>(n));
  f.ReadBuffer(data.data(), n);
  FData.swap(data);
  FPosition = 0;
}

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : FFileName(FileName) {
  const char* how = "rb";
  switch (Mode) {
    case fmCreate:
      how = "w+b";
      break;
    case fmOpenRead:
      how = "rb";
      break;
    case fmOpenWrite:
    case fmOpenReadWrite:
      how = "r+b";
      break;
  }
  FFile = std::fopen(FileName.c_str(), how);
  if (FFile == nullptr) throw EInOutError("Cannot open file \"" + FileName + "\"");
  // A directory opens for reading on POSIX but has no bytes, and its reported size is
  // meaningless (up to 2^63 on some file systems).
  struct stat info {};
  if (fstat(fileno(FFile), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(FFile);
    FFile = nullptr;
    throw EInOutError("Cannot open file \"" + FileName + "\"");
  }
}

TFileStream::~TFileStream() {
  if (FFile != nullptr) std::fclose(FFile);
}

Int64 TFileStream::Read(void* Buffer, Int64 Count) {
  if (Count <= 0) return 0;
  if (FLastOp == kWrite) std::fseek(FFile, 0, SEEK_CUR);  // C streams need this on a switch
  FLastOp = kRead;
  return static_cast<Int64>(fread_unlocked(Buffer, 1, static_cast<std::size_t>(Count), FFile));
}

Int64 TFileStream::Write(const void* Buffer, Int64 Count) {
  if (Count <= 0) return 0;
  if (FLastOp == kRead) std::fseek(FFile, 0, SEEK_CUR);  // C streams need this on a switch
  FLastOp = kWrite;
  return static_cast<Int64>(fwrite_unlocked(Buffer, 1, static_cast<std::size_t>(Count), FFile));
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  if (Origin == soCurrent && Offset == 0) return static_cast<Int64>(ftello(FFile));
  Int64 base = 0;
  if (Origin == soCurrent) base = static_cast<Int64>(ftello(FFile));
  if (Origin == soEnd) base = Size();
  const Int64 target = std::max<Int64>(0, base + Offset);
  fseeko(FFile, static_cast<off_t>(target), SEEK_SET);
  FLastOp = kNone;
  return static_cast<Int64>(ftello(FFile));
}

Int64 TFileStream::Size() {
  const off_t here = ftello(FFile);
  fseeko(FFile, 0, SEEK_END);
  const off_t end = ftello(FFile);
  fseeko(FFile, here, SEEK_SET);
  FLastOp = kNone;
  return static_cast<Int64>(end);
}

void TFileStream::SetSize(Int64 NewSize) {
  std::fflush(FFile);
  if (ftruncate(fileno(FFile), static_cast<off_t>(std::max<Int64>(0, NewSize))) != 0) {
    throw EStreamError("Stream write error");
  }
  if (Position() > NewSize) Seek(NewSize, soBeginning);
}

}  // namespace nuv
