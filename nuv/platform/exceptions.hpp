#pragma once
// The exception hierarchy every error of the library derives from.

#include <exception>
#include <string>

namespace nuv {

/// Base of every exception the library raises; what() returns Message().
class Exception : public std::exception {
 public:
  explicit Exception(std::string msg) : FMessage(std::move(msg)) {}
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

/// Arithmetic failure (invalid argument of a mathematical function, unrepresentable result).
class EMathError : public Exception {
 public:
  using Exception::Exception;
};

/// Conversion failure; also the assignment error "Cannot assign a X to a Y".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

/// File input/output failure.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

/// Stream failure (a read or write that could not be completed).
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace nuv
