#include "mcp_bridge/utf8.hpp"

#include <cstdint>

namespace mcp_bridge {

namespace {

std::uint8_t byte_at(std::string_view text, std::size_t i) {
  return static_cast<std::uint8_t>(text[i]);
}

bool in(std::uint8_t b, std::uint8_t low, std::uint8_t high) {
  return b >= low && b <= high;
}

// The length of the well-formed sequence starting at `i`, or 0 when there is none.
std::size_t sequence_length(std::string_view text, std::size_t i) {
  const std::uint8_t lead = byte_at(text, i);
  const std::size_t left = text.size() - i;
  auto next = [&](std::size_t k) { return byte_at(text, i + k); };
  if (lead <= 0x7F) {
    return 1;
  }
  if (in(lead, 0xC2, 0xDF)) {
    return left >= 2 && in(next(1), 0x80, 0xBF) ? 2 : 0;
  }
  if (in(lead, 0xE0, 0xEF)) {
    // E0 excludes overlong forms, ED excludes the surrogates.
    const std::uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
    const std::uint8_t high = lead == 0xED ? 0x9F : 0xBF;
    return left >= 3 && in(next(1), low, high) && in(next(2), 0x80, 0xBF) ? 3 : 0;
  }
  if (in(lead, 0xF0, 0xF4)) {
    // F0 excludes overlong forms, F4 everything above U+10FFFF.
    const std::uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
    const std::uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
    return left >= 4 && in(next(1), low, high) && in(next(2), 0x80, 0xBF) && in(next(3), 0x80, 0xBF)
               ? 4
               : 0;
  }
  return 0;
}

// The code point of the well-formed sequence of `length` bytes at `i`.
char32_t decode(std::string_view text, std::size_t i, std::size_t length) {
  static constexpr std::uint8_t lead_mask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t code_point = byte_at(text, i) & lead_mask[length];
  for (std::size_t k = 1; k < length; ++k) {
    code_point = (code_point << 6) | (byte_at(text, i + k) & 0x3F);
  }
  return code_point;
}

bool is_unicode_whitespace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool is_continuation(std::uint8_t b) {
  return (b & 0xC0) == 0x80;
}

}  // namespace

std::optional<std::size_t> invalid_utf8_offset(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = sequence_length(bytes, i);
    if (length == 0) {
      return i;
    }
    i += length;
  }
  return std::nullopt;
}

std::string_view trim_unicode_whitespace(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = sequence_length(text, 0);
    if (length == 0 || !is_unicode_whitespace(decode(text, 0, length))) {
      break;
    }
    text.remove_prefix(length);
  }
  while (!text.empty()) {
    std::size_t start = text.size() - 1;
    while (start > 0 && is_continuation(byte_at(text, start))) {
      --start;
    }
    const std::size_t length = sequence_length(text, start);
    if (length != text.size() - start || !is_unicode_whitespace(decode(text, start, length))) {
      break;
    }
    text.remove_suffix(length);
  }
  return text;
}

}  // namespace mcp_bridge
