#pragma once
// Unit NUV_openarrays: routines over the plain nested arrays of one to four dimensions.
//
// Shared rules of every routine below:
// - Indices are 0-based; a range lo..hi is inclusive and valid when 0 <= lo <= hi and both are
//   less than the length of their dimension. Dimension 1 is the outermost subscript; in 2D
//   arrays the first subscript is the column, the second the row.
// - Status: 0 done, -1 an array is empty (A, A[0], A[0][0], A[0][0][0] as the rank goes),
//   -2 an invalid range, dimension, argument or size, -3 a bad fixed column or row. The empty
//   test comes before every other.
// - Lengths of dimensions 2 to 4 are read from the first sub-array of each level. A longer
//   sub-array is processed by that prefix; a shorter one that would be visited gives -2.
// - Nothing is written on a non-zero status: result arrays keep their shape and contents.
//   Result arrays are sized exactly to the result and may be one of the inputs.
// - Integer arithmetic wraps around in 32-bit two's complement.

#include <span>

#include "nuv/base/types.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {
inline namespace NUV_openarrays {

// --- Counting, flipping, absolute values ---------------------------------------------------

/// Number of cells in the box whose value v has LowVal <= v <= HighVal; -1 empty, -2 bad
/// range or LowVal > HighVal. Counts above 2147483647 saturate. The 4D forms test A, A[0]
/// and A[0][0] for -1; an empty A[0][0][0] gives -2.
Integer CountValues(const TDoubleArray& A, Integer lo1, Integer hi1, double LowVal, double HighVal);
Integer CountValues(const TDouble2DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    double LowVal, double HighVal);
Integer CountValues(const TDouble3DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, double LowVal, double HighVal);
Integer CountValues(const TDouble4DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer lo4, Integer hi4, double LowVal,
                    double HighVal);
Integer CountValues(const TIntArray& A, Integer lo1, Integer hi1, Integer LowVal, Integer HighVal);
Integer CountValues(const TInt2DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer LowVal, Integer HighVal);
Integer CountValues(const TInt3DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer LowVal, Integer HighVal);
Integer CountValues(const TInt4DArray& A, Integer lo1, Integer hi1, Integer lo2, Integer hi2,
                    Integer lo3, Integer hi3, Integer lo4, Integer hi4, Integer LowVal,
                    Integer HighVal);

/// Reverses A in place along dimension Dim (1 to the rank) by exchanging cells; the
/// sub-array objects stay where they are. -1 empty, -2 bad Dim.
Integer FlipDimArray(TDoubleArray& A, Integer Dim);
Integer FlipDimArray(TDouble2DArray& A, Integer Dim);
Integer FlipDimArray(TDouble3DArray& A, Integer Dim);
Integer FlipDimArray(TDouble4DArray& A, Integer Dim);
Integer FlipDimArray(TIntArray& A, Integer Dim);
Integer FlipDimArray(TInt2DArray& A, Integer Dim);
Integer FlipDimArray(TInt3DArray& A, Integer Dim);
Integer FlipDimArray(TInt4DArray& A, Integer Dim);

/// Replaces every cell by its absolute value; -2147483648 stays -2147483648. -1 empty.
Integer AbsValArray(TDoubleArray& A);
Integer AbsValArray(TDouble2DArray& A);
Integer AbsValArray(TDouble3DArray& A);
Integer AbsValArray(TDouble4DArray& A);
Integer AbsValArray(TIntArray& A);
Integer AbsValArray(TInt2DArray& A);
Integer AbsValArray(TInt3DArray& A);
Integer AbsValArray(TInt4DArray& A);

// --- Cloning and converting ----------------------------------------------------------------

/// Makes Dest an independent copy of Source with Source's first lengths at every level.
/// Double -> Integer clamps to the 32-bit range and rounds halves to even (NaN gives 0);
/// Integer -> Double is exact. -1 when Source is empty (Dest untouched).
Integer CloneArray(const TBoolArray& Source, TBoolArray& Dest);
Integer CloneArray(const TBool2DArray& Source, TBool2DArray& Dest);
Integer CloneArray(const TDoubleArray& Source, TDoubleArray& Dest);
Integer CloneArray(const TDouble2DArray& Source, TDouble2DArray& Dest);
Integer CloneArray(const TDouble3DArray& Source, TDouble3DArray& Dest);
Integer CloneArray(const TDouble4DArray& Source, TDouble4DArray& Dest);
Integer CloneArray(const TIntArray& Source, TIntArray& Dest);
Integer CloneArray(const TInt2DArray& Source, TInt2DArray& Dest);
Integer CloneArray(const TInt3DArray& Source, TInt3DArray& Dest);
Integer CloneArray(const TInt4DArray& Source, TInt4DArray& Dest);
Integer CloneArray(const TDoubleArray& Source, TIntArray& Dest);
Integer CloneArray(const TDouble2DArray& Source, TInt2DArray& Dest);
Integer CloneArray(const TDouble3DArray& Source, TInt3DArray& Dest);
Integer CloneArray(const TDouble4DArray& Source, TInt4DArray& Dest);
Integer CloneArray(const TIntArray& Source, TDoubleArray& Dest);
Integer CloneArray(const TInt2DArray& Source, TDouble2DArray& Dest);
Integer CloneArray(const TInt3DArray& Source, TDouble3DArray& Dest);
Integer CloneArray(const TInt4DArray& Source, TDouble4DArray& Dest);

// --- Minimum and maximum -------------------------------------------------------------------

/// Largest cell (first one visited among equals, first subscript slowest), or -2147483648 /
/// -uc_MaxDouble for an empty array; the index outputs are then left unchanged. Only cells
/// that exist are visited; NaN cells are passed over wherever they sit (NaN only when every
/// cell is NaN).
Integer MaxArray(const TIntArray& A, Integer& Index);
Integer MaxArray(const TIntArray& A);
double MaxArray(const TDoubleArray& A);
double MaxArray(const TDouble2DArray& A);
Integer MaxArray(const TInt2DArray& A, Integer& Index1, Integer& Index2);
Integer MaxArray(const TInt2DArray& A);
double MaxArray(const TDouble3DArray& A);
double MaxArray(const TDouble4DArray& A);

/// Smallest cell, or 2147483647 / uc_MaxDouble for an empty array.
Integer MinArray(const TIntArray& A);
Integer MinArray(const TInt2DArray& A);
Integer MinArray(const TInt3DArray& A);
Integer MinArray(const TInt4DArray& A);
double MinArray(const TDoubleArray& A);
double MinArray(const TDouble2DArray& A);
double MinArray(const TDouble3DArray& A);
double MinArray(const TDouble4DArray& A);

/// Smallest and largest cell, NaN cells passed over wherever they sit (NaN only when every cell
/// is NaN). Min and Max are preset to the top and bottom of the element range (uc_MaxDouble
/// and -uc_MaxDouble, 2147483647 and -2147483648) and keep the presets on -1 (empty) and -2.
Integer MinMaxArray(const TDoubleArray& A, double& Min, double& Max);
Integer MinMaxArray(const TDouble2DArray& A, double& Min, double& Max);
Integer MinMaxArray(const TDouble3DArray& A, double& Min, double& Max);
Integer MinMaxArray(const TDouble4DArray& A, double& Min, double& Max);
Integer MinMaxArray(std::span<const double> A, double& Min, double& Max);
Integer MinMaxArray(const TIntArray& A, Integer& Min, Integer& Max);
Integer MinMaxArray(const TInt2DArray& A, Integer& Min, Integer& Max);
Integer MinMaxArray(const TInt3DArray& A, Integer& Min, Integer& Max);
Integer MinMaxArray(const TInt4DArray& A, Integer& Min, Integer& Max);
Integer MinMaxArray(std::span<const Integer> A, Integer& Min, Integer& Max);

/// Extremes of the box lo..hi with their indices. Each index must lie inside its dimension
/// (-2 otherwise) but lo > hi is allowed and visits nothing. The running values start from
/// the presets, and every index output from 0, so an index stays 0 when no cell beats the
/// preset.
Integer MinMaxArray(const TDoubleArray& A, Integer lo, Integer hi, double& Min, double& Max,
                    Integer& IxMin, Integer& IxMax);
Integer MinMaxArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& Min, double& Max, Integer& IxMin1, Integer& IxMin2, Integer& IxMax1,
                    Integer& IxMax2);
