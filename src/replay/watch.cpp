#include "replay/watch.hpp"

#include "replay/player.hpp"
#include "replay/replay_frame.hpp"
#include "replay/replay_keys.hpp"
#include "terminal/frame_loop.hpp"

namespace burrowlight::replay {

namespace {

class ReplayGame final : public terminal::FrameGame {
 public:
  explicit ReplayGame(const Timeline& timeline) : timeline_(timeline), player_(timeline.last()) {}

  Result<void> draw(render::View& view, terminal::TerminalSize size, Output& out) override {
    return draw_replay_frame(view, timeline_, player_, size, out);
  }

  Result<void> on_key(const terminal::Key& key, render::View& view) override {
    handle_replay_key(key, timeline_, player_, view);
    return {};
  }

  void on_frame(float seconds, render::View& view) override { play_on(seconds, timeline_, player_, view); }

  // Space plays and pauses here; the replay has no stillness of its own to switch.
  terminal::KeyClaim claim(const terminal::Key& key) const override {
    return replay_command(key) ? terminal::KeyClaim::Game : terminal::KeyClaim::Shared;
  }

 private:
  const Timeline& timeline_;
  Player player_;
};

}  // namespace

Result<void> watch(const Timeline& timeline) {
  ReplayGame game(timeline);
  return terminal::run_frame_loop(game);
}

}  // namespace burrowlight::replay
