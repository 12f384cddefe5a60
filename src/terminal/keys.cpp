#include "terminal/keys.hpp"

#include <charconv>
#include <optional>

namespace burrowlight::terminal {

namespace {

constexpr unsigned char kEscapeByte = 27;
// Longer parameter lists than this belong to no key of a keyboard; such a sequence
// is read to its end and dropped.
constexpr std::size_t kLongestParameters = 16;

// The key of one byte outside an escape sequence; bytes that are no key (UTF-8 of
// characters the game does not use) give nothing.
std::optional<Key> key_for_byte(unsigned char byte, Modifiers modifiers) {
  switch (byte) {
    case '\r':
    case '\n':
      return Key::of(render::KeyCode::Enter, modifiers);
    case '\t':
      return Key::of(render::KeyCode::Tab, modifiers);
    case 127:
      return Key::of(render::KeyCode::Backspace, modifiers);
    case 0:
      modifiers.ctrl = true;
      return Key::of_character(' ', modifiers);
    default:
      break;
  }
  if (byte >= 1 && byte <= 26) {
    modifiers.ctrl = true;
    return Key::of_character(static_cast<char>('a' + byte - 1), modifiers);
  }
  if (byte >= 28 && byte <= 31) {
    modifiers.ctrl = true;
    return Key::of_character(static_cast<char>(byte + 64), modifiers);
  }
  if (byte >= 32 && byte <= 126) return Key::of_character(static_cast<char>(byte), modifiers);
  return std::nullopt;
}

// The numbers of a parameter list such as "1;5"; nothing when it holds anything
// but digits and separators (private markers, intermediates, huge numbers).
std::optional<std::vector<unsigned>> parse_parameters(std::string_view text) {
  std::vector<unsigned> numbers;
  if (text.empty()) return numbers;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(';', start);
    std::string_view field =
        text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    unsigned number = 0;
    if (!field.empty()) {
      auto [stop, status] = std::from_chars(field.data(), field.data() + field.size(), number);
      if (status != std::errc() || stop != field.data() + field.size()) return std::nullopt;
    }
    numbers.push_back(number);
    if (end == std::string_view::npos) return numbers;
    start = end + 1;
  }
}

// xterm encodes modifiers as one plus a bit set: 1 Shift, 2 Alt, 4 Ctrl.
Modifiers modifiers_from_parameter(unsigned parameter) {
  unsigned bits = parameter > 0 ? parameter - 1 : 0;
  return Modifiers{(bits & 1U) != 0, (bits & 2U) != 0, (bits & 4U) != 0};
}

// The keys whose sequence names them by its final byte: the arrows, and Home and End
// as xterm sends them.
std::optional<render::KeyCode> cursor_key(unsigned char final_byte) {
  switch (final_byte) {
    case 'A':
      return render::KeyCode::Up;
    case 'B':
      return render::KeyCode::Down;
    case 'C':
      return render::KeyCode::Right;
    case 'D':
      return render::KeyCode::Left;
    case 'H':
      return render::KeyCode::Home;
    case 'F':
      return render::KeyCode::End;
    default:
      return std::nullopt;
  }
}

// The keys whose sequence names them by a number before "~": Home and End as the VT220,
// screen and tmux (1 and 4) and rxvt (7 and 8) send them.
std::optional<render::KeyCode> numbered_key(unsigned number) {
  switch (number) {
    case 1:
    case 7:
      return render::KeyCode::Home;
    case 4:
    case 8:
      return render::KeyCode::End;
    default:
      return std::nullopt;
  }
}

}  // namespace

bool Key::is_letter(char lower) const {
  if (code != render::KeyCode::Character) return false;
  char folded =
      character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
  return folded == lower;
}

std::vector<Key> KeyDecoder::decode(std::string_view bytes,
                                    std::chrono::nanoseconds since_last_bytes) {
  std::vector<Key> keys;
  if (pending() && since_last_bytes >= kEscapeTimeout) expire(keys);
  for (char byte : bytes) feed(static_cast<unsigned char>(byte), keys);
  return keys;
}

