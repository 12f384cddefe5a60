// The system layer: errors in the system's words, bounded reads, waiting until a deadline,
// and the one retry of interrupted calls.

#include "sys/io.hpp"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "sys/os_error.hpp"
#include "sys/retry.hpp"
#include "sys/unique_fd.hpp"

namespace burrowlight::sys {
namespace {

struct Pipe {
  UniqueFd read_end;
  UniqueFd write_end;
};

Pipe make_pipe() {
  int ends[2];
  EXPECT_EQ(::pipe(ends), 0);
  return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

TEST(OsError, ShowsTheSystemDescriptionAndNumber) {
  EXPECT_EQ(os_error(ENOENT).text(), "No such file or directory (os error 2)");
  EXPECT_EQ(os_error(EPIPE).text(), "Broken pipe (os error 32)");
  EXPECT_EQ(os_error(EPIPE).os_code(), EPIPE);
}

TEST(ReadAtMost, StopsAtTheLimitOrTheEndOfInput) {
  struct Case {
    std::size_t limit;
    std::string expected;
  };
  for (const Case& test : {Case{4, "0123"}, Case{10, "0123456789"}, Case{100, "0123456789"}}) {
    Pipe pipe = make_pipe();
    ASSERT_TRUE(write_all(pipe.write_end.get(), "0123456789"));
    pipe.write_end.reset();
    EXPECT_EQ(read_at_most(pipe.read_end.get(), test.limit).value(), test.expected);
  }
}

TEST(WaitUntilReady, TellsReadyFromTimedOutAndRefusesAClosedDescriptor) {
  Pipe pipe = make_pipe();
  const auto soon = [] { return Clock::now() + std::chrono::milliseconds(20); };
  EXPECT_EQ(wait_until_ready(pipe.read_end.get(), POLLIN, soon()).value(), false);
  EXPECT_EQ(wait_until_ready(pipe.write_end.get(), POLLOUT, soon()).value(), true);
  ASSERT_TRUE(write_all(pipe.write_end.get(), "x"));
  EXPECT_EQ(wait_until_ready(pipe.read_end.get(), POLLIN, soon()).value(), true);
  // A hang-up is ready too: the read that follows reports the end.
  Pipe closed = make_pipe();
  closed.write_end.reset();
  EXPECT_EQ(wait_until_ready(closed.read_end.get(), POLLIN, soon()).value(), true);

  const int gone = closed.read_end.release();
  ::close(gone);
  EXPECT_EQ(wait_until_ready(gone, POLLIN, soon()).error().text(),
            "Bad file descriptor (os error 9)");
}

TEST(WriteAll, AReaderThatWentAwayIsABrokenPipe) {
  std::signal(SIGPIPE, SIG_IGN);
  Pipe pipe = make_pipe();
  pipe.read_end.reset();
  EXPECT_EQ(write_all(pipe.write_end.get(), "lost").error().text(), "Broken pipe (os error 32)");
}

TEST(RetryInterrupted, AsksAgainOnlyAfterAnInterruption) {
  int calls = 0;
  const int interrupted = retry_interrupted([&] {
    errno = ++calls < 3 ? EINTR : 0;
    return calls < 3 ? -1 : 7;
  });
  EXPECT_EQ(std::pair(interrupted, calls), std::pair(7, 3));

  calls = 0;
  const int failed = retry_interrupted([&] {
    ++calls;
    errno = EIO;
    return -1;
  });
  EXPECT_EQ(std::pair(failed, calls), std::pair(-1, 1));
}

}  // namespace
}  // namespace burrowlight::sys
