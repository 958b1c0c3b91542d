#pragma once
// Error class of the matrix unit.

#include "nuv/base/errors.hpp"

namespace nuv {

/// Raised by TMatrix and the other containers of the matrix unit.
class ENUVMatrixError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
