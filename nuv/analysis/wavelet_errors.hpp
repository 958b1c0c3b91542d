#pragma once
// Error class of the unit NUV_wavelet.

#include "nuv/base/errors.hpp"

namespace nuv {

class ENUVWaveletError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
