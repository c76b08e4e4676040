#include "mcp_server/value_description.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace mcp_server {
namespace {

template <class Number>
std::string decimal(Number number) {
  std::array<char, 24> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
  return std::string(buffer.data(), end);
}

// The shortest digits that read back to the same double, laid out without an exponent (1e300
// is a 1 and 300 zeros), with a decimal point for finite values so that 20.0 does not read
// like an integer.
std::string floating_point(double number) {
  if (!std::isfinite(number)) {
    return std::isnan(number) ? "NaN" : number < 0 ? "-inf" : "inf";
  }
  std::array<char, 32> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                 std::chars_format::scientific);
  std::string_view scientific(buffer.data(), end);  // [-]d[.ddd]e(+|-)xx
  std::string text;
  if (scientific.front() == '-') {
    text += '-';
    scientific.remove_prefix(1);
  }
  std::size_t e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') {
      digits += c;
    }
  }
  std::string_view exponent_text = scientific.substr(e + 1);
  bool negative_exponent = exponent_text.front() == '-';
  int exponent = 0;
  std::from_chars(exponent_text.data() + 1, exponent_text.data() + exponent_text.size(), exponent);
  // How many of the digits stand before the decimal point.
  long point = 1L + (negative_exponent ? -exponent : exponent);
  auto count = static_cast<long>(digits.size());
  if (point <= 0) {
    text += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (point >= count) {
    text += digits + std::string(static_cast<std::size_t>(point - count), '0') + ".0";
  } else {
    auto split = static_cast<std::size_t>(point);
    text += digits.substr(0, split) + "." + digits.substr(split);
  }
  return text;
}

void append_hex(std::string& out, unsigned value) {
  std::array<char, 8> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, 16);
  out.append(buffer.data(), end);
}

void append_code_point_escape(std::string& out, unsigned code_point) {
  out += "\\u{";
  append_hex(out, code_point);
  out += '}';
}

bool continuation(std::string_view text, std::size_t at, unsigned char low = 0x80,
                  unsigned char high = 0xBF) {
  if (at >= text.size()) {
    return false;
  }
  auto byte = static_cast<unsigned char>(text[at]);
  return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when there is none.
std::size_t sequence_length(std::string_view text, std::size_t at) {
  auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    return continuation(text, at + 1) ? 2 : 0;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    // Neither overlong forms nor surrogates.
    unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : 0xBF;
    return continuation(text, at + 1, low, high) && continuation(text, at + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    // Neither overlong forms nor code points above U+10FFFF.
    unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return continuation(text, at + 1, low, high) && continuation(text, at + 2) &&
                   continuation(text, at + 3)
               ? 4
               : 0;
  }
  return 0;
}

}  // namespace

std::string describe_value(const mcp::Json& value) {
  using Type = mcp::Json::value_t;
  switch (value.type()) {
    case Type::null:
      return "null";
    case Type::boolean:
      return value.get<bool>() ? "boolean `true`" : "boolean `false`";
    case Type::number_integer:
      return "integer `" + decimal(value.get<std::int64_t>()) + "`";
    case Type::number_unsigned:
      return "integer `" + decimal(value.get<std::uint64_t>()) + "`";
    case Type::number_float:
      return "floating point `" + floating_point(value.get<double>()) + "`";
    case Type::string:
      return "string " + debug_quoted(value.get_ref<const std::string&>());
    case Type::object:
      return "map";
    case Type::array:
      return "sequence";
    case Type::binary:
      return "byte array";
    case Type::discarded:
      break;
  }
  return "discarded value";
}

std::string debug_quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  std::size_t at = 0;
  while (at < text.size()) {
    auto byte = static_cast<unsigned char>(text[at]);
    switch (byte) {
      case '"':
        out += "\\\"";
        ++at;
        continue;
      case '\\':
        out += "\\\\";
        ++at;
        continue;
      case '\n':
        out += "\\n";
        ++at;
        continue;
      case '\r':
        out += "\\r";
        ++at;
        continue;
      case '\t':
        out += "\\t";
        ++at;
        continue;
      default:
        break;
    }
    if (byte < 0x20 || byte == 0x7F) {
      append_code_point_escape(out, byte);
      ++at;
      continue;
    }
    std::size_t length = sequence_length(text, at);
    if (length == 0) {
      // Only bytes from 0x80 up get here, so two hex digits always.
      out += "\\x";
      append_hex(out, byte);
      ++at;
      continue;
    }
    auto second = length > 1 ? static_cast<unsigned char>(text[at + 1]) : 0;
    if (byte == 0xC2 && second < 0xA0) {
      // U+0080 to U+009F, the second block of control characters.
      append_code_point_escape(out, second);
    } else {
      out.append(text.substr(at, length));
    }
    at += length;
  }
  out += '"';
  return out;
}

}  // namespace mcp_server
