#pragma once

#include <unistd.h>

#include <string>
#include <string_view>

// A pipe whose ends close with it; tests write one end and read the other.
struct Pipe {
  Pipe() {
    int fds[2];
    if (::pipe(fds) == 0) {
      read_end = fds[0];
      write_end = fds[1];
    }
  }
  ~Pipe() {
    close_read();
    close_write();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  void close_read() {
    if (read_end >= 0) {
      ::close(read_end);
      read_end = -1;
    }
  }
  void close_write() {
    if (write_end >= 0) {
      ::close(write_end);
      write_end = -1;
    }
  }

  bool write_all(std::string_view bytes) const {
    while (!bytes.empty()) {
      const ssize_t wrote = ::write(write_end, bytes.data(), bytes.size());
      if (wrote <= 0) {
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
  }

  // Everything until the write end is closed.
  std::string read_all() const {
    std::string bytes;
    char chunk[4096];
    for (;;) {
      const ssize_t got = ::read(read_end, chunk, sizeof chunk);
      if (got <= 0) {
        return bytes;
      }
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
  }

  int read_end = -1;
  int write_end = -1;
};
