#pragma once
// Expedition environments stepped together by the rules of env::VectorExpeditionEnv (an
// ended episode is followed on the next step by the next episode, which ignores that step's
// action), but with a first seed of its own for each environment, so that a reset may take
// one seed per environment, and with a state that is read and put back whole, so that the
// vector pickles.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/vector_env.hpp"

namespace burrowlight::python {

// One environment of the vector: its k-th episode (from 0) is the practice expedition of
// seed first + k × count, modulo 2^64; `steps` counts the steps of its episode, refused
// ones included.
struct VectorMember {
  env::ExpeditionState state;
  std::uint64_t first = 0;
  std::uint64_t episode = 0;
  std::uint64_t steps = 0;
  bool ended = false;

  bool operator==(const VectorMember&) const = default;
};

class SeededVector {
 public:
  // With a `step_limit`, an episode that has taken that many steps and is not over is
  // truncated, as a time limit around each environment would truncate it; 0 is no limit.
  SeededVector(std::size_t count, std::uint64_t step_limit);

  std::size_t size() const { return envs_.size(); }
  std::uint64_t step_limit() const { return step_limit_; }

  // Starts environment i on seed firsts[i]; `firsts` has one seed per environment.
  void reset(std::span<const std::uint64_t> firsts, const env::ExpeditionBatch& batch);

  // `actions` holds one checked action index per environment. `errors[i]` becomes the
  // sentence that refused environment i's action, or empty.
  void step(std::span<const std::int64_t> actions, const env::ExpeditionBatch& batch,
            std::span<std::string_view> errors);

  // Environment `index` ended its episode on the last step; its next step starts the next.
  bool ended(std::size_t index) const { return ended_[index]; }
  // The seed environment `index` plays now.
  std::uint64_t seed(std::size_t index) const { return envs_[index].record().seed; }

  std::vector<VectorMember> members() const;
  // Puts back what `members` gave, one member per environment.
  void restore(const std::vector<VectorMember>& members);

 private:
  void observe(std::size_t index, const env::ExpeditionBatch& batch) const;

  std::vector<env::ExpeditionEnv> envs_;
  std::vector<std::uint64_t> firsts_;
  std::vector<std::uint64_t> episodes_;
  std::vector<std::uint64_t> steps_;
  std::vector<bool> ended_;
  std::uint64_t step_limit_;
};

}  // namespace burrowlight::python
