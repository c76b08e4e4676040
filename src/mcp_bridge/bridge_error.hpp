#pragma once

#include <string>
#include <system_error>

namespace mcp_bridge {

enum class BridgeErrorKind {
  io,            // reported by the system; `system` holds the error
  timed_out,     // the exchange's time limit passed
  invalid_data,  // the answer is not UTF-8 or does not decode
  write_zero,    // the socket accepted zero bytes of the request
};

// The failure of one exchange. For diagnostics only: no caller shows it to the MCP client.
struct BridgeError {
  BridgeErrorKind kind = BridgeErrorKind::io;
  std::error_code system;
  std::string message;
};

}  // namespace mcp_bridge
