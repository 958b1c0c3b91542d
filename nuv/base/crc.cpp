#include "nuv/base/crc.hpp"

namespace nuv {
namespace {

constexpr std::array<Cardinal, 256> MakeTable() {
  std::array<Cardinal, 256> t{};
  for (Cardinal i = 0; i < 256; ++i) {
    Cardinal c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    t[i] = c;
  }
  return t;
}

constexpr std::array<Cardinal, 256> kTable = MakeTable();

}  // namespace

Cardinal CalcNextCRC32(Byte B, Cardinal Crc) {
  return kTable[(Crc ^ B) & 0xFFu] ^ (Crc >> 8);
}

namespace detail {

std::string Hex8(Cardinal V) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i) {
    s[static_cast<std::size_t>(i)] = kDigits[V & 0xFu];
    V >>= 4;
  }
  return s;
}

}  // namespace detail
}  // namespace nuv
