#include "board/daily.hpp"

#include <openssl/sha.h>

#include <array>
#include <charconv>

#include "core/expedition_record.hpp"
#include "sys/random.hpp"

namespace burrowlight::board {

namespace {

using Digest = std::array<std::uint8_t, SHA256_DIGEST_LENGTH>;

Digest sha256(std::string_view bytes) {
  Digest digest;
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  return digest;
}

std::string labelled(std::string_view label, std::string_view day, std::string_view secret) {
  std::string text(label);
  text.append(" ").append(day).append(" ").append(secret);
  return text;
}

}  // namespace

std::string sha256_hex(std::string_view bytes) { return record::hex(sha256(bytes)); }

DailySecret daily_secret(std::string_view day, std::string_view secret) {
  const Digest seed_digest = sha256(labelled("burrowlight-daily-seed", day, secret));
  std::uint64_t seed = 0;
  for (std::size_t index = 0; index < 8; ++index) seed = seed << 8 | seed_digest[index];
  return {std::string(day), std::string(secret),
          sha256_hex(labelled("burrowlight-daily-commitment", day, secret)), seed};
}

Result<DailySecret> draw_daily_secret(std::string_view day) {
  record::Secret secret;
  if (auto filled = sys::fill_random(secret); !filled) return std::unexpected(filled.error());
  return daily_secret(day, record::hex(secret));
}

}  // namespace burrowlight::board
