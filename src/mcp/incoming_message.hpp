#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "mcp/json.hpp"

namespace mcp {

// Deeper documents are refused before they are built: copying and dumping a JSON value
// recurse once per level.
inline constexpr int max_nesting_depth = 512;

struct Request {
  Json id;  // a string or a number
  std::string method;
  Json params;  // null when absent
};

struct Notification {
  std::string method;
  Json params;  // null when absent
};

// An answer from the client; this server sends no requests, so it is never expected.
struct Response {
  Json id;
};

// A line that is not a message; `answer` is the error answer to write for it.
struct Invalid {
  Json answer;
};

using Incoming = std::variant<Request, Notification, Response, Invalid>;

// One input line (without its line end) as a message. Nullopt for a blank line, which is
// skipped. Invalid JSON, invalid UTF-8 and nesting deeper than `max_depth` give a -32700
// answer; JSON that is no JSON-RPC message gives -32600.
std::optional<Incoming> classify_line(std::string_view line, int max_depth = max_nesting_depth);

// A parsed JSON value as a message.
Incoming classify_message(Json message);

// The answer to a line longer than the reader accepts.
Invalid oversized_line(std::size_t max_line_bytes);

}  // namespace mcp
