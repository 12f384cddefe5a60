// The observation of the headless expedition: everything a program needs to choose its
// next command, built from the session alone. The map shows what the player sees now
// and, dimmed to rock or ground, what was seen before.

#include "headless/observations.hpp"

namespace burrowlight::headless {

namespace {

using expedition::Run;
using nlohmann::json;

constexpr std::string_view kMapLegend =
    "@ player, ? undiscovered, # wall or remembered rock, . ground, r soft vein, R hard vein, C "
    "crystal, "
    "F flask, < up portal, > down portal";
constexpr std::array<std::string_view, 4> kSessionCommands = {"look", "save", "finish", "quit"};

char visible_glyph(Cell cell) {
  switch (cell) {
    case Cell::Wall:
      return '#';
    case Cell::Ground:
      return '.';
    case Cell::SoftVein:
      return 'r';
    case Cell::HardVein:
      return 'R';
    case Cell::Crystal:
      return 'C';
    case Cell::Flask:
      return 'F';
    case Cell::UpPortal:
      return '<';
    case Cell::DownPortal:
      return '>';
  }
  return '?';
}

// Memory keeps only the shape of the floor: what blocks and what is open. Whether a
// crystal or a flask is still there is known only while it is in view.
char remembered_glyph(Cell cell) {
  switch (cell) {
    case Cell::Wall:
    case Cell::SoftVein:
    case Cell::HardVein:
      return '#';
    case Cell::Ground:
    case Cell::Crystal:
    case Cell::Flask:
    case Cell::UpPortal:
    case Cell::DownPortal:
      break;
  }
  return '.';
}

bool notable(Cell cell) { return cell != Cell::Wall && cell != Cell::Ground; }

json dig_cost(Cell cell) {
  if (cell == Cell::SoftVein || cell == Cell::HardVein) return static_cast<std::uint8_t>(cell);
  return nullptr;
}

std::size_t cell_index(std::int32_t x, std::int32_t y) {
  return static_cast<std::size_t>(y * kFloorWidth + x);
}

bool flag_set(const std::vector<std::uint8_t>& flags, std::size_t index) {
  return index < flags.size() && flags[index] == 1;
}

json text_map(const Run& run) {
  json rows = json::array();
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    std::string row(static_cast<std::size_t>(kFloorWidth), '?');
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const std::size_t index = cell_index(x, y);
      const Cell cell = run.expedition().cell(x, y);
      char& shown = row[static_cast<std::size_t>(x)];
      if (x == run.expedition().x && y == run.expedition().y) {
        shown = '@';
      } else if (flag_set(run.game().visible, index)) {
        shown = visible_glyph(cell);
      } else if (flag_set(run.game().discovered, index)) {
        shown = remembered_glyph(cell);
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

json objects(const Run& run) {
  json listed = json::array();
  for (std::int32_t y = 0; y < kFloorHeight; ++y) {
    for (std::int32_t x = 0; x < kFloorWidth; ++x) {
      const Cell cell = run.expedition().cell(x, y);
      if (!notable(cell) || !flag_set(run.game().visible, cell_index(x, y))) continue;
      json entry = json::object();
      entry["dig_cost"] = dig_cost(cell);
      entry["kind"] = std::string(1, visible_glyph(cell));
      entry["x"] = x;
      entry["y"] = y;
      listed.push_back(std::move(entry));
    }
  }
  return listed;
}

// The actions are tried on copies, so the list can never disagree with the rules.
json legal_actions(const Run& run) {
  json legal = json::array();
  for (std::string_view command : kSessionCommands) legal.push_back(command);
  if (run.record().finished) return legal;
  for (std::string_view word : expedition::kActionWords) {
    Expedition trial = run.expedition();
    if (std::optional<expedition::Action> action = expedition::Action::parse(word);
        action && trial.apply(*action))
      legal.push_back(word);
  }
  return legal;
}

json messages(const Run& run) {
  json lines = json::array();
  for (const std::string& line : run.game().log_lines) lines.push_back(line);
  return lines;
}

json expedition_id(const Run& run) {
  std::optional<std::string> identity = run.record().expedition_id();
  if (!identity) return nullptr;
  return std::move(*identity);
}

}  // namespace

json expedition_observation(const Run& run) {
  const Expedition& expedition = run.expedition();
  const Record& record = run.record();
  const Cell underfoot = expedition.cell(expedition.x, expedition.y);
  json position = json::object();
  position["x"] = expedition.x;
  position["y"] = expedition.y;
  // Members are set one by one: a braced list would first build a two-element array for
  // each of them, which doubles the cost of a reply. The object sorts its keys either way.
  json reply = json::object();
  reply["capacity"] = expedition::kMaxCharge;
  reply["charge"] = expedition.charge;
  reply["expedition_id"] = expedition_id(run);
  reply["finished"] = record.finished;
  reply["floor"] = expedition.floor;
  reply["floors"] = kFloorCount;
  reply["game"] = "BurrowLight";
  reply["legal_actions"] = legal_actions(run);
  reply["map"] = text_map(run);
  reply["map_legend"] = kMapLegend;
  reply["max_actions"] = expedition::kActionLimit;
  reply["messages"] = messages(run);
  reply["mode"] = "expedition";
  reply["objects"] = objects(run);
  reply["ok"] = true;
  reply["position"] = std::move(position);
  reply["practice"] = !record.secret.has_value();
  reply["rules_version"] = record::kRulesVersion;
  reply["score"] = expedition.score;
  reply["seed"] = expedition.seed;
  reply["standing_on"] = std::string(1, visible_glyph(underfoot));
  reply["turn"] = expedition.turns;
  reply["type"] = "observation";
  return reply;
}

}  // namespace burrowlight::headless
