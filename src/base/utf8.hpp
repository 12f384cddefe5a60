#pragma once
// UTF-8 decoding and the Unicode White_Space property, shared by the line
// protocols (trimming commands) and the screen (one cell per scalar, word wrap).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace burrowlight::utf8 {

// The next scalar of `text` at `position`, advancing `position` past it; nothing at
// the end of the text or at an ill-formed sequence (then `position` is unchanged).
std::optional<char32_t> next(std::string_view text, std::size_t& position);

bool valid(std::string_view text);

// Decodes well-formed text; an ill-formed sequence decodes as U+FFFD, one byte at a time.
std::u32string decode(std::string_view text);

void append(std::string& out, char32_t scalar);

std::size_t scalar_count(std::string_view text);

bool is_white_space(char32_t scalar);

// The text without leading and trailing Unicode white space.
std::string_view trim(std::string_view text);

}  // namespace burrowlight::utf8
