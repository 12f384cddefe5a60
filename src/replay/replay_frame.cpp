#include "replay/replay_frame.hpp"

#include <string>

#include "render/expedition_presentation.hpp"
#include "replay/replay_controls.hpp"

namespace burrowlight::replay {

Result<void> draw_replay_frame(render::View& view, const Timeline& timeline, const Player& player,
                               terminal::TerminalSize size, Output& out) {
  const expedition::Run& run = timeline.at(player.step()).run;
  const std::string notes = footer_notes(player, timeline);
  return view.draw_inner(
      render::expedition_scene(run),
      render::expedition_presentation(render::ExpeditionView{run.expedition(), run.record().finished},
                              render::Controls{kFooterKeys, notes, kReplayGuide}),
      size.columns, size.rows, out);
}

}  // namespace burrowlight::replay
