#pragma once

#include <asio/awaitable.hpp>
#include <functional>

#include "mcp/json.hpp"
#include "mcp/prompt_registry.hpp"
#include "mcp/result.hpp"
#include "mcp/tool_registry.hpp"
#include "mcp/tool_result.hpp"

namespace mcp_server {

class McpServer;

using Json = mcp::Json;

// A tool call ends as a tool result or, for requests that cannot be served, a JSON-RPC error.
using ToolOutcome = mcp::Result<mcp::ToolResult>;

// Runs one tool call with the call's "arguments" member (null when absent).
using ToolHandler = std::function<asio::awaitable<ToolOutcome>(const McpServer&, Json arguments)>;
using ToolCatalogue = mcp::ToolRegistry<ToolHandler>;

// Answers one prompts/get with its "arguments" member (null when absent): the result object
// or a JSON-RPC error.
using PromptHandler =
    std::function<asio::awaitable<mcp::Result<Json>>(const McpServer&, Json arguments)>;
using PromptRouter = mcp::PromptRegistry<PromptHandler>;

}  // namespace mcp_server
