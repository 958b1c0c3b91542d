#pragma once
// Shared types of the base package: dynamic arrays, points and rectangles, the small
// enumerations selecting element types and orientations, and the event signatures.

#include <cstdint>
#include <functional>
#include <vector>

#include "nuv/platform/component.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

// Dynamic arrays: 0-based, each inner array its own allocation, ragged allowed.
// Boolean arrays hold one byte per cell (true when not 0).
using TDoubleArray = std::vector<double>;
using TIntArray = std::vector<Integer>;
using TBoolArray = std::vector<std::uint8_t>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TBool2DArray = std::vector<TBoolArray>;

/// A point of two doubles, x first.
struct TPointDouble {
  double x = 0.0;
  double y = 0.0;
};
using TPDblArray = std::vector<TPointDouble>;

/// A rectangle given by two corners in any order.
struct TRectDouble {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
};

/// Element type of the untyped array routines: 0 and 1 double, 2 single, 3 and 4 32-bit integer.
enum TVarKind : std::uint8_t { vkDouble, vkReal, vkSingle, vkInteger, vkLongint };

/// Which way a matrix operation works: 0 per column (along a row), 1 per row (down a column).
enum TDims : std::uint8_t { dimColumns, dimRows };

/// Orientation of an edge operation: 0 one value per row, non-zero one value per column.
enum TOrientation : std::uint8_t { orRows, orColumns };

/// Combination of two bit fields: and, or, xor, and-not (clear the bits set in the other).
enum TLogicOp : std::uint8_t { loAnd, loOr, loXor, loAndNot };

/// State of ParseQuotedName: before the name, inside quotes, inside an unquoted name.
enum TQuotedStrState : std::uint8_t { qsBeforeName, qsQuoted, qsUnquoted };

/// Angle formats: decimal degrees, degrees and minutes, degrees minutes seconds, plain number.
enum TDegreeFormat : std::uint8_t { dfDecDeg, dfDegMin, dfDegMinSec, dfNumber };

/// Called for every exchange while sorting: what is exchanged (0 elements, 1 columns, 2 rows),
/// the two indices and the low and high bound of the exchanged stretch.
using TSortExchgEvent = std::function<void(TObject* Sender, Byte ExchgWhat, Integer Index1,
                                           Integer Index2, Integer First, Integer Last)>;
/// Progress of a component's computation in percent.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, Integer PercentDone)>;
/// Asked during a computation; set Abort to true to stop it.
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;

}  // namespace nuv
