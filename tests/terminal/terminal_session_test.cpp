#include "terminal/terminal_session.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/panic.hpp"
#include "sys/panic_report.hpp"

namespace burrowlight::terminal {
namespace {

const std::string kEnter = "\x1b[?1049h\x1b[?25l\x1b[?7l";
const std::string kRestore = "\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l";

struct Ending {
  std::string output;
  int status = 0;
  termios before{};
  termios after{};
};

bool same_attributes(const termios& left, const termios& right) {
  return left.c_iflag == right.c_iflag && left.c_oflag == right.c_oflag &&
         left.c_cflag == right.c_cflag && left.c_lflag == right.c_lflag &&
         std::equal(std::begin(left.c_cc), std::end(left.c_cc), std::begin(right.c_cc));
}

// Runs `scenario` in a child process whose standard input, output and error are a
// fresh pseudo-terminal, and collects everything written to that terminal.
Ending run_on_terminal(const std::function<void()>& scenario) {
  Ending ending;
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  EXPECT_GE(master, 0);
  EXPECT_EQ(::grantpt(master), 0);
  EXPECT_EQ(::unlockpt(master), 0);
  std::string terminal = ::ptsname(master);
  EXPECT_EQ(::tcgetattr(master, &ending.before), 0);

  pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    int slave = ::open(terminal.c_str(), O_RDWR);
    if (slave < 0) ::_exit(100);
    for (int fd : {0, 1, 2}) ::dup2(slave, fd);
    ::close(master);
    // As in the program: the report first, so that the terminal's restore runs before it.
    sys::report_panics();
    auto session = TerminalSession::enter();
    if (!session) ::_exit(101);
    scenario();
    ::_exit(102);
  }

  char buffer[4096];
  while (true) {
    ssize_t count = ::read(master, buffer, sizeof buffer);
    if (count > 0) {
      ending.output.append(buffer, static_cast<std::size_t>(count));
    } else if (count < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child's side is closed.
    }
  }
  ::waitpid(child, &ending.status, 0);
  EXPECT_EQ(::tcgetattr(master, &ending.after), 0);
  ::close(master);
  return ending;
}

TEST(TerminalSession, RestoresOnceWhateverEndsTheGame) {
  struct Case {
    std::string name;
    std::function<void()> scenario;
    std::string output_after_restore;
    int exit_code;
    int signal_number;
  };
  const std::vector<Case> cases = {
      {"restore twice, then exit",
       [] {
         restore_terminal();
         restore_terminal();
         ::_exit(0);
       },
       "", 0, 0},
      {"the guard ends",
       [] {
         { auto second = TerminalSession::enter(); }
         ::_exit(0);
       },
       "", 0, 0},
      {"panic", [] { panic("the crystal cracked"); },
       "BurrowLight panicked: the crystal cracked\r\n", -1, SIGABRT},
      // Thrown on a thread of its own, so that no test framework can catch it.
      {"uncaught exception",
       [] { std::thread([] { throw std::runtime_error("the hill collapsed"); }).join(); },
       "terminate called after throwing an instance of 'std::runtime_error'\r\n"
       "  what():  the hill collapsed\r\n",
       -1, SIGABRT},
      {"SIGTERM", [] { ::raise(SIGTERM); }, "", -1, SIGTERM},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    Ending ending = run_on_terminal(test.scenario);
    if (test.name == "the guard ends") {
      // The inner guard entered game mode a second time and gave it back; the outer
      // one then had nothing left to restore.
      EXPECT_EQ(ending.output, kEnter + kEnter + kRestore);
    } else {
      EXPECT_EQ(ending.output, kEnter + kRestore + test.output_after_restore);
    }
    if (test.signal_number != 0) {
      ASSERT_TRUE(WIFSIGNALED(ending.status)) << ending.status;
      EXPECT_EQ(WTERMSIG(ending.status), test.signal_number);
    } else {
      ASSERT_TRUE(WIFEXITED(ending.status)) << ending.status;
      EXPECT_EQ(WEXITSTATUS(ending.status), test.exit_code);
    }
    EXPECT_TRUE(same_attributes(ending.before, ending.after));
  }
}

TEST(TerminalSession, GameModeIsRawInput) {
  Ending ending = run_on_terminal([] {
    termios attributes{};
    ::tcgetattr(STDIN_FILENO, &attributes);
    bool raw = (attributes.c_lflag & (ICANON | ECHO | ISIG)) == 0 &&
               (attributes.c_iflag & (ICRNL | IXON)) == 0 && (attributes.c_oflag & OPOST) == 0;
    ::_exit(raw ? 0 : 1);
  });
  ASSERT_TRUE(WIFEXITED(ending.status));
  EXPECT_EQ(WEXITSTATUS(ending.status), 0);
  // Leaving by _exit skips every undo step; only the enter sequences went out.
  EXPECT_EQ(ending.output, kEnter);
}

TEST(TerminalSession, EnterFailsWithoutATerminal) {
  pid_t child = ::fork();
  if (child == 0) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) ::_exit(100);
    ::dup2(pipe_ends[0], STDIN_FILENO);
    auto session = TerminalSession::enter();
    ::_exit(!session && session.error().os_code() == ENOTTY ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace burrowlight::terminal
