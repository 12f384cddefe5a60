#pragma once
// Broken invariants stop the program. A hook installed by the terminal layer runs
// first, so the message is printed on a normal screen rather than lost with the
// alternate screen.

#include <string_view>

namespace burrowlight {

using PanicHook = void (*)();

// Installs `hook` and returns the previous one, so that hooks can be chained.
PanicHook set_panic_hook(PanicHook hook);

// Runs the hook, prints "BurrowLight panicked: {message}" on standard error and aborts.
[[noreturn]] void panic(std::string_view message);

}  // namespace burrowlight
