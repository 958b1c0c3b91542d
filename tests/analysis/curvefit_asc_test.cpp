// TCurveFit ASC files: exact bytes written, round trips, and malformed or hostile files that
// must fail with their code and leave the component as it was.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/platform/exceptions.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {
namespace {

using Pairs = std::vector<std::pair<double, double>>;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Enter(TCurveFit& c, const Pairs& p) {
  for (const auto& [x, y] : p) c.EnterStatValue(x, y);
}

// Everything a user can read about the pairs and their sums.
void ExpectSameState(const TCurveFit& a, const TCurveFit& b) {
  ASSERT_EQ(a.NumData(), b.NumData());
  for (Integer i = 1; i <= a.NumData(); ++i) {
    EXPECT_EQ(a.DataX(i), b.DataX(i)) << i;
    EXPECT_EQ(a.DataY(i), b.DataY(i)) << i;
  }
  EXPECT_EQ(a.MinX(), b.MinX());
  EXPECT_EQ(a.MaxX(), b.MaxX());
  EXPECT_EQ(a.MinY(), b.MinY());
  EXPECT_EQ(a.MaxY(), b.MaxY());
  EXPECT_EQ(a.MeanX(), b.MeanX());
  EXPECT_EQ(a.MeanY(), b.MeanY());
  EXPECT_EQ(a.StdDevDiff(), b.StdDevDiff());
  EXPECT_EQ(a.CorrCoeff(), b.CorrCoeff());
}

TEST(CurveFitAsc, ExportWritesExactBytes) {
  TCurveFit c(nullptr);
  Enter(c, {{1.5, -2}, {0.25, 3}, {-10, 1e-3}});
  const std::string path = TempPath("curvefit_export");
  EXPECT_EQ(c.ExportAsASC(path, "two\nwords", 3), "");
  EXPECT_EQ(ReadAll(path),
            "two words\r\n"
            "2\t;nr. of columns\r\n"
            "3\t;nr. of rows\r\n"
            "FALSE TRUE FALSE\t;row attributes, column names, row names\r\n"
            "x   y\r\n"
            "1.500\t-2.000\r\n"
            "0.250\t3.000\r\n"
            "-10.000\t0.001\r\n");

  TCurveFit empty(nullptr);
  EXPECT_EQ(empty.ExportAsASC(path, "", 2), "");
  const std::string text = ReadAll(path);
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "Exported by NUV TCurveFit component: " + path);
  EXPECT_NE(text.find("\r\n0\t;nr. of rows\r\n"), std::string::npos);
  std::remove(path.c_str());
}

TEST(CurveFitAsc, CommentLineBreaksOfEveryKindBecomeBlanks) {
  TCurveFit c(nullptr);
  Enter(c, {{1, 2}, {3, 4}});
  const std::string path = TempPath("curvefit_crlf");
  ASSERT_EQ(c.ExportAsASC(path, "a\r\nb\rc\n", 1), "");
  const std::string text = ReadAll(path);
  EXPECT_EQ(text.substr(0, text.find("2\t;nr. of columns")), "a  b c \r\n");
  // A reader that ends lines at CR as well as at LF sees exactly five header lines.
  int lines = 0;
  std::size_t pos = 0;
  while (lines < 5 && pos < text.size()) {
    pos = text.find_first_of("\r\n", pos);
    ASSERT_NE(pos, std::string::npos);
    pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    ++lines;
  }
  EXPECT_EQ(text.compare(pos, 8, "1.0\t2.0\r"), 0) << text.substr(pos);
  TCurveFit back(nullptr);
  EXPECT_EQ(back.ImportASC(path), 0);
  ExpectSameState(back, c);
  std::remove(path.c_str());
}

TEST(CurveFitAsc, ExportFailures) {
  TCurveFit c(nullptr);
  c.EnterStatValue(1, 2);
  const std::string dir = TempPath("curvefit_nodir");
  const std::string path = dir + "/sub/out.asc";
  EXPECT_EQ(c.ExportAsASC(path, "c", 2), "Cannot open file \"" + path + "\"");
  EXPECT_FALSE(std::filesystem::exists(dir));
  // A device that accepts the open but no byte: the write failure reaches the caller.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_THROW(c.ExportAsASC("/dev/full", "c", 2), EInOutError);
  }
}

TEST(CurveFitAsc, RoundTripReplacesPairsSumsAndBounds) {
  const Pairs pairs = {{0.1, 2.5}, {-3.75, 1e-3}, {12.125, -7}, {0, 0.3}};
  TCurveFit src(nullptr);
  Enter(src, pairs);
  const std::string path = TempPath("curvefit_roundtrip");
  ASSERT_EQ(src.ExportAsASC(path, "", 17), "");

  // The target held other pairs with wider bounds: only the imported ones remain.
  TCurveFit dst(nullptr);
  Enter(dst, {{100, -100}, {-50, 400}, {7, 7}, {1, 1}, {2, 2}});
  EXPECT_EQ(dst.ImportASC(path), 0);
  ExpectSameState(dst, src);

  // The store keeps working: the next pair lands behind the imported ones.
  EXPECT_EQ(dst.EnterStatValue(9, 8), 5);
  EXPECT_EQ(dst.DataX(5), 9.0);
  EXPECT_EQ(dst.MaxX(), 12.125);

  TCurveFit empty(nullptr);
  ASSERT_EQ(empty.ExportAsASC(path, "none", 4), "");
  EXPECT_EQ(dst.ImportASC(path), 0);
  EXPECT_EQ(dst.NumData(), 0);
  EXPECT_EQ(dst.MeanX(), 0.0);
  EXPECT_EQ(dst.EnterStatValue(1, 2), 1);
  EXPECT_EQ(dst.DataY(1), 2.0);
  std::remove(path.c_str());
}

TEST(CurveFitAsc, ImportReadsAttributesAndQuotedNames) {
  TCurveFit c(nullptr);
  ASSERT_EQ(c.ImportASC(DataPath("curvefit_full_layout.asc")), 0);
  TCurveFit expected(nullptr);
  Enter(expected, {{1.5, -2}, {25, 3.25}, {-0.125, 1e-3}});
  ExpectSameState(c, expected);
}

TEST(CurveFitAsc, FailedImportsKeepTheComponent) {
  const struct {
    const char* file;
    Integer code;
  } cases[] = {
      {"curvefit_bad_value.asc", -6},   {"curvefit_bad_attr.asc", -5},
      {"curvefit_fourth_flag.asc", -7}, {"curvefit_huge_rows.asc", -6},
      {"curvefit_truncated.asc", -6},   {"curvefit_open_quote.asc", -6},
      {"curvefit_long_token.asc", -6},  {"curvefit_short_header.asc", -2},
      {"curvefit_bad_count.asc", -3},   {"curvefit_no_such_file.asc", -1},
  };
  const Pairs before = {{4, 5}, {-1, 2}, {3, 3}};
  TCurveFit reference(nullptr);
  Enter(reference, before);
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.file);
    TCurveFit c(nullptr);
    Enter(c, before);
    EXPECT_EQ(c.ImportASC(DataPath(tc.file)), tc.code);
    ExpectSameState(c, reference);
  }

  TCurveFit c(nullptr);
  Enter(c, before);
  NUV_EXPECT_THROW_MSG(c.ImportASC(DataPath("curvefit_three_cols.asc")), ENUVMath2Error,
                       "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
  ExpectSameState(c, reference);
}

}  // namespace
}  // namespace nuv::test
