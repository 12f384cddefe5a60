#pragma once
// Whole writes, single and bounded reads, and waiting for a descriptor until a deadline:
// the ways the program moves bytes through file descriptors.

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace burrowlight::sys {

using Clock = std::chrono::steady_clock;

// What write_fully returns for a write that took no bytes at all.
inline constexpr int kWroteNothing = -1;

// Writes all of `bytes`, retrying after interruptions and partial writes. Returns 0, the
// errno of the failed write, or kWroteNothing. Allocates nothing, so the terminal can be
// given back with it from inside a signal handler.
int write_fully(int fd, std::string_view bytes);

// write_fully as an error value.
Result<void> write_all(int fd, std::string_view bytes);

// One read of up to buffer.size() bytes; 0 at the end of input.
Result<std::size_t> read_some(int fd, std::span<char> buffer);

// Everything up to `limit` bytes, or less at the end of input.
Result<std::string> read_at_most(int fd, std::size_t limit);

// The start of the regular file at `path`: up to `limit` bytes and one more, so that the
// caller can tell a file over the limit without reading all of it. Anything else that the
// path names (a FIFO, a device, a socket, a directory) fails at once with `not_regular`,
// since reading it could block forever, never end or change the thing read. A symbolic
// link is followed.
Result<std::string> read_file_start(const std::string& path, std::size_t limit,
                                    const Error& not_regular);

// True once `fd` is ready for `events` (POLLIN, POLLOUT), false when `deadline` passed
// first. Errors and hang-ups count as ready, since the read or write that follows reports
// them; a descriptor that is not open is an error, as it could never become ready.
// Signals do not end the wait early.
Result<bool> wait_until_ready(int fd, short events, Clock::time_point deadline);

}  // namespace burrowlight::sys
