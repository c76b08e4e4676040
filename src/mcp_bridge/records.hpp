#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

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
};
struct Text {
  std::string message;
  bool is_error = false;
};
struct Prompt {
  std::string text;
};
struct Resource {
  std::string uri;
  std::string text;
};
struct ResourceList {
  std::vector<ResourceEntry> entries;
};
struct NotFound {
  std::string message;
};
struct Failed {
  std::string message;
};
}  // namespace reply

using McpReply = std::variant<reply::Structured, reply::Text, reply::Prompt, reply::Resource,
                              reply::ResourceList, reply::NotFound, reply::Failed>;

// Why the app refused an import; Unknown stands for every reason this side does not know.
namespace rejection {
struct Busy {};
struct ModelsNotReady {};
struct BadFile {
  std::string message;
};
struct Unavailable {
  std::string message;
};
struct Unknown {};
}  // namespace rejection

using ImportRejection = std::variant<rejection::Busy, rejection::ModelsNotReady, rejection::BadFile,
                                     rejection::Unavailable, rejection::Unknown>;

// The app's answer to startImport.
struct StartImportReply {
  std::optional<std::string> meeting_id;
  std::optional<ImportRejection> rejection;
};

}  // namespace mcp_bridge
