// The board's JSON addresses and the run files they link to: each handler reads what its
// request names, asks the store, and answers JSON or a refusal.

#include <httplib.h>

#include "app/save.hpp"
#include "board/answers.hpp"
#include "board/board_json.hpp"
#include "board/clock.hpp"
#include "board/daily.hpp"
#include "board/requests.hpp"
#include "board/service.hpp"
#include "replay/cast.hpp"
#include "replay/timeline.hpp"
#include "replay/trajectory.hpp"

namespace burrowlight::board {

namespace {

// How many past days /api/daily still shows.
constexpr int kDaysShownBack = 7;

}  // namespace

void Service::register_player(const httplib::Request&, httplib::Response& response,
                              const httplib::ContentReader& reader) {
  auto body = read_body(reader, kPlayerBodyLimit);
  if (!body) return refuse_and_close(response, body.error());
  auto name = player_name_of(*body);
  if (!name) return refuse(response, name.error());
  auto player = store_.register_player(*name);
  if (!player) {
    if (player.error().failure == Failure::Conflict) {
      return refuse(response, {409, "That name is taken (names are compared ignoring case)."});
    }
    return unavailable(response);
  }
  answer(response, 201, player_json(*player));
}

void Service::submit_run(const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& reader) {
  auto body = read_body(reader, app::save::kSizeLimit);
  if (!body) return refuse_and_close(response, body.error());
  auto token = bearer_token(header(request, "Authorization"));
  if (!token) {
    response.set_header("WWW-Authenticate", "Bearer");
    return refuse(response, token.error());
  }
  auto player = store_.player_with_token(*token);
  if (!player) return unavailable(response);
  if (!*player) return refuse(response, {403, "No player has this token."});
  auto checked = check_submission(*body);
  if (!checked) return refuse(response, checked.error());
  const bool practice = checked->practice;
  auto stored = store_.submit(**player, std::move(*checked));
  if (!stored) {
    if (stored.error().failure != Failure::Conflict) {
      return refuse(response, {503,
                               "The board cannot store the run now; it was not kept. "
                               "Try again later."});
    }
    return refuse(response, {409, practice ? "This run is already on the board."
                                           : "This expedition is already on the board: a normal "
                                             "expedition's identity is on it once."});
  }
  // The run is committed; a rank that cannot be read now is left out, not the run.
  auto ranks = store_.ranks(*stored);
  response.set_header("Location", "/api/runs/" + std::to_string(stored->id));
  answer(response, 201, run_json(*stored, ranks ? *ranks : std::vector<Rank>{}));
}

void Service::newest_runs(const httplib::Request&, httplib::Response& response) {
  auto newest = store_.newest(kNewestRuns);
  if (!newest) return unavailable(response);
  answer(response, 200, feed_json(*newest));
}

void Service::stored_run(const httplib::Request& request, httplib::Response& response) {
  const std::optional<std::int64_t> id = run_id(request.matches[1].str());
  auto found = id ? store_.run(*id) : DatabaseResult<std::optional<StoredRun>>();
  if (!found) return unavailable(response);
  if (!*found) return refuse(response, no_such_run());
  auto ranks = store_.ranks(**found);
  if (!ranks) return unavailable(response);
  answer(response, 200, run_json(**found, *ranks));
}

void Service::answer_board(const httplib::Request& request, httplib::Response& response,
                           const BoardName& name) {
  auto paging = paging_of(parameter(request, "limit"), parameter(request, "offset"));
  if (!paging) return refuse(response, paging.error());
  // Read before the query, so that a commit meanwhile makes the page older, never newer.
  const std::optional<std::uint64_t> generation = store_.generation();
  const std::string key =
      request.path + "?" + std::to_string(paging->limit) + "&" + std::to_string(paging->offset);
  if (generation) {
    if (std::optional<std::string> kept = pages_.find(key, *generation)) {
      return answer(response, 200, *kept);
    }
  }
  auto page = store_.board(name, paging->limit, paging->offset);
  if (!page) return unavailable(response);
  std::string json = board_json(name, *page, paging->limit, paging->offset);
  if (generation) pages_.keep(key, *generation, json);
  answer(response, 200, json);
}

void Service::seed_board(const httplib::Request& request, httplib::Response& response) {
  const auto seed = seed_of(request.matches[1].str());
  if (!seed) return refuse(response, seed.error());
  answer_board(request, response, {BoardKind::Seed, std::to_string(*seed)});
}

void Service::daily_board(const httplib::Request& request, httplib::Response& response) {
  auto day = day_of(request.matches[1].str());
  if (!day) return refuse(response, day.error());
  answer_board(request, response, {BoardKind::Daily, std::move(*day)});
}

void Service::daily_commitments(const httplib::Request&, httplib::Response& response) {
  const std::int64_t today_start = *day_start(day_text(clock_.now()));
  const std::string today = day_text(today_start);
  auto days = store_.daily(day_text(today_start - kDaysShownBack * kMicrosecondsPerDay), today,
                           day_text(today_start + kCommittedDaysAhead * kMicrosecondsPerDay));
  if (!days) return unavailable(response);
  answer(response, 200, daily_json(today, *days));
}

// The save as it was handed in, or what burrowlight-replay --jsonl and --asciicast make
// of it, by the same code.
void Service::run_file(const httplib::Request& request, httplib::Response& response) {
  const std::optional<std::int64_t> id = run_id(request.matches[1].str());
  auto bytes = id ? store_.save_of(*id) : DatabaseResult<std::optional<std::string>>();
  if (!bytes) return unavailable(response);
  if (!*bytes) return refuse(response, no_such_run());
  const std::string kind = request.matches[2].str();
  if (kind == "json") return answer(response, 200, **bytes);
  const app::save::Inspection inspection = app::save::inspect(**bytes);
  if (!inspection.run) return refuse(response, no_longer_replays());
  const replay::Timeline timeline = replay::Timeline::of(inspection.run->record());
  StringOutput out;
  auto written = kind == "jsonl" ? replay::write_trajectory(timeline, out)
                                 : replay::write_cast(timeline, {}, out);
  if (!written) return refuse(response, {500, written.error().text()});
  response.set_content(out.bytes(),
                       kind == "jsonl" ? "application/x-ndjson" : "application/x-asciicast");
}

}  // namespace burrowlight::board
