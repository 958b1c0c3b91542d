#include <gtest/gtest.h>

#include <cstring>

#include "nuv/base/streams.hpp"

namespace nuv {
namespace {

TEST(StreamItems, ByteLayoutIsLittleEndian) {
  TMemoryStream m;
  WriteExtendedToStream(&m, 1.0);
  WriteLongintToStream(&m, -2);
  const unsigned char expected[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xFE, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(m.Size(), 12);
  EXPECT_EQ(std::memcmp(m.Memory(), expected, 12), 0);
  m.SetPosition(0);
  Extended x = 0;
  Integer i = 0;
  EXPECT_TRUE(ReadExtendedFromStream(&m, x));
  EXPECT_TRUE(ReadLongintFromStream(&m, i));
  EXPECT_EQ(x, 1.0);
  EXPECT_EQ(i, -2);
}

TEST(StreamItems, ShortReadFailsLeavesValueAndEndsAtStreamEnd) {
  TMemoryStream m;
  m.Write("abc", 3);
  m.SetPosition(0);
  Extended x = 5;
  EXPECT_FALSE(ReadExtendedFromStream(&m, x));
  EXPECT_EQ(x, 5);
  EXPECT_EQ(m.Position(), 3);
  Integer i = 9;
  m.SetPosition(0);
  EXPECT_FALSE(ReadLongintFromStream(&m, i));
  EXPECT_EQ(i, 9);
  EXPECT_FALSE(ReadLongintFromStream(nullptr, i));
}

}  // namespace
}  // namespace nuv
