// The program's entry: everything that can fail comes back from `run` as one error,
// which becomes the single line on standard error and exit status 1.

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "main/cli.hpp"
#include "sys/io.hpp"
#include "sys/panic_report.hpp"

namespace {

// A standard descriptor that was closed when the program started would be handed to
// the next file the program opens, and replies meant for standard output would land in
// the save's lock file. Each closed one is taken by /dev/null opened in the direction
// it cannot be used (input for writing, output for reading), so using it still fails
// with "Bad file descriptor", as it would have while closed.
void reserve_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is `fd` itself, since the ones below it are taken.
    ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
  }
}

}  // namespace

int main(int argc, char** argv) {
  burrowlight::sys::report_panics();
  reserve_standard_descriptors();
  // A reader that went away must show up as an ordinary write error (EPIPE) on the
  // error path, not as a signal that kills the process without a word.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  auto result = burrowlight::run(arguments);
  if (!result) {
    // If standard error is gone too, nothing is left to tell; the status still says it.
    (void)burrowlight::sys::write_all(2, "BurrowLight: " + result.error().text() + "\n");
    return 1;
  }
  return 0;
}
