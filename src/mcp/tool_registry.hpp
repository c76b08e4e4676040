#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "mcp/json.hpp"
#include "mcp/tool_name.hpp"

namespace mcp {

// The four behaviour hints of a tool; an absent hint is not sent.
struct ToolAnnotations {
  std::optional<bool> read_only;
  std::optional<bool> destructive;
  std::optional<bool> idempotent;
  std::optional<bool> open_world;

  Json to_json() const;
};

// Whether a tool may or must be run as a deferred task.
enum class TaskSupport { forbidden, optional, required };

// The published parts of a tool.
struct ToolDescriptor {
  std::string name;
  std::string description;
  // Shared between every tool that takes the same argument record; built once.
  std::shared_ptr<const Json> input_schema;
  ToolAnnotations annotations;
  TaskSupport task_support = TaskSupport::forbidden;

  // {"annotations", "description", "inputSchema", "name"}
  Json to_json() const;
};

template <class ToolHandler>
struct ToolEntry {
  ToolDescriptor descriptor;
  ToolHandler handler;
};

// Tools keyed by name; iteration, and so listing, is in ascending byte order of the names.
template <class ToolHandler>
class ToolRegistry {
 public:
  using Entry = ToolEntry<ToolHandler>;

  // Replaces an entry of the same name. A name that breaks the MCP naming rule is logged and
  // registered all the same.
  void insert(Entry entry) {
    warn_about_tool_name(entry.descriptor.name);
    std::string name = entry.descriptor.name;
    entries_.insert_or_assign(std::move(name), std::move(entry));
  }

  const Entry* find(std::string_view name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
  }

  bool remove(std::string_view name) {
    auto it = entries_.find(name);
    if (it == entries_.end()) {
      return false;
    }
    entries_.erase(it);
    return true;
  }

  bool set_description(std::string_view name, std::string description) {
    auto it = entries_.find(name);
    if (it == entries_.end()) {
      return false;
    }
    it->second.descriptor.description = std::move(description);
    return true;
  }

  // Every entry's published parts, sorted by name.
  Json list() const {
    Json tools = Json::array();
    for (const auto& [name, entry] : entries_) {
      tools.push_back(entry.descriptor.to_json());
    }
    return tools;
  }

  const std::map<std::string, Entry, std::less<>>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }

 private:
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace mcp
