#include "mcp_server/prompts.hpp"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mcp_server/forward.hpp"
#include "mcp_server/meeting_id_arg.hpp"
#include "mcp_server/record.hpp"

namespace mcp_server {
namespace {

struct PromptDefinition {
  std::string_view name;
  // Carried by the prompts/get result only; the listing shows none.
  std::string_view description;
};

constexpr PromptDefinition summarize_meeting{
    "summarize-meeting",
    "Generate comprehensive meeting notes with overview, topics, key discussion points, "
    "decisions, and action items."};
constexpr PromptDefinition find_action_items{
    "find-action-items",
    "Extract action items, commitments, and follow-ups from a meeting transcript. Identifies "
    "tasks, owners, and deadlines."};

bool lists_name(const Json& required, const std::string& name) {
  if (!required.is_array()) {
    return false;
  }
  for (const Json& entry : required) {
    if (entry.is_string() && entry.get_ref<const std::string&>() == name) {
      return true;
    }
  }
  return false;
}

// One argument per schema property, in the schema's order.
std::vector<mcp::PromptArgument> arguments_from_schema(const Json& schema) {
  std::vector<mcp::PromptArgument> arguments;
  const auto properties = schema.find("properties");
  if (properties == schema.end() || !properties->is_object()) {
    return arguments;
  }
  const auto required = schema.find("required");
  for (const auto& [name, property] : properties->items()) {
    mcp::PromptArgument argument;
    argument.name = name;
    if (auto description = property.find("description");
        description != property.end() && description->is_string()) {
      argument.description = description->get<std::string>();
    }
    argument.required = required != schema.end() && lists_name(*required, name);
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

const std::vector<mcp::PromptArgument>& meeting_id_arguments() {
  static const std::vector<mcp::PromptArgument> arguments =
      arguments_from_schema(*record_schema<MeetingIdArg>());
  return arguments;
}

Json prompt_result(std::string_view description, std::string text) {
  Json content = {{"type", "text"}, {"text", std::move(text)}};
  Json message = {{"role", "user"}, {"content", std::move(content)}};
  Json messages = Json::array();
  messages.push_back(std::move(message));
  return Json{{"description", description}, {"messages", std::move(messages)}};
}

// Only the argument can fail the request; whatever the app does becomes the prompt's text.
asio::awaitable<mcp::Result<Json>> get_prompt(const McpServer& server,
                                              const PromptDefinition& definition, Json arguments) {
  static const Json no_arguments = Json::object();
  const bool absent = arguments.is_null();
  auto decoded = decode_record<MeetingIdArg>(absent ? no_arguments : arguments);
  if (!decoded) {
    co_return mcp::rpc_error(
        mcp::error_code::invalid_params,
        std::string(absent ? "Missing required parameters: " : "Failed to parse parameters: ") +
            decoded.error());
  }
  std::string text =
      co_await forward_prompt(server, std::string(definition.name), std::move(decoded->meeting_id));
  co_return prompt_result(definition.description, std::move(text));
}

mcp::PromptEntry<PromptHandler> prompt_entry(const PromptDefinition& definition) {
  // `definition` has static storage, so the handler may keep a pointer to it.
  const PromptDefinition* kept = &definition;
  return {mcp::PromptDescriptor{std::string(definition.name), std::nullopt, meeting_id_arguments()},
          [kept](const McpServer& server, Json arguments) {
            return get_prompt(server, *kept, std::move(arguments));
          }};
}

}  // namespace

PromptRouter build_prompt_router() {
  PromptRouter router;
  router.insert(prompt_entry(summarize_meeting));
  router.insert(prompt_entry(find_action_items));
  return router;
}

}  // namespace mcp_server
