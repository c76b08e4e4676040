#include "mcp_server/field_kinds.hpp"

#include <limits>

#include "mcp_server/value_description.hpp"

namespace mcp_server {

std::string invalid_type_error(const mcp::Json& value, std::string_view expected) {
  return "invalid type: " + describe_value(value) + ", expected " + std::string(expected);
}

std::string invalid_value_error(const mcp::Json& value, std::string_view expected) {
  return "invalid value: " + describe_value(value) + ", expected " + std::string(expected);
}

std::string invalid_length_error(std::size_t length, std::string_view expected) {
  return "invalid length " + std::to_string(length) + ", expected " + std::string(expected);
}

std::string missing_field_error(std::string_view name) {
  return "missing field `" + std::string(name) + "`";
}

Decoded<std::string> FieldKind<std::string>::decode(const mcp::Json& value) {
  if (!value.is_string()) {
    return tl::unexpected(invalid_type_error(value, "a string"));
  }
  return value.get<std::string>();
}

Decoded<std::optional<std::string>> FieldKind<std::optional<std::string>>::decode(
    const mcp::Json& value) {
  if (value.is_null()) {
    return std::nullopt;
  }
  return FieldKind<std::string>::decode(value);
}

Decoded<std::optional<std::int64_t>> FieldKind<std::optional<std::int64_t>>::decode(
    const mcp::Json& value) {
  if (value.is_null()) {
    return std::nullopt;
  }
  // Non-negative integers are held unsigned, and get<std::int64_t>() would wrap those above
  // the signed range instead of refusing them.
  if (value.is_number_unsigned()) {
    auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return tl::unexpected(invalid_value_error(value, "i64"));
    }
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) {
    return value.get<std::int64_t>();
  }
  // Fractions, exponents and integers beyond 64 bits all arrive as floating point.
  return tl::unexpected(invalid_type_error(value, "i64"));
}

Decoded<std::optional<bool>> FieldKind<std::optional<bool>>::decode(const mcp::Json& value) {
  if (value.is_null()) {
    return std::nullopt;
  }
  if (!value.is_boolean()) {
    return tl::unexpected(invalid_type_error(value, "a boolean"));
  }
  return value.get<bool>();
}

}  // namespace mcp_server
