#pragma once
// Helpers of the matrix tests: the reference matrices of tests/reference/matrix_reference.py,
// loading from row-major literals, naive products and the reference table.

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "nuv/matrix/TMatrix.hpp"
#include "tests/support/support.hpp"

namespace nuv::test {

/// Cell (row r, column c) of the named reference matrix; same formulas as the script.
inline double RefCell(const std::string& name, int r, int c) {
  if (name == "int5x5") return ((r * 7 + c * 13) % 17 - 8) / 4.0;
  if (name == "int8x5") return ((r * 5 + c * 11 + r * c) % 19 - 9) / 2.0;
  if (name == "hilbert6") return 1.0 / (r + c - 1);
  if (name == "rank2_6x4") return static_cast<double>((r + 1) * c + (r % 3) * (c * c % 5));
  if (name == "wide3x5") return static_cast<double>((r * 3 + c * 5 + r * c * c) % 11 - 5);
  return std::nan("");
}

/// Sizes the matrix to rows by cols and fills it from the named reference matrix.
inline void LoadRef(TMatrix& m, const std::string& name, int rows, int cols) {
  m.Resize(cols, rows);
  for (int r = 1; r <= rows; ++r) {
    for (int c = 1; c <= cols; ++c) m.SetVal(c, r, RefCell(name, r, c));
  }
}

/// Sizes the matrix from a row-major literal (rows of equal length).
inline void LoadRows(TMatrix& m, std::initializer_list<std::initializer_list<double>> rows) {
  const int nr = static_cast<int>(rows.size());
  const int nc = nr > 0 ? static_cast<int>(rows.begin()->size()) : 0;
  m.Resize(nc, nr);
  int r = 1;
  for (const auto& row : rows) {
    int c = 1;
    for (double v : row) m.SetVal(c++, r, v);
    ++r;
  }
}

/// Pseudo-random cells in [-1, 1) from a fixed congruential sequence.
inline void LoadRandom(TMatrix& m, int rows, int cols, unsigned seed) {
  m.Resize(cols, rows);
  unsigned x = seed;
  for (int c = 1; c <= cols; ++c) {
    for (int r = 1; r <= rows; ++r) {
      x = x * 1664525u + 1013904223u;
      m.SetVal(c, r, static_cast<double>(x >> 8) / 8388608.0 - 1.0);
    }
  }
}

/// (row-major) product P = X·Y of the matrices in math orientation, summed in ascending order.
inline std::vector<std::vector<double>> NaiveProduct(const TMatrix& X, const TMatrix& Y) {
  const int m = X.NrOfRows(), k = X.NrOfColumns(), n = Y.NrOfColumns();
  std::vector<std::vector<double>> p(static_cast<std::size_t>(m),
                                     std::vector<double>(static_cast<std::size_t>(n), 0.0));
  for (int i = 1; i <= m; ++i) {
    for (int j = 1; j <= n; ++j) {
      double s = 0.0;
      for (int t = 1; t <= k; ++t) s += X.GetVal(t, i) * Y.GetVal(j, t);
      p[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)] = s;
    }
  }
  return p;
}

/// One line of matrix_reference.txt.
struct RefEntry {
  int Rows = 0, Cols = 0;
  std::vector<double> Sv;  // descending
  double ColNorm = 0, RowNorm = 0, Frobenius = 0, Spectral = 0;
};

inline std::map<std::string, RefEntry> ReadReference() {
  std::map<std::string, RefEntry> out;
  std::ifstream in(ReferencePath("matrix_reference.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    std::string name;
    RefEntry e;
    int k = 0;
    ls >> name >> e.Rows >> e.Cols >> k;
    e.Sv.resize(static_cast<std::size_t>(k));
    for (double& v : e.Sv) ls >> v;
    ls >> e.ColNorm >> e.RowNorm >> e.Frobenius >> e.Spectral;
    out[name] = e;
  }
  return out;
}

}  // namespace nuv::test