Integer MinMaxArray(const TIntArray& A, Integer lo, Integer hi, Integer& Min, Integer& Max,
                    Integer& IxMin, Integer& IxMax);
Integer MinMaxArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    Integer& Min, Integer& Max, Integer& IxMin1, Integer& IxMin2, Integer& IxMax1,
                    Integer& IxMax2);

// --- Copying boxes, rows and columns -------------------------------------------------------

/// Copies all of Source (its first lengths) into Dest at the offsets; Dest is never resized
/// and only the block is written. -1 Source or Dest empty, -2 an offset outside Dest or a
/// block that does not fit. Copying within one array behaves as if the block were copied out
/// first.
Integer CopyArray(const TBoolArray& Source, Integer off, TBoolArray& Dest);
Integer CopyArray(const TBool2DArray& Source, Integer off1, Integer off2, TBool2DArray& Dest);
Integer CopyArray(const TDoubleArray& Source, Integer off, TDoubleArray& Dest);
Integer CopyArray(const TDouble2DArray& Source, Integer off1, Integer off2, TDouble2DArray& Dest);
Integer CopyArray(const TDouble3DArray& Source, Integer off1, Integer off2, Integer off3,
                  TDouble3DArray& Dest);
Integer CopyArray(const TDouble4DArray& Source, Integer off1, Integer off2, Integer off3,
                  Integer off4, TDouble4DArray& Dest);
