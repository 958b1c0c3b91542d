#pragma once
// Plain numeric types under the names the library's interface uses.

#include <cstdint>
#include <string>

namespace nuv {

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using ShortInt = std::int8_t;
using SmallInt = std::int16_t;
using Single = float;
using Double = double;

/// The widest floating type: double on x86-64, the 80-bit x87 type on x86-32.
#if defined(__i386__)
using Extended = long double;
#define NUV_EXTENDED_IS_LONG_DOUBLE 1
#else
using Extended = double;
#endif

using string = std::string;

}  // namespace nuv
