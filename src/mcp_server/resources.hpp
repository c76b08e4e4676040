#pragma once

#include <asio/awaitable.hpp>

#include "mcp_server/tool_types.hpp"

namespace mcp_server {

// The resources/templates/list result: the three templates, none in library mode.
const Json& resource_templates_result(bool library_mode);

// resources/list and resources/read, through the app.
asio::awaitable<mcp::Result<Json>> list_resources(const McpServer& server);
asio::awaitable<mcp::Result<Json>> read_resource(const McpServer& server, Json params);

}  // namespace mcp_server
