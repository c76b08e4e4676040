#include "mcp_server/catalogue.hpp"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mcp/json_rpc_error.hpp"
#include "mcp_server/handlers.hpp"
#include "mcp_server/imports.hpp"
#include "mcp_server/record.hpp"
#include "mcp_server/tool_descriptions.hpp"

namespace mcp_server {
namespace {

namespace text = tool_descriptions;

// The argument record of a tool method, taken from its signature so that a tool cannot be
// registered with one record and run with another.
template <class Method>
struct MethodTraits;

template <class Args>
struct MethodTraits<asio::awaitable<ToolOutcome> (*)(const McpServer&, Args)> {
  using ArgsType = Args;
};

// Decodes the call's arguments into the method's record and runs the method; arguments that do
// not decode are refused before anything is sent to the app.
template <auto Method>
ToolHandler record_handler() {
  using Args = typename MethodTraits<decltype(Method)>::ArgsType;
  return [](const McpServer& server, Json arguments) -> asio::awaitable<ToolOutcome> {
    auto args = decode_record<Args>(arguments);
    if (!args) {
      co_return ToolOutcome(mcp::rpc_error(mcp::error_code::invalid_params,
                                           "failed to deserialize parameters: " + args.error()));
    }
    co_return co_await Method(server, std::move(*args));
  };
}

mcp::ToolAnnotations hints(bool read_only, bool destructive, std::optional<bool> idempotent) {
  return {.read_only = read_only,
          .destructive = destructive,
          .idempotent = idempotent,
          .open_world = false};
}

const mcp::ToolAnnotations read_hints = hints(true, false, std::nullopt);

void add_tool(ToolCatalogue& catalogue, std::string_view name, std::string_view description,
              std::shared_ptr<const Json> input_schema, mcp::ToolAnnotations annotations,
              ToolHandler handler) {
  catalogue.insert({.descriptor = {.name = std::string(name),
                                   .description = std::string(description),
                                   .input_schema = std::move(input_schema),
                                   .annotations = annotations,
                                   .task_support = mcp::TaskSupport::forbidden},
                    .handler = std::move(handler)});
}

template <auto Method>
void add_record_tool(ToolCatalogue& catalogue, std::string_view name, std::string_view description,
                     mcp::ToolAnnotations annotations) {
  using Args = typename MethodTraits<decltype(Method)>::ArgsType;
  add_tool(catalogue, name, description, record_schema<Args>(), annotations,
           record_handler<Method>());
}

const std::shared_ptr<const Json>& no_arguments_schema() {
  static const std::shared_ptr<const Json> schema =
      std::make_shared<const Json>(Json{{"properties", Json::object()}, {"type", "object"}});
  return schema;
}

// Whatever arguments the client sends are ignored.
asio::awaitable<ToolOutcome> run_get_open_meeting(const McpServer& server, Json) {
  co_return co_await get_open_meeting(server);
}

// Read from the annotations of a full catalogue, so that being read-only is the one thing that
// decides whether a tool is offered in library mode.
const std::set<std::string, std::less<>>& read_only_tool_names() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> found;
    const ToolCatalogue full = build_catalogue();
    for (const auto& [name, entry] : full.entries()) {
      if (entry.descriptor.annotations.read_only == true) {
        found.insert(name);
      }
    }
    return found;
  }();
  return names;
}

}  // namespace

ToolCatalogue build_catalogue() {
  ToolCatalogue catalogue;
  add_record_tool<&search_transcripts>(catalogue, "search-transcripts", text::search_transcripts,
                                       read_hints);
  add_record_tool<&list_meetings>(catalogue, "list-meetings", text::list_meetings, read_hints);
  add_record_tool<&get_meeting>(catalogue, "get-meeting", text::get_meeting, read_hints);
  add_record_tool<&get_transcript>(catalogue, "get-transcript", text::get_transcript, read_hints);
  add_record_tool<&get_summary>(catalogue, "get-summary", text::get_summary, read_hints);
  add_record_tool<&list_action_points>(catalogue, "list-action-points", text::list_action_points,
                                       read_hints);
  add_record_tool<&create_action_point>(catalogue, "create-action-point", text::create_action_point,
                                        hints(false, false, std::nullopt));
  add_record_tool<&update_action_point>(catalogue, "update-action-point", text::update_action_point,
                                        hints(false, true, std::nullopt));
  add_record_tool<&delete_action_point>(catalogue, "delete-action-point", text::delete_action_point,
                                        hints(false, true, std::nullopt));
  add_record_tool<&update_summary>(catalogue, "update-summary", text::update_summary,
                                   hints(false, true, true));
  add_record_tool<&update_meeting_title>(catalogue, "update-meeting-title",
                                         text::update_meeting_title, hints(false, true, true));
  add_record_tool<&add_meeting_tag>(catalogue, "add-meeting-tag", text::add_meeting_tag,
                                    hints(false, false, true));
  add_record_tool<&remove_meeting_tag>(catalogue, "remove-meeting-tag", text::remove_meeting_tag,
                                       hints(false, true, true));
  add_record_tool<&update_chapters>(catalogue, "update-chapters", text::update_chapters,
                                    hints(false, true, true));
  add_tool(catalogue, "get-open-meeting", text::get_open_meeting, no_arguments_schema(), read_hints,
           run_get_open_meeting);
  add_record_tool<&import_file>(catalogue, "import-file", text::import_file,
                                hints(false, false, std::nullopt));
  return catalogue;
}

void restrict_to_read_only(ToolCatalogue& catalogue) {
  const auto& keep = read_only_tool_names();
  std::vector<std::string> removed;
  for (const auto& [name, entry] : catalogue.entries()) {
    if (!keep.contains(name)) {
      removed.push_back(name);
    }
  }
  for (const auto& name : removed) {
    catalogue.remove(name);
  }
  catalogue.set_description("get-transcript", std::string(text::get_transcript_library_mode));
}

}  // namespace mcp_server
