#pragma once
// The shape of a game's key table and what is derived from it at compile time: the
// help overlay's rows and the footer's two lines. The renderer reads the texts, the
// terminal front end matches pressed keys against the same rows, so a key, what it
// does and how it is shown are spelled together once.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace burrowlight::render {

// One row of the help overlay's key table: the key in gold, what it does in ink.
struct HelpKey {
  std::string_view key;
  std::string_view text;
};

// The keys a terminal reports; the decoder makes them, the tables name them.
enum class KeyCode : std::uint8_t {
  // A printable ASCII character, Space included, or a Ctrl+letter.
  Character,
  Enter,
  Escape,
  Up,
  Down,
  Left,
  Right,
  Home,
  End,
  Tab,
  Backspace,
};

// How a table names a key. A character matches as typed, in either case for a
// letter, with any modifiers unless `ctrl` asks for Ctrl; any other code matches
// whatever the modifiers.
struct KeyName {
  KeyCode code;
  char character = 0;
  bool ctrl = false;
};

// What a key does in an interactive game.
enum class KeyCommand : std::uint8_t {
  Quit,
  Help,
  Still,
  View,
  ZoomIn,
  ZoomOut,
  North,
  South,
  West,
  East,
  Interact,
  Finish,
  Restart,
};

struct Binding {
  KeyName key;
  KeyCommand command;
};

// Where a row shows in the footer: line 1 or 2 (0: not at all), left to right by slot.
struct FooterSpot {
  std::uint8_t line;
  std::uint8_t slot;
};

// One entry of a game's table: its keys, its help row (none when `help.key` is
// empty) and its footer label.
struct KeyRow {
  std::span<const Binding> bindings;
  HelpKey help;
  FooterSpot footer;
  std::string_view footer_key;
  std::string_view footer_text;
};

struct KeyTable {
  std::span<const KeyRow> rows;
  // Closes the footer's second line, after the keys.
  std::string_view footer_note;
};

namespace key_table_detail {

inline constexpr std::string_view kFooterGap = "    ";
inline constexpr std::string_view kLabelGap = "  ";

// Writes `piece` at `at` when `out` is given; returns the length so far either way.
constexpr std::size_t put(std::string_view piece, char* out, std::size_t at) {
  if (out != nullptr) std::ranges::copy(piece, out + at);
  return at + piece.size();
}

// Lays out one footer line into `out` (or only measures it when `out` is null).
constexpr std::size_t footer_line(const KeyTable& table, std::uint8_t line, char* out) {
  std::size_t at = 0;
  for (std::size_t slot = 0; slot < table.rows.size(); ++slot) {
    for (const KeyRow& row : table.rows) {
      if (row.footer.line != line || row.footer.slot != slot) continue;
      if (at > 0) at = put(kFooterGap, out, at);
      at = put(row.footer_key, out, at);
      at = put(kLabelGap, out, at);
      at = put(row.footer_text, out, at);
    }
  }
  if (line == 2 && !table.footer_note.empty()) {
    if (at > 0) at = put(kFooterGap, out, at);
    at = put(table.footer_note, out, at);
  }
  return at;
}

template <const KeyTable& kTable, std::uint8_t kLine>
inline constexpr auto kFooterChars = [] {
  std::array<char, footer_line(kTable, kLine, nullptr)> text{};
  footer_line(kTable, kLine, text.data());
  return text;
}();

constexpr std::size_t help_count(const KeyTable& table) {
  return static_cast<std::size_t>(
      std::ranges::count_if(table.rows, [](const KeyRow& row) { return !row.help.key.empty(); }));
}

template <const KeyTable& kTable>
inline constexpr auto kHelpKeys = [] {
  std::array<HelpKey, help_count(kTable)> keys{};
  std::size_t next = 0;
  for (const KeyRow& row : kTable.rows) {
    if (!row.help.key.empty()) keys[next++] = row.help;
  }
  return keys;
}();

}  // namespace key_table_detail

// The footer's line 1 or 2 of a table.
template <const KeyTable& kTable, std::uint8_t kLine>
constexpr std::string_view footer_text() {
  const auto& chars = key_table_detail::kFooterChars<kTable, kLine>;
  return {chars.data(), chars.size()};
}

// The help overlay's rows of a table, in the table's order.
template <const KeyTable& kTable>
constexpr std::span<const HelpKey> help_keys() {
  return key_table_detail::kHelpKeys<kTable>;
}

}  // namespace burrowlight::render
