#pragma once

#include <mutex>
#include <string>

namespace mcp {

// Writes whole lines to a file descriptor with write(2), one line at a time, from any thread.
// Once the descriptor fails (the reader went away, say), every later line is dropped: nobody
// is left to read it, and the session must not end over it.
class LineWriter {
 public:
  explicit LineWriter(int fd);

  // Appends a line feed when `line` has none.
  void write_line(std::string line);

  // True once a write failed and output is being dropped.
  bool broken() const;

 private:
  void write_all(const std::string& bytes);

  int fd_;
  mutable std::mutex mutex_;
  bool broken_ = false;
};

}  // namespace mcp
