#include "terminal/keys.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace burrowlight::terminal {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kQuick{1};
constexpr milliseconds kLate{60};

Key character(char typed, Modifiers modifiers = {}) { return Key::of_character(typed, modifiers); }
Key ctrl(char letter) { return Key::of_character(letter, Modifiers{.ctrl = true}); }
Key alt(char typed) { return Key::of_character(typed, Modifiers{.alt = true}); }
Key key(render::KeyCode code, Modifiers modifiers = {}) { return Key::of(code, modifiers); }

// Decodes one burst, then lets the escape time-out pass.
std::vector<Key> decode_all(std::string_view bytes) {
  KeyDecoder decoder;
  auto keys = decoder.decode(bytes, kLate);
  auto late = decoder.decode({}, kLate);
  keys.insert(keys.end(), late.begin(), late.end());
  return keys;
}

struct Case {
  std::string bytes;
  std::vector<Key> keys;
};

TEST(KeyDecoder, DecodesEveryKeyForm) {
  const std::vector<Case> cases = {
      {"\x1b[A", {key(render::KeyCode::Up)}},
      {"\x1b[B", {key(render::KeyCode::Down)}},
      {"\x1b[C", {key(render::KeyCode::Right)}},
      {"\x1b[D", {key(render::KeyCode::Left)}},
      {"\x1bOA", {key(render::KeyCode::Up)}},
      {"\x1bOB", {key(render::KeyCode::Down)}},
      {"\x1bOC", {key(render::KeyCode::Right)}},
      {"\x1bOD", {key(render::KeyCode::Left)}},
      {"\x1b[1;5A", {key(render::KeyCode::Up, Modifiers{.ctrl = true})}},
      {"\x1b[1;2B", {key(render::KeyCode::Down, Modifiers{.shift = true})}},
      {"\x1b[1;3C", {key(render::KeyCode::Right, Modifiers{.alt = true})}},
      {"\x1b[1;8D", {key(render::KeyCode::Left, Modifiers{true, true, true})}},
      {"\x1bO5A", {key(render::KeyCode::Up, Modifiers{.ctrl = true})}},
      {"\x1bOM", {key(render::KeyCode::Enter)}},
      // Home and End as xterm, the VT220 (screen, tmux) and rxvt send them.
      {"\x1b[H", {key(render::KeyCode::Home)}},
      {"\x1b[F", {key(render::KeyCode::End)}},
      {"\x1bOH", {key(render::KeyCode::Home)}},
      {"\x1bOF", {key(render::KeyCode::End)}},
      {"\x1b[1~", {key(render::KeyCode::Home)}},
      {"\x1b[4~", {key(render::KeyCode::End)}},
      {"\x1b[7~", {key(render::KeyCode::Home)}},
      {"\x1b[8~", {key(render::KeyCode::End)}},
      {"\x1b[1;5H", {key(render::KeyCode::Home, Modifiers{.ctrl = true})}},
      {"\x1b[4;2~", {key(render::KeyCode::End, Modifiers{.shift = true})}},
      {"\r", {key(render::KeyCode::Enter)}},
      {"\n", {key(render::KeyCode::Enter)}},
      {"\x1b", {key(render::KeyCode::Escape)}},
      {" ", {character(' ')}},
      {"?", {character('?')}},
      {"q", {character('q')}},
      {"Q", {character('Q')}},
      {"\t", {key(render::KeyCode::Tab)}},
      {"\x7f", {key(render::KeyCode::Backspace)}},
      {"\x03", {ctrl('c')}},
      {"\x11", {ctrl('q')}},
      {"\x01", {ctrl('a')}},
      {"\x1a", {ctrl('z')}},
      {"\x08", {ctrl('h')}},
      {std::string(1, '\0'), {ctrl(' ')}},
      {"\x1c", {ctrl('\\')}},
      {"\x1bq", {alt('q')}},
      {"\x1b\r", {key(render::KeyCode::Enter, Modifiers{.alt = true})}},
      {"wasd", {character('w'), character('a'), character('s'), character('d')}},
      {"\x1b[A\x1b[B", {key(render::KeyCode::Up), key(render::KeyCode::Down)}},
      {"\x1b\x1b[A", {key(render::KeyCode::Escape), key(render::KeyCode::Up)}},
      {"\x1b\x1b", {key(render::KeyCode::Escape), key(render::KeyCode::Escape)}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(decode_all(test.bytes), test.keys) << "bytes: " << testing::PrintToString(test.bytes);
  }
}

TEST(KeyDecoder, SwallowsUnknownSequencesAndBytes) {
  const std::vector<Case> cases = {
      {"\x1b[3~", {}},
      {"\x1b[15;5~", {}},
      {"\x1b[2~", {}},
      {"\x1b[1;2;3~", {}},
      {"\x1b[~", {}},
      {"\x1bO1~", {}},
      {"\x1bOP", {}},
      {"\x1b[<0;10;5M", {}},
      {"\x1b[?1;2c", {}},
      {"\x1b[I", {}},
      {"\x1b[2;5A", {}},
      {"\x1b[1;2;3A", {}},
      {"\x1b[99999999999999A", {}},
      {"\x1b[" + std::string(100, '1') + "A", {}},
      {"\xc3\xa9", {}},
      {"\xff\xfe", {}},
      {"\x1b[3~q", {character('q')}},
      // A byte that cannot continue a sequence drops it and counts on its own.
      {"\x1b[1\r", {key(render::KeyCode::Enter)}},
      {"\x1b[1\x1b[A", {key(render::KeyCode::Up)}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(decode_all(test.bytes), test.keys) << "bytes: " << testing::PrintToString(test.bytes);
  }
}

TEST(KeyDecoder, JoinsSequencesSplitAcrossReads) {
  const std::vector<std::vector<std::string>> splits = {
      {"\x1b", "[A"}, {"\x1b[", "A"}, {"\x1b", "[", "A"}, {"\x1b[1;", "5", "A"}, {"\x1bO", "A"},
  };
  for (const auto& parts : splits) {
    KeyDecoder decoder;
    std::vector<Key> keys;
    for (const std::string& part : parts) {
      auto more = decoder.decode(part, kQuick);
      keys.insert(keys.end(), more.begin(), more.end());
    }
    EXPECT_FALSE(decoder.pending());
    ASSERT_EQ(keys.size(), 1U) << testing::PrintToString(parts);
    EXPECT_EQ(keys[0].code, render::KeyCode::Up);
  }
}

TEST(KeyDecoder, TellsALoneEscapeFromASequenceByTheTimeOut) {
  KeyDecoder decoder;
  EXPECT_TRUE(decoder.decode("\x1b", kQuick).empty());
  EXPECT_TRUE(decoder.pending());
  // Not long enough yet: the Escape may still begin a sequence.
  EXPECT_TRUE(decoder.decode({}, milliseconds(49)).empty());
  EXPECT_EQ(decoder.decode({}, milliseconds(50)), std::vector<Key>{key(render::KeyCode::Escape)});
  EXPECT_FALSE(decoder.pending());

  // Bytes arriving late after an Escape are keys of their own, not a sequence.
  EXPECT_TRUE(decoder.decode("\x1b", kQuick).empty());
  EXPECT_EQ(decoder.decode("[A", kLate),
            (std::vector<Key>{key(render::KeyCode::Escape), character('['), character('A')}));

  // A sequence cut short by the time-out is dropped; a bare introducer was Alt+key.
  EXPECT_TRUE(decoder.decode("\x1b[1;", kQuick).empty());
  EXPECT_TRUE(decoder.decode({}, kLate).empty());
  EXPECT_TRUE(decoder.decode("\x1b[", kQuick).empty());
  EXPECT_EQ(decoder.decode({}, kLate), std::vector<Key>{alt('[')});
  EXPECT_TRUE(decoder.decode("\x1bO", kQuick).empty());
  EXPECT_EQ(decoder.decode({}, kLate), std::vector<Key>{alt('O')});
  EXPECT_FALSE(decoder.pending());
}

TEST(Key, MatchesLettersInEitherCaseWithAnyModifiers) {
  EXPECT_TRUE(character('q').is_letter('q'));
  EXPECT_TRUE(character('Q').is_letter('q'));
  EXPECT_TRUE(ctrl('q').is_letter('q'));
  EXPECT_TRUE(alt('Q').is_letter('q'));
  EXPECT_FALSE(character('w').is_letter('q'));
  EXPECT_FALSE(key(render::KeyCode::Enter).is_letter('m'));
}

// Whatever arrives, the decoder never hands out a byte that is no ASCII key, and a
// quiet moment always brings it back to the start.
TEST(KeyDecoder, SurvivesRandomInput) {
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<int> pause(0, 100);
  const std::string favourites = "\x1b[O;1234567890ABCD~?qQ\r";
  std::uniform_int_distribution<std::size_t> favourite(0, favourites.size() - 1);
  KeyDecoder decoder;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    int count = length(random);
    for (int index = 0; index < count; ++index) {
      bytes.push_back(random() % 2 == 0 ? static_cast<char>(byte(random))
                                        : favourites[favourite(random)]);
    }
    for (const Key& decoded : decoder.decode(bytes, milliseconds(pause(random)))) {
      if (decoded.code == render::KeyCode::Character) {
        ASSERT_GE(decoded.character, 0);
        ASSERT_LE(decoded.character, 126);
      }
    }
  }
  decoder.decode({}, kLate);
  EXPECT_FALSE(decoder.pending());
}

}  // namespace
}  // namespace burrowlight::terminal