Integer CopyArray(const TIntArray& Source, Integer off, TIntArray& Dest);
Integer CopyArray(const TInt2DArray& Source, Integer off1, Integer off2, TInt2DArray& Dest);
Integer CopyArray(const TInt3DArray& Source, Integer off1, Integer off2, Integer off3,
                  TInt3DArray& Dest);
Integer CopyArray(const TInt4DArray& Source, Integer off1, Integer off2, Integer off3, Integer off4,
                  TInt4DArray& Dest);

/// Copies the box lo..hi of Source into Dest at the offsets; -2 also for a bad range.
Integer CopyArray(const TDoubleArray& Source, Integer lo, Integer hi, Integer off,
                  TDoubleArray& Dest);
Integer CopyArray(const TDouble2DArray& Source, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  Integer off1, Integer off2, TDouble2DArray& Dest);
Integer CopyArray(const TDouble3DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, Integer off1, Integer off2, Integer off3,
                  TDouble3DArray& Dest);
Integer CopyArray(const TDouble4DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, Integer off1, Integer off2,
                  Integer off3, Integer off4, TDouble4DArray& Dest);
Integer CopyArray(const TIntArray& Source, Integer lo, Integer hi, Integer off, TIntArray& Dest);
Integer CopyArray(const TInt2DArray& Source, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  Integer off1, Integer off2, TInt2DArray& Dest);
Integer CopyArray(const TInt3DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, Integer off1, Integer off2, Integer off3,
                  TInt3DArray& Dest);
Integer CopyArray(const TInt4DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, Integer off1, Integer off2,
                  Integer off3, Integer off4, TInt4DArray& Dest);

/// Vec := A[Column][lo..hi]. -1 empty, -2 bad range (tested first), -3 bad column.
Integer CopyArrayColumn(const TDouble2DArray& A, Integer Column, Integer lo, Integer hi,
                        TDoubleArray& Vec);
