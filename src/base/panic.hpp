#pragma once
// Broken invariants stop the program. The rules cannot print, so what happens before
// the abort is up to the hooks the program installs: the system layer's report on
// standard error, and before it the terminal layer's restore, so that the message
// lands on a normal screen rather than being lost with the alternate screen.

#include <string_view>

namespace burrowlight {

using PanicHook = void (*)(std::string_view message);

// Installs `hook` and returns the previous one, so that hooks can be chained.
PanicHook set_panic_hook(PanicHook hook);

// Runs the installed hook with `message`, then aborts.
[[noreturn]] void panic(std::string_view message);

}  // namespace burrowlight
