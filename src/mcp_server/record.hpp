#pragma once

// The generic codec of argument records. A record is a plain struct with a `record_name` and a
// static `fields()` table (see record_fields.hpp); its decoder, encoder and JSON Schema are all
// folded from that one table, in the table's order.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <tl/expected.hpp>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "mcp/json.hpp"
#include "mcp_server/field_kinds.hpp"
#include "mcp_server/record_fields.hpp"

namespace mcp_server {

// Decodes a tools/call "arguments" value; null stands for {}. The error is the decoder's text,
// for example "missing field `query`".
template <class Record>
Decoded<Record> decode_record(const mcp::Json& arguments);

// One member per field under its JSON name; an absent optional is null.
template <class Record>
mcp::Json encode_record(const Record& record);

// The record's JSON Schema, built on first use and shared for the rest of the process.
template <class Record>
const std::shared_ptr<const mcp::Json>& record_schema();

namespace record_detail {

template <class Record>
inline constexpr auto field_table = Record::fields();

template <class Record>
inline constexpr std::size_t field_count =
    std::tuple_size_v<std::decay_t<decltype(Record::fields())>>;

template <class FieldEntry>
using KindOf = FieldKind<typename FieldEntry::MemberType>;

// Calls `visit(index, field)` for each field in declaration order until one returns true.
template <class Record, class Visit>
bool find_field(Visit&& visit) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (visit(I, std::get<I>(field_table<Record>)) || ...);
  }
  (std::make_index_sequence<field_count<Record>>{});
}

template <class Record, class Visit>
void for_each_field(Visit&& visit) {
  find_field<Record>([&](std::size_t index, const auto& entry) {
    visit(index, entry);
    return false;
  });
}

template <class Record>
std::string struct_expectation() {
  return "struct " + std::string(Record::record_name);
}

template <class Record>
Decoded<Record> decode_members(const mcp::Json::object_t& members) {
  Record record{};
  std::array<bool, field_count<Record>> supplied{};
  // nlohmann's object keeps its members in ascending byte order, the order they are visited in.
  for (const auto& [name, value] : members) {
    std::string error;
    find_field<Record>([&](std::size_t index, const auto& entry) {
      if (entry.name != name) {
        return false;
      }
      auto decoded = KindOf<std::decay_t<decltype(entry)>>::decode(value);
      if (decoded) {
        record.*entry.member = std::move(*decoded);
        supplied[index] = true;
      } else {
        error = std::move(decoded.error());
      }
      return true;
    });
    if (!error.empty()) {
      return tl::unexpected(std::move(error));
    }
  }
  std::string missing;
  find_field<Record>([&](std::size_t index, const auto& entry) {
    if (!KindOf<std::decay_t<decltype(entry)>>::required || supplied[index]) {
      return false;
    }
    missing = missing_field_error(entry.name);
    return true;
  });
  if (!missing.empty()) {
    return tl::unexpected(std::move(missing));
  }
  return record;
}

// A nested record may also come as an array of its field values in declaration order.
template <class Record>
Decoded<Record> decode_sequence(const mcp::Json::array_t& elements) {
  constexpr std::size_t count = field_count<Record>;
  Record record{};
  std::string error;
  find_field<Record>([&](std::size_t index, const auto& entry) {
    if (index >= elements.size()) {
      error = invalid_length_error(elements.size(), struct_expectation<Record>() + " with " +
                                                        std::to_string(count) +
                                                        (count == 1 ? " element" : " elements"));
      return true;
    }
    auto decoded = KindOf<std::decay_t<decltype(entry)>>::decode(elements[index]);
    if (!decoded) {
      error = std::move(decoded.error());
      return true;
    }
    record.*entry.member = std::move(*decoded);
    return false;
  });
  if (!error.empty()) {
    return tl::unexpected(std::move(error));
  }
  if (elements.size() > count) {
    return tl::unexpected(invalid_length_error(elements.size(), "fewer elements in array"));
  }
  return record;
}

