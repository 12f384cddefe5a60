#include "base/utf8.hpp"

namespace burrowlight::utf8 {

std::optional<char32_t> next(std::string_view text, std::size_t& position) {
  if (position >= text.size()) return std::nullopt;
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(position);
  if (lead < 0x80) {
    ++position;
    return lead;
  }
  std::size_t length;
  char32_t scalar;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, scalar = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, scalar = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, scalar = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - position < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    unsigned char continuation = byte(position + i);
    if ((continuation & 0xC0) != 0x80) return std::nullopt;
    scalar = (scalar << 6) | (continuation & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
    return std::nullopt;
  }
  position += length;
  return scalar;
}

bool valid(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (!next(text, position)) return false;
  }
  return true;
}

std::u32string decode(std::string_view text) {
  std::u32string scalars;
  std::size_t position = 0;
  while (position < text.size()) {
    if (auto scalar = next(text, position)) {
      scalars.push_back(*scalar);
    } else {
      scalars.push_back(U'\uFFFD');
      ++position;
    }
  }
  return scalars;
}

void append(std::string& out, char32_t scalar) {
  if (scalar < 0x80) {
    out.push_back(static_cast<char>(scalar));
  } else if (scalar < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (scalar >> 6)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else if (scalar < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (scalar >> 12)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (scalar >> 18)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  }
}

std::size_t scalar_count(std::string_view text) {
  std::size_t count = 0;
  for (char byte : text) {
    if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) ++count;
  }
  return count;
}

bool is_white_space(char32_t scalar) {
  return (scalar >= 0x09 && scalar <= 0x0D) || scalar == 0x20 || scalar == 0x85 || scalar == 0xA0 ||
         scalar == 0x1680 || (scalar >= 0x2000 && scalar <= 0x200A) || scalar == 0x2028 ||
         scalar == 0x2029 || scalar == 0x202F || scalar == 0x205F || scalar == 0x3000;
}

std::string_view trim(std::string_view text) {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t position = 0;
  bool seen_content = false;
  while (position < text.size()) {
    std::size_t before = position;
    auto scalar = next(text, position);
    if (!scalar) {
      // Ill-formed bytes are content, never white space.
      position = before + 1;
      scalar = U'\uFFFD';
    }
    if (!is_white_space(*scalar)) {
      if (!seen_content) start = before;
      seen_content = true;
      end = position;
    }
  }
  return seen_content ? text.substr(start, end - start) : std::string_view();
}

}  // namespace burrowlight::utf8
