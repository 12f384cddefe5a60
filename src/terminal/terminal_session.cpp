#include "terminal/terminal_session.hpp"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>

#include "base/panic.hpp"
#include "sys/io.hpp"
#include "sys/retry.hpp"
#include "terminal/raw_mode.hpp"

namespace burrowlight::terminal {

namespace {

// Signals after which the process ends. The terminal is restored first, then the
// signal is delivered again to the handler that was there before (the default
// one, normally), so the exit status still tells what happened.
constexpr std::array<int, 9> kEndingSignals = {SIGSEGV, SIGBUS, SIGFPE,  SIGILL, SIGABRT,
                                               SIGTERM, SIGHUP, SIGQUIT, SIGINT};

// What a signal handler, the panic hook and the terminate handler need in order to
// put the terminal back. This is the only process-wide state of the terminal
// layer: a handler cannot be handed anything else.
struct RestoreGuard {
  // The attributes in force before game mode; valid while raw_engaged is set.
  termios saved{};
  volatile std::sig_atomic_t raw_engaged = 0;
  volatile std::sig_atomic_t screen_engaged = 0;
  // Set by SIGTSTP in game mode and by SIGCONT; taken by the frame loop.
  volatile std::sig_atomic_t stop_requested = 0;
  volatile std::sig_atomic_t continued = 0;
  bool handlers_installed = false;
  PanicHook previous_panic_hook = nullptr;
  std::terminate_handler previous_terminate = nullptr;
  std::array<struct sigaction, kEndingSignals.size()> previous_actions{};
  struct sigaction stop_action {};
};

RestoreGuard guard;

void restore_then_previous_panic_hook(std::string_view message) {
  restore_terminal();
  if (guard.previous_panic_hook != nullptr) guard.previous_panic_hook(message);
}

[[noreturn]] void restore_then_terminate() {
  restore_terminal();
  if (guard.previous_terminate != nullptr) guard.previous_terminate();
  std::abort();
}

void restore_then_end(int signal_number, siginfo_t* info, void* /*context*/) {
  restore_terminal();
  for (std::size_t index = 0; index < kEndingSignals.size(); ++index) {
    if (kEndingSignals[index] == signal_number) {
      ::sigaction(signal_number, &guard.previous_actions[index], nullptr);
    }
  }
  // A fault raised by the processor happens again when the handler returns, this
  // time with the previous handler in place; a signal sent by a process does not,
  // so it is sent again.
  bool from_fault = info != nullptr && info->si_code > 0 &&
                    (signal_number == SIGSEGV || signal_number == SIGBUS ||
                     signal_number == SIGFPE || signal_number == SIGILL);
  if (!from_fault) ::raise(signal_number);
}

// Stops the process with the default action of SIGTSTP; returns once it is continued.
void stop_process() {
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(SIGTSTP, &default_action, nullptr);
  sigset_t stop_only;
  sigemptyset(&stop_only);
  sigaddset(&stop_only, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &stop_only, nullptr);
  ::raise(SIGTSTP);
  ::sigaction(SIGTSTP, &guard.stop_action, nullptr);
}

// A stop requested from outside. The shell should get its terminal back as it was,
// but a frame may be half written: stopping here would leave its rest to land on
// the shell's screen once the process goes on. So in game mode the frame loop
// restores the terminal and stops at the start of its next frame.
void stop_when_safe(int /*signal_number*/) {
  int saved_errno = errno;
  if (guard.raw_engaged != 0 || guard.screen_engaged != 0) {
    guard.stop_requested = 1;
  } else {
    stop_process();
  }
  errno = saved_errno;
}

void note_continued(int /*signal_number*/) { guard.continued = 1; }

// Installs `handler` for `signal_number` unless the signal is ignored (as under
// nohup), in which case the process was meant to survive it. Returns the old action.
struct sigaction install(int signal_number, struct sigaction handler) {
  struct sigaction previous {};
  ::sigaction(signal_number, nullptr, &previous);
  if (previous.sa_handler != SIG_IGN) ::sigaction(signal_number, &handler, nullptr);
  return previous;
}

void install_handlers() {
  if (guard.handlers_installed) return;
  guard.handlers_installed = true;
  guard.previous_panic_hook = set_panic_hook(restore_then_previous_panic_hook);
  guard.previous_terminate = std::set_terminate(restore_then_terminate);

  struct sigaction ending {};
  ending.sa_sigaction = restore_then_end;
  ending.sa_flags = SA_SIGINFO;
  sigemptyset(&ending.sa_mask);
  for (std::size_t index = 0; index < kEndingSignals.size(); ++index) {
    guard.previous_actions[index] = install(kEndingSignals[index], ending);
  }

  guard.stop_action.sa_handler = stop_when_safe;
  guard.stop_action.sa_flags = SA_RESTART;
  sigemptyset(&guard.stop_action.sa_mask);
  install(SIGTSTP, guard.stop_action);

  struct sigaction resume {};
  resume.sa_handler = note_continued;
  resume.sa_flags = SA_RESTART;
  sigemptyset(&resume.sa_mask);
  install(SIGCONT, resume);
}

// Raw mode and the enter sequences. Each flag is raised before its change is made,
// so a signal in between restores too much rather than too little.
Result<void> engage_game_mode() {
  guard.raw_engaged = 1;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (auto raw = write_terminal_attributes(STDIN_FILENO, raw_attributes(guard.saved)); !raw) {
    guard.raw_engaged = 0;
    return raw;
  }
  guard.screen_engaged = 1;
  for (std::string_view sequence : kEnterSequences) {
    if (auto written = sys::write_all(STDOUT_FILENO, sequence); !written) {
      restore_terminal();
      return written;
    }
  }
  return {};
}

}  // namespace

Result<TerminalSession> TerminalSession::enter() {
  install_handlers();
  // Already in raw mode, the current attributes are not the ones to go back to.
  if (guard.raw_engaged == 0) {
    auto attributes = read_terminal_attributes(STDIN_FILENO);
    if (!attributes) return std::unexpected(attributes.error());
    guard.saved = *attributes;
  }
  guard.stop_requested = 0;
  guard.continued = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (auto engaged = engage_game_mode(); !engaged) return std::unexpected(engaged.error());
  return TerminalSession();
}

TerminalSession::~TerminalSession() {
  if (!active_) return;
  restore_terminal();
  // A stop that came too late for the loop is still owed.
  if (guard.stop_requested != 0) {
    guard.stop_requested = 0;
    stop_process();
  }
}

Result<bool> TerminalSession::follow_stop_and_continue() {
  if (guard.stop_requested != 0) {
    guard.stop_requested = 0;
    restore_terminal();
    stop_process();
    // The kernel does not stop an orphaned process group (nobody could continue it),
    // and then no SIGCONT follows; game mode is taken up again all the same.
    guard.continued = 1;
  }
  if (guard.continued == 0) return false;
  guard.continued = 0;
  if (auto engaged = engage_game_mode(); !engaged) return std::unexpected(engaged.error());
  return true;
}

void restore_terminal() {
  int saved_errno = errno;
  if (guard.raw_engaged != 0) {
    guard.raw_engaged = 0;
    (void)sys::retry_interrupted([] { return ::tcsetattr(STDIN_FILENO, TCSANOW, &guard.saved); });
  }
  if (guard.screen_engaged != 0) {
    guard.screen_engaged = 0;
    for (std::string_view sequence : kRestoreSequences) {
      if (sys::write_fully(STDOUT_FILENO, sequence) != 0) break;
    }
  }
  errno = saved_errno;
}

}  // namespace burrowlight::terminal
