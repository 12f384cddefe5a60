#include "replay/replay_keys.hpp"

#include <variant>

#include "render/expedition_presentation.hpp"

namespace burrowlight::replay {

namespace {

// The step reached by one step forward, shown as the game showed its action: a portal
// re-centres the camera and drops the floating texts of the floor left behind, and the
// event raises its own.
void show_step_forward(const Moment& reached, render::View& view) {
  if (!reached.event) return;
  if (std::holds_alternative<expedition::PortalTaken>(*reached.event)) view.reset_camera();
  const Expedition& expedition = reached.run.expedition();
  render::show_event(view, *reached.event, expedition.x, expedition.y);
}

// Any other change of step: the floating texts belong to steps no longer shown, and on
// another floor the camera starts afresh.
void show_jump(const Moment& left, const Moment& reached, render::View& view) {
  if (left.run.expedition().floor != reached.run.expedition().floor) {
    view.reset_camera();
  } else {
    view.floats.clear();
  }
}

void apply(ReplayCommand command, Player& player) {
  switch (command) {
    case ReplayCommand::Forward:
      return player.forward();
    case ReplayCommand::Back:
      return player.back();
    case ReplayCommand::First:
      return player.to_first();
    case ReplayCommand::Last:
      return player.to_last();
    case ReplayCommand::PlayOrPause:
      return player.play_or_pause();
    case ReplayCommand::Faster:
      return player.faster();
    case ReplayCommand::Slower:
      return player.slower();
  }
}

}  // namespace

std::optional<ReplayCommand> replay_command(const terminal::Key& key) {
  if (key.code == render::KeyCode::Right || key.is_letter('l') || key.is_character('.')) {
    return ReplayCommand::Forward;
  }
  if (key.code == render::KeyCode::Left || key.is_letter('h') || key.is_character(',')) {
    return ReplayCommand::Back;
  }
  if (key.code == render::KeyCode::Home) return ReplayCommand::First;
  if (key.code == render::KeyCode::End) return ReplayCommand::Last;
  if (key.is_character(' ')) return ReplayCommand::PlayOrPause;
  if (key.is_character('+')) return ReplayCommand::Faster;
  if (key.is_character('-')) return ReplayCommand::Slower;
  return std::nullopt;
}

void apply_replay_command(ReplayCommand command, const Timeline& timeline, Player& player,
                          render::View& view) {
  const std::size_t before = player.step();
  apply(command, player);
  const std::size_t after = player.step();
  if (after == before + 1) {
    show_step_forward(timeline.at(after), view);
  } else if (after != before) {
    show_jump(timeline.at(before), timeline.at(after), view);
  }
}

void handle_replay_key(const terminal::Key& key, const Timeline& timeline, Player& player, render::View& view) {
  if (std::optional<ReplayCommand> command = replay_command(key)) {
    apply_replay_command(*command, timeline, player, view);
  }
}

void play_on(float seconds, const Timeline& timeline, Player& player, render::View& view) {
  const std::size_t before = player.step();
  const std::size_t taken = player.advance(seconds);
  for (std::size_t step = before + 1; step <= before + taken; ++step) {
    show_step_forward(timeline.at(step), view);
  }
}

}  // namespace burrowlight::replay
