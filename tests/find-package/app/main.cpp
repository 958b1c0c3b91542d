#include <cstdio>

#include "nuv/nuv.hpp"

int main() {
  nuv::TVector v(nullptr);  // components take an owner; none here
  v.SetVecSize(3);          // elements are 1-based
  v.SetVal(1, 3.0);
  v.SetVal(2, 4.0);
  v.SetOnChange([](nuv::TObject*) {});  // fires once per change
  double len = v.Leng();                // 5
  v.SetVecLeng(1.0);                    // scales to unit length
  std::string crc = v.CRCofData();      // fingerprint of the stored values
  std::printf("length %.1f, unit length %.1f, checksum of %zu digits\n", len, v.Leng(), crc.size());
  return len == 5.0 ? 0 : 1;
}
