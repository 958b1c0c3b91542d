#pragma once
// Stream items: a floating item is an 8-byte little-endian IEEE-754 binary64 (an x86-32
// Extended is rounded to double on writing); an integer item is 4 bytes little-endian.

#include "nuv/platform/stream.hpp"
#include "nuv/platform/types.hpp"

namespace nuv {

/// Appends one floating item at the stream's position; raises EStreamError when it cannot.
void WriteExtendedToStream(TStream* OutStream, Extended X);
/// Appends one 32-bit integer item.
void WriteLongintToStream(TStream* OutStream, Integer X);
/// Reads one floating item into X; false (X unchanged, position at the end of the stream)
/// when fewer than 8 bytes are left or the stream is null.
bool ReadExtendedFromStream(TStream* InStream, Extended& X);
/// Reads one 32-bit integer item; false as above when fewer than 4 bytes are left.
bool ReadLongintFromStream(TStream* InStream, Integer& X);

}  // namespace nuv
