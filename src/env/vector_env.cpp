#include "env/vector_env.hpp"

#include "core/panic.hpp"

namespace burrowlight::env {

namespace {

// The environments a thread takes at a time: fewer on a thread cost more in waking it
// than they save, and runs this short keep the threads evenly busy.
constexpr std::size_t kSmallestShare = 64;

}  // namespace

VectorExpeditionEnv::VectorExpeditionEnv(std::size_t count, std::uint64_t step_limit,
                                         std::size_t threads)
    : envs_(count),
      firsts_(count, 0),
      episodes_(count, 0),
      steps_(count, 0),
      ended_(count, 0),
      step_limit_(step_limit),
      pool_(std::make_unique<WorkerPool>(threads)) {}

VectorExpeditionEnv::VectorExpeditionEnv(const VectorExpeditionEnv& other)
    : VectorExpeditionEnv(other.size(), other.step_limit_, other.threads()) {
  restore(other.members());
}

VectorExpeditionEnv& VectorExpeditionEnv::operator=(const VectorExpeditionEnv& other) {
  if (this != &other) *this = VectorExpeditionEnv(other);
  return *this;
}

void VectorExpeditionEnv::reset(std::uint64_t base, const ExpeditionBatch& batch) {
  std::vector<std::uint64_t> firsts(envs_.size());
  for (std::size_t index = 0; index < firsts.size(); ++index) firsts[index] = base + index;
  reset(firsts, batch);
}

void VectorExpeditionEnv::reset(std::span<const std::uint64_t> firsts,
                                const ExpeditionBatch& batch) {
  if (firsts.size() != envs_.size()) {
    panic("VectorExpeditionEnv::reset: the seeds are not one per environment");
  }
  pool_->run(envs_.size(), kSmallestShare, [&](std::size_t begin, std::size_t end) {
    for (std::size_t index = begin; index < end; ++index) {
      firsts_[index] = firsts[index];
      episodes_[index] = 0;
      steps_[index] = 0;
      ended_[index] = 0;
      envs_[index].reset(firsts[index]);
      observe(index, batch);
    }
  });
}

void VectorExpeditionEnv::step(std::span<const std::int64_t> actions, const ExpeditionBatch& batch,
                               std::span<std::optional<expedition::Refusal>> errors) {
  if (actions.size() != envs_.size()) {
    panic("VectorExpeditionEnv::step: the actions are not one per environment");
  }
  if (!errors.empty() && errors.size() != envs_.size()) {
    panic("VectorExpeditionEnv::step: the errors are not one per environment");
  }
  pool_->run(envs_.size(), kSmallestShare, [&](std::size_t begin, std::size_t end) {
    for (std::size_t index = begin; index < end; ++index) {
      step_one(index, actions[index], batch, errors.empty() ? nullptr : &errors[index]);
    }
  });
}

void VectorExpeditionEnv::step_one(std::size_t index, std::int64_t action,
                                   const ExpeditionBatch& batch,
                                   std::optional<expedition::Refusal>* error) {
  if (error != nullptr) *error = {};
  if (ended_[index] != 0) {
    episodes_[index] += 1;
    steps_[index] = 0;
    ended_[index] = 0;
    envs_[index].reset(firsts_[index] + episodes_[index] * envs_.size());
    batch.reward[index] = 0;
    batch.terminated[index] = false;
    batch.truncated[index] = false;
  } else {
    const ExpeditionStep result = envs_[index].step(static_cast<std::size_t>(action));
    steps_[index] += 1;
    const bool cut_off = step_limit_ != 0 && steps_[index] >= step_limit_;
    batch.reward[index] = result.reward;
    batch.terminated[index] = result.terminated;
    batch.truncated[index] = result.truncated || cut_off;
    if (error != nullptr) *error = result.error;
    ended_[index] = result.terminated || result.truncated || cut_off ? 1 : 0;
  }
  observe(index, batch);
}

std::vector<VectorMember> VectorExpeditionEnv::members() const {
  std::vector<VectorMember> result;
  result.reserve(envs_.size());
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    result.push_back({envs_[index].state(), firsts_[index], episodes_[index], steps_[index],
                      ended_[index] != 0});
  }
  return result;
}

void VectorExpeditionEnv::restore(const std::vector<VectorMember>& members) {
  if (members.size() != envs_.size()) {
    panic("VectorExpeditionEnv::restore: the members are not one per environment");
  }
  for (std::size_t index = 0; index < envs_.size(); ++index) {
    envs_[index].restore(members[index].state);
    firsts_[index] = members[index].first;
    episodes_[index] = members[index].episode;
    steps_[index] = members[index].steps;
    ended_[index] = members[index].ended ? 1 : 0;
  }
}

void VectorExpeditionEnv::observe(std::size_t index, const ExpeditionBatch& batch) {
  envs_[index].observe(batch.observation.row(index));
}

}  // namespace burrowlight::env
