#include "env/vector_env.hpp"

#include <algorithm>

#include "core/panic.hpp"

namespace burrowlight::env {

VectorExpeditionEnv::VectorExpeditionEnv(std::size_t count)
    : envs_(count), episodes_(count, 0), ended_(count, false) {}

void VectorExpeditionEnv::reset(std::uint64_t base, const ExpeditionBatch& batch) {
  base_ = base;
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    episodes_[index] = 0;
    ended_[index] = false;
    envs_[index].reset(base + index);
    observe(index, batch);
  }
}

void VectorExpeditionEnv::step(std::span<const std::int64_t> actions,
                               const ExpeditionBatch& batch) {
  if (actions.size() != envs_.size()) {
    panic("VectorExpeditionEnv::step: the actions are not one per environment");
  }
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    if (ended_[index]) {
      episodes_[index] += 1;
      ended_[index] = false;
      envs_[index].reset(base_ + index + episodes_[index] * envs_.size());
      batch.reward[index] = 0;
      batch.terminated[index] = false;
      batch.truncated[index] = false;
    } else {
      const ExpeditionStep result = envs_[index].step(static_cast<std::size_t>(actions[index]));
      batch.reward[index] = result.reward;
      batch.terminated[index] = result.terminated;
      batch.truncated[index] = result.truncated;
      ended_[index] = result.terminated || result.truncated;
    }
    observe(index, batch);
  }
}

void VectorExpeditionEnv::observe(std::size_t index, const ExpeditionBatch& batch) {
  ExpeditionObservation observation;
  envs_[index].observe(observation);
  std::copy(observation.map.begin(), observation.map.end(), batch.map + index * kCellsPerFloor);
  std::copy(observation.position.begin(), observation.position.end(), batch.position + index * 2);
  batch.floor[index] = observation.floor;
  batch.charge[index] = observation.charge;
  batch.score[index] = observation.score;
  batch.turn[index] = observation.turn;
  batch.finished[index] = observation.finished;
  std::copy(observation.legal.begin(), observation.legal.end(),
            batch.legal + index * kExpeditionActionCount);
}

}  // namespace burrowlight::env
