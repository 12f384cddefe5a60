#include "core/expedition_record.hpp"

#include <openssl/sha.h>

#include <algorithm>
#include <charconv>

namespace burrowlight {

namespace record {

namespace {

using Digest = std::array<std::uint8_t, SHA256_DIGEST_LENGTH>;

// The message is exactly the secret's bytes: no salt, key, version or separator.
Digest digest(const Secret& secret) {
  Digest result;
  SHA256(secret.data(), secret.size(), result.data());
  return result;
}

}  // namespace

std::string hex(std::span<const std::uint8_t> bytes) {
  static constexpr std::string_view kDigits = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0f]);
  }
  return text;
}

std::uint64_t seed_from_secret(const Secret& secret) {
  const Digest full = digest(secret);
  std::uint64_t seed = 0;
  for (std::size_t index = 0; index < 8; ++index) seed = (seed << 8) | full[index];
  return seed;
}

}  // namespace record

Record::Record(std::optional<record::Secret> initial_secret, std::uint64_t initial_seed)
    : format_version(record::kFormatVersion),
      rules_version(record::kRulesVersion),
      seed(initial_seed),
      secret(initial_secret),
      actions(),
      finished(false) {}

Record::Record(const record::Secret& initial_secret)
    : Record(initial_secret, record::seed_from_secret(initial_secret)) {}

Record Record::practice(std::uint64_t seed) { return Record(std::nullopt, seed); }

std::optional<std::string> Record::invalid_header() const {
  if (format_version != record::kFormatVersion || rules_version != record::kRulesVersion) {
    return "Unsupported save or rules version; this save was not changed.";
  }
  if (secret && record::seed_from_secret(*secret) != seed) {
    return "The expedition secret does not match its seed.";
  }
  if (actions.size() > expedition::kActionLimit) {
    return "The save exceeds the expedition action limit.";
  }
  return std::nullopt;
}

std::string Record::invalid_step(std::size_t step, std::optional<expedition::Refusal> refusal) {
  if (!refusal) return "Unknown saved action at step " + std::to_string(step) + ".";
  return "Invalid saved action at step " + std::to_string(step) + ": " +
         std::string(expedition::message(*refusal));
}

std::optional<std::string> Record::expedition_id() const {
  if (!secret) return std::nullopt;
  return record::hex(record::digest(*secret));
}

namespace {

// One number per line, four spaces in; an empty list stays on the key's line. A save is
// written for every accepted action, so the lines are put together in place rather than
// through a text per number.
void append_byte_list(std::string& out, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) {
    out += "[]";
    return;
  }
  // "[\n", then at most "    255,\n" per number, then "  ]".
  const std::size_t start = out.size();
  out.resize_and_overwrite(start + 2 + 9 * bytes.size() + 3, [&](char* text, std::size_t) {
    char* cursor = std::copy_n("[\n", 2, text + start);
    for (std::size_t index = 0; index < bytes.size(); ++index) {
      cursor = std::copy_n("    ", 4, cursor);
      cursor = std::to_chars(cursor, cursor + 3, bytes[index]).ptr;
      // The last number ends its line without a comma.
      if (index + 1 < bytes.size()) *cursor++ = ',';
      *cursor++ = '\n';
    }
    cursor = std::copy_n("  ]", 3, cursor);
    return static_cast<std::size_t>(cursor - text);
  });
}

}  // namespace

std::string Record::to_pretty_json() const {
  std::string out;
  out.reserve(160 + 6 * (actions.size() + record::kSecretSize));
  out += "{\n  \"format_version\": ";
  out += std::to_string(format_version);
  out += ",\n  \"rules_version\": ";
  out += std::to_string(rules_version);
  out += ",\n  \"seed\": ";
  out += std::to_string(seed);
  out += ",\n  \"secret\": ";
  if (secret) {
    append_byte_list(out, *secret);
  } else {
    out += "null";
  }
  out += ",\n  \"actions\": ";
  append_byte_list(out, actions);
  out += ",\n  \"finished\": ";
  out += finished ? "true" : "false";
  out += "\n}\n";
  return out;
}

}  // namespace burrowlight
