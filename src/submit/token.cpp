#include "submit/token.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sys/io.hpp"
#include "sys/os_error.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::submit {

namespace {

constexpr std::size_t kTokenDigits = 64;
// A token file holds the token and perhaps a line end; anything longer is not one.
constexpr std::size_t kLargestTokenFile = 256;

}  // namespace

std::optional<std::string> token_of(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  if (text.size() != kTokenDigits) return std::nullopt;
  for (const char digit : text) {
    if (!((digit >= '0' && digit <= '9') || (digit >= 'a' && digit <= 'f'))) return std::nullopt;
  }
  return std::string(text);
}

Result<std::string> token_from_file(const std::string& path) {
  // Opened once and checked through the descriptor, so the file read is the file checked.
  sys::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!file.valid()) {
    return std::unexpected(
        Error("cannot open the token file " + path + ": " + sys::last_os_error().text()));
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return std::unexpected(
        Error("cannot read the token file " + path + ": " + sys::last_os_error().text()));
  }
  if (!S_ISREG(status.st_mode)) {
    return std::unexpected(Error("the token file " + path + " is not a regular file"));
  }
  if ((status.st_mode & 07777) != 0600) {
    return std::unexpected(
        Error("the token file " + path + " may be read by others; make it private with chmod 600"));
  }
  auto text = sys::read_at_most(file.get(), kLargestTokenFile);
  if (!text) {
    return std::unexpected(
        Error("cannot read the token file " + path + ": " + text.error().text()));
  }
  auto token = token_of(*text);
  if (!token) {
    return std::unexpected(Error("the token file " + path +
                                 " does not hold a token (64 lowercase hexadecimal digits)"));
  }
  return *token;
}

Result<std::string> token_from_environment(const char* value) {
  if (value == nullptr) {
    return std::unexpected(
        Error("no token: set BURROWLIGHT_BOARD_TOKEN or name a file with --token-file"));
  }
  auto token = token_of(value);
  if (!token) {
    return std::unexpected(
        Error("BURROWLIGHT_BOARD_TOKEN does not hold a token (64 lowercase hexadecimal digits)"));
  }
  return *token;
}

}  // namespace burrowlight::submit
