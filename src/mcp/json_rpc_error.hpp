#pragma once

#include <optional>
#include <string>

#include "mcp/json.hpp"

namespace mcp {

namespace error_code {
inline constexpr int parse_error = -32700;
inline constexpr int invalid_request = -32600;
inline constexpr int method_not_found = -32601;
inline constexpr int invalid_params = -32602;
inline constexpr int internal_error = -32603;
inline constexpr int resource_not_found = -32002;
}  // namespace error_code

// A protocol-level failure of one request; "data" is sent only when present.
struct JsonRpcError {
  int code = error_code::internal_error;
  std::string message;
  std::optional<Json> data;

  Json to_json() const;
};

}  // namespace mcp
