#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace mcp_bridge {

// The byte offset of the first byte that does not begin a well-formed UTF-8 sequence (overlong
// forms, surrogates and code points above U+10FFFF are ill-formed); nullopt when all is valid.
std::optional<std::size_t> invalid_utf8_offset(std::string_view bytes);

// `text` without the Unicode white space (White_Space property) at either end.
// `text` must be valid UTF-8.
std::string_view trim_unicode_whitespace(std::string_view text);

}  // namespace mcp_bridge
