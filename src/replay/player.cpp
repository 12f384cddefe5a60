#include "replay/player.hpp"

#include <algorithm>

namespace burrowlight::replay {

void Player::forward() {
  pause();
  step_ = std::min(step_ + 1, last_);
}

void Player::back() {
  pause();
  if (step_ > 0) --step_;
}

void Player::to_first() {
  pause();
  step_ = 0;
}

void Player::to_last() {
  pause();
  step_ = last_;
}

void Player::play_or_pause() {
  if (playing_) {
    pause();
    return;
  }
  if (step_ == last_) step_ = 0;
  // The first step comes one period after the start, as every later one does.
  owed_ = 0.0;
  playing_ = step_ < last_;
}

void Player::faster() { speed_ = std::min(speed_ * 2, kFastestSpeed); }

void Player::slower() { speed_ = std::max(speed_ / 2, kSlowestSpeed); }

std::size_t Player::advance(float seconds) {
  if (!playing_) return 0;
  owed_ += static_cast<double>(seconds) * speed_;
  std::size_t taken = 0;
  while (owed_ >= 1.0 && step_ < last_) {
    owed_ -= 1.0;
    ++step_;
    ++taken;
  }
  if (step_ == last_) pause();
  return taken;
}

void Player::pause() {
  playing_ = false;
  owed_ = 0.0;
}

}  // namespace burrowlight::replay
