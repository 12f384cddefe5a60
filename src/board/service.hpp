#pragma once
// The board's HTTP service: the routes, each answering JSON (or a run's files), the
// limits checked before a body is read, and the time-outs that keep a silent client from
// holding a worker.

#include <expected>
#include <memory>
#include <optional>
#include <string>

#include "board/clock.hpp"
#include "board/page_cache.hpp"
#include "board/pages.hpp"
#include "board/player_bundle.hpp"
#include "board/requests.hpp"
#include "board/store.hpp"
#include "base/error.hpp"

namespace httplib {
class ContentReader;
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace burrowlight::board {

class BoardServer;

struct Endpoint {
  std::string host;
  int port;
};

class Service {
 public:
  // Without a player bundle the run pages offer the recording as a download alone.
  Service(Store& store, const Clock& clock, std::optional<PlayerBundle> player);
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  // Binds the socket; port 0 takes any free port. Returns the port bound.
  Result<int> bind(const Endpoint& endpoint);
  // Serves until `stop`; requests in flight are finished first.
  void serve();
  bool running() const;
  // Safe from any thread; does nothing before `serve` runs.
  void stop();

 private:
  void route();
  // The JSON addresses and the run files (api.cpp).
  void register_player(const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& reader);
  void submit_run(const httplib::Request& request, httplib::Response& response,
                  const httplib::ContentReader& reader);
  void newest_runs(const httplib::Request& request, httplib::Response& response);
  void stored_run(const httplib::Request& request, httplib::Response& response);
  void answer_board(const httplib::Request& request, httplib::Response& response,
                    const BoardName& name);
  void seed_board(const httplib::Request& request, httplib::Response& response);
  void daily_board(const httplib::Request& request, httplib::Response& response);
  void daily_commitments(const httplib::Request& request, httplib::Response& response);
  void run_file(const httplib::Request& request, httplib::Response& response);
  // The pages for people (site.cpp).
  void route_pages(httplib::Server& server);
  void show_front_page(const httplib::Request& request, httplib::Response& response);
  void seed_page(const httplib::Request& request, httplib::Response& response);
  void daily_page(const httplib::Request& request, httplib::Response& response);
  void stored_run_page(const httplib::Request& request, httplib::Response& response);
  DatabaseResult<std::expected<BoardView, Refusal>> board_view(const BoardName& name,
                                                               const httplib::Request& request);
  DatabaseResult<std::optional<DayView>> day_view(const std::string& day);

  Store& store_;
  const Clock& clock_;
  PageCache pages_;
  std::optional<PlayerBundle> player_;
  std::unique_ptr<BoardServer> server_;
};

}  // namespace burrowlight::board
