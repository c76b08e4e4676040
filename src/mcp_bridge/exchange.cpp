#include "mcp_bridge/exchange.hpp"

#include <array>
#include <asio/experimental/as_tuple.hpp>
#include <asio/experimental/awaitable_operators.hpp>
#include <asio/steady_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/write.hpp>
#include <exception>
#include <string_view>

#include "mcp_bridge/utf8.hpp"

namespace mcp_bridge {

namespace {

using asio::local::stream_protocol;
using Outcome = tl::expected<std::string, BridgeError>;
constexpr auto no_throw = asio::experimental::as_tuple(asio::use_awaitable);

tl::unexpected<BridgeError> system_failure(const std::error_code& ec) {
  return tl::unexpected(BridgeError{BridgeErrorKind::io, ec, ec.message()});
}

// Bytes up to and including the first line feed, or up to the end of the stream.
asio::awaitable<Outcome> read_first_line(stream_protocol::socket& socket) {
  std::string line;
  std::array<char, read_chunk_size> chunk;
  for (;;) {
    auto [ec, count] = co_await socket.async_read_some(asio::buffer(chunk), no_throw);
    const std::string_view received(chunk.data(), count);
    if (const auto end = received.find('\n'); end != std::string_view::npos) {
      line.append(received.substr(0, end + 1));
      co_return line;
    }
    line.append(received);
    if (ec == asio::error::eof) {
      co_return line;
    }
    if (ec) {
      co_return system_failure(ec);
    }
  }
}

asio::awaitable<Outcome> converse(stream_protocol::socket& socket, const Endpoint& endpoint,
                                  const std::string& request_line) {
  if (auto [ec] = co_await socket.async_connect(endpoint, no_throw); ec) {
    co_return system_failure(ec);
  }
  // No half-close afterwards: the app answers after one line, not at the end of the stream.
  auto [write_ec, written] =
      co_await asio::async_write(socket, asio::buffer(request_line), no_throw);
  if (write_ec) {
    co_return system_failure(write_ec);
  }
  if (written < request_line.size()) {
    co_return tl::unexpected(
        BridgeError{BridgeErrorKind::write_zero, {}, "failed to write whole buffer"});
  }
  auto answer = co_await read_first_line(socket);
  if (!answer) {
    co_return answer;
  }
  if (const auto offset = invalid_utf8_offset(*answer)) {
    co_return tl::unexpected(
        BridgeError{BridgeErrorKind::invalid_data,
                    {},
                    "the answer is not valid UTF-8 (byte " + std::to_string(*offset) + ")"});
  }
  // Trimmed in place: an answer may be megabytes long.
  const std::string_view trimmed = trim_unicode_whitespace(*answer);
  const auto start = static_cast<std::size_t>(trimmed.data() - answer->data());
  answer->resize(start + trimmed.size());
  answer->erase(0, start);
  co_return answer;
}

}  // namespace

BridgeError timed_out_error() {
  return {BridgeErrorKind::timed_out, {}, "app did not reply"};
}

asio::awaitable<Outcome> exchange_line(const Endpoint& endpoint, std::string request_line,
                                       std::chrono::steady_clock::time_point deadline) {
  using namespace asio::experimental::awaitable_operators;
  try {
    const auto executor = co_await asio::this_coro::executor;
    stream_protocol::socket socket(executor);
    asio::steady_timer clock(executor, deadline);
    // Whichever finishes first cancels the other; the socket closes when this frame ends.
    auto first = co_await (converse(socket, endpoint, request_line) || clock.async_wait(no_throw));
    if (first.index() == 1) {
      co_return tl::unexpected(timed_out_error());
    }
    co_return std::get<0>(std::move(first));
  } catch (const std::exception& e) {
    // Only resource exhaustion can get here: every operation reports its error as a value.
    co_return tl::unexpected(BridgeError{BridgeErrorKind::io, {}, e.what()});
  }
}

}  // namespace mcp_bridge
