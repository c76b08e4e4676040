#pragma once

#include <asio/awaitable.hpp>
#include <string>
#include <string_view>
#include <tl/expected.hpp>
#include <utility>

#include "mcp_bridge/bridge_error.hpp"
#include "mcp_bridge/records.hpp"
#include "mcp_server/mcp_server.hpp"
#include "mcp_server/record.hpp"
#include "mcp_server/tool_types.hpp"

namespace mcp_server {

using BridgeOutcome = tl::expected<mcp_bridge::McpReply, mcp_bridge::BridgeError>;

// One tool request to the app within the call time limit: kind readTool in library mode,
// mcpTool otherwise. A server without a bridge gets a BridgeError without any attempt.
asio::awaitable<BridgeOutcome> send_tool_request(const McpServer& server, std::string name,
                                                 Json args);

// What a tool call answers for the app's reply. Payloads are moved, never copied.
ToolOutcome tool_result_from_reply(mcp_bridge::McpReply reply, bool library_mode);

// get-open-meeting's own answer when the app cannot be reached: {"appRunning":false,
// "meeting":null} as structured content, or as fenced text in library mode. Built once.
const mcp::ToolResult& app_not_running_result(bool library_mode);

// A forwarded tool's road once its record is encoded: send, then map the reply; any bridge
// failure reads as the app not running.
asio::awaitable<ToolOutcome> forward_tool_args(const McpServer& server, std::string_view name,
                                               Json args);

// The refusal of every forwarded tool on a server without a bridge.
const mcp::ToolResult& bridge_unavailable_result();

// The whole body of each forwarded tool method: the record goes to the app as a JSON object
// with every field present, under the tool's own name.
template <class Record>
asio::awaitable<ToolOutcome> forward_tool(const McpServer& server, std::string_view name,
                                          const Record& record) {
  if (server.bridge() == nullptr) {
    co_return bridge_unavailable_result();
  }
  co_return co_await forward_tool_args(server, name, encode_record(record));
}

// The text of a prompt, asked of the app; every failure becomes the text itself.
asio::awaitable<std::string> forward_prompt(const McpServer& server, std::string name,
                                            std::string meeting_id);

}  // namespace mcp_server
