// The board's pages for people, beside the JSON addresses: the boards, a run, and the
// files those pages load. A page is read afresh from the store; the JSON boards keep
// theirs.

#include <httplib.h>

#include <functional>

#include "app/save.hpp"
#include "board/assets.hpp"
#include "board/clock.hpp"
#include "board/daily.hpp"
#include "board/pages.hpp"
#include "board/requests.hpp"
#include "board/service.hpp"

namespace burrowlight::board {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kCss = "text/css; charset=utf-8";
constexpr const char* kJavaScript = "text/javascript; charset=utf-8";
constexpr std::string_view kUnavailablePage =
    "The board's database cannot answer now. Try again later.";

void show(httplib::Response& response, int status, const std::string& page) {
  response.status = status;
  response.set_content(page, kHtml);
}

void show_refusal(httplib::Response& response, const Refusal& refusal) {
  show(response, refusal.status, refusal_page(refusal.status, refusal.sentence));
}

void show_unavailable(httplib::Response& response) {
  show_refusal(response, {503, std::string(kUnavailablePage)});
}

std::optional<std::string_view> page_parameter(const httplib::Request& request) {
  auto found = request.params.find("page");
  if (found == request.params.end()) return std::nullopt;
  return std::string_view(found->second);
}

std::string next_day(const std::string& day) {
  return day_text(*day_start(day) + kMicrosecondsPerDay);
}

}  // namespace

// One page of `name`; a page past the last is refused, the empty first page is not.
DatabaseResult<std::expected<BoardView, Refusal>> Service::board_view(
    const BoardName& name, const httplib::Request& request) {
  auto page_number = page_number_of(page_parameter(request));
  if (!page_number) return std::expected<BoardView, Refusal>(std::unexpect, page_number.error());
  auto page = store_.board(name, kRowsPerPage, (*page_number - 1) * kRowsPerPage);
  if (!page) return std::unexpected(page.error());
  if (*page_number > page_count(page->total)) {
    return std::expected<BoardView, Refusal>(std::unexpect,
                                             Refusal{404, "This board has no such page."});
  }
  return BoardView{name, std::move(*page), *page_number};
}

// The day's commitment (and secret once it has started). A day up to a week ahead is
// drawn as /api/daily would; a past day that was never drawn has none, and nor has a
// day further ahead, so no address can make the board draw without end.
DatabaseResult<std::optional<DayView>> Service::day_view(const std::string& day) {
  const std::string today = day_text(clock_.now());
  const std::string last_drawn =
      day_text(*day_start(today) + kCommittedDaysAhead * kMicrosecondsPerDay);
  const bool drawn_now = day >= today && day <= last_drawn;
  auto days = store_.daily(day, drawn_now ? day : next_day(day), day);
  if (!days) return std::unexpected(days.error());
  if (days->empty()) return std::nullopt;
  return DayView{days->front(), day <= today};
}

void Service::route_pages(httplib::Server& server) {
  using std::bind_front;
  server.Get("/", bind_front(&Service::show_front_page, this));
  server.Get(R"(/seed/([^/]+))", bind_front(&Service::seed_page, this));
  server.Get(R"(/daily/([^/]+))", bind_front(&Service::daily_page, this));
  server.Get(R"(/runs/(\d{1,18}))", bind_front(&Service::stored_run_page, this));
  server.Get("/static/board.css", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(board_stylesheet()), kCss);
  });
  server.Get("/static/board.js", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(board_script()), kJavaScript);
  });
  if (!player_) return;
  server.Get("/static/asciinema-player.min.js",
             [this](const httplib::Request&, httplib::Response& response) {
               response.set_content(player_->script, kJavaScript);
             });
  server.Get("/static/asciinema-player.css",
             [this](const httplib::Request&, httplib::Response& response) {
               response.set_content(player_->style, kCss);
             });
}

void Service::show_front_page(const httplib::Request& request, httplib::Response& response) {
  auto open = board_view({BoardKind::Open, ""}, request);
  if (!open) return show_unavailable(response);
  if (!*open) return show_refusal(response, open->error());
  const std::string today = day_text(clock_.now());
  auto day = day_view(today);
  auto daily_top = store_.board({BoardKind::Daily, today}, kDailyRowsOnFront, 0);
  auto newest = store_.newest(kNewestRuns);
  if (!day || !daily_top || !newest) return show_unavailable(response);
  show(response, 200,
       front_page({std::move(**open), *day, std::move(*daily_top), std::move(*newest)}));
}

void Service::seed_page(const httplib::Request& request, httplib::Response& response) {
  const auto seed = seed_of(request.matches[1].str());
  if (!seed) return show_refusal(response, seed.error());
  auto board = board_view({BoardKind::Seed, std::to_string(*seed)}, request);
  if (!board) return show_unavailable(response);
  if (!*board) return show_refusal(response, board->error());
  show(response, 200, board_page(**board, std::nullopt));
}

void Service::daily_page(const httplib::Request& request, httplib::Response& response) {
  auto day = day_of(request.matches[1].str());
  if (!day) return show_refusal(response, day.error());
  auto board = board_view({BoardKind::Daily, *day}, request);
  auto shown = day_view(*day);
  if (!board || !shown) return show_unavailable(response);
  if (!*board) return show_refusal(response, board->error());
  show(response, 200, board_page(**board, *shown));
}

void Service::stored_run_page(const httplib::Request& request, httplib::Response& response) {
  const std::optional<std::int64_t> id = run_id(request.matches[1].str());
  auto found = id ? store_.run(*id) : DatabaseResult<std::optional<StoredRun>>();
  if (!found) return show_unavailable(response);
  if (!*found) return show_refusal(response, no_such_run());
  auto ranks = store_.ranks(**found);
  auto bytes = store_.save_of((*found)->id);
  if (!ranks || !bytes || !*bytes) return show_unavailable(response);
  const app::save::Inspection inspection = app::save::inspect(**bytes);
  if (!inspection.record || !inspection.run) return show_refusal(response, no_longer_replays());
  show(response, 200,
       run_page({std::move(**found), std::move(*ranks), inspection.record->rules_version,
                 player_.has_value()}));
}

}  // namespace burrowlight::board
