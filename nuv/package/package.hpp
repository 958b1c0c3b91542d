#pragma once
// Library start-up and shut-down: every unit is initialised once, in dependency order, when the
// library is loaded, and finalised in reverse order when it is unloaded.

#include <span>

namespace nuv {

/// One unit of the package with its start-up and shut-down functions.
struct TPackageUnitInfo {
  const char* UnitName;
  void (*Init)();
  void (*Final)();
};

/// Runs every unit's initialisation in unit order. Each unit counts its calls: only the first
/// initialisation acts. Called automatically when the library is loaded.
void Initialize();
/// Runs every unit's finalisation in reverse order; only the call that balances the first
/// initialisation acts. Called automatically when the library is unloaded.
void Finalize();
/// The package's units in initialisation order: NUV_math1, NUV_complex, NUV_vector,
/// NUV_matrix, NUV_datatable, NUV_statis, NUV_math2, NUV_fourier, NUV_wavelet, NUV_openarrays,
/// NUV_sline, NUV_kohonen.
std::span<const TPackageUnitInfo> GetPackageInfoTable();

}  // namespace nuv
