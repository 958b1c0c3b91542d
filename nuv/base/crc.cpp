#include "nuv/base/crc.hpp"

namespace nuv {

Cardinal CalcNextCRC32(Byte B, Cardinal Crc) {
  return detail::Crc32Step(B, Crc);
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
