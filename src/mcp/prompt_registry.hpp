#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mcp/json.hpp"

namespace mcp {

struct PromptArgument {
  std::string name;
  std::optional<std::string> description;
  bool required = false;

  Json to_json() const;
};

// The published parts of a prompt.
struct PromptDescriptor {
  std::string name;
  std::optional<std::string> description;
  std::vector<PromptArgument> arguments;

  Json to_json() const;
};

template <class PromptHandler>
struct PromptEntry {
  PromptDescriptor descriptor;
  PromptHandler handler;
};

// Prompts keyed by name; listing is in ascending byte order of the names.
template <class PromptHandler>
class PromptRegistry {
 public:
  using Entry = PromptEntry<PromptHandler>;

  void insert(Entry entry) {
    std::string name = entry.descriptor.name;
    entries_.insert_or_assign(std::move(name), std::move(entry));
  }

  const Entry* find(std::string_view name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
  }

  Json list() const {
    Json prompts = Json::array();
    for (const auto& [name, entry] : entries_) {
      prompts.push_back(entry.descriptor.to_json());
    }
    return prompts;
  }

  Json names() const {
    Json names = Json::array();
    for (const auto& [name, entry] : entries_) {
      names.push_back(name);
    }
    return names;
  }

  std::size_t size() const { return entries_.size(); }

 private:
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace mcp
