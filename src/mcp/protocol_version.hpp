#pragma once

#include <string>
#include <string_view>

#include "mcp/json.hpp"

namespace mcp {

// The newest protocol revision this server speaks.
inline constexpr std::string_view latest_protocol_version = "2025-06-18";

// The version to answer an initialize request with: the client's when it sorts byte-wise
// before the latest (a prefix first), else the latest. Older revisions are not looked up in
// any list: a client asking for one gets it back as sent.
std::string negotiate_protocol_version(const Json& initialize_params);

// The handler's server description with "protocolVersion" set by negotiation.
Json negotiated_initialize_result(Json server_description, const Json& initialize_params);

}  // namespace mcp
