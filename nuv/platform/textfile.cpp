#include "nuv/platform/textfile.hpp"

#include <charconv>

#include "nuv/platform/format.hpp"

namespace nuv {
namespace {

constexpr std::size_t kBufferSize = 65536;

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

TTextFileReader::~TTextFileReader() {
  Close();
}

bool TTextFileReader::Open(const std::string& FileName) {
  Close();
  FFile = std::fopen(FileName.c_str(), "rb");
  if (FFile == nullptr) return false;
  FBuf.resize(kBufferSize);
  FFileSize = 0;
  if (std::fseek(FFile, 0, SEEK_END) == 0) {
    const long size = std::ftell(FFile);
    if (size > 0) FFileSize = size;
  }
  return Rewind();
}

bool TTextFileReader::Rewind() {
  if (FFile == nullptr) return false;
  FPos = FLen = 0;
  FConsumed = 0;
  FError = false;
  std::clearerr(FFile);
  return std::fseek(FFile, 0, SEEK_SET) == 0;
}

void TTextFileReader::Close() noexcept {
  if (FFile != nullptr) std::fclose(FFile);
  FFile = nullptr;
  FPos = FLen = 0;
}

bool TTextFileReader::Fill() {
  if (FFile == nullptr || FError) return false;
  FPos = 0;
  FLen = std::fread(FBuf.data(), 1, FBuf.size(), FFile);
  if (FLen == 0 && std::ferror(FFile)) FError = true;
  return FLen > 0;
}

int TTextFileReader::Peek() {
  if (FPos >= FLen && !Fill()) return FError ? -2 : -1;
  return static_cast<unsigned char>(FBuf[FPos]);
}

void TTextFileReader::Advance() noexcept {
  ++FPos;
  ++FConsumed;
}

TTextReadStatus TTextFileReader::ReadToken(std::string& Token, bool& Truncated) {
  Token.clear();
  Truncated = false;
  int c = Peek();
  while (c >= 0 && IsSpace(c)) {
    Advance();
    c = Peek();
  }
  if (c == -2) return trError;
  if (c == -1) return trEndOfFile;
  while (c >= 0 && !IsSpace(c)) {
    if (Token.size() < kMaxToken) {
      Token += static_cast<char>(c);
    } else {
      Truncated = true;
    }
    Advance();
    c = Peek();
  }
  return c == -2 ? trError : trOk;
}

TTextReadStatus TTextFileReader::ReadNumber(double& Value) {
  std::string token;
  bool truncated = false;
  const TTextReadStatus st = ReadToken(token, truncated);
  if (st != trOk) return st;
  double v = 0.0;
  if (truncated || !TryStrToFloat(token, v)) return trNotNumber;
  Value = v;
  return trOk;
}

TTextReadStatus TTextFileReader::ReadInteger(Integer& Value) {
  std::string token;
  bool truncated = false;
  const TTextReadStatus st = ReadToken(token, truncated);
  if (st != trOk) return st;
  std::string_view body(token);
  // from_chars takes a '-' but no '+': strip a '+' ourselves, and never let a second sign in.
  if (!body.empty() && body[0] == '+') {
    body.remove_prefix(1);
    if (!body.empty() && body[0] == '-') return trNotNumber;
  }
  if (truncated || body.empty() || body[0] == '+') return trNotNumber;
  Integer v = 0;
  const auto res = std::from_chars(body.data(), body.data() + body.size(), v, 10);
  if (res.ec != std::errc() || res.ptr != body.data() + body.size()) return trNotNumber;
  Value = v;
  return trOk;
}

TTextReadStatus TTextFileReader::ReadLinePart(std::string& Part, bool& LineEnded) {
  Part.clear();
  LineEnded = false;
  int c = Peek();
  if (c == -2) return trError;
  if (c == -1) return trEndOfFile;
  while (Part.size() < kMaxToken) {
    c = Peek();
    if (c == -2) return trError;
    if (c == -1) {
      LineEnded = true;
      break;
    }
    Advance();
    if (c == '\n') {
      LineEnded = true;
      break;
    }
    if (c != '\r') Part += static_cast<char>(c);
  }
  // A full piece that ends exactly at the end of the file still ends its line: no later call
  // would report it.
  if (!LineEnded) {
    c = Peek();
    if (c == -2) return trError;
    LineEnded = c == -1;
  }
  return trOk;
}

TTextReadStatus TTextFileReader::ReadChar(char& Ch) {
  const int c = Peek();
  if (c == -2) return trError;
  if (c == -1) return trEndOfFile;
  Advance();
  Ch = static_cast<char>(c);
  return trOk;
}

TTextFileWriter::~TTextFileWriter() {
  Close();
}

bool TTextFileWriter::Create(const std::string& FileName) {
  Close();
  FFailed = false;
  FFile = std::fopen(FileName.c_str(), "wb");
  return FFile != nullptr;
}

bool TTextFileWriter::WriteLine(std::string_view Line) {
  if (FFile == nullptr) FFailed = true;
  if (FFailed) return false;
  if (std::fwrite(Line.data(), 1, Line.size(), FFile) != Line.size() ||
      std::fwrite("\r\n", 1, 2, FFile) != 2) {
    FFailed = true;
  }
  return !FFailed;
}

bool TTextFileWriter::Close() noexcept {
  if (FFile == nullptr) return !FFailed;
  if (std::fflush(FFile) != 0) FFailed = true;
  if (std::fclose(FFile) != 0) FFailed = true;
  FFile = nullptr;
  return !FFailed;
}

}  // namespace nuv
