#include "base/panic.hpp"

#include <atomic>
#include <cstdlib>

namespace burrowlight {

namespace {
// The one process-wide slot of the program; it belongs to the terminal-restore guard
// and the panic report that the guard chains to.
std::atomic<PanicHook> installed_hook{nullptr};
}  // namespace

PanicHook set_panic_hook(PanicHook hook) { return installed_hook.exchange(hook); }

void panic(std::string_view message) {
  if (PanicHook hook = installed_hook.load()) hook(message);
  std::abort();
}

}  // namespace burrowlight
