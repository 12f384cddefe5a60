#include "main/expedition_keys.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.hpp"

namespace burrowlight::main {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kAllBits = 18446744073709551615ULL;

terminal::Key key(render::KeyCode code) { return terminal::Key::of(code); }
terminal::Key character(char typed) { return terminal::Key::of_character(typed); }

class ExpeditionKeys : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(directory_ / "saves"); }

  // A practice expedition of `seed` in a fresh save.
  app::Session open_practice(std::uint64_t seed) {
    auto session = app::open_session((directory_ / "saves" / "run.json").string(), false, seed);
    EXPECT_TRUE(session.has_value()) << session.error().text();
    return std::move(*session);
  }

  void press(const std::vector<terminal::Key>& keys) {
    for (const terminal::Key& pressed : keys) {
      auto handled = handle_expedition_key(pressed, *session_, view_);
      ASSERT_TRUE(handled.has_value()) << handled.error().text();
    }
  }

  std::string last_log_line() const {
    const expedition::RunLog& log = session_->run().log_lines();
    return log[log.size() - 1].text();
  }

  test_support::TemporaryDirectory temporary_{"burrowlight-keys"};
  fs::path directory_ = temporary_.path();
  std::optional<app::Session> session_;
  render::View view_;
};

TEST_F(ExpeditionKeys, ArrowsWalkAndBumpingAVeinDigsIt) {
  session_ = open_practice(0);
  press({key(render::KeyCode::Right), character('d'), character('L'), character('s'), key(render::KeyCode::Right)});
  EXPECT_EQ(session_->run().record().actions, (std::vector<std::uint8_t>{4, 4, 4, 2, 8}));
  EXPECT_EQ(session_->run().expedition().x, 5);
  EXPECT_EQ(session_->run().expedition().y, 3);
  EXPECT_EQ(session_->run().expedition().charge, 6);
  EXPECT_EQ(last_log_line(), "The vein breaks. Spent 2 charge.");
  ASSERT_EQ(view_.floats.size(), 1U);
  EXPECT_EQ(view_.floats[0].text, "-2");
}

TEST_F(ExpeditionKeys, ARefusalIsLoggedAndChangesNothingElse) {
  session_ = open_practice(kAllBits);
  // Down through the hard shortcut at (3, 6), back up, then east through the hard
  // vein at (6, 3): two digs of 3 leave 2 of the 8 charge.
  press({key(render::KeyCode::Right), key(render::KeyCode::Down), key(render::KeyCode::Down), key(render::KeyCode::Down),
         key(render::KeyCode::Down), key(render::KeyCode::Up), key(render::KeyCode::Up), key(render::KeyCode::Right),
         key(render::KeyCode::Right), key(render::KeyCode::Right)});
  for (int step = 0; step < 6; ++step) press({key(render::KeyCode::Right)});
  ASSERT_EQ(session_->run().expedition().charge, 2);
  ASSERT_EQ(session_->run().expedition().x, 11);
  auto actions = session_->run().record().actions;
  auto floats = view_.floats.size();

  press({key(render::KeyCode::Right)});
  EXPECT_EQ(last_log_line(), "There is not enough charge to dig that rock.");
  EXPECT_EQ(session_->run().record().actions, actions);
  EXPECT_EQ(session_->run().expedition().x, 11);
  EXPECT_EQ(session_->run().expedition().charge, 2);
  EXPECT_EQ(view_.floats.size(), floats);
}

TEST_F(ExpeditionKeys, InteractUsesTheFlaskOrPortalUnderfoot) {
  session_ = open_practice(kAllBits);
  press({character('e')});
  EXPECT_EQ(last_log_line(), "There is no unused flask under the player.");

  // Through the shortcut to the flask at (3, 9), then to the down portal at (2, 10).
  press({key(render::KeyCode::Right), key(render::KeyCode::Down), key(render::KeyCode::Down), key(render::KeyCode::Down),
         key(render::KeyCode::Down), key(render::KeyCode::Down), key(render::KeyCode::Down), key(render::KeyCode::Down),
         key(render::KeyCode::Down)});
  ASSERT_EQ(session_->run().expedition().y, 9);
  ASSERT_EQ(session_->run().expedition().charge, 5);
  press({key(render::KeyCode::Enter)});
  EXPECT_EQ(session_->run().expedition().charge, 12);
  ASSERT_FALSE(view_.floats.empty());

  press({key(render::KeyCode::Down), key(render::KeyCode::Left)});
  ASSERT_EQ(session_->run().expedition().cell(2, 10), Cell::DownPortal);
  view_.recenter = false;
  press({character('E')});
  EXPECT_EQ(session_->run().expedition().floor, 1U);
  EXPECT_EQ(session_->run().record().actions.back(), 10);
  EXPECT_TRUE(view_.recenter);
  EXPECT_TRUE(view_.floats.empty());
}

TEST_F(ExpeditionKeys, FinishSealsTheRunOnce) {
  session_ = open_practice(0);
  press({character('f')});
  EXPECT_TRUE(session_->run().record().finished);
  const expedition::RunLog log = session_->run().log_lines();

  press({character('F')});
  EXPECT_EQ(session_->run().log_lines(), log);

  for (const terminal::Key& movement : {key(render::KeyCode::Up), character('s'), character('h'), character('D')}) {
    press({movement});
    EXPECT_EQ(last_log_line(), "This expedition is sealed. Start another with --new.");
  }
  EXPECT_TRUE(session_->run().record().actions.empty());
}

TEST_F(ExpeditionKeys, OtherKeysChangeNothing) {
  session_ = open_practice(0);
  const expedition::RunLog log = session_->run().log_lines();
  press({character('r'), character('1'), key(render::KeyCode::Tab), key(render::KeyCode::Backspace)});
  EXPECT_EQ(session_->run().log_lines(), log);
  EXPECT_TRUE(session_->run().record().actions.empty());
}

TEST_F(ExpeditionKeys, AFailedSaveEndsTheGameAndTheActionDoesNotCount) {
  session_ = open_practice(0);
  fs::rename(directory_ / "saves", directory_ / "moved");
  auto handled = handle_expedition_key(key(render::KeyCode::Right), *session_, view_);
  ASSERT_FALSE(handled.has_value());
  EXPECT_EQ(handled.error().os_code(), ENOENT);
  EXPECT_TRUE(session_->run().record().actions.empty());
  EXPECT_EQ(session_->run().expedition().x, 2);
  EXPECT_TRUE(view_.floats.empty());
}

}  // namespace
}  // namespace burrowlight::main
