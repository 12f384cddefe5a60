#pragma once
// HTML text for the board's pages. Everything that is not the page's own markup goes in
// through `text`, the one escaper: a name, a seed, a number, a date. A name is checked
// when it is registered, but a row written by an older board, a migration or by hand may
// hold anything, so the pages never rely on that check.

#include <cstdint>
#include <string>
#include <string_view>

namespace burrowlight::board {

// `text` with &, <, >, " and ' written as character references, and a NUL (which a
// browser would drop or replace anyway) as U+FFFD, so that it reads the same as text
// and inside a quoted attribute.
std::string html_text(std::string_view text);

// A page's markup, built from the page's own fixed markup and escaped text.
class Html {
 public:
  // Fixed markup of the page itself; never text from outside.
  Html& markup(std::string_view fixed) {
    out_.append(fixed);
    return *this;
  }
  Html& text(std::string_view text) {
    out_.append(html_text(text));
    return *this;
  }
  Html& number(std::int64_t value) { return text(std::to_string(value)); }
  Html& number(std::uint64_t value) { return text(std::to_string(value)); }
  // <a href="ADDRESS">TEXT</a>, both escaped.
  Html& link(std::string_view address, std::string_view text);

  const std::string& str() const { return out_; }

 private:
  std::string out_;
};

}  // namespace burrowlight::board
