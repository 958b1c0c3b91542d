// Cloning and converting, copying whole arrays and boxes, columns and rows.
#include "nuv/openarrays/NUV_openarrays.hpp"
#include "nuv/openarrays/detail/array_copy.hpp"

namespace nuv {
inline namespace NUV_openarrays {

Integer CloneArray(const TBoolArray& Source, TBoolArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TBool2DArray& Source, TBool2DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDoubleArray& Source, TDoubleArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble2DArray& Source, TDouble2DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble3DArray& Source, TDouble3DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble4DArray& Source, TDouble4DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TIntArray& Source, TIntArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt2DArray& Source, TInt2DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt3DArray& Source, TInt3DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt4DArray& Source, TInt4DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDoubleArray& Source, TIntArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble2DArray& Source, TInt2DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble3DArray& Source, TInt3DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TDouble4DArray& Source, TInt4DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TIntArray& Source, TDoubleArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt2DArray& Source, TDouble2DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt3DArray& Source, TDouble3DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}
Integer CloneArray(const TInt4DArray& Source, TDouble4DArray& Dest) {
  return detail::CloneArray(Source, Dest);
}

Integer CopyArray(const TBoolArray& Source, Integer off, TBoolArray& Dest) {
  return detail::CopyArrayWhole(Source, {off}, Dest);
}
Integer CopyArray(const TBool2DArray& Source, Integer off1, Integer off2, TBool2DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2}, Dest);
}
Integer CopyArray(const TDoubleArray& Source, Integer off, TDoubleArray& Dest) {
  return detail::CopyArrayWhole(Source, {off}, Dest);
}
Integer CopyArray(const TDouble2DArray& Source, Integer off1, Integer off2, TDouble2DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2}, Dest);
}
Integer CopyArray(const TDouble3DArray& Source, Integer off1, Integer off2, Integer off3,
                  TDouble3DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2, off3}, Dest);
}
Integer CopyArray(const TDouble4DArray& Source, Integer off1, Integer off2, Integer off3,
                  Integer off4, TDouble4DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2, off3, off4}, Dest);
}
Integer CopyArray(const TIntArray& Source, Integer off, TIntArray& Dest) {
  return detail::CopyArrayWhole(Source, {off}, Dest);
}
Integer CopyArray(const TInt2DArray& Source, Integer off1, Integer off2, TInt2DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2}, Dest);
}
Integer CopyArray(const TInt3DArray& Source, Integer off1, Integer off2, Integer off3,
                  TInt3DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2, off3}, Dest);
}
Integer CopyArray(const TInt4DArray& Source, Integer off1, Integer off2, Integer off3, Integer off4,
                  TInt4DArray& Dest) {
  return detail::CopyArrayWhole(Source, {off1, off2, off3, off4}, Dest);
}

Integer CopyArray(const TDoubleArray& Source, Integer lo, Integer hi, Integer off,
                  TDoubleArray& Dest) {
  return detail::CopyArrayBox(Source, {lo}, {hi}, {off}, Dest);
}
Integer CopyArray(const TDouble2DArray& Source, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  Integer off1, Integer off2, TDouble2DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2}, {hi1, hi2}, {off1, off2}, Dest);
}
Integer CopyArray(const TDouble3DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, Integer off1, Integer off2, Integer off3,
                  TDouble3DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2, lo3}, {hi1, hi2, hi3}, {off1, off2, off3}, Dest);
}
Integer CopyArray(const TDouble4DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, Integer off1, Integer off2,
                  Integer off3, Integer off4, TDouble4DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4},
                              {off1, off2, off3, off4}, Dest);
}
Integer CopyArray(const TIntArray& Source, Integer lo, Integer hi, Integer off, TIntArray& Dest) {
  return detail::CopyArrayBox(Source, {lo}, {hi}, {off}, Dest);
}
Integer CopyArray(const TInt2DArray& Source, Integer lo1, Integer lo2, Integer hi1, Integer hi2,
                  Integer off1, Integer off2, TInt2DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2}, {hi1, hi2}, {off1, off2}, Dest);
}
Integer CopyArray(const TInt3DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer hi1,
                  Integer hi2, Integer hi3, Integer off1, Integer off2, Integer off3,
                  TInt3DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2, lo3}, {hi1, hi2, hi3}, {off1, off2, off3}, Dest);
}
Integer CopyArray(const TInt4DArray& Source, Integer lo1, Integer lo2, Integer lo3, Integer lo4,
                  Integer hi1, Integer hi2, Integer hi3, Integer hi4, Integer off1, Integer off2,
                  Integer off3, Integer off4, TInt4DArray& Dest) {
  return detail::CopyArrayBox(Source, {lo1, lo2, lo3, lo4}, {hi1, hi2, hi3, hi4},
                              {off1, off2, off3, off4}, Dest);
}

Integer CopyArrayColumn(const TDouble2DArray& A, Integer Column, Integer lo, Integer hi,
                        TDoubleArray& Vec) {
  return detail::CopyArrayColumn(A, Column, lo, hi, Vec);
}
Integer CopyArrayColumn(const TInt2DArray& A, Integer Column, Integer lo, Integer hi,
                        TIntArray& Vec) {
  return detail::CopyArrayColumn(A, Column, lo, hi, Vec);
}
Integer CopyArrayColumn(const TBool2DArray& A, Integer Column, Integer lo, Integer hi,
                        TBoolArray& Vec) {
  return detail::CopyArrayColumn(A, Column, lo, hi, Vec);
}
Integer CopyArrayRow(const TDouble2DArray& A, Integer Row, Integer lo, Integer hi,
                     TDoubleArray& Vec) {
  return detail::CopyArrayRow(A, Row, lo, hi, Vec);
}
Integer CopyArrayRow(const TInt2DArray& A, Integer Row, Integer lo, Integer hi, TIntArray& Vec) {
  return detail::CopyArrayRow(A, Row, lo, hi, Vec);
}
Integer CopyArrayRow(const TBool2DArray& A, Integer Row, Integer lo, Integer hi, TBoolArray& Vec) {
  return detail::CopyArrayRow(A, Row, lo, hi, Vec);
}

}  // namespace NUV_openarrays
}  // namespace nuv
