#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "nuv/platform/exceptions.hpp"
#include "nuv/platform/stream.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(TMemoryStream, WriteSeekReadAndShortReads) {
  TMemoryStream m;
  const char text[] = "abcdef";
  EXPECT_EQ(m.Write(text, 6), 6);
  EXPECT_EQ(m.Position(), 6);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(2);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 4);
  EXPECT_STREQ(buf, "cdef");
  EXPECT_EQ(m.Read(buf, 1), 0);
  EXPECT_EQ(m.Seek(-3, soEnd), 3);
  EXPECT_EQ(m.Seek(-10, soCurrent), 0);
  m.SetPosition(1);
  m.Write("XY", 2);  // overwrite in the middle keeps the size
  EXPECT_EQ(m.Size(), 6);
  EXPECT_EQ(std::memcmp(m.Memory(), "aXYdef", 6), 0);
  m.SetPosition(5);
  EXPECT_THROW(m.ReadBuffer(buf, 2), EStreamError);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
}

// A directory is not a file: opening it fails instead of yielding a stream whose size is
// whatever the file system reports (LoadFromFile would try to allocate that much).
TEST(TFileStream, DirectoryDoesNotOpen) {
  const std::string dir = test::TempPath("stream_dir");
  std::remove(dir.c_str());
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  NUV_EXPECT_THROW_MSG(TFileStream(dir, fmOpenRead), EInOutError,
                       "Cannot open file \"" + dir + "\"");
  TMemoryStream m;
  m.Write("abc", 3);
  NUV_EXPECT_THROW_MSG(m.LoadFromFile(dir), EInOutError, "Cannot open file \"" + dir + "\"");
  EXPECT_EQ(m.Size(), 3);
  rmdir(dir.c_str());
}

TEST(TFileStream, RoundTripThroughAFile) {
  const std::string path = test::TempPath("stream.bin");
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("hello", 5);
    EXPECT_EQ(f.Size(), 5);
  }
  {
    TFileStream f(path, fmOpenRead);
    char buf[6] = {};
    f.ReadBuffer(buf, 5);
    EXPECT_STREQ(buf, "hello");
    EXPECT_EQ(f.Read(buf, 1), 0);
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.Size(), 5);
  std::remove(path.c_str());
  NUV_EXPECT_THROW_MSG(TFileStream(path, fmOpenRead), EInOutError,
                       "Cannot open file \"" + path + "\"");
}

}  // namespace
}  // namespace nuv
