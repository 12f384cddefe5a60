#include "python/seeded_vector.hpp"

#include <algorithm>

namespace burrowlight::python {

SeededVector::SeededVector(std::size_t count, std::uint64_t step_limit)
    : envs_(count),
      firsts_(count, 0),
      episodes_(count, 0),
      steps_(count, 0),
      ended_(count, false),
      step_limit_(step_limit) {}

void SeededVector::reset(std::span<const std::uint64_t> firsts,
                         const env::ExpeditionBatch& batch) {
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    firsts_[index] = firsts[index];
    episodes_[index] = 0;
    steps_[index] = 0;
    ended_[index] = false;
    envs_[index].reset(firsts[index]);
    observe(index, batch);
  }
}

void SeededVector::step(std::span<const std::int64_t> actions, const env::ExpeditionBatch& batch,
                        std::span<std::string_view> errors) {
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    errors[index] = {};
    if (ended_[index]) {
      episodes_[index] += 1;
      steps_[index] = 0;
      ended_[index] = false;
      envs_[index].reset(firsts_[index] + episodes_[index] * envs_.size());
      batch.reward[index] = 0;
      batch.terminated[index] = false;
      batch.truncated[index] = false;
    } else {
      const env::ExpeditionStep result =
          envs_[index].step(static_cast<std::size_t>(actions[index]));
      steps_[index] += 1;
      const bool cut_off = step_limit_ != 0 && steps_[index] >= step_limit_;
      batch.reward[index] = result.reward;
      batch.terminated[index] = result.terminated;
      batch.truncated[index] = !result.terminated && (result.truncated || cut_off);
      errors[index] = result.error;
      ended_[index] = result.terminated || result.truncated || cut_off;
    }
    observe(index, batch);
  }
}

std::vector<VectorMember> SeededVector::members() const {
  std::vector<VectorMember> result;
  result.reserve(envs_.size());
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    result.push_back(
        {envs_[index].state(), firsts_[index], episodes_[index], steps_[index], ended_[index]});
  }
  return result;
}

void SeededVector::restore(const std::vector<VectorMember>& members) {
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    envs_[index].restore(members[index].state);
    firsts_[index] = members[index].first;
    episodes_[index] = members[index].episode;
    steps_[index] = members[index].steps;
    ended_[index] = members[index].ended;
  }
}

void SeededVector::observe(std::size_t index, const env::ExpeditionBatch& batch) const {
  env::ExpeditionObservation observation;
  envs_[index].observe(observation);
  std::copy(observation.map.begin(), observation.map.end(), batch.map + index * kCellsPerFloor);
  std::copy(observation.position.begin(), observation.position.end(), batch.position + index * 2);
  batch.floor[index] = observation.floor;
  batch.charge[index] = observation.charge;
  batch.score[index] = observation.score;
  batch.turn[index] = observation.turn;
  batch.finished[index] = observation.finished;
  std::copy(observation.legal.begin(), observation.legal.end(),
            batch.legal + index * env::kExpeditionActionCount);
}

}  // namespace burrowlight::python
