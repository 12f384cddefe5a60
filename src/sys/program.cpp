#include "sys/program.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

#include "base/version.hpp"
#include "sys/fd_stream.hpp"
#include "sys/io.hpp"
#include "sys/panic_report.hpp"

namespace burrowlight::sys {

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

void begin_program() {
  report_panics();
  reserve_standard_descriptors();
  // A reader that went away must show up as an ordinary write error (EPIPE) on the
  // error path, not as a signal that kills the process without a word.
  std::signal(SIGPIPE, SIG_IGN);
}

Result<void> print(std::string_view text) {
  FdOutput standard_output(STDOUT_FILENO);
  if (auto written = standard_output.write(text); !written) return written;
  return standard_output.flush();
}

Result<void> print_version(std::string_view name) {
  std::string line(name);
  line += ' ';
  line += kVersion;
  line += '\n';
  return print(line);
}

int report_failure(std::string_view name, const Error& error, int status) {
  // If standard error is gone too, nothing is left to tell; the status still says it.
  (void)write_all(STDERR_FILENO, std::string(name) + ": " + error.text() + "\n");
  return status;
}

}  // namespace burrowlight::sys
