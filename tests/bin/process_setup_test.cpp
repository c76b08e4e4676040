#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "bin/veltu_mcp/logging.hpp"
#include "bin/veltu_mcp/standard_streams.hpp"
#include "bin/veltu_mcp/utf8.hpp"

namespace {

// Runs `body` in a child process; its return value is the child's exit status.
int in_child(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool is_dev_null(int fd) {
  struct stat opened {};
  struct stat null {};
  return ::fstat(fd, &opened) == 0 && ::stat("/dev/null", &null) == 0 &&
         opened.st_rdev == null.st_rdev && S_ISCHR(opened.st_mode);
}

TEST(StandardStreams, ClosedOnesAreReopenedOnDevNull) {
  const std::vector<std::vector<int>> closed_sets = {{0}, {1}, {2}, {0, 2}, {0, 1, 2}};
  for (const auto& closed : closed_sets) {
    EXPECT_EQ(in_child([&closed] {
                const bool spare_was_open = ::fcntl(3, F_GETFD) != -1;
                for (int fd : closed) {
                  ::close(fd);
                }
                veltu_startup::reopen_closed_standard_streams();
                for (int fd : closed) {
                  if (!is_dev_null(fd) || (::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDWR) {
                    return 1;
                  }
                }
                // No descriptor beyond the three is left open.
                return !spare_was_open && ::fcntl(3, F_GETFD) != -1 ? 2 : 0;
              }),
              0)
        << closed.size() << " closed";
  }
}

TEST(StandardStreams, OpenOnesAreLeftAlone) {
  EXPECT_EQ(in_child([] {
              int fds[2];
              if (::pipe(fds) != 0 || ::dup2(fds[1], 1) != 1) {
                return 1;
              }
              veltu_startup::reopen_closed_standard_streams();
              struct stat out {};
              ::fstat(1, &out);
              return S_ISFIFO(out.st_mode) ? 0 : 2;
            }),
            0);
}

TEST(StandardStreams, BrokenPipeIsAnErrorNotASignal) {
  EXPECT_EQ(in_child([] {
              veltu_startup::ignore_broken_pipe();
              int fds[2];
              if (::pipe(fds) != 0) {
                return 1;
              }
              ::close(fds[0]);
              const bool failed = ::write(fds[1], "x", 1) == -1 && errno == EPIPE;
              return failed ? 0 : 2;
            }),
            0);
}

TEST(Colour, OnUnlessNoColorHoldsNonEmptyUtf8) {
  struct Case {
    const char* no_color;
    bool colour;
  };
  const Case cases[] = {{nullptr, true}, {"", true},     {"1", false},        {"0", false},
                        {"no", false},   {"\xff", true}, {"\xc3\xa9", false}, {" ", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(veltu_startup::colour_wanted(c.no_color), c.colour)
        << (c.no_color ? c.no_color : "(unset)");
  }
}

TEST(Utf8, AcceptsOnlyWellFormedText) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"/Users/a/veltu.sqlite", true},
      {"\xc3\xa9t\xc3\xa9", true},
      {"\xf0\x9f\x8e\x99", true},
      {"\xff", false},
      {"\xc3", false},              // cut short
      {"\xc0\xaf", false},          // overlong
      {"\xed\xa0\x80", false},      // surrogate
      {"\xf4\x90\x80\x80", false},  // above U+10FFFF
      {std::string("a\0b", 3), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(veltu_startup::is_valid_utf8(c.text), c.valid);
  }
}

}  // namespace
