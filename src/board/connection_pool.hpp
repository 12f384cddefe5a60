#pragma once
// Connections to one database lent to one thread at a time: a request borrows one for
// its queries and the lease gives it back; new ones are made when all are out.

#include <memory>
#include <mutex>
#include <vector>

#include "board/database.hpp"

namespace burrowlight::board {

class ConnectionPool {
 public:
  explicit ConnectionPool(DatabaseAddress address) : address_(std::move(address)) {}

  class Lease {
   public:
    Lease(ConnectionPool& pool, std::unique_ptr<Connection> connection)
        : pool_(&pool), connection_(std::move(connection)) {}
    Lease(Lease&&) = default;
    Lease& operator=(Lease&&) = delete;
    ~Lease() {
      if (connection_) pool_->give_back(std::move(connection_));
    }
    Connection& operator*() const { return *connection_; }
    Connection* operator->() const { return connection_.get(); }

   private:
    ConnectionPool* pool_;
    std::unique_ptr<Connection> connection_;
  };

  DatabaseResult<Lease> borrow();

 private:
  void give_back(std::unique_ptr<Connection> connection);

  DatabaseAddress address_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace burrowlight::board
