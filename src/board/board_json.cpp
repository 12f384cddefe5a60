#include "board/board_json.hpp"

#include "board/clock.hpp"
#include "headless/json_writer.hpp"

namespace burrowlight::board {

namespace {

using headless::JsonWriter;

constexpr std::string_view kOpenNote =
    "Every run here is a normal expedition from its own secret, and a player can draw "
    "secrets until a seed suits: this board ranks runs, not a fair contest.";
constexpr std::string_view kSeedNote = "Practice runs of one seed, chosen by their players.";
constexpr std::string_view kDailyNote =
    "Everyone plays the same seed, fixed before the day and revealed when it starts. A known "
    "seed can still be searched by a program, so this board ranks the best run found, by "
    "whatever means.";

std::string_view board_word(BoardKind kind) {
  switch (kind) {
    case BoardKind::Open:
      return "open";
    case BoardKind::Seed:
      return "seed";
    case BoardKind::Daily:
      return "daily";
  }
  return "open";
}

void optional_string(JsonWriter& out, const std::optional<std::string>& text) {
  if (text) {
    out.foreign_string(*text);
  } else {
    out.raw("null");
  }
}

// The fields of a run that every answer about it holds, without the braces.
void run_fields(JsonWriter& out, const StoredRun& run) {
  out.raw("\"id\":");
  out.integer(run.id);
  out.raw(",\"player\":");
  out.foreign_string(run.player);
  out.raw(",\"practice\":");
  out.boolean(run.practice);
  out.raw(",\"seed\":");
  out.integer(run.seed);
  out.raw(",\"expedition_id\":");
  optional_string(out, run.expedition_id);
  out.raw(",\"score\":");
  out.integer(run.score);
  out.raw(",\"depth\":");
  out.integer(run.depth);
  out.raw(",\"turns\":");
  out.integer(run.turns);
  out.raw(",\"actions\":");
  out.integer(run.actions);
  out.raw(",\"finished\":");
  out.boolean(run.finished);
  out.raw(",\"submitted_at\":");
  out.string(timestamp_text(run.submitted_at));
  out.raw(",\"daily\":");
  optional_string(out, run.daily);
}

std::string taken(const JsonWriter& out) { return std::string(out.text()); }

}  // namespace

std::string_view board_note(BoardKind kind) {
  switch (kind) {
    case BoardKind::Open:
      return kOpenNote;
    case BoardKind::Seed:
      return kSeedNote;
    case BoardKind::Daily:
      return kDailyNote;
  }
  return kOpenNote;
}

std::string board_label(const StoredRun& run) {
  if (!run.practice) return "open";
  if (run.daily) return "daily " + *run.daily;
  return "seed " + std::to_string(run.seed);
}

std::string error_json(std::string_view sentence) {
  JsonWriter out;
  out.raw("{\"error\":");
  out.foreign_string(sentence);
  out.raw('}');
  return taken(out);
}

std::string run_json(const StoredRun& run, std::span<const Rank> ranks) {
  JsonWriter out;
  out.raw('{');
  run_fields(out, run);
  out.raw(",\"ranks\":{");
  bool first = true;
  for (const Rank& rank : ranks) {
    if (!first) out.raw(',');
    first = false;
    out.string(board_word(rank.board.kind));
    out.raw(':');
    out.integer(rank.rank);
  }
  out.raw("}}");
  return taken(out);
}

std::string board_json(const BoardName& board, const BoardPage& page, std::int64_t limit,
                       std::int64_t offset) {
  JsonWriter out;
  out.raw("{\"board\":");
  out.string(board_word(board.kind));
  if (board.kind == BoardKind::Seed) {
    out.raw(",\"seed\":");
    out.raw(board.key);
  } else if (board.kind == BoardKind::Daily) {
    out.raw(",\"day\":");
    out.string(board.key);
  }
  out.raw(",\"order\":");
  out.string(kOrderRule);
  out.raw(",\"note\":");
  out.string(board_note(board.kind));
  out.raw(",\"total\":");
  out.integer(page.total);
  out.raw(",\"limit\":");
  out.integer(limit);
  out.raw(",\"offset\":");
  out.integer(offset);
  out.raw(",\"runs\":[");
  std::int64_t rank = offset;
  for (const StoredRun& run : page.runs) {
    if (rank != offset) out.raw(',');
    out.raw("{\"rank\":");
    out.integer(++rank);
    out.raw(',');
    run_fields(out, run);
    out.raw('}');
  }
  out.raw("]}");
  return taken(out);
}

std::string daily_json(const std::string& today, std::span<const DailyDay> days) {
  JsonWriter out;
  out.raw("{\"today\":");
  out.string(today);
  out.raw(",\"commitment_text\":");
  out.string("burrowlight-daily-commitment DAY SECRET");
  out.raw(",\"seed_text\":");
  out.string("burrowlight-daily-seed DAY SECRET");
  out.raw(",\"note\":");
  out.string(kDailyNote);
  out.raw(",\"days\":[");
  bool first = true;
  for (const DailyDay& day : days) {
    if (!first) out.raw(',');
    first = false;
    const bool revealed = day.day <= today;
    out.raw("{\"day\":");
    out.string(day.day);
    out.raw(",\"commitment\":");
    out.string(day.commitment);
    out.raw(",\"committed_at\":");
    out.string(timestamp_text(day.committed_at));
    out.raw(",\"revealed\":");
    out.boolean(revealed);
    out.raw(",\"secret\":");
    if (revealed) {
      out.string(day.secret);
      out.raw(",\"seed\":");
      out.integer(day.seed);
    } else {
      out.raw("null,\"seed\":null");
    }
    out.raw('}');
  }
  out.raw("]}");
  return taken(out);
}

std::string player_json(const NewPlayer& player) {
  JsonWriter out;
  out.raw("{\"name\":");
  out.foreign_string(player.name);
  out.raw(",\"token\":");
  out.string(player.token);
  out.raw('}');
  return taken(out);
}

std::string feed_json(std::span<const StoredRun> runs) {
  JsonWriter out;
  out.raw("{\"runs\":[");
  bool first = true;
  for (const StoredRun& run : runs) {
    if (!first) out.raw(',');
    first = false;
    out.raw("{\"id\":");
    out.integer(run.id);
    out.raw(",\"board\":");
    out.string(board_label(run));
    out.raw(",\"player\":");
    out.foreign_string(run.player);
    out.raw(",\"score\":");
    out.integer(run.score);
    out.raw(",\"depth\":");
    out.integer(run.depth);
    out.raw(",\"actions\":");
    out.integer(run.actions);
    out.raw(",\"submitted_at\":");
    out.string(timestamp_text(run.submitted_at));
    out.raw('}');
  }
  out.raw("]}");
  return taken(out);
}

}  // namespace burrowlight::board
