#include "app/session.hpp"

#include <utility>

namespace burrowlight::app {

using expedition::Action;
using expedition::Event;
using expedition::Run;

std::expected<Event, ApplyError> Session::apply(const Action& action) {
  auto next = run_.after(action);
  if (!next) return std::unexpected(ApplyError{ApplyError::Refused{next.error()}});
  if (auto written = save_.write(next->run.record()); !written) {
    return std::unexpected(ApplyError{ApplyError::Save{written.error()}});
  }
  run_ = std::move(next->run);
  return next->event;
}

Result<void> Session::finish() {
  std::optional<Run> sealed = run_.after_finish();
  if (!sealed) return {};
  if (auto written = save_.write(sealed->record()); !written) {
    return written;
  }
  run_ = std::move(*sealed);
  return {};
}

Result<void> Session::write_save() const {
  return save_.write(run_.record());
}

Result<Session> open_session(const std::optional<std::string>& save_path, bool new_expedition,
                     std::optional<std::uint64_t> seed) {
  std::string path;
  if (save_path) {
    path = *save_path;
  } else {
    auto default_path = save::default_path();
    if (!default_path) return std::unexpected(default_path.error());
    path = std::move(*default_path);
  }
  auto opened = Save::open(path, new_expedition, seed);
  if (!opened) return std::unexpected(opened.error());
  return Session(std::move(opened->first), std::move(opened->second));
}

}  // namespace burrowlight::app
