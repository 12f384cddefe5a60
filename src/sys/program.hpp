#pragma once
// What every program of the project does at its start and at its end, so that the game
// and the tools beside it treat their process alike: the panic report, standard
// descriptors that cannot be mistaken for files, a closed pipe as an ordinary write
// error, and one line on standard error for the failure that ends the program.

#include <string_view>

#include "base/error.hpp"

namespace burrowlight::sys {

// The exit statuses the programs share.
inline constexpr int kSucceeded = 0;
inline constexpr int kFailed = 1;
inline constexpr int kCommandLineMistake = 2;

// Called first thing in `main`.
void begin_program();

// Writes a whole text, such as a help text, to standard output and flushes it.
Result<void> print(std::string_view text);

// Writes "{name} {version}" and a line feed to standard output, the version being the
// release the build belongs to.
Result<void> print_version(std::string_view name);

// The last words of a program that failed: "{name}: {error}" on standard error. Returns
// `status`, the exit status to end with.
int report_failure(std::string_view name, const Error& error, int status);

}  // namespace burrowlight::sys
