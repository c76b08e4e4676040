#include "mcp/tool_result.hpp"

#include <utility>

namespace mcp {

ToolResult ToolResult::text(std::string text, bool is_error) {
  ToolResult result;
  result.content.push_back(Json{{"type", "text"}, {"text", std::move(text)}});
  result.is_error = is_error;
  return result;
}

ToolResult ToolResult::error(std::string text) {
  return ToolResult::text(std::move(text), true);
}

ToolResult ToolResult::structured(Json value) {
  ToolResult result;
  result.structured_content = std::move(value);
  return result;
}

Json ToolResult::to_json() const& {
  return ToolResult(*this).to_json();
}

Json ToolResult::to_json() && {
  Json result = {{"content", std::move(content)}, {"isError", is_error}};
  if (structured_content) {
    result["structuredContent"] = std::move(*structured_content);
  }
  return result;
}

}  // namespace mcp
