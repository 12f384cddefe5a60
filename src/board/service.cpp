#include "board/service.hpp"

#include <httplib.h>

#include <sys/socket.h>

#include <charconv>
#include <chrono>

#include "app/save.hpp"
#include "board/board_json.hpp"
#include "board/clock.hpp"
#include "board/daily.hpp"
#include "board/requests.hpp"
#include "replay/cast.hpp"
#include "replay/timeline.hpp"
#include "replay/trajectory.hpp"
#include "sys/os_error.hpp"

namespace burrowlight::board {

namespace {

// Enough workers that 32 clients holding their connections open are all served at once.
constexpr std::size_t kWorkers = 64;
constexpr time_t kReadSeconds = 5;
constexpr time_t kWriteSeconds = 5;
constexpr time_t kKeepAliveSeconds = 5;
// A body of at most 64 KiB that takes longer than this is trickled on purpose.
constexpr std::chrono::seconds kBodyDeadline{10};
// The library's default closes a kept-alive connection after 5 requests.
constexpr std::size_t kRequestsPerConnection = 100'000;
// How many past days /api/daily still shows.
constexpr int kDaysShownBack = 7;

constexpr std::string_view kJson = "application/json";
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
constexpr std::string_view kUnavailable =
    "The board's database cannot answer now; nothing was changed. Try again later.";

void answer(httplib::Response& response, int status, const std::string& json) {
  response.status = status;
  response.set_content(json, std::string(kJson).c_str());
}

void refuse(httplib::Response& response, const Refusal& refusal) {
  answer(response, refusal.status, error_json(refusal.sentence));
}

// For a refusal that leaves some of the body unread, which must not be taken for the
// next request.
void refuse_and_close(httplib::Response& response, const Refusal& refusal) {
  response.set_header("Connection", "close");
  refuse(response, refusal);
}

void unavailable(httplib::Response& response) { refuse(response, {503, std::string(kUnavailable)}); }

std::optional<std::string_view> header(const httplib::Request& request, const char* name) {
  if (!request.has_header(name)) return std::nullopt;
  auto found = request.headers.find(name);
  return std::string_view(found->second);
}

std::optional<std::string_view> parameter(const httplib::Request& request, const char* name) {
  auto found = request.params.find(name);
  if (found == request.params.end()) return std::nullopt;
  return std::string_view(found->second);
}

// Reads a body whose length its headers stated, and which they kept within `limit`,
// giving up on a client that trickles it for longer than kBodyDeadline.
std::expected<std::string, Refusal> read_body(const httplib::ContentReader& reader,
                                              std::size_t limit) {
  std::string body;
  const auto deadline = std::chrono::steady_clock::now() + kBodyDeadline;
  bool late = false;
  const bool whole = reader([&](const char* data, std::size_t length) {
    late = std::chrono::steady_clock::now() > deadline;
    if (late || body.size() + length > limit) return false;
    body.append(data, length);
    return true;
  });
  if (late) return std::unexpected(Refusal{408, "The body did not arrive within 10 seconds."});
  if (!whole) return std::unexpected(Refusal{400, "The body ended before its stated length."});
  return body;
}

// The sentence for a status the HTTP library set itself, before any route saw the request.
std::string_view library_sentence(int status) {
  switch (status) {
    case 404:
      return "There is nothing at this address.";
    case 413:
      return "The body is larger than this address takes.";
    case 414:
      return "The address is too long.";
    default:
      return "The request is not valid HTTP the board understands.";
  }
}

}  // namespace

// The library listens with a backlog of 5, which drops connections that arrive together
// (the kernel then retries them a second later); listening again on the bound socket
// lengthens the queue.
class BoardServer final : public httplib::Server {
 public:
  void lengthen_backlog() { ::listen(svr_sock_, SOMAXCONN); }
};

Service::Service(Store& store, const Clock& clock, std::optional<PlayerBundle> player)
    : store_(store), clock_(clock), player_(std::move(player)), server_(std::make_unique<BoardServer>()) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  server_->set_keep_alive_max_count(kRequestsPerConnection);
  // The head and the body of an answer go out in two writes; without this the second
  // waits for the client's delayed acknowledgement.
  server_->set_tcp_nodelay(true);
  server_->set_read_timeout(kReadSeconds, 0);
  server_->set_write_timeout(kWriteSeconds, 0);
  server_->set_keep_alive_timeout(kKeepAliveSeconds);
  server_->set_payload_max_length(save::kSizeLimit);
  // Every answer, page or not: only the board's own files run or style a page, and a
  // name that slipped through as markup could load nothing. The web player compiles its
  // terminal from WebAssembly, which 'wasm-unsafe-eval' allows (it allows no eval of
  // script text).
  server_->set_default_headers({{"Content-Security-Policy", std::string(kContentSecurityPolicy)},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "no-referrer"}});
  route();
  route_pages(*server_);
}

Service::~Service() = default;

Result<int> Service::bind(const Endpoint& endpoint) {
  int port = endpoint.port;
  if (port == 0) {
    port = server_->bind_to_any_port(endpoint.host);
    if (port < 0) return std::unexpected(sys::last_os_error());
  } else if (!server_->bind_to_port(endpoint.host, endpoint.port)) {
    return std::unexpected(sys::last_os_error());
  }
  server_->lengthen_backlog();
  return port;
}

void Service::serve() { server_->listen_after_bind(); }

bool Service::running() const { return server_->is_running(); }

void Service::stop() { server_->stop(); }

