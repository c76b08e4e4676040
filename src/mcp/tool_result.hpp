#pragma once

#include <optional>
#include <string>

#include "mcp/json.hpp"

namespace mcp {

// The successful answer of a tool call; a tool that ran and failed says so with is_error.
struct ToolResult {
  Json content = Json::array();
  std::optional<Json> structured_content;
  bool is_error = false;

  // One text item.
  static ToolResult text(std::string text, bool is_error = false);
  // One text item with is_error set.
  static ToolResult error(std::string text);
  // No content items beside the structured value.
  static ToolResult structured(Json value);

  Json to_json() const&;
  Json to_json() &&;
};

}  // namespace mcp
