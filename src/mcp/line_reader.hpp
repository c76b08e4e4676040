#pragma once

#include <cstddef>
#include <string>
#include <system_error>
#include <tl/expected.hpp>
#include <variant>

namespace mcp {

// A longer line is answered with an error and skipped without being kept in memory.
inline constexpr std::size_t max_line_bytes = std::size_t{64} << 20;

struct Line {
  std::string text;  // without its line feed or a carriage return before it
};
struct OversizedLine {};
struct EndOfInput {};

using ReadEvent = std::variant<Line, OversizedLine, EndOfInput>;

// Splits a file descriptor's bytes into lines with blocking read(2). The descriptor may be a
// pipe, a terminal, a regular file or /dev/null, so it is never handed to an event loop; one
// that was left non-blocking is waited on with poll(2). Not thread-safe: one reader thread.
class LineReader {
 public:
  explicit LineReader(int fd, std::size_t max_line_bytes = mcp::max_line_bytes);

  // The next line; a last line without a line feed still counts. Errors of read(2) other than
  // EINTR are returned.
  tl::expected<ReadEvent, std::error_code> next();

 private:
  // Reads one chunk into the buffer; false at end of input.
  tl::expected<bool, std::error_code> fill();
  void compact();

  int fd_;
  std::size_t max_line_bytes_;
  std::string buffer_;
  std::size_t begin_ = 0;    // start of the unread part of buffer_
  std::size_t scanned_ = 0;  // bytes after begin_ already searched for a line feed
  bool skipping_ = false;    // inside an oversized line, discarding up to its line feed
  bool at_end_ = false;
};

}  // namespace mcp
