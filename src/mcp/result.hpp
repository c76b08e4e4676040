#pragma once

#include <tl/expected.hpp>

#include "mcp/json_rpc_error.hpp"

namespace mcp {

// A request's answer: its value, or the JSON-RPC error it fails with.
template <class T>
using Result = tl::expected<T, JsonRpcError>;

inline tl::unexpected<JsonRpcError> rpc_error(int code, std::string message) {
  return tl::unexpected(JsonRpcError{code, std::move(message), std::nullopt});
}

}  // namespace mcp
