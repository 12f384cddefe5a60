#include "board/connection_pool.hpp"

namespace burrowlight::board {

DatabaseResult<ConnectionPool::Lease> ConnectionPool::borrow() {
  {
    std::lock_guard lock(mutex_);
    if (!idle_.empty()) {
      std::unique_ptr<Connection> connection = std::move(idle_.back());
      idle_.pop_back();
      return Lease(*this, std::move(connection));
    }
  }
  auto connection = connect(address_);
  if (!connection) return std::unexpected(DatabaseError{Failure::Unavailable, connection.error().text()});
  return Lease(*this, std::move(*connection));
}

void ConnectionPool::give_back(std::unique_ptr<Connection> connection) {
  std::lock_guard lock(mutex_);
  idle_.push_back(std::move(connection));
}

}  // namespace burrowlight::board
