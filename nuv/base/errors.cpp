#include "nuv/base/errors.hpp"

namespace nuv::detail {

std::string ComponentMessage(const TComponent* C, std::string_view Text) {
  std::string msg = "Component \"";
  if (C != nullptr) msg += C->Name();
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
