#pragma once

#include <string_view>

namespace mcp_server {

// The fixed sentences the client reads when the app cannot serve a request. The failure's own
// text is never shown: all of these stand for it.
inline constexpr std::string_view bridge_unavailable_text = "App bridge unavailable in this build.";
inline constexpr std::string_view app_not_running_text =
    "veltu isn't running. Open the app, then retry.";
inline constexpr std::string_view import_app_not_running_text =
    "veltu isn't running \u2014 open the app, then retry the import.";
inline constexpr std::string_view unexpected_reply_text = "Unexpected reply from veltu.";

}  // namespace mcp_server
