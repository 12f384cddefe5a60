// The system layer: errors in the system's words, bounded reads, waiting until a deadline,
// and the one retry of interrupted calls.

#include "sys/io.hpp"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/files.hpp"
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

// What the path names decides: a regular file (through a link too) is read up to the
// limit and one byte more; anything else is refused at once, before a read could block
// on a FIFO without a writer or run on forever from a device.
TEST(ReadFileStart, ReadsOnlyARegularFile) {
  const test_support::TemporaryDirectory temporary("burrowlight-io");
  const std::filesystem::path& root = temporary.path();
  const Error refused("not regular");
  std::ofstream(root / "file") << "0123456789";
  std::filesystem::create_symlink(root / "file", root / "link");
  ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(root / "directory");
  const bool has_device = ::mknod((root / "device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = (root / "socket").string();
  socket_path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  struct Case {
    std::string name;
    Result<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"file", "012345"},
      {"link", "012345"},
      {"missing", std::unexpected(os_error(ENOENT))},
      {"fifo", std::unexpected(refused)},
      {"directory", std::unexpected(refused)},
      {"socket", std::unexpected(refused)},
      {"device", std::unexpected(refused)},
  };
  for (const Case& test : cases) {
    if (test.name == "device" && !has_device) continue;
    EXPECT_EQ(read_file_start((root / test.name).string(), 5, refused), test.expected) << test.name;
  }
}

}  // namespace
}  // namespace burrowlight::sys
