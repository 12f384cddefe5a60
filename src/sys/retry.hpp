#pragma once
// The one place where an interrupted system call is asked again.

#include <cerrno>

namespace burrowlight::sys {

// Calls `call` until it returns anything but a failure with EINTR: a signal that arrives
// while the process waits in a system call interrupts only the wait, never the work.
// Allocates nothing, so it may run inside a signal handler. close(2) must not go through
// it: Linux releases the descriptor even when close reports an interruption.
template <class Call>
auto retry_interrupted(Call&& call) -> decltype(call()) {
  while (true) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

}  // namespace burrowlight::sys
