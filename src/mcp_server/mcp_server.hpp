#pragma once

#include <optional>
#include <string>

#include "mcp/handler.hpp"
#include "mcp_bridge/client.hpp"
#include "mcp_server/tool_types.hpp"

namespace mcp_server {

// The program's MCP handler. Its parts are fixed at construction; the only state written
// while the session runs is the bridge's set-once client identity.
class McpServer final : public mcp::Handler {
 public:
  // `bridge_dir` is the app's data directory, absent when the database path has no parent.
  McpServer(std::optional<std::string> bridge_dir, ToolCatalogue tools, PromptRouter prompts,
            bool library_mode);

  // Null when the server has no bridge.
  const mcp_bridge::BridgeClient* bridge() const { return bridge_ ? &*bridge_ : nullptr; }
  const ToolCatalogue& tools() const { return tools_; }
  const PromptRouter& prompts() const { return prompts_; }
  bool library_mode() const { return library_mode_; }

  Json initialize(const Json& params) override;
  asio::awaitable<mcp::Result<Json>> handle_request(std::string method, Json params) override;

 private:
  asio::awaitable<mcp::Result<Json>> call_tool(Json params) const;
  asio::awaitable<mcp::Result<Json>> get_prompt(Json params) const;

  std::optional<mcp_bridge::BridgeClient> bridge_;
  ToolCatalogue tools_;
  PromptRouter prompts_;
  bool library_mode_;
  // Answers that never change, built once.
  Json tools_list_result_;
  Json prompts_list_result_;
};

}  // namespace mcp_server
