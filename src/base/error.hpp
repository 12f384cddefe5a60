#pragma once
// The one error value of the program: what kind of failure it is, and the text the user
// will read, made from that kind. Code that must tell failures apart (the Python binding,
// a missing save) looks at the kind, never at the text.

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace burrowlight {

namespace error {

// A refusal or failure that only its sentence describes.
struct Message {
  std::string text;
  bool operator==(const Message&) const = default;
};

// A failed system call: its error number and the system's description of it, which
// may start with the context the system's words lack.
struct System {
  int code = 0;
  std::string description;
  bool operator==(const System&) const = default;
};

// A save whose lock this process could not take: another process holds it, or taking
// it failed without telling why. `save` is the path as the message shows it.
struct LockHeld {
  std::string save;
  bool would_block = true;
  bool operator==(const LockHeld&) const = default;
};

// A save whose bytes do not parse, or whose record does not replay: the reason.
struct InvalidSave {
  std::string reason;
  bool operator==(const InvalidSave&) const = default;
};

}  // namespace error

using ErrorKind = std::variant<error::Message, error::System, error::LockHeld, error::InvalidSave>;

class Error {
 public:
  explicit Error(std::string text) : Error(ErrorKind(error::Message{std::move(text)})) {}
  explicit Error(ErrorKind kind);

  // An operating-system failure, displayed as "No such file or directory (os error 2)".
  // The description is the system's own; the system layer looks it up.
  static Error os(int code, std::string_view description);

  const ErrorKind& kind() const { return kind_; }
  const std::string& text() const { return text_; }
  std::optional<int> os_code() const;

  bool operator==(const Error&) const = default;

 private:
  ErrorKind kind_;
  // Made from the kind once, since most errors are shown at least once.
  std::string text_;
};

template <class T = void>
using Result = std::expected<T, Error>;

}  // namespace burrowlight
