#pragma once
// Error class of the unit NUV_math2.

#include "nuv/base/errors.hpp"

namespace nuv {

class ENUVMath2Error : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
