#include "mcp/line_writer.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace mcp {

LineWriter::LineWriter(int fd) : fd_(fd) {}

void LineWriter::write_line(std::string line) {
  if (!line.ends_with('\n')) {
    line.push_back('\n');
  }
  std::lock_guard lock(mutex_);
  if (!broken_) {
    write_all(line);
  }
}

bool LineWriter::broken() const {
  std::lock_guard lock(mutex_);
  return broken_;
}

void LineWriter::write_all(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (wrote > 0) {
      done += static_cast<std::size_t>(wrote);
      continue;
    }
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd writable{fd_, POLLOUT, 0};
      if (::poll(&writable, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
    }
    broken_ = true;
    return;
  }
}

}  // namespace mcp
