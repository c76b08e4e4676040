#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <tl/expected.hpp>

#include "mcp_bridge/records.hpp"

namespace mcp_bridge {

// Arrays and objects may nest this deep, the outermost value counting as the first level.
inline constexpr std::size_t max_nesting_depth = 127;

// Exactly one JSON value with nothing but whitespace after it. Stricter than a plain parse: a
// member repeated within one object and nesting beyond max_nesting_depth both fail.
tl::expected<Json, std::string> parse_strict_json(std::string_view text);

// parse_strict_json for an answer that must be an object; `what` names it in the failure
// ("the answer", "the import answer").
tl::expected<Json, std::string> parse_strict_object(std::string_view text, std::string_view what);

}  // namespace mcp_bridge
