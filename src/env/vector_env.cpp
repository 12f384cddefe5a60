#include "env/vector_env.hpp"

#include <algorithm>

#include "core/panic.hpp"

namespace burrowlight::env {

namespace {

// Fewer environments than this on a thread cost more in waking it than they save.
constexpr std::size_t kSmallestShare = 64;

}  // namespace

VectorExpeditionEnv::VectorExpeditionEnv(std::size_t count, std::size_t threads)
    : envs_(count),
      episodes_(count, 0),
      ended_(count, 0),
      pool_(std::make_unique<WorkerPool>(threads)) {}

VectorExpeditionEnv::VectorExpeditionEnv(const VectorExpeditionEnv& other)
    : envs_(other.size()),
      episodes_(other.episodes_),
      ended_(other.ended_),
      base_(other.base_),
      pool_(std::make_unique<WorkerPool>(other.threads())) {
  // An environment's reply writer is its own; only the states are copied.
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    envs_[index].restore(other.envs_[index].state());
  }
}

VectorExpeditionEnv& VectorExpeditionEnv::operator=(const VectorExpeditionEnv& other) {
  if (this != &other) *this = VectorExpeditionEnv(other);
  return *this;
}

void VectorExpeditionEnv::reset(std::uint64_t base, const ExpeditionBatch& batch) {
  base_ = base;
  pool_->run(envs_.size(), kSmallestShare, [&](std::size_t begin, std::size_t end) {
    for (std::size_t index = begin; index < end; ++index) {
      episodes_[index] = 0;
      ended_[index] = 0;
      envs_[index].reset(base + index);
      observe(index, batch);
    }
  });
}

void VectorExpeditionEnv::step(std::span<const std::int64_t> actions,
                               const ExpeditionBatch& batch) {
  if (actions.size() != envs_.size()) {
    panic("VectorExpeditionEnv::step: the actions are not one per environment");
  }
  pool_->run(envs_.size(), kSmallestShare, [&](std::size_t begin, std::size_t end) {
    for (std::size_t index = begin; index < end; ++index) step_one(index, actions[index], batch);
  });
}

void VectorExpeditionEnv::step_one(std::size_t index, std::int64_t action,
                                   const ExpeditionBatch& batch) {
  if (ended_[index] != 0) {
    episodes_[index] += 1;
    ended_[index] = 0;
    envs_[index].reset(base_ + index + episodes_[index] * envs_.size());
    batch.reward[index] = 0;
    batch.terminated[index] = false;
    batch.truncated[index] = false;
  } else {
    const ExpeditionStep result = envs_[index].step(static_cast<std::size_t>(action));
    batch.reward[index] = result.reward;
    batch.terminated[index] = result.terminated;
    batch.truncated[index] = result.truncated;
    ended_[index] = result.terminated || result.truncated ? 1 : 0;
  }
  observe(index, batch);
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
