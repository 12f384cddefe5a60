#include "render/screen.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "base/panic.hpp"
#include "base/utf8.hpp"

namespace burrowlight::render {

namespace {

constexpr std::string_view kBeginUpdate = "\x1b[?2026h";
constexpr std::string_view kEndUpdate = "\x1b[0m\x1b[?2026l";

// Channel arithmetic of the renderer: a NaN counts as nothing, and values outside
// 0..255 saturate instead of wrapping.
std::uint8_t clamp_channel(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint8_t>(value);
}

void append_decimal(std::string& out, std::int64_t value) {
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  out.append(digits, end);
}

void append_cursor_move(std::string& out, std::int32_t x, std::int32_t y) {
  out += "\x1b[";
  append_decimal(out, std::int64_t{y} + 1);
  out += ';';
  append_decimal(out, std::int64_t{x} + 1);
  out += 'H';
}

// `selector` is 38 for the foreground and 48 for the background.
void append_colour(std::string& out, int selector, Rgb colour) {
  out += "\x1b[";
  append_decimal(out, selector);
  out += ";2;";
  append_decimal(out, colour.r);
  out += ';';
  append_decimal(out, colour.g);
  out += ';';
  append_decimal(out, colour.b);
  out += 'm';
}

// The colours last sent to the terminal. It lasts for a whole flush, across rows,
// because a cursor move does not reset the terminal's colours.
struct Pen {
  std::optional<Rgb> foreground;
  std::optional<Rgb> background;
};

void append_cell(std::string& out, Pen& pen, const ScreenCell& cell) {
  if (pen.foreground != cell.fg) {
    append_colour(out, 38, cell.fg);
    pen.foreground = cell.fg;
  }
  if (pen.background != cell.bg) {
    append_colour(out, 48, cell.bg);
    pen.background = cell.bg;
  }
  utf8::append(out, cell.ch);
}

// Scalars as `text` shows them: an ill-formed byte counts as one replacement character.
std::size_t shown_length(std::string_view s) {
  std::size_t count = 0;
  std::size_t position = 0;
  while (position < s.size()) {
    if (!utf8::next(s, position)) ++position;
    ++count;
  }
  return count;
}

std::vector<std::string_view> split_words(std::string_view s) {
  std::vector<std::string_view> words;
  std::size_t position = 0;
  std::size_t word_start = 0;
  bool in_word = false;
  while (position < s.size()) {
    std::size_t scalar_start = position;
    auto scalar = utf8::next(s, position);
    if (!scalar) ++position;  // An ill-formed byte is part of a word, not a separator.
    bool separator = scalar && utf8::is_white_space(*scalar);
    if (separator && in_word) {
      words.push_back(s.substr(word_start, scalar_start - word_start));
      in_word = false;
    } else if (!separator && !in_word) {
      word_start = scalar_start;
      in_word = true;
    }
  }
  if (in_word) words.push_back(s.substr(word_start));
  return words;
}

}  // namespace

Rgb Rgb::scale(float factor) const {
  return Rgb{clamp_channel(static_cast<float>(r) * factor),
             clamp_channel(static_cast<float>(g) * factor),
             clamp_channel(static_cast<float>(b) * factor)};
}

Screen::Screen(std::uint16_t columns, std::uint16_t rows)
    : cells(std::size_t{columns} * std::size_t{rows},
            ScreenCell{U' ', kDefaultForeground, kDefaultBackground}),
      width(columns),
      height(rows) {}

void Screen::put(std::int32_t x, std::int32_t y, char32_t ch, Rgb fg, Rgb bg) {
  if (!contains(x, y)) return;
  cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
        static_cast<std::size_t>(x)] = ScreenCell{ch, fg, bg};
}

void Screen::text(std::int32_t x, std::int32_t y, std::string_view s, Rgb fg) {
  // The column is wide so that a long text starting near the largest column cannot overflow.
  std::int64_t column = x;
  std::size_t position = 0;
  while (position < s.size()) {
    // An ill-formed byte shows as one replacement character, as everywhere else.
    char32_t scalar = U'\uFFFD';
    if (auto decoded = utf8::next(s, position)) {
      scalar = *decoded;
    } else {
      ++position;
    }
    if (column >= 0 && column < width && y >= 0 && y < height) {
      auto& cell = cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(column)];
      cell.ch = scalar;
      cell.fg = fg;
    }
    ++column;
  }
}

void Screen::clipped(std::int32_t x, std::int32_t y, std::int32_t max_chars, std::string_view s,
                     Rgb fg) {
  if (max_chars <= 0) return;
  std::size_t position = 0;
  for (std::int32_t count = 0; count < max_chars && position < s.size(); ++count) {
    if (!utf8::next(s, position)) ++position;  // Counted as one U+FFFD, as `text` shows it.
  }
  text(x, y, s.substr(0, position), fg);
}

