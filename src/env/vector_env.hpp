#pragma once
// Many expedition environments stepped together, writing every observation and result
// into arrays the caller provides, one row per environment.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "env/expedition_env.hpp"
#include "env/worker_pool.hpp"

namespace burrowlight::env {

// Where a batch goes: each pointer holds `count` rows of its shape, row i for
// environment i.
struct ExpeditionBatch {
  std::uint8_t* map;       // count × 13 × 19
  std::int32_t* position;  // count × 2
  std::int32_t* floor;     // count
  std::int32_t* charge;    // count
  std::int32_t* score;     // count
  std::int32_t* turn;      // count
  bool* finished;          // count
  bool* legal;             // count × 12
  std::int64_t* reward;    // count; left alone by reset
  bool* terminated;        // count; left alone by reset
  bool* truncated;         // count; left alone by reset
};

// Environment i's k-th episode, counting from 0, is the practice expedition of seed
// base + i + k × count (modulo 2^64). When an episode ends (sealed, or all actions used),
// the step that ended it reports its last observation; the next step ignores that
// environment's action, starts its next episode and reports that episode's first
// observation with reward 0, neither terminated nor truncated.
//
// The environments are stepped on `threads` threads (the caller's among them), each
// writing only its own rows, so the results do not depend on the number of threads.
class VectorExpeditionEnv {
 public:
  explicit VectorExpeditionEnv(std::size_t count, std::size_t threads = machine_threads());

  // A copy has the same environments and a pool of its own of the same size.
  VectorExpeditionEnv(const VectorExpeditionEnv& other);
  VectorExpeditionEnv& operator=(const VectorExpeditionEnv& other);
  VectorExpeditionEnv(VectorExpeditionEnv&&) noexcept = default;
  VectorExpeditionEnv& operator=(VectorExpeditionEnv&&) noexcept = default;

  std::size_t size() const { return envs_.size(); }
  std::size_t threads() const { return pool_->threads(); }

  // Starts every environment's first episode and writes the observations.
  void reset(std::uint64_t base, const ExpeditionBatch& batch);

  // `actions` holds one action index per environment; a span of another size or an index
  // out of range is a broken precondition and panics.
  void step(std::span<const std::int64_t> actions, const ExpeditionBatch& batch);

 private:
  void step_one(std::size_t index, std::int64_t action, const ExpeditionBatch& batch);
  void observe(std::size_t index, const ExpeditionBatch& batch);

  std::vector<ExpeditionEnv> envs_;
  std::vector<std::uint64_t> episodes_;
  // One byte per environment, so that threads stepping neighbours never share a word.
  std::vector<std::uint8_t> ended_;
  std::uint64_t base_ = 0;
  std::unique_ptr<WorkerPool> pool_;
};

}  // namespace burrowlight::env
