#include "sys/socket.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"

namespace burrowlight::sys {

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
    return std::unexpected(last_os_error());
  }
  return {};
}

// Waits until `connection` is ready for `events`, or fails with the time-out error once
// `deadline` has passed.
Result<void> wait_until_ready_or_time_out(int connection, short events,
                                          Clock::time_point deadline) {
  auto ready = wait_until_ready(connection, events, deadline);
  if (!ready) return std::unexpected(ready.error());
  if (!*ready) return std::unexpected(os_error(ETIMEDOUT));
  return {};
}

}  // namespace

Result<UniqueFd> listen_on_loopback(std::uint16_t port) {
  UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener.valid()) return std::unexpected(last_os_error());
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
    return std::unexpected(last_os_error());
  }
  return listener;
}

Result<UniqueFd> accept_connection(int listener) {
  while (true) {
    const int connection =
        retry_interrupted([&] { return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC); });
    if (connection >= 0) return UniqueFd(connection);
    if (!belongs_to_pending_connection(errno)) return std::unexpected(last_os_error());
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
  if (auto ready = wait_until_ready_or_time_out(connection, POLLIN, deadline); !ready) {
    return std::unexpected(ready.error());
  }
  // A blocking read: poll said data is waiting, and the socket's own read time-out
  // still bounds it should that ever turn out wrong.
  const ssize_t count =
      retry_interrupted([&] { return ::recv(connection, buffer.data(), buffer.size(), 0); });
  if (count < 0) return std::unexpected(last_os_error());
  return static_cast<std::size_t>(count);
}

Result<void> send_all_before(int connection, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (auto ready = wait_until_ready_or_time_out(connection, POLLOUT, deadline); !ready) {
      return std::unexpected(ready.error());
    }
    // Only what fits now: a blocking send of the rest would wait again for every
    // trickle of room the peer makes, and so outlast the deadline.
    const ssize_t sent = retry_interrupted([&] {
      return ::send(connection, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    });
    if (sent < 0) {
      // The room that poll saw was taken after all: wait for more.
      if (errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return std::unexpected(last_os_error());
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

}  // namespace burrowlight::sys
