#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "nuv/base/asc.hpp"
#include "nuv/base/colors.hpp"
#include "nuv/base/strings.hpp"
#include "tests/support/support.hpp"

namespace nuv {
namespace {

TEST(StringHelpers, ContainsDigitsAndSubstrings) {
  EXPECT_TRUE(StringContains("  x = 3", "//dig"));
  EXPECT_FALSE(StringContains("   ", "//dig"));
  EXPECT_FALSE(StringContains("abc", "//dig"));
  EXPECT_TRUE(StringContains("abcdef", "cde"));
  EXPECT_FALSE(StringContains("abc", "x"));
  EXPECT_EQ(RemoveControlChars("a\tb\r\n\x7f"
                               "c\xC3\xA9"),
            "abc\xC3\xA9");
  EXPECT_EQ(ReplaceCharInString("a\nb\nc", '\n', ' '), "a b c");
  EXPECT_EQ(strff(2.5, 1, 0), "3");
}

std::string Parse(const std::string& text, char quote, bool* done = nullptr) {
  std::string name;
  TQuotedStrState state = qsBeforeName;
  bool finished = false;
  for (char c : text) {
    if (ParseQuotedName(c, quote, name, state)) {
      finished = true;
      break;
    }
  }
  if (done) *done = finished;
  return name;
}

TEST(ParseQuotedName, QuotedAndUnquotedNames) {
  bool done = false;
  EXPECT_EQ(Parse("  \"two words\" rest", '"', &done), "two words");
  EXPECT_TRUE(done);
  EXPECT_EQ(Parse("\t x   y", '"', &done), "x");
  EXPECT_TRUE(done);
  EXPECT_EQ(Parse("\"open", '"', &done), "open");
  EXPECT_FALSE(done);
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ReadHeaderOfASC, ReadsCountsAndFlags) {
  const std::string path = test::TempPath("h.asc");
  WriteFile(path,
            "my comment\r\n2\t;nr. of columns\r\n3\t;nr. of rows\r\n"
            "FALSE true FALSE\t;row attributes, column names, row names\r\nx   y\r\n");
  std::string comment;
  Integer nc = -1, nr = -1;
  bool ra = true, cn = false, rn = true, fourth = true;
  EXPECT_EQ(ReadHeaderOfASC(path, comment, nc, nr, ra, cn, rn, fourth), 0);
  EXPECT_EQ(comment, "my comment");
  EXPECT_EQ(nc, 2);
  EXPECT_EQ(nr, 3);
  EXPECT_FALSE(ra);
  EXPECT_TRUE(cn);
  EXPECT_FALSE(rn);
  EXPECT_FALSE(fourth);

  const std::pair<const char*, Integer> bad[] = {
      {"c\n2\n3\n", -2},
      {"c\nx\n3\nFALSE\n", -3},
      {"c\n2\n-3\nFALSE\n", -3},
      {"c\n2\n99999999999\nFALSE\n", -3},
      {"c\n2\n3\nFALSE MAYBE\n", -4},
      {"c\n2\n3\nTRUE TRUE TRUE TRUE TRUE\n", -4},
  };
  for (auto [text, code] : bad) {
    SCOPED_TRACE(text);
    WriteFile(path, text);
    EXPECT_EQ(ReadHeaderOfASC(path, comment, nc, nr, ra, cn, rn, fourth), code);
  }
  // A huge comment line is cut, not held whole.
  WriteFile(path, std::string(1 << 20, 'c') + "\n2\n3\nFALSE\n");
  EXPECT_EQ(ReadHeaderOfASC(path, comment, nc, nr, ra, cn, rn, fourth), 0);
  EXPECT_EQ(comment.size(), 65536u);
  std::remove(path.c_str());
  EXPECT_EQ(ReadHeaderOfASC(path, comment, nc, nr, ra, cn, rn, fourth), -1);
}

TEST(Colors, GrayAndHsi) {
  EXPECT_EQ(RGBtoGray(255, 255, 255), 255);
  EXPECT_EQ(RGBtoGray(255, 0, 0), 76);  // 76.245
  double h, s, i;
  RGBtoHSI(255, 0, 0, h, s, i);
  EXPECT_NEAR(h, 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(s, 1.0);
  EXPECT_DOUBLE_EQ(i, 85.0);
  RGBtoHSI(0, 0, 255, h, s, i);
  EXPECT_NEAR(h, 240.0, 1e-9);
  RGBtoHSI(0, 0, 0, h, s, i);
  EXPECT_EQ(s, 0.0);
}

}  // namespace
}  // namespace nuv
