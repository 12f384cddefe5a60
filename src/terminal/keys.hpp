#pragma once
// Turns the bytes a terminal sends into key presses. The decoder is pure: it takes
// bytes and the time since the previous bytes arrived, so a lone Escape can be told
// apart from the start of an escape sequence without a clock or a file descriptor.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/key_table.hpp"

namespace burrowlight::terminal {

struct Modifiers {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;

  bool operator==(const Modifiers&) const = default;
};

struct Key {
  render::KeyCode code = render::KeyCode::Character;
  // For KeyCode::Character: the character as typed, so "Q" stays upper case; a
  // Ctrl+letter carries its lower-case letter.
  char character = 0;
  Modifiers modifiers{};

  static Key of(render::KeyCode code, Modifiers modifiers = {}) { return Key{code, 0, modifiers}; }
  static Key of_character(char character, Modifiers modifiers = {}) {
    return Key{render::KeyCode::Character, character, modifiers};
  }

  // True for the letter `lower` typed in either case, with or without modifiers.
  bool is_letter(char lower) const;
  // True for exactly the character `typed`, with or without modifiers.
  bool is_character(char typed) const { return code == render::KeyCode::Character && character == typed; }

  bool operator==(const Key&) const = default;
};

// A terminal sends an escape sequence in one burst; an Escape byte followed by
// nothing for this long was the Escape key itself.
inline constexpr std::chrono::milliseconds kEscapeTimeout{50};

class KeyDecoder {
 public:
  // Decodes `bytes`, which arrived `since_last_bytes` after the bytes of the
  // previous call. Call it with no bytes once kEscapeTimeout has passed while
  // `pending()` holds, to learn that a waiting Escape was a key of its own.
  std::vector<Key> decode(std::string_view bytes, std::chrono::nanoseconds since_last_bytes);

  // True while the bytes seen so far could still be the start of an escape sequence.
  bool pending() const { return state_ != State::Ground; }

 private:
  enum class State : std::uint8_t { Ground, Escape, ControlSequence, SingleShift };

  void feed(unsigned char byte, std::vector<Key>& keys);
  void feed_sequence(unsigned char byte, std::vector<Key>& keys);
  void finish_sequence(unsigned char final_byte, std::vector<Key>& keys);
  // What the bytes held so far mean once no more bytes will follow them.
  void expire(std::vector<Key>& keys);

  State state_ = State::Ground;
  // The parameter and intermediate bytes of the sequence being read.
  std::string parameters_;
  bool overlong_ = false;
};

}  // namespace burrowlight::terminal
