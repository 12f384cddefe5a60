#include "core/error.hpp"

namespace burrowlight {

Error Error::os(int code, std::string_view description) {
  Error error(std::string(description) + " (os error " + std::to_string(code) + ")");
  error.os_code_ = code;
  return error;
}

}  // namespace burrowlight
