#pragma once
// Error class of the unit NUV_fourier.

#include "nuv/base/errors.hpp"

namespace nuv {

class ENUVFourierError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
