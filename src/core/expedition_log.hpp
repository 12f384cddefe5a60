#pragma once
// The message log of an expedition run: its last eight lines, oldest first. A line is one
// of the rules' fixed sentences or a sentence made from an event's figure, and it is kept
// as that figure, so that a run is a value that copies without allocating; the text is
// made when the line is shown.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace burrowlight::expedition {

struct LogLine {
  enum class Kind : std::uint8_t {
    Fixed,         // `sentence`, a text of static storage
    Dug,           // "The vein breaks. Spent {figure} charge."
    CrystalTaken,  // "A crystal sings: +{figure} score. Saved."
    FlaskUsed,     // "Ember returns to the drill: +{figure} charge."
    Depth,         // "Depth {figure}. The passage behind you remains open."
    Finished,      // "Expedition finished with {figure} score. ..."
  };

  // Room for the longest line, a finished run's with the largest score.
  using Buffer = std::array<char, 128>;

  Kind kind = Kind::Fixed;
  std::uint32_t figure = 0;
  std::string_view sentence;

  // The line's text, made in `buffer` unless it is a fixed sentence.
  std::string_view text(Buffer& buffer) const;
  std::string text() const;

  bool operator==(const LogLine&) const = default;
};

class RunLog {
 public:
  static constexpr std::size_t kCapacity = 8;

  // Appends a line, dropping the oldest when a ninth would remain.
  void add(const LogLine& line);

  std::size_t size() const { return count_; }
  // Line `index`, counted from the oldest.
  const LogLine& operator[](std::size_t index) const {
    return lines_[(first_ + index) % kCapacity];
  }

  bool operator==(const RunLog& other) const;

 private:
  std::array<LogLine, kCapacity> lines_{};
  std::size_t first_ = 0;
  std::size_t count_ = 0;
};

}  // namespace burrowlight::expedition
