#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace mcp_bridge {

using Json = nlohmann::json;

// Who is asking, as the MCP client introduced itself.
struct ClientIdentity {
  std::string name;
  std::optional<std::string> version;
  bool operator==(const ClientIdentity&) const = default;
};

// The request kinds, each with the fields it carries in the order they are written.
struct McpTool {
  std::string name;
  Json args;
};
struct ReadTool {
  std::string name;
  Json args;
};
struct McpPrompt {
  std::string name;
  Json args;
};
struct McpResourceRead {
  std::string uri;
};
struct McpResourceList {};
struct StartImport {
  std::string file_path;
  std::optional<std::string> title;
};

using BridgeRequestKind =
    std::variant<McpTool, ReadTool, McpPrompt, McpResourceRead, McpResourceList, StartImport>;

// One request to the app; the client fills `client` from the identity cell.
struct BridgeRequest {
  std::optional<ClientIdentity> client;
  BridgeRequestKind kind;
};

// One element of a resource list.
struct ResourceEntry {
  std::string uri;
  std::string name;
  std::string description;
  bool operator==(const ResourceEntry&) const = default;
};

// The app's answer to every request kind but startImport, tagged by "kind".
namespace reply {
struct Structured {
  Json value;
  bool operator==(const Structured&) const = default;
};
struct Text {
  std::string message;
  bool is_error = false;
  bool operator==(const Text&) const = default;
};
struct Prompt {
  std::string text;
  bool operator==(const Prompt&) const = default;
};
struct Resource {
  std::string uri;
  std::string text;
  bool operator==(const Resource&) const = default;
};
struct ResourceList {
  std::vector<ResourceEntry> entries;
  bool operator==(const ResourceList&) const = default;
};
struct NotFound {
  std::string message;
  bool operator==(const NotFound&) const = default;
};
struct Failed {
  std::string message;
  bool operator==(const Failed&) const = default;
};
}  // namespace reply

using McpReply = std::variant<reply::Structured, reply::Text, reply::Prompt, reply::Resource,
                              reply::ResourceList, reply::NotFound, reply::Failed>;

// Why the app refused an import; Unknown stands for every reason this side does not know.
namespace rejection {
struct Busy {
  bool operator==(const Busy&) const = default;
};
struct ModelsNotReady {
  bool operator==(const ModelsNotReady&) const = default;
};
struct BadFile {
  std::string message;
  bool operator==(const BadFile&) const = default;
};
struct Unavailable {
  std::string message;
  bool operator==(const Unavailable&) const = default;
};
struct Unknown {
  bool operator==(const Unknown&) const = default;
};
}  // namespace rejection

using ImportRejection = std::variant<rejection::Busy, rejection::ModelsNotReady, rejection::BadFile,
                                     rejection::Unavailable, rejection::Unknown>;

// The app's answer to startImport.
struct StartImportReply {
  std::optional<std::string> meeting_id;
  std::optional<ImportRejection> rejection;
  bool operator==(const StartImportReply&) const = default;
};

}  // namespace mcp_bridge
