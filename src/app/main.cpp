// The program's entry: everything that can fail comes back from `run` as one error,
// which becomes the single line on standard error and exit status 1.

#include <csignal>
#include <string>
#include <vector>

#include "app/cli.hpp"
#include "app/fd_stream.hpp"

int main(int argc, char** argv) {
  // A reader that went away must show up as an ordinary write error (EPIPE) on the
  // error path, not as a signal that kills the process without a word.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  auto result = burrowlight::run(arguments);
  if (!result) {
    // If standard error is gone too, nothing is left to tell; the status still says it.
    (void)burrowlight::write_all(2, "BurrowLight: " + result.error().text() + "\n");
    return 1;
  }
  return 0;
}
