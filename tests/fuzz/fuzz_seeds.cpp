// Writes the seed corpora of the fuzz targets: files from the library's own writers, plus
// the malformed samples kept with the tests. Usage: nuv_fuzz_seeds <out dir> <tests/data dir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "nuv/analysis/TCurveFit.hpp"
#include "nuv/matrix/TMat4D.hpp"
#include "nuv/platform/format.hpp"
#include "nuv/platform/stream.hpp"
#include "nuv/scalar/NUV_vector.hpp"
#include "nuv/scalar/math1_format.hpp"

namespace fs = std::filesystem;
using namespace nuv;

namespace {

fs::path Dir(const fs::path& Out, const char* Target) {
  fs::create_directories(Out / Target);
  return Out / Target;
}

void WriteText(const fs::path& Path, const std::string& Text) {
  std::ofstream(Path, std::ios::binary) << Text;
}

// The slot range, layer and slot of the 4D target live in bytes 4080-4095 of the header.
void PutParams(const fs::path& Path, std::int32_t Start, std::int32_t End, std::int32_t Layer,
               std::int32_t Slot) {
  std::fstream f(Path, std::ios::binary | std::ios::in | std::ios::out);
  const std::int32_t v[4] = {Start, End, Layer - 1, Slot - 1};
  f.seekp(4080);
  f.write(reinterpret_cast<const char*>(v), sizeof v);
}

void Mat4DSeeds(const fs::path& D) {
  struct Shape {
    Integer X, Y, Z, T;
    const char* ID;
  };
  const Shape shapes[] = {{1, 1, 1, 1, ""},
                          {3, 2, 2, 4,
                           "Gr\xC3\xB6\xC3\x9F"
                           "e \xE2\x82\xAC"},
                          {16, 16, 2, 1, "one page"},
                          {7, 5, 3, 2, "odd"},
                          {2, 1, 1, 3, "small"}};
  int n = 0;
  for (const Shape& s : shapes) {
    TMat4D m(nullptr);
    m.Resize(s.X, s.Y, s.Z, s.T);
    m.FillRandomUniform(-100.0, 100.0);
    m.SetVal(1, 1, 1, 1, -0.0);
    m.SetDataID(s.ID);
    const fs::path p = D / ("saved_" + std::to_string(n++) + ".bin");
    m.SaveBinary(p.string(), 0, 0);
    if (s.T > 1) {
      const fs::path q = D / ("range_" + std::to_string(n) + ".bin");
      fs::copy_file(p, q, fs::copy_options::overwrite_existing);
      PutParams(q, 2, s.T, s.Z, s.T);
      m.AppendToBinaryFile(q.string(), 1, 1);
    }
  }
}

void VectorTextSeeds(const fs::path& D) {
  TVector v(nullptr);
  v.Resize(6);
  const double values[] = {
      1.5, -0.0, 1e-310, 6.02214076e23, std::numeric_limits<double>::infinity(), std::nan("")};
  for (Integer i = 1; i <= 6; ++i) v.SetVal(i, values[i - 1]);
  v.StoreOnFile(1, 6, -2, (D / "exact.txt").string());
  v.StoreOnFile(2, 4, 3, (D / "fixed.txt").string());
  v.StoreOnFile(1, 6, -1, (D / "exponent.txt").string());
  TIntVector iv(nullptr);
  iv.Resize(4);
  const Integer ints[] = {0, -2147483647 - 1, 2147483647, 42};
  for (Integer i = 1; i <= 4; ++i) iv.SetVal(i, ints[i - 1]);
  iv.StoreOnFile(1, 4, (D / "ints.txt").string());
  WriteText(D / "headerless.txt", "3.5\n\nno digit\n-1e3\r\n7\n");
}

void VectorStreamSeeds(const fs::path& D) {
  TVector v(nullptr);
  v.Resize(5);
  for (Integer i = 1; i <= 5; ++i) v.SetVal(i, 1.0 / i);
  TMemoryStream* s = nullptr;
  v.SaveToStream(s, 0, 0);
  std::unique_ptr<TMemoryStream> whole(s);
  whole->SaveToFile((D / "vector_whole.bin").string());
  TMemoryStream part;
  TMemoryStream* pp = &part;
  v.SaveToStream(pp, 2, 4);
  part.SaveToFile((D / "vector_part.bin").string());
  TIntVector iv(nullptr);
  iv.Resize(4);
  for (Integer i = 1; i <= 4; ++i) iv.SetVal(i, i * 1000 - 2500);
  TMemoryStream ints;
  TMemoryStream* ip = &ints;
  iv.SaveToStream(ip, 0, 0);
  ints.SaveToFile((D / "intvector_whole.bin").string());
}

void CurveFitSeeds(const fs::path& D) {
  TCurveFit fit(nullptr);
  for (int i = 0; i < 6; ++i) fit.EnterStatValue(i * 0.5, std::sin(i) * 1e3);
  fit.ExportAsASC((D / "exported_17.asc").string(), "six pairs", 17);
  fit.ExportAsASC((D / "exported_2.asc").string(), "", 2);
  WriteText(D / "attributes_names.asc",
            "all flags\r\n2\t;nr. of columns\r\n2\t;nr. of rows\r\n"
            "TRUE TRUE TRUE\t;row attributes, column names, row names\r\n"
            "\"x\" \"y\"\r\n1 \"first\" 1.5 2.5\r\n2 \"second\" -3 4e2\r\n");
}

void NumberTextSeeds(const fs::path& D) {
  const std::string texts[] = {FloatToStr(0.1),
                               FloatToStr(-1.7976931348623157e308),
                               FormatFloat(4.9e-324, 26, -1),
                               FormatFloat(2.5, 0, 0),
                               " -Inf ",
                               "nan",
                               "1e-400",
                               ".5E+3",
                               IntToStr(-2147483647 - 1),
                               "$7fffffff",
                               "-0x80000000",
                               FPNumToHex(3.141592653589793),
                               FPNumToHex(Single(-0.5f)),
                               "1 2.5 -3e2 x 0x10 +7 NaN\n\t9999999999"};
  int n = 0;
  for (const std::string& t : texts) WriteText(D / ("text_" + std::to_string(n++) + ".txt"), t);
}

// The samples kept with the tests whose names start with Prefix and end with Suffix.
void CopySamples(const fs::path& Data, const fs::path& D, const std::string& Prefix,
                 const std::string& Suffix) {
  for (const auto& e : fs::directory_iterator(Data)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(Prefix, 0) == 0 && name.size() >= Suffix.size() &&
        name.compare(name.size() - Suffix.size(), Suffix.size(), Suffix) == 0) {
      fs::copy_file(e.path(), D / name, fs::copy_options::overwrite_existing);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <out dir> <tests/data dir>\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path data = argv[2];
  Mat4DSeeds(Dir(out, "mat4d_file"));
  CopySamples(data, Dir(out, "mat4d_file"), "mat4d_", ".bin");
  VectorTextSeeds(Dir(out, "vector_text"));
  CopySamples(data, Dir(out, "vector_text"), "vector_", ".txt");
  VectorStreamSeeds(Dir(out, "vector_stream"));
  CopySamples(data, Dir(out, "vector_stream"), "vector_", ".bin");
  CurveFitSeeds(Dir(out, "curvefit_asc"));
  CopySamples(data, Dir(out, "curvefit_asc"), "curvefit_", ".asc");
  NumberTextSeeds(Dir(out, "number_text"));
  CopySamples(data, Dir(out, "number_text"), "vector_", ".txt");
  return 0;
}