void Service::route() {
  httplib::Server& server = *server_;

  // A body is judged by its headers before a byte of it is read.
  server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    const bool takes_body = request.method == "POST" &&
                            (request.path == "/api/players" || request.path == "/api/runs");
    if (!takes_body) return httplib::Server::HandlerResponse::Unhandled;
    const std::size_t limit = request.path == "/api/players" ? kPlayerBodyLimit : save::kSizeLimit;
    const BodyHeaders headers{header(request, "Content-Type"), header(request, "Content-Length"),
                              request.has_header("Transfer-Encoding")};
    if (std::optional<Refusal> refusal = check_body_headers(headers, limit)) {
      refuse_and_close(response, *refusal);
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  server.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        answer(response, response.status, error_json(library_sentence(response.status)));
        return httplib::Server::HandlerResponse::Handled;
      }));

  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        refuse(response, {500, "The board failed on this request; nothing was changed."});
      });

  server.Post("/api/players", [this](const httplib::Request&, httplib::Response& response,
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
  });

  server.Post("/api/runs", [this](const httplib::Request& request, httplib::Response& response,
                                   const httplib::ContentReader& reader) {
    auto body = read_body(reader, save::kSizeLimit);
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
        return refuse(response, {503, "The board cannot store the run now; it was not kept. "
                                      "Try again later."});
      }
      return refuse(response,
                    {409, practice ? "This run is already on the board."
                                   : "This expedition is already on the board: a normal "
                                     "expedition's identity is on it once."});
    }
    // The run is committed; a rank that cannot be read now is left out, not the run.
    auto ranks = store_.ranks(*stored);
    response.set_header("Location", "/api/runs/" + std::to_string(stored->id));
    answer(response, 201, run_json(*stored, ranks ? *ranks : std::vector<Rank>{}));
  });

  // The front page's live feed polls this.
  server.Get("/api/runs/newest", [this](const httplib::Request&, httplib::Response& response) {
    auto newest = store_.newest(kNewestRuns);
    if (!newest) return unavailable(response);
    answer(response, 200, feed_json(*newest));
  });

  server.Get(R"(/api/runs/(\d{1,18}))",
             [this](const httplib::Request& request, httplib::Response& response) {
               const std::optional<std::int64_t> id = run_id(request.matches[1].str());
               auto found = id ? store_.run(*id) : DatabaseResult<std::optional<StoredRun>>();
               if (!found) return unavailable(response);
               if (!*found) return refuse(response, {404, "There is no run with this id."});
               auto ranks = store_.ranks(**found);
               if (!ranks) return unavailable(response);
               answer(response, 200, run_json(**found, *ranks));
             });

  const auto board = [this](const httplib::Request& request, httplib::Response& response,
                            const BoardName& name) {
    auto paging = paging_of(parameter(request, "limit"), parameter(request, "offset"));
    if (!paging) return refuse(response, paging.error());
    // Read before the query, so that a commit meanwhile makes the page older, never newer.
    const std::optional<std::uint64_t> generation = store_.generation();
    const std::string key = request.path + "?" + std::to_string(paging->limit) + "&" +
                            std::to_string(paging->offset);
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
  };
  server.Get("/api/boards/open",
             [board](const httplib::Request& request, httplib::Response& response) {
               board(request, response, {BoardKind::Open, ""});
             });
  server.Get(R"(/api/boards/seed/([^/]+))",
             [board](const httplib::Request& request, httplib::Response& response) {
               const std::optional<std::uint64_t> seed = seed_of(request.matches[1].str());
               if (!seed) {
                 return refuse(response, {400, "A seed is a whole number from 0 to 18446744073709551615."});
               }
               board(request, response, {BoardKind::Seed, std::to_string(*seed)});
             });
  server.Get(R"(/api/boards/daily/([^/]+))",
             [board](const httplib::Request& request, httplib::Response& response) {
               const std::string day = request.matches[1].str();
               if (!day_start(day)) return refuse(response, {400, "A day is written YYYY-MM-DD."});
               board(request, response, {BoardKind::Daily, day});
             });

  server.Get("/api/daily", [this](const httplib::Request&, httplib::Response& response) {
    const std::int64_t today_start = *day_start(day_text(clock_.now()));
    const std::string today = day_text(today_start);
    auto days = store_.daily(day_text(today_start - kDaysShownBack * kMicrosecondsPerDay), today,
                             day_text(today_start + kCommittedDaysAhead * kMicrosecondsPerDay));
    if (!days) return unavailable(response);
    answer(response, 200, daily_json(today, *days));
  });

  server.Get(R"(/runs/(\d{1,18})\.(json|jsonl|cast))",
             [this](const httplib::Request& request, httplib::Response& response) {
               const std::optional<std::int64_t> id = run_id(request.matches[1].str());
               auto bytes = id ? store_.save_of(*id) : DatabaseResult<std::optional<std::string>>();
               if (!bytes) return unavailable(response);
               if (!*bytes) return refuse(response, {404, "There is no run with this id."});
               const std::string kind = request.matches[2].str();
               if (kind == "json") {
                 response.set_content(**bytes, std::string(kJson).c_str());
                 return;
               }
               // The same code as burrowlight-replay --jsonl and --asciicast.
               const save::Inspection inspection = save::inspect(**bytes);
               if (!inspection.run) {
                 return refuse(response, {500, "The stored run no longer replays."});
               }
               const replay::Timeline timeline = replay::Timeline::of(inspection.run->record());
               StringOutput out;
               auto written = kind == "jsonl" ? replay::write_trajectory(timeline, out)
                                              : replay::write_cast(timeline, {}, out);
               if (!written) return refuse(response, {500, written.error().text()});
               response.set_content(out.bytes(), kind == "jsonl" ? "application/x-ndjson"
                                                                 : "application/x-asciicast");
             });
}

}  // namespace burrowlight::board
