#include <utility>

#include "mcp_bridge/json_members.hpp"
#include "mcp_bridge/strict_json.hpp"
#include "mcp_bridge/wire.hpp"

namespace mcp_bridge {

namespace {

using namespace json_members;
using Decoded = tl::expected<McpReply, std::string>;

tl::expected<ResourceEntry, std::string> decode_entry(Json& entry) {
  if (!entry.is_object()) {
    return tl::unexpected(std::string("must be an object, not ") + entry.type_name());
  }
  ResourceEntry decoded;
  for (auto [name, field] :
       {std::pair{"uri", &ResourceEntry::uri}, std::pair{"name", &ResourceEntry::name},
        std::pair{"description", &ResourceEntry::description}}) {
    auto text = required_string(entry, name);
    if (!text) {
      return tl::unexpected(std::move(text).error());
    }
    decoded.*field = std::move(*text);
  }
  return decoded;
}

Decoded decode_structured(Json& object) {
  return required(object, "value").map([](Json* value) {
    return McpReply{reply::Structured{std::move(*value)}};
  });
}

Decoded decode_text(Json& object) {
  auto message = required_string(object, "message");
  if (!message) {
    return tl::unexpected(std::move(message).error());
  }
  return required_bool(object, "isError").map([&](bool is_error) {
    return McpReply{reply::Text{std::move(*message), is_error}};
  });
}

Decoded decode_prompt(Json& object) {
  return required_string(object, "text").map([](std::string text) {
    return McpReply{reply::Prompt{std::move(text)}};
  });
}

Decoded decode_resource(Json& object) {
  auto uri = required_string(object, "uri");
  if (!uri) {
    return tl::unexpected(std::move(uri).error());
  }
  return required_string(object, "text").map([&](std::string text) {
    return McpReply{reply::Resource{std::move(*uri), std::move(text)}};
  });
}

Decoded decode_resource_list(Json& object) {
  auto entries = required(object, "entries");
  if (!entries) {
    return tl::unexpected(std::move(entries).error());
  }
  Json& array = **entries;
  if (!array.is_array()) {
    return tl::unexpected(wrong_type("entries", "an array", array));
  }
  reply::ResourceList list;
  list.entries.reserve(array.size());
  for (std::size_t i = 0; i < array.size(); ++i) {
    auto entry = decode_entry(array[i]);
    if (!entry) {
      return tl::unexpected("entries[" + std::to_string(i) + "]: " + std::move(entry).error());
    }
    list.entries.push_back(std::move(*entry));
  }
  return McpReply{std::move(list)};
}

template <class Variant>
Decoded decode_message(Json& object) {
  return required_string(object, "message").map([](std::string message) {
    return McpReply{Variant{std::move(message)}};
  });
}

struct ReplyKind {
  std::string_view tag;
  Decoded (*decode)(Json& object);
};

constexpr ReplyKind reply_kinds[] = {
    {"structured", decode_structured},
    {"text", decode_text},
    {"prompt", decode_prompt},
    {"resource", decode_resource},
    {"resourceList", decode_resource_list},
    {"notFound", decode_message<reply::NotFound>},
    {"failed", decode_message<reply::Failed>},
};

}  // namespace

Decoded decode_reply(std::string_view text) {
  auto tree = parse_strict_object(text, "the answer");
  if (!tree) {
    return tl::unexpected(std::move(tree).error());
  }
  // The whole object is read before the variant is chosen, so "kind" may stand anywhere.
  auto kind = required_string(*tree, "kind");
  if (!kind) {
    return tl::unexpected(std::move(kind).error());
  }
  for (const ReplyKind& candidate : reply_kinds) {
    if (candidate.tag == *kind) {
      return candidate.decode(*tree);
    }
  }
  return tl::unexpected("unknown kind " + in_quotes(*kind));
}

}  // namespace mcp_bridge
