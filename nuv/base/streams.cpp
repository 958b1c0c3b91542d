#include "nuv/base/streams.hpp"

#include <bit>
#include <cstdint>

namespace nuv {
namespace {

template <class U>
void WriteLE(TStream* s, U v) {
  unsigned char b[sizeof(U)];
  for (std::size_t i = 0; i < sizeof(U); ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  s->WriteBuffer(b, sizeof(U));
}

template <class U>
bool ReadLE(TStream* s, U& v) {
  if (s == nullptr) return false;
  unsigned char b[sizeof(U)];
  if (s->Read(b, sizeof(U)) != static_cast<Int64>(sizeof(U))) {
    s->Seek(0, soEnd);
    return false;
  }
  U r = 0;
  for (std::size_t i = 0; i < sizeof(U); ++i) r |= static_cast<U>(b[i]) << (8 * i);
  v = r;
  return true;
}

}  // namespace

void WriteExtendedToStream(TStream* OutStream, Extended X) {
  if (OutStream == nullptr) return;
  WriteLE(OutStream, std::bit_cast<std::uint64_t>(static_cast<double>(X)));
}

void WriteLongintToStream(TStream* OutStream, Integer X) {
  if (OutStream == nullptr) return;
  WriteLE(OutStream, static_cast<std::uint32_t>(X));
}

bool ReadExtendedFromStream(TStream* InStream, Extended& X) {
  std::uint64_t bits = 0;
  if (!ReadLE(InStream, bits)) return false;
  X = static_cast<Extended>(std::bit_cast<double>(bits));
  return true;
}

bool ReadLongintFromStream(TStream* InStream, Integer& X) {
  std::uint32_t bits = 0;
  if (!ReadLE(InStream, bits)) return false;
  X = static_cast<Integer>(bits);
  return true;
}

}  // namespace nuv
