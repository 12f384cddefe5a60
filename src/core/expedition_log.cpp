#include "core/expedition_log.hpp"

#include <charconv>

namespace burrowlight::expedition {

namespace {

struct Template {
  std::string_view before;
  std::string_view after;
};

// The text around the figure of each kind of line but the fixed one.
constexpr Template template_of(LogLine::Kind kind) {
  switch (kind) {
    case LogLine::Kind::Dug:
      return {"The vein breaks. Spent ", " charge."};
    case LogLine::Kind::CrystalTaken:
      return {"A crystal sings: +", " score. Saved."};
    case LogLine::Kind::FlaskUsed:
      return {"Ember returns to the drill: +", " charge."};
    case LogLine::Kind::Depth:
      return {"Depth ", ". The passage behind you remains open."};
    case LogLine::Kind::Finished:
      return {"Expedition finished with ",
              " score. Your progress is saved; start another with --new."};
    case LogLine::Kind::Fixed:
      break;
  }
  return {};
}

}  // namespace

std::string_view LogLine::text(Buffer& buffer) const {
  if (kind == Kind::Fixed) return sentence;
  const Template around = template_of(kind);
  char* cursor = around.before.copy(buffer.data(), around.before.size()) + buffer.data();
  cursor = std::to_chars(cursor, buffer.data() + buffer.size(), figure).ptr;
  cursor += around.after.copy(cursor, around.after.size());
  return {buffer.data(), static_cast<std::size_t>(cursor - buffer.data())};
}

std::string LogLine::text() const {
  Buffer buffer;
  return std::string(text(buffer));
}

void RunLog::add(const LogLine& line) {
  if (count_ == kCapacity) {
    lines_[first_] = line;
    first_ = (first_ + 1) % kCapacity;
  } else {
    lines_[(first_ + count_) % kCapacity] = line;
    ++count_;
  }
}

// Two logs are equal when they show the same lines, wherever their rings begin.
bool RunLog::operator==(const RunLog& other) const {
  if (count_ != other.count_) return false;
  for (std::size_t index = 0; index < count_; ++index) {
    if ((*this)[index] != other[index]) return false;
  }
  return true;
}

}  // namespace burrowlight::expedition