void KeyDecoder::feed(unsigned char byte, std::vector<Key>& keys) {
  switch (state_) {
    case State::Ground:
      if (byte == kEscapeByte) {
        state_ = State::Escape;
      } else if (auto key = key_for_byte(byte, {})) {
        keys.push_back(*key);
      }
      return;
    case State::Escape:
      if (byte == '[') {
        state_ = State::ControlSequence;
      } else if (byte == 'O') {
        state_ = State::SingleShift;
      } else if (byte == kEscapeByte) {
        // Two Escapes in a row: the first was a key, the second may start a sequence.
        keys.push_back(Key::of(render::KeyCode::Escape));
      } else {
        // Escape before an ordinary byte is how terminals send Alt with that key.
        state_ = State::Ground;
        if (auto key = key_for_byte(byte, Modifiers{.alt = true})) keys.push_back(*key);
      }
      return;
    case State::ControlSequence:
    case State::SingleShift:
      feed_sequence(byte, keys);
      return;
  }
}

void KeyDecoder::feed_sequence(unsigned char byte, std::vector<Key>& keys) {
  if (byte >= 0x40 && byte <= 0x7E) {
    finish_sequence(byte, keys);
    return;
  }
  if (byte >= 0x20 && byte <= 0x3F) {
    if (parameters_.size() < kLongestParameters) {
      parameters_.push_back(static_cast<char>(byte));
    } else {
      overlong_ = true;
    }
    return;
  }
  // A byte that cannot be part of a sequence ends it unfinished; the byte itself
  // is read afresh, so an Escape inside a broken sequence still starts a new one.
  state_ = State::Ground;
  parameters_.clear();
  overlong_ = false;
  feed(byte, keys);
}

void KeyDecoder::finish_sequence(unsigned char final_byte, std::vector<Key>& keys) {
  bool single_shift = state_ == State::SingleShift;
  auto numbers = overlong_ ? std::nullopt : parse_parameters(parameters_);
  state_ = State::Ground;
  parameters_.clear();
  overlong_ = false;
  if (!numbers) return;

  // "\e[1~" and "\e[1;5~" name the key first and carry the modifiers second.
  if (!single_shift && final_byte == '~') {
    if (numbers->empty() || numbers->size() > 2) return;
    std::optional<render::KeyCode> code = numbered_key(numbers->front());
    Modifiers modifiers =
        numbers->size() == 2 ? modifiers_from_parameter(numbers->back()) : Modifiers{};
    if (code) keys.push_back(Key::of(*code, modifiers));
    return;
  }

  // "\e[1;5A" carries the modifiers second; the older "\eO5A" carries them alone.
  // The first number of the longer form is always 1 (or left out) for these keys.
  Modifiers modifiers;
  if (single_shift && numbers->size() == 1) {
    modifiers = modifiers_from_parameter(numbers->front());
  } else if (!single_shift && numbers->size() == 2 && numbers->front() <= 1) {
    modifiers = modifiers_from_parameter(numbers->back());
  } else if (!numbers->empty()) {
    return;
  }

  if (auto code = cursor_key(final_byte)) {
    keys.push_back(Key::of(*code, modifiers));
  } else if (single_shift && final_byte == 'M') {
    // The Enter key of the numeric keypad in application mode.
    keys.push_back(Key::of(render::KeyCode::Enter, modifiers));
  }
}

void KeyDecoder::expire(std::vector<Key>& keys) {
  bool bare = parameters_.empty() && !overlong_;
  switch (state_) {
    case State::Ground:
      break;
    case State::Escape:
      keys.push_back(Key::of(render::KeyCode::Escape));
      break;
    case State::ControlSequence:
      // Alt+"[" looks like the start of a sequence until nothing follows it.
      if (bare) keys.push_back(Key::of_character('[', Modifiers{.alt = true}));
      break;
    case State::SingleShift:
      if (bare) keys.push_back(Key::of_character('O', Modifiers{.alt = true}));
      break;
  }
  state_ = State::Ground;
  parameters_.clear();
  overlong_ = false;
}

}  // namespace burrowlight::terminal
