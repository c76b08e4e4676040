#include "mcp/line_writer.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pipe.hpp"

namespace {

TEST(LineWriter, EndsEveryLineWithOneFeed) {
  Pipe pipe;
  mcp::LineWriter writer(pipe.write_end);
  writer.write_line("{}");
  writer.write_line("[1]\n");
  writer.write_line("");
  pipe.close_write();
  EXPECT_EQ(pipe.read_all(), "{}\n[1]\n\n");
  EXPECT_FALSE(writer.broken());
}

TEST(LineWriter, LinesFromManyThreadsStayWhole) {
  constexpr int threads = 8;
  constexpr int lines_per_thread = 50;
  const std::size_t line_bytes = 10000;  // larger than an atomic pipe write
  Pipe pipe;
  std::string output;
  std::thread reader([&] { output = pipe.read_all(); });
  {
    mcp::LineWriter writer(pipe.write_end);
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
      writers.emplace_back([&writer, t, line_bytes] {
        for (int i = 0; i < lines_per_thread; ++i) {
          writer.write_line(std::string(line_bytes, static_cast<char>('a' + t)));
        }
      });
    }
    for (auto& w : writers) {
      w.join();
    }
  }
  pipe.close_write();
  reader.join();

  std::istringstream lines(output);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    ASSERT_EQ(line.size(), line_bytes);
    EXPECT_EQ(line.find_first_not_of(line.front()), std::string::npos) << "interleaved line";
  }
  EXPECT_EQ(count, threads * lines_per_thread);
}

TEST(LineWriter, DropsOutputOnceTheReaderIsGone) {
  std::signal(SIGPIPE, SIG_IGN);
  Pipe pipe;
  pipe.close_read();
  mcp::LineWriter writer(pipe.write_end);
  writer.write_line("lost");
  EXPECT_TRUE(writer.broken());
  writer.write_line("also lost");
  EXPECT_TRUE(writer.broken());
}

TEST(LineWriter, DropsOutputToAClosedDescriptor) {
  mcp::LineWriter writer(-1);
  writer.write_line("lost");
  EXPECT_TRUE(writer.broken());
}

}  // namespace
