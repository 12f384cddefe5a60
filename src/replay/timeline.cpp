#include "replay/timeline.hpp"

#include <utility>

#include "base/panic.hpp"

namespace burrowlight::replay {

Timeline Timeline::of(const Record& record) {
  Record fresh = record;
  fresh.actions.clear();
  fresh.finished = false;
  auto start = expedition::Run::start(std::move(fresh));
  if (!start) panic("a valid record starts afresh");

  std::vector<Moment> moments;
  moments.reserve(record.actions.size() + 2);
  moments.push_back({std::move(*start), std::nullopt});
  for (std::uint8_t code : record.actions) {
    std::optional<expedition::Action> action = expedition::Action::from_code(code);
    if (!action) panic("a valid record holds only known actions");
    auto next = moments.back().run.after(*action);
    if (!next) panic("a valid record replays");
    moments.push_back({std::move(next->run), next->event});
  }
  if (record.finished) {
    std::optional<expedition::Run> sealed = moments.back().run.after_finish();
    if (!sealed) panic("an open run can be sealed");
    moments.push_back({std::move(*sealed), std::nullopt});
  }
  return Timeline(std::move(moments), record.actions.size());
}

}  // namespace burrowlight::replay
