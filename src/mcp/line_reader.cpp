#include "mcp/line_reader.hpp"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mcp {
namespace {

constexpr std::size_t chunk_bytes = 64 * 1024;

std::string take_line(std::string_view text) {
  if (text.ends_with('\r')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace

LineReader::LineReader(int fd, std::size_t max_line_bytes)
    : fd_(fd), max_line_bytes_(max_line_bytes) {}

tl::expected<ReadEvent, std::error_code> LineReader::next() {
  for (;;) {
    std::string_view pending(buffer_.data() + begin_, buffer_.size() - begin_);
    const auto feed = pending.find('\n', scanned_);
    if (skipping_) {
      if (feed != std::string_view::npos) {
        begin_ += feed + 1;
        scanned_ = 0;
        skipping_ = false;
        continue;
      }
      buffer_.clear();
      begin_ = scanned_ = 0;
    } else if (feed != std::string_view::npos) {
      begin_ += feed + 1;
      scanned_ = 0;
      if (feed > max_line_bytes_) {
        return OversizedLine{};
      }
      return Line{take_line(pending.substr(0, feed))};
    } else if (pending.size() > max_line_bytes_) {
      skipping_ = true;
      buffer_.clear();
      begin_ = scanned_ = 0;
      return OversizedLine{};
    } else {
      scanned_ = pending.size();
    }

    if (at_end_) {
      if (skipping_ || pending.empty()) {
        return EndOfInput{};
      }
      begin_ = buffer_.size();
      scanned_ = 0;
      return Line{take_line(pending)};
    }
    auto filled = fill();
    if (!filled) {
      return tl::unexpected(filled.error());
    }
    at_end_ = !*filled;
  }
}

tl::expected<bool, std::error_code> LineReader::fill() {
  compact();
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + chunk_bytes);
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.data() + old_size, chunk_bytes);
    if (got >= 0) {
      buffer_.resize(old_size + static_cast<std::size_t>(got));
      return got > 0;
    }
    int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (error == EAGAIN || error == EWOULDBLOCK) {
      pollfd readable{fd_, POLLIN, 0};
      if (::poll(&readable, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
      error = errno;
    }
    buffer_.resize(old_size);
    return tl::unexpected(std::error_code(error, std::system_category()));
  }
}

void LineReader::compact() {
  if (begin_ > 0) {
    buffer_.erase(0, begin_);
    begin_ = 0;
  }
}

}  // namespace mcp
