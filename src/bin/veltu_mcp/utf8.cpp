#include "bin/veltu_mcp/utf8.hpp"

#include "mcp/json.hpp"

namespace veltu_startup {

bool is_valid_utf8(std::string_view text) {
  // The JSON writer validates UTF-8 strictly; the session's reader applies the same rule.
  try {
    (void)mcp::Json(text).dump();
    return true;
  } catch (const mcp::Json::type_error&) {
    return false;
  }
}

}  // namespace veltu_startup
