#pragma once

#include <string>
#include <string_view>

#include "mcp/json.hpp"

namespace mcp_server {

// How a decoder error names the value it refused: "integer `7`", "floating point `2.5`",
// "string \"20\"", "boolean `true`", "map", "sequence", "null".
std::string describe_value(const mcp::Json& value);

// The text between double quotes with `"`, `\`, line feed, carriage return and tab escaped by a
// backslash and every other control character as \u{hex}. Bytes that are not UTF-8 become \xHH,
// so the result is always valid UTF-8.
std::string debug_quoted(std::string_view text);

}  // namespace mcp_server
