#include "mcp/prompt_registry.hpp"

namespace mcp {

Json PromptArgument::to_json() const {
  Json argument = {{"name", name}, {"required", required}};
  if (description) {
    argument["description"] = *description;
  }
  return argument;
}

Json PromptDescriptor::to_json() const {
  Json prompt = {{"name", name}};
  if (description) {
    prompt["description"] = *description;
  }
  if (!arguments.empty()) {
    Json list = Json::array();
    for (const auto& argument : arguments) {
      list.push_back(argument.to_json());
    }
    prompt["arguments"] = std::move(list);
  }
  return prompt;
}

}  // namespace mcp
