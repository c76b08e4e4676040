#include "mcp/tool_registry.hpp"

namespace mcp {
namespace {

void put_hint(Json& object, const char* name, const std::optional<bool>& hint) {
  if (hint) {
    object[name] = *hint;
  }
}

}  // namespace

Json ToolAnnotations::to_json() const {
  Json hints = Json::object();
  put_hint(hints, "readOnlyHint", read_only);
  put_hint(hints, "destructiveHint", destructive);
  put_hint(hints, "idempotentHint", idempotent);
  put_hint(hints, "openWorldHint", open_world);
  return hints;
}

Json ToolDescriptor::to_json() const {
  return Json{{"annotations", annotations.to_json()},
              {"description", description},
              {"inputSchema", input_schema ? *input_schema : Json::object()},
              {"name", name}};
}

}  // namespace mcp
