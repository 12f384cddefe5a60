// The observation of the headless expedition. The map shows what the player sees now
// and, dimmed to rock or ground, what was seen before.

#include <array>

#include "headless/expedition_reply.hpp"
#include "headless/commands.hpp"
#include "headless/expedition_view.hpp"

namespace burrowlight::headless {

namespace {

using expedition::CellSet;
using expedition::LogLine;
using expedition::Run;
using expedition::RunLog;

// The figures that never change are written into the fragments below.
static_assert(expedition::kMaxCharge == 12 && expedition::kActionLimit == 512);
static_assert(kFloorCount == 3 && record::kRulesVersion == 2);

// What a run always allows, before the actions its rules allow.
constexpr auto kAlwaysLegal = legal_actions_opening({
    command_of(kExpeditionCommands, CommandKind::Look).word,
    command_of(kExpeditionCommands, CommandKind::Save).word,
    command_of(kExpeditionCommands, CommandKind::Finish).word,
    command_of(kExpeditionCommands, CommandKind::Quit).word,
});

void write_legal_actions(JsonWriter& out, const Run& run) {
  out.raw(kAlwaysLegal.view());
  const auto legal = legal_actions(run);
  for (std::size_t index = 0; index < legal.size(); ++index) {
    if (!legal[index]) continue;
    out.raw(",\"");
    out.raw(expedition::kActionWords[index]);
    out.raw('"');
  }
  out.raw(']');
}

// Map glyphs are letters and signs that JSON leaves as they are.
void write_map_rows(JsonWriter& out, const Run& run) {
  std::array<char, kCellsPerFloor> map;
  write_map(run, map);
  out.raw("\"map\":[");
  for (std::size_t y = 0; y < kFloorHeight; ++y) {
    out.raw(y == 0 ? std::string_view("\"") : std::string_view(",\""));
    out.raw(std::string_view(map.data() + y * kFloorWidth, kFloorWidth));
    out.raw('"');
  }
  out.raw(']');
}

void write_objects(JsonWriter& out, const Run& run) {
  const auto cells = run.expedition().current_floor();
  out.raw("\"objects\":[");
  bool first = true;
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const auto index = static_cast<std::size_t>(y * kFloorWidth + x);
      const Cell cell = cells[index];
      if (!notable(cell) || !run.in_view().contains(index)) continue;
      out.raw(first ? std::string_view("{\"dig_cost\":") : std::string_view(",{\"dig_cost\":"));
      first = false;
      // A vein's cell code is its digging cost.
      if (cell == Cell::SoftVein || cell == Cell::HardVein) {
        out.integer(static_cast<unsigned>(cell));
      } else {
        out.raw("null");
      }
      out.raw(",\"kind\":\"");
      out.raw(visible_glyph(cell));
      out.raw("\",\"x\":");
      out.integer(x);
      out.raw(",\"y\":");
      out.integer(y);
      out.raw('}');
    }
  }
  out.raw(']');
}

}  // namespace

std::string_view ExpeditionReplyWriter::expedition_observation(const Run& run) {
  write_expedition(run, std::nullopt);
  return out_.text();
}

std::string_view ExpeditionReplyWriter::expedition_failure(const Run& run, std::string_view reason) {
  write_expedition(run, reason);
  return out_.text();
}

void ExpeditionReplyWriter::write_expedition_id(const Record& record) {
  if (!record.secret) {
    out_.raw("null");
    return;
  }
  if (identified_secret_ != record.secret) {
    identity_ = record.expedition_id().value_or("");
    identified_secret_ = record.secret;
  }
  out_.raw('"');
  out_.raw(identity_);
  out_.raw('"');
}

void ExpeditionReplyWriter::write_expedition(const Run& run, std::optional<std::string_view> reason) {
  const Expedition& expedition = run.expedition();
  const Record& record = run.record();
  JsonWriter& out = out_;
  out.clear();
  out.raw("{\"capacity\":12,\"charge\":");
  out.integer(unsigned{expedition.charge});
  if (reason) {
    out.raw(",\"error\":");
    out.string(*reason);
  }
  out.raw(",\"expedition_id\":");
  write_expedition_id(record);
  out.raw(",\"finished\":");
  out.boolean(record.finished);
  out.raw(",\"floor\":");
  out.integer(expedition.floor);
  out.raw(",\"floors\":3,\"game\":\"BurrowLight\",");
  write_legal_actions(out, run);
  out.raw(',');
  write_map_rows(out, run);
  out.raw(
      ",\"map_legend\":\"@ player, ? undiscovered, # wall or remembered rock, . ground, r soft "
      "vein, R hard vein, C crystal, F flask, < up portal, > down portal\",\"max_actions\":512,"
      "\"messages\":[");
  const RunLog& log = run.log_lines();
  LogLine::Buffer buffer;
  for (std::size_t index = 0; index < log.size(); ++index) {
    if (index > 0) out.raw(',');
    out.string(log[index].text(buffer));
  }
  out.raw(']');
  out.raw(",\"mode\":\"expedition\",");
  write_objects(out, run);
  out.raw(reason ? std::string_view(",\"ok\":false,\"position\":{\"x\":")
                 : std::string_view(",\"ok\":true,\"position\":{\"x\":"));
  out.integer(expedition.x);
  out.raw(",\"y\":");
  out.integer(expedition.y);
  out.raw("},\"practice\":");
  out.boolean(!record.secret.has_value());
  out.raw(",\"rules_version\":2,\"score\":");
  out.integer(expedition.score);
  out.raw(",\"seed\":");
  out.integer(expedition.seed);
  out.raw(",\"standing_on\":\"");
  out.raw(visible_glyph(expedition.cell(expedition.x, expedition.y)));
  out.raw("\",\"turn\":");
  out.integer(expedition.turns);
  out.raw(",\"type\":\"observation\"}\n");
}

}  // namespace burrowlight::headless
