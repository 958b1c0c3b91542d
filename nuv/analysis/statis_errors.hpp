#pragma once
// Error class of unit NUV_statis.

#include "nuv/base/errors.hpp"

namespace nuv {

class ENUVStatisError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