Integer CopyArrayColumn(const TInt2DArray& A, Integer Column, Integer lo, Integer hi,
                        TIntArray& Vec);
Integer CopyArrayColumn(const TBool2DArray& A, Integer Column, Integer lo, Integer hi,
                        TBoolArray& Vec);
/// Vec := A[lo..hi][Row]. -1 empty, -2 bad range (tested first), -3 bad row.
Integer CopyArrayRow(const TDouble2DArray& A, Integer Row, Integer lo, Integer hi,
                     TDoubleArray& Vec);
Integer CopyArrayRow(const TInt2DArray& A, Integer Row, Integer lo, Integer hi, TIntArray& Vec);
Integer CopyArrayRow(const TBool2DArray& A, Integer Row, Integer lo, Integer hi, TBoolArray& Vec);

/// Number of true (non-zero) cells, saturating at 2147483647; -1 when empty.
Integer CountTrueCellsOfArray(const TBool2DArray& A);
Integer CountTrueCellsOfArray(const TBoolArray& A);

// --- Filling -------------------------------------------------------------------------------

/// Writes Value into every cell (Boolean: true stores 1). -1 empty.
Integer FillArray(TDoubleArray& A, double Value);
Integer FillArray(TDouble2DArray& A, double Value);
Integer FillArray(TDouble3DArray& A, double Value);
Integer FillArray(TDouble4DArray& A, double Value);
Integer FillArray(TIntArray& A, Integer Value);
Integer FillArray(TInt2DArray& A, Integer Value);
Integer FillArray(TInt3DArray& A, Integer Value);
Integer FillArray(TInt4DArray& A, Integer Value);
Integer FillArray(TBoolArray& A, bool Value);
Integer FillArray(TBool2DArray& A, bool Value);

/// Writes Value into the box lo..hi only. -1 empty, -2 bad range.
Integer FillArray(TDoubleArray& A, double Value, Integer lo, Integer hi);
Integer FillArray(TDouble2DArray& A, double Value, Integer lo1, Integer lo2, Integer hi1,
                  Integer hi2);
Integer FillArray(TDouble3DArray& A, double Value, Integer lo1, Integer lo2, Integer lo3,
                  Integer hi1, Integer hi2, Integer hi3);
Integer FillArray(TDouble4DArray& A, double Value, Integer lo1, Integer lo2, Integer lo3,
                  Integer lo4, Integer hi1, Integer hi2, Integer hi3, Integer hi4);
Integer FillArray(TIntArray& A, Integer Value, Integer lo, Integer hi);
Integer FillArray(TInt2DArray& A, Integer Value, Integer lo1, Integer lo2, Integer hi1,
                  Integer hi2);
Integer FillArray(TInt3DArray& A, Integer Value, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3);
Integer FillArray(TInt4DArray& A, Integer Value, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4);

/// Value on the main diagonal (all indices equal), 0 everywhere else. -1 empty, -2 when the
/// dimensions differ in length.
Integer FillDiagArray(TDouble2DArray& A, double Value);
Integer FillDiagArray(TDouble3DArray& A, double Value);
Integer FillDiagArray(TDouble4DArray& A, double Value);
Integer FillDiagArray(TInt2DArray& A, Integer Value);
Integer FillDiagArray(TInt3DArray& A, Integer Value);
Integer FillDiagArray(TInt4DArray& A, Integer Value);

/// Reseeds the platform generator (on every call), then stores one normal deviate with mean M
/// and standard deviation S per cell. -1 empty, -2 when S < 0 or M or S is NaN or infinite.
Integer FillRandomNormal(TDoubleArray& A, double M, double S);
Integer FillRandomNormal(TDouble2DArray& A, double M, double S);
Integer FillRandomNormal(TDouble3DArray& A, double M, double S);
Integer FillRandomNormal(TDouble4DArray& A, double M, double S);

