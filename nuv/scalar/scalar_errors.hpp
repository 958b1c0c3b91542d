#pragma once
// Error classes of the scalar units.

#include "nuv/base/errors.hpp"

namespace nuv {

class ENUVMath1Error : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

class ENUVComplexError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

class ENUVVectorError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

}  // namespace nuv
