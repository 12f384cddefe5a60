#pragma once
// The transport of a replay: which step is shown, whether it plays, and how fast. It
// takes the passing time as seconds, so every rule is testable without a clock.

#include <cstddef>

namespace burrowlight::replay {

// Playing speeds in steps per second, from the slowest to the fastest by doubling.
inline constexpr unsigned kSlowestSpeed = 1;
inline constexpr unsigned kFastestSpeed = 32;
inline constexpr unsigned kStartingSpeed = 4;

class Player {
 public:
  // A paused player at step 0 of steps 0 to `last_step`.
  explicit Player(std::size_t last_step) : last_(last_step) {}

  std::size_t step() const { return step_; }
  bool playing() const { return playing_; }
  unsigned speed() const { return speed_; }

  // Stepping and jumping by hand pause the playing: the person has taken over.
  void forward();
  void back();
  void to_first();
  void to_last();

  // Starts or stops playing. Started at the last step, it plays again from step 0.
  void play_or_pause();

  // Doubles or halves the speed within its limits.
  void faster();
  void slower();

  // Plays on for `seconds` more; returns the number of steps taken. Reaching the last
  // step pauses.
  std::size_t advance(float seconds);

 private:
  void pause();

  std::size_t last_;
  std::size_t step_ = 0;
  bool playing_ = false;
  unsigned speed_ = kStartingSpeed;
  // The steps owed so far to the playing time, a fraction of one between frames.
  double owed_ = 0.0;
};

}  // namespace burrowlight::replay
