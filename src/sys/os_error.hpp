#pragma once
// Operating-system failures as error values, in the system's own words.

#include "core/error.hpp"

namespace burrowlight::sys {

// "No such file or directory (os error 2)" for code 2.
Error os_error(int code);

// The failure that errno reports now.
Error last_os_error();

}  // namespace burrowlight::sys
