#pragma once

#include <asio/awaitable.hpp>
#include <asio/local/stream_protocol.hpp>
#include <chrono>
#include <string>
#include <tl/expected.hpp>

#include "mcp_bridge/bridge_error.hpp"

namespace mcp_bridge {

using Endpoint = asio::local::stream_protocol::endpoint;

// The answer buffer of one read; an answer line may be any number of reads long.
inline constexpr std::size_t read_chunk_size = 8192;

BridgeError timed_out_error();

// One connection: connect, write `request_line`, read the first answer line, close. The
// answer comes back checked for UTF-8 and trimmed of Unicode white space. Runs on the
// awaiting coroutine's executor; the connection is closed on every path, also when the
// deadline passes or the awaiting coroutine is dropped.
asio::awaitable<tl::expected<std::string, BridgeError>> exchange_line(
    const Endpoint& endpoint, std::string request_line,
    std::chrono::steady_clock::time_point deadline);

}  // namespace mcp_bridge
