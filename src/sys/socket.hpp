#pragma once
// Blocking TCP on the loopback interface for the local page server: a listener, accepted
// connections, and reads and writes bounded by a monotonic deadline as well as by the
// per-call socket time-outs.

#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/error.hpp"
#include "sys/io.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::sys {

// A listening socket on 127.0.0.1 at `port`, close-on-exec.
Result<UniqueFd> listen_on_loopback(std::uint16_t port);

// The next connection of `listener`, close-on-exec. Interruptions are retried.
Result<UniqueFd> accept_connection(int listener);

// Gives every later blocking read and write on `connection` its own `time_out`.
Result<void> set_time_outs(int connection, std::chrono::milliseconds time_out);

// Up to buffer.size() bytes, or 0 when the peer has closed. Waiting past `deadline`
// fails with the time-out error ("Connection timed out (os error 110)").
Result<std::size_t> receive_before(int connection, std::span<char> buffer,
                                   Clock::time_point deadline);

// Sends all of `bytes` by `deadline`, without raising the broken-pipe signal.
Result<void> send_all_before(int connection, std::string_view bytes, Clock::time_point deadline);

// Whether `error` only says that the peer went away or took too long: resets, broken
// pipes, time-outs and the would-block condition that a socket read time-out produces.
bool is_peer_gone_or_slow(const Error& error);

}  // namespace burrowlight::sys
