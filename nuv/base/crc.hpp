#pragma once
// CRC-32 (reflected, polynomial 0xEDB88320) and the per-byte-lane data checksum of containers.

#include <array>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

#include "nuv/platform/types.hpp"

namespace nuv {

/// One CRC-32 step: feeds byte B into the running value Crc and returns the new value.
/// No initial value or final complement: callers start at 0xFFFFFFFF and complement at the end.
Cardinal CalcNextCRC32(Byte B, Cardinal Crc);

namespace detail {

constexpr std::array<Cardinal, 256> MakeCrc32Table() {
  std::array<Cardinal, 256> t{};
  for (Cardinal i = 0; i < 256; ++i) {
    Cardinal c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    t[i] = c;
  }
  return t;
}

/// Table of the reflected CRC-32 step.
inline constexpr std::array<Cardinal, 256> kCrc32Table = MakeCrc32Table();

/// The step of CalcNextCRC32, inline for loops over many bytes.
constexpr Cardinal Crc32Step(Byte B, Cardinal Crc) noexcept {
  return kCrc32Table[(Crc ^ B) & 0xFFu] ^ (Crc >> 8);
}

/// Eight upper-case hexadecimal digits of V.
std::string Hex8(Cardinal V);

/// Data checksum of a container: one CRC-32 lane per byte position of the element's
/// little-endian image (lane 1 = least significant byte), each started at all ones,
/// complemented at the end, written lane 1 first as eight upper-case hex digits each.
template <class T>
std::string LaneChecksum(std::span<const T> Elems) {
  static_assert(std::is_trivially_copyable_v<T>);
  constexpr std::size_t kLanes = sizeof(T);
  std::array<Cardinal, kLanes> lanes;
  lanes.fill(0xFFFFFFFFu);
  for (const T& e : Elems) {
    // Copy the bytes out of storage: loading through a floating register could alter them.
    unsigned char bytes[kLanes];
    std::memcpy(bytes, &e, kLanes);  // x86 is little-endian: bytes[0] is the low byte
    for (std::size_t k = 0; k < kLanes; ++k) lanes[k] = Crc32Step(bytes[k], lanes[k]);
  }
  std::string text;
  text.reserve(8 * kLanes);
  for (Cardinal lane : lanes) text += Hex8(~lane);
  return text;
}

}  // namespace detail
}  // namespace nuv
