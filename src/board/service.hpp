#pragma once
// The board's HTTP service: the routes, each answering JSON (or a run's files), the
// limits checked before a body is read, and the time-outs that keep a silent client from
// holding a worker.

#include <memory>
#include <string>

#include "board/clock.hpp"
#include "board/page_cache.hpp"
#include "board/store.hpp"
#include "core/error.hpp"

namespace burrowlight::board {

class BoardServer;

struct Endpoint {
  std::string host;
  int port;
};

class Service {
 public:
  Service(Store& store, const Clock& clock);
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

  Store& store_;
  const Clock& clock_;
  PageCache pages_;
  std::unique_ptr<BoardServer> server_;
};

}  // namespace burrowlight::board
