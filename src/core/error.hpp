#pragma once
// The one error value of the program: the text the user will read, and the
// operating system's error number when the failure came from a system call.

#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace burrowlight {

class Error {
 public:
  explicit Error(std::string text) : text_(std::move(text)) {}

  // An operating-system failure, displayed as "No such file or directory (os error 2)".
  // The description is the system's own; the system layer looks it up.
  static Error os(int code, std::string_view description);

  const std::string& text() const { return text_; }
  std::optional<int> os_code() const { return os_code_; }

  bool operator==(const Error&) const = default;

 private:
  std::string text_;
  std::optional<int> os_code_;
};

template <class T = void>
using Result = std::expected<T, Error>;

}  // namespace burrowlight
