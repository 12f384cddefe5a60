#pragma once
// Random bytes from the operating system, for expedition secrets and for the
// suffixes that make temporary and archive file names unique.

#include <cstdint>
#include <span>

#include "base/error.hpp"

namespace burrowlight::sys {

// Fills all of `bytes`, or fails with the random source's own error.
Result<void> fill_random(std::span<std::uint8_t> bytes);

}  // namespace burrowlight::sys
