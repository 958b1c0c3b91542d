#pragma once
// Shared pieces of the fuzz targets: a broken promise aborts with the line that found it,
// and inputs that need a file get one per process, removed after each run.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace nuv::fuzz {

[[noreturn]] inline void Broken(const char* What, const char* File, int Line) {
  std::fprintf(stderr, "%s:%d: broken promise: %s\n", File, Line, What);
  std::abort();
}

#define NUV_FUZZ_CHECK(cond)                                     \
  do {                                                           \
    if (!(cond)) ::nuv::fuzz::Broken(#cond, __FILE__, __LINE__); \
  } while (0)

// Checking loops over large results need no coverage feedback of their own.
#if defined(__clang__)
#define NUV_FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define NUV_FUZZ_NO_COVERAGE
#endif

// A path in the temporary folder unique to this process and Stem.
inline std::string ScratchPath(const std::string& Stem) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/nuv_fuzz_" +
         std::to_string(static_cast<long>(getpid())) + "_" + Stem;
}

// A scratch file holding given bytes; removed when it goes out of scope.
class TScratchFile {
 public:
  explicit TScratchFile(const std::string& Stem) : FPath(ScratchPath(Stem)) {}
  TScratchFile(const std::string& Stem, const std::uint8_t* Data, std::size_t Size)
      : TScratchFile(Stem) {
    Write(Data, Size);
  }
  ~TScratchFile() { std::remove(FPath.c_str()); }
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  const std::string& Path() const noexcept { return FPath; }
  void Write(const std::uint8_t* Data, std::size_t Size) const {
    std::FILE* f = std::fopen(FPath.c_str(), "wb");
    NUV_FUZZ_CHECK(f != nullptr);
    NUV_FUZZ_CHECK(Size == 0 || std::fwrite(Data, 1, Size, f) == Size);
    NUV_FUZZ_CHECK(std::fclose(f) == 0);
  }
  std::vector<std::uint8_t> Read() const {
    std::ifstream in(FPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::string FPath;
};

// Bitwise equality, any NaN equal to any NaN.
inline bool SameValue(double A, double B) {
  if (std::isnan(A) || std::isnan(B)) return std::isnan(A) && std::isnan(B);
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  std::memcpy(&a, &A, 8);
  std::memcpy(&b, &B, 8);
  return a == b;
}

inline bool EndsWith(std::string_view Text, std::string_view Tail) {
  return Text.size() >= Tail.size() && Text.substr(Text.size() - Tail.size()) == Tail;
}

// The separators of the library's text reader.
inline bool IsTextSpace(unsigned char C) {
  return C == ' ' || C == '\t' || C == '\r' || C == '\n' || C == '\f' || C == '\v';
}

// Whitespace-separated tokens of Text with the offset just past each.
struct TToken {
  std::string_view Text;
  std::size_t End;
};
inline std::vector<TToken> Tokens(std::string_view Text) {
  std::vector<TToken> out;
  std::size_t i = 0;
  while (i < Text.size()) {
    while (i < Text.size() && IsTextSpace(static_cast<unsigned char>(Text[i]))) ++i;
    if (i == Text.size()) break;
    const std::size_t start = i;
    while (i < Text.size() && !IsTextSpace(static_cast<unsigned char>(Text[i]))) ++i;
    out.push_back({Text.substr(start, i - start), i});
  }
  return out;
}

// A 32-bit signed decimal integer with an optional sign, nothing else.
inline bool StrictInt(std::string_view T, std::int32_t& Value) {
  if (T.empty()) return false;
  bool negative = false;
  if (T[0] == '+' || T[0] == '-') {
    negative = T[0] == '-';
    T.remove_prefix(1);
  }
  if (T.empty()) return false;
  std::int64_t v = 0;
  for (char c : T) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  Value = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace nuv::fuzz
