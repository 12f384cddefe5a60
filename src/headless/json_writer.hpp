#pragma once
// JSON text written straight into a reused byte buffer, in exactly the form every reply
// has always had: compact; strings with the short escapes for quote, backslash, \b \f \n
// \r \t and \u00xx (lower-case hex) for the other control characters, UTF-8 passed
// through; integers in plain decimal. Keys and their order are the caller's: the replies
// write them as constant fragments, in byte order.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace burrowlight::headless {

class JsonWriter {
 public:
  // Starts a new text in the same memory.
  void clear() { size_ = 0; }
  std::string_view text() const { return {bytes_.get(), size_}; }

  // A fragment written as it stands: keys, punctuation, fixed texts.
  void raw(std::string_view fragment) {
    if (fragment.empty()) return;
    reserve(fragment.size());
    std::memcpy(bytes_.get() + size_, fragment.data(), fragment.size());
    size_ += fragment.size();
  }
  void raw(char byte) {
    reserve(1);
    bytes_[size_++] = byte;
  }

  // `text` is the program's own (log lines, names, refusals), so it is always UTF-8.
  void string(std::string_view text);

  // Text from outside the program, such as a path typed on the command line, which
  // need not be UTF-8: each ill-formed byte is written as U+FFFD, and every control
  // character, DEL and the C1 controls included, is escaped, so the line stays valid
  // UTF-8 that any JSON reader takes and that shows nothing invisible on a terminal.
  void foreign_string(std::string_view bytes);

  template <class Integer>
  void integer(Integer value) {
    // Coordinates, charge and counts are mostly below a hundred.
    if (value >= 0 && value < 10) {
      raw(static_cast<char>('0' + value));
      return;
    }
    constexpr std::size_t kLongest = 20;
    reserve(kLongest);
    size_ = static_cast<std::size_t>(
        std::to_chars(bytes_.get() + size_, bytes_.get() + size_ + kLongest, value).ptr -
        bytes_.get());
  }

  void boolean(bool value) { raw(value ? std::string_view("true") : std::string_view("false")); }

  // An array of strings, such as the lines of a message log.
  template <class Texts>
  void string_array(const Texts& texts) {
    raw('[');
    bool first = true;
    for (const auto& text : texts) {
      if (!first) raw(',');
      first = false;
      string(text);
    }
    raw(']');
  }

 private:
  // Room for `more` bytes after the text. The memory only grows, so once it holds the
  // longest reply no reply allocates.
  void reserve(std::size_t more) {
    if (capacity_ - size_ < more) grow(size_ + more);
  }
  void grow(std::size_t needed);

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace burrowlight::headless
