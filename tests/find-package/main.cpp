#include <cstdio>

#include "nuv/nuv.hpp"

int main() {
  nuv::TVector v(nullptr);
  v.SetVecSize(2);
  v.SetVal(1, 3.0);
  v.SetVal(2, 4.0);
  if (v.Leng() != 5.0) return 1;
  std::printf("installed nuv works: length %s\n", nuv::strff(v.Leng(), 1, 1).c_str());
  return 0;
}
