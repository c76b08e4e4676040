#pragma once

#include "mcp_server/tool_types.hpp"

namespace mcp_server {

// The sixteen tools, each bound to its handler.
ToolCatalogue build_catalogue();

// Keeps the entries annotated read-only and gives get-transcript its library-mode description.
void restrict_to_read_only(ToolCatalogue& catalogue);

}  // namespace mcp_server
