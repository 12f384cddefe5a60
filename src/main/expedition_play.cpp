#include "main/expedition_play.hpp"

#include <utility>

#include "main/expedition_keys.hpp"
#include "render/expedition_presentation.hpp"
#include "terminal/frame_loop.hpp"

namespace burrowlight::main {

using expedition::Run;

namespace {

class ExpeditionGame final : public terminal::FrameGame {
 public:
  explicit ExpeditionGame(app::Session session) : session_(std::move(session)) {}

  Result<void> draw(render::View& view, terminal::TerminalSize size, Output& out) override {
    const Run& run = session_.run();
    return view.draw_inner(
        render::expedition_scene(run),
        render::expedition_presentation(render::ExpeditionView{run.expedition(), run.record().finished}),
        size.columns, size.rows, out);
  }

  Result<void> on_key(const terminal::Key& key, render::View& view) override {
    return handle_expedition_key(key, session_, view);
  }

 private:
  app::Session session_;
};

}  // namespace

Result<void> play_expedition(app::Session session) {
  ExpeditionGame game(std::move(session));
  return terminal::run_frame_loop(game);
}

}  // namespace burrowlight::main
