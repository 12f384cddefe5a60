#include "env/expedition_env.hpp"

#include <span>
#include <utility>

#include "core/panic.hpp"
#include "headless/expedition_view.hpp"

namespace burrowlight::env {

namespace {

// A record's actions never outgrow the limit; room for all of them at once spares the
// steps of a run any allocation.
expedition::Run with_room(expedition::Run run) {
  run.reserve_all_actions();
  return run;
}

expedition::Run fresh_run(Record record) {
  return with_room(expedition::Run::fresh(std::move(record)));
}

}  // namespace

ExpeditionEnv::ExpeditionEnv() : state_{fresh_run(Record::practice(0)), {}} {}

void ExpeditionEnv::start(Record record) { state_ = {fresh_run(std::move(record)), {}}; }

void ExpeditionEnv::reset(std::uint64_t seed) { start(Record::practice(seed)); }

void ExpeditionEnv::reset(const record::Secret& secret) { start(Record(secret)); }

void ExpeditionEnv::resume(expedition::Run run) { state_ = {with_room(std::move(run)), {}}; }

ExpeditionStep ExpeditionEnv::step(std::size_t action) {
  expedition::Run& run = state_.run;
  const std::uint32_t score = run.expedition().score;
  if (action >= headless::kExpeditionAgentCommands.size()) {
    panic("ExpeditionEnv::step: the action index is out of range");
  }
  state_.error = {};
  const headless::ExpeditionCommand& command = headless::kExpeditionAgentCommands[action];
  if (command.kind == headless::CommandKind::Finish) {
    run.finish();
  } else if (auto event = run.apply(command.action, views_); !event) {
    state_.error = event.error();
  }
  const bool sealed = run.record().finished;
  return {static_cast<std::int64_t>(run.expedition().score) - score, sealed,
          !sealed && run.expedition().turns >= expedition::kActionLimit, state_.error};
}

void ExpeditionEnv::observe(const ExpeditionRows& rows) const {
  using At = ExpeditionField;
  const expedition::Run& run = state_.run;
  const Expedition& expedition = run.expedition();
  const std::span<std::uint8_t, kCellsPerFloor> map = rows.at<At::Map>();
  headless::write_map(
      run, std::span<char, kCellsPerFloor>(reinterpret_cast<char*>(map.data()), kCellsPerFloor));
  rows.at<At::Position>()[0] = expedition.x;
  rows.at<At::Position>()[1] = expedition.y;
  rows.at<At::Floor>()[0] = static_cast<std::int32_t>(expedition.floor);
  rows.at<At::Charge>()[0] = expedition.charge;
  rows.at<At::Score>()[0] = static_cast<std::int32_t>(expedition.score);
  rows.at<At::Turn>()[0] = static_cast<std::int32_t>(expedition.turns);
  rows.at<At::Finished>()[0] = run.record().finished;
  const std::span<bool, kExpeditionActionCount> legal = rows.at<At::Legal>();
  const expedition::ActionSet allowed = headless::legal_actions(run);
  for (std::size_t index = 0; index < allowed.size(); ++index) legal[index] = allowed[index];
  legal[kFinish] = !run.record().finished;
}

std::string_view ExpeditionEnv::reply() {
  if (state_.error) return replies_.expedition_failure(state_.run, message(*state_.error));
  return replies_.expedition_observation(state_.run);
}

}  // namespace burrowlight::env
