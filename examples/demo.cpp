// A first look at nuv: a vector component, its change event, its length and its checksum.
#include <cstdio>

#include "nuv/nuv.hpp"

int main() {
  nuv::TVector v(nullptr);
  v.SetName("demo");
  int changes = 0;
  v.SetOnChange([&changes](nuv::TObject*) { ++changes; });

  v.SetVecSize(4);
  for (int i = 1; i <= 4; ++i) v.SetVal(i, i * 1.5);
  std::printf("elements:");
  for (int i = 1; i <= v.NrOfElem(); ++i) std::printf(" %s", nuv::FloatToStr(v.Elem(i)).c_str());
  std::printf("\nlength:   %s\n", nuv::strff(v.Leng(), 1, 6).c_str());
  v.SetVecLeng(1.0);
  std::printf("unit:     %s\n", nuv::strff(v.Leng(), 1, 6).c_str());
  std::printf("events:   %d\n", changes);
  std::printf("checksum: %s\n", v.CRCofData().c_str());
  return 0;
}
