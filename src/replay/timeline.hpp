#pragma once
// The states of a saved expedition in the order the game showed them, rebuilt from its
// record as a session would have played it: step 0 is the fresh run before the first
// action, step k the run after the k-th action, and a sealed save has one state more,
// the run after its seal.

#include <cstddef>
#include <optional>
#include <vector>

#include "core/expedition_actions.hpp"
#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"

namespace burrowlight::replay {

// One state of the run, with the event of the action that led to it; step 0 and the
// seal have none.
struct Moment {
  expedition::Run run;
  std::optional<expedition::Event> event;
};

class Timeline {
 public:
  // `record` must be one the game would open (save::inspect accepted it): every action
  // is applied to a fresh run of the same seed and secret, then the seal if it has one.
  static Timeline of(const Record& record);

  const Moment& at(std::size_t step) const { return moments_.at(step); }
  // The number of the last state: the count of actions, plus one for a seal.
  std::size_t last() const { return moments_.size() - 1; }
  std::size_t action_count() const { return action_count_; }
  // Whether `step` is the state after the seal.
  bool is_seal(std::size_t step) const { return step > action_count_; }

  const std::vector<Moment>& moments() const { return moments_; }

 private:
  explicit Timeline(std::vector<Moment> moments, std::size_t action_count)
      : moments_(std::move(moments)), action_count_(action_count) {}

  std::vector<Moment> moments_;
  std::size_t action_count_;
};

}  // namespace burrowlight::replay
