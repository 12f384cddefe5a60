#pragma once
// Waiting for terminal input with a time-out, so that frames keep coming while no
// key is pressed.

#include <chrono>

#include "core/error.hpp"

namespace burrowlight {

// True when `fd` has bytes to read (or has hung up, which a read then reports)
// before `timeout` has passed; false when the time ran out. A signal that
// interrupts the wait does not end it early.
Result<bool> wait_for_input(int fd, std::chrono::nanoseconds timeout);

}  // namespace burrowlight
