// The program's entry: everything that can fail comes back from `run` as one error,
// which becomes the single line on standard error and exit status 1.

#include <string>
#include <vector>

#include "main/cli.hpp"
#include "sys/program.hpp"

int main(int argc, char** argv) {
  burrowlight::sys::begin_program();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  auto result = burrowlight::main::run(arguments);
  if (!result)
    return burrowlight::sys::report_failure("BurrowLight", result.error(),
                                            burrowlight::sys::kFailed);
  return burrowlight::sys::kSucceeded;
}
