#include "nuv/package/package.hpp"

#include <array>

#include "nuv/package/units.hpp"

namespace nuv {
namespace {

constexpr std::array<TPackageUnitInfo, 12> kUnits{{
    {"NUV_math1", &detail::InitNUV_math1, &detail::FinalNUV_math1},
    {"NUV_complex", &detail::InitNUV_complex, &detail::FinalNUV_complex},
    {"NUV_vector", &detail::InitNUV_vector, &detail::FinalNUV_vector},
    {"NUV_matrix", &detail::InitNUV_matrix, &detail::FinalNUV_matrix},
    {"NUV_datatable", &detail::InitNUV_datatable, &detail::FinalNUV_datatable},
    {"NUV_statis", &detail::InitNUV_statis, &detail::FinalNUV_statis},
    {"NUV_math2", &detail::InitNUV_math2, &detail::FinalNUV_math2},
    {"NUV_fourier", &detail::InitNUV_fourier, &detail::FinalNUV_fourier},
    {"NUV_wavelet", &detail::InitNUV_wavelet, &detail::FinalNUV_wavelet},
    {"NUV_openarrays", &detail::InitNUV_openarrays, &detail::FinalNUV_openarrays},
    {"NUV_sline", &detail::InitNUV_sline, &detail::FinalNUV_sline},
    {"NUV_kohonen", &detail::InitNUV_kohonen, &detail::FinalNUV_kohonen},
}};

// Initialises the library when it is loaded and finalises it when it is unloaded.
struct TAutoStart {
  TAutoStart() { Initialize(); }
  ~TAutoStart() { Finalize(); }
  TAutoStart(const TAutoStart&) = delete;
  TAutoStart& operator=(const TAutoStart&) = delete;
};
const TAutoStart gAutoStart;

}  // namespace

void Initialize() {
  for (const TPackageUnitInfo& unit : kUnits) unit.Init();
}

void Finalize() {
  for (auto it = kUnits.rbegin(); it != kUnits.rend(); ++it) it->Final();
}

std::span<const TPackageUnitInfo> GetPackageInfoTable() {
  return kUnits;
}

}  // namespace nuv