void Screen::wrap(std::int32_t x, std::int32_t y, std::int32_t width_limit, std::int32_t max_lines,
                  std::string_view s, Rgb fg) {
  std::int64_t row = y;
  const std::int64_t end_row = std::int64_t{y} + max_lines;
  std::string line;
  std::size_t line_length = 0;
  for (std::string_view word : split_words(s)) {
    std::size_t word_length = shown_length(word);
    if (line.empty()) {
      line = word;
      line_length = word_length;
    } else if (line_length + 1 + word_length <=
               static_cast<std::size_t>(std::max(width_limit, 0))) {
      line += ' ';
      line += word;
      line_length += 1 + word_length;
    } else {
      // With no line left to draw on (max_lines of zero or less), nothing is drawn at all.
      if (row >= end_row) return;
      clipped(x, static_cast<std::int32_t>(row), width_limit, line, fg);
      ++row;
      if (row >= end_row) return;
      line = word;
      line_length = word_length;
    }
  }
  if (row < end_row && !line.empty()) {
    clipped(x, static_cast<std::int32_t>(row), width_limit, line, fg);
  }
}

void Screen::frame(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                   std::string_view title) {
  // Edges are computed in 64 bits so that panels near the coordinate limits stay well defined.
  const std::int64_t left = x;
  const std::int64_t top = y;
  const std::int64_t right = left + w - 1;
  const std::int64_t bottom = top + h - 1;
  auto put_wide = [&](std::int64_t column, std::int64_t row, char32_t ch, Rgb fg) {
    if (column < 0 || row < 0 || column >= width || row >= height) return;
    put(static_cast<std::int32_t>(column), static_cast<std::int32_t>(row), ch, fg,
        kFrameBackground);
  };

  if (w > 0 && h > 0) {
    for (std::int64_t row = std::max<std::int64_t>(top, 0);
         row <= std::min<std::int64_t>(bottom, height - 1); ++row) {
      for (std::int64_t column = std::max<std::int64_t>(left, 0);
           column <= std::min<std::int64_t>(right, width - 1); ++column) {
        put_wide(column, row, U' ', kDefaultForeground);
      }
    }
  }
  for (std::int64_t column = std::max<std::int64_t>(left + 1, 0);
       column <= std::min<std::int64_t>(right - 1, width - 1); ++column) {
    put_wide(column, top, U'─', kFrameBorder);
    put_wide(column, bottom, U'─', kFrameBorder);
  }
  for (std::int64_t row = std::max<std::int64_t>(top + 1, 0);
       row <= std::min<std::int64_t>(bottom - 1, height - 1); ++row) {
    put_wide(left, row, U'│', kFrameBorder);
    put_wide(right, row, U'│', kFrameBorder);
  }
  put_wide(left, top, U'╭', kFrameBorder);
  put_wide(right, top, U'╮', kFrameBorder);
  put_wide(left, bottom, U'╰', kFrameBorder);
  put_wide(right, bottom, U'╯', kFrameBorder);

  std::string decorated;
  decorated.reserve(title.size() + 2);
  decorated += ' ';
  decorated += title;
  decorated += ' ';
  // A title that starts beyond the last representable column cannot be seen anyway.
  if (left + 2 > width) return;
  clipped(x + 2, y, w > 4 ? w - 4 : 0, decorated, kDefaultForeground);
}

const ScreenCell& Screen::at(std::int32_t x, std::int32_t y) const {
  if (!contains(x, y)) panic("screen coordinates are in bounds");
  return cells[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)];
}

std::string Screen::row_text(std::int32_t y) const {
  std::string row;
  for (std::int32_t x = 0; x < width; ++x) utf8::append(row, at(x, y).ch);
  return row;
}

std::string frame_update(const Screen& screen, const std::optional<Screen>& previous) {
  const bool full_redraw =
      !previous || previous->width != screen.width || previous->height != screen.height;
  std::string bytes;
  if (full_redraw) {
    // About 40 bytes a cell when every colour changes; usually far fewer.
    bytes.reserve(screen.cells.size() * 16);
  }
  Pen pen;
  std::size_t index = 0;
  for (std::int32_t y = 0; y < screen.height; ++y) {
    bool cursor_in_place = false;
    for (std::int32_t x = 0; x < screen.width; ++x, ++index) {
      const ScreenCell& cell = screen.cells[index];
      if (!full_redraw && cell == previous->cells[index]) {
        cursor_in_place = false;
        continue;
      }
      if (!cursor_in_place) {
        append_cursor_move(bytes, x, y);
        cursor_in_place = true;
      }
      append_cell(bytes, pen, cell);
    }
  }
  return bytes;
}

Result<void> flush(Screen screen, std::optional<Screen>& previous, Output& out) {
  std::string bytes = frame_update(screen, previous);
  if (!bytes.empty()) {
    // Three writes and one flush: the terminal shows the bracketed update at once.
    if (auto written = out.write(kBeginUpdate); !written) return written;
    if (auto written = out.write(bytes); !written) return written;
    if (auto written = out.write(kEndUpdate); !written) return written;
    if (auto flushed = out.flush(); !flushed) return flushed;
  }
  previous = std::move(screen);
  return {};
}

}  // namespace burrowlight::render
