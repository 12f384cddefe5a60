#pragma once
// Operating-system failures as error values, in the system's own words.

#include <string_view>

#include "base/error.hpp"

namespace burrowlight::sys {

// "No such file or directory (os error 2)" for code 2.
Error os_error(int code);

// The failure that errno reports now.
Error last_os_error();
// The same after "context: ", for a failure whose file the system's words do not name.
Error last_os_error(std::string_view context);

}  // namespace burrowlight::sys
