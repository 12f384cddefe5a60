#include "core/panic.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace burrowlight {

namespace {
// The one process-wide slot of the program; it belongs to the terminal-restore guard.
std::atomic<PanicHook> installed_hook{nullptr};
}  // namespace

PanicHook set_panic_hook(PanicHook hook) { return installed_hook.exchange(hook); }

void panic(std::string_view message) {
  if (PanicHook hook = installed_hook.load()) hook();
  std::fprintf(stderr, "BurrowLight panicked: %.*s\n", static_cast<int>(message.size()),
               message.data());
  std::abort();
}

}  // namespace burrowlight
