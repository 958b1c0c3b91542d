#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nuv/base/crc.hpp"

namespace nuv {
namespace {

// Bit-at-a-time CRC-32 (reflected 0xEDB88320), independent of the table the library uses.
Cardinal BitwiseCrc(const std::vector<unsigned char>& bytes) {
  Cardinal c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

TEST(CalcNextCRC32, StandardCheckValue) {
  Cardinal c = 0xFFFFFFFFu;
  for (char ch : std::string("123456789")) c = CalcNextCRC32(static_cast<Byte>(ch), c);
  EXPECT_EQ(~c, 0xCBF43926u);
}

TEST(LaneChecksum, EachLaneIsTheCrcOfOneBytePosition) {
  const std::vector<double> v{3.0, 4.0, -0.0, 1e-310};
  const std::string text = detail::LaneChecksum<double>(v);
  ASSERT_EQ(text.size(), 64u);
  for (std::size_t k = 0; k < 8; ++k) {
    std::vector<unsigned char> lane;
    for (double d : v) {
      unsigned char b[8];
      std::memcpy(b, &d, 8);
      lane.push_back(b[k]);
    }
    EXPECT_EQ(text.substr(8 * k, 8), detail::Hex8(BitwiseCrc(lane))) << "lane " << k + 1;
  }
}

TEST(LaneChecksum, KnownTexts) {
  // CRC-32 of a single zero byte is D202EF8D: a new vector of one 0.0 gives it eight times.
  EXPECT_EQ(detail::LaneChecksum<double>(std::vector<double>{0.0}),
            "D202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8DD202EF8D");
  EXPECT_EQ(detail::LaneChecksum<double>(std::vector<double>{3.0, 4.0}),
            "41D912FF41D912FF41D912FF41D912FF41D912FF41D912FF94B78893C77C1C6A");
  EXPECT_EQ(detail::LaneChecksum<Integer>(std::vector<Integer>{0}).size(), 32u);
  EXPECT_NE(detail::LaneChecksum<double>(std::vector<double>{-0.0}),
            detail::LaneChecksum<double>(std::vector<double>{0.0}));
}

}  // namespace
}  // namespace nuv
