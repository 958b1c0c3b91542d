#include "nuv/base/errors.hpp"

namespace nuv::detail {

std::string ComponentMessage(const TComponent* C, std::string_view Text) {
  return ComponentMessage(C != nullptr ? std::string_view(C->Name()) : std::string_view(), Text);
}

std::string ComponentMessage(std::string_view QualifiedName, std::string_view Text) {
  std::string msg = "Component \"";
  msg += QualifiedName;
  msg += "\": ";
  msg += Text;
  return msg;
}

std::string FunctionMessage(std::string_view FuncName, std::string_view Text) {
  std::string msg(FuncName);
  msg += ": ";
  msg += Text;
  return msg;
}

}  // namespace nuv::detail
