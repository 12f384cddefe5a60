#include "sys/panic_report.hpp"

#include <unistd.h>

#include <string_view>

#include "base/panic.hpp"
#include "sys/io.hpp"

namespace burrowlight::sys {

namespace {

// Only calls that are safe in a failing process: no allocation, plain writes.
void print_report(std::string_view message) {
  (void)write_fully(STDERR_FILENO, "BurrowLight panicked: ");
  (void)write_fully(STDERR_FILENO, message);
  (void)write_fully(STDERR_FILENO, "\n");
}

}  // namespace

void report_panics() { set_panic_hook(print_report); }

}  // namespace burrowlight::sys
