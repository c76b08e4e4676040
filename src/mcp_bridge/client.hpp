#pragma once

#include <asio/awaitable.hpp>
#include <chrono>
#include <optional>
#include <string>
#include <tl/expected.hpp>

#include "mcp_bridge/bridge_error.hpp"
#include "mcp_bridge/exchange.hpp"
#include "mcp_bridge/identity_cell.hpp"
#include "mcp_bridge/records.hpp"

namespace mcp_bridge {

inline constexpr std::chrono::milliseconds call_time_limit{10'000};
inline constexpr std::chrono::milliseconds import_time_limit{30'000};

// "mcp-bridge.sock" in data_dir: a "/" between them unless data_dir is empty or ends with one.
std::string socket_path_in(const std::string& data_dir);

// One exchange with the desktop app per operation: connect, write one line, read one line,
// decode, close. Every failure is a BridgeError value; the connection is closed on every path.
// Operations run on the awaiting coroutine's executor, which must be a strand (or otherwise
// serialised), and may be awaited from any number of coroutines at once. The client must outlive
// its pending operations.
class BridgeClient {
 public:
  explicit BridgeClient(std::string data_dir);

  const std::string& data_dir() const { return data_dir_; }
  const std::string& socket_path() const { return socket_path_; }
  const IdentityCell& client_identity() const { return identity_; }

  // `request.client` is filled from the identity cell when the exchange starts.
  asio::awaitable<tl::expected<McpReply, BridgeError>> call(BridgeRequest request,
                                                            std::chrono::milliseconds limit) const;

  asio::awaitable<tl::expected<StartImportReply, BridgeError>> start_import(
      std::string file_path, std::optional<std::string> title,
      std::chrono::milliseconds limit = import_time_limit) const;

 private:
  std::string data_dir_;
  std::string socket_path_;
  // Built once; a path too long for a socket address is kept as the failure of every exchange.
  tl::expected<Endpoint, BridgeError> endpoint_;
  IdentityCell identity_;
};

}  // namespace mcp_bridge
