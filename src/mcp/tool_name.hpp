#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mcp {

// The ways a tool name breaks the MCP naming rule; empty when it keeps it.
std::vector<std::string> tool_name_problems(std::string_view name);

// Writes one warning line to the log for each problem of the name.
void warn_about_tool_name(std::string_view name);

}  // namespace mcp