/// Reseeds the platform generator (on every call), then stores one uniform value per cell:
/// Double in [L, H), Integer in L .. H - 1; L = H stores L everywhere. -1 empty, -2 when
/// L > H, a bound is NaN, or L < H with an infinite bound.
Integer FillRandomUniform(TDoubleArray& A, double L, double H);
Integer FillRandomUniform(TDouble2DArray& A, double L, double H);
Integer FillRandomUniform(TDouble3DArray& A, double L, double H);
Integer FillRandomUniform(TDouble4DArray& A, double L, double H);
Integer FillRandomUniform(TIntArray& A, Integer L, Integer H);
Integer FillRandomUniform(TInt2DArray& A, Integer L, Integer H);
Integer FillRandomUniform(TInt3DArray& A, Integer L, Integer H);
Integer FillRandomUniform(TInt4DArray& A, Integer L, Integer H);

// --- Mean and standard deviation of boxes --------------------------------------------------

/// Mean of the box lo..hi (cells summed in a fixed order in one Double accumulator, scaled by a
/// power of two where that sum would overflow). Mean is 0 on -1 (empty) and -2 (bad range).
Integer MeanArray(const TDoubleArray& A, Integer lo, Integer hi, double& Mean);
Integer MeanArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  double& Mean);
Integer MeanArray(const TDouble3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, double& Mean);
Integer MeanArray(const TDouble4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& Mean);
Integer MeanArray(const TIntArray& A, Integer lo, Integer hi, double& Mean);
Integer MeanArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  double& Mean);
Integer MeanArray(const TInt3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, double& Mean);
Integer MeanArray(const TInt4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& Mean);

/// Sample standard deviation (divisor n - 1, two passes, scaled by a power of two where squares
/// would overflow or underflow) of the box lo..hi; 0 for one cell.
/// StdDev is 0 on -1 (empty) and -2 (bad range).
Integer StdDevArray(const TDoubleArray& A, Integer lo, Integer hi, double& StdDev);
Integer StdDevArray(const TDouble2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& StdDev);
Integer StdDevArray(const TDouble3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                    Integer hi2, Integer hi3, double& StdDev);
Integer StdDevArray(const TDouble4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                    Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& StdDev);
Integer StdDevArray(const TIntArray& A, Integer lo, Integer hi, double& StdDev);
Integer StdDevArray(const TInt2DArray& A, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                    double& StdDev);
Integer StdDevArray(const TInt3DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                    Integer hi2, Integer hi3, double& StdDev);
Integer StdDevArray(const TInt4DArray& A, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                    Integer hi1, Integer hi2, Integer hi3, Integer hi4, double& StdDev);

// --- Element-wise and scalar arithmetic ----------------------------------------------------