template <class Record>
Decoded<Record> decode_nested(const mcp::Json& value) {
  if (value.is_object()) {
    return decode_members<Record>(value.get_ref<const mcp::Json::object_t&>());
  }
  if (value.is_array()) {
    return decode_sequence<Record>(value.get_ref<const mcp::Json::array_t&>());
  }
  return tl::unexpected(invalid_type_error(value, struct_expectation<Record>()));
}

// "type", "properties" and, when any field is required, "required"; definitions of nested
// records go into `definitions`.
template <class Record>
mcp::Json object_schema(mcp::Json& definitions) {
  mcp::Json properties = mcp::Json::object();
  mcp::Json required = mcp::Json::array();
  for_each_field<Record>([&](std::size_t, const auto& entry) {
    using Kind = KindOf<std::decay_t<decltype(entry)>>;
    mcp::Json property = Kind::schema();
    property["description"] = std::string(entry.description);
    properties[std::string(entry.name)] = std::move(property);
    if constexpr (Kind::required) {
      required.push_back(std::string(entry.name));
    }
    if constexpr (requires { Kind::add_definitions(definitions); }) {
      Kind::add_definitions(definitions);
    }
  });
  mcp::Json schema = {{"type", "object"}, {"properties", std::move(properties)}};
  if (!required.empty()) {
    schema["required"] = std::move(required);
  }
  return schema;
}

template <class Record>
mcp::Json root_schema() {
  mcp::Json definitions = mcp::Json::object();
  mcp::Json schema = object_schema<Record>(definitions);
  schema["$schema"] = "https://json-schema.org/draft/2020-12/schema";
  schema["title"] = std::string(Record::record_name);
  if (!definitions.empty()) {
    schema["$defs"] = std::move(definitions);
  }
  return schema;
}

}  // namespace record_detail

// A list of nested records: a JSON array whose schema refers to the record's definition.
template <class Record>
struct FieldKind<std::vector<Record>> {
  static constexpr bool required = true;

  static Decoded<std::vector<Record>> decode(const mcp::Json& value) {
    if (!value.is_array()) {
      return tl::unexpected(invalid_type_error(value, "a sequence"));
    }
    std::vector<Record> records;
    records.reserve(value.size());
    for (const auto& element : value) {
      auto decoded = record_detail::decode_nested<Record>(element);
      if (!decoded) {
        return tl::unexpected(std::move(decoded.error()));
      }
      records.push_back(std::move(*decoded));
    }
    return records;
  }

  static mcp::Json encode(const std::vector<Record>& records) {
    mcp::Json array = mcp::Json::array();
    for (const auto& record : records) {
      array.push_back(encode_record(record));
    }
    return array;
  }

  static mcp::Json schema() {
    return {{"type", "array"},
            {"items", {{"$ref", "#/$defs/" + std::string(Record::record_name)}}}};
  }

  static void add_definitions(mcp::Json& definitions) {
    mcp::Json definition = record_detail::object_schema<Record>(definitions);
    if constexpr (requires { Record::record_description; }) {
      definition["description"] = std::string(Record::record_description);
    }
    definitions[std::string(Record::record_name)] = std::move(definition);
  }
};

template <class Record>
Decoded<Record> decode_record(const mcp::Json& arguments) {
  if (arguments.is_null()) {
    return record_detail::decode_members<Record>(mcp::Json::object_t{});
  }
  if (!arguments.is_object()) {
    return tl::unexpected(
        invalid_type_error(arguments, record_detail::struct_expectation<Record>()));
  }
  return record_detail::decode_members<Record>(arguments.get_ref<const mcp::Json::object_t&>());
}

template <class Record>
mcp::Json encode_record(const Record& record) {
  mcp::Json object = mcp::Json::object();
  record_detail::for_each_field<Record>([&](std::size_t, const auto& entry) {
    object[std::string(entry.name)] =
        record_detail::KindOf<std::decay_t<decltype(entry)>>::encode(record.*entry.member);
  });
  return object;
}

template <class Record>
const std::shared_ptr<const mcp::Json>& record_schema() {
  static const std::shared_ptr<const mcp::Json> schema =
      std::make_shared<const mcp::Json>(record_detail::root_schema<Record>());
  return schema;
}

}  // namespace mcp_server
