#include "board/player_bundle.hpp"

#include <filesystem>

#include "sys/io.hpp"

namespace burrowlight::board {

namespace {

// The player's files are a few hundred KiB; anything this large is not them.
constexpr std::size_t kLargestFile = 8 * 1024 * 1024;

Result<std::string> read_part(const std::string& directory, std::string_view name) {
  const std::string path = (std::filesystem::path(directory) / name).string();
  auto bytes = sys::read_file_start(path, kLargestFile, Error(path + " is not a regular file"));
  if (!bytes)
    return std::unexpected(
        Error("cannot read the web player " + path + ": " + bytes.error().text()));
  if (bytes->size() > kLargestFile) {
    return std::unexpected(Error("the web player " + path + " is larger than 8 MiB"));
  }
  return bytes;
}

}  // namespace

Result<PlayerBundle> read_player_bundle(const std::string& directory) {
  auto script = read_part(directory, "asciinema-player.min.js");
  if (!script) return std::unexpected(script.error());
  auto style = read_part(directory, "asciinema-player.css");
  if (!style) return std::unexpected(style.error());
  return PlayerBundle{std::move(*script), std::move(*style)};
}

Result<std::optional<PlayerBundle>> find_player_bundle(const std::optional<std::string>& named) {
  const std::string directory = named.value_or(std::string(kDefaultPlayerDirectory));
  std::error_code ignored;
  if (!named && !std::filesystem::exists(
                    std::filesystem::path(directory) / "asciinema-player.min.js", ignored)) {
    return std::nullopt;
  }
  auto bundle = read_player_bundle(directory);
  if (!bundle) return std::unexpected(bundle.error());
  return std::optional(std::move(*bundle));
}

}  // namespace burrowlight::board
