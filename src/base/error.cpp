#include "base/error.hpp"

#include "base/overloaded.hpp"

namespace burrowlight {

namespace {

std::string display_text(const ErrorKind& kind) {
  return std::visit(
      Overloaded{
          [](const error::Message& message) { return message.text; },
          [](const error::System& system) {
            return system.description + " (os error " + std::to_string(system.code) + ")";
          },
          [](const error::LockHeld& lock) {
            const std::string reason =
                lock.would_block ? "lock acquisition failed because the operation would block"
                                 : "lock acquisition failed due to I/O error";
            return "Cannot lock save " + lock.save + ": " + reason +
                   ". Close another BurrowLight process using this save.";
          },
          [](const error::InvalidSave& invalid) { return invalid.reason; },
      },
      kind);
}

}  // namespace

Error::Error(ErrorKind kind) : kind_(std::move(kind)), text_(display_text(kind_)) {}

Error Error::os(int code, std::string_view description) {
  return Error(error::System{code, std::string(description)});
}

std::optional<int> Error::os_code() const {
  if (const auto* system = std::get_if<error::System>(&kind_)) return system->code;
  return std::nullopt;
}

}  // namespace burrowlight
