#pragma once

#include <string>

#include "mcp_bridge/records.hpp"

namespace mcp_server {

// A diagnostic rendering of a reply, such as `NotFound { message: "gone" }`: the kind's name,
// then its fields in braces, strings quoted with backslash escapes. It is what a tool call
// shows when the app answers with a kind that a tool result cannot hold.
std::string render_reply(const mcp_bridge::McpReply& reply);

}  // namespace mcp_server
