#include "nuv/scalar/NUV_complex.hpp"

namespace nuv {
inline namespace NUV_complex {

double CpxNearZero = 1e-15;

}  // namespace NUV_complex
}  // namespace nuv
