#pragma once

#include <string>
#include <string_view>
#include <tl/expected.hpp>

#include "mcp_bridge/records.hpp"

namespace mcp_bridge {

// The request as one compact JSON line ending in a line feed, members in declared order.
// Fails only when a string is not valid UTF-8.
tl::expected<std::string, std::string> encode_request(const BridgeRequest& request);

// Strict decoders of one answer line (already trimmed); the error is the decoder's message.
tl::expected<McpReply, std::string> decode_reply(std::string_view text);
tl::expected<StartImportReply, std::string> decode_import_reply(std::string_view text);

}  // namespace mcp_bridge
