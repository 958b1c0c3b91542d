#pragma once
// Error class of unit NUV_statis.

#include "nuv/base/errors.hpp"

namespace nuv {

/// Error of unit NUV_statis; a plain function's message is "Name: text".
class ENUVStatisError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
