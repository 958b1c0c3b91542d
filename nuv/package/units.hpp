#pragma once
// Start-up and shut-down functions of each unit, called by the package in unit order,
// and the counter that lets only the first initialisation and the last finalisation act.

#include <atomic>

namespace nuv::detail {

/// Counts nested initialisations of one unit (0 when not initialised).
class TUnitCounter {
 public:
  /// Counts one initialisation; true for the first, which must do the work.
  bool Enter() noexcept { return FCount.fetch_sub(1) == 0; }
  /// Counts one finalisation; true for the one that balances the first initialisation.
  /// A finalisation without an initialisation does nothing.
  bool Leave() noexcept {
    int c = FCount.load();
    while (c < 0 && !FCount.compare_exchange_weak(c, c + 1)) {
    }
    return c == -1;
  }
  bool Initialized() const noexcept { return FCount.load() < 0; }

 private:
  std::atomic<int> FCount{0};
};

void InitNUV_math1();
void FinalNUV_math1();
void InitNUV_complex();
void FinalNUV_complex();
void InitNUV_vector();
void FinalNUV_vector();
void InitNUV_matrix();
void FinalNUV_matrix();
void InitNUV_datatable();
void FinalNUV_datatable();
void InitNUV_statis();
void FinalNUV_statis();
void InitNUV_math2();
void FinalNUV_math2();
void InitNUV_fourier();
void FinalNUV_fourier();
void InitNUV_wavelet();
void FinalNUV_wavelet();
void InitNUV_openarrays();
void FinalNUV_openarrays();
void InitNUV_sline();
void FinalNUV_sline();
void InitNUV_kohonen();
void FinalNUV_kohonen();

}  // namespace nuv::detail
