#pragma once

#include "mcp_server/tool_types.hpp"

namespace mcp_server {

// summarize-meeting and find-action-items, for a server outside library mode.
PromptRouter build_prompt_router();

}  // namespace mcp_server
