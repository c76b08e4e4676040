#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tl/expected.hpp>

#include "mcp/json.hpp"

namespace mcp_server {

// The decoder's messages; each is what follows "failed to deserialize parameters: ".
std::string invalid_type_error(const mcp::Json& value, std::string_view expected);
std::string invalid_value_error(const mcp::Json& value, std::string_view expected);
std::string invalid_length_error(std::size_t length, std::string_view expected);
std::string missing_field_error(std::string_view name);

template <class Value>
using Decoded = tl::expected<Value, std::string>;

// What a member type means as a record field: whether it is required, how it is read from and
// written to JSON, and its schema without the description. Only the kinds below exist; a member
// of any other type does not compile. The chapter list (a vector of records) is in record.hpp.
template <class Member>
struct FieldKind;

template <>
struct FieldKind<std::string> {
  static constexpr bool required = true;
  static Decoded<std::string> decode(const mcp::Json& value);
  static mcp::Json encode(const std::string& value) { return value; }
  static mcp::Json schema() { return {{"type", "string"}}; }
};

template <>
struct FieldKind<std::optional<std::string>> {
  static constexpr bool required = false;
  static Decoded<std::optional<std::string>> decode(const mcp::Json& value);
  static mcp::Json encode(const std::optional<std::string>& value) {
    return value ? mcp::Json(*value) : mcp::Json(nullptr);
  }
  static mcp::Json schema() { return {{"type", {"string", "null"}}}; }
};

template <>
struct FieldKind<std::optional<std::int64_t>> {
  static constexpr bool required = false;
  static Decoded<std::optional<std::int64_t>> decode(const mcp::Json& value);
  static mcp::Json encode(const std::optional<std::int64_t>& value) {
    return value ? mcp::Json(*value) : mcp::Json(nullptr);
  }
  static mcp::Json schema() { return {{"format", "int64"}, {"type", {"integer", "null"}}}; }
};

template <>
struct FieldKind<std::optional<bool>> {
  static constexpr bool required = false;
  static Decoded<std::optional<bool>> decode(const mcp::Json& value);
  static mcp::Json encode(const std::optional<bool>& value) {
    return value ? mcp::Json(*value) : mcp::Json(nullptr);
  }
  static mcp::Json schema() { return {{"type", {"boolean", "null"}}}; }
};

}  // namespace mcp_server
