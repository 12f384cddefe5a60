#include "main/prototype_play.hpp"

#include "core/game.hpp"
#include "main/prototype_keys.hpp"
#include "render/prototype_presentation.hpp"
#include "terminal/frame_loop.hpp"

namespace burrowlight::main {

namespace {

class PrototypeGame final : public terminal::FrameGame {
 public:
  Result<void> draw(render::View& view, terminal::TerminalSize size, Output& out) override {
    return view.draw_inner(render::prototype_scene(game_), render::prototype_presentation(game_), size.columns,
                           size.rows, out);
  }

  Result<void> on_key(const terminal::Key& key, render::View& view) override {
    handle_prototype_key(key, game_, view);
    return {};
  }

 private:
  Game game_ = Game::authored();
};

}  // namespace

Result<void> play_prototype() {
  PrototypeGame game;
  return terminal::run_frame_loop(game);
}

}  // namespace burrowlight::main
