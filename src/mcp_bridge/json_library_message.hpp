#pragma once

#include <string>
#include <string_view>

namespace mcp_bridge {

// A JSON library failure's text without its "[json.exception.type_error.316] " prefix.
inline std::string json_library_message(std::string_view what) {
  if (what.starts_with("[json.exception.")) {
    if (const auto end = what.find("] "); end != std::string_view::npos) {
      what.remove_prefix(end + 2);
    }
  }
  return std::string(what);
}

}  // namespace mcp_bridge
