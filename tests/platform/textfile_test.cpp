#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "nuv/platform/textfile.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

// One sign at most: "+-1" and "-+1" are not integers, and reading them consumes the token.
TEST(TTextFileReader, IntegerTokensTakeOneSign) {
  const std::string path = test::TempPath("textfile_signs");
  {
    TTextFileWriter w;
    ASSERT_TRUE(w.Create(path));
    ASSERT_TRUE(w.WriteLine("+-1 -+1 ++1 +7 -8 9"));
    ASSERT_TRUE(w.Close());
  }
  TTextFileReader r;
  ASSERT_TRUE(r.Open(path));
  Integer v = 42;
  EXPECT_EQ(r.ReadInteger(v), trNotNumber);
  EXPECT_EQ(r.ReadInteger(v), trNotNumber);
  EXPECT_EQ(r.ReadInteger(v), trNotNumber);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(r.ReadInteger(v), trOk);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(r.ReadInteger(v), trOk);
  EXPECT_EQ(v, -8);
  EXPECT_EQ(r.ReadInteger(v), trOk);
  EXPECT_EQ(v, 9);
  EXPECT_EQ(r.ReadInteger(v), trEndOfFile);
  r.Close();
  std::remove(path.c_str());
}

}  // namespace
}  // namespace nuv
