#include "support/files.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace burrowlight::test_support {

namespace fs = std::filesystem;

namespace {

fs::path base_for(Medium medium) {
  if (medium == Medium::Memory && fs::is_directory("/dev/shm")) return "/dev/shm";
  return testing::TempDir();
}

}  // namespace

TemporaryDirectory::TemporaryDirectory(std::string_view prefix, Medium medium) {
  std::string pattern = (base_for(medium) / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
  }
  path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
  // A test may leave a directory without write permission behind; removal must not
  // throw from a destructor, and a leftover in the temporary area is harmless.
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot open " << path << " for reading";
    return {};
  }
  std::ostringstream content;
  content << in.rdbuf();
  return std::move(content).str();
}

std::optional<fs::path> find_on_path(std::string_view name) {
  const char* search = std::getenv("PATH");
  if (search == nullptr) return std::nullopt;
  std::string_view rest = search;
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string_view entry = rest.substr(0, colon);
    // An empty entry means the current directory, as it does for the shell.
    const fs::path candidate = fs::path(entry.empty() ? "." : entry) / name;
    if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate)) return candidate;
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace burrowlight::test_support
