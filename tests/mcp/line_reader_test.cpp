#include "mcp/line_reader.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pipe.hpp"

namespace {

// Every event until the end of input, as text.
std::vector<std::string> events(int fd, std::size_t max_line_bytes) {
  mcp::LineReader reader(fd, max_line_bytes);
  std::vector<std::string> seen;
  for (;;) {
    auto event = reader.next();
    if (!event) {
      seen.push_back("error " + event.error().message());
      return seen;
    }
    if (auto* line = std::get_if<mcp::Line>(&*event)) {
      seen.push_back("line " + line->text);
    } else if (std::holds_alternative<mcp::OversizedLine>(*event)) {
      seen.push_back("oversized");
    } else {
      seen.push_back("end");
      return seen;
    }
  }
}

// Writes from a thread of its own, so that input larger than the pipe's buffer gets through.
std::vector<std::string> events_of(const std::string& input, std::size_t max_line_bytes) {
  Pipe pipe;
  std::thread writer([&] {
    pipe.write_all(input);
    pipe.close_write();
  });
  auto seen = events(pipe.read_end, max_line_bytes);
  writer.join();
  return seen;
}

struct ReaderCase {
  const char* name;
  std::string input;
  std::size_t max_line_bytes;
  std::vector<std::string> expected;
};

// Test names carry the case name; the values would make them unreadable.
void PrintTo(const ReaderCase& c, std::ostream* out) {
  *out << c.name;
}

class LineReaderCases : public testing::TestWithParam<ReaderCase> {};

TEST_P(LineReaderCases, SplitsInputIntoLines) {
  EXPECT_EQ(events_of(GetParam().input, GetParam().max_line_bytes), GetParam().expected);
}

const std::string big(200 * 1024, 'x');  // longer than one read

INSTANTIATE_TEST_SUITE_P(
    Table, LineReaderCases,
    testing::Values(
        ReaderCase{"Nothing", "", 64, {"end"}},
        ReaderCase{"TwoLines", "a\nbc\n", 64, {"line a", "line bc", "end"}},
        ReaderCase{"LastLineWithoutFeed", "a\nb", 64, {"line a", "line b", "end"}},
        ReaderCase{"CarriageReturnsStripped", "a\r\nb\r", 64, {"line a", "line b", "end"}},
        ReaderCase{"OnlyOneCarriageReturnStripped", "a\r\r\n", 64, {"line a\r", "end"}},
        ReaderCase{"EmptyLinesKept", "\n\r\n\n", 64, {"line ", "line ", "line ", "end"}},
        ReaderCase{"ExactlyTheLimit",
                   "abcd\nabcde\nok\n",
                   4,
                   {"line abcd", "oversized", "line ok", "end"}},
        ReaderCase{"OversizedAtEnd", "ok\nabcdefgh", 4, {"line ok", "oversized", "end"}},
        ReaderCase{"OversizedOverManyReads",
                   big + "\nafter\n",
                   100 * 1024,
                   {"oversized", "line after", "end"}},
        ReaderCase{"LongLineWithinTheLimit", big + "\n", big.size(), {"line " + big, "end"}},
        ReaderCase{"ManyLinesInOneRead",
                   std::string("1\n2\n3\n4\n5\n"),
                   64,
                   {"line 1", "line 2", "line 3", "line 4", "line 5", "end"}}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST(LineReader, WaitsOnANonBlockingDescriptor) {
  Pipe pipe;
  ASSERT_EQ(::fcntl(pipe.read_end, F_SETFL, ::fcntl(pipe.read_end, F_GETFL) | O_NONBLOCK), 0);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pipe.write_all("late\n");
    pipe.close_write();
  });
  EXPECT_EQ(events(pipe.read_end, 64), (std::vector<std::string>{"line late", "end"}));
  writer.join();
}

TEST(LineReader, ReportsReadErrors) {
  const int directory = ::open("/", O_RDONLY);
  ASSERT_GE(directory, 0);
  EXPECT_EQ(events(directory, 64),
            (std::vector<std::string>{"error " + std::generic_category().message(EISDIR)}));
  ::close(directory);
}

}  // namespace
