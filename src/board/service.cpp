#include "board/service.hpp"

#include <httplib.h>
#include <sys/socket.h>

#include <functional>

#include "app/save.hpp"
#include "board/answers.hpp"
#include "board/board_json.hpp"
#include "board/requests.hpp"
#include "sys/os_error.hpp"

namespace burrowlight::board {

namespace {

// Enough workers that 32 clients holding their connections open are all served at once.
constexpr std::size_t kWorkers = 64;
constexpr time_t kReadSeconds = 5;
constexpr time_t kWriteSeconds = 5;
constexpr time_t kKeepAliveSeconds = 5;
// The library's default closes a kept-alive connection after 5 requests.
constexpr std::size_t kRequestsPerConnection = 100'000;

constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

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
    : store_(store),
      clock_(clock),
      player_(std::move(player)),
      server_(std::make_unique<BoardServer>()) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
  server_->set_keep_alive_max_count(kRequestsPerConnection);
  // The head and the body of an answer go out in two writes; without this the second
  // waits for the client's delayed acknowledgement.
  server_->set_tcp_nodelay(true);
  server_->set_read_timeout(kReadSeconds, 0);
  server_->set_write_timeout(kWriteSeconds, 0);
  server_->set_keep_alive_timeout(kKeepAliveSeconds);
  server_->set_payload_max_length(app::save::kSizeLimit);
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
    const bool takes_body =
        request.method == "POST" && (request.path == "/api/players" || request.path == "/api/runs");
    if (!takes_body) return httplib::Server::HandlerResponse::Unhandled;
    const std::size_t limit = request.path == "/api/players" ? kPlayerBodyLimit : app::save::kSizeLimit;
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

  using std::bind_front;
  server.Post("/api/players", bind_front(&Service::register_player, this));
  server.Post("/api/runs", bind_front(&Service::submit_run, this));
  // The front page's live feed polls this.
  server.Get("/api/runs/newest", bind_front(&Service::newest_runs, this));
  server.Get(R"(/api/runs/(\d{1,18}))", bind_front(&Service::stored_run, this));
  server.Get("/api/boards/open",
             [this](const httplib::Request& request, httplib::Response& response) {
               answer_board(request, response, BoardName{BoardKind::Open, ""});
             });
  server.Get(R"(/api/boards/seed/([^/]+))", bind_front(&Service::seed_board, this));
  server.Get(R"(/api/boards/daily/([^/]+))", bind_front(&Service::daily_board, this));
  server.Get("/api/daily", bind_front(&Service::daily_commitments, this));
  server.Get(R"(/runs/(\d{1,18})\.(json|jsonl|cast))", bind_front(&Service::run_file, this));
}

}  // namespace burrowlight::board
