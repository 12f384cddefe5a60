#pragma once
// Everything that is persisted about one expedition: the versions, the seed, the
// secret the seed is derived from, the accepted action codes and the sealed flag.
// The state itself is never stored; it is rebuilt and validated by replaying.

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/expedition.hpp"

namespace burrowlight {

namespace record {

inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::uint64_t kRulesVersion = 2;
inline constexpr std::size_t kSecretSize = 32;

using Secret = std::array<std::uint8_t, kSecretSize>;

// Two lowercase hexadecimal digits per byte, high digit first, no separator.
std::string hex(std::span<const std::uint8_t> bytes);

// The seed a secret stands for: the first 8 bytes of its SHA-256 digest, big-endian.
std::uint64_t seed_from_secret(const Secret& secret);

}  // namespace record

struct Record {
  std::uint32_t format_version;
  std::uint64_t rules_version;
  std::uint64_t seed;
  std::optional<record::Secret> secret;
  std::vector<std::uint8_t> actions;
  bool finished;

  // A fresh normal expedition whose seed follows from the secret.
  explicit Record(const record::Secret& secret);
  // A fresh practice expedition on a seed of the player's choice, with no secret.
  static Record practice(std::uint64_t seed);

  // The expedition the actions lead to, or the one-line reason the record is invalid.
  std::expected<Expedition, std::string> replay() const {
    return replay([](const Expedition&, const expedition::Event&) {});
  }
  // The same, calling `after_step(expedition, event)` after every action with the
  // expedition as that action left it, for a caller that follows the whole way.
  template <class AfterStep>
  std::expected<Expedition, std::string> replay(AfterStep&& after_step) const;

  // The public identity of a normal expedition: the full digest of its secret in hex.
  std::optional<std::string> expedition_id() const;

  // Reads a save strictly: exact keys, types and ranges, nothing before or after it.
  static std::expected<Record, std::string> from_json(std::string_view text);
  // The save file's bytes: two-space pretty JSON in field order, ending in a line feed.
  std::string to_pretty_json() const;

  bool operator==(const Record&) const = default;

 private:
  Record(std::optional<record::Secret> initial_secret, std::uint64_t initial_seed);

  // Why the versions, the secret or the number of actions make the record invalid.
  std::optional<std::string> invalid_header() const;
  // Why action `step`, counted from one as a player would count, cannot be replayed: an
  // unknown code, or the rules' refusal.
  static std::string invalid_step(std::size_t step, std::optional<expedition::Refusal> refusal);
};

template <class AfterStep>
std::expected<Expedition, std::string> Record::replay(AfterStep&& after_step) const {
  if (std::optional<std::string> reason = invalid_header()) return std::unexpected(*reason);
  Expedition expedition(seed);
  for (std::size_t index = 0; index < actions.size(); ++index) {
    const std::optional<expedition::Action> action = expedition::Action::from_code(actions[index]);
    if (!action) return std::unexpected(invalid_step(index + 1, std::nullopt));
    const auto event = expedition.apply(*action);
    if (!event) return std::unexpected(invalid_step(index + 1, event.error()));
    after_step(std::as_const(expedition), *event);
  }
  return expedition;
}

}  // namespace burrowlight
