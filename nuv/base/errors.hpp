#pragma once
// ENUVError, the base of the library's own exceptions, and the two message shapes:
// components say `Component "<Name>": <text>`, plain functions say `<Name>: <text>`.

#include <string>
#include <string_view>

#include "nuv/platform/component.hpp"
#include "nuv/platform/exceptions.hpp"

namespace nuv {

class ENUVError : public Exception {
 public:
  using Exception::Exception;
};

namespace detail {

/// `Component "<Name>": <Text>`; a null component gives an empty name.
std::string ComponentMessage(const TComponent* C, std::string_view Text);
/// `Component "<QualifiedName>": <Text>`, for messages that qualify the name (e.g. "v.Histogram").
std::string ComponentMessage(std::string_view QualifiedName, std::string_view Text);
/// `<FuncName>: <Text>`.
std::string FunctionMessage(std::string_view FuncName, std::string_view Text);

template <class E>
[[noreturn]] void RaiseComponent(const TComponent* C, std::string_view Text) {
  throw E(ComponentMessage(C, Text));
}

template <class E>
[[noreturn]] void RaiseFunction(std::string_view FuncName, std::string_view Text) {
  throw E(FunctionMessage(FuncName, Text));
}

}  // namespace detail
}  // namespace nuv
