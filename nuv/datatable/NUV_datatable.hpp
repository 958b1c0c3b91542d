#pragma once
// Unit NUV_datatable: the data table component, its scale type, label and name types and
// its error class.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "nuv/base/errors.hpp"
#include "nuv/base/types.hpp"

namespace nuv {

/// Raised by TDataTable.
class ENUVDataTableError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

/// Measurement scale of a column; the ordinals are stored in files and checksums.
enum TMScaleType : std::uint8_t { stUnknown, stNominal, stOrdinal, stInterval, stRatio };

/// One label of a nominal or ordinal column: at most kNominalIDLength bytes.
using TNominalIDStr = std::string;
/// One row or column name: at most kDTNameLength bytes.
using TDTNameStr = std::string;

inline constexpr std::size_t kNominalIDLength = 10;
inline constexpr std::size_t kDTNameLength = 50;
/// Number of label slots of a column; label k stands for the value k.
inline constexpr Integer kMaxNominalIDs = 150;

/// Description of one column: its scale and its label slots (IDs[k - 1] is label k; an empty
/// text is a free slot).
struct TVTypeSpec {
  TMScaleType MScaleType = stInterval;
  std::array<TNominalIDStr, kMaxNominalIDs> IDs{};
};

/// Resize notification: old and new counts of columns and rows.
using TDataTableResizeEvent = std::function<void(
    TObject* Sender, Integer OldColumns, Integer OldRows, Integer NewColumns, Integer NewRows)>;

inline namespace NUV_datatable {
/// Display text of each scale, indexed by TMScaleType.
inline constexpr std::array<std::string_view, 5> MScaleTypeNames{"Unknown", "Nominal", "Ordinal",
                                                                 "Interval", "Ratio"};
}  // namespace NUV_datatable

namespace detail {

/// Fixed-width text of x. Decimals = -2: exponent form in |Width| + 2 characters with a
/// two-digit exponent, or all '*' when the exponent needs more than two digits. Otherwise
/// |Width| characters with Decimals decimals. Width < 0 pads with '0' instead of blanks,
/// keeping a minus sign in front.
std::string FormatFloatStr(double x, Integer Width, Integer Decimals);
/// s without leading and trailing blanks (character 32 only).
std::string TrimBlanks(std::string_view s);
/// The longest start of s of at most MaxBytes bytes that does not end inside a UTF-8
/// sequence. Bytes that belong to no well-formed sequence count as characters of their own.
std::string CutUtf8(std::string_view s, std::size_t MaxBytes);

}  // namespace detail
}  // namespace nuv

#include "nuv/datatable/TDataTable.hpp"