/// C := A * B cell by cell. -1 A or B empty (both tested before -2), -2 shapes differ.
Integer MultiplyArraysElemw(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
Integer MultiplyArraysElemw(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
Integer MultiplyArraysElemw(const TIntArray& A, const TIntArray& B, TIntArray& C);
Integer MultiplyArraysElemw(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);

/// C := A + B cell by cell. -1 A or B empty (both tested before -2), -2 shapes differ.
Integer AddArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
Integer AddArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
Integer AddArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
Integer AddArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
Integer AddArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
Integer AddArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
Integer AddArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
Integer AddArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// C := A - B cell by cell. -1 A or B empty (both tested before -2), -2 shapes differ.
Integer SubtractArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
Integer SubtractArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
Integer SubtractArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
Integer SubtractArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
Integer SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
Integer SubtractArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
Integer SubtractArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
Integer SubtractArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// C := A * s cell by cell (every s accepted). -1 A empty.
Integer MultiplyArrayByScalar(const TDoubleArray& A, double s, TDoubleArray& C);
Integer MultiplyArrayByScalar(const TDouble2DArray& A, double s, TDouble2DArray& C);
Integer MultiplyArrayByScalar(const TDouble3DArray& A, double s, TDouble3DArray& C);
Integer MultiplyArrayByScalar(const TDouble4DArray& A, double s, TDouble4DArray& C);
Integer MultiplyArrayByScalar(const TIntArray& A, Integer s, TIntArray& C);
Integer MultiplyArrayByScalar(const TInt2DArray& A, Integer s, TInt2DArray& C);
Integer MultiplyArrayByScalar(const TInt3DArray& A, Integer s, TInt3DArray& C);
Integer MultiplyArrayByScalar(const TInt4DArray& A, Integer s, TInt4DArray& C);

/// A := A * s in place. -1 A empty.
Integer MultiplyArrayByScalar(TDoubleArray& A, double s);
Integer MultiplyArrayByScalar(TDouble2DArray& A, double s);
Integer MultiplyArrayByScalar(TDouble3DArray& A, double s);
Integer MultiplyArrayByScalar(TDouble4DArray& A, double s);
Integer MultiplyArrayByScalar(TIntArray& A, Integer s);
Integer MultiplyArrayByScalar(TInt2DArray& A, Integer s);
Integer MultiplyArrayByScalar(TInt3DArray& A, Integer s);
Integer MultiplyArrayByScalar(TInt4DArray& A, Integer s);

/// C := A + s cell by cell. -1 A empty.
Integer AddScalarToArray(const TDoubleArray& A, double s, TDoubleArray& C);
Integer AddScalarToArray(const TDouble2DArray& A, double s, TDouble2DArray& C);
Integer AddScalarToArray(const TDouble3DArray& A, double s, TDouble3DArray& C);
Integer AddScalarToArray(const TDouble4DArray& A, double s, TDouble4DArray& C);
Integer AddScalarToArray(const TIntArray& A, Integer s, TIntArray& C);
Integer AddScalarToArray(const TInt2DArray& A, Integer s, TInt2DArray& C);
Integer AddScalarToArray(const TInt3DArray& A, Integer s, TInt3DArray& C);
Integer AddScalarToArray(const TInt4DArray& A, Integer s, TInt4DArray& C);

/// A := A + s in place. -1 A empty.
Integer IncArray(TDoubleArray& A, double s);
Integer IncArray(TDouble2DArray& A, double s);
Integer IncArray(TDouble3DArray& A, double s);
Integer IncArray(TDouble4DArray& A, double s);
Integer IncArray(TIntArray& A, Integer s);
Integer IncArray(TInt2DArray& A, Integer s);
Integer IncArray(TInt3DArray& A, Integer s);
Integer IncArray(TInt4DArray& A, Integer s);

// --- Trace, transposition, discretisation --------------------------------------------------

/// Sum of A[i][i] of a square array (Integer: wrapping). Trace is 0 on -1 (empty) and -2
/// (not square).
Integer TraceOfArray(const TDouble2DArray& A, double& Trace);
Integer TraceOfArray(const TInt2DArray& A, Integer& Trace);

/// A becomes its transpose: afterwards A[j][i] holds the former A[i][j]. -1 when empty.
Integer TransposeArray(TDouble2DArray& A);
Integer TransposeArray(TInt2DArray& A);
Integer TransposeArray(TBool2DArray& A);

/// Maps every cell onto N levels from LoVal to HiVal: cells <= LoLim give LoVal, cells
/// >= HiLim give HiVal, the N - 2 equal bins between give the levels in between; NaN cells
/// stay. -1 when N < 3, -2 when !(LoLim < HiLim) (wins over -1); an empty A gives 0.
Integer DiscretizeArray(TDouble2DArray& A, Integer N, double LoLim, double HiLim, double LoVal,
                        double HiVal);

}  // namespace NUV_openarrays
}  // namespace nuv
