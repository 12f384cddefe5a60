#pragma once
// Many expedition environments stepped together, writing every observation and result
// into arrays the caller provides, one row per environment.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/worker_pool.hpp"

namespace burrowlight::env {

// Where a batch goes: each pointer holds `count` rows, row i for environment i.
struct ExpeditionBatch {
  // Each field's rows, of the field's shape.
  ExpeditionRows observation;
  std::int64_t* reward;  // count; left alone by reset
  bool* terminated;      // count; left alone by reset
  bool* truncated;       // count; left alone by reset
};

// One environment of a batch, as it can be read and put back: its k-th episode (from 0)
// is the practice expedition of seed first + k × count, modulo 2^64; `steps` counts the
// steps of its episode, refused ones included.
struct VectorMember {
  ExpeditionState state;
  std::uint64_t first = 0;
  std::uint64_t episode = 0;
  std::uint64_t steps = 0;
  bool ended = false;

  bool operator==(const VectorMember&) const = default;
};

// Many expeditions stepped together. When an episode ends (sealed, all actions used, or
// the step limit reached), the step that ended it reports its last observation; the next
// step ignores that environment's action, starts its next episode and reports that
// episode's first observation with reward 0, neither terminated nor truncated.
//
// The environments are stepped on `threads` threads (the caller's among them), each
// writing only its own rows, so the results do not depend on the number of threads.
class VectorExpeditionEnv {
 public:
  // With a `step_limit`, an episode is truncated on its step of that number, as a time
  // limit around each environment would truncate it: also when that step sealed the run,
  // which is then both terminated and truncated. 0 is no limit.
  explicit VectorExpeditionEnv(std::size_t count, std::uint64_t step_limit = 0,
                               std::size_t threads = machine_threads());

  // A copy has the same environments and a pool of its own of the same size.
  VectorExpeditionEnv(const VectorExpeditionEnv& other);
  VectorExpeditionEnv& operator=(const VectorExpeditionEnv& other);
  VectorExpeditionEnv(VectorExpeditionEnv&&) noexcept = default;
  VectorExpeditionEnv& operator=(VectorExpeditionEnv&&) noexcept = default;

  std::size_t size() const { return envs_.size(); }
  std::size_t threads() const { return pool_->threads(); }
  std::uint64_t step_limit() const { return step_limit_; }

  // Starts environment i on seed base + i, and writes the observations.
  void reset(std::uint64_t base, const ExpeditionBatch& batch);
  // Starts environment i on seed firsts[i]; one seed per environment.
  void reset(std::span<const std::uint64_t> firsts, const ExpeditionBatch& batch);

  // `actions` holds one action index per environment; a span of another size or an index
  // out of range is a broken precondition and panics. When `errors` is not empty (one
  // entry per environment), errors[i] becomes the refusal of environment i's action, or
  // nothing.
  void step(std::span<const std::int64_t> actions, const ExpeditionBatch& batch,
            std::span<std::optional<expedition::Refusal>> errors = {});

  // Environment `index` ended its episode on the last step; its next step starts the next.
  bool ended(std::size_t index) const { return ended_[index] != 0; }
  // The seed environment `index` plays now.
  std::uint64_t seed(std::size_t index) const { return envs_[index].record().seed; }
  // Environment `index` as it stands, to be looked at (rendered, observed) between steps.
  const ExpeditionEnv& member(std::size_t index) const { return envs_[index]; }

  std::vector<VectorMember> members() const;
  // Puts back what `members` gave, one member per environment.
  void restore(const std::vector<VectorMember>& members);

 private:
  void step_one(std::size_t index, std::int64_t action, const ExpeditionBatch& batch,
                std::optional<expedition::Refusal>* error);
  void observe(std::size_t index, const ExpeditionBatch& batch);

  std::vector<ExpeditionEnv> envs_;
  std::vector<std::uint64_t> firsts_;
  std::vector<std::uint64_t> episodes_;
  std::vector<std::uint64_t> steps_;
  // One byte per environment, so that threads stepping neighbours never share a word.
  std::vector<std::uint8_t> ended_;
  std::uint64_t step_limit_;
  std::unique_ptr<WorkerPool> pool_;
};

}  // namespace burrowlight::env
