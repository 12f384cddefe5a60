#include "app/socket.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace burrowlight::tcp {

namespace {

constexpr int kListenBacklog = 128;

// Linux reports some failures of a connection that is still waiting in the queue as
// failures of accept itself. They concern only that connection, so the listener
// carries on with the next one instead of ending the server.
bool belongs_to_pending_connection(int code) {
  switch (code) {
    case ECONNABORTED:
    case ENETDOWN:
    case EPROTO:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case EOPNOTSUPP:
    case ENETUNREACH:
      return true;
    default:
      return false;
  }
}

Result<void> set_option(int fd, int level, int name, const void* value, socklen_t size) {
  if (::setsockopt(fd, level, name, value, size) != 0) {
    return std::unexpected(Error::from_errno(errno));
  }
  return {};
}

// Waits until `connection` is ready for `events`, or fails with the time-out error once
// `deadline` has passed; interruptions only shorten the remaining wait.
Result<void> wait_until_ready(int connection, short events, Clock::time_point deadline) {
  while (true) {
    auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) return std::unexpected(Error::from_errno(ETIMEDOUT));
    pollfd entry{.fd = connection, .events = events, .revents = 0};
    int wait = static_cast<int>(std::min<std::chrono::milliseconds::rep>(remaining.count(), INT_MAX));
    int ready = ::poll(&entry, 1, wait);
    // Errors and hang-ups count as ready: the following read or write reports them.
    if (ready > 0) return {};
    if (ready < 0 && errno != EINTR) return std::unexpected(Error::from_errno(errno));
  }
}

}  // namespace

Result<UniqueFd> listen_on_loopback(std::uint16_t port) {
  UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.valid()) return std::unexpected(Error::from_errno(errno));
  // Without this a restarted server could not bind while the connections it closed
  // linger in TIME_WAIT. On Linux it still refuses a port that another socket is
  // listening on, so two servers can never run at once.
  int enable = 1;
  if (auto set = set_option(listener.get(), SOL_SOCKET, SO_REUSEADDR, &enable, sizeof enable);
      !set) {
    return std::unexpected(set.error());
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.get(), kListenBacklog) != 0) {
    return std::unexpected(Error::from_errno(errno));
  }
  return listener;
}

Result<UniqueFd> accept_connection(int listener) {
  while (true) {
    int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) return UniqueFd(connection);
    if (errno != EINTR && !belongs_to_pending_connection(errno)) {
      return std::unexpected(Error::from_errno(errno));
    }
  }
}

Result<void> set_time_outs(int connection, std::chrono::milliseconds time_out) {
  auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time_out);
  auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(time_out - seconds);
  timeval value{.tv_sec = static_cast<time_t>(seconds.count()),
                .tv_usec = static_cast<suseconds_t>(microseconds.count())};
  if (auto set = set_option(connection, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value); !set) {
    return set;
  }
  return set_option(connection, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value);
}

Result<std::size_t> receive_before(int connection, std::span<char> buffer,
                                   Clock::time_point deadline) {
  while (true) {
    if (auto ready = wait_until_ready(connection, POLLIN, deadline); !ready) {
      return std::unexpected(ready.error());
    }
    // A blocking read: poll said data is waiting, and the socket's own read time-out
    // still bounds it should that ever turn out wrong.
    ssize_t count = ::recv(connection, buffer.data(), buffer.size(), 0);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::unexpected(Error::from_errno(errno));
  }
}

Result<void> send_all_before(int connection, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (auto ready = wait_until_ready(connection, POLLOUT, deadline); !ready) {
      return std::unexpected(ready.error());
    }
    // Only what fits now: a blocking send of the rest would wait again for every
    // trickle of room the peer makes, and so outlast the deadline.
    ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return std::unexpected(Error::from_errno(errno));
    }
    if (sent == 0) return std::unexpected(Error("failed to write whole buffer"));
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return {};
}

bool is_peer_gone_or_slow(const Error& error) {
  auto code = error.os_code();
  if (!code) return false;
  return *code == ECONNRESET || *code == EPIPE || *code == ETIMEDOUT || *code == EAGAIN ||
         *code == EWOULDBLOCK;
}

}  // namespace burrowlight::tcp
