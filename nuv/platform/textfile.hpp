#pragma once
// Plain text files: a writer of CRLF-terminated lines and a reader of whitespace-separated
// tokens and of lines. Reading never holds more than a bounded piece of the file in memory.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/types.hpp"

namespace nuv {

/// Result of one read from a TTextFileReader.
enum TTextReadStatus : std::uint8_t {
  trOk,         ///< a token (or a number) was read
  trNotNumber,  ///< a token was consumed but it is not a number of the asked kind
  trEndOfFile,  ///< nothing more to read
  trError       ///< the file could not be read
};

/// Reads a text file token by token. Tokens are separated by blanks, TAB, CR, LF, FF and VT.
class TTextFileReader {
 public:
  /// Longest token kept; a longer token is consumed whole but never parses as a number.
  static constexpr std::size_t kMaxToken = 512;

  TTextFileReader() = default;
  ~TTextFileReader();
  TTextFileReader(const TTextFileReader&) = delete;
  TTextFileReader& operator=(const TTextFileReader&) = delete;

  /// Opens FileName for reading (closing any file opened before); false when it cannot.
  bool Open(const std::string& FileName);
  /// Goes back to the start of the file; false when that fails or no file is open.
  bool Rewind();
  /// Closes the file (nothing when none is open).
  void Close() noexcept;
  /// Whether a file is open.
  bool IsOpen() const noexcept { return FFile != nullptr; }
  /// Bytes between the read position and the end of the file as it was when opened.
  Int64 BytesLeft() const noexcept { return FFileSize - FConsumed; }

  /// Next token, at most kMaxToken characters kept (Truncated tells when more were skipped).
  TTextReadStatus ReadToken(std::string& Token, bool& Truncated);
  /// Next token read as a number: decimal with optional sign, '.', exponent, or NaN/Inf in any
  /// letter case; '.' is the decimal separator whatever the C locale.
  TTextReadStatus ReadNumber(double& Value);
  /// Next token read as a 32-bit signed decimal integer (optional sign).
  TTextReadStatus ReadInteger(Integer& Value);
  /// Next piece of the current line, at most kMaxToken bytes, without CR or LF. LineEnded is
  /// true when the piece ends the line (at LF or at the end of the file). Returns trEndOfFile
  /// only when no byte is left at all.
  TTextReadStatus ReadLinePart(std::string& Part, bool& LineEnded);
  /// Next single character, whatever it is.
  TTextReadStatus ReadChar(char& Ch);

 private:
  // -1 at end of file, -2 on a read error.
  int Peek();
  void Advance() noexcept;
  bool Fill();

  std::FILE* FFile = nullptr;
  std::vector<char> FBuf;
  std::size_t FPos = 0;
  std::size_t FLen = 0;
  bool FError = false;
  Int64 FFileSize = 0;
  Int64 FConsumed = 0;
};

/// Writes a text file line by line; each line ends in CR LF.
class TTextFileWriter {
 public:
  TTextFileWriter() = default;
  ~TTextFileWriter();
  TTextFileWriter(const TTextFileWriter&) = delete;
  TTextFileWriter& operator=(const TTextFileWriter&) = delete;

  /// Creates FileName or truncates it; false when it cannot.
  bool Create(const std::string& FileName);
  /// Appends Line and CR LF; false when this or an earlier write failed.
  bool WriteLine(std::string_view Line);
  /// Closes the file; false when any write or the close itself failed.
  bool Close() noexcept;

 private:
  std::FILE* FFile = nullptr;
  bool FFailed = false;
};

}  // namespace nuv
