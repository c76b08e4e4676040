#pragma once

#include <string>
#include <string_view>
#include <tl/expected.hpp>

#include "mcp_bridge/records.hpp"

// Typed access to the members of a decoded JSON object, failing with a message that names the
// member. The decoders own their tree, so values are moved out rather than copied.
namespace mcp_bridge::json_members {

inline std::string in_quotes(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

// A required member of any JSON type, null included.
inline tl::expected<Json*, std::string> required(Json& object, std::string_view name) {
  const auto found = object.find(name);
  if (found == object.end()) {
    return tl::unexpected("member " + in_quotes(name) + " is missing");
  }
  return &*found;
}

inline std::string wrong_type(std::string_view name, std::string_view expected, const Json& got) {
  return "member " + in_quotes(name) + " must be " + std::string(expected) + ", not " +
         got.type_name();
}

inline tl::expected<std::string, std::string> required_string(Json& object, std::string_view name) {
  return required(object, name)
      .and_then([&](Json* value) -> tl::expected<std::string, std::string> {
        if (!value->is_string()) {
          return tl::unexpected(wrong_type(name, "a string", *value));
        }
        return std::move(value->get_ref<std::string&>());
      });
}

inline tl::expected<bool, std::string> required_bool(Json& object, std::string_view name) {
  return required(object, name).and_then([&](Json* value) -> tl::expected<bool, std::string> {
    if (!value->is_boolean()) {
      return tl::unexpected(wrong_type(name, "a boolean", *value));
    }
    return value->get<bool>();
  });
}

// Null when the member is missing or null.
inline Json* optional(Json& object, std::string_view name) {
  const auto found = object.find(name);
  return found == object.end() || found->is_null() ? nullptr : &*found;
}

}  // namespace mcp_bridge::json_members
