#pragma once

#include <asio/awaitable.hpp>
#include <string>
#include <string_view>

#include "mcp/json.hpp"
#include "mcp/result.hpp"

namespace mcp {

// What the session layer needs of a server. The session owns framing, the handshake and
// concurrency; the handler owns every method's meaning.
class Handler {
 public:
  virtual ~Handler() = default;

  // The answer to `initialize`, without version negotiation: the session lowers
  // "protocolVersion" to the client's when that is older. Runs once per initialize request.
  virtual Json initialize(const Json& params) = 0;

  // Any request after the handshake. May run concurrently with other requests.
  virtual asio::awaitable<Result<Json>> handle_request(std::string method, Json params) = 0;

  // Notifications after the handshake; they are never answered.
  virtual void handle_notification(std::string_view method, const Json& params) {
    (void)method;
    (void)params;
  }
};

}  // namespace mcp
